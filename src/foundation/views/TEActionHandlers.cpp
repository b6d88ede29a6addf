#include "foundation/views/TEActionHandlers.h"

#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/View.h"

#include <memory>

namespace folio {

namespace {

// A recognizer that owns its callback, so that the view's own list of
// recognizers is where the callback lives.
template<typename Base, GestureRecognizerState Fires>
class BlockGestureRecognizer final : public Base {
public:
    BlockGestureRecognizer()
    {
        this->addTarget([this](GestureRecognizer& recognizer) {
            if (recognizer.state() == Fires && m_block)
                m_block();
        });
    }
    void setBlock(std::function<void()> block) { m_block = std::move(block); }

private:
    std::function<void()> m_block;
};

template<typename Recognizer>
void setBlock(View& view, std::function<void()> block)
{
    for (const auto& existing : view.gestureRecognizers())
        if (auto* recognizer = dynamic_cast<Recognizer*>(existing.get())) {
            recognizer->setBlock(std::move(block));
            return;
        }
    auto recognizer = std::make_shared<Recognizer>();
    recognizer->setBlock(std::move(block));
    view.addGestureRecognizer(recognizer);
}

} // namespace

void setTapActionWithBlock(View& view, std::function<void()> block)
{
    setBlock<BlockGestureRecognizer<TapGestureRecognizer, GestureRecognizerState::Ended>>(view, std::move(block));
}

void setLongPressActionWithBlock(View& view, std::function<void()> block)
{
    setBlock<BlockGestureRecognizer<LongPressGestureRecognizer, GestureRecognizerState::Began>>(view, std::move(block));
}

} // namespace folio

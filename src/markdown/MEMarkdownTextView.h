#pragma once

#include "markdown/SHTextView.h"
#include "platform/foundation/NotificationCenter.h"

#include <memory>
#include <optional>

namespace folio {

class JOTTextCounter;
class Label;
class MEMarkdownSyntaxStorage;
class MEMarkdownTextViewDelegateProxy;
class ScalingTextStorage;

// The text view of the Markdown, plain-text and TeX editor: a search text view
// over the highlighting storage, seen through a scaling storage so that the
// document's zoom reaches the text without touching what is saved. Its
// delegate hears every call through a proxy that applies the editor's typing
// rules (MEMarkdownTextViewDelegateProxy). It moves the caret for the key
// bar's arrows, keeping the column across runs of up and down moves, wraps
// the selection in markup, and shows the live character and word counter.
class MEMarkdownTextView : public SHTextView {
public:
    // The platform's text-layout directions, as the vertical moves store them.
    enum class VerticalDirection { Up = 4, Down = 5 };
    // The settings key that says whether the word counter shows.
    static constexpr const char* kWordCounterVisibleKey = "wordCounterVisible";

    MEMarkdownTextView(Rect frame, bool usesTeXFormat, UserDefaults* defaults = nullptr);
    ~MEMarkdownTextView() override;

    void setIsTeXFormat(bool isTeX);
    bool isTeXFormat() const { return m_isTeXFormat; }

    MEMarkdownSyntaxStorage& syntaxStorage() { return *m_syntaxStorage; }
    void setScale(double scale);

    // The delegate is reached through the proxy, which stays the view's own.
    void setDelegate(std::weak_ptr<TextViewDelegate> delegate);
    std::shared_ptr<TextViewDelegate> delegateTarget() const;

    // --- Markup around the selection ---
    void wrapSelectedRangeWithString(const std::u16string& mark);
    // The selected text ends up between the two, still selected; with nothing
    // selected the caret ends between them.
    void wrapSelectedRangeWithStartString(const std::u16string& start, const std::u16string& end);
    void setSelectionRange(Range range);

    // --- The key bar's arrows ---
    void moveForward();
    void moveBackward();
    void moveUp();
    void moveDown();
    // The position on the adjacent line nearest the column where the current
    // run of vertical moves began; the position itself when there is none.
    std::size_t closestPositionToPosition(std::size_t position, VerticalDirection direction) const;
    bool isNewVerticalMovementForPosition(std::size_t position, VerticalDirection direction) const;

    // --- The word counter ---
    void showWordCounter();
    void hideWordCounter();
    const std::shared_ptr<JOTTextCounter>& textCounter() const { return m_textCounter; }
    const std::shared_ptr<Label>& counterLabel() const { return m_counterLabel; }

    // The room around the text: on a tablet the page margins of the settings
    // ("markdownPageMarginLeft" and "...Right", in centimetres), elsewhere a
    // fixed border.
    void applyPageInsets(bool tablet);

    // The document is closing: the counter stops.
    void willCloseDocument();
    bool isClosingDocument() const { return m_isClosingDocument; }

private:
    MEMarkdownTextView(Rect frame, bool usesTeXFormat, UserDefaults* defaults,
                       std::shared_ptr<MEMarkdownSyntaxStorage> syntaxStorage);
    void verticalMove(VerticalDirection direction);
    void textCounterDidUpdateCount(const UserInfo& userInfo);

    UserDefaults& defaults() const;

    UserDefaults* m_defaults;
    std::shared_ptr<MEMarkdownSyntaxStorage> m_syntaxStorage;
    std::shared_ptr<MEMarkdownTextViewDelegateProxy> m_delegateProxy;
    bool m_isTeXFormat = false;
    bool m_isClosingDocument = false;

    VerticalDirection m_verticalMoveDirection = VerticalDirection::Down;
    std::optional<Rect> m_verticalMoveStartCaretRect;
    Rect m_verticalMoveLastCaretRect;

    std::shared_ptr<JOTTextCounter> m_textCounter;
    std::shared_ptr<Label> m_counterLabel;
    ObserverToken m_counterObserver = 0;
    std::uint64_t m_storageObserver = 0;
    // Counter updates arrive through posted work, which checks this first.
    std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
};

} // namespace folio

#include "markdown/MEMarkdownTextView.h"

#include "markdown/MEMarkdownSyntaxStorage.h"

#include "documents/MarkdownPageMargins.h"
#include "markdown/MEMarkdownTextViewDelegateProxy.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/ScalingTextStorage.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "tools/wordcounter/JOTTextCounter.h"

#include <cassert>

namespace folio {

MEMarkdownTextView::MEMarkdownTextView(Rect frame, bool usesTeXFormat, UserDefaults* defaults)
    : MEMarkdownTextView(frame, usesTeXFormat, defaults, std::make_shared<MEMarkdownSyntaxStorage>(defaults))
{
}

MEMarkdownTextView::MEMarkdownTextView(Rect frame, bool usesTeXFormat, UserDefaults* defaults,
                                       std::shared_ptr<MEMarkdownSyntaxStorage> syntaxStorage)
    : SHTextView(frame, ScalingTextStorage::make(syntaxStorage), defaults)
    , m_defaults(defaults)
    , m_syntaxStorage(std::move(syntaxStorage))
    , m_delegateProxy(std::make_shared<MEMarkdownTextViewDelegateProxy>())
{
    setIsTeXFormat(usesTeXFormat);
    TextView::setDelegate(m_delegateProxy);
    // How the find bar searches: round the ends, the match in the middle of
    // the view, whatever the case.
    setCircularSearch(true);
    setScrollPosition(ScrollPositionMiddle);
    setSearchOptions(RegularExpressionCaseInsensitive);
    applyPageInsets(Device::current().isPad());
    // The counter follows every processed edit; the observer holds only a raw
    // pointer and is removed in the destructor.
    m_storageObserver = textStorage()->addObserver([this](TextStorage&, const TextStorageEdit&) {
        if (m_textCounter)
            m_textCounter->textStorageDidProcessEditing(textStorage());
    });
}

MEMarkdownTextView::~MEMarkdownTextView()
{
    textStorage()->removeObserver(m_storageObserver);
    hideWordCounter();
}

UserDefaults& MEMarkdownTextView::defaults() const
{
    return m_defaults ? *m_defaults : UserDefaults::standardUserDefaults();
}

void MEMarkdownTextView::reloadTextStyleSettings()
{
    m_syntaxStorage->reloadBodyStyle();
    reloadBackgroundColor();
    applyPageInsets(Device::current().isPad());
    setNeedsDisplay();
}

void MEMarkdownTextView::applyPageInsets(bool tablet)
{
    constexpr double kTop = MarkdownPageMargins::kEditorTop;
    constexpr double kBottom = MarkdownPageMargins::kEditorBottom;
    constexpr double kBorder = MarkdownPageMargins::kEditorSide;
    if (!tablet) {
        setTextContainerInset(EdgeInsets{kTop, kBorder, kBottom, kBorder});
        return;
    }
    // Centimetres to points, in the single precision the settings are read in.
    // NOTE: a side nobody has set a margin for keeps the fixed border: text
    // flush against the window's edge is hard to read.
    auto points = [&](const char* key) {
        const std::optional<float> centimetres = defaults().floatForKey(key);
        return centimetres ? static_cast<double>(*centimetres * 72.0f / 2.54f) : kBorder;
    };
    setTextContainerInset(EdgeInsets{kTop, points("markdownPageMarginLeft"), kBottom, points("markdownPageMarginRight")});
}

void MEMarkdownTextView::setIsTeXFormat(bool isTeX)
{
    m_isTeXFormat = isTeX;
    m_syntaxStorage->setIsTeXSyntax(isTeX);
}

void MEMarkdownTextView::setScale(double scale)
{
    if (auto* scaling = dynamic_cast<ScalingTextStorage*>(textStorage().get()))
        scaling->setScale(scale);
}

void MEMarkdownTextView::setDelegate(std::weak_ptr<TextViewDelegate> delegate)
{
    m_delegateProxy->setDelegateTarget(std::move(delegate));
}

std::shared_ptr<TextViewDelegate> MEMarkdownTextView::delegateTarget() const { return m_delegateProxy->delegateTarget(); }

void MEMarkdownTextView::setSelectionRange(Range range) { setSelectedRange(range); }

void MEMarkdownTextView::wrapSelectedRangeWithString(const std::u16string& mark)
{
    wrapSelectedRangeWithStartString(mark, mark);
}

void MEMarkdownTextView::wrapSelectedRangeWithStartString(const std::u16string& start, const std::u16string& end)
{
    // One change, so that one undo takes the pair off again.
    const Range selection = selectedRange();
    if (selection.location == NotFound || selection.end() > text().size())
        return;
    replaceRange(selection, start + text().substr(selection.location, selection.length) + end);
    setSelectionRange(Range{selection.location + start.size(), selection.length});
}

void MEMarkdownTextView::moveForward()
{
    const Range selection = selectedRange();
    if (selection.location == NotFound || text().empty() || selection.end() >= text().size())
        return;
    setSelectedRange(Range{selection.location + 1, selection.length});
}

void MEMarkdownTextView::moveBackward()
{
    const Range selection = selectedRange();
    if (selection.location == NotFound || text().empty() || selection.location == 0)
        return;
    setSelectedRange(Range{selection.location - 1, selection.length});
}

void MEMarkdownTextView::moveUp() { verticalMove(VerticalDirection::Up); }
void MEMarkdownTextView::moveDown() { verticalMove(VerticalDirection::Down); }

void MEMarkdownTextView::verticalMove(VerticalDirection direction)
{
    const Range selection = selectedRange();
    const std::size_t position = direction == VerticalDirection::Up ? selection.location : selection.end();
    if (isNewVerticalMovementForPosition(position, direction)) {
        m_verticalMoveDirection = direction;
        m_verticalMoveStartCaretRect = caretRectForPosition(position);
    }
    const std::size_t target = closestPositionToPosition(position, direction);
    m_verticalMoveLastCaretRect = caretRectForPosition(target);
    setSelectedRange(Range{target, 0});
}

bool MEMarkdownTextView::isNewVerticalMovementForPosition(std::size_t position, VerticalDirection direction) const
{
    return !m_verticalMoveStartCaretRect || caretRectForPosition(position) != m_verticalMoveLastCaretRect ||
           direction != m_verticalMoveDirection;
}

std::size_t MEMarkdownTextView::closestPositionToPosition(std::size_t position, VerticalDirection direction) const
{
    assert(direction == VerticalDirection::Up || direction == VerticalDirection::Down);
    const bool up = direction == VerticalDirection::Up;
    const std::ptrdiff_t step = up ? -1 : 1;
    const double goalColumn = m_verticalMoveStartCaretRect ? m_verticalMoveStartCaretRect->midX()
                                                           : caretRectForPosition(position).midX();
    const double startLine = caretRectForPosition(position).midY();

    std::size_t answer = position;
    std::optional<double> takenLine;
    std::optional<std::size_t> next = positionFromPosition(position, step);
    while (next) {
        const Rect rect = caretRectForPosition(*next);
        if (rect.midY() != startLine) {
            if (up && rect.midX() <= goalColumn)
                return *next;
            if (!up && rect.midX() >= goalColumn)
                return *next;
            // Past the adjacent line: its nearest position to the column was the last one taken.
            if (takenLine && rect.midY() != *takenLine)
                return answer;
            answer = *next;
            takenLine = rect.midY();
        }
        next = positionFromPosition(*next, step);
    }
    return answer;
}

void MEMarkdownTextView::showWordCounter()
{
    if (!m_textCounter) {
        m_textCounter = JOTTextCounter::make();
        m_counterLabel = std::make_shared<Label>(counterFrame());
        m_counterLabel->setTextAlignment(TextAlignment::Center);
        m_counterLabel->setBackgroundColor(Color::colorWithWhite(1));
        if (auto parent = superview())
            parent->addSubview(m_counterLabel);
        std::weak_ptr<int> alive = m_lifetime;
        m_counterObserver = NotificationCenter::defaultCenter().addObserver(
            JOTTextCounter::kDidUpdateCountNotification, m_textCounter.get(),
            [this, alive](const Notification& notification) {
                if (!alive.expired())
                    textCounterDidUpdateCount(notification.userInfo);
            });
    }
    m_textCounter->startCountingWithText(text());
}

Rect MEMarkdownTextView::counterFrame() const
{
    return makeRect(frame().size.width / 2 - 100, 72, 200, 22);
}

void MEMarkdownTextView::setFrame(const Rect& frame)
{
    SHTextView::setFrame(frame);
    // A counter shown as the document opens was placed before the view had
    // its width: it is centred again whenever the width changes.
    if (m_counterLabel)
        m_counterLabel->setFrame(counterFrame());
}

void MEMarkdownTextView::didMoveToSuperview()
{
    // The counter shown before the view had a superview (from the
    // controller's loadView) stands over the text once it has one.
    if (auto parent = superview(); parent && m_counterLabel && !m_counterLabel->superview())
        parent->addSubview(m_counterLabel);
}

void MEMarkdownTextView::hideWordCounter()
{
    if (!m_textCounter)
        return;
    m_textCounter->endCounting();
    NotificationCenter::defaultCenter().removeObserver(m_counterObserver);
    m_counterObserver = 0;
    m_counterLabel->removeFromSuperview();
    m_counterLabel.reset();
    m_textCounter.reset();
}

void MEMarkdownTextView::textCounterDidUpdateCount(const UserInfo& userInfo)
{
    auto countOf = [&](const char* key) {
        const std::size_t* count = userInfo.get<std::size_t>(key);
        return static_cast<std::int32_t>(count ? *count : 0);
    };
    std::u16string format = toUtf16(Localization::localizedString("Chars %@ Words %@"));
    std::u16string label =
        formatString(format, {toUtf16(std::to_string(countOf(JOTTextCounter::kComposedCharacterSequencesCountKey))),
                              toUtf16(std::to_string(countOf(JOTTextCounter::kWordCountKey)))});
    std::weak_ptr<int> alive = m_lifetime;
    dispatchAsyncMain([this, alive, label] {
        if (!alive.expired() && m_counterLabel)
            m_counterLabel->setText(label);
    });
}

void MEMarkdownTextView::willCloseDocument()
{
    m_isClosingDocument = true;
    hideWordCounter();
}

} // namespace folio

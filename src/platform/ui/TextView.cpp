#include "platform/ui/TextView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/TextAttributeNames.h"
#include "platform/ui/Presenter.h"

#include <algorithm>
#include <cmath>

namespace folio {

namespace {
constexpr double kDefaultFontSize = 12;
constexpr double kAdvancePerPoint = 0.6;
constexpr double kLineHeightPerPoint = 1.2;
constexpr double kCaretWidth = 2;

bool isLineBreak(char16_t unit) { return unit == u'\n' || unit == u'\r' || unit == 0x2028 || unit == 0x2029; }
} // namespace

TextView::TextView(Rect frame, std::shared_ptr<TextStorage> storage)
    : ScrollView(frame), m_storage(storage ? std::move(storage) : std::make_shared<TextStorage>())
{
    // The view does not own a reference to itself through the storage: the
    // observer holds only a raw pointer and is removed in the destructor.
    m_storageObserver = m_storage->addObserver([this](TextStorage&, const TextStorageEdit&) {
        invalidateLayout();
        ensureLayout();
    });
    ensureLayout();
}

TextView::~TextView() { m_storage->removeObserver(m_storageObserver); }

void TextView::setText(const std::u16string& text)
{
    m_storage->replaceCharactersInRange(Range{0, m_storage->length()}, std::u16string_view(text));
    if (m_typingAttributes && !text.empty())
        m_storage->setAttributes(m_typingAttributes, Range{0, m_storage->length()});
    m_selectedRange = Range{m_storage->length(), 0};
    notifySelectionObservers();
}

void TextView::setSelectedRange(Range range)
{
    std::size_t length = m_storage->length();
    std::size_t location = std::min(range.location, length);
    Range clamped{location, std::min(range.length, length - location)};
    m_selectedRange = clamped;
    notifySelectionObservers();
    if (auto delegate = m_delegate.lock())
        delegate->textViewDidChangeSelection(*this);
}

std::uint64_t TextView::addSelectionObserver(SelectionObserver observer)
{
    std::uint64_t token = m_nextSelectionObserver++;
    m_selectionObservers.emplace_back(token, std::move(observer));
    return token;
}

void TextView::removeSelectionObserver(std::uint64_t token)
{
    std::erase_if(m_selectionObservers, [token](const auto& entry) { return entry.first == token; });
}

void TextView::notifySelectionObservers()
{
    auto observers = m_selectionObservers;
    for (auto& [token, observer] : observers)
        observer(*this);
}

void TextView::setTypingAttributes(AttributeDictionaryPtr attributes)
{
    m_typingAttributes = std::move(attributes);
    invalidateLayout();
}

void TextView::setTextContainerInset(EdgeInsets insets)
{
    m_textContainerInset = insets;
    invalidateLayout();
    ensureLayout();
}

bool TextView::changeText(Range range, const std::u16string& replacement, bool askDelegate)
{
    std::size_t length = m_storage->length();
    if (range.location > length || range.length > length - range.location)
        return false;
    // Never split a surrogate pair: half a pair would corrupt the text.
    const std::u16string& current = text();
    if (range.location > 0 && range.location < length && isLowSurrogate(current[range.location]))
        return false;
    if (range.end() > 0 && range.end() < length && isLowSurrogate(current[range.end()]))
        return false;
    auto delegate = m_delegate.lock();
    if (askDelegate && delegate && !delegate->textViewShouldChangeTextInRange(*this, range, replacement))
        return false;

    AttributedString previous = m_storage->attributedSubstringFromRange(range);
    m_storage->beginEditing();
    m_storage->replaceCharactersInRange(range, std::u16string_view(replacement));
    // Typed text in an empty text has nothing to inherit from.
    if (length == range.length && m_typingAttributes && !replacement.empty())
        m_storage->setAttributes(m_typingAttributes, Range{range.location, replacement.size()});
    m_storage->endEditing();
    registerUndoOfReplacement(Range{range.location, replacement.size()}, std::move(previous));
    setSelectedRange(Range{range.location + replacement.size(), 0});
    reportTextChange();
    return true;
}

void TextView::registerUndoOfReplacement(Range changed, AttributedString previous)
{
    std::weak_ptr<TextView> weak = sharedAs<TextView>();
    m_undoManager.registerUndo([weak, changed, previous = std::move(previous)]() {
        auto view = weak.lock();
        if (!view)
            return;
        AttributedString current = view->m_storage->attributedSubstringFromRange(changed);
        view->m_storage->replaceCharactersInRange(changed, previous);
        // Registered while undoing, this becomes the redo step.
        view->registerUndoOfReplacement(Range{changed.location, previous.length()}, std::move(current));
        view->setSelectedRange(Range{changed.location + previous.length(), 0});
        view->reportTextChange();
    });
}

void TextView::reportTextChange()
{
    if (auto delegate = m_delegate.lock())
        delegate->textViewDidChange(*this);
    NotificationCenter::defaultCenter().postNotification(TextViewTextDidChangeNotification, this);
}

void TextView::reloadInputViews() { Presenter::current().inputViewsDidChange(*this); }

bool TextView::insertText(const std::u16string& text)
{
    if (!m_editable)
        return false;
    return changeText(m_selectedRange, text, true);
}

bool TextView::deleteBackward()
{
    if (!m_editable)
        return false;
    if (m_selectedRange.length > 0)
        return changeText(m_selectedRange, u"", true);
    if (m_selectedRange.location == 0)
        return false;
    std::size_t start = m_selectedRange.location - 1;
    const std::u16string& current = text();
    if (start > 0 && isLowSurrogate(current[start]) && isHighSurrogate(current[start - 1]))
        --start;
    return changeText(Range{start, m_selectedRange.location - start}, u"", true);
}

bool TextView::replaceRange(Range range, const std::u16string& text) { return changeText(range, text, false); }

std::optional<std::size_t> TextView::positionFromPosition(std::size_t position, std::ptrdiff_t offset) const
{
    auto target = static_cast<std::ptrdiff_t>(position) + offset;
    if (position > text().size() || target < 0 || static_cast<std::size_t>(target) > text().size())
        return std::nullopt;
    return static_cast<std::size_t>(target);
}

std::ptrdiff_t TextView::offsetFromPosition(std::size_t from, std::size_t to) const
{
    return static_cast<std::ptrdiff_t>(to) - static_cast<std::ptrdiff_t>(from);
}

double TextView::defaultFontSize() const
{
    if (m_typingAttributes) {
        if (const auto* font = m_typingAttributes->valueForKeyAs<FontAttributeValue>(TextAttributeName::Font))
            return font->font().pointSize();
    }
    return kDefaultFontSize;
}

double TextView::advanceAt(std::size_t index) const
{
    if (index < text().size() && isLowSurrogate(text()[index]))
        return 0;
    const auto font = m_storage->attributeAtIndex(TextAttributeName::Font, index);
    const auto* value = font ? font->as<FontAttributeValue>() : nullptr;
    return kAdvancePerPoint * (value ? value->font().pointSize() : defaultFontSize());
}

void TextView::ensureLayout() const
{
    if (m_layoutValid)
        return;
    m_lines.clear();
    const std::u16string& current = text();
    double top = m_textContainerInset.top;
    double widest = 0;
    std::size_t start = 0;
    while (true) {
        std::size_t end = start;
        while (end < current.size() && !isLineBreak(current[end]))
            ++end;
        double size = defaultFontSize();
        if (start < current.size()) {
            if (auto font = m_storage->attributeAtIndex(TextAttributeName::Font, start)) {
                if (const auto* value = font->as<FontAttributeValue>())
                    size = value->font().pointSize();
            }
        }
        Line line{start, end - start, top, std::round(size * kLineHeightPerPoint)};
        m_lines.push_back(line);
        top += line.height;
        widest = std::max(widest, xForPosition(line, end));
        if (end >= current.size())
            break;
        start = end + 1;
        if (current[end] == u'\r' && start < current.size() && current[start] == u'\n')
            ++start;
    }
    m_layoutValid = true;
    auto* self = const_cast<TextView*>(this);
    self->setContentSize(Size{widest + m_textContainerInset.right, top + m_textContainerInset.bottom});
}

std::size_t TextView::lineIndexForPosition(std::size_t position) const
{
    ensureLayout();
    auto it = std::upper_bound(m_lines.begin(), m_lines.end(), position,
                               [](std::size_t value, const Line& line) { return value < line.start; });
    return it == m_lines.begin() ? 0 : static_cast<std::size_t>(it - m_lines.begin()) - 1;
}

double TextView::xForPosition(const Line& line, std::size_t position) const
{
    double x = m_textContainerInset.left;
    std::size_t end = std::min(position, line.start + line.length);
    for (std::size_t index = line.start; index < end; ++index)
        x += advanceAt(index);
    return x;
}

Rect TextView::caretRectForPosition(std::size_t position) const
{
    position = std::min(position, text().size());
    const Line& line = m_lines[lineIndexForPosition(position)];
    return makeRect(xForPosition(line, position), line.top, kCaretWidth, line.height);
}

std::vector<Rect> TextView::selectionRectsForRange(Range range) const
{
    std::vector<Rect> rects;
    std::size_t length = text().size();
    std::size_t start = std::min(range.location, length);
    std::size_t end = std::min(length, start + std::min(range.length, length - start));
    std::size_t first = lineIndexForPosition(start);
    std::size_t last = lineIndexForPosition(end);
    for (std::size_t index = first; index <= last && index < m_lines.size(); ++index) {
        const Line& line = m_lines[index];
        std::size_t from = std::max(start, line.start);
        std::size_t to = std::min(end, line.start + line.length);
        // A range that only reaches the start of the next line does not touch it.
        if (index > first && end <= line.start)
            break;
        double left = xForPosition(line, from);
        double right = to > from ? xForPosition(line, to) : left;
        rects.push_back(makeRect(left, line.top, right - left, line.height));
    }
    return rects;
}

Rect TextView::firstRectForRange(Range range) const
{
    std::vector<Rect> rects = selectionRectsForRange(range);
    return rects.empty() ? caretRectForPosition(range.location) : rects.front();
}

std::size_t TextView::closestPositionToPoint(Point point) const
{
    ensureLayout();
    auto it = std::upper_bound(m_lines.begin(), m_lines.end(), point.y,
                               [](double y, const Line& line) { return y < line.top; });
    const Line& line = it == m_lines.begin() ? m_lines.front() : *(it - 1);
    double x = m_textContainerInset.left;
    std::size_t position = line.start;
    for (; position < line.start + line.length; ++position) {
        double advance = advanceAt(position);
        if (point.x < x + advance / 2)
            break;
        x += advance;
    }
    return position;
}

Range TextView::characterRangeAtPoint(Point point) const
{
    ensureLayout();
    auto it = std::upper_bound(m_lines.begin(), m_lines.end(), point.y,
                               [](double y, const Line& line) { return y < line.top; });
    const Line& line = it == m_lines.begin() ? m_lines.front() : *(it - 1);
    double x = m_textContainerInset.left;
    for (std::size_t position = line.start; position < line.start + line.length; ++position) {
        x += advanceAt(position);
        if (point.x < x)
            return Range{position, 1};
    }
    std::size_t end = line.start + line.length;
    return end < text().size() ? Range{end, 1} : Range{end, 0};
}

bool TextView::respondsToAction(const std::string& action) const
{
    if (action == "undo:")
        return m_editable && m_undoManager.canUndo();
    if (action == "redo:")
        return m_editable && m_undoManager.canRedo();
    if (action == "selectAll:")
        return m_selectable && hasText();
    return false;
}

bool TextView::performAction(const std::string& action, const void* sender)
{
    if (!respondsToAction(action))
        return ScrollView::performAction(action, sender);
    if (action == "undo:")
        return m_undoManager.undo();
    if (action == "redo:")
        return m_undoManager.redo();
    setSelectedRange(Range{0, text().size()});
    return true;
}

bool TextView::willBecomeFirstResponder()
{
    auto delegate = m_delegate.lock();
    return !m_editable || !delegate || delegate->textViewShouldBeginEditing(*this);
}

bool TextView::willResignFirstResponder()
{
    auto delegate = m_delegate.lock();
    return !m_editable || !delegate || delegate->textViewShouldEndEditing(*this);
}

void TextView::didBecomeFirstResponder()
{
    if (auto delegate = m_delegate.lock(); delegate && m_editable)
        delegate->textViewDidBeginEditing(*this);
}

void TextView::didResignFirstResponder()
{
    if (auto delegate = m_delegate.lock(); delegate && m_editable)
        delegate->textViewDidEndEditing(*this);
}

} // namespace folio

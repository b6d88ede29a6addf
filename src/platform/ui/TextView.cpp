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
    m_storageObserver = m_storage->addObserver([this](TextStorage&, const TextStorageEdit& edit) { updateLayoutAfterEdit(edit); });
    ensureLayout();
}

TextView::~TextView() { m_storage->removeObserver(m_storageObserver); }

void TextView::setText(const std::u16string& text)
{
    m_storage->replaceCharactersInRange(Range{0, m_storage->length()}, std::u16string_view(text));
    if (m_typingAttributes && !text.empty())
        m_storage->setAttributes(m_typingAttributes, Range{0, m_storage->length()});
    m_selectedRange = Range{m_storage->length(), 0};
    // The steps recorded so far were of another text.
    m_undoManager.removeAllActions();
    m_undoRun.reset();
    notifySelectionObservers();
}

void TextView::setSelectedRange(Range range)
{
    std::size_t length = m_storage->length();
    std::size_t location = std::min(range.location, length);
    Range clamped{location, std::min(range.length, length - location)};
    // A caret moved elsewhere ends the run of typing.
    if (clamped != m_selectedRange)
        m_undoRun.reset();
    applySelectedRange(clamped);
}

void TextView::applySelectedRange(Range clamped)
{
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

void TextView::scrollSelectionToVisible()
{
    Rect caret = caretRectForPosition(m_selectedRange.end());
    EdgeInsets insets = contentInset();
    double visibleHeight = bounds().height() - insets.top - insets.bottom;
    if (visibleHeight <= 0)
        return;
    Point offset = contentOffset();
    double bottom = caret.maxY() + m_textContainerInset.bottom;
    if (bottom > offset.y + insets.top + visibleHeight)
        offset.y = bottom - visibleHeight - insets.top;
    double top = caret.minY() - m_textContainerInset.top;
    if (top < offset.y + insets.top)
        offset.y = top - insets.top;
    if (offset != contentOffset())
        setContentOffset(offset);
}

bool TextView::changeText(Range range, const std::u16string& replacement, bool askDelegate, EditOrigin origin)
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
    recordUndo(range, replacement, std::move(previous), origin);
    applySelectedRange(Range{range.location + replacement.size(), 0});
    scrollSelectionToVisible();
    reportTextChange();
    return true;
}

void TextView::recordUndo(Range range, const std::u16string& replacement, AttributedString previous, EditOrigin origin)
{
    const bool deleting = origin == EditOrigin::DeletingBackward || origin == EditOrigin::DeletingForward ||
                          origin == EditOrigin::DeletingSelection;
    const bool breaksLine = std::any_of(replacement.begin(), replacement.end(), isLineBreak);
    if (m_undoRun && m_undoRun->stamp == m_undoManager.changeStamp()) {
        UndoRun& run = *m_undoRun;
        ReplacementUndo& step = *run.step;
        if (run.kind == UndoRunKind::Typing && !deleting && range.length == 0 && !replacement.empty() &&
            !breaksLine && range.location == run.caret) {
            step.changed.length += replacement.size();
            run.caret += replacement.size();
            return;
        }
        if (run.kind == UndoRunKind::DeletingBackward && origin == EditOrigin::DeletingBackward &&
            range.end() == run.caret) {
            MutableAttributedString joined(previous);
            joined.appendAttributedString(step.previous);
            step.previous = std::move(joined);
            step.changed.location = range.location;
            run.caret = range.location;
            return;
        }
        if (run.kind == UndoRunKind::DeletingForward && origin == EditOrigin::DeletingForward &&
            range.location == run.caret) {
            MutableAttributedString joined(step.previous);
            joined.appendAttributedString(previous);
            step.previous = std::move(joined);
            return;
        }
    }
    std::shared_ptr<ReplacementUndo> step = registerUndoOfReplacement(Range{range.location, replacement.size()}, std::move(previous));
    m_undoRun.reset();
    std::optional<UndoRunKind> kind;
    // Typing over a selection starts a run too, also when the window deletes
    // the selection before the first character comes: the typing then joins
    // the deletion, and one undo gives the selection back. A replace of text
    // from code (find and replace) stands alone.
    if (origin == EditOrigin::DeletingSelection ||
        (!deleting && !replacement.empty() && (origin == EditOrigin::Typing || range.length == 0)))
        kind = UndoRunKind::Typing;
    else if (origin == EditOrigin::DeletingBackward)
        kind = UndoRunKind::DeletingBackward;
    else if (origin == EditOrigin::DeletingForward)
        kind = UndoRunKind::DeletingForward;
    if (kind)
        m_undoRun = UndoRun{*kind, std::move(step), m_undoManager.changeStamp(), range.location + replacement.size()};
}

std::shared_ptr<TextView::ReplacementUndo> TextView::registerUndoOfReplacement(Range changed, AttributedString previous)
{
    auto step = std::make_shared<ReplacementUndo>(ReplacementUndo{changed, std::move(previous)});
    std::weak_ptr<TextView> weak = sharedAs<TextView>();
    m_undoManager.registerUndo([weak, step]() {
        auto view = weak.lock();
        if (!view)
            return;
        const Range changed = step->changed;
        AttributedString current = view->m_storage->attributedSubstringFromRange(changed);
        view->m_storage->replaceCharactersInRange(changed, step->previous);
        view->m_undoRun.reset();
        // Registered while undoing, this becomes the redo step.
        view->registerUndoOfReplacement(Range{changed.location, step->previous.length()}, std::move(current));
        view->setSelectedRange(Range{changed.location + step->previous.length(), 0});
        view->scrollSelectionToVisible();
        view->reportTextChange();
    });
    return step;
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
    return changeText(m_selectedRange, text, true, EditOrigin::Typing);
}

bool TextView::deleteBackward()
{
    if (!m_editable)
        return false;
    if (m_selectedRange.length > 0)
        return changeText(m_selectedRange, u"", true, EditOrigin::DeletingSelection);
    if (m_selectedRange.location == 0)
        return false;
    std::size_t start = m_selectedRange.location - 1;
    const std::u16string& current = text();
    if (start > 0 && isLowSurrogate(current[start]) && isHighSurrogate(current[start - 1]))
        --start;
    return changeText(Range{start, m_selectedRange.location - start}, u"", true, EditOrigin::DeletingBackward);
}

bool TextView::deleteRange(Range range)
{
    if (!m_editable || range.length == 0)
        return false;
    EditOrigin origin = EditOrigin::DeletingSelection;
    if (m_selectedRange.length == 0 && range.end() == m_selectedRange.location)
        origin = EditOrigin::DeletingBackward;
    else if (m_selectedRange.length == 0 && range.location == m_selectedRange.location)
        origin = EditOrigin::DeletingForward;
    return changeText(range, u"", true, origin);
}

bool TextView::replaceRange(Range range, const std::u16string& text)
{
    return changeText(range, text, false, EditOrigin::Code);
}

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

TextView::Line TextView::layOutLine(std::size_t start, double top, std::size_t& next) const
{
    const std::u16string& current = text();
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
    Line line{start, end - start, top, std::round(size * kLineHeightPerPoint), 0};
    line.width = xForPosition(line, end) - m_textContainerInset.left;
    if (end >= current.size()) {
        next = NotFound;
    } else {
        next = end + 1;
        if (current[end] == u'\r' && next < current.size() && current[next] == u'\n')
            ++next;
    }
    return line;
}

void TextView::ensureLayout() const
{
    if (m_layoutValid)
        return;
    m_lines.clear();
    double top = m_textContainerInset.top;
    std::size_t start = 0;
    while (start != NotFound) {
        m_lines.push_back(layOutLine(start, top, start));
        top += m_lines.back().height;
    }
    m_layoutValid = true;
    m_widest = -1;
    updateContentSize();
}

void TextView::updateLayoutAfterEdit(const TextStorageEdit& edit)
{
    const std::size_t length = text().size();
    const Range after = edit.editedRange;
    const std::ptrdiff_t oldEditLength = static_cast<std::ptrdiff_t>(after.length) - edit.changeInLength;
    if (!m_layoutValid || m_lines.empty() || after.isNotFound() || after.end() > length || oldEditLength < 0) {
        invalidateLayout();
        ensureLayout();
        return;
    }
    const std::size_t oldEnd = after.location + static_cast<std::size_t>(oldEditLength);
    // From the line before the edit's start (an edit at a line's start may
    // split or join the break that ends the line before) ...
    std::size_t first = lineIndexForPosition(after.location > 0 ? after.location - 1 : 0);
    // ... to where the old lines start again after the edit, unchanged but
    // for the shift: a line whose break lies wholly after the edit.
    auto shiftedStart = [&](const Line& line) { return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(line.start) + edit.changeInLength); };
    std::size_t resume = first + 1;
    while (resume < m_lines.size() && m_lines[resume].start <= oldEnd)
        ++resume;

    std::vector<Line> fresh;
    double top = m_lines[first].top;
    std::size_t start = m_lines[first].start;
    bool joined = false;
    while (start != NotFound) {
        // The old lines that begin before this point are replaced.
        while (resume < m_lines.size() && shiftedStart(m_lines[resume]) < start)
            ++resume;
        if (start > after.end() && resume < m_lines.size() && shiftedStart(m_lines[resume]) == start) {
            joined = true;
            break;
        }
        fresh.push_back(layOutLine(start, top, start));
        top += fresh.back().height;
    }
    if (!joined)
        resume = m_lines.size();

    double removedWidest = 0;
    for (std::size_t index = first; index < resume; ++index)
        removedWidest = std::max(removedWidest, m_lines[index].width);
    const double shift = resume < m_lines.size() ? top - m_lines[resume].top : 0;
    for (std::size_t index = resume; index < m_lines.size(); ++index) {
        m_lines[index].start = shiftedStart(m_lines[index]);
        m_lines[index].top += shift;
    }
    double addedWidest = 0;
    for (const Line& line : fresh)
        addedWidest = std::max(addedWidest, line.width);
    // The fresh lines take the replaced ones' places, so that only a change
    // in their number moves the lines after them.
    const std::size_t replaced = resume - first;
    const std::size_t reused = std::min(replaced, fresh.size());
    std::copy(fresh.begin(), fresh.begin() + static_cast<std::ptrdiff_t>(reused), m_lines.begin() + static_cast<std::ptrdiff_t>(first));
    if (fresh.size() > replaced)
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(resume), fresh.begin() + static_cast<std::ptrdiff_t>(reused), fresh.end());
    else
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(first + reused), m_lines.begin() + static_cast<std::ptrdiff_t>(resume));
    // Only when the widest line may have become narrower are all widths looked at.
    if (addedWidest >= m_widest)
        m_widest = addedWidest;
    else if (removedWidest >= m_widest)
        m_widest = -1;
    updateContentSize();
}

void TextView::updateContentSize() const
{
    if (m_widest < 0) {
        m_widest = 0;
        for (const Line& line : m_lines)
            m_widest = std::max(m_widest, line.width);
    }
    double bottom = m_lines.empty() ? m_textContainerInset.top : m_lines.back().top + m_lines.back().height;
    auto* self = const_cast<TextView*>(this);
    self->setContentSize(Size{m_textContainerInset.left + m_widest + m_textContainerInset.right, bottom + m_textContainerInset.bottom});
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
    // Run by run: every character of a run advances by its font's share.
    const std::u16string& current = text();
    double x = m_textContainerInset.left;
    std::size_t end = std::min(position, line.start + line.length);
    for (std::size_t index = line.start; index < end;) {
        Range run;
        AttributeDictionaryPtr attributes = m_storage->attributesAtIndex(index, &run);
        std::size_t runEnd = run.isNotFound() ? index + 1 : std::min(end, std::max(run.end(), index + 1));
        const auto* font = attributes ? attributes->valueForKeyAs<FontAttributeValue>(TextAttributeName::Font) : nullptr;
        double advance = kAdvancePerPoint * (font ? font->font().pointSize() : defaultFontSize());
        std::size_t characters = 0;
        for (std::size_t unit = index; unit < runEnd; ++unit)
            characters += isLowSurrogate(current[unit]) ? 0 : 1;
        x += advance * static_cast<double>(characters);
        index = runEnd;
    }
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

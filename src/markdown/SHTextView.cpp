#include "markdown/SHTextView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/ColorArchive.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/ViewAnimation.h"

#include <algorithm>

namespace folio {

namespace {
constexpr const char* kBackgroundColorKey = "markdownDefaultBackgroundColor";
constexpr const char* kScrollEndedSelector = "scrollEnded";
constexpr const char* kClearHighlightsSelector = "clearHighlights";
constexpr double kScrollEndDelay = 0.1;
constexpr double kFrameChangeClearDelay = 0.1;
constexpr double kScrollAnimationDuration = 0.3;

Range absoluteRange(Range relative, Range cached) { return Range{relative.location + cached.location, relative.length}; }
} // namespace

Color SHTextView::primaryHighlightColor() { return Color::colorWithRed(1.0, 0.478, 0.0, 1.0); }
Color SHTextView::secondaryHighlightColor() { return Color::colorWithRed(0.973, 0.835, 0.408, 1.0); }

SHTextView::SHTextView(Rect frame, std::shared_ptr<TextStorage> storage, UserDefaults* defaults)
    : TextView(frame, std::move(storage)), m_pan(std::make_shared<PanGestureRecognizer>()), m_backgroundDefaults(defaults)
{
    reloadBackgroundColor();
    setSelectable(true);
    m_textObserver = NotificationCenter::defaultCenter().addObserver(TextViewTextDidChangeNotification, this,
                                                                     [this](const Notification&) { textDidChange(); });
}

SHTextView::~SHTextView()
{
    NotificationCenter::defaultCenter().removeObserver(m_textObserver);
    RunLoop::main().cancelPreviousPerformRequests(this);
    if (m_autoRefreshTimer)
        RunLoop::main().invalidate(m_autoRefreshTimer);
}

void SHTextView::reloadBackgroundColor()
{
    UserDefaults& settings = m_backgroundDefaults ? *m_backgroundDefaults : UserDefaults::standardUserDefaults();
    std::optional<Color> background;
    if (auto stored = settings.objectForKey(kBackgroundColorKey); stored && stored->dataValue())
        background = ColorArchive::colorFromData(stored->dataValue()->span());
    setBackgroundColor(background.value_or(Color::colorWithWhite(1.0)));
}

void SHTextView::textDidChange()
{
    // The match list is never moved along with an edit; any edit ends the search.
    if (m_searching)
        resetSearch();
}

bool SHTextView::willBecomeFirstResponder()
{
    if (isEditable())
        resetSearch();
    return TextView::willBecomeFirstResponder();
}

// --- Starting and stepping -------------------------------------------------

bool SHTextView::initializeSearchWithPattern(const std::u16string& pattern)
{
    if (pattern.empty()) {
        resetSearch();
        return false;
    }
    const std::size_t length = text().size();
    Range range = intersectionRange(Range{0, length}, Range{m_searchRange.location,
                                                            std::min(m_searchRange.length, NotFound - m_searchRange.location)});
    if (range.length == 0 && length > 0)
        range = Range{0, length};
    bool needsNew = !m_regex || m_regex->pattern() != pattern || m_regex->options() != m_searchOptions || range != m_cachedRange;
    if (needsNew) {
        std::u16string searched = range != m_cachedRange || !m_regex ? text().substr(range.location, range.length) : m_regex->string();
        auto regex = SHRegularExpression::make(std::move(searched), pattern, m_searchOptions);
        if (!regex) {
            resetSearch();
            return false;
        }
        m_regex = std::move(*regex);
        m_regex->setCircular(m_circularSearch);
        m_cachedRange = range;
    }
    if (m_highlightSearchResults) {
        demotePrimaryHighlights();
        if (needsNew)
            clearHighlights();
    }
    return true;
}

bool SHTextView::scrollToMatch(const std::u16string& pattern, SearchDirection direction)
{
    if (!initializeSearchWithPattern(pattern))
        return false;
    m_searching = true;
    bool stepped = false;
    if (m_searchIndex != kAutomaticSearchIndex && m_searchIndex >= m_cachedRange.location) {
        std::size_t position = m_searchIndex - m_cachedRange.location;
        Range span = m_regex->matchLocationsRange();
        if (!span.isNotFound() && position >= span.location && position <= span.end()) {
            if (direction == SearchDirection::Backward)
                m_regex->rangeOfLastMatchInRange(Range{0, position});
            else
                m_regex->rangeOfFirstMatchInRange(Range{position, m_regex->string().size() - position});
            m_searchIndex = kAutomaticSearchIndex;
            stepped = true;
        }
    }
    if (!stepped) {
        if (direction == SearchDirection::Backward)
            m_regex->rangeOfPreviousMatch();
        else
            m_regex->rangeOfNextMatch();
    }
    Range found = rangeOfFoundString();
    if (found.isNotFound()) {
        m_searching = false;
        return false;
    }
    m_searchVisibleRange = false;
    if (m_highlightSearchResults)
        highlightOccurrencesInMaskedVisibleRange();
    scrollRangeToVisible(found, true, m_animatedSearch);
    return true;
}

bool SHTextView::scrollToString(const std::optional<std::u16string>& text, SearchDirection direction)
{
    if (!text) {
        resetSearch();
        return false;
    }
    std::u16string pattern = RegularExpression::escapedPatternForString(*text);
    if (m_searching && m_regex && pattern.size() != m_regex->pattern().size()) {
        std::size_t shorter = std::min(pattern.size(), m_regex->pattern().size());
        // Typing on (or deleting from) the search text keeps the search where it is.
        if (lowercaseString(std::u16string_view(pattern).substr(0, shorter)) ==
                lowercaseString(std::u16string_view(m_regex->pattern()).substr(0, shorter)) &&
            !rangeOfFoundString().isNotFound())
            m_searchIndex = rangeOfFoundString().location;
    }
    return scrollToMatch(pattern, direction);
}

bool SHTextView::scrollToMatch(const std::u16string& pattern, unsigned options, std::optional<Range> range)
{
    m_searchOptions = options;
    if (range)
        m_searchRange = *range;
    return scrollToMatch(pattern);
}

bool SHTextView::scrollToString(const std::optional<std::u16string>& text, unsigned options, std::optional<Range> range)
{
    m_searchOptions = options;
    if (range)
        m_searchRange = *range;
    return scrollToString(text);
}

bool SHTextView::scrollToMatch(const std::u16string& pattern, unsigned options, std::optional<Range> range, bool animated,
                               int scrollPosition)
{
    m_animatedSearch = animated;
    m_scrollPosition = scrollPosition;
    return scrollToMatch(pattern, options, range);
}

bool SHTextView::scrollToString(const std::optional<std::u16string>& text, unsigned options, std::optional<Range> range,
                                bool animated, int scrollPosition)
{
    m_animatedSearch = animated;
    m_scrollPosition = scrollPosition;
    return scrollToString(text, options, range);
}

void SHTextView::resetSearch()
{
    if (m_highlightSearchResults)
        clearHighlights();
    setAutoRefreshTimer(0);
    m_cachedRange = Range{0, 0};
    m_regex.reset();
    m_searchIndex = kAutomaticSearchIndex;
    m_searching = false;
    m_searchVisibleRange = false;
}

Range SHTextView::rangeOfFoundString() const
{
    if (!m_regex || m_regex->indexOfCurrentMatch() == NotFound)
        return SHRangeNotFound;
    return absoluteRange(m_regex->cachedMatchRanges()[m_regex->indexOfCurrentMatch()], m_cachedRange);
}

std::optional<std::u16string> SHTextView::foundString() const
{
    Range range = rangeOfFoundString();
    if (range.isNotFound() || range.end() > text().size())
        return std::nullopt;
    return text().substr(range.location, range.length);
}

void SHTextView::setCircularSearch(bool circular)
{
    m_circularSearch = circular;
    if (m_regex)
        m_regex->setCircular(circular);
}

void SHTextView::setScrollAutoRefreshDelay(double delay)
{
    if (delay < 0 || (delay > 0 && delay < 0.1))
        return;
    m_scrollAutoRefreshDelay = delay;
}

void SHTextView::setAutoRefreshTimer(RunLoop::TimerId timer)
{
    if (m_autoRefreshTimer != timer && m_autoRefreshTimer)
        RunLoop::main().invalidate(m_autoRefreshTimer);
    m_autoRefreshTimer = timer;
}

// --- Highlights --------------------------------------------------------------

void SHTextView::highlightOccurrencesInMaskedVisibleRange()
{
    if (!m_searching || !m_regex)
        return;
    if (m_performedNewScroll) {
        std::size_t start = 0;
        Range visible = visibleRangeConsideringInsets(true, &start);
        Range masked = intersectionRange(visible, m_cachedRange);
        bool added = false;
        if (masked.length > 0 && masked.location >= m_cachedRange.location) {
            Range relative{masked.location - m_cachedRange.location, masked.length};
            for (Range match : m_regex->rangesOfMatchesInRange(relative)) {
                Range absolute = absoluteRange(match, m_cachedRange);
                if (m_highlightsByRange.count(absolute))
                    continue;
                m_highlightsByRange[absolute] = addHighlightViewsForRange(absolute);
                added = true;
            }
        }
        if (added && m_highlightsByRange.size() > m_maxHighlightedMatches)
            removeHighlightsTooFarFromRange(visible);
        if (m_searchVisibleRange)
            m_searchIndex = visible.location;
    }
    makeHighlightsPrimary(rangeOfFoundString());
    // A presenter with its own text layout paints the highlights itself.
    setNeedsDisplay();
}

std::vector<std::shared_ptr<View>> SHTextView::addHighlightViewsForRange(Range range)
{
    // One view per run of line rectangles that continue each other on the same line.
    std::vector<Rect> runs;
    for (const Rect& rect : selectionRectsForRange(range)) {
        if (!runs.empty() && runs.back().minY() == rect.minY() && runs.back().height() == rect.height() &&
            runs.back().maxX() == rect.minX()) {
            runs.back().size.width += rect.width();
            continue;
        }
        runs.push_back(rect);
    }
    std::vector<std::shared_ptr<View>> views;
    for (const Rect& run : runs) {
        auto view = std::make_shared<SHHighlightView>(run, range);
        view->setCornerRadius(m_highlightCornerRadius < 0 ? 0.2 * run.height() : m_highlightCornerRadius);
        view->setBackgroundColor(secondaryHighlightColor());
        // Below everything the view shows, so the text draws over it.
        insertSubviewAtIndex(view, 0);
        m_secondaryHighlights.push_back(view);
        views.push_back(view);
    }
    return views;
}

void SHTextView::demotePrimaryHighlights()
{
    for (auto& view : m_primaryHighlights) {
        view->setBackgroundColor(secondaryHighlightColor());
        static_cast<SHHighlightView&>(*view).setEmphasized(false);
        m_secondaryHighlights.push_back(view);
    }
    m_primaryHighlights.clear();
}

void SHTextView::makeHighlightsPrimary(Range range)
{
    demotePrimaryHighlights();
    auto it = m_highlightsByRange.find(range);
    if (range.isNotFound() || it == m_highlightsByRange.end())
        return;
    for (auto& view : it->second) {
        view->setBackgroundColor(primaryHighlightColor());
        static_cast<SHHighlightView&>(*view).setEmphasized(true);
        m_primaryHighlights.push_back(view);
        std::erase(m_secondaryHighlights, view);
    }
}

void SHTextView::clearHighlights()
{
    demotePrimaryHighlights();
    for (auto& view : m_secondaryHighlights)
        view->removeFromSuperview();
    m_secondaryHighlights.clear();
    m_highlightsByRange.clear();
    m_performedNewScroll = true;
    setNeedsDisplay();
}

void SHTextView::removeHighlightsTooFarFromRange(Range visibleRange)
{
    std::size_t windowStart = visibleRange.location > visibleRange.length ? visibleRange.location - visibleRange.length : 0;
    std::size_t windowEnd = windowStart + 3 * visibleRange.length;
    std::size_t current = rangeOfFoundString().location;
    for (auto it = m_highlightsByRange.begin(); it != m_highlightsByRange.end();) {
        std::size_t location = it->first.location;
        if ((location >= windowStart && location <= windowEnd) || location == current) {
            ++it;
            continue;
        }
        for (auto& view : it->second) {
            view->removeFromSuperview();
            std::erase(m_secondaryHighlights, view);
        }
        it = m_highlightsByRange.erase(it);
    }
}

// --- Geometry and scrolling ------------------------------------------------------

EdgeInsets SHTextView::totalContentInset() const
{
    EdgeInsets content = contentInset();
    EdgeInsets container = textContainerInset();
    return EdgeInsets{content.top + container.top, content.left + container.left, content.bottom + container.bottom,
                      content.right + container.right};
}

Rect SHTextView::visibleRectConsideringInsets(bool consideringInsets) const
{
    Rect visible = bounds();
    if (!consideringInsets)
        return visible;
    EdgeInsets insets = totalContentInset();
    return insetRect(visible, insets);
}

Range SHTextView::visibleRangeConsideringInsets(bool consideringInsets, std::size_t* startPosition, std::size_t* endPosition) const
{
    Rect visible = visibleRectConsideringInsets(consideringInsets);
    Range first = characterRangeAtPoint(visible.origin);
    Range last = characterRangeAtPoint(Point{visible.maxX(), visible.maxY()});
    std::size_t start = first.location;
    std::size_t end = std::max(start, last.end());
    if (startPosition)
        *startPosition = start;
    if (endPosition)
        *endPosition = end;
    return Range{start, end - start};
}

void SHTextView::scrollRangeToVisible(Range range, bool consideringInsets, bool animated)
{
    ensureLayout();
    scrollRectToVisible(firstRectForRange(range), animated, consideringInsets);
}

void SHTextView::scrollRangeToVisible(Range range, bool consideringInsets, bool animated, int scrollPosition)
{
    m_scrollPosition = scrollPosition;
    scrollRangeToVisible(range, consideringInsets, animated);
}

void SHTextView::scrollRectToVisible(Rect rect, bool animated, bool consideringInsets, int scrollPosition)
{
    m_scrollPosition = scrollPosition;
    scrollRectToVisible(rect, animated, consideringInsets);
}

void SHTextView::scrollRectToVisible(Rect rect, bool animated, bool consideringInsets)
{
    double top = consideringInsets ? totalContentInset().top : 0;
    Rect visible = visibleRectConsideringInsets(consideringInsets);
    Rect test = visible;
    double y = rect.minY() - top;
    const double band = 1.5 * rect.height();
    switch (m_scrollPosition) {
    case ScrollPositionTop:
        test.size.height = band;
        break;
    case ScrollPositionMiddle:
        test.origin.y += (visible.height() - band) / 2;
        test.size.height = band;
        y = rect.minY() - top - (visible.height() - rect.height()) / 2;
        break;
    case ScrollPositionBottom:
        test.origin.y += visible.height() - band;
        test.size.height = band;
        y = rect.minY() - top - (visible.height() - rect.height());
        break;
    default:
        if (rect.minY() >= visible.minY())
            y = rect.minY() - top - (visible.height() - rect.height());
        break;
    }
    bool contained = rect.minX() >= test.minX() && rect.maxX() <= test.maxX() && rect.minY() >= test.minY() &&
                     rect.maxY() <= test.maxY();
    if (!contained)
        scrollToY(y, animated, consideringInsets);
}

void SHTextView::scrollToY(double y, bool animated, bool consideringInsets)
{
    EdgeInsets insets = totalContentInset();
    double maximum = std::max(0.0, contentSize().height - bounds().height()) + (consideringInsets ? insets.bottom : 0);
    double minimum = consideringInsets ? -insets.top : 0;
    const Point target{contentOffset().x, std::clamp(y, minimum, std::max(minimum, maximum))};
    // A newer scroll takes over from one still under way.
    const std::uint64_t generation = ++m_scrollGeneration;
    if (!animated) {
        setContentOffset(target);
        return;
    }
    const Point start = contentOffset();
    std::weak_ptr<SHTextView> weak = sharedAs<SHTextView>();
    ViewAnimation::animate(kScrollAnimationDuration, [weak, generation, start, target](double progress) {
        auto self = weak.lock();
        if (!self || self->m_scrollGeneration != generation)
            return;
        // Eased in and out, as the platform scrolls.
        const double eased = progress * progress * (3 - 2 * progress);
        self->setContentOffset(Point{target.x, ViewAnimation::interpolate(start.y, target.y, eased)});
    });
}

void SHTextView::scrollToCaretPosition(std::size_t position)
{
    int previous = m_scrollPosition;
    m_scrollPosition = ScrollPositionNearest;
    scrollRectToVisible(caretRectForPosition(position), false, true);
    m_scrollPosition = previous;
}

void SHTextView::setContentOffset(Point offset)
{
    TextView::setContentOffset(offset);
    if (!m_highlightSearchResults)
        return;
    m_performedNewScroll = true;
    if (!m_searchVisibleRange && m_pan->velocityInView(this).y != 0)
        m_searchVisibleRange = true;
    if (m_searching && m_scrollAutoRefreshDelay > 0 && !m_autoRefreshTimer) {
        // FIXME: the platform fires this timer only while a finger moves the
        // content; the run loop here has no tracking mode, so it runs until
        // scrolling ends.
        setAutoRefreshTimer(RunLoop::main().scheduleTimer(m_scrollAutoRefreshDelay, true,
                                                          [this] { highlightOccurrencesInMaskedVisibleRange(); }));
    }
    RunLoop::main().cancelPreviousPerformRequests(this, kScrollEndedSelector);
    RunLoop::main().performSelectorAfterDelay(this, kScrollEndedSelector, {}, kScrollEndDelay, [this] { scrollEnded(); });
}

void SHTextView::scrollEnded()
{
    highlightOccurrencesInMaskedVisibleRange();
    setAutoRefreshTimer(0);
    m_performedNewScroll = false;
}

void SHTextView::setFrame(const Rect& frame)
{
    if (!m_highlightsByRange.empty()) {
        // Match rectangles move with the frame; they are rebuilt by the next pass.
        RunLoop::main().cancelPreviousPerformRequests(this, kClearHighlightsSelector);
        // Those in sight are made again at their new places.
        RunLoop::main().performSelectorAfterDelay(this, kClearHighlightsSelector, {}, kFrameChangeClearDelay, [this] {
            clearHighlights();
            highlightOccurrencesInMaskedVisibleRange();
        });
    }
    TextView::setFrame(frame);
}

} // namespace folio

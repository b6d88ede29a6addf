#pragma once

#include "markdown/SHRegularExpression.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/TextHighlightView.h"
#include "platform/ui/TextView.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class PanGestureRecognizer;
class UserDefaults;

// The rectangle painted behind one line of a match.
using SHHighlightView = TextHighlightView;

// A text view that finds a pattern or a literal text, keeps every match of it
// with a current one to step from (wrapping around when circular), paints a
// rectangle behind each visible match (orange for the current one, yellow for
// the rest) and scrolls a match to the chosen place in the view. Any edit of
// the text ends the search.
class SHTextView : public TextView {
public:
    enum class SearchDirection { Forward = 0, Backward = 1 };
    // Where a match is placed when scrolled to.
    enum ScrollPosition : int { ScrollPositionNearest = 0, ScrollPositionTop = 1, ScrollPositionMiddle = 2, ScrollPositionBottom = 3 };
    // "Continue from the current match".
    static constexpr std::size_t kAutomaticSearchIndex = NotFound;

    // The background colour comes from the setting "markdownDefaultBackgroundColor"
    // in `defaults` (the user's when null).
    explicit SHTextView(Rect frame = {}, std::shared_ptr<TextStorage> storage = nullptr, UserDefaults* defaults = nullptr);
    ~SHTextView() override;

    bool scrollToMatch(const std::u16string& pattern, SearchDirection direction = SearchDirection::Forward);
    // A null text ends the search.
    bool scrollToString(const std::optional<std::u16string>& text, SearchDirection direction = SearchDirection::Forward);
    // Each variant keeps the settings it is given, then searches forward.
    bool scrollToMatch(const std::u16string& pattern, unsigned options, std::optional<Range> range = std::nullopt);
    bool scrollToString(const std::optional<std::u16string>& text, unsigned options, std::optional<Range> range = std::nullopt);
    bool scrollToMatch(const std::u16string& pattern, unsigned options, std::optional<Range> range, bool animated, int scrollPosition);
    bool scrollToString(const std::optional<std::u16string>& text, unsigned options, std::optional<Range> range, bool animated,
                        int scrollPosition);
    void resetSearch();

    std::size_t numberOfMatches() const { return m_regex ? m_regex->numberOfMatches() : 0; }
    std::size_t indexOfFoundString() const { return m_regex ? m_regex->indexOfCurrentMatch() : NotFound; }
    // In positions of the whole text.
    Range rangeOfFoundString() const;
    std::optional<std::u16string> foundString() const;

    void scrollRangeToVisible(Range range, bool consideringInsets, bool animated = true);
    void scrollRangeToVisible(Range range, bool consideringInsets, bool animated, int scrollPosition);
    void scrollRectToVisible(Rect rect, bool animated, bool consideringInsets);
    void scrollRectToVisible(Rect rect, bool animated, bool consideringInsets, int scrollPosition);
    void scrollToCaretPosition(std::size_t position);
    Range visibleRangeConsideringInsets(bool consideringInsets, std::size_t* startPosition = nullptr,
                                        std::size_t* endPosition = nullptr) const;
    Rect visibleRectConsideringInsets(bool consideringInsets) const;
    EdgeInsets totalContentInset() const;

    // The pass that adds highlights for newly visible matches and marks the
    // current one; runs when a match is shown, while the user drags and when
    // scrolling ends.
    void highlightOccurrencesInMaskedVisibleRange();

    // --- Settings ---
    Range searchRange() const { return m_searchRange; }
    void setSearchRange(Range range) { m_searchRange = range; }
    unsigned searchOptions() const { return m_searchOptions; }
    void setSearchOptions(unsigned options) { m_searchOptions = options; }
    std::size_t searchIndex() const { return m_searchIndex; }
    void setSearchIndex(std::size_t index) { m_searchIndex = index; }
    bool isSearching() const { return m_searching; }
    bool circularSearch() const { return m_circularSearch; }
    void setCircularSearch(bool circular);
    bool animatedSearch() const { return m_animatedSearch; }
    void setAnimatedSearch(bool animated) { m_animatedSearch = animated; }
    int scrollPosition() const { return m_scrollPosition; }
    void setScrollPosition(int position) { m_scrollPosition = position; }
    bool highlightSearchResults() const { return m_highlightSearchResults; }
    void setHighlightSearchResults(bool highlight) { m_highlightSearchResults = highlight; }
    std::size_t maxHighlightedMatches() const { return m_maxHighlightedMatches; }
    void setMaxHighlightedMatches(std::size_t count) { m_maxHighlightedMatches = count; }
    double highlightCornerRadius() const { return m_highlightCornerRadius; }
    void setHighlightCornerRadius(double radius) { m_highlightCornerRadius = radius; }
    double scrollAutoRefreshDelay() const { return m_scrollAutoRefreshDelay; }
    // Negative values and values between 0 and 0.1 are ignored; 0 switches
    // the refresh during drags off.
    void setScrollAutoRefreshDelay(double delay);

    // --- State, for the find bar and for tests ---
    const std::optional<SHRegularExpression>& regex() const { return m_regex; }
    Range cachedRange() const { return m_cachedRange; }
    const std::map<Range, std::vector<std::shared_ptr<View>>, SHRangeComparator>& highlightsByRange() const
    {
        return m_highlightsByRange;
    }
    const std::vector<std::shared_ptr<View>>& primaryHighlights() const { return m_primaryHighlights; }
    const std::vector<std::shared_ptr<View>>& secondaryHighlights() const { return m_secondaryHighlights; }
    const std::shared_ptr<PanGestureRecognizer>& panGestureRecognizer() const { return m_pan; }
    RunLoop::TimerId autoRefreshTimer() const { return m_autoRefreshTimer; }

    static Color primaryHighlightColor();
    static Color secondaryHighlightColor();

    void setContentOffset(Point offset) override;
    void setFrame(const Rect& frame) override;

protected:
    bool willBecomeFirstResponder() override;
    // The paper colour from the settings, white when none is set or it cannot be read.
    void reloadBackgroundColor();

private:
    bool initializeSearchWithPattern(const std::u16string& pattern);
    void setAutoRefreshTimer(RunLoop::TimerId timer);
    void scrollToY(double y, bool animated, bool consideringInsets);
    void scrollEnded();
    std::vector<std::shared_ptr<View>> addHighlightViewsForRange(Range range);
    void makeHighlightsPrimary(Range range);
    void demotePrimaryHighlights();
    void clearHighlights();
    void removeHighlightsTooFarFromRange(Range visibleRange);
    void textDidChange();

    std::optional<SHRegularExpression> m_regex;
    Range m_cachedRange{0, 0};
    Range m_searchRange = SHRangeMax;
    unsigned m_searchOptions = 0;
    std::size_t m_searchIndex = kAutomaticSearchIndex;
    bool m_searching = false;
    bool m_circularSearch = false;
    bool m_animatedSearch = true;
    int m_scrollPosition = ScrollPositionNearest;
    bool m_highlightSearchResults = true;
    std::size_t m_maxHighlightedMatches = 100;
    double m_highlightCornerRadius = -1.0;
    std::map<Range, std::vector<std::shared_ptr<View>>, SHRangeComparator> m_highlightsByRange;
    std::vector<std::shared_ptr<View>> m_primaryHighlights;
    // Kept in the order the views were made.
    std::vector<std::shared_ptr<View>> m_secondaryHighlights;
    double m_scrollAutoRefreshDelay = 0.2;
    RunLoop::TimerId m_autoRefreshTimer = 0;
    bool m_performedNewScroll = false;
    bool m_searchVisibleRange = false;
    std::shared_ptr<PanGestureRecognizer> m_pan;
    std::uint64_t m_textObserver = 0;
    UserDefaults* m_backgroundDefaults = nullptr;
    std::uint64_t m_scrollGeneration = 0;
};

} // namespace folio

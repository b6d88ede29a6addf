#pragma once

#include "webeditor/SearchReplaceBar.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class PageConnection;
class ViewController;

// Find and replace in the editing page. The page's search object (JSL in the
// helper library) marks the matches, counts them, steps between them and
// replaces the current one; this keeps the find bar, the counters and the
// labels, searches as the user types (once, after a pause) and reports
// replacements.
class FindCommander {
public:
    // Typing waits this long for the next keystroke before searching.
    static constexpr double kTypingPauseSeconds = 2.0;
    static constexpr double kReturnKeyDelaySeconds = 0.1;
    // The page counts at most this many matches.
    static constexpr long long kMatchLimit = 9999;
    // Counts above this show as "+999": the label has room for three digits.
    static constexpr long long kLargestShownCount = 999;
    // Single replacements stop after this match position.
    static constexpr long long kSingleReplaceLimit = 49;
    // Replacing more than this shows the progress overlay.
    static constexpr long long kQuietReplaceAllLimit = 50;

    struct Host {
        std::function<void()> documentIsDirty{};
        std::function<void(std::shared_ptr<ViewController>)> present{};
        std::function<bool()> isDisplayingAlert{};
        // The page's frame height, to let the page grow under the bar.
        std::function<double()> webViewHeight{};
        // The bar is about to show: the ruler slider and the top bar go, and
        // the keyboard row is rebuilt with its bars.
        std::function<void()> willShowFindBar{};
        std::function<void(bool)> setEditing{};
        // The link bar closed without a find: the keyboard row comes back.
        std::function<void()> addCustomKeyboard{};
        // The desktop shows the find bar on its own, in place of the bar
        // above a keyboard.
        std::function<void()> presentFindBar{};
        std::function<void()> dismissFindBar{};
    };

    // What differs between pages. By default the scripts of a page that
    // edits its own document with execCommand inside the element "content".
    struct PageScripts {
        // Puts the replacement, which the search object's replace left
        // selected, back as HTML; "{}" is the place of its script literal.
        // Empty: the search object's own insertion stands.
        std::string insertHTML = "document.execCommand('insertHTML','false',{});";
        // Gives the page room under the bar when it shows: each "{}" is the
        // page's height in pixels. Empty: the page needs nothing.
        std::string makeRoomForBar = "document.getElementById('content').style.height={};document.body.style.height={}";
    };

    FindCommander(PageConnection& page, Host host);
    FindCommander(PageConnection& page, Host host, PageScripts scripts);
    ~FindCommander();
    FindCommander(const FindCommander&) = delete;
    FindCommander& operator=(const FindCommander&) = delete;

    SearchReplaceBar& bar() { return m_bar; }
    bool isFindOnPageVisible() const { return m_visible; }
    // The link bar shares the flag while it is up.
    void setFindOnPageVisible(bool visible) { m_visible = visible; }
    bool lowerKeyboardButtonPressed() const { return m_lowerKeyboardButtonPressed; }
    void setLowerKeyboardButtonPressed(bool pressed) { m_lowerKeyboardButtonPressed = pressed; }

    long long nTotalResults() const { return m_totalResults; }
    long long resultsIndex() const { return m_resultsIndex; }
    long long nTotalReplacements() const { return m_totalReplacements; }

    void showFindAndReplace();
    void showFindOnPage();
    void hideFindOnPage();
    void hideFindOnPageNotAnimated() { hideFindOnPage(); }
    // Shows the find bar or the link bar, whichever is current.
    void addFindOnPageBarToKeyboard();

    void findOnPage(const std::u16string& keyword);
    void doFindOnPageTask(const std::u16string& keyword);
    void cleanResults() { findOnPage(u""); }
    // The segmented control's segment: previous, or next.
    void nextprevResultsFindOnPage(size_t segment);
    void replaceOnPage();
    void replaceAll();
    void doReplaceAllTask();
    // Drops the delayed searches and replacements.
    void cancelPendingTasks();

    // The text fields' delegate answers.
    bool textFieldShouldBeginEditing(TextField& field);
    bool textFieldShouldChangeCharacters(TextField& field, Range range, const std::u16string& replacement);
    bool textFieldShouldReturn(TextField& field);
    bool textFieldShouldClear(TextField& field);
    void textFieldDidEndEditing(TextField& field);

    // Called when the link field's return key inserts the link.
    void setLinkReturnHandler(std::function<void()> handler) { m_linkReturn = std::move(handler); }

private:
    class FieldDelegate;
    void connectControls();
    // One search after `delay`, in place of the one pending.
    void scheduleSearch(const std::u16string& keyword, double delay);
    void reportReplacements(long long count, const char* buttonTitle);
    void showPosition();
    bool replaceCurrentMatch(bool waitForInsertion);

    PageConnection& m_page;
    Host m_host;
    PageScripts m_scripts;
    SearchReplaceBar m_bar;
    std::shared_ptr<FieldDelegate> m_fieldDelegate;
    std::function<void()> m_linkReturn;
    std::optional<std::u16string> m_pendingKeyword;
    // What the page's matches were found for; empty when nothing is searched.
    std::u16string m_searchedKeyword;
    bool m_visible = false;
    bool m_lowerKeyboardButtonPressed = false;
    bool m_barsLoaded = false;
    long long m_totalResults = 0;
    long long m_resultsIndex = 0;
    long long m_totalReplacements = 0;
};

} // namespace folio

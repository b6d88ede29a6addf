#pragma once

#include "webeditor/LinkAlertBar.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace folio {

class AlertController;
class BarButtonItem;
class FindCommander;
class Menu;
class PageConnection;
class UserDefaults;
class ViewController;

// Inserts what is not typed: links (through the link bar), dates, chosen
// characters, scanned or assistant text, horizontal lines and page breaks;
// removes links; and routes the insert picker's commands.
class InsertCommander {
public:
    // The link bar comes up once the page has kept its caret.
    static constexpr double kLinkBarDelaySeconds = 0.3;
    static constexpr double kTopAlertSeconds = LinkAlertBar::kShowSeconds;
    static constexpr const char* kHorizontalLineScript =
        "document.execCommand('insertHTML',false,'<hr id=\"horizontalLine\" noshade color=\"#000000\" size=\"0.5\">');";
    static constexpr const char* kPageBreakScript =
        "document.execCommand('insertHTML',false,'<hr class=\"marquent-pagebreak\" style=\"page-break-before:always;\">');";
    static constexpr const char* kUnlinkScript =
        "document.execCommand('unlink');if(document.queryCommandState('underline')) document.execCommand('underline'); "
        "document.execCommand('foreColor', false, 'black');";

    struct Host {
        std::function<void()> documentIsDirty{};
        // The largest size in the selection, in the page's pixels.
        std::function<int()> largestFontSize{};
        std::function<void(const std::string& shownSize)> setFontSizeTitle{};
        std::function<bool()> isRTLLanguage{};
        std::function<void()> endEditing{};
        std::function<void()> removeCustomKeyboard{};
        std::function<void()> dismissAllPopover{};
        std::function<void(std::shared_ptr<ViewController>)> present{};
        // The top alert bar's text; empty clears it.
        std::function<void(const std::u16string&)> setTopAlertText{};
        std::function<std::chrono::system_clock::time_point()> now{};
        // The footnote and comment commands of the insert picker.
        std::function<void()> insertNewFootnote{};
        std::function<void()> insertNewAnnotation{};
        std::function<void()> insertFootnoteTable{};
        // The insert picker while shown, so that closing all popovers closes it.
        std::function<void(std::shared_ptr<ViewController>)> setSpecialCharsPicker{};
        std::function<void(bool)> setAnyInspectorOrMenuVisible{};
    };

    InsertCommander(PageConnection& page, FindCommander& find, UserDefaults& defaults, Host host);
    ~InsertCommander();
    InsertCommander(const InsertCommander&) = delete;
    InsertCommander& operator=(const InsertCommander&) = delete;

    void showInsertLink();
    void showInsertLinkToolbar(const std::string& address);
    // Answers false, and changes nothing, for an address that would run
    // script or carry inline data (javascript:, data:, vbscript:).
    bool insertLinkInText();
    void unLinkText();
    void updateIsLinkAlert();
    void updateTopAlertBar(const std::u16string& text);
    void hideIsLinkAlert();

    void insertTextInDocument(const std::u16string& text);
    void insertHorizontalLine();
    void insertPageBreak();
    void specialCharsOptionSelected(const std::u16string& option, bool isEmoji);
    // The insert picker, as a popover at the item.
    void showSpecialCharsMenu(const std::shared_ptr<BarButtonItem>& sender);
    // The navigation bar's insert menu.
    std::shared_ptr<Menu> showInsertItemMenu(const std::shared_ptr<BarButtonItem>& sender);

    // Whether an address may become a link: not one whose scheme runs
    // script or carries its content inline.
    static bool isAllowedLinkAddress(const std::string& address);
    // The address a link gets: one without "http://" or "https://" is taken
    // as a web address.
    static std::string linkAddress(const std::string& typed);

    // The sheet that stands for the link bar while it is up.
    const std::shared_ptr<AlertController>& linkSheet() const { return m_linkSheet; }

private:
    class PickerDelegate;
    void presentLinkSheet(const std::string& address);

    PageConnection& m_page;
    FindCommander& m_find;
    UserDefaults& m_defaults;
    Host m_host;
    std::shared_ptr<PickerDelegate> m_pickerDelegate;
    std::shared_ptr<AlertController> m_linkSheet;
    LinkAlertBar m_linkAlert;
};

} // namespace folio

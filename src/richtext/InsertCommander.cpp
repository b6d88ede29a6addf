#include "richtext/InsertCommander.h"

#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Action.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/TextField.h"
#include "platform/ui/UIThemes.h"
#include "richtext/FontSizeRules.h"
#include "richtext/RichTextInsertion.h"
#include "tools/specialchars/SpecialCharsPickerController.h"
#include "tools/specialchars/SpecialCharsPickerDelegate.h"
#include "webeditor/FindCommander.h"
#include "webeditor/PageConnection.h"

#include <cctype>

namespace folio {

namespace {

std::u16string localized(const char* text)
{
    return toUtf16(Localization::localizedString(text));
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

class InsertCommander::PickerDelegate final : public SpecialCharsPickerDelegate {
public:
    explicit PickerDelegate(InsertCommander& owner) : m_owner(owner) {}
    void specialCharsOptionSelected(const std::u16string& option, bool isEmoji) override
    {
        m_owner.specialCharsOptionSelected(option, isEmoji);
    }
    // The picker closes with every other popover when an option is chosen.
    void dismissPopoverAnimated(bool) override {}
    bool offersInsertCommands() const override { return true; }

private:
    InsertCommander& m_owner;
};

InsertCommander::InsertCommander(PageConnection& page, FindCommander& find, UserDefaults& defaults, Host host)
    : m_page(page)
    , m_find(find)
    , m_defaults(defaults)
    , m_host(std::move(host))
    , m_pickerDelegate(std::make_shared<PickerDelegate>(*this))
    , m_linkAlert(page, LinkAlertBar::Host{.setText = m_host.setTopAlertText, .didHide = {}})
{
    m_find.setLinkReturnHandler([this] { insertLinkInText(); });
}

InsertCommander::~InsertCommander()
{
    m_find.setLinkReturnHandler({});
    RunLoop::main().cancelPreviousPerformRequests(this);
}

bool InsertCommander::isAllowedLinkAddress(const std::string& address)
{
    // Browsers ignore leading blanks and control characters, and tabs and
    // line breaks anywhere in a scheme, so the check does too.
    std::string scheme;
    for (char c : address) {
        if (c == ':')
            break;
        if (static_cast<unsigned char>(c) <= ' ')
            continue;
        scheme += asciiLowercase(c);
    }
    return scheme != "javascript" && scheme != "data" && scheme != "vbscript";
}

std::string InsertCommander::linkAddress(const std::string& typed)
{
    if (startsWith(typed, "http://") || startsWith(typed, "https://"))
        return typed;
    return "http://" + typed;
}

void InsertCommander::showInsertLink()
{
    SearchReplaceBar& bar = m_find.bar();
    bar.insertLinkToolbar->setHidden(false);
    bar.searchToolbar->setHidden(true);
    m_page.send("saveCaretSelection();");
    std::string address = m_page.readString("isALink();");
    RunLoop::main().performSelectorAfterDelay(this, "showInsertLinkToolbar:", address, kLinkBarDelaySeconds,
                                              [this, address] { showInsertLinkToolbar(address); });
}

void InsertCommander::showInsertLinkToolbar(const std::string& address)
{
    if (m_host.removeCustomKeyboard)
        m_host.removeCustomKeyboard();
    SearchReplaceBar& bar = m_find.bar();
    bar.searchToolbar->setHidden(true);
    bar.insertLinkToolbar->setHidden(false);
    bar.insertLink->becomeFirstResponder();
    bar.insertLink->setText(toUtf16(address));
    bar.unlinkButton->setEnabled(!address.empty());
    m_find.setFindOnPageVisible(true);
    presentLinkSheet(address);
}

void InsertCommander::presentLinkSheet(const std::string& address)
{
    // The desktop has no bar above a keyboard: the link bar's field and
    // buttons are asked for in a sheet, and its answers work the bar.
    if (!m_host.present)
        return;
    std::shared_ptr<AlertController> sheet = AlertController::make(localized("Insert Link"), localized("Web address"));
    sheet->addTextField([&](TextField& field) {
        field.setText(toUtf16(address));
        field.setPlaceholder(u"https://");
    });
    std::weak_ptr<AlertController> weakSheet = sheet;
    sheet->addAction(AlertAction::make(localized("Cancel"), AlertActionStyle::Cancel, [this](AlertAction&) { m_find.hideFindOnPage(); }));
    if (!address.empty())
        sheet->addAction(AlertAction::make(localized("Remove Link"), AlertActionStyle::Destructive, [this](AlertAction&) { unLinkText(); }));
    auto insert = AlertAction::make(localized("Insert"), AlertActionStyle::Default, [this, weakSheet](AlertAction&) {
        std::shared_ptr<AlertController> shown = weakSheet.lock();
        if (shown && !shown->textFields().empty())
            m_find.bar().insertLink->setText(shown->textFields().front()->text());
        insertLinkInText();
    });
    sheet->addAction(insert);
    sheet->setPreferredAction(insert);
    m_linkSheet = sheet;
    m_host.present(sheet);
}

bool InsertCommander::insertLinkInText()
{
    std::string typed = toUtf8(m_find.bar().insertLink->text());
    if (!isAllowedLinkAddress(typed)) {
        std::shared_ptr<AlertController> alert =
            AlertController::make(localized("Insert Link"), localized("This address cannot be used as a link."));
        alert->addAction(AlertAction::make(localized("OK"), AlertActionStyle::Default));
        if (m_host.present)
            m_host.present(alert);
        return false;
    }
    m_find.hideFindOnPage();
    if (m_host.endEditing)
        m_host.endEditing();
    m_page.send("restoreCaretSelection();");
    RichTextInsertion::Style style = RichTextInsertion::caretStyle(m_page, m_host.largestFontSize());
    std::string selected = m_page.readString("var selection = window.getSelection(); selection.toString()");
    std::u16string label = toUtf16(selected.empty() ? typed : selected);
    m_page.send(RichTextInsertion::insertHTMLScript(
        RichTextInsertion::spanHTML(style, RichTextInsertion::linkHTML(linkAddress(typed), label))));
    m_find.bar().unlinkButton->setEnabled(false);
    m_host.documentIsDirty();
    return true;
}

void InsertCommander::unLinkText()
{
    m_find.hideFindOnPage();
    if (m_host.setTopAlertText)
        m_host.setTopAlertText(u"");
    if (m_host.endEditing)
        m_host.endEditing();
    m_page.send("restoreCaretSelection();");
    m_page.send(kUnlinkScript);
    m_host.documentIsDirty();
    if (m_host.setFontSizeTitle)
        m_host.setFontSizeTitle(std::to_string(m_host.largestFontSize() - FontSizeRules::kFontSizeOffset));
}

void InsertCommander::updateIsLinkAlert()
{
    m_linkAlert.updateIsLinkAlert();
}

void InsertCommander::updateTopAlertBar(const std::u16string& text)
{
    m_linkAlert.updateTopAlertBar(text);
}

void InsertCommander::hideIsLinkAlert()
{
    m_linkAlert.hideIsLinkAlert();
}

void InsertCommander::insertTextInDocument(const std::u16string& text)
{
    RichTextInsertion::Style style = RichTextInsertion::caretStyle(m_page, m_host.largestFontSize());
    m_page.send(RichTextInsertion::insertHTMLScript(RichTextInsertion::spanHTML(style, RichTextInsertion::textHTML(text))));
    m_host.documentIsDirty();
}

void InsertCommander::insertHorizontalLine()
{
    m_page.send(kHorizontalLineScript);
    m_host.documentIsDirty();
}

void InsertCommander::insertPageBreak()
{
    m_page.send(kPageBreakScript);
    m_host.documentIsDirty();
}

void InsertCommander::specialCharsOptionSelected(const std::u16string& option, bool)
{
    if (m_host.dismissAllPopover)
        m_host.dismissAllPopover();
    auto now = m_host.now ? m_host.now() : std::chrono::system_clock::now();
    if (option == u"InsertDate" || option == u"InsertDateShort") {
        DateFormatterStyle dateStyle = option == u"InsertDate" ? DateFormatterStyle::Long : DateFormatterStyle::Short;
        insertTextInDocument(localizedStringFromDate(now, dateStyle, DateFormatterStyle::Short));
        return;
    }
    if (option == u"InsertPageBreak")
        insertPageBreak();
    else if (option == u"Horizontal Line")
        insertHorizontalLine();
    else if (option == u"InsertAnnotation" && m_host.insertNewAnnotation)
        m_host.insertNewAnnotation();
    else if (option == u"InsertFootnote" && m_host.insertNewFootnote)
        m_host.insertNewFootnote();
    else if (option == u"InsertFootnoteTable" && m_host.insertFootnoteTable)
        m_host.insertFootnoteTable();
    else if (option == u"InsertLink") {
        if (m_host.removeCustomKeyboard)
            m_host.removeCustomKeyboard();
        showInsertLink();
    } else {
        insertTextInDocument(option);
        return;
    }
    m_host.documentIsDirty();
}

void InsertCommander::showSpecialCharsMenu(const std::shared_ptr<BarButtonItem>& sender)
{
    if (m_host.dismissAllPopover)
        m_host.dismissAllPopover();
    if (m_host.setAnyInspectorOrMenuVisible)
        m_host.setAnyInspectorOrMenuVisible(true);
    auto picker = std::make_shared<SpecialCharsPickerController>(m_defaults);
    picker->setTitle(localized("Insert"));
    picker->setDelegate(m_pickerDelegate);
    auto navigation = NavigationController::withRootViewController(picker);
    navigation->setModalPresentationStyle(ModalPresentationStyle::Popover);
    navigation->setOverrideUserInterfaceStyle(UIThemes::isDarkTheme() ? UserInterfaceStyle::Dark : UserInterfaceStyle::Light);
    if (std::shared_ptr<PopoverPresentationController> popover = navigation->popoverPresentationController())
        popover->setBarButtonItem(sender);
    if (m_host.setSpecialCharsPicker)
        m_host.setSpecialCharsPicker(navigation);
    if (m_host.present)
        m_host.present(navigation);
}

std::shared_ptr<Menu> InsertCommander::showInsertItemMenu(const std::shared_ptr<BarButtonItem>& sender)
{
    std::weak_ptr<BarButtonItem> anchor = sender;
    return Menu::make(u"", {Action::make(localized("Insert Markers/Symbols"), "sum", [this, anchor](Action&) {
                                if (std::shared_ptr<BarButtonItem> item = anchor.lock())
                                    showSpecialCharsMenu(item);
                            })});
}

} // namespace folio

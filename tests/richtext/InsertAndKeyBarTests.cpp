#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/ScriptLiteral.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Action.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "platform/web/FakeWebView.h"
#include "webeditor/FindCommander.h"
#include "richtext/InsertCommander.h"
#include "richtext/KeyBar.h"
#include "webeditor/EditorBarItems.h"
#include "richtext/RichTextInsertion.h"
#include "richtext/StyleToolbar.h"
#include "support/VirtualClock.h"
#include "tools/specialchars/SpecialCharsPickerController.h"
#include "webeditor/PageConnection.h"
#include "support/TurkishLocale.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// What a single-quoted literal in an insertion script holds, read back the
// way the page's script engine reads it (enough for the escapes the encoder
// writes here).
std::string literalIn(const std::string& script)
{
    size_t open = script.find("'false',") + 8;
    std::string text;
    for (size_t i = open + 1; i < script.size() && script[i] != '\''; ++i) {
        if (script[i] != '\\') {
            text += script[i];
            continue;
        }
        char next = script[++i];
        if (next == 'u') {
            text += static_cast<char>(std::stoi(script.substr(i + 1, 4), nullptr, 16));
            i += 4;
        } else if (next == 'n') {
            text += '\n';
        } else {
            text += next;
        }
    }
    return text;
}

class EditingToolsTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        Device::current().setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
        loop.scheduleTimer(0.001, true, [this] { view.releaseAll(); });
        view.answer("document.queryCommandValue('fontName').replace(/'/g,'')", "\"Times New Roman\"");
        view.answer("document.queryCommandValue('foreColor')", "rgb(0, 0, 0)");
    }
    void TearDown() override
    {
        if (Responder* first = Responder::currentFirstResponder())
            first->resignFirstResponder();
    }

    std::vector<std::string> insertions() const { return view.scriptsMatching("insertHTML"); }

    int dirtyCount = 0;
    std::vector<std::shared_ptr<ViewController>> presented;
    std::u16string topAlert;
    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    FakeWebView view;
    PageConnection page{&view};
    StyleToolbar styleButtons;
    FindCommander find{page, FindCommander::Host{.documentIsDirty = [this] { ++dirtyCount; }}};
    InsertCommander inserts{page, find, defaults, InsertCommander::Host{
        .documentIsDirty = [this] { ++dirtyCount; },
        .largestFontSize = [] { return 18; },
        .setFontSizeTitle = [this](const std::string& size) { styleButtons.currentFontSizeTextValue = size; },
        .present = [this](std::shared_ptr<ViewController> controller) { presented.push_back(controller); },
        .setTopAlertText = [this](const std::u16string& text) { topAlert = text; },
        .now = [] { return std::chrono::system_clock::time_point(std::chrono::seconds(1700000000)); },
        .insertNewFootnote = [this] { ++footnotes; },
        .setSpecialCharsPicker = [this](std::shared_ptr<ViewController> picker) { shownPicker = picker; },
    }};
    int footnotes = 0;
    std::shared_ptr<ViewController> shownPicker;
};

// --- span composition --------------------------------------------------------

TEST(RichTextInsertionTest, spanCarriesTheStyleAndEscapesEveryText)
{
    RichTextInsertion::Style style{"Georgia\";x:y}", 18, "font-weight:bold; text-decoration:underline; ", "rgb(1, 2, 3)", false};
    EXPECT_EQ(RichTextInsertion::spanHTML(style, RichTextInsertion::textHTML(u"a<b>&\"'\\\nline")),
              "<span style=\"font-family:Georgiax:y;font-size: 18px; font-weight:bold; text-decoration:underline;  "
              "color: rgb(1, 2, 3);\">a&lt;b&gt;&amp;&quot;&#39;\\<br>line</span>");
    style.rightToLeft = true;
    EXPECT_EQ(RichTextInsertion::spanHTML(style, "").substr(0, 27), "<span style=\"direction:rtl;");
    EXPECT_EQ(RichTextInsertion::textHTML(u"one\r\ntwo\n"), "one<br>two<br>");
    EXPECT_EQ(RichTextInsertion::linkHTML("http://a.b/?q=\"x\"&y", u"<label>"),
              "<a href=\"http://a.b/?q=&quot;x&quot;&amp;y\">&lt;label&gt;</a>");
}

// --- links ---------------------------------------------------------------------

TEST_F(EditingToolsTest, linkWithoutSchemeGetsTheWebSchemeAndTheTypedTextAsLabel)
{
    inserts.showInsertLink();
    loop.advanceVirtualClock(InsertCommander::kLinkBarDelaySeconds);
    EXPECT_FALSE(find.bar().insertLinkToolbar->isHidden());
    EXPECT_TRUE(find.bar().searchToolbar->isHidden());
    EXPECT_TRUE(find.bar().insertLink->isFirstResponder());
    EXPECT_FALSE(find.bar().unlinkButton->isEnabled()) << "no link under the caret";
    std::shared_ptr<AlertController> sheet = inserts.linkSheet();
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(presented.size(), 1u);
    EXPECT_EQ(presented[0], sheet);
    EXPECT_EQ(sheet->actionWithTitle(u"Remove Link"), nullptr) << "nothing to unlink";
    ASSERT_EQ(sheet->textFields().size(), 1u);
    sheet->textFields()[0]->setText(u"example.com/a?b='c'");
    sheet->tapActionWithTitle(u"Insert");
    ASSERT_EQ(insertions().size(), 1u);
    EXPECT_EQ(literalIn(insertions()[0]),
              "<span style=\"font-family:Times New Roman;font-size: 18px;  color: rgb(0, 0, 0);\">"
              "<a href=\"http://example.com/a?b=&#39;c&#39;\">example.com/a?b=&#39;c&#39;</a></span>");
    EXPECT_FALSE(find.bar().insertLink->isFirstResponder());
    EXPECT_EQ(view.scriptsMatching("^restoreCaretSelection\\(\\);$").size(), 1u);
    EXPECT_GE(dirtyCount, 1);
}

TEST_F(EditingToolsTest, selectedTextBecomesTheLabelOfAnExistingWebAddress)
{
    view.answer("isALink();", "https://old.example");
    view.answer("var selection = window.getSelection(); selection.toString()", "a <word>");
    inserts.showInsertLink();
    loop.advanceVirtualClock(InsertCommander::kLinkBarDelaySeconds);
    EXPECT_EQ(toUtf8(find.bar().insertLink->text()), "https://old.example");
    EXPECT_TRUE(find.bar().unlinkButton->isEnabled());
    ASSERT_NE(inserts.linkSheet(), nullptr);
    EXPECT_EQ(inserts.linkSheet()->textFields()[0]->text(), u"https://old.example");
    EXPECT_NE(inserts.linkSheet()->actionWithTitle(u"Remove Link"), nullptr);
    EXPECT_TRUE(inserts.insertLinkInText());
    ASSERT_EQ(insertions().size(), 1u);
    EXPECT_NE(literalIn(insertions()[0]).find("<a href=\"https://old.example\">a &lt;word&gt;</a>"), std::string::npos);
}

TEST_F(EditingToolsTest, scriptAndDataAddressesAreRefused)
{
    for (const char16_t* address : {u"javascript:alert(1)", u" JavaScript:alert(1)", u"java\tscript:x", u"data:text/html,<b>",
                                    u"vbscript:x"}) {
        presented.clear();
        find.bar().insertLink->setText(address);
        EXPECT_FALSE(inserts.insertLinkInText()) << toUtf8(address);
        ASSERT_EQ(presented.size(), 1u);
        EXPECT_EQ(toUtf8(presented[0]->title()), "Insert Link");
    }
    EXPECT_TRUE(insertions().empty());
    EXPECT_TRUE(InsertCommander::isAllowedLinkAddress("mailto:a@b.c"));
    EXPECT_TRUE(InsertCommander::isAllowedLinkAddress("example.com/data:x"));
}

// A Turkish user's window runs in a locale where the C library lowers "I" to
// no "i": an upper-case script address is refused there all the same.
TEST(InsertCommanderLocaleTest, upperCaseScriptAddressesAreRefusedInATurkishLocale)
{
    test::TurkishLocale turkish;
    if (!turkish.active())
        GTEST_SKIP() << "no Turkish locale can be made here";
    EXPECT_FALSE(InsertCommander::isAllowedLinkAddress("JAVASCRIPT:alert(1)"));
    EXPECT_FALSE(InsertCommander::isAllowedLinkAddress("VBSCRIPT:x"));
    EXPECT_FALSE(InsertCommander::isAllowedLinkAddress("DATA:text/html,<b>"));
    EXPECT_TRUE(InsertCommander::isAllowedLinkAddress("HTTPS://EXAMPLE.COM"));
}

TEST_F(EditingToolsTest, unlinkRemovesLinkUnderlineAndColourAndShowsTheSize)
{
    topAlert = u"Link: x";
    inserts.unLinkText();
    std::vector<std::string> scripts;
    for (const FakeWebView::ScriptCall& call : view.scripts())
        scripts.push_back(call.script);
    ASSERT_GE(scripts.size(), 2u);
    EXPECT_EQ(scripts[scripts.size() - 2], "restoreCaretSelection();");
    EXPECT_EQ(scripts.back(), InsertCommander::kUnlinkScript);
    EXPECT_TRUE(topAlert.empty());
    EXPECT_EQ(styleButtons.currentFontSizeTextValue, "12") << "the page size less the offset";
    EXPECT_GE(dirtyCount, 1);
}

TEST_F(EditingToolsTest, linkUnderTheCaretShowsInTheTopBarForFiveSeconds)
{
    view.answer("isALink();", "http://a.b");
    inserts.updateIsLinkAlert();
    EXPECT_EQ(toUtf8(topAlert), "Link: http://a.b");
    loop.advanceVirtualClock(4.9);
    inserts.updateTopAlertBar(u"again");
    loop.advanceVirtualClock(4.9);
    EXPECT_EQ(toUtf8(topAlert), "again") << "each message restarts the time";
    loop.advanceVirtualClock(0.2);
    EXPECT_TRUE(topAlert.empty());
}

// --- insert items ----------------------------------------------------------------

TEST_F(EditingToolsTest, datesRulesAndPageBreaksInsertTheirMarkup)
{
    auto moment = std::chrono::system_clock::time_point(std::chrono::seconds(1700000000));
    inserts.specialCharsOptionSelected(u"InsertDate", false);
    inserts.specialCharsOptionSelected(u"InsertDateShort", false);
    ASSERT_EQ(insertions().size(), 2u);
    std::string longDate = toUtf8(localizedStringFromDate(moment, DateFormatterStyle::Long, DateFormatterStyle::Short));
    std::string shortDate = toUtf8(localizedStringFromDate(moment, DateFormatterStyle::Short, DateFormatterStyle::Short));
    EXPECT_NE(longDate, shortDate);
    EXPECT_NE(literalIn(insertions()[0]).find(">" + longDate + "</span>"), std::string::npos);
    EXPECT_NE(literalIn(insertions()[1]).find(">" + shortDate + "</span>"), std::string::npos);

    view.clearScripts();
    inserts.specialCharsOptionSelected(u"Horizontal Line", false);
    inserts.specialCharsOptionSelected(u"InsertPageBreak", false);
    ASSERT_EQ(view.scripts().size(), 2u);
    EXPECT_EQ(view.scripts()[0].script,
              "document.execCommand('insertHTML',false,'<hr id=\"horizontalLine\" noshade color=\"#000000\" size=\"0.5\">');");
    EXPECT_EQ(view.scripts()[1].script,
              "document.execCommand('insertHTML',false,'<hr class=\"marquent-pagebreak\" style=\"page-break-before:always;\">');");
    EXPECT_GE(dirtyCount, 4);
}

TEST_F(EditingToolsTest, chosenCharactersAndScannedTextAreInsertedAsText)
{
    inserts.specialCharsOptionSelected(u"<", false);
    inserts.insertTextInDocument(u"first line\nsecond 'line' & \"more\"");
    ASSERT_EQ(insertions().size(), 2u);
    EXPECT_NE(literalIn(insertions()[0]).find(">&lt;</span>"), std::string::npos);
    EXPECT_NE(literalIn(insertions()[1]).find(">first line<br>second &#39;line&#39; &amp; &quot;more&quot;</span>"),
              std::string::npos);
}

TEST_F(EditingToolsTest, insertMenuOpensThePickerWhoseCommandsReachTheEditor)
{
    auto item = std::make_shared<BarButtonItem>();
    std::shared_ptr<Menu> menu = inserts.showInsertItemMenu(item);
    ASSERT_EQ(menu->children().size(), 1u);
    auto row = std::dynamic_pointer_cast<Action>(menu->children()[0]);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(toUtf8(row->title()), "Insert Markers/Symbols");
    row->perform();
    ASSERT_EQ(presented.size(), 1u);
    EXPECT_EQ(shownPicker, presented[0]);
    auto navigation = std::dynamic_pointer_cast<NavigationController>(presented[0]);
    ASSERT_NE(navigation, nullptr);
    EXPECT_EQ(navigation->popoverPresentationController()->barButtonItem(), item);
    auto picker = std::dynamic_pointer_cast<SpecialCharsPickerController>(navigation->topViewController());
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(toUtf8(picker->title()), "Insert");

    inserts.specialCharsOptionSelected(u"InsertFootnote", false);
    EXPECT_EQ(footnotes, 1);

    EditorBarItems bar{EditorBarItems::Host{}};
    bar.setInsertItemMenu([&] { return inserts.showInsertItemMenu(bar.insertItemBarButtonItem()); });
    const std::shared_ptr<BarButtonItem>& insertItem = bar.insertItemBarButtonItem();
    ASSERT_NE(insertItem->menu(), nullptr);
    EXPECT_FALSE(insertItem->isHidden());
    EXPECT_FALSE(insertItem->hasAction()) << "a tap opens the menu";
}

// --- key bar -----------------------------------------------------------------------

class KeyBarTest : public EditingToolsTest {
protected:
    KeyBar::Host keyHost()
    {
        KeyBar::Host h;
        h.documentIsDirty = [this] { ++dirtyCount; };
        h.largestFontSize = [] { return 20; };
        h.isRTLLanguage = [this] { return rightToLeft; };
        h.present = [this](std::shared_ptr<ViewController> controller) { presented.push_back(controller); };
        h.viewWidth = [] { return 768.0; };
        return h;
    }
    std::shared_ptr<AlertController> alert(size_t i = 0) const { return std::dynamic_pointer_cast<AlertController>(presented.at(i)); }

    bool rightToLeft = false;
};

TEST_F(KeyBarTest, barOnTopFollowsTheSetting)
{
    KeyBar bar{page, defaults, styleButtons, keyHost()};
    for (auto [setting, expected] : {std::pair{0, bar.styleToolbar()}, std::pair{1, bar.keysToolbar1()},
                                      std::pair{2, bar.keysToolbar2()}, std::pair{3, bar.styleToolbar()}}) {
        defaults.setInteger(KeyBar::kSelectedBarKey, setting);
        bar.removeFormBar();
        ASSERT_NE(bar.systemAKRow(), nullptr);
        EXPECT_EQ(bar.systemAKRow()->tag(), KeyBar::kRowTag);
        EXPECT_EQ(bar.systemAKRow()->frame().size.height, KeyBar::kRowHeight);
        EXPECT_EQ(bar.topBar(), expected) << setting;
        EXPECT_EQ(bar.systemAKRow()->subviews().size(), 3u);
    }
    bar.toogleKeyboardToolbar(2);
    EXPECT_EQ(defaults.integerForKey(KeyBar::kSelectedBarKey), 2);
    EXPECT_EQ(bar.topBar(), bar.keysToolbar2());
    EXPECT_FALSE(bar.keysToolbar2()->isHidden());
    EXPECT_TRUE(bar.keysToolbar1()->isHidden());
    EXPECT_TRUE(bar.styleToolbar()->isHidden());

    bar.setRemovedFormBar(true);
    bar.removeFormBar();
    EXPECT_TRUE(bar.systemAKRow()->subviews().empty()) << "a row without bars";
}

TEST_F(KeyBarTest, longPressEditsTheKeyOnceAndStoresItsText)
{
    KeyBar bar{page, defaults, styleButtons, keyHost()};
    const std::shared_ptr<Button>& key = bar.customButtons()[5];
    EXPECT_EQ(bar.customButtons().size(), 27u);
    EXPECT_EQ(bar.customButtons()[0], bar.customButtons()[1]);
    ASSERT_EQ(key->gestureRecognizers().size(), 1u);
    auto press = std::dynamic_pointer_cast<LongPressGestureRecognizer>(key->gestureRecognizers()[0]);
    ASSERT_NE(press, nullptr);
    EXPECT_FALSE(press->press({1, 1}, 0.4)) << "shorter than half a second is no long press";
    EXPECT_TRUE(press->press({1, 1}, 0.6));
    bar.longPressInCustomKey(*key);
    ASSERT_EQ(presented.size(), 1u) << "the press's begin, end and a second press open one editor";
    EXPECT_EQ(toUtf8(alert()->title()), "Update custom button");
    ASSERT_EQ(alert()->textFields().size(), 1u);
    EXPECT_EQ(alert()->textFields()[0]->text(), key->titleForState(ControlState::Normal));
    EXPECT_EQ(alert()->textFields()[0]->tag(), 5);

    alert()->textFields()[0]->setText(u"");
    alert()->tapActionWithTitle(u"OK");
    EXPECT_NE(key->titleForState(ControlState::Normal), u"") << "an empty text leaves the key as it was";
    EXPECT_EQ(view.scriptsMatching("^document\\.getElementById\\('content'\\)\\.focus\\(\\);$").size(), 1u);
    EXPECT_FALSE(bar.isDisplayingAlert());

    bar.longPressInCustomKey(*key);
    ASSERT_EQ(presented.size(), 2u);
    alert(1)->textFields()[0]->setText(u"\u00E9'\"\\<");
    alert(1)->tapActionWithTitle(u"OK");
    EXPECT_EQ(key->titleForState(ControlState::Normal), u"\u00E9'\"\\<");
    EXPECT_EQ(defaults.stringForKey("customKey5"), "\u00E9'\"\\<");

    bar.longPressInCustomKey(*key);
    alert(2)->tapActionWithTitle(u"Cancel");
    EXPECT_FALSE(bar.isDisplayingAlert());

    KeyBar reopened{page, defaults, styleButtons, keyHost()};
    EXPECT_EQ(reopened.customButtons()[5]->titleForState(ControlState::Normal), u"\u00E9'\"\\<");
}

TEST_F(KeyBarTest, customKeyTypesItsTextLiterallyInTheCaretStyleAndEmphasis)
{
    KeyBar bar{page, defaults, styleButtons, keyHost()};
    bar.setNewCustomKey(3, u"'\"\\<b>");
    styleButtons.styleBold->setHighlighted(true);
    styleButtons.styleUnderline->setHighlighted(true);
    bar.insertKeyFromKeyboardToolbar(*bar.customButtons()[3]);
    ASSERT_EQ(insertions().size(), 1u);
    EXPECT_EQ(literalIn(insertions()[0]),
              "<span style=\"font-family:Times New Roman;font-size: 20px; font-weight:bold; text-decoration:underline;  "
              "color: rgb(0, 0, 0);\">&#39;&quot;\\&lt;b&gt;</span>");
    EXPECT_NE(insertions()[0].find(");scrollToView();"), std::string::npos);
    EXPECT_EQ(dirtyCount, 1);

    rightToLeft = true;
    bar.insertKeyFromKeyboardToolbar(*bar.customButtons()[3]);
    EXPECT_EQ(literalIn(insertions()[1]).substr(0, 27), "<span style=\"direction:rtl;");
}

TEST_F(KeyBarTest, editorFitsAboveTheKeyboardOnTabletsAndPhones)
{
    KeyBar bar{page, defaults, styleButtons, keyHost()};
    KeyBar::EditorGeometry pad = bar.adjustEditorHeights(600, true, false, 0);
    EXPECT_EQ(pad.webViewY, 30);
    EXPECT_EQ(pad.webViewHeight, 598);
    EXPECT_EQ(pad.pageHeight, 598);
    EXPECT_EQ(view.lastScript(), "setRichTextPageHeight(598, 598);");
    KeyBar::EditorGeometry phone = bar.adjustEditorHeights(600, false, false, 0);
    EXPECT_EQ(phone.webViewY, 10);
    EXPECT_EQ(phone.webViewHeight, 618);
    EXPECT_EQ(phone.pageHeight, 632);
    EXPECT_TRUE(view.scriptsMatching("scrollTop").empty());

    bar.adjustEditorHeights(600, true, true, 1000);
    EXPECT_EQ(view.lastScript(), "document.getElementById('content').scrollTop  =444;") << "a hardware keyboard keeps the scroll";
}

} // namespace
} // namespace folio

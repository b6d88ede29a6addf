#include "platform/foundation/FileManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/services/SpeechAudioOutput.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ViewController.h"
#include "platform/web/FakeWebView.h"
#include "richtext/EditMenuValidator.h"
#include "richtext/RichTextReadAloud.h"
#include "richtext/RichTextWritingTools.h"
#include "richtext/ScriptLiteralReader.h"
#include "support/VirtualClock.h"
#include "tools/speech/ReadAloudController.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

#include <fstream>

namespace folio {
namespace {

using Source = RichTextReadAloud::Source;

TEST(ReadAloudCleaning, commentMarkersQuotesAndReturnsAreNotSpoken)
{
    std::u16string text = u"He said \"go\"\uFEFF[\U0001F4AC]\r\uFEFFthen left. Then";
    EXPECT_EQ(RichTextReadAloud::cleanedForReading(text, Source::FromCaret), u"He said  go  . then left. Then");
    // In a selection a full stop and a blank become a line feed: one piece.
    EXPECT_EQ(RichTextReadAloud::cleanedForReading(text, Source::Selection), u"He said  go  \nthen left\nThen");
    EXPECT_EQ(ReadAloudController::utterancePieces(RichTextReadAloud::cleanedForReading(u"One. Two", Source::Selection)),
              (std::vector<std::u16string>{u"One\nTwo"}));
}

class PageToolsTest : public test::VirtualClockTest {
protected:
    void SetUp() override { loop.scheduleTimer(0.001, true, [this] { view.releaseAll(); }); }
    std::vector<std::string> sent() const
    {
        std::vector<std::string> scripts;
        for (const auto& call : view.scripts())
            scripts.push_back(call.script);
        return scripts;
    }

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    NotificationCenter center;
    MenuController menu{center};
    Pasteboard pasteboard{center};
    FakeWebView view;
    PageConnection page{&view};
};

class ReadAloudPageTest : public PageToolsTest {
protected:
    ReadAloudController speech{defaults, menu,
                               ReadAloudController::Host{.makeSynthesizer = [this] {
                                   return std::make_unique<SpeechSynthesizer>(
                                       SpeechAudioOutput::makeWavFile(scratch.file("read.wav")));
                               }}};
    bool editing = false;
    bool collapsed = true;
    int selectedToEnd = 0;
    RichTextReadAloud reader{page, speech,
                             RichTextReadAloud::Host{.isEditing = [this] { return editing; },
                                                     .hasSelection = [this] { return collapsed; },
                                                     .selectToEndOfDoc = [this] { ++selectedToEnd; }}};
};

TEST_F(ReadAloudPageTest, readingFromTheCaretKeepsTheScrollPositionAndSpeaksTheRest)
{
    view.answer("document.getElementById('content').scrollTop", "240");
    view.answer("var sel = window.getSelection();sel.toString();", "Rest of it. \"Really\"");
    editing = true;
    reader.readAloudFromCursorToEnd();
    EXPECT_EQ(selectedToEnd, 1);
    EXPECT_EQ(sent(), (std::vector<std::string>{"document.getElementById('content').scrollTop",
                                                "var sel = window.getSelection();sel.toString();",
                                                "document.execCommand('unselect');",
                                                "document.getElementById('content').scrollTop = 240;"}));
    EXPECT_EQ(speech.textUterances(), (std::vector<std::u16string>{u"Rest of it", u"  Really "}));
    EXPECT_EQ(menu.menuItems().size(), 2u) << "pause and cancel";
    speech.cancelSpeak();

    // Not editing: the whole page is read.
    editing = false;
    view.clearScripts();
    view.answer("document.body.innerText", "All of it");
    reader.readAloudFromCursorToEnd();
    EXPECT_EQ(speech.textUterances(), (std::vector<std::u16string>{u"All of it"}));
    speech.cancelSpeak();
}

TEST_F(ReadAloudPageTest, aSelectionOfTwoSentencesIsReadAsOnePiece)
{
    collapsed = false;
    view.answer("var sel = window.getSelection();sel.toString();", "First one. Second one");
    reader.speakSelectedText();
    EXPECT_EQ(speech.textUterances(), (std::vector<std::u16string>{u"First one\nSecond one"}));
    EXPECT_EQ(selectedToEnd, 0);
    ASSERT_TRUE(loop.runUntil([&] { return !speech.isSpeaking(); }, 10));
}

TEST(EditMenuWhileSpeaking, onlyTheSpeechControlsAreOfferedAndReadAloudNeedsAVoice)
{
    bool speaking = true;
    bool voice = false;
    EditMenuValidator validator(EditMenuValidator::State{.superAnswer = [](const std::string&) { return true; }});
    validator.setSpeechQuestions([&] { return speaking; }, [&] { return voice; });
    for (const char* action : {"pauseSpeak:", "resumeSpeak:", "cancelSpeak:"})
        EXPECT_TRUE(validator.canPerformAction(action)) << action;
    for (const char* action : {"copy:", "paste:", "speakSelectedText:", "highlightYellowTextSelection:", "boldExecCommand:"})
        EXPECT_FALSE(validator.canPerformAction(action)) << action;
    speaking = false;
    EXPECT_TRUE(validator.canPerformAction("copy:"));
    EXPECT_FALSE(validator.canPerformAction("speakSelectedText:"));
    voice = true;
    EXPECT_TRUE(validator.canPerformAction("speakSelectedText:"));
}

struct RecordingAssistant final : WritingAssistant {
    std::optional<std::u16string> handed;
    bool isAvailable() const override { return true; }
    Status open(ViewController&, std::weak_ptr<WritingAssistantDelegate>, SourceFileType source,
                const std::u16string& text) override
    {
        EXPECT_EQ(source, SourceFileType::RichText);
        handed = text;
        return Status::success();
    }
};

class WritingToolsTest : public PageToolsTest {
protected:
    void TearDown() override { WritingAssistant::setShared(nullptr); }

    std::shared_ptr<ViewController> presenter = std::make_shared<ViewController>();
    bool connected = true;
    int dirty = 0;
    std::vector<std::u16string> inserted;
    std::shared_ptr<RichTextWritingTools> tools = RichTextWritingTools::make(
        page, defaults, pasteboard,
        RichTextWritingTools::Host{.documentViewController = [this] { return presenter; },
                                   .hasSelection = [] { return true; },
                                   .endEditing = {},
                                   .insertTextInDocument = [this](const std::u16string& text) { inserted.push_back(text); },
                                   .documentIsDirty = [this] { ++dirty; },
                                   .internetConnected = [this] { return connected; }});
    std::shared_ptr<AlertController> alert() const
    {
        return std::dynamic_pointer_cast<AlertController>(presenter->presentedViewController());
    }
};

TEST_F(WritingToolsTest, withoutAConnectionTheAssistantIsNotOpenedAndTheAlertSaysWhy)
{
    auto recording = std::make_shared<RecordingAssistant>();
    WritingAssistant::setShared(recording);
    connected = false;
    tools->wisperantAction();
    ASSERT_TRUE(alert());
    EXPECT_EQ(alert()->title(), u"No Internet Connection");
    EXPECT_TRUE(view.scripts().empty());
    EXPECT_FALSE(recording->handed.has_value());
}

TEST_F(WritingToolsTest, theAssistantGetsTheSelectionOrNothing)
{
    auto recording = std::make_shared<RecordingAssistant>();
    WritingAssistant::setShared(recording);
    view.answer("var sel = window.getSelection();sel.toString();", "");
    tools->wisperantAction();
    EXPECT_EQ(recording->handed, u"");
    view.answer("var sel = window.getSelection();sel.toString();", "picked words");
    tools->wisperantActionFromContextualMenu();
    EXPECT_EQ(recording->handed, u"picked words");
    std::vector<std::string> scripts = sent();
    EXPECT_EQ(std::count(scripts.begin(), scripts.end(), "saveCaretSelection ();"), 2);
}

TEST_F(WritingToolsTest, theBuiltInAssistantSaysItIsNotAvailable)
{
    tools->wisperantAction();
    ASSERT_TRUE(alert());
    EXPECT_EQ(alert()->title(), u"AI Assistant");
    EXPECT_EQ(alert()->message(), u"The AI writing assistant is not available.");
}

TEST_F(WritingToolsTest, anAnswerReplacesTheSelectionOrGoesAfterItEscaped)
{
    tools->writingAssistantInsertText(u"a <b>bold</b> 'claim'\nnext", u"<p>ignored</p>",
                                      WritingAssistantInsertion::ReplaceSelection);
    std::vector<std::string> scripts = sent();
    ASSERT_EQ(scripts.size(), 2u);
    EXPECT_EQ(scripts[0], "document.getElementById('content').focus();restoreCaretSelection ();");
    EXPECT_EQ(test::scriptLiteralAfter(scripts[1], "document.execCommand('insertHTML','false',"),
              "a &lt;b&gt;bold&lt;/b&gt; &#39;claim&#39;<br>next");
    EXPECT_EQ(dirty, 1);

    view.clearScripts();
    tools->writingAssistantInsertText(u"after", {}, WritingAssistantInsertion::AfterSelection);
    scripts = sent();
    ASSERT_EQ(scripts.size(), 3u);
    EXPECT_EQ(scripts[1], "var sel = window.getSelection();sel.collapseToEnd();");
    EXPECT_EQ(dirty, 2);
}

TEST_F(WritingToolsTest, waitingAssistantTextIsInsertedWithoutItsScripts)
{
    std::string path = WritingAssistant::temporaryFilePath();
    std::filesystem::remove(path);
    EXPECT_FALSE(tools->addContentFromWisperant());
    EXPECT_TRUE(view.scripts().empty());
    EXPECT_EQ(dirty, 0);
    std::ofstream(path) << "<p>Kept <i>text</i><img src=x onerror=\"alert(1)\"><script>alert(2)</script></p>";
    ASSERT_TRUE(tools->addContentFromWisperant());
    std::filesystem::remove(path);
    ASSERT_EQ(view.scripts().size(), 1u);
    std::optional<std::string> html =
        test::scriptLiteralAfter(view.scripts()[0].script, "document.execCommand('insertHTML','false',");
    ASSERT_TRUE(html);
    EXPECT_NE(html->find("<p>Kept <i>text</i>"), std::string::npos) << *html;
    EXPECT_EQ(html->find("onerror"), std::string::npos) << *html;
    EXPECT_EQ(html->find("alert"), std::string::npos) << *html;
    EXPECT_EQ(dirty, 1);
}

TEST_F(WritingToolsTest, statisticsAreOfTheWholePageAndTheResearchBrowserOpensTheLastPage)
{
    view.answer("document.getElementById('content').innerText", "Counted words here.");
    tools->showStatistics();
    ASSERT_TRUE(presenter->presentedViewController());
    presenter->dismissViewControllerAnimated(false);
    std::string opened;
    auto research = RichTextWritingTools::make(
        page, defaults, pasteboard,
        RichTextWritingTools::Host{.openResearchBrowser = [&](const std::string& url) { opened = url; }});
    research->showWebResearchBrowser();
    EXPECT_EQ(opened, RichTextWritingTools::kDefaultResearchPage);
    defaults.setString(RichTextWritingTools::kWebClipLastUsedURLKey, "https://example.org/notes");
    research->showWebResearchBrowser();
    EXPECT_EQ(opened, "https://example.org/notes");
}

TEST_F(WritingToolsTest, withoutABrowserResearchSaysSoAndHandsTheAddressToNoOne)
{
    std::vector<std::string> opened;
    std::vector<std::string> asked;
    bool browser = false;
    auto research = RichTextWritingTools::make(
        page, defaults, pasteboard,
        RichTextWritingTools::Host{.documentViewController = [this] { return presenter; },
                                   .openResearchBrowser = [&](const std::string& url) { opened.push_back(url); },
                                   .canOpenResearchBrowser = [&](const std::string& url) {
                                       asked.push_back(url);
                                       return browser;
                                   }});
    research->showWebResearchBrowser();
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(asked, std::vector<std::string>{RichTextWritingTools::kDefaultResearchPage});
    ASSERT_TRUE(alert()) << "nothing told the user the page cannot be opened";
    EXPECT_EQ(alert()->title(), u"Web Research");
    EXPECT_NE(alert()->message().find(u"No web browser"), std::u16string::npos);
    presenter->dismissViewControllerAnimated(false);

    browser = true;
    research->showWebResearchBrowser();
    EXPECT_EQ(opened, std::vector<std::string>{RichTextWritingTools::kDefaultResearchPage});
    EXPECT_FALSE(alert());
}

} // namespace
} // namespace folio

#include "documents/TextDocument.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/services/SpeechAudioOutput.h"
#include "platform/services/SpeechSynthesizer.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/web/FakeWebView.h"
#include "qvtext/QVTextStyling.h"
#include "qvtext/QVTextTools.h"
#include "support/VirtualClock.h"
#include "tools/speech/ReadAloudController.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

constexpr const char* kSelectionScript = "tinymce.activeEditor.selection.getContent({format : 'text'});";

// The QV text editor's reading aloud, spoken into a WAV file on the virtual clock.
class QVTextReadAloudTest : public test::VirtualClockTest {
protected:
    void SetUp() override
    {
        FontCatalog::setShared(std::make_shared<FakeFontCatalog>());
        loop.scheduleTimer(0.001, true, [this] { view.releaseAll(); });
        tools = makeTools({});
    }
    void TearDown() override { FontCatalog::setShared(nullptr); }

    std::shared_ptr<QVTextTools> makeTools(QVTextTools::Dialect dialect)
    {
        QVTextTools::Host h;
        h.document = [this] { return &document; };
        h.editor = [this] { return editor.get(); };
        h.makeSynthesizer = [this] {
            return std::make_unique<SpeechSynthesizer>(SpeechAudioOutput::makeWavFile(scratch.file("read.wav")));
        };
        h.showBannerText = [this](const std::u16string& text) { banner.push_back(text); };
        h.view = [this] { return editorView; };
        h.menu = &menu;
        h.questions["isEditing"] = [this] { return editing; };
        h.questions["hasSelection"] = [this] { return collapsed; };
        h.commands["selectToEndOfDoc"] = [this] { ++selectedToEnd; };
        h.commands["endEditing"] = [this] { ++editingEnded; };
        return QVTextTools::make(page, styling, defaults, pasteboard, std::move(h), std::move(dialect));
    }
    std::vector<std::string> menuActions() const
    {
        std::vector<std::string> actions;
        for (const MenuItem& item : menu.menuItems())
            actions.push_back(item.action);
        return actions;
    }
    std::vector<std::u16string> wordsHeard() const
    {
        std::vector<std::u16string> words;
        for (const std::u16string& text : banner) {
            if (!text.empty())
                words.push_back(text);
        }
        return words;
    }

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    NotificationCenter center;
    Pasteboard pasteboard{center};
    MenuController menu{center};
    FakeWebView view;
    PageConnection page{&view};
    TextDocument document;
    std::shared_ptr<ViewController> editor = std::make_shared<ViewController>();
    std::shared_ptr<View> editorView = std::make_shared<View>(Rect{{0, 0}, {1000, 700}});
    QVTextStyling styling{page, defaults, QVTextStyling::Host{}};
    std::shared_ptr<QVTextTools> tools;
    std::vector<std::u16string> banner;
    bool editing = false;
    bool collapsed = false;
    int selectedToEnd = 0;
    int editingEnded = 0;
};

TEST_F(QVTextReadAloudTest, theSelectionIsSpokenWordByWordInOrderWithPauseAndResume)
{
    view.answer(kSelectionScript, "Good morning.\"Bob\" see\nyou");
    tools->run("speakSelectedText");
    // Line ends end sentences; quotes are not spoken.
    EXPECT_EQ(tools->speech().textUterances(), (std::vector<std::u16string>{u"Good morning", u" Bob  see", u"you"}));
    EXPECT_TRUE(menu.isMenuVisible());
    EXPECT_EQ(menu.targetRect(), (Rect{{400, 0}, {200, 20}}));
    EXPECT_EQ(menuActions(), (std::vector<std::string>{"pauseSpeak:", "cancelSpeak:"}));
    EXPECT_EQ(editingEnded, 1);

    ASSERT_TRUE(loop.runUntil([&] { return tools->speech().completedUtterances() == 1; }, 10));
    // The speech menu's Pause reaches the editor's action.
    menu.hideMenu();  // as picking its item closes it
    EXPECT_TRUE(tools->performSpeechAction("pauseSpeak:"));
    EXPECT_TRUE(tools->speech().synthesizerIsPaused());
    EXPECT_TRUE(menu.isMenuVisible()) << "the menu comes back to offer Resume";
    EXPECT_EQ(menuActions(), (std::vector<std::string>{"resumeSpeak:", "cancelSpeak:"}));
    std::size_t heardBeforePause = banner.size();
    loop.advanceVirtualClock(10);
    EXPECT_EQ(banner.size(), heardBeforePause) << "nothing is heard while paused";
    EXPECT_EQ(tools->speech().completedUtterances(), 1u);

    menu.hideMenu();
    EXPECT_TRUE(tools->performSpeechAction("resumeSpeak:"));
    EXPECT_FALSE(tools->speech().synthesizerIsPaused());
    EXPECT_TRUE(menu.isMenuVisible());
    EXPECT_EQ(menuActions(), (std::vector<std::string>{"pauseSpeak:", "cancelSpeak:"}));
    ASSERT_TRUE(loop.runUntil([&] { return !tools->speech().isSpeaking(); }, 20));
    EXPECT_EQ(wordsHeard(), (std::vector<std::u16string>{u"Good", u"morning", u"Bob", u"see", u"you"}));
    EXPECT_EQ(banner.back(), u"") << "the banner empties at the end";
    EXPECT_FALSE(menu.isMenuVisible());
    EXPECT_EQ(selectedToEnd, 0);
}

TEST_F(QVTextReadAloudTest, withNothingSelectedTheRestIsReadAndThePageStaysWhereItWas)
{
    collapsed = true;
    editing = true;
    view.answer("folioPageScrollOffset();", "310");
    view.answer(kSelectionScript, "The rest");
    view.clearScripts();
    tools->run("speakSelectedText");
    EXPECT_EQ(selectedToEnd, 1);
    EXPECT_EQ(view.scriptsMatching("execCommand\\('unselect'\\)").size(), 1u);
    EXPECT_EQ(view.scriptsMatching("folioPageScrollTo\\(310\\);").size(), 1u);
    EXPECT_EQ(tools->speech().textUterances(), (std::vector<std::u16string>{u"The rest"}));
    EXPECT_TRUE(tools->ask("isSpeaking"));
    tools->run("cancelSpeak");
    EXPECT_FALSE(tools->ask("isSpeaking"));
}

TEST_F(QVTextReadAloudTest, whileSpeakingTheEditMenuOffersOnlyTheSpeechControls)
{
    EXPECT_EQ(tools->canPerformSpeechAction("copy:", true), std::nullopt) << "not the speech's to decide";
    EXPECT_EQ(tools->canPerformSpeechAction("speakSelectedText:", false), false) << "no voice for the language";
    EXPECT_EQ(tools->canPerformSpeechAction("speakSelectedText:", true), true);
    EXPECT_EQ(tools->canPerformSpeechAction("pauseSpeak:", true), false);

    view.answer(kSelectionScript, "Long enough. To pause");
    tools->run("speakSelectedText");
    for (const char* action : {"pauseSpeak:", "resumeSpeak:", "cancelSpeak:"})
        EXPECT_EQ(tools->canPerformSpeechAction(action, true), true) << action;
    for (const char* action : {"copy:", "paste:", "speakSelectedText:", "boldExecCommand:"})
        EXPECT_EQ(tools->canPerformSpeechAction(action, true), false) << action;

    // A paused reading stays a reading; a tools row brings its menu back as it was.
    tools->run("pauseSpeak");
    EXPECT_EQ(tools->canPerformSpeechAction("copy:", true), false);
    menu.hideMenu();
    tools->toolsOptionSelected(9);
    EXPECT_EQ(menuActions(), (std::vector<std::string>{"resumeSpeak:", "cancelSpeak:"}));

    // Cancel while paused ends the reading: the menu goes, the controls are no longer offered.
    EXPECT_TRUE(tools->performSpeechAction("cancelSpeak:"));
    EXPECT_FALSE(tools->speech().synthesizerIsSpeaking());
    EXPECT_FALSE(menu.isMenuVisible());
    EXPECT_EQ(tools->canPerformSpeechAction("copy:", true), std::nullopt);
}

TEST_F(QVTextReadAloudTest, anEditorOnThisPageReadsWithItsOwnCleaningAndMenu)
{
    QVTextTools::Dialect dialect;
    dialect.cleanTextForSpeech = [](std::u16string text, PageReadAloud::Source source) {
        EXPECT_EQ(source, PageReadAloud::Source::Selection);
        PageReadAloud::replaceAll(text, u". ", u"\n");
        return text;
    };
    dialect.readAloudShowsSpeechMenu = false;
    tools = makeTools(std::move(dialect));
    view.answer(kSelectionScript, "One. Two");
    tools->run("speakSelectedText");
    EXPECT_EQ(tools->speech().textUterances(), (std::vector<std::u16string>{u"One\nTwo"}));
    EXPECT_FALSE(menu.isMenuVisible()) << "the menu shows when the speaking is noticed";
    tools->run("checkifWasSpeakingMode");
    EXPECT_TRUE(menu.isMenuVisible());
    tools->run("cancelSpeak");
}

} // namespace
} // namespace folio

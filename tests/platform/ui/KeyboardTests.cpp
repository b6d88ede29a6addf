#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/KeyboardService.h"
#include "platform/ui/Responder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

class KeyboardServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        center.addObserver("", &keyboard, [this](const Notification& note) {
            const Rect* end = note.userInfo.get<Rect>(kKeyboardFrameEndUserInfoKey);
            const Rect* begin = note.userInfo.get<Rect>(kKeyboardFrameBeginUserInfoKey);
            posted.push_back({note.name, begin ? *begin : Rect{}, end ? *end : Rect{}, keyboard.isKeyboardVisible()});
        });
    }

    struct Posted {
        std::string name;
        Rect begin;
        Rect end;
        bool visibleWhenPosted;
    };
    std::vector<std::string> names() const
    {
        std::vector<std::string> result;
        for (const auto& p : posted)
            result.push_back(p.name);
        return result;
    }

    NotificationCenter center;
    KeyboardService keyboard{center};
    std::vector<Posted> posted;
};

TEST_F(KeyboardServiceTest, showPostsWillThenDidWithTheEndFrame)
{
    Rect frame = makeRect(0, 700, 1024, 324);
    keyboard.showKeyboard(frame, 0.3);
    EXPECT_EQ(names(), (std::vector<std::string>{kKeyboardWillShowNotification, kKeyboardWillChangeFrameNotification,
                                                 kKeyboardDidChangeFrameNotification, kKeyboardDidShowNotification}));
    for (const auto& p : posted) {
        EXPECT_EQ(p.end, frame);
        EXPECT_EQ(p.begin, makeRect(0, 1024, 1024, 324));
    }
    EXPECT_FALSE(posted[0].visibleWhenPosted);
    EXPECT_TRUE(posted[3].visibleWhenPosted);
    EXPECT_TRUE(keyboard.isKeyboardVisible());
    EXPECT_EQ(keyboard.keyboardFrame(), frame);
}

TEST_F(KeyboardServiceTest, hideSlidesBelowAndShowingAgainOnlyChangesTheFrame)
{
    keyboard.hideKeyboard();
    EXPECT_TRUE(posted.empty()) << "hiding a hidden keyboard says nothing";
    keyboard.showKeyboard(makeRect(0, 700, 1024, 324));
    posted.clear();
    keyboard.showKeyboard(makeRect(0, 680, 1024, 344));
    EXPECT_EQ(names(), (std::vector<std::string>{kKeyboardWillChangeFrameNotification, kKeyboardDidChangeFrameNotification}));
    EXPECT_EQ(posted[0].begin, makeRect(0, 700, 1024, 324));
    posted.clear();
    keyboard.changeKeyboardFrame(makeRect(0, 680, 1024, 344));
    EXPECT_TRUE(posted.empty());

    keyboard.hideKeyboard(0.2);
    EXPECT_EQ(names(), (std::vector<std::string>{kKeyboardWillHideNotification, kKeyboardWillChangeFrameNotification,
                                                 kKeyboardDidChangeFrameNotification, kKeyboardDidHideNotification}));
    EXPECT_EQ(posted.back().end, makeRect(0, 1024, 1024, 344));
    EXPECT_FALSE(keyboard.isKeyboardVisible());
}

TEST_F(KeyboardServiceTest, durationTravelsWithTheNotification)
{
    double duration = -1;
    center.addObserver(kKeyboardWillShowNotification, nullptr, [&](const Notification& note) {
        if (const double* d = note.userInfo.get<double>(kKeyboardAnimationDurationUserInfoKey))
            duration = *d;
    });
    keyboard.showKeyboard(makeRect(0, 0, 10, 10), 0.4);
    EXPECT_EQ(duration, 0.4);
}

TEST_F(KeyboardServiceTest, inputLanguageChangePostsOnlyOnARealChange)
{
    int changes = 0;
    center.addObserver(kTextInputCurrentInputModeDidChangeNotification, nullptr, [&](const Notification&) { ++changes; });
    keyboard.setInputLanguage("en-US");
    EXPECT_EQ(changes, 0);
    keyboard.setInputLanguage("de-DE");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(keyboard.inputLanguage(), "de-DE");
    keyboard.setHardwareKeyboardConnected(false);
    EXPECT_FALSE(keyboard.isHardwareKeyboardConnected());
}

class CommandResponder : public Responder {
public:
    std::vector<std::shared_ptr<KeyCommand>> commands;
    Responder* next = nullptr;
    bool canBecomeFirstResponder() const override { return true; }
    std::vector<std::shared_ptr<KeyCommand>> keyCommands() const override { return commands; }
    Responder* nextResponder() const override { return next; }
};

TEST_F(KeyboardServiceTest, keyPressRunsTheFirstMatchingCommandAlongTheChain)
{
    std::vector<std::string> ran;
    auto editor = std::make_shared<CommandResponder>();
    auto controller = std::make_shared<CommandResponder>();
    editor->next = controller.get();
    auto bold = KeyCommand::make("b", KeyModifierCommand, u"Bold", [&](KeyCommand&) { ran.push_back("bold"); });
    editor->commands = {bold};
    controller->commands = {
        KeyCommand::make("B", KeyModifierCommand, u"Bold too", [&](KeyCommand&) { ran.push_back("controller bold"); }),
        KeyCommand::make("f", KeyModifierCommand | KeyModifierShift, u"Find", [&](KeyCommand&) { ran.push_back("find"); }),
        KeyCommand::make(kKeyInputUpArrow, KeyModifierNone, u"Up", [&](KeyCommand&) { ran.push_back("up"); }),
    };

    EXPECT_TRUE(keyboard.handleKeyPress("B", KeyModifierCommand, editor.get()));
    EXPECT_FALSE(keyboard.handleKeyPress("f", KeyModifierCommand, editor.get()));
    EXPECT_TRUE(keyboard.handleKeyPress("F", KeyModifierCommand | KeyModifierShift, editor.get()));
    EXPECT_TRUE(keyboard.handleKeyPress(kKeyInputUpArrow, KeyModifierNone, editor.get()));
    bold->setDisabled(true);
    EXPECT_TRUE(keyboard.handleKeyPress("b", KeyModifierCommand, editor.get()));
    EXPECT_EQ(ran, (std::vector<std::string>{"bold", "find", "up", "controller bold"}));

    ASSERT_TRUE(editor->becomeFirstResponder());
    EXPECT_TRUE(keyboard.handleKeyPress(kKeyInputUpArrow, KeyModifierNone));
    editor->resignFirstResponder();
    EXPECT_FALSE(keyboard.handleKeyPress(kKeyInputUpArrow, KeyModifierNone));
    EXPECT_EQ(ran.size(), 5u);
}

} // namespace
} // namespace folio

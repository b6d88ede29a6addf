#include "qvoutline/QVOutlineEditMenuRules.h"
#include "qvoutline/QVOutlinePictures.h"

#include <gtest/gtest.h>

#include <map>

namespace folio {
namespace {

TEST(QVOutlinePicturesTest, everyPictureIsLeftUneditableAndFollowedByAParagraphInThePagesDirection)
{
    EXPECT_EQ(QVOutlinePictures::elementHTML("QUJD", std::nullopt, Size{150, 75.5}, true),
              "<p></p><p style=\"text-align:center;\"><img id=\"imageSelected_555\" contenteditable=false "
              "src=\"data:image/jpeg;base64,QUJD\" style=\"width:150.000000px;height:75.500000px\" ></p>"
              "<p style=\"text-align:right;\"><br></p>");
    EXPECT_EQ(QVOutlinePictures::elementHTML("QUJD", std::nullopt, Size{150, 75}, false),
              "<p></p><p style=\"text-align:center;\"><img id=\"imageSelected_555\" contenteditable=false "
              "src=\"data:image/jpeg;base64,QUJD\" style=\"width:150.000000px;height:75.000000px\" ></p>"
              "<p style=\"text-align:left;\"><br></p>");
}

TEST(QVOutlinePicturesTest, aSketchSpansThePageAndKeepsItsDrawingDataAsText)
{
    EXPECT_EQ(QVOutlinePictures::elementHTML("QUJD", std::string("{\"strokes\":[1]}<b>"), Size{10, 10}, false),
              "<p></p><p style=\"text-align:center;\"><img id=\"imageSelected_555\" contenteditable=false "
              "src=\"data:image/jpeg;base64,QUJD\" style=\"width:100%;\" "
              "data-sketch=\"{&quot;strokes&quot;:[1]}&lt;b&gt;\"></p><p style=\"text-align:left;\"><br></p>");
    // Quotes in the markup cannot end the insertion script's string.
    std::string script = QVOutlinePictures::insertionScript("<b style='x'>It's</b>");
    EXPECT_EQ(script, "tinymce.activeEditor.execCommand('insertHTML', false, "
                      "'\\u003Cb style=\\'x\\'\\u003EIt\\'s\\u003C/b\\u003E');"
                      "tinymce.activeEditor.selection.getNode().scrollIntoViewIfNeeded(false);");
}

TEST(QVOutlinePicturesTest, aCroppedPhotoGoesBackAsAPhotoAndACroppedSketchAsASketch)
{
    EXPECT_EQ(QVOutlinePictures::sketchFromAnswer(std::nullopt), std::nullopt) << "the page did not answer";
    EXPECT_EQ(QVOutlinePictures::sketchFromAnswer(std::string()), std::nullopt) << "no drawing data";
    EXPECT_EQ(QVOutlinePictures::sketchFromAnswer(std::string("{}")), std::optional<std::string>("{}"));
}

TEST(QVOutlinePicturesTest, theImageMenuOffersEditFirstAndCropAndSettingsBeforeThePlacement)
{
    std::vector<std::string> actions;
    for (const MenuItem& item : QVOutlinePictures::imageMenuItems())
        actions.push_back(item.action);
    EXPECT_EQ(actions, (std::vector<std::string>{"editImage:", "cropImage:", "settingsImage:", "deleteImage:",
                                                 "wrapRightImage:", "wrapLeftImage:", "wrapNoneImage:", "leftImage:",
                                                 "rightImage:", "centerImage:"}));
    EXPECT_EQ(QVOutlinePictures::imageMenuItems().front().title, u"Edit");
    EXPECT_EQ(QVOutlinePictures::imageMenuItems().back().title, u"Center");
}

class QVOutlineEditMenuRulesTest : public ::testing::Test {
protected:
    bool can(const std::string& action)
    {
        QVOutlineEditMenuRules rules({[this] { return editing; }, [this] { return speaking; },
                                      [this] { return voice; }, [this] { return annotation; },
                                      [this] { return cropping; }, [this] { return imageSelected; },
                                      [this] {
                                          ++sketchQuestions;
                                          return sketch;
                                      },
                                      [this](const std::string& asked) {
                                          textAsked.push_back(asked);
                                          return textAnswer;
                                      }});
        return rules.canPerformAction(action);
    }

    bool editing = false, speaking = false, voice = true, annotation = false, cropping = false;
    bool imageSelected = false, sketch = false, textAnswer = true;
    int sketchQuestions = 0;
    std::vector<std::string> textAsked;
};

TEST_F(QVOutlineEditMenuRulesTest, theAssistantHighlightAndReadingAloudWaitUntilTheKeyboardIsDown)
{
    for (const char* action : {"wisperantActionFromContextualMenu:", "highlightYellowTextSelection:", "speakSelectedText:"})
        EXPECT_TRUE(can(action)) << action;
    editing = true;
    for (const char* action : {"wisperantActionFromContextualMenu:", "highlightYellowTextSelection:", "speakSelectedText:"})
        EXPECT_FALSE(can(action)) << action;
    editing = false;
    voice = false;
    EXPECT_FALSE(can("speakSelectedText:")) << "no voice for the language";
    // They come before the speech rule: while speaking they still follow the keyboard.
    speaking = true;
    EXPECT_TRUE(can("highlightYellowTextSelection:"));
    EXPECT_TRUE(can("pauseSpeak:"));
    EXPECT_FALSE(can("pasteRichText:"));
    EXPECT_FALSE(can("boldExecCommand:"));
}

TEST_F(QVOutlineEditMenuRulesTest, boldAndItalicAndEverythingWithoutAPictureAreTheTextEditorsToDecide)
{
    textAnswer = false;
    EXPECT_FALSE(can("boldExecCommand:"));
    EXPECT_FALSE(can("copy:"));
    EXPECT_FALSE(can("cropImage:"));
    EXPECT_EQ(textAsked, (std::vector<std::string>{"boldExecCommand:", "copy:", "cropImage:"}));
    EXPECT_TRUE(can("pasteRichText:"));
    annotation = true;
    EXPECT_FALSE(can("copy:")) << "nothing else while a note is open";
    EXPECT_TRUE(can("pasteRichText:"));
    annotation = false;
    cropping = true;
    EXPECT_TRUE(can("executeCropImage:"));
    EXPECT_TRUE(can("removeResizableView"));
    EXPECT_FALSE(can("deleteImage:"));
}

TEST_F(QVOutlineEditMenuRulesTest, aSelectedSketchCanBeEditedButNotCroppedOrFramedAndAPhotoTheOtherWayRound)
{
    imageSelected = true;
    const std::map<std::string, std::pair<bool, bool>> expected = {
        // action: {photo, sketch}
        {"editImage:", {false, true}},     {"cropImage:", {true, false}},     {"borderImage:", {true, false}},
        {"copyImage:", {true, true}},      {"deleteImage:", {true, true}},    {"settingsImage:", {true, true}},
        {"wrapNoneImage:", {true, true}},  {"replaceImage:", {true, true}},   {"copy:", {false, false}},
    };
    for (const auto& [action, answers] : expected) {
        sketch = false;
        EXPECT_EQ(can(action), answers.first) << action << " on a photo";
        sketch = true;
        EXPECT_EQ(can(action), answers.second) << action << " on a sketch";
    }
    EXPECT_TRUE(textAsked.empty()) << "with a picture selected the outline decides itself";
}

} // namespace
} // namespace folio

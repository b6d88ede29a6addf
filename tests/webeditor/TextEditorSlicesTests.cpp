#include "documents/TextDocument.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "tools/inspectors/ControlSlices.h"
#include "tools/textstyle/TextStyleLists.h"
#include "webeditor/TextEditorSlices.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace folio {
namespace {

using namespace inspector_slices;

// A stepper as the inspector shows it, its value read once.
std::shared_ptr<StepperSlice> stepper(std::shared_ptr<DKInspectorSlice> slice)
{
    auto shown = std::dynamic_pointer_cast<StepperSlice>(std::move(slice));
    if (shown)
        shown->updateInterfaceFromInspectedObjects(0);
    return shown;
}

// The spacings both text editors step: each stays within its limits, moves
// by its own step and reaches the editor as the value it now has.
TEST(TextEditorSlices, paragraphSpacingsStepWithinTheirLimits)
{
    std::map<ParagraphSpacing, double> values{
        {ParagraphSpacing::Line, 1.0}, {ParagraphSpacing::Paragraph, 70.0}, {ParagraphSpacing::FirstLineIndent, 0.0}};
    std::vector<std::pair<ParagraphSpacing, double>> applied;
    auto make = [&](const char* kind) {
        return stepper(paragraphSpacingSlice(
            kind, [&](ParagraphSpacing which) { return values[which]; },
            [&](ParagraphSpacing which, double value) {
                values[which] = value;
                applied.emplace_back(which, value);
            }));
    };
    auto line = make("DKParagraphLineSpacingInspectorSlice");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->identifier(), "DKParagraphLineSpacingInspectorSlice");
    EXPECT_EQ(line->valueLabel()->text(), u"1.00");
    line->decreaseButton()->tap();
    line->decreaseButton()->tap();
    EXPECT_EQ(values[ParagraphSpacing::Line], 0.5);
    EXPECT_EQ(line->valueLabel()->text(), u"0.50");

    auto paragraph = make("DKParagraphSpacingInspectorSlice");
    ASSERT_NE(paragraph, nullptr);
    paragraph->increaseButton()->tap();
    EXPECT_EQ(values[ParagraphSpacing::Paragraph], 72.0);

    auto indent = make("DKParagraphFirstLineIndentInspectorSlice");
    ASSERT_NE(indent, nullptr);
    indent->increaseButton()->tap();
    EXPECT_EQ(values[ParagraphSpacing::FirstLineIndent], 0.25);

    const std::vector<std::pair<ParagraphSpacing, double>> expected{{ParagraphSpacing::Line, 0.5},
                                                                     {ParagraphSpacing::Line, 0.5},
                                                                     {ParagraphSpacing::Paragraph, 72.0},
                                                                     {ParagraphSpacing::FirstLineIndent, 0.25}};
    EXPECT_EQ(applied, expected);
    EXPECT_EQ(make("DKParagraphIndentInspectorSlice"), nullptr);
}

// Without a document the margin shows the default and nothing is changed;
// with one, the margin steps within the page and reaches the document.
TEST(TextEditorSlices, marginsStepTheDocumentAndNeverAMissingOne)
{
    TextDocument* current = nullptr;
    std::vector<double> applied;
    auto make = [&](const char* kind) {
        return stepper(documentMarginSlice(
            kind, [&] { return current; }, {},
            [&](TextDocument& document, const DocumentMargin& margin, double centimetres) {
                applied.push_back(centimetres);
                (document.*margin.set)(std::to_string(centimetres));
            }));
    };
    auto left = make("DKPageLeftMarginSlice");
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->valueLabel()->text(), u"2.54 cm");
    left->increaseButton()->tap();
    EXPECT_TRUE(applied.empty());

    TextDocument document;
    current = &document;
    document.setDocLeftMargin("0.1");
    left->decreaseButton()->tap();
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied.back(), 0.0);
    document.setDocBottomMargin("9.9");
    auto bottom = make("DKPageBottomMarginSlice");
    ASSERT_NE(bottom, nullptr);
    bottom->increaseButton()->tap();
    EXPECT_EQ(applied.back(), 10.0);
    EXPECT_EQ(bottom->valueLabel()->text(), u"10.00 cm");
    EXPECT_FALSE(document.docTopMargin().has_value());
    EXPECT_EQ(make("DKHeaderMarginSlice"), nullptr);
}

TEST(TextEditorSlices, pageSizeIsStoredBeforeTheEditorHears)
{
    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    std::vector<std::string> heard;
    auto slice = std::dynamic_pointer_cast<ChoiceSlice>(pageSizeSlice("DKDocumentPageSizeInspectorSlice", defaults, [&] {
        heard.push_back(defaults.stringForKey("defaultPageSize").value_or(""));
    }));
    ASSERT_NE(slice, nullptr);
    ASSERT_EQ(slice->options().size(), paperSizeNames().size());
    slice->choose(3);
    EXPECT_EQ(heard, std::vector<std::string>{paperSizeNames()[3]});
}

} // namespace
} // namespace folio

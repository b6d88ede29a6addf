#include "delivery/ExportPreferencesReader.h"
#include "formats/html/CSSFontRules.h"
#include "export/pdf/PDFPageTemplates.h"
#include "export/pdf/PDFSourceHTML.h"
#include "platform/foundation/UserDefaults.h"

#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using testing_support::ScratchFolder;

TEST(ExportPageTemplates, RichTextPageCarriesSideMarginsAndContentInCLocale)
{
    std::string page = PDFPageTemplates::richTextPage("@font-face {x}", 2.5, 1.254, "<p>Body words</p>");
    EXPECT_NE(page.find("@font-face {x}"), std::string::npos);
    EXPECT_NE(page.find("margin-left:2.50cm;  margin-right: 1.25cm;"), std::string::npos);
    EXPECT_NE(page.find("p { margin: 0;}"), std::string::npos);
    EXPECT_NE(page.find("'><p>Body words</p></div></body>"), std::string::npos);
    EXPECT_LT(page.find("@font-face"), page.find("body {"));
}

TEST(ExportPageTemplates, MarkdownPageAppliesStyleWithoutParagraphRule)
{
    MarkdownPageStyle style;
    style.fontFamily = "Georgia";
    style.fontSize = 17;
    style.marginTop = 1;
    style.marginBottom = 2;
    style.marginLeft = 0.5;
    style.marginRight = 0.75;
    style.alignment = "justify";
    style.lineHeight = 1.15;
    style.firstLineIndent = 3;
    std::string page = PDFPageTemplates::markdownPage("", style, "<h1>T</h1>");
    EXPECT_EQ(page.find("p { margin: 0;}"), std::string::npos);
    EXPECT_NE(page.find("font-family: Georgia;font-size: 17.000000px;margin-top: 1.00cm;margin-bottom: 2.00cm; "
                        "margin-left:0.50cm;  margin-right: 0.75cm;"),
              std::string::npos);
    EXPECT_NE(page.find("text-align:justify;line-height:1.15;text-indent:3.00'><h1>T</h1></div>"), std::string::npos);
}

TEST(ExportPageTemplates, QVPagesCarryTheirContentStyles)
{
    std::string text = PDFPageTemplates::qvTextPage("RULES", "<p>qv</p>");
    EXPECT_EQ(text.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(text.find(".tox.tox-tinymce { flex: 1; }"), std::string::npos);
    EXPECT_NE(text.find("line-height: 1.4"), std::string::npos);
    EXPECT_EQ(text.find(".branch-title"), std::string::npos);
    EXPECT_NE(text.find("<body> <p>qv</p> </body>"), std::string::npos);

    std::string outline = PDFPageTemplates::qvOutlinePage("RULES", "<ul id='tree'></ul>");
    EXPECT_NE(outline.find("body { font-family: Arial, Helvetica, sans-serif; line-height: 1.5; margin: 1rem; }"),
              std::string::npos);
    EXPECT_EQ(outline.find("BlinkMacSystemFont"), std::string::npos);
    EXPECT_NE(outline.find(".branch-level-4 { margin-left: 90px; }"), std::string::npos);
    EXPECT_NE(outline.find(".branch-level-4 .children-bus { margin-left: -90px; }"), std::string::npos);
    EXPECT_NE(outline.find(".branch-level-1 .children-bus { margin-left: 0px; }"), std::string::npos);
    EXPECT_LT(outline.find(".tox.tox-tinymce"), outline.find(".branch-title"));
}

TEST(ExportPageTemplates, MarkdownStyleFromSettings)
{
    EXPECT_DOUBLE_EQ(MarkdownPageStyle::lineHeightForSpacing(0), 1.61);
    EXPECT_DOUBLE_EQ(MarkdownPageStyle::lineHeightForSpacing(1.0), 1.15);
    EXPECT_EQ(MarkdownPageStyle::alignmentWord(1), "center");
    EXPECT_EQ(MarkdownPageStyle::alignmentWord(2), "right");
    EXPECT_EQ(MarkdownPageStyle::alignmentWord(3), "justify");
    EXPECT_EQ(MarkdownPageStyle::alignmentWord(7), "left");

    ScratchFolder folder("export-templates");
    UserDefaults defaults(folder.path("prefs.plist"));
    defaults.setFloat("markdownPageMarginTop", 2);
    defaults.setFloat("markdownPageMarginLeft", 3);
    defaults.setInteger("markdownDefaultAlignment", 2);
    defaults.setDouble("markdownDefaultLineSpacing", 2);
    defaults.setString("markdownDefaultFont", "Tinos");
    MarkdownPageStyle tablet = MarkdownPageStyle::fromPreferences(ExportPreferencesReader::read(defaults), true);
    EXPECT_DOUBLE_EQ(tablet.marginTop, 2);
    EXPECT_DOUBLE_EQ(tablet.marginLeft, 3);
    EXPECT_EQ(tablet.alignment, "right");
    EXPECT_DOUBLE_EQ(tablet.lineHeight, 2.3);
    EXPECT_EQ(tablet.fontFamily, "Tinos");
    MarkdownPageStyle phone = MarkdownPageStyle::fromPreferences(ExportPreferencesReader::read(defaults), false);
    EXPECT_DOUBLE_EQ(phone.marginTop, 1);
    EXPECT_DOUBLE_EQ(phone.marginBottom, 1);
    EXPECT_DOUBLE_EQ(phone.marginLeft, 0.5);
    EXPECT_DOUBLE_EQ(phone.marginRight, 0.5);
    // No size setting: readable text, not text 0 pixels high.
    EXPECT_DOUBLE_EQ(phone.fontSize, MarkdownPageStyle::kDefaultFontSize);
    defaults.setDouble("markdownDefaultFontSize", 21);
    EXPECT_DOUBLE_EQ(MarkdownPageStyle::fromPreferences(ExportPreferencesReader::read(defaults), true).fontSize, 21);
}

TEST(ExportPageTemplates, PreviewPageHasNoFontRules)
{
    MarkdownPageStyle style;
    style.fontFamily = "Arimo";
    std::string page = PDFPageTemplates::markdownPreviewPage(style, "# raw text");
    EXPECT_NE(page.find("font-family: Arimo;"), std::string::npos);
    EXPECT_NE(page.find("'># raw text</div>"), std::string::npos);
    EXPECT_EQ(page.find("@font-face"), std::string::npos);
}

TEST(ExportFontRules, RulesFollowTheDictionaryInCaseInsensitiveOrder)
{
    ScratchFolder folder("export-fonts");
    testing_support::writeFile(folder.path("CSSFonts.plist"),
                               "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                               "<key>Open Sans</key><string>OpenSans.ttf</string>"
                               "<key>OpenSans-Bold</key><string>OpenSans-Bold.ttf</string>"
                               "<key>alegreya</key><string>Alegreya.otf</string>"
                               "</dict></plist>");
    Result<PropertyList> dictionary = PropertyList::readFromFile(folder.path("CSSFonts.plist"));
    ASSERT_TRUE(dictionary.ok());
    std::vector<CSSFontRules::InstalledFamily> families = {
        {"Open Sans", {"OpenSans-Regular", "OpenSans-Bold"}},
        {"Unmapped", {"Unmapped-Regular"}},
        {"alegreya", {}},
    };
    std::string rules =
        CSSFontRules::rules(families, *dictionary, {{"My Hand", "hand.ttf"}}, CSSFontRules::CustomNameVariants::NameOnly);
    EXPECT_EQ(rules,
              "@font-face     {font-family:'alegreya';src:url('myFont://Alegreya.otf');}\n"
              "@font-face     {font-family:'Open Sans';src:url('myFont://OpenSans.ttf');}\n"
              "@font-face     {font-family:'OpenSans';src:url('myFont://OpenSans.ttf');}\n"
              "@font-face     {font-family:'OpenSans-Bold';src:url('myFont://OpenSans-Bold.ttf');}\n"
              "@font-face     {font-family:'My Hand';src:url('myFont://hand.ttf');}\n");

    std::string qvRules =
        CSSFontRules::rules({}, PropertyList(), {{"My Hand", "hand.ttf"}}, CSSFontRules::CustomNameVariants::AlsoWithoutBlanks);
    EXPECT_NE(qvRules.find("font-family:'MyHand'"), std::string::npos);
    EXPECT_TRUE(CSSFontRules::rules(families, PropertyList(), {}, CSSFontRules::CustomNameVariants::NameOnly).empty());
}

TEST(ExportFontRules, NamesCannotBreakOutOfTheRule)
{
    std::string rule = CSSFontRules::rule("Evil');}body{x:1", "a'b.ttf");
    EXPECT_EQ(rule, "@font-face     {font-family:'Evil\\');}body{x:1';src:url('myFont://a\\'b.ttf');}\n");
}

TEST(ExportFontRules, CustomFontsDatabaseSkipsMissingAndClimbingNames)
{
    ScratchFolder folder("export-custom-fonts");
    std::filesystem::create_directories(folder.path("CustomFonts"));
    std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                               folder.path("CustomFonts/DejaVuSans.ttf"));
    testing_support::writeFile(folder.path("customFontsDB"),
                               "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><array>"
                               "<string>DejaVuSans.ttf</string><string>missing.ttf</string>"
                               "<string>../../etc/passwd</string></array></plist>");
    auto fonts = CSSFontRules::customFonts(folder.root().string());
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0].fontName, "DejaVuSans");
    EXPECT_EQ(fonts[0].fileName, "DejaVuSans.ttf");
}

TEST(ExportSourcePreparation, QVMarginFollowsCSSRulesForOneToFourValues)
{
    auto margins = [](std::string_view style) { return PDFSourceHTML::marginsFromBodyStyle(style); };
    EXPECT_EQ(margins("margin: 2cm;"), (EdgeInsets{2, 2, 2, 2}));
    EXPECT_EQ(margins("margin: 2cm 1cm;"), (EdgeInsets{2, 1, 2, 1}));
    EXPECT_EQ(margins("margin: 2cm 1cm 3cm;"), (EdgeInsets{2, 1, 3, 1}));
    EXPECT_EQ(margins("margin: 2cm 1cm 3cm 4cm;"), (EdgeInsets{2, 4, 3, 1}));
    EXPECT_EQ(margins("color: red; MARGIN : 10mm 0"), (EdgeInsets{1, 0, 1, 0}));
    EXPECT_EQ(margins("margin: 1in;"), (EdgeInsets{2.54, 2.54, 2.54, 2.54}));
    // Only the "margin" shorthand counts, and a value that does not parse is ignored.
    EXPECT_EQ(margins("margin-top: 5cm; padding: 1cm;"), (EdgeInsets{}));
    EXPECT_EQ(margins("margin: 2cm; margin: auto;"), (EdgeInsets{2, 2, 2, 2}));
    EXPECT_EQ(margins("margin: 1cm 2cm 3cm 4cm 5cm;"), (EdgeInsets{}));
    EXPECT_EQ(margins(""), (EdgeInsets{}));
}

TEST(ExportSourcePreparation, QVBodyStyleReplacesCallerMarginsAndCleansStyle)
{
    std::string html = "<p>before margin: 9cm; text</p>"
                       "<div id=\"bodyStyle\" style=\"overflow-y: hidden; padding-left: 10px; padding-right: 10px;"
                       "margin: 2cm 1cm 3cm 1cm; display: none;\"></div>"
                       + std::string(PDFSourceHTML::kEditorPageBreak) + "<p>after</p>";
    auto prepared = PDFSourceHTML::prepare(html, std::string("FF0000"), {5, 5, 5, 5});
    EXPECT_DOUBLE_EQ(prepared.margins.top, 2);
    EXPECT_DOUBLE_EQ(prepared.margins.bottom, 3);
    EXPECT_EQ(prepared.html.rfind("<div style=\"margin: 2cm 1cm 3cm 1cm; ;word-wrap: break-word;", 0), 0u);
    EXPECT_NE(prepared.html.find(PDFSourceHTML::kPrintPageBreak), std::string::npos);
    EXPECT_EQ(prepared.html.find("marquent-pagebreak"), std::string::npos);
    // QV documents carry their own background: no paper colour wrapper.
    EXPECT_EQ(prepared.html.find("background-color"), std::string::npos);

    auto noMargin = PDFSourceHTML::prepare("<div id=\"bodyStyle\" style=\"color: red;\"></div>", std::nullopt,
                                           {5, 5, 5, 5});
    EXPECT_EQ(noMargin.margins, (EdgeInsets{}));
}

TEST(ExportSourcePreparation, PaperColourWrapsOnlyNonWhiteValidColours)
{
    EdgeInsets margins{1, 2, 3, 4};
    auto white = PDFSourceHTML::prepare("<p>x</p>", std::string("FFFFFF"), margins);
    EXPECT_EQ(white.html, "<p>x</p>");
    EXPECT_EQ(white.margins, margins);
    EXPECT_EQ(PDFSourceHTML::prepare("<p>x</p>", std::nullopt, margins).html, "<p>x</p>");
    EXPECT_EQ(PDFSourceHTML::prepare("<p>x</p>", std::string("FFEEDD"), margins).html,
              "<html><body style=' background-color:#FFEEDD;'><p>x</p></div></body></html>");
    EXPECT_EQ(PDFSourceHTML::prepare("<p>x</p>", std::string("red;'><script>"), margins).html, "<p>x</p>");
}

} // namespace
} // namespace folio

#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "richtext/RichTextStyling.h"
#include "support/DecimalCommaLocale.h"
#include "webeditor/PageConnection.h"
#include "webeditor/WebPageFixture.h"


namespace folio {
namespace {

// The rich-text page's shape, with a bold run and two footnotes.
// The rich-text page's shape, with a bold run, a footnote and a comment as
// the document reader writes them: objects whose content lives in their
// attributes, with the marker the page shows inside.
constexpr const char* kBody
    = "<div id='content' contenteditable=true style='height:300px;font-family:Helvetica;font-size:18px'>"
      "<div id='paragraph' style='font-size:18px'>"
      "<p id='first'>The quick brown fox jumps over the lazy fox.</p>"
      "<p id='second'>Some <b>bold <i>and italic</i> words<object id='footnote_A' class='footnote' "
      "data-content='a note' contenteditable=false><sup>  [1] </sup></object></b> and a <i>comment<object id='note_B' "
      "class='annotation' data-author='Me' data-content='a comment' contenteditable=false>[*]</object></i>.</p>"
      "</div></div>";

// The editor's style commands against the real page and its helpers.
class StylingPageTest : public test::WebPageFixture {
protected:
    void SetUp() override
    {
        WebPageFixture::SetUp();
        ASSERT_TRUE(view);
        std::string html = "<html><head><meta charset='UTF-8'>" + scriptTag(PageResources::helperLibraryURL())
                           + "</head><body onload='initXEditor()'>" + kBody + "</body></html>";
        load(html, "file:///folio-page-test/");
        run("function caretIn(id, offset, length) { var node = document.getElementById(id).firstChild;"
            "var r = document.createRange(); r.setStart(node, offset); r.setEnd(node, offset + (length || 0));"
            "var s = window.getSelection(); s.removeAllRanges(); s.addRange(r); }");
        page.connect(view.get());
        styling = std::make_unique<RichTextStyling>(page, defaults, RichTextStyling::Host{.documentIsDirty = [] {}});
    }
    void TearDown() override
    {
        styling.reset();
        page.disconnect();
        WebPageFixture::TearDown();
    }

    test::ScratchFolder scratch;
    UserDefaults defaults{scratch.file("Preferences.plist")};
    PageConnection page;
    std::unique_ptr<RichTextStyling> styling;
};

TEST_F(StylingPageTest, sizeChangesReachThePageInPixelsAndReadBack)
{
    run("caretIn('first', 4, 5)");
    styling->characters().changeFontSizeByPoints(14, false);
    run("var sized = document.querySelector('#first [style*=\"20px\"]').firstChild;"
        "window.getSelection().setBaseAndExtent(sized, 1, sized, 1)");
    EXPECT_EQ(run("getCurrentFontSize()"), "20") << "shown 14 is 20 page pixels";
    EXPECT_EQ(styling->characters().getBiggestCurrentFontSizeInPointsFromSelection(), 20);

    run("caretIn('second', 0, 4)");
    styling->toolbar().styleFontSize->setTitle(u"12");
    styling->characters().changeFontSizeByPoints(1, true);
    run("var stepped = document.querySelector('#second [style*=\"19px\"]').firstChild;"
        "window.getSelection().setBaseAndExtent(stepped, 1, stepped, 1)");
    EXPECT_EQ(run("getCurrentFontSize()"), "19");
}

TEST_F(StylingPageTest, spacingAndIndentsRoundTripThroughTheirGetters)
{
    run("caretIn('first', 2)");
    auto& paragraphs = styling->paragraphs();
    paragraphs.setCurrenLineSpacing(1.5);
    paragraphs.setCurrenParagraphSpacing(12.5);
    paragraphs.paragraphSpacingBeforeChanged(6);
    paragraphs.firstLineIndentChanged(1.25);
    EXPECT_EQ(run("getCurrentLineSpacing()"), "1.5");
    EXPECT_EQ(run("getCurrentParagraphSpacing()"), "12.5");
    EXPECT_EQ(run("getCurrentParagraphSpacingBefore()"), "6");
    EXPECT_EQ(run("getCurrentFirstLineIndent()"), "1.25");
    paragraphs.setCurrentFirstLineIndent(0.75);
    EXPECT_EQ(run("getCurrentFirstLineIndent()"), "0.8") << "this setter keeps one decimal";
}

TEST_F(StylingPageTest, presetSpacingSurvivesADecimalCommaLocale)
{
    test::DecimalCommaLocale comma;
    defaults.setString("defaultFont1", "Courier");
    defaults.setFloat("defaultFontSize1", 12);
    defaults.setString("defaultFontColor1", "darkblue");
    defaults.setFloat("defaultLineSpacing1", 1.2f);
    defaults.setFloat("defaultParagraphSpacing1", 4.5f);
    run("caretIn('first', 0, 9)");
    styling->presets().setUserStyle(1);
    EXPECT_EQ(run("getCurrentLineSpacing()"), "1.2");
    EXPECT_EQ(run("getCurrentParagraphSpacing()"), "4.5");
}

TEST_F(StylingPageTest, clearFormattingKeepsFootnotesAndComments)
{
    run("var r = document.createRange(); r.selectNodeContents(document.getElementById('second'));"
        "var s = window.getSelection(); s.removeAllRanges(); s.addRange(r);");
    styling->presets().removeStyle();
    EXPECT_EQ(run("document.querySelectorAll('#second b, #second i').length"), "0") << "the formatting is gone";
    EXPECT_EQ(run("document.getElementById('footnote_A') ? document.getElementById('footnote_A').getAttribute('data-content') : 'gone'"),
              "a note");
    EXPECT_EQ(run("document.getElementById('note_B') ? document.getElementById('note_B').getAttribute('data-content') : 'gone'"),
              "a comment");
    EXPECT_EQ(run("document.querySelectorAll('object').length"), "2");
    EXPECT_EQ(run("document.querySelectorAll('#footnote_A > sup').length"), "1") << "the note shows its number raised";
    EXPECT_NE(run("document.getElementById('second').textContent").find("Some bold and italic words"), std::string::npos);
}

} // namespace
} // namespace folio

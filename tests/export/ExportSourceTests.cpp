#include "delivery/ExportPreferencesReader.h"
#include "documents/EditorMakers.h"
#include "export/ExportSource.h"
#include "testing/FakeEditorController.h"
#include "formats/markdown/MarkdownConverter.h"
#include "documents/TextDocument.h"
#include "engine/attachments/TEObjectTextAttachment.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/web/FakeWebView.h"

#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using namespace testing_support;

// Marks what it converts, so a test sees which text went through it.
class MarkingConverter final : public MarkdownConverter {
public:
    std::u16string html(const std::u16string& markdown) override { return u"\n<md>" + markdown + u"</md>"; }
    std::u16string plainText(const std::u16string& markdown) override { return u"plain:" + markdown; }
};

class ExportSourceTest : public testing::Test {
protected:
    void SetUp() override { MarkdownConverter::setShared(std::make_shared<MarkingConverter>()); }
    void TearDown() override
    {
        MarkdownConverter::setShared(nullptr);
        EditorMakers::unregisterAll();
    }

    std::string write(const std::string& name, std::string_view bytes)
    {
        writeFile(m_folder.path(name), bytes);
        return m_folder.path(name);
    }
    std::string writeQV(const std::string& name, std::string_view html)
    {
        auto compressed = Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
        EXPECT_TRUE(compressed.ok());
        return write(name, std::string_view(reinterpret_cast<const char*>(compressed->bytes()), compressed->length()));
    }
    ExportSource source(const std::string& path, std::optional<EditorContent> open = std::nullopt)
    {
        return ExportSource(path, std::move(open), ExportPreferencesReader::read(m_defaults));
    }

    ScratchFolder m_folder{"export-source"};
    UserDefaults m_defaults{m_folder.path("prefs.plist")};
};

TEST_F(ExportSourceTest, MarkdownAndTxtGoThroughTheConverter)
{
    for (const char* name : {"a.md", "b.markdown", "c.txt"}) {
        auto file = source(write(name, "Hello *there*\t tab"));
        EXPECT_EQ(file.HTMLString().valueOr(""), "\n<md>Hello *there*\t tab</md>");
        EXPECT_EQ(file.HTML(ExportSource::Purpose::Print, ExportSource::OpenEditor::Use, true).valueOr(""), "\n<md>Hello *there*\t tab</md>");
        // A tab followed by a blank becomes a tab; a text file's plain
        // text is its text as it is.
        EXPECT_EQ(file.plainText().valueOr(u""),
                  std::string(name) == "c.txt" ? u"Hello *there*\t tab" : u"plain:Hello *there*\ttab");
    }
    MarkdownConverter::setShared(nullptr);
    auto without = source(write("d.md", "x")).HTMLString();
    ASSERT_FALSE(without.ok());
    EXPECT_EQ(without.error().code, ExportSource::NoMarkdownConverter);
}

TEST_F(ExportSourceTest, PagesFollowTheHandedPreferencesNotTheStore)
{
    // The store says one thing, the caller another: the caller's values win,
    // and what the store holds later changes nothing of this export.
    UserDefaults::standardUserDefaults().setString("currentPaperColor", "000000");
    ExportPreferences preferences;
    preferences.paperColor = "112233";
    preferences.documentMargins = {1, 2, 3, 4};
    preferences.headerSettings = "1::Top::0";
    ExportSource file(write("handed.md", "Text"), std::nullopt, preferences);
    m_defaults.setString("currentPaperColor", "445566");
    ExportSource::PageValues values = file.pageValues(ExportSource::OpenEditor::Use);
    EXPECT_EQ(values.paperColor, "112233");
    EXPECT_EQ(values.margins.left, 2);
    EXPECT_EQ(values.margins.bottom, 3);
    EXPECT_EQ(values.headerSettings, "1::Top::0");
    EXPECT_EQ(values.footerSettings, std::nullopt);
    UserDefaults::standardUserDefaults().removeObjectForKey("currentPaperColor");
    // The reader takes the store's values as they are.
    m_defaults.setDouble("marquentPageMarginRight", 2.54);
    EXPECT_EQ(source(write("read.md", "Text")).pageValues(ExportSource::OpenEditor::Use).paperColor, "445566");
    EXPECT_EQ(source(write("read2.md", "Text")).pageValues(ExportSource::OpenEditor::Use).margins.right, 2.54);
}

// The rich-text editor hands over its right margin as the text's right
// edge on a 21.59 cm sheet; an open document's PDF leaves the margin the
// save would write, not a margin as wide as the edge (a blank page).
TEST_F(ExportSourceTest, AnOpenRichTextDocumentsRightMarginIsWhatItsRulerEdgeLeaves)
{
    const std::string path = write("ruler.rtf", "{\\rtf1\\ansi Text\\par}");
    EditorContent open;
    open.margins = EditorContent::Margins{"1.5", "19.09", "2.5", "2.0"};
    ExportSource::PageValues values = source(path, open).pageValues(ExportSource::OpenEditor::Use);
    EXPECT_NEAR(values.margins.left, 1.5, 0.001);
    EXPECT_NEAR(values.margins.right, 2.5, 0.001);
    open.margins->right = "21.59";
    EXPECT_NEAR(source(path, open).pageValues(ExportSource::OpenEditor::Use).margins.right, 0, 0.001);
    // Other kinds' margins are widths as they come.
    const std::string md = write("ruler.md", "Text");
    open.margins->right = "2.0";
    EXPECT_NEAR(source(md, open).pageValues(ExportSource::OpenEditor::Use).margins.right, 2.0, 0.001);
}

TEST_F(ExportSourceTest, TeXAndNonRTFTextExportEscapedAsText)
{
    auto tex = source(write("paper.tex", "\\section{A} <b>not bold</b> & more\n"));
    EXPECT_TRUE(tex.exportsAsPlainText());
    EXPECT_EQ(tex.HTMLString().valueOr(""),
              "<div style=\"white-space: pre-wrap;\">\\section{A} &lt;b&gt;not bold&lt;/b&gt; &amp; more\n</div>");
    EXPECT_EQ(tex.plainText().valueOr(u""), u"\\section{A} <b>not bold</b> & more\n");

    auto notRTF = source(write("letter.rtf", "Just words, {not} RTF"));
    EXPECT_TRUE(notRTF.exportsAsPlainText());
    EXPECT_EQ(notRTF.HTML(ExportSource::Purpose::Print, ExportSource::OpenEditor::Ignore, false).valueOr(""),
              "<div style=\"white-space: pre-wrap;\">Just words, {not} RTF</div>");
    EXPECT_EQ(notRTF.plainText().valueOr(u""), u"Just words, {not} RTF");
}

TEST_F(ExportSourceTest, RTFFilesThatAreNoRTFExportAsTheirTextOrFail)
{
    // Asked of the first bytes: Latin-1 prose goes out as text, decoded as
    // the document reads it; a program's bytes are refused as binary.
    ExportSource prose(write("prose.rtf", "Caf\xe9 at ten {not RTF}\n"), std::nullopt, {});
    EXPECT_TRUE(prose.exportsAsPlainText());
    EXPECT_EQ(prose.plainText().valueOr(u""), u"Caf\u00E9 at ten {not RTF}\n");
    ExportSource marked(write("marked.rtf", "\xef\xbb\xbf{\\rtf1 caf\xe9}"), std::nullopt, {});
    EXPECT_TRUE(marked.exportsAsPlainText());
    EXPECT_EQ(marked.plainText().valueOr(u""), u"\u00EF\u00BB\u00BF{\\rtf1 caf\u00E9}");
    ExportSource binary(write("picture.rtf", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)), std::nullopt, {});
    EXPECT_FALSE(binary.exportsAsPlainText());
    Result<std::u16string> refused = binary.plainText();
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, ExportSource::NotText);
    // RTF in code page 1252 reads from its bytes, "\\bin" counting bytes.
    ExportSource rtf(write("object.rtf", "{\\rtf1\\ansi Caf\xe9\\bin4 \xe9\xe9" "AB done}"), std::nullopt, {});
    EXPECT_FALSE(rtf.exportsAsPlainText());
    EXPECT_EQ(rtf.plainText().valueOr(u""), u"Caf\u00E9 done");
}

TEST_F(ExportSourceTest, RTFGoesThroughReaderAndRemovesPrivateTags)
{
    auto rtf = source(write("doc.rtf", "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\papercolorFFFFFF\\f0 Alpha words\\par "
                                       "Beta\\tab  text\\line Gamma}"));
    m_defaults.setString("currentPaperColor", "123456");
    EXPECT_FALSE(rtf.exportsAsPlainText());
    auto html = rtf.HTMLString();
    ASSERT_TRUE(html.ok()) << html.error().message;
    EXPECT_NE(html->find("Alpha words"), std::string::npos);
    EXPECT_EQ(html->find("papercolor"), std::string::npos);
    // The file's own paper colour is answered, and the stored one left alone.
    EXPECT_EQ(rtf.pageValues(ExportSource::OpenEditor::Use).paperColor, "FFFFFF");
    EXPECT_EQ(m_defaults.stringForKey("currentPaperColor").value_or(""), "123456");
    auto text = rtf.plainText();
    ASSERT_TRUE(text.ok());
    EXPECT_NE(text->find(u"Alpha words"), std::u16string::npos);
    EXPECT_EQ(text->find(u"papercolor"), std::u16string::npos);
    // A line break inside a paragraph is a new line of plain text.
    EXPECT_NE(text->find(u"Beta\ttext\nGamma"), std::u16string::npos);

    // A paper colour group is blue-green-red in the file.
    EXPECT_EQ(source(write("blue.rtf", "{\\rtf1\\ansi{\\papercolor16711680}Blue}")).pageValues(ExportSource::OpenEditor::Use).paperColor,
              "0000FF");
}

TEST_F(ExportSourceTest, HTMLDataEscapesCharactersBeyondLatin1)
{
    auto file = source(write("notes.md", "x"));
    MarkdownConverter::setShared(nullptr);
    class Unicode final : public MarkdownConverter {
    public:
        std::u16string html(const std::u16string&) override { return u"<p>caf\u00E9 \u2014 \u4E2D</p>"; }
        std::u16string plainText(const std::u16string& text) override { return text; }
    };
    MarkdownConverter::setShared(std::make_shared<Unicode>());
    EXPECT_EQ(file.HTMLData().valueOr(""), "<p>caf&eacute; &mdash; &#20013;</p>");
}

// A Markdown page of the renderer's own markup is written in one pass, and
// one with markup typed into it goes through the full sanitiser: neither
// keeps a script or a script link.
TEST_F(ExportSourceTest, MarkdownHTMLDataIsSanitisedWhicheverWayItIsWritten)
{
    auto file = source(write("notes.md", "x"));
    class Fixed final : public MarkdownConverter {
    public:
        explicit Fixed(std::u16string html)
            : m_html(std::move(html))
        {
        }
        std::u16string html(const std::u16string&) override { return m_html; }
        std::u16string plainText(const std::u16string& text) override { return text; }

    private:
        std::u16string m_html;
    };
    MarkdownConverter::setShared(std::make_shared<Fixed>(
        u"\n<p><a href=\"javascript:alert(1)\">run</a> &amp; <a href=\"http://e.org/?a=1&amp;b=&#x27;2&#x27;\">go</a></p>\n"));
    EXPECT_EQ(file.HTMLData().valueOr(""),
              "\n<p><a>run</a> &amp; <a href=\"http://e.org/?a=1&amp;b='2'\">go</a></p>\n");
    auto typed = source(write("typed.md", "x"));
    MarkdownConverter::setShared(std::make_shared<Fixed>(
        u"\n<p>a <span onclick=\"x()\">b</span></p>\n<script>alert(1)</script>\n<p>c</p>\n"));
    EXPECT_EQ(typed.HTMLData().valueOr(""), "\n<p>a <span>b</span></p>\n\n<p>c</p>\n");
}

TEST_F(ExportSourceTest, QVKindsFromTheirStoredHTML)
{
    auto text = source(writeQV("a.qvtext", "<p>QV \xEF\xBB\xBFwords</p><div id=\"bodyStyle\" style=\"display: none;\">x</div>"));
    auto html = text.HTMLString();
    ASSERT_TRUE(html.ok());
    EXPECT_EQ(html->rfind("<style>", 0), 0u);
    EXPECT_NE(html->find(".tox.tox-tinymce"), std::string::npos);
    EXPECT_NE(html->find("</style><p>QV"), std::string::npos);
    EXPECT_EQ(text.HTML(ExportSource::Purpose::Print, ExportSource::OpenEditor::Use, false).valueOr("").rfind("<p>QV", 0), 0u);
    EXPECT_EQ(text.plainText().valueOr(u"?"), u"QV words");

    auto outline = source(writeQV("b.qvoutline", "<ul id='tree'><li>Branch</li></ul>"));
    EXPECT_NE(outline.HTMLString().valueOr("").find(".branch-title"), std::string::npos);
    EXPECT_EQ(outline.plainText().valueOr(u""), u"Branch");
}

TEST_F(ExportSourceTest, UnreadableAndCorruptFilesFailClearly)
{
    auto missing = source(m_folder.path("missing.md")).HTMLString();
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, ExportSource::Unreadable);
    auto corrupt = source(write("bad.qvtext", "not deflate at all")).HTMLString();
    ASSERT_FALSE(corrupt.ok());
    EXPECT_EQ(corrupt.error().code, ExportSource::CorruptQV);
    // An empty file opens as an empty page, and so it exports.
    EXPECT_EQ(source(write("empty.qvoutline", "")).plainText().valueOr(u"?"), u"");
}

TEST_F(ExportSourceTest, PicturesHaveNoTextAndTheTextAroundThemIsKept)
{
    // A package picture stands on a not sign; one the user typed is text.
    std::string path =
        write("pictures.rtf", "{\\rtf1\\ansi Pic {{\\NeXTGraphic a.png \\width10 \\height10}\xC2\xAC} end "
                              "{\\b bold}\xC2\xAC raw.\\par}");
    EXPECT_EQ(source(path).plainText().valueOr(u"?"), u"Pic  end bold\u00AC raw.\n");
    auto file = source(path);
    auto reading = file.fileAsRTF();
    ASSERT_TRUE(reading.ok());
    EXPECT_EQ(ExportSource::withoutPictures(reading->text).string(), u"Pic  end bold\u00AC raw.\n");
    EXPECT_TRUE(file.readingWarnings().empty());
    write("open.rtf", "{\\rtf1 a{");
    auto damaged = source(m_folder.path("open.rtf"));
    ASSERT_TRUE(damaged.fileAsRTF().ok());
    EXPECT_EQ(damaged.readingWarnings().size(), 1u);
}

// A catalogue that counts the look-ups made of it.
class CountingFontCatalog final : public FakeFontCatalog {
public:
    FaceList sharedFaces() const override
    {
        ++lookups;
        return FakeFontCatalog::sharedFaces();
    }
    mutable int lookups = 0;
};

// The characters of an RTF file (copied text, the text export) are read
// without finding a font; its HTML finds them.
TEST_F(ExportSourceTest, TheCharactersOfAnRTFFileAreReadWithoutFindingFonts)
{
    auto catalog = std::make_shared<CountingFontCatalog>();
    FontCatalog::setShared(catalog);
    std::string path = write("fonts.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Georgia;}{\\f1 Missing Face;}}"
                                          "\\f0 One {\\b two} \\f1 three\\par}");
    auto file = source(path);
    EXPECT_EQ(file.plainText().valueOr(u"?"), u"One two three\n");
    Result<DKRTFReadResult> words = file.fileAsRTF(DKRTFReader::Fonts::Omitted);
    ASSERT_TRUE(words.ok());
    EXPECT_EQ(words->text.string(), u"One two three\n");
    EXPECT_EQ(catalog->lookups, 0);
    EXPECT_NE(file.HTMLString().valueOr("").find("Georgia"), std::string::npos);
    EXPECT_GT(catalog->lookups, 0);
    FontCatalog::setShared(nullptr);
}

TEST_F(ExportSourceTest, EachReadingAsRTFHandsOverTheWholeTextAndKeepsWhatLiesBesideIt)
{
    auto file = source(write("reading.rtf", "{\\rtf1\\ansi{\\papercolor16711680}\\margl2880 "
                                            "First {\\b bold} line\\par Second{"));
    for (int reading = 0; reading < 2; ++reading) {
        Result<DKRTFReadResult> read = file.fileAsRTF();
        ASSERT_TRUE(read.ok()) << read.error().message;
        EXPECT_EQ(read->text.string(), u"First bold line\nSecond") << "reading " << reading;
        EXPECT_EQ(read->text.runCount(), 3u);
        EXPECT_EQ(read->paperColor, "0000FF");
        EXPECT_EQ(read->warnings.size(), 1u);
        // What the export asks of the reading after taking its text.
        EXPECT_EQ(file.readingWarnings(), read->warnings);
        EXPECT_EQ(file.pageValues(ExportSource::OpenEditor::Use).paperColor, "0000FF");
    }
    // The HTML of the same source after its text was handed over; the
    // HTML lets the file's bytes go, and a reading after it reads the file
    // again.
    EXPECT_NE(file.HTMLString().valueOr("").find("Second"), std::string::npos);
    Result<DKRTFReadResult> again = file.fileAsRTF();
    ASSERT_TRUE(again.ok()) << again.error().message;
    EXPECT_EQ(again->text.string(), u"First bold line\nSecond");
    EXPECT_EQ(file.plainText().valueOr(u""), u"First bold line\nSecond");
}

// Another program's note group goes back into a save only from the
// package's page, which is read back into a document; the pages that show
// or print the note need its number and text alone. A reading for the
// package after one for another page keeps the group again.
TEST_F(ExportSourceTest, OnlyThePackagesPageKeepsAnotherProgramsNoteGroup)
{
    auto file = source(write("note.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}{\\f1 Arial;}}\\f0 Text"
                                         "{\\super\\chftn}{\\*\\footnote\\pard\\plain\\f1\\fs20{\\super\\chftn} "
                                         "Note text.}\\par}"));
    const std::pair<ExportSource::Purpose, bool> purposes[] = {
        {ExportSource::Purpose::HTMLExport, false}, {ExportSource::Purpose::RTFD, true},
        {ExportSource::Purpose::Print, false},      {ExportSource::Purpose::EPub, false},
        {ExportSource::Purpose::Picture, false},    {ExportSource::Purpose::RTFD, true}};
    for (const auto& [purpose, keepsGroup] : purposes) {
        const std::string html = file.HTML(purpose, ExportSource::OpenEditor::Ignore).valueOr("");
        EXPECT_NE(html.find("Text"), std::string::npos) << static_cast<int>(purpose);
        EXPECT_EQ(html.find("data-rtf-form") != std::string::npos, keepsGroup)
            << static_cast<int>(purpose) << ": " << html;
    }
    Result<DKRTFReadResult> read = file.fileAsRTF();
    ASSERT_TRUE(read.ok()) << read.error().message;
    bool kept = false;
    for (std::size_t at = 0; at < read->text.length(); ++at) {
        AttributeDictionaryPtr attributes = read->text.attributesAtIndex(at);
        const auto* note = attributes ? attributes->valueForKeyAs<TEObjectTextAttachment>(NSAttachmentAttributeName) : nullptr;
        kept = kept || (note && note->attributeForKey(TEObjectTextAttachment::kKeptFormKey));
    }
    EXPECT_TRUE(kept) << "a reading of the file as a document keeps the group";
}

TEST_F(ExportSourceTest, PlainTextIsEscapedWholeAndEveryCharacterKept)
{
    // Markup characters escaped, characters beyond ASCII and pairs of
    // surrogates as UTF-8, a surrogate without its partner as the
    // replacement character, line breaks and blanks as they stand.
    std::u16string text = u"<b>&amp; \"x\" 'y'\n  caf\u00E9 \U0001F600 \xD800<\xDC00>";
    EXPECT_EQ(ExportSource::escapedTextHTML(text),
              "<div style=\"white-space: pre-wrap;\">&lt;b&gt;&amp;amp; &quot;x&quot; &#39;y&#39;\n  caf\xC3\xA9 "
              "\xF0\x9F\x98\x80 \xEF\xBF\xBD&lt;\xEF\xBF\xBD&gt;</div>");
    EXPECT_EQ(ExportSource::escapedTextHTML(u""), "<div style=\"white-space: pre-wrap;\"></div>");
}

TEST_F(ExportSourceTest, OnlyTheBlankRightAfterATabGoes)
{
    EXPECT_EQ(ExportSource::withoutBlanksAfterTabs(u"a\t b\t\t  c \td\t"), u"a\tb\t\t c \td\t");
    EXPECT_EQ(ExportSource::withoutBlanksAfterTabs(u"no tab  here"), u"no tab  here");
    EXPECT_EQ(ExportSource::withoutBlanksAfterTabs(u""), u"");
    // The Markdown text goes the same way, from the open editor's source
    // where it has one and from the file where it has none.
    std::string path = write("tabbed.md", "one\t two\n");
    EditorContent typed;
    typed.sourceText = u"typed\t text";
    EXPECT_EQ(source(path, typed).plainText().valueOr(u"?"), u"plain:typed\ttext");
    EXPECT_EQ(source(path, EditorContent()).plainText().valueOr(u"?"), u"plain:one\ttwo\n");
}

TEST_F(ExportSourceTest, PicturesSideBySideAllGoWhetherTheTextIsCopiedOrHandedOver)
{
    std::string path = write("two-pictures.rtf",
                             "{\\rtf1\\ansi A{{\\NeXTGraphic a.png \\width10 \\height10}\xC2\xAC}"
                             "{\\b {{\\NeXTGraphic b.png \\width10 \\height10}\xC2\xAC}B}"
                             "{{\\NeXTGraphic c.png \\width10 \\height10}\xC2\xAC}\\par}");
    auto reading = source(path).fileAsRTF();
    ASSERT_TRUE(reading.ok());
    MutableAttributedString copied = ExportSource::withoutPictures(reading->text);
    EXPECT_EQ(copied.string(), u"AB\n");
    MutableAttributedString handedOver = ExportSource::withoutPictures(std::move(reading->text));
    EXPECT_EQ(handedOver.string(), copied.string());
    EXPECT_TRUE(handedOver == copied);
}

TEST_F(ExportSourceTest, FileIsReadOnceAndDecodedAsTheDocumentDoes)
{
    // Windows-1252, as the document opens it, and read once: the text and
    // the HTML of one export come from the same read.
    std::string path = write("old.rtf", "{\\rtf1\\ansi Caf\xE9}");
    auto file = source(path);
    EXPECT_EQ(file.plainText().valueOr(u""), u"Caf\u00E9");
    writeFile(path, "{\\rtf1\\ansi Changed}");
    EXPECT_NE(file.HTMLString().valueOr("").find("Caf\xC3\xA9"), std::string::npos);
}

TEST_F(ExportSourceTest, TheOpenEditorsContentStandsInForTheFile)
{
    std::string qvPath = writeQV("open.qvtext", "<p>saved open</p>");
    EditorContent qv;
    qv.bodyHTML = "<p>unsaved edit</p>";
    qv.bodyStyle = "color: red";
    EXPECT_EQ(source(qvPath, qv).QVContent(ExportSource::OpenEditor::Use).valueOr(""), "<p>unsaved edit</p>");
    EXPECT_EQ(source(qvPath, qv).QVContent(ExportSource::OpenEditor::Ignore).valueOr(""), "<p>saved open</p>");
    EXPECT_EQ(source(qvPath, qv).plainText().valueOr(u""), u"unsaved edit");
    EXPECT_EQ(source(qvPath).openContent(), nullptr);

    // Markdown: the editor's HTML, and its source for the plain text.
    std::string mdPath = write("open.md", "saved");
    EditorContent md;
    md.bodyHTML = "<p>edited <em>now</em></p>";
    md.sourceText = u"edited *now*";
    EXPECT_EQ(source(mdPath, md).HTMLString().valueOr(""), "<p>edited <em>now</em></p>");
    EXPECT_EQ(source(mdPath, md).plainText().valueOr(u""), u"plain:edited *now*");
    EXPECT_EQ(source(mdPath, md).HTMLString(ExportSource::OpenEditor::Ignore).valueOr(""), "\n<md>saved</md>");

    // Rich text: the body for the HTML file, read as a save reads it for the
    // RTFD; the page values the page carries, the user's settings for the rest.
    std::string rtfPath = write("open.rtf", "{\\rtf1\\ansi\\paperw12240\\paperh15840{\\papercolor16711680}Saved}");
    EditorContent rich;
    rich.bodyHTML = "<div>Edited</div>";
    rich.lineHeight = 2;
    rich.paperColor = "00FF00";
    rich.footer = "Georgia::12px::center::black::1::1::Foot";
    m_defaults.setString("currentPaperColor", "FFFFFF");
    m_defaults.setString("currentDocumentHeaderControl", "Arial::10px::left::black::1::1::Head");
    EXPECT_EQ(source(rtfPath, rich).HTMLString().valueOr(""), "<div>Edited</div>");
    EXPECT_EQ(source(rtfPath, rich).HTML(ExportSource::Purpose::RTFD, ExportSource::OpenEditor::Use).valueOr(""),
              "<div style='line-height:2;text-indent:0cm'><div>Edited</div></div>");
    ExportSource::PageValues values = source(rtfPath, rich).pageValues(ExportSource::OpenEditor::Use);
    EXPECT_EQ(values.paperColor, "00FF00");
    EXPECT_EQ(values.footerSettings, "Georgia::12px::center::black::1::1::Foot");
    EXPECT_EQ(values.headerSettings, "Arial::10px::left::black::1::1::Head");
    EXPECT_EQ(values.paperSize, (Size{612, 792})) << "the editor never changes the file's paper";
    EXPECT_EQ(source(rtfPath, rich).pageValues(ExportSource::OpenEditor::Ignore).paperColor, "0000FF")
        << "ignoring the editor, the file's own";
    m_defaults.removeObjectForKey("currentPaperColor");
    m_defaults.removeObjectForKey("currentDocumentHeaderControl");
}

} // namespace
} // namespace folio

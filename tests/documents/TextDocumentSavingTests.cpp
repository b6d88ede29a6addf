#include "support/DocumentTestSupport.h"
#include "support/LibreOfficeConverter.h"
#include "support/RequiredTool.h"

#include "documents/DocumentSeeds.h"
#include "documents/EditorMakers.h"
#include "testing/FakeEditorController.h"
#include "documents/TextDocument.h"
#include "engine/model/TEAttributeKeys.h"
#include "documents/PageSizes.h"
#include "formats/rtf/DKRTFPageSettings.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::SavingConverter;
using testing_support::ScratchFolder;
using testing_support::writeFile;

std::string inflate(const std::string& bytes)
{
    Result<Data> data = Deflate::decompress(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    EXPECT_TRUE(data.ok());
    return data ? data->toString() : std::string();
}

class TextDocumentSavingTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto pageEditor = [](TextDocument& document) { return std::make_shared<FakeEditorController>(&document); };
        EditorMakers::registerMaker(EditorKind::RichText, pageEditor);
        EditorMakers::registerMaker(EditorKind::QVText, pageEditor);
        EditorMakers::registerMaker(EditorKind::QVOutline, pageEditor);
        EditorMakers::registerMarkdownMaker(
            [](TextDocument& document) { return std::make_shared<FakeMarkdownEditorController>(&document); });
    }
    void TearDown() override
    {
        EditorMakers::unregisterAll();
        UserDefaults& defaults = UserDefaults::standardUserDefaults();
        for (const char* key : {"nightMode", "darknightMode", "currentDocumentHeaderControl", "currentDocumentFooterControl"})
            defaults.removeObjectForKey(key);
    }

    std::shared_ptr<TextDocument> open(const std::string& name, std::string_view bytes)
    {
        writeFile(m_folder.path(name), bytes);
        auto document = std::make_shared<TextDocument>(m_folder.path(name), m_converter);
        Status read = document->readFromURL(m_folder.path(name));
        EXPECT_TRUE(read.ok()) << (read.ok() ? "" : read.error().message);
        document->makeDocumentViewController();
        return document;
    }

    std::shared_ptr<TextDocument> blank(const std::string& name)
    {
        auto document = std::make_shared<TextDocument>(std::string(), m_converter);
        EXPECT_TRUE(document->initWithContentsOfTemplateAtURL(std::nullopt, m_folder.path(name)));
        return document;
    }

    static FakeEditorController& editorOf(TextDocument& document)
    {
        auto* editor = dynamic_cast<FakeEditorController*>(document.currentTextViewController().get());
        EXPECT_NE(editor, nullptr);
        return *editor;
    }

    bool save(TextDocument& document, DKDocument::SaveOperation operation = DKDocument::SaveOperation::ForOverwriting)
    {
        auto result = std::make_shared<std::optional<bool>>();
        document.saveToURL(document.fileURL(), operation, [result](bool success) { *result = success; });
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return result->has_value(); }, 30));
        return result->value_or(false);
    }

    static EditorContent body(std::string html)
    {
        EditorContent content;
        content.bodyHTML = std::move(html);
        return content;
    }

    ScratchFolder m_folder{"text-document-saving"};
    std::shared_ptr<SavingConverter> m_converter = std::make_shared<SavingConverter>();
};

// A save keeps the page's HTML as it came, in storage it shares with the
// save, and the document makes its text of it only when the text is read,
// keeping the HTML; whichever was handed over last is the text.
TEST(TextDocumentTextTest, theLastTextHandedOverIsTheTextWhateverItsForm)
{
    TextDocument document;
    document.setText(u"<p>read</p>");
    auto answer = std::make_shared<std::string>("{}\n<p>caf\xC3\xA9 \xF0\x9F\x98\x80</p>");
    document.keepPageHTML(answer, std::string_view(*answer).substr(3));
    // The document holds the storage: the page's answer may go.
    std::weak_ptr<std::string> kept = answer;
    answer.reset();
    EXPECT_FALSE(kept.expired());
    EXPECT_EQ(document.text(), u"<p>caf\u00E9 \U0001F600</p>");
    EXPECT_EQ(document.pageHTML(), "<p>caf\xC3\xA9 \xF0\x9F\x98\x80</p>");

    auto older = std::make_shared<std::string>("<p>page</p>");
    document.keepPageHTML(older, *older);
    document.setText(u"<p>set later</p>");
    EXPECT_EQ(document.text(), u"<p>set later</p>");
    document.keepPageHTML(older, *older);
    document.adoptPageHTML("<p>adopted later</p>");
    EXPECT_EQ(document.text(), u"<p>adopted later</p>");
    // The same text set again after a newer page read still replaces it.
    document.keepPageHTML(older, *older);
    document.setText(u"<p>adopted later</p>");
    EXPECT_EQ(document.text(), u"<p>adopted later</p>");
}

// A long document's page is not held twice its packed size for as long as
// the editor is open: the page's storage goes a moment after it was kept,
// and the text reads back whole from what the document packed.
TEST(TextDocumentTextTest, aLongPageKeptLetsGoOfItsStorageAndReadsBackWhole)
{
    std::string html;
    std::uint32_t seed = 7;
    while (html.size() < 3 * 1024 * 1024) {
        seed = seed * 1103515245 + 12345;
        html += "<div style=\"margin-bottom:" + std::to_string(seed % 97) + "px\"><span>caf\xC3\xA9 \xF0\x9F\x98\x80 "
            + std::to_string(seed) + "</span></div>";
    }
    TextDocument document;
    auto answer = std::make_shared<std::string>("{}\n" + html);
    document.keepPageHTML(answer, std::string_view(*answer).substr(3));
    std::weak_ptr<std::string> kept = answer;
    answer.reset();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!kept.expired() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(kept.expired()) << "the document still holds the page as it came";
    EXPECT_EQ(document.pageHTML(), html);
    EXPECT_EQ(document.text(), toUtf16(html));
}

TEST_F(TextDocumentSavingTest, plainTextSavesItsTextAsUtf8)
{
    auto document = open("notes.md", "old");
    auto* editor = dynamic_cast<FakeMarkdownEditorController*>(document->currentTextViewController().get());
    ASSERT_NE(editor, nullptr);
    editor->edit(u"caf\u00E9 \u2014 new");
    EXPECT_TRUE(save(*document));
    EXPECT_EQ(readFile(m_folder.path("notes.md")), "caf\xC3\xA9 \xE2\x80\x94 new");

    // Typed as TeX, saved as text even though it was never read as TeX.
    TextDocument unread(m_folder.path("x.rtf"), m_converter);
    unread.setText(u"\\emph{x}");
    Result<Data> tex = unread.contentsForType("com.brevant.tex");
    ASSERT_TRUE(tex);
    EXPECT_EQ(tex->toString(), "\\emph{x}");
}

// A file from another system is saved back as it came: its byte-order mark
// and line ends stay, and a line the user adds ends as the others do.
TEST_F(TextDocumentSavingTest, textFilesKeepTheirMarkAndLineEnds)
{
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string edited;
        std::string saved;
    };
    const Case cases[] = {
        {"crlf-bom.md", "\xEF\xBB\xBFone\r\ntwo\r\n", u"one\ntwo\nthree\n", "\xEF\xBB\xBFone\r\ntwo\r\nthree\r\n"},
        {"cr.txt", "one\rtwo", u"one\nnew\ntwo", "one\rnew\rtwo"},
        {"lf.tex", "one\ntwo\n", u"one\n\ntwo\n", "one\n\ntwo\n"},
        // Mixed ends are written with the first the file uses.
        {"mixed.md", "a\r\nb\nc", u"a\nb\nc\n", "a\r\nb\r\nc\r\n"},
        {"utf16.md", "\xFF\xFEh\0\r\0\n\0"s, u"h\n\u00E9\n", "\xFF\xFEh\0\r\0\n\0\xE9\0\r\0\n\0"s},
        {"utf16be.txt", "\xFE\xFF\0h"s, u"h\U0001F600", "\xFE\xFF\0h\xD8\x3D\xDE\x00"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto document = open(c.name, c.bytes);
        auto* editor = dynamic_cast<FakeMarkdownEditorController*>(document->currentTextViewController().get());
        ASSERT_NE(editor, nullptr);
        editor->edit(c.edited);
        EXPECT_TRUE(save(*document));
        EXPECT_EQ(readFile(m_folder.path(c.name)), c.saved);
        // Read again, the text is what was typed: the mark is not part of it.
        TextDocument reread(m_folder.path(c.name), m_converter);
        ASSERT_TRUE(reread.readFromURL(m_folder.path(c.name)).ok());
        EXPECT_EQ(reread.text(), c.edited);
    }
    // A new text document has neither a mark nor carriage returns.
    auto fresh = blank("new.md");
    fresh->setText(u"a\nb");
    Result<Data> bytes = fresh->contentsForType("net.daringfireball.markdown");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->toString(), "a\nb");
}

TEST_F(TextDocumentSavingTest, blankDocumentsSaveTheirSeeds)
{
    auto qvText = blank("a.qvtext");
    EXPECT_TRUE(save(*qvText, DKDocument::SaveOperation::ForCreating));
    EXPECT_EQ(inflate(readFile(m_folder.path("a.qvtext"))), "");

    auto outline = blank("b.qvoutline");
    EXPECT_TRUE(save(*outline, DKDocument::SaveOperation::ForCreating));
    std::string page = inflate(readFile(m_folder.path("b.qvoutline")));
    EXPECT_NE(page.find("&nbsp;&nbsp;&nbsp;" + DocumentSeeds::outlineDateText(std::chrono::system_clock::now())),
              std::string::npos);
    EXPECT_NE(page.find("<ul id='left-tree'>"), std::string::npos);

    // A new plain-text file is text, not RTF.
    auto text = blank("c.txt");
    EXPECT_TRUE(save(*text, DKDocument::SaveOperation::ForCreating));
    EXPECT_EQ(readFile(m_folder.path("c.txt")), "");

    auto rtf = blank("d.rtf");
    EXPECT_TRUE(save(*rtf, DKDocument::SaveOperation::ForCreating));
    EXPECT_FALSE(rtf->isNewEmptyDocument());
    ASSERT_TRUE(m_converter->written.has_value());
    EXPECT_EQ(m_converter->written->length(), 0u);
    EXPECT_EQ(readFile(m_folder.path("d.rtf")), "{\\rtf1 }");
}

TEST_F(TextDocumentSavingTest, specialTypesSaveTheirSeedFiles)
{
    TextDocument document(m_folder.path("x.rtf"), m_converter);
    for (const char* type : {"com.tamrisk.pencilnote", "com.tamrisk.scb"}) {
        Result<Data> seed = document.contentsForType(type);
        EXPECT_TRUE(seed.ok()) << type;
    }
    for (const char* type : {"com.tamrisk.skt", "com.brevant.inknote", "com.adobe.pdf", "com.brevant.drawing"}) {
        Result<Data> seed = document.contentsForType(type);
        ASSERT_TRUE(seed.ok()) << type;
        EXPECT_EQ(seed->stringView().substr(0, 5), "%PDF-") << type;
    }
}

TEST_F(TextDocumentSavingTest, outlineSeedCarriesTheDate)
{
    // 5 March 2024, noon UTC.
    auto date = std::chrono::system_clock::time_point(std::chrono::seconds(1709640000));
    EXPECT_EQ(DocumentSeeds::outlineDateText(date, "en_US"), "Mar 5, 2024");
    Result<std::string> seed = DocumentSeeds::outlineSeedPage(date, "en_US");
    ASSERT_TRUE(seed.ok()) << seed.error().message;
    const std::string& page = *seed;
    EXPECT_EQ(page.find("<div id='noteDate' style='font-family: Cousine, Arial,sans-serif; font-size: "
                        "18pt;'>&nbsp;&nbsp;&nbsp;Mar 5, 2024</div><ul id='left-tree'><li class='tree-branch "
                        "branch-level-1' data-id='1' data-parent='0' data-level='1'"),
              0u);
    EXPECT_NE(page.find("contenteditable=false>\xE2\x97\x8F</div><div class='branch-title' id='1'></div>"),
              std::string::npos);
    EXPECT_TRUE(page.ends_with("<span class='children-bus' style='height:1px;'></span></li></ul>"));
}

TEST_F(TextDocumentSavingTest, blankFlagBelongsToEachDocument)
{
    auto first = blank("first.qvtext");
    auto second = blank("second.qvtext");
    first->makeDocumentViewController();
    second->makeDocumentViewController();
    editorOf(*first).setContent(body("<p>typed</p>"));
    editorOf(*second).setContent(body("<p>never read</p>"));

    editorOf(*first).finishLoadingPage();
    EXPECT_TRUE(save(*first, DKDocument::SaveOperation::ForCreating));
    EXPECT_TRUE(save(*second, DKDocument::SaveOperation::ForCreating));
    EXPECT_EQ(inflate(readFile(m_folder.path("first.qvtext"))),
              "<p>typed</p><div id=\"bodyStyle\" style=\"visibility: hidden;display: none;\"></div>");
    EXPECT_EQ(inflate(readFile(m_folder.path("second.qvtext"))), "") << "still blank: its page has not loaded";
    EXPECT_EQ(editorOf(*second).contentRequestCount(), 0);
}

// A new QV file opened next as a document of its own is still new, once;
// a file found under the same name with other contents never is, so its
// first save reads its page rather than writing a seed over it.
TEST_F(TextDocumentSavingTest, aNewQVFileIsNewOnceToWhoeverOpensItAndOnlyAsItWasWritten)
{
    auto made = blank("made.qvoutline");
    EXPECT_TRUE(save(*made, DKDocument::SaveOperation::ForCreating));
    auto opened = std::make_shared<TextDocument>(m_folder.path("made.qvoutline"), m_converter);
    ASSERT_TRUE(opened->readFromURL(m_folder.path("made.qvoutline")));
    EXPECT_TRUE(opened->isNewBlankDocument());
    auto again = std::make_shared<TextDocument>(m_folder.path("made.qvoutline"), m_converter);
    ASSERT_TRUE(again->readFromURL(m_folder.path("made.qvoutline")));
    EXPECT_FALSE(again->isNewBlankDocument()) << "only the first opening is of a new file";

    auto replaced = blank("replaced.qvtext");
    EXPECT_TRUE(save(*replaced, DKDocument::SaveOperation::ForCreating));
    Result<Data> other = DocumentSeeds::compressedPage("<p>precious</p>");
    ASSERT_TRUE(other);
    auto found = open("replaced.qvtext", other->stringView());
    EXPECT_FALSE(found->isNewBlankDocument());
    editorOf(*found).setContent(body("<p>precious</p>"));
    EXPECT_TRUE(save(*found));
    EXPECT_NE(inflate(readFile(m_folder.path("replaced.qvtext"))).find("precious"), std::string::npos);
}

// An outline file that holds nothing opens as a new outline: the page is
// given the date line and the first branch, and a save before the page is
// set up writes that seed, never an outline without its tree.
TEST_F(TextDocumentSavingTest, anEmptyOutlineFileOpensAsANewOutline)
{
    Result<Data> spaces = DocumentSeeds::compressedPage(" \n");
    ASSERT_TRUE(spaces);
    for (const std::string& bytes : {std::string(), spaces->toString()}) {
        auto outline = open("empty.qvoutline", bytes);
        EXPECT_TRUE(outline->isNewBlankDocument());
        EXPECT_NE(toUtf8(outline->text()).find("<div class='branch-title' id='1'>"), std::string::npos);
        EXPECT_TRUE(save(*outline));
        std::string saved = inflate(readFile(m_folder.path("empty.qvoutline")));
        EXPECT_NE(saved.find("noteDate"), std::string::npos) << saved;
        EXPECT_NE(saved.find("<ul id='left-tree'>"), std::string::npos) << saved;
    }
}

TEST_F(TextDocumentSavingTest, qvSaveKeepsTheBodyStyle)
{
    Result<Data> old = DocumentSeeds::compressedPage("<p>old</p>");
    ASSERT_TRUE(old);
    auto document = open("a.qvtext", old->stringView());
    FakeEditorController& editor = editorOf(*document);
    EditorContent content = body("<p>new</p>");
    content.bodyStyle = "color: red";
    editor.setContent(content);
    EXPECT_TRUE(save(*document));
    EXPECT_EQ(editor.willSaveCount(), 1);
    EXPECT_EQ(editor.contentRequestCount(), 1);
    EXPECT_EQ(inflate(readFile(m_folder.path("a.qvtext"))),
              "<p>new</p><div id=\"bodyStyle\" style=\"visibility: hidden;display: none;color: red\"></div>");

    // A quote in the style (a family such as "Times New Roman") must not end
    // the attribute; the same page saves the same bytes every time.
    content.bodyStyle = "font-family: \"Times New Roman\"; margin: 0 <1px>";
    editor.setContent(content);
    EXPECT_TRUE(save(*document));
    std::string first = readFile(m_folder.path("a.qvtext"));
    EXPECT_EQ(inflate(first), "<p>new</p><div id=\"bodyStyle\" style=\"visibility: hidden;display: none;font-family: "
                              "&quot;Times New Roman&quot;; margin: 0 &lt;1px&gt;\"></div>");
    EXPECT_TRUE(save(*document));
    EXPECT_EQ(readFile(m_folder.path("a.qvtext")), first);
}

TEST_F(TextDocumentSavingTest, failedPageReadKeepsTheFile)
{
    Result<Data> old = DocumentSeeds::compressedPage("<p>precious</p>");
    ASSERT_TRUE(old);
    auto qv = open("keep.qvoutline", old->stringView());
    // The page does not answer: the fake's content is an error until set.
    EXPECT_FALSE(save(*qv));
    EXPECT_EQ(readFile(m_folder.path("keep.qvoutline")), old->toString());
    ASSERT_TRUE(qv->lastError().has_value());

    auto rtf = open("keep.rtf", "{\\rtf1 precious}");
    editorOf(*rtf).setContent(Error{EditorController::kErrorDomain, EditorController::BadAnswer, "nonsense"});
    EXPECT_FALSE(save(*rtf));
    EXPECT_EQ(readFile(m_folder.path("keep.rtf")), "{\\rtf1 precious}");
    EXPECT_EQ(readFile(m_folder.path("keep.rtf")).find("(null)"), std::string::npos);
}

TEST_F(TextDocumentSavingTest, rtfSavesThePageHtmlWithTheDocumentAttributes)
{
    auto document = open("letter.rtf", "{\\rtf1\\ansi Dear reader}");
    EXPECT_NE(document->text().find(u"Dear reader"), std::u16string::npos);
    FakeEditorController& editor = editorOf(*document);
    editor.setRulerMargins(FakeEditorController::Margins{"1.50", "19.00", "0.0", "2.54"});
    EditorContent content = body("<div>Dear reader, again</div>");
    content.lineHeight = 1.5;
    content.paperColor = "FF8000";
    content.header = "Georgia::12px::center::rgb(0, 0, 0)::1::1::My header";
    editor.setContent(content);
    // The footer setting is the document's own, kept where its editor keeps it.
    document->settings().setString("currentDocumentFooterControl", "stale");

    EXPECT_TRUE(save(*document));
    EXPECT_EQ(editor.contentRequestCount(), 1) << "the page is asked once per save";
    EXPECT_EQ(editor.willSaveCount(), 1);
    EXPECT_EQ(document->docLeftMargin(), "1.50") << "the document keeps the ruler's margins";
    EXPECT_EQ(m_converter->htmlRead, "<div style='line-height:1.5;text-indent:0cm'><div>Dear reader, again</div></div>");
    EXPECT_EQ(m_converter->documentName, "letter.rtf");
    EXPECT_EQ(m_converter->writtenAttribute("papercolor"), "FF8000");
    EXPECT_EQ(m_converter->writtenAttribute("docLeftMargin"), "1.50");
    EXPECT_EQ(m_converter->writtenAttribute("docRightMargin"), "19.00");
    EXPECT_EQ(m_converter->writtenAttribute("docTopMargin"), std::nullopt) << "a margin of 0.0 is not written";
    EXPECT_EQ(m_converter->writtenAttribute("docBottomMargin"), "2.54");
    EXPECT_EQ(m_converter->writtenAttribute("pageHeader"), "Georgia::12px::center::rgb(0, 0, 0)::1::1::My header");
    EXPECT_EQ(m_converter->writtenAttribute("pageFooter"), std::nullopt);
    EXPECT_FALSE(document->settings().stringForKey("currentDocumentFooterControl").has_value());
    EXPECT_EQ(readFile(m_folder.path("letter.rtf")).substr(0, 7), "{\\rtf1 ");

    UserDefaults::standardUserDefaults().setBool("nightMode", true);
    EXPECT_TRUE(save(*document));
    EXPECT_EQ(m_converter->writtenAttribute("papercolor"), "FFFFFF") << "night mode shows a dark page, not the paper";
}

TEST_F(TextDocumentSavingTest, rtfRoundTripsThroughTheEngine)
{
    writeFile(m_folder.path("engine.rtf"), "{\\rtf1\\ansi Dear reader}");
    auto document = std::make_shared<TextDocument>(m_folder.path("engine.rtf"));
    ASSERT_TRUE(document->readFromURL(m_folder.path("engine.rtf")));
    document->makeDocumentViewController();
    FakeEditorController& editor = editorOf(*document);
    // The page shows the HTML the document opened with, and the user adds a line.
    std::string shown = toUtf8(document->text());
    ASSERT_NE(shown.find("Dear reader"), std::string::npos);
    EditorContent content = body(shown + "<div>Second line</div>");
    content.paperColor = "0000FF";
    editor.setContent(content);
    editor.setRulerMargins(FakeEditorController::Margins{"3.00", "18.00", "2.00", "2.00"});
    ASSERT_TRUE(save(*document));

    std::string rtf = readFile(m_folder.path("engine.rtf"));
    EXPECT_EQ(rtf.substr(0, 5), "{\\rtf");
    auto reopened = std::make_shared<TextDocument>(m_folder.path("engine.rtf"));
    ASSERT_TRUE(reopened->readFromURL(m_folder.path("engine.rtf")));
    EXPECT_NE(reopened->text().find(u"Dear reader"), std::u16string::npos) << rtf;
    EXPECT_NE(reopened->text().find(u"Second line"), std::u16string::npos) << rtf;
    EXPECT_EQ(reopened->paperColor(), "0000FF") << rtf;
}

// A file that never gave its paper or margins (as WordPad writes it) keeps
// saying nothing of them while the page still shows the defaults it was laid
// out with; a margin the person moved, and a paper size they chose, are
// written from then on.
TEST_F(TextDocumentSavingTest, aPageTheFileNeverDescribedIsWrittenOnlyOnceThePersonSetsIt)
{
    const std::string path = m_folder.path("wordpad.rtf");
    writeFile(path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\viewkind4\\uc1\\pard\\f0\\fs20 Dear reader\\par}");
    auto document = std::make_shared<TextDocument>(path);
    ASSERT_TRUE(document->readFromURL(path));
    document->makeDocumentViewController();
    FakeEditorController& editor = editorOf(*document);
    editor.setContent(body(toUtf8(document->text()) + "<div>Typed on</div>"));
    // The margins the page shows for such a file: RTF's defaults.
    editor.setRulerMargins(FakeEditorController::Margins{"3.17", "18.42", "2.54", "2.54"});
    ASSERT_TRUE(save(*document));
    std::string rtf = readFile(path);
    EXPECT_EQ(rtf.find("\\paperw"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\marg"), std::string::npos) << rtf;
    Result<DKRTFReadResult> again = DKRTFReader::read(toUtf16(rtf));
    ASSERT_TRUE(again.ok());
    EXPECT_NE(again->text.string().find(u"Typed on"), std::u16string::npos) << rtf;
    EXPECT_EQ(again->pageSettings.text(DKRTFPageSettings::kUnstatedPageKey), "paper left right top bottom") << rtf;

    // The person moves the left and bottom margins: those two are written.
    editor.setRulerMargins(FakeEditorController::Margins{"2.00", "18.42", "2.54", "3.00"});
    ASSERT_TRUE(save(*document));
    rtf = readFile(path);
    EXPECT_NE(rtf.find("\\margl1134"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\margb1701"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\margr"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\margt"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\paperw"), std::string::npos) << rtf;

    // And chooses Letter paper.
    UserDefaults& user = UserDefaults::standardUserDefaults();
    const std::optional<std::string> chosenBefore = user.stringForKey(PageSizes::kDefaultPageSizeKey);
    user.setString(PageSizes::kDefaultPageSizeKey, "Letter");
    document->paperSizeWasChosen();
    if (chosenBefore)
        user.setString(PageSizes::kDefaultPageSizeKey, *chosenBefore);
    else
        user.removeObjectForKey(PageSizes::kDefaultPageSizeKey);
    ASSERT_TRUE(save(*document));
    rtf = readFile(path);
    EXPECT_NE(rtf.find("\\paperw12240\\paperh15840"), std::string::npos) << rtf;
}

// LibreOffice lays the saved file out on the page it gave the file itself:
// its own default paper and margins, not ours.
TEST_F(TextDocumentSavingTest, libreOfficeShowsASavedFileWithoutAPageOnThePageItGaveTheFile)
{
    if (!test::LibreOfficeConverter::isInstalled())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    const std::string original = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\pard\\f0\\fs20 Dear reader\\par}";
    writeFile(m_folder.path("original.rtf"), original);
    const std::string path = m_folder.path("saved.rtf");
    writeFile(path, original);
    auto document = std::make_shared<TextDocument>(path);
    ASSERT_TRUE(document->readFromURL(path));
    document->makeDocumentViewController();
    FakeEditorController& editor = editorOf(*document);
    editor.setContent(body(toUtf8(document->text()) + "<div>Typed on</div>"));
    editor.setRulerMargins(FakeEditorController::Margins{"3.17", "18.42", "2.54", "2.54"});
    ASSERT_TRUE(save(*document));

    const std::string out = m_folder.path("out");
    const test::LibreOfficeConversion flat =
        test::LibreOfficeConverter::convert({m_folder.path("original.rtf"), path}, "fodt", out);
    ASSERT_TRUE(flat.succeeded()) << flat.failure;
    auto pageOf = [&](const std::string& name) {
        const std::string flat = readFile(out + "/" + name + ".fodt");
        const std::size_t at = flat.find("<style:page-layout-properties fo:page-width");
        return at == std::string::npos ? std::string("no page") : flat.substr(at, flat.find(" style:writing-mode", at) - at);
    };
    EXPECT_NE(pageOf("original"), "no page");
    EXPECT_EQ(pageOf("saved"), pageOf("original")) << readFile(path);
}

// The page the document opened with names each paragraph's style; a word
// typed and saved leaves the file's style sheet and the heading's style as
// they were, and a paragraph the page put in a new style gets that style.
TEST_F(TextDocumentSavingTest, rtfSaveKeepsTheStyleSheetAndEachParagraphsStyle)
{
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
                            "{\\stylesheet{\\s0 \\fs24 Normal;}{\\s2 \\b\\fs36\\sbasedon0 heading 2;}}"
                            "\\pard\\s2 \\b\\fs36 Minutes\\par\\pard\\s0 \\fs24 Present: all\\par}";
    writeFile(m_folder.path("minutes.rtf"), rtf);
    auto document = std::make_shared<TextDocument>(m_folder.path("minutes.rtf"));
    ASSERT_TRUE(document->readFromURL(m_folder.path("minutes.rtf")));
    document->makeDocumentViewController();
    std::string shown = toUtf8(document->text());
    ASSERT_NE(shown.find("data-style=\"heading 2\""), std::string::npos) << shown;
    shown.replace(shown.find("Minutes"), 7, "Minutes today");
    shown.replace(shown.find("data-style=\"Normal\""), 19, "data-style=\"Title\"");
    editorOf(*document).setContent(body(shown));
    ASSERT_TRUE(save(*document));

    const std::string saved = readFile(m_folder.path("minutes.rtf"));
    Result<DKRTFReadResult> again = DKRTFReader::read(toUtf16(saved));
    ASSERT_TRUE(again.ok());
    auto styleOf = [&](std::u16string_view words) {
        const std::size_t at = again->text.string().find(words);
        const auto* name = at == std::u16string::npos ? nullptr
            : again->text.attributesAtIndex(at)->valueForKeyAs<StringValue>(TEParagraphStyleNameAttribute);
        return name ? toUtf8(name->value()) : std::string("<none>");
    };
    EXPECT_EQ(styleOf(u"Minutes today"), "heading 2") << saved;
    EXPECT_EQ(styleOf(u"Present: all"), "Title") << saved;
    EXPECT_NE(saved.find("Normal;}"), std::string::npos) << saved;
    EXPECT_NE(saved.find(" heading 2;}"), std::string::npos) << saved;
}

TEST(EditorContentTest, richTextBodyWrappedInItsLineHeightAndIndent)
{
    EditorContent content;
    content.bodyHTML = "abc";
    content.firstLineIndent = 0.5;
    EXPECT_EQ(content.richTextHTML(), "<div style='line-height:0;text-indent:0.5cm'>abc</div>");
    // A body whose last line is empty ends with a line the reader keeps.
    content.bodyHTML = "x<div><br></div>";
    content.lineHeight = 1;
    content.firstLineIndent = 1.25;
    EXPECT_EQ(content.richTextHTML(), "<div style='line-height:1;text-indent:1.25cm'>x<div><br></div></div>"
                                      "<div><span style=\"white-space:pre-wrap;\"> </span></div>");
}

} // namespace
} // namespace folio

#include "support/DocumentTestSupport.h"

#include "documents/DocumentSeeds.h"
#include "documents/DocumentText.h"
#include "documents/EditingPageEstimate.h"
#include "documents/EditorMakers.h"
#include "documents/DocumentSizeLimits.h"
#include "testing/FakeEditorController.h"
#include "documents/TextDocument.h"
#include "formats/rtf/DKRTFLegacyAnnotations.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/NavigationController.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::ScratchFolder;
using testing_support::writeFile;

class TextDocumentReadingTest : public testing::Test {
protected:
    void SetUp() override
    {
        EditorMakers::registerMarkdownMaker(
            [](TextDocument& document) { return std::make_shared<FakeMarkdownEditorController>(&document); });
        EditorMakers::registerMaker(EditorKind::QVText,
                                    [](TextDocument& document) { return std::make_shared<FakeEditorController>(&document); });
    }
    void TearDown() override { EditorMakers::unregisterAll(); }

    std::shared_ptr<TextDocument> read(const std::string& name, std::string_view bytes, Status* status = nullptr)
    {
        writeFile(m_folder.path(name), bytes);
        auto document = std::make_shared<TextDocument>(m_folder.path(name),
                                                       std::make_shared<testing_support::SavingConverter>());
        Status result = document->readFromURL(m_folder.path(name));
        if (status)
            *status = result;
        else
            EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().message);
        return document;
    }

    ScratchFolder m_folder{"text-document-reading"};
};

TEST(DocumentKindTest, kindFollowsTheLowerCasedExtension)
{
    EXPECT_EQ(documentKindForPath("notes.TXT"), DocumentKind::Markdown);
    EXPECT_EQ(documentKindForPath("a.Markdown"), DocumentKind::Markdown);
    EXPECT_EQ(documentKindForPath("paper.TeX"), DocumentKind::TeX);
    EXPECT_EQ(documentKindForPath("x.QVTEXT"), DocumentKind::QVText);
    EXPECT_EQ(documentKindForPath("x.qvoutline"), DocumentKind::QVOutline);
    EXPECT_EQ(documentKindForPath("letter.doc"), DocumentKind::RTF);
    EXPECT_EQ(documentKindForPath("no-extension"), DocumentKind::RTF);
    EXPECT_TRUE(pathMatchesKind("a.RTF", DocumentKind::RTF));
    EXPECT_FALSE(pathMatchesKind("a.doc", DocumentKind::RTF));
    EXPECT_FALSE(pathMatchesKind("a.md", DocumentKind::TeX));
}

TEST_F(TextDocumentReadingTest, textKindsSetTheirFlags)
{
    auto notes = read("notes.TXT", "plain");
    EXPECT_TRUE(notes->isMDDocument());
    EXPECT_FALSE(notes->isTeXDocument());
    auto paper = read("paper.TeX", "\\section{A}");
    EXPECT_TRUE(paper->isTeXDocument());
    EXPECT_FALSE(paper->isMDDocument());
    EXPECT_EQ(paper->text(), u"\\section{A}");
}

TEST_F(TextDocumentReadingTest, textIsUtf8ThenWindows1252WithLineFeedsOnly)
{
    EXPECT_EQ(read("u.md", "caf\xC3\xA9\r\nna\xC3\xAFve\rend\n")->text(), u"caf\u00E9\nna\u00EFve\nend\n");
    // Not valid UTF-8: the same letters in Windows-1252, and its curly quote.
    EXPECT_EQ(read("w.md", "caf\xE9\r\n\x93quoted\x94\r\n")->text(), u"caf\u00E9\n\u201Cquoted\u201D\n");
    EXPECT_EQ(read("bom.md", "\xEF\xBB\xBFtext")->text(), u"text");
    // A UTF-16 or UTF-32 byte-order mark says how the rest is encoded.
    using namespace std::string_literals;
    EXPECT_EQ(read("le.md", "\xFF\xFEh\0\xE9\0\x3D\xD8\x00\xDE"s)->text(), u"h\u00E9\U0001F600");
    EXPECT_EQ(read("be.txt", "\xFE\xFF\0h\0\xE9"s)->text(), u"h\u00E9");
    EXPECT_EQ(read("le32.tex", "\xFF\xFE\0\0h\0\0\0\x00\xF6\x01\0"s)->text(), u"h\U0001F600");
    EXPECT_EQ(read("be32.md", "\0\0\xFE\xFF\0\0\0h"s)->text(), u"h");
    Status status;
    read("odd.md", "\xFE\xFF\0h\0"s, &status);
    EXPECT_FALSE(status.ok()) << "half a UTF-16 character is not text";
}

TEST(DocumentTextTest, rawBytesOfRTFAreInTheCodePageTheDocumentDeclares)
{
    auto decode = [](std::string_view bytes) {
        auto span = std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        return DocumentText::decode(span, DocumentKind::RTF, "doc.rtf").valueOr(u"?");
    };
    // Cyrillic written as raw bytes of Windows-1251 (as older Russian word
    // processors do), and the same bytes where no code page is declared.
    EXPECT_EQ(decode("{\\rtf1\\ansi\\ansicpg1251 \xCF\xF0\xE8\xE2\xE5\xF2}"), u"{\\rtf1\\ansi\\ansicpg1251 \u041F\u0440\u0438\u0432\u0435\u0442}");
    EXPECT_EQ(decode("{\\rtf1\\ansi \xE9t\xE9}"), u"{\\rtf1\\ansi \u00E9t\u00E9}");
    EXPECT_EQ(decode("{\\rtf1\\ansi\\ansicpg1253 \xE1}"), u"{\\rtf1\\ansi\\ansicpg1253 \u03B1}");
    // A code page of two bytes per character would make "\\bin" lengths
    // wrong: such files keep the one-byte reading.
    EXPECT_EQ(decode("{\\rtf1\\ansi\\ansicpg932 \xE9}"), u"{\\rtf1\\ansi\\ansicpg932 \u00E9}");
    // UTF-8 stays UTF-8 whatever the header says.
    EXPECT_EQ(decode("{\\rtf1\\ansi\\ansicpg1251 \xC3\xA9}"), u"{\\rtf1\\ansi\\ansicpg1251 \u00E9}");
}

TEST_F(TextDocumentReadingTest, qvPageRoundTripsThroughRawDeflate)
{
    const std::string page = "<p>\xC3\xA9t\xC3\xA9</p><div id=\"bodyStyle\"></div>";
    Result<Data> compressed = DocumentSeeds::compressedPage(page);
    ASSERT_TRUE(compressed);
    auto text = read("a.qvtext", compressed->stringView());
    EXPECT_TRUE(text->isQVTextDocument());
    EXPECT_EQ(text->text(), toUtf16(page));
    auto outline = read("a.QVOUTLINE", compressed->stringView());
    EXPECT_TRUE(outline->isQVOutlineDocument());
    EXPECT_FALSE(outline->isQVTextDocument());
}

TEST_F(TextDocumentReadingTest, damagedQVFileIsRefused)
{
    Status status;
    auto garbage = read("bad.qvtext", "this is not deflate data at all", &status);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, TextDocument::CorruptQVFile);
    EXPECT_FALSE(garbage->isQVTextDocument());

    Result<Data> truncated = DocumentSeeds::compressedPage(std::string(5000, 'a') + "tail");
    ASSERT_TRUE(truncated);
    read("cut.qvoutline", truncated->stringView().substr(0, truncated->length() / 2), &status);
    EXPECT_FALSE(status.ok());

    Result<Data> latin = DocumentSeeds::compressedPage("caf\xE9");
    ASSERT_TRUE(latin);
    read("latin.qvtext", latin->stringView(), &status);
    EXPECT_FALSE(status.ok()) << "a page that is not UTF-8 is damaged too";

    // A small file that unpacks to more than any page holds is not unpacked.
    Result<Data> bomb = DocumentSeeds::compressedPage(std::string(DocumentText::kMaximumQVPageSize + 1, 'a'));
    ASSERT_TRUE(bomb);
    EXPECT_LT(bomb->length(), 100000u);
    read("bomb.qvtext", bomb->stringView(), &status);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.error().message.find("64 MiB"), std::string::npos) << status.error().message;
}

TEST_F(TextDocumentReadingTest, rtfOpensAsHtmlThroughTheEngine)
{
    auto document = read("letter.doc", "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs24 Dear reader,\\par Bye "
                                       "caf\\'e9 \\u-10179?\\u-8704?}");
    EXPECT_FALSE(document->isRTFDocument());
    std::u16string html = document->text();
    EXPECT_NE(html.find(u"Dear reader,"), std::u16string::npos) << toUtf8(html);
    EXPECT_NE(html.find(u"Bye caf\u00E9 \U0001F600"), std::u16string::npos) << toUtf8(html);
    EXPECT_EQ(document->pageHTML(), toUtf8(html)) << "the page is loaded from the same text";
    EXPECT_NE(html.find(u'<'), std::u16string::npos) << "the page gets HTML, not the RTF";
    EXPECT_EQ(html.find(u"\\rtf"), std::u16string::npos);
}

// A file just made empty by another program opens as an empty document,
// as its export is one, to be written in.
TEST_F(TextDocumentReadingTest, anEmptyRtfFileOpensAsAnEmptyDocument)
{
    Status status;
    auto document = read("Empty.rtf", "", &status);
    ASSERT_TRUE(status.ok()) << status.error().message;
    EXPECT_FALSE(document->isRTFDocument());
    EXPECT_FALSE(document->refusesSaves());
    std::string page = document->pageHTML();
    std::string words;
    bool inTag = false;
    for (char c : page) {
        if (c == '<' || c == '>')
            inTag = c == '<';
        else if (!inTag && !std::isspace(static_cast<unsigned char>(c)))
            words += c;
    }
    EXPECT_EQ(words, "") << page;
}

TEST_F(TextDocumentReadingTest, openingRtfHandsItsPageSettingsToItsEditorAlone)
{
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setString("currentDocumentFooterControl", "from an earlier document");
    auto document = read("margins.rtf", "{\\rtf1\\ansi\\margl1134 Text}");
    EXPECT_NEAR(document->settings().floatForKey("marquentPageMarginLeft").value_or(0), 2.0, 0.001);
    EXPECT_FALSE(document->settings().objectForKey("currentDocumentFooterControl"));
    // The user's store holds the user's preferences only: opening wrote nothing there.
    EXPECT_FALSE(defaults.objectForKey("marquentPageMarginLeft"));
    EXPECT_EQ(defaults.stringForKey("currentDocumentFooterControl"), "from an earlier document");
    defaults.removeObjectForKey("currentDocumentFooterControl");
}

// Two documents open at once each keep their own margins, spacing and page
// colour, whatever the other's editor changes; a preference set through
// either is the user's, shared by both.
TEST_F(TextDocumentReadingTest, twoOpenRtfDocumentsKeepTheirOwnPageSettings)
{
    auto wide = read("wide.rtf", "{\\rtf1\\ansi\\margl2268\\margr2268{\\papercolor255}Wide}");
    auto narrow = read("narrow.rtf", "{\\rtf1\\ansi\\margl567{\\papercolor16711680}Narrow}");
    EXPECT_NEAR(wide->settings().floatForKey("marquentPageMarginLeft").value_or(0), 4.0, 0.001);
    EXPECT_NEAR(narrow->settings().floatForKey("marquentPageMarginLeft").value_or(0), 1.0, 0.001);
    EXPECT_EQ(wide->paperColor(), "FF0000");
    EXPECT_EQ(narrow->paperColor(), "0000FF");

    narrow->settings().setFloat("marquentParagraphSpacingBefore", 12);
    EXPECT_FALSE(wide->settings().objectForKey("marquentParagraphSpacingBefore"));
    EXPECT_FALSE(UserDefaults::standardUserDefaults().objectForKey("marquentParagraphSpacingBefore"));

    wide->settings().setBool("smartQuotesEnabled", true);
    EXPECT_EQ(narrow->settings().boolForKey("smartQuotesEnabled"), true);
    EXPECT_EQ(UserDefaults::standardUserDefaults().boolForKey("smartQuotesEnabled"), true);
    UserDefaults::standardUserDefaults().removeObjectForKey("smartQuotesEnabled");
}

TEST_F(TextDocumentReadingTest, openingAFirstVersionDocumentKeepsItsCommentsFileBesideTheDocuments)
{
    std::string side = DKRTFLegacyAnnotations::pathForDocument("first.rtf");
    std::filesystem::remove(side);
    read("first.rtf", "{\\rtf1 \\marquentannotations 48656c6c6f\nText}");
    EXPECT_EQ(readFile(side), "Hello");
}

TEST_F(TextDocumentReadingTest, rtfWithATableIsMarked)
{
    auto document = read("table.rtf", "{\\rtf1\\ansi \\trowd\\cellx1000 A\\cell\\row After}");
    EXPECT_TRUE(document->isRTFDocument());
    ASSERT_TRUE(document->RTFtext().has_value());
    // The text as read, for the native viewer: the cell's text and what follows.
    EXPECT_NE(document->RTFtext()->string().find(u"A"), std::u16string::npos);
    EXPECT_NE(document->RTFtext()->string().find(u"After"), std::u16string::npos);
    EXPECT_TRUE(document->showsRichTextInViewer());
    EXPECT_NE(document->text().find(u"After"), std::u16string::npos);
    EXPECT_TRUE(document->refusesSaves());

    auto plain = read("words.rtf", "{\\rtf1\\ansi Write \\\\trowd to start a row.}");
    EXPECT_FALSE(plain->isRTFDocument()) << "the words of a table mark are no table";
    EXPECT_FALSE(plain->refusesSaves());
    EXPECT_FALSE(plain->RTFtext()) << "only a text the page cannot hold is kept twice";
    EXPECT_FALSE(plain->showsRichTextInViewer());

    // ... or one whose file may not be written, which only the viewer shows.
    writeFile(m_folder.path("kept.rtf"), "{\\rtf1\\ansi Kept words.}");
    std::filesystem::permissions(m_folder.path("kept.rtf"), std::filesystem::perms(0444));
    auto readOnly = std::make_shared<TextDocument>(m_folder.path("kept.rtf"),
                                                    std::make_shared<testing_support::SavingConverter>());
    ASSERT_TRUE(readOnly->readFromURL(m_folder.path("kept.rtf")));
    ASSERT_TRUE(readOnly->RTFtext());
    EXPECT_NE(readOnly->RTFtext()->string().find(u"Kept words."), std::u16string::npos);
    EXPECT_FALSE(readOnly->isRTFDocument());
}

TEST_F(TextDocumentReadingTest, rawTextOfATwoByteCodePageIsShownButNeverSavedOver)
{
    // Shift-JIS for "hyouji" whose second byte is a backslash, as a Japanese
    // word processor writes it: the reader cannot give these characters back.
    const std::string japanese = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0 \x95\\\x8E\xA6\\par}";
    auto document = read("japanese.rtf", japanese);
    EXPECT_TRUE(document->isRTFDocument());
    EXPECT_TRUE(document->holdsCodePageText()) << "the notice says why";
    EXPECT_TRUE(document->refusesSaves());
    std::optional<bool> saved;
    document->saveToURL(document->fileURL(), DKDocument::SaveOperation::ForOverwriting,
                        [&](bool success) { saved = success; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return saved.has_value(); }, 30));
    EXPECT_FALSE(*saved);
    EXPECT_EQ(readFile(document->fileURL()), japanese);

    // The same code page with its text in escapes or in UTF-8, and 8-bit
    // text in a one-byte code page, are read as they are and stay editable.
    for (const std::string& editable :
         {std::string("{\\rtf1\\ansi\\ansicpg932 \\'95\\'5c\\u34920?\\par}"),
          std::string("{\\rtf1\\ansi\\ansicpg932 \xE8\xA1\xA8\\par}"),
          std::string("{\\rtf1\\ansi\\ansicpg1252 Caf\xE9\\par}")})
        EXPECT_FALSE(read("editable.rtf", editable)->isRTFDocument()) << editable;
    // A table is read-only for its own reason.
    auto table = read("table.rtf", "{\\rtf1\\ansi\\ansicpg932 Before\\par\\trowd\\cellx1000\\pard\\intbl A\\cell\\row After}");
    EXPECT_TRUE(table->isRTFDocument());
    EXPECT_FALSE(table->holdsCodePageText());
}

TEST_F(TextDocumentReadingTest, aDocumentThePageCannotHoldIsNeverSavedOver)
{
    const std::string bytes = "{\\rtf1\\ansi Before\\par\\trowd\\cellx1000\\pard\\intbl A\\cell\\row After}";
    auto document = read("kept.rtf", bytes);
    ASSERT_TRUE(document->isRTFDocument());
    document->updateChangeCount(DKDocument::ChangeKind::Done);
    EXPECT_FALSE(document->hasUnsavedChanges()) << "no change is recorded, so nothing autosaves";

    std::optional<bool> saved;
    document->saveToURL(document->fileURL(), DKDocument::SaveOperation::ForOverwriting,
                        [&](bool success) { saved = success; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return saved.has_value(); }, 30));
    EXPECT_FALSE(*saved);
    ASSERT_TRUE(document->lastError().has_value());
    EXPECT_EQ(document->lastError()->code, DKDocument::ReadOnly);

    std::optional<bool> closed;
    document->closeWithCompletionHandler([&](bool success) { closed = success; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return closed.has_value(); }, 30));
    EXPECT_TRUE(*closed) << "closing has nothing to save and succeeds";
    EXPECT_EQ(readFile(m_folder.path("kept.rtf")), bytes);
}

TEST_F(TextDocumentReadingTest, paperColourComesFromTheControlWordOnly)
{
    // Stored as blue * 65536 + green * 256 + red.
    EXPECT_EQ(read("red.rtf", "{\\rtf1\\papercolor255 Text}")->paperColor(), "FF0000");
    EXPECT_EQ(read("mix.rtf", "{\\rtf1\\papercolor1193046 Text}")->paperColor(), "563412");
    EXPECT_EQ(read("none.rtf", "{\\rtf1 Text}")->paperColor(), "FFFFFF");
    // The word in the text (its backslash escaped) is not the control word.
    EXPECT_EQ(read("word.rtf", "{\\rtf1 the \\\\papercolor255 word and papercolor 65280}")->paperColor(), "FFFFFF");
    EXPECT_EQ(read("huge.rtf", "{\\rtf1\\papercolor99999999 Text}")->paperColor(), "FFFFFF");

    auto white = read("white.rtf", "{\\rtf1\\papercolorFFFFFF Visible}");
    EXPECT_EQ(white->paperColor(), "FFFFFF");
    EXPECT_EQ(white->text().find(u"FFFFFF"), std::u16string::npos) << "the marker is taken out before reading";
    EXPECT_NE(white->text().find(u"Visible"), std::u16string::npos);

    // A white marker wins over a colour number wherever the two stand, and
    // the first colour number is the one read.
    auto later = read("later.rtf", "{\\rtf1\\papercolor255 Red\\papercolorFFFFFF Shown}");
    EXPECT_EQ(later->paperColor(), "FFFFFF");
    EXPECT_EQ(later->text().find(u"FFFFFF"), std::u16string::npos);
    EXPECT_EQ(read("two.rtf", "{\\rtf1\\papercolor99999999 A\\papercolor255 B}")->paperColor(), "FFFFFF");
    EXPECT_EQ(read("first.rtf", "{\\rtf1\\papercolor255 A\\papercolor65280 B}")->paperColor(), "FF0000");
}

TEST_F(TextDocumentReadingTest, unreadableFilesAreRefusedWithAReason)
{
    auto document = std::make_shared<TextDocument>(m_folder.path("gone.md"));
    Status status = document->readFromURL(m_folder.path("gone.md"));
    ASSERT_FALSE(status.ok());
    EXPECT_FALSE(status.error().message.empty());
    Status notRTF;
    read("plain.rtf", "just words, no RTF", &notRTF);
    EXPECT_FALSE(notRTF.ok());
    EXPECT_EQ(notRTF.error().code, TextDocument::RTFReadFailed);
}

// A huge file is refused by its size before a byte of it is read (the file
// is sparse: it takes no room on the disk).
TEST_F(TextDocumentReadingTest, filesPastTheLargestDocumentAreRefusedUnread)
{
    std::string huge = m_folder.path("huge.md");
    writeFile(huge, "");
    std::filesystem::resize_file(huge, DocumentText::kMaximumFileSize + 1);
    Result<std::u16string> text = DocumentText::read(huge, DocumentKind::Markdown);
    ASSERT_FALSE(text.ok());
    EXPECT_EQ(text.error().code, DocumentText::TooLarge);
    EXPECT_NE(text.error().message.find("256 MiB"), std::string::npos) << text.error().message;
    auto document = std::make_shared<TextDocument>(huge);
    EXPECT_FALSE(document->readFromURL(huge).ok());
}

// Documents the editors would never finish opening are refused as they are
// read, with the reason; a QV page's refusal is the reading's, so its exports
// say it at once too.
TEST_F(TextDocumentReadingTest, documentsPastTheEditorsLimitsAreRefusedWithTheReason)
{
    const std::string lines(DocumentSizeLimits::kMostTextLines - 1, '\n');
    read("fits.md", lines);
    Status status;
    read("long.md", lines + "\n", &status);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().domain, DocumentSizeLimits::kErrorDomain);
    EXPECT_NE(status.error().message.find("long.md"), std::string::npos) << status.error().message;

    std::string page;
    for (std::size_t level = 0; level <= DocumentSizeLimits::kMostPageNesting; ++level)
        page += "<ol><li>deeper";
    Result<Data> compressed = DocumentSeeds::compressedPage(page);
    ASSERT_TRUE(compressed);
    auto nested = read("nested.qvtext", compressed->stringView(), &status);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, DocumentSizeLimits::NestedTooDeep);
    EXPECT_FALSE(nested->isQVTextDocument());
    Result<std::u16string> exported = DocumentText::read(m_folder.path("nested.qvtext"), DocumentKind::QVText);
    ASSERT_FALSE(exported.ok());
    EXPECT_EQ(exported.error().code, DocumentSizeLimits::NestedTooDeep);

    // A QV text page the editor would take minutes to open is refused at
    // once; it is still read for an export.
    const std::string paragraph = "<p>words of a long text</p>";
    std::string longPage;
    while (longPage.size() + paragraph.size() <= DocumentSizeLimits::kMostQVTextPageBytes)
        longPage += paragraph;
    Result<Data> fits = DocumentSeeds::compressedPage(longPage);
    Result<Data> past = DocumentSeeds::compressedPage(longPage + paragraph);
    ASSERT_TRUE(fits && past);
    read("fits.qvtext", fits->stringView());
    auto tooLong = read("long.qvtext", past->stringView(), &status);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, DocumentSizeLimits::PageTooLarge);
    EXPECT_NE(status.error().message.find("long.qvtext holds a page of"), std::string::npos) << status.error().message;
    EXPECT_FALSE(tooLong->isQVTextDocument());
    EXPECT_TRUE(DocumentText::read(m_folder.path("long.qvtext"), DocumentKind::QVText).ok());
}

// A rich text whose editing page would be too large for the editor is
// refused while it is read, with the reason, and its page is never made:
// making it takes as long again as the read.
TEST_F(TextDocumentReadingTest, aRichTextTooLargeForTheEditorIsRefusedBeforeItsPageIsMade)
{
    // Two letters in runs of many looks: the page takes seven times the file.
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0\\fswiss Helvetica;\\f1\\froman Georgia;}"
                      "{\\colortbl;\\red200\\green20\\blue20;\\red20\\green20\\blue200;}";
    const std::string paragraph = "\\pard\\qc\\fi200\\sb100 {\\b\\i\\ul\\cf1\\f1\\fs30 w}{\\strike\\cf2\\f0\\fs20 n}\\par\n";
    while (rtf.size() < DocumentSizeLimits::kMostRichTextPageEstimate / 5)
        rtf += paragraph;
    rtf += "}";
    const std::string path = m_folder.path("long.rtf");
    writeFile(path, rtf);
    auto converter = std::make_shared<testing_support::SavingConverter>();
    auto document = std::make_shared<TextDocument>(path, converter);

    Status status = document->readFromURL(path);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().domain, DocumentSizeLimits::kErrorDomain);
    EXPECT_EQ(status.error().code, DocumentSizeLimits::PageTooLarge);
    EXPECT_NE(status.error().message.find("long.rtf makes an editing page of"), std::string::npos)
        << status.error().message;
    EXPECT_LE(converter->longestPageText, EditingPageEstimate::kSampleLength) << "a page of the whole text was made";
    // Each paragraph is three characters of text ("w", "n" and its end).
    const std::size_t wholeText = (rtf.size() / paragraph.size()) * 3;
    EXPECT_GT(converter->readStoppedAtLength, 0u) << "the whole file was read";
    EXPECT_LT(converter->readStoppedAtLength, wholeText);
    EXPECT_TRUE(document->pageHTML().empty());
}

TEST_F(TextDocumentReadingTest, setTextKeepsTheTextForNothingAndEqualText)
{
    TextDocument document;
    document.setText(u"one");
    document.setText(std::nullopt);
    EXPECT_EQ(document.text(), u"one");
    document.setText(u"two");
    EXPECT_EQ(document.text(), u"two");
}

TEST_F(TextDocumentReadingTest, newDocumentsStartBlankOrAsTheTemplate)
{
    auto blank = std::make_shared<TextDocument>();
    ASSERT_TRUE(blank->initWithContentsOfTemplateAtURL(std::nullopt, m_folder.path("new.rtf")));
    EXPECT_EQ(blank->text(), u"");
    EXPECT_EQ(blank->scrollOffsetBookmark(), "0");
    for (const auto& margin : {blank->docLeftMargin(), blank->docRightMargin(), blank->docTopMargin(),
                               blank->docBottomMargin()})
        EXPECT_EQ(margin, "2.54");
    EXPECT_EQ(blank->scale(), 1.0);
    EXPECT_TRUE(blank->isNewBlankDocument());
    EXPECT_TRUE(blank->isNewEmptyDocument());

    writeFile(m_folder.path("template.rtf"), std::string("{\\rtf1 T}\0\xFF", 12));
    auto copy = std::make_shared<TextDocument>();
    ASSERT_TRUE(copy->initWithContentsOfTemplateAtURL(m_folder.path("template.rtf"), m_folder.path("copy.rtf")));
    EXPECT_EQ(readFile(m_folder.path("copy.rtf")), readFile(m_folder.path("template.rtf")));
    EXPECT_FALSE(copy->isNewBlankDocument()) << "a template's copy is never overwritten by a seed";
    EXPECT_FALSE(copy->docLeftMargin().has_value());
}

TEST_F(TextDocumentReadingTest, markdownEditorIsTheDocumentsEditor)
{
    auto document = read("paper.tex", "x^2");
    document->setScale(3);
    auto made = document->makeDocumentViewController();
    auto editor = std::dynamic_pointer_cast<FakeMarkdownEditorController>(made);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(document->currentTextViewController(), editor);
    EXPECT_TRUE(editor->isTeXFormat());
    EXPECT_EQ(editor->text(), u"x^2");
    EXPECT_EQ(document->scale(), 1.0);

    document->setScale(1.5);
    EXPECT_EQ(editor->scale(), 1.5);
    EXPECT_EQ(document->viewControllerToPresent()->topViewController(), editor);
    document->didClose();
    EXPECT_EQ(editor->didCloseCount(), 1);
}

TEST_F(TextDocumentReadingTest, closingTellsThePageEditor)
{
    Result<Data> compressed = DocumentSeeds::compressedPage("<p>x</p>");
    ASSERT_TRUE(compressed);
    auto document = read("a.qvtext", compressed->stringView());
    auto editor = std::dynamic_pointer_cast<FakeEditorController>(document->makeDocumentViewController());
    ASSERT_NE(editor, nullptr);
    document->didClose();
    EXPECT_EQ(editor->didCloseCount(), 1);
}

TEST(TextDocumentHexTest, integerValueFromHexReadsLeadingDigits)
{
    EXPECT_EQ(TextDocument::integerValueFromHex("FF"), 255u);
    EXPECT_EQ(TextDocument::integerValueFromHex("1a2g"), 0x1a2u);
    EXPECT_EQ(TextDocument::integerValueFromHex("0x10"), 16u);
    EXPECT_EQ(TextDocument::integerValueFromHex("zz"), 0u);
    EXPECT_EQ(TextDocument::integerValueFromHex(""), 0u);
}

} // namespace
} // namespace folio

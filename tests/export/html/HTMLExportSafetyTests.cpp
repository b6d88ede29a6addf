#include "export/ExportSource.h"

#include "engine/html/HTMLSanitizer.h"
#include "engine/html/HTMLSimpleMarkupReader.h"
#include "formats/html/HTMLPlainText.h"
#include "platform/foundation/HTMLParser.h"
#include "support/DocumentTestSupport.h"
#include "support/HTMLParseTranscript.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace folio {
namespace {

using namespace testing_support;
using test::HTMLParseTranscript;
using test::libxml2Transcript;

// A document that tries every road from RTF into active HTML: script links
// in fields, markup and CSS in font names, quotes that would end an
// attribute, markup in the text itself.
constexpr std::string_view kHostileRTF =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Helvetica;}{\\f1 Evil</style><script>alert(1)</script>;}"
    "{\\f2 Quote\\'27;background:url(http://evil.example/f);x:\\'27;}{\\f3 expression(alert(2));}"
    "{\\f4 Back\\\\slash\"dq;}}\n"
    "{\\colortbl;\\red255\\green0\\blue0;}\n"
    "\\f0 Plain {\\field{\\*\\fldinst HYPERLINK \"javascript:alert(3)\"}{\\fldrslt click}} and "
    "{\\field{\\*\\fldinst HYPERLINK \"file:///etc/passwd\"}{\\fldrslt local}} and "
    "{\\field{\\*\\fldinst HYPERLINK \"x\\\\\" onmouseover=\\\\\"alert(4)\"}{\\fldrslt hover}} and "
    "{\\field{\\*\\fldinst HYPERLINK \" JaVaScRiPt:alert(6)\"}{\\fldrslt spaced}} and "
    "{\\field{\\*\\fldinst HYPERLINK \"data:text/html,<script>alert(8)</script>\"}{\\fldrslt inline}}\\par\n"
    "{\\f1 fontone} {\\f2 fonttwo} {\\f3 fontthree} {\\f4 fontfour} <script>alert(7)</script> "
    "<img src=x onerror=alert(9)>\\par\n"
    "{\\field{\\*\\fldinst HYPERLINK \\\\l \"a\\\\\"b\"}{\\fldrslt anchor}} "
    "{\\*\\bkmkstart b\"onclick=\"x}mark{\\*\\bkmkend b\"onclick=\"x}\\par\n}";

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

class HTMLExportSafetyTest : public testing::Test {
protected:
    ScratchFolder m_folder{"html-export-safety"};
};

// What reaches the exported file runs nothing and loads nothing, and every
// word of the document is still there, as text.
TEST_F(HTMLExportSafetyTest, hostileRTFExportsWithNothingActiveAndNoTextLost)
{
    std::string path = m_folder.path("Hostile.rtf");
    writeFile(path, kHostileRTF);
    Result<std::string> html = ExportSource(path).HTMLData();
    ASSERT_TRUE(html.ok());
    // The tags, where anything active would have to be; the text keeps the
    // markup it held as escaped text.
    std::string tags;
    for (std::size_t open = html->find('<'); open != std::string::npos; open = html->find('<', open + 1))
        tags += lower(html->substr(open, html->find('>', open) + 1 - open));
    for (const char* banned : {"<script", "<style", "<img", "javascript", " on", "file:", "evil.example", "url(",
                               "data:"})
        EXPECT_EQ(tags.find(banned), std::string::npos) << banned << " in " << tags;
    std::string folded = lower(*html);
    // CSS in a font name stays inside its quoted family name, where it means nothing.
    for (std::size_t found = folded.find("expression("); found != std::string::npos;
         found = folded.find("expression(", found + 1))
        EXPECT_EQ(folded[found - 1], '\'') << *html;
    for (const char* kept : {">click<", ">local<", ">hover<", ">spaced<", ">inline<", ">fontone<", ">fonttwo<",
                             ">fontthree<", ">fontfour<", "&lt;script&gt;alert(7)&lt;/script&gt; &lt;img src=x onerror=alert(9)&gt;",
                             "anchor", "mark"})
        EXPECT_NE(html->find(kept), std::string::npos) << kept << " not in " << *html;
    // The file is exactly what the sanitiser keeps of it.
    EXPECT_EQ(HTMLSanitizer::sanitizedHTML(*html, HTMLSanitizer::Use::Export, HTMLSanitizer::Characters::References),
              *html);
}

// The quick reading of the writer's markup meets libxml2's on every RTF of
// the test data, the hostile one included, and the exported file is the
// same whichever reading made it.
TEST_F(HTMLExportSafetyTest, writtenMarkupOfEveryTestDocumentReadsAsLibxml2ReadsIt)
{
    std::vector<std::string> documents;
    for (const char* folder : {"/rtf", "/rtf-roundtrip"}) {
        for (const auto& entry : std::filesystem::directory_iterator(std::string(FOLIO_TEST_DATA_DIR) + folder)) {
            if (entry.path().extension() == ".rtf")
                documents.push_back(entry.path().string());
        }
    }
    std::string hostile = m_folder.path("Hostile.rtf");
    writeFile(hostile, kHostileRTF);
    documents.push_back(hostile);
    ASSERT_GE(documents.size(), 10u);

    std::size_t readQuickly = 0;
    for (const std::string& document : documents) {
        ExportSource source(document);
        Result<std::string> written = source.HTMLString();
        ASSERT_TRUE(written.ok()) << document;
        HTMLParseTranscript quick;
        if (!HTMLSimpleMarkupReader::readFragment(*written, quick))
            continue;
        ++readQuickly;
        EXPECT_EQ(quick.text, libxml2Transcript(*written)) << document;
    }
    // Most documents are read the quick way: a writer change that leaves
    // its forms would otherwise slow every export down unseen.
    EXPECT_GE(readQuickly * 4, documents.size() * 3) << readQuickly << " of " << documents.size();
}

// A rich-text file's HTML export is written ready to be read elsewhere, in
// one pass: the sanitiser would take nothing out of it, every character
// from U+0100 on is a reference (the file names no encoding), it carries
// none of the data the editing page keeps for the save, and it says every
// word that the editing page's HTML, sanitised, says.
TEST_F(HTMLExportSafetyTest, exportsAreWrittenSafeWithOnlyWhatTheirReaderUses)
{
    std::vector<std::string> documents;
    for (const char* folder : {"/rtf", "/rtf-roundtrip"}) {
        for (const auto& entry : std::filesystem::directory_iterator(std::string(FOLIO_TEST_DATA_DIR) + folder)) {
            if (entry.path().extension() == ".rtf")
                documents.push_back(entry.path().string());
        }
    }
    std::string hostile = m_folder.path("Hostile.rtf");
    writeFile(hostile, kHostileRTF);
    documents.push_back(hostile);
    for (const std::string& document : documents) {
        Result<std::string> exported = ExportSource(document).HTMLData();
        ASSERT_TRUE(exported.ok()) << document;
        std::string sanitized =
            HTMLSanitizer::sanitizedHTML(*exported, HTMLSanitizer::Use::Export, HTMLSanitizer::Characters::References);
        EXPECT_EQ(libxml2Transcript(*exported), libxml2Transcript(sanitized)) << document;
        EXPECT_TRUE(std::all_of(exported->begin(), exported->end(),
                                [](char c) { return static_cast<unsigned char>(c) < 0xC4; }))
            << document;
        for (std::size_t data = exported->find(" data-"); data != std::string::npos;
             data = exported->find(" data-", data + 1))
            EXPECT_EQ(exported->compare(data, 15, " data-bookmark="), 0) << document << ": " << exported->substr(data, 40);

        Result<std::string> page = ExportSource(document).HTMLString();
        ASSERT_TRUE(page.ok()) << document;
        EXPECT_EQ(HTMLPlainText::plainText(*exported),
                  HTMLPlainText::plainText(HTMLSanitizer::sanitizedHTML(*page, HTMLSanitizer::Use::Export)))
            << document;
    }
}

} // namespace
} // namespace folio

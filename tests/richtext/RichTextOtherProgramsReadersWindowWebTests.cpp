#include "documents/TextDocument.h"
#include "platform/foundation/Data.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "support/LibreOfficeConverter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

// Other programs' files, typed into in a real window and autosaved: what
// LibreOffice shows of the saved file is what it showed of the original,
// the typed word aside.
class RichTextOtherProgramsReadersWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextOtherProgramsReadersWindowTest() : EditorWindowTest(EditorKind::RichText, "other-programs-readers-window") {}

    static std::string fixture(const std::string& name)
    {
        Result<Data> data = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf-roundtrip/" + name);
        EXPECT_TRUE(data.ok()) << name;
        return data.ok() ? data->toString() : std::string();
    }

    // Puts the caret after the last character of the page and types the word.
    void typeAtTheEnd(std::string_view word)
    {
        run("(function(){var c=document.getElementById('content');var w=document.createTreeWalker(c,"
            "NodeFilter.SHOW_TEXT);var last=null;while(w.nextNode()){if(w.currentNode.data.trim())last=w.currentNode;}"
            "var r=document.createRange();r.setStart(last,last.data.length);r.collapse(true);var s=getSelection();"
            "s.removeAllRanges();s.addRange(r);c.focus();})()");
        type(word);
        ASSERT_TRUE(waitFor([&] {
            return run("document.getElementById('content').textContent").find(word) != std::string::npos;
        })) << "the keys did not reach the page";
    }

    bool autosave()
    {
        auto done = std::make_shared<std::optional<bool>>();
        document->autosaveWithCompletionHandler([done](bool success) { *done = success; });
        EXPECT_TRUE(waitFor([&] { return done->has_value(); }));
        return done->value_or(false);
    }

    // The words LibreOffice reads in a file, one paragraph a line.
    std::string textByLibreOffice(const std::string& path)
    {
        EXPECT_TRUE(test::LibreOfficeConverter::isInstalled()) << "scripts/install-deps.sh installs LibreOffice";
        return readFile(test::LibreOfficeConverter::converted(path, "txt:Text (encoded):UTF8", folder.path("out")));
    }

    // The lines of LibreOffice's PDF of a file that hold the words.
    std::vector<std::string> printedLinesWith(const std::string& path, const std::string& words)
    {
        const std::string pdf = test::LibreOfficeConverter::converted(path, "pdf", folder.path("out"));
        const std::string command = "pdftotext '" + pdf + "' '" + pdf + ".txt'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::vector<std::string> lines;
        std::string text = readFile(pdf + ".txt");
        for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
            end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            if (text.substr(start, end - start).find(words) != std::string::npos)
                lines.push_back(text.substr(start, end - start));
        }
        std::filesystem::remove(pdf);
        std::filesystem::remove(pdf + ".txt");
        return lines;
    }
};

// Word's and LibreOffice's sections, one of them ended by an empty
// paragraph: a word typed at the end and autosaved, LibreOffice reads every
// paragraph it read before, the empty one among them.
TEST_F(RichTextOtherProgramsReadersWindowTest, sectionsKeepTheirParagraphsForOtherReaders)
{
    for (const std::string name : {"word-rich-headers.rtf", "word-three-section-heads.rtf", "libreoffice-two-sections.rtf"}) {
        SCOPED_TRACE(name);
        const std::string path = folder.path(name);
        writeFile(path, fixture(name));
        std::string expected = textByLibreOffice(path);
        while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r'))
            expected.pop_back();
        expected += " Zebra";
        open(path);
        if (HasFatalFailure())
            return;
        typeAtTheEnd(" Zebra");
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(autosave());
        closeDocument();
        std::string saved = textByLibreOffice(path);
        while (!saved.empty() && (saved.back() == '\n' || saved.back() == '\r'))
            saved.pop_back();
        EXPECT_EQ(saved, expected) << readFile(path);
    }
}

// Word's nested bullet list, its inner level marked with Courier's "o": a
// word typed and autosaved, LibreOffice prints the inner item with the
// marker it prints for Word's file, not the outer level's bullet.
TEST_F(RichTextOtherProgramsReadersWindowTest, nestedBulletsKeepTheirLevelsMarkerForOtherReaders)
{
    const std::string path = folder.path("packing.rtf");
    writeFile(path, fixture("word-list-paragraph.rtf"));
    open(path);
    if (HasFatalFailure())
        return;
    // The marker the page draws before the inner item, and the outer one's.
    auto markerBefore = [&](const std::string& words) {
        return run("(function(w){var k=document.createTreeWalker(document.getElementById('content'),"
                   "NodeFilter.SHOW_TEXT);while(k.nextNode()){if(k.currentNode.data.indexOf(w)>=0){"
                   "var e=k.currentNode.parentElement.closest('li');if(!e)return 'none';var s=getComputedStyle(e).listStyleType;"
                   "if(s!=='none')return s;var t=e.textContent;return t.substring(0,t.indexOf(w)).trim();}}"
                   "return 'missing';})('" + words + "')");
    };
    const std::string inner = markerBefore("the grey one");
    ASSERT_NE(inner, markerBefore("Warm coat"));
    // Word sets that level's marker as the letter "o" in Courier New.
    ASSERT_EQ(inner, "o");
    const std::vector<std::string> original = printedLinesWith(path, "the grey one");
    ASSERT_EQ(original.size(), 1u);
    typeAtTheEnd(" Zebra");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(autosave());
    closeDocument();
    const std::vector<std::string> printed = printedLinesWith(path, "the grey one");
    ASSERT_EQ(printed.size(), 1u) << readFile(path);
    EXPECT_EQ(printed[0].substr(0, printed[0].find("the grey one")), original[0].substr(0, original[0].find("the grey one")))
        << printed[0] << "\n" << readFile(path);
}

} // namespace
} // namespace folio

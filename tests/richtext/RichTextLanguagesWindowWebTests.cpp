#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEScriptAttributes.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Unicode.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

// Other programs' files that give their text languages, opened in the
// rich-text editor in a real window, a word typed and the document saved:
// every character keeps the languages its words, its East Asian and its
// complex-script letters are in, as the file gave them, though the page
// says the languages most of the text is in only once.
class RichTextLanguagesWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextLanguagesWindowTest() : EditorWindowTest(EditorKind::RichText, "languages-window") {}

    static constexpr std::string_view kTyped = "Typed";

    // The test files that say a language anywhere.
    static std::vector<std::filesystem::path> filesWithLanguages()
    {
        std::vector<std::filesystem::path> found;
        for (const char* folder : {"rtf-roundtrip", "rtf"}) {
            for (const auto& entry : std::filesystem::directory_iterator(std::string(FOLIO_TEST_DATA_DIR) + "/" + folder)) {
                if (entry.path().extension() != ".rtf")
                    continue;
                const std::string rtf = readFile(entry.path().string());
                if (rtf.find("\\lang") != std::string::npos || rtf.find("\\alang") != std::string::npos)
                    found.push_back(entry.path());
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    static AttributedString textOf(const std::string& rtf)
    {
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(rtf));
        EXPECT_TRUE(read.ok());
        return read.ok() ? read->text : AttributedString();
    }

    // The three languages of each character, "" for none.
    static std::vector<std::string> languagesByCharacter(const AttributedString& text)
    {
        std::vector<std::string> languages;
        for (std::size_t index = 0; index < text.length(); ++index) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
            auto value = [&](std::string_view key) {
                const auto* language = attributes ? attributes->valueForKeyAs<StringValue>(key) : nullptr;
                return language ? toUtf8(language->value()) : std::string();
            };
            languages.push_back(value(kCTLanguageAttributeName) + " / " + value(TEEastAsianLanguageAttribute) + " / " +
                                value(TEComplexScriptLanguageAttribute));
        }
        return languages;
    }

    // The page's text nodes, each with the language the page checks it in.
    std::string shownLanguages()
    {
        return run("(function(){var w=document.createTreeWalker(document.getElementById('paragraph'),NodeFilter.SHOW_TEXT);"
                   "var out=[];while(w.nextNode()){var t=w.currentNode;if(!t.data.trim())continue;var e=t.parentElement;"
                   "var l=e.closest('[lang]');out.push(l?l.getAttribute('lang'):'');}return out.join(',');})()");
    }

    // How many elements inside the document's wrapper name a language.
    int elementsNamingLanguages()
    {
        return std::atoi(run("document.querySelectorAll('#paragraph [lang], #paragraph [data-cs-lang], "
                             "#paragraph [data-east-asian-lang], #paragraph [data-lang]').length").c_str());
    }

    void typeAtTheEnd()
    {
        run("(function(){var c=document.getElementById('content');var w=document.createTreeWalker(c,"
            "NodeFilter.SHOW_TEXT);var last=null;while(w.nextNode()){if(w.currentNode.data.trim())last=w.currentNode;}"
            "var r=document.createRange();r.setStart(last,last.data.length);r.collapse(true);var s=getSelection();"
            "s.removeAllRanges();s.addRange(r);c.focus();})()");
        type(kTyped);
        ASSERT_TRUE(waitFor([&] {
            return run("document.getElementById('content').textContent").find(kTyped) != std::string::npos;
        })) << "the keys did not reach the page";
    }
};

TEST_F(RichTextLanguagesWindowTest, everyCharacterKeepsItsLanguagesThroughTypingAndASave)
{
    const std::vector<std::filesystem::path> files = filesWithLanguages();
    ASSERT_GE(files.size(), 10u);
    std::size_t saved = 0;
    for (const std::filesystem::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string original = readFile(file.string());
        const std::string path = folder.path(file.filename().string());
        writeFile(path, original);
        open(path);
        ASSERT_FALSE(HasFatalFailure());
        // A file of constructs the page cannot hold (tables) opens read-only,
        // and is never saved.
        if (document->hasRTFtext()) {
            closeDocument();
            continue;
        }
        ++saved;
        typeAtTheEnd();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(save());
        closeDocument();

        const AttributedString before = textOf(original);
        AttributedString after = textOf(readFile(path));
        const std::u16string typed = toUtf16(kTyped);
        const std::size_t at = after.string().rfind(typed);
        ASSERT_NE(at, std::u16string::npos) << "the typed word was not saved";
        MutableAttributedString withoutTyped(after);
        withoutTyped.deleteCharactersInRange(Range{at, typed.size()});
        ASSERT_EQ(toUtf8(withoutTyped.string()), toUtf8(before.string()));
        const std::vector<std::string> expected = languagesByCharacter(before);
        const std::vector<std::string> kept = languagesByCharacter(withoutTyped);
        for (std::size_t index = 0; index < expected.size(); ++index) {
            // A paragraph's end is no run of the text: the page keeps its
            // languages only where it is an empty line's.
            if (before.string()[index] == u'\n')
                continue;
            ASSERT_EQ(kept[index], expected[index])
                << "at " << index << " in \"" << toUtf8(before.string().substr(index > 10 ? index - 10 : 0, 30)) << "\"";
        }
    }
    EXPECT_GE(saved, 10u) << "of " << files.size();
}

// A document all of one language says it once, around the text: none of its
// paragraphs and runs carries it, and its words are checked in it.
TEST_F(RichTextLanguagesWindowTest, aDocumentOfOneLanguageSaysItOnce)
{
    const std::string path = folder.path("one-language.rtf");
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}}\\lang1036\\langfe1041\\alang1025 ";
    for (int paragraph = 0; paragraph < 20; ++paragraph)
        rtf += "Un {\\b mot} et {\\i un autre} ici.\\par ";
    rtf += "}";
    writeFile(path, rtf);
    open(path);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(elementsNamingLanguages(), 0);
    EXPECT_EQ(run("document.getElementById('paragraph').getAttribute('lang')"), "fr-FR");
    EXPECT_EQ(run("document.getElementById('paragraph').getAttribute('data-east-asian-lang')"), "ja-JP");
    EXPECT_EQ(run("document.getElementById('paragraph').getAttribute('data-cs-lang')"), "ar-SA");

    // A paragraph in another language says so itself.
    closeDocument();
    rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}}\\lang1036 Un mot.\\par Deux mots.\\par "
          "{\\lang1031 Ein Wort.}\\par}";
    writeFile(path, rtf);
    open(path);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(shownLanguages(), "fr-FR,fr-FR,de-DE");
}

} // namespace
} // namespace folio

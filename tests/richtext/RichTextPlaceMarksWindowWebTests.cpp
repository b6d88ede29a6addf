#include "engine/model/TEAttributeKeys.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "richtext/RichTextEditingTools.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "support/LibreOfficeConverter.h"
#include "webeditor/FindCommander.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

// Word's "_GoBack", cross-reference targets and fields that show nothing
// hold no text: typing, keys and replacing beside them, in a real window,
// leave each where it was among the words, and the saved file has it there.
class RichTextPlaceMarksWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextPlaceMarksWindowTest() : EditorWindowTest(EditorKind::RichText, "place-marks-window") {}

    // Opens an RTF file of the given paragraphs, in Calibri.
    void openParagraphs(const std::string& name, std::initializer_list<std::string> paragraphs)
    {
        path = folder.path(name + ".rtf");
        std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Calibri;}}\n";
        for (const std::string& paragraph : paragraphs)
            rtf += "\\pard\\plain\\f0\\fs22 " + paragraph + "\\par\n";
        writeFile(path, rtf + "}");
        open(path);
        if (!HasFatalFailure())
            run("document.getElementById('content').focus()");
    }

    // The words the page shows, every run of blanks as one.
    std::string shown() { return run("document.getElementById('content').innerText.replace(/\\s+/g,' ').trim()"); }

    // Waits until the page shows other words than `before`.
    bool changedFrom(const std::string& before) { return waitFor([&] { return shown() != before; }); }

    // Types the words and waits for the page to show them.
    void typeShown(const std::string& words)
    {
        const std::string before = shown();
        type(words);
        const std::string trimmed = words.substr(words.find_first_not_of(' '));
        ASSERT_TRUE(waitFor([&] { return shown() != before && shown().find(trimmed) != std::string::npos; }))
            << "the keys did not reach the page";
    }

    // Composes the letter with a dead key of the keyboard, as a person
    // with accents on dead keys types it, and waits for the page to show
    // the words it then shows.
    void compose(const std::string& deadKey, const std::string& letter, const std::string& expected)
    {
        ASSERT_TRUE(test::runXdotool({"key", deadKey, letter}));
        ASSERT_TRUE(waitFor([&] { return shown() == expected; })) << shown();
    }

    // Presses the keys with the real keyboard and waits for the page to
    // show the words.
    void pressShowing(const std::string& keys, const std::string& expected)
    {
        ASSERT_TRUE(test::pressKeys(keys));
        ASSERT_TRUE(waitFor([&] { return shown() == expected; })) << keys << ": " << shown();
    }

    // The language of the saved words that begin at the first of them.
    std::string savedLanguageOf(const std::u16string& words)
    {
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(readFile(path)));
        if (!read.ok())
            return "unreadable";
        const std::size_t at = read->text.string().find(words);
        if (at == std::u16string::npos)
            return "missing";
        AttributeDictionaryPtr attributes = read->text.attributesAtIndex(at);
        const auto* language = attributes ? attributes->valueForKeyAs<StringValue>(kCTLanguageAttributeName) : nullptr;
        return language ? toUtf8(language->value()) : "none";
    }

    bool autosave()
    {
        auto done = std::make_shared<std::optional<bool>>();
        document->autosaveWithCompletionHandler([done](bool success) { *done = success; });
        EXPECT_TRUE(waitFor([&] { return done->has_value(); }));
        return done->value_or(false);
    }

    // The saved text, each carrier shown as "[" its bookmark or field "]".
    std::string savedWithMarks()
    {
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(readFile(path)));
        EXPECT_TRUE(read.ok());
        if (!read.ok())
            return "";
        const AttributedString& text = read->text;
        std::string marked;
        for (std::size_t at = 0; at < text.length(); ++at) {
            const char16_t unit = text.string()[at];
            if (unit != TEMarkCarrierCharacter) {
                marked += toUtf8(std::u16string(1, unit));
                continue;
            }
            AttributeDictionaryPtr attributes = text.attributesAtIndex(at);
            const auto* bookmark = attributes ? attributes->valueForKeyAs<StringValue>(TEBookmarkAttribute) : nullptr;
            const auto* field = attributes ? attributes->valueForKeyAs<StringValue>(TEFieldInstructionAttribute) : nullptr;
            marked += "[" + (bookmark ? toUtf8(bookmark->value()) : field ? toUtf8(field->value()) : std::string("?")) + "]";
        }
        return marked;
    }

    // LibreOffice's flat ODF of the saved file, without its character
    // style spans.
    std::string asLibreOfficeReadsIt()
    {
        EXPECT_TRUE(test::LibreOfficeConverter::isInstalled()) << "scripts/install-deps.sh installs LibreOffice";
        std::string flat = readFile(test::LibreOfficeConverter::converted(path, "fodt", folder.path("out")));
        for (std::size_t at = flat.find("<text:span"); at != std::string::npos; at = flat.find("<text:span", at))
            flat.erase(at, flat.find('>', at) + 1 - at);
        return stringByReplacingOccurrencesOfString(flat, "</text:span>", "");
    }

    std::string path;
};

// Words typed or pasted, and a Return, at the end of a paragraph that ends
// in a bookmark or an empty field go after it: the mark stays after the words it
// followed, in the page, the saved file and LibreOffice's reading of it.
TEST_F(RichTextPlaceMarksWindowTest, typingAtTheEndOfAParagraphGoesAfterItsMark)
{
    openParagraphs("ends", {"The tide table{\\*\\bkmkstart _GoBack}{\\*\\bkmkend _GoBack}",
                            "Next page {\\field{\\*\\fldinst PAGE}{\\fldrslt }}",
                            "{\\lang1036 Le port}{\\*\\bkmkstart Quai}{\\*\\bkmkend Quai}"});
    if (HasFatalFailure())
        return;
    ASSERT_EQ(shown(), "The tide table Next page Le port");
    press(GDK_KEY_Home, GDK_CONTROL_MASK);
    press(GDK_KEY_End);
    typeShown(" turns");
    if (HasFatalFailure())
        return;
    // One undo takes the words back and leaves the mark; a redo brings
    // them back after it.
    press(GDK_KEY_z, GDK_CONTROL_MASK);
    press(GDK_KEY_Control_L, GDK_CONTROL_MASK);
    ASSERT_TRUE(waitFor([&] { return shown() == "The tide table Next page Le port"; })) << shown();
    ASSERT_TRUE(test::pressKeys("ctrl+shift+z"));
    ASSERT_TRUE(waitFor([&] { return shown() == "The tide table turns Next page Le port"; })) << shown();
    press(GDK_KEY_Down);
    press(GDK_KEY_End);
    press(GDK_KEY_Return);
    typeShown("Added");
    if (HasFatalFailure())
        return;
    // Words pasted there go after the mark too.
    press(GDK_KEY_Home, GDK_SHIFT_MASK);
    press(GDK_KEY_c, GDK_CONTROL_MASK);
    press(GDK_KEY_Up);
    press(GDK_KEY_End);
    press(GDK_KEY_v, GDK_CONTROL_MASK);
    ASSERT_TRUE(waitFor([&] { return shown().find("page Added Added") != std::string::npos; })) << shown();
    // Words typed after a mark take the language of the words before it.
    press(GDK_KEY_End, GDK_CONTROL_MASK);
    typeShown(" ouvert");
    if (HasFatalFailure())
        return;
    EXPECT_EQ(shown(), "The tide table turns Next page Added Added Le port ouvert");
    ASSERT_TRUE(autosave());
    closeDocument();

    EXPECT_EQ(savedWithMarks(), "The tide table[_GoBack] turns\nNext page [PAGE]Added\nAdded\nLe port[Quai] ouvert\n");
    Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(readFile(path)));
    ASSERT_TRUE(read.ok());
    const std::u16string& text = read->text.string();
    for (std::u16string_view words : {u"port", u"ouvert"}) {
        AttributeDictionaryPtr attributes = read->text.attributesAtIndex(text.find(words));
        const auto* language = attributes ? attributes->valueForKeyAs<StringValue>(kCTLanguageAttributeName) : nullptr;
        EXPECT_EQ(language ? toUtf8(language->value()) : "none", "fr-FR") << toUtf8(std::u16string(words));
    }
    const std::string flat = asLibreOfficeReadsIt();
    EXPECT_NE(flat.find("table<text:bookmark text:name=\"_GoBack\"/> turns"), std::string::npos) << flat;
}

// Backspace and Delete beside a mark take a letter the person sees, one
// with each press; Home, End and the arrows move over the marks one letter a press;
// words typed over a selection beside a mark replace the words alone; and
// no key loses a mark.
TEST_F(RichTextPlaceMarksWindowTest, keysBesideAMarkActOnTheWordsShown)
{
    openParagraphs("keys", {"The tide table{\\*\\bkmkstart _GoBack}{\\*\\bkmkend _GoBack}",
                            "{\\*\\bkmkstart _Ref1}{\\*\\bkmkend _Ref1}Second word",
                            "Go{\\field{\\*\\fldinst PAGE}{\\fldrslt }} on"});
    if (HasFatalFailure())
        return;
    ASSERT_EQ(shown(), "The tide table Second word Go on");
    press(GDK_KEY_Home, GDK_CONTROL_MASK);
    press(GDK_KEY_End);
    typeShown("s");
    if (HasFatalFailure())
        return;
    for (const char* after : {"The tide table Second word Go on", "The tide tabl Second word Go on",
                              "The tide tab Second word Go on"}) {
        const std::string before = shown();
        press(GDK_KEY_BackSpace);
        ASSERT_TRUE(changedFrom(before)) << "Backspace changed nothing the page shows: " << before;
        EXPECT_EQ(shown(), after);
    }
    // Words selected beside the mark and typed over leave it.
    for (int times = 0; times < 3; ++times)
        press(GDK_KEY_Left, GDK_SHIFT_MASK);
    typeShown("W");
    if (HasFatalFailure())
        return;
    EXPECT_EQ(shown(), "The tide W Second word Go on");
    press(GDK_KEY_Down);
    press(GDK_KEY_Home);
    typeShown("X");
    if (HasFatalFailure())
        return;
    EXPECT_EQ(shown(), "The tide W XSecond word Go on");
    press(GDK_KEY_Down);
    press(GDK_KEY_Home);
    for (int times = 0; times < 3; ++times)
        press(GDK_KEY_Right);
    typeShown("Y");
    if (HasFatalFailure())
        return;
    EXPECT_EQ(shown(), "The tide W XSecond word Go Yon");
    for (int times = 0; times < 2; ++times)
        press(GDK_KEY_Left);
    typeShown("Z");
    if (HasFatalFailure())
        return;
    EXPECT_EQ(shown(), "The tide W XSecond word GoZ Yon");
    const std::string beforeDelete = shown();
    press(GDK_KEY_Delete);
    ASSERT_TRUE(changedFrom(beforeDelete)) << "Delete changed nothing the page shows";
    EXPECT_EQ(shown(), "The tide W XSecond word GoZYon");
    press(GDK_KEY_End);
    typeShown("!");
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(autosave());
    closeDocument();

    const std::string saved = savedWithMarks();
    std::string words = saved;
    for (const char* mark : {"[_GoBack]", "[_Ref1]", "[PAGE]"}) {
        EXPECT_EQ(saved.find(mark), saved.rfind(mark)) << saved;
        ASSERT_NE(saved.find(mark), std::string::npos) << saved;
        words.erase(words.find(mark), std::string(mark).size());
    }
    EXPECT_EQ(words, "The tide W\nXSecond word\nGoZYon!\n") << saved;
}

// A phrase found across a bookmark, or beside one or an empty field, and
// replaced, alone or with the others, leaves each mark at an end of its
// replacement; hidden words inside the phrase stay too.
TEST_F(RichTextPlaceMarksWindowTest, replacingAPhraseKeepsTheMarksInIt)
{
    openParagraphs("replace", {"The tide {\\*\\bkmkstart _GoBack}{\\*\\bkmkend _GoBack}table turns.",
                               "Then the tide table{\\*\\bkmkstart _Ref2}{\\*\\bkmkend _Ref2} again.",
                               "{\\field{\\*\\fldinst PAGE}{\\fldrslt }}tide table first.",
                               "Ti{\\v secret}de table here."});
    if (HasFatalFailure())
        return;
    FindCommander& find = editor->editingTools().find();
    find.findOnPage(u"tide table");
    ASSERT_TRUE(waitFor([&] { return find.nTotalResults() == 4; })) << find.nTotalResults();
    find.bar().replaceOnPage->setText(u"ebb chart");
    find.replaceOnPage();
    ASSERT_TRUE(waitFor([&] { return shown().find("The ebb chart turns.") != std::string::npos; })) << shown();
    find.replaceAll();
    ASSERT_TRUE(waitFor([&] { return shown().find("tide") == std::string::npos; })) << shown();
    EXPECT_EQ(shown(), "The ebb chart turns. Then the ebb chart again. ebb chart first. ebb chart here.");
    ASSERT_TRUE(autosave());
    closeDocument();

    // Editing writes the blank after an insertion as a no-break space.
    const std::string saved = stringByReplacingOccurrencesOfString(savedWithMarks(), "\u00A0", " ");
    EXPECT_EQ(saved, "The ebb chart[_GoBack] turns.\nThen the ebb chart[_Ref2] again.\n"
                                "[PAGE]ebb chart first.\nebb chartsecret here.\n");
}

// A letter composed with a dead key, as with an input method, at the end of
// a paragraph that ends in a bookmark goes after it in the language of the
// words before it, as a typed one does; undo, redo, Backspace and Delete
// take it or bring it back whole and leave the mark. Words typed after a
// line break there keep that language too, and so does a letter composed
// among them.
TEST_F(RichTextPlaceMarksWindowTest, composedAndBrokenLinesAfterAMarkKeepItsPlaceAndLanguage)
{
    test::KeyboardLayout accents("us", "intl", GDK_KEY_dead_acute);
    ASSERT_TRUE(accents.ready()) << "the display has no keyboard with dead keys";
    openParagraphs("composed", {"{\\lang1036 Au caf}{\\*\\bkmkstart Quai}{\\*\\bkmkend Quai}",
                                "{\\lang1036 Le port}{\\*\\bkmkstart Mer}{\\*\\bkmkend Mer}"});
    if (HasFatalFailure())
        return;
    ASSERT_EQ(shown(), "Au caf Le port");
    ASSERT_TRUE(test::pressKeys("ctrl+Home"));
    ASSERT_TRUE(test::pressKeys("End"));
    compose("dead_acute", "e", "Au caf\u00e9 Le port");
    pressShowing("ctrl+z", "Au caf Le port");
    pressShowing("ctrl+shift+z", "Au caf\u00e9 Le port");
    pressShowing("BackSpace", "Au caf Le port");
    compose("dead_acute", "e", "Au caf\u00e9 Le port");
    ASSERT_TRUE(autosave());
    EXPECT_EQ(savedWithMarks(), "Au caf[Quai]\u00e9\nLe port[Mer]\n") << "after Backspace";
    EXPECT_EQ(savedLanguageOf(u"\u00e9\n"), "fr-FR") << "after Backspace";
    ASSERT_TRUE(test::pressKeys("Left"));
    pressShowing("Delete", "Au caf Le port");
    compose("dead_acute", "e", "Au caf\u00e9 Le port");
    ASSERT_TRUE(test::pressKeys("Down"));
    ASSERT_TRUE(test::pressKeys("End"));
    ASSERT_TRUE(test::pressKeys("shift+Return"));
    ASSERT_TRUE(test::typeText("ferm"));
    ASSERT_TRUE(waitFor([&] { return shown() == "Au caf\u00e9 Le port ferm"; })) << shown();
    compose("dead_acute", "e", "Au caf\u00e9 Le port ferm\u00e9");
    ASSERT_TRUE(autosave());
    closeDocument();

    EXPECT_EQ(savedWithMarks(), "Au caf[Quai]\u00e9\nLe port[Mer]\u2028ferm\u00e9\n");
    EXPECT_EQ(savedLanguageOf(u"\u00e9\n"), "fr-FR");
    EXPECT_EQ(savedLanguageOf(u"ferm"), "fr-FR");
    EXPECT_EQ(savedLanguageOf(u"m\u00e9"), "fr-FR");
    const std::string flat = asLibreOfficeReadsIt();
    EXPECT_NE(flat.find("caf<text:bookmark text:name=\"Quai\"/>\u00e9"), std::string::npos) << flat;
}

} // namespace
} // namespace folio

#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "engine/attachments/TETextAttachment.h"
#include "engine/model/TEAttributeKeys.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeDictionaryAccess.h"
#include "richtext/RichTextTools.h"
#include "richtext/StyleMenuCommander.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cmath>

namespace folio {
namespace {

using testing_support::readFile;
using testing_support::writeFile;

// What a file of another program held goes back into it when a person types
// into it in the window and saves: its comments and its paragraphs' styles.
class RichTextKeepsWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextKeepsWindowTest() : EditorWindowTest(EditorKind::RichText, "rich-text-keeps-window") {}

    // The page shows a blank typed at the end of a line as a no-break
    // space: the words are waited for without it.
    void typeAndWait(std::string_view words)
    {
        type(words);
        const std::string_view shown = words.substr(words.find_first_not_of(' '));
        ASSERT_TRUE(waitFor([&] {
            return run("document.getElementById('content').textContent").find(shown) != std::string::npos;
        })) << "the keys did not reach the page";
    }

    // The caret at the start of the text, as a click into the page and
    // ctrl+Home put it.
    void caretToStart()
    {
        run("document.getElementById('content').focus()");
        press(GDK_KEY_Home, GDK_CONTROL_MASK);
    }

    static DKRTFReadResult reread(const std::string& rtf)
    {
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(rtf));
        EXPECT_TRUE(read.ok());
        return read.ok() ? std::move(*read) : DKRTFReadResult{};
    }

    // The text of each comment of the text, in order.
    static std::vector<std::string> comments(const AttributedString& text)
    {
        std::vector<std::string> found;
        text.enumerateAttribute(NSAttachmentAttributeName, Range{0, text.length()}, AttributeEnumerationOptions::None,
                                [&](const AttributeValuePtr& value, Range, bool&) {
                                    const auto* note = value ? value->as<TETextAttachment>() : nullptr;
                                    const std::u16string* type = note ? note->attributeForKey("attachmentType") : nullptr;
                                    if (type && *type == u"annotation")
                                        found.push_back(note->contentsString() ? toUtf8(*note->contentsString()) : std::string());
                                });
        return found;
    }

    static std::string visibleText(const AttributedString& text)
    {
        std::u16string string = text.string();
        std::erase(string, u'\uFEFF');
        return toUtf8(string);
    }

    static std::string styleOf(const AttributedString& text, std::u16string_view words)
    {
        const std::size_t at = text.string().find(words);
        if (at == std::u16string::npos)
            return "<missing>";
        const auto* name = text.attributesAtIndex(at)->valueForKeyAs<StringValue>(TEParagraphStyleNameAttribute);
        return name ? toUtf8(name->value()) : "<none>";
    }
};

// A comment another program put at the end of a paragraph, and at the end
// of the document: words typed right after each land after it, the comment
// keeps its text, and the rest of the paragraph is all there.
TEST_F(RichTextKeepsWindowTest, wordsTypedAfterACommentReadFromTheFileFollowItAndTheCommentIsSaved)
{
    const std::string path = folder.path("Comments.rtf");
    writeFile(path, "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Times New Roman;}}\\pard\\f0\\fs24 "
                    "First paragraph ends with a comment{\\*\\atnid Ann}{\\*\\atnauthor Ann}\\chatn"
                    "{\\*\\annotation{\\*\\atnref}\\pard\\plain Check this figure}\\par\n"
                    "\\pard Last words{\\*\\atnid Bo}{\\*\\atnauthor Bo}\\chatn{\\*\\annotation{\\*\\atnref}\\pard\\plain "
                    "Say more}\\par}");
    const DKRTFReadResult original = reread(readFile(path));
    ASSERT_EQ(comments(original.text), (std::vector<std::string>{"Check this figure", "Say more"}));
    open(path);
    if (HasFatalFailure())
        return;
    ASSERT_EQ(run("document.querySelectorAll('object.annotation').length"), "2");

    // The end of the first line, as the End key puts the caret there.
    caretToStart();
    press(GDK_KEY_End);
    typeAndWait(" typed");
    // The end of the text, as a click after its last character puts it.
    run("(function(){var p=document.getElementById('content');var r=document.createRange();"
        "r.selectNodeContents(p);r.collapse(false);var s=getSelection();s.removeAllRanges();s.addRange(r);})()");
    typeAndWait(" here");
    EXPECT_EQ(run("Array.prototype.map.call(document.querySelectorAll('object.annotation'),"
                  "function(o){return o.textContent;}).join('|')"),
              "[\xF0\x9F\x92\xAC]|[\xF0\x9F\x92\xAC]")
        << "nothing typed went into a comment";

    ASSERT_TRUE(save());
    const std::string rtf = readFile(path);
    const DKRTFReadResult again = reread(rtf);
    EXPECT_EQ(comments(again.text), comments(original.text)) << rtf;
    EXPECT_EQ(visibleText(again.text), "First paragraph ends with a comment typed\nLast words here\n") << rtf;
    const std::size_t firstComment = again.text.string().find(u'\uFEFF');
    ASSERT_NE(firstComment, std::u16string::npos);
    EXPECT_EQ(again.text.string().substr(firstComment - 7, 14), u"comment\uFEFF typed") << "the word follows the comment";
}

// A Word file's headings and body text keep their styles through typing and
// a save; a paragraph given the style menu's "Title" takes that style.
TEST_F(RichTextKeepsWindowTest, typedAndRestyledParagraphsSaveWithTheirStyles)
{
    const std::string path = folder.path("Styled.rtf");
    writeFile(path, "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Times New Roman;}{\\f1 Arial;}}"
                    "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue160;}"
                    "{\\stylesheet{\\ql \\sa160\\f0\\fs24 \\snext0 Normal;}"
                    "{\\s1\\ql \\sb240\\keepn\\outlinelevel0 \\b\\f1\\fs32\\cf2 \\sbasedon0 \\snext0 heading 1;}"
                    "{\\*\\cs10 \\additive Default Paragraph Font;}}"
                    "\\pard\\plain \\s1\\ql \\sb240\\keepn \\b\\f1\\fs32\\cf2 Results\\par"
                    "\\pard\\plain \\ql \\sa160\\f0\\fs24 The figures rose.\\par"
                    "\\pard\\plain \\ql \\sa160\\f0\\fs24 A line to retitle.\\par}");
    const DKRTFReadResult original = reread(readFile(path));
    open(path);
    if (HasFatalFailure())
        return;

    caretToStart();
    press(GDK_KEY_End);
    typeAndWait(" today");
    // The caret into the last line, and the style menu's "Title Style".
    press(GDK_KEY_End, GDK_CONTROL_MASK);
    editor->tools().styleMenu().otherStyleTextTask(10);
    ASSERT_TRUE(save());

    const std::string rtf = readFile(path);
    const DKRTFReadResult again = reread(rtf);
    EXPECT_EQ(styleOf(again.text, u"Results today"), "heading 1") << rtf;
    EXPECT_EQ(styleOf(again.text, u"The figures rose."), "Normal") << rtf;
    EXPECT_EQ(styleOf(again.text, u"A line to retitle."), "Title") << rtf;
    const std::string sheet = again.pageSettings.text(DKRTFPageSettings::kStyleSheetKey).value_or("");
    const std::string before = original.pageSettings.text(DKRTFPageSettings::kStyleSheetKey).value_or("");
    ASSERT_FALSE(before.empty());
    // The file's own styles are all there as they were, the new one after them.
    const std::string ownStyles = before.substr(before.find("{\\stylesheet"));
    EXPECT_EQ(sheet.find(ownStyles.substr(0, ownStyles.size() - 2)), sheet.find("{\\stylesheet")) << sheet;
    EXPECT_NE(sheet.find(" Title;}"), std::string::npos) << sheet;
}

// Words typed at the end of a paragraph that ends in a link, in a form's
// list, or in words after the list: the link or form keeps its words and
// looks, and the words typed follow it as plain text, after a plain space.
TEST_F(RichTextKeepsWindowTest, wordsTypedAfterALinkOrAFormAtAParagraphsEndStayOutsideIt)
{
    struct Case {
        std::string name;
        std::string rtf;
        // The words the first line ends in, the link's or form's, and the
        // word that begins it.
        std::u16string ending;
        std::u16string first;
    };
    Result<Data> form = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf-roundtrip/word-form-fields.rtf");
    ASSERT_TRUE(form.ok());
    // The same form with its list ending the first paragraph.
    std::string endingInTheList = form->toString();
    const std::size_t words = endingInTheList.find(" for the day.");
    ASSERT_NE(words, std::string::npos);
    endingInTheList.erase(words, std::string_view(" for the day.").size());
    const std::vector<Case> cases{
        {"WordLink.rtf",
         "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}{\\colortbl;\\red5\\green99\\blue193;}"
         "{\\stylesheet{\\*\\cs15 \\additive \\ul\\cf1 Hyperlink;}}\\pard\\plain\\f0\\fs24 The tables are on the {\\field{\\*\\fldinst "
         "{ HYPERLINK \"https://example.org/tables\" }}{\\fldrslt {\\cs15\\ul\\cf1 harbour site}}}\\par Second line.\\par}",
         u"harbour site", u"The"},
        {"MacLink.rtf",
         "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2639{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}{\\colortbl;\\red255\\green255"
         "\\blue255;\\red0\\green0\\blue233;}\\pard\\f0\\fs24 \\cf0 See {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/\"}}"
         "{\\fldrslt \\cf2 \\ul \\ulc2 example.org}}\\\nSecond line.}",
         u"example.org", u"See"},
        {"Form.rtf", form->toString(), u"Caf\u00E9 launch for the day.", u"Boat"},
        {"FormEnding.rtf", endingInTheList, u"Caf\u00E9 launch", u"Boat"},
    };
    auto looksAt = [](const AttributedString& text, std::u16string_view words) {
        const std::size_t at = text.string().find(words);
        if (at == std::u16string::npos)
            return std::string("<missing>");
        AttributeDictionaryPtr attributes = text.attributesAtIndex(at);
        const auto* link = attributes->valueForKeyAs<URLValue>(TELinkAttribute);
        const auto* field = attributes->valueForKeyAs<StringValue>(TEFieldInstructionAttribute);
        const auto* color = attributes->valueForKeyAs<ColorValue>(kCTForegroundColorAttributeName);
        const auto* underline = attributes->valueForKey(kCTUnderlineStyleAttributeName).get();
        std::string looks = "link " + (link ? link->urlString() : std::string("none"));
        looks += ", field " + (field ? toUtf8(field->value()) : std::string("none"));
        // No colour is the page's black.
        looks += ", colour " + std::to_string(color ? std::lround(color->color().blue() * 255) : 0);
        looks += underline && underline->as<IntegerValue>() && underline->as<IntegerValue>()->value() ? ", underlined" : "";
        return looks;
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        const std::string path = folder.path(each.name);
        writeFile(path, each.rtf);
        const DKRTFReadResult original = reread(each.rtf);
        open(path);
        if (HasFatalFailure())
            return;
        caretToStart();
        press(GDK_KEY_End);
        typeAndWait(" quokka");
        ASSERT_TRUE(save());
        closeDocument();

        const std::string rtf = readFile(path);
        const DKRTFReadResult again = reread(rtf);
        EXPECT_NE(again.text.string().find(each.ending + u" quokka\n"), std::u16string::npos)
            << "a plain space before the word: " << rtf;
        EXPECT_EQ(looksAt(again.text, each.ending), looksAt(original.text, each.ending)) << rtf;
        std::string plain = looksAt(original.text, each.first);
        EXPECT_EQ(looksAt(again.text, u"quokka"), plain) << rtf;
        EXPECT_EQ(looksAt(again.text, u" quokka"), plain) << rtf;
    }
}

// LibreOffice names faces by their PostScript names: the page draws words
// in "LiberationSerif-Bold" and "LiberationSerif-Italic" in those faces of
// Liberation Serif (as wide as Liberation Serif bold or italic, not as a
// stand-in), and a save names them as the file did.
TEST_F(RichTextKeepsWindowTest, facesNamedByTheirPostScriptNamesAreDrawnInThoseFaces)
{
    const std::string path = folder.path("Faces.rtf");
    writeFile(path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Liberation Serif;}"
                    "{\\f1\\froman\\fprq2\\fcharset0 LiberationSerif-Bold;}{\\f2\\froman\\fprq2\\fcharset0 LiberationSerif-Italic;}}"
                    "\\pard\\plain\\f0\\fs24 Plain words, \\f1\\b Heavy harbour wall\\b0\\f0 , and \\f2\\i slanted quay lamps\\i0\\f0 .\\par}");
    open(path);
    if (HasFatalFailure())
        return;
    const struct {
        const char* words;
        const char* looks;
    } faces[]{{"Heavy harbour wall", "bold"}, {"slanted quay lamps", "italic"}};
    for (const auto& face : faces) {
        // The words' width, and that of the same words set in the face by its family.
        const std::string widths = run(
            std::string("(function(){var w='") + face.words + "';var found=null;"
            "document.querySelectorAll('#content span').forEach(function(s){if(s.textContent===w)found=s;});"
            "if(!found)return 'missing';var probe=document.createElement('span');probe.textContent=w;"
            "probe.style.cssText='font-family:\"Liberation Serif\";font-size:'+getComputedStyle(found).fontSize+';font-" +
            (std::string(face.looks) == "bold" ? "weight:bold" : "style:italic") +
            "';document.body.appendChild(probe);var a=found.getBoundingClientRect().width,b=probe.getBoundingClientRect().width;"
            "probe.remove();return Math.round(a*10)+' '+Math.round(b*10);})()");
        const std::size_t blank = widths.find(' ');
        ASSERT_NE(blank, std::string::npos) << face.words << ": " << widths;
        EXPECT_EQ(widths.substr(0, blank), widths.substr(blank + 1)) << face.words << " is drawn in another font";
    }
    typeAndWait(" now");
    ASSERT_TRUE(save());
    const std::string rtf = readFile(path);
    EXPECT_NE(rtf.find("LiberationSerif-Bold;"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("LiberationSerif-Italic;"), std::string::npos) << rtf;
}

} // namespace
} // namespace folio

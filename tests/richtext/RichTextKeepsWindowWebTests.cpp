#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "engine/attachments/TETextAttachment.h"
#include "engine/model/TEAttributeKeys.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Unicode.h"
#include "richtext/RichTextTools.h"
#include "richtext/StyleMenuCommander.h"
#include "richtext/TextViewController.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"

#include <gtk/gtk.h>
#include <gtest/gtest.h>

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

} // namespace
} // namespace folio

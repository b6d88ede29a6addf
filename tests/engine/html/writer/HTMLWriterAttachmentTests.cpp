#include "engine/html/writer/TEHTMLWriter.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "engine/attachments/InlinePictureSink.h"
#include "engine/attachments/TEObjectTextAttachment.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"

#include "HTMLWriterTestText.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

using namespace htmlwritertest;

using Entry = AttributeDictionary::Entry;

Entry attachment(AttributeValuePtr value)
{
    return {std::string(NSAttachmentAttributeName), std::move(value)};
}

TEHTMLWriterSettings printSettings()
{
    TEHTMLWriterSettings settings;
    settings.forPrint = true;
    return settings;
}

TEHTMLWriterSettings ePubSettings()
{
    TEHTMLWriterSettings settings;
    settings.forPrint = true;
    settings.forEPub = true;
    return settings;
}

// A text with what print and ePub write differently: a page break, a rule,
// two footnotes and a comment.
AttributedString exportText()
{
    TestText text;
    text.paragraph(u"Before the break")
        .paragraph(u"\uFEFF", {{std::string(TEPageBreakAttribute), BoolValue::make(true)}})
        .add(u"Noted", {baseFont(), baseStyle()})
        .add(u"\uFFFC", {baseFont(), baseStyle(), attachment(TEObjectTextAttachment::footnote(u"first note"))})
        .add(u" and again", {baseFont(), baseStyle()})
        .add(u"\uFFFC", {baseFont(), baseStyle(), attachment(TEObjectTextAttachment::annotation(u"a comment", u"Ann"))})
        .add(u"\uFFFC", {baseFont(), baseStyle(), attachment(TEObjectTextAttachment::footnote(u"second note"))})
        .add(u"\n", {baseFont(), baseStyle()})
        .paragraph(u"\uFEFF", {{std::string(TEHorizontalRuleStyleAttribute), BoolValue::make(true)}})
        .paragraph(u"After the rule", {}, false);
    return text.build();
}

TEST(HTMLWriterAttachmentTests, printNumbersFootnotesFromOneAndDropsComments)
{
    AttributedString string = exportText();
    std::u16string print = TEHTMLWriter(string, printSettings()).HTMLFragment();
    EXPECT_NE(std::u16string::npos, print.find(u"Noted<sup>1</sup> and again<sup>2</sup></div>")) << toUtf8(print);
    EXPECT_EQ(0u, countOf(print, u"<object"));
    EXPECT_EQ(0u, countOf(print, u"a comment"));
    EXPECT_NE(std::u16string::npos, print.find(u"<div style=\"page-break-before:always;\"></div>"));
    EXPECT_NE(std::u16string::npos, print.find(u"<hr id=\"horizontalLine\" noshade color=\"#000000\" size=\"0.5\">"));
    // The notes' text follows the document, numbered as in the text.
    EXPECT_LT(print.find(u"After the rule"), print.find(u"<sup>1</sup> first note"));
    EXPECT_LT(print.find(u"<sup>1</sup> first note"), print.find(u"<sup>2</sup> second note"));
    expectGolden("print-fragment.html", print);

    // Every pass numbers its notes anew.
    EXPECT_EQ(print, TEHTMLWriter(string, printSettings()).HTMLFragment());
}

TEST(HTMLWriterAttachmentTests, ePubWritesPlainRulesAndNumberedNotes)
{
    std::u16string ePub = TEHTMLWriter(exportText(), ePubSettings()).HTMLFragment();
    EXPECT_NE(std::u16string::npos, ePub.find(u"<hr/>"));
    EXPECT_EQ(0u, countOf(ePub, u"horizontalLine"));
    EXPECT_NE(std::u16string::npos, ePub.find(u"<div style=\"page-break-before:always;\"></div>"));
    // Each note's number in the text, and again before its text at the end.
    EXPECT_EQ(4u, countOf(ePub, u"<sup>"));
    EXPECT_LT(ePub.find(u"After the rule"), ePub.find(u"<sup>1</sup> first note"));
    expectGolden("epub-fragment.html", ePub);
}

TEST(HTMLWriterAttachmentTests, editorGetsPageBreakRulesAndNoteObjects)
{
    std::u16string editor = TEHTMLWriter(exportText()).HTMLFragment();
    EXPECT_NE(std::u16string::npos,
              editor.find(u"<hr class=\"marquent-pagebreak\" style='page-break-before:always;'/>")) << toUtf8(editor);
    EXPECT_EQ(0u, countOf(editor, u"page-break-before:always;\"></div>"));
    EXPECT_EQ(3u, countOf(editor, u"<object"));
    EXPECT_EQ(2u, countOf(editor, u"class='footnote'"));
    EXPECT_EQ(1u, countOf(editor, u"class='annotation'"));
    EXPECT_NE(std::u16string::npos, editor.find(u"data-author='Ann'"));
    // The two footnotes are numbered 1 and 2 in the page as well.
    EXPECT_LT(editor.find(u"[1]"), editor.find(u"[2]"));
}

TEST(HTMLWriterAttachmentTests, exportedHTMLListsNotesAtTheEndAndKeepsTheEditorsBreaksAndComments)
{
    TEHTMLWriterSettings settings;
    settings.listsNotesAtEnd = true;
    std::u16string exported = TEHTMLWriter(exportText(), settings).HTMLFragment();
    EXPECT_NE(std::u16string::npos, exported.find(u"Noted<sup>1</sup> and again")) << toUtf8(exported);
    EXPECT_EQ(0u, countOf(exported, u"class='footnote'"));
    EXPECT_EQ(1u, countOf(exported, u"class='annotation'"));
    EXPECT_NE(std::u16string::npos, exported.find(u"class=\"marquent-pagebreak\""));
    EXPECT_LT(exported.find(u"After the rule"), exported.find(u"<sup>1</sup> first note"));
    EXPECT_LT(exported.find(u"<sup>1</sup> first note"), exported.find(u"<sup>2</sup> second note"));
}

// Each note listed at the end takes the font of the text its mark stands
// in, whatever font the note before it had.
TEST(HTMLWriterAttachmentTests, notesAtTheEndTakeEachTheFontOfItsMark)
{
    const AttributeDictionary::Entry bold{std::string(kCTFontAttributeName), font("Helvetica-Bold", 12)};
    TestText text;
    for (const char16_t* note : {u"plain one", u"plain two", u"bold three", u"plain four"}) {
        const bool isBold = std::u16string_view(note).starts_with(u"bold");
        text.add(u"x", {baseFont(), baseStyle()})
            .add(u"\uFFFC", {isBold ? bold : baseFont(), baseStyle(), attachment(TEObjectTextAttachment::footnote(note))});
    }
    TEHTMLWriterSettings settings;
    settings.listsNotesAtEnd = true;
    const std::u16string exported = TEHTMLWriter(text.build(), settings).HTMLFragment();
    const std::size_t notes = exported.find(u"class=\"footnotes\"");
    ASSERT_NE(std::u16string::npos, notes) << toUtf8(exported);
    auto entryStyle = [&](std::u16string_view entryText) {
        const std::size_t at = exported.find(entryText, notes);
        const std::size_t start = exported.rfind(u"<div", at);
        return exported.substr(start, exported.find(u"<sup>", start) - start);
    };
    EXPECT_EQ(entryStyle(u"plain one"), entryStyle(u"plain two"));
    EXPECT_EQ(entryStyle(u"plain one"), entryStyle(u"plain four"));
    EXPECT_NE(entryStyle(u"plain one"), entryStyle(u"bold three"));
    EXPECT_NE(std::u16string::npos, entryStyle(u"bold three").find(u"font-weight:bold")) << toUtf8(exported);
    EXPECT_EQ(std::u16string::npos, entryStyle(u"plain four").find(u"font-weight:bold")) << toUtf8(exported);
}

TEST(HTMLWriterAttachmentTests, noteTextWithSpacesIsNotRewritten)
{
    AttributedString string =
        TestText()
            .add(u"x", {baseFont(), baseStyle()})
            .add(u"\uFFFC", {baseFont(), baseStyle(),
                             attachment(TEObjectTextAttachment::footnote(u"two  spaces > and a\ttab"))})
            .build();
    std::u16string editor = TEHTMLWriter(string).HTMLFragment();
    EXPECT_NE(std::u16string::npos, editor.find(u"two  spaces")) << toUtf8(editor);
    EXPECT_EQ(0u, countOf(editor, u"white-space:pre"));
}

TEST(HTMLWriterAttachmentTests, picturesInEPubStandInABoxOfTheirSize)
{
    Result<Image::Pointer> image = Image::imageWithPixels(2, 1, std::vector<std::uint8_t>(8, 255));
    ASSERT_TRUE(image.ok());
    auto picture = TEImageTextAttachment::attachmentWithImage(*image);
    picture->setDisplaySize(Size{40, 20});
    AttributedString string = TestText().add(u"\uFFFC", {baseFont(), baseStyle(), attachment(picture)}).build();

    std::u16string ePub = TEHTMLWriter(string, ePubSettings()).HTMLFragment();
    EXPECT_NE(std::u16string::npos,
              ePub.find(u"<span style=\"display:inline-block;text-indent:0px;vertical-align:baseline;width:40px;"
                        u"height:20px;\"><img"))
        << toUtf8(ePub);
    EXPECT_NE(std::u16string::npos, ePub.find(u"</span></div>"));

    std::u16string editor = TEHTMLWriter(string).HTMLFragment();
    EXPECT_EQ(1u, countOf(editor, u"<img"));
    EXPECT_EQ(0u, countOf(editor, u"inline-block"));
}

TEST(HTMLWriterAttachmentTests, attachmentInsideALinkNeverLeavesTheLinkOpen)
{
    auto note = TEObjectTextAttachment::footnote(u"n");
    AttributeValuePtr target = URLValue::make("https://example.org/");
    AttributedString startsWithNote =
        TestText()
            .add(u"\uFFFC", {baseFont(), baseStyle(), attachment(note), {std::string(TELinkAttribute), target}})
            .add(u"text", {baseFont(), baseStyle(), {std::string(TELinkAttribute), target}})
            .build();
    std::u16string first = TEHTMLWriter(startsWithNote, printSettings()).HTMLFragment();
    EXPECT_NE(std::u16string::npos, first.find(u"<sup>1</sup><a href=\"https://example.org/\" style=\"color:inherit;text-decoration:none;\">text</a></div>"))
        << toUtf8(first);

    AttributedString endsWithNote =
        TestText()
            .add(u"text", {baseFont(), baseStyle(), {std::string(TELinkAttribute), target}})
            .add(u"\uFFFC", {baseFont(), baseStyle(), attachment(note), {std::string(TELinkAttribute), target}})
            .build();
    std::u16string second = TEHTMLWriter(endsWithNote, printSettings()).HTMLFragment();
    EXPECT_NE(std::u16string::npos, second.find(u"<a href=\"https://example.org/\" style=\"color:inherit;text-decoration:none;\">text<sup>1</sup></a></div>"))
        << toUtf8(second);
}

// A link that starts with an attachment opens at its text, yet stretches
// over both: attributes of the whole link go on the link, and those of a
// part on the span of that part.
TEST(HTMLWriterAttachmentTests, linkStartingWithAnAttachmentStillSpansIt)
{
    auto note = TEObjectTextAttachment::footnote(u"n");
    AttributeValuePtr target = URLValue::make("https://example.org/");
    AttributeValuePtr whole = StringMapValue::make({{"target", u"_blank"}});
    AttributedString string =
        TestText()
            .add(u"a ", {baseFont(), baseStyle()})
            .add(u"\uFFFC", {baseFont(), baseStyle(), attachment(note), {std::string(TELinkAttribute), target},
                             {std::string(TECustomAttributesAttribute), whole}})
            .add(u"te", {baseFont(), baseStyle(), {std::string(TELinkAttribute), target},
                         {std::string(TECustomAttributesAttribute), whole}})
            .add(u"xt", {baseFont(), baseStyle(), {std::string(TELinkAttribute), target},
                         {std::string(TECustomAttributesAttribute),
                          StringMapValue::make({{"target", u"_blank"}, {"title", u"part"}})}})
            .add(u" b", {baseFont(), baseStyle()})
            .build();
    std::u16string html = TEHTMLWriter(string, printSettings()).HTMLFragment();
    EXPECT_NE(std::u16string::npos,
              html.find(u"<sup>1</sup><a href=\"https://example.org/\" style=\"color:inherit;text-decoration:none;\" target=\"_blank\">te<span title=\"part\">xt</span></a> b"))
        << toUtf8(html);
}

// The one who wants the HTML decides where a picture read from a file goes:
// the writer hands the file's bytes to that sink and writes what it answers,
// and nothing lands in the program's picture folder.
TEST(HTMLWriterAttachmentTests, picturesWithContentsGoThroughTheCallersSink)
{
    Result<Image::Pointer> image = Image::imageWithPixels(3, 2, std::vector<std::uint8_t>(24, 200));
    ASSERT_TRUE(image.ok());
    auto png = (*image)->pngData();
    ASSERT_TRUE(png.ok());
    auto picture = std::make_shared<TEImageTextAttachment>();
    picture->setContents(Data(*png));
    picture->setFileType("pngblip");
    AttributedString string = TestText().add(u"\uFFFC", {baseFont(), baseStyle(), attachment(picture)}).build();

    struct RecordingSink final : HTMLPictureSink {
        std::optional<std::string> storePicture(const HTMLPicture& stored) override
        {
            extensions.emplace_back(stored.extension);
            bytes.assign(stored.bytes.begin(), stored.bytes.end());
            return std::string("beside/picture-1.png");
        }
        std::vector<std::string> extensions;
        std::vector<std::uint8_t> bytes;
    } sink;
    TEHTMLWriterSettings settings;
    settings.fileName = "Sunk Document.rtf";
    settings.pictureSink = &sink;
    std::u16string html = TEHTMLWriter(string, settings).HTMLFragment();
    EXPECT_NE(std::u16string::npos, html.find(u" src=\"beside/picture-1.png\"")) << toUtf8(html);
    EXPECT_EQ(sink.extensions, std::vector<std::string>{"png"});
    auto handed = Image::imageWithData(sink.bytes);
    ASSERT_TRUE(handed.ok());
    EXPECT_EQ((*handed)->rgbaPixels(), (*image)->rgbaPixels());
    EXPECT_FALSE(std::filesystem::exists(AppFolders::documentDataFolder() + "/Sunk Document"));

    // Inside the HTML, the picture is its own data; a sink that cannot take
    // it leaves the picture without a source rather than with a wrong one.
    InlinePictureSink inlined;
    settings.pictureSink = &inlined;
    html = TEHTMLWriter(string, settings).HTMLFragment();
    EXPECT_NE(std::u16string::npos, html.find(u" src=\"data:image/png;base64,")) << toUtf8(html);
    struct RefusingSink final : HTMLPictureSink {
        std::optional<std::string> storePicture(const HTMLPicture&) override { return std::nullopt; }
    } refusing;
    settings.pictureSink = &refusing;
    html = TEHTMLWriter(string, settings).HTMLFragment();
    EXPECT_EQ(1u, countOf(html, u"<img"));
    EXPECT_EQ(0u, countOf(html, u"src=")) << toUtf8(html);
    EXPECT_FALSE(std::filesystem::exists(AppFolders::documentDataFolder() + "/Sunk Document"));
}

} // namespace
} // namespace folio

#include "formats/rtf/DKRTFLegacyAnnotations.h"
#include "formats/rtf/DKRTFPageSettings.h"
#include "formats/rtf/DKRTFReader.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "engine/attachments/TEObjectTextAttachment.h"
#include "platform/graphics/FakeFontCatalog.h"

#include "RTFReaderTest.h"


#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace folio {
namespace {

class RTFReaderObjectsTests : public RTFReaderTest {
protected:
    static const TETextAttachment* attachmentAt(const AttributedString& string, std::size_t index)
    {
        AttributeValuePtr value = string.attributeAtIndex(NSAttachmentAttributeName, index);
        return value ? value->as<TETextAttachment>() : nullptr;
    }

    static std::string hexOf(const Data& data)
    {
        static constexpr char kDigits[] = "0123456789abcdef";
        std::string hex;
        for (std::uint8_t byte : data.vector()) {
            hex.push_back(kDigits[byte >> 4]);
            hex.push_back(kDigits[byte & 15]);
        }
        return hex;
    }
};

TEST_F(RTFReaderObjectsTests, hexPictureLandsOnAPlaceholderAndItsClosingBlankIsNotText)
{
    AttributedString string =
        read(u"{\\rtf1 a{{\\pict\\jpegblip\\wraptext2\\picw100\\pich50\\picwgoal1200\\pichgoal600\nFFD8FFE0\n} }b}");
    EXPECT_EQ(string.string(), u"a\uFEFFb");
    const auto* picture = dynamic_cast<const TEImageTextAttachment*>(attachmentAt(string, 1));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->displaySize(), (Size{100, 50}));
    EXPECT_EQ(picture->wrapAlignment(), TEWrapAlignment::Right);
    ASSERT_NE(picture->contentsData(), nullptr);
    EXPECT_EQ(hexOf(*picture->contentsData()), "ffd8ffe0");
    // The picture is on its placeholder only.
    EXPECT_EQ(attachmentAt(string, 2), nullptr);
    // A blank the user typed after the picture is still text.
    EXPECT_EQ(read(u"{\\rtf1 a{{\\pict\\jpegblip\\wraptext0\\picw1\\pich1\nFFD8\n} }\n b}").string(), u"a\uFEFF b");
}

TEST_F(RTFReaderObjectsTests, pictureWithoutGoalSizeTakesItsOwnSize)
{
    // Without "\wraptext" the goal is in twips, as other writers give it,
    // and is shown in CSS pixels (600 twips are 30 pt, 40 px).
    AttributedString string = read(u"{\\rtf1 {{\\pict\\jpegblip\\picw100\\pich50\\pichgoal600\nffd8\n} }after}");
    const auto* picture = dynamic_cast<const TEImageTextAttachment*>(attachmentAt(string, 0));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->wrapAlignment(), TEWrapAlignment::None);
    EXPECT_FLOAT_EQ(static_cast<float>(picture->displaySize().width), 100.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(picture->displaySize().height), 40.0f);
    EXPECT_EQ(string.string(), u"\uFEFF after");
}

TEST_F(RTFReaderObjectsTests, pictureSearchesStopAtTheEndOfItsGroup)
{
    // No data and no goal sizes in the group: no picture, and the text after
    // it (which holds the words searched for) is untouched.
    AttributedString string = read(u"{\\rtf1 {\\pict\\jpegblip}picwgoal wraptext pichgoal}");
    EXPECT_EQ(string.string(), u"picwgoal wraptext pichgoal");
    EXPECT_EQ(attachmentAt(string, 0), nullptr);
    // Windows metafiles are not drawn: they keep their place as a frame, and
    // their data is not text.
    EXPECT_EQ(read(u"{\\rtf1 {\\pict\\wmetafile0 0100ff}x}").string(), u"\uFEFFx");
}

TEST_F(RTFReaderObjectsTests, shapePictureWithFileName)
{
    AttributedString string = read(
        u"{\\rtf1 {\\*\\shppict {\\pict {\\*\\nisusfilename photo.jpg} \\picw640 \\pich480 \\picwgoal6400 \\pichgoal4800 "
        u"\\jpegblip ffd8\n ffe0}} x}");
    const auto* picture = dynamic_cast<const TEImageTextAttachment*>(attachmentAt(string, 0));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(string.string(), u"\uFEFF x");
    EXPECT_EQ(picture->originalSize(), (Size{640, 480}));
    EXPECT_EQ(picture->displaySize(), (Size{320, 240}));
    EXPECT_EQ(picture->originalDisplaySize(), (Size{6400, 4800}));
    EXPECT_EQ(picture->fileInfo(), u"photo.jpg");
    EXPECT_EQ(picture->fileType(), "jpegblip");
    EXPECT_EQ(hexOf(*picture->contentsData()), "ffd8ffe0");
}

TEST_F(RTFReaderObjectsTests, packagePictureRidesOnTheCharacterAfterIt)
{
    AttributedString string = read(u"{\\rtf1 a{{\\NeXTGraphic pic.png \\width300 \\height200}\u00AC}b}");
    EXPECT_EQ(string.string(), u"a\u00ACb");
    const TETextAttachment* attachment = attachmentAt(string, 1);
    ASSERT_NE(attachment, nullptr);
    ASSERT_TRUE(attachment->contentURL().has_value());
    EXPECT_EQ(attachment->contentURL()->absoluteString(), "pic.png");
    EXPECT_EQ(attachment->displaySize(), (Size{300, 200}));
    EXPECT_EQ(attachmentAt(string, 2), nullptr);
    // Only the stand-in carries the picture: text that follows in the same
    // group is the user's.
    AttributedString followed = read(u"{\\rtf1 a{{\\NeXTGraphic pic.png \\width3 \\height2}\u00AC end} b}");
    EXPECT_EQ(followed.string(), u"a\u00AC end b");
    EXPECT_NE(attachmentAt(followed, 1), nullptr);
    EXPECT_EQ(attachmentAt(followed, 2), nullptr);
}

TEST_F(RTFReaderObjectsTests, footnotesKeepTheirTextWithNestedBracesAndEscapes)
{
    AttributedString string = read(
        uR"({\rtf1 Text{\*\footnote {\chftn} Note a\{b\} {\i c}\u8230\'85 caf\'e9}\f0 more})");
    EXPECT_EQ(string.string(), u"Text\uFEFFmore");
    const TETextAttachment* note = attachmentAt(string, 4);
    ASSERT_NE(note, nullptr);
    ASSERT_NE(note->contentsString(), nullptr);
    EXPECT_EQ(*note->contentsString(), u"Note a{b} c\u2026 caf\u00E9");
    EXPECT_EQ(*note->attributeForKey("attachmentType"), u"footnote");
    EXPECT_EQ(note->attributeForKey("annotationAuthor"), nullptr);
    // The placeholder continues the text before it.
    EXPECT_NE(string.attributeAtIndex(kCTFontAttributeName, 4), nullptr);
    EXPECT_EQ(attachmentAt(string, 5), nullptr);
}

TEST_F(RTFReaderObjectsTests, writerMarkersInNotesAreTakenOutWhereverTheyAre)
{
    // "\\ul0" and "\\up0" are markers of older writers, not control words:
    // they go and the blank after them stays. Taking one out may join text
    // into another, which goes too.
    const std::u16string_view notes[][2] = {
        {uR"({\rtf1 a{\*\footnote {\chftn} One\ul0 two\up0 three}b})", u"One two three"},
        {uR"({\rtf1 a{\*\footnote A\u\ul0p0 B}b})", u"A B"},
        {uR"({\rtf1 a{\*\footnote Plain \{text\} only}b})", u"Plain {text} only"},
        // Every family of marker, and one that ends the note.
        {uR"({\rtf1 a{\*\footnote X\u65533?l0 Y}b})", u"X Y"},
        {uR"({\rtf1 a{\*\footnote {\*\atnref} Z\*\atnref 1}b})", u"Z"},
        {uR"({\rtf1 a{\*\footnote W\up0}b})", u"W"},
    };
    for (const auto& [rtf, expected] : notes) {
        AttributedString string = read(rtf);
        EXPECT_EQ(string.string(), u"a\uFEFFb");
        const TETextAttachment* note = attachmentAt(string, 1);
        ASSERT_NE(note, nullptr);
        ASSERT_NE(note->contentsString(), nullptr);
        EXPECT_EQ(*note->contentsString(), expected);
    }
}

TEST_F(RTFReaderObjectsTests, noteControlWordsBecomeTheirCharactersAndOthersGo)
{
    // Words the note escaping writes give their characters, each taking
    // the one blank after it; any other word, and its blank, goes.
    AttributedString string = read(
        uR"({\rtf1 a{\*\footnote \ldblquote Hi\rdblquote\emdash ok\bullet\line x\u8230?\endash\foo y\lquote\rquote\par\tab z\taby}b})");
    const TETextAttachment* note = attachmentAt(string, 1);
    ASSERT_NE(note, nullptr);
    ASSERT_NE(note->contentsString(), nullptr);
    EXPECT_EQ(*note->contentsString(), u"\u201CHi\u201D\u2014ok\u2022\nx\u2026\u2013y\u2018\u2019\n\tz");
}

TEST_F(RTFReaderObjectsTests, footnoteAtTheStartOfTheDocumentKeepsItsNote)
{
    AttributedString string = read(uR"({\rtf1 {\*\footnote {\chftn} First}x})");
    EXPECT_EQ(string.string(), u"\uFEFFx");
    ASSERT_NE(attachmentAt(string, 0), nullptr);
    EXPECT_EQ(*attachmentAt(string, 0)->contentsString(), u"First");
}

TEST_F(RTFReaderObjectsTests, emptyFootnoteMakesNoAttachment)
{
    AttributedString string = read(uR"({\rtf1 a{\*\footnote {\chftn} }b})");
    EXPECT_EQ(string.string(), u"ab");
    EXPECT_EQ(attachmentAt(string, 0), nullptr);
    EXPECT_EQ(attachmentAt(string, 1), nullptr);
}

TEST_F(RTFReaderObjectsTests, commentsCarryTheirAuthorFromThisDocumentOnly)
{
    AttributedString withAuthor = read(
        uR"({\rtf1 a{{\*\atnid J\'f6rg}{\*\atnauthor J\'f6rg}\chatn{\*\annotation {\*\atnref} Check \{this\}}}b})");
    EXPECT_EQ(withAuthor.string(), u"a\uFEFFb");
    const TETextAttachment* comment = attachmentAt(withAuthor, 1);
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(*comment->contentsString(), u"Check {this}");
    EXPECT_EQ(*comment->attributeForKey("attachmentType"), u"annotation");
    ASSERT_NE(comment->attributeForKey("annotationAuthor"), nullptr);
    EXPECT_EQ(*comment->attributeForKey("annotationAuthor"), u"J\u00F6rg");

    // A later document without "\atnid" does not inherit the author.
    AttributedString withoutAuthor = read(uR"({\rtf1 a{\chatn{\*\annotation {\*\atnref} Later}}b})");
    const TETextAttachment* later = attachmentAt(withoutAuthor, 1);
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(later->attributeForKey("annotationAuthor"), nullptr);
    EXPECT_EQ(later->attributes().size(), 1u);
}

TEST_F(RTFReaderObjectsTests, hyperlinkFieldsLinkTheirShownText)
{
    AttributedString string =
        read(uR"({\rtf1 go {\field{\*\fldinst{HYPERLINK "https://example.com/a?b=1"}}{\fldrslt here}} now})");
    EXPECT_EQ(string.string(), u"go here now");
    AttributeValuePtr link = string.attributeAtIndex(TELinkAttribute, 3);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->as<URLValue>()->urlString(), "https://example.com/a?b=1");
    EXPECT_EQ(string.attributeAtIndex(TELinkAttribute, 0), nullptr);
    EXPECT_EQ(string.attributeAtIndex(TELinkAttribute, 8), nullptr);

    // Braces stay balanced: formatting around the field is kept after it.
    AttributedString bold = read(uR"({\rtf1 {\b x{\field{\*\fldinst{HYPERLINK "u"}}{\fldrslt y}}z}w})");
    EXPECT_EQ(bold.string(), u"xyzw");
    EXPECT_NE(bold.attributesAtIndex(2), nullptr);
    EXPECT_EQ(bold.attributesAtIndex(2)->valueForKey(kCTFontAttributeName)->isEqual(
                  *bold.attributesAtIndex(0)->valueForKey(kCTFontAttributeName)),
              true);
    EXPECT_FALSE(bold.attributesAtIndex(3)->valueForKey(kCTFontAttributeName)->isEqual(
        *bold.attributesAtIndex(0)->valueForKey(kCTFontAttributeName)));
}

TEST_F(RTFReaderObjectsTests, linkInstructionsAndNotesJoinTheirTextAcrossGroupsBreaksAndEscapes)
{
    // Word's revision groups and the file's line breaks cut the instruction;
    // its pieces, escapes decoded, make one target.
    AttributedString string = read(u"{\\rtf1 {\\field{\\*\\fldinst{HYPER}{LINK \"https://ex\r\nample.com/caf\\'e9"
                                   u"}{\\rtlch /p\\u97?th\\{x\\}\" \\\\l \"an}{chor\"}}{\\fldrslt go}}}");
    ASSERT_EQ(string.string(), u"go");
    AttributeValuePtr link = string.attributeAtIndex(TELinkAttribute, 0);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->as<URLValue>()->urlString(), "https://example.com/caf\u00E9/path{x}#anchor");
    // The replacement written as an escape goes too; a "\\u" without a
    // number has none.
    AttributedString escaped = read(u"{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x/\\u233\\'e9\\u-3\\'3f?\\ul?\"}{\\fldrslt go}}}");
    ASSERT_NE(escaped.attributeAtIndex(TELinkAttribute, 0), nullptr);
    EXPECT_EQ(escaped.attributeAtIndex(TELinkAttribute, 0)->as<URLValue>()->urlString(), "x/\u00E9\uFFFD??");

    // A note's text runs end at braces, line breaks and escapes alike; a
    // backslash that ends the note is kept.
    AttributedString noted = read(u"{\\rtf1 A{\\footnote one{two}thr\r\nee\\tab four\\}b\\\\}B}");
    const TETextAttachment* note = attachmentAt(noted, 1);
    ASSERT_NE(note, nullptr);
    ASSERT_NE(note->contentsString(), nullptr);
    EXPECT_EQ(*note->contentsString(), u"onetwothree\tfour}b\\");
}

TEST_F(RTFReaderObjectsTests, otherFieldsAreNotLinks)
{
    AttributedString index = read(uR"({\rtf1 {\field{\*\fldinst{INDEX x}}{\fldrslt y}}})");
    EXPECT_EQ(index.string(), u"y");
    EXPECT_EQ(index.attributeAtIndex(TELinkAttribute, 0), nullptr);
    AttributedString page = read(uR"({\rtf1 {\field{\*\fldinst PAGE }{\fldrslt 3}}})");
    EXPECT_EQ(page.string(), u"3");
    EXPECT_EQ(page.attributeAtIndex(TELinkAttribute, 0), nullptr);
}

TEST_F(RTFReaderObjectsTests, marginsSpacingAndHeaderFooterAreAnsweredAndStoredOnlyWhenAsked)
{
    AttributedString string = read(
        uR"({\rtf1\margl1134\margr1440\margt0\margb2268 {\*\pageHeader 1::Left \{x\} \\ y::0}{\*\pageFooter f::2}\sa250\sb105 Body})");
    EXPECT_EQ(string.string(), u"Body");
    const DKRTFPageSettings page = m_pageSettings;
    EXPECT_NEAR(*page.number(DKRTFPageSettings::kPageMarginLeftKey), 2.0, 0.001);
    EXPECT_NEAR(*page.number(DKRTFPageSettings::kPageMarginRightKey), 2.54, 0.001);
    EXPECT_FLOAT_EQ(*page.number(DKRTFPageSettings::kPageMarginTopKey), 0);
    EXPECT_NEAR(*page.number(DKRTFPageSettings::kPageMarginBottomKey), 4.0, 0.001);
    EXPECT_FLOAT_EQ(*page.number(DKRTFPageSettings::kParagraphSpacingKey), 12);
    EXPECT_FLOAT_EQ(*page.number(DKRTFPageSettings::kParagraphSpacingBeforeKey), 5);
    EXPECT_EQ(page.text(DKRTFPageSettings::kHeaderControlKey), "1::Left {x} \\ y::0");
    EXPECT_EQ(page.text(DKRTFPageSettings::kFooterControlKey), "f::2");
}

TEST_F(RTFReaderObjectsTests, theSpacingAnsweredIsThatOfTheLastParagraphThatGivesOne)
{
    // Each kind on its own: a later paragraph without one, or with only the
    // other kind, leaves the last given; what a style takes from its base
    // counts as given.
    read(uR"({\rtf1\sa100\sb40 One\par\pard\sa300 Two\par\pard Three\par})");
    EXPECT_FLOAT_EQ(*m_pageSettings.number(DKRTFPageSettings::kParagraphSpacingKey), 15);
    EXPECT_FLOAT_EQ(*m_pageSettings.number(DKRTFPageSettings::kParagraphSpacingBeforeKey), 2);
    read(uR"({\rtf1{\stylesheet{\s2\sa200\sb60 Spaced;}{\s1\sbasedon2 Heading;}}\pard\sa20 A\par\pard\s1 B\par\pard C\par})");
    EXPECT_FLOAT_EQ(*m_pageSettings.number(DKRTFPageSettings::kParagraphSpacingKey), 10);
    EXPECT_FLOAT_EQ(*m_pageSettings.number(DKRTFPageSettings::kParagraphSpacingBeforeKey), 3);
}

TEST_F(RTFReaderObjectsTests, headerTextWrittenWithoutEscapesStillReads)
{
    read(uR"({\rtf1{\*\pageHeader 1::C:\docs\file::0}x})");
    EXPECT_EQ(m_pageSettings.text(DKRTFPageSettings::kHeaderControlKey), "1::C:\\docs\\file::0");
}

TEST_F(RTFReaderObjectsTests, footnoteTableMarkersFollowTheText)
{
    AttributedString string = read(uR"({\rtf1 a\footnotetable b\footnotetable0 c})");
    EXPECT_EQ(string.attributeAtIndex(TETextIsFootnoteTableAttribute, 0), nullptr);
    EXPECT_EQ(string.attributeAtIndex(TETextIsFootnoteTableAttribute, 1)->as<StringValue>()->value(), u"1");
    EXPECT_EQ(string.attributeAtIndex(TETextIsFootnoteTableAttribute, 2)->as<StringValue>()->value(), u"-1");
}

TEST_F(RTFReaderObjectsTests, legacyAnnotationsBlockIsAnsweredAndNoFileIsWritten)
{
    std::string path = DKRTFLegacyAnnotations::pathForDocument("../../Notes.rtf");
    std::filesystem::remove(path);
    Result<DKRTFReadResult> result = DKRTFReader::read(u"{\\rtf1 \\marquentannotations 48656c6c6f\nText}", "../../Notes.rtf");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result->text.string(), u"Text");
    ASSERT_TRUE(result->legacyAnnotations.has_value());
    EXPECT_EQ(result->legacyAnnotations->toString(), "Hello");
    // Reading is no place to write files: exports and previews read too.
    EXPECT_FALSE(std::filesystem::exists(path));

    // Where the opened document puts it: beside the documents, under the
    // name's last component only.
    EXPECT_EQ(std::filesystem::path(path).filename(), "Notes.annotations");
    EXPECT_EQ(std::filesystem::path(path).parent_path().filename(), "Marquent_temp");
    ASSERT_TRUE(DKRTFLegacyAnnotations::store("../../Notes.rtf", *result->legacyAnnotations).ok());
    Result<Data> data = Data::dataWithContentsOfFile(path);
    ASSERT_TRUE(data.ok());
    EXPECT_EQ(data->toString(), "Hello");
}

} // namespace
} // namespace folio

#include "RTFWriterTests.h"

#include "engine/attachments/TETextAttachment.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/URL.h"

#include <cstdlib>
#include <filesystem>

namespace folio {
namespace {

using namespace rtfwritertest;

std::string scratchFolder()
{
    const char* home = std::getenv("FOLIO_HOME");
    std::string folder = std::string(home ? home : "/tmp") + "/rtfwriter-pictures";
    std::filesystem::create_directories(folder);
    return folder;
}

std::string writePictureFile(const std::string& name, std::vector<std::uint8_t> bytes)
{
    std::string path = scratchFolder() + "/" + name;
    EXPECT_TRUE(Data(std::move(bytes)).writeToFile(path).ok());
    return path;
}

AttributeDictionary::Entry attachmentEntry(std::shared_ptr<TETextAttachment> attachment)
{
    return {std::string(NSAttachmentAttributeName), std::move(attachment)};
}

std::shared_ptr<TETextAttachment> picture(const std::string& path)
{
    auto attachment = std::make_shared<TETextAttachment>();
    attachment->setOriginalSize(Size{100, 50});
    attachment->setDisplaySize(Size{50, 25});
    attachment->setContentURL(URL::fileURLWithPath(path));
    return attachment;
}

std::shared_ptr<TETextAttachment> note(const std::u16string& type, std::u16string text, std::u16string author = {})
{
    auto attachment = std::make_shared<TETextAttachment>();
    StringMapValue::Map attributes{{"attachmentType", type}};
    if (!author.empty())
        attributes["annotationAuthor"] = author;
    attachment->setAttributes(std::move(attributes));
    attachment->setContents(std::move(text));
    return attachment;
}

std::string bodyOfPictureText(const std::shared_ptr<TETextAttachment>& attachment, bool isRTFD = false)
{
    AttributedString text = makeText({{u"a", {}}, {u"\ufffc", {attachmentEntry(attachment)}}, {u"b", {}}});
    auto result = DKRTFWriter::writeDocument(text, {}, isRTFD, "Doc.rtf");
    EXPECT_TRUE(result.ok());
    return result.ok() ? bodyAfterDefaultsOf(*result) : std::string();
}

TEST(RTFWriterPictureTests, embeddedPictureCarriesSizesAndHexBytes)
{
    auto attachment = picture(writePictureFile("pic.jpg", {0x01, 0xAB, 0xFF}));
    EXPECT_EQ(bodyOfPictureText(attachment),
              "a{{\\pict\\jpegblip\\wraptext0\\picscalex100\\picscaley100\\picw1200\\pich600\\picwgoal750\\pichgoal375\n01abff\n}}\nb");
    attachment->setWrapAlignment(TEWrapAlignment::Right);
    attachment->setFileType("pngblip");
    EXPECT_EQ(bodyOfPictureText(attachment),
              "a{{\\pict\\pngblip\\wraptext2\\picscalex100\\picscaley100\\picw1200\\pich600\\picwgoal750\\pichgoal375\n01abff\n}}\nb");
}

TEST(RTFWriterPictureTests, rtfdPictureIsAReferenceByFileName)
{
    auto attachment = picture(scratchFolder() + "/img1.png");
    EXPECT_EQ(bodyOfPictureText(attachment, true), "a{{\\NeXTGraphic img1.png \\width50 \\height25}\\'ac}b");
}

TEST(RTFWriterPictureTests, namedPictureKeepsItsFileInfoAndType)
{
    auto attachment = picture(writePictureFile("named.png", {0x89, 0x50}));
    attachment->setFileInfo(u"photo.png");
    attachment->setFileType("pngblip");
    EXPECT_EQ(bodyOfPictureText(attachment), "a{\\*\\shppict {\\pict {\\*\\nisusfilename photo.png} \\picw100 \\pich50 "
                                             "\\picwgoal50 \\pichgoal25 \\pngblip 8950}}\nb");
    // Named JPEG pictures are written from the original bytes kept beside the file.
    std::string jpeg = writePictureFile("named.jpg", {0xFF, 0xD8});
    writePictureFile("named.jpg.data", {0x12, 0x34});
    auto original = picture(jpeg);
    original->setFileInfo(u"photo.jpg");
    original->setFileType("jpegblip");
    EXPECT_EQ(bodyOfPictureText(original), "a{\\*\\shppict {\\pict {\\*\\nisusfilename photo.jpg} \\picw100 \\pich50 "
                                           "\\picwgoal50 \\pichgoal25 \\jpegblip 1234}}\nb");
}

TEST(RTFWriterPictureTests, unreadablePictureFileFallsBackToHeldBytesAndWithoutAnyIsLeftOut)
{
    // Nothing to show: no empty picture group, in either form.
    auto attachment = picture(scratchFolder() + "/missing.jpg");
    EXPECT_EQ(bodyOfPictureText(attachment), "ab");
    auto named = picture(scratchFolder() + "/missing-named.png");
    named->setFileInfo(u"photo.png");
    named->setFileType("pngblip");
    EXPECT_EQ(bodyOfPictureText(named), "ab");
    auto sourceless = std::make_shared<TETextAttachment>();
    sourceless->setDisplaySize(Size{20, 20});
    EXPECT_EQ(bodyOfPictureText(sourceless), "ab");
    // A named JPEG whose original bytes are gone is written from its shown file.
    auto shown = picture(writePictureFile("shown-only.jpg", {0xFF, 0xD8, 0x07}));
    shown->setFileInfo(u"photo.jpg");
    shown->setFileType("jpegblip");
    EXPECT_EQ(bodyOfPictureText(shown), "a{\\*\\shppict {\\pict {\\*\\nisusfilename photo.jpg} \\picw100 \\pich50 "
                                        "\\picwgoal50 \\pichgoal25 \\jpegblip ffd807}}\nb");
    attachment->setContents(Data(std::vector<std::uint8_t>{0x0A, 0x0B}));
    EXPECT_EQ(bodyOfPictureText(attachment),
              "a{{\\pict\\jpegblip\\wraptext0\\picscalex100\\picscaley100\\picw1200\\pich600\\picwgoal750\\pichgoal375\n0a0b\n}}\nb");
    EXPECT_FALSE(DKRTFWriter::convertImageToHex(scratchFolder() + "/missing.jpg").has_value());
}

TEST(RTFWriterPictureTests, aPictureReadFromAnotherProgramIsSavedAsItsOwnTypeAndSize)
{
    // Other programs' picture groups give the picture's type by a word the
    // reader does not keep, and often no size in pixels.
    for (const std::u16string& pict : {std::u16string(u"\\pict\\pngblip\\picwgoal300\\pichgoal150 89504e470d0a1a0a0000"),
                                       std::u16string(u"\\*\\shppict{\\pict\\pngblip\\picwgoal300\\pichgoal150 89504e470d0a1a0a0000}"),
                                       std::u16string(u"\\pict\\jpegblip\\picwgoal300\\pichgoal150 ffd8ffe00000")}) {
        auto read = DKRTFReader::parseRTFString(u"{\\rtf1 a{" + pict + u"}b}");
        ASSERT_TRUE(read.ok());
        auto written = DKRTFWriter::writeDocument(*read, {}, false, "Doc.rtf");
        ASSERT_TRUE(written.ok());
        const bool png = pict.find(u"pngblip") != std::u16string::npos;
        EXPECT_NE(written->find(png ? "\\pngblip" : "\\jpegblip"), std::string::npos) << *written;
        EXPECT_EQ(written->find(png ? "\\jpegblip" : "\\pngblip"), std::string::npos) << *written;
        EXPECT_EQ(written->find("\\picw0"), std::string::npos) << *written;
        auto again = DKRTFReader::parseRTFString(toUtf16(*written));
        ASSERT_TRUE(again.ok());
        EXPECT_EQ(again->string(), read->string());
    }
}

TEST(RTFWriterPictureTests, savingAndOpeningAgainKeepsThePictureTextAsItWas)
{
    // Each form of picture, written and read back, twice: the text around it
    // must not gain a blank or lose a character at either turn.
    auto embedded = picture(writePictureFile("again.png", {0x89, 0x50, 0x4E, 0x47}));
    embedded->setFileType("pngblip");
    auto package = picture(scratchFolder() + "/again-package.png");
    for (bool isRTFD : {false, true}) {
        AttributedString text = makeText(
            {{u"a", {}}, {u"\ufffc", {attachmentEntry(isRTFD ? package : embedded)}}, {u" b\u00ac c", {}}});
        std::u16string first;
        for (int save = 0; save < 2; ++save) {
            auto written = DKRTFWriter::writeDocument(text, {}, isRTFD, "Doc.rtf");
            ASSERT_TRUE(written.ok());
            auto read = DKRTFReader::parseRTFString(toUtf16(*written));
            ASSERT_TRUE(read.ok());
            std::u16string visible = read->string();
            std::erase(visible, u'\uFEFF');
            if (save == 0)
                first = visible;
            EXPECT_EQ(visible, first) << "save " << save << (isRTFD ? " of a package" : "");
            text = *read;
        }
        EXPECT_TRUE(first.ends_with(u" b\u00ac c\n") || first.ends_with(u" b\u00ac c")) << toUtf8(first);
        EXPECT_TRUE(first.starts_with(u"a")) << toUtf8(first);
        EXPECT_LE(first.size(), std::u16string(u"a\u00ac b\u00ac c\n").size()) << toUtf8(first);
    }
}

TEST(RTFWriterNoteTests, footnoteTextIsEscaped)
{
    EXPECT_EQ(bodyOfPictureText(note(u"footnote", u"a{b}")), "a{\\*\\footnote {\\chftn }a\\{b\\}}\\f0\nb");
}

TEST(RTFWriterNoteTests, commentNamesItsAuthorTwice)
{
    EXPECT_EQ(bodyOfPictureText(note(u"annotation", u"ok", u"Ann")),
              "a{{\\*\\atnid Ann}{\\*\\atnauthor Ann}\\chatn{\\*\\annotation {\\*\\atnref }ok}}b");
    EXPECT_EQ(bodyOfPictureText(note(u"annotation", u"\u00e9}", u"B{")),
              "a{{\\*\\atnid B\\{}{\\*\\atnauthor B\\{}\\chatn{\\*\\annotation {\\*\\atnref }\\'e9\\}}}b");
}

TEST(RTFWriterNoteTests, attachmentOfAnotherTypeWritesNothing)
{
    EXPECT_EQ(bodyOfPictureText(note(u"video", u"x")), "ab");
}

TEST(RTFWriterNoteTests, footnoteTableIsOpenedOnceAndClosed)
{
    auto table = [](std::u16string value) { return stringEntry(TETextIsFootnoteTableAttribute, std::move(value)); };
    AttributedString text = makeText({{u"a", {}},
                                      {u"b", {table(u"1")}},
                                      {u"c", {table(u"1"), integerEntry(TEStrikeOutAttribute, 1)}},
                                      {u"d", {table(u"-1"), integerEntry(TEStrikeOutAttribute, 1)}},
                                      {u"1", {table(u"-1")}},
                                      {u"e", {table(u"1")}},
                                      {u"2", {table(u"-1")}}});
    // The closing word is followed by a space, or the "1" would become its parameter.
    EXPECT_EQ(bodyAfterDefaultsOf(writeText(text)),
              "a\\footnotetable b\\strike c\\footnotetable0 d\\strike0 1\\footnotetable e\\footnotetable0 2");
}

AttributeDictionary::Entry flag(std::string_view key, std::int64_t value = 1)
{
    return integerEntry(key, value);
}

TEST(RTFWriterTableTests, rowsAndCellsAreWrittenFromTheirMarks)
{
    auto table = flag(TEIsTableKey);
    AttributedString text = makeText({{u"Intro\n", {}},
                                      {u"a{b}", {table}},
                                      {u"\t", {table, flag(TEIsEndTableCellKey), flag(TETableCellWidthKey, 2000)}},
                                      {u"B", {table}},
                                      {u"\n", {table, flag(TEIsEndTableRowKey), flag(TETableCellRightBoundaryKey, 4500)}},
                                      {u"C", {table}},
                                      {u"\t", {table, flag(TEIsEndTableCellKey)}},
                                      {u"D", {table}},
                                      {u"\n", {table, flag(TEIsEndTableRowKey)}},
                                      {u"After", {}}});
    EXPECT_EQ(bodyAfterDefaultsOf(writeText(text)),
              "Intro\\\n\\itap1\\trowd\n\\cellx2000\n\\cellx4500\n\\pard\\intbl\n\\ql\na\\{b\\}\\cell B\\cell\\row\n"
              // A row without widths gets cells of a default width.
              "\\itap1\\trowd\n\\cellx2000\n\\cellx4000\n\\pard\\intbl\n\\ql\nC\\cell D\\cell\\row\n\\pard\n\\ql\nAfter");
}

TEST(RTFWriterTableTests, tableKeysAtZeroCountAsAbsent)
{
    // The reader marks every run outside a table with its table keys at 0.
    AttributedString text = makeText({{u"one\n", {flag(TEIsTableKey, 0), flag(TEIsTableRowKey, 0),
                                                  flag(TEIsEndTableKey, 0), flag(TEIsEndTableCellKey, 0),
                                                  flag(TEIsEndTableRowKey, 0), flag(TETableCellWidthKey, 0)}},
                                      {u"two\nthree", {flag(TEIsTableKey, 0), flag(TEIsTableRowKey, 0)}}});
    EXPECT_EQ(bodyAfterDefaultsOf(writeText(text)), "one\\\ntwo\\\nthree");
}

} // namespace
} // namespace folio

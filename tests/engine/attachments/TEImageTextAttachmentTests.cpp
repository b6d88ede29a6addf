#include "engine/attachments/TEAttachmentSource.h"
#include "engine/attachments/InlinePictureSink.h"
#include "engine/attachments/PictureFolderSink.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "foundation/markup/TEBase64Coding.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/ImageCodec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>

namespace folio {
namespace {

std::vector<std::uint8_t> picturePixels(int width, int height)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height * 4));
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = static_cast<std::uint8_t>(i % 251);
        pixels[i + 1] = 80;
        pixels[i + 2] = 160;
        pixels[i + 3] = 255;
    }
    return pixels;
}

// A plain file where a folder is wanted, so that the folder cannot be made.
void writeFolderBlocker(const std::string& path)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << "not a folder";
}

std::vector<std::uint8_t> pngOfSize(int width, int height)
{
    auto image = Image::imageWithPixels(width, height, picturePixels(width, height));
    return *(*image)->pngData();
}

std::vector<std::uint8_t> jpegOfSize(int width, int height)
{
    auto image = Image::imageWithPixels(width, height, picturePixels(width, height));
    return *(*image)->jpegData(0.9);
}

std::u16string pngDataURL(int width, int height)
{
    return toUtf16("data:image/png;base64," + TEBase64Coding::stringByEncodingData(Data(pngOfSize(width, height))));
}

std::shared_ptr<TEImageTextAttachment> imageElement(StringMapValue::Map attributes, Size size = {},
                                                    TETextAttachmentOptions options = {})
{
    return TEImageTextAttachment::attachmentWithElement({"img", std::move(attributes), size}, options);
}

std::string writeFileInDataFolder(const std::string& relativePath, const std::vector<std::uint8_t>& bytes)
{
    std::string path = AppFolders::documentDataFolder() + "/" + relativePath;
    EXPECT_TRUE(FileManager::createDirectory(std::filesystem::path(path).parent_path().string()));
    EXPECT_TRUE(FileManager::writeAtomically(path, bytes));
    return path;
}

TEST(TEImageTextAttachmentDataURL, decodesThePictureAndTakesItsSize)
{
    auto attachment = imageElement({{"src", pngDataURL(30, 20)}});
    ASSERT_NE(attachment->image(), nullptr);
    EXPECT_EQ(attachment->image()->pixelSize(), (Size{30, 20}));
    EXPECT_EQ(attachment->displaySize(), (Size{30, 20}));
    EXPECT_EQ(attachment->originalSize(), (Size{30, 20}));
    EXPECT_FALSE(attachment->contentURL());
    EXPECT_EQ(attachment->fileType(), "pngblip");
}

TEST(TEImageTextAttachmentDataURL, pictureDrawnSmallerThanItsPixelsGetsThatScale)
{
    auto retina = imageElement({{"src", pngDataURL(200, 100)}, {"style", u"width:100px;height:50px"}}, {100, 50});
    ASSERT_NE(retina->image(), nullptr);
    EXPECT_DOUBLE_EQ(retina->image()->scale(), 2);
    EXPECT_EQ(retina->image()->size(), (Size{100, 50}));
    EXPECT_EQ(retina->image()->pixelSize(), (Size{200, 100}));

    // Scales beyond 5, sizes that are not pixels, and pictures shown larger keep scale 1.
    auto tooSmall = imageElement({{"src", pngDataURL(120, 60)}, {"style", u"width:20px;height:10px"}});
    EXPECT_DOUBLE_EQ(tooSmall->image()->scale(), 1);
    auto points = imageElement({{"src", pngDataURL(200, 100)}, {"style", u"width:100pt;height:50pt"}});
    EXPECT_DOUBLE_EQ(points->image()->scale(), 1);
    auto larger = imageElement({{"src", pngDataURL(20, 10)}, {"style", u"width:40px;height:20px"}});
    EXPECT_DOUBLE_EQ(larger->image()->scale(), 1);
}

TEST(TEImageTextAttachmentDataURL, toleratesLineBreaksAndRefusesWhatIsNoPicture)
{
    std::u16string url = pngDataURL(70, 70);
    ASSERT_NE(url.find(u"\r\n"), std::u16string::npos) << "the test needs a wrapped data URL";
    url.insert(10, u" \n\t");
    EXPECT_NE(imageElement({{"src", url}})->image(), nullptr);

    auto text = TEAttachmentSource::bytesOfDataURL(u"data:text/plain,a%20b");
    ASSERT_TRUE(text);
    EXPECT_EQ(std::string(text->begin(), text->end()), "a b");
    EXPECT_FALSE(TEAttachmentSource::bytesOfDataURL(u"data:image/png;base64,"));
    EXPECT_FALSE(TEAttachmentSource::bytesOfDataURL(u"data:image/png"));

    auto garbage = imageElement({{"src", u"data:image/png;base64,AAAAAAAA"}});
    EXPECT_EQ(garbage->image(), nullptr);
    EXPECT_EQ(garbage->dataURLRepresentation(), std::nullopt);
}

TEST(TEImageTextAttachmentDataURL, dataURLRepresentationRoundTripsThePixels)
{
    auto original = TEImageTextAttachment::attachmentWithImage(*Image::imageWithData(pngOfSize(9, 7)));
    auto url = original->dataURLRepresentation();
    ASSERT_TRUE(url);
    EXPECT_EQ(url->rfind("data:image/png;base64,", 0), 0u);
    auto copy = imageElement({{"src", toUtf16(*url)}});
    ASSERT_NE(copy->image(), nullptr);
    EXPECT_EQ(copy->image()->rgbaPixels(), original->image()->rgbaPixels());
}

TEST(TEImageTextAttachmentSource, resolvesOnlyInsideTheDocumentFolder)
{
    std::string dataFolder = AppFolders::documentDataFolder();
    std::string inside = writeFileInDataFolder("Source Doc/image-a.png", pngOfSize(4, 4));

    auto relative = TEAttachmentSource::resolvePictureFile(u"Source Doc/image-a.png", std::nullopt);
    ASSERT_TRUE(relative) << relative.error().message;
    EXPECT_EQ(*relative, inside);
    auto bare = TEAttachmentSource::resolvePictureFile(u"loose.png", std::nullopt);
    ASSERT_TRUE(bare);
    EXPECT_EQ(*bare, dataFolder + "/loose.png");
    EXPECT_TRUE(TEAttachmentSource::resolvePictureFile(toUtf16(inside), std::nullopt));
    EXPECT_TRUE(TEAttachmentSource::resolvePictureFile(toUtf16("file://" + inside), std::nullopt));

    const std::vector<std::u16string> refused = {
        u"../outside.png",
        u"Source Doc/../../outside.png",
        toUtf16(dataFolder + "/../Config/Preferences.plist"),
        u"/etc/passwd",
        u"file:///etc/passwd",
        u"http://example.com/a.png",
        u"javascript:alert(1)",
        u"",
    };
    for (const std::u16string& source : refused)
        EXPECT_FALSE(TEAttachmentSource::resolvePictureFile(source, std::nullopt)) << toUtf8(source);
}

TEST(TEImageTextAttachmentSource, symbolicLinksOutOfTheFolderAreRefused)
{
    std::string link = AppFolders::documentDataFolder() + "/Linked Doc";
    std::error_code ignored;
    std::filesystem::remove(link, ignored);
    std::filesystem::create_directory_symlink("/etc", link);
    auto resolved = TEAttachmentSource::resolvePictureFile(u"Linked Doc/passwd", std::nullopt);
    EXPECT_FALSE(resolved);
    EXPECT_EQ(resolved.error().code, TEAttachmentSource::OutsideFolder);
    std::filesystem::remove(link, ignored);
}

TEST(TEImageTextAttachmentSource, aPictureFolderConfinesToThatDocument)
{
    std::string mine = writeFileInDataFolder("Mine/image-m.png", pngOfSize(4, 4));
    std::string theirs = writeFileInDataFolder("Theirs/image-t.png", pngOfSize(4, 4));
    std::optional<std::string> folder = AppFolders::pictureFolderForDocument("Mine.rtf");
    EXPECT_TRUE(TEAttachmentSource::resolvePictureFile(toUtf16(mine), folder));
    EXPECT_FALSE(TEAttachmentSource::resolvePictureFile(toUtf16(theirs), folder));
    EXPECT_FALSE(TEAttachmentSource::resolvePictureFile(u"Theirs/image-t.png", folder));
}

TEST(TEImageTextAttachmentSource, fileSourcesLoadOnlyPictures)
{
    writeFileInDataFolder("Files Doc/photo.jpg", jpegOfSize(16, 8));
    writeFileInDataFolder("Files Doc/notes.png", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});

    auto photo = imageElement({{"src", u"Files Doc/photo.jpg"}});
    ASSERT_TRUE(photo->contentURL());
    EXPECT_TRUE(photo->contentURL()->isFileURL());
    EXPECT_EQ(photo->fileType(), "jpegblip");
    ASSERT_NE(photo->image(), nullptr);
    EXPECT_EQ(photo->image()->pixelSize(), (Size{16, 8}));

    auto notes = imageElement({{"src", u"Files Doc/notes.png"}});
    EXPECT_EQ(notes->fileType(), "pngblip");
    EXPECT_EQ(notes->image(), nullptr);

    auto refused = imageElement({{"src", u"/etc/hostname"}});
    EXPECT_FALSE(refused->contentURL());
    EXPECT_EQ(refused->image(), nullptr);
}

TEST(TEImageTextAttachmentElement, sizesFollowTheInfoAttributes)
{
    // Without info: the element's size, which is also the original size.
    auto plain = imageElement({{"src", pngDataURL(40, 20)}}, {80, 40});
    EXPECT_EQ(plain->displaySize(), (Size{80, 40}));
    EXPECT_EQ(plain->originalSize(), (Size{80, 40}));

    // With info only: the element's size in twentieths of a point.
    auto rtf = imageElement({{"info", u"x"}}, {30, 10});
    EXPECT_EQ(rtf->displaySize(), (Size{600, 200}));
    EXPECT_EQ(rtf->originalSize(), (Size{600, 200}));
    EXPECT_EQ(rtf->fileInfo(), u"x");

    StringMapValue::Map written = {{"info", u"x"},
                                   {"originalwidth", u"1000.000000"},
                                   {"originalheight", u"500.000000"},
                                   {"originaldisplaywidth", u"4000.000000"},
                                   {"originaldisplayheight", u"2000.000000"},
                                   {"style", u"width:200px;height:100px;float:right;"}};
    auto unchanged = imageElement(written, {200, 100});
    EXPECT_EQ(unchanged->displaySize(), (Size{4000, 2000}));
    EXPECT_EQ(unchanged->originalSize(), (Size{1000, 500}));
    EXPECT_EQ(unchanged->originalDisplaySize(), (Size{4000, 2000}));
    EXPECT_EQ(unchanged->wrapAlignment(), TEWrapAlignment::Right);

    written["style"] = u"width:150px;height:75px;";
    auto resized = imageElement(written, {150, 75});
    EXPECT_EQ(resized->displaySize(), (Size{3000, 1500}));

    // A picture wider than the page was written at 590 pixels; unchanged, it keeps its size.
    written["originaldisplaywidth"] = u"24000.000000";
    written["originaldisplayheight"] = u"12000.000000";
    written["style"] = u"width:590px;height:295px;float:left;";
    auto wide = imageElement(written, {590, 295});
    EXPECT_EQ(wide->displaySize(), (Size{24000, 12000}));
    EXPECT_EQ(wide->wrapAlignment(), TEWrapAlignment::Left);
    written["style"] = u"width:300px;height:150px;";
    EXPECT_EQ(imageElement(written, {300, 150})->displaySize(), (Size{6000, 3000}));
}

TEST(TEImageTextAttachmentHTML, wideDisplaySizeIsNarrowedToThePageAndKept)
{
    auto attachment = TEImageTextAttachment::attachmentWithImage(*Image::imageWithData(pngOfSize(12, 6)));
    attachment->setDisplaySize({1200, 600});
    attachment->setVerticalAlignment(TEVerticalAlignment::Top);
    attachment->setWrapAlignment(TEWrapAlignment::Left);
    std::u16string html = attachment->stringByEncodingAsHTMLWithFileName("Wide.rtf", false);
    EXPECT_NE(html.find(u" style=\"vertical-align:text-top;width:590px;height:295px;float:left;\""),
              std::u16string::npos)
        << toUtf8(html);
    EXPECT_EQ(attachment->displaySize(), (Size{590, 295}));
    EXPECT_EQ(html.rfind(u" />"), html.size() - 3);
}

TEST(TEImageTextAttachmentHTML, attributeValuesAreEscapedAndHandlersDropped)
{
    auto attachment = imageElement({{"src", pngDataURL(4, 2)},
                                    {"info", u"it's <b>\"x\" & y"},
                                    {"alt", u"'><script>alert(1)</script>"},
                                    {"onerror", u"alert(2)"},
                                    {"width", u"4"}},
                                   {4, 2});
    std::u16string html = attachment->stringByEncodingAsHTMLWithFileName("Escaped.rtf", false);
    EXPECT_NE(html.find(u" info='it&apos;s &lt;b&gt;&quot;x&quot; &amp; y'"), std::u16string::npos) << toUtf8(html);
    EXPECT_NE(html.find(u" alt=\"&apos;&gt;&lt;script&gt;alert(1)&lt;/script&gt;\""), std::u16string::npos);
    EXPECT_EQ(html.find(u"<script"), std::u16string::npos);
    EXPECT_EQ(html.find(u"onerror"), std::u16string::npos);
    // info is written once, from the attachment, not again from the element's attributes.
    EXPECT_EQ(html.find(u"info="), html.rfind(u"info="));
    EXPECT_NE(html.find(u" src=\"data:image/png;base64,"), std::u16string::npos);
}

class TEImageTextAttachmentFiles : public testing::Test {
protected:
    static std::shared_ptr<TEImageTextAttachment> pictureWithContents(std::vector<std::uint8_t> bytes,
                                                                      const char* fileType)
    {
        auto attachment = std::make_shared<TEImageTextAttachment>();
        attachment->setContents(Data(std::move(bytes)));
        attachment->setFileType(fileType);
        return attachment;
    }
    static std::vector<std::string> filesIn(const std::string& folder)
    {
        auto names = FileManager::contentsOfDirectory(folder);
        return names ? *names : std::vector<std::string>();
    }
    const std::regex m_jpegName{"image-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.jpg"};
};

TEST_F(TEImageTextAttachmentFiles, jpegForTheEditorKeepsItsOriginalBytesBeside)
{
    std::vector<std::uint8_t> jpeg = jpegOfSize(24, 12);
    auto attachment = pictureWithContents(jpeg, "jpegblip");
    auto path = attachment->dataURLRepresentation("Holiday Notes.rtf");
    ASSERT_TRUE(path);
    std::string folder = AppFolders::documentDataFolder() + "/Holiday Notes";
    EXPECT_EQ(std::filesystem::path(*path).parent_path().string(), folder);
    std::string name = std::filesystem::path(*path).filename().string();
    EXPECT_TRUE(std::regex_match(name, m_jpegName)) << name;
    EXPECT_EQ(filesIn(folder), (std::vector<std::string>{name, name + ".data"}));
    EXPECT_EQ(Data::dataWithContentsOfFile(*path + ".data")->vector(), jpeg);
    auto written = Image::imageWithContentsOfFile(*path);
    ASSERT_TRUE(written);
    EXPECT_EQ((*written)->pixelSize(), (Size{24, 12}));
}

TEST_F(TEImageTextAttachmentFiles, exportsWriteOnlyTheJpegIntoTheTemporaryFolder)
{
    auto attachment = pictureWithContents(jpegOfSize(8, 8), "jpegblip");
    std::u16string html = attachment->stringByEncodingAsHTMLWithFileName("Export Me.rtf", true);
    std::string folder = AppFolders::temporaryFolder() + "/Export Me";
    std::vector<std::string> files = filesIn(folder);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(std::regex_match(files[0], m_jpegName)) << files[0];
    EXPECT_NE(html.find(toUtf16(" src=\"data/" + files[0] + "\"")), std::u16string::npos) << toUtf8(html);
    EXPECT_TRUE(attachment->useTmpDir());
}

TEST_F(TEImageTextAttachmentFiles, pngContentsAreWrittenAsTheyCameWithoutCompanion)
{
    // With a text chunk of its own, which an encoder would not write again.
    std::vector<std::uint8_t> png = pngOfSize(5, 5);
    std::vector<std::uint8_t> chunk{0, 0, 0, 9, 't', 'E', 'X', 't', 'T', 'i', 't', 'l', 'e', 0, 'S', 'u', 'n'};
    const std::uint32_t crc = std::uint32_t(crc32(0, chunk.data() + 4, uInt(chunk.size() - 4)));
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(std::uint8_t(crc >> shift));
    png.insert(png.end() - 12, chunk.begin(), chunk.end());
    auto attachment = pictureWithContents(png, "pngblip");
    std::u16string html = attachment->stringByEncodingAsHTMLWithFileName("Shapes.qvtext", false);
    std::string folder = AppFolders::documentDataFolder() + "/Shapes";
    std::vector<std::string> files = filesIn(folder);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(std::filesystem::path(files[0]).extension(), ".png");
    // Not decoded and encoded again: the document saves the very bytes it read.
    EXPECT_EQ(Data::dataWithContentsOfFile(folder + "/" + files[0])->vector(), png);
    EXPECT_NE(html.find(toUtf16(" src=\"" + folder + "/" + files[0] + "\"")), std::u16string::npos);

    // The written element reads back as the same picture file.
    auto reread = imageElement({{"src", toUtf16(folder + "/" + files[0])}});
    ASSERT_NE(reread->image(), nullptr);
    EXPECT_EQ(reread->image()->pixelSize(), (Size{5, 5}));
}

TEST_F(TEImageTextAttachmentFiles, contentsThatAreNoPictureWriteNothing)
{
    auto attachment = pictureWithContents({1, 2, 3, 4}, "jpegblip");
    EXPECT_EQ(attachment->dataURLRepresentation("Broken.rtf"), std::nullopt);
    std::u16string html = attachment->stringByEncodingAsHTMLWithFileName("Broken.rtf", false);
    EXPECT_EQ(html.find(u"src="), std::u16string::npos) << toUtf8(html);
    EXPECT_TRUE(filesIn(AppFolders::documentDataFolder() + "/Broken").empty());
}

TEST_F(TEImageTextAttachmentFiles, documentNamesAreCleanedIntoOneFolder)
{
    auto attachment = pictureWithContents(pngOfSize(3, 3), "pngblip");
    auto path = attachment->dataURLRepresentation("  ../Plan: <v2>!.rtf");
    ASSERT_TRUE(path);
    EXPECT_EQ(std::filesystem::path(*path).parent_path().string(), AppFolders::documentDataFolder() + "/Plan v2");
}

// A folder sink makes its folder on the first picture, never writes over a
// picture already there, answers the name after its prefix and keeps a
// JPEG's original bytes only when asked; a write that fails answers nothing
// and leaves no half of the pair.
TEST_F(TEImageTextAttachmentFiles, aFolderSinkAddsPicturesBesideWhatIsThere)
{
    std::string folder = AppFolders::temporaryFolder() + "/sink-test/notes_files";
    std::filesystem::remove_all(folder);
    std::vector<std::uint8_t> jpeg = jpegOfSize(6, 4);
    auto attachment = pictureWithContents(jpeg, "jpegblip");

    PictureFolderSink beside(folder, "notes_files/", PictureFolderSink::Originals::Drop);
    EXPECT_FALSE(beside.hasStoredPictures());
    auto first = attachment->storeContents(beside);
    auto second = attachment->storeContents(beside);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(first->rfind("notes_files/", 0), 0u) << *first;
    std::vector<std::string> files = filesIn(folder);
    std::sort(files.begin(), files.end());
    std::vector<std::string> expected = {first->substr(12), second->substr(12)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected);
    EXPECT_TRUE(beside.hasStoredPictures());
    for (const std::string& name : files)
        EXPECT_TRUE(std::regex_match(name, m_jpegName)) << name;

    PictureFolderSink keeping(folder, folder + "/", PictureFolderSink::Originals::Keep);
    auto kept = attachment->storeContents(keeping);
    ASSERT_TRUE(kept);
    EXPECT_EQ(Data::dataWithContentsOfFile(*kept + ".data")->vector(), jpeg);
    EXPECT_EQ(filesIn(folder).size(), 4u);

    // A folder that cannot be made (a file holds its name) takes nothing.
    std::string blocked = AppFolders::temporaryFolder() + "/sink-test/blocked";
    writeFolderBlocker(blocked);
    PictureFolderSink refused(blocked + "/pictures", "pictures/", PictureFolderSink::Originals::Keep);
    EXPECT_EQ(attachment->storeContents(refused), std::nullopt);
    EXPECT_FALSE(refused.hasStoredPictures());
    std::filesystem::remove_all(AppFolders::temporaryFolder() + "/sink-test");
}

TEST_F(TEImageTextAttachmentFiles, anInlineSinkAnswersThePicturesOwnData)
{
    std::vector<std::uint8_t> png = pngOfSize(4, 3);
    InlinePictureSink sink;
    auto source = pictureWithContents(png, "pngblip")->storeContents(sink);
    ASSERT_TRUE(source);
    ASSERT_EQ(source->rfind("data:image/png;base64,", 0), 0u);
    auto copy = imageElement({{"src", toUtf16(*source)}});
    ASSERT_NE(copy->image(), nullptr);
    EXPECT_EQ(copy->image()->pixelSize(), (Size{4, 3}));
    std::vector<std::uint8_t> jpeg = jpegOfSize(4, 3);
    auto shown = pictureWithContents(jpeg, "jpegblip")->storeContents(sink);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->rfind("data:image/jpeg;base64,", 0), 0u);
    EXPECT_EQ(sink.storePicture(HTMLPicture{"tiff", png, {}}), std::nullopt);
}

TEST_F(TEImageTextAttachmentFiles, picturesForADrawnPageComeAtTheDecodedSize)
{
    // Just over the decoded size: half along each side, in its own format.
    const int width = 4200, height = 4100;
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4, 0);
    for (std::size_t at = 0; at < pixels.size(); at += 4) {
        pixels[at] = 180;
        pixels[at + 3] = 255;
    }
    std::vector<std::uint8_t> huge = *ImageCodec::encodePng(width, height, pixels);
    std::vector<std::uint8_t> small = pngOfSize(4, 3);
    auto decodedSource = [](const std::optional<std::string>& source) {
        EXPECT_TRUE(source);
        std::string_view data = source ? std::string_view(*source) : std::string_view();
        EXPECT_EQ(data.rfind("data:image/png;base64,", 0), 0u);
        return base64Decode(data.substr(std::min(data.size(), data.find(',') + 1)));
    };

    InlinePictureSink drawn(InlinePictureSink::Use::Draw);
    std::vector<std::uint8_t> shown = decodedSource(pictureWithContents(huge, "pngblip")->storeContents(drawn));
    auto picture = Image::imageWithData(shown);
    ASSERT_TRUE(picture) << picture.error().message;
    EXPECT_EQ((*picture)->pixelSize(), (Size{2100, 2050}));
    EXPECT_EQ((*picture)->pixelAt(1000, 1000), (Rgba8{180, 0, 0, 255}));
    // A picture within the size goes as it came.
    EXPECT_EQ(decodedSource(pictureWithContents(small, "pngblip")->storeContents(drawn)), small);

    // HTML that is kept holds the picture whole.
    InlinePictureSink kept;
    EXPECT_EQ(decodedSource(pictureWithContents(huge, "pngblip")->storeContents(kept)), huge);
}

} // namespace
} // namespace folio

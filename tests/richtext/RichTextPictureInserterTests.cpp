#include "richtext/RichTextPictureInserter.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/URL.h"
#include "platform/ui/AlertController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace folio {
namespace {

Image::Pointer solidImage(int width, int height)
{
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height; ++i)
        pixels.insert(pixels.end(), {200, 40, 40, 255});
    return *Image::imageWithPixels(width, height, std::move(pixels));
}

// A JPEG whose EXIF says the camera was turned: the bitmap is stored on its side.
std::vector<std::uint8_t> sidewaysJpeg(int storedWidth, int storedHeight)
{
    std::vector<std::uint8_t> jpeg = *solidImage(storedWidth, storedHeight)->jpegData(0.9);
    std::vector<std::uint8_t> segment{'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01,
                                      3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
    std::size_t length = segment.size() + 2;
    std::vector<std::uint8_t> header{0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length & 0xFF)};
    header.insert(header.end(), segment.begin(), segment.end());
    jpeg.insert(jpeg.begin() + 2, header.begin(), header.end());
    return jpeg;
}

class PictureInserterTest : public testing::Test {
protected:
    void SetUp() override
    {
        documentName = "Why? notes " + std::string(testing::UnitTest::GetInstance()->current_test_info()->name());
        folder = AppFolders::pictureFolderForDocument(documentName);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(scratch());
    }
    void TearDown() override
    {
        std::filesystem::remove_all(folder);
        std::filesystem::remove_all(scratch());
    }

    std::string scratch() const { return AppFolders::temporaryFolder() + "/picture-inserter-tests"; }

    std::string writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        std::string path = scratch() + "/" + name;
        EXPECT_TRUE(FileManager::writeAtomically(path, bytes));
        return path;
    }

    RichTextPictureInserter makeInserter()
    {
        RichTextPictureInserter::Host host;
        host.sendScript = [this](const std::string& script) { scripts.push_back(script); };
        host.readNumber = [this](const std::string& script) -> std::optional<double> {
            return script.find(".width") != std::string::npos ? 120.0 : 80.0;
        };
        host.documentName = [this] { return documentName; };
        host.currentStyleFontName = [this] { return fontName; };
        host.isBold = [] { return true; };
        host.isEditingPicture = [this] { return editing; };
        host.removeImageEditing = [this] { ++editingEnded; };
        host.documentIsDirty = [this] { ++dirtied; };
        host.presentAlert = [this](std::shared_ptr<AlertController> alert) { alerts.push_back(alert); };
        host.viewWidth = [] { return 1000.0; };
        return RichTextPictureInserter(host);
    }

    std::vector<std::string> storedPictures() const
    {
        std::vector<std::string> names;
        if (std::filesystem::exists(folder))
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                names.push_back(entry.path().string());
        return names;
    }

    std::string documentName;
    std::string folder;
    std::string fontName = "\"Georgia\"";
    bool editing = false;
    int editingEnded = 0;
    int dirtied = 0;
    std::vector<std::string> scripts;
    std::vector<std::shared_ptr<AlertController>> alerts;
};

TEST(PictureInserterSizeTest, largePicturesShowAtHalfTheirSize)
{
    EXPECT_EQ(RichTextPictureInserter::displaySize({300, 250}), (Size{150, 125}));
    EXPECT_EQ(RichTextPictureInserter::displaySize({300, 150}), (Size{300, 150}));
    EXPECT_EQ(RichTextPictureInserter::displaySize({201, 201}), (Size{100.5, 100.5}));
}

TEST_F(PictureInserterTest, aPNGIsStoredAndInsertedAtTheCaretWhateverItsName)
{
    // A PNG named as a JPEG: the bytes decide.
    std::string path = writeFile("holiday.jpg", *solidImage(300, 250)->pngData());
    ASSERT_TRUE(makeInserter().insertPictureFile(path));
    std::vector<std::string> stored = storedPictures();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(std::filesystem::path(stored[0]).filename().string().find(' '), std::string::npos);
    auto reread = Image::imageWithContentsOfFile(stored[0]);
    ASSERT_TRUE(reread);
    EXPECT_EQ((*reread)->pixelSize(), (Size{300, 250}));

    ASSERT_EQ(scripts.size(), 3u);
    EXPECT_EQ(scripts[0], "restoreCaretSelection ();");
    // The picture inserted before loses the selected id.
    EXPECT_NE(scripts[1].find("id='marquent_444'"), std::string::npos);
    const std::string& insert = scripts[2];
    EXPECT_NE(insert.find("document.execCommand('insertHTML', false, "), std::string::npos);
    EXPECT_NE(insert.find("id=\\\"marquent_555\\\""), std::string::npos) << insert;
    EXPECT_NE(insert.find("width=\\\"150.000000px\\\" height=\\\"125.000000px\\\""), std::string::npos) << insert;
    EXPECT_NE(insert.find("font-family:Georgia;"), std::string::npos) << insert;
    EXPECT_NE(insert.find("font-weight:bold; "), std::string::npos);
    EXPECT_NE(insert.find("centerImage();"), std::string::npos);
    EXPECT_EQ(dirtied, 1);
}

TEST_F(PictureInserterTest, theSourceIsAnEncodedFileURLThatReadsBackAsTheFolder)
{
    std::string path = writeFile("p.png", *solidImage(10, 10)->pngData());
    ASSERT_TRUE(makeInserter().insertPictureFile(path));
    std::string stored = storedPictures().at(0);
    std::string source = RichTextPictureInserter::pictureSource(stored);
    EXPECT_EQ(source.rfind("file:///", 0), 0u);
    EXPECT_EQ(source.find('?'), std::string::npos);
    EXPECT_NE(source.find("Why%3F"), std::string::npos) << source;
    ASSERT_TRUE(URL::URLWithString(source));
    EXPECT_EQ(URL::URLWithString(source)->path(), stored);
}

TEST_F(PictureInserterTest, aTurnedJPEGIsStoredUpright)
{
    std::string path = writeFile("camera.png", sidewaysJpeg(60, 30));
    ASSERT_TRUE(makeInserter().insertPictureFile(path));
    auto reread = Image::imageWithContentsOfFile(storedPictures().at(0));
    ASSERT_TRUE(reread);
    EXPECT_EQ((*reread)->orientation(), ImageOrientation::Up);
    EXPECT_EQ((*reread)->pixelSize(), (Size{30, 60}));
    EXPECT_NE(scripts.back().find("width=\\\"30.000000px\\\" height=\\\"60.000000px\\\""), std::string::npos);
}

TEST_F(PictureInserterTest, aFileThatIsNotAPictureIsRefusedWithAnAlertAndWritesNothing)
{
    std::string text = "not a picture at all";
    std::string path = writeFile("fake.png", std::vector<std::uint8_t>(text.begin(), text.end()));
    Status inserted = makeInserter().insertPictureFile(path);
    EXPECT_FALSE(inserted);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), u"The file is not a picture");
    EXPECT_TRUE(storedPictures().empty());
    EXPECT_TRUE(scripts.empty());
    EXPECT_EQ(dirtied, 0);

    EXPECT_FALSE(makeInserter().insertPictureFile(scratch() + "/missing.png"));
    EXPECT_EQ(alerts.size(), 2u);
}

TEST_F(PictureInserterTest, aStyleWithoutAFontStillGetsItsPicture)
{
    fontName = "";
    ASSERT_TRUE(makeInserter().insertImage(solidImage(20, 20), true));
    EXPECT_NE(scripts.back().find("font-family:Helvetica;"), std::string::npos) << scripts.back();
    EXPECT_EQ(storedPictures().size(), 1u);
}

TEST_F(PictureInserterTest, aReplacementKeepsTheSizeThePageShows)
{
    editing = true;
    ASSERT_TRUE(makeInserter().insertImage(solidImage(500, 400), false));
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(scripts[0].rfind("replaceImage(", 0), 0u);
    EXPECT_NE(scripts[0].find(", 120, 80);"), std::string::npos) << scripts[0];
    EXPECT_EQ(editingEnded, 1);

    scripts.clear();
    ASSERT_TRUE(makeInserter().insertImage(solidImage(500, 400), true));
    EXPECT_NE(scripts[0].find(", 250, 200);"), std::string::npos) << scripts[0];
}

TEST_F(PictureInserterTest, aNameClashTakesTheNextNumberedName)
{
    std::filesystem::create_directories(folder);
    int calls = 0;
    auto uuid = [&calls] { return "U" + std::to_string(++calls); };
    ASSERT_TRUE(FileManager::writeAtomically(folder + "/image-U1.png", std::string_view("x")));
    ASSERT_TRUE(FileManager::writeAtomically(folder + "/image-U1-1-U2.png", std::string_view("x")));
    EXPECT_EQ(RichTextPictureInserter::freeFileName(folder, uuid), "image-U1-2-U3.png");
    calls = 10;
    EXPECT_EQ(RichTextPictureInserter::freeFileName(folder, uuid), "image-U11.png");
}

} // namespace
} // namespace folio

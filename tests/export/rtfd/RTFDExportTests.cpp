#include "support/DocumentTestSupport.h"
#include "export/epub/EPubTestSupport.h"
#include "export/pdf/HTMLToPDFTestSupport.h"
#include "support/ExportTestSupport.h"

#include "formats/rtf/DKRTFReader.h"
#include "export/rtfd/RTFDExporter.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/AppFolders.h"
#include "foundation/markup/TEBase64Coding.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace folio {
namespace {

using namespace testing_support;

class RTFDExportTest : public testing::Test {
protected:
    std::string document(const std::string& name, std::string_view contents)
    {
        std::string path = m_scratch.path(name);
        writeFile(path, contents);
        return path;
    }

    // The browser's export: the package in the temporary folder.
    Result<std::string> package(const std::string& path)
    {
        return exportFile(m_exporter, path, RTFDExporter::temporaryPath(ExportSource(path)), &m_defaults);
    }

    RTFDExporter m_exporter;
    ScratchFolder m_scratch{"rtfd-export"};
    UserDefaults m_defaults{m_scratch.path("prefs.plist")};
};

TEST_F(RTFDExportTest, ArchiveHoldsThePackageWithTextAndPictures)
{
    std::string path = document("Essay.rtf", rtfWithPicture("Before"));
    // A picture left from an earlier session is not the document's.
    std::string pictures = AppFolders::pictureFolderForDocument(AppFolders::pictureDocumentName(path));
    writeFile(pictures + "/stale.png", "old");

    Result<std::string> archivePath = package(path);
    ASSERT_TRUE(archivePath.ok()) << archivePath.error().message;
    EXPECT_EQ(std::filesystem::path(*archivePath).filename(), "Essay.rtf.rtfd.zip");
    EXPECT_FALSE(FileManager::fileExists(AppFolders::temporaryFolder() + "/Essay.rtf.rtfd"));

    Result<DKZipArchive> archive = DKZipArchive::open(*archivePath);
    ASSERT_TRUE(archive.ok());
    std::vector<std::string> names = archive->entryNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "Essay.rtf.rtfd/TXT.rtf"), names.end());
    std::vector<std::string> images;
    for (const std::string& name : names) {
        EXPECT_TRUE(name.starts_with("Essay.rtf.rtfd/")) << name;
        if (name.ends_with(".png"))
            images.push_back(name.substr(std::string("Essay.rtf.rtfd/").size()));
    }
    ASSERT_EQ(images.size(), 1u);
    EXPECT_NE(images.front(), "stale.png");
    Result<Data> picture = archive->readEntry("Essay.rtf.rtfd/" + images.front());
    ASSERT_TRUE(picture.ok());
    EXPECT_TRUE(Image::imageWithData(picture->vector()).ok());

    // The text names its picture and reads back as the document's text.
    std::string rtf = entryText(*archive, "Essay.rtf.rtfd/TXT.rtf");
    // Any unzipping program reads it.
    EXPECT_EQ(commandOutput("unzip -p '" + *archivePath + "' Essay.rtf.rtfd/TXT.rtf 2>&1"), rtf);
    EXPECT_NE(rtf.find("\\NeXTGraphic " + images.front()), std::string::npos) << rtf;
    Result<AttributedString> text = DKRTFReader::parseRTFString(toUtf16(rtf));
    ASSERT_TRUE(text.ok());
    std::u16string plain = text->string();
    EXPECT_NE(plain.find(u"Before"), std::u16string::npos);
    EXPECT_NE(plain.find(u"after"), std::u16string::npos);
}

// The package's text is the file's document: its paper, margins and footer
// as the file gave them, and its blanks as blanks.
TEST_F(RTFDExportTest, PackageTextKeepsTheFilesPageFooterAndBlanks)
{
    Result<Data> file = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf-roundtrip/word-letter-footer.rtf");
    ASSERT_TRUE(file.ok());
    std::string word = file->toString();
    word.replace(word.find("A closing line"), 14, "A  closing   line");
    std::string path = document("Letter.rtf", word);
    Result<std::string> archivePath = package(path);
    ASSERT_TRUE(archivePath.ok()) << archivePath.error().message;
    Result<DKZipArchive> archive = DKZipArchive::open(*archivePath);
    ASSERT_TRUE(archive.ok());

    Result<DKRTFReadResult> original = DKRTFReader::read(toUtf16(word));
    Result<DKRTFReadResult> packaged = DKRTFReader::read(toUtf16(entryText(*archive, "Letter.rtf.rtfd/TXT.rtf")));
    ASSERT_TRUE(original.ok() && packaged.ok());
    ASSERT_TRUE(packaged->pageSettings.paperSize().has_value());
    EXPECT_EQ(packaged->pageSettings.paperSize()->width, 612);
    EXPECT_EQ(packaged->pageSettings.paperSize()->height, 792);
    for (std::string_view side : {DKRTFPageSettings::kPageMarginLeftKey, DKRTFPageSettings::kPageMarginRightKey,
                                  DKRTFPageSettings::kPageMarginTopKey, DKRTFPageSettings::kPageMarginBottomKey})
        EXPECT_NEAR(packaged->pageSettings.number(side).value_or(0), *original->pageSettings.number(side), 0.01) << side;
    EXPECT_EQ(packaged->pageSettings.text(DKRTFPageSettings::kFooterControlKey),
              original->pageSettings.text(DKRTFPageSettings::kFooterControlKey));
    EXPECT_NE(packaged->text.string().find(u"A  closing   line"), std::u16string::npos);
    EXPECT_EQ(packaged->text.string().find(u'\u00A0'), std::u16string::npos);
    // The style sheet and the heading's style go into the package too, and
    // the default languages of complex-script and East Asian text.
    EXPECT_EQ(packaged->pageSettings.text(DKRTFPageSettings::kStyleSheetKey),
              original->pageSettings.text(DKRTFPageSettings::kStyleSheetKey));
    ASSERT_TRUE(original->pageSettings.text(DKRTFPageSettings::kScriptDefaultsKey).has_value());
    EXPECT_EQ(packaged->pageSettings.text(DKRTFPageSettings::kScriptDefaultsKey),
              original->pageSettings.text(DKRTFPageSettings::kScriptDefaultsKey));
    const std::size_t heading = packaged->text.string().find(u"Results");
    ASSERT_NE(heading, std::u16string::npos);
    const auto* style = packaged->text.attributesAtIndex(heading)->valueForKeyAs<StringValue>(TEParagraphStyleNameAttribute);
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->value(), u"heading 1");
}

TEST_F(RTFDExportTest, QVDocumentGoesThroughTheHTMLReader)
{
    // A QV document keeps its pictures in its folder; exporting must not
    // delete them, and packs only those its text shows: not a picture left
    // there by something else, and never what a link planted there names.
    std::string pictures = AppFolders::pictureFolderForDocument(AppFolders::pictureDocumentName(m_scratch.path("Note.qvtext")));
    writeFile(pictures + "/kept.png", "png");
    writeFile(pictures + "/stranger.png", "not this document's");
    std::filesystem::create_symlink("/etc/passwd", pictures + "/planted.png");
    std::string html = "<p>First <b>bold</b></p><p>Second <img src=\"" + pictures + "/kept.png\"> "
                       "<img src=\"" + pictures + "/planted.png\"></p>";
    Result<Data> packed = Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
    ASSERT_TRUE(packed.ok());
    std::string path = document("Note.qvtext", std::string_view(reinterpret_cast<const char*>(packed->bytes()), packed->length()));

    Result<std::string> archivePath = package(path);
    ASSERT_TRUE(archivePath.ok()) << archivePath.error().message;
    EXPECT_EQ(std::filesystem::path(*archivePath).filename(), "Note.qvtext.rtfd.zip");
    Result<DKZipArchive> archive = DKZipArchive::open(*archivePath);
    ASSERT_TRUE(archive.ok());
    std::string rtf = entryText(*archive, "Note.qvtext.rtfd/TXT.rtf");
    Result<AttributedString> text = DKRTFReader::parseRTFString(toUtf16(rtf));
    ASSERT_TRUE(text.ok()) << rtf;
    EXPECT_NE(text->string().find(u"First bold"), std::u16string::npos);
    EXPECT_NE(text->string().find(u"Second"), std::u16string::npos);
    EXPECT_TRUE(FileManager::fileExists(pictures + "/kept.png"));
    std::vector<std::string> packedPictures;
    for (const std::string& name : archive->entryNames()) {
        if (name.ends_with(".png"))
            packedPictures.push_back(name);
    }
    ASSERT_EQ(packedPictures.size(), 1u);
    EXPECT_EQ(entryText(*archive, packedPictures.front()), "png");
    EXPECT_NE(rtf.find("\\NeXTGraphic " + std::filesystem::path(packedPictures.front()).filename().string()),
              std::string::npos);
}

// The QV editors put pictures into the page itself, as data URLs: each goes
// into the package as a file of its own, which the text names where it stood.
TEST_F(RTFDExportTest, QVPicturesInsideThePageBecomeThePackagesFiles)
{
    auto dataURL = [](int width, int height, bool jpeg) {
        std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4, 0xC0);
        Result<Image::Pointer> image = Image::imageWithPixels(width, height, std::move(pixels));
        Result<std::vector<std::uint8_t>> bytes = jpeg ? (*image)->jpegData(0.5) : (*image)->pngData();
        return std::string(jpeg ? "data:image/jpeg;base64," : "data:image/png;base64,") + base64Encode(*bytes, false);
    };
    std::string html = "<p>Before</p><p style=\"text-align:center;\"><img id=\"imageSelected_444\" contenteditable=\"false\" src=\"" +
                       dataURL(30, 20, true) + "\" style=\"width:30px;height:20px\"></p><p>Between <img src=\"" +
                       dataURL(7, 9, false) + "\"> after</p>";
    Result<Data> packed = Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
    ASSERT_TRUE(packed.ok());
    std::string path = document("Pictures.qvtext", std::string_view(reinterpret_cast<const char*>(packed->bytes()), packed->length()));

    Result<std::string> archivePath = package(path);
    ASSERT_TRUE(archivePath.ok()) << archivePath.error().message;
    Result<DKZipArchive> archive = DKZipArchive::open(*archivePath);
    ASSERT_TRUE(archive.ok());
    const std::string folder = "Pictures.qvtext.rtfd/";
    std::string rtf = entryText(*archive, folder + "TXT.rtf");
    // Each picture file by the place its name has in the text.
    std::map<std::size_t, std::pair<int, int>> placed;
    for (const std::string& name : archive->entryNames()) {
        if (name == folder || name == folder + "TXT.rtf")
            continue;
        Result<Data> bytes = archive->readEntry(name);
        ASSERT_TRUE(bytes.ok()) << name;
        Result<Image::Pointer> picture = Image::imageWithData(bytes->vector());
        ASSERT_TRUE(picture.ok()) << name;
        std::size_t named = rtf.find("\\NeXTGraphic " + name.substr(folder.size()) + " ");
        ASSERT_NE(named, std::string::npos) << name << "\n" << rtf;
        placed[named] = {(*picture)->pixelWidth(), (*picture)->pixelHeight()};
    }
    ASSERT_EQ(placed.size(), 2u) << rtf;
    EXPECT_EQ(placed.begin()->second, std::make_pair(30, 20));
    EXPECT_EQ(placed.rbegin()->second, std::make_pair(7, 9));
    EXPECT_LT(rtf.find("Before"), placed.begin()->first);
    EXPECT_LT(placed.begin()->first, rtf.find("Between"));
    EXPECT_LT(rtf.find("Between"), placed.rbegin()->first);
    EXPECT_LT(placed.rbegin()->first, rtf.find("after"));
}

TEST_F(RTFDExportTest, UnreadableDocumentsAnswerErrors)
{
    Result<std::string> missing = package(m_scratch.path("Gone.rtf"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, RTFDExporter::NoFile);

    Result<std::string> damaged = package(document("Damaged.qvtext", "not deflated"));
    ASSERT_FALSE(damaged.ok());
    EXPECT_EQ(damaged.error().code, RTFDExporter::NoText);
    EXPECT_FALSE(FileManager::fileExists(AppFolders::temporaryFolder() + "/Damaged.qvtext.rtfd.zip"));
}

TEST_F(RTFDExportTest, CommandLineExportReplacesTheOutput)
{
    std::string path = document("Essay.rtf", "{\\rtf1\\ansi Words\\par}");
    std::string output = m_scratch.path("Essay.zip");
    writeFile(output, "old");
    Result<std::string> status = exportFile(m_exporter, path, output, &m_defaults);
    ASSERT_TRUE(status.ok()) << status.error().message;
    Result<DKZipArchive> archive = DKZipArchive::open(output);
    ASSERT_TRUE(archive.ok());
    EXPECT_NE(entryText(*archive, "Essay.rtf.rtfd/TXT.rtf").find("Words"), std::string::npos);

    EXPECT_FALSE(exportFile(m_exporter, m_scratch.path("Gone.rtf"), output, &m_defaults).ok());
    EXPECT_TRUE(DKZipArchive::open(output).ok());
}

} // namespace
} // namespace folio

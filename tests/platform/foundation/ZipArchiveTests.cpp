#include "platform/foundation/ZipArchive.h"

#include "platform/foundation/FileManager.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>
#include <zip.h>

namespace folio {
namespace {

using Compression = DKZipArchive::Compression;
using FileWrapper = DKZipArchive::FileWrapper;

// Reads what libzip itself sees, independent of DKZipArchive's reader.
struct RawEntry {
    std::string name;
    std::uint16_t method;
    std::string contents;
};

std::vector<RawEntry> rawEntries(const std::string& path)
{
    std::vector<RawEntry> entries;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, i, 0, &stat);
        std::string contents(stat.size, '\0');
        if (zip_file_t* file = zip_fopen_index(archive, i, 0)) {
            zip_fread(file, contents.data(), stat.size);
            zip_fclose(file);
        }
        entries.push_back({stat.name, stat.comp_method, contents});
    }
    zip_discard(archive);
    return entries;
}

std::span<const std::uint8_t> bytesOf(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

class ZipArchiveTest : public testing::Test {
protected:
    test::ScratchFolder m_folder;
    std::string m_path = m_folder.file("book.epub");
};

TEST_F(ZipArchiveTest, KeepsEntryOrderAndAStoredFirstEntry)
{
    auto archive = DKZipArchive::create(m_path);
    ASSERT_TRUE(archive);
    ASSERT_TRUE(archive->addFile("mimetype", bytesOf("application/epub+zip"), Compression::Stored));
    ASSERT_TRUE(archive->addFile("META-INF/container.xml", bytesOf(std::string(500, 'c'))));
    ASSERT_TRUE(archive->addFile("OPS/a.xhtml", bytesOf("<html/>")));
    ASSERT_TRUE(archive->close());

    auto entries = rawEntries(m_path);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "mimetype");
    EXPECT_EQ(entries[0].method, ZIP_CM_STORE);
    EXPECT_EQ(entries[0].contents, "application/epub+zip");
    EXPECT_EQ(entries[1].name, "META-INF/container.xml");
    EXPECT_EQ(entries[1].method, ZIP_CM_DEFLATE);
    EXPECT_EQ(entries[2].name, "OPS/a.xhtml");
    // The stored entry's bytes sit right after its 30-byte local header and name, where readers look for them.
    auto file = Data::dataWithContentsOfFile(m_path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->stringView().substr(30, 8), "mimetype");
    EXPECT_EQ(file->stringView().substr(38, 20), "application/epub+zip");
}

TEST_F(ZipArchiveTest, DeflatedEntriesOfEveryKindReadBackWhole)
{
    std::string text;
    for (int line = 0; text.size() < 300000; ++line)
        text += "{\\pard\\f1\\fs24 Line " + std::to_string(line) + " of a long document.\\par}\n";
    std::string noise(20000, '\0');
    std::uint32_t state = 12345;
    for (char& c : noise) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    const std::vector<std::pair<std::string, std::string>> files = {
        {"long.rtf", text}, {"noise.bin", noise}, {"empty.txt", ""}, {"one.txt", "x"}};
    auto archive = DKZipArchive::create(m_path);
    ASSERT_TRUE(archive);
    for (const auto& [name, contents] : files)
        ASSERT_TRUE(archive->addFile(name, bytesOf(contents)));
    ASSERT_TRUE(archive->close());

    auto entries = rawEntries(m_path);
    ASSERT_EQ(entries.size(), files.size());
    for (std::size_t index = 0; index < files.size(); ++index) {
        EXPECT_EQ(entries[index].name, files[index].first);
        EXPECT_TRUE(entries[index].contents == files[index].second) << files[index].first;
    }
    EXPECT_EQ(entries[0].method, ZIP_CM_DEFLATE);
    // Text this repetitive packs to a small part of itself.
    auto file = Data::dataWithContentsOfFile(m_path);
    ASSERT_TRUE(file);
    EXPECT_LT(file->length(), text.size() / 5 + noise.size() + 1000);
    auto reader = DKZipArchive::open(m_path);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->readEntry("long.rtf")->toString(), text);
}

TEST_F(ZipArchiveTest, AppendingKeepsExistingEntriesFirst)
{
    test::ScratchFolder staging;
    ASSERT_TRUE(FileManager::createDirectory(staging.file("T/OPS/images")));
    ASSERT_TRUE(FileManager::createDirectory(staging.file("T/META-INF")));
    ASSERT_TRUE(FileManager::writeAtomically(staging.file("T/OPS/epb.opf"), std::string_view("opf")));
    ASSERT_TRUE(FileManager::writeAtomically(staging.file("T/OPS/images/p.png"), std::string_view("png")));
    ASSERT_TRUE(FileManager::writeAtomically(staging.file("T/META-INF/container.xml"), std::string_view("xml")));
    auto seed = DKZipArchive::create(m_path);
    ASSERT_TRUE(seed->addFile("mimetype", bytesOf("application/epub+zip"), Compression::Stored));
    ASSERT_TRUE(seed->close());

    ASSERT_TRUE(DKZipArchive::createAppendZipFile(m_path, {staging.file("T/META-INF"), staging.file("T/OPS/")}));
    auto reader = DKZipArchive::open(m_path);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->entryNames(),
        (std::vector<std::string>{"mimetype", "META-INF/container.xml", "OPS/epb.opf", "OPS/images/p.png"}));
    EXPECT_EQ(reader->readEntry("OPS/images/p.png")->toString(), "png");
    EXPECT_EQ(rawEntries(m_path)[0].method, ZIP_CM_STORE);
}

TEST_F(ZipArchiveTest, FileWrappersBecomeFolders)
{
    FileWrapper package = FileWrapper::directory("Essay.rtf.rtfd", {
        FileWrapper::regularFile("TXT.rtf", Data::fromString("{\\rtf1 hi}")),
        FileWrapper::regularFile("image.png", Data::fromString("PNG")),
    });
    std::string path = m_folder.file("Essay.rtf.rtfd.zip");
    ASSERT_TRUE(DKZipArchive::createZipFile(path, {package}));
    auto reader = DKZipArchive::open(path);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->entryNames(),
        (std::vector<std::string>{"Essay.rtf.rtfd/", "Essay.rtf.rtfd/TXT.rtf", "Essay.rtf.rtfd/image.png"}));
    EXPECT_EQ(reader->readEntry("Essay.rtf.rtfd/TXT.rtf")->toString(), "{\\rtf1 hi}");

    test::ScratchFolder out;
    ASSERT_TRUE(reader->extractToFolder(out.path()));
    auto wrapper = FileWrapper::fromPath(out.file("Essay.rtf.rtfd"));
    ASSERT_TRUE(wrapper);
    ASSERT_EQ(wrapper->children.size(), 2u);
    EXPECT_EQ(wrapper->children[0].name, "TXT.rtf");
    EXPECT_EQ(wrapper->children[1].contents.toString(), "PNG");
}

TEST_F(ZipArchiveTest, EmptyArchiveIsStillAnArchive)
{
    ASSERT_TRUE(DKZipArchive::createZipFile(m_path, {}));
    auto reader = DKZipArchive::open(m_path);
    ASSERT_TRUE(reader) << reader.error().message;
    EXPECT_TRUE(reader->entryNames().empty());
}

TEST_F(ZipArchiveTest, BrokenArchivesAreRefused)
{
    ASSERT_TRUE(FileManager::writeAtomically(m_path, std::string_view("PK\3\4 this is not really a zip")));
    auto opened = DKZipArchive::open(m_path);
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().domain, DKZipArchive::kErrorDomain);
    EXPECT_FALSE(DKZipArchive::open(m_folder.file("missing.zip")));
    EXPECT_FALSE(DKZipArchive::openData(Data()));
    EXPECT_FALSE(DKZipArchive::createAppendZipFile(m_path, {}));
    EXPECT_EQ(Data::dataWithContentsOfFile(m_path)->toString(), "PK\3\4 this is not really a zip");
}

TEST_F(ZipArchiveTest, DamagedEntryDataIsRefused)
{
    auto archive = DKZipArchive::create(m_path);
    std::string text(4000, 'x');
    ASSERT_TRUE(archive->addFile("a.txt", bytesOf(text), Compression::Stored));
    ASSERT_TRUE(archive->close());
    auto bytes = Data::dataWithContentsOfFile(m_path).value().vector();
    bytes[30 + 5 + 100] ^= 0x55;   // inside the stored contents: the checksum no longer matches
    auto reader = DKZipArchive::openData(Data(bytes));
    ASSERT_TRUE(reader);
    auto entry = reader->readEntry("a.txt");
    ASSERT_FALSE(entry);
    EXPECT_EQ(entry.error().code, DKZipArchive::Damaged);
}

TEST_F(ZipArchiveTest, ReadingHonoursTheSizeCapAndMissingEntries)
{
    auto archive = DKZipArchive::create(m_path);
    ASSERT_TRUE(archive->addFile("big", bytesOf(std::string(10000, 'b'))));
    ASSERT_TRUE(archive->close());
    auto reader = DKZipArchive::open(m_path);
    EXPECT_EQ(reader->readEntry("big", 9999).error().code, DKZipArchive::TooLarge);
    EXPECT_EQ(reader->readEntry("big", 10000)->length(), 10000u);
    EXPECT_EQ(reader->readEntry("none").error().code, DKZipArchive::NoSuchEntry);
    EXPECT_FALSE(reader->addFile("x", bytesOf("y")));
}

TEST_F(ZipArchiveTest, TraversalEntriesAreRefusedOnExtract)
{
    // Written with libzip directly: our own writer refuses such names.
    for (const char* name : {"../evil.txt", "/etc/evil", "a/../../evil", "ok/..\\..\\evil"}) {
        std::string path = m_folder.file("evil.zip");
        std::remove(path.c_str());
        int error = 0;
        zip_t* raw = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(raw, nullptr);
        zip_file_add(raw, "harmless.txt", zip_source_buffer(raw, "fine", 4, 0), 0);
        zip_file_add(raw, name, zip_source_buffer(raw, "evil", 4, 0), 0);
        ASSERT_EQ(zip_close(raw), 0);

        auto reader = DKZipArchive::open(path);
        ASSERT_TRUE(reader);
        test::ScratchFolder out;
        Status status = reader->extractToFolder(out.file("inner"));
        ASSERT_FALSE(status) << name;
        EXPECT_EQ(status.error().code, DKZipArchive::UnsafeEntryName);
        // Nothing at all is written, not even the harmless entry.
        EXPECT_FALSE(FileManager::fileExists(out.file("inner")));
        EXPECT_FALSE(FileManager::fileExists(out.file("evil.txt")));
    }
}

TEST_F(ZipArchiveTest, WriterRefusesUnsafeNames)
{
    auto archive = DKZipArchive::create(m_path);
    EXPECT_FALSE(archive->addFile("../up", bytesOf("x")));
    EXPECT_FALSE(archive->addFile("/abs", bytesOf("x")));
    EXPECT_FALSE(archive->addFile("", bytesOf("x")));
    EXPECT_TRUE(archive->addFile("..hidden/ok..txt", bytesOf("x")));
}

TEST_F(ZipArchiveTest, UnclosedArchiveWritesNothing)
{
    {
        auto archive = DKZipArchive::create(m_path);
        ASSERT_TRUE(archive->addFile("a", bytesOf("x")));
    }
    EXPECT_FALSE(FileManager::fileExists(m_path));
}

} // namespace
} // namespace folio

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/ZipArchive.h"
#include "platform/graphics/Image.h"

#include "support/DocumentTestSupport.h"
#include "export/pdf/HTMLToPDFTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace folio {
namespace {

using namespace testing_support;

// Runs the real "folio" program, as a user would, on one document of each
// kind and checks that the document's words reach every format.
class ExportCommand : public testing::TestWithParam<const char*> {
protected:
    // The program's folders (preferences, pictures, temporary files) live
    // in `home`, by default this test's own, so that tests running at the
    // same time do not share them.
    int folio(const std::string& arguments, std::string home = {}) const
    {
        if (home.empty())
            home = m_folder.path("home");
        std::string command = "FOLIO_HOME='" + home + "' '" FOLIO_BINARY_DIR "/folio' " + arguments + " >/dev/null 2>&1";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string makeDocument(const std::string& kind)
    {
        if (kind == "rtf") {
            writeFile(m_folder.path("doc.rtf"), "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 Amber lantern\\par "
                                                "Copper kettle}");
            return m_folder.path("doc.rtf");
        }
        if (kind == "md") {
            writeFile(m_folder.path("doc.md"), "# Amber lantern\n\nCopper *kettle*\n");
            return m_folder.path("doc.md");
        }
        if (kind == "tex") {
            writeFile(m_folder.path("doc.tex"), "\\section{Amber lantern}\nCopper kettle\n");
            return m_folder.path("doc.tex");
        }
        std::string html = kind == "qvtext" ? "<p>Amber lantern</p><p>Copper kettle</p>"
                                            : "<ul id='tree'><li class='tree-branch branch-level-1'>Amber lantern"
                                              "</li><li class='tree-branch branch-level-1'>Copper kettle</li></ul>";
        auto compressed = Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
        EXPECT_TRUE(compressed.ok());
        std::string path = m_folder.path("doc." + kind);
        writeFile(path, std::string_view(reinterpret_cast<const char*>(compressed->bytes()), compressed->length()));
        return path;
    }

    ScratchFolder m_folder{"export-command"};
};

TEST_P(ExportCommand, WordsReachPDFHTMLAndText)
{
    std::string document = makeDocument(GetParam());
    for (const char* format : {"txt", "html", "pdf"}) {
        std::string output = m_folder.path(std::string("out.") + format);
        ASSERT_EQ(folio("export '" + document + "' --format " + format + " --output '" + output + "'"), 0)
            << GetParam() << " as " << format;
        std::string text = std::string(format) == "pdf" ? pdfText(output, 1) : readFile(output);
        EXPECT_NE(text.find("Amber lantern"), std::string::npos) << GetParam() << " as " << format << ": " << text;
        EXPECT_NE(text.find("kettle"), std::string::npos) << GetParam() << " as " << format << ": " << text;
    }
    // Without --output the copy goes beside the document and never over it.
    ASSERT_EQ(folio("export '" + document + "' --format txt"), 0);
    std::string stem = std::filesystem::path(document).stem().string();
    EXPECT_TRUE(std::filesystem::exists(m_folder.path(stem + "-Copy.txt")));
}

TEST_F(ExportCommand, RichTextBecomesEPubRTFDAndPNG)
{
    std::string document = makeDocument("rtf");

    std::string book = m_folder.path("out.epub");
    ASSERT_EQ(folio("export '" + document + "' --format epub --output '" + book + "'"), 0);
    auto epub = DKZipArchive::open(book);
    ASSERT_TRUE(epub.ok()) << epub.error().message;
    ASSERT_FALSE(epub->entryNames().empty());
    EXPECT_EQ(epub->entryNames().front(), "mimetype");

    // Without --output the package keeps the suffix other programs know it by;
    // inside, the package folder is named after the file, extension included.
    ASSERT_EQ(folio("export '" + document + "' --format rtfd"), 0);
    auto package = DKZipArchive::open(m_folder.path("doc-Copy.rtfd.zip"));
    ASSERT_TRUE(package.ok()) << package.error().message;
    auto rtf = package->readEntry("doc.rtf.rtfd/TXT.rtf");
    ASSERT_TRUE(rtf.ok()) << rtf.error().message;
    std::string rtfText(reinterpret_cast<const char*>(rtf->bytes()), rtf->length());
    EXPECT_NE(rtfText.find("Amber lantern"), std::string::npos) << rtfText;

    std::string picture = m_folder.path("out.png");
    ASSERT_EQ(folio("export '" + document + "' --format png --output '" + picture + "'"), 0);
    auto image = Image::imageWithContentsOfFile(picture);
    ASSERT_TRUE(image.ok()) << image.error().message;
    EXPECT_EQ((*image)->pixelWidth(), 768);
}

// A file from an older word processor: Windows-1252 bytes (not UTF-8), its
// own margins and paper colour. Every format exports it, with its accented
// words, and no export writes the preferences.
TEST_F(ExportCommand, Windows1252RichTextReachesEveryFormatAndLeavesThePreferences)
{
    std::string document = m_folder.path("old.rtf");
    writeFile(document, "{\\rtf1\\ansi\\margl2880\\margr2880{\\papercolor15790320}{\\fonttbl\\f0 Helvetica;}\\f0 "
                        "Caf\xE9 lantern\\par Copper kettle}");
    std::string home = m_folder.path("home");
    std::string preferences = home + "/Config/Preferences.plist";
    for (const char* format : {"txt", "html", "pdf", "epub", "rtfd", "png"}) {
        std::string output = m_folder.path(std::string("old-out.") + format);
        ASSERT_EQ(folio("export '" + document + "' --format " + format + " --output '" + output + "'", home), 0)
            << format;
        EXPECT_TRUE(std::filesystem::exists(output)) << format;
        EXPECT_FALSE(std::filesystem::exists(preferences)) << "written by the " << format << " export";
    }
    EXPECT_NE(readFile(m_folder.path("old-out.txt")).find("Caf\xC3\xA9 lantern"), std::string::npos);
    EXPECT_NE(readFile(m_folder.path("old-out.html")).find("Caf&eacute; lantern"), std::string::npos);
    EXPECT_NE(pdfText(m_folder.path("old-out.pdf"), 1).find("lantern"), std::string::npos);
    auto book = DKZipArchive::open(m_folder.path("old-out.epub"));
    ASSERT_TRUE(book.ok());
    auto chapter = book->readEntry("OPS/chapter-1.xhtml");
    ASSERT_TRUE(chapter.ok());
    EXPECT_NE(std::string(reinterpret_cast<const char*>(chapter->bytes()), chapter->length()).find("Caf\xC3\xA9 lantern"),
              std::string::npos);
    auto package = DKZipArchive::open(m_folder.path("old-out.rtfd"));
    ASSERT_TRUE(package.ok());
    auto rtf = package->readEntry("old.rtf.rtfd/TXT.rtf");
    ASSERT_TRUE(rtf.ok());
    EXPECT_NE(std::string(reinterpret_cast<const char*>(rtf->bytes()), rtf->length()).find("lantern"), std::string::npos);

    // Preferences that are there stay exactly as they were.
    std::filesystem::create_directories(home + "/Config");
    writeFile(preferences, "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>");
    std::string before = readFile(preferences);
    ASSERT_EQ(folio("export '" + document + "' --format pdf --output '" + m_folder.path("again.pdf") + "'", home), 0);
    EXPECT_EQ(readFile(preferences), before);
}

// A Markdown page takes each margin the settings hold once, and the editor's
// own border where they hold none: its text never touches the paper's edge.
TEST_F(ExportCommand, MarkdownPDFTakesEachMarginOnceAndTheEditorsBorderWhenNoneIsSet)
{
    constexpr double kPointsPerCentimetre = 72 / 2.54;
    writeFile(m_folder.path("notes.md"), "Amber lantern glows\n");
    struct Case {
        std::optional<double> top;
        std::optional<double> left;
    };
    // Top and left in centimetres; none where nothing is stored.
    const std::vector<Case> cases{{std::nullopt, std::nullopt}, {1, 2}, {2, 1}, {3, 0.5}};
    std::vector<double> firstLineTops;
    for (std::size_t index = 0; index < cases.size(); ++index) {
        const Case& margins = cases[index];
        const std::string home = m_folder.path("home-" + std::to_string(index));
        std::filesystem::create_directories(home + "/Config");
        std::string settings;
        if (margins.top)
            settings += "<key>markdownPageMarginTop</key><real>" + std::to_string(*margins.top) + "</real>";
        if (margins.left)
            settings += "<key>markdownPageMarginLeft</key><real>" + std::to_string(*margins.left) + "</real>";
        writeFile(home + "/Config/Preferences.plist",
                  "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" + settings + "</dict></plist>");
        const std::string output = m_folder.path("notes-" + std::to_string(index) + ".pdf");
        ASSERT_EQ(folio("export '" + m_folder.path("notes.md") + "' --format pdf --output '" + output + "'", home), 0);
        std::vector<PDFWord> words = pdfWords(output, 1);
        const PDFWord* first = findWord(words, "Amber");
        ASSERT_NE(first, nullptr) << "case " << index;
        // The editor's border is 22 points at the sides and on top.
        const double top = margins.top.value_or(22 / kPointsPerCentimetre) * kPointsPerCentimetre;
        const double left = margins.left.value_or(22 / kPointsPerCentimetre) * kPointsPerCentimetre;
        // NOTE: the web engine prints the page's CSS lengths a fifteenth
        // larger than the paper's points, which the side margin shares.
        EXPECT_NEAR(first->xMin, left * 16 / 15, 2) << "case " << index;
        // The line's own leading stands above its letters, and no more.
        EXPECT_GE(first->yMin, top) << "case " << index;
        EXPECT_LE(first->yMin, top + 14) << "case " << index;
        firstLineTops.push_back(first->yMin - top);
    }
    // The same leading in every case: each centimetre of margin counts once.
    for (double leading : firstLineTops)
        EXPECT_NEAR(leading, firstLineTops.front(), 1);
}

// Commands that show no page start without the web engine, GTK, poppler, the
// speech, text-recognition and sound libraries (espeak-ng, tesseract,
// GStreamer), the HTTP library (libsoup, with sqlite, krb5 and nghttp2) or,
// with no picture in the document, the picture and drawing libraries
// (gdk-pixbuf, libjpeg, cairo and pixman, pango with fribidi and libthai, and
// the X11 libraries cairo brings); those that write no archive also without
// the zip library and the crypto library it brings: the dynamic loader's own
// log names every library it opens.
TEST_F(ExportCommand, TextConversionsLoadNoWebEngine)
{
    std::string document = makeDocument("rtf");
    std::string log = m_folder.path("loader.log");
    struct Command {
        std::string arguments;
        bool zips;
    };
    const std::vector<Command> commands = {
        {"export '" + document + "' --format html --output '" + m_folder.path("a.html") + "'", false},
        {"export '" + document + "' --format txt --output '" + m_folder.path("a.txt") + "'", false},
        {"export '" + document + "' --format epub --output '" + m_folder.path("a.epub") + "'", true},
        {"export '" + document + "' --format rtfd --output '" + m_folder.path("a.rtfd.zip") + "'", true},
        {"copy '" + document + "' --as html", false},
        {"new md '" + m_folder.path("new.md") + "'", false},
        {"--version", false}};
    for (const Command& command : commands) {
        std::string line = "LD_DEBUG=libs LD_DEBUG_OUTPUT='" + log + "' '" FOLIO_BINARY_DIR "/folio' "
                           + command.arguments + " >/dev/null 2>&1";
        int status = std::system(line.c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command.arguments;
        std::string opened;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder.path(""))) {
            if (entry.path().filename().string().rfind("loader.log", 0) == 0) {
                opened += readFile(entry.path().string());
                std::filesystem::remove(entry.path());
            }
        }
        EXPECT_NE(opened.find("libicuuc"), std::string::npos) << command.arguments << ": the loader wrote no log";
        for (const char* library : {"libwebkit2gtk", "libgtk-3", "libpoppler", "folio-desktop", "libespeak-ng",
                                    "libtesseract", "libgst", "libsoup", "libsqlite3", "libkrb5", "libnghttp2",
                                    "libssl", "folio-drawing", "libgdk_pixbuf", "libjpeg", "libcairo",
                                    "libpango", "libpixman", "libfribidi", "libthai", "libX11", "libxcb"})
            EXPECT_EQ(opened.find(library), std::string::npos) << command.arguments << " loaded " << library;
        for (const char* library : {"folio-zip", "libzip"}) {
            if (command.zips) {
                EXPECT_NE(opened.find(library), std::string::npos) << command.arguments << " did not load " << library;
            } else {
                EXPECT_EQ(opened.find(library), std::string::npos) << command.arguments << " loaded " << library;
            }
        }
        if (!command.zips) {
            EXPECT_EQ(opened.find("libcrypto"), std::string::npos) << command.arguments << " loaded libcrypto";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, ExportCommand, testing::Values("rtf", "qvtext", "qvoutline", "md", "tex"));

// The program's own folders as a listing of every file and folder in them
// with each file's bytes, to compare before and after a command.
std::map<std::string, std::string> folderContents(const std::vector<std::string>& roots)
{
    std::map<std::string, std::string> contents;
    for (const std::string& root : roots) {
        std::error_code error;
        if (!std::filesystem::exists(root, error))
            continue;
        contents[root] = "(folder)";
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error))
            contents[entry.path().string()] = entry.is_directory() ? "(folder)" : readFile(entry.path().string());
    }
    return contents;
}

// The img element's src in HTML, or "" without one.
std::string firstPictureSource(const std::string& html)
{
    std::size_t img = html.find("<img");
    std::size_t src = img == std::string::npos ? img : html.find("src=\"", img);
    if (src == std::string::npos)
        return {};
    src += 5;
    return html.substr(src, html.find('"', src) - src);
}

// A rich-text document laid out on its own paper (margins, a paper colour)
// with a PNG picture, converted to every format by the real program under a
// home of its own (no FOLIO_HOME: the XDG folders, as for a user). The
// program's folders (documents, document data with its picture folders,
// configuration, the user's pictures) stay exactly as they were, those that
// already held something included; the caches folder holds the temporary
// files and is left aside. The exported HTML names its picture relative to
// itself, so the HTML and what was written beside it, copied to another
// place, still show the very picture.
TEST(ExportCommandFolders, SixFormatsOfAPicturedDocumentLeaveTheProgramsFoldersAsTheyWere)
{
    ScratchFolder folder("export-six-formats");
    std::string home = folder.path("home");
    std::string data = home + "/.local/share", config = home + "/.config", cache = home + "/.cache";
    std::filesystem::create_directories(home + "/Documents");

    constexpr int kWidth = 40, kHeight = 30;
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            pixels.insert(pixels.end(), {static_cast<std::uint8_t>(x * 6), static_cast<std::uint8_t>(y * 8), 200, 255});
    auto picture = Image::imageWithPixels(kWidth, kHeight, pixels);
    ASSERT_TRUE(picture.ok());
    auto png = (*picture)->pngData();
    ASSERT_TRUE(png.ok());
    std::string hex;
    for (std::uint8_t byte : *png) {
        static constexpr char kDigits[] = "0123456789abcdef";
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    std::string document = folder.path("Pictured notes.rtf");
    writeFile(document, "{\\rtf1\\ansi\\paperw11906\\paperh16838\\margl2268\\margr1701\\margt1417\\margb1134"
                        "{\\papercolor15790320}{\\fonttbl\\f0 Helvetica;}\\f0 Amber lantern\\par "
                        "{\\pict\\pngblip\\picw40\\pich30\\picwgoal600\\pichgoal450 " + hex + "}\\par "
                        "Copper kettle\\par}");

    // What the program's folders already hold must survive too: another
    // document's pictures, this document's own from an earlier opening, the
    // preferences.
    std::string documentData = data + "/folio/DocumentData";
    std::string ownPictures =
        documentData + "/" + AppFolders::sanitizeFileName(AppFolders::pictureDocumentName(document));
    std::filesystem::create_directories(documentData + "/Other");
    std::filesystem::create_directories(ownPictures);
    std::filesystem::create_directories(config + "/folio");
    writeFile(documentData + "/Other/image-1.png", "other document's picture");
    writeFile(ownPictures + "/image-2.png", "picture from an earlier opening");
    writeFile(config + "/folio/Preferences.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>");
    const std::vector<std::string> programFolders = {data + "/folio", config + "/folio", home + "/Documents",
                                                     home + "/Pictures"};
    const std::map<std::string, std::string> before = folderContents(programFolders);

    std::string out = folder.path("out");
    std::filesystem::create_directories(out);
    for (const char* format : {"pdf", "epub", "rtfd", "html", "txt", "png"}) {
        std::string command = "env -u FOLIO_HOME HOME='" + home + "' XDG_DATA_HOME='" + data + "' XDG_CONFIG_HOME='"
            + config + "' XDG_CACHE_HOME='" + cache + "' '" FOLIO_BINARY_DIR "/folio' export '" + document
            + "' --format " + format + " --output '" + out + "/Pictured notes." + format + "' 2>&1; echo \"exit $?\"";
        std::string said = commandOutput(command);
        EXPECT_NE(said.find("exit 0"), std::string::npos) << format << ": " << said;
        EXPECT_TRUE(std::filesystem::exists(out + "/Pictured notes." + format)) << format;
        const std::map<std::string, std::string> after = folderContents(programFolders);
        for (const auto& [path, bytes] : after) {
            auto found = before.find(path);
            EXPECT_TRUE(found != before.end() && found->second == bytes) << "the " << format << " export wrote " << path;
        }
        for (const auto& [path, bytes] : before)
            EXPECT_TRUE(after.count(path)) << "the " << format << " export removed " << path;
    }

    // The book and the package still carry the picture inside them.
    auto book = DKZipArchive::open(out + "/Pictured notes.epub");
    ASSERT_TRUE(book.ok()) << book.error().message;
    auto chapter = book->readEntry("OPS/chapter-1.xhtml");
    ASSERT_TRUE(chapter.ok()) << chapter.error().message;
    std::string chapterText(reinterpret_cast<const char*>(chapter->bytes()), chapter->length());
    std::string bookPicture = firstPictureSource(chapterText);
    ASSERT_EQ(bookPicture.rfind("data/", 0), 0u) << chapterText;
    EXPECT_TRUE(book->readEntry("OPS/" + bookPicture).ok()) << bookPicture;
    auto package = DKZipArchive::open(out + "/Pictured notes.rtfd");
    ASSERT_TRUE(package.ok()) << package.error().message;
    bool packedPicture = false;
    for (const std::string& name : package->entryNames())
        packedPicture = packedPicture || name.ends_with(".png");
    EXPECT_TRUE(packedPicture) << "the RTFD package holds no picture";

    // The HTML and what lies beside it, copied elsewhere, the originals gone.
    std::string elsewhere = folder.path("elsewhere");
    std::filesystem::create_directories(elsewhere);
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("Pictured notes", 0) == 0 && (name.ends_with(".html") || entry.is_directory()))
            std::filesystem::copy(entry.path(), elsewhere + "/" + name, std::filesystem::copy_options::recursive);
    }
    std::filesystem::remove_all(out);
    std::string html = readFile(elsewhere + "/Pictured notes.html");
    EXPECT_NE(html.find("Amber lantern"), std::string::npos) << html;
    std::string source = firstPictureSource(html);
    ASSERT_FALSE(source.empty()) << html;
    EXPECT_EQ(source.find(':'), std::string::npos) << "not relative to the file: " << source;
    EXPECT_NE(source.front(), '/') << source;
    auto relative = URL::percentDecode(source);
    ASSERT_TRUE(relative) << source;
    auto shown = Image::imageWithContentsOfFile(elsewhere + "/" + *relative);
    ASSERT_TRUE(shown.ok()) << source << ": " << shown.error().message;
    EXPECT_EQ(readFile(elsewhere + "/" + *relative).substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ((*shown)->pixelWidth(), kWidth);
    EXPECT_EQ((*shown)->rgbaPixels(), (*picture)->rgbaPixels());
}

TEST(ExportCommandErrors, BadInputGivesAClearStatus)
{
    ScratchFolder folder("export-command-errors");
    auto folio = [](const std::string& arguments) {
        int status = std::system(("'" FOLIO_BINARY_DIR "/folio' " + arguments + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(folio("export '" + folder.path("missing.rtf") + "' --format pdf"), 1);
    writeFile(folder.path("a.txt"), "words");
    EXPECT_EQ(folio("export '" + folder.path("a.txt") + "' --format doc"), 2);
    EXPECT_EQ(folio("export '" + folder.path("a.txt") + "'"), 2);
    EXPECT_EQ(folio("export '" + folder.path("a.txt") + "' --format txt --output '" + folder.path("a.txt") + "'"), 1);
    EXPECT_EQ(readFile(folder.path("a.txt")), "words");
    EXPECT_EQ(folio("copy '" + folder.path("a.txt") + "' --as pdf"), 2);
}

// The zip and picture libraries come with modules beside the program.
// Without them, an ePub export says why it cannot be written, fails, and
// leaves the file that was at the output as it was; a document's JPEG
// pictures, which the page shows coded again, are left out of an HTML
// export, saying why, while its PNG pictures go as they came; exports that
// need neither still work.
TEST(ExportCommandErrors, WithoutTheirModulesArchivesFailClearlyAndLoseNothing)
{
    ScratchFolder folder("export-command-no-zip");
    // A program of its own, linked to the same file, in a folder without the
    // module; the build folder keeps it on the same file system.
    const std::filesystem::path programFolder =
        std::filesystem::path(FOLIO_BINARY_DIR) / ("no-zip-module-" + std::to_string(getpid()));
    std::filesystem::create_directories(programFolder);
    std::error_code linked;
    std::filesystem::create_hard_link(FOLIO_BINARY_DIR "/folio", programFolder / "folio", linked);
    ASSERT_FALSE(linked) << linked.message();
    writeFile(folder.path("a.md"), "# Title\n\nWords.\n");
    writeFile(folder.path("a.epub"), "the earlier book");
    const std::string program = "FOLIO_HOME='" + folder.path("home") + "' FOLIO_RESOURCES='" FOLIO_BINARY_DIR
                                "/resources' '" + (programFolder / "folio").string() + "' ";
    const std::string epub = commandOutput(program + "export '" + folder.path("a.md") + "' --format epub --output '"
                                           + folder.path("a.epub") + "' 2>&1; echo \"exit $?\"");
    const std::string html = commandOutput(program + "export '" + folder.path("a.md") + "' --format html --output '"
                                           + folder.path("a.html") + "' 2>&1; echo \"exit $?\"");
    const std::string pngPictured = commandOutput(program + "export '" FOLIO_SOURCE_DIR "/tests/data/rtf/word-lists-tables.rtf'"
                                                  " --format html --output '" + folder.path("b.html") + "' 2>&1");
    auto photo = Image::imageWithPixels(2, 2, std::vector<std::uint8_t>(16, 0x80));
    ASSERT_TRUE(photo);
    auto jpeg = (*photo)->jpegData(0.9);
    ASSERT_TRUE(jpeg);
    std::string hex;
    for (std::uint8_t byte : *jpeg)
        hex += "0123456789abcdef"[byte >> 4], hex += "0123456789abcdef"[byte & 0xF];
    writeFile(folder.path("photo.rtf"), "{\\rtf1\\ansi {\\pict\\jpegblip\\picw2\\pich2 " + hex + "}}");
    const std::string jpegPictured = commandOutput(program + "export '" + folder.path("photo.rtf") + "' --format html --output '"
                                                   + folder.path("c.html") + "' 2>&1");
    std::filesystem::remove_all(programFolder);
    EXPECT_EQ(pngPictured.find("pictures cannot be read or written"), std::string::npos) << pngPictured;
    EXPECT_NE(readFile(folder.path("b.html")).find(".png\">"), std::string::npos) << readFile(folder.path("b.html"));
    EXPECT_NE(jpegPictured.find("pictures cannot be read or written"), std::string::npos) << jpegPictured;
    EXPECT_NE(jpegPictured.find("folio-drawing.so"), std::string::npos) << jpegPictured;
    EXPECT_NE(epub.find("zip archives are not available"), std::string::npos) << epub;
    EXPECT_NE(epub.find("folio-zip.so"), std::string::npos) << epub;
    EXPECT_NE(epub.find("exit 1"), std::string::npos) << epub;
    EXPECT_EQ(readFile(folder.path("a.epub")), "the earlier book");
    EXPECT_NE(html.find("exit 0"), std::string::npos) << html;
    EXPECT_NE(readFile(folder.path("a.html")).find("Title"), std::string::npos);
}

// Pictures of pages are made by cairo and coded by libpng in the drawing
// module. A program that has its windows and web view but not that module
// cannot make one: the PNG export says why, fails, and leaves the file at its
// output as it was; a text conversion still works.
TEST(ExportCommandErrors, WithoutTheDrawingModulePicturesFailClearlyAndLoseNothing)
{
    ScratchFolder folder("export-command-no-drawing");
    const std::filesystem::path programFolder =
        std::filesystem::path(FOLIO_BINARY_DIR) / ("no-drawing-module-" + std::to_string(getpid()));
    std::filesystem::create_directories(programFolder);
    for (const char* file : {"folio", "folio-desktop.so", "folio-zip.so"}) {
        std::error_code linked;
        std::filesystem::create_hard_link(std::filesystem::path(FOLIO_BINARY_DIR) / file, programFolder / file, linked);
        ASSERT_FALSE(linked) << file << ": " << linked.message();
    }
    writeFile(folder.path("a.md"), "# Title\n\nWords.\n");
    writeFile(folder.path("a.png"), "the earlier picture");
    const std::string program = "FOLIO_HOME='" + folder.path("home") + "' FOLIO_RESOURCES='" FOLIO_BINARY_DIR
                                "/resources' '" + (programFolder / "folio").string() + "' ";
    auto run = [&](const std::string& format) {
        return commandOutput(program + "export '" + folder.path("a.md") + "' --format " + format + " --output '"
                             + folder.path("a." + format) + "' 2>&1; echo \"exit $?\"");
    };
    const std::string png = run("png");
    const std::string txt = run("txt");
    std::filesystem::remove_all(programFolder);
    EXPECT_NE(png.find("folio-drawing.so"), std::string::npos) << png;
    EXPECT_NE(png.find("exit 1"), std::string::npos) << png;
    EXPECT_EQ(readFile(folder.path("a.png")), "the earlier picture");
    EXPECT_NE(txt.find("exit 0"), std::string::npos) << txt;
    EXPECT_NE(readFile(folder.path("a.txt")).find("Title"), std::string::npos);
}

// Only a regular file is a document: a pipe would be waited on forever and a
// device never ends. The message says what the path is.
TEST(ExportCommandErrors, NonRegularFilesAreRefusedByWhatTheyAre)
{
    ScratchFolder folder("export-command-special");
    ASSERT_EQ(mkfifo(folder.path("pipe.md").c_str(), 0600), 0);
    std::filesystem::create_directory(folder.path("folder.md"));
    std::filesystem::create_symlink("/dev/zero", folder.path("device.md"));
    for (auto [name, said] : {std::pair{"pipe.md", "pipe"}, {"folder.md", "folder"}, {"device.md", "device"}}) {
        for (const char* command : {"export '%s' --format txt --output '%s.txt'", "copy '%s' --as text"}) {
            std::string path = folder.path(name);
            std::string arguments = command;
            for (std::size_t at; (at = arguments.find("%s")) != std::string::npos;)
                arguments.replace(at, 2, path);
            std::string output = commandOutput("timeout -s KILL 10 '" FOLIO_BINARY_DIR "/folio' " + arguments
                                               + " 2>&1; echo \"exit $?\"");
            EXPECT_NE(output.find(said), std::string::npos) << arguments << ": " << output;
            EXPECT_NE(output.find("exit 1"), std::string::npos) << arguments << ": " << output;
        }
    }
}

} // namespace
} // namespace folio

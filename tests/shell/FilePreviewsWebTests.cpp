#include "shell/AppController.h"
#include "shell/DocumentPreviews.h"

#include "documents/DocumentSeeds.h"
#include "formats/markdown/BKDMarkdown.h"
#include "formats/markdown/MarkdownConverter.h"
#include "platform/docframework/DKDocumentPicker.h"
#include "platform/docframework/DKDocumentPreview.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/docframework/ODSScopeViewController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace folio {
namespace {

using namespace testing_support;

constexpr double kEngineWaitSeconds = 60;

// The program's own converter, as the command line registers it.
class Converter final : public MarkdownConverter {
public:
    std::u16string html(const std::u16string& markdown) override { return BKDMarkdown(markdown).html(); }
    std::u16string plainText(const std::u16string& markdown) override { return BKDMarkdown(markdown).plainText(); }
};

class ConverterScope {
public:
    ConverterScope() { MarkdownConverter::setShared(std::make_shared<Converter>()); }
    ~ConverterScope() { MarkdownConverter::setShared(nullptr); }
};

// Dark pixels in the picture's top band: text drawn where the document begins.
int darkPixelsAtTheTop(const Image& picture, int band)
{
    int dark = 0;
    for (int y = 0; y < std::min(band, picture.pixelHeight()); ++y) {
        for (int x = 0; x < picture.pixelWidth(); ++x) {
            Rgba8 pixel = picture.pixelAt(x, y);
            if (pixel.r < 96 && pixel.g < 96 && pixel.b < 96)
                ++dark;
        }
    }
    return dark;
}

// A long document: a heading line and paragraphs enough for several pages.
std::string longText(const std::string& heading)
{
    std::string text = heading + "\n\n";
    for (int line = 0; line < 300; ++line)
        text += "Paragraph " + std::to_string(line) + " of the copper kettle and the amber lantern.\n\n";
    return text;
}

class FilePreviewsWebTest : public ::testing::TestWithParam<const char*> {
protected:
    ConverterScope converter;
    ScratchFolder folder{"file-previews"};
};

TEST_P(FilePreviewsWebTest, everyKindIsPicturedFromItsFileWithItsBeginningAtTheTop)
{
    std::string name = std::string("Lantern.") + GetParam();
    std::string path = folder.path(name);
    if (std::string(GetParam()) == "rtf") {
        std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs48 Amber lantern\\par\\fs24 ";
        for (int line = 0; line < 300; ++line)
            rtf += "Paragraph " + std::to_string(line) + " of the copper kettle.\\par ";
        writeFile(path, rtf + "}");
    } else {
        writeFile(path, longText(std::string(GetParam()) == "md" ? "# Amber lantern" : "AMBER LANTERN HEADING"));
    }
    auto item = std::make_shared<ODSFileItem>(path, nullptr);
    int announced = 0;
    ObserverToken observer = NotificationCenter::defaultCenter().addObserver(
        DKDocumentPreview::kPreviewsUpdatedNotification, item.get(), [&](const Notification&) { ++announced; });
    std::optional<Status> stored;
    DocumentPreviews::writePreviewForFileItem(item, [&](Status status) { stored = status; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return stored.has_value(); }, 2 * kEngineWaitSeconds));
    NotificationCenter::defaultCenter().removeObserver(observer);
    ASSERT_TRUE(*stored) << stored->error().message;
    EXPECT_EQ(announced, 1);

    Image::Pointer picture = DKDocumentPreview::cachedPreviewForFileItem(*item);
    ASSERT_TRUE(picture);
    // One screen of the page, not the whole long document.
    EXPECT_EQ(picture->pixelWidth(), int(DocumentPreviews::kPreviewFrame.width()));
    EXPECT_LE(picture->pixelHeight(), int(DocumentPreviews::kPreviewFrame.height()) + 1);
    EXPECT_GT(darkPixelsAtTheTop(*picture, 160), 50) << "no text at the top of the picture of " << name;
}

INSTANTIATE_TEST_SUITE_P(Kinds, FilePreviewsWebTest, ::testing::Values("md", "txt", "tex", "rtf"));

TEST(FilePreviewsPaperWebTest, aDocumentsPaperColourIsThePicturesBackground)
{
    ScratchFolder folder{"file-previews-paper"};
    struct Case {
        const char* name;
        std::string contents;
        bool red, green, blue;
    };
    // 65280 is 00FF00; a QV text keeps the paper its editor chose in its
    // body-style block, as the editor saves it.
    const Case cases[] = {
        {"Green.rtf", "{\\rtf1\\ansi{\\papercolor65280}{\\fonttbl\\f0 Helvetica;}\\f0 Amber lantern\\par}", false, true, false},
        {"Cyan.qvtext",
         std::string(DocumentSeeds::compressedPage(
                         "<p>Amber lantern</p><div id=\"bodyStyle\" style=\"visibility: hidden;display: none;overflow-y: "
                         "hidden; padding-left: 10px; padding-right: 10px; background-color: cyan;\"></div>")
                         ->stringView()),
         false, true, true},
    };
    for (const Case& each : cases) {
        std::string path = folder.path(each.name);
        writeFile(path, each.contents);
        auto item = std::make_shared<ODSFileItem>(path, nullptr);
        std::optional<Status> stored;
        DocumentPreviews::writePreviewForFileItem(item, [&](Status status) { stored = status; });
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return stored.has_value(); }, 2 * kEngineWaitSeconds)) << each.name;
        ASSERT_TRUE(*stored) << each.name << ": " << stored->error().message;
        Image::Pointer picture = DKDocumentPreview::cachedPreviewForFileItem(*item);
        ASSERT_TRUE(picture) << each.name;
        // Below the one line of text, where only paper shows.
        auto paper = picture->pixelAt(picture->pixelWidth() / 2, picture->pixelHeight() * 3 / 4);
        auto channel = [](int value, bool full) { return full ? value > 215 : value < 40; };
        EXPECT_TRUE(channel(paper.r, each.red) && channel(paper.g, each.green) && channel(paper.b, each.blue))
            << each.name << ": " << int(paper.r) << "," << int(paper.g) << "," << int(paper.b);
    }
}

TEST(FilePreviewsFailureWebTest, aFileThatCannotBeReadGetsNoPictureAndTheReason)
{
    ScratchFolder folder{"file-previews-failure"};
    writeFile(folder.path("Broken.qvtext"), "not deflate at all");
    auto item = std::make_shared<ODSFileItem>(folder.path("Broken.qvtext"), nullptr);
    std::optional<Status> stored;
    DocumentPreviews::writePreviewForFileItem(item, [&](Status status) { stored = status; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return stored.has_value(); }, kEngineWaitSeconds));
    ASSERT_FALSE(*stored);
    EXPECT_FALSE(stored->error().message.empty());
    EXPECT_EQ(DKDocumentPreview::cachedPreviewForFileItem(*item), nullptr);
}

TEST(FilePreviewsPicturesWebTest, aRichTextDocumentsPicturesShowInItsPreview)
{
    ScratchFolder folder{"file-previews-pictures"};
    // An eight-pixel red square, shown 150 points wide.
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 Red square:\\par "
                      "{\\pict\\pngblip\\picw8\\pich8\\picwgoal3000\\pichgoal3000\n"
                      "89504e470d0a1a0a0000000d49484452000000080000000808020000004b6d29dc0000001249444154789c63f8cfc0801561171db4"
                      "120028ff3fc16eecdf610000000049454e44ae426082\n}\\par}";
    writeFile(folder.path("Square.rtf"), rtf);
    auto item = std::make_shared<ODSFileItem>(folder.path("Square.rtf"), nullptr);
    std::optional<Status> stored;
    DocumentPreviews::writePreviewForFileItem(item, [&](Status status) { stored = status; });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return stored.has_value(); }, kEngineWaitSeconds));
    ASSERT_TRUE(*stored) << stored->error().message;
    Image::Pointer picture = DKDocumentPreview::cachedPreviewForFileItem(*item);
    ASSERT_TRUE(picture);
    int red = 0;
    for (int y = 0; y < picture->pixelHeight(); y += 2) {
        for (int x = 0; x < picture->pixelWidth(); x += 2) {
            Rgba8 pixel = picture->pixelAt(x, y);
            if (pixel.r > 200 && pixel.g < 60 && pixel.b < 60)
                ++red;
        }
    }
    EXPECT_GT(red, 100) << "the document's picture is not in its preview";
}

TEST(FilePreviewsBrowserWebTest, theBrowserPicturesFilesThatWereNeverOpened)
{
    ConverterScope converter;
    ScratchFolder folder{"file-previews-browser"};
    writeFile(folder.path("Never Opened.md"), longText("# Never opened"));
    writeFile(folder.path("Plain.txt"), longText("PLAIN TEXT AT THE TOP"));
    AppController app;
    auto picker = std::make_shared<DKDocumentPicker>(std::make_shared<ODSLocalDirectoryScope>(folder.root().string()));
    picker->loadViewIfNeeded();
    int changes = 0;
    picker->selectedScopeViewController().setChangeHandler([&] { ++changes; });
    for (const char* name : {"Never Opened.md", "Plain.txt"}) {
        ODSFileItem item(folder.path(name), nullptr);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return DKDocumentPreview::cachedPreviewForFileItem(item) != nullptr; },
                                             2 * kEngineWaitSeconds))
            << name;
        EXPECT_GT(darkPixelsAtTheTop(*DKDocumentPreview::cachedPreviewForFileItem(item), 160), 50) << name;
    }
    // The grid heard of the pictures.
    EXPECT_GT(changes, 0);
}

} // namespace
} // namespace folio

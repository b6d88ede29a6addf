#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "support/VirtualClock.h"
#include "tools/scanner/LiveTextScannerSession.h"
#include "tools/scanner/ScannedTextListController.h"
#include "tools/scanner/VisionDataScanner.h"
#include "tools/scanner/VisionDataScannerViewController.h"
#include "support/PrintedPagePicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace folio {
namespace {

const std::vector<std::string> kPage = {
    "Folio keeps every draft of the story",
    "beside the notes the writer took",
    "while walking along the river today.",
    "Seven green boats waited near the bridge",
};

// Dark text on a light grey sheet, as a page photographed in daylight.
void writePhotographedPage(const std::string& path, const std::vector<std::string>& lines)
{
    test::writePrintedPagePicture(path, lines,
                                  {.paper = 0.92, .ink = 0.1, .family = "Liberation Serif", .fontSize = 34, .width = 1100,
                                   .margin = 50, .firstBaseline = 70, .lineHeight = 64, .bottomRoom = 30});
}

std::vector<std::string> words(const std::string& text)
{
    std::vector<std::string> found;
    std::istringstream stream(text);
    for (std::string word; stream >> word;) {
        word.erase(std::remove_if(word.begin(), word.end(), [](unsigned char c) { return std::ispunct(c); }), word.end());
        if (!word.empty())
            found.push_back(word);
    }
    return found;
}

class TextScannerTest : public test::VirtualClockTest {
protected:
    void TearDown() override { ProgressHUD::dismiss(); }

    test::ScratchFolder scratch;
    std::vector<std::u16string> copied;
    int dismissed = 0;
};

TEST_F(TextScannerTest, recognisesAtLeastNineTenthsOfTheWordsOfARenderedPage)
{
    VisionDataScanner scanner({.copyScannedTextIntoView = [this](const std::u16string& text) { copied.push_back(text); },
                               .scannerDismissed = [this] { ++dismissed; }});
    ASSERT_TRUE(scanner.scannerAvailable());
    std::shared_ptr<ScannedTextListController> screen = scanner.getDataScannerVC();
    std::string picture = scratch.file("page.png");
    writePhotographedPage(picture, kPage);
    scanner.scanPictureFile(picture);
    EXPECT_TRUE(scanner.isRecognizing());
    ASSERT_TRUE(loop.runUntil([&] { return !scanner.isRecognizing(); }, 60));
    ASSERT_EQ(screen->lines().size(), kPage.size());

    std::vector<std::string> expected;
    for (const std::string& line : kPage) {
        std::vector<std::string> lineWords = words(line);
        expected.insert(expected.end(), lineWords.begin(), lineWords.end());
    }
    std::vector<std::string> seen;
    for (const std::u16string& line : screen->lines()) {
        std::vector<std::string> lineWords = words(toUtf8(line));
        seen.insert(seen.end(), lineWords.begin(), lineWords.end());
    }
    std::size_t matched = 0;
    for (const std::string& word : expected) {
        auto found = std::find(seen.begin(), seen.end(), word);
        if (found != seen.end()) {
            ++matched;
            seen.erase(found);
        }
    }
    EXPECT_GE(matched * 10, expected.size() * 9) << matched << " of " << expected.size();

    // A tapped line reaches the host with two line feeds; other rows too, in tap order.
    screen->loadViewIfNeeded();
    screen->tapRow(1);
    screen->tapRow(0);
    ASSERT_EQ(copied.size(), 2u);
    EXPECT_EQ(copied[0], screen->lines()[1] + u"\n\n");
    EXPECT_EQ(copied[1], screen->lines()[0] + u"\n\n");
}

TEST_F(TextScannerTest, aPictureThatCannotBeReadOffersNothingAndSaysSo)
{
    VisionDataScanner scanner({.copyScannedTextIntoView = [this](const std::u16string& text) { copied.push_back(text); }});
    std::shared_ptr<ScannedTextListController> screen = scanner.getDataScannerVC();
    scanner.scanPictureFile(scratch.file("absent.png"));
    ASSERT_TRUE(loop.runUntil([&] { return !scanner.isRecognizing(); }, 30));
    EXPECT_TRUE(screen->lines().empty());
    EXPECT_EQ(screen->status(), u"No text found");
    scanner.didTapItem(0);
    EXPECT_TRUE(copied.empty());
}

TEST_F(TextScannerTest, doneStopsScanningAndTellsTheHostAfterTheScreenCloses)
{
    VisionDataScanner scanner({.scannerDismissed = [this] { ++dismissed; }});
    std::shared_ptr<ScannedTextListController> screen = scanner.getDataScannerVC();
    scanner.startScanning();
    EXPECT_TRUE(scanner.isScanning());
    const auto& items = screen->navigationItem()->rightBarButtonItems();
    ASSERT_EQ(items.size(), 1u);
    items[0]->tap();
    EXPECT_FALSE(scanner.isScanning());
    ASSERT_TRUE(loop.runUntil([&] { return dismissed == 1; }, 5));
}

TEST_F(TextScannerTest, theSharedHostReusesItsScreenAndPassesReportsToTheLastDelegate)
{
    struct Delegate final : VisionDataScannerViewControllerDelegate {
        std::u16string text;
        int closed = 0;
        void visionKitDataScannerDidRecognizeText(const std::u16string& value) override { text += value; }
        void visionKitDataScannerDismissedViewController() override { ++closed; }
    };
    auto first = std::make_shared<Delegate>();
    auto second = std::make_shared<Delegate>();
    std::shared_ptr<VisionDataScannerViewController> host = VisionDataScannerViewController::sharedInstance();
    EXPECT_EQ(host, VisionDataScannerViewController::sharedInstance());
    ASSERT_TRUE(host->isScannerAvalaible());
    std::shared_ptr<ScannedTextListController> screen = host->visionDataScannerVCSwift();
    ASSERT_TRUE(screen);
    host->dismissScannerViewController();
    EXPECT_EQ(host->visionDataScannerVCSwift(), screen);
    host->setDelegate(first);
    host->setDelegate(second);
    host->copyScannedTextIntoView(u"line\n\n");
    host->visionKitDataScannerDismissedViewController();
    EXPECT_EQ(first->text, u"");
    EXPECT_EQ(second->text, u"line\n\n");
    EXPECT_EQ(second->closed, 1);
    host->dismissScannerViewController();
}

class ScannerSessionTest : public test::VirtualClockTest {
protected:
    void TearDown() override
    {
        ProgressHUD::dismiss();
        VisionDataScannerViewController::sharedInstance()->dismissScannerViewController();
    }
    std::shared_ptr<LiveTextScannerSession> makeSession()
    {
        return LiveTextScannerSession::make(
            pasteboard, {.present = [this](std::shared_ptr<ViewController> controller) { presented.push_back(controller); },
                         .saveCaretSelection = [this] { calls.push_back("save"); },
                         .insertScannedText = [this](const std::u16string& text) {
                             calls.push_back("insert");
                             inserted.push_back(text);
                         }});
    }

    NotificationCenter center;
    Pasteboard pasteboard{center};
    std::vector<std::shared_ptr<ViewController>> presented;
    std::vector<std::string> calls;
    std::vector<std::u16string> inserted;
};

TEST_F(ScannerSessionTest, scannedBlocksAreInsertedTogetherWhenTheScannerCloses)
{
    std::shared_ptr<LiveTextScannerSession> session = makeSession();
    session->insertTextFromLiveTextScanner();
    ASSERT_EQ(presented.size(), 1u);
    auto navigation = std::dynamic_pointer_cast<NavigationController>(presented[0]);
    ASSERT_TRUE(navigation);
    EXPECT_EQ(navigation->modalPresentationStyle(), ModalPresentationStyle::FormSheet);
    std::shared_ptr<ViewController> screen = navigation->topViewController();
    EXPECT_EQ(screen->title(), u"Scan Text");
    std::vector<std::string> symbols;
    for (const auto& item : screen->navigationItem()->leftBarButtonItems())
        symbols.push_back(item->symbolName());
    EXPECT_EQ(symbols, (std::vector<std::string>{"info.circle", "arrow.up.doc.on.clipboard", "text.badge.xmark"}));
    EXPECT_EQ(calls, (std::vector<std::string>{"save"}));

    std::shared_ptr<VisionDataScannerViewController> host = VisionDataScannerViewController::sharedInstance();
    host->copyScannedTextIntoView(u"First block\n\n");
    EXPECT_EQ(ProgressHUD::shared().status(), u"Copied");
    host->copyScannedTextIntoView(u"Second <b>block</b>\n\n");
    host->copyScannedTextIntoView(u"Third\n\n");
    session->copyLiveTextAction();
    EXPECT_EQ(pasteboard.string(), u"First block\n\nSecond <b>block</b>\n\nThird\n\n");
    host->visionKitDataScannerDismissedViewController();
    EXPECT_EQ(calls, (std::vector<std::string>{"save", "insert"}));
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_EQ(inserted[0], u"First block\n\nSecond <b>block</b>\n\nThird\n\n");
    EXPECT_FALSE(session->scannedLiveTextBuffer().has_value());
}

TEST_F(ScannerSessionTest, clearingThenClosingInsertsNothing)
{
    std::shared_ptr<LiveTextScannerSession> session = makeSession();
    session->insertTextFromLiveTextScanner();
    std::shared_ptr<VisionDataScannerViewController> host = VisionDataScannerViewController::sharedInstance();
    host->copyScannedTextIntoView(u"Gone\n\n");
    session->clearLiveTextAction();
    EXPECT_EQ(ProgressHUD::shared().status(), u"Cancelled");
    host->visionKitDataScannerDismissedViewController();
    EXPECT_EQ(calls, (std::vector<std::string>{"save"}));
    EXPECT_TRUE(inserted.empty());
}

TEST_F(ScannerSessionTest, theInfoNoteShowsOverTheScanner)
{
    std::shared_ptr<LiveTextScannerSession> session = makeSession();
    session->insertTextFromLiveTextScanner();
    auto navigation = std::dynamic_pointer_cast<NavigationController>(presented.at(0));
    auto window = std::make_shared<ViewController>();
    ASSERT_TRUE(window->presentViewController(navigation, false));
    session->infoLiveTextAction();
    auto alert = std::dynamic_pointer_cast<AlertController>(navigation->topViewController()->presentedViewController());
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), u"Scan Text");
    EXPECT_NE(alert->message().find(u"tap on it to copy it"), std::u16string::npos);
    EXPECT_EQ(LiveTextScannerSession::notSupportedAlert()->title(), u"Not Supported");
}

} // namespace
} // namespace folio

#include "shell/AppController.h"
#include "delivery/PDFResultActions.h"
#include "testing/RecordingExportServices.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

#include "support/DocumentTestSupport.h"
#include "export/pdf/HTMLToPDFTestSupport.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using namespace testing_support;

// The browser's PDF hook on the real web engine: the file the conversion
// leaves behind holds the document's words, and the action sends that file.
TEST(AppControllerExportWeb, PDFOfARichTextFileHoldsItsWords)
{
    ScratchFolder folder("app-controller-export-web");
    UserDefaults defaults(folder.path("prefs.plist"));
    RecordingExportServices services;
    AppController controller;
    controller.setUserDefaults(&defaults);
    controller.exports().setExportServices(services.services());
    std::string rtf = folder.path("Lantern.rtf");
    writeFile(rtf, "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 Amber lantern\\par Copper kettle\\par}");

    Status started = controller.exports().PDFURLForFileItem(rtf, PDFAction::GoogleDrive);
    ASSERT_TRUE(started) << started.error().message;
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return controller.exports().runningPDFExportCount() == 0; }, 120));
    Status outcome = controller.exports().lastPDFExportOutcome();
    ASSERT_TRUE(outcome) << outcome.error().message;

    std::string pdf = controller.exports().PDFCreator()->PDFpath();
    EXPECT_EQ(pdfPageCount(pdf), 1);
    std::string text = pdfText(pdf, 1);
    EXPECT_NE(text.find("Amber lantern"), std::string::npos) << text;
    EXPECT_NE(text.find("Copper kettle"), std::string::npos) << text;
    ASSERT_EQ(services.calls().size(), 1u);
    EXPECT_EQ(services.calls()[0].kind, RecordingExportServices::Kind::Cloud);
    EXPECT_EQ(services.calls()[0].destination, CloudDestination::GoogleDrive);
    EXPECT_EQ(services.calls()[0].name, "Lantern.pdf");
    EXPECT_EQ(services.calls()[0].byteCount, readFile(pdf).size());
}

} // namespace
} // namespace folio

#include "export/ExportNaming.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(ExportNaming, CopiesGoBesideTheItem)
{
    EXPECT_EQ(ExportNaming::copyPath("/docs/Notes.md"), "/docs/Notes-Copy.pdf");
    EXPECT_EQ(ExportNaming::copyPath("/docs/archive.tar.rtf", "html"), "/docs/archive.tar-Copy.html");
    EXPECT_EQ(ExportNaming::timedCopyPath("/docs/Report.pdf", 7, 42), "/docs/Report.pdf-07-42.pdf");
    EXPECT_EQ(ExportNaming::temporaryPath("/tmp/x", "/docs/Notes.md"), "/tmp/x/Notes.md.pdf");
}

TEST(ExportNaming, LegacyDocumentsRenameBrowserActions)
{
    EXPECT_EQ(ExportNaming::actionForBrowserRequest("/d/a.marquent", PDFAction(0)), PDFAction(13));
    EXPECT_EQ(ExportNaming::actionForBrowserRequest("/d/a.marquent", PDFAction(3)), PDFAction(14));
    EXPECT_EQ(ExportNaming::actionForBrowserRequest("/d/a.marquent", PDFAction(4)), PDFAction(4));
    EXPECT_EQ(ExportNaming::actionForBrowserRequest("/d/a.rtf", PDFAction(0)), PDFAction(0));
    EXPECT_EQ(ExportNaming::actionForPreview("/d/a.marquent"), PDFAction(13));
    EXPECT_EQ(ExportNaming::actionForPreview("/d/a.rtf"), PDFAction(1));
}

TEST(ExportNaming, ConvertAndOpenActionsDependOnScopeAndFolder)
{
    using Scope = ExportNaming::Scope;
    EXPECT_EQ(ExportNaming::actionForConvertAndOpen("/Apps/Files/Docs/a.rtf", Scope::Dropbox), PDFAction(55));
    EXPECT_EQ(ExportNaming::actionForConvertAndOpen("/Apps/Files/Data/a.rtf", Scope::Dropbox), PDFAction(55));
    EXPECT_EQ(ExportNaming::actionForConvertAndOpen("/Apps/Files/Docs/a.rtf", Scope::iCloud), PDFAction(12));
    EXPECT_EQ(ExportNaming::actionForConvertAndOpen("/B.scriv/Files/Docs/a.rtf", Scope::iCloud), PDFAction(55));
    EXPECT_EQ(ExportNaming::actionForConvertAndOpen("/Apps/Files/Docs/a.rtf", Scope::Local), PDFAction(12));
    EXPECT_EQ(ExportNaming::actionForConvertAndOpen("/d/a.marquent", Scope::Local), PDFAction(16));
}

} // namespace
} // namespace folio

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
    EXPECT_EQ(ExportNaming::actionForBrowserRequest("/d/a.marquent", 0), 13);
    EXPECT_EQ(ExportNaming::actionForBrowserRequest("/d/a.marquent", 3), 14);
    EXPECT_EQ(ExportNaming::actionForBrowserRequest("/d/a.marquent", 4), 4);
    EXPECT_EQ(ExportNaming::actionForBrowserRequest("/d/a.rtf", 0), 0);
    EXPECT_EQ(ExportNaming::actionForPreview("/d/a.marquent"), 13);
    EXPECT_EQ(ExportNaming::actionForPreview("/d/a.rtf"), 1);
}

TEST(ExportNaming, ConvertAndOpenActionsDependOnScopeAndFolder)
{
    using Scope = ExportNaming::Scope;
    EXPECT_EQ(ExportNaming::actionForConvertAndOpen("/Apps/Files/Docs/a.rtf", Scope::Dropbox), 55);
    EXPECT_EQ(ExportNaming::actionForConvertAndOpen("/Apps/Files/Data/a.rtf", Scope::Dropbox), 55);
    EXPECT_EQ(ExportNaming::actionForConvertAndOpen("/Apps/Files/Docs/a.rtf", Scope::iCloud), 12);
    EXPECT_EQ(ExportNaming::actionForConvertAndOpen("/B.scriv/Files/Docs/a.rtf", Scope::iCloud), 55);
    EXPECT_EQ(ExportNaming::actionForConvertAndOpen("/Apps/Files/Docs/a.rtf", Scope::Local), 12);
    EXPECT_EQ(ExportNaming::actionForConvertAndOpen("/d/a.marquent", Scope::Local), 16);
}

} // namespace
} // namespace folio

#include "documents/DocumentPageSettings.h"

#include "formats/rtf/DKRTFPageSettings.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace folio {
namespace {

// Storing a document's page settings replaces what an earlier document left
// under the same keys, and reaches the file, not only memory.
TEST(DocumentPageSettings, storingReplacesWhatAnEarlierDocumentLeftAndReachesTheFile)
{
    DKRTFPageSettings first;
    first.setPageMargin(DKRTFPageSettings::kPageMarginLeftKey, 1134);
    first.setParagraphSpacing(DKRTFPageSettings::kParagraphSpacingKey, 250);
    first.setHeaderFooterControl(DKRTFPageSettings::kHeaderControlKey, u"1::Left::0");
    first.setHeaderFooterControl(DKRTFPageSettings::kFooterControlKey, u"f::2");
    first.completeWithRTFDefaults(true);

    std::string path = (std::filesystem::path(std::getenv("FOLIO_HOME")) / "page-settings-defaults.plist").string();
    std::filesystem::remove(path);
    UserDefaults defaults(path);
    DocumentPageSettings::store(first, defaults);
    EXPECT_EQ(defaults.stringForKey(DKRTFPageSettings::kFooterControlKey), "f::2");
    EXPECT_NEAR(defaults.floatForKey(DKRTFPageSettings::kPageMarginLeftKey).value_or(0), 2.0, 0.001);

    DKRTFPageSettings other;
    other.completeWithRTFDefaults(true);
    DocumentPageSettings::store(other, defaults);
    for (std::string_view key : {DKRTFPageSettings::kParagraphSpacingKey, DKRTFPageSettings::kHeaderControlKey,
                                 DKRTFPageSettings::kFooterControlKey})
        EXPECT_FALSE(defaults.objectForKey(key).has_value()) << key;
    // A document without margins has RTF's own, never the earlier document's.
    EXPECT_NEAR(defaults.floatForKey(DKRTFPageSettings::kPageMarginLeftKey).value_or(0), 3.175, 0.001);
    UserDefaults reloaded(path);
    EXPECT_FALSE(reloaded.objectForKey(DKRTFPageSettings::kHeaderControlKey).has_value());
    EXPECT_NEAR(reloaded.floatForKey(DKRTFPageSettings::kPageMarginLeftKey).value_or(0), 3.175, 0.001);
}

// The open document's settings stand over the user's store: its own keys
// read its values, every other key the user's, and the user's store keeps
// its own page values.
TEST(DocumentPageSettings, theDocumentsValuesStandOverTheUsersPreferences)
{
    std::string path = (std::filesystem::path(std::getenv("FOLIO_HOME")) / "page-settings-user.plist").string();
    std::filesystem::remove(path);
    UserDefaults user(path);
    user.setString(DKRTFPageSettings::kFooterControlKey, "user footer");
    user.setBool("wordCounterVisible", true);

    DKRTFPageSettings page;
    page.setHeaderFooterControl(DKRTFPageSettings::kFooterControlKey, u"f::2");
    page.completeWithRTFDefaults(true);
    std::unique_ptr<UserDefaults> layered = DocumentPageSettings::overUserSettings(page, user);
    ASSERT_TRUE(layered);
    EXPECT_EQ(layered->stringForKey(DKRTFPageSettings::kFooterControlKey), "f::2");
    EXPECT_EQ(layered->boolForKey("wordCounterVisible"), true);
    EXPECT_FALSE(layered->objectForKey(DKRTFPageSettings::kHeaderControlKey).has_value())
        << "a header the document does not give is not the user's either";
    EXPECT_EQ(user.stringForKey(DKRTFPageSettings::kFooterControlKey), "user footer");
    EXPECT_FALSE(layered->objectForKey(DKRTFPageSettings::kPaperWidthKey).has_value())
        << "a document that names no paper is laid out on the default";

    // The paper a file names stays with the document, for its save.
    DKRTFPageSettings letter;
    letter.setPaperWidth(12240);
    letter.setPaperHeight(15840);
    letter.completeWithRTFDefaults(true);
    std::unique_ptr<UserDefaults> letterDocument = DocumentPageSettings::overUserSettings(letter, user);
    EXPECT_EQ(letterDocument->doubleForKey(DKRTFPageSettings::kPaperWidthKey), 612);
    EXPECT_EQ(letterDocument->doubleForKey(DKRTFPageSettings::kPaperHeightKey), 792);
}

} // namespace
} // namespace folio

#include "engine/fonts/TEFontOverrideTable.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using Kind = TEFontOverrideTable::Kind;

TEST(TEFontOverrideTable, preloadedEntriesNeverReplacePresentOnes)
{
    TEFontOverrideTable table;
    table.setFontName(Kind::Override, "Chosen", "Avenir", false, false);
    unsigned long before = table.generation();
    table.addMissingEntries({{"Avenir-0-0-override", "Avenir-Book"}, {"Avenir-1-0-override", "Avenir-Black"}});
    EXPECT_EQ(table.fontName(Kind::Override, "Avenir", false, false), "Chosen");
    EXPECT_EQ(table.fontName(Kind::Override, "Avenir", true, false), "Avenir-Black");
    EXPECT_NE(table.generation(), before);
}

} // namespace
} // namespace folio

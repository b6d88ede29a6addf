#include "formats/rtf/DKRTFReaderFontTable.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(DKRTFReaderFontTable, findsEveryNumberGivenWhateverItsSizeAndOrder)
{
    // Small numbers, a gap, Word's theme fonts far above them, a number
    // given twice and a negative one.
    DKRTFReaderFontTable table;
    const StringEncoding document = StringEncoding::windowsCodePage(1250);
    table.addEntry(31500, u"Theme Font", 204);
    table.addEntry(3, u"Symbol", 2);
    table.addEntry(0, u"Times", 0);
    table.addEntry(5000, u"Far Font", 0);
    table.addEntry(3, u"Courier", 238);
    table.addEntry(-1, u"Dropped", 0);

    EXPECT_EQ(table.fontNameAtIndex(0), u"Times");
    EXPECT_EQ(table.fontNameAtIndex(3), u"Courier") << "the later entry of a number wins";
    EXPECT_EQ(table.fontNameAtIndex(31500), u"Theme Font");
    EXPECT_EQ(table.fontNameAtIndex(5000), u"Far Font");
    for (int missing : {1, 2, 4, 4095, 4096, 31499, -1, 100000})
        EXPECT_EQ(table.fontNameAtIndex(missing), u"Helvetica") << missing;
    EXPECT_EQ(table.count(), 4u);

    EXPECT_EQ(&table.fontEncodingAtIndex(0, document), &document) << "the ANSI set reads in the document's code page";
    EXPECT_EQ(table.fontEncodingAtIndex(3, document), StringEncoding::windowsCodePage(1250));
    EXPECT_EQ(table.fontEncodingAtIndex(31500, document), StringEncoding::windowsCodePage(1251));
    EXPECT_EQ(&table.fontEncodingAtIndex(5000, document), &document);
    EXPECT_EQ(&table.fontEncodingAtIndex(2, document), &document);
    EXPECT_EQ(&table.fontEncodingAtIndex(-1, document), &document);
}

} // namespace
} // namespace folio

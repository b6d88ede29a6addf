#include "documents/RichTextPageLimits.h"

#include "formats/rtf/RichTextConverter.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

std::vector<std::string> limitsOf(const std::string& body)
{
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0\\fnil Helvetica;}{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs24 "
        + body + "}";
    Result<DKRTFReadResult> read = RichTextConverter::engineConverter()->readRTF(DKRTFReaderSource::utf8(rtf), "limits.rtf");
    EXPECT_TRUE(read);
    return read ? RichTextPageLimits::constructsThePageCannotHold(read->text) : std::vector<std::string>{"unread"};
}

const std::vector<std::string> kTables{"tables"};

TEST(RichTextPageLimitsTest, tablesAreWhatThePageCannotHoldWhereverTheyStand)
{
    EXPECT_EQ(limitsOf("\\trowd\\cellx2000\\cellx4000\\pard\\intbl A\\cell B\\cell\\row\\pard After.\\par"), kTables);
    // A table after ordinary text, and one nested in another.
    EXPECT_EQ(limitsOf("\\pard Before\\par\\trowd\\cellx3000\\pard\\intbl only cell\\cell\\row"), kTables);
    EXPECT_EQ(limitsOf("\\trowd\\cellx4000\\pard\\intbl\\itap2 inner\\nestcell{\\*\\nesttableprops\\trowd\\cellx2000"
                       "\\nestrow}outer\\cell\\row"),
              kTables);
}

TEST(RichTextPageLimitsTest, whatThePageCarriesBackLeavesTheDocumentEditable)
{
    // The words of a table mark in the text are no table.
    EXPECT_TRUE(limitsOf("\\pard Write \\\\trowd to start a row.\\par").empty());
    EXPECT_TRUE(limitsOf("\\pard Plain {\\b bold} {\\i italic} {\\strike struck} {\\super up} {\\cf1 red}\\par").empty());
    EXPECT_TRUE(limitsOf("\\pard\\qc centred\\par\\pard\\li720\\fi360\\sb240 indented\\par").empty());
    EXPECT_TRUE(limitsOf("\\pard a{\\*\\footnote {\\chftn} The note.} b\\par").empty());
    EXPECT_TRUE(limitsOf("\\pard {\\field{\\*\\fldinst HYPERLINK \"http://example.com\"}{\\fldrslt link}}\\par").empty());
    EXPECT_TRUE(limitsOf("\\pard One\\page Two\\par").empty());
    // Formatting that only changes its look keeps the document editable.
    EXPECT_TRUE(limitsOf("\\pard {\\uldb double} {\\uld dotted}\\par").empty());
    EXPECT_TRUE(limitsOf("").empty());
}

} // namespace
} // namespace folio

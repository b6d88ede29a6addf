#include "engine/model/TEAttributeKeys.h"
#include "formats/rtf/RichTextConverter.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "richtext/RichTextBodyCleaner.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// An RTF document as the editing page shows it and hands it back to a save.
class RichTextPageBlanksTest : public testing::Test {
protected:
    // The page's HTML for the text of `rtf`.
    std::string pageFor(const std::string& rtf)
    {
        Result<DKRTFReadResult> read = m_converter->readRTF(DKRTFReaderSource::utf8(rtf), "blanks.rtf");
        EXPECT_TRUE(read.ok());
        if (!read)
            return {};
        Result<std::string> page = m_converter->htmlFragmentFromAttributedString(read->text, "blanks.rtf");
        EXPECT_TRUE(page.ok());
        return page ? *page : std::string();
    }

    // The text saved from the page, which serialises a no-break space as
    // "&nbsp;".
    MutableAttributedString saved(const std::string& pageHTML)
    {
        std::string served = stringByReplacingOccurrencesOfString(pageHTML, "\xC2\xA0", "&nbsp;");
        Result<MutableAttributedString> back = m_converter->attributedStringFromHTML(RichTextBodyCleaner::cleaned(served));
        EXPECT_TRUE(back.ok());
        return back ? std::move(*back) : MutableAttributedString();
    }

    std::string savedText(const std::string& rtf) { return toUtf8(saved(pageFor(rtf)).string()); }

    std::shared_ptr<RichTextConverter> m_converter = RichTextConverter::engineConverter();
};

TEST_F(RichTextPageBlanksTest, aBlankEndingAParagraphIsSavedAsItWas)
{
    // The page's last paragraph comes back with a paragraph end.
    EXPECT_EQ(savedText("{\\rtf1\\ansi alone \\par two  \\par three   \\par {\\b bold }\\par end }"),
              "alone \ntwo  \nthree   \nbold \nend \n");
    // The blank keeps its own looks, not those of the word before it.
    MutableAttributedString crossed = saved(pageFor("{\\rtf1\\ansi {\\strike crossed}\\strike0  \\par}"));
    ASSERT_EQ(toUtf8(crossed.string()), "crossed \n");
    EXPECT_TRUE(crossed.attributesAtIndex(6)->containsKey(TEStrikeOutAttribute));
    EXPECT_FALSE(crossed.attributesAtIndex(7)->containsKey(TEStrikeOutAttribute));
}

TEST_F(RichTextPageBlanksTest, aParagraphOfOneBlankIsSavedAsItWas)
{
    EXPECT_EQ(savedText("{\\rtf1\\ansi one\\par  \\par two\\par   \\par {\\b  }\\par end\\par}"),
              "one\n \ntwo\n  \n \nend\n");
}

TEST_F(RichTextPageBlanksTest, aBlankBeforeALineBreakIsSavedAsItWas)
{
    EXPECT_EQ(savedText("{\\rtf1\\ansi word \\line next\\par two  \\line   \\line three \\line\\par}"),
              "word \u2028next\ntwo  \u2028  \u2028three \u2028\n");
}

TEST_F(RichTextPageBlanksTest, aFilesNoBreakSpacesStayNoBreakSpaces)
{
    EXPECT_EQ(savedText("{\\rtf1\\ansi 10\\~km\\par end\\~\\par {\\b bold\\~}\\par end\\~ \\par}"),
              "10\u00A0km\nend\u00A0\nbold\u00A0\nend\u00A0 \n");
    // Where the page writes a typed blank as one too: at a paragraph's
    // start, at the end of a run that text follows, and after a blank.
    EXPECT_EQ(savedText("{\\rtf1\\ansi \\~lead\\par {\\b 10\\~}km\\par 10{\\b \\~km}\\par a \\~b\\par}"),
              "\u00A0lead\n10\u00A0km\n10\u00A0km\na \u00A0b\n");
}

} // namespace
} // namespace folio

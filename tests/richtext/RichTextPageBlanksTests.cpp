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
        Result<DKRTFReadResult> read = m_converter->readRTF(toUtf16(rtf), "blanks.rtf");
        EXPECT_TRUE(read.ok());
        if (!read)
            return {};
        Result<std::u16string> page = m_converter->htmlFragmentFromAttributedString(read->text, "blanks.rtf");
        EXPECT_TRUE(page.ok());
        return page ? toUtf8(*page) : std::string();
    }

    // The text saved from the page, which serialises a no-break space as
    // "&nbsp;".
    std::string saved(const std::string& pageHTML)
    {
        std::string served = stringByReplacingOccurrencesOfString(pageHTML, "\xC2\xA0", "&nbsp;");
        Result<MutableAttributedString> back = m_converter->attributedStringFromHTML(RichTextBodyCleaner::cleaned(served));
        EXPECT_TRUE(back.ok());
        return back ? toUtf8(back->string()) : std::string();
    }

    // Whether a browser would hide the last blank of the paragraph that ends
    // with `words`: one followed by nothing but tags up to the paragraph's end.
    static bool hidesTheBlankAfter(const std::string& pageHTML, const std::string& words)
    {
        std::size_t at = pageHTML.find(words);
        EXPECT_NE(at, std::string::npos) << pageHTML;
        std::size_t end = pageHTML.find("</div>", at);
        std::string text;
        for (std::size_t index = at; index < end; ++index) {
            if (pageHTML[index] == '<')
                index = pageHTML.find('>', index);
            else
                text += pageHTML[index];
        }
        return text.ends_with(' ');
    }

    std::shared_ptr<RichTextConverter> m_converter = RichTextConverter::engineConverter();
};

TEST_F(RichTextPageBlanksTest, aBlankEndingAParagraphIsShownAndSaved)
{
    const std::string page = pageFor("{\\rtf1\\ansi {\\strike crossed}\\strike0  \\par alone \\par two  \\par three   \\par end }");
    for (const char* words : {"crossed", "alone", "two", "three", "end"})
        EXPECT_FALSE(hidesTheBlankAfter(page, words)) << words << " in " << page;
    // The page's last paragraph comes back with a paragraph end.
    EXPECT_EQ(saved(page), "crossed \nalone \ntwo  \nthree   \nend \n");
}

TEST_F(RichTextPageBlanksTest, aFilesNoBreakSpacesStayNoBreakSpaces)
{
    EXPECT_EQ(saved(pageFor("{\\rtf1\\ansi 10\\~km\\par end\\~\\par {\\b bold\\~}\\par}")),
              "10\u00A0km\nend\u00A0\nbold\u00A0\n");
    EXPECT_EQ(saved(pageFor("{\\rtf1\\ansi 10\\~km\\par end\\~ \\par}")), "10\u00A0km\nend\u00A0 \n");
}

} // namespace
} // namespace folio

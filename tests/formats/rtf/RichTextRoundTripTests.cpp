#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/DKRTFWriter.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "engine/attachments/TETextAttachment.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeDictionaryAccess.h"
#include "platform/text/FontAttributeValue.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace folio {
namespace {

// Saving a rich-text document as the app does it: the RTF is read into text,
// the text becomes the editing page's HTML, the page's HTML is cleaned as the
// save cleans it and read back into text, and that text is written as RTF.

std::string readFixture(const std::string& name)
{
    auto data = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf-roundtrip/" + name);
    EXPECT_TRUE(data.ok()) << name;
    return data.ok() ? data->toString() : std::string();
}

void replaceAllIn(std::u16string& text, std::u16string_view from, std::u16string_view to)
{
    for (std::size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The save removes the comment marks, the list and picture placeholders and
// the object characters the page shows, and keeps doubled blanks.
std::string cleanedPageHTML(std::u16string html)
{
    replaceAllIn(html, u"[\U0001F4AC]", u"");
    replaceAllIn(html, u"\uFEFF", u"");
    replaceAllIn(html, u"\uFFFC", u"");
    replaceAllIn(html, u" &nbsp;", u"  ");
    return toUtf8(html);
}

AttributedString readRTF(const std::string& rtf, const std::string& name)
{
    auto text = DKRTFReader::parseRTFString(toUtf16(rtf), name);
    EXPECT_TRUE(text.ok()) << name;
    return text.ok() ? *text : AttributedString();
}

std::string saveThroughPage(const std::string& rtf, const std::string& name, const DKRTFDocumentSettings& settings)
{
    AttributedString opened = readRTF(rtf, name);
    TEHTMLWriterSettings htmlSettings;
    htmlSettings.fileName = name;
    auto edited = attributedStringWithHTMLData(cleanedPageHTML(htmlString(opened, htmlSettings)));
    EXPECT_TRUE(edited.has_value()) << name;
    if (!edited)
        return {};
    auto saved = DKRTFWriter::writeDocument(*edited, settings);
    EXPECT_TRUE(saved.ok()) << name;
    return saved.ok() ? *saved : std::string();
}

// The text a reader sees; a paragraph end after the last line is not visible.
std::u16string visibleText(const AttributedString& text)
{
    std::u16string string = text.string();
    while (!string.empty() && string.back() == u'\n')
        string.pop_back();
    return string;
}

std::string colorText(const AttributeDictionary& attributes, std::string_view key)
{
    const auto* value = attributes.valueForKeyAs<ColorValue>(key);
    if (!value)
        return "none";
    std::ostringstream text;
    text << std::lround(value->color().red() * 255) << "," << std::lround(value->color().green() * 255) << ","
         << std::lround(value->color().blue() * 255);
    return text.str();
}

// Everything about a character's look that a saved document must keep.
std::string formattingAt(const AttributedString& text, std::size_t index)
{
    AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
    if (!attributes)
        return "<none>";
    // Files of ours once marked every run without a background as white
    // ("\\cb1"); the page never showed it, and a save now writes none.
    std::string background = colorText(*attributes, NSBackgroundColorAttributeName);
    if (background == "255,255,255")
        background = "none";
    std::ostringstream summary;
    if (const auto* font = attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName)) {
        summary << "font " << font->font().postScriptName() << " " << font->font().pointSize() << " traits "
                << (font->font().symbolicTraits() & (kFontBoldTrait | kFontItalicTrait));
    }
    summary << "; underline " << intForKey(*attributes, kCTUnderlineStyleAttributeName, 0) << "; strike "
            << intForKey(*attributes, TEStrikeOutAttribute, 0) << "; superscript "
            << intForKey(*attributes, kCTSuperscriptAttributeName, 0) << "; colour "
            << colorText(*attributes, kCTForegroundColorAttributeName) << " on " << background;
    if (const auto* link = attributes->valueForKeyAs<URLValue>(TELinkAttribute))
        summary << "; link " << link->urlString();
    if (const auto* style = attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName)) {
        const PlatformParagraphStyle& paragraph = style->style();
        summary << "; paragraph " << static_cast<int>(paragraph.alignment()) << " " << paragraph.headIndent() << " "
                << paragraph.firstLineHeadIndent() << " " << paragraph.paragraphSpacing() << " "
                << paragraph.paragraphSpacingBefore();
    }
    if (const auto* attachment = attributes->valueForKeyAs<TETextAttachment>(NSAttachmentAttributeName)) {
        const std::u16string* type = attachment->attributeForKey("attachmentType");
        const std::u16string* contents = attachment->contentsString();
        summary << "; attachment " << (type ? toUtf8(*type) : "picture") << " "
                << (contents ? toUtf8(*contents) : std::string());
    }
    return summary.str();
}

struct Fixture {
    const char* name;
    DKRTFDocumentSettings settings;
};

std::vector<Fixture> fixtures()
{
    DKRTFDocumentSettings page;
    page.paperColor = u"FFF8E7";
    page.leftMargin = 2;
    page.rightMargin = 19;
    page.topMargin = 3;
    page.bottomMargin = 2.5f;
    page.pageHeader = u"Helvetica::12::center::#333333::1.5::1::Draft {2}";
    page.pageFooter = u"Helvetica::10::right::#333333::1.5::1::Page";
    page.bookmark = u"120";
    return {{"formatting.rtf", {}}, {"lists.rtf", {}}, {"notes.rtf", {}}, {"nested.rtf", {}}, {"page.rtf", page}};
}

TEST(RichTextRoundTripTests, savingTwiceGivesTheSameBytes)
{
    for (const Fixture& fixture : fixtures()) {
        std::string rtf2 = saveThroughPage(readFixture(fixture.name), fixture.name, fixture.settings);
        ASSERT_FALSE(rtf2.empty()) << fixture.name;
        std::string rtf3 = saveThroughPage(rtf2, fixture.name, fixture.settings);
        EXPECT_EQ(rtf3, rtf2) << fixture.name;
    }
}

TEST(RichTextRoundTripTests, visibleTextAndFormattingSurviveASave)
{
    for (const Fixture& fixture : fixtures()) {
        std::string rtf1 = readFixture(fixture.name);
        AttributedString original = readRTF(rtf1, fixture.name);
        AttributedString saved = readRTF(saveThroughPage(rtf1, fixture.name, fixture.settings), fixture.name);
        ASSERT_EQ(toUtf8(visibleText(saved)), toUtf8(visibleText(original))) << fixture.name;
        ASSERT_GT(original.length(), 0u) << fixture.name;
        for (std::size_t index = 0; index < visibleText(original).size(); ++index) {
            ASSERT_EQ(formattingAt(saved, index), formattingAt(original, index))
                << fixture.name << " at " << index << " in \""
                << toUtf8(original.string().substr(index, 20)) << "\"";
        }
    }
}

TEST(RichTextRoundTripTests, pageSettingsAreWrittenAsTheDocumentHadThem)
{
    for (const Fixture& fixture : fixtures()) {
        std::string rtf1 = readFixture(fixture.name);
        std::string rtf2 = saveThroughPage(rtf1, fixture.name, fixture.settings);
        // The header line and paper colour come first, the header, footer
        // and background groups after the tables; the body follows them.
        auto prologue = [](const std::string& rtf) { return rtf.substr(0, rtf.find("{\\fonttbl")); };
        auto pageGroups = [](const std::string& rtf) {
            std::string groups;
            for (const char* start : {"{\\*\\pageHeader ", "{\\*\\pageFooter ", "{\\*\\background "}) {
                auto at = rtf.find(start);
                if (at != std::string::npos)
                    groups += rtf.substr(at, rtf.find('\n', at) + 1 - at);
            }
            return groups;
        };
        EXPECT_EQ(prologue(rtf2), prologue(rtf1)) << fixture.name;
        EXPECT_EQ(pageGroups(rtf2), pageGroups(rtf1)) << fixture.name;
    }
}

} // namespace
} // namespace folio

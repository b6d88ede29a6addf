#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/DKRTFWriter.h"
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "engine/attachments/TETextAttachment.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEParagraphBorders.h"
#include "engine/model/TEShapePlace.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/AttributeDictionaryAccess.h"
#include "platform/text/FontAttributeValue.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace folio {
namespace {

// Looks word processors give text and paragraphs that the editing page
// has no tool for: each is read as the file has it and comes back the same
// from a save, straight, through the editing page, and after a second save.
class RTFWordProcessorLooksRoundTripTests : public testing::Test {
protected:
    void SetUp() override { FontCatalog::setShared(std::make_shared<FakeFontCatalog>()); }

    static AttributedString read(const std::string& rtf)
    {
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(rtf));
        EXPECT_TRUE(read.ok());
        return read.ok() ? read->text : AttributedString();
    }

    static std::string written(const AttributedString& text)
    {
        Result<std::string> rtf = DKRTFWriter::writeDocument(text, {});
        EXPECT_TRUE(rtf.ok());
        return rtf.ok() ? *rtf : std::string();
    }

    static AttributedString throughThePage(const AttributedString& text)
    {
        TEHTMLWriterSettings settings;
        settings.fileName = "looks";
        // The save takes back the no-break spaces that keep blanks visible.
        const std::string html =
            stringByReplacingOccurrencesOfString(toUtf8(htmlString(text, settings)), " \xC2\xA0", "  ");
        std::optional<AttributedString> back = attributedStringWithHTMLData(html);
        EXPECT_TRUE(back.has_value());
        return back ? *back : AttributedString();
    }

    // The file written straight, through the page, and through the page
    // again after reading that.
    static std::vector<std::string> saves(const std::string& rtf)
    {
        const AttributedString original = read(rtf);
        const std::string paged = written(throughThePage(original));
        return {written(original), paged, written(throughThePage(read(paged)))};
    }

    static AttributeDictionaryPtr attributesOf(const AttributedString& text, std::u16string_view word)
    {
        const std::size_t at = text.string().find(word);
        return at == std::u16string::npos ? nullptr : text.attributesAtIndex(at);
    }
};

TEST_F(RTFWordProcessorLooksRoundTripTests, aDoubleStrikeStaysDoubleAndASingleOneSingle)
{
    auto strike = [](const AttributeDictionaryPtr& attributes) -> std::string {
        if (!attributes)
            return "missing";
        if (intForKey(*attributes, TEStrikeOutAttribute, 0) == 0)
            return attributes->containsKey(TEDoubleStrikeOutAttribute) ? "double without a strike" : "none";
        return attributes->containsKey(TEDoubleStrikeOutAttribute) ? "double" : "single";
    };
    // TextEdit ends a single strike with both words; Word's "\striked0"
    // after "\strike" leaves the single line.
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 Plain \\striked1 twice\\striked0  mid "
                            "\\strike once\\strike0\\striked0  after {\\strike\\striked0 still} and {\\striked1\\strike "
                            "back}.\\par}";
    const AttributedString original = read(rtf);
    ASSERT_EQ(toUtf8(original.string()), "Plain twice mid once after still and back.\n");
    for (const std::string& saved : saves(rtf)) {
        const AttributedString again = read(saved);
        EXPECT_EQ(strike(attributesOf(again, u"twice")), "double") << saved;
        EXPECT_EQ(strike(attributesOf(again, u"mid")), "none") << saved;
        EXPECT_EQ(strike(attributesOf(again, u"once")), "single") << saved;
        EXPECT_EQ(strike(attributesOf(again, u"after")), "none") << saved;
        EXPECT_EQ(strike(attributesOf(again, u"still")), "single") << saved;
        EXPECT_EQ(strike(attributesOf(again, u"back")), "single") << saved;
    }
}

// Word's underline of the words alone is shown as an underline on the page
// and written back as it came; a whole-line underline stays whole.
TEST_F(RTFWordProcessorLooksRoundTripTests, anUnderlineOfTheWordsAloneStaysOneAndShowsAsAnUnderline)
{
    auto underline = [](const AttributeDictionaryPtr& attributes) -> std::string {
        if (!attributes)
            return "missing";
        const std::int64_t style = intForKey(*attributes, kCTUnderlineStyleAttributeName, 0);
        return style == 0 ? "none" : style == 1 ? "line" : style == 0x8001 ? "words" : "style " + std::to_string(style);
    };
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 Plain {\\ulw under the words} mid "
                            "{\\ul whole line} then {\\ulw\\ulnone off} and {\\ulw\\uldb doubled} end.\\par}";
    const AttributedString original = read(rtf);
    ASSERT_EQ(underline(attributesOf(original, u"under the words")), "words");
    for (const std::string& saved : saves(rtf)) {
        const AttributedString again = read(saved);
        EXPECT_EQ(underline(attributesOf(again, u"under the words")), "words") << saved;
        EXPECT_EQ(underline(attributesOf(again, u"whole line")), "line") << saved;
        EXPECT_EQ(underline(attributesOf(again, u"mid")), "none") << saved;
        EXPECT_EQ(underline(attributesOf(again, u"off")), "none") << saved;
        EXPECT_EQ(underline(attributesOf(again, u"doubled")), "style 9") << saved;
    }
    // The page draws it as an underline, the spaces included.
    TEHTMLWriterSettings settings;
    settings.fileName = "looks";
    const std::string html = toUtf8(htmlString(original, settings));
    const std::size_t words = html.find("under the words");
    ASSERT_NE(words, std::string::npos) << html;
    const std::string span = html.substr(html.rfind("<span", words), words - html.rfind("<span", words));
    EXPECT_NE(span.find("text-decoration:underline"), std::string::npos) << span;
}

TEST_F(RTFWordProcessorLooksRoundTripTests, raisedAndLoweredTextKeepsItsDistanceAndItsSize)
{
    auto looks = [](const AttributeDictionaryPtr& attributes) -> std::string {
        if (!attributes)
            return "missing";
        const auto* font = attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
        return "shift " + std::to_string(intForKey(*attributes, TEBaselineShiftAttribute, 0)) + " superscript "
            + std::to_string(intForKey(*attributes, kCTSuperscriptAttributeName, 0)) + " size "
            + (font ? formatShortest(font->font().pointSize()) : std::string("none"));
    };
    // Word raises by half points ("\up6", 3 points) and lowers likewise;
    // LibreOffice's superscripts are raised smaller ("\updnprop") by a
    // distance of their own, which other programs show them at.
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs24 Base {\\up6 raised} mid {\\dn4 lowered}"
                            " and {\\super sup} then {{\\*\\updnprop8000}\\dn2 small}{\\up6 up\\up0  level} end"
                            "{{\\*\\updnprop8000}\\up8 high}{\\super\\up5 both}.\\par}";
    const AttributedString original = read(rtf);
    ASSERT_EQ(looks(attributesOf(original, u"raised")), "shift 6 superscript 0 size 12");
    for (const std::string& saved : saves(rtf)) {
        const AttributedString again = read(saved);
        EXPECT_EQ(looks(attributesOf(again, u"raised")), "shift 6 superscript 0 size 12") << saved;
        EXPECT_EQ(looks(attributesOf(again, u"lowered")), "shift -4 superscript 0 size 12") << saved;
        EXPECT_EQ(looks(attributesOf(again, u"sup")), "shift 0 superscript 1 size 12") << saved;
        EXPECT_EQ(looks(attributesOf(again, u"small")), "shift -2 superscript -1 size 12") << saved;
        EXPECT_EQ(looks(attributesOf(again, u"high")), "shift 8 superscript 1 size 12") << saved;
        EXPECT_EQ(looks(attributesOf(again, u"both")), "shift 5 superscript 1 size 12") << saved;
        EXPECT_EQ(looks(attributesOf(again, u"up level")), "shift 6 superscript 0 size 12") << saved;
        EXPECT_EQ(looks(attributesOf(again, u" level")), "shift 0 superscript 0 size 12") << saved;
        EXPECT_EQ(looks(attributesOf(again, u"mid")), "shift 0 superscript 0 size 12") << saved;
    }
    // The page shows such text as a superscript or subscript; taken off
    // there, or turned the other way, it keeps no distance.
    const std::string html = toUtf8(htmlString(original, TEHTMLWriterSettings()));
    const std::size_t high = html.find("high<");
    ASSERT_NE(high, std::string::npos) << html;
    const std::string span = html.substr(html.rfind("<span", high), high - html.rfind("<span", high));
    EXPECT_NE(span.find("vertical-align:super"), std::string::npos) << span;
    EXPECT_NE(span.find("data-superscript-shift=\"8\""), std::string::npos) << span;
    std::optional<AttributedString> edited = attributedStringWithHTMLData(
        "<p><span data-superscript-shift=\"8\">plain</span> <span style=\"vertical-align:sub\" data-superscript-shift=\"8\">"
        "down</span> <span style=\"vertical-align:super\" data-superscript-shift=\"8\">up</span> "
        "<span style=\"vertical-align:super\" data-superscript-shift=\"1e9\">far</span></p>");
    ASSERT_TRUE(edited.has_value());
    EXPECT_EQ(looks(attributesOf(*edited, u"plain")).substr(0, 21), "shift 0 superscript 0");
    EXPECT_EQ(looks(attributesOf(*edited, u"down")).substr(0, 22), "shift 0 superscript -1");
    EXPECT_EQ(looks(attributesOf(*edited, u"up")).substr(0, 21), "shift 8 superscript 1");
    EXPECT_EQ(looks(attributesOf(*edited, u"far")).substr(0, 21), "shift 0 superscript 1");

    // A shift past any page is damage, kept within one.
    EXPECT_EQ(looks(attributesOf(read("{\\rtf1\\ansi\\fs24 {\\up2147483647 far}{\\dn2147483647 deep}\\par}"), u"far")),
              "shift 1584 superscript 0 size 12");
    EXPECT_EQ(looks(attributesOf(read("{\\rtf1\\ansi\\fs24 {\\up2147483647 far}{\\dn2147483647 deep}\\par}"), u"deep")),
              "shift -1584 superscript 0 size 12");
}

TEST_F(RTFWordProcessorLooksRoundTripTests, aParagraphThatStartsAPageKeepsItsBreakAndTheNextOneHasNone)
{
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 First page.\\par\\pard\\pagebb Second page.\\par"
                            "\\pard Body after.\\par\\pard\\pagebb Third page.\\par\\pard\\pagebb Fourth page.\\par\\pard Last.\\par}";
    const AttributedString original = read(rtf);
    ASSERT_EQ(toUtf8(original.string()), "First page.\n\fSecond page.\nBody after.\n\fThird page.\n\fFourth page.\nLast.\n");
    for (const std::string& saved : saves(rtf)) {
        const AttributedString again = read(saved);
        EXPECT_EQ(toUtf8(again.string()), toUtf8(original.string())) << saved;
        for (std::u16string_view paragraph : {u"\fSecond", u"\fThird", u"\fFourth"}) {
            AttributeDictionaryPtr breakAttributes = attributesOf(again, paragraph);
            ASSERT_TRUE(breakAttributes) << toUtf8(std::u16string(paragraph));
            EXPECT_TRUE(breakAttributes->containsKey(TEPageBreakBeforeParagraphAttribute)) << saved;
        }
        // The paragraph's own break, not a break of its own in the text.
        EXPECT_EQ(saved.find("\\page "), std::string::npos) << saved;
        // Word and LibreOffice break every paragraph until "\pard".
        for (auto [broken, after] : {std::pair{"Second page.", "Body after."}, std::pair{"Fourth page.", "Last."}}) {
            const std::size_t end = saved.find(broken);
            ASSERT_NE(end, std::string::npos) << saved;
            EXPECT_NE(saved.substr(end, saved.find(after) - end).find("\\pard"), std::string::npos) << saved;
        }
    }
}

TEST_F(RTFWordProcessorLooksRoundTripTests, aGroupOfRuledParagraphsEndsWithAParagraphReset)
{
    auto borders = [](const AttributedString& text, std::u16string_view word) -> std::string {
        AttributeDictionaryPtr attributes = attributesOf(text, word);
        const auto* value = attributes ? attributes->valueForKeyAs<StringValue>(TEParagraphBordersAttribute) : nullptr;
        return value ? toUtf8(value->value()) : std::string("none");
    };
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\pard\\brdrt\\brdrs\\brdrw10\\brsp20 "
                            "\\brdrb\\brdrs\\brdrw10\\brsp20 \\brdrbtw\\brdrs\\brdrw10\\brsp20 One boxed.\\par Two boxed.\\par"
                            "\\pard Plain after.\\par\\pard\\brdrb\\brdrdb\\brdrw15 Underlined.\\par\\pard Last.\\par}";
    const AttributedString original = read(rtf);
    const std::string group = borders(original, u"One");
    ASSERT_EQ(TEParagraphBorders::fromText(group).value_or(TEParagraphBorders()).sides[4].has_value(), true) << group;
    ASSERT_EQ(borders(original, u"Two"), group);
    for (const std::string& saved : saves(rtf)) {
        const AttributedString again = read(saved);
        EXPECT_EQ(borders(again, u"One"), group) << saved;
        EXPECT_EQ(borders(again, u"Two"), group) << saved;
        EXPECT_EQ(borders(again, u"Plain"), "none") << saved;
        EXPECT_EQ(borders(again, u"Underlined"), borders(original, u"Underlined")) << saved;
        EXPECT_EQ(borders(again, u"Last"), "none") << saved;
        // Taking the lines away side by side ("\brdrnone") leaves the
        // group's last paragraph without its bottom line in LibreOffice.
        EXPECT_EQ(saved.find("\\brdrnone"), std::string::npos) << saved;
        const std::size_t end = saved.find("Two boxed.");
        EXPECT_NE(saved.substr(end, saved.find("Plain after.") - end).find("\\pard"), std::string::npos) << saved;
    }
}

// A picture Word set in a shape at an offset keeps the shape's place through
// saves, and a line break that clears it its side; words in the place that
// are not a shape's never reach a file.
TEST_F(RTFWordProcessorLooksRoundTripTests, aPictureInAShapeKeepsTheShapesPlaceAndItsClearingBreak)
{
    auto place = [](const AttributedString& text) -> std::string {
        for (std::size_t at = 0; at < text.length(); ++at) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(at);
            const auto* picture = attributes ? attributes->valueForKeyAs<TETextAttachment>(NSAttachmentAttributeName) : nullptr;
            if (const std::u16string* words = picture ? picture->attributeForKey(TEShapePlace::kAttributeKey) : nullptr)
                return toUtf8(*words);
            if (picture)
                return "no place";
        }
        return "no picture";
    };
    const std::string words = "\\shpleft2880\\shptop200\\shpright4080\\shpbottom800\\shpbxcolumn\\shpbypara\\shpwr2\\shpwrk0";
    const std::string pict = "{\\pict\\pngblip\\picw1\\pich1\\picwgoal1200\\pichgoal600 89504e470d0a1a0a0000000d494844520000"
                             "00010000000108060000001f15c4890000000d49444154789c63f8cfc0f01f00050001ff89993d1d0000000049454e"
                             "44ae426082}";
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\pard Before.\\par\\pard {\\shp{\\*\\shpinst" + words
        + "\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn pib}{\\sv " + pict + "}}}{\\shprslt " + pict
        + "}}Anchor words.\\lbr2\\line Below it.\\line Beside.\\par}";
    const AttributedString original = read(rtf);
    ASSERT_EQ(place(original), words);
    EXPECT_EQ(toUtf8(original.string()).find("Anchor words."), toUtf8(original.string()).find("\xEF\xBB\xBF") + 3);
    auto clears = [](const AttributedString& text, std::u16string_view before) {
        const std::size_t at = text.string().find(before);
        AttributeDictionaryPtr attributes = at == std::u16string::npos ? nullptr : text.attributesAtIndex(at + before.size());
        return attributes ? intForKey(*attributes, TELineBreakClearAttribute, 0) : -1;
    };
    ASSERT_EQ(clears(original, u"Anchor words."), 2);
    ASSERT_EQ(clears(original, u"Below it."), 0);
    for (const std::string& saved : saves(rtf)) {
        const AttributedString again = read(saved);
        EXPECT_FALSE(std::regex_search(saved, std::regex("\\\\(li|sb)[1-9]"))) << "the place became an indent: " << saved;
        EXPECT_EQ(place(again), words) << saved;
        EXPECT_NE(saved.find("{\\shp{\\*\\shpinst" + words), std::string::npos) << saved;
        EXPECT_EQ(clears(again, u"Anchor words."), 2) << saved;
        EXPECT_EQ(clears(again, u"Below it."), 0) << saved;
        EXPECT_NE(saved.find("\\lbr2\\line"), std::string::npos) << saved;
    }
    // What a page hands back as the place is written only when it is a shape's words.
    TEHTMLWriterSettings settings;
    settings.fileName = "looks";
    const std::string html = toUtf8(htmlString(original, settings));
    const std::string attribute = "data-shape=\"";
    const std::size_t start = html.find(attribute);
    ASSERT_NE(start, std::string::npos) << html;
    const std::size_t end = html.find('"', start + attribute.size());
    for (const std::string hostile : {"\\shpleft1}{\\field{\\*\\fldinst HYPERLINK x}}{", "\\b\\shpleft1"}) {
        std::string edited = html;
        edited.replace(start + attribute.size(), end - start - attribute.size(), hostile);
        std::optional<AttributedString> back = attributedStringWithHTMLData(edited);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(place(*back), hostile) << "the page's value is kept as it is";
        const std::string saved = written(*back);
        EXPECT_EQ(saved.find("\\shp"), std::string::npos) << saved;
        EXPECT_EQ(saved.find("fldinst"), std::string::npos) << saved;
        EXPECT_NE(saved.find("\\pict"), std::string::npos) << saved;
    }
    // A picture taken out of the text's wrap on the page stays out of it:
    // its shape, which would wrap it again, is not written.
    std::string unwrapped = html;
    const std::size_t floatAt = unwrapped.find("float:left;");
    ASSERT_NE(floatAt, std::string::npos) << html;
    unwrapped.replace(floatAt, 11, "float:none;");
    std::optional<AttributedString> back = attributedStringWithHTMLData(unwrapped);
    ASSERT_TRUE(back.has_value());
    const std::string saved = written(*back);
    EXPECT_EQ(saved.find("\\shp"), std::string::npos) << saved;
}

// The pictures of a group of shapes each stand where the group put them
// after saves, straight and through the editing page, and the text around
// them stays as it was.
TEST_F(RTFWordProcessorLooksRoundTripTests, thePicturesOfAShapeGroupKeepTheirPlacesThroughSaves)
{
    const std::string pict = "{\\pict\\pngblip\\picw1\\pich1\\picwgoal1200\\pichgoal600 89504e470d0a1a0a0000000d494844520000"
                             "00010000000108060000001f15c4890000000d49444154789c63f8cfc0f01f00050001ff89993d1d0000000049454e"
                             "44ae426082}";
    auto member = [&](int left, int top, int right, int bottom) {
        return "{\\shp{\\*\\shpinst\\shplid1027{\\sp{\\sn relLeft}{\\sv " + std::to_string(left) + "}}{\\sp{\\sn relTop}{\\sv "
            + std::to_string(top) + "}}{\\sp{\\sn relRight}{\\sv " + std::to_string(right) + "}}{\\sp{\\sn relBottom}{\\sv "
            + std::to_string(bottom) + "}}{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn pib}{\\sv " + pict + "}}}}";
    };
    // Three pictures in a group whose coordinates halve them: corner to
    // corner, and one back at the group's left.
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\pard Before.\\par\\pard {\\shpgrp{\\*\\shpinst"
                            "\\shpleft2880\\shptop200\\shpright5280\\shpbottom1400\\shpbxcolumn\\shpbypara\\shpwr2\\shpwrk0"
                            "\\shplid1026{\\sp{\\sn groupLeft}{\\sv 0}}{\\sp{\\sn groupTop}{\\sv 0}}{\\sp{\\sn groupRight}{\\sv 4800}}"
                            "{\\sp{\\sn groupBottom}{\\sv 2400}}"
        + member(0, 0, 2400, 1200) + member(2400, 1200, 4800, 2400) + member(0, 1800, 1200, 2400)
        + "}{\\shprslt{\\*\\do\\dobxcolumn\\dobypara\\dodhgt8192\\dpx2880\\dpy200\\dpxsize2400\\dpysize1200}}}"
          "Anchor words.\\par\\pard After.\\par}";
    // Where the page and print set each picture: the style of its element.
    auto frames = [](const AttributedString& text) {
        TEHTMLWriterSettings settings;
        settings.fileName = "looks";
        const std::string html = toUtf8(htmlString(text, settings));
        std::vector<std::string> styles;
        static const std::regex picture("<img[^>]* style=\"([^\"]*)\"");
        for (auto found = std::sregex_iterator(html.begin(), html.end(), picture); found != std::sregex_iterator(); ++found)
            styles.push_back((*found)[1]);
        return styles;
    };
    // The text without the pictures' characters, and without the line end
    // the page gives a floating picture of its own.
    auto words = [](const AttributedString& text) {
        std::u16string kept;
        for (char16_t unit : text.string()) {
            const bool picture = !kept.empty() && (kept.back() == u'\uFEFF' || kept.back() == u'\uFFFC');
            if (picture && unit == u'\n')
                kept.pop_back();
            else if (picture)
                kept.back() = unit;
            else
                kept += unit;
        }
        return toUtf8(kept);
    };
    const AttributedString original = read(rtf);
    const std::vector<std::string> placed = frames(original);
    ASSERT_EQ(placed.size(), 3u);
    ASSERT_NE(placed[0].find("--shape-right:"), std::string::npos) << placed[0];
    ASSERT_EQ(words(original), "Before.\nAnchor words.\nAfter.\n");
    for (const std::string& saved : saves(rtf)) {
        const AttributedString again = read(saved);
        EXPECT_EQ(frames(again), placed) << saved;
        EXPECT_EQ(words(again), words(original)) << saved;
    }
}

// A floating picture comes back from the editing page in the paragraph it
// is anchored to: a save adds no paragraph of its own for it, which other
// programs would print as a blank line above the text.
TEST_F(RTFWordProcessorLooksRoundTripTests, aFloatingPictureStaysInItsParagraphThroughSaves)
{
    const std::string pict = "{\\pict\\pngblip\\picw1\\pich1\\picwgoal1200\\pichgoal600 89504e470d0a1a0a0000000d494844520000"
                             "00010000000108060000001f15c4890000000d49444154789c63f8cfc0f01f00050001ff89993d1d0000000049454e"
                             "44ae426082}";
    const std::string shape = "{\\shp{\\*\\shpinst\\shpleft2880\\shptop200\\shpright4080\\shpbottom800\\shpbxcolumn"
                              "\\shpbypara\\shpwr2\\shpwrk0\\shplid1025{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn pib}{\\sv "
        + pict + "}}}{\\shprslt " + pict + "}}";
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\pard Before.\\par\\pard " + shape
        + "Anchor words.\\par\\pard\\par\\pard Typed " + shape + "\\line after a break.\\par\\pard After.\\par}";
    const AttributedString original = read(rtf);
    // The pictures' characters where the file had them: first in the
    // anchoring paragraph, and before the typed line break in the other.
    ASSERT_EQ(toUtf8(original.string()),
              "Before.\n\xEF\xBB\xBF" "Anchor words.\n\nTyped \xEF\xBB\xBF\xE2\x80\xA8" "after a break.\nAfter.\n");
    for (const std::string& saved : saves(rtf)) {
        const AttributedString again = read(saved);
        EXPECT_EQ(toUtf8(again.string()), toUtf8(original.string())) << saved;
        // Each still written as a floating shape, which LibreOffice wraps.
        std::size_t shapes = 0;
        for (std::size_t at = saved.find("{\\shp{"); at != std::string::npos; at = saved.find("{\\shp{", at + 1))
            ++shapes;
        EXPECT_EQ(shapes, 2u) << saved;
    }
}

} // namespace
} // namespace folio

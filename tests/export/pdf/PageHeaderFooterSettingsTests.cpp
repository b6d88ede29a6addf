#include "export/pdf/PageHeaderFooterSettings.h"

#include "delivery/ExportPreferencesReader.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace folio {
namespace {

using Settings = PageHeaderFooterSettings;

const Settings::ConversionPlaceholders kPlaceholders{u"Report", u"1/2/26, 9:05 AM", u"January 2, 2026 at 9:05 AM"};

TEST(PageHeaderFooterParsing, fieldsBecomeTheEffectiveHeader)
{
    PageHeaderFooter header = Settings::fromSettings("Helvetica::12::right::black::0.5::YES::x", kPlaceholders);
    EXPECT_TRUE(header.enabled);
    EXPECT_EQ(header.fontName, "Helvetica");
    EXPECT_DOUBLE_EQ(header.fontSize, 12);
    EXPECT_EQ(header.alignment, TextAlignment::Right);
    EXPECT_EQ(header.color, "black");
    EXPECT_DOUBLE_EQ(header.distanceFromEdge, 36);
    EXPECT_EQ(header.textTemplate, u"x");

    PageHeaderFooter footer = Settings::fromSettings("Times::10.5::center::#ff0000::1.25::1::t", kPlaceholders);
    EXPECT_EQ(footer.alignment, TextAlignment::Center);
    EXPECT_DOUBLE_EQ(footer.fontSize, 10.5);
    EXPECT_DOUBLE_EQ(footer.distanceFromEdge, 90);
    // The distance is computed in single precision, as stored files expect.
    PageHeaderFooter odd = Settings::fromSettings("F::1::left::c::0.3::y::t", kPlaceholders);
    EXPECT_EQ(odd.distanceFromEdge, static_cast<double>(0.3f * 72.0f));
}

TEST(PageHeaderFooterParsing, alignmentWordsMapAndUnknownWordsMeanRight)
{
    EXPECT_EQ(Settings::alignmentFromWord("center"), TextAlignment::Center);
    EXPECT_EQ(Settings::alignmentFromWord("left"), TextAlignment::Left);
    EXPECT_EQ(Settings::alignmentFromWord("right"), TextAlignment::Right);
    EXPECT_EQ(Settings::alignmentFromWord("justify"), TextAlignment::Justified);
    EXPECT_EQ(Settings::alignmentFromWord("Center"), TextAlignment::Right);
    EXPECT_EQ(Settings::alignmentFromWord(""), TextAlignment::Right);
}

TEST(PageHeaderFooterParsing, switchedOffAbsentOrMalformedSettingsDrawNothing)
{
    PageHeaderFooter off = Settings::fromSettings("Helvetica::12::right::black::0.5::NO::text", kPlaceholders);
    EXPECT_FALSE(off.enabled);
    EXPECT_TRUE(off.textTemplate.empty());
    EXPECT_FALSE(Settings::fromSettings(std::nullopt, kPlaceholders).enabled);
    for (const char* malformed : {"", "Helvetica", "Helvetica::12::right::black::0.5::YES", "::::::::::"}) {
        PageHeaderFooter header = Settings::fromSettings(std::string(malformed), kPlaceholders);
        EXPECT_FALSE(header.enabled) << malformed;
        EXPECT_TRUE(header.textTemplate.empty()) << malformed;
    }
    // Unreadable numbers read as 0, a font size of 0 included.
    PageHeaderFooter zero = Settings::fromSettings("F::big::left::c::far::YES::t", kPlaceholders);
    EXPECT_TRUE(zero.enabled);
    EXPECT_EQ(zero.fontSize, 0);
    EXPECT_EQ(zero.distanceFromEdge, 0);
}

TEST(PageHeaderFooterParsing, textKeepsSeparatorsAndRoundTrips)
{
    Settings::Fields fields{"Georgia", "14", "left", "navy", "0.75", "YES", "Ratio 2::1 [title]"};
    std::string stored = Settings::settingsString(fields);
    EXPECT_EQ(stored, "Georgia::14::left::navy::0.75::YES::Ratio 2::1 [title]");
    auto parsed = Settings::fieldsOfSettings(stored);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->text, "Ratio 2::1 [title]");
    EXPECT_EQ(parsed->fontFamily, "Georgia");
    EXPECT_EQ(Settings::fromSettings(stored, kPlaceholders).textTemplate, u"Ratio 2::1 Report");
}

TEST(PageHeaderFooterParsing, pageElementValuesUseTheirOwnScale)
{
    Settings::PageElementValues values{"YES", "", "black", "", "right", "0.5", u"Page [pagenumber]"};
    PageHeaderFooter header = Settings::fromPageElement(values, kPlaceholders);
    EXPECT_TRUE(header.enabled);
    EXPECT_DOUBLE_EQ(header.distanceFromEdge, 15);
    EXPECT_EQ(header.fontName, "Helvetica");
    EXPECT_DOUBLE_EQ(header.fontSize, 10);
    EXPECT_EQ(header.textTemplate, u"Page [pagenumber]");

    values.fontFamily = "\"Times New Roman\"";
    values.fontSize = "14px";
    values.textAlign = "justify";
    header = Settings::fromPageElement(values, kPlaceholders);
    EXPECT_EQ(header.fontName, "Times New Roman");
    EXPECT_DOUBLE_EQ(header.fontSize, 14);
    EXPECT_EQ(header.alignment, TextAlignment::Justified);

    values.enabled = "NO";
    EXPECT_FALSE(Settings::fromPageElement(values, kPlaceholders).enabled);
    values.enabled = "";
    EXPECT_FALSE(Settings::fromPageElement(values, kPlaceholders).enabled);
}

// A document's header asks for what it likes; what is drawn stays bounded.
TEST(PageHeaderFooterParsing, absurdSizesAndTextsAreBounded)
{
    std::u16string placeholders;
    for (int index = 0; index < 2000; ++index)
        placeholders += u"[pagenumber][title]";
    Settings::PageElementValues values{"YES", "", "black", "1e308px", "right", "1e308", placeholders};
    PageHeaderFooter footer = Settings::fromPageElement(values, kPlaceholders);
    EXPECT_DOUBLE_EQ(footer.fontSize, Settings::kMaximumFontSize);
    EXPECT_DOUBLE_EQ(footer.distanceFromEdge, Settings::kMaximumDistance);
    EXPECT_EQ(footer.textTemplate.size(), Settings::kMaximumTextLength);

    PageHeaderFooter header = Settings::fromSettings(std::string("Helvetica::nan::left::black::-3::YES::") + "x", kPlaceholders);
    EXPECT_DOUBLE_EQ(header.fontSize, 0);
    EXPECT_DOUBLE_EQ(header.distanceFromEdge, 0);
    header = Settings::fromSettings(std::string("Helvetica::5000::left::black::1e300::YES::") + "x", kPlaceholders);
    EXPECT_DOUBLE_EQ(header.fontSize, Settings::kMaximumFontSize);
    EXPECT_DOUBLE_EQ(header.distanceFromEdge, Settings::kMaximumDistance);
}

TEST(PageHeaderFooterParsing, pageElementScriptsNameTheElementAndItsDistance)
{
    using Property = Settings::PageElementProperty;
    EXPECT_EQ(Settings::pageElementScript(Settings::Kind::Header, Property::Enabled),
              "document.getElementById('pageHeader').getAttribute('data-enabled')");
    EXPECT_EQ(Settings::pageElementScript(Settings::Kind::Header, Property::Distance),
              "document.getElementById('pageHeader').getAttribute('data-topMargin')");
    EXPECT_EQ(Settings::pageElementScript(Settings::Kind::Footer, Property::Distance),
              "document.getElementById('pageFooter').getAttribute('data-bottomMargin')");
    EXPECT_EQ(Settings::pageElementScript(Settings::Kind::Footer, Property::FontSize),
              "document.getElementById('pageFooter').style.fontSize");
}

TEST(PageHeaderFooterElement, isBuiltFromTheFieldsOrTheDefault)
{
    EXPECT_EQ(Settings::pageElement(Settings::Kind::Header, "Arial::11::center::red::0.4::YES::Hi [date]"),
              "<div id='pageHeader' style='visibility:hidden;height:1.0;overflow: hidden; font-family:Arial;"
              "font-size:11;text-align:center; color:red;' data-topMargin='0.4' data-enabled='YES'>Hi [date]</div>");
    const std::string defaultFooter =
        "<div id='pageFooter' style='visibility:hidden;height:1.0;overflow: hidden; font-family:Helvetica;"
        "font-size:12;text-align:right; color:black;' data-bottomMargin='0.5' data-enabled='NO'>Footer Author: "
        "Mara Quillet [title] - Page [pagenumber] of [totalpages]</div>";
    EXPECT_EQ(Settings::pageElement(Settings::Kind::Footer, std::nullopt), defaultFooter);
    EXPECT_EQ(Settings::pageElement(Settings::Kind::Footer, std::string("Arial::11")), defaultFooter);
    EXPECT_NE(Settings::pageElement(Settings::Kind::Header, std::nullopt).find("data-enabled='NO'>Header Author"),
              std::string::npos);
}

TEST(PageHeaderFooterElement, fieldsAreEscapedSoTheyCannotBreakOut)
{
    std::string element = Settings::pageElement(
        Settings::Kind::Footer, "A'B::12::left::x' onmouseover='y::0.5::YES::</div><script>alert(1)</script> & [title]");
    EXPECT_EQ(element.find("<script>"), std::string::npos) << element;
    EXPECT_EQ(element.find("x' onmouseover"), std::string::npos);
    EXPECT_NE(element.find("font-family:A&#39;B;"), std::string::npos) << element;
    EXPECT_NE(element.find(">&lt;/div&gt;&lt;script&gt;alert(1)&lt;/script&gt; &amp; [title]</div>"),
              std::string::npos);
}

TEST(PageHeaderFooterElement, currentControlsReadTheUserDefaults)
{
    UserDefaults defaults(std::string(std::getenv("FOLIO_HOME")) + "/header-footer-defaults.plist");
    EXPECT_NE(Settings::getCurrentPageHeaderControl(ExportPreferencesReader::read(defaults)).find("Header Author: Mara Quillet"), std::string::npos);
    defaults.setString(Settings::kHeaderKey, "Courier::9::left::blue::1::YES::Top");
    EXPECT_NE(Settings::getCurrentPageHeaderControl(ExportPreferencesReader::read(defaults)).find("data-topMargin='1' data-enabled='YES'>Top</div>"),
              std::string::npos);
    EXPECT_NE(Settings::getCurrentPageFooterControl(ExportPreferencesReader::read(defaults)).find("Footer Author"), std::string::npos);
    EXPECT_TRUE(Settings::fromPreferences(Settings::Kind::Header, ExportPreferencesReader::read(defaults), kPlaceholders).enabled);
    EXPECT_FALSE(Settings::fromPreferences(Settings::Kind::Footer, ExportPreferencesReader::read(defaults), kPlaceholders).enabled);
}

TEST(PageHeaderFooterPlaceholders, conversionPlaceholdersAreReplacedOnceLiterally)
{
    std::u16string text = Settings::replacingConversionPlaceholders(
        u"[title] ([title]) [date] / [datelong] [pagenumber] [Title] [.*]", kPlaceholders);
    EXPECT_EQ(text, u"Report (Report) 1/2/26, 9:05 AM / January 2, 2026 at 9:05 AM [pagenumber] [Title] [.*]");
}

TEST(PageHeaderFooterPlaceholders, pagePlaceholdersStartFreshOnEveryPage)
{
    const std::u16string textTemplate = u"Page [pagenumber] of [totalpages] ([pagenumber])";
    EXPECT_EQ(Settings::textForPage(textTemplate, 3, 7), u"Page 3 of 7 (3)");
    EXPECT_EQ(Settings::textForPage(textTemplate, 4, 7), u"Page 4 of 7 (4)");
    EXPECT_EQ(textTemplate, u"Page [pagenumber] of [totalpages] ([pagenumber])");
    EXPECT_EQ(Settings::textForPage(u"no placeholders", 1, 1), u"no placeholders");
}

TEST(PageHeaderFooterPlaceholders, datesForAConversionAreFormattedFromTheClock)
{
    auto moment = std::chrono::system_clock::from_time_t(1767344700); // 2026-01-02 09:05 UTC
    auto placeholders = Settings::placeholdersForConversion(u"Doc", moment);
    EXPECT_EQ(placeholders.title, u"Doc");
    EXPECT_FALSE(placeholders.date.empty());
    EXPECT_GT(placeholders.dateLong.size(), placeholders.date.size());
    EXPECT_NE(placeholders.dateLong.find(u"2026"), std::u16string::npos);
    // A different day gives a different date.
    auto later = Settings::placeholdersForConversion(u"Doc", moment + std::chrono::hours(24 * 40));
    EXPECT_NE(later.date, placeholders.date);
}

} // namespace
} // namespace folio

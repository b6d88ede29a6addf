#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/DKRTFStyleSheet.h"
#include "formats/rtf/DKRTFWriter.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>

namespace folio {
namespace {

// A document's style sheet and each paragraph's style survive a save: the
// reread document names the same styles, and each style still has its own
// font, colour and formatting, whatever numbers the writer gave fonts and
// colours.
class RTFStyleSheetTests : public testing::Test {
protected:
    void SetUp() override { FontCatalog::setShared(std::make_shared<FakeFontCatalog>()); }

    static DKRTFReadResult read(const std::string& rtf)
    {
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(rtf));
        EXPECT_TRUE(read.ok());
        return read.ok() ? std::move(*read) : DKRTFReadResult{};
    }

    static std::string written(const DKRTFReadResult& read, const AttributedString& text)
    {
        DKRTFDocumentSettings settings;
        settings.styleSheet = read.pageSettings.text(DKRTFPageSettings::kStyleSheetKey);
        Result<std::string> rtf = DKRTFWriter::writeDocument(text, settings);
        EXPECT_TRUE(rtf.ok());
        return rtf.ok() ? *rtf : std::string();
    }

    static DKRTFStyleSheet sheetOf(const DKRTFReadResult& read)
    {
        std::optional<std::string> kept = read.pageSettings.text(DKRTFPageSettings::kStyleSheetKey);
        EXPECT_TRUE(kept.has_value());
        std::optional<DKRTFStyleSheet> sheet = kept ? DKRTFStyleSheet::fromSerialized(*kept) : std::nullopt;
        EXPECT_TRUE(sheet.has_value());
        return sheet.value_or(DKRTFStyleSheet());
    }

    // The style name of the paragraph that holds the words.
    static std::string styleOf(const AttributedString& text, std::u16string_view words)
    {
        const std::size_t at = text.string().find(words);
        EXPECT_NE(at, std::u16string::npos) << toUtf8(words);
        if (at == std::u16string::npos)
            return "<missing>";
        const auto* name = text.attributesAtIndex(at)->valueForKeyAs<StringValue>(TEParagraphStyleNameAttribute);
        return name ? toUtf8(name->value()) : "<none>";
    }

    static const AttributeDictionary& attributesOf(const AttributedString& text, std::u16string_view words)
    {
        const std::size_t at = text.string().find(words);
        EXPECT_NE(at, std::u16string::npos) << toUtf8(words);
        return *text.attributesAtIndex(at == std::u16string::npos ? 0 : at);
    }

    static bool isBold(const AttributedString& text, std::u16string_view words)
    {
        const auto* font = attributesOf(text, words).valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
        return font && (font->font().symbolicTraits() & kFontBoldTrait) != 0;
    }

    // The paragraph's spacing before and after in points, and its line
    // spacing in twips as a file gives it.
    static std::string spacingOf(const AttributedString& text, std::u16string_view words)
    {
        const auto* style = attributesOf(text, words).valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName);
        if (!style)
            return "<no paragraph style>";
        const PlatformParagraphStyle& paragraph = style->style();
        const double lines = paragraph.minimumLineSpacing() > 0 ? paragraph.minimumLineSpacing() : 1;
        return "before " + std::to_string(std::lround(paragraph.paragraphSpacingBefore())) + " after " +
            std::to_string(std::lround(paragraph.paragraphSpacing())) + " lines " + std::to_string(std::lround(lines * 240));
    }

    // Word's way: a numberless Normal, a heading with its own font and
    // colour, a character style behind "\*", a footnote text style, and
    // font and colour tables whose numbers the writer will not keep.
    const std::string m_word =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0"
        "{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}{\\f2\\fmodern Courier New;}}"
        "{\\colortbl;\\red0\\green0\\blue0;\\red192\\green0\\blue0;\\red0\\green0\\blue255;}"
        "{\\stylesheet{\\ql \\sa160\\f0\\fs24 \\snext0 \\sqformat Normal;}"
        "{\\s1\\ql \\sb240\\keepn\\outlinelevel0 \\b\\f1\\fs32\\cf2 \\sbasedon0 \\snext0 heading 1;}"
        "{\\*\\cs10 \\additive Default Paragraph Font;}"
        "{\\s18\\ql \\f2\\fs20 \\sbasedon0 \\snext18 footnote text;}"
        "{\\*\\cs19 \\additive \\super\\cf3 \\sbasedon10 footnote reference;}}"
        "\\pard\\plain \\s1\\ql \\sb240\\keepn \\b\\f1\\fs32\\cf2 Results\\par"
        "\\pard\\plain \\ql \\sa160\\f0\\fs24 The figures rose.\\par"
        "\\pard\\plain \\s18\\ql \\f2\\fs20 A note in its own style.\\par}";
};

TEST_F(RTFStyleSheetTests, aSavedDocumentNamesTheSameStylesWithTheSameFontsAndColours)
{
    DKRTFReadResult original = read(m_word);
    EXPECT_EQ(styleOf(original.text, u"Results"), "heading 1");
    EXPECT_EQ(styleOf(original.text, u"The figures"), "Normal");
    EXPECT_EQ(styleOf(original.text, u"A note"), "footnote text");

    const std::string rtf = written(original, original.text);
    DKRTFReadResult again = read(rtf);
    EXPECT_EQ(styleOf(again.text, u"Results"), "heading 1") << rtf;
    EXPECT_EQ(styleOf(again.text, u"The figures"), "Normal") << rtf;
    EXPECT_EQ(styleOf(again.text, u"A note"), "footnote text") << rtf;

    // Every style is still there, character styles included, with the font
    // and colour it named: compared as values, in the sheet's own terms.
    const DKRTFStyleSheet before = sheetOf(original);
    const DKRTFStyleSheet after = sheetOf(again);
    EXPECT_TRUE(after == before) << after.serialized() << "\n" << before.serialized();
    ASSERT_EQ(after.entries().size(), 5u);
    EXPECT_EQ(toUtf8(after.entries()[4].name), "footnote reference");
    EXPECT_TRUE(after.entries()[4].starred);
    EXPECT_EQ(after.entries()[4].kind, DKRTFStyleSheet::Entry::Kind::Character);
    EXPECT_EQ(after.paragraphStyleNumber(u"heading 1"), 1);
    EXPECT_EQ(after.paragraphStyleNumber(u"footnote text"), 18);
    // The heading's font is Arial and its colour dark red in the new tables too.
    const std::string heading = after.entries()[1].formatting;
    const std::size_t font = heading.find("\\f");
    ASSERT_NE(font, std::string::npos) << heading;
    EXPECT_EQ(toUtf8(after.fonts().at(static_cast<std::size_t>(std::stoi(heading.substr(font + 2))))), "Arial");
    const std::size_t color = heading.find("\\cf");
    ASSERT_NE(color, std::string::npos) << heading;
    const auto& red = after.colors().at(static_cast<std::size_t>(std::stoi(heading.substr(color + 3))));
    ASSERT_TRUE(red);
    EXPECT_EQ(std::lround(red->color().red() * 255), 192);
    EXPECT_EQ(std::lround(red->color().blue() * 255), 0);
    // Words Folio does not act on go back as they came.
    EXPECT_NE(heading.find("\\outlinelevel0"), std::string::npos) << heading;
    EXPECT_NE(heading.find("\\sbasedon0"), std::string::npos) << heading;
}

// A style's formatting comes with its name in other readers; what the
// paragraph has of its own must still win, and must not spill onto the
// paragraphs after it.
TEST_F(RTFStyleSheetTests, aStylesFormattingNeitherOverridesNorLeaksIntoOtherParagraphs)
{
    const std::string shouting =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}{\\colortbl;\\red0\\green0\\blue0;\\red0\\green128\\blue0;}"
        "{\\stylesheet{\\s0 \\fs24 Normal;}{\\s5 \\b\\caps\\cb2\\qc\\sa400 Shout;}}"
        "\\pard\\plain\\s5 \\b\\caps\\qc\\sa400 loud\\par"
        "\\pard\\plain\\s5 \\b0\\qc\\sa400 unbolded\\par"
        "\\pard\\plain\\s0 \\fs24 quiet words\\par}";
    DKRTFReadResult original = read(shouting);
    ASSERT_NE(original.text.string().find(u"loud"), std::u16string::npos);
    ASSERT_NE(original.text.string().find(u"unbolded"), std::u16string::npos);
    const std::string rtf = written(original, original.text);
    DKRTFReadResult again = read(rtf);
    EXPECT_NE(again.text.string().find(u"quiet words"), std::u16string::npos) << rtf;
    EXPECT_TRUE(isBold(again.text, u"loud")) << rtf;
    EXPECT_FALSE(isBold(again.text, u"unbolded")) << rtf;
    EXPECT_TRUE(attributesOf(again.text, u"unbolded").containsKey(TECapitalsAttribute)) << rtf;
    EXPECT_FALSE(attributesOf(again.text, u"quiet").containsKey(TECapitalsAttribute)) << rtf;
    EXPECT_FALSE(isBold(again.text, u"quiet")) << rtf;
    EXPECT_EQ(attributesOf(again.text, u"quiet").valueForKey(NSBackgroundColorAttributeName), nullptr) << rtf;
    const auto* paragraph = attributesOf(again.text, u"quiet").valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName);
    ASSERT_NE(paragraph, nullptr);
    EXPECT_EQ(paragraph->style().alignment(), TextAlignment::Left) << rtf;
    EXPECT_EQ(paragraph->style().paragraphSpacing(), 0) << rtf;
    EXPECT_EQ(styleOf(again.text, u"quiet"), "Normal");
    EXPECT_EQ(styleOf(again.text, u"unbolded"), "Shout");
}

// The style menu names a paragraph's style by the menu's words: the sheet's
// own style of that name in any case, else a new style of that name.
TEST_F(RTFStyleSheetTests, aParagraphRestyledUnderANewNameAddsThatStyle)
{
    DKRTFReadResult original = read(m_word);
    MutableAttributedString text(original.text);
    auto rename = [&](std::u16string_view words, std::u16string name) {
        const std::size_t at = text.string().find(words);
        ASSERT_NE(at, std::u16string::npos);
        text.addAttribute(TEParagraphStyleNameAttribute, StringValue::make(std::move(name)), Range{at, words.size()});
    };
    rename(u"The figures rose.", u"Title");
    rename(u"Results", u"Heading 1");
    const std::string rtf = written(original, text);
    DKRTFReadResult again = read(rtf);
    EXPECT_EQ(styleOf(again.text, u"The figures"), "Title") << rtf;
    EXPECT_EQ(styleOf(again.text, u"Results"), "heading 1") << rtf;
    const DKRTFStyleSheet sheet = sheetOf(again);
    EXPECT_EQ(sheet.entries().size(), 6u);
    EXPECT_EQ(sheet.paragraphStyleNumber(u"Title"), 20) << "numbered after every style the sheet has";
}

TEST_F(RTFStyleSheetTests, aDocumentWithoutAStyleSheetSavesAsItAlwaysDid)
{
    DKRTFReadResult plain = read("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\s3\\b Bold start\\par Plain end\\par}");
    EXPECT_FALSE(plain.pageSettings.text(DKRTFPageSettings::kStyleSheetKey).has_value());
    EXPECT_EQ(styleOf(plain.text, u"Bold start"), "<none>");
    // Names the page picked up elsewhere do not make a sheet of their own.
    MutableAttributedString named(plain.text);
    named.addAttribute(TEParagraphStyleNameAttribute, StringValue::make(u"Title"), Range{0, 5});
    const std::string rtf = written(plain, named);
    EXPECT_EQ(rtf, written(plain, plain.text));
    EXPECT_EQ(rtf.find("\\stylesheet"), std::string::npos);
    EXPECT_FALSE(std::regex_search(rtf, std::regex(R"(\\s[0-9])"))) << rtf;
}

// Word writes each style whole, so a heading that leaves out the space
// after it and its line spacing has none, whatever its Normal has; a
// LibreOffice style names only what differs from the style it is based on
// and has the rest of that style.
TEST_F(RTFStyleSheetTests, wordsStylesStandAloneWhileLibreOfficesInheritTheirBase)
{
    auto document = [](const std::string& generator, const std::string& sheetWords) {
        return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}"
            "{\\stylesheet{\\ql \\sa160\\sl259\\slmult1 \\fs22 \\snext0 " + sheetWords + "Normal;}"
            "{\\s1\\ql \\sb240\\keepn \\b\\fs32 \\sbasedon0 \\snext0 " + sheetWords + "heading 1;}}" + generator + "\n"
            "\\pard\\plain \\s1\\ql \\sb240\\keepn \\b\\fs32 Harbour\\par\n"
            "\\pard\\plain \\ql \\sa160\\sl259\\slmult1 \\fs22 Quay walls.\\par}";
    };
    const std::string alone = "before 12 after 0 lines 240";
    const std::string inherited = "before 12 after 8 lines 259";
    struct Case {
        const char* writer;
        std::string rtf;
        std::string heading;
    };
    const Case cases[] = {
        {"Word 2007 and later", document("", "\\sqformat \\spriority9 "), alone},
        {"Word by its generator", document("{\\*\\generator Microsoft Word 11.0;}", ""), alone},
        {"LibreOffice", document("{\\*\\generator LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2}", ""),
         inherited},
        {"unknown", document("", ""), inherited},
    };
    for (const Case& file : cases) {
        const DKRTFReadResult original = read(file.rtf);
        EXPECT_EQ(spacingOf(original.text, u"Harbour"), file.heading) << file.writer;
        EXPECT_EQ(spacingOf(original.text, u"Quay"), "before 0 after 8 lines 259") << file.writer;
        const std::string saved = written(original, original.text);
        const DKRTFReadResult again = read(saved);
        EXPECT_EQ(spacingOf(again.text, u"Harbour"), file.heading) << file.writer << "\n" << saved;
        EXPECT_EQ(spacingOf(again.text, u"Quay"), "before 0 after 8 lines 259") << file.writer << "\n" << saved;
        EXPECT_EQ(styleOf(again.text, u"Harbour"), "heading 1") << file.writer;
    }
}

// Word processors write a run's letters' looks in full after its style's
// number, and LibreOffice reads every writer's file so: a heading the writer
// set plain prints plain though its style is bold, and a character style's
// own bold shows only where the run restates it; the style's spacing stays,
// and so does the face and size a style takes from the style it is based on.
TEST_F(RTFStyleSheetTests, aHeadingSetPlainStaysPlainThoughItsStyleIsBold)
{
    auto document = [](const std::string& generator, const std::string& sheetWords) {
        return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}"
            "{\\stylesheet{\\ql \\fs24 \\snext0 " + sheetWords + "Normal;}"
            "{\\s1\\ql \\sb240\\keepn \\b\\i\\f1\\fs32 \\sbasedon0 \\snext0 " + sheetWords + "heading 1;}"
            "{\\s2 \\sbasedon1 \\snext0 " + sheetWords + "heading 2;}"
            "{\\*\\cs10 \\b\\f1 " + sheetWords + "Strong;}}" + generator + "\n"
            "\\pard\\plain \\s1\\ql \\sb240\\keepn \\fs24 Harbour\\par\n"
            "\\pard\\plain \\s1\\ql \\sb240\\keepn \\b\\fs32 Lighthouse\\par\n"
            "\\pard\\plain \\s2 Breakwater\\par\n"
            "\\pard\\plain Quay walls and {\\cs10 moorings}.\\par}";
    };
    const struct {
        const char* writer;
        std::string rtf;
        // Whether the words of a style based on another are read apart
        // from it, as Word writes them.
        bool entriesAreWhole;
    } cases[] = {
        {"Word 2007 and later", document("", "\\sqformat \\spriority9 "), true},
        {"Word by its generator", document("{\\*\\generator Microsoft Word 11.0;}", ""), true},
        {"LibreOffice", document("{\\*\\generator LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2}", ""),
         false},
        {"unknown", document("", ""), false},
    };
    // Face, size and family of the run that starts the words.
    auto looks = [this](const AttributedString& text, std::u16string_view words) {
        const auto* font = attributesOf(text, words).valueForKeyAs<FontAttributeValue>(kCTFontAttributeName);
        if (!font)
            return std::string("<no font>");
        const bool italic = (font->font().symbolicTraits() & kFontItalicTrait) != 0;
        return std::string(isBold(text, words) ? "bold " : "") + (italic ? "italic " : "")
            + std::to_string(std::lround(font->font().pointSize())) + " " + font->font().familyName();
    };
    for (const auto& file : cases) {
        const DKRTFReadResult original = read(file.rtf);
        const std::string saved = written(original, original.text);
        const DKRTFReadResult again = read(saved);
        for (const AttributedString* text : {&original.text, &again.text}) {
            EXPECT_EQ(looks(*text, u"Harbour"), "12 Times New Roman") << file.writer << "\n" << saved;
            EXPECT_EQ(looks(*text, u"Lighthouse"), "bold 16 Times New Roman") << file.writer << "\n" << saved;
            EXPECT_EQ(looks(*text, u"Breakwater"), file.entriesAreWhole ? "12 Times New Roman" : "bold italic 16 Times New Roman")
                << file.writer << "\n" << saved;
            EXPECT_EQ(looks(*text, u"Quay"), "12 Times New Roman") << file.writer << "\n" << saved;
            EXPECT_EQ(looks(*text, u"moorings"), "12 Times New Roman") << file.writer << "\n" << saved;
            EXPECT_EQ(spacingOf(*text, u"Harbour").substr(0, 9), "before 12") << file.writer;
            EXPECT_EQ(styleOf(*text, u"Harbour"), "heading 1") << file.writer;
        }
    }
}

// LibreOffice prints a paragraph that names a spaced, indented style but
// restates none of it unspaced and unindented, though centred; what a style
// takes from its base still shows.
TEST_F(RTFStyleSheetTests, aStylesOwnSpacingAndIndentsShowOnlyWhereTheParagraphRestatesThem)
{
    auto document = [](const std::string& generator) {
        return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}" + generator +
            "{\\stylesheet{\\s0 Normal;}{\\s1\\sb1440\\sa1440\\li1440\\fi720\\ri2880\\qc Spaced;}"
            "{\\s2 \\sbasedon1 Child;}}\n"
            "\\pard\\plain \\s1 Bravo\\par\n"
            "\\pard\\plain \\s1\\sb1440\\sa1440\\li1440\\fi720\\ri2880\\qc Delta\\par\n"
            "\\pard\\plain \\s2 Foxtrot\\par}";
    };
    // Spacing, line spacing, indents (first line, others, right) in twips
    // and alignment.
    auto looks = [](const AttributedString& text, std::u16string_view words) {
        const auto* style = attributesOf(text, words).valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName);
        if (!style)
            return std::string("<no paragraph style>");
        const PlatformParagraphStyle& paragraph = style->style();
        // The first line's indent is held in centimetres from the others',
        // the others in the page's own measure.
        auto twips = [](double measure, double perTwip) { return std::to_string(std::lround(measure / perTwip)); };
        return spacingOf(text, words) + " indents " + twips(paragraph.firstLineHeadIndent(), 2.54 / 1440) + " " +
            twips(paragraph.headIndent(), 80.0 / 1096) + " " + twips(-paragraph.tailIndent(), 80.0 / 1096) +
            (paragraph.alignment() == TextAlignment::Center ? " centred" : " not centred");
    };
    const std::string spaced = "before 72 after 72 lines 240 indents 720 1440 2880 centred";
    for (const std::string& generator :
         {std::string(), std::string("{\\*\\generator LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2}")}) {
        const DKRTFReadResult original = read(document(generator));
        const std::string saved = written(original, original.text);
        const DKRTFReadResult again = read(saved);
        for (const AttributedString* text : {&original.text, &again.text}) {
            EXPECT_EQ(looks(*text, u"Bravo"), "before 0 after 0 lines 240 indents 0 0 0 centred") << generator << "\n" << saved;
            EXPECT_EQ(looks(*text, u"Delta"), spaced) << generator << "\n" << saved;
            EXPECT_EQ(looks(*text, u"Foxtrot"), spaced) << generator << "\n" << saved;
            EXPECT_EQ(styleOf(*text, u"Bravo"), "Spaced") << generator;
        }
    }
}

TEST_F(RTFStyleSheetTests, aDamagedStyleSheetLosesNoText)
{
    for (const std::string& sheet : {std::string("{\\stylesheet{\\s1 \\b unterminated"),
                                     std::string("{\\stylesheet{\\s1\\sbasedon1 Loop;}{\\s2\\sbasedon1 \\u-3 Odd\\'e9;}}"),
                                     std::string("{\\stylesheet{;}{}{\\*\\latentstyles{\\lsdlocked0 Normal;}}}")}) {
        const std::string rtf = "{\\rtf1\\ansi" + sheet + "\\pard\\s2 Kept words\\par}";
        DKRTFReadResult original = read(rtf);
        const std::string again = written(original, original.text);
        EXPECT_EQ(toUtf8(read(again).text.string()), toUtf8(original.text.string())) << again;
    }
    // A name outside ASCII survives the sheet's own form.
    DKRTFReadResult accented = read("{\\rtf1\\ansi{\\stylesheet{\\s2 Titre \\'e9l\\u233?ve;}}\\pard\\s2 Mot\\par}");
    EXPECT_EQ(styleOf(accented.text, u"Mot"), "Titre \xC3\xA9l\xC3\xA9ve");
    EXPECT_EQ(styleOf(read(written(accented, accented.text)).text, u"Mot"), "Titre \xC3\xA9l\xC3\xA9ve");
}

// A style is applied as its sheet stands where a paragraph names it: a
// second sheet (a pasted or damaged file) replaces the words of the first,
// and a writer known only from a later generator group stops its styles
// inheriting their bases from there on.
TEST_F(RTFStyleSheetTests, aStyleNamedAgainFollowsTheSheetAndWriterKnownThere)
{
    const std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}"
        "{\\stylesheet{\\s0 \\sa160 Normal;}{\\s1 \\sb240 \\sbasedon0 Heading;}}\n"
        "\\pard\\plain \\s1 First\\par\n"
        "{\\stylesheet{\\s0 \\sa320 Normal;}{\\s1 \\sb480 \\sbasedon0 Heading;}}\n"
        "\\pard\\plain \\s1 Second\\par\n"
        "{\\*\\generator Microsoft Word 11.0;}\n"
        "\\pard\\plain \\s1 Third\\par}";
    const DKRTFReadResult read = this->read(rtf);
    EXPECT_EQ(spacingOf(read.text, u"First"), "before 0 after 8 lines 240");
    EXPECT_EQ(spacingOf(read.text, u"Second"), "before 0 after 16 lines 240");
    EXPECT_EQ(spacingOf(read.text, u"Third"), "before 24 after 0 lines 240");
}

} // namespace
} // namespace folio

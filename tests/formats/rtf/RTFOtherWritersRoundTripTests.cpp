#include "formats/html/HTMLPlainText.h"
#include "formats/rtf/DKRTFDocumentInfo.h"
#include "formats/rtf/DKRTFHeaderFooterForms.h"
#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/DKRTFTitlePage.h"
#include "formats/rtf/DKRTFWriter.h"
#include "engine/attachments/TETextAttachment.h"
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEScriptAttributes.h"
#include "engine/model/TECSSListStyle.h"
#include "engine/model/TESectionBreak.h"
#include "engine/css/ColorHTML.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/graphics/FontconfigFontCatalog.h"
#include "platform/text/AttributeDictionaryAccess.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/MutableAttributedString.h"
#include "support/AttributesAtWords.h"
#include "support/LibreOfficeConverter.h"
#include "support/RequiredTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <set>
#include <string>
#include <vector>

namespace folio {
namespace {

using testing_support::attributesAtWords;
using testing_support::paragraphEndFonts;
using testing_support::paragraphLooksAtWords;
using testing_support::tabStopsAtWords;
using testing_support::valueAtWords;

// Files as Word, LibreOffice, WordPad and TextEdit write them, read and
// written again: what the second reading finds must be what the first found,
// the page as well as the text. Compared as values, never as bytes.
class RTFOtherWritersRoundTripTests : public testing::Test {
protected:
    void SetUp() override { FontCatalog::setShared(std::make_shared<FakeFontCatalog>()); }

    static std::string fixture(const std::string& name)
    {
        Result<Data> data = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf-roundtrip/" + name);
        EXPECT_TRUE(data.ok()) << name;
        return data.ok() ? data->toString() : std::string();
    }

    static DKRTFReadResult read(const std::string& rtf)
    {
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(rtf));
        EXPECT_TRUE(read.ok());
        return read.ok() ? std::move(*read) : DKRTFReadResult{};
    }

    // What the document hands the writer of what it read: the margins as
    // the ruler keeps them (the right one as the edge on its sheet), the
    // header, footer, paper colour and paper.
    static DKRTFDocumentSettings documentSettings(const DKRTFReadResult& read)
    {
        const DKRTFPageSettings& page = read.pageSettings;
        DKRTFDocumentSettings settings;
        settings.paperColor = toUtf16(read.paperColor);
        settings.leftMargin = page.number(DKRTFPageSettings::kPageMarginLeftKey).value_or(0);
        settings.rightMargin = 21.59f - page.number(DKRTFPageSettings::kPageMarginRightKey).value_or(0);
        settings.topMargin = page.number(DKRTFPageSettings::kPageMarginTopKey).value_or(0);
        settings.bottomMargin = page.number(DKRTFPageSettings::kPageMarginBottomKey).value_or(0);
        if (auto header = page.text(DKRTFPageSettings::kHeaderControlKey))
            settings.pageHeader = toUtf16(*header);
        if (auto footer = page.text(DKRTFPageSettings::kFooterControlKey))
            settings.pageFooter = toUtf16(*footer);
        settings.paperSize = page.paperSize();
        settings.styleSheet = page.text(DKRTFPageSettings::kStyleSheetKey);
        settings.fontNames = page.text(DKRTFPageSettings::kFontNamesKey);
        settings.otherHeaderFooterForms = page.text(DKRTFPageSettings::kOtherHeaderFooterFormsKey);
        settings.mirroredMargins = page.number(DKRTFPageSettings::kMirroredMarginsKey).value_or(0) != 0;
        settings.gutter = static_cast<int>(page.number(DKRTFPageSettings::kGutterKey).value_or(0));
        settings.defaultTabWidth = static_cast<int>(page.number(DKRTFPageSettings::kDefaultTabWidthKey).value_or(0));
        settings.noteSettings = page.text(DKRTFPageSettings::kNoteSettingsKey);
        settings.autoHyphenation = page.number(DKRTFPageSettings::kAutoHyphenationKey).value_or(0) != 0;
        settings.documentWidePage = page.text(DKRTFPageSettings::kDocumentWidePageKey);
        settings.firstSection = page.text(DKRTFPageSettings::kFirstSectionKey);
        // The page the file left unsaid, while the ruler still shows its defaults.
        if (auto unstated = page.text(DKRTFPageSettings::kUnstatedPageKey))
            settings.unstatedPage = DKRTFUnstatedPage::fromText(*unstated);
        if (auto zone = page.number(DKRTFPageSettings::kHyphenationZoneKey))
            settings.hyphenationZone = static_cast<int>(*zone);
        if (auto lines = page.number(DKRTFPageSettings::kHyphenationConsecutiveLinesKey))
            settings.hyphenationConsecutiveLines = static_cast<int>(*lines);
        if (auto capitals = page.number(DKRTFPageSettings::kHyphenateCapitalsKey))
            settings.hyphenateCapitals = *capitals != 0;
        settings.scriptDefaults = page.text(DKRTFPageSettings::kScriptDefaultsKey);
        settings.documentInfo = page.text(DKRTFPageSettings::kDocumentInfoKey);
        settings.pageWords = page.text(DKRTFPageSettings::kPageWordsKey);
        return settings;
    }

    static std::string written(const DKRTFReadResult& read, const AttributedString& text)
    {
        Result<std::string> rtf = DKRTFWriter::writeDocument(text, documentSettings(read));
        EXPECT_TRUE(rtf.ok());
        return rtf.ok() ? *rtf : std::string();
    }

    // The text as the editing page holds it and hands it back.
    static AttributedString throughThePage(const AttributedString& text)
    {
        TEHTMLWriterSettings settings;
        settings.fileName = "round-trip";
        // The save takes back the no-break spaces that keep a run of blanks
        // visible on the page (which hands them over as "&nbsp;"), as the
        // editor's body cleaner does.
        std::string html = toUtf8(htmlString(text, settings));
        for (std::size_t at = html.find(" \xC2\xA0"); at != std::string::npos; at = html.find(" \xC2\xA0", at))
            html.replace(at, 3, "  ");
        std::optional<AttributedString> back = attributedStringWithHTMLData(html);
        EXPECT_TRUE(back.has_value());
        return back ? *back : AttributedString();
    }

    // The file saved from its editing page: its own settings, and its text
    // as the page hands it back.
    static std::string savedThroughThePage(const DKRTFReadResult& document)
    {
        return written(document, throughThePage(document.text));
    }

    // The file written straight from what was read, and saved from its
    // editing page.
    static std::vector<std::string> writtenAndSaved(const DKRTFReadResult& original)
    {
        return {written(original, original.text), savedThroughThePage(original)};
    }

    // Those, and the page's save saved from the page again once reopened.
    static std::vector<std::string> writtenAndSavedTwice(const DKRTFReadResult& original)
    {
        std::vector<std::string> saves = writtenAndSaved(original);
        saves.push_back(savedThroughThePage(read(saves.back())));
        return saves;
    }

    // Some words of a file, and what is to be found at each.
    struct WordLooks {
        std::string file;
        std::vector<std::pair<std::u16string, std::string>> looks;
    };

    // What `looksOf` finds at each file's words, as read and in each of the
    // saves `saves` makes of it.
    template <class Looks>
    static void expectTheLooksThroughSaves(const std::vector<WordLooks>& cases, Looks looksOf,
                                           std::vector<std::string> (*saves)(const DKRTFReadResult&))
    {
        for (const WordLooks& file : cases) {
            const DKRTFReadResult original = read(fixture(file.file));
            for (const auto& [words, looks] : file.looks)
                ASSERT_EQ(looksOf(original.text, words), looks) << file.file << " " << toUtf8(words);
            for (const std::string& rtf : saves(original)) {
                const DKRTFReadResult again = read(rtf);
                for (const auto& [words, looks] : file.looks)
                    EXPECT_EQ(looksOf(again.text, words), looks) << file.file << " " << toUtf8(words) << "\n" << rtf;
            }
        }
    }

    static std::string colorText(const AttributeDictionary& attributes, std::string_view key)
    {
        const auto* value = attributes.valueForKeyAs<ColorValue>(key);
        if (!value)
            return "none";
        std::ostringstream text;
        text << std::lround(value->color().red() * 255) << "," << std::lround(value->color().green() * 255) << ","
             << std::lround(value->color().blue() * 255);
        return text.str();
    }

    // A character's paragraph spacing, colours, size and picture size.
    static std::string looksAt(const AttributedString& text, std::size_t index)
    {
        AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
        if (!attributes)
            return "<none>";
        std::ostringstream summary;
        // A paragraph end shows no character: only its paragraph counts.
        const bool paragraphEnd = text.string()[index] == u'\n';
        if (const auto* font = attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName); font && !paragraphEnd) {
            // Sizes as RTF can say them, in half points.
            summary << "font " << font->font().postScriptName() << " " << std::round(font->font().pointSize() * 2) / 2
                    << " traits "
                    << (font->font().symbolicTraits() & (kFontBoldTrait | kFontItalicTrait)) << "; ";
        }
        // Text without a colour is black, and a file of ours names black.
        std::string color = colorText(*attributes, kCTForegroundColorAttributeName);
        if (!paragraphEnd) {
            // A white background on white paper is none.
            std::string background = colorText(*attributes, NSBackgroundColorAttributeName);
            summary << "colour " << (color == "none" ? "0,0,0" : color) << " on "
                    << (background == "255,255,255" ? "none" : background);
            if (const auto* underline = attributes->valueForKeyAs<IntegerValue>(kCTUnderlineStyleAttributeName))
                summary << "; underline " << underline->value();
            if (attributes->containsKey(NSUnderlineColorAttributeName))
                summary << " in " << colorText(*attributes, NSUnderlineColorAttributeName);
            if (attributes->containsKey(TEStrikeOutAttribute))
                summary << "; struck";
            if (const auto* raised = attributes->valueForKeyAs<IntegerValue>(kCTSuperscriptAttributeName))
                summary << "; raised " << raised->value();
            // In twips, as the file gives them.
            if (const auto* spacing = attributes->valueForKeyAs<DoubleValue>(kCTKernAttributeName))
                summary << "; letters " << std::lround(spacing->value() * 20) << " apart";
            if (const auto* link = attributes->valueForKeyAs<URLValue>(TELinkAttribute))
                summary << "; link " << link->urlString();
            // A picture has no letters to check or draw in capitals.
            if (!attributes->containsKey(NSAttachmentAttributeName))
                summary << characterMarks(*attributes) << scriptMarks(*attributes);
        }
        if (const auto* style = attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName)) {
            const PlatformParagraphStyle& paragraph = style->style();
            double lines = paragraph.minimumLineSpacing() > 0 ? paragraph.minimumLineSpacing() : 1;
            // In twips, as the file gives them.
            summary << "; lines " << std::lround(lines * 240) << " before " << paragraph.paragraphSpacingBefore()
                    << " after " << paragraph.paragraphSpacing() << " align " << static_cast<int>(paragraph.alignment());
            summary << " indents " << std::round(paragraph.firstLineHeadIndent() * 100) / 100 << " "
                        << std::round(paragraph.headIndent() * 100) / 100 << " "
                        << std::round(paragraph.tailIndent() * 100) / 100;
            summary << (paragraph.keepWithNext() ? " kept with next" : "") << (paragraph.keepTogether() ? " kept whole" : "")
                    << (paragraph.widowControl() ? " no widows" : "")
                    << (paragraph.noHyphenation() ? " unhyphenated" : "");
            if (paragraph.outlineLevel() != 0)
                summary << " outline " << paragraph.outlineLevel();
        }
        if (const auto* style = attributes->valueForKeyAs<StringValue>(TEParagraphStyleNameAttribute))
            summary << "; style " << toUtf8(style->value());
        if (const auto* shading = attributes->valueForKeyAs<StringValue>(TEParagraphShadingAttribute))
            summary << "; paragraph " << toUtf8(shading->value());
        if (const auto* borders = attributes->valueForKeyAs<StringValue>(TEParagraphBordersAttribute))
            summary << "; borders " << toUtf8(borders->value());
        if (const auto* style = attributes->valueForKeyAs<StringValue>(TECharacterStyleNameAttribute); style && !paragraphEnd)
            summary << "; character style " << toUtf8(style->value());
        if (const auto* attachment = attributes->valueForKeyAs<TETextAttachment>(NSAttachmentAttributeName)) {
            summary << "; picture " << std::round(attachment->displaySize().width) << "x"
                    << std::round(attachment->displaySize().height);
            if (const std::u16string* note = attachment->contentsString())
                summary << " note \"" << toUtf8(*note) << "\"";
            if (const std::u16string* style = attachment->attributeForKey("data-style"))
                summary << " in " << toUtf8(*style);
        }
        return summary.str();
    }

    // The run's languages and letter effects.
    static std::string characterMarks(const AttributeDictionary& attributes)
    {
        std::string marks;
        if (const auto* language = attributes.valueForKeyAs<StringValue>(kCTLanguageAttributeName))
            marks += "; language " + toUtf8(language->value());
        if (const auto* language = attributes.valueForKeyAs<StringValue>(TEEastAsianLanguageAttribute))
            marks += "; East Asian " + toUtf8(language->value());
        if (attributes.containsKey(TENoProofingAttribute))
            marks += "; not proofed";
        if (attributes.containsKey(TECapitalsAttribute))
            marks += "; capitals";
        if (attributes.containsKey(TESmallCapitalsAttribute))
            marks += "; small capitals";
        if (const auto* shadows = attributes.valueForKeyAs<ArrayValue>(TEShadowsAttribute)) {
            marks += "; " + std::to_string(shadows->elements().size()) + " shadow";
            for (const AttributeValuePtr& each : shadows->elements())
                if (const auto* shadow = each ? each->as<ShadowValue>() : nullptr)
                    marks += " " + formatShortest(shadow->offset().width) + "," + formatShortest(shadow->offset().height) +
                        " blur " + formatShortest(shadow->blur()) + " in " + rgba(shadow->color());
        }
        if (const auto* stroke = attributes.valueForKeyAs<DoubleValue>(NSStrokeWidthAttributeName))
            marks += "; outline " + formatShortest(stroke->value());
        if (attributes.containsKey(NSStrokeColorAttributeName))
            marks += " in " + colorText(attributes, NSStrokeColorAttributeName);
        if (const auto* kerning = attributes.valueForKeyAs<IntegerValue>(TEKerningAttribute))
            marks += "; kerning " + std::to_string(kerning->value());
        if (const auto* hidden = attributes.valueForKeyAs<BoolValue>(TEHiddenAttribute); hidden && hidden->value())
            marks += "; hidden";
        return marks;
    }

    // A colour with its opacity, out of 255.
    static std::string rgba(const Color& color)
    {
        std::ostringstream text;
        text << std::lround(color.red() * 255) << "," << std::lround(color.green() * 255) << ","
             << std::lround(color.blue() * 255) << "," << std::lround(color.alpha() * 255);
        return text.str();
    }

    // The run's direction and the fonts and languages of its complex-script
    // and East Asian letters.
    static std::string scriptMarks(const AttributeDictionary& attributes)
    {
        std::string marks;
        if (const auto* direction = attributes.valueForKeyAs<ArrayValue>(NSWritingDirectionAttributeName)) {
            const auto* level = direction->elements().size() == 1 ? direction->elements()[0]->as<IntegerValue>() : nullptr;
            marks += level ? "; direction " + std::to_string(level->value()) : "; a direction of no level";
        }
        auto text = [&](std::string_view key, const char* name) {
            if (const auto* value = attributes.valueForKeyAs<StringValue>(key))
                marks += std::string("; ") + name + " " + toUtf8(value->value());
        };
        text(TEComplexScriptFontAttribute, "complex font");
        if (const auto* size = attributes.valueForKeyAs<DoubleValue>(TEComplexScriptFontSizeAttribute))
            marks += " " + formatShortest(size->value());
        if (attributes.containsKey(TEComplexScriptBoldAttribute))
            marks += " bold";
        if (attributes.containsKey(TEComplexScriptItalicAttribute))
            marks += " italic";
        text(TEComplexScriptLanguageAttribute, "complex language");
        text(TEEastAsianFontAttribute, "East Asian font");
        text(TEHighAnsiFontAttribute, "high-ANSI font");
        text(TELowAnsiFontAttribute, "low-ANSI font");
        return marks;
    }

    static std::string numberedText(const AttributedString& text)
    {
        TEHTMLWriterSettings settings;
        settings.fileName = "numbered";
        HTMLPlainText::Options options;
        options.listMarkers = true;
        std::u16string numbered = HTMLPlainText::plainText(toUtf8(htmlString(text, settings)), options);
        // Without the items' placeholders, which draw nothing.
        std::erase(numbered, u'\uFEFF');
        return toUtf8(numbered);
    }

    static void expectSameText(const AttributedString& again, const AttributedString& original, const std::string& name)
    {
        auto visible = [](const AttributedString& text) {
            std::u16string string = text.string();
            while (!string.empty() && (string.back() == u'\n' || string.back() == u' '))
                string.pop_back();
            return string;
        };
        ASSERT_EQ(toUtf8(visible(again)), toUtf8(visible(original))) << name;
        // Each item at its level with its number, as the page shows them.
        ASSERT_EQ(numberedText(again), numberedText(original)) << name;
        for (std::size_t index = 0; index < visible(original).size(); ++index) {
            ASSERT_EQ(looksAt(again, index), looksAt(original, index))
                << name << " at " << index << " in \"" << toUtf8(original.string().substr(index, 20)) << "\"";
        }
    }

    static void expectSamePage(const DKRTFPageSettings& again, const DKRTFPageSettings& original,
                               const std::string& name)
    {
        // A file that names no paper is written on the default, A4; and A4
        // in a file of ours may be that default, which the reader takes as
        // no paper named.
        const Size a4{595, 842};
        const Size paper = original.paperSize().value_or(a4);
        EXPECT_NEAR(again.paperSize().value_or(a4).width, paper.width, 0.5) << name;
        EXPECT_NEAR(again.paperSize().value_or(a4).height, paper.height, 0.5) << name;
        for (std::string_view key : DKRTFPageSettings::kKeys) {
            // NOTE: the document-wide spacing is whatever the last paragraph
            // that named one said, which a writer of changes only names
            // differently; each paragraph's own spacing is compared in the text.
            // The font table's names are compared where the fonts are.
            if (key == DKRTFPageSettings::kParagraphSpacingKey || key == DKRTFPageSettings::kParagraphSpacingBeforeKey ||
                key == DKRTFPageSettings::kFontNamesKey)
                continue;
            if (auto number = original.number(key))
                EXPECT_NEAR(again.number(key).value_or(-1), *number, 0.01) << name << " " << key;
            EXPECT_EQ(again.text(key), original.text(key)) << name << " " << key;
        }
    }

    // The names of a written font table, sorted.
    static std::vector<std::string> fontTableNames(const std::string& rtf)
    {
        std::vector<std::string> names;
        const std::size_t start = rtf.find("{\\fonttbl");
        const std::string table = rtf.substr(start, rtf.find("}\n", start) - start);
        for (std::size_t at = table.find("\\fcharset"); at != std::string::npos; at = table.find("\\fcharset", at + 1)) {
            const std::size_t name = table.find(' ', at) + 1;
            names.push_back(table.substr(name, table.find(';', name) - name));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    const std::vector<std::string> m_files{"word-letter-footer.rtf", "libreoffice-custom-paper.rtf",
                                           "wordpad-header.rtf", "textedit-picture.rtf", "libreoffice-styles-fonts.rtf",
                                           "libreoffice-written.rtf", "libreoffice-formatting.rtf", "textedit-styled.rtf",
                                           "word-title-page.rtf", "word-theme-fonts.rtf", "libreoffice-character-looks.rtf",
                                           "word-character-looks.rtf", "wordpad-cyrillic-looks.rtf",
                                           "textedit-character-looks.rtf", "libreoffice-nested-list.rtf",
                                           "word-keep-mirrored.rtf", "libreoffice-keep-mirrored.rtf",
                                           "word-languages-effects.rtf", "libreoffice-languages-effects.rtf",
                                           "word-two-sections.rtf", "libreoffice-two-sections.rtf",
                                           "word-arabic-hebrew-cjk.rtf", "libreoffice-arabic-hebrew-cjk.rtf",
                                           "word-fields-comments.rtf", "libreoffice-fields-borders.rtf",
                                           "word-toc-fields.rtf", "textedit-link-spacing.rtf", "wordpad-japanese-greek.rtf",
                                           "word-line-breaks.rtf", "word-list-paragraph.rtf"};
};

TEST_F(RTFOtherWritersRoundTripTests, theFilesPageAndHeaderAndFooterAreReadAsTheyWereWritten)
{
    DKRTFReadResult word = read(fixture("word-letter-footer.rtf"));
    ASSERT_TRUE(word.pageSettings.paperSize().has_value());
    EXPECT_EQ(word.pageSettings.paperSize()->width, 612);
    EXPECT_EQ(word.pageSettings.paperSize()->height, 792);
    EXPECT_EQ(word.pageSettings.text(DKRTFPageSettings::kFooterControlKey),
              "Times New Roman::11::center::black::0.5::YES::Quarterly note, page [pagenumber]");
    EXPECT_EQ(word.pageSettings.text(DKRTFPageSettings::kHeaderControlKey), std::nullopt);
    EXPECT_EQ(word.text.string().find(u"Quarterly"), std::u16string::npos) << "a footer is no body text";

    DKRTFReadResult ticket = read(fixture("libreoffice-custom-paper.rtf"));
    ASSERT_TRUE(ticket.pageSettings.paperSize().has_value());
    EXPECT_EQ(ticket.pageSettings.paperSize()->width, 595);
    EXPECT_EQ(ticket.pageSettings.paperSize()->height, 275);
    EXPECT_EQ(ticket.pageSettings.text(DKRTFPageSettings::kFooterControlKey),
              "Liberation Sans::12::center::black::0.5::YES::Ticket stub");

    DKRTFReadResult minutes = read(fixture("wordpad-header.rtf"));
    EXPECT_FALSE(minutes.pageSettings.paperSize().has_value());
    EXPECT_EQ(minutes.pageSettings.text(DKRTFPageSettings::kHeaderControlKey),
              "Calibri::9::right::black::0.5::YES::Draft for the board");
    EXPECT_EQ(minutes.pageSettings.text(DKRTFPageSettings::kFooterControlKey),
              "Calibri::9::center::black::0.5::YES::Internal only");
}

TEST_F(RTFOtherWritersRoundTripTests, writingAndReadingAgainKeepsThePageAndTheText)
{
    for (const std::string& name : m_files) {
        DKRTFReadResult original = read(fixture(name));
        ASSERT_GT(original.text.length(), 0u) << name;
        const std::string rtf = written(original, original.text);
        DKRTFReadResult again = read(rtf);
        expectSamePage(again.pageSettings, original.pageSettings, name);
        expectSameText(again.text, original.text, name + "\n" + rtf);
    }
}

TEST_F(RTFOtherWritersRoundTripTests, aSaveThroughTheEditingPageKeepsThePageAndTheText)
{
    for (const std::string& name : m_files) {
        DKRTFReadResult original = read(fixture(name));
        const std::string rtf = savedThroughThePage(original);
        DKRTFReadResult again = read(rtf);
        expectSamePage(again.pageSettings, original.pageSettings, name);
        expectSameText(again.text, original.text, name + "\n" + rtf);
        // Nor a font the file did not name: the page hands notes and the
        // paragraph ends after them back in its default font.
        // Names are compared as read, for a name in a code page of its own
        // is written in other escapes than it came in.
        const std::string named = ";" + original.pageSettings.text(DKRTFPageSettings::kFontNamesKey).value_or("");
        for (const std::string& font :
             componentsSeparatedByString(std::string_view(again.pageSettings.text(DKRTFPageSettings::kFontNamesKey).value_or("")), ";"))
            EXPECT_TRUE(font.empty() || named.find(";" + font + ";") != std::string::npos) << font << " is no font of " << name;
        // A second save changes nothing more.
        EXPECT_EQ(savedThroughThePage(again), rtf) << name;
    }
}

// Word's Shift+Return in a list item, in a paragraph with a first-line
// indent and spacing around it, and at a paragraph's end (an empty last
// line): a new line inside its paragraph, straight,
// through the editing page and after a second save, so that neither the item
// nor the spacing and indent start again after it.
TEST_F(RTFOtherWritersRoundTripTests, aLineBreakInsideAParagraphStaysInsideIt)
{
    const DKRTFReadResult original = read(fixture("word-line-breaks.rtf"));
    // The item's marker is no character of the text but its list's.
    const std::string lines = "Packing list for the trip.\nWarm coat\u2028the grey one with a hood\nBoots\n"
                              "Meet at the station\u2028at seven sharp.\nSee you there.\u2028\n";
    auto shown = [](const AttributedString& text) {
        std::u16string string = text.string();
        std::erase(string, u'\uFEFF');
        return toUtf8(string);
    };
    ASSERT_EQ(shown(original.text), lines);
    ASSERT_NE(numberedText(original.text).find("\u2022 Warm coat\nthe grey one with a hood\n\u2022 Boots"),
              std::string::npos) << numberedText(original.text);
    // Word gives a break no font of its own but the one of its letters: a
    // break in another font splits the words around it in two runs, and
    // LibreOffice shows the second line in the break's font.
    auto breakFonts = [](const AttributedString& text) {
        std::string fonts;
        const std::u16string string = text.string();
        for (std::size_t at = string.find(u'\u2028'); at != std::u16string::npos; at = string.find(u'\u2028', at + 1)) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(at);
            const auto* font = attributes ? attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName) : nullptr;
            fonts += (font ? font->font().familyName() : std::string("none")) + ";";
        }
        return fonts;
    };
    ASSERT_EQ(breakFonts(original.text), "Calibri;Calibri;Calibri;");
    for (const std::string& rtf : writtenAndSaved(original)) {
        // Written as other programs write it, for them to read it so.
        std::size_t lineWords = 0;
        for (std::size_t at = rtf.find("\\line "); at != std::string::npos; at = rtf.find("\\line ", at + 1))
            ++lineWords;
        EXPECT_EQ(lineWords, 3u) << rtf;
        DKRTFReadResult again = read(rtf);
        EXPECT_EQ(shown(again.text), lines) << rtf;
        EXPECT_EQ(breakFonts(again.text), breakFonts(original.text)) << rtf;
        expectSameText(again.text, original.text, rtf);
        expectSameText(read(savedThroughThePage(again)).text, original.text, rtf);
    }
}

// LibreOffice names an item's level before its list: the items of the
// second level are a list of their own numbering inside the first's item,
// straight, through the editing page and after a second save.
TEST_F(RTFOtherWritersRoundTripTests, libreOfficeNestedItemsKeepTheirLevelAndNumbering)
{
    const std::string expected = "1. Prepare the room\n\ti. Clear the table\n\tii. Open the window\n2. Start the work\n";
    DKRTFReadResult original = read(fixture("libreoffice-nested-list.rtf"));
    EXPECT_NE(numberedText(original.text).find(expected), std::string::npos) << numberedText(original.text);
    DKRTFReadResult straight = read(written(original, original.text));
    EXPECT_NE(numberedText(straight.text).find(expected), std::string::npos) << numberedText(straight.text);
    DKRTFReadResult page = read(savedThroughThePage(original));
    EXPECT_NE(numberedText(page.text).find(expected), std::string::npos) << numberedText(page.text);
    DKRTFReadResult again = read(savedThroughThePage(page));
    EXPECT_NE(numberedText(again.text).find(expected), std::string::npos) << numberedText(again.text);
}

// Folio's own footer goes out a second time as another program reads it, with
// its page number and count as fields; a reader of that group alone finds
// the words and placeholders again. A switched-off header is not shown.
TEST_F(RTFOtherWritersRoundTripTests, folioFooterIsWrittenAsAFooterOtherProgramsRead)
{
    MutableAttributedString text;
    text.appendString(u"Body\n", AttributeDictionary::empty());
    DKRTFDocumentSettings settings;
    // The family and colour as the editing page hands them back.
    settings.pageFooter = u"\"Times New Roman\", serif::10::right::rgb(192, 0, 0)::0.5::YES::Page [pagenumber] of [totalpages] {draft}";
    settings.pageHeader = u"Helvetica::12::right::black::0.5::NO::Header Author: [date]";
    Result<std::string> rtf = DKRTFWriter::writeDocument(text, settings);
    ASSERT_TRUE(rtf.ok());
    // What a program that knows only the standard groups sees.
    std::string standard = *rtf;
    for (const char* own : {"{\\*\\pageFooter ", "{\\*\\pageHeader "}) {
        std::size_t at = standard.find(own);
        if (at != std::string::npos)
            standard.erase(at, standard.find('\n', at) + 1 - at);
    }
    DKRTFReadResult other = read(standard);
    EXPECT_EQ(other.pageSettings.text(DKRTFPageSettings::kFooterControlKey),
              "Times New Roman::10::right::#c00000::0.5::YES::Page [pagenumber] of [totalpages] {draft}")
        << standard;
    EXPECT_EQ(other.pageSettings.text(DKRTFPageSettings::kHeaderControlKey), std::nullopt) << standard;
    EXPECT_EQ(toUtf8(other.text.string()), "Body\n");
    // Folio's own reader keeps its own settings, the font and switch included.
    DKRTFReadResult own = read(*rtf);
    EXPECT_EQ(own.pageSettings.text(DKRTFPageSettings::kFooterControlKey), toUtf8(*settings.pageFooter));
    EXPECT_EQ(own.pageSettings.text(DKRTFPageSettings::kHeaderControlKey), toUtf8(*settings.pageHeader));
}

// A title page's own header and footer are its own, never the ones every
// page prints, even where the file has no other; they and the title page
// itself, with or without them, stay through a save.
TEST_F(RTFOtherWritersRoundTripTests, aTitlePageKeepsItsOwnHeaderAndFooterThroughASave)
{
    const std::string opening = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\n\\sectd\\titlepg\n";
    const std::string cover = "{\\headerf \\pard\\qc\\f0\\fs20 Cover heading\\par}\n"
                              "{\\footerf \\pard\\qr\\f0\\fs16 Cover page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}\\par}\n";
    const std::string running = "{\\header \\pard\\ql\\f0\\fs18 Running head\\par}\n";
    const std::string body = "\\pard\\f0\\fs24 The report opens.\\par\n}";
    for (const std::string& heads : {cover, running + cover, running}) {
        DKRTFReadResult original = read(opening + heads + body);
        const bool hasRunning = heads.find("\\header ") != std::string::npos;
        const bool hasCover = heads.find("\\headerf") != std::string::npos;
        DKRTFReadResult again = read(savedThroughThePage(original));
        for (const DKRTFReadResult* reading : {&original, &again}) {
            const DKRTFPageSettings& page = reading->pageSettings;
            const DKRTFTitlePage::Heads title =
                DKRTFTitlePage::read(page.text(DKRTFPageSettings::kOtherHeaderFooterFormsKey).value_or(""));
            EXPECT_TRUE(title.firstSectionHasTitlePage) << heads;
            EXPECT_EQ(page.text(DKRTFPageSettings::kHeaderControlKey),
                      hasRunning ? std::optional<std::string>("Arial::9::left::black::0.5::YES::Running head")
                                 : std::nullopt)
                << heads;
            EXPECT_EQ(page.text(DKRTFPageSettings::kFooterControlKey), std::nullopt) << heads;
            EXPECT_EQ(title.header, hasCover ? std::optional<std::string>(
                                                   "Arial::10::center::black::0.5::YES::Cover heading")
                                             : std::nullopt)
                << heads;
            EXPECT_EQ(title.footer, hasCover ? std::optional<std::string>(
                                                   "Arial::8::right::black::0.5::YES::Cover page [pagenumber]")
                                             : std::nullopt)
                << heads;
        }
    }
}

// Where only the title page has a header and footer, their distance from
// the paper's edge stays with them, until a header of Folio's own gives the
// section its distance; facing pages stay without headers of their own.
TEST_F(RTFOtherWritersRoundTripTests, theTitlePagesDistanceFromTheEdgeAndFacingPagesAreKept)
{
    const DKRTFReadResult original = read("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\n"
                                          "\\sectd\\titlepg\\headery1008\\footery900\n"
                                          "{\\headerf \\pard\\qc\\f0\\fs20 Cover heading\\par}\n"
                                          "{\\footerf \\pard\\qc\\f0\\fs20 Cover footing\\par}\n"
                                          "\\pard\\f0\\fs24 The report opens.\\par\n}");
    auto titleHeads = [](const DKRTFReadResult& reading) {
        return DKRTFTitlePage::read(
            reading.pageSettings.text(DKRTFPageSettings::kOtherHeaderFooterFormsKey).value_or(""));
    };
    for (const std::string& rtf : writtenAndSaved(original)) {
        for (const DKRTFReadResult& reading : {original, read(rtf)}) {
            EXPECT_EQ(titleHeads(reading).header, "Arial::10::center::black::0.7::YES::Cover heading") << rtf;
            EXPECT_EQ(titleHeads(reading).footer, "Arial::10::center::black::0.63::YES::Cover footing") << rtf;
            EXPECT_EQ(reading.pageSettings.text(DKRTFPageSettings::kHeaderControlKey), std::nullopt) << rtf;
        }
    }

    DKRTFDocumentSettings ownHeader = documentSettings(original);
    ownHeader.pageHeader = u"Helvetica::12::left::black::0.5::YES::Running head";
    Result<std::string> rtf = DKRTFWriter::writeDocument(original.text, ownHeader);
    ASSERT_TRUE(rtf.ok());
    const DKRTFReadResult again = read(*rtf);
    EXPECT_EQ(again.pageSettings.text(DKRTFPageSettings::kHeaderControlKey), toUtf8(*ownHeader.pageHeader)) << *rtf;
    EXPECT_EQ(titleHeads(again).header, "Arial::10::center::black::0.5::YES::Cover heading") << *rtf;
    EXPECT_EQ(titleHeads(again).footer, "Arial::10::center::black::0.63::YES::Cover footing") << *rtf;

    const DKRTFReadResult facing = read("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\facingp\n"
                                        "{\\header \\pard\\f0 Running head\\par}\\pard\\f0 Body\\par\n}");
    const std::string facingRtf = savedThroughThePage(facing);
    const std::optional<std::string> forms = read(facingRtf).pageSettings.text(DKRTFPageSettings::kOtherHeaderFooterFormsKey);
    ASSERT_TRUE(forms.has_value()) << facingRtf;
    EXPECT_NE(forms->find("\\facingp"), std::string::npos) << facingRtf;
    EXPECT_EQ(forms, facing.pageSettings.text(DKRTFPageSettings::kOtherHeaderFooterFormsKey));
}

// Every header and footer group of a file, as the page of its section
// shows it: section, form, words with page fields as placeholders, and per
// paragraph its style number, alignment, tab stops, font and colour.
std::vector<std::string> headsOf(const DKRTFReadResult& reading)
{
    std::vector<std::string> heads;
    const DKRTFHeaderFooterForms forms = DKRTFHeaderFooterForms::fromSerialized(
        reading.pageSettings.text(DKRTFPageSettings::kOtherHeaderFooterFormsKey).value_or(""));
    for (const DKRTFHeaderFooterForms::Group& group : forms.groups) {
        std::string head = std::to_string(group.section) + " " + group.word + ":";
        const std::optional<AttributedString> text = forms.textOf(group);
        if (!text) {
            heads.push_back(head + " unreadable");
            continue;
        }
        const std::u16string& string = text->string();
        std::size_t style = group.content.find("\\s");
        while (style != std::string::npos && (style + 2 >= group.content.size() || !std::isdigit(static_cast<unsigned char>(group.content[style + 2]))))
            style = group.content.find("\\s", style + 1);
        if (style != std::string::npos)
            head += " style " + std::to_string(integerValue(std::string_view(group.content).substr(style + 2, 3)));
        for (std::size_t start = 0; start < string.size();) {
            const std::size_t end = std::min(string.find(u'\n', start), string.size());
            AttributeDictionaryPtr attributes = text->attributesAtIndex(start);
            head += " [" + toUtf8(string.substr(start, end - start));
            const auto* font = attributes ? attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName) : nullptr;
            head += " | " + (font ? font->font().postScriptName() + " " + formatShortest(font->font().pointSize()) : "no font");
            const auto* color = attributes ? attributes->valueForKeyAs<ColorValue>(kCTForegroundColorAttributeName) : nullptr;
            head += color ? " #" + htmlHexString(color->color()) : "";
            const auto* paragraph = attributes ? attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName) : nullptr;
            if (paragraph) {
                head += " align " + std::to_string(static_cast<int>(paragraph->style().alignment()));
                for (const TextTab& tab : paragraph->style().tabStops().value_or(std::vector<TextTab>()))
                    head += " tab " + formatShortest(tab.location) + "/" + std::to_string(static_cast<int>(tab.alignment));
            }
            head += "]";
            start = end + 1;
        }
        heads.push_back(head);
    }
    return heads;
}

// Headers and footers as Word, LibreOffice and WordPad write them keep all
// they hold through a save, straight and through the editing page: their
// paragraphs, style, tab stops, fonts, colours and page fields, the first
// page's and each section's own, while Folio shows one line of the running
// one in the file's font, size, colour and alignment.
TEST_F(RTFOtherWritersRoundTripTests, otherProgramsHeadersAndFootersComeBackWhole)
{
    struct Case {
        std::string name;
        std::string shownHeader;
        std::vector<std::string> mustHold;
    };
    const std::vector<Case> cases{
        {"word-rich-headers.rtf", "Arial::9::left::#1f3864::0.7::YES::Annual Report Draft Page [pagenumber] Finance committee",
         {"0 headerr: style 15 [Annual Report\tDraft\tPage [pagenumber] | Arial 9 #1f3864 align 0 tab 234/2 tab 468/1]"
          " [Finance committee | Arial 9 #1f3864 align 2 tab 234/2 tab 468/1]",
          "0 footerr: style 16 [Page [pagenumber] of [totalpages] | Arial 8 align 1 tab 234/2 tab 468/1]",
          "0 headerf: style 15 [Cover of the report | Courier New 10 #c00000 align 2 tab 234/2 tab 468/1]",
          "1 headerf: style 15 [Part two opens here | Arial 10 #0000ff align 2 tab 234/2 tab 468/1]"}},
        {"libreoffice-rich-header.rtf", "",
         {"0 header: style 21 [Survey of the river\tSpring\tSheet [pagenumber] | Liberation Sans 10 #000080 align 0 tab 240.95/2 tab 481.9/1]",
          "[Field notes, not for circulation | Liberation Serif 9 align 2 tab 240.95/2 tab 481.9/1]",
          "0 footer: style 22 [Sheet [pagenumber] of [totalpages] | Liberation Sans 9 #800000 align 2 tab 240.95/2 tab 481.9/1]"}},
        {"wordpad-rich-header.rtf", "Cambria::10::left::#0070c0::0.5::YES::Board minutes Confidential Page [pagenumber] Second line of the head",
         {"0 header: [Board minutes\tConfidential\tPage [pagenumber] | Cambria 10 #0070c0 align 0 tab 234/0 tab 468/1]"
          " [Second line of the head | Calibri 8 #7030a0 align 2]"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const DKRTFReadResult original = read(fixture(test.name));
        const std::vector<std::string> heads = headsOf(original);
        std::string all;
        for (const std::string& head : heads)
            all += head + "\n";
        for (const std::string& held : test.mustHold)
            EXPECT_NE(all.find(held), std::string::npos) << held << "\n in \n" << all;
        if (!test.shownHeader.empty())
            EXPECT_EQ(original.pageSettings.text(DKRTFPageSettings::kHeaderControlKey), test.shownHeader);
        for (const std::string& rtf : {written(original, original.text), written(original, throughThePage(original.text))}) {
            const DKRTFReadResult again = read(rtf);
            EXPECT_EQ(headsOf(again), heads) << rtf;
            EXPECT_EQ(again.pageSettings.text(DKRTFPageSettings::kHeaderControlKey),
                      original.pageSettings.text(DKRTFPageSettings::kHeaderControlKey)) << rtf;
            EXPECT_EQ(again.pageSettings.text(DKRTFPageSettings::kFooterControlKey),
                      original.pageSettings.text(DKRTFPageSettings::kFooterControlKey)) << rtf;
            // A second save changes nothing more.
            EXPECT_EQ(headsOf(read(written(again, throughThePage(again.text)))), heads);
        }
    }
}

// Letters of a header in the code page of its font, or of the file, come
// back as those letters in a file saved in another code page.
TEST_F(RTFOtherWritersRoundTripTests, aHeaderKeepsItsLettersWhateverCodePageItWasWrittenIn)
{
    const DKRTFReadResult original = read("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}"
                                          "{\\f1\\fnil\\fcharset204 Calibri;}}\n"
                                          "{\\header\\pard\\f1\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\f0  caf\\'e9 \\u8364\\'80\\par}\n"
                                          "{\\headerf\\pard\\f1\\'c4\\'e0\\par}\n"
                                          "\\pard\\f0 Body\\par\n}");
    for (const std::string& rtf : {written(original, original.text), written(original, throughThePage(original.text))}) {
        std::string heads;
        for (const std::string& head : headsOf(read(rtf)))
            heads += head + "\n";
        EXPECT_NE(heads.find("0 header: [\u041f\u0440\u0438\u0432\u0435\u0442 caf\u00e9 \u20ac | Calibri 12"), std::string::npos) << heads << rtf;
        EXPECT_NE(heads.find("0 headerf: [\u0414\u0430 | Calibri 12"), std::string::npos) << heads << rtf;
    }
}

// Word's plan in three sections, each with its own header, the last two
// with title pages of their own. The end of the first section's last
// paragraph deleted (the page then hands back the joined paragraph with the
// break of the one it ended with), or a break of Folio's own added before
// them: each section the file had keeps its own headers and paper in the
// save, and the new one has none.
TEST_F(RTFOtherWritersRoundTripTests, eachSectionKeepsItsHeadersWhenBreaksBeforeItComeOrGo)
{
    const DKRTFReadResult original = read(fixture("word-three-section-heads.rtf"));
    auto breakAfter = [](const AttributedString& text, std::u16string_view words) -> std::optional<TESectionBreak::Settings> {
        const std::size_t end = text.string().find(u'\n', text.string().find(words));
        AttributeDictionaryPtr attributes = end == std::u16string::npos ? nullptr : text.attributesAtIndex(end);
        const auto* section = attributes ? attributes->valueForKeyAs<TESectionBreak>(TESectionBreakAttribute) : nullptr;
        if (!section)
            return std::nullopt;
        TESectionBreak::Settings settings = section->settings();
        settings.fileSection.reset();
        return settings;
    };
    const std::optional<TESectionBreak::Settings> closing = breakAfter(original.text, u"Middle part");
    ASSERT_TRUE(closing && closing->headerDistance == 1080 && closing->titlePage);
    auto headsWith = [](const DKRTFReadResult& reading, std::string_view words) {
        std::string found;
        for (const std::string& head : headsOf(reading))
            if (head.find(words) != std::string::npos)
                found += head.substr(0, head.find(':')) + ";";
        return found;
    };

    MutableAttributedString joined(original.text);
    const std::size_t start = joined.string().find(u"Opening part last");
    const std::size_t end = joined.string().find(u'\n', start);
    AttributeDictionaryPtr middle = joined.attributesAtIndex(joined.string().find(u'\n', end + 1));
    ASSERT_TRUE(middle && middle->containsKey(TESectionBreakAttribute));
    ASSERT_TRUE(joined.deleteCharactersInRange(Range{end, 1}).ok());
    const std::size_t joinedEnd = joined.string().find(u'\n', start);
    ASSERT_TRUE(joined.addAttribute(TESectionBreakAttribute, middle->valueForKey(TESectionBreakAttribute),
                                    Range{start, joinedEnd + 1 - start}).ok());
    for (const AttributedString& text : {AttributedString(joined), throughThePage(joined)}) {
        const std::string rtf = written(original, text);
        const DKRTFReadResult saved = read(rtf);
        EXPECT_TRUE(breakAfter(saved.text, u"Opening part last.Middle part only.") == closing) << rtf;
        EXPECT_EQ(headsWith(saved, "Spring schedule"), "0 header;") << rtf;
        EXPECT_EQ(headsWith(saved, "Autumn schedule"), "1 header;") << rtf;
        EXPECT_EQ(headsWith(saved, "Autumn cover"), "1 headerf;") << rtf;
        EXPECT_EQ(headsWith(saved, "Summer"), "") << rtf;
        EXPECT_EQ(DKRTFTitlePage::read(saved.pageSettings.text(DKRTFPageSettings::kOtherHeaderFooterFormsKey).value_or(""))
                      .laterHeaders.count(1), 1u) << rtf;
    }

    MutableAttributedString added(original.text);
    const std::size_t first = added.string().find(u"Opening part first");
    const std::size_t firstEnd = added.string().find(u'\n', first);
    TESectionBreak::Settings own;
    own.start = TESectionBreak::Start::Continuous;
    ASSERT_TRUE(added.addAttribute(TESectionBreakAttribute, TESectionBreak::make(own), Range{first, firstEnd + 1 - first}).ok());
    for (const AttributedString& text : {AttributedString(added), throughThePage(added)}) {
        const std::string rtf = written(original, text);
        const DKRTFReadResult saved = read(rtf);
        EXPECT_EQ(headsWith(saved, "Spring schedule"), "0 header;") << rtf;
        EXPECT_EQ(headsWith(saved, "Summer"), "2 header;2 headerf;") << rtf;
        EXPECT_EQ(headsWith(saved, "Autumn"), "3 header;3 headerf;") << rtf;
        EXPECT_TRUE(breakAfter(saved.text, u"Middle part") == closing) << rtf;
    }
}

// A header edited in Folio is what the file gets: its one line stands where
// the richer one stood, while the title pages' own stay; switched off, the
// file has none for every page.
TEST_F(RTFOtherWritersRoundTripTests, anEditedHeaderTakesThePlaceOfTheOneItWasReadFrom)
{
    const DKRTFReadResult original = read(fixture("word-rich-headers.rtf"));
    DKRTFDocumentSettings edited = documentSettings(original);
    edited.pageHeader = u"Arial::11::right::#1f3864::0.7::YES::Final report, page [pagenumber]";
    Result<std::string> rtf = DKRTFWriter::writeDocument(original.text, edited);
    ASSERT_TRUE(rtf.ok());
    DKRTFReadResult again = read(*rtf);
    EXPECT_EQ(again.pageSettings.text(DKRTFPageSettings::kHeaderControlKey), toUtf8(*edited.pageHeader));
    std::string heads;
    for (const std::string& head : headsOf(again))
        heads += head + "\n";
    EXPECT_EQ(heads.find("Annual Report"), std::string::npos) << heads;
    EXPECT_NE(heads.find("0 header: [Final report, page [pagenumber] | Arial 11 #1f3864 align 1]"), std::string::npos) << heads;
    EXPECT_NE(heads.find("0 headerf: style 15 [Cover of the report"), std::string::npos) << heads;
    EXPECT_NE(heads.find("1 headerf: style 15 [Part two opens here"), std::string::npos) << heads;
    EXPECT_NE(heads.find("0 footerr: style 16 [Page [pagenumber] of [totalpages]"), std::string::npos) << heads;

    edited.pageHeader = u"Arial::9::left::#1f3864::0.7::NO::Annual Report Draft Page [pagenumber] Finance committee";
    rtf = DKRTFWriter::writeDocument(original.text, edited);
    ASSERT_TRUE(rtf.ok());
    again = read(*rtf);
    heads.clear();
    for (const std::string& head : headsOf(again))
        heads += head + "\n";
    EXPECT_EQ(heads.find("0 header:"), std::string::npos) << heads;
    EXPECT_EQ(heads.find("0 headerr:"), std::string::npos) << heads;
    EXPECT_NE(heads.find("0 headerf: style 15 [Cover of the report"), std::string::npos) << heads;
}

// Other programs read what Folio writes: the header's and footer's words,
// and the highlight, which LibreOffice shows as the text's background.
TEST_F(RTFOtherWritersRoundTripTests, libreOfficeFindsTheFooterAndTheHighlightInFolioRTF)
{
    if (!test::LibreOfficeConverter::isInstalled())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    const std::filesystem::path folder = std::filesystem::path(std::getenv("FOLIO_HOME")) / "rtf-other-writers";
    std::filesystem::create_directories(folder / "out");
    std::vector<std::string> files;
    for (const std::string& name : m_files) {
        DKRTFReadResult original = read(fixture(name));
        ASSERT_TRUE(Data::fromString(savedThroughThePage(original)).writeToFile((folder / name).string()));
        files.push_back((folder / name).string());
    }
    // LibreOffice's text and HTML exports leave out the highlight (and the
    // text export the header and footer); its flat document keeps both.
    const test::LibreOfficeConversion flat = test::LibreOfficeConverter::convert(files, "fodt", (folder / "out").string());
    ASSERT_TRUE(flat.succeeded()) << flat.failure;
    auto document = [&](const std::string& name) {
        Result<Data> data = Data::dataWithContentsOfFile((folder / "out" / (name.substr(0, name.size() - 4) + ".fodt")).string());
        EXPECT_TRUE(data.ok()) << name;
        return data.ok() ? data->toString() : std::string();
    };
    EXPECT_NE(document("word-letter-footer.rtf").find("Quarterly note, page"), std::string::npos);
    EXPECT_NE(document("wordpad-header.rtf").find("Draft for the board"), std::string::npos);
    EXPECT_NE(document("wordpad-header.rtf").find("Internal only"), std::string::npos);
    const std::string ticket = document("libreoffice-custom-paper.rtf");
    EXPECT_NE(ticket.find("Ticket stub"), std::string::npos);
    EXPECT_NE(ticket.find("fo:background-color=\"#000080\""), std::string::npos) << "the white-on-blue line";
}

// Word's headings say no space after them and single lines, and start
// at a bookmark of its table of contents: LibreOffice gives them in Folio's
// save the spacing it gives them in Word's file, above and below.
TEST_F(RTFOtherWritersRoundTripTests, libreOfficeSpacesWordsHeadingsAsWordDidInFolioRTF)
{
    if (!test::LibreOfficeConverter::isInstalled())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    const std::filesystem::path folder = std::filesystem::path(std::getenv("FOLIO_HOME")) / "rtf-heading-spacing";
    std::filesystem::create_directories(folder / "out");
    const std::string original = fixture("word-toc-fields.rtf");
    const DKRTFReadResult read = this->read(original);
    ASSERT_TRUE(Data::fromString(original).writeToFile((folder / "word.rtf").string()));
    ASSERT_TRUE(Data::fromString(written(read, read.text)).writeToFile((folder / "saved.rtf").string()));
    ASSERT_TRUE(Data::fromString(written(read, throughThePage(read.text))).writeToFile((folder / "paged.rtf").string()));
    const test::LibreOfficeConversion flat = test::LibreOfficeConverter::convert(
        {(folder / "word.rtf").string(), (folder / "saved.rtf").string(), (folder / "paged.rtf").string()}, "fodt",
        (folder / "out").string());
    ASSERT_TRUE(flat.succeeded()) << flat.failure;
    // A paragraph's spacing as LibreOffice resolves it: its own style's
    // value, else its parent style's.
    auto spacing = [&](const std::string& name, const std::string& words) {
        Result<Data> data = Data::dataWithContentsOfFile((folder / "out" / (name + ".fodt")).string());
        const std::string flat = data.ok() ? data->toString() : std::string();
        // The last place of the words: the table of contents names the
        // headings before they come.
        const std::size_t text = flat.rfind(words + "<");
        const std::size_t heading = text == std::string::npos ? text : flat.rfind("<text:h ", text);
        const std::size_t body = text == std::string::npos ? text : flat.rfind("<text:p ", text);
        const std::size_t paragraph = heading == std::string::npos ? body : body == std::string::npos ? heading : std::max(heading, body);
        const std::size_t named = paragraph == std::string::npos ? paragraph : flat.find("text:style-name=\"", paragraph);
        if (named == std::string::npos)
            return "no " + words + " in " + name;
        std::string style = flat.substr(named + 17, flat.find('"', named + 17) - named - 17);
        std::string found;
        for (const char* property : {"fo:margin-top", "fo:margin-bottom", "fo:line-height"}) {
            std::string value = "-";
            for (std::string current = style; !current.empty() && value == "-";) {
                const std::size_t start = flat.find("<style:style style:name=\"" + current + "\"");
                const std::size_t end = start == std::string::npos ? start : flat.find("</style:style>", start);
                const std::string element = end == std::string::npos ? std::string() : flat.substr(start, end - start);
                const std::size_t at = element.find(std::string(property) + "=\"");
                if (at != std::string::npos)
                    value = element.substr(at + std::strlen(property) + 2, element.find('"', at + std::strlen(property) + 2) - at - std::strlen(property) - 2);
                const std::size_t parent = element.find("style:parent-style-name=\"");
                current = parent == std::string::npos ? std::string() : element.substr(parent + 25, element.find('"', parent + 25) - parent - 25);
            }
            found += std::string(found.empty() ? "" : " ") + property + "=" + value;
        }
        return found;
    };
    for (const std::string words : {"The north pier", "Lights and buoys", "The pier was surveyed at low tide."}) {
        const std::string word = spacing("word", words);
        EXPECT_EQ(word.find("no "), std::string::npos) << word;
        EXPECT_EQ(spacing("saved", words), word) << words;
        EXPECT_EQ(spacing("paged", words), word) << words;
    }
    EXPECT_EQ(spacing("word", "Lights and buoys"), "fo:margin-top=0.1665in fo:margin-bottom=0in fo:line-height=100%");
}

// Lists of Word and WordPad, straight and through the editing page: each
// item keeps its hanging first line, its left indent and the spacing after
// it, and a list without spacing gains none after its last item. A page
// break in the middle of TextEdit's paragraph adds no line.
TEST_F(RTFOtherWritersRoundTripTests, listItemsKeepTheirOwnIndentsAndSpacing)
{
    for (const std::string name : {"word-style.rtf", "wordpad-cyrillic.rtf", "word-lists-tables.rtf", "textedit-letter.rtf",
                                   "word-numbering.rtf"}) {
        Result<Data> data = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf/" + name);
        ASSERT_TRUE(data.ok()) << name;
        DKRTFReadResult original = read(data->toString());
        for (const std::string& rtf : writtenAndSaved(original)) {
            const DKRTFReadResult again = read(rtf);
            expectSameText(again.text, original.text, name + "\n" + rtf);
            // A second save changes nothing more.
            expectSameText(read(savedThroughThePage(again)).text, original.text, name + "\n" + rtf);
        }
    }
}

// Word's lists numbered in Chinese counting and circled numbers, and one
// whose markers have words ("CH I"), with a hanging first line and an item's
// own tab stops: the items keep their numbering, marker words, indents and
// stops straight, through the editing page and after a second save.
TEST_F(RTFOtherWritersRoundTripTests, aListsNumberingMarkerWordsAndItemStopsAreKept)
{
    auto item = [](const AttributedString& text, std::u16string_view word) {
        const std::size_t at = text.string().find(word);
        AttributeDictionaryPtr attributes = at == std::u16string::npos || at == 0 ? nullptr : text.attributesAtIndex(at);
        // A later item of a list read from a file is in the list of the
        // item before, which alone names it.
        const ArrayValue* lists = nullptr;
        for (std::size_t before = at; attributes && !lists && before-- > 0;) {
            AttributeDictionaryPtr earlier = text.attributesAtIndex(before);
            if (!earlier->containsKey(TETextIsListAttribute) && !earlier->containsKey(TETextListsAttribute))
                break;
            lists = earlier->valueForKeyAs<ArrayValue>(TETextListsAttribute);
        }
        const auto* list = lists && !lists->isEmpty() ? lists->elements().back()->as<TECSSListStyle>() : nullptr;
        const auto* style = attributes ? attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName) : nullptr;
        if (!list || !style)
            return std::string("no list item");
        std::ostringstream summary;
        summary << "type " << static_cast<int>(list->type());
        if (const auto& words = list->markerText())
            summary << " numbering " << static_cast<int>(words->numbering) << " \"" << toUtf8(words->before) << "#"
                    << toUtf8(words->after) << "\"";
        summary << " indents " << std::lround(style->style().firstLineHeadIndent() * 1440 / 2.54) << " "
                << std::lround(style->style().headIndent() * 1096 / 80) << " stops";
        for (const TextTab& stop : style->style().tabStops().value_or(std::vector<TextTab>()))
            summary << " " << stop.location << (stop.alignment == TextAlignment::Right ? "R" : "L")
                    << (stop.leader ? std::string(1, static_cast<char>(stop.leader)) : "");
        return summary.str();
    };
    const std::vector<std::u16string_view> items{u"Spring", u"Summer", u"Dig", u"Sow", u"The garden", u"The orchard"};
    const DKRTFReadResult original = read(fixture("../rtf/word-numbering.rtf"));
    ASSERT_EQ(item(original.text, u"Summer"), "type 3 numbering 2 \"#\u3001\" indents -420 420 stops");
    ASSERT_EQ(item(original.text, u"Sow"), "type 3 numbering 8 \"#\" indents -360 720 stops 144L 432R.");
    ASSERT_EQ(item(original.text, u"The orchard"), "type 12 numbering 0 \"CH #\" indents -720 1080 stops");
    const std::string straight = written(original, original.text);
    const std::string paged = savedThroughThePage(original);
    const DKRTFReadResult again = read(paged);
    const std::string twice = savedThroughThePage(again);
    for (const std::string* rtf : {&straight, &paged, &twice}) {
        const DKRTFReadResult back = read(*rtf);
        for (std::u16string_view word : items)
            EXPECT_EQ(item(back.text, word), item(original.text, word)) << toUtf8(word) << "\n" << *rtf;
    }
}

// What a word processor sets after a list label ("\levelfollow": a tab, a
// blank or nothing) is read, kept through the editing page and written back
// for each list, whether the label is a plain "1." or has words of its own.
TEST_F(RTFOtherWritersRoundTripTests, whatFollowsAListLabelIsKept)
{
    struct Case {
        const char* word;
        const char* follow;
        const char* text;
        TEListLabelFollow expected;
    };
    const Case cases[] = {
        {"Tabbed", "0", "\\'02\\'00.", TEListLabelFollow::Tab},
        {"Blank", "1", "\\'02\\'00.", TEListLabelFollow::Space},
        {"Bare", "2", "\\'02\\'00.", TEListLabelFollow::Nothing},
        {"Worded", "1", "\\'05No. \\'00", TEListLabelFollow::Space},
    };
    std::string lists;
    std::string overrides;
    std::string body;
    for (int index = 1; const Case& item : cases) {
        const std::string number = std::to_string(index++);
        lists += "{\\list\\listtemplateid" + number + "{\\listlevel\\levelnfc0\\leveljc0\\levelfollow" + item.follow
            + "\\levelstartat1{\\leveltext" + item.text + ";}{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid" + number + "}";
        overrides += "{\\listoverride\\listid" + number + "\\listoverridecount0\\ls" + number + "}";
        body += "\\pard\\fi-360\\li720\\ls" + number + "\\ilvl0 " + item.word + " item\\par\n\\pard Between\\par\n";
    }
    const std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\*\\listtable" + lists
        + "}{\\*\\listoverridetable" + overrides + "}\n" + body + "}";
    auto follows = [](const AttributedString& text, std::string_view word) -> std::optional<TEListLabelFollow> {
        const std::size_t at = text.string().find(toUtf16(word));
        // The item's lists stand on its words or on the label before them.
        const ArrayValue* lists = nullptr;
        for (std::size_t before = at + 1; at != std::u16string::npos && !lists && before-- > 0;) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(before);
            if (!attributes->containsKey(TETextIsListAttribute) && !attributes->containsKey(TETextListsAttribute))
                break;
            lists = attributes->valueForKeyAs<ArrayValue>(TETextListsAttribute);
        }
        const auto* list = lists && !lists->isEmpty() ? lists->elements().back()->as<TECSSListStyle>() : nullptr;
        if (!list)
            return std::nullopt;
        return list->markerText() ? list->markerText()->follow : TEListLabelFollow::Tab;
    };
    const DKRTFReadResult original = read(rtf);
    const std::string straight = written(original, original.text);
    const std::string paged = savedThroughThePage(original);
    for (const std::string* saved : {&rtf, &straight, &paged}) {
        const DKRTFReadResult back = read(*saved);
        for (const Case& item : cases)
            EXPECT_EQ(follows(back.text, item.word), item.expected) << item.word << "\n" << *saved;
    }
    EXPECT_NE(straight.find("\\levelfollow1"), std::string::npos);
    EXPECT_NE(straight.find("\\levelfollow2"), std::string::npos);
}

// A reader that does not number lists itself shows each item's
// "{\listtext}": every item of a written list carries the marker the list
// table gives it, the items after the first included, and an item after a
// nested list goes on with the list around it. A save through the editing
// page writes the same markers, not the ones the page drew.
TEST_F(RTFOtherWritersRoundTripTests, everyItemCarriesItsMarkerForReadersThatDoNotNumber)
{
    auto markers = [](const std::string& rtf) {
        // Without the list table a reader takes each item's marker text.
        std::string plain = rtf;
        for (const char* table : {"{\\*\\listtable", "{\\*\\listoverridetable"}) {
            const std::size_t at = plain.find(table);
            if (at != std::string::npos)
                plain.erase(at, plain.find("}\n", at) + 2 - at);
        }
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(plain));
        EXPECT_TRUE(read.ok());
        std::string lines;
        for (const std::u16string& line : componentsSeparatedByString(read.ok() ? read->text.string() : u"", u"\n"))
            if (const std::size_t tab = line.find(u'\t'); tab != std::u16string::npos && tab <= 8) {
                // A marker, not a table's first cell ("Site"): a number, a
                // full stop, a blank ("CH I") or a character past ASCII.
                const std::u16string marker = line.substr(0, tab);
                if (std::ranges::any_of(marker, [](char16_t c) { return c > 0x7F || c == u'.' || c == u' ' || (c >= u'0' && c <= u'9'); }))
                    lines += toUtf8(marker) + "|";
            }
        return lines;
    };
    for (const auto& [name, expected] : std::vector<std::pair<std::string, std::string>>{
             {"word-lists-tables.rtf", "1.|a.|2.|\u2022|"},
             {"wordpad-cyrillic.rtf", "1.|2.|\u2022|"},
             {"word-numbering.rtf", "\u4E00\u3001|\u4E8C\u3001|\u2460|\u2461|CH I|CH II|"},
             {"../rtf-roundtrip/libreoffice-nested-list.rtf", "1.|i.|ii.|2.|"}}) {
        const DKRTFReadResult original = read(fixture("../rtf/" + name));
        for (const std::string& rtf : writtenAndSaved(original))
            EXPECT_EQ(markers(rtf), expected) << name << "\n" << rtf;
    }
}

// LibreOffice names a list item's stops before its marker and again after
// it: the item has each stop once, and keeps them through a save, straight
// and through the editing page.
TEST_F(RTFOtherWritersRoundTripTests, libreOfficeListItemsHaveTheirStopsOnce)
{
    const std::string office =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Liberation Sans;}}\n"
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext \\'02\\'00.;}"
        "{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}}{\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n"
        "\\pard\\plain Intro\\par\n"
        "\\pard\\plain\\ls1\\li720\\fi-360\\tx2880\\tqr\\tldot\\tx8640{\\listtext\\pard\\plain 1.\\tab}\\ilvl0\\ls1\\li720\\fi-360"
        "\\tx2880\\tqr\\tldot\\tx8640 First\\tab one\\tab 1\\par\n"
        "\\pard\\plain\\ls1\\li720\\fi-360\\tx2880\\tqr\\tldot\\tx8640{\\listtext\\pard\\plain 2.\\tab}\\ilvl0\\ls1\\li720\\fi-360"
        "\\tx2880\\tqr\\tldot\\tx8640 Second\\tab two\\tab 2\\par\n"
        "\\pard\\plain After\\par\n}";
    auto stops = [](const AttributedString& text, std::u16string_view word) {
        return tabStopsAtWords(text, word);
    };
    const std::vector<TextTab> item{{144, TextAlignment::Left, false, 0}, {432, TextAlignment::Right, false, u'.'}};
    const DKRTFReadResult original = read(office);
    ASSERT_TRUE(stops(original.text, u"First") == item);
    ASSERT_TRUE(stops(original.text, u"Second") == item);
    for (const std::string& rtf : writtenAndSaved(original)) {
        const DKRTFReadResult again = read(rtf);
        EXPECT_TRUE(stops(again.text, u"First") == item) << rtf;
        EXPECT_TRUE(stops(again.text, u"Second") == item) << rtf;
        EXPECT_TRUE(stops(again.text, u"After").empty()) << rtf;
    }
}

// LibreOffice shows its own raised and lowered text of a save at the
// heights it shows the file's, straight and through the page.
TEST_F(RTFOtherWritersRoundTripTests, libreOfficeRaisesAndLowersTextAsInItsOwnFileInFolioRTF)
{
    if (!test::LibreOfficeConverter::isInstalled())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    const std::filesystem::path folder = std::filesystem::path(std::getenv("FOLIO_HOME")) / "rtf-raised-text";
    std::filesystem::create_directories(folder / "out");
    const std::string original = fixture("libreoffice-character-looks.rtf");
    const DKRTFReadResult read = this->read(original);
    const std::vector<std::pair<std::string, std::string>> files{
        {"original.rtf", original}, {"straight.rtf", written(read, read.text)}, {"paged.rtf", savedThroughThePage(read)}};
    std::vector<std::string> paths;
    for (const auto& [name, rtf] : files) {
        ASSERT_TRUE(Data::fromString(rtf).writeToFile((folder / name).string()));
        paths.push_back((folder / name).string());
    }
    const test::LibreOfficeConversion flat = test::LibreOfficeConverter::convert(paths, "fodt", (folder / "out").string());
    ASSERT_TRUE(flat.succeeded()) << flat.failure;
    // Every height LibreOffice gives text, in order.
    auto positions = [&](const std::string& name) {
        Result<Data> data = Data::dataWithContentsOfFile((folder / "out" / (name.substr(0, name.size() - 4) + ".fodt")).string());
        const std::string flat = data.ok() ? data->toString() : std::string();
        std::set<std::string> found;
        constexpr std::string_view kProperty = "style:text-position=\"";
        for (std::size_t at = flat.find(kProperty); at != std::string::npos; at = flat.find(kProperty, at + 1))
            found.insert(flat.substr(at + kProperty.size(), flat.find('"', at + kProperty.size()) - at - kProperty.size()));
        std::string text;
        for (const std::string& position : found)
            text += position + ";";
        return text;
    };
    const std::string shown = positions("original.rtf");
    ASSERT_NE(shown.find("33%"), std::string::npos) << shown;
    ASSERT_NE(shown.find("-8%"), std::string::npos) << shown;
    EXPECT_EQ(positions("straight.rtf"), shown);
    EXPECT_EQ(positions("paged.rtf"), shown);
}

// LibreOffice numbers the saved lists as it numbers the file's own: the
// same markers before the same words, straight and through the page.
TEST_F(RTFOtherWritersRoundTripTests, libreOfficeShowsTheSameListMarkersInFolioRTF)
{
    if (!test::LibreOfficeConverter::isInstalled())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    const std::filesystem::path folder = std::filesystem::path(std::getenv("FOLIO_HOME")) / "rtf-list-markers";
    std::filesystem::create_directories(folder / "out");
    const std::string original = fixture("../rtf/word-numbering.rtf");
    const DKRTFReadResult read = this->read(original);
    const std::vector<std::pair<std::string, std::string>> files{
        {"original.rtf", original},
        {"straight.rtf", written(read, read.text)},
        {"paged.rtf", savedThroughThePage(read)}};
    std::vector<std::string> paths;
    for (const auto& [name, rtf] : files) {
        ASSERT_TRUE(Data::fromString(rtf).writeToFile((folder / name).string()));
        paths.push_back((folder / name).string());
    }
    const test::LibreOfficeConversion plain = test::LibreOfficeConverter::convert(paths, "txt:Text", (folder / "out").string());
    ASSERT_TRUE(plain.succeeded()) << plain.failure;
    auto text = [&](const std::string& name) {
        Result<Data> data = Data::dataWithContentsOfFile((folder / "out" / (name.substr(0, name.size() - 4) + ".txt")).string());
        EXPECT_TRUE(data.ok()) << name;
        return data.ok() ? data->toString() : std::string();
    };
    const std::string shown = text("original.rtf");
    ASSERT_NE(shown.find("\xE4\xBA\x8C\xE3\x80\x81 Summer harvest"), std::string::npos) << shown; // "二、"
    ASSERT_NE(shown.find("\xE2\x91\xA1 Sow"), std::string::npos) << shown;                             // "②"
    ASSERT_NE(shown.find("CH II The orchard"), std::string::npos) << shown;
    EXPECT_EQ(text("straight.rtf"), shown);
    EXPECT_EQ(text("paged.rtf"), shown);
}

// A character style and a footnote's paragraph style are what other
// programs show the text in: they come back from a save through the editing
// page, and a style's formatting reaches no further than its run.
TEST_F(RTFOtherWritersRoundTripTests, characterAndNoteStylesSurviveASaveThroughThePage)
{
    const DKRTFReadResult original = read(fixture("libreoffice-styles-fonts.rtf"));
    auto characterStyleAt = [](const AttributedString& text, std::u16string_view word) {
        const auto* style = valueAtWords<StringValue>(text, word, TECharacterStyleNameAttribute);
        return style ? toUtf8(style->value()) : std::string("none");
    };
    auto noteStyle = [](const AttributedString& text) {
        for (std::size_t at = 0; at < text.length(); ++at) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(at);
            if (const auto* note = attributes ? attributes->valueForKeyAs<TETextAttachment>(NSAttachmentAttributeName) : nullptr) {
                const std::u16string* style = note->attributeForKey("data-style");
                return style ? toUtf8(*style) : std::string("none");
            }
        }
        return std::string("no note");
    };
    ASSERT_EQ(characterStyleAt(original.text, u"agreed"), "Strong Emphasis");
    ASSERT_EQ(characterStyleAt(original.text, u"harbour master"), "Quote Mark");
    ASSERT_EQ(characterStyleAt(original.text, u" on a new rota"), "none");
    ASSERT_EQ(noteStyle(original.text), "Footnote");

    const std::string rtf = savedThroughThePage(original);
    const DKRTFReadResult again = read(rtf);
    EXPECT_EQ(characterStyleAt(again.text, u"agreed"), "Strong Emphasis") << rtf;
    EXPECT_EQ(characterStyleAt(again.text, u"harbour master"), "Quote Mark") << rtf;
    EXPECT_EQ(characterStyleAt(again.text, u" on a new rota"), "none") << rtf;
    EXPECT_EQ(characterStyleAt(again.text, u"Signed"), "none") << rtf;
    EXPECT_EQ(noteStyle(again.text), "Footnote") << rtf;
    // A style's bold does not reach past its run, nor its colour.
    expectSameText(again.text, original.text, rtf);

    // Nor does it come back where the user took it off the styled run.
    MutableAttributedString unbolded(again.text);
    const Range agreed{again.text.string().find(u"agreed"), 6};
    const AttributeValuePtr regular =
        again.text.attributesAtIndex(again.text.string().find(u"on a new rota"))->valueForKey(kCTFontAttributeName);
    ASSERT_TRUE(regular);
    ASSERT_TRUE(unbolded.addAttribute(kCTFontAttributeName, regular, agreed).ok());
    const std::string unboldedRTF = written(again, unbolded);
    const DKRTFReadResult third = read(unboldedRTF);
    EXPECT_EQ(characterStyleAt(third.text, u"agreed"), "Strong Emphasis") << unboldedRTF;
    expectSameText(third.text, unbolded, unboldedRTF);
}

// Other programs look fonts up by the name the file gives: a font the file
// named by its family ("Times New Roman") is written back under that name,
// bold and italic included, never as the face's PostScript name; a file of
// ours, which names faces, keeps naming them.
TEST_F(RTFOtherWritersRoundTripTests, fontsAreWrittenUnderTheNamesTheFileGaveThem)
{
    auto fontTable = [](const std::string& rtf) { return fontTableNames(rtf); };
    const DKRTFReadResult office = read(fixture("libreoffice-styles-fonts.rtf"));
    const std::vector<std::string> named{"Arial", "DejaVu Sans", "Liberation Sans", "Liberation Serif", "Symbol",
                                         "Times New Roman"};
    // Each written name is one the file gave: a note's marker, which the
    // page hands back in its default font, adds none.
    auto namedByTheFile = [&](const std::string& rtf) {
        for (const std::string& name : fontTable(rtf)) {
            if (std::find(named.begin(), named.end(), name) == named.end())
                return "\"" + name + "\" is no name of the file's";
        }
        return std::string("yes");
    };
    MutableAttributedString text(office.text);
    // A bold italic run in the family the file named.
    const Range pilots{office.text.string().find(u"pilots"), 6};
    std::optional<Font> boldItalic = Font::fontMatching("Times New Roman", kFontBoldTrait | kFontItalicTrait, 12);
    ASSERT_TRUE(boldItalic);
    ASSERT_TRUE(text.addAttribute(kCTFontAttributeName, FontAttributeValue::make(*boldItalic), pilots).ok());
    for (const AttributedString* version : {&office.text, static_cast<const AttributedString*>(&text)}) {
        for (const std::string& rtf : {written(office, *version), written(office, throughThePage(*version))}) {
            EXPECT_EQ(namedByTheFile(rtf), "yes") << rtf;
            EXPECT_TRUE(std::ranges::count(fontTable(rtf), "Times New Roman") == 1) << rtf;
            expectSameText(read(rtf).text, *version, rtf);
        }
    }

    // A file of ours, read again, keeps the names.
    const DKRTFReadResult ours = read(written(office, text));
    const std::string again = written(ours, ours.text);
    EXPECT_EQ(namedByTheFile(again), "yes") << again;
    expectSameText(read(again).text, text, again);

    // A document without the names (a new one) names faces, as it always did.
    Result<std::string> fresh = DKRTFWriter::writeDocument(text, DKRTFDocumentSettings{});
    ASSERT_TRUE(fresh.ok());
    const std::vector<std::string> faces = fontTable(*fresh);
    EXPECT_TRUE(std::ranges::count(faces, "TimesNewRomanPSMT") == 1 && std::ranges::count(faces, "TimesNewRomanPS-BoldItalicMT") == 1)
        << *fresh;
}

// LibreOffice's paragraph indented on both sides and its hanging paragraph
// keep their indents through the editing page and the save.
TEST_F(RTFOtherWritersRoundTripTests, indentsOnBothSidesAndHangingFirstLinesAreKept)
{
    auto indents = [](const AttributedString& text, std::u16string_view word) {
        const auto* style = valueAtWords<ParagraphStyleValue>(text, word, kCTParagraphStyleAttributeName);
        if (!style)
            return std::string("none");
        // The first line in hundredths of a centimetre (the page's unit),
        // the sides in twips, as the file gives them.
        std::ostringstream twips;
        twips << std::lround(style->style().firstLineHeadIndent() * 100) << " "
              << std::lround(style->style().headIndent() * 1096 / 80) << " "
              << std::lround(-style->style().tailIndent() * 1096 / 80);
        return twips.str();
    };
    const DKRTFReadResult original = read(fixture("libreoffice-formatting.rtf"));
    ASSERT_EQ(indents(original.text, u"Justified"), "70 850 1134");
    ASSERT_EQ(indents(original.text, u"A hanging"), "-60 680 0");
    const std::string rtf = savedThroughThePage(original);
    const DKRTFReadResult again = read(rtf);
    EXPECT_EQ(indents(again.text, u"Justified"), "70 850 1134") << rtf;
    EXPECT_EQ(indents(again.text, u"A hanging"), "-60 680 0") << rtf;
    EXPECT_EQ(indents(again.text, u"Closing"), "0 0 0") << rtf;
}

// Tab stops as Word writes them, a leader before a right stop for a table of
// contents, centred and decimal stops, and a paragraph without stops between
// paragraphs with them: each paragraph has its own stops again after a save,
// straight and through the editing page, and after a second save.
TEST_F(RTFOtherWritersRoundTripTests, tabStopsAndTheirLeadersAreKept)
{
    const std::string word = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                             "\\pard\\plain\\tqr\\tldot\\tx8640 Contents\\tab 1\\par\n"
                             "\\pard\\plain\\tx1440\\tqc\\tlhyph\\tx4320\\tqdec\\tx6480 Name\\tab Middle\\tab 3.14\\par\n"
                             "\\pard\\plain Plain words\\par\n"
                             "\\pard\\plain\\tlul\\tx2881 Sign\\tab here\\par\n"
                             "\\pard\\plain\\tlul\\tx2881 Again\\tab here\\par\n}";
    auto stops = [](const AttributedString& text, std::u16string_view word) {
        return tabStopsAtWords(text, word);
    };
    const DKRTFReadResult original = read(word);
    const std::vector<TextTab> contents{{432, TextAlignment::Right, false, u'.'}};
    const std::vector<TextTab> table{{72, TextAlignment::Left, false, 0},
                                     {216, TextAlignment::Center, false, u'-'},
                                     {324, TextAlignment::Right, true, 0}};
    const std::vector<TextTab> sign{{144.05, TextAlignment::Left, false, u'_'}};
    ASSERT_TRUE(stops(original.text, u"Contents") == contents);
    ASSERT_TRUE(stops(original.text, u"Name") == table);
    ASSERT_TRUE(stops(original.text, u"Plain").empty());
    ASSERT_TRUE(stops(original.text, u"Sign") == sign);

    const std::string straight = written(original, original.text);
    const std::string throughPage = savedThroughThePage(original);
    for (const std::string& rtf : {straight, throughPage, savedThroughThePage(read(throughPage))}) {
        const DKRTFReadResult again = read(rtf);
        EXPECT_TRUE(stops(again.text, u"Contents") == contents) << rtf;
        EXPECT_TRUE(stops(again.text, u"Name") == table) << rtf;
        EXPECT_TRUE(stops(again.text, u"Plain").empty()) << rtf;
        EXPECT_TRUE(stops(again.text, u"Sign") == sign) << rtf;
        EXPECT_TRUE(stops(again.text, u"Again") == sign) << rtf;
        EXPECT_EQ(toUtf8(again.text.string()), toUtf8(original.text.string()));
    }

    // The stops a list's markers are laid out on are the list's, not stops of
    // its paragraphs: a save through the page adds none.
    for (const std::string name : {"lists.rtf", "nested.rtf"}) {
        const DKRTFReadResult list = read(fixture(name));
        const std::string rtf = savedThroughThePage(list);
        const DKRTFReadResult again = read(rtf);
        // The save ends the last paragraph with a line feed.
        ASSERT_EQ(toUtf8(again.text.string().substr(0, list.text.length())), toUtf8(list.text.string())) << rtf;
        auto stopsAt = [](const AttributedString& text, std::size_t index) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
            const auto* style = attributes ? attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName) : nullptr;
            return style && style->style().tabStops() ? *style->style().tabStops() : std::vector<TextTab>();
        };
        for (std::size_t index = 0; index < list.text.length(); ++index)
            EXPECT_TRUE(stopsAt(again.text, index) == stopsAt(list.text, index)) << name << " at " << index << "\n" << rtf;
    }
}

// First lines indented by twips that are no whole hundredth of a centimetre
// (Word's "\fi397", LibreOffice's "\fi-283") come back as the file gave
// them from a save through the editing page, and from a second one.
TEST_F(RTFOtherWritersRoundTripTests, firstLineIndentsComeBackToTheTwip)
{
    const std::string word = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                             "\\pard\\fi397 Word\\par\n\\pard\\fi400\\li720 Wide\\par\n"
                             "\\pard\\fi-283\\li567 Hanging\\par\n\\pard\\fi567 Centimetre\\par\n"
                             "\\pard\\fi7 Hair\\par\n\\pard Plain\\par\n}";
    auto firstLines = [](const AttributedString& text) {
        std::string twips;
        for (std::u16string_view word : {u"Word", u"Wide", u"Hanging", u"Centimetre", u"Hair", u"Plain"}) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(text.string().find(word));
            const auto* style = attributes ? attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName) : nullptr;
            twips += std::to_string(style ? std::lround(style->style().firstLineHeadIndent() * 566.96) : -1) + " ";
        }
        return twips;
    };
    const DKRTFReadResult original = read(word);
    ASSERT_EQ(firstLines(original.text), "397 400 -283 567 7 0 ");
    const std::string once = savedThroughThePage(original);
    const DKRTFReadResult again = read(once);
    EXPECT_EQ(firstLines(again.text), "397 400 -283 567 7 0 ") << once;
    EXPECT_EQ(savedThroughThePage(again), once);
}

// Word's theme fonts: a table that holds them (a theme flag and a real name)
// gives their names, and a table cut short of them leaves the text in the
// document's default font, never in a Helvetica the file did not name.
TEST_F(RTFOtherWritersRoundTripTests, wordThemeFontsKeepTheFontTheFileGives)
{
    auto fontOf = [](const AttributedString& text, std::u16string_view word) {
        const auto* font = valueAtWords<FontAttributeValue>(text, word, kCTFontAttributeName);
        return font ? font->font().familyName() : std::string("none");
    };
    const DKRTFReadResult themed = read(fixture("word-theme-fonts.rtf"));
    const DKRTFReadResult trimmed = read(fixture("word-letter-footer.rtf"));
    ASSERT_EQ(fontOf(themed.text, u"Theme heading"), "Calibri Light");
    ASSERT_EQ(fontOf(themed.text, u"Body in"), "Calibri");
    ASSERT_EQ(fontOf(trimmed.text, u"Results"), "Times New Roman");
    for (const std::string& rtf : writtenAndSaved(themed)) {
        const DKRTFReadResult again = read(rtf);
        EXPECT_EQ(fontOf(again.text, u"Theme heading"), "Calibri Light") << rtf;
        EXPECT_EQ(fontOf(again.text, u"Body in"), "Calibri") << rtf;
    }
    for (const std::string& rtf : writtenAndSaved(trimmed)) {
        EXPECT_EQ(fontOf(read(rtf).text, u"Results"), "Times New Roman") << rtf;
        const std::size_t table = rtf.find("{\\fonttbl");
        EXPECT_EQ(rtf.substr(table, rtf.find('\n', table) - table).find("Helvetica"), std::string::npos) << rtf;
    }
}

// What LibreOffice and Word write for raised and lowered text (LibreOffice's
// smaller "\up8" and "\dn2" for its superscripts and subscripts, Word's
// "\up6" and "\dn6" at full size beside "\super"), shaded text
// ("\chcbpat"), double strikes ("\striked1") and words-only underlines
// ("\ulw") is read as superscript, subscript, raised and lowered text,
// background, double strike and underline, and kept by a save, straight and
// through the editing page.
TEST_F(RTFOtherWritersRoundTripTests, raisedShadedAndDoubleStruckTextIsReadAndKept)
{
    auto looksOf = [](const AttributedString& text, std::u16string_view word) {
        AttributeDictionaryPtr attributes = attributesAtWords(text, word);
        if (!attributes)
            return std::string("no ") + toUtf8(std::u16string(word));
        std::string looks = std::to_string(intForKey(*attributes, kCTSuperscriptAttributeName, 0));
        if (const std::int64_t shift = intForKey(*attributes, TEBaselineShiftAttribute, 0))
            looks += " shifted " + std::to_string(shift);
        looks += attributes->containsKey(TEDoubleStrikeOutAttribute) ? " double" : "";
        looks += attributes->containsKey(TEStrikeOutAttribute) ? " struck" : "";
        looks += intForKey(*attributes, kCTUnderlineStyleAttributeName, 0) != 0 ? " underlined" : "";
        looks += " on " + colorText(*attributes, NSBackgroundColorAttributeName);
        return looks;
    };
    const std::vector<WordLooks> cases{
        {"libreoffice-character-looks.rtf",
         {{u"2O", "-1 shifted -2 on none"}, {u"2.", "1 shifted 8 on none"}, {u".\nSpaced", "0 on none"},
          {u"yellow back", "0 on 255,255,0"},
          {u"blue on grey", "0 on 217,217,217"}}},
        {"word-character-looks.rtf",
         {{u"2O", "-1 on none"}, {u"2, raised", "1 on none"}, {u"up", "0 shifted 6 on none"}, {u"down", "0 shifted -6 on none"},
          {u".\nExpanded", "0 on none"}, {u"shaded", "0 on 255,255,0"}, {u"double struck", "0 double struck on none"},
          {u"words only", "0 underlined on none"}}},
    };
    expectTheLooksThroughSaves(cases, looksOf, writtenAndSaved);

    // Shading in colour 0, the automatic colour, is none, even where the
    // table's first colour is a real one.
    const DKRTFReadResult shading = read("{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}{\\colortbl\\red0\\green0\\blue0;"
                                         "\\red255\\green255\\blue0;}\\f0 a {\\chcbpat0 none} {\\chcbpat1 yellow}\\par}");
    EXPECT_EQ(looksOf(shading.text, u"none"), "0 on none");
    EXPECT_EQ(looksOf(shading.text, u"yellow"), "0 on 255,255,0");

    // Word's automatic spacing ("\sbauto1", "\saauto1") is the 14 points
    // Word shows, whatever twips stand beside it, and is saved as such.
    const DKRTFReadResult word = read(fixture("word-character-looks.rtf"));
    auto spacing = [](const AttributedString& text) {
        AttributeDictionaryPtr attributes = text.attributesAtIndex(text.string().find(u"Gr\u00FC\u00DFe"));
        const auto* style = attributes ? attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName) : nullptr;
        return style ? formatShortest(style->style().paragraphSpacingBefore()) + " " + formatShortest(style->style().paragraphSpacing())
                     : std::string("none");
    };
    ASSERT_EQ(spacing(word.text), "14 14");
    EXPECT_EQ(spacing(read(savedThroughThePage(word)).text), "14 14");
}

// Languages, capitals, shadows, outlines and underline colours are marks on
// the run: the letters stay as typed, and each mark comes back on the words
// that had it.
TEST_F(RTFOtherWritersRoundTripTests, languagesAndLetterEffectsAreReadAsMarksOnTheirWords)
{
    auto marksOf = [](const AttributedString& text, std::u16string_view word) {
        AttributeDictionaryPtr attributes = attributesAtWords(text, word);
        return attributes ? characterMarks(*attributes) : "no " + toUtf8(std::u16string(word));
    };
    const std::vector<WordLooks> cases{
        {"word-languages-effects.rtf",
         {{u"American", "; language en-US; East Asian en-US"},
          {u"a British", "; language en-GB; East Asian en-US"},
          {u"deutsche", "; language de-DE; East Asian en-US"},
          {u"xyzzy", "; language en-US; East Asian en-US; not proofed"},
          {u"Title in Capitals", "; language en-US; East Asian en-US; capitals"},
          {u"shadowed", "; language en-US; East Asian en-US; 1 shadow 1,1 blur 1 in 128,128,128,255"},
          {u"outlined", "; language en-US; East Asian en-US; outline 3"},
          {u"all of them", "; language en-GB; East Asian en-US; capitals; 1 shadow 1,1 blur 1 in 128,128,128,255"}}},
        {"libreoffice-languages-effects.rtf",
         {{u"Des mots", "; language fr-FR; East Asian zh-CN"},
          {u"parole", "; language it-IT; East Asian zh-CN"},
          {u"and Japanese", "; language ja-JP; East Asian ja-JP"},
          {u"En capitales", "; language fr-FR; East Asian zh-CN; capitals"},
          {u"contour", "; language fr-FR; East Asian zh-CN; outline 3"},
          {u"tout ensemble", "; language fr-FR; East Asian zh-CN; capitals; 1 shadow 1,1 blur 1 in 128,128,128,255; outline 3"}}},
    };
    expectTheLooksThroughSaves(cases, marksOf, writtenAndSaved);

    // A run that differs only by a mark is a run of its own, and a mark
    // ends where its group does.
    const DKRTFReadResult plain = read("{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\lang1033 one {\\shad two} "
                                       "{\\outl three} {\\lang1036 four} five\\par}");
    const std::string rtf = written(plain, plain.text);
    const DKRTFReadResult again = read(rtf);
    EXPECT_EQ(marksOf(again.text, u"two"), "; language en-US; 1 shadow 1,1 blur 1 in 128,128,128,255") << rtf;
    EXPECT_EQ(marksOf(again.text, u"three"), "; language en-US; outline 3") << rtf;
    EXPECT_EQ(marksOf(again.text, u"four"), "; language fr-FR") << rtf;
    EXPECT_EQ(marksOf(again.text, u"five"), "; language en-US") << rtf;

    // An underline keeps its own colour, black among them (the first colour
    // of a table of ours, which "\\ulc0" does not name), and the automatic
    // colour stays the text's.
    const DKRTFReadResult lines = read("{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}{\\colortbl;\\red255\\green0\\blue0;"
                                       "\\red0\\green0\\blue0;}\\f0\\cf1 {\\ul\\ulc1 red} {\\ul\\ulc2 black} "
                                       "{\\ul\\ulc0 own}\\par}");
    auto underlineOf = [](const AttributedString& text, std::u16string_view word) {
        AttributeDictionaryPtr attributes = text.attributesAtIndex(text.string().find(word));
        return attributes ? colorText(*attributes, NSUnderlineColorAttributeName) : "no text";
    };
    for (const std::string& saved : writtenAndSaved(lines)) {
        const DKRTFReadResult back = read(saved);
        EXPECT_EQ(underlineOf(back.text, u"red"), "255,0,0") << saved;
        EXPECT_EQ(underlineOf(back.text, u"black"), "0,0,0") << saved;
        EXPECT_EQ(underlineOf(back.text, u"own"), "none") << saved;
    }
}

// An empty list item of Word's, in its paragraph style, keeps the
// languages its paragraph was checked in, straight, through the editing page
// (which holds them on the item's placeholder only) and after a second save.
TEST_F(RTFOtherWritersRoundTripTests, anEmptyListItemKeepsItsLanguagesAndStyle)
{
    const std::string item = "\\pard\\s34\\fi-360\\li720\\ls1\\ilvl0\\f0\\lang2057\\langfe1033\\noproof {\\listtext \\'95\\tab}";
    const DKRTFReadResult original = read(
        "{\\rtf1\\ansi{\\fonttbl\\f0 Calibri;}{\\stylesheet{\\s0 Normal;}{\\s34\\li720 List Paragraph;}}"
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}"
        "\\fi-360\\li720}\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n"
        + item + "Full\\par\n" + item + "\\par\n" + item + "After\\par\n\\pard\\plain\\s0\\lang1036 Fin\\par}");
    // The empty item's first character: its placeholder.
    auto emptyItem = [](const AttributedString& text) {
        const std::size_t full = text.string().find(u"Full\n");
        if (full == std::u16string::npos || full + 5 >= text.length())
            return std::string("no empty item");
        AttributeDictionaryPtr attributes = text.attributesAtIndex(full + 5);
        const auto* style = attributes->valueForKeyAs<StringValue>(TEParagraphStyleNameAttribute);
        return characterMarks(*attributes) + "; style " + (style ? toUtf8(style->value()) : "none");
    };
    const std::string wanted = "; language en-GB; East Asian en-US; not proofed; style List Paragraph";
    ASSERT_EQ(emptyItem(original.text), wanted);
    const std::string straight = written(original, original.text);
    EXPECT_EQ(emptyItem(read(straight).text), wanted) << straight;
    const std::string paged = savedThroughThePage(original);
    const DKRTFReadResult again = read(paged);
    EXPECT_EQ(emptyItem(again.text), wanted) << paged;
    const std::string second = savedThroughThePage(again);
    EXPECT_EQ(emptyItem(read(second).text), wanted) << second;
    // The editor hands its page back without the placeholders it types in,
    // the empty item's among them.
    TEHTMLWriterSettings settings;
    settings.fileName = "round-trip";
    std::string html = toUtf8(htmlString(original.text, settings));
    for (std::size_t at = html.find("\xEF\xBB\xBF"); at != std::string::npos; at = html.find("\xEF\xBB\xBF", at))
        html.erase(at, 3);
    std::optional<AttributedString> cleaned = attributedStringWithHTMLData(html);
    ASSERT_TRUE(cleaned.has_value());
    const std::string edited = written(original, *cleaned);
    EXPECT_EQ(emptyItem(read(edited).text), wanted) << edited;
    // The marks end with the item: the paragraphs after it keep their own.
    for (const std::string& rtf : {paged, second, edited}) {
        const DKRTFReadResult reading = read(rtf);
        const std::u16string& words = reading.text.string();
        EXPECT_EQ(characterMarks(*reading.text.attributesAtIndex(words.find(u"After"))),
                  "; language en-GB; East Asian en-US; not proofed")
            << rtf;
        EXPECT_EQ(characterMarks(*reading.text.attributesAtIndex(words.find(u"Fin"))), "; language fr-FR") << rtf;
    }
}

// An empty paragraph holds the run typing would go on in: the languages its
// words would be checked in stay on its paragraph end, straight and through
// the editing page, and do not spread to the paragraphs around it.
TEST_F(RTFOtherWritersRoundTripTests, anEmptyParagraphKeepsItsLanguages)
{
    const DKRTFReadResult original = read(
        "{\\rtf1\\ansi{\\fonttbl\\f0 Calibri;}{\\stylesheet{\\s0 Normal;}}\n"
        "\\pard\\plain\\s0\\f0\\lang1036 Avant\\par\n"
        "\\pard\\plain\\s0\\f0\\lang2057\\langfe1041\\alang1025\\noproof\\par\n"
        "\\pard\\plain\\s0\\f0\\lang1036 Apr\\'e8s\\par}");
    auto marksAt = [](const AttributedString& text, std::u16string_view after) {
        const std::size_t at = text.string().find(after);
        if (at == std::u16string::npos || at + after.size() >= text.length())
            return std::string("missing");
        AttributeDictionaryPtr attributes = text.attributesAtIndex(at + after.size());
        return characterMarks(*attributes) + scriptMarks(*attributes);
    };
    const std::string wanted = "; language en-GB; East Asian ja-JP; not proofed; complex language ar-SA";
    ASSERT_EQ(marksAt(original.text, u"Avant\n"), wanted);
    const std::string straight = written(original, original.text);
    EXPECT_EQ(marksAt(read(straight).text, u"Avant\n"), wanted) << straight;
    const std::string paged = written(original, throughThePage(original.text));
    const DKRTFReadResult again = read(paged);
    EXPECT_EQ(marksAt(again.text, u"Avant\n"), wanted) << paged;
    EXPECT_EQ(marksAt(read(written(again, throughThePage(again.text))).text, u"Avant\n"), wanted);
    EXPECT_EQ(marksAt(again.text, u"\n\n"), "; language fr-FR") << paged;
    EXPECT_EQ(characterMarks(*again.text.attributesAtIndex(0)), "; language fr-FR") << paged;
}

// An empty paragraph keeps its tab stops through the editing page, as one
// with words does: TextEdit's blank line before the letter's closing has
// the stops of the lines around it, and an empty line of stops of its own
// gives them to none of its neighbours.
TEST_F(RTFOtherWritersRoundTripTests, anEmptyParagraphKeepsItsTabStops)
{
    auto stopsAt = [](const AttributedString& text, std::size_t index) {
        AttributeDictionaryPtr attributes = index < text.length() ? text.attributesAtIndex(index) : nullptr;
        const auto* style = attributes ? attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName) : nullptr;
        return style && style->style().tabStops() ? *style->style().tabStops() : std::vector<TextTab>();
    };
    const DKRTFReadResult letter = read(fixture("../rtf/textedit-letter.rtf"));
    const std::size_t blank = letter.text.string().find(u"\nYours");
    ASSERT_NE(blank, std::u16string::npos);
    ASSERT_EQ(letter.text.string()[blank - 1], u'\n');
    ASSERT_EQ(stopsAt(letter.text, blank).size(), 2u);
    const DKRTFReadResult own = read("{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\pard Before\\par"
                                     "\\pard\\tqr\\tldot\\tx2880\\tx4320\\par\\pard After\\par}");
    const std::vector<TextTab> wanted{{144, TextAlignment::Right, false, u'.'}, {216, TextAlignment::Left, false, 0}};
    ASSERT_TRUE(stopsAt(own.text, 7) == wanted);
    for (const DKRTFReadResult* original : {&letter, &own}) {
        const std::string paged = savedThroughThePage(*original);
        const DKRTFReadResult again = read(paged);
        ASSERT_EQ(toUtf8(again.text.string().substr(0, original->text.length())), toUtf8(original->text.string())) << paged;
        for (std::size_t index = 0; index < original->text.length(); ++index)
            EXPECT_TRUE(stopsAt(again.text, index) == stopsAt(original->text, index)) << index << "\n" << paged;
    }
}

// An empty paragraph keeps the font, size and colour of its own paragraph
// end through the editing page, not the next line's: at the document's
// start, between lines, several in a row, after a page break and at the
// end, so that other programs give each blank line the height it had.
TEST_F(RTFOtherWritersRoundTripTests, anEmptyParagraphKeepsItsOwnFontAndColour)
{
    const DKRTFReadResult original = read(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}{\\f1 Helvetica;}{\\f2 Georgia;}}"
        "{\\colortbl;\\red200\\green0\\blue0;}\n"
        "\\pard\\plain\\f0\\fs48\\par\n"
        "\\pard\\plain\\f1\\fs20 First line.\\par\n"
        "\\pard\\plain\\f0\\fs48\\par\n"
        "\\pard\\plain\\f2\\fs32\\par\n"
        "\\pard\\plain\\f0\\fs16\\cf1\\par\n"
        "\\pard\\plain\\f1\\fs20 Second line.\\par\n"
        "\\pard\\plain\\f2\\fs40\\page\\par\n"
        "\\pard\\plain\\f1\\fs20 Third line.\\par\n"
        "\\pard\\plain\\f0\\fs36\\par}");
    // The look of every empty line's paragraph end, one line each. Black is
    // the automatic colour, which a save names.
    auto emptyLines = [](const AttributedString& text) {
        std::vector<std::string> lines;
        const std::u16string& string = text.string();
        for (std::size_t index = 0; index < string.size(); ++index) {
            if (string[index] != u'\n' || (index > 0 && string[index - 1] != u'\n' && string[index - 1] != u'\f'))
                continue;
            AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
            const auto* font = attributes ? attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName) : nullptr;
            const auto* color = attributes ? attributes->valueForKeyAs<ColorValue>(kCTForegroundColorAttributeName) : nullptr;
            lines.push_back(std::to_string(index) + ": " +
                            (font ? font->font().postScriptName() + " " + formatShortest(font->font().pointSize()) : "no font") +
                            (color && htmlHexString(color->color()) != "000000" ? " #" + htmlHexString(color->color()) : ""));
        }
        return lines;
    };
    const std::vector<std::string> wanted = emptyLines(original.text);
    ASSERT_EQ(wanted.size(), 6u) << toUtf8(original.text.string());
    ASSERT_EQ(wanted[3], "15: TimesNewRomanPSMT 8 #c80000");
    const std::string paged = savedThroughThePage(original);
    const DKRTFReadResult again = read(paged);
    ASSERT_EQ(toUtf8(again.text.string()), toUtf8(original.text.string())) << paged;
    EXPECT_EQ(emptyLines(again.text), wanted) << paged;
}

// A paragraph's end keeps the font and size it was given, which may be
// none of its text's (TextEdit's code paragraphs end in the words' font
// after a run of their own): the height of its line depends on it.
TEST_F(RTFOtherWritersRoundTripTests, everyParagraphEndKeepsItsOwnFontAndSize)
{
    const DKRTFReadResult original = read(fixture("textedit-code-paragraph-ends.rtf"));
    const std::vector<std::string> wanted = paragraphEndFonts(original.text);
    ASSERT_EQ(wanted.size(), 7u) << toUtf8(original.text.string());
    ASSERT_EQ(wanted[1], "1: Helvetica 18");
    ASSERT_EQ(wanted[3], "3: Menlo-Regular 10");
    ASSERT_EQ(wanted[5], "5: Menlo-Regular 24");
    ASSERT_EQ(wanted[6], "6: Courier 9");
    for (const std::string& rtf : writtenAndSavedTwice(original)) {
        const DKRTFReadResult again = read(rtf);
        ASSERT_EQ(toUtf8(again.text.string()), toUtf8(original.text.string())) << rtf;
        EXPECT_EQ(paragraphEndFonts(again.text), wanted) << rtf;
    }
}

// Word's page break inside a paragraph ("text\page more") stays in the
// file where it was, inside its one paragraph: straight and through the
// editing page.
TEST_F(RTFOtherWritersRoundTripTests, pageBreaksInsideAndBeforeParagraphsAreKept)
{
    const std::string word = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                             "\\pard\\plain\\fs22 Before the break{\\fs22\\page }after the break\\par\n"
                             "\\pard\\plain Next\\par\n}";
    const DKRTFReadResult original = read(word);
    ASSERT_EQ(toUtf8(original.text.string()), "Before the break\fafter the break\nNext\n");
    const DKRTFReadResult straight = read(written(original, original.text));
    EXPECT_EQ(toUtf8(straight.text.string()), "Before the break\fafter the break\nNext\n");
    const std::string once = savedThroughThePage(original);
    const DKRTFReadResult again = read(once);
    EXPECT_EQ(toUtf8(again.text.string()), "Before the break\fafter the break\nNext\n") << once;
    EXPECT_EQ(once.find("Helvetica"), std::string::npos) << "a page break names no font\n" << once;
    EXPECT_EQ(savedThroughThePage(again), once);

    // The paragraph ends a section: its break stays at its real end, once,
    // and the document keeps its two sections.
    auto sectionEnds = [](const AttributedString& text) {
        std::vector<std::size_t> ends;
        for (std::size_t end = text.string().find(u'\n'); end != std::u16string::npos;
             end = text.string().find(u'\n', end + 1)) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(end);
            if (attributes && attributes->valueForKeyAs<TESectionBreak>(TESectionBreakAttribute))
                ends.push_back(end);
        }
        return ends;
    };
    const DKRTFReadResult sections = read("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                                          "\\sectd\\titlepg\\pard Alpha cover\\page Bravo text\\par\n"
                                          "\\sect\\sectd\\pard Charlie\\par\n}");
    ASSERT_EQ(toUtf8(sections.text.string()), "Alpha cover\fBravo text\nCharlie\n");
    ASSERT_EQ(sectionEnds(sections.text), std::vector<std::size_t>{22});
    const DKRTFReadResult paged = read(savedThroughThePage(sections));
    EXPECT_EQ(toUtf8(paged.text.string()), "Alpha cover\fBravo text\nCharlie\n");
    EXPECT_EQ(sectionEnds(paged.text), std::vector<std::size_t>{22});
    const DKRTFReadResult pagedAgain = read(savedThroughThePage(paged));
    EXPECT_EQ(toUtf8(pagedAgain.text.string()), "Alpha cover\fBravo text\nCharlie\n");
    EXPECT_EQ(sectionEnds(pagedAgain.text), std::vector<std::size_t>{22});

    // LibreOffice's paragraph that starts a page ("\pagebb") has the break in
    // front of it, and keeps it through the page.
    const DKRTFReadResult office = read(fixture("libreoffice-character-looks.rtf"));
    ASSERT_NE(office.text.string().find(u"next\n\fNew page here"), std::u16string::npos) << toUtf8(office.text.string());
    const std::string saved = savedThroughThePage(office);
    EXPECT_NE(read(saved).text.string().find(u"next\n\fNew page here"), std::u16string::npos) << saved;

    // Word's column break keeps the words on either side of it apart.
    EXPECT_EQ(toUtf8(read("{\\rtf1\\ansi One column\\column Two column\\par}").text.string()), "One column\nTwo column\n");
}

// An empty paragraph that starts a page (LibreOffice's blank line at the
// top of page 2) stays an empty paragraph of its own on that page, however
// often it is saved through the page.
TEST_F(RTFOtherWritersRoundTripTests, anEmptyParagraphThatStartsAPageStaysAParagraph)
{
    const DKRTFReadResult office = read(fixture("libreoffice-rich-header.rtf"));
    const std::u16string expected = u"Echo opens the survey of the river.\n\f\nFoxtrot is on the second page.\n";
    ASSERT_EQ(office.text.string(), expected);
    for (const std::string& saved : writtenAndSavedTwice(office)) {
        const DKRTFReadResult again = read(saved);
        EXPECT_EQ(toUtf8(again.text.string()), toUtf8(expected)) << saved;
        const std::size_t pageBreak = again.text.string().find(u'\f');
        ASSERT_NE(pageBreak, std::u16string::npos) << saved;
        EXPECT_TRUE(again.text.attributesAtIndex(pageBreak)->containsKey(TEPageBreakBeforeParagraphAttribute)) << saved;
    }
    // A break of its own before an empty paragraph, as Word writes it,
    // keeps the empty paragraph too, as LibreOffice shows it.
    const DKRTFReadResult word = read("{\\rtf1\\ansi A\\par\\page\\par B\\par}");
    ASSERT_EQ(toUtf8(word.text.string()), "A\n\f\nB\n");
    for (const std::string& saved : writtenAndSavedTwice(word))
        EXPECT_EQ(toUtf8(read(saved).text.string()), "A\n\f\nB\n") << saved;
}

// A line drawn in a paragraph's text, in front of its words, between them
// and after them, stays where it was in its one paragraph, straight and
// through the editing page, twice; a paragraph of a rule alone stays one,
// and the centring of the paragraph a rule starts stays its own.
TEST_F(RTFOtherWritersRoundTripTests, rulesInsideParagraphsStayInTheirParagraphs)
{
    const std::string rule = "{\\*\\do\\dobxcolumn\\dobypara\\dodhgt\\dpline\\dpxsize9200\\dplinesolid\\dplinew30}";
    const DKRTFReadResult original = read("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                                          "\\pard\\f0\\fs24 Alpha words" + rule + " Bravo words" + rule + "\\par\n"
                                          "\\pard\\qc " + rule + "Charlie centred\\par\n"
                                          "\\pard " + rule + "\\par\n"
                                          "\\pard Delta ends.\\par\n}");
    const std::string text = "Alpha words\f Bravo words\f\n\fCharlie centred\n\f\nDelta ends.\n";
    ASSERT_EQ(toUtf8(original.text.string()), text);
    // Where the rules stand, and how each paragraph is aligned and spaced.
    auto rulesAndAlignments = [](const AttributedString& read) {
        std::string found;
        const std::u16string& string = read.string();
        for (std::size_t index = 0; index < string.size(); ++index) {
            if (read.attributeAtIndex(TEHorizontalRuleStyleAttribute, index))
                found += "rule at " + std::to_string(index) + "; ";
            if (string[index] == u'\n') {
                AttributeDictionaryPtr attributes = read.attributesAtIndex(index);
                const auto* style = attributes ? attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName)
                                               : nullptr;
                found += style && style->style().alignment() == TextAlignment::Center ? "centred end" : "end";
                found += style && (style->style().paragraphSpacing() != 0 || style->style().paragraphSpacingBefore() != 0)
                    ? " spaced; " : "; ";
            }
        }
        return found;
    };
    const std::string expected = rulesAndAlignments(original.text);
    ASSERT_EQ(expected, "rule at 11; rule at 24; end; rule at 26; centred end; rule at 43; end; end; ");

    const std::string straight = written(original, original.text);
    EXPECT_EQ(toUtf8(read(straight).text.string()), text) << straight;
    EXPECT_EQ(rulesAndAlignments(read(straight).text), expected) << straight;
    const std::string once = savedThroughThePage(original);
    const DKRTFReadResult again = read(once);
    EXPECT_EQ(toUtf8(again.text.string()), text) << once;
    EXPECT_EQ(rulesAndAlignments(again.text), expected) << once;
    EXPECT_EQ(once.find("Helvetica"), std::string::npos) << "a rule names no font\n" << once;
    const std::string twice = savedThroughThePage(again);
    EXPECT_EQ(toUtf8(read(twice).text.string()), text) << twice;
    EXPECT_EQ(rulesAndAlignments(read(twice).text), expected) << twice;

    // A rule element a page put inside a paragraph's element ends the words
    // before it: it stays at the end of their paragraph, in the save and
    // when the page shows the text again.
    const std::optional<AttributedString> page = attributedStringWithHTMLData(
        "<div>Echo words<hr id=\"horizontalLine\" noshade color=\"#000000\" size=\"0.5\">Foxtrot words</div>");
    ASSERT_TRUE(page);
    ASSERT_EQ(toUtf8(page->string()), "Echo words\nFoxtrot words\n");
    const AttributedString shownAgain = throughThePage(*page);
    EXPECT_EQ(toUtf8(shownAgain.string()), "Echo words\f\nFoxtrot words\n");
    EXPECT_NE(shownAgain.attributeAtIndex(TEHorizontalRuleStyleAttribute, 10), nullptr);
    const std::string fromPage = written(original, *page);
    const DKRTFReadResult saved = read(fromPage);
    EXPECT_EQ(toUtf8(saved.text.string()), "Echo words\f\nFoxtrot words\n") << fromPage;
    EXPECT_NE(saved.text.attributeAtIndex(TEHorizontalRuleStyleAttribute, 10), nullptr) << fromPage;
    const std::string savedAgain = savedThroughThePage(saved);
    EXPECT_EQ(toUtf8(read(savedAgain).text.string()), "Echo words\f\nFoxtrot words\n") << savedAgain;
    // One between two paragraphs' elements is a paragraph of its own, once.
    const std::optional<AttributedString> between =
        attributedStringWithHTMLData("<div>Golf</div><hr id=\"horizontalLine\"><div>Hotel</div>");
    ASSERT_TRUE(between);
    ASSERT_EQ(rulesAndAlignments(*between), "end; rule at 5; end spaced; end; ") << toUtf8(between->string());
    const AttributedString betweenAgain = throughThePage(*between);
    EXPECT_EQ(toUtf8(betweenAgain.string()), toUtf8(between->string()));
    EXPECT_EQ(rulesAndAlignments(betweenAgain), rulesAndAlignments(*between));
}

// Word's headings are kept with the paragraph after them ("\keepn") and
// whole ("\keep"), its paragraphs leave no line alone on a page
// ("\widctlpar"), in a book of mirrored pages with a gutter; LibreOffice
// says the same in its first section. All are read, and kept by a save,
// straight, through the editing page and after a second save; a paragraph
// after a kept one is written free of the keeps again. The default tab
// width, which LibreOffice and TextEdit give, and where the notes stand and
// how they are numbered, are kept the same way.
TEST_F(RTFOtherWritersRoundTripTests, keepsWidowControlBookBindingTabWidthAndNoteSettingsAreReadAndKept)
{
    auto keeps = [](const AttributedString& text, std::u16string_view word) {
        const auto* style = valueAtWords<ParagraphStyleValue>(text, word, kCTParagraphStyleAttributeName);
        if (!style)
            return std::string("none");
        return std::string(style->style().keepWithNext() ? "next" : "-") + (style->style().keepTogether() ? " whole" : " -") +
            (style->style().widowControl() ? " widows" : " -");
    };
    auto binding = [](const DKRTFPageSettings& page) {
        return std::to_string(static_cast<int>(page.number(DKRTFPageSettings::kMirroredMarginsKey).value_or(0))) + " " +
            std::to_string(static_cast<int>(page.number(DKRTFPageSettings::kGutterKey).value_or(0))) + " tabs " +
            std::to_string(static_cast<int>(page.number(DKRTFPageSettings::kDefaultTabWidthKey).value_or(0))) +
            " notes " + page.text(DKRTFPageSettings::kNoteSettingsKey).value_or("none") + " page " +
            page.text(DKRTFPageSettings::kPageWordsKey).value_or("none") + " first " +
            page.text(DKRTFPageSettings::kFirstSectionKey).value_or("none");
    };
    const std::string office = "\\ftnbj\\ftnstart1\\ftnrstcont\\ftnnar\\aenddoc\\aftnrstcont\\aftnstart1\\aftnnrlc";
    struct Case {
        std::string file;
        std::string binding;
        std::vector<std::pair<std::u16string, std::string>> keeps;
    };
    const std::vector<Case> cases{
        {"word-keep-mirrored.rtf",
         "1 567 tabs 0 notes \\ftnbj\\aenddoc\\fet0 page \\gutterprl\\pgnstart3\\linestart2 first next-page "
         "column-gap=708 page-start=3 line-every=1 line-distance=360 line-start=1 pages-restart pages-lower-roman "
         "lines-each-section",
         {{u"Chapter one", "next whole widows"}, {u"The body", "- - widows"}, {u"A paragraph kept", "- whole widows"},
          {u"Closing", "- - widows"}}},
        {"libreoffice-keep-mirrored.rtf",
         "1 360 tabs 709 notes " + office +
             " page \\rtlgutter first continuous line-every=5 pages-upper-roman lines-each-page",
         {{u"Minutes", "next - -"}, {u"Present", "- - -"}, {u"The report", "- whole -"}}},
        {"libreoffice-formatting.rtf", "0 0 tabs 709 notes " + office + " page none first continuous",
         {{u"Justified", "- - -"}}},
        {"textedit-styled.rtf", "0 0 tabs 720 notes none page none first none", {}},
    };
    for (const Case& file : cases) {
        const DKRTFReadResult original = read(fixture(file.file));
        ASSERT_EQ(binding(original.pageSettings), file.binding) << file.file;
        for (const auto& [word, kept] : file.keeps)
            ASSERT_EQ(keeps(original.text, word), kept) << file.file << " " << toUtf8(word);
        for (const std::string& rtf : writtenAndSavedTwice(original)) {
            const DKRTFReadResult again = read(rtf);
            EXPECT_EQ(binding(again.pageSettings), file.binding) << rtf;
            for (const auto& [word, kept] : file.keeps)
                EXPECT_EQ(keeps(again.text, word), kept) << toUtf8(word) << "\n" << rtf;
        }
    }

    // Damaged numbers are no settings, and note settings that are more than
    // control words (as a changed document attribute may carry) open no
    // group of their own in the save, which keeps the whole text.
    const DKRTFReadResult damaged =
        read("{\\rtf1\\ansi\\deftab-5\\ftnstart0\\fet7\\ftnnar\\pgnstart-2\\linestart40000 Body\\par}");
    EXPECT_EQ(binding(damaged.pageSettings), "0 0 tabs 0 notes \\ftnnar page none first none");
    DKRTFReadResult hostile = read("{\\rtf1\\ansi Body\\par}");
    DKRTFDocumentSettings unsafe = documentSettings(hostile);
    unsafe.noteSettings = "\\ftnnar}{\\*\\generator x}Stray{";
    unsafe.pageWords = "\\pgnstart2}{\\*\\generator x}Stray{";
    Result<std::string> guarded = DKRTFWriter::writeDocument(hostile.text, unsafe);
    ASSERT_TRUE(guarded.ok());
    const DKRTFReadResult safe = read(*guarded);
    EXPECT_EQ(safe.text.string().find(u"Stray"), std::u16string::npos) << *guarded;
    EXPECT_NE(safe.text.string().find(u"Body"), std::u16string::npos) << *guarded;
    EXPECT_EQ(safe.pageSettings.text(DKRTFPageSettings::kNoteSettingsKey), std::nullopt) << *guarded;
    EXPECT_EQ(safe.pageSettings.text(DKRTFPageSettings::kPageWordsKey), std::nullopt) << *guarded;

    // A heading whose style alone keeps it with the next paragraph is kept,
    // and a style that keeps nothing keeps nothing.
    const DKRTFReadResult styled = read("{\\rtf1\\ansi{\\fonttbl\\f0 Arial;}{\\stylesheet{\\s0\\widctlpar Normal;}"
                                        "{\\s1\\keepn\\b heading 1;}}\\pard\\plain\\s1 Styled head\\par"
                                        "\\pard\\plain\\s0 Plain body\\par\\pard\\plain\\s0\\nowidctlpar Own lines\\par}");
    EXPECT_EQ(keeps(styled.text, u"Styled head"), "next - -");
    EXPECT_EQ(keeps(styled.text, u"Plain body"), "- - widows");
    EXPECT_EQ(keeps(styled.text, u"Own lines"), "- - -");

    // LibreOffice's header set lower than RTF's half inch ("\\headery850")
    // and its footer stand where they stood for a program that reads only
    // the standard groups of a save.
    for (const std::string name : {"libreoffice-formatting.rtf", "libreoffice-written.rtf"}) {
        const DKRTFReadResult office = read(fixture(name));
        std::string standard = savedThroughThePage(office);
        for (const char* own : {"{\\*\\pageFooter ", "{\\*\\pageHeader "}) {
            if (std::size_t at = standard.find(own); at != std::string::npos)
                standard.erase(at, standard.find('\n', at) + 1 - at);
        }
        const DKRTFReadResult other = read(standard);
        for (std::string_view key : {DKRTFPageSettings::kHeaderControlKey, DKRTFPageSettings::kFooterControlKey})
            EXPECT_EQ(other.pageSettings.text(key), office.pageSettings.text(key)) << key << "\n" << standard;
    }
}

// Headings carry their level in the document's outline ("\outlinelevel",
// counted from 0), on the paragraph and in their style; LibreOffice turns
// hyphenation on for the document ("\hyphauto1") and off again in every
// paragraph ("\hyphpar0"). Both are read, and kept together by a save,
// straight, through the editing page and after a second save: hyphenation
// kept without the paragraphs' refusals would hyphenate all their text.
TEST_F(RTFOtherWritersRoundTripTests, outlineLevelsAndHyphenationAreReadAndKept)
{
    auto settingsOf = [](const AttributedString& text, std::u16string_view word) {
        const auto* style = valueAtWords<ParagraphStyleValue>(text, word, kCTParagraphStyleAttributeName);
        if (!style)
            return std::string("none");
        return "level " + std::to_string(style->style().outlineLevel()) +
            (style->style().noHyphenation() ? " unhyphenated" : " hyphenated");
    };
    auto hyphenation = [](const DKRTFPageSettings& page) {
        return page.number(DKRTFPageSettings::kAutoHyphenationKey).value_or(0) != 0;
    };
    // How it goes: zone, lines in a row, capitals; "-" for what is not given.
    auto hyphenationSettings = [](const DKRTFPageSettings& page) {
        std::string summary;
        for (std::string_view key : {DKRTFPageSettings::kHyphenationZoneKey, DKRTFPageSettings::kHyphenationConsecutiveLinesKey,
                                     DKRTFPageSettings::kHyphenateCapitalsKey}) {
            const std::optional<float> value = page.number(key);
            summary += (value ? std::to_string(std::lround(*value)) : std::string("-")) + " ";
        }
        return summary;
    };
    struct Case {
        std::string file;
        bool hyphenated;
        std::vector<std::pair<std::u16string, std::string>> paragraphs;
    };
    const std::vector<Case> cases{
        {"word-keep-mirrored.rtf", false,
         {{u"Chapter one", "level 1 hyphenated"}, {u"The body", "level 0 hyphenated"}, {u"Closing", "level 0 hyphenated"}}},
        {"libreoffice-keep-mirrored.rtf", true, {{u"Minutes", "level 1 hyphenated"}, {u"Present", "level 0 hyphenated"}}},
        {"libreoffice-styles-fonts.rtf", true, {{u"Harbour report", "level 1 unhyphenated"}, {u"The pilots", "level 0 unhyphenated"}}},
        {"libreoffice-formatting.rtf", true, {{u"Justified", "level 0 unhyphenated"}}},
    };
    for (const Case& file : cases) {
        const DKRTFReadResult original = read(fixture(file.file));
        ASSERT_EQ(hyphenation(original.pageSettings), file.hyphenated) << file.file;
        for (const auto& [word, setting] : file.paragraphs)
            ASSERT_EQ(settingsOf(original.text, word), setting) << file.file << " " << toUtf8(word);
        for (const std::string& rtf : writtenAndSavedTwice(original)) {
            const DKRTFReadResult again = read(rtf);
            EXPECT_EQ(hyphenation(again.pageSettings), file.hyphenated) << rtf;
            for (const auto& [word, setting] : file.paragraphs)
                EXPECT_EQ(settingsOf(again.text, word), setting) << toUtf8(word) << "\n" << rtf;
        }
    }

    // A style alone gives the level and the refusal; a paragraph's own word
    // stands over its style's; body text ("\outlinelevel9") and numbers
    // past the nine levels are no level.
    const DKRTFReadResult styled = read("{\\rtf1\\ansi{\\fonttbl\\f0 Arial;}{\\stylesheet{\\s0 Normal;}"
                                        "{\\s1\\outlinelevel2\\hyphpar0 heading 3;}}\\hyphauto1"
                                        "\\pard\\plain\\s1 Styled head\\par\\pard\\plain\\s1\\outlinelevel0\\hyphpar Own head\\par"
                                        "\\pard\\plain\\s0\\outlinelevel1\\par\\pard\\plain\\s0 Plain body\\par\\pard\\outlinelevel9 Body level\\par"
                                        "\\pard\\outlinelevel12 Damaged\\par}");
    EXPECT_TRUE(hyphenation(styled.pageSettings));
    EXPECT_EQ(hyphenationSettings(styled.pageSettings), "- - - ");
    for (const auto& [words, settings] : {std::pair{"\\hyphhotz283\\hyphconsec2\\hyphcaps0", "283 2 0 "},
                                          std::pair{"\\hyphhotz0\\hyphconsec0\\hyphcaps", "0 0 1 "},
                                          std::pair{"\\hyphhotz-40\\hyphconsec99999", "- - - "}}) {
        const DKRTFReadResult hyphenated = read(std::string("{\\rtf1\\ansi\\hyphauto1") + words + " Body\\par}");
        ASSERT_EQ(hyphenationSettings(hyphenated.pageSettings), settings) << words;
        for (const std::string& rtf : writtenAndSavedTwice(hyphenated)) {
            const DKRTFReadResult again = read(rtf);
            EXPECT_TRUE(hyphenation(again.pageSettings)) << rtf;
            EXPECT_EQ(hyphenationSettings(again.pageSettings), settings) << rtf;
        }
    }
    const std::vector<std::pair<std::u16string, std::string>> expected{
        {u"Styled head", "level 3 unhyphenated"}, {u"Own head", "level 1 hyphenated"},
        {u"Plain body", "level 0 hyphenated"}, {u"Body level", "level 0 hyphenated"}, {u"Damaged", "level 0 hyphenated"}};
    for (const std::string& rtf : writtenAndSaved(styled)) {
        const DKRTFReadResult again = read(rtf);
        for (const auto& [word, setting] : expected) {
            EXPECT_EQ(settingsOf(styled.text, word), setting) << toUtf8(word);
            EXPECT_EQ(settingsOf(again.text, word), setting) << toUtf8(word) << "\n" << rtf;
        }
        // An empty paragraph keeps its own level too.
        const std::u16string& string = again.text.string();
        const std::size_t empty = string.find(u"\n\nPlain body");
        ASSERT_NE(empty, std::u16string::npos) << rtf;
        const auto* style = again.text.attributesAtIndex(empty + 1)->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName);
        ASSERT_NE(style, nullptr);
        EXPECT_EQ(style->style().outlineLevel(), 2) << rtf;
    }
}

// Contextual spacing ("\contextualspace") comes from a paragraph's own word
// or from its style's, and lasts until "\pard": a paragraph after one that
// has it, and an empty one between two, say what they said when read,
// straight, through the editing page and after a second save.
TEST_F(RTFOtherWritersRoundTripTests, contextualSpacingIsReadAndKeptOnItsOwnParagraphs)
{
    const DKRTFReadResult original = read("{\\rtf1\\ansi{\\fonttbl\\f0 Arial;}{\\stylesheet{\\s0\\sa160 Normal;}"
                                          "{\\s34\\li720\\sa160\\contextualspace List Paragraph;}}"
                                          "\\pard\\plain\\s0\\sa160 Before\\par\\pard\\plain\\s34\\li720\\sa160 Styled item\\par"
                                          "\\pard\\plain\\s34\\li720\\sa160\\contextualspace Own item\\par\\par "
                                          "Item after the gap\\par\\pard\\plain\\s0\\sa160 After\\par"
                                          "\\pard\\plain\\s0\\sa160\\contextualspace Plain but contextual\\par\\pard\\sa160 Last\\par}");
    auto contextual = [](const AttributedString& text, std::size_t at) {
        const auto* style = text.attributesAtIndex(at)->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName);
        return style && style->style().contextualSpacing();
    };
    // Each paragraph's first characters and whether it leaves its space out.
    auto paragraphs = [&](const AttributedString& text) {
        std::string summary;
        const std::u16string& string = text.string();
        for (std::size_t start = 0; start < string.size();) {
            std::size_t end = string.find(u'\n', start);
            if (end == std::u16string::npos)
                end = string.size();
            summary += toUtf8(string.substr(start, std::min<std::size_t>(end - start, 6))) +
                (contextual(text, start) ? " +" : " -") + "|";
            start = end + 1;
        }
        return summary;
    };
    const std::string expected = "Before -|Styled +|Own it +| +|Item a +|After -|Plain  +|Last -|";
    ASSERT_EQ(paragraphs(original.text), expected);
    for (const std::string& rtf : writtenAndSavedTwice(original))
        EXPECT_EQ(paragraphs(read(rtf).text), expected) << rtf;
}

// Files in the manner of the programs that write them: TextEdit's least and
// exact line heights beside a multiple, text lowered right after raised
// text, Word's right-set roman numbers and its own numbering styles, the
// items' indents and markers of Word, WordPad and LibreOffice lists, and
// Google Docs' border words without a kind of line. Each word keeps what
// the file said of it straight, through the editing page and after a
// second save, and every item of a list carries its marker text.
TEST_F(RTFOtherWritersRoundTripTests, spacingScriptsListNumbersAndBordersComeBackAsTheFileSaidThem)
{
    struct File {
        const char* name;
        std::vector<std::pair<std::u16string, std::string>> looks;
        // The items, each of which the file gives a "{\\listtext}".
        std::size_t items = 0;
    };
    const std::vector<File> files{
        {"textedit-line-heights.rtf",
         {{u"At least", "least 19 script 0"},
          {u"Exactly", "exact 19 script 0"},
          {u"One and", "lines 360 script 0"},
          {u"raised", "single script 1"},
          {u"lowered", "single script -1"},
          {u"words", "single script 0"}}},
        {"word-right-set-numbers.rtf",
         {{u"Roman", "lines 259 script 0"},
          {u"First roman", "lines 259 script 0 list 13 numbering 0 format 2 aligned 2 indents -180 720"},
          {u"Second roman", "lines 259 script 0 item indents -180 720"},
          {u"Counted", "exact 15 script 0 list 3 numbering 2 format 39 aligned 0 indents -360 1440"},
          {u"After", "lines 259 script 0"}},
         3},
        {"wordpad-numbered-list.rtf",
         {{u"First numbered", "lines 276 script 0 list 3 indents -360 720"},
          {u"Second numbered", "lines 276 script 0 item indents -360 720"}},
         2},
        {"libreoffice-list-line-height.rtf",
         {{u"First item", "single script 0 list 3 indents -360 720"},
          {u"Second item", "exact 19 script 0 item indents -360 720"},
          {u"Nested item", "single script 0 list 9 numbering 0 format 4 aligned 0 indents -360 1080"},
          {u"Third item", "single script 0 item indents -360 720"}},
         4},
        {"googledocs-border-words.rtf",
         {{u"Border words",
           "lines 276 script 0 borders top=none,0,0 left=none,0,0 bottom=none,0,0 right=none,0,0 between=none,0,0 bar=none,0,0"},
          {u"Ruled", "lines 276 script 0 borders top=s,10,20 bottom=s,10,0"},
          {u"Plain", "lines 276 script 0"}}},
    };
    auto listTexts = [](const std::string& rtf) {
        std::size_t count = 0;
        for (std::size_t at = rtf.find("{\\listtext"); at != std::string::npos; at = rtf.find("{\\listtext", at + 1))
            ++count;
        return count;
    };
    for (const File& file : files) {
        const DKRTFReadResult original = read(fixture(file.name));
        for (const auto& [words, expected] : file.looks)
            ASSERT_EQ(paragraphLooksAtWords(original.text, words), expected) << file.name << " " << toUtf8(words);
        for (const std::string& rtf : writtenAndSavedTwice(original)) {
            const DKRTFReadResult again = read(rtf);
            for (const auto& [words, expected] : file.looks)
                EXPECT_EQ(paragraphLooksAtWords(again.text, words), expected) << file.name << " " << toUtf8(words) << "\n" << rtf;
            EXPECT_EQ(listTexts(rtf), file.items) << file.name << "\n" << rtf;
        }
    }
}

// LibreOffice spaces the lines of a TextEdit file's least and exact line
// heights, and rules off a Google Docs paragraph's border words, in
// Folio's saves as in the file itself: least heights stay least, exact
// ones exact, and border words without a line draw none.
TEST_F(RTFOtherWritersRoundTripTests, libreOfficeSpacesLinesAndRulesParagraphsAsInTheFileInFolioRTF)
{
    if (!test::LibreOfficeConverter::isInstalled())
        GTEST_SKIP() << "LibreOffice is not installed (libreoffice-writer-nogui)";
    const std::filesystem::path folder = std::filesystem::path(std::getenv("FOLIO_HOME")) / "rtf-line-heights";
    std::filesystem::create_directories(folder / "out");
    const std::string textEdit =
        "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2639\n{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
        "\\pard\\tx566\\sl380\\partightenfactor0\n\\f0\\fs24 \\cf0 At least nineteen\\\n"
        "\\pard\\tx566\\sl-380\\partightenfactor0\n\\cf0 Exactly nineteen\\\n"
        "\\pard\\tx566\\sl360\\slmult1\\partightenfactor0\n\\cf0 One and a half\\\n"
        "\\pard\\tx566\\brdrt\\brdrl\\brdrb\\brdrr\\brdrbtw\\brdrbar\\partightenfactor0\n\\cf0 Border words\\\n"
        "\\pard\\tx566\\brdrb\\brdrs\\brdrw10\\brsp20\\partightenfactor0\n\\cf0 Ruled below\\\n}";
    const DKRTFReadResult read = this->read(textEdit);
    std::vector<std::string> files;
    for (const auto& [name, rtf] : std::vector<std::pair<std::string, std::string>>{
             {"file", textEdit}, {"saved", written(read, read.text)}, {"paged", savedThroughThePage(read)}}) {
        ASSERT_TRUE(Data::fromString(rtf).writeToFile((folder / (name + ".rtf")).string()));
        files.push_back((folder / (name + ".rtf")).string());
    }
    const test::LibreOfficeConversion flat = test::LibreOfficeConverter::convert(files, "fodt", (folder / "out").string());
    ASSERT_TRUE(flat.succeeded()) << flat.failure;
    // The line height and borders LibreOffice gives the words' paragraph,
    // from its own style or the style that style is based on.
    auto looks = [&](const std::string& name, const std::string& words) {
        Result<Data> data = Data::dataWithContentsOfFile((folder / "out" / (name + ".fodt")).string());
        const std::string flat = data.ok() ? data->toString() : std::string();
        const std::size_t text = flat.find(words + "<");
        const std::size_t paragraph = text == std::string::npos ? text : flat.rfind("<text:p ", text);
        const std::size_t named = paragraph == std::string::npos ? paragraph : flat.find("text:style-name=\"", paragraph);
        if (named == std::string::npos)
            return "no " + words + " in " + name;
        const std::string style = flat.substr(named + 17, flat.find('"', named + 17) - named - 17);
        std::string found;
        for (const std::string property : {"fo:line-height=", "style:line-height-at-least=", "fo:border-top=",
                                           "fo:border-bottom=", "fo:border-left=", "fo:border-right=", "fo:border="}) {
            std::string value = "-";
            // A few styles deep at most: a style element may close itself.
            std::string current = style;
            for (int depth = 0; depth < 4 && !current.empty() && value == "-"; ++depth) {
                const std::size_t start = flat.find("<style:style style:name=\"" + current + "\"");
                const std::size_t end = start == std::string::npos ? start : flat.find("</style:style>", start);
                const std::string element = end == std::string::npos ? std::string() : flat.substr(start, end - start);
                if (const std::size_t at = element.find(" " + property + "\""); at != std::string::npos)
                    value = element.substr(at + property.size() + 2, element.find('"', at + property.size() + 2) - at - property.size() - 2);
                const std::size_t parent = element.find("style:parent-style-name=\"");
                current = parent == std::string::npos ? std::string() : element.substr(parent + 25, element.find('"', parent + 25) - parent - 25);
            }
            // Single spacing said outright is what no spacing says.
            if (value != "-" && value != "none" && !(property == "fo:line-height=" && value == "100%"))
                found += property + value + " ";
        }
        return found;
    };
    EXPECT_NE(looks("file", "At least nineteen").find("style:line-height-at-least="), std::string::npos);
    EXPECT_NE(looks("file", "Exactly nineteen").find("fo:line-height=0.26"), std::string::npos);
    EXPECT_EQ(looks("file", "Border words").find("border"), std::string::npos);
    EXPECT_NE(looks("file", "Ruled below").find("fo:border-bottom="), std::string::npos);
    for (const std::string words : {"At least nineteen", "Exactly nineteen", "One and a half", "Border words", "Ruled below"}) {
        const std::string file = looks("file", words);
        EXPECT_EQ(file.find("no "), std::string::npos) << file;
        EXPECT_EQ(looks("saved", words), file) << words;
        EXPECT_EQ(looks("paged", words), file) << words;
    }
}

// A text that is one list from its first item to its last: each item's
// group holds its own marker once, through the editing page too, where
// the document's settings ride on the first marker's first character; the
// first item takes no stops from its marker, and the list stays a list.
TEST_F(RTFOtherWritersRoundTripTests, aTextThatIsOneListWritesEachMarkerOnce)
{
    const std::string office =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext \\'02\\'00.;}"
        "{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}}{\\listoverridetable{\\listoverride\\listid1"
        "\\listoverridecount0\\ls1}}\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 1.\\tab}One\\par\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 2.\\tab}Two\\par\n}";
    const DKRTFReadResult original = read(office);
    MutableAttributedString saved(throughThePage(original.text));
    saved.addAttribute("papercolor", StringValue::make(u"FFFFFF"), Range{0, 1});
    for (const std::string& rtf : {written(original, original.text), written(original, saved)}) {
        std::vector<std::string> groups;
        for (std::size_t at = rtf.find("{\\listtext"); at != std::string::npos; at = rtf.find("{\\listtext", at + 1))
            groups.push_back(rtf.substr(at, rtf.find('}', at) + 1 - at));
        EXPECT_EQ(groups, (std::vector<std::string>{"{\\listtext 1.\\tab }", "{\\listtext 2.\\tab }"})) << rtf;
        EXPECT_EQ(rtf.find("\\tx"), std::string::npos) << rtf;
        const DKRTFReadResult again = read(rtf);
        EXPECT_EQ(toUtf8(again.text.string()), "\uFEFFOne\n\uFEFFTwo\n") << rtf;
    }
}

// A heading after a nested item that names a level but no list (as
// LibreOffice writes an outline heading) is no item and ends every list;
// the lists after it, one right after another, are lists of their own with
// their items at their own single level: straight, through the editing page
// and after a second save.
TEST_F(RTFOtherWritersRoundTripTests, aListAfterAHeadingWithAStrayLevelKeepsItsOwnItems)
{
    const std::string office =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
        "{\\*\\listtable"
        "{\\list\\listtemplateid1{\\listlevel\\levelnfc23{\\leveltext \\'01\\u8226 ?;}{\\levelnumbers;}\\fi-360\\li720}"
        "{\\listlevel\\levelnfc23{\\leveltext \\'01\\u8226 ?;}{\\levelnumbers;}\\fi-360\\li1440}\\listid1}"
        "{\\list\\listtemplateid2{\\listlevel\\levelnfc23{\\leveltext \\'01\\u8226 ?;}{\\levelnumbers;}\\fi-360\\li720}"
        "\\listid2}"
        "{\\list\\listtemplateid3{\\listlevel\\levelnfc23{\\leveltext \\'01\\u8226 ?;}{\\levelnumbers;}\\fi-360\\li720}"
        "\\listid3}"
        "{\\list\\listtemplateid4{\\listlevel\\levelnfc0{\\leveltext \\'02\\'00.;}{\\levelnumbers\\'01;}"
        "\\fi-360\\li720}"
        "\\listid4}}\n"
        "{\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
        "{\\listoverride\\listid2\\listoverridecount0\\ls2}{\\listoverride\\listid3\\listoverridecount0\\ls3}"
        "{\\listoverride\\listid4\\listoverridecount0\\ls4}}\n"
        "\\pard\\plain Opening words.\\par\n"
        "\\pard\\plain{\\listtext\\pard\\plain \\u8226\\'95\\tab}\\ilvl0\\ls1\\li720\\fi-360 Outer one\\par\n"
        "\\pard\\plain{\\listtext\\pard\\plain \\u8226\\'95\\tab}\\ilvl1\\ls1\\li1440\\fi-360 Inner one\\par\n"
        "\\pard\\plain{\\listtext\\pard\\plain \\u8226\\'95\\tab}\\ilvl1\\ls1\\li1440\\fi-360 Inner two\\par\n"
        "\\pard\\plain\\ilvl1\\outlinelevel1\\sb360\\b\\fs36 Heading\\par\n"
        "\\pard\\plain Between the lists.\\par\n"
        "\\pard\\plain{\\listtext\\pard\\plain \\u8226\\'95\\tab}\\ilvl0\\ls2\\li720\\fi-360 Own one\\par\n"
        "\\pard\\plain{\\listtext\\pard\\plain \\u8226\\'95\\tab}\\ilvl0\\ls2\\li720\\fi-360 Own two\\par\n"
        "\\pard\\plain{\\listtext\\pard\\plain \\u8226\\'95\\tab}\\ilvl0\\ls2\\li720\\fi-360 Own three\\par\n"
        "\\pard\\plain{\\listtext\\pard\\plain \\u8226\\'95\\tab}\\ilvl0\\ls3\\li720\\fi-360 Next one\\par\n"
        "\\pard\\plain{\\listtext\\pard\\plain \\u8226\\'95\\tab}\\ilvl0\\ls3\\li720\\fi-360 Next two\\par\n"
        "\\pard\\plain Between again.\\par\n"
        "\\pard\\plain{\\listtext\\pard\\plain 1.\\tab}\\ilvl0\\ls4\\li720\\fi-360 Number one\\par\n"
        "\\pard\\plain{\\listtext\\pard\\plain 2.\\tab}\\ilvl0\\ls4\\li720\\fi-360 Number two\\par\n"
        "\\pard\\plain Closing words.\\par\n}";
    const std::string expected = "Opening words.\n\u2022 Outer one\n\t\u2022 Inner one\n\t\u2022 Inner two\nHeading\n"
                                 "Between the lists.\n\u2022 Own one\n\u2022 Own two\n\u2022 Own three\n"
                                 "\u2022 Next one\n\u2022 Next two\nBetween again.\n1. Number one\n2. Number two\n"
                                 "Closing words.";
    // The outermost list of the item whose text starts with these words.
    auto listOf = [](const AttributedString& text, std::u16string_view words) -> const AttributeValue* {
        const std::size_t at = text.string().find(words);
        const std::size_t start = at == std::u16string::npos ? 0 : text.string().rfind(u'\n', at) + 1;
        AttributeDictionaryPtr attributes = text.attributesAtIndex(start);
        const ArrayValue* lists = attributes ? attributes->valueForKeyAs<ArrayValue>(TETextIsListAttribute) : nullptr;
        if (!lists && attributes)
            lists = attributes->valueForKeyAs<ArrayValue>(TETextListsAttribute);
        return lists && !lists->isEmpty() ? lists->elements().front().get() : nullptr;
    };
    auto expectSameLists = [&](const AttributedString& text, const std::string& rtf) {
        EXPECT_EQ(numberedText(text), expected) << rtf;
        // A bullet list alike in every way to the one before is still a
        // list of its own, not more items of that one.
        EXPECT_NE(listOf(text, u"Own one"), listOf(text, u"Outer one")) << rtf;
        EXPECT_EQ(listOf(text, u"Own three"), listOf(text, u"Own one")) << rtf;
        EXPECT_NE(listOf(text, u"Next one"), listOf(text, u"Own three")) << rtf;
    };
    const DKRTFReadResult original = read(office);
    ASSERT_EQ(numberedText(original.text), expected);
    const std::string straight = written(original, original.text);
    expectSameLists(read(straight).text, straight);
    const std::string paged = savedThroughThePage(original);
    const DKRTFReadResult page = read(paged);
    expectSameLists(page.text, paged);
    const std::string again = savedThroughThePage(page);
    expectSameLists(read(again).text, again);
}

// Lists whose "\ls" numbers go down (a table not in number order, or a
// later list named by a lower number) are lists all the same: each keeps
// its numbers, straight and through the editing page, and one that comes
// back after other paragraphs is the same list again, numbered on as Word
// numbers it: its marker words in the file say "c)" as Word shows.
TEST_F(RTFOtherWritersRoundTripTests, listsNamedByLowerNumbersThanTheOneBeforeStayLists)
{
    const std::string office =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
        "{\\*\\listtable"
        "{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext \\'02\\'00.;}{\\levelnumbers\\'01;}"
        "\\fi-360\\li720}\\listid1}"
        "{\\list\\listtemplateid2{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext \\'02\\'00);}{\\levelnumbers\\'01;}"
        "\\fi-360\\li720}\\listid2}}\n"
        "{\\listoverridetable{\\listoverride\\listid2\\listoverridecount0\\ls2}"
        "{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n"
        "\\pard\\ls2\\ilvl0\\li720\\fi-360{\\listtext a)\\tab}Letter one\\par\n"
        "\\pard\\ls2\\ilvl0\\li720\\fi-360{\\listtext b)\\tab}Letter two\\par\n"
        "\\pard Between.\\par\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 1.\\tab}Number one\\par\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 2.\\tab}Number two\\par\n"
        "\\pard Again between.\\par\n"
        "\\pard\\ls2\\ilvl0\\li720\\fi-360{\\listtext c)\\tab}Letter three\\par\n"
        "\\pard Closing.\\par\n}";
    const std::string expected = "a) Letter one\nb) Letter two\nBetween.\n1. Number one\n2. Number two\n"
                                 "Again between.\nc) Letter three\nClosing.";
    auto listOf = [](const AttributedString& text, std::u16string_view words) -> const AttributeValue* {
        const auto* lists = valueAtWords<ArrayValue>(text, words, TETextListsAttribute);
        return lists && !lists->isEmpty() ? lists->elements().front().get() : nullptr;
    };
    auto expectListsAsWritten = [&](const AttributedString& text, const std::string& rtf) {
        EXPECT_EQ(numberedText(text), expected) << rtf;
        EXPECT_NE(listOf(text, u"Letter one"), nullptr) << rtf;
        EXPECT_EQ(listOf(text, u"Letter three"), listOf(text, u"Letter one")) << rtf;
        EXPECT_NE(listOf(text, u"Number one"), listOf(text, u"Letter one")) << rtf;
    };
    const DKRTFReadResult original = read(office);
    ASSERT_EQ(numberedText(original.text), expected);
    expectListsAsWritten(original.text, office);
    const std::string straight = written(original, original.text);
    expectListsAsWritten(read(straight).text, straight);
    const std::string paged = savedThroughThePage(original);
    expectListsAsWritten(read(paged).text, paged);
    const std::string twice = savedThroughThePage(read(paged));
    expectListsAsWritten(read(twice).text, twice);
    // The marker other readers find beside the number they give.
    for (const std::string* rtf : {&straight, &paged, &twice})
        EXPECT_NE(rtf->find("{\\listtext c)\\tab }Letter three"), std::string::npos) << *rtf;
}

// Word's wavy underlines, single, heavy and double, stay wavy and apart
// from a plain underline and from each other through a save, straight,
// through the editing page (which draws one wave for two) and after a
// second save.
TEST_F(RTFOtherWritersRoundTripTests, wavyUnderlinesStayWavy)
{
    const std::string word = "{\\rtf1\\ansi{\\fonttbl\\f0 Times New Roman;}\\f0 {\\ul plain} {\\ulwave wave} "
                             "{\\ulhwave heavy} {\\ululdbwave double} {\\uldb twice}\\par}";
    auto underline = [](const AttributedString& text, std::u16string_view words) -> std::int64_t {
        AttributeDictionaryPtr attributes = attributesAtWords(text, words);
        return attributes ? intForKey(*attributes, kCTUnderlineStyleAttributeName, 0) : -1;
    };
    const std::vector<std::u16string> words{u"plain", u"wave", u"heavy", u"double", u"twice"};
    auto underlines = [&](const AttributedString& text) {
        std::vector<std::int64_t> values;
        for (const std::u16string& each : words)
            values.push_back(underline(text, each));
        return values;
    };
    const DKRTFReadResult original = read(word);
    const std::vector<std::int64_t> first = underlines(original.text);
    ASSERT_EQ(std::set<std::int64_t>(first.begin(), first.end()).size(), words.size());
    ASSERT_EQ(std::count(first.begin(), first.end(), 0), 0);

    const std::string straight = written(original, original.text);
    EXPECT_EQ(underlines(read(straight).text), first) << straight;
    const std::string paged = savedThroughThePage(original);
    const DKRTFReadResult again = read(paged);
    EXPECT_EQ(underlines(again.text), first) << paged;
    const std::string second = savedThroughThePage(again);
    EXPECT_EQ(underlines(read(second).text), first) << second;
}

// TextEdit's letter strokes with their widths and colours, its shadows'
// measures and kerning (and where it ends, which is no mere absence of
// kerning), beside Word's plain outline and shadow: read as
// TextEdit draws them, and the same straight, through the editing page and
// after a second save.
TEST_F(RTFOtherWritersRoundTripTests, textEditStrokesShadowsAndKerningComeBack)
{
    const std::string textEdit =
        "{\\rtf1\\ansi\\ansicpg1252\\cocoartf2822\n{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
        "{\\colortbl;\\red255\\green255\\blue255;\\red251\\green2\\blue7;\\red0\\green0\\blue255;}\n"
        "\\pard\\f0\\fs24 \\cf0 \\kerning1\\expnd0\\expndtw0 Plain \\outl0\\strokewidth60 \\strokec2 outlined"
        "\\outl0\\strokewidth0 , \\outl0\\strokewidth-40 \\strokec3 filled\\outl0\\strokewidth0 \\strokec0 , "
        "{\\shad\\shadx40\\shady-40\\shadr60\\shado255 \\shadowc2 red shadow}, "
        "{\\shad\\shadx20\\shady-20\\shadr0\\shado0 \\shadowc0 grey shadow}, "
        "{\\shad\\shadx0\\shady-20\\shadr20\\shado128 \\shadowc3 half blue}, {\\kerning32 kerned}, "
        "{\\outl word outline}, {\\shad word shadow}, \\kerning0 not kerned\\par}";
    const std::vector<std::pair<std::u16string, std::string>> expected{
        {u"Plain", "; kerning 1"},
        {u"outlined", "; outline 3 in 251,2,7; kerning 1"},
        {u"filled", "; outline -2 in 0,0,255; kerning 1"},
        {u"red shadow", "; 1 shadow 2,2 blur 3 in 251,2,7,255; kerning 1"},
        {u"grey shadow", "; 1 shadow 1,1 blur 0 in 0,0,0,85; kerning 1"},
        {u"half blue", "; 1 shadow 0,1 blur 1 in 0,0,255,128; kerning 1"},
        {u"kerned", "; kerning 32"},
        {u"word outline", "; outline 3; kerning 1"},
        {u"word shadow", "; 1 shadow 1,1 blur 1 in 128,128,128,255; kerning 1"},
        {u"not kerned", "; kerning 0"},
    };
    auto effects = [&](const AttributedString& text) {
        std::string all;
        for (const auto& [words, marks] : expected) {
            AttributeDictionaryPtr attributes = attributesAtWords(text, words);
            all += toUtf8(words) + (attributes ? characterMarks(*attributes) : "missing") + "\n";
        }
        return all;
    };
    std::string wanted;
    for (const auto& [words, marks] : expected)
        wanted += toUtf8(words) + marks + "\n";

    const DKRTFReadResult original = read(textEdit);
    ASSERT_EQ(effects(original.text), wanted);
    const std::string straight = written(original, original.text);
    EXPECT_EQ(effects(read(straight).text), wanted) << straight;
    const std::string paged = savedThroughThePage(original);
    const DKRTFReadResult again = read(paged);
    EXPECT_EQ(effects(again.text), wanted) << paged;
    const std::string second = savedThroughThePage(again);
    EXPECT_EQ(effects(read(second).text), wanted) << second;
}

// Word's hidden text stays in the document, hidden, straight, through the
// editing page and after a second save, where a reader would have lost it
// for good; what is printed or exported leaves it out.
TEST_F(RTFOtherWritersRoundTripTests, hiddenTextIsKeptHiddenAndLeftOutOfWhatIsShown)
{
    const std::string word = "{\\rtf1\\ansi{\\fonttbl{\\f0 Calibri;}}\\pard\\f0\\fs22 Visible {\\v secret note }words.\\par"
                             "\\pard Second {\\b\\v bold aside}\\v  also hidden\\v0  end\\par}";
    const std::vector<std::pair<std::u16string, std::string>> expected = {
        {u"Visible", ""}, {u"secret note", "; hidden"}, {u"words.", ""},
        {u"bold aside", "; hidden"}, {u"also hidden", "; hidden"}, {u" end", ""}};
    auto marks = [&](const AttributedString& text) {
        std::string all;
        for (const auto& [words, wanted] : expected) {
            const std::size_t at = text.string().find(words);
            all += toUtf8(words) + (at == std::u16string::npos ? "missing" : characterMarks(*text.attributesAtIndex(at))) + "\n";
        }
        return all;
    };
    std::string wanted;
    for (const auto& [words, mark] : expected)
        wanted += toUtf8(words) + mark + "\n";

    const DKRTFReadResult original = read(word);
    ASSERT_EQ(marks(original.text), wanted);
    const std::string straight = written(original, original.text);
    EXPECT_NE(straight.find("\\v"), std::string::npos) << straight;
    EXPECT_EQ(marks(read(straight).text), wanted) << straight;
    const std::string paged = savedThroughThePage(original);
    const DKRTFReadResult again = read(paged);
    EXPECT_EQ(marks(again.text), wanted) << paged;
    const std::string second = savedThroughThePage(again);
    EXPECT_EQ(marks(read(second).text), wanted) << second;

    // Printed and exported HTML, and the text read from it, show none of it.
    TEHTMLWriterSettings shown;
    shown.forPrint = true;
    shown.leavesOutHidden = true;
    const std::u16string printed = htmlString(again.text, shown);
    EXPECT_EQ(HTMLPlainText::plainText(toUtf8(printed)), u"Visible words.\nSecond end") << toUtf8(printed);
}

// Word's character and paragraph shading keep their share, pattern and both
// colours, and a run the colour a reader sees: straight, through the editing
// page and after a second save. A highlight over a shading stays over it.
TEST_F(RTFOtherWritersRoundTripTests, shadingKeepsItsPatternAndColours)
{
    const std::string word =
        "{\\rtf1\\ansi{\\fonttbl\\f0 Times New Roman;}{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;"
        "\\red255\\green255\\blue0;\\red0\\green0\\blue255;}\\f0 "
        "{\\chshdng0\\chcfpat0\\chcbpat3 filled} {\\chshdng2500\\chcfpat2\\chcbpat3 quarter} "
        "{\\chshdng0\\chbgdkhoriz\\chcfpat4\\chcbpat3 lined} {\\chshdng5000\\chcfpat1\\chcbpat0 half grey} "
        "{\\chshdng1000\\chcfpat2\\chcbpat3\\highlight4 marked} plain\\par"
        "\\pard\\shading2000\\cfpat2\\cbpat3 Shaded paragraph\\par\\pard\\bgdkvert\\cfpat4 Lined paragraph\\par"
        "\\pard Plain paragraph\\par}";
    const std::vector<std::pair<std::u16string, std::string>> expected{
        {u"filled", "255,255,0 fill=ffff00"},
        {u"quarter", "255,191,0 shading=2500 color=ff0000 fill=ffff00"},
        {u"lined", "128,128,128 pattern=dkhoriz color=0000ff fill=ffff00"},
        {u"half grey", "128,128,128 shading=5000 color=000000"},
        {u"marked", "0,0,255 shading=1000 color=ff0000 fill=ffff00"},
        {u"plain", "none "},
        {u"Shaded paragraph", "none paragraph shading=2000 color=ff0000 fill=ffff00"},
        {u"Lined paragraph", "none paragraph pattern=dkvert color=0000ff"},
        {u"Plain paragraph", "none "},
    };
    auto shadings = [&](const AttributedString& text) {
        std::string all;
        for (const auto& [words, shading] : expected) {
            AttributeDictionaryPtr attributes = attributesAtWords(text, words);
            const auto* value = attributes ? attributes->valueForKeyAs<StringValue>(TEShadingAttribute) : nullptr;
            const auto* paragraph = attributes ? attributes->valueForKeyAs<StringValue>(TEParagraphShadingAttribute) : nullptr;
            all += toUtf8(words) + " " + (attributes ? colorText(*attributes, NSBackgroundColorAttributeName) : "missing") +
                " " + (value ? toUtf8(value->value()) : "") + (paragraph ? "paragraph " + toUtf8(paragraph->value()) : "") + "\n";
        }
        return all;
    };
    std::string wanted;
    for (const auto& [words, shading] : expected)
        wanted += toUtf8(words) + " " + shading + "\n";

    const DKRTFReadResult original = read(word);
    ASSERT_EQ(shadings(original.text), wanted);
    const std::string straight = written(original, original.text);
    EXPECT_EQ(shadings(read(straight).text), wanted) << straight;
    const std::string paged = savedThroughThePage(original);
    const DKRTFReadResult again = read(paged);
    EXPECT_EQ(shadings(again.text), wanted) << paged;
    const std::string second = savedThroughThePage(again);
    EXPECT_EQ(shadings(read(second).text), wanted) << second;
}

// A link's address is kept as the file wrote it: a space stays a space and
// an escape stays an escape, straight and through the editing page.
TEST_F(RTFOtherWritersRoundTripTests, linkAddressesComeBackAsWritten)
{
    const std::string word =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
        "\\pard\\plain Read {\\field{\\*\\fldinst{HYPERLINK \"file name.html\"}}{\\fldrslt here}}, "
        "{\\field{\\*\\fldinst{HYPERLINK \"http://x/a b\"}}{\\fldrslt there}} and "
        "{\\field{\\*\\fldinst{HYPERLINK \"http://x/a%20c\"}}{\\fldrslt third}}.\\par\n}";
    auto linkOf = [](const AttributedString& text, std::u16string_view word) {
        const auto* link = valueAtWords<URLValue>(text, word, TELinkAttribute);
        return link ? link->urlString() : std::string("<none>");
    };
    const DKRTFReadResult original = read(word);
    ASSERT_EQ(linkOf(original.text, u"here"), "file name.html");
    const DKRTFReadResult paged = read(savedThroughThePage(original));
    for (const DKRTFReadResult* back : {&original, &paged}) {
        const std::string rtf = written(*back, back->text);
        const DKRTFReadResult again = read(rtf);
        EXPECT_EQ(linkOf(again.text, u"here"), "file name.html") << rtf;
        EXPECT_EQ(linkOf(again.text, u"there"), "http://x/a b") << rtf;
        EXPECT_EQ(linkOf(again.text, u"third"), "http://x/a%20c") << rtf;
    }
}

// A report whose middle pages lie in landscape and whose last part runs in
// two columns on the page before: each section break stays at the end of
// its paragraph with the next section's page, and the first section's own
// page stands for the document's, which is kept beside it where it differs
// (LibreOffice puts the header's distance in "\margt" and the body's top in
// "\margtsxn"). Straight, through the editing page and after a second save.
TEST_F(RTFOtherWritersRoundTripTests, everySectionKeepsItsBreakAndItsPage)
{
    auto sections = [](const DKRTFReadResult& read) {
        const DKRTFPageSettings& page = read.pageSettings;
        std::string summary = "paper " + formatShortest(page.paperSize().value_or(Size{}).width) + "x" +
            formatShortest(page.paperSize().value_or(Size{}).height) + " top " +
            std::to_string(std::lround(page.number(DKRTFPageSettings::kPageMarginTopKey).value_or(0) * 566.96f)) +
            " document " + page.text(DKRTFPageSettings::kDocumentWidePageKey).value_or("same") + " first " +
            page.text(DKRTFPageSettings::kFirstSectionKey).value_or("none") + " page " +
            page.text(DKRTFPageSettings::kPageWordsKey).value_or("none");
        const std::u16string& text = read.text.string();
        for (std::size_t end = text.find(u'\n'); end != std::u16string::npos; end = text.find(u'\n', end + 1)) {
            AttributeDictionaryPtr attributes = read.text.attributesAtIndex(end);
            const auto* section = attributes ? attributes->valueForKeyAs<TESectionBreak>(TESectionBreakAttribute) : nullptr;
            if (!section)
                continue;
            const std::size_t start = end == 0 ? 0 : text.find_last_of(u'\n', end - 1) + 1;
            summary += "\n" + toUtf8(text.substr(start, std::min<std::size_t>(end - start, 12))) + ": " +
                toUtf8(section->attributeText());
        }
        return summary;
    };
    const std::vector<std::pair<std::string, std::string>> cases{
        {"word-two-sections.rtf",
         "paper 612x792 top 1440 document same first next-page column-gap=708 page \\pgnstart1\n"
         "The last lin: next-page width=15840 height=12240 left=1080 right=1080 top=1800 bottom=1800 header=708 "
         "footer=708 column-gap=708 page-start=7 line-every=1 file-section=1 landscape pages-restart pages-upper-letter "
         "lines-each-page\n"
         "The wide tab: continuous header=708 footer=708 columns=2 column-gap=720 line-every=10 line-distance=720 "
         "file-section=2 pages-lower-letter lines-continue"},
        {"libreoffice-two-sections.rtf",
         "paper 612x792 top 1700 document next-page top=708 first continuous page none\n"
         "The last lin: next-page width=15840 height=12240 left=1080 right=1080 top=1800 bottom=1800 header=708 "
         "page-start=4 line-every=1 line-distance=284 line-start=1 file-section=1 pages-restart pages-upper-roman "
         "lines-each-section"},
    };
    for (const auto& [file, expected] : cases) {
        const DKRTFReadResult original = read(fixture(file));
        ASSERT_EQ(sections(original), expected) << file;
        for (const std::string& rtf : writtenAndSavedTwice(original))
            EXPECT_EQ(sections(read(rtf)), expected) << rtf;
    }

    // A first section on other paper than the document's: the section's is
    // the page, the document's goes back beside it, also where it is A4 as
    // this program's files once always said.
    for (const std::string& paper : {std::string("\\paperw11906\\paperh16838"), std::string("\\paperw11900\\paperh16840")}) {
        const DKRTFReadResult letter =
            read("{\\rtf1\\ansi\\ansicpg1252" + paper + "\\margl1440\\sectd\\pgwsxn12240\\pghsxn15840 Words\\par}");
        const std::string expected = "paper 612x792 top 1440 document next-page width=" + paper.substr(7, 5) +
            " height=" + paper.substr(19, 5) + " first none page none";
        ASSERT_EQ(sections(letter), expected);
        const DKRTFReadResult once = read(written(letter, letter.text));
        EXPECT_EQ(sections(once), expected);
        EXPECT_EQ(sections(read(savedThroughThePage(once))), expected);
    }

    // The first section's own start, columns and turned paper, given before
    // its first break, beside a document page of its own or none.
    for (const std::string& page : {std::string(), std::string("\\paperw11906\\paperh16838\\sectd\\pgwsxn15840\\pghsxn12240")}) {
        const DKRTFReadResult first =
            read("{\\rtf1\\ansi" + page + "\\sectd\\sbknone\\cols2\\colsx500\\lndscpsxn One\\sect\\sectd\\cols3 Two\\par}");
        const std::string expected = (page.empty() ? "paper 0x0 top 1440 document same"
                                                   : "paper 792x612 top 1440 document next-page width=11906 height=16838") +
            std::string(" first continuous columns=2 column-gap=500 landscape page none\nOne: next-page columns=3 file-section=1");
        ASSERT_EQ(sections(first), expected);
        for (const std::string& rtf : writtenAndSavedTwice(first))
            EXPECT_EQ(sections(read(rtf)), expected) << rtf;
    }

    // A section that ends in an empty paragraph keeps it and its break, and
    // a break right after a paragraph's end (as LibreOffice writes them)
    // ends that paragraph's section without one more paragraph.
    const DKRTFReadResult empty = read("{\\rtf1\\ansi One\\par\\par\\sect\\sectd\\sbknone\\cols3 Two\\par}");
    const std::string emptyBreak = "paper 0x0 top 1440 document same first none page none\n: continuous columns=3 file-section=1";
    ASSERT_EQ(sections(empty), emptyBreak);
    for (const std::string& rtf : writtenAndSaved(empty)) {
        const DKRTFReadResult again = read(rtf);
        EXPECT_EQ(sections(again), emptyBreak) << rtf;
        EXPECT_EQ(toUtf8(again.text.string()), "One\n\nTwo\n") << rtf;
    }

    // Damaged values are no settings: the break stays, at its defaults.
    const DKRTFReadResult damaged = read(
        "{\\rtf1\\ansi\\margtsxn-400 One\\sect\\sectd\\sbkcol\\pgwsxn-5\\pghsxn999999\\marglsxn-20\\cols0\\margtsxn99999 Two\\par}");
    EXPECT_EQ(sections(damaged), "paper 0x0 top 1440 document same first none page none\nOne: next-column file-section=1");
    EXPECT_EQ(sections(read("{\\rtf1\\ansi\\cols0\\colsx-9 One\\sect Two\\par}")),
              "paper 0x0 top 1440 document same first none page none\nOne: next-page file-section=1");
    EXPECT_EQ(sections(read("{\\rtf1\\ansi\\pgnstarts-3\\linemod500\\linex-4\\linestarts99999 One\\sect\\sectd"
                            "\\linemod0\\pgnstarts40000\\pgnucrm\\pgndec Two\\par}")),
              "paper 0x0 top 1440 document same first none page none\nOne: next-page file-section=1");
    // And so from the page: a paragraph's data the page was handed, or a
    // script changed, gives no more than it can carry.
    std::optional<AttributedString> paged = attributedStringWithHTMLData(
        "<p data-section=\"continuous width=-3 columns=5000 left=1x top=900 file-section=0 landscape\">One</p>"
        "<p data-section=\"continuous file-section=-2\">Two</p><p data-section=\"next-page file-section=7\">Three</p>");
    ASSERT_TRUE(paged.has_value());
    const auto* section = paged->attributesAtIndex(0)->valueForKeyAs<TESectionBreak>(TESectionBreakAttribute);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(toUtf8(section->attributeText()), "continuous top=900 landscape");
    const std::size_t two = paged->string().find(u"Two");
    const auto* second = paged->attributesAtIndex(two)->valueForKeyAs<TESectionBreak>(TESectionBreakAttribute);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->settings().fileSection, std::nullopt);
    const auto* third = paged->attributesAtIndex(two + 4)->valueForKeyAs<TESectionBreak>(TESectionBreakAttribute);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->settings().fileSection, 7);
}

// Arabic, Hebrew and Chinese text as Word and LibreOffice write it keeps
// its direction, the fonts, size, weight and language of its complex-script
// letters and the fonts of its East Asian letters: read, written straight,
// written from the editing page, and saved once more. The letters stay as
// they were, marks of direction among them.
TEST_F(RTFOtherWritersRoundTripTests, rightToLeftAndComplexScriptRunsKeepTheirFontsAndLanguages)
{
    auto marksOf = [](const AttributedString& text, std::u16string_view word) {
        AttributeDictionaryPtr attributes = attributesAtWords(text, word);
        return attributes ? characterMarks(*attributes) + scriptMarks(*attributes) : "no " + toUtf8(std::u16string(word));
    };
    struct Case {
        std::string file;
        std::vector<std::pair<std::u16string, std::string>> marks;
    };
    const std::vector<Case> cases{
        {"word-arabic-hebrew-cjk.rtf",
         {{u"English first", "; language en-US; East Asian en-US; complex font Traditional Arabic 14; "
                             "complex language ar-SA"},
          {u"\u0627\u0644\u0639\u0631\u0628\u064A\u0629 \u0643\u0644\u0645\u0629",
           "; language ar-SA; East Asian en-US; direction 1; complex font Traditional Arabic 14; complex language "
           "ar-SA; East Asian font SimSun; high-ANSI font Traditional Arabic"},
          {u"\u05E9\u05DC\u05D5\u05DD\u200F",
           "; language he-IL; East Asian en-US; direction 1; complex font David 16 bold italic; complex language he-IL"},
          {u" (123) ", "; language en-US; East Asian en-US; complex font David 12; complex language he-IL"},
          // A language number no language is known by.
          {u"\u05E2\u05D1\u05E8\u05D9\u05EA",
           "; language x-lcid-1279; East Asian en-US; direction 1; complex font David 12; complex language x-lcid-1279"},
          {u"Chinese", "; language en-US; East Asian zh-CN; complex font Times New Roman 11; complex language ar-SA; "
                       "East Asian font SimSun; high-ANSI font Calibri"},
          {u"\u4E2D\u6587", "; language en-US; East Asian zh-CN; complex font Times New Roman 11; complex language "
                            "ar-SA; East Asian font SimSun; high-ANSI font SimSun"}}},
        {"libreoffice-arabic-hebrew-cjk.rtf",
         {{u"Latin words", "; language en-US; East Asian zh-CN; complex font Noto Naskh Arabic 12; complex language "
                           "ar-SA; East Asian font Noto Sans CJK SC; high-ANSI font Liberation Serif"},
          {u"\u0645\u0631\u062D\u0628\u0627 \u0628\u0643\u0645",
           "; language ar-SA; East Asian zh-CN; direction 1; complex font Noto Naskh Arabic 12; complex language "
           "ar-SA; East Asian font Noto Sans CJK SC; high-ANSI font Noto Naskh Arabic"},
          {u"\u05E9\u05DC\u05D5\u05DD 2024",
           "; language he-IL; East Asian zh-CN; direction 1; complex font Noto Sans Hebrew 14 bold italic; complex "
           "language he-IL; East Asian font Noto Sans CJK SC; high-ANSI font Liberation Serif"},
          {u"\u4E2D\u6587", "; language en-US; East Asian zh-CN; complex font Noto Naskh Arabic 12; complex language "
                            "ar-SA; East Asian font Noto Sans CJK SC; high-ANSI font Noto Sans CJK SC"}}},
    };
    for (const Case& file : cases) {
        const DKRTFReadResult original = read(fixture(file.file));
        for (const auto& [word, marks] : file.marks)
            ASSERT_EQ(marksOf(original.text, word), marks) << file.file << " " << toUtf8(word);
        const DKRTFReadResult direct = read(written(original, original.text));
        const DKRTFReadResult paged = read(savedThroughThePage(original));
        const DKRTFReadResult twice = read(savedThroughThePage(paged));
        for (const DKRTFReadResult* again : {&direct, &paged, &twice}) {
            EXPECT_EQ(toUtf8(again->text.string()), toUtf8(original.text.string())) << file.file;
            for (const auto& [word, marks] : file.marks)
                EXPECT_EQ(marksOf(again->text, word), marks) << file.file << " " << toUtf8(word);
        }
    }

    // A paragraph style gives them to text that does not repeat them.
    const DKRTFReadResult styled = read("{\\rtf1\\ansi{\\fonttbl\\f0 Arial;\\f1 Traditional Arabic;\\f2 SimSun;}"
                                        "{\\stylesheet{\\s0 Normal;}{\\s1\\rtlch\\af1\\afs28\\ab\\alang1025 \\ltrch"
                                        "\\dbch\\af2\\loch\\f0 Arabic;}}\\pard\\s1 styled\\par}");
    EXPECT_EQ(marksOf(styled.text, u"styled"), "; complex font Traditional Arabic 14 bold; complex language ar-SA; "
                                               "East Asian font SimSun");

    // Damaged values are passed over: a font the table lacks, sizes out of
    // reach, a language number past any there is.
    const DKRTFReadResult damaged = read("{\\rtf1\\ansi{\\fonttbl\\f0 Arial;}\\rtlch\\af7\\afs-4\\afs99999"
                                         "\\alang70000\\ltrch\\dbch5\\af0 damaged\\par}");
    EXPECT_EQ(marksOf(damaged.text, u"damaged"), "; East Asian font Arial");

    // On the page a right-to-left run is an embedding, and a language
    // number no language has is kept aside from the page's languages.
    const DKRTFReadResult word = read(fixture("word-arabic-hebrew-cjk.rtf"));
    TEHTMLWriterSettings settings;
    settings.fileName = "page";
    const std::string html = toUtf8(htmlString(word.text, settings));
    EXPECT_NE(html.find("dir=\"rtl\""), std::string::npos);
    EXPECT_NE(html.find("data-lang=\"x-lcid-1279\""), std::string::npos);
    EXPECT_EQ(html.find(" lang=\"x-"), std::string::npos) << html;
}

// Word and LibreOffice give the whole document default fonts and languages
// for complex-script and East Asian text, and the fonts its style sheet
// gives each kind of letters. They come back the same straight, through the
// editing page and after a second save, with their fonts in the font table.
TEST_F(RTFOtherWritersRoundTripTests, theDocumentsComplexScriptAndEastAsianDefaultsAreKept)
{
    const std::string rtf = "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\adeff2\\deff0\\stshfdbch3\\stshfloch0"
                            "\\stshfhich1\\stshfbi2\\deflang1033\\deflangfe2052{\\fonttbl{\\f0 Times New Roman;}"
                            "{\\f1 Calibri;}{\\f2 Traditional Arabic;}{\\f3 SimSun;}}\\pard\\f0 Body text\\par}";
    const std::string expected = "adeflang=1025;adeff=Traditional Arabic;stshfdbch=SimSun;stshfloch=Times New Roman;"
                                 "stshfhich=Calibri;stshfbi=Traditional Arabic;deflang=1033;deflangfe=2052;";
    const DKRTFReadResult original = read(rtf);
    ASSERT_EQ(original.pageSettings.text(DKRTFPageSettings::kScriptDefaultsKey), expected);
    const std::string direct = written(original, original.text);
    const std::string paged = savedThroughThePage(original);
    const DKRTFReadResult once = read(paged);
    for (const std::string& again : {direct, paged, savedThroughThePage(once)}) {
        const DKRTFReadResult reread = read(again);
        EXPECT_EQ(reread.pageSettings.text(DKRTFPageSettings::kScriptDefaultsKey), expected) << again;
        EXPECT_EQ(toUtf8(reread.text.string()), "Body text\n") << again;
        EXPECT_EQ(fontTableNames(again), (std::vector<std::string>{"Calibri", "SimSun", "Times New Roman",
                                                                   "Traditional Arabic"}))
            << again;
    }

    // Word's theme fonts, which its trimmed font table leaves out, and
    // language numbers past any there is are no defaults; a document
    // without any is written without them.
    const DKRTFReadResult theme = read("{\\rtf1\\ansi\\adeff31507\\stshfbi31507\\adeflang70000\\deflangfe0"
                                       "\\deflang1037{\\fonttbl{\\f0 Arial;}}Text\\par}");
    EXPECT_EQ(theme.pageSettings.text(DKRTFPageSettings::kScriptDefaultsKey), "deflang=1037;");
    const DKRTFReadResult plain = read("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}Text\\par}");
    EXPECT_EQ(plain.pageSettings.text(DKRTFPageSettings::kScriptDefaultsKey), std::nullopt);
    const std::string plainWritten = written(plain, plain.text);
    EXPECT_EQ(read(plainWritten).pageSettings.text(DKRTFPageSettings::kScriptDefaultsKey), std::nullopt)
        << plainWritten;

    // Defaults changed by hand in the document's settings name no font
    // that would open a group, and lose nothing of the text.
    DKRTFDocumentSettings unsafe = documentSettings(plain);
    unsafe.scriptDefaults = "adeff=Evil}{\\*\\generator x}Stray{;deflang=12ab;stshfbi=Arial;";
    Result<std::string> guarded = DKRTFWriter::writeDocument(plain.text, unsafe);
    ASSERT_TRUE(guarded.ok());
    const DKRTFReadResult safe = read(*guarded);
    EXPECT_EQ(toUtf8(safe.text.string()), "Text\n") << *guarded;
    const std::string kept = safe.pageSettings.text(DKRTFPageSettings::kScriptDefaultsKey).value_or("");
    EXPECT_NE(kept.find("stshfbi=Arial;"), std::string::npos) << *guarded;
    EXPECT_EQ(kept.find("deflang"), std::string::npos) << *guarded;
}

// Word starts a list's numbers again under an override of its own
// ("\listoverridestartat"): those items count from the start the override
// gives, apart from the list's other items, which number on around them,
// straight, through the editing page and after a second save; the markers
// written say what Word shows.
TEST_F(RTFOtherWritersRoundTripTests, anOverrideThatStartsAgainKeepsItsOwnNumbers)
{
    const std::string word =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext \\'02\\'00.;}"
        "{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid7}}\n"
        "{\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}"
        "{\\listoverride\\listid7\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat5}\\ls2}}\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 1.\\tab}One\\par\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 2.\\tab}Two\\par\n"
        "\\pard Apart.\\par\n"
        "\\pard\\ls2\\ilvl0\\li720\\fi-360{\\listtext 5.\\tab}Five\\par\n"
        "\\pard\\ls2\\ilvl0\\li720\\fi-360{\\listtext 6.\\tab}Six\\par\n"
        "\\pard Again.\\par\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 3.\\tab}Three\\par\n}";
    const std::string expected = "1. One\n2. Two\nApart.\n5. Five\n6. Six\nAgain.\n3. Three";
    const DKRTFReadResult original = read(word);
    ASSERT_EQ(numberedText(original.text), expected);
    const std::string straight = written(original, original.text);
    const std::string paged = savedThroughThePage(original);
    const std::string twice = savedThroughThePage(read(paged));
    for (const std::string* rtf : {&straight, &paged, &twice}) {
        EXPECT_EQ(numberedText(read(*rtf).text), expected) << *rtf;
        for (const char* marker : {"{\\listtext 5.\\tab }Five", "{\\listtext 6.\\tab }Six", "{\\listtext 3.\\tab }Three"})
            EXPECT_NE(rtf->find(marker), std::string::npos) << marker << "\n" << *rtf;
        // Other readers number by the table: the second list starts at five.
        EXPECT_NE(rtf->find("\\levelstartat5"), std::string::npos) << *rtf;
    }
}

// Word's and LibreOffice's comments keep their author's full name and only
// their own words (no date), Word's endnotes stay endnotes, a link
// LibreOffice gives an ignorable character style keeps its words, and the
// document's title, author and times come back: straight, through the
// editing page and after a second save.
TEST_F(RTFOtherWritersRoundTripTests, commentsStyledLinksAndDocumentInformationAreKept)
{
    auto comments = [](const AttributedString& text) {
        std::string found;
        for (std::size_t index = 0; index < text.length(); ++index) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
            const auto* note = attributes ? attributes->valueForKeyAs<TETextAttachment>(NSAttachmentAttributeName) : nullptr;
            const std::u16string* type = note ? note->attributeForKey("attachmentType") : nullptr;
            const std::u16string* kind = note ? note->attributeForKey("data-note-kind") : nullptr;
            if (type && *type == u"annotation")
                found += toUtf8(*note->attributeForKey("annotationAuthor")) + ": " + toUtf8(*note->contentsString()) + "\n";
            else if (type)
                found += (kind ? toUtf8(*kind) : toUtf8(*type)) + ":" + toUtf8(*note->contentsString()) + "\n";
        }
        return found;
    };
    auto linkOn = [](const AttributedString& text, std::u16string_view words) {
        const auto* link = valueAtWords<URLValue>(text, words, TELinkAttribute);
        return link ? link->urlString() : std::string("none");
    };
    const DKRTFReadResult word = read(fixture("word-fields-comments.rtf"));
    const DKRTFReadResult libreOffice = read(fixture("libreoffice-fields-borders.rtf"));
    ASSERT_EQ(comments(word.text), "Ines Varga: Check these against last year.\nfootnote: Measured at low tide.\n"
                                   "endnote: An endnote on the copies.\n");
    ASSERT_EQ(comments(libreOffice.text), "Ada Lind: Which register?\n");
    ASSERT_NE(libreOffice.text.string().find(u"The lights register lists"), std::u16string::npos);
    ASSERT_EQ(linkOn(libreOffice.text, u"lights register"), "https://example.org/lights");
    const std::string wordInfo = "{\\info{\\title Harbour survey}{\\subject Spring inspection}{\\author Ines Varga}"
                                 "{\\keywords harbour, survey}{\\doccomm Draft for the board}{\\operator Ines Varga}"
                                 "{\\creatim\\yr2026\\mo11\\dy3\\hr9\\min12}{\\revtim\\yr2026\\mo11\\dy4\\hr16\\min40}"
                                 "{\\version2}{\\edmins14}{\\nofpages1}{\\nofwords120}{\\nofchars690}{\\nofcharsws808}"
                                 "{\\vern57}}\n";
    ASSERT_EQ(word.pageSettings.text(DKRTFPageSettings::kDocumentInfoKey), wordInfo);
    // TextEdit's company stays ignorable for readers that do not know it.
    const DKRTFReadResult textEdit = read(fixture("textedit-link-spacing.rtf"));
    ASSERT_EQ(textEdit.pageSettings.text(DKRTFPageSettings::kDocumentInfoKey),
              "{\\info{\\title Shopping list}{\\author Lena Hart}{\\*\\company Hart & Co}}\n");
    for (const DKRTFReadResult* original : {&word, &libreOffice, &textEdit}) {
        const std::string paged = savedThroughThePage(*original);
        const DKRTFReadResult once = read(paged);
        for (const std::string& rtf : {written(*original, original->text), paged, savedThroughThePage(once)}) {
            const DKRTFReadResult again = read(rtf);
            EXPECT_EQ(comments(again.text), comments(original->text)) << rtf;
            EXPECT_EQ(linkOn(again.text, u"lights register"), linkOn(original->text, u"lights register")) << rtf;
            EXPECT_EQ(again.pageSettings.text(DKRTFPageSettings::kDocumentInfoKey),
                      original->pageSettings.text(DKRTFPageSettings::kDocumentInfoKey)) << rtf;
        }
    }
    EXPECT_NE(written(word, word.text).find("{\\info{\\title Harbour survey}"), std::string::npos);

    // A title in the document's code page is read as its letters, and goes
    // out in escapes every reader reads the same.
    const DKRTFReadResult cyrillic = read("{\\rtf1\\ansi\\ansicpg1251{\\info{\\title \\'cf\\'eb\\'e0\\'ed}"
                                          "{\\author \\{Ivan\\}}{\\creatim\\yr2026\\mo13}{\\nofpages-4}"
                                          "{\\upr{\\subject ??}{\\*\\ud{\\subject \\u1055?\\u1083?}}}}Text\\par}");
    const std::string cyrillicWritten = written(cyrillic, cyrillic.text);
    const DKRTFReadResult cyrillicAgain = read(cyrillicWritten);
    for (const DKRTFReadResult* each : {&cyrillic, &cyrillicAgain}) {
        const DKRTFDocumentInfo info =
            DKRTFDocumentInfo::fromSerialized(each->pageSettings.text(DKRTFPageSettings::kDocumentInfoKey).value_or(""));
        ASSERT_EQ(info.entries().size(), 4u) << cyrillicWritten;
        EXPECT_EQ(toUtf8(info.entries()[0].text), "\u041F\u043B\u0430\u043D");
        EXPECT_EQ(toUtf8(info.entries()[1].text), "{Ivan}");
        EXPECT_EQ(info.entries()[2].time[1], 13);
        EXPECT_EQ(info.entries()[3].word, "subject");
        EXPECT_EQ(toUtf8(info.entries()[3].text), "\u041F\u043B");
        EXPECT_EQ(toUtf8(each->text.string()), "Text\n");
    }

    // Information changed by hand in the document's settings writes no more
    // than a closed group of what it can carry, and loses none of the text.
    for (const std::string damaged : {"{\\info{\\title Ok}}}{\\*\\generator x}Stray{", "{\\info{\\title Open",
                                      "{\\info}Stray", "\\par Stray"}) {
        DKRTFDocumentSettings settings = documentSettings(cyrillic);
        settings.documentInfo = damaged;
        Result<std::string> rtf = DKRTFWriter::writeDocument(cyrillic.text, settings);
        ASSERT_TRUE(rtf.ok());
        const DKRTFReadResult again = read(*rtf);
        EXPECT_EQ(toUtf8(again.text.string()), "Text\n") << *rtf;
        EXPECT_EQ(rtf->find("Stray"), std::string::npos) << *rtf;
    }
}

// Word and LibreOffice mark the words a comment is about ("\atrfstart",
// "\atrfend", the comment's "\atnref"): ranges that overlap, one over a
// paragraph's end, and a comment at a place keep their words through a save,
// straight, through the editing page and after a second save. A comment
// deleted takes its range with it, and its words copied elsewhere do not
// widen it.
TEST_F(RTFOtherWritersRoundTripTests, commentsKeepTheWordsTheyAreAbout)
{
    // Each comment, and the letters its range holds.
    auto comments = [](const AttributedString& text) {
        std::string found;
        for (std::size_t index = 0; index < text.length(); ++index) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
            const auto* note = attributes ? attributes->valueForKeyAs<TETextAttachment>(NSAttachmentAttributeName) : nullptr;
            const std::u16string* type = note ? note->attributeForKey("attachmentType") : nullptr;
            if (!type || *type != u"annotation")
                continue;
            const std::u16string* tag = note->attributeForKey("data-range");
            std::u16string words;
            for (std::size_t at = 0; tag && at < text.length(); ++at) {
                AttributeDictionaryPtr around = text.attributesAtIndex(at);
                const auto* ranges = around ? around->valueForKeyAs<StringValue>(TECommentRangeAttribute) : nullptr;
                const std::vector<std::u16string> tags =
                    ranges ? componentsSeparatedByString(std::u16string_view(ranges->value()), u" ") : std::vector<std::u16string>();
                if (std::find(tags.begin(), tags.end(), *tag) != tags.end() && !around->containsKey(NSAttachmentAttributeName))
                    words.push_back(text.string()[at]);
            }
            found += toUtf8(*note->attributeForKey("annotationAuthor")) + ": " + toUtf8(*note->contentsString()) + " [" +
                toUtf8(words) + "]\n";
        }
        return found;
    };
    const std::string file =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Helvetica;}}\n"
        "\\pard Alpha {\\*\\atrfstart 12}beta {\\*\\atrfstart 3}gamma{\\*\\atrfend 12}"
        "{{\\*\\atnid Ann}{\\*\\atnauthor Ann}\\chatn{\\*\\annotation{\\*\\atnref 12}ok}} delta{\\*\\atrfend 3}"
        "{{\\*\\atnid Bo}{\\*\\atnauthor Bo}\\chatn{\\*\\annotation{\\*\\atndate 1854160384}{\\*\\atnref 3}overlap}}.\\par\n"
        "\\pard Second {\\*\\atrfstart 9}start\\par\n"
        "\\pard and end{\\*\\atrfend 9}{{\\*\\atnid Cy}{\\*\\atnauthor Cy}\\chatn{\\*\\annotation {\\*\\atnref 9}spans}}"
        " here.\\par\n"
        "\\pard Point {{\\*\\atnid Di}{\\*\\atnauthor Di}\\chatn{\\*\\annotation {\\*\\atnref} at a place}}x\\par\n}";
    const std::string expected =
        "Ann: ok [beta gamma]\nBo: overlap [gamma delta]\nCy: spans [start\nand end]\nDi: at a place []\n";
    const DKRTFReadResult original = read(file);
    ASSERT_EQ(comments(original.text), expected);
    // Word's own file: the comment over the depth readings.
    const DKRTFReadResult word = read(fixture("word-fields-comments.rtf"));
    ASSERT_EQ(comments(word.text), "Ines Varga: Check these against last year. [depth readings]\n");
    for (const DKRTFReadResult* source : {&original, &word}) {
        const std::string paged = savedThroughThePage(*source);
        const DKRTFReadResult once = read(paged);
        for (const std::string& rtf : {written(*source, source->text), paged, savedThroughThePage(once)})
            EXPECT_EQ(comments(read(rtf).text), comments(source->text)) << rtf;
    }

    // One of the overlapping comments deleted from the page, its words stay
    // plain words; the words of another copied to the end, the comment stays
    // about its own.
    MutableAttributedString edited(original.text);
    for (std::size_t index = edited.length(); index-- > 0;) {
        AttributeDictionaryPtr attributes = edited.attributesAtIndex(index);
        const auto* note = attributes ? attributes->valueForKeyAs<TETextAttachment>(NSAttachmentAttributeName) : nullptr;
        const std::u16string* author = note ? note->attributeForKey("annotationAuthor") : nullptr;
        if (author && *author == u"Bo")
            edited.deleteCharactersInRange(Range{index, 1});
    }
    Result<AttributedString> copied =
        original.text.attributedSubstringFromRange(Range{original.text.string().find(u"beta"), 10});
    ASSERT_TRUE(copied.ok());
    edited.appendAttributedString(*copied);
    const std::string rtf = written(original, throughThePage(edited));
    EXPECT_EQ(comments(read(rtf).text), "Ann: ok [beta gamma]\nCy: spans [start\nand end]\nDi: at a place []\n") << rtf;
    EXPECT_EQ(rtf.find("atrfstart", rtf.find("atrfstart", rtf.find("atrfstart") + 1) + 1), std::string::npos) << rtf;
}

// A bookmark of a place or a field that shows nothing, standing just after
// a comment's words or just at their start, stays where it was: outside the
// range that ends before it, inside the one it begins.
TEST_F(RTFOtherWritersRoundTripTests, marksOfAPlaceKeepTheirSideOfACommentsRange)
{
    // Each character with the comment ranges it is in, the carriers as "^".
    auto ranges = [](const AttributedString& text) {
        std::string found;
        for (std::size_t index = 0; index < text.length(); ++index) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
            if (attributes && attributes->containsKey(NSAttachmentAttributeName))
                continue;
            const auto* tags = attributes ? attributes->valueForKeyAs<StringValue>(TECommentRangeAttribute) : nullptr;
            const char16_t unit = text.string()[index];
            found += unit == TEMarkCarrierCharacter ? std::string("^") : toUtf8(std::u16string(1, unit));
            if (tags && !tags->value().empty())
                found += "[" + std::to_string(componentsSeparatedByString(std::u16string_view(tags->value()), u" ").size()) + "]";
        }
        return found;
    };
    const std::string file =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Helvetica;}}\n"
        "\\pard Al {\\*\\atrfstart 4}be{\\*\\atrfend 4}{\\*\\bkmkstart _GoBack}{\\*\\bkmkend _GoBack}"
        "{{\\*\\atnid Ann}{\\*\\atnauthor Ann}\\chatn{\\*\\annotation{\\*\\atnref 4}ok}} ga "
        "{\\*\\atrfstart 5}{\\field{\\*\\fldinst PAGE}{\\fldrslt }}de{\\*\\atrfend 5}"
        "{{\\*\\atnid Bo}{\\*\\atnauthor Bo}\\chatn{\\*\\annotation{\\*\\atnref 5}no}} x\\par\n}";
    const DKRTFReadResult original = read(file);
    ASSERT_EQ(ranges(original.text), "Al b[1]e[1]^ ga ^[1]d[1]e[1] x\n");
    for (const std::string& rtf : {written(original, original.text), written(original, throughThePage(original.text))}) {
        EXPECT_EQ(ranges(read(rtf).text), ranges(original.text)) << rtf;
        // The marks stand in the order of their places, as the file had
        // them.
        EXPECT_LT(rtf.find("{\\*\\atrfend 1}"), rtf.find("{\\*\\bkmkstart _GoBack}")) << rtf;
    }
}

// LibreOffice keeps the properties a user gave a document beside its
// information ("\userprops"); Word may put them inside it. Each keeps its
// name, its kind, its value and the bookmark it is linked to through saves,
// and goes out where LibreOffice finds it.
TEST_F(RTFOtherWritersRoundTripTests, customDocumentPropertiesAreKept)
{
    auto properties = [](const DKRTFReadResult& read) {
        const DKRTFDocumentInfo info =
            DKRTFDocumentInfo::fromSerialized(read.pageSettings.text(DKRTFPageSettings::kDocumentInfoKey).value_or(""));
        std::string found;
        for (const DKRTFDocumentInfo::UserProperty& property : info.userProperties())
            found += toUtf8(property.name) + " (" + (property.type ? std::to_string(*property.type) : "-") + ") = " +
                (property.value ? toUtf8(*property.value) : "-") +
                (property.linkedBookmark ? " linked to " + toUtf8(*property.linkedBookmark) : "") + "\n";
        return found + std::to_string(info.entries().size()) + " entries";
    };
    const std::string file =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Helvetica;}}\n"
        "{\\info{\\title Survey}{\\*\\userprops{\\propname Inside}\\proptype30{\\staticval Word's}"
        "{\\linkval _Hlk1}}}"
        "{\\*\\userprops{\\propname Client}\\proptype30{\\staticval Acme \\{\\'e9t\\'e9\\} \\u8364?}"
        "{\\*\\linkval Client\\'e9}{\\linkval second}"
        "{\\propname Pages}\\proptype3{\\staticval 42}{\\propname Done}\\proptype11{\\staticval 1}"
        "\\proptype5{\\staticval 9}{\\propname Due}\\proptype64{\\staticval 2024. 03. 04.}{\\propname}\\proptype3"
        "{\\propname Open}}\n"
        "\\pard Text\\par\n}";
    const std::string expected = "Inside (30) = Word's linked to _Hlk1\n"
                                 "Client (30) = Acme {\u00e9t\u00e9} \u20ac linked to Client\u00e9\nPages (3) = 42\n"
                                 "Done (11) = 1\nDue (64) = 2024. 03. 04.\nOpen (-) = -\n1 entries";
    const DKRTFReadResult original = read(file);
    ASSERT_EQ(properties(original), expected);
    const std::string once = savedThroughThePage(original);
    const DKRTFReadResult again = read(once);
    EXPECT_EQ(properties(again), expected) << once;
    EXPECT_EQ(properties(read(written(again, again.text))), expected);
    EXPECT_EQ(toUtf8(again.text.string()), "Text\n");
    // LibreOffice's own file.
    EXPECT_EQ(properties(read(fixture("libreoffice-fields-borders.rtf"))), "Reviewer (30) = Ada Lind\n5 entries");
}

// WordPad writes a font's name in the font's own code page, a Japanese one
// in Shift-JIS bytes with blanks among them, in a Japanese or a Western
// document alike: the name is read whole, and the text keeps that font
// through a save.
TEST_F(RTFOtherWritersRoundTripTests, fontNamesInTheirOwnCodePageAreReadWhole)
{
    const std::string western = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}"
                                "{\\f1\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}"
                                "{\\f2\\fnil\\fcharset204 \\'c0\\'f0\\'e8\\'e0\\'eb;}}\n"
                                "\\f1\\'82\\'b1\\'82\\'f1\\f2\\'cf\\'f0\\f0 x\\par}";
    auto fontOf = [](const AttributedString& text, std::u16string_view words) {
        const auto* font = valueAtWords<FontAttributeValue>(text, words, kCTFontAttributeName);
        return font ? font->font().familyName() : std::string("none");
    };
    const DKRTFReadResult japanese = read(fixture("wordpad-japanese-greek.rtf"));
    const DKRTFReadResult westernRead = read(western);
    ASSERT_EQ(japanese.pageSettings.text(DKRTFPageSettings::kFontNamesKey),
              "\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF;Calibri;Calibri;");
    ASSERT_EQ(westernRead.pageSettings.text(DKRTFPageSettings::kFontNamesKey),
              "Calibri;\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF;\u0410\u0440\u0438\u0430\u043B;");
    for (const DKRTFReadResult* original : {&japanese, &westernRead}) {
        const std::u16string words = original == &japanese ? u"\u3053\u3093\u306B\u3061\u306F" : u"\u3053\u3093";
        ASSERT_EQ(fontOf(original->text, words), "\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF");
        for (const std::string& rtf : writtenAndSaved(*original)) {
            const DKRTFReadResult again = read(rtf);
            EXPECT_EQ(toUtf8(again.text.string()), toUtf8(original->text.string())) << rtf;
            EXPECT_EQ(fontOf(again.text, words), "\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF") << rtf;
        }
    }
    EXPECT_EQ(fontOf(westernRead.text, u"\u041F\u0440"), "\u0410\u0440\u0438\u0430\u043B");
    // Names of several runs in one code page, and a name after a group
    // that held none, are read as before.
    EXPECT_EQ(read("{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times New Roman{\\*\\falt Times};}"
                   "{\\f1\\fbidi \\fswiss{\\*\\panose 020b0604020202020204}Arial;} {\\f2 Caf\\'e9 Sans;}}x\\par}")
                  .pageSettings.text(DKRTFPageSettings::kFontNamesKey),
              "Times New Roman;Arial;Caf\u00E9 Sans;");
}

// A rule under a heading, a boxed paragraph and LibreOffice's frame keep
// their lines, widths, distances and colours, and the paragraphs after them
// stay without: straight, through the editing page (which draws them) and
// after a second save.
TEST_F(RTFOtherWritersRoundTripTests, paragraphBordersAreKept)
{
    auto bordersOf = [](const AttributedString& text, std::u16string_view words) {
        const auto* borders = valueAtWords<StringValue>(text, words, TEParagraphBordersAttribute);
        return borders ? toUtf8(borders->value()) : std::string("none");
    };
    const std::vector<WordLooks> cases{
        {"word-fields-comments.rtf",
         {{u"Findings with a rule below", "bottom=s,12,20,4472c4"},
          {u"A boxed note", "top=s,4,1 left=s,4,4 bottom=s,4,1 right=s,4,4"},
          {u"The first reading", "top=triple,6,1 bottom=thtnsg,18,1 between=dashsm,24,1,4472c4"},
          {u"The second reading", "top=triple,6,1 bottom=thtnsg,18,1 between=dashsm,24,1,4472c4"},
          {u"A wavy rule", "left=emboss,15,4 bottom=wavy,10,1"},
          {u"Visible words", "none"}}},
        {"libreoffice-fields-borders.rtf",
         {{u"A framed warning", "top=s,10,56,729fcf left=s,10,56,729fcf bottom=s,10,56,729fcf right=s,10,56,729fcf"},
          {u"A dash-dotted line", "top=dashd,10,56,729fcf bottom=outset,30,56,729fcf"},
          {u"Lamp", "none"}}},
    };
    expectTheLooksThroughSaves(cases, bordersOf, writtenAndSavedTwice);

    // The page draws the lines, and keeps them for the save.
    const DKRTFReadResult word = read(fixture("word-fields-comments.rtf"));
    TEHTMLWriterSettings settings;
    settings.fileName = "page";
    const std::string html = toUtf8(htmlString(word.text, settings));
    EXPECT_NE(html.find("data-paragraph-borders=\"bottom=s,12,20,4472c4\""), std::string::npos) << html;
    EXPECT_NE(html.find("box-shadow:inset 0 -0.75pt 0 #4472c4"), std::string::npos) << html;
    // The line between two readings with the same borders is drawn under
    // the first only: none follows the second.
    const std::size_t between = html.find(",inset 0 -1.2pt 0 #4472c4");
    ASSERT_NE(between, std::string::npos) << html;
    EXPECT_GT(between, html.find("A boxed note")) << html;
    EXPECT_LT(between, html.find("The first reading")) << html;
    EXPECT_EQ(html.find(",inset 0 -1.2pt 0 #4472c4", between + 1), std::string::npos) << html;

    // A side taken away again, damaged numbers and a table's borders are
    // no paragraph's: a width or distance past any there is is the largest.
    const DKRTFReadResult damaged = read("{\\rtf1\\ansi\\pard\\box\\brdrs\\brdrw900\\brsp-4\\brdrt\\brdrnone Boxed\\par"
                                         "\\pard\\trowd\\clbrdrb\\brdrs\\cellx2000\\pard\\intbl Cell\\cell\\row\\pard After\\par}");
    EXPECT_EQ(bordersOf(damaged.text, u"Boxed"), "left=s,255,0 bottom=s,255,0 right=s,255,0");
    EXPECT_EQ(bordersOf(damaged.text, u"After"), "none");
    // And so from the page: data a script changed gives none.
    for (const char* data : {"top=s,12", "top=s,12,20,red", "middle=s,1,1", "top=zigzag,1,1", "top=s,-3,0"}) {
        std::optional<AttributedString> paged =
            attributedStringWithHTMLData(std::string("<p data-paragraph-borders=\"") + data + "\">One</p>");
        ASSERT_TRUE(paged.has_value());
        EXPECT_EQ(bordersOf(*paged, u"One"), "none") << data;
    }
}

// Word's date field, a table of contents whose entries link to the
// headings' bookmarks with their page numbers, and a bookmark over words
// that a page reference names: each field keeps its instruction over the
// text it showed, the contents stay one field over their paragraphs, and the
// bookmarks keep their names. Straight, through the editing page, and
// after a second save.
TEST_F(RTFOtherWritersRoundTripTests, fieldsKeepTheirInstructionsAndBookmarksTheirNames)
{
    auto at = [](const AttributedString& text, std::u16string_view words, std::string_view key, std::size_t skip = 0) {
        std::size_t index = text.string().find(words);
        while (skip-- > 0 && index != std::u16string::npos)
            index = text.string().find(words, index + 1);
        AttributeDictionaryPtr attributes = index == std::u16string::npos ? nullptr : text.attributesAtIndex(index);
        if (const auto* link = attributes ? attributes->valueForKeyAs<URLValue>(key) : nullptr)
            return link->urlString();
        const auto* value = attributes ? attributes->valueForKeyAs<StringValue>(key) : nullptr;
        return value ? toUtf8(value->value()) : std::string("<none>");
    };
    const std::string toc = "TOC \\o \"1-3\" \\h \\z \\u";
    auto expectKept = [&](const AttributedString& text, const std::string& rtf) {
        EXPECT_EQ(at(text, u"3 November 2026", TEFieldInstructionAttribute), "DATE \\@ \"d MMMM yyyy\"") << rtf;
        EXPECT_EQ(at(text, u", kept", TEFieldInstructionAttribute), "<none>") << rtf;
        EXPECT_EQ(at(text, u"The north pier", TEFieldInstructionAttribute), toc) << rtf;
        EXPECT_EQ(at(text, u"The north pier", TELinkAttribute), "#_Toc201") << rtf;
        EXPECT_EQ(at(text, u"1\nLights", TEFieldInstructionAttribute), toc + "\nPAGEREF _Toc201 \\h") << rtf;
        EXPECT_EQ(at(text, u"Lights and buoys", TELinkAttribute), "#_Toc202") << rtf;
        EXPECT_EQ(at(text, u"2\nThe north", TEFieldInstructionAttribute), toc + "\nPAGEREF _Toc202 \\h") << rtf;
        // The headings after the contents are no field's, and hold the bookmarks.
        EXPECT_EQ(at(text, u"The north pier", TEFieldInstructionAttribute, 1), "<none>") << rtf;
        EXPECT_EQ(at(text, u"The north pier", TEBookmarkAttribute, 1), "_Toc201") << rtf;
        EXPECT_EQ(at(text, u"Lights and buoys", TEBookmarkAttribute, 1), "_Toc202") << rtf;
        EXPECT_EQ(at(text, u"The pier was", TEBookmarkAttribute), "<none>") << rtf;
    };
    const DKRTFReadResult original = read(fixture("word-toc-fields.rtf"));
    expectKept(original.text, "as read");
    for (const std::string& rtf : writtenAndSavedTwice(original)) {
        expectKept(read(rtf).text, rtf);
        // One table of contents, whose entries Word and LibreOffice follow
        // to the bookmarks.
        EXPECT_EQ(rtf.find("TOC "), rtf.rfind("TOC ")) << rtf;
        EXPECT_NE(rtf.find("HYPERLINK \\\\l \"_Toc202\""), std::string::npos) << rtf;
    }

    // Word's own file: the bookmark over the first paragraph's words.
    const DKRTFReadResult word = read(fixture("word-fields-comments.rtf"));
    const std::string rtf = savedThroughThePage(word);
    const DKRTFReadResult again = read(rtf);
    EXPECT_EQ(at(again.text, u"The survey began", TEBookmarkAttribute), "Introduction") << rtf;
    EXPECT_EQ(at(again.text, u" at the north pier", TEBookmarkAttribute), "Introduction") << rtf;
    EXPECT_EQ(at(again.text, u"The full tables", TEBookmarkAttribute), "<none>") << rtf;
    EXPECT_EQ(at(again.text, u"1.", TEFieldInstructionAttribute), "PAGEREF Introduction \\h") << rtf;
    EXPECT_EQ(at(again.text, u"1 of", TEFieldInstructionAttribute), "PAGE   \\* MERGEFORMAT") << rtf;
}

// Bookmarks of a place (a cross-reference's target, Word's "_GoBack"),
// bookmarks that overlap, and fields that show nothing (a table of contents
// not yet made, an empty page number or reference) keep their names and
// instructions at their places, straight, through the editing page and after
// a second save, with one start and one end for each bookmark; what is
// shown and printed holds nothing of them.
TEST_F(RTFOtherWritersRoundTripTests, bookmarksAndFieldsWithoutTextKeepTheirPlaces)
{
    const std::string word =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Calibri;}}\\pard\\f0\\fs22 See {\\*\\bkmkstart _Ref1}{\\*\\bkmkend _Ref1}the tide"
        " table{\\*\\bkmkstart _GoBack}{\\*\\bkmkend _GoBack}{\\*\\bkmkstart Spot}{\\*\\bkmkend Spot} on page "
        "{\\field{\\*\\fldinst PAGE}{\\fldrslt }}.\\par\\pard {\\*\\bkmkstart Alpha}First {\\*\\bkmkstart Beta}shared"
        "{\\*\\bkmkend Alpha} words{\\*\\bkmkend Beta} after.\\par\\pard {\\field{\\*\\fldinst TOC \\\\o \"1-3\"}}Contents;"
        " ref {\\field{\\*\\fldinst REF _Ref1 \\\\h}{\\fldrslt }}{\\field{\\*\\fldinst PAGE}{\\fldrslt }}"
        "{\\field{\\*\\fldinst PAGE}{\\fldrslt }} end.\\par}";
    const std::u16string shownText = u"See the tide table on page .\nFirst shared words after.\nContents; ref  end.\n";
    // Each bookmark as the stretch of shown text it holds, each field without
    // text as its place in it.
    auto marks = [](const AttributedString& text) {
        std::u16string shown;
        std::map<std::string, std::pair<std::size_t, std::size_t>> bookmarks;
        std::string fields;
        for (std::size_t index = 0; index < text.length(); ++index) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
            const bool carrier = text.string()[index] == TEMarkCarrierCharacter;
            if (const auto* names = attributes->valueForKeyAs<StringValue>(TEBookmarkAttribute)) {
                for (const std::u16string& name : componentsSeparatedByString(names->value(), u"\n")) {
                    auto entry = bookmarks.try_emplace(toUtf8(name), shown.size(), shown.size()).first;
                    entry->second.second = shown.size() + (carrier ? 0 : 1);
                }
            }
            const auto* field = attributes->valueForKeyAs<StringValue>(TEFieldInstructionAttribute);
            if (carrier && field)
                fields += toUtf8(field->value()) + " at " + std::to_string(shown.size()) + "; ";
            if (!carrier)
                shown += text.string()[index];
        }
        std::string all = toUtf8(shown) + "\n" + fields + "\n";
        for (const auto& [name, place] : bookmarks)
            all += name + " " + std::to_string(place.first) + "-" + std::to_string(place.second) + "; ";
        return all;
    };
    const auto at = [&](std::u16string_view words) { return std::to_string(shownText.find(words)); };
    const auto over = [&](std::u16string_view words) {
        return at(words) + "-" + std::to_string(shownText.find(words) + words.size());
    };
    const std::string wanted = toUtf8(shownText) + "\nPAGE at " + at(u".\nFirst") + "; TOC \\o \"1-3\" at " +
        at(u"Contents") + "; REF _Ref1 \\h at " + at(u" end") + "; PAGE at " + at(u" end") + "; PAGE at " +
        at(u" end") + "; \nAlpha " + over(u"First shared") + "; Beta " + over(u"shared words") + "; Spot " +
        at(u" on page") + "-" + at(u" on page") + "; _GoBack " + at(u" on page") + "-" + at(u" on page") + "; _Ref1 " +
        at(u"the tide") + "-" + at(u"the tide") + "; ";

    const DKRTFReadResult original = read(word);
    ASSERT_EQ(marks(original.text), wanted);
    const std::string straight = written(original, original.text);
    const std::string paged = savedThroughThePage(original);
    const DKRTFReadResult again = read(paged);
    const std::string second = savedThroughThePage(again);
    for (const std::string& rtf : {straight, paged, second}) {
        EXPECT_EQ(marks(read(rtf).text), wanted) << rtf;
        for (const char* name : {"_Ref1", "_GoBack", "Spot", "Alpha", "Beta"}) {
            const std::string start = std::string("\\bkmkstart ") + name + "}";
            const std::string end = std::string("\\bkmkend ") + name + "}";
            EXPECT_EQ(rtf.find(start), rtf.rfind(start)) << name << "\n" << rtf;
            EXPECT_EQ(rtf.find(end), rtf.rfind(end)) << name << "\n" << rtf;
        }
        // The carriers themselves are never written.
        EXPECT_EQ(rtf.find("8288"), std::string::npos) << rtf;
    }

    // What is printed and exported, and the text read from it, shows nothing
    // of the marks.
    TEHTMLWriterSettings shown;
    shown.forPrint = true;
    shown.leavesOutHidden = true;
    const std::u16string printed = htmlString(again.text, shown);
    EXPECT_EQ(HTMLPlainText::plainText(toUtf8(printed)), u"See the tide table on page .\nFirst shared words after.\nContents; ref end.")
        << toUtf8(printed);
}

// A bookmark of the place where a list item's words begin stays in the
// item's text, not its marker's; a paragraph that holds only a field that
// shows nothing stays an empty line, on the page and in print.
TEST_F(RTFOtherWritersRoundTripTests, marksWithoutTextAtAnItemOrAloneInAParagraphStayThere)
{
    const std::string word =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Calibri;}}{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc23"
        "\\levelstartat1{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}\\fi-360\\li720}\\listid1}}{\\*\\listoverridetable"
        "{\\listoverride\\listid1\\listoverridecount0\\ls1}}\\pard\\ls1\\fi-360\\li720\\f0{\\listtext\\u8226\\tab}"
        "{\\*\\bkmkstart Item}{\\*\\bkmkend Item}Item one\\par\\pard {\\field{\\*\\fldinst TOC \\\\o \"1-3\"}}\\par End\\par}";
    auto markBefore = [](const AttributedString& text, std::u16string_view words, std::string_view key) {
        const std::size_t at = text.string().find(words);
        if (at == std::u16string::npos || at == 0 || text.string()[at - 1] != TEMarkCarrierCharacter)
            return std::string("none");
        const auto* value = text.attributesAtIndex(at - 1)->valueForKeyAs<StringValue>(key);
        return value ? toUtf8(value->value()) : std::string("none");
    };
    const DKRTFReadResult original = read(word);
    const std::string straight = written(original, original.text);
    const std::string paged = savedThroughThePage(original);
    for (const std::string& rtf : {straight, paged, savedThroughThePage(read(paged))}) {
        const DKRTFReadResult again = read(rtf);
        EXPECT_EQ(markBefore(again.text, u"Item one", TEBookmarkAttribute), "Item") << rtf;
        EXPECT_EQ(markBefore(again.text, u"\nEnd", TEFieldInstructionAttribute), "TOC \\o \"1-3\"") << rtf;
        TEHTMLWriterSettings shown;
        shown.forPrint = true;
        shown.leavesOutHidden = true;
        const std::u16string printed = htmlString(again.text, shown);
        EXPECT_NE(HTMLPlainText::plainText(toUtf8(printed)).find(u"Item one\n\nEnd"), std::u16string::npos) << toUtf8(printed);
    }
}

// Word's forms: a list, a text box and two check boxes keep their form
// groups and stay fields through a save, and the list and the boxes show
// the value chosen.
TEST_F(RTFOtherWritersRoundTripTests, wordFormFieldsStayFormsAndShowTheirChoice)
{
    struct Form {
        std::u16string shown;
        std::string code;
        std::vector<std::string> groupParts;
    };
    const std::vector<Form> forms{
        {u"Caf\u00E9 launch", "FORMDROPDOWN",
         {"{\\fftype2\\ffres1", "{\\*\\ffl Rowing boat}{\\*\\ffl Caf\\'e9 launch}{\\*\\ffl Sailing dinghy}",
          "{\\*\\datafield 00000000000000000944726f70646f776e31"}},
        {u"Marta Kos", "FORMTEXT", {"{\\fftype0", "{\\*\\ffdeftext Marta}"}},
        {u"\u2612 on board", "FORMCHECKBOX", {"\\ffres25", "{\\*\\ffname Check1}\\ffdefres1"}},
        {u"\u2610 wanted", "FORMCHECKBOX", {"\\ffres0", "{\\*\\ffname Check2}"}},
    };
    const DKRTFReadResult original = read(fixture("word-form-fields.rtf"));
    auto instructionAt = [](const AttributedString& text, std::u16string_view words) {
        const std::size_t at = text.string().find(words);
        if (at == std::u16string::npos)
            return std::u16string(u"<missing>");
        const auto* field = text.attributesAtIndex(at)->valueForKeyAs<StringValue>(TEFieldInstructionAttribute);
        return field ? field->value() : std::u16string(u"<none>");
    };
    std::vector<std::string> saves = writtenAndSavedTwice(original);
    saves.insert(saves.begin(), std::string());
    for (const std::string& rtf : saves) {
        const AttributedString text = rtf.empty() ? original.text : read(rtf).text;
        for (const Form& form : forms) {
            const std::u16string instruction = instructionAt(text, form.shown);
            EXPECT_EQ(toUtf8(instruction.substr(0, form.code.size())), form.code) << toUtf8(form.shown) << "\n" << rtf;
            EXPECT_EQ(instruction, instructionAt(original.text, form.shown)) << toUtf8(form.shown) << "\n" << rtf;
            if (rtf.empty())
                continue;
            for (const std::string& part : form.groupParts)
                EXPECT_NE(rtf.find(part), std::string::npos) << part << "\n" << rtf;
        }
        if (!rtf.empty()) {
            // The form's items are the form's, never words of its code.
            EXPECT_EQ(rtf.find("FORMDROPDOWN Rowing"), std::string::npos) << rtf;
            EXPECT_EQ(rtf.find("\\{\\\\*\\\\formfield"), std::string::npos) << rtf;
        }
    }
    // LibreOffice finds the same forms in the save as in Word's file, with
    // no value of Folio's beside them.
    if (!test::LibreOfficeConverter::isInstalled())
        return;
    const std::filesystem::path folder = std::filesystem::path(std::getenv("FOLIO_HOME")) / "rtf-form-fields";
    std::filesystem::create_directories(folder / "out");
    ASSERT_TRUE(Data::fromString(fixture("word-form-fields.rtf")).writeToFile((folder / "word.rtf").string()));
    ASSERT_TRUE(Data::fromString(saves.back()).writeToFile((folder / "saved.rtf").string()));
    const test::LibreOfficeConversion plain = test::LibreOfficeConverter::convert(
        {(folder / "word.rtf").string(), (folder / "saved.rtf").string()}, "txt:Text", (folder / "out").string());
    ASSERT_TRUE(plain.succeeded()) << plain.failure;
    Result<Data> word = Data::dataWithContentsOfFile((folder / "out" / "word.txt").string());
    Result<Data> saved = Data::dataWithContentsOfFile((folder / "out" / "saved.txt").string());
    ASSERT_TRUE(word.ok() && saved.ok());
    EXPECT_NE(word->toString().find("Marta Kos"), std::string::npos);
    EXPECT_EQ(saved->toString(), word->toString());
}

// Text that names no font (pandoc's files and those of other small writers
// have no font table) goes back naming none, so that other programs show it
// in their own default as they did; words given a font keep it.
TEST_F(RTFOtherWritersRoundTripTests, textThatNamedNoFontIsSavedNamingNone)
{
    struct Case {
        std::string rtf;
        std::u16string unnamed;
        std::u16string named;
    };
    const std::vector<Case> cases{
        {"{\\rtf1\\ansi\n{ le caf\\'e9 o\\'f9 on ne fume pas }\n}\n", u"le caf\u00E9", {}},
        {"{\\rtf1\\ansi\n{\\pard \\ql \\f0 \\sa180 \\li0 \\fi0 \\b Nested\\b0  tables are \\i fine\\i0 .\\par}\n"
         "{\\pard \\ql \\f0 \\sa180 \\li0 \\fi0 {\\f1 Kept mono} and back.\\par}\n}\n",
         u"Nested", {}},
        {"{\\rtf1\\ansi{\\fonttbl\\f1\\fnil\\fcharset0 Courier New;}\n\\pard\\fs24 Plain words \\f1 mono words\\f0  more plain\\par}",
         u"more plain", u"mono words"},
    };
    auto familyAt = [](const AttributedString& text, std::u16string_view words) {
        const auto* font = valueAtWords<FontAttributeValue>(text, words, kCTFontAttributeName);
        return font ? font->font().familyName() : std::string("none");
    };
    for (const Case& each : cases) {
        const DKRTFReadResult original = read(each.rtf);
        ASSERT_EQ(original.pageSettings.text(DKRTFPageSettings::kFontNamesKey).value_or("").substr(0, 1), ";") << each.rtf;
        std::vector<std::string> saves = writtenAndSavedTwice(original);
        for (const std::string& rtf : saves) {
            const std::vector<std::string> table = fontTableNames(rtf);
            EXPECT_EQ(std::ranges::count(table, "Helvetica"), 0) << rtf;
            const DKRTFReadResult again = read(rtf);
            // The page ends the last paragraph of a file that left it open.
            auto words = [](const AttributedString& text) {
                std::string string = toUtf8(text.string());
                return string.ends_with('\n') ? string.substr(0, string.size() - 1) : string;
            };
            EXPECT_EQ(words(again.text), words(original.text)) << rtf;
            EXPECT_EQ(again.pageSettings.text(DKRTFPageSettings::kFontNamesKey).value_or("").substr(0, 1), ";") << rtf;
            EXPECT_EQ(familyAt(again.text, each.unnamed), familyAt(original.text, each.unnamed)) << rtf;
            if (!each.named.empty())
                EXPECT_EQ(familyAt(again.text, each.named), "Courier New") << rtf;
        }
    }
    // LibreOffice lays the saved text out in its default font, as the file's.
    if (!test::LibreOfficeConverter::isInstalled())
        return;
    const std::filesystem::path folder = std::filesystem::path(std::getenv("FOLIO_HOME")) / "rtf-unnamed-fonts";
    std::filesystem::create_directories(folder / "out");
    const DKRTFReadResult last = read(cases.back().rtf);
    ASSERT_TRUE(Data::fromString(savedThroughThePage(last)).writeToFile((folder / "saved.rtf").string()));
    const test::LibreOfficeConversion flat =
        test::LibreOfficeConverter::convert({(folder / "saved.rtf").string()}, "fodt", (folder / "out").string());
    ASSERT_TRUE(flat.succeeded()) << flat.failure;
    Result<Data> document = Data::dataWithContentsOfFile((folder / "out" / "saved.fodt").string());
    ASSERT_TRUE(document.ok());
    const std::string fodt = document->toString();
    EXPECT_EQ(fodt.find("style:name=\"Helvetica\""), std::string::npos) << fodt;
    EXPECT_EQ(fodt.find("style:font-name=\"0\""), std::string::npos) << fodt;
    EXPECT_NE(fodt.find("style:font-name=\"Courier New\""), std::string::npos) << fodt;
}

// TextEdit names bold and italic faces by their PostScript names
// ("Optima-BoldItalic") and says "\\b" and "\\i" as well: a save names the
// face the file named, which LibreOffice looks for, not a face of ours.
TEST_F(RTFOtherWritersRoundTripTests, facesNamedWithTheirTraitsKeepTheirNames)
{
    // The system's fonts, which draw Helvetica with a stand-in family's faces.
    FontCatalog::setShared(std::make_shared<FontconfigFontCatalog>());
    const DKRTFReadResult original = read(
        "{\\rtf1\\mac\\ansicpg10000\\cocoartf102\n{\\fonttbl\\f0\\fswiss\\fcharset77 Helvetica;"
        "\\f1\\fswiss\\fcharset77 Helvetica-Bold;\\f2\\fswiss\\fcharset77 Helvetica-BoldOblique;\n"
        "\\f3\\fswiss\\fcharset77 Helvetica-Oblique;}\n"
        "\\f0\\fs24 plain \\f1\\b bold \\f2\\i\\b both \\f3\\i\\b0 slanted\\par}");
    auto faceAt = [](const AttributedString& text, std::u16string_view words) {
        const auto* font = valueAtWords<FontAttributeValue>(text, words, kCTFontAttributeName);
        return font ? font->font().postScriptName() + " " + std::to_string(font->font().symbolicTraits()) : std::string("none");
    };
    ASSERT_EQ(faceAt(original.text, u"both"), "Helvetica-BoldOblique 3");
    ASSERT_EQ(faceAt(original.text, u"slanted"), "Helvetica-Oblique 1");
    for (const std::string& rtf : writtenAndSavedTwice(original)) {
        const std::vector<std::string> table = fontTableNames(rtf);
        for (const char* name : {"Helvetica-BoldOblique", "Helvetica-Oblique"})
            EXPECT_EQ(std::ranges::count(table, name), 1) << name << "\n" << rtf;
        const DKRTFReadResult again = read(rtf);
        for (const std::u16string_view words : {u"plain", u"bold", u"both", u"slanted"})
            EXPECT_EQ(faceAt(again.text, words), faceAt(original.text, words)) << toUtf8(words) << "\n" << rtf;
    }
}

// A Japanese, a Cyrillic and a Greek font name are written in their own
// code pages, as WordPad and Word wrote them, for the programs that read a
// name's bytes in its character set; a Western letter in such a font goes
// as Unicode, which no code page can take for another letter.
TEST_F(RTFOtherWritersRoundTripTests, fontNamesAreWrittenInTheirOwnCodePage)
{
    const std::string file = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}"
                             "{\\f1\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}"
                             "{\\f2\\fnil\\fcharset204 \\'c0\\'f0\\'e8\\'e0\\'eb;}{\\f3\\fnil\\fcharset161 \\'c1\\'f1\\'e9\\'e1\\'eb;}}\n"
                             "\\f1\\'82\\'b1\\'82\\'f1 caf\\u233?\\f2\\'cf\\'f0\\f3\\'c1\\'e8\\f0  x\\par}";
    const std::vector<std::pair<std::string, std::string>> entries{
        {"\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;", "\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF"},
        {"\\fcharset204 \\'c0\\'f0\\'e8\\'e0\\'eb;", "\u0410\u0440\u0438\u0430\u043B"},
        {"\\fcharset161 \\'c1\\'f1\\'e9\\'e1\\'eb;", "\u0391\u03C1\u03B9\u03B1\u03BB"},
    };
    const DKRTFReadResult original = read(file);
    ASSERT_EQ(toUtf8(original.text.string()), "\u3053\u3093 caf\u00E9\u041F\u0440\u0391\u03B8 x\n");
    auto fontOf = [](const AttributedString& text, std::u16string_view words) {
        const auto* font = valueAtWords<FontAttributeValue>(text, words, kCTFontAttributeName);
        return font ? font->font().familyName() : std::string("none");
    };
    for (const std::string& rtf : writtenAndSavedTwice(original)) {
        for (const auto& [entry, name] : entries)
            EXPECT_NE(rtf.find(entry), std::string::npos) << entry << "\n" << rtf;
        EXPECT_EQ(rtf.find("caf\\'e9"), std::string::npos) << rtf;
        const DKRTFReadResult again = read(rtf);
        EXPECT_EQ(toUtf8(again.text.string()), toUtf8(original.text.string())) << rtf;
        EXPECT_EQ(fontOf(again.text, u"caf\u00E9"), entries[0].second) << rtf;
        EXPECT_EQ(fontOf(again.text, u"\u041F\u0440"), entries[1].second) << rtf;
    }
    // LibreOffice reads the words, and the names, as they were.
    if (!test::LibreOfficeConverter::isInstalled())
        return;
    const std::filesystem::path folder = std::filesystem::path(std::getenv("FOLIO_HOME")) / "rtf-font-code-pages";
    std::filesystem::create_directories(folder / "out");
    ASSERT_TRUE(Data::fromString(savedThroughThePage(original)).writeToFile((folder / "saved.rtf").string()));
    const test::LibreOfficeConversion flat =
        test::LibreOfficeConverter::convert({(folder / "saved.rtf").string()}, "fodt", (folder / "out").string());
    ASSERT_TRUE(flat.succeeded()) << flat.failure;
    Result<Data> document = Data::dataWithContentsOfFile((folder / "out" / "saved.fodt").string());
    ASSERT_TRUE(document.ok());
    const std::string fodt = document->toString();
    EXPECT_NE(fodt.find("caf\u00E9"), std::string::npos) << fodt;
    for (const auto& [entry, name] : entries)
        EXPECT_NE(fodt.find("style:font-name=\"" + name + "\""), std::string::npos) << name << "\n" << fodt;
}

// What other programs put in their files and Folio does not show comes back
// in a save, straight, through the editing page and after a second save: a
// save that writes back less than was there loses the reader's work.
TEST_F(RTFOtherWritersRoundTripTests, aSaveKeepsWhatOtherProgramsPutInTheFile)
{
    struct Case {
        std::string what;
        std::string rtf;
        // What is to be read at each word, after every save as in the file.
        std::function<std::string(const DKRTFReadResult&, std::u16string_view)> at;
        std::vector<std::pair<std::u16string, std::string>> wanted;
    };
    const auto stringAt = [](std::string_view key) {
        return [key](const DKRTFReadResult& read, std::u16string_view words) {
            const std::size_t index = read.text.string().find(words);
            if (index == std::u16string::npos)
                return std::string("no such words");
            const auto* value = read.text.attributesAtIndex(index)->valueForKeyAs<StringValue>(key);
            return value ? toUtf8(value->value()) : std::string();
        };
    };
    // The picture standing before the words, by its name and size.
    const auto pictureBefore = [](const DKRTFReadResult& read, std::u16string_view words) {
        const std::size_t index = read.text.string().find(words);
        if (index == std::u16string::npos || index == 0)
            return std::string("no such words");
        const auto* picture = read.text.attributesAtIndex(index - 1)->valueForKeyAs<TETextAttachment>(NSAttachmentAttributeName);
        if (!picture || !picture->contentURL())
            return std::string();
        return picture->contentURL()->lastPathComponent() + " " + std::to_string(static_cast<int>(picture->displaySize().width)) +
               "x" + std::to_string(static_cast<int>(picture->displaySize().height));
    };
    // The colour of the end of the paragraph the words end.
    const auto endColorAfter = [](const DKRTFReadResult& read, std::u16string_view words) {
        const std::size_t index = read.text.string().find(words);
        if (index == std::u16string::npos || index + words.size() >= read.text.length())
            return std::string("no such words");
        const auto* color = read.text.attributesAtIndex(index + words.size())->valueForKeyAs<ColorValue>(kCTForegroundColorAttributeName);
        // The automatic colour is black.
        return color ? htmlHexString(color->color()) : std::string("000000");
    };
    // How the section after the paragraph the words end starts.
    const auto sectionAfter = [](const DKRTFReadResult& read, std::u16string_view words) {
        const std::size_t index = read.text.string().find(words);
        if (index == std::u16string::npos || index + words.size() >= read.text.length())
            return std::string("no such words");
        const auto* section = read.text.attributesAtIndex(index + words.size())->valueForKeyAs<TESectionBreak>(TESectionBreakAttribute);
        if (!section)
            return std::string("no break");
        return std::string(section->settings().start == TESectionBreak::Start::Continuous ? "continuous" : "other");
    };
    // Whether the document's paper is turned, and the paper of the section
    // after the paragraph the words end.
    const auto paperTurned = [](const DKRTFReadResult& read, std::u16string_view words) {
        const std::size_t index = read.text.string().find(words);
        if (index == std::u16string::npos || index + words.size() >= read.text.length())
            return std::string("no such words");
        const std::string pageWords = read.pageSettings.text(DKRTFPageSettings::kPageWordsKey).value_or(std::string());
        std::string turned = pageWords.find("\\landscape") == std::string::npos ? "upright" : "turned";
        const auto* section = read.text.attributesAtIndex(index + words.size())->valueForKeyAs<TESectionBreak>(TESectionBreakAttribute);
        return turned + (!section ? ", no break" : section->settings().landscape ? ", then turned" : ", then upright");
    };
    // The size the markers of the list of the words' item are set in.
    const auto markerSize = [](const DKRTFReadResult& read, std::u16string_view words) {
        const std::size_t index = read.text.string().find(words);
        if (index == std::u16string::npos)
            return std::string("no such words");
        // A later item's words may name their lists as the item's only.
        AttributeDictionaryPtr attributes = read.text.attributesAtIndex(index);
        const auto* lists = attributes->valueForKeyAs<ArrayValue>(TETextListsAttribute);
        if (!lists)
            lists = attributes->valueForKeyAs<ArrayValue>(TETextIsListAttribute);
        const auto* item = lists && lists->count() > 0 ? (*lists)[lists->count() - 1]->as<TECSSListStyle>() : nullptr;
        if (!item)
            return std::string("no list");
        return item->markerHalfPoints() ? std::to_string(*item->markerHalfPoints()) + " half points" : std::string("the text's");
    };
    const std::vector<Case> cases = {
        // LibreOffice's sections, which say once that none starts a page.
        {"sections that go on as the first",
         "{\\rtf1\\ansi\\paperw16836\\paperh11904\\sectd\\sbknone\n"
         "{\\pard First\\par}\\page\\sect {\\pard Second\\par}\\page\\sect {\\pard Third\\par}\\sect}",
         sectionAfter,
         {{u"First", "no break"}, {u"First\n", "continuous"}, {u"Second\n", "continuous"}}},
        // TextEdit's paragraph end in a colour of its own after black words.
        {"an end mark's colour",
         "{\\rtf1\\ansi\\ansicpg1252\\cocoartf1038{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;\\f3\\fnil\\fcharset0 ProFont;}\n"
         "{\\colortbl;\\red255\\green255\\blue255;\\red35\\green110\\blue37;}\n"
         "\\pard\\f0\\fs24 \\cf0 Released in 2011\n\\f3\\fs18 \\cf2 \\\n"
         "\\f0\\fs24 \\cf0 Green only at its end\\cf2 \\\n\\cf0 Black\\\n}",
         endColorAfter,
         {{u"Released in 2011", "236e25"}, {u"Green only at its end", "236e25"}, {u"Black", "000000"}}},
        // TextEdit's picture beside the file, named with a blank, that is
        // not there to be read.
        {"a picture not found",
         "{\\rtf1\\ansi\\ansicpg1252\\cocoartf1038{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
         "\\pard\\f0\\fs24 \\cf0 {{\\NeXTGraphic Pasted Graphic.tiff \\width960 \\height480 \\noorient\n"
         "}\\'ac}Read me\\\n}",
         pictureBefore,
         {{u"Read me", "Pasted Graphic.tiff 960x480"}}},
        // LibreOffice's and Word's frames, placed on the page or beside the
        // paragraph after them; the paragraph after a frame has none.
        {"frames",
         "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times;}}"
         "\\pard\\plain\\phpg\\posx2007\\pvpg\\posy612\\absw2984\\absh-210\\wrapdefault\\posx2008 Placed\\par"
         "\\pard\\plain\\posxc\\phmrg\\pvpara\\posyt\\dxfrtext180\\nowrap\\absw12870 Beside\\par "
         "Still beside\\par\\pard\\plain After\\par}",
         stringAt(TEParagraphFrameAttribute),
         {{u"Placed", "\\phpg\\pvpg\\posy612\\absw2984\\absh-210\\posx2008"},
          {u"Beside", "\\posxc\\phmrg\\pvpara\\posyt\\dxfrtext180\\nowrap\\absw12870"},
          {u"Still beside", "\\posxc\\phmrg\\pvpara\\posyt\\dxfrtext180\\nowrap\\absw12870"},
          {u"After", ""}}},
        // The whole document's paper turned, as LibreOffice's import of
        // Crystal Reports' files says it, and a section's.
        {"turned paper",
         "{\\rtf1\\ansi\\landscape\\paperw16836\\paperh11904\\sectd\\sbknone\n"
         "{\\pard First\\par}\\sect\\sectd\\lndscpsxn\\pgwsxn16836\\pghsxn11904 {\\pard Second\\par}"
         "\\sect\\sectd\\pgwsxn11904\\pghsxn16836 {\\pard Third\\par}}",
         paperTurned,
         {{u"First", "turned, then turned"}, {u"Second", "turned, then upright"}}},
        // A list of before list tables, whose numbers and bullets are set a
        // size larger than the items' words, as pandoc's writer makes them.
        {"legacy list markers in a size of their own",
         "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Helvetica;}{\\f2 Symbol;}{\\f3 Symbol;}}\n"
         "\\plain\\f0\\fs20\\pard{\\pntext\\pard\\plain\\f2\\fs22 1.\\tab}{\\*\\pn\\pnlvlbody\\pnstart1\\pndec\\ls3\\ilvl0"
         "\\pnhang{\\pntxta \\'2e}}\\ls3\\ilvl0\\fi-360\\li360\\ql\\plain\\f0\\fs20 A\\par Numbered\\par\n"
         "\\pard{\\pntext\\pard\\plain\\f3\\fs22 \\'b7\\tab}{\\*\\pn\\pnlvlblt\\ls5\\ilvl0\\pnhang\\pnf3{\\pntxtb \\'b7}}"
         "\\ls5\\ilvl0\\fi-360\\li360\\ql\\plain\\f0\\fs20 Bulleted\\par\n\\pard Plain\\par}",
         markerSize,
         {{u"Numbered", "22 half points"}, {u"Bulleted", "22 half points"}, {u"Plain", "no list"}}},
        // An old-style drawn text box, placed from the page's left and the
        // paragraph; the paragraph after it is the text's.
        {"a drawn text box",
         "{\\rtf1\\ansi\\deff0\\paperw11906\\paperh16838\n{\\*\\do\\dobxpage\\dobypara\\dodhgt8192\\dptxbx\\dptxbxmar0\n"
         "{\\dptxbxtext\\ltrpar\\fs50\\qc\\ltrch Boxed words\\par}\n"
         "\\dpx929\\dpy340\\dpxsize10556\\dpysize561\\dplinehollow0}\nAfter\\par}",
         stringAt(TEParagraphFrameAttribute),
         {{u"Boxed words", "\\phpg\\pvpara\\posx929\\posy340\\absw10556\\absh561"}, {u"After", ""}}},
    };
    for (const Case& test : cases) {
        const DKRTFReadResult original = read(test.rtf);
        for (const auto& [words, wanted] : test.wanted)
            ASSERT_EQ(test.at(original, words), wanted) << test.what << ": " << toUtf8(words);
        for (const std::string& rtf : writtenAndSavedTwice(original)) {
            const DKRTFReadResult again = read(rtf);
            for (const auto& [words, wanted] : test.wanted)
                EXPECT_EQ(test.at(again, words), wanted) << test.what << ": " << toUtf8(words) << "\n" << rtf;
        }
    }
}

} // namespace
} // namespace folio

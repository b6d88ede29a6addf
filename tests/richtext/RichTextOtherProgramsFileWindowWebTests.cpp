#include "engine/attachments/TETextAttachment.h"
#include "engine/css/ColorHTML.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "engine/model/TEScriptAttributes.h"
#include "engine/model/TESectionBreak.h"
#include "export/pdf/HTMLToPDFTestSupport.h"
#include "formats/rtf/DKRTFHeaderFooterForms.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/gtk/GtkPagePoints.h"
#include "platform/gtk/GtkRealKeys.h"
#include "platform/gtk/GtkScreenshot.h"
#include "platform/gtk/PopplerReaderDocument.h"
#include "platform/ui/Pasteboard.h"
#include "richtext/TextViewController.h"
#include "support/AttributesAtWords.h"
#include "support/DocumentTestSupport.h"
#include "support/EditorWindowTest.h"
#include "support/LibreOfficeConverter.h"
#include "richtext/RichTextEditingTools.h"
#include "webeditor/FindCommander.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace folio {
namespace {

using testing_support::attributesAtWords;
using testing_support::paragraphEndFonts;
using testing_support::paragraphLooksAtWords;
using testing_support::readFile;
using testing_support::tabStopsAtWords;
using testing_support::valueAtWords;
using testing_support::writeFile;

// Files that Word, LibreOffice, WordPad and TextEdit wrote, opened in the
// rich-text editor in a real window: one word typed and the document
// autosaved, the file differs from what it was only by that word, for Folio
// and for LibreOffice.
class RichTextOtherProgramsFileWindowTest : public test::EditorWindowTest<TextViewController> {
protected:
    RichTextOtherProgramsFileWindowTest() : EditorWindowTest(EditorKind::RichText, "other-programs-window") {}

    static std::string fixture(const std::string& name)
    {
        Result<Data> data = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf-roundtrip/" + name);
        EXPECT_TRUE(data.ok()) << name;
        return data.ok() ? data->toString() : std::string();
    }

    // Puts a copy of the fixture into the test's folder under `name` and
    // opens it; the copy's path.
    std::string openedCopyOf(const std::string& fixtureName, const std::string& name)
    {
        const std::string path = folder.path(name);
        writeFile(path, fixture(fixtureName));
        open(path);
        return path;
    }

    static DKRTFReadResult read(const std::string& rtf)
    {
        Result<DKRTFReadResult> read = DKRTFReader::read(toUtf16(rtf));
        EXPECT_TRUE(read.ok());
        return read.ok() ? std::move(*read) : DKRTFReadResult{};
    }

    // The text without the paragraph ends after its last line.
    static std::u16string visible(const AttributedString& text)
    {
        std::u16string string = text.string();
        while (!string.empty() && (string.back() == u'\n' || string.back() == u' '))
            string.pop_back();
        return string;
    }

    // A character's line spacing, styles, font, highlight and picture size.
    static std::string looksAt(const AttributedString& text, std::size_t index)
    {
        AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
        if (!attributes)
            return "none";
        const auto* style = attributes->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName);
        double spacing = style ? style->style().minimumLineSpacing() : 0;
        std::string looks = "lines " + formatShortest(spacing > 0 ? std::round(spacing * 240) : 240);
        if (const auto* name = attributes->valueForKeyAs<StringValue>(TEParagraphStyleNameAttribute))
            looks += "; style " + toUtf8(name->value());
        // Indents outside lists, in twips as the file gives them.
        if (style && !attributes->containsKey(TETextListsAttribute) && !attributes->containsKey(TETextIsListAttribute))
            looks += "; indents " + formatShortest(std::round(style->style().firstLineHeadIndent() * 566.96)) + " " +
                formatShortest(std::round(style->style().headIndent() * 1096 / 80)) + " " +
                formatShortest(std::round(-style->style().tailIndent() * 1096 / 80));
        if (style && style->style().outlineLevel() != 0)
            looks += "; outline level " + std::to_string(style->style().outlineLevel());
        if (style && style->style().noHyphenation())
            looks += "; unhyphenated";
        if (const auto* borders = attributes->valueForKeyAs<StringValue>(TEParagraphBordersAttribute))
            looks += "; borders " + toUtf8(borders->value());
        if (text.string()[index] == u'\n')
            return looks;
        if (const auto* name = attributes->valueForKeyAs<StringValue>(TECharacterStyleNameAttribute))
            looks += "; character style " + toUtf8(name->value());
        if (const auto* underline = attributes->valueForKeyAs<IntegerValue>(kCTUnderlineStyleAttributeName))
            looks += "; underline " + std::to_string(underline->value());
        if (const auto* color = attributes->valueForKeyAs<ColorValue>(NSUnderlineColorAttributeName))
            looks += " in " + formatShortest(std::round(color->color().red() * 255)) + "," +
                formatShortest(std::round(color->color().green() * 255)) + "," +
                formatShortest(std::round(color->color().blue() * 255));
        if (attributes->containsKey(TEStrikeOutAttribute))
            looks += "; struck";
        if (const auto* raised = attributes->valueForKeyAs<IntegerValue>(kCTSuperscriptAttributeName); raised && raised->value())
            looks += "; raised " + std::to_string(raised->value());
        if (const auto* spacing = attributes->valueForKeyAs<DoubleValue>(kCTKernAttributeName))
            looks += "; letters " + std::to_string(std::lround(spacing->value() * 20)) + " twips apart";
        // Sizes as RTF can say them, in half points.
        if (const auto* font = attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName))
            looks += "; font " + font->font().postScriptName() + " " + formatShortest(std::round(font->font().pointSize() * 2) / 2);
        const auto* highlight = attributes->valueForKeyAs<ColorValue>(NSBackgroundColorAttributeName);
        if (highlight && !(highlight->color().red() == 1 && highlight->color().green() == 1 && highlight->color().blue() == 1))
            looks += "; highlight " + formatShortest(std::round(highlight->color().blue() * 255));
        if (!attributes->containsKey(NSAttachmentAttributeName))
            looks += characterMarks(*attributes);
        if (const auto* picture = attributes->valueForKeyAs<TETextAttachment>(NSAttachmentAttributeName)) {
            looks += "; picture " + formatShortest(std::round(picture->displaySize().width)) + "x" +
                formatShortest(std::round(picture->displaySize().height));
            if (const std::u16string* note = picture->contentsString())
                looks += " note " + toUtf8(*note);
            if (const std::u16string* noteStyle = picture->attributeForKey("data-style"))
                looks += " in " + toUtf8(*noteStyle);
            if (const std::u16string* author = picture->attributeForKey("annotationAuthor"))
                looks += " by " + toUtf8(*author);
            if (const std::u16string* kind = picture->attributeForKey("data-note-kind"))
                looks += " as " + toUtf8(*kind);
        }
        return looks;
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
        if (attributes.containsKey(TEShadowsAttribute))
            marks += "; shadow";
        if (attributes.containsKey(NSStrokeWidthAttributeName))
            marks += "; outline";
        return marks;
    }

    // A run's underline, letter stroke, shadow and kerning, as values.
    static std::string effectsOf(const AttributedString& text, std::u16string_view words)
    {
        AttributeDictionaryPtr attributes = attributesAtWords(text, words);
        if (!attributes)
            return "no " + toUtf8(std::u16string(words));
        std::vector<std::string> effects;
        auto rgb = [](const Color& color) {
            return std::to_string(std::lround(color.red() * 255)) + "," + std::to_string(std::lround(color.green() * 255)) +
                "," + std::to_string(std::lround(color.blue() * 255));
        };
        if (const auto* underline = attributes->valueForKeyAs<IntegerValue>(kCTUnderlineStyleAttributeName))
            effects.push_back("underline " + std::to_string(underline->value()));
        if (const auto* stroke = attributes->valueForKeyAs<DoubleValue>(NSStrokeWidthAttributeName)) {
            const auto* color = attributes->valueForKeyAs<ColorValue>(NSStrokeColorAttributeName);
            effects.push_back("stroke " + formatShortest(stroke->value()) + (color ? " in " + rgb(color->color()) : ""));
        }
        if (const auto* shadows = attributes->valueForKeyAs<ArrayValue>(TEShadowsAttribute))
            for (const AttributeValuePtr& each : shadows->elements())
                if (const auto* shadow = each ? each->as<ShadowValue>() : nullptr)
                    effects.push_back("shadow " + formatShortest(shadow->offset().width) + "," +
                                      formatShortest(shadow->offset().height) + " blur " + formatShortest(shadow->blur()) +
                                      " in " + rgb(shadow->color()) + "," + std::to_string(std::lround(shadow->color().alpha() * 255)));
        if (const auto* kerning = attributes->valueForKeyAs<IntegerValue>(TEKerningAttribute))
            effects.push_back("kerning " + std::to_string(kerning->value()));
        if (const auto* shading = attributes->valueForKeyAs<StringValue>(TEShadingAttribute)) {
            const auto* shown = attributes->valueForKeyAs<ColorValue>(NSBackgroundColorAttributeName);
            effects.push_back("shading " + toUtf8(shading->value()) + " shows " + (shown ? rgb(shown->color()) : "nothing"));
        }
        if (const auto* shading = attributes->valueForKeyAs<StringValue>(TEParagraphShadingAttribute))
            effects.push_back("paragraph shading " + toUtf8(shading->value()));
        std::string joined;
        for (const std::string& effect : effects)
            joined += (joined.empty() ? "" : "; ") + effect;
        return joined;
    }

    // A header or footer as the pages show it: switched off (or absent),
    // or its look and words, the size as a number (the page gives "11px").
    static std::string shown(const std::optional<std::string>& settings)
    {
        std::vector<std::string> fields;
        std::string rest = settings.value_or("");
        for (std::size_t at; fields.size() < 6 && (at = rest.find("::")) != std::string::npos;) {
            fields.push_back(rest.substr(0, at));
            rest.erase(0, at + 2);
        }
        fields.push_back(rest);
        if (fields.size() < 7 || !boolValue(std::string_view(fields[5])))
            return "off";
        return fields[0] + " " + formatShortest(floatValue(std::string_view(fields[1]))) + " " + fields[2] + " " +
            fields[3] + " " + fields[4] + " " + fields[6];
    }

    // The names of a written font table.
    static std::vector<std::string> fontTableNames(const std::string& rtf)
    {
        std::vector<std::string> names;
        const std::size_t start = rtf.find("{\\fonttbl");
        const std::string table = rtf.substr(start, rtf.find("}\n", start) - start);
        for (std::size_t at = table.find("\\fcharset"); at != std::string::npos; at = table.find("\\fcharset", at + 1)) {
            const std::size_t name = table.find(' ', at) + 1;
            names.push_back(table.substr(name, table.find(';', name) - name));
        }
        return names;
    }

    // Puts the caret after the last character of the page and types the word.
    void typeAtTheEnd(std::string_view word)
    {
        run("(function(){var c=document.getElementById('content');var w=document.createTreeWalker(c,"
            "NodeFilter.SHOW_TEXT);var last=null;while(w.nextNode()){if(w.currentNode.data.trim())last=w.currentNode;}"
            "var r=document.createRange();r.setStart(last,last.data.length);r.collapse(true);var s=getSelection();"
            "s.removeAllRanges();s.addRange(r);c.focus();})()");
        type(word);
        ASSERT_TRUE(waitFor([&] {
            return run("document.getElementById('content').textContent").find(word) != std::string::npos;
        })) << "the keys did not reach the page";
    }

    // Each paragraph's first words, then " | " where a section ends after
    // it and " / " where none does.
    static std::string sectionEnds(const AttributedString& saved)
    {
        std::string ends;
        const std::u16string& text = saved.string();
        for (std::size_t end = text.find(u'\n'); end != std::u16string::npos; end = text.find(u'\n', end + 1)) {
            const std::size_t start = end == 0 ? 0 : text.find_last_of(u'\n', end - 1) + 1;
            ends += toUtf8(text.substr(start, std::min<std::size_t>(end - start, 8))) + (sectionAt(saved, end) ? " | " : " / ");
        }
        return ends;
    }

    static const TESectionBreak* sectionAt(const AttributedString& text, std::size_t index)
    {
        AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
        return attributes ? attributes->valueForKeyAs<TESectionBreak>(TESectionBreakAttribute) : nullptr;
    }

    // The settings of every section after the first, in order.
    static std::vector<std::string> sectionSettings(const AttributedString& text)
    {
        std::vector<std::string> settings;
        for (std::size_t end = text.string().find(u'\n'); end != std::u16string::npos; end = text.string().find(u'\n', end + 1))
            if (const TESectionBreak* section = sectionAt(text, end))
                settings.push_back(toUtf8(section->attributeText()));
        return settings;
    }

    // The "\sect" words of a file: each ends a section.
    static int sectWords(const std::string& rtf)
    {
        int count = 0;
        for (std::size_t at = rtf.find("\\sect"); at != std::string::npos; at = rtf.find("\\sect", at + 1))
            count += at + 5 == rtf.size() || !std::isalpha(static_cast<unsigned char>(rtf[at + 5]));
        return count;
    }

    // Selects from the start of `from` to the start of `to`, each the first
    // text of the page that holds it.
    void selectFromTo(const std::string& from, const std::string& to)
    {
        run("(function(f,t){var c=document.getElementById('content');function at(w){var k=document.createTreeWalker(c,"
            "NodeFilter.SHOW_TEXT);while(k.nextNode()){var i=k.currentNode.data.indexOf(w);if(i>=0)return [k.currentNode,i];}"
            "return null;}var a=at(f),b=at(t);var r=document.createRange();r.setStart(a[0],a[1]);r.setEnd(b[0],b[1]);"
            "var s=getSelection();s.removeAllRanges();s.addRange(r);c.focus();})('" + from + "','" + to + "')");
    }

    // The first words of each paragraph that ends a section on the page.
    std::string sectionEndsOnThePage()
    {
        return run("[].map.call(document.querySelectorAll('#paragraph [data-section]'),function(e){"
                   "return e.textContent.slice(0,8)}).join(' | ')");
    }

    // Puts the caret just after the first place of the words on the page.
    void caretAfter(const std::string& words)
    {
        run("(function(w){var c=document.getElementById('content');var k=document.createTreeWalker(c,NodeFilter.SHOW_TEXT);"
            "while(k.nextNode()){var t=k.currentNode;var at=t.data.indexOf(w);if(at>=0){var r=document.createRange();"
            "r.setStart(t,at+w.length);r.collapse(true);var s=getSelection();s.removeAllRanges();s.addRange(r);c.focus();"
            "return;}}})('" + words + "')");
    }

    // The words the page shows, every run of blanks as one.
    std::string shown() { return run("document.getElementById('content').innerText.replace(/\\s+/g,' ').trim()"); }

    std::string markup() { return run("document.getElementById('content').innerHTML"); }

    // Ctrl+Z as a keyboard sends it, the Control key let go at the end: the
    // page takes no further key before it is.
    void undo()
    {
        press(GDK_KEY_z, GDK_CONTROL_MASK);
        press(GDK_KEY_Control_L, GDK_CONTROL_MASK);
    }

    // The saved text's hidden characters and the others.
    static std::pair<std::string, std::string> hiddenAndSeen(const AttributedString& text)
    {
        std::string hidden;
        std::string seen;
        for (std::size_t at = 0; at < text.length(); ++at) {
            const auto* flag = text.attributesAtIndex(at)->valueForKeyAs<BoolValue>(TEHiddenAttribute);
            (flag && flag->value() ? hidden : seen) += toUtf8(text.string().substr(at, 1));
        }
        return {hidden, seen};
    }

    std::string paragraphsOnThePage() { return run("document.querySelectorAll('#paragraph > *').length"); }

    int occurrencesOnThePage(const std::string& words)
    {
        return std::atoi(run("document.getElementById('content').textContent.split('" + words + "').length-1").c_str());
    }

    void pasteAtTheEnd()
    {
        press(GDK_KEY_End, GDK_CONTROL_MASK);
        press(GDK_KEY_Return);
        press(GDK_KEY_v, GDK_CONTROL_MASK);
    }

    bool autosave()
    {
        auto done = std::make_shared<std::optional<bool>>();
        document->autosaveWithCompletionHandler([done](bool success) { *done = success; });
        EXPECT_TRUE(waitFor([&] { return done->has_value(); }));
        return done->value_or(false);
    }

    // The file an autosave wrote, and what reading it back finds.
    struct SavedFile {
        std::string rtf;
        DKRTFReadResult read;
    };

    // Autosaves the open document and closes it: the file it saved, or
    // none when the save failed.
    std::optional<SavedFile> autosavedAndClosed(const std::string& path)
    {
        if (!autosave())
            return std::nullopt;
        closeDocument();
        std::string rtf = readFile(path);
        DKRTFReadResult reading = read(rtf);
        return SavedFile{std::move(rtf), std::move(reading)};
    }

    // Opens the file, types at the end of its text and autosaves it.
    std::optional<SavedFile> typedAtTheEndAndAutosaved(const std::string& path, std::string_view word)
    {
        open(path);
        if (HasFatalFailure())
            return std::nullopt;
        typeAtTheEnd(word);
        if (HasFatalFailure())
            return std::nullopt;
        return autosavedAndClosed(path);
    }

    // The words LibreOffice reads in a saved file.
    std::string textByLibreOffice(const std::string& path)
    {
        return readFile(convertedByLibreOffice(path, "txt:Text (encoded):UTF8"));
    }

    // Where a word stands on LibreOffice's printed pages.
    struct PrintedWord {
        int page = 0;
        double left = 0;
        double top = 0;
    };

    // Each word of the file as LibreOffice prints it, at its first place.
    std::map<std::string, PrintedWord> wordsPrintedByLibreOffice(const std::string& file)
    {
        const std::string pdf = convertedByLibreOffice(file, "pdf");
        const std::string boxes = pdf + ".html";
        const std::string command = "pdftotext -bbox '" + pdf + "' '" + boxes + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::map<std::string, PrintedWord> words;
        const std::string html = readFile(boxes);
        int page = 0;
        for (std::size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
            if (html.compare(at, 6, "<page ") == 0)
                ++page;
            const std::string open = "<word xMin=\"";
            if (html.compare(at, open.size(), open) != 0)
                continue;
            const double left = std::atof(html.c_str() + at + open.size());
            const std::size_t top = html.find("yMin=\"", at);
            const std::size_t word = html.find('>', at);
            const std::size_t end = html.find('<', word);
            if (top == std::string::npos || word == std::string::npos || end == std::string::npos)
                break;
            words.emplace(html.substr(word + 1, end - word - 1), PrintedWord{page, left, std::atof(html.c_str() + top + 6)});
        }
        return words;
    }

    // Where LibreOffice put its conversion of a saved file, in `format`.
    std::string convertedByLibreOffice(const std::string& path, const std::string& format)
    {
        EXPECT_TRUE(test::LibreOfficeConverter::isInstalled()) << "scripts/install-deps.sh installs LibreOffice";
        return test::LibreOfficeConverter::converted(path, format, folder.path("out"));
    }
};

TEST_F(RichTextOtherProgramsFileWindowTest, aWordTypedAndAutosavedIsAllThatChanges)
{
    const std::vector<std::string> files{"word-letter-footer.rtf", "libreoffice-custom-paper.rtf", "wordpad-header.rtf",
                                         "textedit-picture.rtf", "libreoffice-styles-fonts.rtf", "libreoffice-written.rtf",
                                         "libreoffice-formatting.rtf", "textedit-styled.rtf", "word-title-page.rtf",
                                         "word-theme-fonts.rtf", "libreoffice-character-looks.rtf",
                                         "word-character-looks.rtf", "wordpad-cyrillic-looks.rtf",
                                         "textedit-character-looks.rtf", "word-keep-mirrored.rtf",
                                         "libreoffice-keep-mirrored.rtf", "word-languages-effects.rtf",
                                         "libreoffice-languages-effects.rtf", "word-fields-comments.rtf",
                                         "libreoffice-fields-borders.rtf", "textedit-link-spacing.rtf",
                                         "wordpad-japanese-greek.rtf"};
    std::vector<std::string> saved;
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        const std::string original = fixture(name);
        const std::string path = folder.path(name);
        writeFile(path, original);
        open(path);
        if (HasFatalFailure())
            return;
        // The page hyphenates the text of a file that asks for it, and only then.
        EXPECT_EQ(run("getComputedStyle(document.getElementById('content')).webkitHyphens"),
                  original.find("\\hyphauto1") != std::string::npos ? "auto" : "manual");
        typeAtTheEnd(" Zebra");
        if (HasFatalFailure())
            return;
        const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
        ASSERT_TRUE(autosaved);
        const std::string& rtf = autosaved->rtf;
        DKRTFReadResult before = read(original);
        const DKRTFReadResult& after = autosaved->read;
        EXPECT_EQ(toUtf8(visible(after.text)), toUtf8(visible(before.text)) + " Zebra") << rtf;
        // No paper named, or A4 in a file of ours (the default), is A4.
        const Size a4{595, 842};
        const Size paper = before.pageSettings.paperSize().value_or(a4);
        EXPECT_NEAR(after.pageSettings.paperSize().value_or(a4).width, paper.width, 0.5) << rtf;
        EXPECT_NEAR(after.pageSettings.paperSize().value_or(a4).height, paper.height, 0.5) << rtf;
        for (std::string_view key : {DKRTFPageSettings::kPageMarginLeftKey, DKRTFPageSettings::kPageMarginRightKey,
                                     DKRTFPageSettings::kPageMarginTopKey, DKRTFPageSettings::kPageMarginBottomKey})
            EXPECT_NEAR(after.pageSettings.number(key).value_or(-1), *before.pageSettings.number(key), 0.001) << key << " " << rtf;
        // NOTE: the page carries a switched-off header and footer of its own
        // where the file has none; the document-wide paragraph spacing (the
        // last paragraph's) is no look of its own, each paragraph's is below.
        for (std::string_view key : {DKRTFPageSettings::kHeaderControlKey, DKRTFPageSettings::kFooterControlKey})
            EXPECT_EQ(shown(after.pageSettings.text(key)), shown(before.pageSettings.text(key))) << key;
        // Tabs stand where they stood: the file's default tab width stays.
        if (original.find("\\deftab") != std::string::npos)
            EXPECT_TRUE(before.pageSettings.number(DKRTFPageSettings::kDefaultTabWidthKey).has_value());
        EXPECT_EQ(after.pageSettings.number(DKRTFPageSettings::kDefaultTabWidthKey),
                  before.pageSettings.number(DKRTFPageSettings::kDefaultTabWidthKey)) << rtf;
        // So do where its notes stand and how they are numbered.
        if (original.find("\\ftnbj") != std::string::npos)
            EXPECT_TRUE(before.pageSettings.text(DKRTFPageSettings::kNoteSettingsKey).has_value());
        EXPECT_EQ(after.pageSettings.text(DKRTFPageSettings::kNoteSettingsKey),
                  before.pageSettings.text(DKRTFPageSettings::kNoteSettingsKey)) << rtf;
        // And the fonts and languages it gives complex-script and East
        // Asian text throughout.
        if (original.find("\\adeflang") != std::string::npos)
            EXPECT_TRUE(before.pageSettings.text(DKRTFPageSettings::kScriptDefaultsKey).has_value());
        EXPECT_EQ(after.pageSettings.text(DKRTFPageSettings::kScriptDefaultsKey),
                  before.pageSettings.text(DKRTFPageSettings::kScriptDefaultsKey)) << rtf;
        // Its text stays hyphenated, and each paragraph that said no (every
        // one of LibreOffice's) still says it, in its looks below.
        if (original.find("\\hyphauto1") != std::string::npos)
            EXPECT_TRUE(before.pageSettings.number(DKRTFPageSettings::kAutoHyphenationKey).has_value());
        EXPECT_EQ(after.pageSettings.number(DKRTFPageSettings::kAutoHyphenationKey),
                  before.pageSettings.number(DKRTFPageSettings::kAutoHyphenationKey)) << rtf;
        // And so does how it hyphenates, and how its first section flows.
        for (std::string_view key : {DKRTFPageSettings::kHyphenationZoneKey, DKRTFPageSettings::kHyphenationConsecutiveLinesKey,
                                     DKRTFPageSettings::kHyphenateCapitalsKey})
            EXPECT_EQ(after.pageSettings.number(key), before.pageSettings.number(key)) << key << "\n" << rtf;
        if (original.find("\\sectd\\sbknone") != std::string::npos || original.find("\\linemod") != std::string::npos)
            EXPECT_TRUE(before.pageSettings.text(DKRTFPageSettings::kFirstSectionKey).has_value());
        EXPECT_EQ(after.pageSettings.text(DKRTFPageSettings::kFirstSectionKey),
                  before.pageSettings.text(DKRTFPageSettings::kFirstSectionKey)) << rtf;
        // And where its page and line numbers start, and its gutter's side.
        if (original.find("\\gutterprl") != std::string::npos || original.find("\\rtlgutter") != std::string::npos)
            EXPECT_TRUE(before.pageSettings.text(DKRTFPageSettings::kPageWordsKey).has_value());
        EXPECT_EQ(after.pageSettings.text(DKRTFPageSettings::kPageWordsKey),
                  before.pageSettings.text(DKRTFPageSettings::kPageWordsKey)) << rtf;
        // And its title, author and times.
        if (original.find("{\\info{") != std::string::npos)
            EXPECT_TRUE(before.pageSettings.text(DKRTFPageSettings::kDocumentInfoKey).has_value());
        EXPECT_EQ(after.pageSettings.text(DKRTFPageSettings::kDocumentInfoKey),
                  before.pageSettings.text(DKRTFPageSettings::kDocumentInfoKey)) << rtf;
        for (std::size_t index = 0; index < visible(before.text).size(); ++index)
            EXPECT_EQ(looksAt(after.text, index), looksAt(before.text, index)) << index;
        // Fonts keep the names the file gave them: a note's marker and a
        // font number the table lacks add none. Names are compared as read,
        // for one in a code page of its own goes out in other escapes.
        const std::string named = ";" + before.pageSettings.text(DKRTFPageSettings::kFontNamesKey).value_or("");
        for (const std::string& font :
             componentsSeparatedByString(std::string_view(after.pageSettings.text(DKRTFPageSettings::kFontNamesKey).value_or("")), ";"))
            EXPECT_TRUE(font.empty() || named.find(";" + font + ";") != std::string::npos) << font << " is no font name of " << name;
        Data::fromString(rtf).writeToFile(folder.path("saved-" + name));
        saved.push_back(folder.path("saved-" + name));
    }

    // LibreOffice reads the saved files' words, the footers' among them.
    ASSERT_TRUE(test::LibreOfficeConverter::isInstalled()) << "scripts/install-deps.sh installs LibreOffice";
    const std::string out = folder.path("out");
    for (const char* format : {"txt:Text (encoded):UTF8", "html"}) {
        const test::LibreOfficeConversion conversion = test::LibreOfficeConverter::convert(saved, format, out);
        ASSERT_TRUE(conversion.succeeded()) << conversion.failure;
    }
    auto converted = [&](const std::string& name, const char* extension) {
        return readFile(out + "/saved-" + name.substr(0, name.size() - 4) + extension);
    };
    for (const std::string& name : files)
        EXPECT_NE(converted(name, ".txt").find("Zebra"), std::string::npos) << name;
    EXPECT_NE(converted("word-letter-footer.rtf", ".txt").find("A closing line in spaced text."), std::string::npos);
    EXPECT_NE(converted("word-letter-footer.rtf", ".html").find("Quarterly note, page"), std::string::npos);
    // LibreOffice breaks its HTML's lines between words.
    auto words = [&](const std::string& name) {
        std::string text = converted(name, ".html");
        std::string collapsed;
        for (char c : text)
            if (!std::isspace(static_cast<unsigned char>(c)) || (!collapsed.empty() && collapsed.back() != ' '))
                collapsed += std::isspace(static_cast<unsigned char>(c)) ? ' ' : c;
        return collapsed;
    };
    EXPECT_NE(words("libreoffice-custom-paper.rtf").find("Ticket stub"), std::string::npos);
    const std::string minutes = words("wordpad-header.rtf");
    EXPECT_NE(minutes.find("Internal only"), std::string::npos) << minutes;
    // The header shows in the file's font, not in LibreOffice's own.
    const std::size_t header = minutes.find("Draft for the board");
    ASSERT_NE(header, std::string::npos) << minutes;
    const std::size_t face = minutes.rfind("face=\"", header);
    EXPECT_TRUE(face != std::string::npos && minutes.compare(face, 13, "face=\"Calibri") == 0) << minutes;
    EXPECT_NE(converted("libreoffice-styles-fonts.rtf", ".txt").find("as the harbour master asked"), std::string::npos);
    EXPECT_NE(converted("libreoffice-written.rtf", ".html").find("Footer words here"), std::string::npos);
    EXPECT_NE(converted("libreoffice-formatting.rtf", ".html").find("Header of the A5 page"), std::string::npos);
    // A title page's and left pages' own headers and footers stay beside the
    // one the editor shows (LibreOffice's flat document holds every page's).
    const test::LibreOfficeConversion flat = test::LibreOfficeConverter::convert(
        {folder.path("saved-word-title-page.rtf"), folder.path("saved-libreoffice-styles-fonts.rtf")}, "fodt", out);
    ASSERT_TRUE(flat.succeeded()) << flat.failure;
    for (const char* words : {"Title page heading", "Left page running head", "Right page running head", "Cover footer",
                              "Page footer"})
        EXPECT_NE(converted("word-title-page.rtf", ".fodt").find(words), std::string::npos) << words;
    // The heading is a heading of the outline, and hyphenation stays off
    // where the file's paragraphs turned it off.
    const std::string styles = converted("libreoffice-styles-fonts.rtf", ".fodt");
    const std::size_t heading = styles.find("text:outline-level=\"1\"");
    ASSERT_NE(heading, std::string::npos) << styles;
    EXPECT_LT(styles.find("Harbour report", heading), styles.find("</text:h>", heading)) << styles;
    EXPECT_NE(styles.find("fo:hyphenate=\"false\""), std::string::npos) << styles;
    EXPECT_EQ(styles.find("fo:hyphenate=\"true\""), std::string::npos) << styles;
    EXPECT_NE(converted("libreoffice-written.rtf", ".txt").find("A quoted paragraph in its own style."), std::string::npos);
    // A comment's words, a link LibreOffice styled, a name in Shift-JIS.
    EXPECT_NE(converted("libreoffice-fields-borders.rtf", ".txt").find("The lights register lists every lamp."), std::string::npos);
    EXPECT_NE(converted("wordpad-japanese-greek.rtf", ".txt").find("\u3053\u3093\u306B\u3061\u306F"), std::string::npos);
    const test::LibreOfficeConversion flatComments =
        test::LibreOfficeConverter::convert({folder.path("saved-word-fields-comments.rtf")}, "fodt", out);
    ASSERT_TRUE(flatComments.succeeded()) << flatComments.failure;
    const std::string survey = converted("word-fields-comments.rtf", ".fodt");
    for (const char* kept : {"<dc:title>Harbour survey</dc:title>", "<meta:initial-creator>Ines Varga</meta:initial-creator>",
                             "<dc:creator>Ines Varga</dc:creator>", "Check these against last year.",
                             "fo:border-bottom=\"0.51pt solid #4472c4\""})
        EXPECT_NE(survey.find(kept), std::string::npos) << kept;
}

// LibreOffice's comments about words, one of them over a paragraph's end,
// and the properties the file's user gave it: a word typed elsewhere and the
// document autosaved, each comment is still about its words, for Folio and for
// LibreOffice, and the properties are still there.
// TextEdit's last paragraph ends in a blank. The page shows it, and a word
// typed at the end of the document stands after it in the saved file, for
// Folio and for LibreOffice.
TEST_F(RichTextOtherProgramsFileWindowTest, aBlankEndingAParagraphStaysBeforeWhatIsTypedAfterIt)
{
    const std::string path = openedCopyOf("textedit-link-spacing.rtf", "link-spacing.rtf");
    if (HasFatalFailure())
        return;
    // The width the page gives the last blank of the document's text.
    EXPECT_NE(run("(function(){var k=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT);"
                  "var found=null;while(k.nextNode()){var t=k.currentNode;var at=t.data.lastIndexOf(' ');"
                  "if(at>=0)found=[t,at];}var r=document.createRange();r.setStart(found[0],found[1]);"
                  "r.setEnd(found[0],found[1]+1);return r.getBoundingClientRect().width;})()"),
              "0");
    run("document.getElementById('content').focus()");
    press(GDK_KEY_End, GDK_CONTROL_MASK);
    type("X");
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("X") == 1; })) << "the keys did not reach the page";
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    EXPECT_TRUE(autosaved->read.text.string().ends_with(u"\ncrossed X\n")) << autosaved->rtf;
    EXPECT_NE(textByLibreOffice(path).find("crossed X"), std::string::npos);
}

// A blank before a line break stays a plain blank when a letter is typed
// before it and stays before a word typed after it, and a paragraph of one
// blank stays a paragraph, for Folio and for LibreOffice.
TEST_F(RichTextOtherProgramsFileWindowTest, blanksEndingLinesStayThroughTyping)
{
    const std::string path = folder.path("line-blanks.rtf");
    writeFile(path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Liberation Serif;}}\\f0\\fs24 word \\line next\\par\n"
                    " \\par\nend\\par\n}");
    open(path);
    if (HasFatalFailure())
        return;
    run("document.getElementById('content').focus()");
    // A letter typed between the word and its blank, then a word at the end
    // of the line.
    press(GDK_KEY_Home, GDK_CONTROL_MASK);
    for (int letter = 0; letter < 4; ++letter)
        press(GDK_KEY_Right);
    type("s");
    press(GDK_KEY_End);
    type("X");
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("X") == 1; })) << "the keys did not reach the page";
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    EXPECT_EQ(autosaved->read.text.string(), u"words X\u2028next\n \nend\n") << autosaved->rtf;
    EXPECT_NE(textByLibreOffice(path).find("words X"), std::string::npos);
}

// A space typed after the line break that ends Word's last paragraph is a
// blank in the saved file, for Folio and for LibreOffice.
TEST_F(RichTextOtherProgramsFileWindowTest, aSpaceTypedAfterALineBreakAtAParagraphsEndIsABlank)
{
    const std::string path = openedCopyOf("word-line-breaks.rtf", "line-breaks.rtf");
    if (HasFatalFailure())
        return;
    run("document.getElementById('content').focus()");
    press(GDK_KEY_End, GDK_CONTROL_MASK);
    type(" Zebra");
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("Zebra") == 1; })) << "the keys did not reach the page";
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    EXPECT_TRUE(autosaved->read.text.string().ends_with(u"See you there.\u2028 Zebra\n")) << autosaved->rtf;
    const std::string byLibreOffice = textByLibreOffice(path);
    EXPECT_NE(byLibreOffice.find("\n Zebra"), std::string::npos) << byLibreOffice;
    EXPECT_EQ(byLibreOffice.find("\xC2\xA0Zebra"), std::string::npos) << byLibreOffice;
}

// A space typed at the start of an empty paragraph, which the page keeps
// visible as a no-break space, is a blank in the saved file, while the
// file's own no-break spaces, at a paragraph's start and at a run's end,
// stay what they were.
TEST_F(RichTextOtherProgramsFileWindowTest, aSpaceTypedInAnEmptyParagraphIsABlankAndTheFilesNoBreakSpacesStay)
{
    const std::string path = folder.path("no-break-spaces.rtf");
    writeFile(path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Liberation Serif;}}\\f0\\fs24 10\\~{\\b km}\\par\n"
                    "{\\b 20\\~}m\\par\n\\~lead\\par\n\\par}");
    open(path);
    if (HasFatalFailure())
        return;
    run("document.getElementById('content').focus()");
    press(GDK_KEY_End, GDK_CONTROL_MASK);
    type(" quokka");
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("quokka") == 1; })) << "the keys did not reach the page";
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    EXPECT_EQ(autosaved->read.text.string(), u"10\u00A0km\n20\u00A0m\n\u00A0lead\n quokka\n") << autosaved->rtf;
    const std::string byLibreOffice = textByLibreOffice(path);
    EXPECT_NE(byLibreOffice.find("\n quokka"), std::string::npos) << byLibreOffice;
    EXPECT_NE(byLibreOffice.find("10\xC2\xA0km"), std::string::npos) << byLibreOffice;
}

// LibreOffice's empty paragraph at the top of page 2 stays there when a word
// is typed at the end and autosaved: page 2 keeps its blank line.
TEST_F(RichTextOtherProgramsFileWindowTest, anEmptyParagraphThatStartsAPageStaysThroughTyping)
{
    const std::string path = openedCopyOf("libreoffice-rich-header.rtf", "rich-header.rtf");
    if (HasFatalFailure())
        return;
    EXPECT_EQ(paragraphsOnThePage(), "4") << markup();
    run("document.getElementById('content').focus()");
    press(GDK_KEY_End, GDK_CONTROL_MASK);
    type(" Zed");
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("Zed") == 1; })) << "the keys did not reach the page";
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    EXPECT_EQ(toUtf8(autosaved->read.text.string()),
              "Echo opens the survey of the river.\n\f\nFoxtrot is on the second page. Zed\n") << autosaved->rtf;
    EXPECT_NE(textByLibreOffice(path).find("river.\n\nFoxtrot"), std::string::npos);
}

// Binary data in a file of 8-bit text (as WordPad writes it) stays data, and a
// destination word written loose in the text leaves the words after it: a
// word typed and autosaved changes nothing else, for Folio and LibreOffice.
TEST_F(RichTextOtherProgramsFileWindowTest, binaryDataAndALooseDestinationWordLeaveTheWordsAroundThem)
{
    const std::string path = folder.path("bytes.rtf");
    writeFile(path, "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Binary in the text\\bin4 "
                    "\xE9\xE9" "AB stays out\\par\r\nCaf\xE9 text \\papercolor255 stays\\par\r\n}");
    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(occurrencesOnThePage("AB"), 0) << "the binary data shows as words";
    run("document.getElementById('content').focus()");
    press(GDK_KEY_End, GDK_CONTROL_MASK);
    type("X");
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("X") == 1; })) << "the keys did not reach the page";
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    EXPECT_EQ(visible(autosaved->read.text), u"Binary in the text stays out\nCaf\u00E9 text staysX") << autosaved->rtf;
    const std::string byLibreOffice = textByLibreOffice(path);
    EXPECT_NE(byLibreOffice.find("in the text stays out"), std::string::npos) << byLibreOffice;
    EXPECT_NE(byLibreOffice.find("text staysX"), std::string::npos) << byLibreOffice;
}

TEST_F(RichTextOtherProgramsFileWindowTest, commentsStayOverTheirWordsAndPropertiesStayAfterTyping)
{
    const std::string path = folder.path("comments.rtf");
    writeFile(path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}}\n"
                    "{\\info{\\title Log}}{\\*\\userprops{\\propname Client}\\proptype30{\\staticval Acme}"
                    "{\\propname Pages}\\proptype3{\\staticval 42}}\n"
                    "\\pard\\plain\\f0\\fs24 Alpha {\\*\\atrfstart 0}beta gamma{\\*\\atrfend 0}"
                    "{\\*\\atnid }{\\*\\atnauthor Ann Lee}\\chatn{\\*\\annotation{\\*\\atnref 0}{\\*\\atndate 0}Check this}"
                    " delta.\\par\n"
                    "\\pard\\plain\\f0\\fs24 Second {\\*\\atrfstart 1}start\\par\n"
                    "\\pard\\plain\\f0\\fs24 and end{\\*\\atrfend 1}{\\*\\atnid }{\\*\\atnauthor Bo}\\chatn"
                    "{\\*\\annotation{\\*\\atnref 1}Spans} here.\\par\n"
                    "\\pard\\plain\\f0\\fs24 The end.\\par\n}");
    const std::optional<SavedFile> autosaved = typedAtTheEndAndAutosaved(path, " Zebra");
    ASSERT_TRUE(autosaved);
    const auto& [rtf, saved] = *autosaved;
    ASSERT_NE(saved.text.string().find(u"The end. Zebra"), std::u16string::npos) << rtf;
    // Each comment, with the words its range holds.
    std::string comments;
    for (std::size_t index = 0; index < saved.text.length(); ++index) {
        AttributeDictionaryPtr attributes = saved.text.attributesAtIndex(index);
        const auto* note = attributes ? attributes->valueForKeyAs<TETextAttachment>(NSAttachmentAttributeName) : nullptr;
        const std::u16string* tag = note ? note->attributeForKey("data-range") : nullptr;
        if (!note || !note->attributeForKey("annotationAuthor"))
            continue;
        comments += toUtf8(*note->attributeForKey("annotationAuthor")) + " [";
        for (std::size_t at = 0; tag && at < saved.text.length(); ++at) {
            AttributeDictionaryPtr around = saved.text.attributesAtIndex(at);
            const auto* ranges = around ? around->valueForKeyAs<StringValue>(TECommentRangeAttribute) : nullptr;
            if (ranges && (u" " + ranges->value() + u" ").find(u" " + *tag + u" ") != std::u16string::npos &&
                !around->containsKey(NSAttachmentAttributeName))
                comments += toUtf8(saved.text.string().substr(at, 1));
        }
        comments += "]\n";
    }
    EXPECT_EQ(comments, "Ann Lee [beta gamma]\nBo [start\nand end]\n") << rtf;
    const std::string info = saved.pageSettings.text(DKRTFPageSettings::kDocumentInfoKey).value_or("");
    EXPECT_NE(info.find("{\\propname Client}\\proptype30{\\staticval Acme}{\\propname Pages}\\proptype3{\\staticval 42}"),
              std::string::npos) << rtf;

    // LibreOffice puts each comment where its words begin and ends its range
    // where they end.
    const std::string odt = convertedByLibreOffice(path, "odt");
    const std::string unpack = "unzip -o -q '" + odt + "' content.xml meta.xml -d '" + folder.path("out") + "'";
    ASSERT_EQ(std::system(unpack.c_str()), 0) << unpack << ": scripts/install-deps.sh installs unzip";
    const std::string content = readFile(folder.path("out") + "/content.xml");
    std::string shown;
    for (std::size_t at = content.find("<office:annotation office:name=\""); at != std::string::npos;
         at = content.find("<office:annotation office:name=\"", at + 1)) {
        const std::size_t nameStart = content.find('"', at) + 1;
        const std::string name = content.substr(nameStart, content.find('"', nameStart) - nameStart);
        const std::size_t author = content.find("<dc:creator>", at) + 12;
        const std::size_t noteEnd = content.find("</office:annotation>", at);
        const std::size_t rangeEnd = content.find("<office:annotation-end office:name=\"" + name + "\"", noteEnd);
        ASSERT_NE(rangeEnd, std::string::npos) << name << "\n" << content;
        std::string words = content.substr(noteEnd, rangeEnd - noteEnd);
        for (std::size_t paragraph = words.find("</text:p>"); paragraph != std::string::npos; paragraph = words.find("</text:p>"))
            words.replace(paragraph, 9, "\n");
        for (std::size_t tag = words.find('<'); tag != std::string::npos; tag = words.find('<'))
            words.erase(tag, words.find('>', tag) - tag + 1);
        shown += content.substr(author, content.find('<', author) - author) + " [" + words + "]\n";
    }
    EXPECT_EQ(shown, "Ann Lee [beta gamma]\nBo [start\nand end]\n") << content;
    const std::string meta = readFile(folder.path("out") + "/meta.xml");
    EXPECT_NE(meta.find("meta:name=\"Client\">Acme<"), std::string::npos) << meta;
    EXPECT_NE(meta.find("meta:name=\"Pages\" meta:value-type=\"float\">42<"), std::string::npos) << meta;
}

// Word's rule under a heading and its boxed paragraph are drawn on the
// page, and a word typed into the boxed paragraph and autosaved leaves both
// with their lines, and LibreOffice draws them.
TEST_F(RichTextOtherProgramsFileWindowTest, paragraphBordersAreDrawnAndSurviveTyping)
{
    const std::string path = openedCopyOf("word-fields-comments.rtf", "borders.rtf");
    if (HasFatalFailure())
        return;
    auto drawn = [&](const char* words) {
        return run(std::string("(function(){var e=Array.prototype.find.call(document.querySelectorAll('#content *'),"
                               "function(e){return e.hasAttribute('data-paragraph-borders')&&e.textContent.indexOf('") +
                   words + "')>=0;});return e?getComputedStyle(e).boxShadow:'no element';})()");
    };
    EXPECT_EQ(drawn("Findings with a rule below"), "rgb(68, 114, 196) 0px -1px 0px 0px inset");
    EXPECT_NE(drawn("A boxed note").find("inset"), std::string::npos) << drawn("A boxed note");
    // Two readings with the same borders have the line between them under
    // the first: three lines there, two under the second.
    auto lines = [](const std::string& shadow) {
        std::size_t count = 0;
        for (std::size_t at = shadow.find("inset"); at != std::string::npos; at = shadow.find("inset", at + 1))
            ++count;
        return count;
    };
    EXPECT_EQ(lines(drawn("The first reading")), 3u) << drawn("The first reading");
    EXPECT_EQ(lines(drawn("The second reading")), 2u) << drawn("The second reading");
    caretAfter("pier lights");
    type(" and buoys");
    ASSERT_TRUE(waitFor([&] { return run("document.getElementById('content').textContent").find("lights and buoys") != std::string::npos; }));
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    const DKRTFReadResult& saved = autosaved->read;
    auto bordersOf = [&](std::u16string_view words) {
        const auto* borders = valueAtWords<StringValue>(saved.text, words, TEParagraphBordersAttribute);
        return borders ? toUtf8(borders->value()) : std::string("none");
    };
    EXPECT_EQ(bordersOf(u"Findings with a rule below"), "bottom=s,12,20,4472c4") << rtf;
    EXPECT_EQ(bordersOf(u"A boxed note on the pier lights and buoys."), "top=s,4,1 left=s,4,4 bottom=s,4,1 right=s,4,4") << rtf;
    EXPECT_EQ(bordersOf(u"Visible words"), "none") << rtf;
    const std::string flat = readFile(convertedByLibreOffice(path, "fodt"));
    EXPECT_NE(flat.find("fo:border-bottom=\"0.51pt solid #4472c4\""), std::string::npos) << flat;
}

// Word's language marks and a run in capitals with a shadow, typed into and
// autosaved: the word typed takes the run's marks and keeps its own letters,
// for Folio and for LibreOffice.
TEST_F(RichTextOtherProgramsFileWindowTest, languagesCapitalsAndShadowsSurviveTyping)
{
    const std::string path = folder.path("marks.rtf");
    const std::string file =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
        "{\\colortbl;\\red200\\green0\\blue0;\\red255\\green255\\blue0;}\n"
        "\\pard\\plain\\f0\\fs24\\lang1033\\langfe1033\\langnp1033\\langfenp1033 {American words, }"
        "{\\lang1031\\langnp1031 deutsche W\\'f6rter}\\par\n"
        "\\pard\\plain\\f0\\fs24\\lang1033\\langnp1033 {\\ululdbwave Two waves}, {\\outl0\\strokewidth-40 \\strokec1 "
        "Stroked red}, {\\shad\\shadx40\\shady-40\\shadr60\\shado128 \\shadowc1 Red shade}, {\\kerning32 Kerned}, "
        "{\\chshdng2500\\chbgdkcross\\chcfpat1\\chcbpat2 Shaded}\\par\n"
        "\\pard\\plain\\f0\\fs24\\lang1033\\langnp1033\\shading2000\\cfpat1\\cbpat2 A shaded paragraph\\par\n"
                    "\\pard\\plain\\f0\\fs24\\lang1033\\langnp1033 Plain, {\\outl outlined}, then "
        "{\\caps\\shad\\lang2057\\langfe1033\\langnp2057\\langfenp1033 Shadowed British}\\par\n}";
    writeFile(path, file);
    const std::optional<SavedFile> autosaved = typedAtTheEndAndAutosaved(path, " Zebra");
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    const DKRTFReadResult& saved = autosaved->read;
    ASSERT_EQ(toUtf8(visible(saved.text)), "American words, deutsche W\u00f6rter\nTwo waves, Stroked red, Red shade, Kerned, Shaded\nA shaded paragraph\nPlain, outlined, then Shadowed British Zebra") << rtf;
    auto marksOf = [&](std::u16string_view word) {
        AttributeDictionaryPtr attributes = attributesAtWords(saved.text, word);
        return attributes ? characterMarks(*attributes) : "no " + toUtf8(std::u16string(word));
    };
    EXPECT_EQ(marksOf(u"American"), "; language en-US; East Asian en-US") << rtf;
    EXPECT_EQ(marksOf(u"deutsche"), "; language de-DE; East Asian en-US") << rtf;
    EXPECT_EQ(marksOf(u"Plain"), "; language en-US") << rtf;
    EXPECT_EQ(marksOf(u"outlined"), "; language en-US; outline") << rtf;
    EXPECT_EQ(marksOf(u"Shadowed"), "; language en-GB; East Asian en-US; capitals; shadow") << rtf;
    EXPECT_EQ(marksOf(u"Zebra"), "; language en-GB; East Asian en-US; capitals; shadow") << rtf;
    // A double wave, TextEdit's stroke and shadow measures and Word's
    // kerning come back as the file gave them.
    const DKRTFReadResult original = read(file);
    const std::vector<std::pair<std::u16string_view, std::string>> effects{
        {u"Two waves", "underline 1289"}, {u"Stroked red", "stroke -2 in 200,0,0"},
        {u"Red shade", "shadow 2,2 blur 3 in 200,0,0,128"}, {u"Kerned", "kerning 32"},
        {u"Shaded", "shading pattern=dkcross shading=2500 color=c80000 fill=ffff00 shows 214,64,0"},
        {u"A shaded paragraph", "paragraph shading shading=2000 color=c80000 fill=ffff00"}, {u"Plain, outlined", ""}};
    for (const auto& [words, effect] : effects) {
        EXPECT_EQ(effectsOf(original.text, words), effect);
        EXPECT_EQ(effectsOf(saved.text, words), effect) << rtf;
    }

    // LibreOffice finds the languages, the capitals over the letters as
    // typed, the outline and the shadow.
    const std::string odt = convertedByLibreOffice(path, "odt");
    const std::string unpack = "unzip -o -q '" + odt + "' content.xml -d '" + folder.path("out") + "'";
    ASSERT_EQ(std::system(unpack.c_str()), 0) << unpack << ": scripts/install-deps.sh installs unzip";
    const std::string content = readFile(folder.path("out") + "/content.xml");
    ASSERT_NE(content.find("Shadowed British Zebra"), std::string::npos) << content;
    for (const char* property : {"fo:language=\"de\" fo:country=\"DE\"", "fo:language=\"en\" fo:country=\"GB\"",
                                 "fo:text-transform=\"uppercase\"", "fo:text-shadow=", "style:text-outline=\"true\"",
                                 "style:text-underline-type=\"double\""})
        EXPECT_NE(content.find(property), std::string::npos) << property << "\n" << content;
}

// Word keeps a language on an empty line's paragraph end: in the window a
// word typed there takes it, an empty line left alone keeps it through the
// save, and neither spreads to the lines around, for Folio and LibreOffice.
TEST_F(RichTextOtherProgramsFileWindowTest, emptyLinesKeepTheirLanguagesThroughTyping)
{
    const std::string path = folder.path("empty-lines.rtf");
    writeFile(path, "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1036{\\fonttbl{\\f0\\fswiss Calibri;}}\n"
                    "\\pard\\plain\\f0\\fs24\\lang1036\\langnp1036 Avant\\par\n"
                    "\\pard\\plain\\f0\\fs24\\lang2057\\langnp2057\\par\n"
                    "\\pard\\plain\\f0\\fs24\\lang1036\\langnp1036 Milieu\\par\n"
                    "\\pard\\plain\\f0\\fs24\\lang2057\\langfe1041\\noproof\\par\n"
                    "\\pard\\plain\\f0\\fs24\\lang1036\\langnp1036 Apr\\'e8s\\par\n}");
    open(path);
    if (HasFatalFailure())
        return;
    // The caret on the first empty line, as a click there puts it.
    run("(function(){var c=document.getElementById('content');var r=document.createRange();"
        "r.setStartBefore(c.querySelector('br'));r.collapse(true);var s=getSelection();s.removeAllRanges();s.addRange(r);"
        "c.focus();})()");
    type("Colour");
    ASSERT_TRUE(waitFor([&] { return run("document.getElementById('content').textContent").find("Colour") != std::string::npos; }))
        << "the keys did not reach the page: " << markup();
    ASSERT_TRUE(autosave());
    closeDocument();

    const std::string rtf = readFile(path);
    const AttributedString saved = read(rtf).text;
    ASSERT_EQ(toUtf8(saved.string()), "Avant\nColour\nMilieu\n\nApr\u00e8s\n") << rtf;
    auto marksAt = [&](std::size_t at) { return characterMarks(*saved.attributesAtIndex(at)); };
    EXPECT_EQ(marksAt(saved.string().find(u"Colour")), "; language en-GB") << rtf;
    EXPECT_EQ(marksAt(saved.string().find(u"\n\n") + 1), "; language en-GB; East Asian ja-JP; not proofed") << rtf;
    for (std::u16string_view words : {u"Avant", u"Milieu", u"Apr"})
        EXPECT_EQ(marksAt(saved.string().find(words)), "; language fr-FR") << toUtf8(words) << "\n" << rtf;

    const std::string odt = convertedByLibreOffice(path, "odt");
    const std::string unpack = "unzip -o -q '" + odt + "' content.xml -d '" + folder.path("out") + "'";
    ASSERT_EQ(std::system(unpack.c_str()), 0) << unpack;
    const std::string content = readFile(folder.path("out") + "/content.xml");
    ASSERT_NE(content.find(">Colour<"), std::string::npos) << content;
    EXPECT_NE(content.find("fo:language=\"en\" fo:country=\"GB\""), std::string::npos) << content;
    EXPECT_NE(content.find("style:language-asian=\"ja\" style:country-asian=\"JP\""), std::string::npos) << content;
}

// Blank lines set in a font and size of their own, unlike the lines after
// them (at the start, between lines, several in a row, one coloured, one
// after a page break, one at the end): a word typed and autosaved, each
// keeps its own font, size and colour, and LibreOffice sets every line of
// the saved file where it set it in the file as it was.
TEST_F(RichTextOtherProgramsFileWindowTest, blankLinesKeepTheirOwnFontAndSizeThroughTyping)
{
    const std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times New Roman;}{\\f1 Arial;}}"
                            "{\\colortbl;\\red200\\green0\\blue0;}\n"
                            "\\pard\\plain\\f0\\fs48\\par\n"
                            "\\pard\\plain\\f1\\fs20 Alpha line.\\par\n"
                            "\\pard\\plain\\f0\\fs48\\par\n"
                            "\\pard\\plain\\f0\\fs36\\par\n"
                            "\\pard\\plain\\f0\\fs16\\cf1\\par\n"
                            "\\pard\\plain\\f1\\fs20 Bravo line.\\par\n"
                            "\\pard\\plain\\f0\\fs40\\page\\par\n"
                            "\\pard\\plain\\f1\\fs20 Charlie line.\\par\n"
                            "\\pard\\plain\\f0\\fs48\\par}";
    const std::string original = folder.path("blank-lines-as-written.rtf");
    const std::string path = folder.path("blank-lines.rtf");
    writeFile(original, rtf);
    writeFile(path, rtf);
    // Each empty line's font, size and colour, in order (black being the
    // automatic colour a save names).
    auto blankLines = [](const AttributedString& text) {
        std::vector<std::string> lines;
        const std::u16string& string = text.string();
        for (std::size_t index = 0; index < string.size(); ++index) {
            if (string[index] != u'\n' || (index > 0 && string[index - 1] != u'\n' && string[index - 1] != u'\f'))
                continue;
            AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
            const auto* font = attributes ? attributes->valueForKeyAs<FontAttributeValue>(kCTFontAttributeName) : nullptr;
            const auto* color = attributes ? attributes->valueForKeyAs<ColorValue>(kCTForegroundColorAttributeName) : nullptr;
            const std::string hex = color ? htmlHexString(color->color()) : "000000";
            lines.push_back((font ? font->font().familyName() + " " + formatShortest(font->font().pointSize()) : "no font") +
                            (hex != "000000" ? " #" + hex : ""));
        }
        return lines;
    };
    const std::vector<std::string> wanted = blankLines(read(rtf).text);
    ASSERT_EQ(wanted.size(), 6u);
    ASSERT_EQ(wanted[3], "Times New Roman 8 #c80000");

    const std::optional<SavedFile> autosaved = typedAtTheEndAndAutosaved(path, " Zulu");
    ASSERT_TRUE(autosaved);
    std::string typed = toUtf8(read(rtf).text.string());
    typed.insert(typed.find("Charlie line.") + 13, " Zulu");
    ASSERT_EQ(toUtf8(autosaved->read.text.string()), typed) << autosaved->rtf;
    EXPECT_EQ(blankLines(autosaved->read.text), wanted) << autosaved->rtf;

    auto before = wordsPrintedByLibreOffice(original);
    auto after = wordsPrintedByLibreOffice(path);
    for (const char* word : {"Alpha", "Bravo", "Charlie"}) {
        ASSERT_TRUE(before.count(word) && after.count(word)) << word;
        EXPECT_EQ(after[word].page, before[word].page) << word << " moved to another page\n" << autosaved->rtf;
        EXPECT_NEAR(after[word].top, before[word].top, 0.5) << word << " moved up or down\n" << autosaved->rtf;
    }
    EXPECT_EQ(before["Charlie"].page, 2);
}

// TextEdit's code paragraphs end in a font and size of their own, and so do
// its empty lines: typed into and autosaved, every paragraph end keeps
// them, and LibreOffice sets every line where it set it in the file.
TEST_F(RichTextOtherProgramsFileWindowTest, paragraphEndsKeepTheirFontThroughTyping)
{
    const std::string original = folder.path("code-ends-as-written.rtf");
    const std::string path = folder.path("code-ends.rtf");
    writeFile(original, fixture("textedit-code-paragraph-ends.rtf"));
    writeFile(path, fixture("textedit-code-paragraph-ends.rtf"));
    const std::vector<std::string> wanted = paragraphEndFonts(read(fixture("textedit-code-paragraph-ends.rtf")).text);
    ASSERT_EQ(wanted.size(), 7u);

    const std::optional<SavedFile> autosaved = typedAtTheEndAndAutosaved(path, " Zebra");
    ASSERT_TRUE(autosaved);
    ASSERT_NE(autosaved->read.text.string().find(u"Back to words Zebra\n"), std::u16string::npos) << autosaved->rtf;
    EXPECT_EQ(paragraphEndFonts(autosaved->read.text), wanted) << autosaved->rtf;

    auto before = wordsPrintedByLibreOffice(original);
    auto after = wordsPrintedByLibreOffice(path);
    for (const char* word : {"Notes", "red", "green", "blue", "Back"}) {
        ASSERT_TRUE(before.count(word) && after.count(word)) << word;
        EXPECT_NEAR(after[word].top, before[word].top, 0.5) << word << " moved up or down\n" << autosaved->rtf;
    }
}

// Word's hidden text, in a file typed into and autosaved: the page does not
// show it, the saved file still holds it as hidden text, and LibreOffice's
// pages of that file hide it as well.
TEST_F(RichTextOtherProgramsFileWindowTest, hiddenTextStaysInTheFileAndOutOfSight)
{
    const std::string path = folder.path("hidden.rtf");
    writeFile(path, "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Calibri;}}\n"
                    "\\pard\\plain\\f0\\fs22 Visible words {\\v secret remark }and more.\\par\n"
                    "\\pard\\plain\\f0\\fs22 Second{\\v  aside} paragraph\\par\n}");
    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(run("document.getElementById('content').innerText.replace(/\\s+/g,' ').trim()"),
              "Visible words and more. Second paragraph");
    typeAtTheEnd(" Zebra");
    if (HasFatalFailure())
        return;
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const auto& [rtf, saved] = *autosaved;
    ASSERT_EQ(toUtf8(visible(saved.text)), "Visible words secret remark and more.\nSecond aside paragraph Zebra") << rtf;
    std::string hidden;
    for (std::size_t at = 0; at < saved.text.length(); ++at)
        if (const auto* flag = saved.text.attributesAtIndex(at)->valueForKeyAs<BoolValue>(TEHiddenAttribute); flag && flag->value())
            hidden += toUtf8(saved.text.string().substr(at, 1));
    EXPECT_EQ(hidden, "secret remark  aside") << rtf;

    // LibreOffice's text conversion keeps hidden text; its printed pages
    // show what a reader of the file sees.
    const std::string pdf = convertedByLibreOffice(path, "pdf");
    const std::string pdfText = folder.path("out/hidden-pdf.txt");
    const std::string command = "pdftotext '" + pdf + "' '" + pdfText + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string shown = readFile(pdfText);
    EXPECT_NE(shown.find("Visible words and more."), std::string::npos) << shown;
    EXPECT_NE(shown.find("Second paragraph Zebra"), std::string::npos) << shown;
    for (const char* gone : {"secret", "aside"})
        EXPECT_EQ(shown.find(gone), std::string::npos) << shown;
}

// Delete just before hidden text, and Backspace over a letter typed just
// before it, take only the characters the person sees; an undo puts back
// exactly what was there, and the saved file keeps the hidden text. Hidden
// text inside a selection goes with it.
TEST_F(RichTextOtherProgramsFileWindowTest, deletingBesideHiddenTextKeepsIt)
{
    const std::string path = folder.path("hidden-delete.rtf");
    writeFile(path, "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Calibri;}}\n"
                    "\\pard\\plain\\f0\\fs22 Visible words {\\v secret remark }and more.\\par\n"
                    "\\pard\\plain\\f0\\fs22 Second{\\v  aside} paragraph\\par\n"
                    "\\pard\\plain\\f0\\fs22 Third {\\v gone }end\\par\n}");
    open(path);
    if (HasFatalFailure())
        return;
    const std::string opened = markup();
    const std::string openedText = shown();

    caretAfter("Second");
    press(GDK_KEY_Delete);
    ASSERT_TRUE(waitFor([&] { return shown() != openedText; })) << "the key did not reach the page";
    EXPECT_EQ(shown(), "Visible words and more. Secondparagraph Third end");
    undo();
    ASSERT_TRUE(waitFor([&] { return shown() == openedText; })) << markup();
    EXPECT_EQ(markup(), opened);
    caretAfter("Second");
    press(GDK_KEY_Delete);
    ASSERT_TRUE(waitFor([&] { return shown().find("Secondparagraph") != std::string::npos; })) << markup();
    // The caret stays where the person sees it, not in the hidden text.
    type("-");
    ASSERT_TRUE(waitFor([&] { return shown().find("Second-paragraph") != std::string::npos; })) << markup();

    caretAfter("words ");
    type("X");
    ASSERT_TRUE(waitFor([&] { return shown().find("Xand") != std::string::npos; })) << shown();
    press(GDK_KEY_BackSpace);
    ASSERT_TRUE(waitFor([&] { return shown().find("Xand") == std::string::npos; })) << shown();
    EXPECT_EQ(shown(), "Visible words and more. Second-paragraph Third end");
    // Hidden text the person selected whole goes with the selection.
    selectFromTo("Third", "end");
    press(GDK_KEY_BackSpace);
    ASSERT_TRUE(waitFor([&] { return shown().find("Third") == std::string::npos; })) << shown();
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const auto& [rtf, saved] = *autosaved;
    const auto [hidden, seen] = hiddenAndSeen(saved.text);
    EXPECT_EQ(hidden, "secret remark  aside") << rtf;
    EXPECT_EQ(seen, "Visible words and more.\nSecond-paragraph\nend\n") << rtf;
}

// Ctrl+Delete and Ctrl+Backspace over words with hidden text in them take
// the words the person sees and keep the hidden text; one undo puts back
// all that one key took, and one redo takes it again.
TEST_F(RichTextOtherProgramsFileWindowTest, aWordDeletedAcrossHiddenTextComesBackWithOneUndo)
{
    const std::string path = folder.path("hidden-words.rtf");
    writeFile(path, "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Calibri;}}\n"
                    "\\pard\\plain\\f0\\fs22 Third {\\v gone }end more\\par\n"
                    "\\pard\\plain\\f0\\fs22 Alpha{\\v mid}beta last\\par\n}");
    open(path);
    if (HasFatalFailure())
        return;
    const std::string opened = markup();
    const std::string openedText = shown();
    ASSERT_EQ(openedText, "Third end more Alphabeta last");

    caretAfter("Third");
    press(GDK_KEY_Delete, GDK_CONTROL_MASK);
    ASSERT_TRUE(waitFor([&] { return shown() != openedText; })) << "the key did not reach the page";
    EXPECT_EQ(shown(), "Third more Alphabeta last");
    undo();
    ASSERT_TRUE(waitFor([&] { return shown() == openedText; })) << markup();
    EXPECT_EQ(markup(), opened);

    caretAfter("beta");
    press(GDK_KEY_BackSpace, GDK_CONTROL_MASK);
    ASSERT_TRUE(waitFor([&] { return shown() != openedText; })) << "the key did not reach the page";
    EXPECT_EQ(shown(), "Third end more last") << markup();
    const std::string deleted = markup();
    undo();
    ASSERT_TRUE(waitFor([&] { return shown() == openedText; })) << markup();
    EXPECT_EQ(markup(), opened);
    // One redo takes it all again.
    ASSERT_TRUE(test::pressKeys("ctrl+shift+z"));
    ASSERT_TRUE(waitFor([&] { return shown() != openedText; })) << "the redo did not reach the page";
    EXPECT_TRUE(waitFor([&] { return markup() == deleted; })) << markup();
    undo();
    ASSERT_TRUE(waitFor([&] { return shown() == openedText; })) << markup();

    caretAfter("beta");
    press(GDK_KEY_BackSpace, GDK_CONTROL_MASK);
    ASSERT_TRUE(waitFor([&] { return shown() != openedText; })) << "the key did not reach the page";
    // The caret stays where the person sees it, not in the hidden text.
    type("Z");
    ASSERT_TRUE(waitFor([&] { return shown() == "Third end more Z last"; })) << markup();
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    const auto [hidden, seen] = hiddenAndSeen(autosaved->read.text);
    EXPECT_EQ(hidden, "gone mid") << rtf;
    EXPECT_EQ(seen, "Third end more\nZ last\n") << rtf;
}

// Arabic, Hebrew and Chinese text from Word, typed into and autosaved: every
// run keeps its direction and the fonts and languages of its complex-script
// and East Asian letters, the letters stay as they were, and LibreOffice
// finds the fonts and languages in the saved file.
TEST_F(RichTextOtherProgramsFileWindowTest, rightToLeftAndComplexScriptRunsSurviveTyping)
{
    const std::string path = folder.path("scripts.rtf");
    const std::string original = fixture("word-arabic-hebrew-cjk.rtf");
    writeFile(path, original);
    const std::optional<SavedFile> autosaved = typedAtTheEndAndAutosaved(path, " Zebra");
    ASSERT_TRUE(autosaved);
    const auto& [rtf, saved] = *autosaved;
    const DKRTFReadResult before = read(original);
    ASSERT_EQ(toUtf8(visible(saved.text)), toUtf8(visible(before.text)) + " Zebra") << rtf;
    auto marksAt = [](const AttributedString& text, std::size_t index) {
        AttributeDictionaryPtr attributes = text.attributesAtIndex(index);
        if (!attributes || text.string()[index] == u'\n')
            return std::string();
        std::string marks = characterMarks(*attributes);
        if (attributes->containsKey(NSWritingDirectionAttributeName))
            marks += "; right to left";
        for (const TEScriptAttribute& mark : kTEScriptAttributes) {
            const AttributeValuePtr& value = attributes->valueForKey(mark.key);
            if (const auto* text = value ? value->as<StringValue>() : nullptr)
                marks += "; " + std::string(mark.pageName) + " " + toUtf8(text->value());
            else if (const auto* number = value ? value->as<DoubleValue>() : nullptr)
                marks += "; " + std::string(mark.pageName) + " " + formatShortest(number->value());
            else if (value)
                marks += "; " + std::string(mark.pageName);
        }
        return marks;
    };
    for (std::size_t index = 0; index < visible(before.text).size(); ++index)
        ASSERT_EQ(marksAt(saved.text, index), marksAt(before.text, index)) << index << "\n" << rtf;
    // The word typed takes the marks of the run it was typed after.
    const std::size_t zebra = saved.text.string().find(u"Zebra");
    EXPECT_EQ(marksAt(saved.text, zebra), marksAt(saved.text, zebra - 2)) << rtf;
    EXPECT_NE(marksAt(saved.text, zebra).find("data-east-asian-font SimSun"), std::string::npos) << rtf;

    const std::string odt = convertedByLibreOffice(path, "odt");
    // The paragraph's own marks are its style's there.
    const std::string unpack = "unzip -o -q '" + odt + "' content.xml styles.xml -d '" + folder.path("out") + "'";
    ASSERT_EQ(std::system(unpack.c_str()), 0) << unpack << ": scripts/install-deps.sh installs unzip";
    const std::string content = readFile(folder.path("out") + "/content.xml");
    const std::string styles = readFile(folder.path("out") + "/styles.xml");
    for (const char* property : {"style:font-name-complex=\"Traditional Arabic", "style:language-complex=\"ar\"",
                                 "style:font-size-complex=\"14pt\""})
        EXPECT_NE(styles.find(property), std::string::npos) << property << "\n" << styles;
    // The text properties of the span that holds `words`.
    auto propertiesOf = [&](const std::string& words) {
        const std::size_t text = content.find(">" + words + "<");
        const std::size_t name = text == std::string::npos ? text : content.rfind("text:style-name=\"", text);
        if (name == std::string::npos)
            return std::string("no span of ") + words;
        const std::string style = content.substr(name + 17, content.find('"', name + 17) - name - 17);
        const std::size_t defined = content.find("<style:style style:name=\"" + style + "\"");
        return defined == std::string::npos ? "no style " + style
                                            : content.substr(defined, content.find("</style:style>", defined) - defined);
    };
    // The Hebrew word, bold and slanted in its own font, then the text
    // after it in the paragraph's Hebrew.
    const std::string hebrew = propertiesOf("\u05E9\u05DC\u05D5\u05DD\u200F");
    for (const char* property : {"style:font-name-complex=\"David\"", "style:font-weight-complex=\"bold\"",
                                 "style:font-style-complex=\"italic\"", "style:font-size-complex=\"16pt\"",
                                 "style:language-complex=\"he\"", "fo:language=\"he\""})
        EXPECT_NE(hebrew.find(property), std::string::npos) << property << "\n" << hebrew;
    const std::string after = propertiesOf(" (123) ");
    for (const char* property : {"style:font-name-complex=\"David\"", "style:font-size-complex=\"12pt\"",
                                 "style:language-complex=\"he\"", "style:font-weight-complex=\"normal\""})
        EXPECT_NE(after.find(property), std::string::npos) << property << "\n" << after;
    EXPECT_NE(propertiesOf("\u4E2D\u6587").find("style:font-name-asian=\"SimSun"), std::string::npos) << content;
    EXPECT_NE(content.find("style:language-asian=\"zh\""), std::string::npos) << content;
}

// A Word file's tab stops, typed into and autosaved: every paragraph keeps
// its stops and leaders, and a paragraph split off with Return takes the
// stops of the one it came from.
TEST_F(RichTextOtherProgramsFileWindowTest, tabStopsSurviveTypingAndAReturn)
{
    const std::string path = folder.path("tabs.rtf");
    writeFile(path, "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                    "\\pard\\plain\\tqr\\tldot\\tx8640 Contents\\tab 1\\par\n"
                    "\\pard\\plain Plain words\\par\n"
                    "\\pard\\plain\\tx1440\\tqc\\tlhyph\\tx4320\\tqdec\\tx6480 Name\\tab Middle\\tab 3.14\\par\n}");
    open(path);
    if (HasFatalFailure())
        return;
    typeAtTheEnd("5");
    if (HasFatalFailure())
        return;
    press(GDK_KEY_Return);
    type("Yak");
    ASSERT_TRUE(waitFor([&] { return run("document.getElementById('content').textContent").find("Yak") != std::string::npos; }));
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    const DKRTFReadResult& saved = autosaved->read;
    auto stops = [&](std::u16string_view word) {
        return tabStopsAtWords(saved.text, word);
    };
    const std::vector<TextTab> table{{72, TextAlignment::Left, false, 0},
                                     {216, TextAlignment::Center, false, u'-'},
                                     {324, TextAlignment::Right, true, 0}};
    EXPECT_EQ(toUtf8(visible(saved.text)), "Contents\t1\nPlain words\nName\tMiddle\t3.145\nYak") << rtf;
    EXPECT_TRUE((stops(u"Contents") == std::vector<TextTab>{{432, TextAlignment::Right, false, u'.'}})) << rtf;
    EXPECT_TRUE(stops(u"Plain").empty()) << rtf;
    EXPECT_TRUE(stops(u"Name") == table) << rtf;
    EXPECT_TRUE(stops(u"Yak") == table) << rtf;
}

// Word's lists numbered in Chinese counting and circled numbers, and one
// whose markers have words ("CH I"), with hanging first lines and an item's
// own tab stops: a word typed into an item and a new item made with Return,
// autosaved, and every item keeps its numbering, marker words, indents and
// stops, for Folio and for LibreOffice.
TEST_F(RichTextOtherProgramsFileWindowTest, listNumberingAndIndentsSurviveTypingAndAReturn)
{
    Result<Data> fixtureData = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf/word-numbering.rtf");
    ASSERT_TRUE(fixtureData.ok());
    const std::string path = folder.path("numbering.rtf");
    writeFile(path, fixtureData->toString());
    open(path);
    if (HasFatalFailure())
        return;
    caretAfter("harvest");
    type(" Zebra");
    press(GDK_KEY_Return);
    type("Autumn");
    ASSERT_TRUE(waitFor([&] {
        const std::string text = run("document.getElementById('content').textContent");
        return text.find("harvest Zebra") != std::string::npos && text.find("Autumn") != std::string::npos;
    })) << "the keys did not reach the page";
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    const DKRTFReadResult& saved = autosaved->read;
    // An item's list, marker words and indents (in twips), and its stops.
    auto item = [&](std::u16string_view word) {
        const std::size_t at = saved.text.string().find(word);
        if (at == std::u16string::npos || at == 0)
            return std::string("missing");
        const ArrayValue* lists = nullptr;
        for (std::size_t before = at; !lists && before-- > 0;) {
            AttributeDictionaryPtr earlier = saved.text.attributesAtIndex(before);
            if (!earlier->containsKey(TETextIsListAttribute) && !earlier->containsKey(TETextListsAttribute))
                break;
            lists = earlier->valueForKeyAs<ArrayValue>(TETextListsAttribute);
        }
        const auto* list = lists && !lists->isEmpty() ? lists->elements().back()->as<TECSSListStyle>() : nullptr;
        const auto* style = saved.text.attributesAtIndex(at)->valueForKeyAs<ParagraphStyleValue>(kCTParagraphStyleAttributeName);
        if (!list || !list->markerText() || !style)
            return std::string("no numbered item");
        std::string looks = std::to_string(static_cast<int>(list->markerText()->numbering)) + " \"" +
            toUtf8(list->markerText()->before) + "#" + toUtf8(list->markerText()->after) + "\" " +
            formatShortest(std::round(style->style().firstLineHeadIndent() * 1440 / 2.54)) + " " +
            formatShortest(std::round(style->style().headIndent() * 1096 / 80));
        for (const TextTab& stop : style->style().tabStops().value_or(std::vector<TextTab>()))
            looks += " " + formatShortest(stop.location);
        return looks;
    };
    EXPECT_EQ(item(u"Spring"), "2 \"#\u3001\" -420 420") << rtf;
    EXPECT_EQ(item(u"Summer harvest Zebra"), "2 \"#\u3001\" -420 420") << rtf;
    EXPECT_EQ(item(u"Autumn"), "2 \"#\u3001\" -420 420") << rtf;
    EXPECT_EQ(item(u"Sow"), "8 \"#\" -360 720 144 432") << rtf;
    EXPECT_EQ(item(u"The orchard"), "0 \"CH #\" -720 1080") << rtf;

    const std::string shown = textByLibreOffice(path);
    for (const char* line : {"\u4E00\u3001 Spring planting", "\u4E8C\u3001 Summer harvest Zebra", "\u4E09\u3001 Autumn",
                             "\u2460 Dig\tbeds\t3", "\u2461 Sow\tseeds\t5", "CH I The garden", "CH II The orchard"})
        EXPECT_NE(shown.find(line), std::string::npos) << line << " in\n" << shown;
}

// WordPad's lists end with "\pard", after which Word and LibreOffice start
// the next paragraph with no indents or spacing: after a word is typed and
// autosaved, LibreOffice still prints the item after the list and the
// paragraph after that where it printed them in the file as it was.
TEST_F(RichTextOtherProgramsFileWindowTest, theParagraphsAfterAListKeepTheirIndentsAndSpacingForOtherReaders)
{
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Calibri;}{\\f1\\fnil\\fcharset2 Symbol;}}\n"
                            "\\paperw11906\\paperh16838\\margl1440\\margr1440\\margt1440\\margb1440\n"
                            "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22 Plan\\par\n"
                            "\\pard{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\pndec{\\pntxta.}}"
                            "\\fi-360\\li720\\sa200\\sl276\\slmult1 Read\\par\n{\\pntext\\f0 2.\\tab}Write\\par\n"
                            "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}"
                            "\\fi-360\\li720\\sa200\\sl276\\slmult1 Coffee\\par\n"
                            "\\pard\\sa200\\sl276\\slmult1 Total\\par\n\\pard\\sa200\\sl276\\slmult1 End\\par\n}";
    const std::string original = folder.path("list-end-original.rtf");
    writeFile(original, rtf);
    const std::string path = folder.path("list-end.rtf");
    writeFile(path, rtf);
    open(path);
    if (HasFatalFailure())
        return;
    run("document.getElementById('content').focus()");
    press(GDK_KEY_End, GDK_CONTROL_MASK);
    type("X");
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("EndX") == 1; })) << "the keys did not reach the page";
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);

    auto before = wordsPrintedByLibreOffice(original);
    auto after = wordsPrintedByLibreOffice(path);
    after["End"] = after["EndX"];
    for (const char* word : {"Plan", "Read", "Write", "Coffee", "Total", "End"}) {
        ASSERT_TRUE(before.count(word) && after.count(word)) << word;
        EXPECT_NEAR(after[word].left, before[word].left, 0.5) << word << " moved sideways\n" << autosaved->rtf;
        EXPECT_NEAR(after[word].top, before[word].top, 0.5) << word << " moved up or down\n" << autosaved->rtf;
    }
}

// Word's heading kept with the text after it and whole, at the first level
// of the outline, its paragraphs with widow control, in a book of
// mirrored pages with a gutter: the heading split with Return and a word
// typed, autosaved, and both halves of the heading keep what it had, its
// level too (as in Word, where a paragraph split in two gives both its
// settings), the other
// paragraphs keep theirs, and the pages stay bound as a book, for Folio and
// for LibreOffice.
TEST_F(RichTextOtherProgramsFileWindowTest, keepsAndBookBindingSurviveTypingAndAReturn)
{
    const std::string path = openedCopyOf("word-keep-mirrored.rtf", "keeps.rtf");
    if (HasFatalFailure())
        return;
    caretAfter("Chapter");
    press(GDK_KEY_Return);
    type("Zebra");
    ASSERT_TRUE(waitFor([&] { return run("document.getElementById('content').textContent").find("Zebra one") != std::string::npos; }))
        << "the keys did not reach the page";
    // Both halves of the heading are at its level in the outline on the page.
    EXPECT_EQ(run("Array.from(document.querySelectorAll('#content [data-outline-level]')).map(function(e){"
                  "return e.getAttribute('data-outline-level')+' '+e.textContent;}).join('|')"),
              "1 Chapter|1 Zebra one");
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    const DKRTFReadResult& saved = autosaved->read;
    auto level = [&](std::u16string_view word) {
        const auto* style = valueAtWords<ParagraphStyleValue>(saved.text, word, kCTParagraphStyleAttributeName);
        return style ? style->style().outlineLevel() : -1;
    };
    EXPECT_EQ(level(u"Chapter"), 1) << rtf;
    EXPECT_EQ(level(u"Zebra one"), 1) << rtf;
    EXPECT_EQ(level(u"The body"), 0) << rtf;
    EXPECT_EQ(level(u"Closing"), 0) << rtf;
    auto keeps = [&](std::u16string_view word) {
        const auto* style = valueAtWords<ParagraphStyleValue>(saved.text, word, kCTParagraphStyleAttributeName);
        if (!style)
            return std::string("missing");
        return std::string(style->style().keepWithNext() ? "next" : "-") + (style->style().keepTogether() ? " whole" : " -") +
            (style->style().widowControl() ? " widows" : " -");
    };
    EXPECT_EQ(toUtf8(visible(saved.text)).substr(0, 18), "Chapter\nZebra one\n") << rtf;
    EXPECT_EQ(keeps(u"Chapter"), "next whole widows") << rtf;
    EXPECT_EQ(keeps(u"Zebra one"), "next whole widows") << rtf;
    EXPECT_EQ(keeps(u"The body"), "- - widows") << rtf;
    EXPECT_EQ(keeps(u"A paragraph kept"), "- whole widows") << rtf;
    EXPECT_EQ(keeps(u"Closing"), "- - widows") << rtf;
    EXPECT_EQ(saved.pageSettings.number(DKRTFPageSettings::kMirroredMarginsKey), 1.0f) << rtf;
    EXPECT_EQ(saved.pageSettings.number(DKRTFPageSettings::kGutterKey), 567.0f) << rtf;

    // The flat document holds what an ODF package keeps in content.xml and styles.xml.
    const std::string document = readFile(convertedByLibreOffice(path, "fodt"));
    EXPECT_NE(document.find("fo:keep-with-next=\"always\""), std::string::npos) << document;
    EXPECT_NE(document.find("fo:keep-together=\"always\""), std::string::npos) << document;
    EXPECT_NE(document.find("fo:widows=\"2\""), std::string::npos) << document;
    EXPECT_NE(document.find("style:page-usage=\"mirrored\""), std::string::npos) << document;
    EXPECT_NE(document.find("Zebra one"), std::string::npos) << document;
    // Both halves are headings of the outline.
    std::size_t headings = 0;
    for (std::size_t at = document.find("text:outline-level=\"1\""); at != std::string::npos;
         at = document.find("text:outline-level=\"1\"", at + 1))
        ++headings;
    EXPECT_EQ(headings, 2u) << document;
}

// The headers and footers of a flat document of LibreOffice's, in the order
// of its page styles: their paragraphs one to a line, tabs as tabs and the
// page number as "#".
std::vector<std::string> headsOfFlatDocument(const std::string& document)
{
    std::vector<std::string> heads;
    for (const char* element : {"<style:header>", "<style:header-first>", "<style:footer>", "<style:footer-first>"}) {
        const std::string name = std::string(element).substr(1, std::string(element).size() - 2);
        for (std::size_t at = document.find(element); at != std::string::npos; at = document.find(element, at + 1)) {
            const std::size_t end = document.find("</" + name + ">", at);
            std::string text;
            bool inTag = false;
            std::string tag;
            for (std::size_t index = at + std::string(element).size(); index < end; ++index) {
                const char character = document[index];
                if (character == '<') {
                    inTag = true;
                    tag.clear();
                } else if (character == '>') {
                    inTag = false;
                    if (tag == "text:tab/")
                        text += '\t';
                    else if (tag == "text:s/")
                        text += ' ';
                    else if (tag.starts_with("text:page-number"))
                        text += '#';
                    else if (tag == "/text:p")
                        text += '\n';
                } else if (inTag) {
                    tag += character;
                } else if (text.empty() || text.back() != '#' || !std::isdigit(static_cast<unsigned char>(character))) {
                    // The page number's own digits stand for the field.
                    if (character != '\n' && !(character == ' ' && (text.empty() || text.back() == '\n')))
                        text += character;
                }
            }
            heads.push_back(name + ": " + text);
        }
    }
    std::sort(heads.begin(), heads.end());
    return heads;
}

// Word's headers, with tab stops, two paragraphs, page fields and a first
// page header in each of two sections: a word typed and autosaved, and the
// file still holds every one of them, as Folio and LibreOffice read it.
TEST_F(RichTextOtherProgramsFileWindowTest, otherProgramsHeadersAndFootersSurviveTyping)
{
    const std::string original = fixture("word-rich-headers.rtf");
    const std::string path = folder.path("report.rtf");
    writeFile(path, original);
    const std::vector<std::string> before = headsOfFlatDocument(readFile(convertedByLibreOffice(path, "fodt")));
    ASSERT_FALSE(before.empty());
    if (!typedAtTheEndAndAutosaved(path, " Zebra"))
        return;

    const std::string rtf = readFile(path);
    const DKRTFReadResult saved = read(rtf);
    EXPECT_TRUE(visible(saved.text).ends_with(u"Delta ends the report. Zebra")) << rtf;
    // The one line Folio shows of the running header keeps its look; the
    // page hands its size and colour back in a style sheet's terms.
    auto look = [](const std::optional<std::string>& settings) {
        std::vector<std::string> fields = componentsSeparatedByString(std::string_view(settings.value_or("")), "::");
        if (fields.size() < 7)
            return std::string("none");
        const std::optional<Color> color = colorWithHTMLName(std::string_view(fields[3]));
        fields[3] = color ? htmlHexString(*color) : "no colour";
        fields[1] = formatShortest(floatValue(std::string_view(fields[1])));
        std::string joined;
        for (const std::string& field : fields)
            joined += field + "|";
        return joined;
    };
    EXPECT_EQ(look(saved.pageSettings.text(DKRTFPageSettings::kHeaderControlKey)),
              look(read(original).pageSettings.text(DKRTFPageSettings::kHeaderControlKey)));

    const std::vector<std::string> after = headsOfFlatDocument(readFile(convertedByLibreOffice(path, "fodt")));
    EXPECT_EQ(after, before) << rtf;
    std::string all;
    for (const std::string& head : after)
        all += head + "|";
    for (const char* head : {"style:header: Annual Report\tDraft\tPage #\nFinance committee\n",
                             "style:header: Cover of the report\n", "style:header: Part two opens here\n",
                             "style:footer: Page # of 4\n"})
        EXPECT_NE(all.find(head), std::string::npos) << head << " in " << all;
}

// Links whose addresses hold a space or an escape, typed after and
// autosaved: each address comes back as the file wrote it.
TEST_F(RichTextOtherProgramsFileWindowTest, linkAddressesAreSavedAsWritten)
{
    const std::string path = folder.path("links.rtf");
    writeFile(path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                    "\\pard\\plain Read {\\field{\\*\\fldinst{HYPERLINK \"file name.html\"}}{\\fldrslt here}}, "
                    "{\\field{\\*\\fldinst{HYPERLINK \"http://x/a b\"}}{\\fldrslt there}} and "
                    "{\\field{\\*\\fldinst{HYPERLINK \"http://x/a%20c\"}}{\\fldrslt third}}.\\par\n}");
    const std::optional<SavedFile> autosaved = typedAtTheEndAndAutosaved(path, " Zebra");
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    const DKRTFReadResult& saved = autosaved->read;
    auto linkOf = [&](std::u16string_view word) {
        const auto* link = valueAtWords<URLValue>(saved.text, word, TELinkAttribute);
        return link ? link->urlString() : std::string("<none>");
    };
    EXPECT_EQ(linkOf(u"here"), "file name.html") << rtf;
    EXPECT_EQ(linkOf(u"there"), "http://x/a b") << rtf;
    EXPECT_EQ(linkOf(u"third"), "http://x/a%20c") << rtf;
    EXPECT_NE(saved.text.string().find(u"third. Zebra"), std::u16string::npos) << rtf;
}

// Word's date field, typed into, and its table of contents with the
// headings' bookmarks, autosaved: the date is still a field over the text
// as edited, the contents are still one, their links still reach the
// headings' bookmarks, for Folio and for LibreOffice.
TEST_F(RichTextOtherProgramsFileWindowTest, fieldsAndBookmarksSurviveTypingIntoAField)
{
    const std::string path = openedCopyOf("word-toc-fields.rtf", "contents.rtf");
    if (HasFatalFailure())
        return;
    run("(function(){var c=document.getElementById('content');var w=document.createTreeWalker(c,NodeFilter.SHOW_TEXT);"
        "while(w.nextNode()){var i=w.currentNode.data.indexOf('3 November');if(i>=0){var r=document.createRange();"
        "r.setStart(w.currentNode,i+2);r.collapse(true);getSelection().removeAllRanges();getSelection().addRange(r);"
        "c.focus();return;}}})()");
    type("to 4 ");
    ASSERT_TRUE(waitFor([&] { return run("document.getElementById('content').textContent").find("3 to 4 November") != std::string::npos; }));
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    const DKRTFReadResult& saved = autosaved->read;
    auto valueOf = [&](std::u16string_view words, std::string_view key, bool second = false) {
        std::size_t at = saved.text.string().find(words);
        if (second && at != std::u16string::npos)
            at = saved.text.string().find(words, at + 1);
        AttributeDictionaryPtr attributes = at == std::u16string::npos ? nullptr : saved.text.attributesAtIndex(at);
        if (const auto* link = attributes ? attributes->valueForKeyAs<URLValue>(key) : nullptr)
            return link->urlString();
        const auto* value = attributes ? attributes->valueForKeyAs<StringValue>(key) : nullptr;
        return value ? toUtf8(value->value()) : std::string("none");
    };
    const std::string date = "DATE \\@ \"d MMMM yyyy\"";
    EXPECT_EQ(valueOf(u"3 to 4 November 2026", TEFieldInstructionAttribute), date) << rtf;
    EXPECT_EQ(valueOf(u"to 4 ", TEFieldInstructionAttribute), date) << rtf;
    EXPECT_EQ(valueOf(u"2026", TEFieldInstructionAttribute), date) << rtf;
    EXPECT_EQ(valueOf(u"The north pier", TEFieldInstructionAttribute), "TOC \\o \"1-3\" \\h \\z \\u") << rtf;
    EXPECT_EQ(valueOf(u"Lights and buoys", TELinkAttribute), "#_Toc202") << rtf;
    EXPECT_EQ(valueOf(u"The north pier", TEBookmarkAttribute, true), "_Toc201") << rtf;
    EXPECT_EQ(valueOf(u"Lights and buoys", TEBookmarkAttribute, true), "_Toc202") << rtf;

    const std::string flat = readFile(convertedByLibreOffice(path, "fodt"));
    EXPECT_NE(flat.find("<text:date"), std::string::npos) << flat;
    EXPECT_NE(flat.find("<text:table-of-content "), std::string::npos) << flat;
    EXPECT_NE(flat.find("text:bookmark-start text:name=\"_Toc201\""), std::string::npos) << flat;
    EXPECT_NE(flat.find("xlink:href=\"#_Toc201\""), std::string::npos) << flat;
}

// Bookmarks of a place, overlapping bookmarks and fields that show nothing,
// in a file typed into and autosaved: the page shows none of them, the saved
// file has each bookmark once at its place and each field with its
// instruction, and LibreOffice finds them there.
TEST_F(RichTextOtherProgramsFileWindowTest, bookmarksAndFieldsWithoutTextSurviveAnAutosave)
{
    const std::string path = folder.path("marks.rtf");
    writeFile(path, "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Calibri;}}\n"
                    "\\pard\\plain\\f0\\fs22 See {\\*\\bkmkstart _Ref1}{\\*\\bkmkend _Ref1}the tide table"
                    "{\\*\\bkmkstart _GoBack}{\\*\\bkmkend _GoBack} on page {\\field{\\*\\fldinst PAGE}{\\fldrslt }}.\\par\n"
                    "\\pard\\plain\\f0\\fs22 {\\*\\bkmkstart Alpha}First {\\*\\bkmkstart Beta}shared{\\*\\bkmkend Alpha}"
                    " words{\\*\\bkmkend Beta} after.\\par\n"
                    "\\pard\\plain\\f0\\fs22 {\\field{\\*\\fldinst TOC \\\\o \"1-3\"}}Contents; ref "
                    "{\\field{\\*\\fldinst REF _Ref1 \\\\h}{\\fldrslt }} end\\par\n}");
    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(run("document.getElementById('content').innerText.replace(/\\s+/g,' ').trim()"),
              "See the tide table on page . First shared words after. Contents; ref end");
    typeAtTheEnd(" Zebra");
    if (HasFatalFailure())
        return;
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const auto& [rtf, saved] = *autosaved;
    // Each mark with the shown words it holds, or the words after its place.
    std::map<std::string, std::string> marks;
    const std::u16string& text = saved.text.string();
    std::u16string shown;
    for (std::size_t at = 0; at < text.size(); ++at) {
        AttributeDictionaryPtr attributes = saved.text.attributesAtIndex(at);
        const bool carrier = text[at] == TEMarkCarrierCharacter;
        if (carrier) {
            std::u16string after = text.substr(at + 1, 8);
            std::erase(after, TEMarkCarrierCharacter);
            if (const auto* field = attributes->valueForKeyAs<StringValue>(TEFieldInstructionAttribute))
                marks[toUtf8(field->value())] = "at " + toUtf8(after);
            if (const auto* names = attributes->valueForKeyAs<StringValue>(TEBookmarkAttribute))
                marks[toUtf8(names->value())] = "at " + toUtf8(after);
        } else if (const auto* names = attributes->valueForKeyAs<StringValue>(TEBookmarkAttribute)) {
            for (const std::u16string& name : componentsSeparatedByString(names->value(), u"\n"))
                marks[toUtf8(name)] += toUtf8(text.substr(at, 1));
        }
        if (!carrier)
            shown += text[at];
    }
    EXPECT_EQ(toUtf8(shown), "See the tide table on page .\nFirst shared words after.\nContents; ref  end Zebra\n") << rtf;
    const std::map<std::string, std::string> wanted{{"_Ref1", "at the tide"},    {"_GoBack", "at  on page"},
                                                     {"PAGE", "at .\nFirst "},    {"Alpha", "First shared"},
                                                     {"Beta", "shared words"},    {"TOC \\o \"1-3\"", "at Contents"},
                                                     {"REF _Ref1 \\h", "at  end Zeb"}};
    EXPECT_EQ(marks, wanted) << rtf;
    for (const char* name : {"_Ref1", "_GoBack", "Alpha", "Beta"}) {
        const std::string start = std::string("\\bkmkstart ") + name + "}";
        EXPECT_EQ(rtf.find(start), rtf.rfind(start)) << rtf;
    }

    const std::string flat = readFile(convertedByLibreOffice(path, "fodt"));
    for (const char* found : {"text:name=\"_Ref1\"", "text:bookmark-start text:name=\"Alpha\"",
                              "text:bookmark-end text:name=\"Beta\"", "<text:page-number", "text:ref-name=\"_Ref1\""})
        EXPECT_NE(flat.find(found), std::string::npos) << found << "\n" << flat;
}

// Word leaves its "_GoBack" bookmark between the letters of most files, and
// hidden text may split a word: find reads the words as the page shows them.
TEST_F(RichTextOtherProgramsFileWindowTest, findReadsAPhraseAcrossABookmarkOfAPlaceAndHiddenText)
{
    const std::string path = folder.path("goback.rtf");
    writeFile(path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Calibri;}}\n"
                    "\\pard\\plain\\f0\\fs22 The tide {\\*\\bkmkstart _GoBack}{\\*\\bkmkend _GoBack}table turns.\\par\n"
                    "\\pard\\plain\\f0\\fs22 Then the ti{\\v secret}de {\\b table} again; tide\\par\n"
                    "\\pard\\plain\\f0\\fs22 table.\\par\n}");
    open(path);
    if (HasFatalFailure())
        return;
    FindCommander& find = editor->editingTools().find();
    find.findOnPage(u"Tide Table");
    ASSERT_TRUE(waitFor([&] { return find.nTotalResults() == 2; })) << find.nTotalResults();
    for (const char* paragraph : {"0", "1"}) {
        EXPECT_EQ(run("(function(){var r=getSelection().getRangeAt(0);var p=document.getElementById('paragraph')"
                      ".children[" + std::string(paragraph) + "];return p.contains(r.startContainer)&&p.contains(r.endContainer)"
                      "?r.cloneContents().textContent.replace(/\\u2060/g,''):'elsewhere';})()"),
                  std::string(paragraph) == "0" ? "tide table" : "tisecretde table");
        find.nextprevResultsFindOnPage(SearchReplaceBar::kNextSegment);
    }
}

// LibreOffice's second list level stands 720 twips right of the first
// ("\\li1440" against "\\li720"): on the page too, not that far right of
// where the first level's list already starts.
TEST_F(RichTextOtherProgramsFileWindowTest, nestedItemsStandAtTheIndentTheFileGivesThem)
{
    const std::string path = openedCopyOf("libreoffice-nested-list.rtf", "nested.rtf");
    if (HasFatalFailure())
        return;
    // Where an item's words start, in page pixels, and its font size.
    auto left = [&](const std::string& words) {
        return floatValue(std::string_view(run(
            "(function(){var w=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT);"
            "while(w.nextNode()){var t=w.currentNode;var at=t.data.indexOf('" + words + "');if(at>=0){"
            "var r=document.createRange();r.setStart(t,at);r.setEnd(t,at+1);return r.getBoundingClientRect().left;}}"
            "return -1;})()")));
    };
    const double outer = left("Prepare");
    const double inner = left("Clear");
    ASSERT_GT(outer, 0);
    // 12 pt text is 18 pixels high on the page: 36 pt are 54 pixels.
    ASSERT_EQ(run("getComputedStyle(document.querySelector('#content li')).fontSize"), "18px");
    EXPECT_NEAR(inner - outer, 54, 3);
    EXPECT_NEAR(left("Open") - outer, 54, 3);
    EXPECT_NEAR(left("Start"), outer, 1);
}

// A new item made with Return inside a list whose markers have words of
// their own shows its marker at once, and the items after it are numbered
// on: on the page, in the saved file, and for LibreOffice. The words of the
// items after it never become their text.
TEST_F(RichTextOtherProgramsFileWindowTest, aNewItemInAListOfMarkerWordsIsNumberedAtOnce)
{
    Result<Data> fixtureData = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf/word-numbering.rtf");
    ASSERT_TRUE(fixtureData.ok());
    const std::string path = folder.path("numbering.rtf");
    writeFile(path, fixtureData->toString());
    open(path);
    if (HasFatalFailure())
        return;
    auto returnAfter = [&](const std::string& words, const std::string& typed) {
        caretAfter(words);
        press(GDK_KEY_Return);
        type(typed);
        ASSERT_TRUE(waitFor([&] {
            return run("document.getElementById('content').textContent").find(typed) != std::string::npos;
        })) << "the keys did not reach the page";
    };
    // The page's items, one a line, with their markers as the page shows them.
    auto items = [&] {
        return run("Array.prototype.map.call(document.querySelectorAll('#content li'),function(li){"
                   "return li.textContent.replace(/\uFEFF/g,'').replace(/\u00A0/g,' ');}).join('|')");
    };
    returnAfter("The garden", "River");
    returnAfter("Spring planting", "Rain");
    if (HasFatalFailure())
        return;
    const std::string expected = "一、 Spring planting|二、 Rain|三、 Summer harvest|"
                                 "① Dig	beds	3|② Sow	seeds	5|CH I The garden|CH II River|CH III The orchard";
    EXPECT_TRUE(waitFor([&] { return items() == expected; })) << items();
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    const std::u16string saved = autosaved->read.text.string();
    // Markers stand apart from the items' text, which holds no marker words.
    for (std::u16string_view text : {u"River", u"The orchard", u"Rain", u"Summer harvest"}) {
        const std::size_t at = saved.find(text);
        ASSERT_NE(at, std::u16string::npos) << toUtf8(text) << "\n" << rtf;
        EXPECT_TRUE(at == 0 || saved[at - 1] == u'\uFEFF' || saved[at - 1] == u'\n') << toUtf8(text) << "\n" << rtf;
    }
    EXPECT_EQ(saved.find(u"CH "), std::u16string::npos) << rtf;

    const std::string shown = textByLibreOffice(path);
    for (const char* line : {"一、 Spring planting", "二、 Rain", "三、 Summer harvest",
                             "CH I The garden", "CH II River", "CH III The orchard"})
        EXPECT_NE(shown.find(line), std::string::npos) << line << " in\n" << shown;
}

// The page numbers the items it makes as the program numbers them, in
// every numbering a word processor's list can have, so that a save takes
// the page's words for the item's marker and not for its text.
TEST_F(RichTextOtherProgramsFileWindowTest, thePageNumbersNewItemsAsTheSaveDoes)
{
    // Word's formats: ordinal, Chinese counting, ideographic digits, legal
    // traditional and simplified, stems, branches, circled, the four
    // katakana and both hangul, Japanese legal and Korean digits, Korean
    // counting, Hebrew and Arabic letters; then decimal, both romans, both
    // letters and leading zeros, which the level's type numbers.
    const std::vector<int> formats{5,  37, 44, 34, 38, 30, 31, 18, 20, 12, 21, 13, 24, 25, 16, 41,
                                   42, 43, 45, 47, 46, 48, 0,  1,  2,  3,  4,  22};
    std::string table = "{\\*\\listtable";
    std::string overrides = "{\\listoverridetable";
    std::string body;
    for (std::size_t k = 1; k <= formats.size(); ++k) {
        const std::string id = std::to_string(k);
        table += "{\\list\\listtemplateid" + id + "{\\listlevel\\levelnfc" + std::to_string(formats[k - 1]) +
            "\\levelstartat1{\\leveltext \\'03(\\'00);}{\\levelnumbers\\'02;}\\fi-360\\li720}\\listid" + id + "}";
        overrides += "{\\listoverride\\listid" + id + "\\listoverridecount0\\ls" + id + "}";
        body += "\\pard\\plain\\ls" + id + "\\ilvl0\\li720\\fi-360{\\listtext (1)\\tab}Item " + id + "\\par\n"
                "\\pard\\plain Between\\par\n";
    }
    const std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n" + table + "}\n" +
        overrides + "}\n" + body + "}";
    const std::string path = folder.path("formats.rtf");
    writeFile(path, rtf);
    constexpr int kItems = 23;
    std::string expected;
    const DKRTFReadResult read = this->read(rtf);
    for (std::size_t k = 1; k <= formats.size(); ++k) {
        const std::size_t at = read.text.string().find(toUtf16("Item " + std::to_string(k) + "\n"));
        ASSERT_NE(at, std::u16string::npos) << k;
        const auto* lists = read.text.attributesAtIndex(at)->valueForKeyAs<ArrayValue>(TETextListsAttribute);
        const auto* style = lists && !lists->isEmpty() ? lists->elements().back()->as<TECSSListStyle>() : nullptr;
        ASSERT_TRUE(style && style->markerText()) << k;
        for (int n = 1; n <= kItems; ++n)
            expected += toUtf8(style->markerWithText(n).value_or(u"?")) + (n < kItems ? "|" : "\n");
    }

    open(path);
    if (HasFatalFailure())
        return;
    // Items the page makes, as Return makes them: the last item's copy,
    // empty, followed by the edit's input.
    run("(function(){var lists=document.querySelectorAll('#content ol, #content ul');for(var i=0;i<lists.length;++i){"
        "for(var n=1;n<" + std::to_string(kItems) + ";++n){var item=lists[i].lastElementChild.cloneNode(false);"
        "item.appendChild(document.createElement('br'));lists[i].appendChild(item);}}"
        "document.getElementById('content').dispatchEvent(new InputEvent('input',{inputType:'insertParagraph',bubbles:true}));})()");
    const std::string shown = run(
        "Array.prototype.map.call(document.querySelectorAll('#content ol, #content ul'),function(list){"
        "return Array.prototype.map.call(list.children,function(li){return li.textContent.replace(/[\\uFEFF]/g,'')"
        ".replace(/\\u00A0/g,' ').split(' ')[0];}).join('|');}).join('\\n')+'\\n'");
    const std::vector<std::string> shownLists = componentsSeparatedByString(std::string_view(shown), "\n");
    const std::vector<std::string> expectedLists = componentsSeparatedByString(std::string_view(expected), "\n");
    ASSERT_EQ(shownLists.size(), expectedLists.size()) << shown;
    for (std::size_t k = 0; k < expectedLists.size(); ++k)
        EXPECT_EQ(shownLists[k], expectedLists[k]) << "format " << (k < formats.size() ? formats[k] : -1);
}

// Word's report in three sections, the middle one on landscape paper and the
// last in two columns: a word typed at the end and autosaved, and every
// section break stays at its paragraph with its page, for Folio and for
// LibreOffice, which prints the middle section's page across.
TEST_F(RichTextOtherProgramsFileWindowTest, everySectionsPageSurvivesTyping)
{
    const std::string path = folder.path("sections.rtf");
    writeFile(path, fixture("word-two-sections.rtf"));
    const std::optional<SavedFile> autosaved = typedAtTheEndAndAutosaved(path, " Zebra");
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    const DKRTFReadResult& saved = autosaved->read;
    auto breakAfter = [&](std::u16string_view words) {
        const std::u16string& text = saved.text.string();
        const std::size_t end = text.find(u'\n', text.find(words));
        AttributeDictionaryPtr attributes = end == std::u16string::npos ? nullptr : saved.text.attributesAtIndex(end);
        const auto* section = attributes ? attributes->valueForKeyAs<TESectionBreak>(TESectionBreakAttribute) : nullptr;
        return section ? toUtf8(section->attributeText()) : std::string("none");
    };
    EXPECT_EQ(breakAfter(u"Portrait pages"), "none") << rtf;
    EXPECT_EQ(breakAfter(u"The last line"),
              "next-page width=15840 height=12240 left=1080 right=1080 top=1800 bottom=1800 header=708 footer=708 "
              "column-gap=708 page-start=7 line-every=1 file-section=1 landscape pages-restart pages-upper-letter lines-each-page")
        << rtf;
    EXPECT_EQ(breakAfter(u"The wide table"), "continuous header=708 footer=708 columns=2 column-gap=720 line-every=10 "
                                             "line-distance=720 file-section=2 pages-lower-letter lines-continue")
        << rtf;
    EXPECT_NE(saved.text.string().find(u"same page. Zebra"), std::u16string::npos) << rtf;

    // Letter upright, then across, as the file had them.
    Result<std::shared_ptr<ReaderDocument>> pdf = PopplerReaderDocument::open(convertedByLibreOffice(path, "pdf"));
    ASSERT_TRUE(pdf.ok());
    ASSERT_GE((*pdf)->pageCount(), 2u);
    std::string pages;
    for (std::size_t page = 0; page < 2; ++page) {
        Result<Size> size = (*pdf)->pageSize(page);
        ASSERT_TRUE(size.ok());
        pages += formatShortest(std::round(size->width)) + "x" + formatShortest(std::round(size->height)) + " ";
    }
    EXPECT_EQ(pages, "612x792 792x612 ") << rtf;
}

// Return at the end of a section's last paragraph makes a new last
// paragraph, after which the section ends, as in word processors: the break
// moves on with the new paragraph and is not made twice, and an undo puts
// it back.
TEST_F(RichTextOtherProgramsFileWindowTest, aNewParagraphAtTheEndOfASectionTakesItsBreak)
{
    const std::string path = openedCopyOf("word-two-sections.rtf", "split.rtf");
    if (HasFatalFailure())
        return;
    caretAfter("portrait part.");
    const std::string opened = sectionEndsOnThePage();
    press(GDK_KEY_Return);
    ASSERT_TRUE(waitFor([&] { return paragraphsOnThePage() == "5"; })) << "the key did not reach the page";
    const std::string split = sectionEndsOnThePage();
    // Undone and redone, the Return takes the break back and moves it again.
    press(GDK_KEY_z, GDK_CONTROL_MASK);
    ASSERT_TRUE(waitFor([&] { return paragraphsOnThePage() == "4"; })) << "the undo did not reach the page";
    EXPECT_EQ(sectionEndsOnThePage(), opened);
    ASSERT_TRUE(test::pressKeys("ctrl+shift+z"));
    ASSERT_TRUE(waitFor([&] { return paragraphsOnThePage() == "5"; })) << "the redo did not reach the page";
    EXPECT_EQ(sectionEndsOnThePage(), split);
    type("Zebra");
    ASSERT_TRUE(waitFor([&] { return run("document.getElementById('content').textContent").find("Zebra") != std::string::npos; }))
        << "the keys did not reach the page";
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    EXPECT_EQ(sectionEnds(autosaved->read.text), "Portrait / The last / Zebra | The wide | Two colu / ") << rtf;
}

// A section's last paragraph copied and pasted at the end, and a paragraph
// pasted from another program that marks a section end: the text comes,
// the sections stay as they were, for Folio and in the saved file's words.
TEST_F(RichTextOtherProgramsFileWindowTest, aPastedSectionEndBringsNoNewSection)
{
    const std::string path = folder.path("paste.rtf");
    const std::string original = fixture("word-two-sections.rtf");
    writeFile(path, original);
    open(path);
    if (HasFatalFailure())
        return;
    Pasteboard::general().setItems({});
    selectFromTo("The last line", "The wide table");
    press(GDK_KEY_c, GDK_CONTROL_MASK);
    ASSERT_TRUE(waitFor([] { return Pasteboard::general().hasStrings(); })) << "the copy did not reach the pasteboard";
    const auto copied = Pasteboard::general().dataForPasteboardType(kPasteboardTypeHTML).value_or(std::vector<std::uint8_t>());
    ASSERT_NE(std::string(copied.begin(), copied.end()).find("data-section"), std::string::npos) << "the copy carries the break";
    pasteAtTheEnd();
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("The last line") == 2; })) << "the paste did not reach the page";

    const std::string foreign = "<p data-section=\"next-page width=16838 height=11906 landscape\">Foreign end</p><p>After it</p>";
    PasteboardItem item;
    item[kPasteboardTypeHTML] = std::vector<std::uint8_t>(foreign.begin(), foreign.end());
    item[kPasteboardTypeUTF8PlainText] = {'F'};
    Pasteboard::general().setItems({std::move(item)});
    pasteAtTheEnd();
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("After it") == 1; })) << "the paste did not reach the page";
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const auto& [rtf, saved] = *autosaved;
    EXPECT_EQ(sectWords(rtf), sectWords(original)) << rtf;
    EXPECT_EQ(sectionSettings(saved.text), sectionSettings(read(original).text)) << rtf;
    EXPECT_EQ(sectionEnds(saved.text),
              "Portrait / The last | The wide | Two colu / The last / Foreign  / After it /  / ") << rtf;
}

// A section's last paragraph cut and pasted at the end: the section it
// ended stays, now ended by the paragraph before it, also after an undo and
// a redo of the cut, and the pasted paragraph starts none.
TEST_F(RichTextOtherProgramsFileWindowTest, aCutSectionEndLeavesItsSectionBehind)
{
    const std::string path = folder.path("cut.rtf");
    const std::string original = fixture("word-two-sections.rtf");
    writeFile(path, original);
    open(path);
    if (HasFatalFailure())
        return;
    Pasteboard::general().setItems({});
    selectFromTo("The last line", "The wide table");
    const std::string opened = sectionEndsOnThePage();
    press(GDK_KEY_x, GDK_CONTROL_MASK);
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("The last line") == 0; })) << "the cut did not reach the page";
    const std::string cut = sectionEndsOnThePage();
    // Undone and redone, the cut takes its breaks with it.
    press(GDK_KEY_z, GDK_CONTROL_MASK);
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("The last line") == 1; })) << "the undo did not reach the page";
    EXPECT_EQ(sectionEndsOnThePage(), opened);
    ASSERT_TRUE(test::pressKeys("ctrl+shift+z"));
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("The last line") == 0; })) << "the redo did not reach the page";
    EXPECT_EQ(sectionEndsOnThePage(), cut);
    pasteAtTheEnd();
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("The last line") == 1; })) << "the paste did not reach the page";
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const auto& [rtf, saved] = *autosaved;
    EXPECT_EQ(sectWords(rtf), sectWords(original)) << rtf;
    EXPECT_EQ(sectionSettings(saved.text), sectionSettings(read(original).text)) << rtf;
    EXPECT_EQ(sectionEnds(saved.text), "Portrait | The wide | Two colu / The last /  / ") << rtf;
}

// Word's plan in three sections, each with its own header, the last two
// with title pages of their own: the end of the first section deleted with
// the Delete key joins its last paragraph to the middle section's only one.
// The joined paragraph ends the section before the last, which keeps its
// own paper and headers in the saved file and on paper; the middle
// section's go with its break. An undo brings the break back as it was.
TEST_F(RichTextOtherProgramsFileWindowTest, deletingASectionEndLeavesTheLaterSectionsTheirOwnHeaders)
{
    const std::string path = openedCopyOf("word-three-section-heads.rtf", "plan.rtf");
    if (HasFatalFailure())
        return;
    // Each section end's first words and the file's section its break was read as.
    auto breaksOnThePage = [&] {
        return run("[].map.call(document.querySelectorAll('#paragraph [data-section]'),function(e){return e.textContent"
                   ".slice(0,12)+' '+(e.getAttribute('data-section').match(/file-section=\\d+/)||['own'])[0]}).join(' | ')");
    };
    const std::string opened = breaksOnThePage();
    ASSERT_EQ(opened, "Opening part file-section=1 | Middle part  file-section=2");
    const std::string paragraphs = paragraphsOnThePage();
    caretAfter("Opening part last.");
    press(GDK_KEY_Delete);
    ASSERT_TRUE(waitFor([&] { return paragraphsOnThePage() != paragraphs; })) << "the key did not reach the page";
    const std::string joined = breaksOnThePage();
    EXPECT_EQ(joined, "Opening part file-section=2");
    EXPECT_EQ(occurrencesOnThePage("Opening part last.Middle part only."), 1);
    undo();
    ASSERT_TRUE(waitFor([&] { return paragraphsOnThePage() == paragraphs; })) << "the undo did not reach the page";
    EXPECT_EQ(breaksOnThePage(), opened);
    ASSERT_TRUE(test::pressKeys("ctrl+shift+z"));
    ASSERT_TRUE(waitFor([&] { return paragraphsOnThePage() != paragraphs; })) << "the redo did not reach the page";
    EXPECT_EQ(breaksOnThePage(), joined);

    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const auto& [rtf, saved] = *autosaved;
    EXPECT_EQ(sectionEnds(saved.text), "Opening  / Opening  | Closing  / ") << rtf;
    const TESectionBreak* closing = sectionAt(saved.text, saved.text.string().find(u"only.\n") + 5);
    ASSERT_TRUE(closing) << rtf;
    EXPECT_EQ(closing->settings().headerDistance, 1080) << rtf;
    EXPECT_TRUE(closing->settings().titlePage && closing->settings().restartsPageNumbers) << rtf;
    EXPECT_FALSE(closing->settings().landscape) << rtf;
    // Each header group's section and words, in the order of the file.
    const DKRTFHeaderFooterForms forms = DKRTFHeaderFooterForms::fromSerialized(
        saved.pageSettings.text(DKRTFPageSettings::kOtherHeaderFooterFormsKey).value_or(""));
    std::string heads;
    for (const DKRTFHeaderFooterForms::Group& group : forms.groups) {
        const std::optional<AttributedString> text = forms.textOf(group);
        heads += std::to_string(group.section) + " " + group.word + " " + (text ? toUtf8(visible(*text)) : "?") + "; ";
    }
    EXPECT_EQ(heads, "0 header Spring schedule; 1 header Autumn schedule; 1 headerf Autumn cover; ") << rtf;

    // On paper the last section's title page prints its own cover head.
    const std::string pdf = folder.path("plan.pdf");
    const std::string command = "FOLIO_HOME='" + folder.path("home") + "' '" FOLIO_BINARY_DIR "/folio' export '" + path +
        "' --format pdf --output '" + pdf + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const int pages = testing_support::pdfPageCount(pdf);
    ASSERT_EQ(pages, 3);
    for (int page = 1; page <= pages; ++page) {
        const std::string text = testing_support::pdfText(pdf, page);
        EXPECT_EQ(text.find("Autumn cover") != std::string::npos, text.find("Closing part first") != std::string::npos)
            << page << ": " << text;
        EXPECT_EQ(text.find("Summer"), std::string::npos) << page << ": " << text;
    }
}

// Backspace at the start of a section's last paragraph joins it to the one
// before, which then ends the section with its break; Delete at the end of
// a section's last paragraph joins the next section's first one to it, and
// the section ends where that one ended, without a break of its own. Each
// comes back as it was with an undo.
TEST_F(RichTextOtherProgramsFileWindowTest, joinedParagraphsEndWhereTheLastOfThemEnded)
{
    openedCopyOf("word-three-section-heads.rtf", "joins.rtf");
    if (HasFatalFailure())
        return;
    auto breaksOnThePage = [&] {
        return run("[].map.call(document.querySelectorAll('#paragraph [data-section]'),function(e){return e.textContent"
                   ".slice(0,20)+' '+(e.getAttribute('data-section').match(/file-section=\\d+/)||['own'])[0]}).join(' | ')");
    };
    const std::string opened = breaksOnThePage();
    const std::string paragraphs = paragraphsOnThePage();
    struct Join {
        std::string caretAfter;
        guint key;
        std::string breaks;
    };
    for (const Join& join : {Join{"Opening part first.", GDK_KEY_Delete,
                                  "Opening part first.O file-section=1 | Middle part only. file-section=2"},
                             Join{"Middle part only.", GDK_KEY_Delete, "Opening part last. file-section=1"}}) {
        SCOPED_TRACE(join.caretAfter);
        caretAfter(join.caretAfter);
        press(join.key);
        ASSERT_TRUE(waitFor([&] { return paragraphsOnThePage() != paragraphs; })) << "the key did not reach the page";
        EXPECT_EQ(breaksOnThePage(), join.breaks);
        undo();
        ASSERT_TRUE(waitFor([&] { return paragraphsOnThePage() == paragraphs; })) << "the undo did not reach the page";
        EXPECT_EQ(breaksOnThePage(), opened);
    }
    caretAfter("Opening part first.");
    press(GDK_KEY_Right);
    press(GDK_KEY_BackSpace);
    ASSERT_TRUE(waitFor([&] { return paragraphsOnThePage() != paragraphs; })) << "the key did not reach the page";
    EXPECT_EQ(breaksOnThePage(), "Opening part first.O file-section=1 | Middle part only. file-section=2");
}

// Word's line patterns on a paragraph and a run show as lines of the
// pattern colour over the fill, where a share of the same colours shows as
// the one colour they mix to; typed in and saved, the file keeps them.
TEST_F(RichTextOtherProgramsFileWindowTest, linePatternsShowTheirLines)
{
    const std::string path = folder.path("patterns.rtf");
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl\\f0 Times New Roman;}{\\colortbl;\\red255\\green0\\blue0;\\red255\\green255\\blue0;}"
                    "\\f0\\fs24\\pard\\bgdkhoriz\\cfpat1\\cbpat2 Lined\\par\\pard\\shading5000\\cfpat1\\cbpat2 Shared\\par"
                    "\\pard Plain {\\chshdng0\\chbgdkvert\\chcfpat1\\chcbpat2 run of lines} end\\par}");
    open(path);
    if (HasFatalFailure())
        return;
    GdkPixbuf* shot = nullptr;
    // The pattern's red and the fill's yellow found in the box of the first
    // element around the words, in page pixels, past its letters.
    auto colours = [&](const std::string& selector, const std::string& words) {
        std::istringstream box(run("(function(){var all=document.querySelectorAll('" + selector + "');"
                                   "for(var i=0;i<all.length;++i){if(all[i].textContent.indexOf('" + words + "')>=0){"
                                   "var b=all[i].getBoundingClientRect();return b.left+' '+b.top+' '+b.right+' '+b.bottom;}}"
                                   "return '';})()"));
        double left = 0, top = 0, right = 0, bottom = 0;
        box >> left >> top >> right >> bottom;
        std::set<std::string> found;
        for (double y = top + 1; y < bottom - 1; ++y)
            for (double x = left + 1; x < right - 1; ++x) {
                const Point at = test::pagePointInWindow(toplevel, pageWidget, {x, y});
                const unsigned pixel = test::pixelAt(shot, int(at.x), int(at.y));
                const unsigned red = pixel >> 16 & 0xFF, green = pixel >> 8 & 0xFF, blue = pixel & 0xFF;
                if (red > 0xF0 && green < 0x20 && blue < 0x20)
                    found.insert("red");
                else if (red > 0xF0 && green > 0xF0 && blue < 0x20)
                    found.insert("yellow");
                else if (red > 0xF0 && green > 0x70 && green < 0x90 && blue < 0x20)
                    found.insert("orange");
            }
        std::string names;
        for (const std::string& name : found)
            names += name + " ";
        return names;
    };
    // The page lays itself out again once its margins apply, and draws on
    // its own frame clock: the picture is taken once it shows the first.
    waitFor([&] {
        GtkPresenter::processPendingEvents();
        g_clear_object(&shot);
        shot = test::screenshotOfWindow(toplevel, test::screenshotPath("line-patterns"));
        return shot && colours("#paragraph > *", "Lined") == "red yellow "
            && colours("#paragraph > *", "Shared") == "orange "
            && colours("#paragraph span", "run of lines") == "red yellow ";
    });
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(colours("#paragraph > *", "Lined"), "red yellow ");
    EXPECT_EQ(colours("#paragraph > *", "Shared"), "orange ");
    EXPECT_EQ(colours("#paragraph span", "run of lines"), "red yellow ");
    g_object_unref(shot);

    typeAtTheEnd(" Zebra");
    if (HasFatalFailure())
        return;
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const auto& [rtf, saved] = *autosaved;
    EXPECT_EQ(effectsOf(saved.text, u"Lined"), "paragraph shading pattern=dkhoriz color=ff0000 fill=ffff00") << rtf;
    EXPECT_EQ(effectsOf(saved.text, u"run of lines"), "shading pattern=dkvert color=ff0000 fill=ffff00 shows 255,128,0") << rtf;
}

// A list that comes back after other paragraphs is Word's list still: the
// page numbers its later part on from the earlier one, and keeps doing so
// as items are added before it with Return and taken out with a deletion.
// The saved file gives the later item the marker Word shows, and
// LibreOffice numbers it the same.
TEST_F(RichTextOtherProgramsFileWindowTest, aListThatComesBackIsNumberedOnWhileEditing)
{
    const std::string word =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext \\'02\\'00.;}"
        "{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}}\n"
        "{\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 1.\\tab}First\\par\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 2.\\tab}Second\\par\n"
        "\\pard Between.\\par\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 3.\\tab}Third\\par\n"
        "\\pard Closing.\\par\n}";
    const std::string path = folder.path("comes-back.rtf");
    writeFile(path, word);
    open(path);
    if (HasFatalFailure())
        return;
    // The number the page draws before an item: its list's start and its place.
    auto numberOf = [&](const std::string& words) {
        return run("(function(){var items=document.querySelectorAll('#content li');for(var i=0;i<items.length;++i){"
                   "if(items[i].textContent.indexOf('" + words + "')<0)continue;var li=items[i];var n=li.parentElement.start;"
                   "for(var e=li.previousElementSibling;e;e=e.previousElementSibling)if(e.tagName==='LI')++n;return n;}"
                   "return -1;})()");
    };
    // Selects from the end of one text to the end of another.
    auto select = [&](const std::string& from, const std::string& to) {
        run("(function(){function end(words){var w=document.createTreeWalker(document.getElementById('content'),"
            "NodeFilter.SHOW_TEXT);while(w.nextNode()){var t=w.currentNode;var at=t.data.indexOf(words);"
            "if(at>=0)return [t,at+words.length];}}var a=end('" + from + "'),b=end('" + to + "');"
            "var r=document.createRange();r.setStart(a[0],a[1]);r.setEnd(b[0],b[1]);var s=getSelection();"
            "s.removeAllRanges();s.addRange(r);document.getElementById('content').focus();})()");
    };
    auto returnAfter = [&](const std::string& words, const std::string& typed) {
        select(words, words);
        press(GDK_KEY_Return);
        type(typed);
        ASSERT_TRUE(waitFor([&] {
            return run("document.getElementById('content').textContent").find(typed) != std::string::npos;
        })) << "the keys did not reach the page";
    };
    EXPECT_EQ(numberOf("Third"), "3");
    returnAfter("First", "Fresh");
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(waitFor([&] { return numberOf("Third") == "4"; })) << numberOf("Third");
    // The item "Second" taken out whole.
    select("Fresh", "Second");
    press(GDK_KEY_BackSpace);
    EXPECT_TRUE(waitFor([&] { return run("document.getElementById('content').textContent").find("Second") == std::string::npos; }));
    EXPECT_TRUE(waitFor([&] { return numberOf("Third") == "3"; })) << numberOf("Third");
    returnAfter("Fresh", "Newest");
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(waitFor([&] { return numberOf("Third") == "4"; })) << numberOf("Third");
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    EXPECT_NE(rtf.find("{\\listtext 4.\\tab }Third"), std::string::npos) << rtf;
    const DKRTFReadResult& saved = autosaved->read;
    // The list of the item's marker, just before its words.
    auto listOf = [&](std::u16string_view words) -> const AttributeValue* {
        const std::size_t at = saved.text.string().find(words);
        AttributeDictionaryPtr attributes =
            at == std::u16string::npos || at == 0 ? nullptr : saved.text.attributesAtIndex(at - 1);
        const auto* lists = attributes ? attributes->valueForKeyAs<ArrayValue>(TETextIsListAttribute) : nullptr;
        return lists && !lists->isEmpty() ? lists->elements().front().get() : nullptr;
    };
    ASSERT_NE(listOf(u"First"), nullptr) << rtf;
    EXPECT_EQ(listOf(u"Third"), listOf(u"First")) << rtf;
    const std::size_t between = saved.text.string().find(u"Between.");
    ASSERT_NE(between, std::u16string::npos) << rtf;
    EXPECT_FALSE(saved.text.attributesAtIndex(between)->containsKey(TETextIsListAttribute)) << rtf;

    const std::string shown = textByLibreOffice(path);
    for (const char* line : {"1. First", "2. Fresh", "3. Newest", "Between.", "4. Third"})
        EXPECT_NE(shown.find(line), std::string::npos) << line << " in\n" << shown;
}

// A word processor's list item hangs its marker at the file's first-line
// indent and starts its text at the file's left indent, where LibreOffice
// draws them: the text measured from a paragraph's at the margin at the
// page's scale (12 pt text is 18 pixels: 36 pt are 54), the marker's ink
// against that of the same number written at the first-line indent.
TEST_F(RichTextOtherProgramsFileWindowTest, anItemsMarkerAndTextStandAtTheFilesIndents)
{
    const std::string word =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext \\'02\\'00.;}"
        "{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}}\n"
        "{\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n"
        "\\pard\\f0\\fs24 Plain words at the margin.\\par\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 1.\\tab}First item\\par\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext 2.\\tab}Second item\\par\n"
        "\\pard\\li360 1. Written at the first-line indent\\par\n}";
    const std::string path = folder.path("indents.rtf");
    writeFile(path, word);
    open(path);
    if (HasFatalFailure())
        return;
    ASSERT_EQ(run("getComputedStyle(document.querySelector('#content li')).fontSize"), "18px");
    // The box of the first letter of the words, in page pixels.
    auto letter = [&](const std::string& words) {
        std::istringstream box(run(
            "(function(){var w=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT);"
            "while(w.nextNode()){var t=w.currentNode;var at=t.data.indexOf('" + words + "');if(at>=0){"
            "var r=document.createRange();r.setStart(t,at);r.setEnd(t,at+1);var b=r.getBoundingClientRect();"
            "return b.left+' '+b.top+' '+b.bottom;}}return '';})()"));
        double left = -1, top = 0, bottom = 0;
        box >> left >> top >> bottom;
        return std::array<double, 3>{left, top, bottom};
    };
    const auto margin = letter("Plain");
    const auto item = letter("First");
    ASSERT_GT(margin[0], 0);
    ASSERT_GT(item[2], item[1]);
    EXPECT_NEAR(item[0] - margin[0], 54, 3);
    // The marker is drawn, not a text of the page: its ink is found in a
    // picture of the window, on the item's line left of its text.
    GdkPixbuf* shot = nullptr;
    // The first inked column of a line from the margin on, in page pixels.
    auto firstInk = [&](const std::array<double, 3>& line, double end) {
        for (double x = margin[0]; x < end; ++x) {
            for (double y = line[1]; y < line[2]; ++y) {
                const Point at = test::pagePointInWindow(toplevel, pageWidget, {x, y});
                if ((test::pixelAt(shot, int(at.x), int(at.y)) & 0xFF) < 0x60)
                    return x;
            }
        }
        return -1.0;
    };
    const auto written = letter("1. Written");
    double marker = -1;
    double number = -1;
    // The page draws on its own frame clock: the picture is taken until it shows both.
    waitFor([&] {
        GtkPresenter::processPendingEvents();
        g_clear_object(&shot);
        shot = test::screenshotOfWindow(toplevel, test::screenshotPath("list-item-indents"));
        if (!shot)
            return false;
        marker = firstInk(item, item[0] - 1);
        number = firstInk(written, written[0] + 20);
        return marker >= 0 && number >= 0;
    });
    ASSERT_NE(shot, nullptr);
    g_object_unref(shot);
    ASSERT_GE(marker, 0) << "no marker drawn";
    ASSERT_GE(number, 0);
    EXPECT_NEAR(marker, number, 3);
}

// A list numbered in words of its own ("a)") hangs its words at the file's
// first-line indent and starts the item's text at the left indent, as
// LibreOffice draws it, for the items the file has and for one Return makes;
// the save still keeps the words apart from the text. At the page's scale
// 18 pt are 27 pixels and 36 pt are 54.
TEST_F(RichTextOtherProgramsFileWindowTest, markerWordsHangAtTheFirstLineIndent)
{
    const std::string word =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc4\\levelstartat1{\\leveltext \\'02\\'00);}"
        "{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}}\n"
        "{\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\n"
        "\\pard\\f0\\fs24 Plain words at the margin.\\par\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext a)\\tab}First item\\par\n"
        "\\pard\\ls1\\ilvl0\\li720\\fi-360{\\listtext b)\\tab}Second item\\par\n"
        "\\pard\\f0\\fs24 After the list.\\par\n}";
    const std::string path = folder.path("hanging.rtf");
    writeFile(path, word);
    open(path);
    if (HasFatalFailure())
        return;
    // The left edge of the first letter of some words on the page.
    auto leftOf = [&](const std::string& words) {
        const std::string left = run(
            "(function(){var w=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT);"
            "while(w.nextNode()){var t=w.currentNode;var at=t.data.indexOf('" + words + "');if(at>=0){"
            "var r=document.createRange();r.setStart(t,at);r.setEnd(t,at+1);"
            "return String(r.getBoundingClientRect().left);}}return '-1';})()");
        return std::atof(left.c_str());
    };
    const double margin = leftOf("Plain");
    ASSERT_GT(margin, 0);
    EXPECT_NEAR(leftOf("a)") - margin, 27, 3);
    EXPECT_NEAR(leftOf("First") - margin, 54, 3);
    EXPECT_NEAR(leftOf("b)") - margin, 27, 3);
    EXPECT_NEAR(leftOf("Second") - margin, 54, 3);

    // A new item made with Return at the end of the first.
    caretAfter("First item");
    press(GDK_KEY_Return);
    type("Between");
    ASSERT_TRUE(waitFor([&] { return leftOf("Between") > 0 && leftOf("c)") > 0; })) << run("document.getElementById('content').innerHTML");
    EXPECT_NEAR(leftOf("b)") - margin, 27, 3);
    EXPECT_NEAR(leftOf("Between") - margin, 54, 3);
    EXPECT_NEAR(leftOf("c)") - margin, 27, 3);
    EXPECT_NEAR(leftOf("Second") - margin, 54, 3);
    ASSERT_TRUE(autosave());
    const std::u16string saved = read(readFile(path)).text.string();
    for (std::u16string_view text : {u"First item", u"Between", u"Second item"}) {
        const std::size_t at = saved.find(text);
        ASSERT_NE(at, std::u16string::npos) << toUtf8(text) << "\n" << toUtf8(saved);
        EXPECT_TRUE(at == 0 || saved[at - 1] == u'\uFEFF' || saved[at - 1] == u'\n') << toUtf8(saved);
    }
    EXPECT_EQ(saved.find(u"a)"), std::u16string::npos) << toUtf8(saved);

    // Home and Backspace at the last item join it to the one before, its
    // text with it.
    run("(function(){var c=document.getElementById('content');var w=document.createTreeWalker(c,NodeFilter.SHOW_TEXT);"
        "while(w.nextNode()){var t=w.currentNode;var at=t.data.indexOf('Second');if(at>=0){"
        "var r=document.createRange();r.setStart(t,at+3);r.collapse(true);"
        "var s=getSelection();s.removeAllRanges();s.addRange(r);c.focus();return;}}})()");
    press(GDK_KEY_Home);
    press(GDK_KEY_BackSpace);
    ASSERT_TRUE(waitFor([&] { return run("document.querySelectorAll('#content li').length") == "2"; }));
    EXPECT_NE(run("document.getElementById('content').textContent").find("Second item"), std::string::npos);
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    EXPECT_NE(autosaved->read.text.string().find(u"Second item"), std::u16string::npos) << autosaved->rtf;
}

// Word's Shift+Return in a list item and in an indented paragraph with
// spacing around it shows as a new line inside its paragraph; Shift+Return
// typed on the page makes one too. Autosaved, each stays a line break
// ("\\line"), the paragraphs stay as many as they were, and LibreOffice shows
// the same lines, with no marker of its own for an item's second line.
TEST_F(RichTextOtherProgramsFileWindowTest, lineBreaksInsideParagraphsSurviveTyping)
{
    const std::string path = openedCopyOf("word-line-breaks.rtf", "line-breaks.rtf");
    if (HasFatalFailure())
        return;
    EXPECT_EQ(run("document.querySelectorAll('#content li').length"), "2");
    EXPECT_EQ(run("[].filter.call(document.querySelectorAll('#content li, #paragraph > div'),function(e){"
                  "return e.querySelector('br')&&/\\S/.test(e.textContent)}).length"), "3");
    caretAfter("Boots");
    press(GDK_KEY_Return, GDK_SHIFT_MASK);
    type("Socks");
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("Socks") == 1; })) << "the keys did not reach the page";
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    std::u16string saved = autosaved->read.text.string();
    std::erase(saved, u'\uFEFF');
    EXPECT_EQ(toUtf8(saved), "Packing list for the trip.\nWarm coat\u2028the grey one with a hood\nBoots\u2028Socks\n"
                             "Meet at the station\u2028at seven sharp.\nSee you there.\u2028\n") << rtf;
    std::size_t lineWords = 0;
    for (std::size_t at = rtf.find("\\line "); at != std::string::npos; at = rtf.find("\\line ", at + 1))
        ++lineWords;
    EXPECT_EQ(lineWords, 4u) << rtf;

    std::string shown = textByLibreOffice(path);
    for (const char* lines : {"\u2022 Warm coat\nthe grey one with a hood\n", "\u2022 Boots\nSocks\n",
                              "\nMeet at the station\nat seven sharp.\nSee you there.\n"})
        EXPECT_NE(shown.find(lines), std::string::npos) << lines << " in\n" << shown;
}

// Word's page break inside a paragraph ("text\page more"): the page draws it
// inside its one paragraph, and a word typed and autosaved leaves the
// paragraphs and the break as they were, for Folio and for LibreOffice.
TEST_F(RichTextOtherProgramsFileWindowTest, aPageBreakInsideAParagraphStaysThereThroughTyping)
{
    const std::string original = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                                 "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\n"
                                 "\\sectd\\pard\\f0\\fs24 Alpha opens the report.\\page Bravo follows it.\\par\n"
                                 "\\pard Charlie ends.\\par\n}";
    const std::string path = folder.path("inside-break.rtf");
    writeFile(path, original);
    const std::string before = folder.path("before.rtf");
    writeFile(before, original);
    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(paragraphsOnThePage(), "2");
    // The break is drawn between the words, which stand on lines of their own.
    EXPECT_EQ(run("(function(){var b=document.querySelector('#paragraph > * > .marquent-pagebreak');if(!b)return 'none';"
                  "function box(n){var r=document.createRange();r.selectNode(n);return r.getBoundingClientRect();}"
                  "var t=b.getBoundingClientRect();var a=box(b.previousSibling);var c=box(b.nextSibling);"
                  "return (a.bottom<=t.top+1&&t.bottom<=c.top+1&&t.height>0)?'between':'overlapping'})()"),
              "between");
    typeAtTheEnd(" Zebra");
    if (HasFatalFailure())
        return;
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    EXPECT_EQ(toUtf8(autosaved->read.text.string()), "Alpha opens the report.\fBravo follows it.\nCharlie ends. Zebra\n")
        << autosaved->rtf;

    // LibreOffice reads the same paragraphs, with the page break in the
    // same place, in the saved file as in the original.
    std::string expected = textByLibreOffice(before);
    expected.insert(expected.find("Charlie ends.") + 13, " Zebra");
    EXPECT_EQ(textByLibreOffice(path), expected);
    auto paragraphsAndBreaks = [&](const std::string& file) {
        const std::string odt = convertedByLibreOffice(file, "fodt");
        const std::string xml = readFile(odt);
        std::size_t paragraphs = 0;
        for (std::size_t at = xml.find("<text:p "); at != std::string::npos; at = xml.find("<text:p ", at + 1))
            ++paragraphs;
        std::size_t breaks = 0;
        for (std::size_t at = xml.find("fo:break-before=\"page\""); at != std::string::npos;
             at = xml.find("fo:break-before=\"page\"", at + 1))
            ++breaks;
        return std::to_string(paragraphs) + " paragraphs, " + std::to_string(breaks) + " page breaks";
    };
    EXPECT_EQ(paragraphsAndBreaks(path), paragraphsAndBreaks(before));
}

// A line drawn inside a paragraph's text, between its words and at its
// end: the page draws each inside its one paragraph, and a word typed at
// the end of the page with Ctrl+End, autosaved, stands after the last rule,
// where the caret was, in the paragraph's font, with the paragraphs and
// rules as they were; after a page break that ends a paragraph likewise.
TEST_F(RichTextOtherProgramsFileWindowTest, rulesInsideParagraphsStayThereThroughTyping)
{
    const std::string rule = "{\\*\\do\\dobxcolumn\\dobypara\\dodhgt\\dpline\\dpxsize9200\\dplinesolid\\dplinew30}";
    const std::string path = folder.path("inside-rule.rtf");
    writeFile(path, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                    "\\paperw12240\\paperh15840\\margl1440\\margr1440\\margt1440\\margb1440\n"
                    "\\pard\\f0\\fs24 Alpha opens the report." + rule + " Bravo follows it.\\par\n"
                    "\\pard Charlie ends." + rule + "\\par\n}");
    open(path);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(paragraphsOnThePage(), "2");
    // Each rule is a line across the column, below the words before it.
    EXPECT_EQ(run("[].map.call(document.querySelectorAll('#paragraph > * > .horizontal-rule'),function(r){"
                  "var b=document.createRange();b.selectNode(r.previousSibling);"
                  "var t=r.getBoundingClientRect();var a=b.getBoundingClientRect();"
                  "return (a.bottom<=t.top+1&&t.width>r.parentNode.getBoundingClientRect().width/2"
                  "&&getComputedStyle(r).borderTopWidth!=='0px')?'drawn':'not drawn'}).join(' ')"),
              "drawn drawn");
    press(GDK_KEY_End, GDK_CONTROL_MASK);
    type(" Zebra");
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("Zebra") == 1; })) << "the keys did not reach the page";
    // The word stands below the last rule, where the caret was drawn.
    EXPECT_EQ(run("(function(){var r=document.querySelectorAll('.horizontal-rule');r=r[r.length-1];"
                  "var w=document.createTreeWalker(document.getElementById('content'),NodeFilter.SHOW_TEXT),z=null;"
                  "while(w.nextNode())if(w.currentNode.data.indexOf('Zebra')>=0)z=w.currentNode;"
                  "var g=document.createRange();g.selectNodeContents(z);"
                  "return g.getBoundingClientRect().top>=r.getBoundingClientRect().bottom-1?'below':'above'})()"),
              "below");
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const AttributedString& saved = autosaved->read.text;
    EXPECT_EQ(toUtf8(saved.string()), "Alpha opens the report.\f Bravo follows it.\nCharlie ends.\f Zebra\n")
        << autosaved->rtf;
    for (std::size_t index = 0; index < saved.length(); ++index)
        EXPECT_EQ(saved.attributeAtIndex(TEHorizontalRuleStyleAttribute, index) != nullptr, saved.string()[index] == u'\f')
            << index << "\n" << autosaved->rtf;
    EXPECT_EQ(fontTableNames(autosaved->rtf), std::vector<std::string>{"Times New Roman"}) << autosaved->rtf;

    // So does a word typed after a page break that ends the last paragraph.
    const std::string breaking = folder.path("ending-break.rtf");
    writeFile(breaking, "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\n"
                        "\\pard\\f0\\fs24 Alpha opens.\\par\n\\pard Charlie ends.\\page\\par\n}");
    open(breaking);
    if (HasFatalFailure())
        return;
    press(GDK_KEY_End, GDK_CONTROL_MASK);
    type(" Zebra");
    ASSERT_TRUE(waitFor([&] { return occurrencesOnThePage("Zebra") == 1; })) << "the keys did not reach the page";
    const std::optional<SavedFile> broken = autosavedAndClosed(breaking);
    ASSERT_TRUE(broken);
    EXPECT_EQ(toUtf8(broken->read.text.string()), "Alpha opens.\nCharlie ends.\f Zebra\n") << broken->rtf;
    EXPECT_NE(broken->read.text.attributeAtIndex(TEPageBreakAttribute, 26), nullptr) << broken->rtf;
    EXPECT_EQ(fontTableNames(broken->rtf), std::vector<std::string>{"Times New Roman"}) << broken->rtf;
}

// Word puts its list items in the "List Paragraph" style. A word typed into
// an item and a new item made with Return, autosaved, every item keeps that
// style in the saved file, under the number the file gave it, and its
// numbering, for Folio and for LibreOffice; the paragraphs around the lists
// keep theirs, and a shaded item with lines around it keeps them to itself.
TEST_F(RichTextOtherProgramsFileWindowTest, wordsListParagraphStyleSurvivesTypingAndAReturn)
{
    const std::string path = openedCopyOf("word-list-paragraph.rtf", "list-paragraph.rtf");
    if (HasFatalFailure())
        return;
    caretAfter("Boots");
    type(" Zebra");
    press(GDK_KEY_Return);
    type("Gloves");
    ASSERT_TRUE(waitFor([&] {
        const std::string text = run("document.getElementById('content').textContent");
        return text.find("Boots Zebra") != std::string::npos && text.find("Gloves") != std::string::npos;
    })) << "the keys did not reach the page";
    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const std::string& rtf = autosaved->rtf;
    const AttributedString& saved = autosaved->read.text;
    auto styleOf = [&](std::u16string_view words) {
        const std::size_t at = saved.string().find(words);
        if (at == std::u16string::npos)
            return std::string("missing");
        const auto* name = saved.attributesAtIndex(at)->valueForKeyAs<StringValue>(TEParagraphStyleNameAttribute);
        return name ? toUtf8(name->value()) : std::string("none");
    };
    for (std::u16string_view item : {u"Warm coat", u"the grey one", u"Boots Zebra", u"Gloves", u"Lock the door",
                                     u"both locks", u"Leave the key"})
        EXPECT_EQ(styleOf(item), "List Paragraph") << toUtf8(item) << "\n" << rtf;
    EXPECT_EQ(styleOf(u"Packing"), "heading 1") << rtf;
    for (std::u16string_view text : {u"Take these along.", u"Then, in order:", u"See you there."})
        EXPECT_EQ(styleOf(text), "Normal") << toUtf8(text) << "\n" << rtf;
    // The last item's shading and lines stay its own.
    auto paragraphLooksOf = [&](std::u16string_view words) {
        AttributeDictionaryPtr attributes = attributesAtWords(saved, words);
        const auto* shading = attributes ? attributes->valueForKeyAs<StringValue>(TEParagraphShadingAttribute) : nullptr;
        const auto* borders = attributes ? attributes->valueForKeyAs<StringValue>(TEParagraphBordersAttribute) : nullptr;
        return (shading ? toUtf8(shading->value()) : "unshaded") + "; " + (borders ? toUtf8(borders->value()) : "no lines");
    };
    EXPECT_EQ(paragraphLooksOf(u"Leave the key"), "shading=2000 color=000000; top=s,10,20 bottom=s,10,20") << rtf;
    EXPECT_EQ(paragraphLooksOf(u"both locks"), "unshaded; no lines") << rtf;
    EXPECT_EQ(paragraphLooksOf(u"See you there."), "unshaded; no lines") << rtf;
    // Word finds a style by its number: the items say the number the
    // style sheet gives "List Paragraph", as the file did.
    EXPECT_NE(rtf.find("{\\s34"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find(" List Paragraph;}"), std::string::npos) << rtf;
    std::size_t itemStyles = 0;
    for (std::size_t at = rtf.find("\\s34\\plain"); at != std::string::npos; at = rtf.find("\\s34\\plain", at + 1))
        ++itemStyles;
    EXPECT_GE(itemStyles, 2u) << rtf;

    const std::string shown = textByLibreOffice(path);
    for (const char* lines : {"\u2022 Warm coat\n", "\u25E6 the grey one\n", "\u2022 Boots Zebra\n    \u2022 Gloves\n",
                              "1. Lock the door\n", "a. both locks\n", "2. Leave the key\n"})
        EXPECT_NE(shown.find(lines), std::string::npos) << lines << " in\n" << shown;
    // LibreOffice takes the items' style as Word's "List Paragraph" too.
    const std::string flat = readFile(convertedByLibreOffice(path, "fodt"));
    auto libreOfficeStyleOf = [&](const std::string& words) {
        const std::size_t text = flat.find(">" + words + "<");
        const std::size_t paragraph = text == std::string::npos ? text : flat.rfind("<text:p ", text);
        const std::size_t name = paragraph == std::string::npos ? paragraph : flat.find("text:style-name=\"", paragraph);
        if (name == std::string::npos)
            return std::string("missing");
        const std::size_t from = name + 17;
        const std::string automatic = flat.substr(from, flat.find('"', from) - from);
        const std::size_t style = flat.find("<style:style style:name=\"" + automatic + "\"");
        const std::size_t parent = style == std::string::npos ? style : flat.find("style:parent-style-name=\"", style);
        if (parent == std::string::npos || parent > flat.find('>', style))
            return automatic;
        return flat.substr(parent + 25, flat.find('"', parent + 25) - parent - 25);
    };
    for (const char* item : {"Warm coat", "the grey one", "Gloves", "Lock the door", "both locks", "Leave the key"})
        EXPECT_EQ(libreOfficeStyleOf(item), "List_20_Paragraph") << item;
    EXPECT_EQ(libreOfficeStyleOf("Then, in order:"), "Standard");
}

// Word spaces its list items only around the list: "List Paragraph" says its
// space after is left out between two paragraphs of the style. The page
// stands the items together as LibreOffice prints the file, keeping the
// space where the list ends; a word typed and a new item made with Return,
// autosaved, the same paragraphs say it in the saved file, the new item
// too, and LibreOffice still prints the items together.
TEST_F(RichTextOtherProgramsFileWindowTest, wordsContextualSpacingStandsListItemsTogether)
{
    const std::string original = folder.path("original.rtf");
    writeFile(original, fixture("word-list-paragraph.rtf"));
    const std::string path = openedCopyOf("word-list-paragraph.rtf", "contextual.rtf");
    if (HasFatalFailure())
        return;
    // How much of the space at the list's end stands between two items:
    // the step from an item to the next beyond the step into the nested
    // item (which no margin ever parts), over the step from the list's
    // last item to the paragraph after it, beyond the same.
    auto shareOfTheSpace = [](const std::map<std::string, double>& tops, const std::string& item,
                              const std::string& nextItem, const std::string& last, const std::string& after) {
        const double line = tops.at("grey") - tops.at("Warm");
        return (tops.at(nextItem) - tops.at(item) - line) / (tops.at(after) - tops.at(last) - line);
    };
    auto printedTops = [&](const std::string& file) {
        const std::string pdf = convertedByLibreOffice(file, "pdf");
        const std::string boxes = pdf + ".html";
        const std::string command = "pdftotext -bbox '" + pdf + "' '" + boxes + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        const std::string html = readFile(boxes);
        std::map<std::string, double> tops;
        for (std::size_t at = html.find("<word "); at != std::string::npos; at = html.find("<word ", at + 1)) {
            const std::size_t top = html.find("yMin=\"", at);
            const std::size_t word = html.find('>', at);
            const std::size_t end = html.find('<', word);
            if (top == std::string::npos || word == std::string::npos || end == std::string::npos)
                break;
            tops.emplace(html.substr(word + 1, end - word - 1), std::atof(html.c_str() + top + 6));
        }
        return tops;
    };
    auto topsOnThePage = [&](const std::vector<std::string>& words) {
        std::map<std::string, double> tops;
        for (const std::string& word : words)
            tops[word] = std::atof(run("(function(w){var k=document.createTreeWalker(document.getElementById('content'),"
                                       "NodeFilter.SHOW_TEXT);while(k.nextNode()){var t=k.currentNode;var at=t.data.indexOf(w);"
                                       "if(at>=0){var r=document.createRange();r.setStart(t,at);r.setEnd(t,at+w.length);"
                                       "return r.getBoundingClientRect().top;}}return NaN;})('" + word + "')").c_str());
        return tops;
    };
    const std::map<std::string, double> printed = printedTops(original);
    for (const char* word : {"Warm", "grey", "Boots", "Then,"})
        ASSERT_TRUE(printed.count(word)) << word;
    const double printedShare = shareOfTheSpace(printed, "grey", "Boots", "Boots", "Then,");
    std::map<std::string, double> page = topsOnThePage({"Warm", "grey", "Boots", "Then,"});
    EXPECT_NEAR(shareOfTheSpace(page, "grey", "Boots", "Boots", "Then,"), printedShare, 0.15);

    caretAfter("Boots");
    type(" Zebra");
    press(GDK_KEY_Return);
    type("Gloves");
    ASSERT_TRUE(waitFor([&] { return run("document.getElementById('content').textContent").find("Gloves") != std::string::npos; }))
        << "the keys did not reach the page";
    // The item made with Return stands against the one it came from.
    page = topsOnThePage({"Warm", "grey", "Boots", "Gloves", "Then,"});
    EXPECT_NEAR(shareOfTheSpace(page, "Boots", "Gloves", "Gloves", "Then,"), printedShare, 0.15);

    const std::optional<SavedFile> autosaved = autosavedAndClosed(path);
    ASSERT_TRUE(autosaved);
    const DKRTFReadResult before = read(fixture("word-list-paragraph.rtf"));
    auto contextual = [](const AttributedString& text, std::u16string_view words) {
        const auto* style = valueAtWords<ParagraphStyleValue>(text, words, kCTParagraphStyleAttributeName);
        return style ? std::string(style->style().contextualSpacing() ? "contextual" : "spaced") : std::string("missing");
    };
    for (std::u16string_view words : {u"Packing", u"Take these along.", u"Warm coat", u"the grey one", u"Then, in order:",
                                      u"Lock the door", u"both locks", u"Leave the key", u"See you there."})
        EXPECT_EQ(contextual(autosaved->read.text, words), contextual(before.text, words)) << toUtf8(words) << "\n" << autosaved->rtf;
    EXPECT_EQ(contextual(before.text, u"Warm coat"), "contextual");
    EXPECT_EQ(contextual(before.text, u"Then, in order:"), "spaced");
    EXPECT_EQ(contextual(autosaved->read.text, u"Boots Zebra"), "contextual") << autosaved->rtf;
    EXPECT_EQ(contextual(autosaved->read.text, u"Gloves"), "contextual") << autosaved->rtf;

    const std::map<std::string, double> printedAfter = printedTops(path);
    for (const char* word : {"Warm", "grey", "Gloves", "Then,"})
        ASSERT_TRUE(printedAfter.count(word)) << word << "\n" << autosaved->rtf;
    EXPECT_NEAR(shareOfTheSpace(printedAfter, "grey", "Boots", "Gloves", "Then,"), printedShare, 0.15) << autosaved->rtf;
}

// TextEdit's least and exact line heights, Word's right-set roman numbers
// and Chinese counting, the items of WordPad and LibreOffice lists and
// Google Docs' border words without a line, opened, typed into and
// autosaved: every paragraph says in the saved file what it said in the
// file, and Word's numbers stand right-set on the page, the items' text
// starting at one place.
TEST_F(RichTextOtherProgramsFileWindowTest, lineHeightsListNumbersAndBorderWordsSurviveTypingAndAutosave)
{
    for (const char* name : {"textedit-line-heights.rtf", "word-right-set-numbers.rtf", "wordpad-numbered-list.rtf",
                             "libreoffice-list-line-height.rtf", "googledocs-border-words.rtf"}) {
        const std::string path = folder.path(std::string("typed-") + name);
        writeFile(path, fixture(name));
        open(path);
        ASSERT_FALSE(HasFatalFailure()) << name;
        if (std::string(name) == "word-right-set-numbers.rtf") {
            // Where each right-set number ends and where its item's text starts.
            const std::string edges = run(
                "(function(){var o=[];document.querySelectorAll('[data-marker-align=right] > li').forEach(function(li){"
                "var box=li.querySelector('span[data-marker-words]');if(!box||!box.firstChild)return;var t=box.firstChild;"
                "var r=document.createRange();r.setStart(t,0);r.setEnd(t,t.data.replace(/\\s+$/,'').length);"
                "var n=box.nextSibling;while(n&&n.nodeType!==3)n=n.nextSibling;var s=document.createRange();"
                "s.setStart(n,n.data.search(/[A-Za-z]/));s.setEnd(n,n.data.search(/[A-Za-z]/)+1);"
                "o.push(Math.round(r.getBoundingClientRect().right)+' '+Math.round(s.getBoundingClientRect().left));});"
                "return o.join(',');})()");
            const std::vector<std::string> items = componentsSeparatedByString(edges, ",");
            ASSERT_EQ(items.size(), 2u) << edges;
            EXPECT_EQ(items[0], items[1]) << "the numbers end, and the texts start, at one place: " << edges;
        }
        typeAtTheEnd(" Zebra");
        ASSERT_FALSE(HasFatalFailure()) << name;
        const std::optional<SavedFile> saved = autosavedAndClosed(path);
        ASSERT_TRUE(saved) << name;
        const DKRTFReadResult before = read(fixture(name));
        // Each paragraph's first words, and the raised and lowered ones.
        std::vector<std::u16string> places{u"raised", u"lowered"};
        for (const std::u16string& line : componentsSeparatedByString(before.text.string(), u"\n"))
            places.push_back(line);
        for (const std::u16string& place : places) {
            std::u16string words = place;
            words.erase(0, words.find_first_not_of(u'\uFEFF'));
            words = words.substr(0, 10);
            if (words.empty() || words.find_first_not_of(u' ') == std::u16string::npos)
                continue;
            EXPECT_EQ(paragraphLooksAtWords(saved->read.text, words), paragraphLooksAtWords(before.text, words))
                << name << " " << toUtf8(words) << "\n" << saved->rtf;
        }
    }
}

// LibreOffice's report of frames placed on the page, one section a page,
// and TextEdit's readme whose picture beside it is not there: typed into
// and autosaved, each word stays on the page and at the place LibreOffice
// printed it, and the picture's reference stays in the file.
TEST_F(RichTextOtherProgramsFileWindowTest, framesSectionsAndMissingPicturesStayThroughTyping)
{
    struct Case {
        std::string name;
        std::string rtf;
        std::vector<std::string> words;
    };
    const std::vector<Case> cases = {
        {"report",
         "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\n"
         "\\landscape\\paperw16836\\paperh11904\\margl567\\margr397\\margt567\\margb284\\sectd\\sbknone\n"
         "{\\pard \\pvpg\\phpg\\posx2007\\posy597\\absw12870\\absh-900\\qc Heading\n\\par }\n\\page\\sect\n"
         "{\\pard \\pvpg\\phpg\\posxc\\posyc\\qr {\\b\\fs15 Middle}\n\\par }\n\\page\\sect\n"
         "{\\pard \\pvpg\\phpg\\posx13152\\posy612\\absw2984\\absh-210\\ql {\\b\\fs15 Corner}\n\\par }\n\\sect }",
         {"Heading", "Middle", "Corner"}},
        {"readme",
         "{\\rtf1\\ansi\\ansicpg1252\\cocoartf1038{\\fonttbl\\f0\\fswiss\\fcharset0 Helvetica;}\n"
         "\\pard\\f0\\fs24 \\cf0 {{\\NeXTGraphic Pasted Graphic.tiff \\width960 \\height960 \\noorient\n}\\'ac}\\\n"
         "Release notes\\\nLast line}",
         {"Release", "notes"}},
    };
    for (const Case& test : cases) {
        const std::string original = folder.path(test.name + "-as-written.rtf");
        const std::string path = folder.path(test.name + ".rtf");
        writeFile(original, test.rtf);
        writeFile(path, test.rtf);
        const std::optional<SavedFile> autosaved = typedAtTheEndAndAutosaved(path, " Zebra");
        ASSERT_TRUE(autosaved) << test.name;
        if (test.name == "readme")
            EXPECT_NE(autosaved->rtf.find("{{\\NeXTGraphic Pasted Graphic.tiff \\width960 \\height960"), std::string::npos)
                << autosaved->rtf;
        auto before = wordsPrintedByLibreOffice(original);
        auto after = wordsPrintedByLibreOffice(path);
        ASSERT_TRUE(after.count("Zebra")) << test.name << "\n" << autosaved->rtf;
        for (const std::string& word : test.words) {
            ASSERT_TRUE(before.count(word) && after.count(word)) << word;
            EXPECT_EQ(after[word].page, before[word].page) << word << "\n" << autosaved->rtf;
            EXPECT_NEAR(after[word].left, before[word].left, 0.5) << word << "\n" << autosaved->rtf;
            EXPECT_NEAR(after[word].top, before[word].top, 0.5) << word << "\n" << autosaved->rtf;
        }
    }
}

} // namespace
} // namespace folio

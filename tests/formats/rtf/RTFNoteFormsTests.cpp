#include "formats/rtf/DKRTFNoteForm.h"
#include "formats/rtf/DKRTFObjectReader.h"
#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/DKRTFWriter.h"
#include "engine/attachments/TEObjectTextAttachment.h"
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/MutableAttributedString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>
#include "support/LibreOfficeConverter.h"
#include "support/RequiredTool.h"

namespace folio {
namespace {

// A note as read: which it is, its text, and the font and size the group it
// was read from sets its first letter in ("own" for a note in Folio's form).
struct NoteSeen {
    std::string type;
    std::u16string text;
    std::string looks;
    friend bool operator==(const NoteSeen&, const NoteSeen&) = default;
};

std::ostream& operator<<(std::ostream& out, const NoteSeen& note)
{
    return out << note.type << " [" << toUtf8(note.text) << "] " << note.looks;
}

class RTFNoteFormsTests : public testing::Test {
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

    // What the document hands the writer of what the reader kept for it.
    static std::string written(const DKRTFReadResult& read, const AttributedString& text)
    {
        DKRTFDocumentSettings settings;
        settings.styleSheet = read.pageSettings.text(DKRTFPageSettings::kStyleSheetKey);
        settings.fontNames = read.pageSettings.text(DKRTFPageSettings::kFontNamesKey);
        Result<std::string> rtf = DKRTFWriter::writeDocument(text, settings);
        EXPECT_TRUE(rtf.ok());
        return rtf.ok() ? *rtf : std::string();
    }

    // The text as the editing page holds it and hands it back on save.
    static AttributedString throughThePage(const AttributedString& text)
    {
        TEHTMLWriterSettings settings;
        settings.fileName = "notes";
        std::optional<AttributedString> back = attributedStringWithHTMLData(toUtf8(htmlString(text, settings)));
        EXPECT_TRUE(back.has_value());
        return back ? *back : AttributedString();
    }

    static std::vector<std::pair<std::size_t, const TEObjectTextAttachment*>> noteAttachments(const AttributedString& text)
    {
        std::vector<std::pair<std::size_t, const TEObjectTextAttachment*>> notes;
        for (std::size_t at = 0; at < text.length(); ++at) {
            AttributeDictionaryPtr attributes = text.attributesAtIndex(at);
            const auto* note = attributes ? attributes->valueForKeyAs<TEObjectTextAttachment>(NSAttachmentAttributeName) : nullptr;
            if (note && (note->isFootnote() || note->isAnnotation()))
                notes.emplace_back(at, note);
        }
        return notes;
    }

    static std::vector<NoteSeen> notes(const AttributedString& text)
    {
        std::vector<NoteSeen> seen;
        for (const auto& [at, note] : noteAttachments(text)) {
            NoteSeen entry{note->isFootnote() ? "footnote" : "comment", *note->contentsString(), "own"};
            if (const std::u16string* kept = note->attributeForKey(TEObjectTextAttachment::kKeptFormKey)) {
                std::optional<DKRTFNoteForm> form = DKRTFNoteForm::fromSerialized(toUtf8(*kept));
                if (!form) {
                    entry.looks = "unreadable form";
                } else {
                    const DKRTFNoteForm::Looks looks = form->looksAtStart();
                    entry.looks = (looks.font && *looks.font < static_cast<int>(form->fonts().size())
                                       ? toUtf8(form->fonts()[static_cast<std::size_t>(*looks.font)])
                                       : std::string("no font"))
                        + " " + (looks.halfPoints ? std::to_string(*looks.halfPoints / 2.0).substr(0, 4) + " pt" : "no size");
                }
            }
            seen.push_back(std::move(entry));
        }
        return seen;
    }
};

const std::vector<std::string> kOtherProgramsFiles{"libreoffice-written.rtf", "libreoffice-styles-fonts.rtf",
                                                   "word-fields-comments.rtf", "word-letter-footer.rtf",
                                                   "libreoffice-fields-borders.rtf"};

// Word's and LibreOffice's notes are set in their own size and font: a save
// writes each back in the group it came in, straight from what was read and
// through the editing page, and again from that save.
TEST_F(RTFNoteFormsTests, otherProgramsNotesKeepTheirSizeFontAndTextThroughSaves)
{
    for (const std::string& name : kOtherProgramsFiles) {
        const DKRTFReadResult original = read(fixture(name));
        const std::vector<NoteSeen> before = notes(original.text);
        ASSERT_FALSE(before.empty()) << name;
        for (const NoteSeen& note : before)
            EXPECT_NE(note.looks, "own") << name << ": " << note;
        const std::string straight = written(original, original.text);
        EXPECT_EQ(notes(read(straight).text), before) << name << "\n" << straight;
        const std::string saved = written(original, throughThePage(original.text));
        const DKRTFReadResult again = read(saved);
        EXPECT_EQ(notes(again.text), before) << name << "\n" << saved;
        const std::string savedAgain = written(again, throughThePage(again.text));
        EXPECT_EQ(notes(read(savedAgain).text), before) << name << "\n" << savedAgain;
    }
    // The sizes the files set their notes in, as LibreOffice shows them.
    const std::vector<NoteSeen> styled = notes(read(fixture("libreoffice-styles-fonts.rtf")).text);
    ASSERT_EQ(styled.size(), 1u);
    EXPECT_EQ(styled[0].looks, "Liberation Serif 10.0 pt");
    for (const NoteSeen& note : notes(read(fixture("word-fields-comments.rtf")).text))
        EXPECT_TRUE(note.looks.ends_with("10.0 pt")) << note;
}

// A note edited in Folio loses the group's words but not its looks: the
// new text goes out in the font and size the note started with, and so
// stays through the saves after.
TEST_F(RTFNoteFormsTests, anEditedNoteKeepsTheFontAndSizeItStartedWith)
{
    for (const std::string& name : kOtherProgramsFiles) {
        const DKRTFReadResult original = read(fixture(name));
        MutableAttributedString edited(throughThePage(original.text));
        std::vector<NoteSeen> expected = notes(original.text);
        for (const auto& [at, note] : noteAttachments(edited)) {
            auto changed = std::make_shared<TEObjectTextAttachment>(*note);
            changed->setContents(u"Edited {note} \u00e9 " + *note->contentsString());
            ASSERT_TRUE(edited.addAttribute(NSAttachmentAttributeName, changed, Range{at, 1}).ok());
        }
        for (NoteSeen& note : expected)
            note.text = u"Edited {note} \u00e9 " + note.text;
        const std::string saved = written(original, edited);
        const DKRTFReadResult again = read(saved);
        EXPECT_EQ(notes(again.text), expected) << name << "\n" << saved;
        const std::string savedAgain = written(again, throughThePage(again.text));
        EXPECT_EQ(notes(read(savedAgain).text), expected) << name << "\n" << savedAgain;
    }
}

// Folio's own notes keep the plain form they have, and the files written
// before, with a blank after the note's mark and the picture, read as
// they always did: that blank was the form's, not the text's.
TEST_F(RTFNoteFormsTests, folioNotesKeepTheirFormAndEarlierFilesReadTheSame)
{
    const DKRTFReadResult earlier = read(fixture("notes.rtf"));
    const std::vector<NoteSeen> expected{{"footnote", u"The note says a{b}.", "own"}, {"comment", u"Check this", "own"}};
    EXPECT_EQ(notes(earlier.text), expected);
    const std::string saved = written(earlier, throughThePage(earlier.text));
    EXPECT_EQ(saved.find("{\\chftn} "), std::string::npos) << saved;
    EXPECT_EQ(saved.find("{\\*\\atnref} "), std::string::npos) << saved;
    const DKRTFReadResult again = read(saved);
    EXPECT_EQ(notes(again.text), expected) << saved;
    // (The page ends the last paragraph.)
    std::u16string words = again.text.string();
    if (words.ends_with(u'\n') && !earlier.text.string().ends_with(u'\n'))
        words.pop_back();
    EXPECT_EQ(words, earlier.text.string()) << saved;

    // A picture of an earlier file owns the blank after it; in today's form
    // a blank after the picture is the text's own and stays.
    const std::string picture = "{{\\pict\\jpegblip\\wraptext0\\picw12\\pich12\\picwgoal15\\pichgoal15\nFFD8\n}";
    EXPECT_EQ(read("{\\rtf1 a" + picture + " }b}").text.string(), u"a\uFEFFb");
    EXPECT_EQ(read("{\\rtf1 a" + picture + "} b}").text.string(), u"a\uFEFF b");
    EXPECT_EQ(read("{\\rtf1 a" + picture + "}}").text.string(), u"a\uFEFF");
    // And a note whose text starts with a blank keeps it.
    EXPECT_EQ(notes(read("{\\rtf1 a{\\*\\footnote {\\chftn }  two}b}").text),
              (std::vector<NoteSeen>{{"footnote", u"  two", "own"}}));
}

// A kept group whose braces do not pair up (a damaged page, a damaged
// file) is never written back raw: the note goes out as plain text and
// the save stays a whole file.
TEST_F(RTFNoteFormsTests, aDamagedKeptGroupIsSavedAsPlainText)
{
    const DKRTFReadResult original = read(fixture("libreoffice-styles-fonts.rtf"));
    MutableAttributedString damaged(original.text);
    const auto found = noteAttachments(damaged);
    ASSERT_EQ(found.size(), 1u);
    auto note = std::make_shared<TEObjectTextAttachment>(*found[0].second);
    StringMapValue::Map attributes = note->attributes();
    std::u16string& form = attributes[TEObjectTextAttachment::kKeptFormKey];
    // Cut short: the group, and the last group inside it, never close.
    ASSERT_TRUE(form.ends_with(u"}}\n"));
    form.resize(form.size() - 2);
    note->setAttributes(std::move(attributes));
    ASSERT_TRUE(damaged.addAttribute(NSAttachmentAttributeName, note, Range{found[0].first, 1}).ok());
    const std::string saved = written(original, damaged);
    Result<DKRTFReadResult> again = DKRTFReader::read(toUtf16(saved));
    ASSERT_TRUE(again.ok());
    EXPECT_TRUE(again->warnings.empty()) << saved;
    const std::vector<NoteSeen> back = notes(again->text);
    ASSERT_EQ(back.size(), 1u) << saved;
    EXPECT_EQ(back[0].text, *found[0].second->contentsString()) << saved;
    EXPECT_NE(again->text.string().find(u"as the harbour master asked"), std::u16string::npos) << saved;
}

// LibreOffice reads Folio's notes, comments and pictures with no blank the
// text did not have.
TEST_F(RTFNoteFormsTests, libreOfficeReadsNoBlankBeforeANoteOrAfterAPicture)
{
    if (!test::LibreOfficeConverter::isInstalled())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui)");
    const char* home = std::getenv("FOLIO_HOME");
    const std::filesystem::path folder = std::filesystem::path(home ? home : "/tmp") / "rtf-note-forms";
    std::filesystem::create_directories(folder / "out");
    // Folio's own footnote and comment, and a picture between two words.
    std::string hex;
    const Data picture = DKRTFObjectReader::pictureFrame(Size{8, 8});
    for (std::uint8_t byte : picture.span())
        hex += formatInCLocale("%02x", static_cast<unsigned>(byte));
    const DKRTFReadResult document = read(
        "{\\rtf1\\ansi Text{\\*\\footnote {\\chftn} The note says a\\{b\\}.} and{{\\*\\atnid Ann}{\\*\\atnauthor Ann}"
        "\\chatn{\\*\\annotation {\\*\\atnref} Check this}} more.\\par Before{{\\pict\\pngblip\\wraptext0\\picw8\\pich8"
        "\\picwgoal120\\pichgoal120\n" + hex + "\n} }after\\par}");
    ASSERT_EQ(notes(document.text).size(), 2u);
    ASSERT_NE(document.text.string().find(u"Before\uFEFFafter"), std::u16string::npos);
    const std::filesystem::path file = folder / "folio-notes.rtf";
    ASSERT_TRUE(Data::fromString(written(document, document.text)).writeToFile(file.string()));
    const test::LibreOfficeConversion flat = test::LibreOfficeConverter::convert({file.string()}, "fodt", (folder / "out").string());
    ASSERT_TRUE(flat.succeeded()) << flat.failure;
    Result<Data> converted = Data::dataWithContentsOfFile(flat.outputs.front());
    ASSERT_TRUE(converted.ok());
    const std::string xml = converted->toString();
    // The words of the first element `name`: its spaces element is a blank,
    // a picture's frame and the XML's own line feeds and indents no word.
    auto wordsIn = [&xml](const std::string& name) {
        const std::size_t open = xml.find("<" + name);
        const std::size_t close = xml.find("</" + name + ">", open);
        if (open == std::string::npos || close == std::string::npos)
            return std::string("<no " + name + ">");
        std::string inside = xml.substr(open, close - open);
        inside = std::regex_replace(inside, std::regex("<draw:frame[\\s\\S]*?</draw:frame>|\n *"), "");
        inside = std::regex_replace(inside, std::regex("<text:s/>"), " ");
        return std::regex_replace(inside, std::regex("<[^>]*>"), "");
    };
    EXPECT_EQ(wordsIn("text:note-body"), "The note says a{b}.") << xml;
    const std::string comment = wordsIn("office:annotation");
    EXPECT_TRUE(comment.ends_with("Check this") && !comment.ends_with(" Check this")) << comment;
    EXPECT_NE(wordsIn("office:text").find("Beforeafter"), std::string::npos) << xml;
}

} // namespace
} // namespace folio

#pragma once

#include "platform/text/AttributeValue.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class Color;
class DKRTFDataBuffer;

// A document's "\stylesheet": its paragraph, character, section and table
// styles with their names, numbers and formatting, kept so that a file read
// and saved again still names each paragraph's style ("heading 1", "footnote
// text") and still defines every style it had.
//
// Formatting is kept as the entry's own control words, so that words Folio
// does not act on (outline levels, "\sbasedon", "\snext", table style words)
// go back as they came. Font and colour numbers in them are the sheet's own:
// the writer renumbers fonts and colours, so each entry names them through
// the sheet's small font and colour tables, and the writer maps those to its
// own when it writes the sheet.
class DKRTFStyleSheet {
public:
    struct Entry {
        // Other is a group of the sheet that is no style (Word's latent
        // style list), kept whole.
        enum class Kind { Paragraph, Character, Section, Table, Other };
        Kind kind = Kind::Paragraph;
        int number = 0;
        // Written behind "\*", as character and table styles are.
        bool starred = false;
        // The entry's control words and groups between its number and its
        // name, with fonts and colours numbered in the sheet's tables; the
        // whole group's content for Other.
        std::string formatting;
        std::u16string name;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    // How an entry read from a file turns its text and references into the
    // sheet's terms.
    struct EntryReading {
        // Plain characters of the name as they stand in the file.
        std::function<std::u16string(std::string_view)> plainText;
        // "\'hh" bytes of the name, in the document's code page.
        std::function<std::u16string(std::string_view)> escapedBytes;
        // The sheet's number for the file's font or colour number; nothing
        // drops the word (a font the file's table does not hold).
        std::function<std::optional<int>(int)> font;
        std::function<std::optional<int>(int)> color;
    };

    // One "{...}" group of a "\stylesheet" (without its braces).
    static Entry readEntry(std::string_view group, const EntryReading& reading);

    void addEntry(Entry entry) { m_entries.push_back(std::move(entry)); }
    const std::vector<Entry>& entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.empty(); }

    // The sheet's number of a font name or colour, added at the end when new;
    // colour 0 stands for "no colour" (the automatic colour).
    int fontReference(const std::u16string& name);
    int colorReference(const std::shared_ptr<const ColorValue>& color);
    const std::vector<std::u16string>& fonts() const { return m_fonts; }
    // Index 0 is null, "no colour".
    const std::vector<std::shared_ptr<const ColorValue>>& colors() const { return m_colors; }

    // The paragraph style of the name: the entry of that very name, else
    // one whose name differs only in case ("Heading 1" is Word's "heading 1").
    std::optional<int> paragraphStyleNumber(std::u16string_view name) const;
    const std::u16string* paragraphStyleName(int number) const;
    // The character style of that very name.
    std::optional<int> characterStyleNumber(std::u16string_view name) const;
    // A paragraph style of a name the sheet lacks, numbered after every
    // style the sheet has, based on the default paragraph style; answers
    // its number.
    int addParagraphStyle(const std::u16string& name);

    // The sheet as RTF that carries itself: its font and colour tables, then
    // the "\stylesheet" group. The form the document keeps it in while open.
    std::string serialized() const;
    // A sheet kept that way; nothing when the text holds no style.
    static std::optional<DKRTFStyleSheet> fromSerialized(std::string_view rtf);

    // "{\stylesheet ...}" with fonts and colours numbered as the writer's
    // tables number them.
    void write(DKRTFDataBuffer& buffer, const std::function<int(const std::u16string&)>& fontNumber,
               const std::function<int(const Color*)>& colorNumber) const;

    friend bool operator==(const DKRTFStyleSheet&, const DKRTFStyleSheet&);

    // The formatting with every font and colour reference put through the
    // maps; a reference a map answers nothing for is left out.
    static std::string renumbered(std::string_view formatting, const std::function<std::optional<int>(int)>& font,
                                  const std::function<std::optional<int>(int)>& color);

private:
    void writeGroup(DKRTFDataBuffer& buffer, const std::function<std::optional<int>(int)>& font,
                    const std::function<std::optional<int>(int)>& color) const;

    std::vector<Entry> m_entries;
    std::vector<std::u16string> m_fonts;
    std::vector<std::shared_ptr<const ColorValue>> m_colors{nullptr};
};

} // namespace folio

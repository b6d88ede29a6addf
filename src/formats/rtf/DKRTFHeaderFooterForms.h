#pragma once

#include "formats/rtf/DKRTFStyleSheet.h"
#include "platform/text/AttributedString.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class DKRTFDataBuffer;

// Every header and footer group another program wrote ("{\header ...}",
// "{\footerf ...}", in any section), kept whole: their paragraphs, styles,
// tabs, spacing and fields go back with a save even where Folio shows only
// one line of them. Fonts and colours are named through the value's own
// small tables, since the writer numbers its tables anew; the writer maps
// them to its own when it writes the groups.
class DKRTFHeaderFooterForms {
public:
    struct Group {
        // 0 for the document's first section, n for the one after the n-th
        // section break of the file it was read from: a later section's
        // headers stand after the break read as that section's, wherever
        // it stands now.
        int section = 0;
        // The destination word without its backslash: "header", "footerf"...
        std::string word;
        // What the group holds after its word, fonts and colours numbered
        // in the value's tables.
        std::string content;
        // The header or footer settings the document showed for this group
        // when it was read: while they are still the document's, the group
        // stands for them in the file; once edited, the settings do.
        std::optional<std::string> shownAs;
        // Those settings were the file's own, which the group only repeats
        // for other programs, not read from it.
        bool settingsAreOwn = false;
        friend bool operator==(const Group&, const Group&) = default;
    };

    // The first section's words about its headers: "\titlepg", "\facingp",
    // and a distance from the paper's edge ("\headery") that no header of
    // Folio's settings carries.
    std::string words;
    std::vector<Group> groups;

    // The value's number of a font name or colour, added when new; colour 0
    // is "no colour".
    int fontReference(const std::u16string& name) { return m_tables.fontReference(name); }
    int colorReference(const std::shared_ptr<const ColorValue>& color) { return m_tables.colorReference(color); }
    const std::vector<std::u16string>& fonts() const { return m_tables.fonts(); }
    const std::vector<std::shared_ptr<const ColorValue>>& colors() const { return m_tables.colors(); }

    bool isEmpty() const { return words.empty() && groups.empty(); }
    // Whether the group is a header (else a footer) and is the title page's.
    static bool isHeader(const Group& group) { return group.word.starts_with("header"); }
    static bool isFirstPage(const Group& group) { return group.word == "headerf" || group.word == "footerf"; }

    // The form the document keeps it in while open: the words, the font and
    // colour tables, then each group on a line of its own.
    std::string serialized() const;
    // A value kept that way. Text without tables (as documents opened by
    // earlier versions keep it) gives its groups without fonts or colours.
    static DKRTFHeaderFooterForms fromSerialized(std::string_view text);

    // "{\word content}" with fonts and colours numbered by the maps; a
    // reference a map answers nothing for is left out.
    std::string groupRTF(const Group& group, const std::function<std::optional<int>(int)>& font,
                         const std::function<std::optional<int>(int)>& color) const;
    // The group's text as read with the value's tables, with the page
    // number and count as the placeholders of Folio's headers.
    std::optional<AttributedString> textOf(const Group& group) const;
    // The settings the group shows as, read with the value's tables, at
    // `distanceTwips` from the paper's edge; nothing when it holds no words.
    std::optional<std::string> settingsOf(const Group& group, int distanceTwips) const;

private:
    // Only its font and colour tables are used.
    DKRTFStyleSheet m_tables;
};

} // namespace folio

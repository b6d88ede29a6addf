#pragma once

#include "formats/rtf/DKRTFHeaderFooterForms.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

// A footnote or comment group as another program wrote it: its paragraph
// style, fonts, sizes and colours, which Folio's note (plain text) does not
// hold. It goes back with a save for as long as the note says what it said
// when read; once the note is edited, its text goes back in the font and size
// the group started with.
//
// Fonts and colours are named through the form's own small tables, as kept
// headers and footers are, since every save numbers its tables anew; the
// value travels with the note (also through the editing page) as one string.
class DKRTFNoteForm {
public:
    // `shownAs` is the note's text as read from the group.
    explicit DKRTFNoteForm(const std::u16string& shownAs);
    // What the group holds after its destination word, fonts and colours
    // numbered in this form's tables.
    void setContent(std::string content) { m_kept.groups.front().content = std::move(content); }

    int fontReference(const std::u16string& name) { return m_kept.fontReference(name); }
    int colorReference(const std::shared_ptr<const ColorValue>& color) { return m_kept.colorReference(color); }
    const std::vector<std::u16string>& fonts() const { return m_kept.fonts(); }
    const std::vector<std::shared_ptr<const ColorValue>>& colors() const { return m_kept.colors(); }

    const std::string& content() const { return m_kept.groups.front().content; }
    // Whether a note saying `text` is still the one the group was read for.
    bool stillShows(std::u16string_view text) const;

    // The content with fonts and colours numbered by the maps (a reference a
    // map answers nothing for is left out).
    std::string contentRTF(const std::function<std::optional<int>(int)>& font,
                           const std::function<std::optional<int>(int)>& color) const;

    // The font (a number of the form's table) and size (half points) the
    // group's first letter is set in, where the group says.
    struct Looks {
        std::optional<int> font;
        std::optional<int> halfPoints;
    };
    Looks looksAtStart() const;

    std::string serialized() const { return m_kept.serialized(); }
    // Nothing for text that holds no group, or one whose braces do not pair
    // up (which would break the file it went into).
    static std::optional<DKRTFNoteForm> fromSerialized(std::string_view text);
    // Whether every brace of the content that is not escaped has its pair.
    static bool isBalanced(std::string_view content);

    // Whether a note group's content is in the form Folio writes its own
    // notes in: the note's mark or reference, then text with no word about
    // its looks. Such a note needs no form kept.
    static bool isOwnForm(std::string_view content);

private:
    explicit DKRTFNoteForm(DKRTFHeaderFooterForms kept) : m_kept(std::move(kept)) {}

    // One group, whose word is "note", kept with its tables and the text it
    // shows as.
    DKRTFHeaderFooterForms m_kept;
};

} // namespace folio

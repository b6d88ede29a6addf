#pragma once

#include <string>
#include <string_view>

namespace folio {

// Takes out of the rich-text page's body HTML what only the editor shows or
// needs, before the body leaves the editor.
class RichTextBodyCleaner {
public:
    RichTextBodyCleaner() = delete;

    // Removes the comment marks ("[", U+1F4AC, "]"), the zero-width and
    // object placeholders U+FEFF and U+FFFC and the opening of the old find
    // highlight; turns " &nbsp;" into two blanks; and turns back into an
    // ordinary space each no-break space the page made only to keep a typed
    // space visible.
    static std::string cleaned(std::string html);

    // A space typed at the end of a run ("bold" then a space) is kept by the
    // web engine as a no-break space, since an ordinary one would vanish
    // while the run ends the line. Once text follows in the next run, the
    // space no longer needs it: a no-break space at the edge of a run, with
    // a visible character on both sides across only inline tags, is made an
    // ordinary space. A no-break space inside a run ("10&nbsp;km") is never
    // made that way by typing, so it is the user's or the file's and stays.
    // The blank after a note (an <object>) is the note's own, kept as a
    // no-break space only while the caret needed it: it is made ordinary.
    // So is a space typed at the start of a line after a line break, once
    // text follows it.
    static std::string withTypedSpacesRestored(std::string_view html);
};

} // namespace folio

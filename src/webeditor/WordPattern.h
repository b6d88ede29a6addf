#pragma once

namespace folio {

// What the caret's word is when a double tap widens it: runs of ASCII letters
// and digits, "-", "_", the apostrophes and the Latin letters of European
// languages, joined by an apostrophe or hyphen, without regard to case.
struct WordPattern {
    // A page-script regular-expression literal, as the selection library's
    // word expansion takes it.
    static const char* const kWordRegex;
};

} // namespace folio

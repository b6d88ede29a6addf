#pragma once

#include <string>
#include <string_view>

namespace folio {

// Links inside a document point at its bookmarks by name ("#_Toc201"), but
// the exported page marks bookmarks only with their names ("data-bookmark").
// Each bookmark gets an element of its own at its start, with an id a reader
// and a validator accept (a name that is no valid id is given one, the same
// for its links), and the links are pointed at those ids.
class BookmarkTargets {
public:
    // What becomes of a link into the document whose target is nowhere in it.
    enum class Dangling { Keep, AsText };

    BookmarkTargets() = delete;

    // The page with its bookmarks made targets; the page itself, untouched,
    // where it has nothing to link.
    static std::string linked(std::string page, Dangling dangling);
    // The name itself when it is a valid XML id; otherwise it with every
    // character an id cannot hold written as "_" and its code in hex.
    static std::string validId(std::string_view name);
};

} // namespace folio

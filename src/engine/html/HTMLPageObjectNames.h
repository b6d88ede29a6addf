#pragma once

#include <string>
#include <string_view>

namespace folio {

// The names an element of a page's content could take from the page's own
// scripts. An image, form, embed, object or frame with a "name" (and an
// image or object with an "id") becomes a property of `document` that hides
// the document's own of that name, so that `<img name="getElementById">`
// leaves every later `document.getElementById(...)` calling an image; an
// element's "id" becomes a property of `window` wherever the window itself
// has none, which hides what the window inherits. Content that enters an
// editing page has these names renamed.
class HTMLPageObjectNames {
public:
    HTMLPageObjectNames() = delete;

    // Whether `name` is a property of a page's document (own or inherited)
    // or one that its window inherits: the names content must not take.
    static bool shadowsPageObject(std::string_view name);
    // The name content takes instead: no script identifier holds a "-", so
    // no property is reached by it.
    static std::string renamed(std::string_view name);
    // `name` renamed when it would shadow, else as it is; a renamed name
    // stays as it is.
    static std::string safeName(std::string_view name);
};

} // namespace folio

#pragma once

#include <string>

namespace folio {

class UserDefaults;

// The HTML the editor copies for pasting into mail and blogs: the converted
// text inside one "content" block that carries the user's margins,
// alignment, line height and first-line indent, so the pasted text keeps
// the editor's page layout.
std::u16string markdownContentBlockForHTML(const std::u16string& html, const UserDefaults& defaults);

} // namespace folio

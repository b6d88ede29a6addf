#pragma once

namespace folio {

// Makes the Markdown editor the one that Markdown, plain-text and TeX
// documents open in.
void registerMarkdownEditor();

} // namespace folio

#pragma once

namespace folio {

// Makes the Markdown converter the exports and copy-out use.
void registerMarkdownConverter();

} // namespace folio

#pragma once

#include "markdown/MDTextViewController.h"

namespace folio {

// Makes the Markdown editor the one that Markdown, plain-text and TeX
// documents open in; `preview` is what its preview item shows.
void registerMarkdownEditor(MDTextViewController::PreviewAction preview = {});

} // namespace folio

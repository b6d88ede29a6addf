#pragma once

namespace folio {

// How a tab of the text is kept visible: browsers collapse a bare tab.
enum class HTMLTabForm {
    // A span with an inline white-space style (fragments).
    InlineStyle,
    // A span of the class "Apple-tab-span" (documents, whose style block defines it).
    TabSpanClass,
};

// How the text of a body is finished as it is written (see finishBody), and
// what the finishing found.
struct HTMLBodyFinish {
    HTMLTabForm tabForm = HTMLTabForm::InlineStyle;
    bool convertSpaces = true;
    // An exported file's text: characters beyond ASCII as references.
    bool exported = false;
    // Whether a tab was written.
    bool sawTab = false;
};

} // namespace folio

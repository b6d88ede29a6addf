#pragma once

#include "webeditor/EditorToolCommands.h"

namespace folio {

class SelectionTransformer;
class StylePresetCommander;

// The tools, cursor and editing commands on the rich-text page: its own
// selection scripts and copy-out, its selection rewrites and its presets'
// style removal.
class RichTextToolCommands : public EditorToolCommands {
public:
    RichTextToolCommands(PageConnection& page, SelectionTransformer& transformer, StylePresetCommander& presets,
                         UserDefaults& defaults, Pasteboard& pasteboard, Host host);

    static Scripts pageScripts();
};

} // namespace folio

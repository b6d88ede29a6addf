#include "richtext/RichTextToolCommands.h"

#include "richtext/SelectionTransformer.h"
#include "richtext/StylePresetCommander.h"

namespace folio {

namespace {

EditorToolCommands::Host withRewrites(EditorToolCommands::Host host, SelectionTransformer& transformer,
                                      StylePresetCommander& presets)
{
    host.removeStyle = [&presets] { presets.removeStyle(); };
    host.selectionSortList = [&transformer] { transformer.selectionSortList(); };
    host.selectionToCase = [&transformer](const std::string& mode) { transformer.selectionToCase(mode); };
    return host;
}

} // namespace

RichTextToolCommands::RichTextToolCommands(PageConnection& page, SelectionTransformer& transformer,
                                           StylePresetCommander& presets, UserDefaults& defaults, Pasteboard& pasteboard,
                                           Host host)
    : EditorToolCommands(page, pageScripts(), defaults, pasteboard, withRewrites(std::move(host), transformer, presets))
{
}

EditorToolCommands::Scripts RichTextToolCommands::pageScripts()
{
    return Scripts{"selectAllOfDocument()",
                   "document.execCommand('unselect')",
                   "document.getElementById('content').innerHTML", "document.getElementById('content').innerText"};
}

} // namespace folio

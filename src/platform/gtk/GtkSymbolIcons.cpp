#include "platform/gtk/GtkSymbolIcons.h"

#include <map>

namespace folio {

std::string GtkSymbolIcons::iconNameForSymbol(const std::string& symbolName)
{
    static const std::map<std::string, std::string> kIcons{
        {"arrow.uturn.backward", "edit-undo-symbolic"},
        {"arrow.uturn.forward", "edit-redo-symbolic"},
        {"arrow.uturn.left", "edit-undo-symbolic"},
        {"AIAssistantPrompt", "starred-symbolic"},
        {"eye", "view-reveal-symbolic"},
        {"chevron.backward", "go-previous-symbolic"},
        {"chevron.forward", "go-next-symbolic"},
        {"chevron.up", "go-up-symbolic"},
        {"chevron.down", "go-down-symbolic"},
        {"square.and.arrow.up", "document-send-symbolic"},
        {"doc.badge.gearshape", "preferences-system-symbolic"},
        {"plus", "list-add-symbolic"},
        {"minus", "list-remove-symbolic"},
        {"paintbrush", "format-text-bold-symbolic"},
        {"magnifyingglass", "edit-find-symbolic"},
        {"xmark", "window-close-symbolic"},
        {"trash", "user-trash-symbolic"},
        {"text.alignleft", "format-justify-left-symbolic"},
        {"text.aligncenter", "format-justify-center-symbolic"},
        {"text.alignright", "format-justify-right-symbolic"},
        {"text.justify", "format-justify-fill-symbolic"},
        {"photo", "image-x-generic-symbolic"},
        {"speaker.wave.2", "audio-volume-high-symbolic"},
        {"keyboard", "input-keyboard-symbolic"},
        {"gearshape", "emblem-system-symbolic"},
        {"arrow.right.to.line", "format-indent-more-symbolic"},
        {"keyboard.chevron.compact.down", "input-keyboard-symbolic"},
        {"arrow.left", "go-previous-symbolic"},
        {"arrow.right", "go-next-symbolic"},
        {"arrow.up", "go-up-symbolic"},
        {"arrow.down", "go-down-symbolic"},
        {"delete.right", "edit-clear-symbolic"},
        {"info.circle", "dialog-information-symbolic"},
        {"arrow.up.doc.on.clipboard", "edit-copy-symbolic"},
        {"text.badge.xmark", "edit-clear-all-symbolic"},
        {"arrow.down.right.and.arrow.up.left", "view-restore-symbolic"},
    };
    auto it = kIcons.find(symbolName);
    return it == kIcons.end() ? std::string() : it->second;
}

} // namespace folio

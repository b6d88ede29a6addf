#include "qvtext/QVViewKeys.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/KeyCommand.h"
#include "qvtext/QVPageNavigator.h"
#include "qvtext/QVTextViewController.h"
#include "qvtext/QVTextZoom.h"
#include "qvtext/QVViewModes.h"

namespace folio {

std::vector<std::shared_ptr<KeyCommand>> QVViewKeys::keyCommands(EditorLookup editor)
{
    auto make = [editor](const std::string& input, unsigned modifiers, const char* title,
                         std::function<void(QVTextViewController&)> action) {
        return KeyCommand::make(input, modifiers, toUtf16(Localization::localizedString(title)),
                                [editor, action](KeyCommand&) {
                                    if (QVTextViewController* found = editor ? editor() : nullptr)
                                        action(*found);
                                });
    };
    auto zoomIn = [](QVTextViewController& found) { found.zoom().zoomIn(); };
    return {
        make("=", KeyModifierCommand, "Zoom In", zoomIn),
        make("+", KeyModifierCommand | KeyModifierShift, "Zoom In", zoomIn),
        make("-", KeyModifierCommand, "Zoom Out", [](QVTextViewController& found) { found.zoom().zoomOut(); }),
        make("0", KeyModifierCommand, "Normal Size", [](QVTextViewController& found) { found.zoom().zoomToNormalSize(); }),
        make(kKeyInputPageUp, KeyModifierNone, "Page Up", [](QVTextViewController& found) {
            found.pages().updateEditorScrollHeightAndOffset();
            found.pages().updatePageUpDownControl();
            found.pages().pageUpButton();
        }),
        make(kKeyInputPageDown, KeyModifierNone, "Page Down", [](QVTextViewController& found) {
            found.pages().updateEditorScrollHeightAndOffset();
            found.pages().updatePageUpDownControl();
            found.pages().pageDownButton();
        }),
        // The desktop's way out of full screen and typewriter mode, beside the button.
        make(kKeyInputEscape, KeyModifierNone, "Exit Full Screen", [](QVTextViewController& found) {
            QVViewModes& modes = found.viewModes();
            if (modes.isFullScreenDocumentMode() || modes.isTypewriterMode())
                modes.closeFullScreenDocumentMode();
        }),
    };
}

} // namespace folio

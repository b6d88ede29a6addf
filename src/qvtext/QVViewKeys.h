#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace folio {

class KeyCommand;
class QVTextViewController;

// The keys that reach the QV text editor's view commands on a keyboard:
// zoom in and out a step and back to normal size, and a page up or down.
class QVViewKeys {
public:
    using EditorLookup = std::function<QVTextViewController*()>;

    QVViewKeys() = delete;

    // Each command finds the editor when it runs, and does nothing once
    // the editor is gone.
    static std::vector<std::shared_ptr<KeyCommand>> keyCommands(EditorLookup editor);
};

} // namespace folio

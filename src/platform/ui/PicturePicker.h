#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

// Where the user picks a picture to insert: on the desktop a file chooser
// stands in for the photo library and the camera. A presenter installs the
// real chooser; without one no picture source is available. The chosen file
// is only a path: callers decode its bytes and never trust its name.
class PicturePicker {
public:
    // The path chosen, or none when the user cancelled.
    using Completion = std::function<void(std::optional<std::string> path)>;

    virtual ~PicturePicker() = default;
    // Asks once; the completion runs exactly once, on the main loop.
    virtual void pickPicture(const std::u16string& title, Completion completion) = 0;

    static PicturePicker* shared();
    static void setShared(std::shared_ptr<PicturePicker> picker);
    static bool isSourceAvailable() { return shared() != nullptr; }
};

} // namespace folio

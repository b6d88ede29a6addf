#pragma once

#include "platform/graphics/Geometry.h"
#include "platform/ui/MenuController.h"

#include <optional>
#include <string>
#include <vector>

namespace folio {

// How the outline places pictures, where it differs from the QV text editor:
// every picture is left uneditable in place, a sketch fills the page's width
// and keeps its drawing data, and an inserted picture is not selected.
class QVOutlinePictures {
public:
    static constexpr const char* kSelectedId = "imageSelected_555";

    // The picture in its own centred paragraph, between an empty one before
    // and an empty one aligned with the page's direction after. A sketch is
    // as wide as the page; a photo takes its display size.
    static std::string elementHTML(const std::string& base64JPEG, const std::optional<std::string>& sketch,
                                   Size displaySize, bool rightToLeft);
    // Inserts the element at the selection and brings it into view.
    static std::string insertionScript(const std::string& elementHTML);
    // Answers the selected picture's drawing data; empty when it has none
    // or no picture is selected.
    static std::string sketchDataScript();
    // Answers whether the selected picture carries drawing data.
    static std::string isSketchScript();
    // A cropped picture goes back in as a sketch only when it was one: a
    // photo without drawing data keeps its own size.
    static std::optional<std::string> sketchFromAnswer(const std::optional<std::string>& answer);

    // The image menu: "Edit" first, then crop and settings ahead of the
    // placement commands.
    static std::vector<MenuItem> imageMenuItems();
};

} // namespace folio

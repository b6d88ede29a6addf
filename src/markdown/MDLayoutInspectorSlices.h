#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace folio {

class DKInspectorSlice;
class UserDefaults;

// The slices of the Markdown editor's layout inspector, in the order they
// stack: zoom, font and size, alignment, text and paper colour, line spacing,
// first-line indent, page size and the four page margins. Apart from the
// zoom, which belongs to the document, each slice changes one of the
// editor's settings and then calls `settingsChanged`, so that the open text
// takes the new look at once.
class MDLayoutInspectorSlices {
public:
    // The settings the slices write, each read back by the text view's storage or by the exports.
    static constexpr const char* kFontKey = "markdownDefaultFont";
    static constexpr const char* kFontSizeKey = "markdownDefaultFontSize";
    static constexpr const char* kFontColorKey = "markdownDefaultFontColor";
    static constexpr const char* kBackgroundColorKey = "markdownDefaultBackgroundColor";
    static constexpr const char* kAlignmentKey = "markdownDefaultAlignment";
    static constexpr const char* kLineSpacingKey = "markdownDefaultLineSpacing";
    static constexpr const char* kFirstLineIndentKey = "markdownDefaultFirstLineIndent";

    MDLayoutInspectorSlices() = delete;

    static std::vector<std::shared_ptr<DKInspectorSlice>> make(UserDefaults& defaults, std::function<void()> settingsChanged);
};

} // namespace folio

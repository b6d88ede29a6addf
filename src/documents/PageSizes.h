#pragma once

#include "platform/graphics/Geometry.h"

#include <optional>
#include <span>
#include <string_view>

namespace folio {

class UserDefaults;

// One named paper size, defined in inches with two decimals.
struct PageSizeEntry {
    std::string_view name;
    float widthInches;
    float heightInches;

    // In points, computed in single precision as the printing code always
    // has, so that "A4" is 595.44006 x 841.67999 and every page size written
    // before keeps its exact value.
    Size points() const;
};

// The paper sizes that PDF output, printing and the page-size pickers name.
class PageSizes {
public:
    // The user default holding the chosen page size's name.
    static constexpr const char* kDefaultPageSizeKey = "defaultPageSize";
    // Letter, the size of an unknown name.
    static constexpr Size kFallbackSize{612, 792};

    PageSizes() = delete;

    // Every named size, in the order the pickers list them.
    static std::span<const PageSizeEntry> allPageSizes();
    // The size of the name (exact, case-sensitive); nothing for an unknown name.
    static std::optional<Size> sizeForName(std::string_view name);
    // The size of the name, or Letter for an unknown or missing name.
    static Size sizeFromPageSize(std::string_view name);
    // The size the user chose; `whenUnset` when no size is chosen. Readers
    // differ in what they do without a choice, hence the argument.
    static Size chosenPageSize(const UserDefaults& defaults, Size whenUnset);
};

} // namespace folio

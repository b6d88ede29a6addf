#include "documents/PageSizes.h"

#include "platform/foundation/UserDefaults.h"

#include <array>

namespace folio {

namespace {

constexpr float kPointsPerInch = 72.0f;

// Every landscape row is its portrait row turned. "Ledger" is the wide one and
// "Ledger Landscape" the tall one, the reverse of "Tabloid"; "Junior Legal" is
// wide as well.
constexpr std::array<PageSizeEntry, 65> kPageSizes{{
    {"Letter", 8.50f, 11.00f},
    {"Letter Landscape", 11.00f, 8.50f},
    {"Government Letter", 8.00f, 10.50f},
    {"Legal", 8.50f, 14.00f},
    {"Legal Landscape", 14.00f, 8.50f},
    {"Junior Legal", 8.50f, 5.00f},
    {"Junior Legal Landscape", 5.00f, 8.50f},
    {"DL Envelope", 4.33f, 8.67f},
    {"DL Envelope Landscape", 8.67f, 4.33f},
    {"Ledger", 17.00f, 11.00f},
    {"Ledger Landscape", 11.00f, 17.00f},
    {"Tabloid", 11.00f, 17.00f},
    {"Tabloid Landscape", 17.00f, 11.00f},
    {"A0", 33.11f, 46.81f},
    {"A1", 23.39f, 33.11f},
    {"A2", 16.54f, 23.39f},
    {"A3", 11.69f, 16.54f},
    {"A3 Landscape", 16.54f, 11.69f},
    {"A4", 8.27f, 11.69f},
    {"A4 Landscape", 11.69f, 8.27f},
    {"A5", 5.83f, 8.27f},
    {"A5 Landscape", 8.27f, 5.83f},
    {"A6", 4.13f, 5.83f},
    {"A7", 2.91f, 4.13f},
    {"A8", 2.05f, 2.91f},
    {"A9", 1.46f, 2.05f},
    {"A10", 1.02f, 1.46f},
    {"B0", 39.37f, 55.67f},
    {"B1", 27.83f, 39.37f},
    {"B2", 19.69f, 27.83f},
    {"B3", 13.90f, 19.69f},
    {"B4", 9.84f, 13.90f},
    {"B5", 6.93f, 9.84f},
    {"B6", 4.92f, 6.93f},
    {"B7", 3.46f, 4.92f},
    {"B8", 2.44f, 3.46f},
    {"B9", 1.73f, 2.44f},
    {"B10", 1.22f, 1.73f},
    {"C0", 36.10f, 51.06f},
    {"C1", 25.51f, 36.10f},
    {"C2", 18.03f, 25.51f},
    {"C3", 12.76f, 18.03f},
    {"C4", 9.02f, 12.76f},
    {"C5", 6.38f, 9.02f},
    {"C6", 4.49f, 6.38f},
    {"C7", 3.19f, 4.49f},
    {"C8", 2.24f, 3.19f},
    {"C9", 1.57f, 2.24f},
    {"C10", 1.10f, 1.57f},
    {"Japanese B0", 40.55f, 57.32f},
    {"Japanese B1", 28.66f, 40.55f},
    {"Japanese B2", 20.28f, 28.66f},
    {"Japanese B3", 14.33f, 20.28f},
    {"Japanese B3 Landscape", 20.28f, 14.33f},
    {"Japanese B4", 10.12f, 14.33f},
    {"Japanese B4 Landscape", 14.33f, 10.12f},
    {"Japanese B5", 7.17f, 10.12f},
    {"Japanese B5 Landscape", 10.12f, 7.17f},
    {"Japanese B6", 5.04f, 7.17f},
    {"Japanese B7", 3.58f, 5.04f},
    {"Japanese B8", 2.52f, 3.58f},
    {"Japanese B9", 1.77f, 2.52f},
    {"Japanese B10", 1.26f, 1.77f},
    {"Japanese B11", 0.87f, 1.26f},
    {"Japanese B12", 0.63f, 0.87f},
}};

} // namespace

Size PageSizeEntry::points() const
{
    // The product stays a float before it is widened; see the header.
    float width = widthInches * kPointsPerInch;
    float height = heightInches * kPointsPerInch;
    return Size{static_cast<double>(width), static_cast<double>(height)};
}

std::span<const PageSizeEntry> PageSizes::allPageSizes()
{
    return kPageSizes;
}

std::optional<Size> PageSizes::sizeForName(std::string_view name)
{
    for (const PageSizeEntry& entry : kPageSizes) {
        if (entry.name == name)
            return entry.points();
    }
    return std::nullopt;
}

Size PageSizes::sizeFromPageSize(std::string_view name)
{
    return sizeForName(name).value_or(kFallbackSize);
}

Size PageSizes::chosenPageSize(const UserDefaults& defaults, Size whenUnset)
{
    auto name = defaults.stringForKey(kDefaultPageSizeKey);
    return name ? sizeFromPageSize(*name) : whenUnset;
}

} // namespace folio

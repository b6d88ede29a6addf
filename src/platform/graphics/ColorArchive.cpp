#include "platform/graphics/ColorArchive.h"

#include <plist/plist.h>

#include <cstdio>
#include <memory>
#include <string>

namespace folio {

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};

std::optional<double> number(plist_t dictionary, const char* key)
{
    plist_t node = plist_dict_get_item(dictionary, key);
    if (!node)
        return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return value;
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return static_cast<double>(value);
    }
    default:
        return std::nullopt;
    }
}

// "NSRGB" and "NSWhite" hold the components as text ("1 0.5 0 1"), often
// with a trailing NUL.
std::optional<Color> colorFromComponentString(plist_t dictionary, const char* key, int expected)
{
    plist_t node = plist_dict_get_item(dictionary, key);
    if (!node || plist_get_node_type(node) != PLIST_DATA)
        return std::nullopt;
    uint64_t length = 0;
    const char* bytes = plist_get_data_ptr(node, &length);
    std::string text(bytes, static_cast<std::size_t>(length));
    double values[4] = {0, 0, 0, 1};
    int read = expected == 3 ? std::sscanf(text.c_str(), "%lf %lf %lf %lf", &values[0], &values[1], &values[2], &values[3])
                             : std::sscanf(text.c_str(), "%lf %lf", &values[0], &values[3]);
    if (read < expected)
        return std::nullopt;
    if (expected == 3)
        return Color::colorWithRed(values[0], values[1], values[2], values[3]);
    return Color::colorWithWhite(values[0], values[3]);
}

} // namespace

std::optional<Color> ColorArchive::colorFromData(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty() || bytes.size() > 1u << 20)
        return std::nullopt;
    plist_t rootNode = nullptr;
    plist_from_memory(reinterpret_cast<const char*>(bytes.data()), static_cast<uint32_t>(bytes.size()), &rootNode);
    std::unique_ptr<void, PlistDeleter> archive(rootNode);
    if (!rootNode || plist_get_node_type(rootNode) != PLIST_DICT)
        return std::nullopt;
    plist_t top = plist_dict_get_item(rootNode, "$top");
    plist_t objects = plist_dict_get_item(rootNode, "$objects");
    if (!top || !objects || plist_get_node_type(top) != PLIST_DICT || plist_get_node_type(objects) != PLIST_ARRAY)
        return std::nullopt;
    plist_t rootReference = plist_dict_get_item(top, "root");
    if (!rootReference || plist_get_node_type(rootReference) != PLIST_UID)
        return std::nullopt;
    uint64_t index = 0;
    plist_get_uid_val(rootReference, &index);
    if (index >= plist_array_get_size(objects))
        return std::nullopt;
    plist_t color = plist_array_get_item(objects, static_cast<uint32_t>(index));
    if (!color || plist_get_node_type(color) != PLIST_DICT)
        return std::nullopt;

    double alpha = number(color, "UIAlpha").value_or(1.0);
    auto red = number(color, "UIRed");
    auto green = number(color, "UIGreen");
    auto blue = number(color, "UIBlue");
    if (red && green && blue)
        return Color::colorWithRed(*red, *green, *blue, alpha);
    if (auto white = number(color, "UIWhite"))
        return Color::colorWithWhite(*white, alpha);
    if (auto rgb = colorFromComponentString(color, "NSRGB", 3))
        return rgb;
    return colorFromComponentString(color, "NSWhite", 1);
}

} // namespace folio

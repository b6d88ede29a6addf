#include "foundation/color/ColorNameCache.h"

#include "foundation/color/ColorExpanded.h"
#include "foundation/color/CrayonColorNames.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <random>

namespace folio {

namespace {

struct NamedColors {
    std::vector<std::string> names;
    std::map<std::string, Color, std::less<>> colors;
};

// Reads ",name#value" entries; a name without a readable value is skipped.
NamedColors populate(const std::string& listText)
{
    NamedColors cache;
    std::size_t comma = listText.find(',');
    while (comma != std::string::npos) {
        std::size_t hash = listText.find('#', comma);
        if (hash == std::string::npos)
            break;
        std::size_t next = listText.find(',', hash);
        std::string name = listText.substr(comma + 1, hash - comma - 1);
        std::string value = listText.substr(hash + 1, next == std::string::npos ? std::string::npos : next - hash - 1);
        char* end = nullptr;
        unsigned long hex = std::strtoul(value.c_str(), &end, 16);
        if (!value.empty() && end == value.c_str() + value.size() && !cache.colors.count(name)) {
            cache.names.push_back(name);
            cache.colors.emplace(name, colorWithRGBHex(static_cast<std::uint32_t>(hex)));
        }
        comma = next;
    }
    return cache;
}

const NamedColors& cssCache()
{
    static std::once_flag once;
    static NamedColors cache;
    std::call_once(once, [] { cache = populate(cssColorNameList()); });
    return cache;
}

const NamedColors& crayonCache()
{
    static std::once_flag once;
    static NamedColors cache;
    std::call_once(once, [] { cache = populate(crayonColorNameList()); });
    return cache;
}

std::optional<Color> lookUp(const NamedColors& cache, std::string_view name)
{
    auto found = cache.colors.find(name);
    if (found == cache.colors.end())
        return std::nullopt;
    return found->second;
}

Color randomEntry(const NamedColors& cache)
{
    static thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, cache.names.size() - 1);
    return cache.colors.at(cache.names[pick(generator)]);
}

} // namespace

std::optional<Color> ColorNameCache::colorWithName(std::string_view name) { return lookUp(cssCache(), name); }
std::optional<Color> ColorNameCache::crayonWithName(std::string_view name) { return lookUp(crayonCache(), name); }
std::vector<std::string> ColorNameCache::namedColors() { return cssCache().names; }
std::vector<std::string> ColorNameCache::namedCrayons() { return crayonCache().names; }
Color ColorNameCache::randomNamedColor() { return randomEntry(cssCache()); }
Color ColorNameCache::randomCrayolaColor() { return randomEntry(crayonCache()); }

std::optional<std::string> ColorNameCache::closestCrayonName(const Color& color)
{
    return closestColorNameFor(color, crayonColorNameList());
}

} // namespace folio

#include "foundation/files/TEPathUtilities.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/UUID.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <regex>

namespace folio {

namespace {

// The extension starts at the last dot of the last component, unless that dot
// begins the component (a hidden file has no extension).
std::size_t extensionStart(std::string_view path)
{
    std::size_t slash = path.rfind('/');
    std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot <= nameStart)
        return path.size();
    return dot;
}

const std::regex& sequenceNumberPattern()
{
    static const std::regex pattern(R"(\(([0-9]+)\)$)");
    return pattern;
}

} // namespace

const std::string& TEPathUtilities::cachesPath()
{
    static const std::string path = AppFolders::cachesFolder();
    return path;
}

const std::string& TEPathUtilities::documentsPath()
{
    static const std::string path = AppFolders::documentsFolder();
    return path;
}

const std::string& TEPathUtilities::temporaryPath()
{
    static const std::string path = AppFolders::temporaryFolder();
    return path;
}

std::string TEPathUtilities::pathForTemporaryFile()
{
    return temporaryPath() + "/" + makeUUIDString();
}

std::string TEPathUtilities::pathByIncrementingSequenceNumber(std::string_view path)
{
    std::size_t split = extensionStart(path);
    std::string stem(path.substr(0, split));
    std::string_view extension = path.substr(split);
    std::smatch match;
    unsigned long number = 0;
    if (std::regex_search(stem, match, sequenceNumberPattern())) {
        number = std::strtoul(match[1].str().c_str(), nullptr, 10);
        stem.erase(std::size_t(match.position(0)));
    }
    return stem + "(" + std::to_string(number + 1) + ")" + std::string(extension);
}

std::string TEPathUtilities::pathByDeletingSequenceNumber(std::string_view path)
{
    std::size_t split = extensionStart(path);
    std::string stem(path.substr(0, split));
    std::smatch match;
    if (!std::regex_search(stem, match, sequenceNumberPattern()))
        return std::string(path);
    return stem.substr(0, std::size_t(match.position(0))) + std::string(path.substr(split));
}

std::string stringByFormattingBytes(std::uint64_t bytes)
{
    static constexpr std::array<const char*, 5> kUnits = {"%1.0f Bytes", "%1.1f KB", "%1.1f MB", "%1.1f GB", "%1.1f TB"};
    // Tenths, so that one decimal survives the integer divisions.
    std::uint64_t tenths = bytes > UINT64_MAX / 10 ? UINT64_MAX : bytes * 10;
    std::size_t unit = 0;
    for (; unit < kUnits.size(); ++unit) {
        if (unit > 0)
            tenths /= 1024;
        if (tenths <= 9999)
            break;
    }
    unit = std::min(unit, kUnits.size() - 1);
    char text[64];
    std::snprintf(text, sizeof text, kUnits[unit], double(tenths) / 10.0);
    return text;
}

} // namespace folio

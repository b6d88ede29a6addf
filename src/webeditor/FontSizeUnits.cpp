#include "webeditor/FontSizeUnits.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace folio {

std::optional<double> FontSizeUnits::pointsFromAnswer(std::string_view answer)
{
    while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.front())))
        answer.remove_prefix(1);
    double value = 0;
    // from_chars reads in the C locale whatever the process's locale is.
    auto [end, problem] = std::from_chars(answer.data(), answer.data() + answer.size(), value);
    if (problem != std::errc() || !std::isfinite(value))
        return std::nullopt;
    std::string_view unit = answer.substr(static_cast<size_t>(end - answer.data()));
    while (!unit.empty() && std::isspace(static_cast<unsigned char>(unit.front())))
        unit.remove_prefix(1);
    if (unit.substr(0, 2) == "pt")
        return value;
    return pointsFromPixels(value);
}

std::optional<int> FontSizeUnits::wholePointsFromAnswer(std::string_view answer)
{
    std::optional<double> points = pointsFromAnswer(answer);
    if (!points)
        return std::nullopt;
    return static_cast<int>(std::lround(*points));
}

} // namespace folio

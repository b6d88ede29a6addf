#pragma once

#include <cstddef>
#include <string>

namespace folio {

// `filler` repeated and cut to `length` units, so that each length puts a
// different unit at each place of a block a search reads at once.
template<typename Unit>
std::basic_string<Unit> repeatedTo(const std::basic_string<Unit>& filler, std::size_t length)
{
    std::basic_string<Unit> text;
    text.reserve(length);
    for (std::size_t index = 0; index < length; ++index)
        text.push_back(filler[index % filler.size()]);
    return text;
}

inline std::string repeatedTo(const char* filler, std::size_t length)
{
    return repeatedTo(std::string(filler), length);
}

} // namespace folio

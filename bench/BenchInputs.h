#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#ifndef FOLIO_BENCH_INPUTS
#define FOLIO_BENCH_INPUTS ""
#endif

namespace folio::bench {

// The shared benchmark documents (doc-10k.md ... doc-1m.rtf): the folder
// FOLIO_BENCH_INPUTS names when it is set, else the one the build was
// configured with.
inline std::filesystem::path inputFolder()
{
    const char* variable = std::getenv("FOLIO_BENCH_INPUTS");
    return variable && *variable ? variable : FOLIO_BENCH_INPUTS;
}

inline std::string inputPath(const std::string& fileName)
{
    return (inputFolder() / fileName).string();
}

} // namespace folio::bench

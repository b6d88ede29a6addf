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

// LibreOffice's RTF with its body repeated: the header groups, then the body
// from the first top-level \pard to the document's closing brace, copies
// times. Empty when the document has no such body.
inline std::string repeatedRTF(const std::string& rtf, int copies)
{
    int depth = 0;
    std::size_t bodyStart = std::string::npos;
    for (std::size_t index = 0; index < rtf.size() && bodyStart == std::string::npos; ++index) {
        char c = rtf[index];
        if (c == '\\' && index + 1 < rtf.size() && (rtf[index + 1] == '{' || rtf[index + 1] == '}' || rtf[index + 1] == '\\'))
            ++index;
        else if (c == '{')
            ++depth;
        else if (c == '}')
            --depth;
        else if (depth == 1 && rtf.compare(index, 5, "\\pard") == 0)
            bodyStart = index;
    }
    std::size_t bodyEnd = rtf.rfind('}');
    if (bodyStart == std::string::npos || bodyEnd == std::string::npos || bodyEnd < bodyStart)
        return {};
    std::string body = rtf.substr(bodyStart, bodyEnd - bodyStart);
    std::string repeated = rtf.substr(0, bodyStart);
    for (int copy = 0; copy < copies; ++copy)
        repeated += body;
    return repeated + "}";
}

} // namespace folio::bench

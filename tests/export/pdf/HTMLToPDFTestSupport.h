#pragma once

#include "platform/graphics/PDFContext.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace folio::testing_support {

// What poppler's command-line tools read from a PDF: the checks go through
// tools independent of the code that wrote the file.
inline std::string commandOutput(const std::string& command)
{
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return output;
    char buffer[4096];
    while (std::size_t read = std::fread(buffer, 1, sizeof buffer, pipe.get()))
        output.append(buffer, read);
    return output;
}

inline std::string pdfText(const std::string& path, int page)
{
    return commandOutput("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " '"
                         + path + "' - 2>/dev/null");
}

inline int pdfPageCount(const std::string& path)
{
    std::smatch match;
    std::string info = commandOutput("pdfinfo '" + path + "' 2>/dev/null");
    if (std::regex_search(info, match, std::regex("Pages:\\s+(\\d+)")))
        return std::stoi(match[1]);
    return -1;
}

inline std::string pdfPageSize(const std::string& path)
{
    std::smatch match;
    std::string info = commandOutput("pdfinfo '" + path + "' 2>/dev/null");
    if (std::regex_search(info, match, std::regex("Page size:\\s+([0-9.]+ x [0-9.]+) pts")))
        return match[1];
    return {};
}

// One page's size as pdfinfo gives it ("842 x 595").
inline std::string pdfPageSize(const std::string& path, int page)
{
    std::smatch match;
    std::string info = commandOutput("pdfinfo -f " + std::to_string(page) + " -l " + std::to_string(page) + " '"
                                     + path + "' 2>/dev/null");
    std::regex size("Page\\s+" + std::to_string(page) + " size:\\s+([0-9.]+ x [0-9.]+) pts");
    if (std::regex_search(info, match, size))
        return match[1];
    return {};
}

struct PDFWord {
    std::string text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

// The words of one page with their boxes (points, origin top left).
inline std::vector<PDFWord> pdfWords(const std::string& path, int page)
{
    std::string html = commandOutput("pdftotext -bbox -f " + std::to_string(page) + " -l " + std::to_string(page)
                                     + " '" + path + "' - 2>/dev/null");
    std::vector<PDFWord> words;
    // A glyph that reaches above the page (an accent at the very top) gives
    // a negative coordinate.
    std::regex word("<word xMin=\"(-?[0-9.]+)\" yMin=\"(-?[0-9.]+)\" xMax=\"(-?[0-9.]+)\" yMax=\"(-?[0-9.]+)\">([^<]*)</word>");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it)
        words.push_back({(*it)[5], std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
    return words;
}

inline const PDFWord* findWord(const std::vector<PDFWord>& words, const std::string& text)
{
    for (const PDFWord& word : words)
        if (word.text == text)
            return &word;
    return nullptr;
}

// A PDF of `pages` pages of `size` with "Body<N>" written in the middle of
// each, standing in for what the web view prints.
inline void writePrintedPDF(const std::string& path, int pages, Size size)
{
    auto context = PDFContext::create();
    ASSERT_TRUE(context.ok());
    for (int page = 1; page <= pages; ++page) {
        GraphicsContext* graphics = (*context)->beginPage(size);
        ASSERT_NE(graphics, nullptr);
        cairo_t* cairo = graphics->cairoContext();
        cairo_select_font_face(cairo, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cairo, 14);
        cairo_move_to(cairo, 100, size.height / 2);
        cairo_show_text(cairo, ("Body" + std::to_string(page)).c_str());
        (*context)->endPage();
    }
    ASSERT_TRUE((*context)->closeToFile(path).ok());
}

} // namespace folio::testing_support

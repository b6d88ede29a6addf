#pragma once

#include "support/LibreOfficeConverter.h"
#include "support/RequiredTool.h"

#include "support/DocumentTestSupport.h"
#include "export/pdf/HTMLToPDFTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace folio::testing_support {

// RTF written by other word processors, exported by the real "folio" program
// as a user would, and looked at as a reader would: where the words stand on
// the page, which fonts set them, what the HTML and the text say. Where
// LibreOffice is installed, its PDF of the same file is the yardstick.
class ForeignRTFExport : public testing::Test {
protected:
    std::string document(const std::string& name, std::string_view rtf)
    {
        std::string path = m_folder.path(name + ".rtf");
        writeFile(path, rtf);
        return path;
    }

    // Folio's export of the document in the format; "" when it failed.
    std::string exported(const std::string& path, const std::string& format)
    {
        std::string output = path + "." + format;
        std::string command = "FOLIO_HOME='" + m_folder.path("home") + "' '" FOLIO_BINARY_DIR "/folio' export '" + path
            + "' --format " + format + " --output '" + output + "' >/dev/null 2>&1";
        int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
        return output;
    }

    // LibreOffice's PDF of the document; "" when LibreOffice is not installed.
    std::string reference(const std::string& path)
    {
        if (!folio::test::LibreOfficeConverter::isInstalled()) {
            folio::test::noReferenceFromTool("LibreOffice is not installed (libreoffice-writer-nogui)");
            return {};
        }
        const folio::test::LibreOfficeConversion pdf =
            folio::test::LibreOfficeConverter::convert({path}, "pdf", m_folder.path("reference"));
        if (!pdf.succeeded()) {
            folio::test::noReferenceFromTool(pdf.failure);
            return {};
        }
        return pdf.outputs.front();
    }

    // Page sizes as pdfinfo gives them ("842 x 595"), within a point.
    static bool samePaper(const std::string& a, const std::string& b)
    {
        double aWidth = 0, aHeight = 0, bWidth = 0, bHeight = 0;
        if (std::sscanf(a.c_str(), "%lf x %lf", &aWidth, &aHeight) != 2 ||
            std::sscanf(b.c_str(), "%lf x %lf", &bWidth, &bHeight) != 2)
            return false;
        return std::abs(aWidth - bWidth) < 1 && std::abs(aHeight - bHeight) < 1;
    }

    static std::size_t occurrences(const std::string& text, const std::string& part)
    {
        std::size_t found = 0;
        for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++found;
        return found;
    }

    static std::string fonts(const std::string& pdf) { return commandOutput("pdffonts '" + pdf + "' 2>/dev/null"); }

    // A word's box, or a failure that says which words there were.
    static PDFWord wordOn(const std::string& pdf, const std::string& text, int page = 1)
    {
        std::vector<PDFWord> words = pdfWords(pdf, page);
        if (const PDFWord* word = findWord(words, text))
            return *word;
        std::string all;
        for (const PDFWord& word : words)
            all += word.text + " ";
        ADD_FAILURE() << "no \"" << text << "\" on page " << page << " of " << pdf << ": " << all;
        return {};
    }

    ScratchFolder m_folder{"foreign-rtf-export"};
};

} // namespace folio::testing_support

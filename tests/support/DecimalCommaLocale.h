#pragma once

#include <clocale>
#include <locale>
#include <string>

namespace folio::test {

// Puts the process in a locale that writes "1,20" for as long as it lives:
// the C++ global locale always (with a decimal comma of its own), and the C
// locale where the machine has a German one installed.
class DecimalCommaLocale {
public:
    DecimalCommaLocale()
        : m_cxx(std::locale::global(std::locale(std::locale::classic(), new Comma)))
    {
        const char* current = std::setlocale(LC_NUMERIC, nullptr);
        m_c = current ? current : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
            if (std::setlocale(LC_NUMERIC, name))
                break;
        }
    }
    ~DecimalCommaLocale()
    {
        std::setlocale(LC_NUMERIC, m_c.c_str());
        std::locale::global(m_cxx);
    }
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

private:
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    std::locale m_cxx;
    std::string m_c;
};

} // namespace folio::test

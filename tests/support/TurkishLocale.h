#pragma once

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace folio::test {

// Puts the C library's character classes in a Turkish locale for as long as
// it lives: there "I" lowers to no "i", which is what case-blind checks of
// ASCII names must not depend on. Machines rarely have the locale installed,
// so it is compiled into a folder of its own; `active()` is false where that
// cannot be done.
class TurkishLocale {
public:
    TurkishLocale()
        : m_folder(std::filesystem::temp_directory_path() / ("folio-locale-" + std::to_string(getpid())))
    {
        const char* current = std::setlocale(LC_CTYPE, nullptr);
        m_previous = current ? current : "C";
        std::filesystem::create_directories(m_folder);
        std::string make = "localedef -i tr_TR -f UTF-8 '" + (m_folder / "tr_TR.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(make.c_str()) != 0)
            return;
        setenv("LOCPATH", m_folder.c_str(), 1);
        m_active = std::setlocale(LC_CTYPE, "tr_TR.UTF-8") && std::tolower('I') != 'i';
    }
    ~TurkishLocale()
    {
        std::setlocale(LC_CTYPE, m_previous.c_str());
        unsetenv("LOCPATH");
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    TurkishLocale(const TurkishLocale&) = delete;
    TurkishLocale& operator=(const TurkishLocale&) = delete;

    bool active() const { return m_active; }

private:
    std::filesystem::path m_folder;
    std::string m_previous;
    bool m_active = false;
};

} // namespace folio::test

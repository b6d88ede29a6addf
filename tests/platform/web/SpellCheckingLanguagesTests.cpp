#include "platform/text/SpellCheckingLanguages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

using Names = std::vector<std::string>;

TEST(SpellCheckingLanguagesTest, thePersonsLanguagesWithADictionaryElseEveryDictionaryInstalled)
{
    struct Case {
        Names locale;
        Names installed;
        Names chosen;
    };
    const Case cases[] = {
        {{"en_US.UTF-8", "en_US", "en.UTF-8", "en", "C"}, {"de_DE", "en_US"}, {"en_US"}},
        // A language of another country's dictionary rather than none.
        {{"en_GB.UTF-8", "en_GB", "en", "C"}, {"de_DE", "en_AU", "en_US"}, {"en_AU"}},
        {{"de_DE.UTF-8@euro", "de_DE", "en_US", "C"}, {"de_DE", "en_US"}, {"de_DE", "en_US"}},
        // The "C" locale, or a language with no dictionary: all of them.
        {{"C"}, {"de_DE", "en_US"}, {"de_DE", "en_US"}},
        {{"fr_FR.UTF-8", "fr", "C"}, {"en_US"}, {"en_US"}},
        {{"POSIX"}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.front());
        EXPECT_EQ(SpellCheckingLanguages::choose(c.locale, c.installed), c.chosen);
    }
}

} // namespace
} // namespace folio

#include "engine/html/writer/HTMLStyleCache.h"

#include "engine/model/TEAttributeKeys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

AttributeDictionaryPtr linkTo(const std::string& url)
{
    return AttributeDictionary::make({{std::string(TELinkAttribute), URLValue::make(url)}});
}

// Forms are found by the dictionary's address first: many dictionaries,
// more than there are places for addresses, asked for in turn and out of
// turn, each get the form of their own attributes, and equal attributes
// at another address share one form.
TEST(HTMLStyleCacheTests, everyDictionaryGetsTheFormOfItsOwnAttributes)
{
    HTMLStyleCache cache;
    std::vector<AttributeDictionaryPtr> dictionaries;
    for (int index = 0; index < 3000; ++index)
        dictionaries.push_back(linkTo("https://example.org/" + std::to_string(index)));
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t step = 0; step < dictionaries.size(); ++step) {
            // Every pass visits the dictionaries in another order.
            const std::size_t index = (step * (2 * pass + 1) + static_cast<std::size_t>(pass) * 7) % dictionaries.size();
            HTMLRunForm& form = cache.runForm(*dictionaries[index]);
            ASSERT_NE(form.link, nullptr);
            ASSERT_EQ(form.link->urlString(), "https://example.org/" + std::to_string(index)) << "pass " << pass;
        }
    }
    AttributeDictionaryPtr again = linkTo("https://example.org/5");
    ASSERT_NE(again.get(), dictionaries[5].get());
    EXPECT_EQ(&cache.runForm(*again), &cache.runForm(*dictionaries[5]));
    EXPECT_NE(&cache.runForm(*dictionaries[6]), &cache.runForm(*dictionaries[5]));
}

} // namespace
} // namespace folio

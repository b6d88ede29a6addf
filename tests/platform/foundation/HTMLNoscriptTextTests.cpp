#include "platform/foundation/HTMLNoscriptText.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

// A noscript element's content is escaped up to its first end tag, as a
// browser that runs scripts reads it; the same words elsewhere (in a
// comment, an attribute value, a style element) are no element and stay.
TEST(HTMLNoscriptText, contentUpToTheFirstEndTagIsTextWhereverItStands)
{
    struct Case {
        const char* html;
        std::optional<std::string> read;
    };
    const Case cases[] = {
        {"<p>No element</p>", std::nullopt},
        {"<NoScript><p title=\"</noscript><p>After</p>\">x</NOSCRIPT>",
         "<NoScript>&lt;p title=\"</noscript><p>After</p>\">x</NOSCRIPT>"},
        {"<noscript class='a>b'><style></noscript><p>After</p>",
         "<noscript class='a>b'>&lt;style></noscript><p>After</p>"},
        {"<noscript>a &amp; b", "<noscript>a &amp;amp; b"},
        {"<!-- <noscript> --><p title=\"<noscript>\">x</p><style>/*<noscript>*/</style>", std::nullopt},
        {"<script>'<noscript>'</script><noscript><b></noscript>", "<script>'<noscript>'</script><noscript>&lt;b></noscript>"},
        {"<noscripts><b>not one</b></noscripts>", std::nullopt},
    };
    for (const Case& each : cases)
        EXPECT_EQ(HTMLNoscriptText::withContentAsText(each.html), each.read) << each.html;
}

} // namespace
} // namespace folio

#include "platform/foundation/ResourceTemplate.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(ResourceTemplate, fillsEveryPlaceholderWithItsValueAsGiven)
{
    ResourceTemplate page("<p>{{greeting}}, {{name}}!</p><p>{{name}}</p>{", "page.html");
    Result<std::string> filled = page.filled({{"greeting", "Hello"}, {"name", "&lt;Ann&gt;"}});
    ASSERT_TRUE(filled.ok()) << filled.error().message;
    EXPECT_EQ(*filled, "<p>Hello, &lt;Ann&gt;!</p><p>&lt;Ann&gt;</p>{");
    // A value that looks like a placeholder is not filled again.
    EXPECT_EQ(*ResourceTemplate("{{a}}").filled({{"a", "{{a}}"}}), "{{a}}");
    EXPECT_EQ(*ResourceTemplate("no places").filled({}), "no places");
}

TEST(ResourceTemplate, aTemplateAndItsValuesThatDisagreeAreAnError)
{
    ResourceTemplate page("{{title}} {{body}}", "page.html");
    Result<std::string> missing = page.filled({{"title", "T"}});
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().message.find("{{body}}"), std::string::npos);
    Result<std::string> extra = page.filled({{"title", "T"}, {"body", "B"}, {"footer", "F"}});
    ASSERT_FALSE(extra.ok());
    EXPECT_NE(extra.error().message.find("{{footer}}"), std::string::npos);
    EXPECT_FALSE(ResourceTemplate::named("no-such-template.html", "pages").ok());
}

// The templates the program ships are found and fill without error.
TEST(ResourceTemplate, installedTemplatesLoad)
{
    Result<ResourceTemplate> poller = ResourceTemplate::named("ready-poller.js", "pages");
    ASSERT_TRUE(poller.ok()) << poller.error().message;
    EXPECT_NE(poller->text().find("x-twwebview://dom-loaded"), std::string::npos);
    Result<ResourceTemplate> outline = ResourceTemplate::named("outline-page.html", "seeds");
    ASSERT_TRUE(outline.ok()) << outline.error().message;
    EXPECT_TRUE(outline->filled({{"date", "Mar 5, 2024"}}).ok());
}

// Pages filled on every load read their template once; a file that is not
// installed stays an error rather than becoming an empty page.
TEST(ResourceTemplate, sharedTemplatesAreReadOnceAndKeepTheirErrors)
{
    const Result<ResourceTemplate>& first = ResourceTemplate::shared("ready-poller.js", "pages");
    ASSERT_TRUE(first.ok()) << first.error().message;
    EXPECT_EQ(first->text(), ResourceTemplate::named("ready-poller.js", "pages")->text());
    EXPECT_EQ(&ResourceTemplate::shared("ready-poller.js", "pages"), &first);
    EXPECT_NE(&ResourceTemplate::shared("ready-poller.js", "seeds"), &first) << "another folder, another file";

    // Element templates are filled in the middle of a line: the file's last
    // line break is not part of them.
    Result<ResourceTemplate> element = ResourceTemplate::named("script-element.html", "pages");
    ASSERT_TRUE(element.ok()) << element.error().message;
    EXPECT_EQ(*element->filled({{"src", "a.js"}}), "<script type='text/javascript' src='a.js'></script>");

    const Result<ResourceTemplate>& missing = ResourceTemplate::shared("no-such-page.html", "pages");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, ResourceTemplate::Missing);
    EXPECT_FALSE(ResourceTemplate::shared("no-such-page.html", "pages").ok());
}

} // namespace
} // namespace folio

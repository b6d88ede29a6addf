#include "platform/foundation/UserDefaults.h"
#include "qvtext/QVTextPageTemplate.h"
#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <regex>

namespace folio {
namespace {

using Template = QVTextPageTemplate;

// Blanks between tags and runs of blanks carry no meaning in the page.
std::string normalized(const std::string& html)
{
    std::string collapsed = std::regex_replace(html, std::regex("\\s+"), " ");
    return std::regex_replace(std::regex_replace(collapsed, std::regex("> "), ">"), std::regex(" <"), "<");
}

std::string installedTemplate()
{
    return testing_support::readFile(std::string(FOLIO_SOURCE_DIR) + "/resources/pages/qvtext.html");
}

Template::Page hostilePage()
{
    Template::Page page;
    page.tinymceURL = "file:///r/web/tinymce/tinymce.min.js?a=1&b='2'";
    page.helpersURL = "file:///r/pages/helpers.js";
    page.checklistURL = "file:///r/pages/checklist.js";
    page.rangyURL = "file:///r/web/rangy/lib/rangy-core.js";
    page.rangyTextRangeURL = "file:///r/web/rangy/lib/rangy-textrange.js?'";
    page.bootstrapURL = "file:///r/pages/qvtext.js";
    page.fontSize = 14;
    page.fontFamily = "Times \"New\" Roman</script>";
    page.fontRules = "@font-face     {font-family:'A B';src:url('myFont://ab.ttf');} ";
    page.language = "fr_FR";
    page.html = "<p>Caf\xC3\xA9 &amp; 100% </textarea><script>x()</script> {{text}}</p>";
    return page;
}

TEST(QVTextPageTemplateTest, filledPageMatchesTheHandWrittenPage)
{
    std::string page = *Template::fill(installedTemplate(), hostilePage());
    // The check-list boxes are checked on their own below.
    std::smatch checklist;
    ASSERT_TRUE(std::regex_search(page, checklist, std::regex("<style id='folioChecklistStyle'>[^<]*</style>")));
    std::string rest = checklist.prefix().str() + "CHECKLIST-STYLE" + checklist.suffix().str();
    std::string expected = testing_support::readFile(std::string(FOLIO_TEST_DATA_DIR) + "/qvtext/page-template.html");
    EXPECT_EQ(normalized(rest), normalized(expected));
}

// A template edited apart from the code gives no page, rather than a page
// with a place left open or a value left out.
TEST(QVTextPageTemplateTest, aTemplateThatNoLongerMatchesItsValuesIsAnError)
{
    std::string page = installedTemplate();
    Result<std::string> unknown = Template::fill(page + "{{author}}", Template::Page{});
    ASSERT_FALSE(unknown.ok());
    EXPECT_NE(unknown.error().message.find("{{author}}"), std::string::npos);
    std::string withoutText = std::regex_replace(page, std::regex("\\{\\{text\\}\\}"), "");
    Result<std::string> unused = Template::fill(withoutText, Template::Page{});
    ASSERT_FALSE(unused.ok());
    EXPECT_NE(unused.error().message.find("{{text}}"), std::string::npos);
}

TEST(QVTextPageTemplateTest, checkListBoxesAreDrawnForVisibleItemsOnly)
{
    std::string page = *Template::fill(installedTemplate(), Template::Page{});
    std::smatch style;
    ASSERT_TRUE(std::regex_search(page, style, std::regex("<style id='folioChecklistStyle'>([^<]*)</style>")));
    std::string css = style[1];
    EXPECT_NE(css.find(".tox-checklist > li:not(.tox-checklist--hidden) { list-style: none; margin: 0.25em 0; "
                       "position: relative; }"),
              std::string::npos);
    EXPECT_NE(css.find("cursor: pointer; height: 1em; margin-left: -1.5em; margin-top: 0.125em; position: absolute; "
                       "width: 1em; }"),
              std::string::npos);
    // The empty box is outlined in 4C4C4C, the ticked one filled with 4099FF
    // and marked in white; "%" reads as itself, the page has no format escapes.
    std::regex empty("li:not\\(.tox-checklist--hidden\\)::before \\{ content: url\\(\"data:image/svg\\+xml;[^\"]*"
                     "width%3D%2216%22%20height%3D%2216%22[^\"]*rx%3D%222%22[^\"]*stroke%3D%22%234C4C4C%22");
    std::regex checked("\\.tox-checklist--checked::before \\{ content: url\\(\"data:image/svg\\+xml;[^\"]*"
                       "fill%3D%22%234099FF%22[^\"]*stroke%3D%22%23FFFFFF%22");
    EXPECT_TRUE(std::regex_search(css, empty)) << css;
    EXPECT_TRUE(std::regex_search(css, checked)) << css;
    EXPECT_EQ(page.find("%%"), std::string::npos);
}

TEST(QVTextPageTemplateTest, languageAndBodyFont)
{
    for (auto [locale, code] : std::vector<std::pair<const char*, const char*>>{
             {"es_ES", "es"}, {"fr_CA", "fr_FR"}, {"it", "it"}, {"pt_PT", "pt_BR"}, {"zh_TW", "zh-Hans"},
             {"ar_EG", "ar"}, {"ru_RU", "ru"}, {"de_AT", "de"}, {"ja_JP", "ja"}, {"nl_NL", "en"},
             {"en_US_POSIX", "en"}, {"", "en"}})
        EXPECT_EQ(Template::languageCode(locale), code) << locale;

    testing_support::ScratchFolder folder{"qvtext-template"};
    UserDefaults defaults(folder.path("defaults.plist"));
    defaults.setString("defaultFont", "Georgia");
    defaults.setDouble("defaultFontSize", 17.9);
    Template::BodyFont font = Template::bodyFont(defaults, BlankDocument::No);
    EXPECT_EQ(font.family, "Helvetica") << "an opened document always starts in the standard font";
    EXPECT_EQ(font.size, 12);
    // A flag another document left in the store makes no opened document blank.
    defaults.setBool("isNewBlankDocument", true);
    EXPECT_EQ(Template::bodyFont(defaults, BlankDocument::No).family, "Helvetica");
    defaults.removeObjectForKey("isNewBlankDocument");
    font = Template::bodyFont(defaults, BlankDocument::Yes);
    EXPECT_EQ(font.family, "Georgia");
    EXPECT_EQ(font.size, 17);
    defaults.removeObjectForKey("defaultFont");
    EXPECT_EQ(Template::bodyFont(defaults, BlankDocument::Yes).family, "Helvetica");
}

} // namespace
} // namespace folio

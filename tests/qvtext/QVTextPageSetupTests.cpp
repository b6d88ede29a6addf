#include "qvtext/QVTextPageSetup.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

TEST(QVTextPageSetupTest, anOpenedDocumentKeepsItsPaperAndTakesOnlyTheUsersFont)
{
    QVTextPageSetup::Settings settings;
    settings.darknightMode = true;
    settings.defaultFont = "Palatino";
    settings.defaultPaperColor = "ivory";
    settings.defaultFontColor = "navy";
    settings.defaultLineSpacing = 1.5;
    std::vector<std::string> scripts = QVTextPageSetup::fontAndPaperScripts(settings, "rgb(1, 2, 3)");
    ASSERT_EQ(scripts.size(), 2u) << "no font without a stored size";
    EXPECT_EQ(scripts[0].rfind("addcss('html,img,object {-webkit-filter: invert(1) hue-rotate(180deg);}');", 0), 0u);
    EXPECT_EQ(scripts[1], "tinymce.activeEditor.getBody().style.backgroundColor = 'rgb(1, 2, 3)';");
    EXPECT_TRUE(QVTextPageSetup::blankDocumentScripts(settings).empty());

    settings.darknightMode = false;
    settings.defaultFontSize = 13.8;
    scripts = QVTextPageSetup::fontAndPaperScripts(settings, "");
    EXPECT_EQ(scripts, std::vector<std::string>{"tinymce.activeEditor.getBody().style.fontSize = '13pt';"
                                                "tinymce.activeEditor.getBody().style.fontFamily = 'Palatino';"})
        << "a body without a colour keeps the page's";

    settings.isNewBlankDocument = true;
    settings.defaultFirstLineIndent = 0.63;
    settings.defaultParagraphSpacing = 6;
    scripts = QVTextPageSetup::fontAndPaperScripts(settings, "");
    EXPECT_EQ(scripts.back(), "tinymce.activeEditor.execCommand('foreColor', false, 'navy');");
    EXPECT_EQ(scripts[1], "tinymce.activeEditor.getBody().style.backgroundColor = 'ivory';");
    scripts = QVTextPageSetup::blankDocumentScripts(settings);
    ASSERT_EQ(scripts.size(), 3u) << "the standard first-line indent is not set";
    EXPECT_EQ(scripts[0], "tinymce.activeEditor.execCommand('LineHeight', false, '1.500000');");
    EXPECT_EQ(scripts[1], "tinymce.activeEditor.dom.setStyle(tinymce.activeEditor.selection.getNode(),'marginBottom', "
                          "'6.000000pt');");
    EXPECT_EQ(QVTextPageSetup::documentMargin(0), "2.54");
    EXPECT_EQ(QVTextPageSetup::documentMargin(1.234), "1.23");
}

TEST(QVTextPageSetupTest, aNewDocumentsUnsetMarginsAreTheStandardOnesOnThePageToo)
{
    QVTextPageSetup::Settings settings;
    settings.isNewBlankDocument = true;
    settings.marginLeft = 1.5;
    std::vector<std::string> scripts = QVTextPageSetup::blankDocumentScripts(settings);
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(scripts[0], "(function(s){s.marginTop='2.54cm';s.marginBottom='2.54cm';s.marginRight='2.54cm';"
                          "s.marginLeft='1.50cm';})(tinymce.activeEditor.getBody().style);");
    EXPECT_EQ(QVTextPageSetup::documentMargin(settings.marginTop) + "cm", "2.54cm")
        << "the document records what the page shows";
}

} // namespace
} // namespace folio

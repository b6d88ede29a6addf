#include "shell/CopyOut.h"

#include "delivery/ExportPreferencesReader.h"
#include "export/ExportSource.h"
#include "formats/markdown/MarkdownConverter.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Pasteboard.h"
#include "documents/EditorContent.h"

#include "support/DocumentTestSupport.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using namespace testing_support;

class CopyOutTest : public testing::Test {
protected:
    std::string pasted() const
    {
        auto data = m_pasteboard.dataForPasteboardType(kPasteboardTypeUTF8PlainText);
        return data ? std::string(data->begin(), data->end()) : std::string("<nothing>");
    }

    NotificationCenter m_center;
    Pasteboard m_pasteboard{m_center};
    EditorContent m_content;
};

TEST_F(CopyOutTest, PlainTextLosesPlaceholderCharacters)
{
    m_content.bodyHTML = "<p>not this</p>";
    m_content.plainText = u"A\uFEFF picture\uFEFF and text";
    m_content.sourceText = u"nor this";
    auto alert = CopyOut::copyFromContent(m_content, DocumentKind::RTF, CopyOut::Format::PlainText, m_pasteboard);
    EXPECT_EQ(pasted(), "A picture and text");
    EXPECT_EQ(m_pasteboard.pasteboardTypes(), std::vector<std::string>{kPasteboardTypeUTF8PlainText});
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), u"Plain Text/Markdown");
    EXPECT_NE(alert->message().find(u"converted to plain text"), std::u16string::npos);
    ASSERT_EQ(alert->actions().size(), 1u);
    EXPECT_NE(alert->actionWithTitle(u"OK"), nullptr);
}

TEST_F(CopyOutTest, HTMLCopiesTheMarkupAsText)
{
    m_content.bodyHTML = "<p>Hi \xEF\xBB\xBF</p>";
    m_content.plainText = u"Hi";
    auto alert = CopyOut::copyFromContent(m_content, DocumentKind::RTF, CopyOut::Format::HTML, m_pasteboard);
    EXPECT_EQ(pasted(), "<p>Hi </p>");
    EXPECT_EQ(alert->title(), u"Copy");
    EXPECT_NE(alert->message().find(u"HTML source code"), std::u16string::npos);
}

TEST_F(CopyOutTest, MarkdownContentCopiesItsSourceAsPlainText)
{
    m_content.bodyHTML = "<p><em>x</em></p>";
    m_content.sourceText = u"*x*\uFEFF";
    CopyOut::copyFromContent(m_content, DocumentKind::Markdown, CopyOut::Format::PlainText, m_pasteboard);
    EXPECT_EQ(pasted(), "*x*");
    CopyOut::copyFromContent(m_content, DocumentKind::Markdown, CopyOut::Format::HTML, m_pasteboard);
    EXPECT_EQ(pasted(), "<p><em>x</em></p>");
}

// The outline's page shows each branch's handle as a character, which is
// the page's, not the writer's: neither copy takes it.
TEST_F(CopyOutTest, AnOutlineIsCopiedWithoutItsBranchesHandles)
{
    auto branch = [](const std::string& title) {
        return "<li class=\"tree-branch\"><div class=\"contents\"><div class=\"left-sidebar\"><div class=\""
               "branch-drag-handler ui-sortable-handle\" contenteditable=\"false\">\u25CF</div><div class=\""
               "branch-title\">" + title + "</div></div></div></li>";
    };
    m_content.bodyHTML = "<ul id=\"left-tree\">" + branch("Trip") + branch("Tickets") + "</ul>";
    m_content.plainText = u"\u25CF\nTrip\n\u25CF\nTickets";
    CopyOut::copyFromContent(m_content, DocumentKind::QVOutline, CopyOut::Format::PlainText, m_pasteboard);
    EXPECT_EQ(pasted(), "Trip\nTickets");
    CopyOut::copyFromContent(m_content, DocumentKind::QVOutline, CopyOut::Format::HTML, m_pasteboard);
    const std::string html = pasted();
    EXPECT_EQ(html.find("\u25CF"), std::string::npos) << html;
    EXPECT_LT(html.find(">Trip<"), html.find(">Tickets<")) << html;
    EXPECT_NE(html.find(">Tickets<"), std::string::npos) << html;
}

TEST_F(CopyOutTest, FileCopyUsesTheExportText)
{
    class Converter final : public MarkdownConverter {
    public:
        std::u16string html(const std::u16string& text) override { return u"<p>" + text + u"</p>"; }
        std::u16string plainText(const std::u16string& text) override { return text + u"\uFEFF"; }
    };
    MarkdownConverter::setShared(std::make_shared<Converter>());
    ScratchFolder folder("copy-out");
    UserDefaults defaults(folder.path("prefs.plist"));
    writeFile(folder.path("n.md"), "words");
    ExportSource source(folder.path("n.md"), std::nullopt, ExportPreferencesReader::read(defaults));
    auto text = CopyOut::copyFromFile(source, CopyOut::Format::PlainText, m_pasteboard);
    ASSERT_TRUE(text.ok());
    EXPECT_EQ(*text, u"words");
    EXPECT_EQ(pasted(), "words");
    auto html = CopyOut::copyFromFile(source, CopyOut::Format::HTML, m_pasteboard);
    ASSERT_TRUE(html.ok());
    EXPECT_EQ(pasted(), "<p>words</p>");
    long before = m_pasteboard.changeCount();
    EXPECT_FALSE(CopyOut::copyFromFile(ExportSource(folder.path("gone.md"), std::nullopt, ExportPreferencesReader::read(defaults)),
                                       CopyOut::Format::PlainText, m_pasteboard)
                     .ok());
    EXPECT_EQ(m_pasteboard.changeCount(), before);
    MarkdownConverter::setShared(nullptr);
}

} // namespace
} // namespace folio

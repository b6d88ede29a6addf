#include "platform/web/FakeWebView.h"
#include "qvtext/QVTextCounts.h"
#include "support/VirtualClock.h"
#include "webeditor/PageConnection.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class QVTextCountsTest : public test::VirtualClockTest {
protected:
    QVTextCountsTest() : connection(&page) {}

    void answerRead(const std::string& pattern, std::string answer)
    {
        page.answerMatching(pattern, [this, answer](const std::string&) {
            loop.post([this] { page.releaseAll(); });
            return answer;
        });
    }

    FakeWebView page;
    PageConnection connection;
};

TEST_F(QVTextCountsTest, aCaretCountsTheWholeTextAndASelectionItself)
{
    // The whole text is counted on the copy of what the page shows.
    answerRead("appendChild\\(c\\).*return p.getCharacterCount", "120");
    answerRead("appendChild\\(c\\).*return p.getWordCount", "20");
    answerRead("wordcount.selection.getCharacterCount", "11");
    answerRead("wordcount.selection.getWordCount", "2");
    answerRead("isCollapsed", "true");
    QVTextCounts whole = QVTextCounts::read(connection);
    EXPECT_EQ(whole.totalCharsWithSpaces, 120);
    EXPECT_EQ(whole.globalTotalWords, 20);
    EXPECT_EQ(whole.bannerText(), u"Chars 120 Words 20");
    answerRead("isCollapsed", "false");
    QVTextCounts selected = QVTextCounts::read(connection);
    EXPECT_EQ(selected.totalCharsWithSpaces, 11);
    EXPECT_EQ(selected.globalTotalWords, 2);
}

TEST_F(QVTextCountsTest, answersThatAreNoNumbersCountAsNothing)
{
    answerRead("isCollapsed", "true");
    answerRead("getCharacterCount", "undefined");
    answerRead("getWordCount", "-3");
    QVTextCounts counts = QVTextCounts::read(connection);
    EXPECT_EQ(counts.totalCharsWithSpaces, 0);
    EXPECT_EQ(counts.globalTotalWords, 0);
}

} // namespace
} // namespace folio

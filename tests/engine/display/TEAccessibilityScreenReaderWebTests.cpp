// The engine's laid-out text as a screen reader meets it: read over the
// desktop's accessibility bus from another program showing it in a window.
#include "support/AccessibleControls.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace folio {
namespace {

using Node = test::AccessibleControls::Node;

class EngineTextForScreenReaders : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            return test::noDisplayForWindowTest("no display for the program that shows the text");
        ASSERT_TRUE(test::AccessibleControls::startBus()) << "no accessibility bus";
        std::string program = std::string(FOLIO_BINARY_DIR) + "/folio_test_engine_text_window";
        gchar* argv[] = {program.data(), nullptr};
        ASSERT_TRUE(g_spawn_async_with_pipes(nullptr, argv, nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr,
                                             &m_pid, &m_input, nullptr, nullptr, nullptr));
    }

    void TearDown() override
    {
        if (m_pid <= 0)
            return;
        // Closing its input ends the program.
        close(m_input);
        int status = 0;
        waitpid(m_pid, &status, 0);
        g_spawn_close_pid(m_pid);
    }

    static std::vector<Node> ofRoles(const std::vector<Node>& tree, std::vector<AtspiRole> roles)
    {
        std::vector<Node> found;
        for (const Node& node : tree)
            if (std::find(roles.begin(), roles.end(), node.role) != roles.end())
                found.push_back(node);
        return found;
    }

    GPid m_pid = 0;
    int m_input = -1;
};

TEST_F(EngineTextForScreenReaders, theTreeHoldsEveryRunAsTextOrLinkWhereItIsDrawnAndTheAttachmentAsItsView)
{
    if (m_pid <= 0)
        return;
    std::vector<Node> tree = test::AccessibleControls::waitForTree(m_pid, [](const std::vector<Node>& nodes) {
        return ofRoles(nodes, {ATSPI_ROLE_STATIC, ATSPI_ROLE_LINK}).size() >= 5;
    });
    std::vector<Node> text = ofRoles(tree, {ATSPI_ROLE_STATIC, ATSPI_ROLE_LINK});
    ASSERT_EQ(text.size(), 5u);
    const std::vector<std::pair<AtspiRole, std::string>> expected{{ATSPI_ROLE_STATIC, "Plain "},
                                                                  {ATSPI_ROLE_STATIC, "green "},
                                                                  {ATSPI_ROLE_STATIC, "blue\n"},
                                                                  {ATSPI_ROLE_STATIC, "Read "},
                                                                  {ATSPI_ROLE_LINK, "the manual"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(text[i].role, expected[i].first) << i;
        EXPECT_EQ(text[i].name, expected[i].second) << i;
        EXPECT_TRUE(text[i].showing) << text[i].name;
        // About one line of 24-pixel text high, as wide as its letters.
        EXPECT_GT(text[i].height, 20) << text[i].name;
        EXPECT_LT(text[i].height, 45) << text[i].name;
        EXPECT_GT(text[i].width, 20) << text[i].name;
    }
    // The words of a line one after the other, the second paragraph below.
    EXPECT_EQ(text[1].y, text[0].y);
    EXPECT_GE(text[1].x, text[0].x + text[0].width - 1);
    EXPECT_GE(text[2].x, text[1].x + text[1].width - 1);
    EXPECT_EQ(text[3].x, text[0].x);
    EXPECT_GE(text[3].y, text[0].y + text[0].height - 1);
    EXPECT_GE(text[4].x, text[3].x + text[3].width - 1);

    // Inside the window that shows them.
    auto window = std::find_if(tree.begin(), tree.end(), [](const Node& node) { return node.role == ATSPI_ROLE_FRAME; });
    ASSERT_NE(window, tree.end());
    for (const Node& node : text) {
        EXPECT_GE(node.x, window->x) << node.name;
        EXPECT_GE(node.y, window->y) << node.name;
        EXPECT_LE(node.x + node.width, window->x + window->width) << node.name;
        EXPECT_LE(node.y + node.height, window->y + window->height) << node.name;
    }

    // The dictation placeholder follows the link, answering as the view
    // that draws its dots: a drawing, 41 x 16, just after the link's text.
    auto link = std::find_if(tree.begin(), tree.end(), [](const Node& node) { return node.role == ATSPI_ROLE_LINK; });
    ASSERT_NE(link, tree.end());
    ASSERT_NE(link + 1, tree.end());
    const Node& placeholder = *(link + 1);
    EXPECT_EQ(placeholder.role, ATSPI_ROLE_DRAWING_AREA);
    EXPECT_EQ(placeholder.width, 41);
    EXPECT_EQ(placeholder.height, 16);
    EXPECT_GE(placeholder.x, link->x + link->width - 1);
}

} // namespace
} // namespace folio

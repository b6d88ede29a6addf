#include "qvoutline/QVOutlineViewController.h"
#include "support/HostileQVDocument.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class QVOutlineHostileDocumentWindowTest : public test::HostileQVDocumentWindowTest<QVOutlineViewController> {
protected:
    QVOutlineHostileDocumentWindowTest() : HostileQVDocumentWindowTest(EditorKind::QVOutline, "qvoutline-hostile") {}
};

TEST_F(QVOutlineHostileDocumentWindowTest, aHostileDocumentRunsNothingReachesNothingAndIsSavedClean)
{
    // All of it in the title of the outline's one branch.
    openAndFindInert("Hostile.qvoutline",
                     "<ul id=\"left-tree\"><li class=\"tree-branch branch-level-1\" data-id=\"1\" data-parent=\"0\" "
                     "data-level=\"1\"><div class=\"contents\"><div class=\"branch-wrapper\"><div class=\"left-sidebar\">"
                     "<div class=\"branch-title\" id=\"1\">",
                     "</div></div></div></div><span class=\"children-bus\"></span></li></ul>");
}

} // namespace
} // namespace folio

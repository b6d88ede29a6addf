#include "qvtext/QVTextViewController.h"
#include "support/HostileQVDocument.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

class QVTextHostileDocumentWindowTest : public test::HostileQVDocumentWindowTest<QVTextViewController> {
protected:
    QVTextHostileDocumentWindowTest() : HostileQVDocumentWindowTest(EditorKind::QVText, "qvtext-hostile") {}
};

TEST_F(QVTextHostileDocumentWindowTest, aHostileDocumentRunsNothingReachesNothingAndIsSavedClean)
{
    openAndFindInert("Hostile.qvtext");
}

} // namespace
} // namespace folio

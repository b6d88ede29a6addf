#include "documents/KeptPageHTML.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {
namespace {

std::string longPage(char filler)
{
    std::string html;
    for (int i = 0; html.size() < 2 * KeptPageHTML::kPackedFromSize; ++i)
        html += "<p id=\"" + std::to_string(i) + "\">" + std::string(i % 13 + 1, filler) + "</p>";
    return html;
}

// Packing runs on another thread, and may end after a newer page was kept,
// or after the document closed: what was kept last is what reads back.
TEST(KeptPageHTMLTest, aPackingThatEndsLateLeavesTheNewerPageAlone)
{
    std::vector<std::function<void()>> tasks;
    auto kept = std::make_unique<KeptPageHTML>([&tasks](std::function<void()> task) { tasks.push_back(std::move(task)); });
    auto older = std::make_shared<std::string>(longPage('a'));
    auto newer = std::make_shared<std::string>(longPage('b'));
    kept->keep(older, *older);
    kept->keep(newer, *newer);
    ASSERT_EQ(tasks.size(), 2u);
    std::weak_ptr<std::string> olderStorage = older;
    std::weak_ptr<std::string> newerStorage = newer;
    older.reset();
    newer.reset();

    tasks[0]();
    tasks[0] = nullptr;
    EXPECT_TRUE(olderStorage.expired());
    EXPECT_EQ(kept->html(), longPage('b'));
    EXPECT_FALSE(newerStorage.expired()) << "the newer page was let go before it was packed";

    tasks[1]();
    tasks[1] = nullptr;
    EXPECT_TRUE(newerStorage.expired());
    EXPECT_TRUE(kept->holdsHTML());
    EXPECT_EQ(kept->html(), longPage('b'));

    kept->clear();
    EXPECT_FALSE(kept->holdsHTML());
    EXPECT_EQ(kept->html(), "");

    auto last = std::make_shared<std::string>(longPage('c'));
    kept->keep(last, *last);
    kept.reset();
    ASSERT_EQ(tasks.size(), 3u);
    tasks[2]();
}

// A page read from its file is shown at once by its editor, which reads it
// whole: it is packed only after that first read, and reads the same after.
TEST(KeptPageHTMLTest, aPageKeptToBeReadFirstIsPackedAfterItsFirstRead)
{
    std::vector<std::function<void()>> tasks;
    KeptPageHTML kept([&tasks](std::function<void()> task) { tasks.push_back(std::move(task)); });
    auto page = std::make_shared<std::string>(longPage('d'));
    std::weak_ptr<std::string> storage = page;
    kept.keep(page, *page, KeptPageHTML::Packing::AfterFirstRead);
    page.reset();
    EXPECT_TRUE(tasks.empty()) << "packed before its first read";

    EXPECT_EQ(kept.html(), longPage('d'));
    ASSERT_EQ(tasks.size(), 1u);
    EXPECT_EQ(kept.html(), longPage('d'));
    EXPECT_EQ(tasks.size(), 1u) << "packed once only";
    tasks[0]();
    EXPECT_TRUE(storage.expired()) << "the page's storage is let go once packed";
    EXPECT_EQ(kept.html(), longPage('d'));

    // A page kept after it, before it was read, is not packed by that read's turn.
    auto first = std::make_shared<std::string>(longPage('e'));
    kept.keep(first, *first, KeptPageHTML::Packing::AfterFirstRead);
    kept.clear();
    EXPECT_EQ(kept.html(), "");
    EXPECT_EQ(tasks.size(), 1u) << "nothing kept, nothing to pack";
}

// The editor builds its page around the kept one without a copy of it: the
// page it was lent stays whole while it holds it, also once the kept page
// has been packed meanwhile, and a packed page is lent unpacked.
TEST(KeptPageHTMLTest, aLentPageIsTheKeptOneAndOutlivesItsPacking)
{
    std::vector<std::function<void()>> tasks;
    KeptPageHTML kept([&tasks](std::function<void()> task) { tasks.push_back(std::move(task)); });
    auto page = std::make_shared<std::string>(longPage('f'));
    const char* bytes = page->data();
    kept.keep(page, *page, KeptPageHTML::Packing::AfterFirstRead);
    page.reset();

    KeptPageHTML::Shared lent = kept.shared();
    EXPECT_EQ(lent.html.data(), bytes);
    ASSERT_EQ(tasks.size(), 1u) << "the first read, lent, schedules the packing";
    tasks[0]();
    EXPECT_EQ(lent.html, longPage('f'));
    KeptPageHTML::Shared unpacked = kept.shared();
    EXPECT_NE(unpacked.html.data(), bytes);
    EXPECT_EQ(unpacked.html, longPage('f'));
    kept.clear();
    EXPECT_TRUE(kept.shared().html.empty());
}

} // namespace
} // namespace folio

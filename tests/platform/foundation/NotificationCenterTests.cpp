#include "platform/foundation/NotificationCenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace folio {
namespace {

TEST(NotificationCenter, DeliversByNameAndSenderFilter)
{
    NotificationCenter center;
    int documentA = 0, documentB = 0;
    std::vector<std::string> anySender, onlyA, everything;
    center.addObserver("DocumentChanged", nullptr, [&](const Notification& n) { anySender.push_back(n.name); });
    center.addObserver("DocumentChanged", &documentA, [&](const Notification& n) { onlyA.push_back(n.name); });
    center.addObserver("", nullptr, [&](const Notification& n) { everything.push_back(n.name); });

    center.postNotification("DocumentChanged", &documentA);
    center.postNotification("DocumentChanged", &documentB);
    center.postNotification("DocumentSaved", &documentA);

    EXPECT_EQ(anySender.size(), 2u);
    EXPECT_EQ(onlyA.size(), 1u);
    EXPECT_EQ(everything, (std::vector<std::string>{"DocumentChanged", "DocumentChanged", "DocumentSaved"}));
}

TEST(NotificationCenter, CarriesTypedUserInfo)
{
    NotificationCenter center;
    std::optional<int> count;
    bool wrongTypeAnswersNothing = false;
    center.addObserver("Counted", nullptr, [&](const Notification& n) {
        if (const int* value = n.userInfo.get<int>("count"))
            count = *value;
        wrongTypeAnswersNothing = n.userInfo.get<std::string>("count") == nullptr && n.userInfo.get<int>("missing") == nullptr;
    });
    center.postNotification("Counted", nullptr, UserInfo{{"count", 7}});
    EXPECT_EQ(count, 7);
    EXPECT_TRUE(wrongTypeAnswersNothing);
}

TEST(NotificationCenter, RemovedObserversAreNotCalled)
{
    NotificationCenter center;
    int calls = 0;
    ObserverToken token = center.addObserver("Ping", nullptr, [&](const Notification&) { ++calls; });
    center.postNotification("Ping");
    center.removeObserver(token);
    center.postNotification("Ping");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(center.observerCount(), 0u);
    center.removeObserver(token);
}

TEST(NotificationCenter, ObserversMayRemoveOthersDuringDelivery)
{
    NotificationCenter center;
    int laterCalls = 0;
    ObserverToken later = 0;
    center.addObserver("Close", nullptr, [&](const Notification&) { center.removeObserver(later); });
    later = center.addObserver("Close", nullptr, [&](const Notification&) { ++laterCalls; });
    center.postNotification("Close");
    EXPECT_EQ(laterCalls, 0);
}

TEST(NotificationCenter, ObserversMayPostAndRemoveThemselves)
{
    NotificationCenter center;
    std::vector<std::string> order;
    ObserverToken self = 0;
    self = center.addObserver("First", nullptr, [&](const Notification&) {
        order.push_back("first");
        center.removeObserver(self);
        center.postNotification("Second");
    });
    center.addObserver("Second", nullptr, [&](const Notification&) { order.push_back("second"); });
    center.postNotification("First");
    center.postNotification("First");
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
}

TEST(NotificationCenter, DefaultCenterIsShared)
{
    EXPECT_EQ(&NotificationCenter::defaultCenter(), &NotificationCenter::defaultCenter());
}

} // namespace
} // namespace folio

// Avahi's per-interface events turned into one found and one removed event per service, with
// more-coming while the first batch goes on.
#include "airplay/ServiceEventBatcher.h"

#include <gtest/gtest.h>

namespace {

using Event = ServiceEventBatcher::Event;

constexpr int va = 2;
constexpr int vb = 3;
constexpr int ipv4 = 0;
constexpr int ipv6 = 1;

std::string text(const QList<Event>& events)
{
    std::string result;
    for (const Event& event : events) {
        result += (event.kind == Event::Found ? "+" : "-") + event.name.toStdString() +
                  (event.moreComing ? "… " : ". ");
    }
    return result;
}

TEST(ServiceEventBatcher, FirstBatchEndsAtAllForNowAndEachLaterEventIsABatchOfItsOwn)
{
    ServiceEventBatcher batcher;
    EXPECT_EQ(text(batcher.itemNew("Alpha TV", va, ipv4)), "") << "held back: more may come";
    EXPECT_EQ(text(batcher.itemNew("Alpha TV", vb, ipv4)), "") << "the same service on another interface";
    EXPECT_EQ(text(batcher.itemNew("Alpha TV", va, ipv6)), "") << "the same service over IPv6";
    EXPECT_EQ(text(batcher.itemNew("Beta TV", va, ipv4)), "+Alpha TV… ");
    EXPECT_EQ(text(batcher.allForNow()), "+Beta TV. ");
    EXPECT_EQ(text(batcher.allForNow()), "") << "nothing held back";

    EXPECT_EQ(text(batcher.itemNew("Gamma TV", vb, ipv4)), "+Gamma TV. ");
    EXPECT_EQ(text(batcher.itemRemove("Alpha TV", va, ipv4)), "");
    EXPECT_EQ(text(batcher.itemRemove("Alpha TV", vb, ipv4)), "");
    EXPECT_EQ(text(batcher.itemRemove("Alpha TV", va, ipv6)), "-Alpha TV. ")
        << "gone from the last interface";
    EXPECT_EQ(text(batcher.itemRemove("Alpha TV", va, ipv6)), "") << "a removal of what is not known";
}

TEST(ServiceEventBatcher, LostBrowsingRemovesEverythingInOneBatchAndStartsAFirstBatchAgain)
{
    ServiceEventBatcher batcher;
    batcher.itemNew("Alpha TV", va, ipv4);
    batcher.allForNow();
    EXPECT_EQ(text(batcher.itemNew("Beta TV", va, ipv4)), "+Beta TV. ");
    EXPECT_EQ(text(batcher.browsingLost()), "-Alpha TV… -Beta TV. ");

    EXPECT_EQ(text(batcher.itemNew("Alpha TV", vb, ipv4)), "") << "browsing anew starts a first batch";
    EXPECT_EQ(text(batcher.browsingLost()), "+Alpha TV… -Alpha TV. ") << "a held-back find is not lost";
    EXPECT_EQ(text(batcher.browsingLost()), "");
}

} // namespace

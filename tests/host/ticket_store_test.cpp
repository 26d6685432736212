// The ticket ring: handles, slot reuse, the counter's wrap and concurrent
// storing. End-to-end behaviour through the exports is tested under Wine.
#include "wrapper/ticket_store.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace
{
TWexlaUserTicket TicketFor(uint32_t nAccountHigh)
{
    TWexlaUserTicket ticket = {};
    ticket.nMarker = WEXLA_TICKET_MARKER;
    ticket.user.nAccountHigh = nAccountHigh;
    ticket.nExtraWord = nAccountHigh + 1;
    ticket.nHandle = 0xDEADBEEF; // replaced by the handle when stored
    return ticket;
}
} // namespace

TEST(TicketStore, AHandleFindsItsTicketUntilItsSlotIsReused)
{
    CTicketStore store;
    const uint32_t hFirst = store.Store(TicketFor(7));
    EXPECT_EQ(1u, hFirst);
    TWexlaUserTicket found = {};
    ASSERT_TRUE(store.Find(hFirst, &found));
    EXPECT_EQ(7u, found.user.nAccountHigh);
    EXPECT_EQ(8u, found.nExtraWord);
    EXPECT_EQ(hFirst, found.nHandle);
    ASSERT_TRUE(store.Find(hFirst, &found)) << "polling does not use the ticket up";

    for (uint32_t i = 0; i < CTicketStore::kSlotCount - 1; ++i)
        store.Store(TicketFor(100 + i));
    EXPECT_TRUE(store.Find(hFirst, &found)) << "31 later tickets leave the first slot alone";
    const uint32_t hReuser = store.Store(TicketFor(9));
    EXPECT_EQ(hFirst + CTicketStore::kSlotCount, hReuser);
    EXPECT_FALSE(store.Find(hFirst, &found));
    ASSERT_TRUE(store.Find(hReuser, &found));
    EXPECT_EQ(9u, found.user.nAccountHigh);
    EXPECT_FALSE(store.Find(0, &found));
    EXPECT_FALSE(store.Find(hReuser + 1, &found)) << "a handle not issued yet";
}

TEST(TicketStore, RefusesAStoredTicketWithoutTheMarker)
{
    CTicketStore store;
    TWexlaUserTicket foreign = TicketFor(1);
    foreign.nMarker = 0x12345678;
    const uint32_t h = store.Store(foreign);
    TWexlaUserTicket found = {};
    EXPECT_FALSE(store.Find(h, &found));
}

TEST(TicketStore, CounterWrapSkipsHandleZero)
{
    CTicketStore store(0xFFFFFFFF);
    EXPECT_EQ(0xFFFFFFFFu, store.Store(TicketFor(1)));
    const uint32_t hAfterWrap = store.Store(TicketFor(2));
    EXPECT_EQ(1u, hAfterWrap);
    TWexlaUserTicket found = {};
    ASSERT_TRUE(store.Find(0xFFFFFFFF, &found));
    EXPECT_EQ(1u, found.user.nAccountHigh);
    ASSERT_TRUE(store.Find(hAfterWrap, &found));
    EXPECT_EQ(2u, found.user.nAccountHigh);
}

TEST(TicketStore, ConcurrentStoresGetDistinctHandles)
{
    CTicketStore store;
    constexpr int kThreads = 4;
    constexpr int kPerThread = 2000;
    std::vector<std::vector<uint32_t>> handles(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&store, &handles, t] {
            for (int i = 0; i < kPerThread; ++i)
                handles[t].push_back(store.Store(TicketFor(static_cast<uint32_t>(t))));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    std::set<uint32_t> all;
    for (const std::vector<uint32_t>& list : handles)
        all.insert(list.begin(), list.end());
    EXPECT_EQ(static_cast<size_t>(kThreads * kPerThread), all.size());
    EXPECT_EQ(1u, *all.begin());
    EXPECT_EQ(static_cast<uint32_t>(kThreads * kPerThread), *all.rbegin());
}

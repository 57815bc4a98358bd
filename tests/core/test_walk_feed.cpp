// The hand-over between a walk on a thread of its own and the caller's
// thread: every step runs once, in order, on the caller's thread, and the
// caller's events are served between slices of them.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "Controller/WalkFeed.h"
#include "support/TestEventLoop.h"

namespace yomi {
namespace {

using test::TestEventLoop;

// Posts `n` steps that note their number and the thread they ran on.
struct NumberedSteps {
    std::vector<int> ran;
    std::vector<std::thread::id> threads;
    std::thread::id walkedOn;

    void walk(WalkFeed& feed, int n)
    {
        walkedOn = std::this_thread::get_id();
        for (int i = 0; i < n; ++i)
            feed.post([this, i] {
                ran.push_back(i);
                threads.push_back(std::this_thread::get_id());
            });
    }
    std::vector<int> expected(int n) const
    {
        std::vector<int> out;
        for (int i = 0; i < n; ++i)
            out.push_back(i);
        return out;
    }
};

TEST(WalkFeed, WithoutAnEventLoopEachStepRunsWhereItIsPosted)
{
    WalkFeed feed(nullptr);
    EXPECT_FALSE(feed.threaded());
    std::vector<int> order;
    feed.run([&] {
        order.push_back(0);
        feed.post([&] { order.push_back(1); });
        order.push_back(2); // after the step: it ran inside post()
    });
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
}

TEST(WalkFeed, EveryStepRunsOnceInOrderOnTheCallersThread)
{
    TestEventLoop loop;
    WalkFeed feed(&loop);
    ASSERT_TRUE(feed.threaded());
    NumberedSteps steps;
    constexpr int kSteps = 20000;
    feed.run([&] { steps.walk(feed, kSteps); });

    EXPECT_EQ(steps.ran, steps.expected(kSteps)) << "a step was lost, repeated or run out of order";
    EXPECT_NE(steps.walkedOn, std::this_thread::get_id()) << "the walk ran on the caller's thread";
    for (const std::thread::id& id : steps.threads)
        ASSERT_EQ(id, std::this_thread::get_id()) << "a step ran on the walk's thread";
    EXPECT_EQ(loop.timedOut, 0) << "the caller waited for a wake that never came";
    EXPECT_EQ(loop.servedOn, std::this_thread::get_id());
}

TEST(WalkFeed, AWalkThatPostsNothingStillEnds)
{
    TestEventLoop loop;
    WalkFeed feed(&loop);
    bool walked = false;
    feed.run([&] {
        // Long enough for the caller to wait: the end of the walk wakes it.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        walked = true;
    });
    EXPECT_TRUE(walked);
    EXPECT_EQ(loop.timedOut, 0) << "the end of the walk did not wake the caller";
}

TEST(WalkFeed, StepsPostedWhileTheCallerWaitsWakeIt)
{
    TestEventLoop loop;
    WalkFeed feed(&loop);
    NumberedSteps steps;
    // A step now and then, each after the caller had time to run the last
    // one and wait again.
    feed.run([&] {
        for (int i = 0; i < 5; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
            feed.post([&steps, i] { steps.ran.push_back(i); });
        }
    });
    EXPECT_EQ(steps.ran, steps.expected(5));
    EXPECT_GT(loop.waits, 0) << "the caller never waited: it spun while the walk slept";
    EXPECT_EQ(loop.timedOut, 0) << "a step was posted without waking the caller";
}

TEST(WalkFeed, EventsAreServedBetweenSlicesOfLongSteps)
{
    TestEventLoop loop;
    WalkFeed feed(&loop);
    // Twelve steps of half a slice each; the first posts an event, as a
    // click during them would come. A caller that ran every step in one go
    // would serve it only after the last.
    std::vector<int> eventsSeenBy;
    int stepsRun = 0;
    feed.run([&] {
        for (int i = 0; i < 12; ++i)
            feed.post([&, i] {
                if (i == 0)
                    loop.postEvent([&] { eventsSeenBy.push_back(stepsRun); });
                const auto end = std::chrono::steady_clock::now() + WalkFeed::kSlice / 2;
                while (std::chrono::steady_clock::now() < end) {
                }
                ++stepsRun;
            });
    });
    EXPECT_EQ(stepsRun, 12);
    ASSERT_EQ(eventsSeenBy.size(), 1u);
    EXPECT_LT(eventsSeenBy.front(), 12) << "the event waited until every step had run";
}

TEST(WalkFeed, WhatTheWalkThrowsComesAfterTheStepsItPosted)
{
    TestEventLoop loop;
    WalkFeed feed(&loop);
    std::vector<int> ran;
    EXPECT_THROW(feed.run([&] {
        feed.post([&] { ran.push_back(1); });
        feed.post([&] { ran.push_back(2); });
        throw std::runtime_error("walk failed");
    }),
                 std::runtime_error);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

TEST(WalkFeed, AStepThatThrowsStopsTheStepsAndWaitsForTheWalk)
{
    TestEventLoop loop;
    WalkFeed feed(&loop);
    std::vector<int> ran;
    bool walkEnded = false;
    try {
        feed.run([&] {
            feed.post([&] { ran.push_back(1); });
            feed.post([] { throw std::logic_error("step failed"); });
            feed.post([&] { ran.push_back(3); });
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            feed.post([&] { ran.push_back(4); });
            walkEnded = true;
        });
        ADD_FAILURE() << "the step's exception was swallowed";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "step failed");
    }
    EXPECT_TRUE(walkEnded) << "run returned while the walk's thread still ran";
    EXPECT_EQ(ran, std::vector<int>{1}) << "steps after the one that threw still ran";
}

TEST(WalkFeed, OneFeedRunsOneWalkAfterAnother)
{
    TestEventLoop loop;
    WalkFeed feed(&loop);
    NumberedSteps first, second;
    feed.run([&] { first.walk(feed, 100); });
    feed.run([&] { second.walk(feed, 50); });
    EXPECT_EQ(first.ran, first.expected(100));
    EXPECT_EQ(second.ran, second.expected(50));
    EXPECT_EQ(loop.timedOut, 0);
}

} // namespace
} // namespace yomi

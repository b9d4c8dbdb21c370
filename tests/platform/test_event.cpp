#include "platform/Event.h"
#include "platform/MessageTarget.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Event, ManualStaysSignalledAutoIsConsumedOnce) {
    // The same rules for a poll (0 ms) as for a timed wait.
    for (const int ms : {0, 10}) {
        Event manual(Event::Reset::Manual);
        EXPECT_FALSE(manual.Wait(ms)) << ms;
        manual.Set();
        EXPECT_TRUE(manual.Wait(ms)) << ms;
        EXPECT_TRUE(manual.Wait(ms)) << ms;
        manual.Reset();
        EXPECT_FALSE(manual.Wait(ms)) << ms;

        Event autoReset(Event::Reset::Auto);
        autoReset.Set();
        EXPECT_TRUE(autoReset.Wait(ms)) << ms;
        EXPECT_FALSE(autoReset.Wait(ms)) << ms;
        EXPECT_FALSE(autoReset.IsSet()) << ms;
    }
}

// The stop check polls once per 8192-byte block: 131 072 polls per GiB. A
// poll that sleeps (a zero timed wait still costs the kernel's timer slack,
// 50 us or more) would take seconds here instead of milliseconds.
TEST(Event, PollDoesNotSleep) {
    Event manual(Event::Reset::Manual);
    Event autoReset(Event::Reset::Auto);
    const auto start = std::chrono::steady_clock::now();
    int signalled = 0;
    for (int i = 0; i < 50000; ++i)
        signalled += manual.Wait(0) + autoReset.Wait(0);
    EXPECT_EQ(signalled, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(Event, WaitAnyWakesForEitherEventFromAnotherThread) {
    Event stop(Event::Reset::Manual);
    Event done(Event::Reset::Auto);
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        stop.Set();
    });
    EXPECT_EQ(Event::WaitAny(done, stop, 5000), 1);
    setter.join();
    EXPECT_TRUE(stop.IsSet()); // manual events are not consumed

    done.Set();
    EXPECT_EQ(Event::WaitAny(done, stop, 0), 0);
    EXPECT_FALSE(done.IsSet()); // the auto event reported is consumed

    Event a, b;
    EXPECT_EQ(Event::WaitAny(a, b, 20), -1);
}

TEST(QueueMessageTarget, KeepsOrderAndText) {
    QueueMessageTarget q;
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i)
            q.Post(5121, i, 7, i == 50 ? std::optional<QString>(QStringLiteral("fifty")) : std::nullopt);
    });
    for (int i = 0; i < 100; ++i) {
        auto m = q.Wait(std::chrono::seconds(5));
        ASSERT_TRUE(m);
        EXPECT_EQ(m->wParam, i);
        EXPECT_EQ(m->text.has_value(), i == 50);
    }
    poster.join();
    EXPECT_FALSE(q.Wait(std::chrono::milliseconds(1)));
}

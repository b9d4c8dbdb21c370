#include "platform/Event.h"
#include "platform/MessageTarget.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Event, ManualStaysSignalledAutoIsConsumedOnce) {
    Event manual(Event::Reset::Manual);
    manual.Set();
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0));
    manual.Reset();
    EXPECT_FALSE(manual.Wait(10));

    Event autoReset(Event::Reset::Auto);
    autoReset.Set();
    EXPECT_TRUE(autoReset.Wait(0));
    EXPECT_FALSE(autoReset.Wait(10));
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

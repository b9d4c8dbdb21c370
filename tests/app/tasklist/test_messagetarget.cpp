// Lifetimes around the window: the notification receiver delivers posts from
// other threads on the window's thread, in order, and drops them once the
// receiver is gone; the task list survives a view its window deleted first.

#include "app/tasklist/TaskListHarness.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <latch>
#include <thread>
#include <vector>

namespace {
class Recorder : public QObject {
  public:
    bool event(QEvent* e) override {
        if (e->type() != PostedMessageEvent::EventType())
            return QObject::event(e);
        const auto* m = static_cast<const PostedMessageEvent*>(e);
        EXPECT_EQ(QThread::currentThread(), thread());
        seen.push_back({m->msg, m->wParam, m->lParam, m->text});
        return true;
    }
    std::vector<PostedMessage> seen;
};
} // namespace

TEST(GuiMessageTarget, DeliversPostsInOrderOnTheReceiversThreadAndDropsThemOnceItIsGone) {
    EnsureApplication();
    auto* recorder = new Recorder;
    GuiMessageTarget target(recorder);
    std::thread worker([&] {
        for (int i = 0; i < 500; ++i)
            target.Post(5121, i, 7, i % 100 == 0 ? std::optional<QString>(QString::number(i)) : std::nullopt);
    });
    worker.join();
    ASSERT_TRUE(WaitOnWindow([&] { return recorder->seen.size() == 500; }));
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(recorder->seen[i].wParam, i);
        EXPECT_EQ(recorder->seen[i].text.has_value(), i % 100 == 0);
    }
    EXPECT_EQ(recorder->seen[200].text, QString("200"));

    // Posts racing the receiver's deletion, then posts after it. The receiver
    // is deleted only once the poster runs, and the poster stops only once it
    // has posted to the deleted receiver too.
    std::latch posting(1);
    std::atomic<bool> go{true};
    std::atomic<bool> deleted{false};
    std::atomic<int> postsBefore{0};
    std::atomic<int> postsAfter{0};
    std::thread late([&] {
        while (go) {
            const bool gone = deleted;
            target.Post(5126, 0, 0);
            if (gone)
                ++postsAfter;
            else if (++postsBefore == 1)
                posting.count_down();
        }
    });
    posting.wait();
    delete recorder;
    deleted = true;
    target.Post(5124, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return postsAfter > 0; }));
    go = false;
    late.join();
    EXPECT_GT(postsBefore, 0);
    EXPECT_GT(postsAfter, 0);
    QCoreApplication::processEvents(); // nothing is delivered to a deleted object
}

TEST(DownloadTaskList, OutlivesAViewItsWindowDeletedFirst) {
    QTemporaryDir folder;
    TaskListHarness h(folder.path());
    h.List().AddUrlTask("http://www.example.org/v1");
    delete h.List().View();
    EXPECT_EQ(h.List().View(), nullptr);
    EXPECT_FALSE(h.List().CanStartSelected());
    h.List().StartSelected();
    EXPECT_FALSE(h.List().IsDownloading());
    h.List().AddUrlTask("http://www.example.org/v2");
    EXPECT_EQ(h.Model().TaskCount(), 2);
}

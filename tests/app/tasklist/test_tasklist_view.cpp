// The task list as the user sees and handles it: a row in each state drawn
// (the picture is written for review), clicks on check boxes, double clicks.

#include "app/tasklist/TaskListTest.h"

#include "app/tasklist/TaskListText.h"
#include "retrieval/DownloadWorker.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTest>

TEST_F(TaskListTest, EveryRowStateIsDrawnFromTheModel) {
    List().AddUrlTask(YouTube("zvNormal001"));
    List().AddUrlTask(Metacafe());
    List().AddUrlTask(YouTube("zvMedia4041"));
    ASSERT_TRUE(List().AddLocalFile(sim_->MediaPath("mp4")));

    h_->Post(UM_DOWNLOAD_STATUS, 0, DownloadStatus::Pack(DownloadStatus::DownloadBegins, 1));
    h_->Post(UM_DOWNLOAD_PROGRESS, 453, 1);
    h_->Post(UM_DOWNLOAD_STATUS, 0, DownloadStatus::Pack(DownloadStatus::MediaFailed, 2));
    ASSERT_EQ(h_->StatusCell(1), "45.3%");
    ASSERT_EQ(Model().CellColour(2, 6), TaskListModel::AlertColour());
    List().ListView()->selectRow(3);

    QWidget* view = List().View();
    view->resize(980, 180);
    QCoreApplication::processEvents();
    const QImage shot = view->grab().toImage();
    const QString folder = qEnvironmentVariable("ZORV_TEST_BINARY_DIR") + QStringLiteral("/screenshots");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(shot.save(folder + QStringLiteral("/task-list.png")));

    // The progress bar is drawn in the status cell: part of it in the bar's
    // fill colour, the rest in its track colour.
    const QRect cell = List().ListView()->visualRect(Model().index(1, 6));
    const QPoint origin = List().ListView()->viewport()->mapTo(view, QPoint(0, 0));
    const int y = origin.y() + cell.center().y() + 6;
    const QColor filled = shot.pixelColor(origin.x() + cell.left() + cell.width() * 20 / 100, y);
    const QColor track = shot.pixelColor(origin.x() + cell.left() + cell.width() * 80 / 100, y);
    EXPECT_GT(filled.blue(), filled.red() + 60) << filled.name().toStdString();
    EXPECT_GT(track.lightness(), 200) << track.name().toStdString();
    h_->Post(UM_DOWNLOAD_STOPPED, 0, 0);

    // A click on a drawn check box toggles it.
    QWidget* viewport = List().ListView()->viewport();
    const QPoint box = List().ListView()->visualRect(Model().index(0, 0)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, box);
    EXPECT_FALSE(Model().IsChecked(0));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, box);
    EXPECT_TRUE(Model().IsChecked(0));
}

TEST_F(TaskListTest, ADoubleClickPlaysALocalFileAndStartsAPendingRow) {
    ASSERT_TRUE(List().AddLocalFile(sim_->MediaPath("flv")));
    List().AddUrlTask(Metacafe());
    QList<int> played;
    QObject::connect(&List(), &DownloadTaskList::playTaskRequested, [&](int row) { played << row; });
    QWidget* viewport = List().ListView()->viewport();
    const auto at = [&](int row) { return List().ListView()->visualRect(Model().index(row, 3)).center(); };

    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, at(0));
    EXPECT_EQ(played, QList<int>{0});
    EXPECT_FALSE(List().IsDownloading());

    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, at(1));
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, at(1));
    EXPECT_EQ(played, QList<int>{0});
    EXPECT_TRUE(List().IsDownloading());
    EXPECT_FALSE(List().AppendsNewTasks());
    ASSERT_TRUE(h_->WaitIdle());
    EXPECT_EQ(Model().Task(1)->state, DownloadTask::LocalFile);
}

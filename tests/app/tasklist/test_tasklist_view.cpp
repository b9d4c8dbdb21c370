// The task list as the user sees and handles it: a row in each state drawn
// (the picture is written for review), clicks on check boxes, double clicks.

#include "app/tasklist/TaskListTest.h"

#include "app/tasklist/TaskListText.h"
#include "retrieval/DownloadWorker.h"

#include <QDir>
#include <QImage>
#include <QMap>
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
    ASSERT_EQ(Model().CellColour(2, 6), QColor(192, 0, 0));
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

    // Pixels of one cell of the picture, and how often each colour occurs.
    const auto colours = [&](int row, int column) {
        QRect r = List().ListView()->visualRect(Model().index(row, column));
        r.translate(origin);
        r.adjust(1, 1, -1, -1); // without the grid lines
        QMap<QRgb, int> count;
        for (int py = r.top(); py <= r.bottom(); ++py)
            for (int px = r.left(); px <= r.right(); ++px)
                ++count[shot.pixel(px, py) & 0xFFFFFF];
        return count;
    };
    // The failed row's status is written in dark red: its glyphs' strokes
    // are drawn in exactly that colour.
    EXPECT_GT(colours(2, 6).value(qRgb(192, 0, 0) & 0xFFFFFF), 10);
    // The selected row is drawn on the selection colour: its empty status
    // cell is all of it, an unselected row's is not.
    const QMap<QRgb, int> selected = colours(3, 6);
    EXPECT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.firstKey(), qRgb(48, 140, 198) & 0xFFFFFF) << QColor(selected.firstKey()).name().toStdString();
    EXPECT_EQ(colours(2, 2).value(qRgb(48, 140, 198) & 0xFFFFFF), 0);
    // The local file's row: its texts from the file, drawn in every cell.
    const QStringList local{Model().CellText(3, 1), Model().CellText(3, 2), Model().CellText(3, 3),
                            Model().CellText(3, 4), Model().CellText(3, 5), Model().CellText(3, 6)};
    EXPECT_EQ(local, (QStringList{"sitesim-mp4", "00:00:02", "H264", "320x240", "15 fps", ""}));
    for (int column = 1; column <= 5; ++column)
        EXPECT_GT(colours(3, column).size(), 2) << "nothing drawn in column " << column;
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

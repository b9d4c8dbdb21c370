#pragma once
// A task list on the real worker against the shared site simulator.

#include "app/tasklist/TaskListHarness.h"

#include "support/SimulatorSuite.h"
#include "app/tasklist/TaskListView.h"

#include <QDropEvent>
#include <QMimeData>

class TaskListTest : public SimulatorSuite {
  protected:
    static void SetUpTestSuite() {
        EnsureApplication();
        SimulatorSuite::SetUpTestSuite();
    }
    void SetUp() override {
        SimulatorSuite::SetUp();
        qputenv("ZORV_CONNECT_TO", sim_->ConnectToValue().toUtf8());
        qputenv("ZORV_CA_BUNDLE", sim_->CaBundlePath().toUtf8());
        h_ = std::make_unique<TaskListHarness>(Path());
    }
    void TearDown() override {
        h_.reset();
        qunsetenv("ZORV_CONNECT_TO");
        qunsetenv("ZORV_CA_BUNDLE");
        SimulatorSuite::TearDown();
    }

    static QString Metacafe() { return QStringLiteral("http://www.metacafe.com/watch/1000001/sample_clip/"); }
    static QString YouTube(const QString& id) {
        return QStringLiteral("http://www.youtube.com/watch?v=") + id;
    }

    DownloadTaskList& List() { return h_->List(); }
    TaskListModel& Model() { return h_->Model(); }
    int Rows() { return Model().TaskCount(); }

    // Drops `data` in the middle of the list as a file manager or a browser
    // would.
    void Drop(QMimeData* data) {
        QWidget* viewport = h_->List().ListView()->viewport();
        const QPoint at(viewport->width() / 2, viewport->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
        delete data;
    }

    std::unique_ptr<TaskListHarness> h_;
};

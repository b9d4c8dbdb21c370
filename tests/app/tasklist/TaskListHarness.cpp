#include "app/tasklist/TaskListHarness.h"

#include "base/AppLog.h"
#include "history/HistoryDb.h"
#include "app/tasklist/TaskListView.h"

#include <QApplication>

int FakePrompts::Count(const QString& text) const {
    return static_cast<int>(
        std::count_if(shown.begin(), shown.end(), [&](const Shown& s) { return s.text == text; }));
}

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "test_tasklist";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

TaskListHarness::TaskListHarness(const QString& folder) {
    EnsureApplication();
    InitLog(folder + QStringLiteral("/ruzivar.log"));
    settings.OutputFolder = folder + QStringLiteral("/out");
    OpenHistoryDB(db_, folder + QStringLiteral("/history.db"));
    list_ = std::make_unique<DownloadTaskList>(settings, prompts, power, nullptr);
    list_->SetHistoryDb(db_.get());
    list_->SetBeepHook([this] { ++beeps; });
    QObject::connect(list_.get(), &DownloadTaskList::quitRequested, [this] { ++quits; });
    QObject::connect(list_.get(), &DownloadTaskList::historyInserted, [this] { ++historySignals; });
    QObject::connect(list_.get(), &DownloadTaskList::statusTextChanged,
                     [this](const QString& text) { statusLines << text; });
    list_->CreateWorker();
    list_->View()->resize(960, 240);
    list_->View()->show();
}

TaskListHarness::~TaskListHarness() {
    list_.reset();
    db_.reset();
    ShutdownLog();
}

void TaskListHarness::Post(int msg, qintptr wParam, qintptr lParam, std::optional<QString> text) {
    GuiMessageTarget target(list_.get());
    target.Post(msg, wParam, lParam, std::move(text));
    QCoreApplication::sendPostedEvents(list_.get());
}

bool TaskListHarness::WaitIdle(std::chrono::milliseconds timeout) {
    return WaitOnWindow([this] { return !list_->IsDownloading(); }, timeout);
}

int TaskListHarness::HistoryRows() const {
    return CountHistory(db_.get());
}

QString TaskListHarness::StatusCell(int row) const {
    return list_->Model()->CellText(row, TaskListModel::StatusColumn);
}

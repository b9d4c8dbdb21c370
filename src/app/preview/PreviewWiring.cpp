#include "app/preview/PreviewWiring.h"

#include "app/tasklist/DownloadTaskList.h"
#include "app/history/HistoryList.h"
#include "app/preview/CPreviewPanel.h"

#include <memory>

void ConnectPreviewToTaskList(CPreviewPanel& panel, DownloadTaskList& list) {
    CPreviewPanel* p = &panel;
    DownloadTaskList* l = &list;
    QObject::connect(l, &DownloadTaskList::showTaskInPreviewRequested, p, [p, l](int row) {
        if (p->State() != CPreviewPanel::Stopped)
            return; // a playing preview keeps its task
        p->ShowTask(row >= 0 ? l->Model()->Task(row) : nullptr);
        if (row >= 0 && l->IsDownloading())
            p->EnableControls(0);
    });
    QObject::connect(l, &DownloadTaskList::playTaskRequested, p, [p, l](int row) {
        p->ShowTask(l->Model()->Task(row));
        p->Play(0);
    });
    QObject::connect(p, &CPreviewPanel::marksChanged, l, [l] {
        // Marks of a history entry are not the task list's to show.
        if (l->View()->isVisible())
            l->RewriteSelectedDuration();
    });
    QObject::connect(l, &DownloadTaskList::taskAboutToBeRemoved, p, [p](DownloadTask* task) {
        if (p->Task() == task)
            p->ShowTask(nullptr);
    });
    // The batch's start and end both refresh the tool bar.
    auto batchSeen = std::make_shared<bool>(false);
    QObject::connect(l, &DownloadTaskList::toolbarChanged, p, [p, l, batchSeen] {
        if (l->IsDownloading() == *batchSeen)
            return;
        *batchSeen = l->IsDownloading();
        p->EnableControls(*batchSeen ? 0 : 1);
    });
}

void ConnectPreviewToHistoryList(CPreviewPanel& panel, HistoryList& list) {
    CPreviewPanel* p = &panel;
    QObject::connect(&list, &HistoryList::showTaskInPreviewRequested, p, [p](DownloadTask* task) {
        if (p->State() == CPreviewPanel::Stopped)
            p->ShowTask(task);
    });
    QObject::connect(&list, &HistoryList::playTaskRequested, p, [p](DownloadTask* task) {
        p->ShowTask(task);
        p->Play(0);
    });
    QObject::connect(&list, &HistoryList::taskAboutToBeRemoved, p, [p](DownloadTask* task) {
        if (p->Task() == task)
            p->ShowTask(nullptr);
    });
}

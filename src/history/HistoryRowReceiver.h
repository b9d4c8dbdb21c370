#pragma once
// Whatever lists the rows of the history: the history pane of the main
// window, the command-line front end, tests.
//
// Threads: called on the thread that runs QueryHistory.

#include "history/DownloadTask.h"

class HistoryRowReceiver {
  public:
    virtual ~HistoryRowReceiver() = default;
    // One row, in the database's natural (insertion) order. The receiver
    // owns the task from here on.
    virtual void AddHistoryRow(DownloadTask task) = 0;
};

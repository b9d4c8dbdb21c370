#pragma once
// How the task list drives the preview panel: a selected row is shown
// (unless the preview plays), a double click plays, changed marks rewrite
// the duration cell, a batch disables the preview while it runs, and a
// removed task leaves the preview first.
//
// Threads: main thread only.

class CPreviewPanel;
class DownloadTaskList;
class HistoryList;

void ConnectPreviewToTaskList(CPreviewPanel& panel, DownloadTaskList& list);

// The history list drives it the same way: its selection shows an entry, a
// double click plays it, and a deleted entry leaves the preview first.
void ConnectPreviewToHistoryList(CPreviewPanel& panel, HistoryList& list);

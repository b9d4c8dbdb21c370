#pragma once
// How the task list drives the preview panel: a selected row is shown
// (unless the preview plays), a double click plays, changed marks rewrite
// the duration cell, a batch disables the preview while it runs, and a
// removed task leaves the preview first.
//
// Threads: main thread only.

class CPreviewPanel;
class DownloadTaskList;

void ConnectPreviewToTaskList(CPreviewPanel& panel, DownloadTaskList& list);

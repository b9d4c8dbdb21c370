#pragma once
// The worker as the window drives it: one page queued with Enqueue, a batch
// started with Start (so the stop poll is live on every block), every
// notification drained on this thread through a QueueMessageTarget until
// UM_DOWNLOAD_ALL_DONE. Runs in a process of its own (the benchmark execs
// itself), so its peak RSS belongs to this one batch.

#include <string>

// Downloads `pageUrl` into `outputFolder` and prints "seconds <s>" (Start to
// UM_DOWNLOAD_ALL_DONE) on stdout. Returns 0 when the item was downloaded,
// 1 otherwise (the reason on stdout).
int RunWorkerBatch(const std::string& pageUrl, const std::string& outputFolder);

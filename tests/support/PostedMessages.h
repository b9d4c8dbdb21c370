#pragma once
// Reading a download batch's notifications in tests: the status codes of one
// row, how often a message came, and collecting them until the batch ends.

#include "platform/MessageTarget.h"
#include "retrieval/DownloadMessages.h"

#include <algorithm>
#include <chrono>
#include <vector>

// Status codes posted for `row`, in order (any container of PostedMessage).
template <typename Messages> std::vector<int> Statuses(const Messages& all, int row) {
    std::vector<int> codes;
    for (const PostedMessage& m : all)
        if (m.msg == UM_DOWNLOAD_STATUS && DownloadStatus::RowOf(m.lParam) == (row & 0xFFFF))
            codes.push_back(DownloadStatus::CodeOf(m.lParam));
    return codes;
}

template <typename Messages> int Count(const Messages& all, int msg) {
    return static_cast<int>(
        std::count_if(all.begin(), all.end(), [msg](const PostedMessage& m) { return m.msg == msg; }));
}

// Appends notifications to `all` until one matches `match`; false when none
// came within `limit`.
template <typename Messages, typename Match>
bool CollectUntil(QueueMessageTarget& target, Messages& all, Match&& match,
                  std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        std::optional<PostedMessage> m = target.Wait(std::chrono::milliseconds(100));
        if (!m)
            continue;
        all.push_back(*m);
        if (match(*m))
            return true;
    }
    return false;
}

// Appends notifications to `all` until the batch ends (UM_DOWNLOAD_ALL_DONE
// or UM_DOWNLOAD_STOPPED); false when it did not end within `limit`.
template <typename Messages>
bool CollectUntilBatchEnds(QueueMessageTarget& target, Messages& all,
                           std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    return CollectUntil(
        target, all,
        [](const PostedMessage& m) { return m.msg == UM_DOWNLOAD_ALL_DONE || m.msg == UM_DOWNLOAD_STOPPED; },
        limit);
}


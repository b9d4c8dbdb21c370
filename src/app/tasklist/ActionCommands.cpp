#include "app/tasklist/ActionCommands.h"

#include "app/tasklist/DownloadTaskList.h"
#include "base/AppSettings.h"
#include "base/CommandIds.h"
#include "history/DownloadTask.h"
#include "ui/CommandTable.h"

namespace ActionCommands {
std::optional<MediaRange> MarkedRange(const DownloadTask& task) {
    const int out = task.markOutMs > 0 ? task.markOutMs : task.lengthMs;
    if (out <= task.markInMs || (task.markInMs <= 0 && out >= task.lengthMs))
        return std::nullopt;
    return MediaRange{task.markInMs, out};
}

void Register(CommandTable& c, DownloadTaskList& list, const AppSettings& settings, SelectedFile selected) {
    DownloadTaskList* l = &list;
    const AppSettings* s = &settings;
    c.Add(
        CommandId::SaveMarkedRange,
        [selected] {
            const DownloadTask* task = selected();
            return task && MarkedRange(*task).has_value();
        },
        [l, s, selected] {
            const DownloadTask* task = selected();
            if (!task)
                return;
            MediaAction action;
            action.range = MarkedRange(*task);
            action.exact = s->ExactCut != 0;
            if (action.range)
                l->StartMediaAction(*task, action);
        });
    const struct {
        int command;
        MediaFormat format;
    } conversions[] = {{CommandId::ConvertToMp3, MediaFormat::Mp3},
                       {CommandId::ConvertToM4a, MediaFormat::M4a},
                       {CommandId::ConvertToMp4, MediaFormat::Mp4}};
    for (const auto& conversion : conversions) {
        const MediaFormat format = conversion.format;
        c.Add(
            conversion.command, [selected] { return selected() != nullptr; },
            [l, s, selected, format] {
                if (const DownloadTask* task = selected()) {
                    MediaAction action;
                    action.format = format;
                    action.mp3Quality = s->MP3_VBRQ;
                    l->StartMediaAction(*task, action);
                }
            });
    }
}
} // namespace ActionCommands

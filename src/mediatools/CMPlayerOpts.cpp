#include "mediatools/CMPlayerOpts.h"

#include "mediatools/ToolFolders.h"

CMPlayerOpts::CMPlayerOpts(const QString& executable) {
    SetProgram(executable.isEmpty() ? FindMPlayer() : executable);
}

void CMPlayerOpts::ParseOptions(const QString& text) {
    ParseOptionText(text);
}

void SetPreviewOptions(CMPlayerOpts& opts, const QString& file, quint64 windowId, const QString& videoOut,
                       int volumeNorm, int outVolume) {
    opts.SetInputFile(file);
    opts.AddFlag(QStringLiteral("-slave"));
    opts.AddFlag(QStringLiteral("-quiet"));
    opts.AddFlag(QStringLiteral("-nokeepaspect"));
    opts.SetOption(QStringLiteral("-vf-add"), "scale=320:-2,expand=320:240");
    // X11 window ids are unsigned; "%d" would turn a large one negative.
    opts.SetOption(QStringLiteral("-wid"), "%llu", static_cast<unsigned long long>(windowId));
    opts.SetOption(QStringLiteral("-colorkey"), "0x10");
    if (!videoOut.isEmpty())
        opts.SetOptionValue(QStringLiteral("-vo"), videoOut);
    if (volumeNorm)
        opts.SetOption(QStringLiteral("-af"), "volnorm");
    if (outVolume)
        opts.AppendOption(QStringLiteral("-af"), 1, QStringLiteral(","), "volume=%d", outVolume);
}

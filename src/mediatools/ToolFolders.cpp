#include "mediatools/ToolFolders.h"

#include "base/AppFolders.h"

#include <QFileInfo>

#include <mutex>

namespace {
std::mutex gOverrideMutex;
QString gMPlayerOverride;
} // namespace

QString GetToolFolder() {
    return GetAppFolder() + QStringLiteral("/gnu");
}

QString GetMPlayerToolFolder() {
    return GetToolFolder() + QStringLiteral("/avc");
}

QString FindTool(const QString& folder, const QString& name) {
    const QFileInfo bundled(folder + QLatin1Char('/') + name);
    if (bundled.isFile() && bundled.isExecutable())
        return bundled.absoluteFilePath();
    return name;
}

QString FindMPlayer() {
    {
        std::lock_guard lock(gOverrideMutex);
        if (!gMPlayerOverride.isEmpty())
            return gMPlayerOverride;
    }
    return FindTool(GetMPlayerToolFolder(), QStringLiteral("mplayer"));
}

void SetMPlayerPathOverride(const QString& path) {
    std::lock_guard lock(gOverrideMutex);
    gMPlayerOverride = path;
}

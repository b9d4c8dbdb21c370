#include "base/AppSettings.h"

#include "base/AppFolders.h"
#include "base/AppLog.h"
#include "base/CZVRegistry.h"
#include "base/Localization.h"

#include <QDir>
#include <QStandardPaths>

AppSettings::AppSettings() {
    OutputFolder = DefaultOutputFolder();
    MPLAYER_VO = QStringLiteral("x11");
    Publish();
}

QString AppSettings::DefaultOutputFolder() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty() || !QDir().mkpath(documents))
        return GetAppFolder() + QStringLiteral("/output");
    if (!documents.endsWith(QLatin1Char('/')))
        documents += QLatin1Char('/');
    return documents + QLatin1String(kProductName);
}

namespace {
// Reads a DWORD into an int field, keeping the field when the value is missing.
void Read(CZVRegistry& reg, const char* name, int& field) {
    reg.ReadInt(QLatin1String(name), field, field);
}

void Read(CZVRegistry& reg, const char* name, QString& field) {
    reg.ReadString(QLatin1String(name), field, field);
}

void Write(CZVRegistry& reg, const char* name, int field) {
    reg.WriteDword(QLatin1String(name), static_cast<quint32>(field));
}

void Write(CZVRegistry& reg, const char* name, const QString& field) {
    reg.WriteString(QLatin1String(name), field);
}
} // namespace

int AppSettings::Load() {
    const QString key = QLatin1String(kOutputKey);
    {
        CZVRegistry reg(true);
        QString language;
        if (!reg.Open(key) || !reg.ReadString(QStringLiteral("LangID"), language, QString()) ||
            language.isEmpty())
            language = LookupLanguageCode(SystemLanguageId()).value_or(QString());
        LangID = language.isEmpty() ? QStringLiteral("en") : language;
    }
    CZVRegistry reg(true);
    if (reg.Open(key)) {
        Read(reg, "OutputFolder", OutputFolder);
        Read(reg, "YTUser", YTUser);
        Read(reg, "YTPasswd", YTPasswd);
        Read(reg, "NicoUser", NicoUser);
        Read(reg, "NicoPasswd", NicoPasswd);
        Read(reg, "ShutdownFlag", ShutdownFlag);
        Read(reg, "UseTitleAsFileName", UseTitleAsFileName);
        Read(reg, "UseInternalCache", UseInternalCache);
        Read(reg, "RetryTimes", RetryTimes);
        Read(reg, "YoutubeFMT", YoutubeFMT);
        Read(reg, "YtDlpPath", YtDlpPath);
        Read(reg, "DonotSepDVD", DonotSepDVD);
        Read(reg, "MPLAYER_VO", MPLAYER_VO);
        Read(reg, "OUT_VOLUME", OUT_VOLUME);
        Read(reg, "VOLUME_NORM", VOLUME_NORM);
        Read(reg, "AAC_MPEG", AAC_MPEG);
        Read(reg, "AAC_OBJECT", AAC_OBJECT);
        Read(reg, "MP3_ENCODE", MP3_ENCODE);
        Read(reg, "MP3_VOLUME", MP3_VOLUME);
        Read(reg, "MP3_AQ", MP3_AQ);
        Read(reg, "MP3_VBRQ", MP3_VBRQ);
        Read(reg, "DEINT", DEINT);
        Read(reg, "IVTC", IVTC);
        Read(reg, "Fit2Width", Fit2Width);
        Read(reg, "Fit2Height", Fit2Height);
        Read(reg, "ExpandSize", ExpandSize);
        Read(reg, "ExpandRound16", ExpandRound16);
        Read(reg, "ProcessPriority", ProcessPriority);
        Read(reg, "EncodeThreads", EncodeThreads);
    }
    Publish();
    return 1;
}

int AppSettings::Save() {
    const QString key = QLatin1String(kOutputKey);
    CZVRegistry reg(false);
    if (!reg.Open(key)) {
        reg.Create(key);
        reg.Close();
        reg.Create(key); // the store has no empty keys: "open again" is creating it
    }
    // A failed write is skipped; the next value is still written.
    Write(reg, "OutputFolder", OutputFolder);
    Write(reg, "YTUser", YTUser);
    Write(reg, "YTPasswd", YTPasswd);
    Write(reg, "NicoUser", NicoUser);
    Write(reg, "NicoPasswd", NicoPasswd);
    Write(reg, "ShutdownFlag", ShutdownFlag);
    Write(reg, "YoutubeFMT", YoutubeFMT);
    Write(reg, "YtDlpPath", YtDlpPath);
    Write(reg, "UseTitleAsFileName", UseTitleAsFileName);
    Write(reg, "UseInternalCache", UseInternalCache);
    Write(reg, "DonotSepDVD", DonotSepDVD);
    Write(reg, "RetryTimes", RetryTimes);
    Write(reg, "MPLAYER_VO", MPLAYER_VO);
    Write(reg, "OUT_VOLUME", OUT_VOLUME);
    Write(reg, "VOLUME_NORM", VOLUME_NORM);
    Write(reg, "AAC_MPEG", AAC_MPEG);
    Write(reg, "AAC_OBJECT", AAC_OBJECT);
    Write(reg, "MP3_ENCODE", MP3_ENCODE);
    Write(reg, "MP3_VOLUME", MP3_VOLUME);
    Write(reg, "MP3_AQ", MP3_AQ);
    Write(reg, "MP3_VBRQ", MP3_VBRQ);
    Write(reg, "DEINT", DEINT);
    Write(reg, "IVTC", IVTC);
    Write(reg, "Fit2Width", Fit2Width);
    Write(reg, "Fit2Height", Fit2Height);
    Write(reg, "ExpandSize", ExpandSize);
    Write(reg, "ExpandRound16", ExpandRound16);
    Write(reg, "ProcessPriority", ProcessPriority);
    Write(reg, "EncodeThreads", EncodeThreads);
    Write(reg, "LangID", LangID);
    if (!reg.Sync())
        LogWarnW("AppSettings", QStringLiteral("Cannot write the settings file %1").arg(reg.FileName()));
    Publish();
    return 1;
}

void AppSettings::Publish() {
    auto copy = std::make_shared<const SettingsValues>(static_cast<const SettingsValues&>(*this));
    std::lock_guard<std::mutex> guard(sharedLock_);
    shared_ = std::move(copy);
}

std::shared_ptr<const SettingsValues> AppSettings::Shared() const {
    std::lock_guard<std::mutex> guard(sharedLock_);
    return shared_;
}

AppSettings& Settings() {
    static AppSettings settings;
    return settings;
}

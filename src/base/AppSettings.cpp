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
    stored_ = *this;
    Publish();
}

QString AppSettings::DefaultOutputFolder() {
    // Videos belong in the user's videos folder (XDG_VIDEOS_DIR, ~/Videos).
    QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (videos.isEmpty() || !QDir().mkpath(videos))
        return GetAppFolder() + QStringLiteral("/output");
    if (!videos.endsWith(QLatin1Char('/')))
        videos += QLatin1Char('/');
    return videos + QLatin1String(kProductName);
}

namespace {
// Every stored value under its name, in the order they are read.
struct IntField {
    const char* name;
    int SettingsValues::*field;
};
struct TextField {
    const char* name;
    QString SettingsValues::*field;
};
constexpr TextField kTextFields[] = {
    {"OutputFolder", &SettingsValues::OutputFolder}, {"YTUser", &SettingsValues::YTUser},
    {"YTPasswd", &SettingsValues::YTPasswd},         {"NicoUser", &SettingsValues::NicoUser},
    {"NicoPasswd", &SettingsValues::NicoPasswd},     {"MPLAYER_VO", &SettingsValues::MPLAYER_VO},
    {"YtDlpPath", &SettingsValues::YtDlpPath},       {"LangID", &SettingsValues::LangID},
};
constexpr IntField kIntFields[] = {
    {"ShutdownFlag", &SettingsValues::ShutdownFlag},
    {"UseTitleAsFileName", &SettingsValues::UseTitleAsFileName},
    {"UseInternalCache", &SettingsValues::UseInternalCache},
    {"RetryTimes", &SettingsValues::RetryTimes},
    {"YoutubeFMT", &SettingsValues::YoutubeFMT},
    {"DonotSepDVD", &SettingsValues::DonotSepDVD},
    {"OUT_VOLUME", &SettingsValues::OUT_VOLUME},
    {"VOLUME_NORM", &SettingsValues::VOLUME_NORM},
    {"AAC_MPEG", &SettingsValues::AAC_MPEG},
    {"AAC_OBJECT", &SettingsValues::AAC_OBJECT},
    {"MP3_ENCODE", &SettingsValues::MP3_ENCODE},
    {"MP3_VOLUME", &SettingsValues::MP3_VOLUME},
    {"MP3_AQ", &SettingsValues::MP3_AQ},
    {"MP3_VBRQ", &SettingsValues::MP3_VBRQ},
    {"DEINT", &SettingsValues::DEINT},
    {"IVTC", &SettingsValues::IVTC},
    {"Fit2Width", &SettingsValues::Fit2Width},
    {"Fit2Height", &SettingsValues::Fit2Height},
    {"ExpandSize", &SettingsValues::ExpandSize},
    {"ExpandRound16", &SettingsValues::ExpandRound16},
    {"ProcessPriority", &SettingsValues::ProcessPriority},
    {"EncodeThreads", &SettingsValues::EncodeThreads},
    {"AfterDownload", &SettingsValues::AfterDownload},
    {"KeepOriginal", &SettingsValues::KeepOriginal},
    {"ExactCut", &SettingsValues::ExactCut},
    {"WatchClipboard", &SettingsValues::WatchClipboard},
};
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
        // Missing values keep the current ones; the language was read above.
        for (const TextField& f : kTextFields)
            if (QLatin1String(f.name) != QLatin1String("LangID"))
                reg.ReadString(QLatin1String(f.name), this->*f.field, this->*f.field);
        for (const IntField& f : kIntFields)
            reg.ReadInt(QLatin1String(f.name), this->*f.field, this->*f.field);
    }
    stored_ = *this;
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
    // Only what this run changed, and what the store lacks: another running
    // copy of the program may have stored the rest since. A failed write is
    // skipped; the next value is still written.
    for (const TextField& f : kTextFields) {
        QString held;
        if (this->*f.field == stored_.*f.field && reg.ReadString(QLatin1String(f.name), held, QString()))
            continue;
        if (reg.WriteString(QLatin1String(f.name), this->*f.field))
            stored_.*f.field = this->*f.field;
    }
    for (const IntField& f : kIntFields) {
        int held = 0;
        if (this->*f.field == stored_.*f.field && reg.ReadInt(QLatin1String(f.name), held, 0))
            continue;
        if (reg.WriteDword(QLatin1String(f.name), static_cast<quint32>(this->*f.field)))
            stored_.*f.field = this->*f.field;
    }
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

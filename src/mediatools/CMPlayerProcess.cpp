#include "mediatools/CMPlayerProcess.h"

#include "mediatools/MPlayerText.h"

#include <QRegularExpression>

#include <climits>
#include <cmath>

CMPlayerProcess::CMPlayerProcess(int progressParsing, int fixedBuffer)
    : progressParsing_(progressParsing != 0), fixedBuffer_(fixedBuffer != 0) {}

CMPlayerProcess::~CMPlayerProcess() {
    Close();
}

void CMPlayerProcess::OnOutput(const char* chunk) {
    // The decoder keeps a character split between two chunks for the next one.
    const QString piece = decoder_(QByteArrayView(chunk));
    std::lock_guard lock(textMutex_);
    if (!haveText_) {
        haveText_ = true;
        if (fixedBuffer_)
            text_.reserve(kTextCapacity + 1);
    }
    if (fixedBuffer_ && text_.size() + piece.size() >= kTextCapacity) {
        // Full: start again with this chunk, keeping the memory bounded.
        text_.resize(0);
        text_.append(piece.left(kTextCapacity));
    } else {
        text_.append(piece);
        // Past the bound only the newest output is kept; a quarter goes at
        // once so that a long run does not move the text for every chunk.
        if (text_.size() > kCollectLimit)
            text_.remove(0, text_.size() - kCollectLimit + kCollectLimit / 4);
    }
    if (progressParsing_)
        ScanStatusLineLocked();
}

void CMPlayerProcess::ScanStatusLineLocked() {
    static const QRegularExpression statusLine(
        QStringLiteral("V:\\s*([\\d\\.]+)\\s+(\\d+)/"
                       "(\\d+)\\s+([\\d\\.]+)%\\s+([\\d\\.]+)%\\s+([\\d\\.]+)%\\s+\\d+\\s+\\d+"));
    QRegularExpressionMatch last;
    for (QRegularExpressionMatchIterator it = statusLine.globalMatch(text_); it.hasNext();)
        last = it.next();
    if (!last.hasMatch())
        return;
    progressPosition_ = LeadingDouble(last.capturedView(1));
    progressFrame_ = LeadingInt(last.capturedView(2));
}

QString CMPlayerProcess::Text() const {
    std::lock_guard lock(textMutex_);
    return text_;
}

double CMPlayerProcess::ProgressPosition() const {
    std::lock_guard lock(textMutex_);
    return progressPosition_;
}

int CMPlayerProcess::ProgressFrame() const {
    std::lock_guard lock(textMutex_);
    return progressFrame_;
}

int CMPlayerProcess::ParseVideo() {
    const QString text = Text();
    QString value;
    MPlayerValues& v = values_;
    FindLastValue(text, QStringLiteral("ID_DEMUXER"), &v.demuxer);
    const bool found = FindLastValue(text, QStringLiteral("ID_VIDEO_FORMAT"), &v.videoFormat) >= 0;
    if (FindLastValue(text, QStringLiteral("ID_VIDEO_BITRATE"), &value) >= 0)
        v.videoBitrate = LeadingInt(value);
    if (FindLastValue(text, QStringLiteral("ID_VIDEO_HEIGHT"), &value) >= 0)
        v.height = LeadingInt(value);
    if (FindLastValue(text, QStringLiteral("ID_VIDEO_WIDTH"), &value) >= 0)
        v.width = LeadingInt(value);
    if (FindLastValue(text, QStringLiteral("ID_VIDEO_FPS"), &value) >= 0)
        v.fps = LeadingDouble(value);
    if (FindLastValue(text, QStringLiteral("ID_VIDEO_ASPECT"), &value) >= 0)
        v.aspect = LeadingDouble(value);
    if (FindLastValue(text, QStringLiteral("ID_LENGTH"), &value) >= 0) {
        // Whole milliseconds, truncated; the nudge keeps a decimal like 2.05
        // from turning into 2049 through its binary approximation.
        // A length past the int range is clamped like the integer keys, and
        // "inf" / "nan" (which the number reader accepts) mean no usable
        // length: converting either to int is undefined behaviour.
        const double ms = LeadingDouble(value) * 1000.0;
        if (!std::isfinite(ms))
            v.lengthMs = 0;
        else if (ms >= double(INT_MAX))
            v.lengthMs = INT_MAX;
        else if (ms <= double(INT_MIN))
            v.lengthMs = INT_MIN;
        else
            v.lengthMs = static_cast<int>(ms + (ms >= 0 ? 1e-6 : -1e-6));
    }
    return found ? 1 : 0;
}

int CMPlayerProcess::ParseAudio() {
    const QString text = Text();
    QString value;
    MPlayerValues& v = values_;
    if (FindLastValue(text, QStringLiteral("ID_AUDIO_CODEC"), &v.audioCodec) >= 0)
        v.hasAudio = 1;
    FindLastValue(text, QStringLiteral("ID_AUDIO_FORMAT"), &v.audioFormat);
    if (FindLastValue(text, QStringLiteral("ID_AUDIO_BITRATE"), &value) >= 0)
        v.audioBitrate = LeadingInt(value);
    if (FindLastValue(text, QStringLiteral("ID_AUDIO_RATE"), &value) >= 0)
        v.audioRate = LeadingInt(value);
    if (FindLastValue(text, QStringLiteral("ID_AUDIO_NCH"), &value) >= 0)
        v.audioChannels = LeadingInt(value);
    return 1;
}

int CMPlayerProcess::GetAudioTracks(QStringList& tracks) const {
    tracks.clear();
    const QString text = Text();
    // One pass for the languages: a search per track would read a long
    // output once for every track it lists.
    const QHash<QString, QString> languages =
        FindValuesByInfix(text, QStringLiteral("ID_AID_"), QStringLiteral("_LANG"));
    for (const QString& id : FindAllValues(text, QStringLiteral("ID_AUDIO_ID"))) {
        const auto language = languages.constFind(id);
        if (language != languages.constEnd())
            tracks << id + QStringLiteral(" - ") + language->toUpper();
        else
            tracks << id;
    }
    return static_cast<int>(tracks.size());
}

int CMPlayerProcess::GetPercentPos() const {
    std::lock_guard lock(textMutex_);
    if (!haveText_)
        return 0;
    if (text_.size() < kAnswerWindow)
        return -1;
    static const QString answer = QStringLiteral("ANS_PERCENT_POSITION=");
    const QStringView tail = QStringView(text_).right(kAnswerWindow);
    const qsizetype pos = tail.indexOf(answer);
    return pos < 0 ? -1 : LeadingInt(tail.mid(pos + answer.size()));
}

#include "mediatools/CYtDlpProcess.h"

#include <QStringDecoder>

#include <cstring>

CYtDlpProcess::CYtDlpProcess(Mode mode, qint64 byteLimit) : mode_(mode), byteLimit_(byteLimit) {}

CYtDlpProcess::~CYtDlpProcess() {
    Close();
}

void CYtDlpProcess::OnOutput(const char* chunk) {
    // A NUL byte in the output ends the chunk's text early; whatever else
    // binary output holds still fails the UTF-8 check of its line.
    const qsizetype n = static_cast<qsizetype>(std::strlen(chunk));
    bool close = false;
    {
        std::lock_guard lock(mutex_);
        bytes_ += n;
        if (mode_ == Mode::Collect)
            ++activity_; // a metadata run prints nothing but its answer
        if (mode_ == Mode::Collect && bytes_ > byteLimit_) {
            overflowed_ = true;
            close = true;
        } else {
            const char* p = chunk;
            const char* end = chunk + n;
            while (p < end) {
                const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
                if (!nl) {
                    partial_.append(p, end - p);
                    break;
                }
                partial_.append(p, nl - p);
                LineLocked(std::move(partial_));
                partial_ = QByteArray();
                p = nl + 1;
            }
            if (mode_ == Mode::Download && partial_.size() > kMaxLineBytes) {
                unreadable_ = true;
                partial_.clear();
            }
        }
    }
    if (close)
        Close();
}

void CYtDlpProcess::LineLocked(QByteArray line) {
    if (line.endsWith('\r'))
        line.chop(1);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(line);
    bool control = false;
    for (const QChar c : text)
        control = control || ((c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7F);
    if (decoder.hasError() || control) {
        unreadable_ = true;
        return;
    }
    if (mode_ == Mode::Collect) {
        lines_.append(std::move(line));
        return;
    }
    if (std::optional<YtDlpProgress> p = ParseYtDlpProgress(text)) {
        if (p->received != progress_.received || p->finished != progress_.finished)
            ++activity_;
        progress_ = *p;
        return;
    }
    const QLatin1StringView filePrefix(kYtDlpFilePrefix);
    if (text.startsWith(filePrefix)) {
        filePath_ = text.mid(filePrefix.size());
        ++activity_;
        return;
    }
    if (std::optional<YtDlpVideoInfo> info = ParseYtDlpVideoInfo(text)) {
        videoInfo_ = std::move(*info);
        ++videoInfoCount_;
        ++activity_;
        return;
    }
    if (text.startsWith(u"ERROR:")) {
        lastError_ = text;
        ++activity_;
    } else if (text.startsWith(u"WARNING:") || text.startsWith(u'[')) {
        ++activity_;
    }
    lines_.append(std::move(line));
    if (lines_.size() > kTailLines)
        lines_.removeFirst();
}

QList<QByteArray> CYtDlpProcess::RawLines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

QStringList CYtDlpProcess::Lines() const {
    QStringList out;
    for (const QByteArray& line : RawLines())
        out << QString::fromUtf8(line);
    return out;
}

bool CYtDlpProcess::Overflowed() const {
    std::lock_guard lock(mutex_);
    return overflowed_;
}

bool CYtDlpProcess::Unreadable() const {
    std::lock_guard lock(mutex_);
    return unreadable_;
}

YtDlpProgress CYtDlpProcess::Progress() const {
    std::lock_guard lock(mutex_);
    return progress_;
}

QString CYtDlpProcess::FilePath() const {
    std::lock_guard lock(mutex_);
    return filePath_;
}

QString CYtDlpProcess::ErrorLine() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

YtDlpVideoInfo CYtDlpProcess::VideoInfo() const {
    std::lock_guard lock(mutex_);
    return videoInfo_;
}

int CYtDlpProcess::VideoInfoCount() const {
    std::lock_guard lock(mutex_);
    return videoInfoCount_;
}

quint64 CYtDlpProcess::Activity() const {
    std::lock_guard lock(mutex_);
    return activity_;
}

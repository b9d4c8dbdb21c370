#include "mediatools/CFFMpegProcess.h"

#include <cstring>

CFFMpegProcess::~CFFMpegProcess() {
    Close();
}

void CFFMpegProcess::OnOutput(const char* chunk) {
    const char* p = chunk;
    const char* end = chunk + std::strlen(chunk);
    std::lock_guard lock(mutex_);
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        if (!nl) {
            partial_.append(p, end - p);
            partial_.truncate(kMaxLineBytes);
            return;
        }
        partial_.append(p, nl - p);
        LineLocked(partial_);
        partial_.clear();
        p = nl + 1;
    }
}

void CFFMpegProcess::LineLocked(const QByteArray& rawLine) {
    QByteArray line = rawLine.left(kMaxLineBytes);
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty())
        return;
    // Progress keys are lower-case words; an error line never has this shape.
    const qsizetype eq = line.indexOf('=');
    const QByteArray key = eq > 0 ? line.left(eq) : QByteArray();
    bool isKey = !key.isEmpty();
    for (const char c : key)
        isKey = isKey && ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_');
    if (isKey) {
        const QByteArray value = line.mid(eq + 1);
        if (key == "out_time_us") {
            bool ok = false;
            const qint64 us = value.toLongLong(&ok);
            if (ok && us >= 0)
                outTimeUs_ = us;
        } else if (key == "progress" && value == "end") {
            ended_ = true;
        }
        return;
    }
    tail_ << QString::fromUtf8(line);
    if (tail_.size() > kTailLines)
        tail_.removeFirst();
}

qint64 CFFMpegProcess::OutTimeUs() const {
    std::lock_guard lock(mutex_);
    return outTimeUs_;
}

bool CFFMpegProcess::ReportedEnd() const {
    std::lock_guard lock(mutex_);
    return ended_;
}

QStringList CFFMpegProcess::TailLines() const {
    std::lock_guard lock(mutex_);
    return tail_;
}

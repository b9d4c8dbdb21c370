#include "browser/CTextFileReader.h"

#include <QStringEncoder>

#include <utility>

CTextFileReader::CTextFileReader(const QString& path) : file_(path) {
    if (!file_.open(QIODevice::ReadOnly))
        return;
    char mark[3] = {};
    const qint64 got = file_.read(mark, 3);
    const auto byte = [&](qint64 i) { return i < got ? int(static_cast<unsigned char>(mark[i])) : -1; };
    qint64 textStart = 0;
    QStringConverter::Encoding codec = QStringConverter::System;
    if (byte(0) == 0xFF && byte(1) == 0xFE) {
        encoding_ = Encoding::Utf16LE;
        codec = QStringConverter::Utf16LE;
        textStart = 2;
    } else if (byte(0) == 0xFE && byte(1) == 0xFF) {
        encoding_ = Encoding::Utf16BE;
        codec = QStringConverter::Utf16BE;
        textStart = 2;
    } else if (byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        encoding_ = Encoding::Utf8;
        codec = QStringConverter::Utf8;
        textStart = 3;
    }
    // The mark, if any, is skipped by position: a second one right after it
    // is text and must stay (the decoder would otherwise swallow it).
    decoder_ = Decoder(codec, QStringConverter::Flag::ConvertInitialBom);
    if (!file_.seek(textStart))
        file_.close();
}

bool CTextFileReader::ReadBlock() {
    if (atEnd_ || !file_.isOpen())
        return false;
    char block[kBlockSize];
    const qint64 got = file_.read(block, kBlockSize);
    pending_.remove(0, pos_);
    pos_ = 0;
    if (got <= 0) {
        atEnd_ = true;
        if (carry_.isEmpty())
            return false;
        // The file ended inside a sequence.
        carry_.clear();
        pending_ += QChar(QChar::ReplacementCharacter);
        return true;
    }
    // The decoder is never left inside a sequence between blocks: given the
    // rest of one in the next call, it would take a following byte that
    // does not continue it as part of it (a line end could vanish).
    QByteArray chunk = std::exchange(carry_, QByteArray());
    chunk.append(block, got);
    pending_ += decoder_.decode(chunk);
    if (const qsizetype held = decoder_.HeldBytes(); held > 0) {
        carry_ = chunk.right(held);
        decoder_.resetState();
    }
    return true;
}

namespace {
// UTF-16 files may hold surrogates without their partner; they become
// U+FFFD like any other undecodable input (the pattern engine refuses text
// that is not valid UTF-16). A pair never spans a line end.
QString Valid(QString line) {
    return line.isValidUtf16()
               ? line
               : QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom)
                     .decode(QStringEncoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless)
                                 .encode(line));
}
} // namespace

bool CTextFileReader::ReadLine(QString& line) {
    line.clear();
    qsizetype scanFrom = pos_;
    for (;;) {
        if (skipLf_ && pos_ < pending_.size()) {
            skipLf_ = false;
            if (pending_.at(pos_) == QLatin1Char('\n'))
                ++pos_;
            scanFrom = pos_;
        }
        for (qsizetype i = scanFrom; i < pending_.size(); ++i) {
            const QChar c = pending_.at(i);
            if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
                continue;
            line = Valid(pending_.mid(pos_, i - pos_));
            pos_ = i + 1;
            skipLf_ = c == QLatin1Char('\r');
            return true;
        }
        scanFrom = pending_.size() - pos_; // offset kept across the compaction in ReadBlock
        if (!ReadBlock()) {
            if (pos_ >= pending_.size())
                return false; // nothing after the last line end
            line = Valid(pending_.mid(pos_));
            pos_ = pending_.size();
            return true;
        }
        scanFrom = pos_ + scanFrom;
    }
}

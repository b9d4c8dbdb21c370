#pragma once
// Line-by-line reading of a text file whose encoding is told by its first
// bytes: a byte-order mark selects UTF-16 (either order) or UTF-8, anything
// else is read in the system's code page from the first byte on. The mark is
// not part of the text. Lines end at CR, LF or CR LF; the ends are not part
// of the lines. Bytes that do not decode, and UTF-16 surrogates without their
// partner, become U+FFFD and reading goes on.
//
// Threads: one object belongs to one thread.

#include <QFile>
#include <QString>
#include <QStringDecoder>

class CTextFileReader {
  public:
    enum class Encoding { Ansi, Utf16LE, Utf16BE, Utf8 };
    static constexpr qint64 kBlockSize = 1024;

    explicit CTextFileReader(const QString& path);
    CTextFileReader(const CTextFileReader&) = delete;
    CTextFileReader& operator=(const CTextFileReader&) = delete;

    bool IsOpen() const { return file_.isOpen(); }
    Encoding GetEncoding() const { return encoding_; }
    // The next line into `line`; false at the end of the file (or on a read
    // error), with `line` emptied.
    bool ReadLine(QString& line);

  private:
    // A decoder that tells how many bytes of an unfinished sequence it holds.
    class Decoder : public QStringDecoder {
      public:
        using QStringDecoder::QStringDecoder;
        qsizetype HeldBytes() const { return state.remainingChars; }
    };

    // Decodes the next block onto pending_; false when nothing was left.
    bool ReadBlock();

    QFile file_;
    Encoding encoding_ = Encoding::Ansi;
    Decoder decoder_;
    QByteArray carry_;    // a sequence cut by the block's end, decoded with the next block
    QString pending_;     // decoded text not handed out yet
    qsizetype pos_ = 0;   // start of the unread part of pending_
    bool skipLf_ = false; // the last line ended at a CR: a following LF belongs to it
    bool atEnd_ = false;
};

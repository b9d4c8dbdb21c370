// The text file reader: byte-order marks, line ends and decoding in 1024-byte
// blocks. Whatever the block edges split (a CR LF pair, a multi-byte
// sequence, a UTF-16 unit), the lines must equal those of the whole text
// decoded at once.
//
// Input: the file's bytes.

#include "FuzzFile.h"
#include "FuzzInput.h"
#include "browser/CTextFileReader.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
class WholeDecoder : public QStringDecoder {
  public:
    using QStringDecoder::QStringDecoder;
    bool InsideSequence() const { return state.remainingChars > 0; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzFile scratch("fuzz_textreader");
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CTextFileReader reader(scratch.Write(bytes));
    FUZZ_CHECK(reader.IsOpen());

    QStringConverter::Encoding codec = QStringConverter::System;
    qsizetype markSize = 0;
    switch (reader.GetEncoding()) {
    case CTextFileReader::Encoding::Utf16LE:
        FUZZ_CHECK(bytes.startsWith("\xFF\xFE"));
        codec = QStringConverter::Utf16LE;
        markSize = 2;
        break;
    case CTextFileReader::Encoding::Utf16BE:
        FUZZ_CHECK(bytes.startsWith("\xFE\xFF"));
        codec = QStringConverter::Utf16BE;
        markSize = 2;
        break;
    case CTextFileReader::Encoding::Utf8:
        FUZZ_CHECK(bytes.startsWith("\xEF\xBB\xBF"));
        codec = QStringConverter::Utf8;
        markSize = 3;
        break;
    case CTextFileReader::Encoding::Ansi:
        FUZZ_CHECK(!bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF") &&
                   !bytes.startsWith("\xEF\xBB\xBF"));
        break;
    }

    QStringList lines;
    QString line;
    while (reader.ReadLine(line)) {
        FUZZ_CHECK(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
        lines << line;
        FUZZ_CHECK(lines.size() <= bytes.size());
    }
    FUZZ_CHECK(line.isEmpty());

    WholeDecoder whole(codec, QStringConverter::Flag::ConvertInitialBom);
    QString text = whole.decode(QByteArrayView(bytes).sliced(markSize));
    if (whole.InsideSequence())
        text += QChar(QChar::ReplacementCharacter);
    // Unpaired surrogates read as U+FFFD, as through a UTF-8 round trip.
    text =
        QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom)
            .decode(QStringEncoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless).encode(text));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList expected = text.split(QLatin1Char('\n'));
    if (expected.last().isEmpty())
        expected.removeLast();
    FUZZ_CHECK(lines == expected);
    return 0;
}

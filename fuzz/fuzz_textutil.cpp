// The text helpers that see page and address text: entity and percent
// decoding, stream-map unescaping, address joining, query values, splitting
// and cutting to a byte budget.
//
// Input: text \x1F key \x1F base address \x1F one byte (cut budget).

#include "FuzzInput.h"
#include "retrieval/TextUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const QByteArray textBytes = in.NextBytes();
    const QString text = QString::fromUtf8(textBytes);
    const QString key = in.NextText();
    const QString base = in.NextText();
    const int budget = in.NextSmall() - 8; // a few negative budgets too

    // Entities only ever shrink text or keep it: "&#N;" is at least four
    // characters and gives at most two.
    const QString decoded = DecodeEntities(text);
    FUZZ_CHECK(decoded.size() <= text.size());
    FUZZ_CHECK(!decoded.contains(QChar(0)));
    if (text.startsWith(QLatin1Char('&')) && text.endsWith(QLatin1Char(';')))
        (void)DecodeEntity(text);

    // Each escape is three bytes for one.
    const QByteArray percent = PercentDecode(textBytes);
    FUZZ_CHECK(percent.size() <= textBytes.size());
    if (!textBytes.contains('%'))
        FUZZ_CHECK(percent == textBytes);

    const QString unescaped = UnescapeStreamUrl(text);
    FUZZ_CHECK(!unescaped.contains(QChar(0)));
    FUZZ_CHECK(unescaped.size() <= text.size());

    (void)DecodeUrl(text);
    const QString absolute = MakeAbsoluteUrl(text, base);
    FUZZ_CHECK(absolute == text || absolute.endsWith(text));

    if (!key.isEmpty()) {
        const std::optional<QString> value = GetQueryValue(text, key);
        if (value) {
            FUZZ_CHECK(!value->contains(QLatin1Char('&')));
            FUZZ_CHECK(text.contains(key + *value));
        }
    }

    const QChar separator = key.isEmpty() ? QLatin1Char(',') : key.at(0);
    const QStringList pieces = SplitText(text, separator);
    FUZZ_CHECK(pieces.size() == text.count(separator) + 1);

    const QString cut = CutToUtf8Bytes(text, budget);
    FUZZ_CHECK(text.startsWith(cut));
    FUZZ_CHECK(cut.toUtf8().size() <= std::max(budget, 0));
    // The longest such prefix, never half of a surrogate pair.
    if (budget > 0 && cut.size() < text.size()) {
        const bool pair = text.at(cut.size()).isHighSurrogate() && cut.size() + 1 < text.size() &&
                          text.at(cut.size() + 1).isLowSurrogate();
        const QString next = text.mid(cut.size(), pair ? 2 : 1);
        FUZZ_CHECK(cut.toUtf8().size() + next.toUtf8().size() > budget);
        FUZZ_CHECK(!text.at(cut.size()).isLowSurrogate());
    }
    return 0;
}

// Option and setting texts: the stored window placement, the user's extra
// tool options, the numbered texts' placeholders (translations come from
// language files) and the command line of zorv-get.
//
// Input: placement text \x1F tool options \x1F format text \x1F argument
// text \x1F command-line words separated by spaces or \x1F bytes.

#include "FuzzInput.h"
#include "base/TextFill.h"
#include "base/WindowPlacement.h"
#include "cli/CliOptions.h"
#include "cli/CliText.h"
#include "mediatools/CCmdOpts.h"
#include "mediatools/CMEncoderOpts.h"
#include "mediatools/CMPlayerOpts.h"

namespace {
// Tool builders look up their program once; every input only changes options.
CMPlayerOpts& Player() {
    static CMPlayerOpts* opts = new CMPlayerOpts(QStringLiteral("/usr/bin/mplayer"));
    return *opts;
}
CMEncoderOpts& Encoder() {
    static CMEncoderOpts* opts = new CMEncoderOpts(QStringLiteral("/usr/bin/mencoder"));
    return *opts;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const QString placementText = in.NextText();
    const QString optionText = in.NextText();
    const QString format = in.NextText();
    const QString arg = in.NextText();
    QStringList words;
    while (!in.AtEnd())
        words << in.NextText();

    if (const std::optional<WindowPlacement> placement = ParseWindowPos(placementText)) {
        // What is read is written back the same way.
        const std::optional<WindowPlacement> again = ParseWindowPos(FormatWindowPos(*placement));
        FUZZ_CHECK(again && *again == *placement);
    }

    for (CCmdOpts* opts : {static_cast<CCmdOpts*>(&Player()), static_cast<CCmdOpts*>(&Encoder())}) {
        opts->ClearOptions();
        opts->ParseOptions(optionText);
        const QStringList arguments = opts->BuildArguments();
        FUZZ_CHECK(!arguments.isEmpty() && arguments.first() == opts->Program());
        for (const CmdOption& option : opts->Options()) {
            FUZZ_CHECK(!option.name.isEmpty());
            FUZZ_CHECK(!option.value.contains(QLatin1Char(' ')));
        }
    }

    const QString filled = FillFormat(format, {arg});
    if (!format.contains(QLatin1Char('%')))
        FUZZ_CHECK(filled == format);

    QStringList arguments;
    for (const QString& word : words)
        arguments << word.split(QLatin1Char(' '));
    const CliParseResult result = ParseCliArguments(arguments);
    if (result.error.isEmpty()) {
        const CliOptions& o = result.options;
        FUZZ_CHECK(o.help || o.checkUpdate || o.history || !o.addresses.isEmpty());
        if (o.retryTimes)
            FUZZ_CHECK(*o.retryTimes >= 0);
    }
    return 0;
}

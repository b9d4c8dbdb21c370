#include "cli/CliPrompts.h"

void CliPrompts::ShowMessage(const QString& text, Icon icon) {
    std::lock_guard lock(mutex_);
    if (shown_.contains(text))
        return;
    shown_.insert(text);
    const char* prefix = icon == Icon::Warning || icon == Icon::Error ? "warning: " : "note: ";
    std::fprintf(out_, "%s%s\n", prefix, text.toUtf8().constData());
    std::fflush(out_);
}

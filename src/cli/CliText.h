#pragma once
// Filling the numbered texts' placeholders without printf: a translated text
// with a stray or mismatched "%" must never read arguments that are not there.

#include <QString>

// Replaces the first printf conversion (%s, %d, %u, %ld, ...) with `arg` and
// every "%%" with "%"; other text is kept as it stands.
QString FillText(const QString& format, const QString& arg);

#pragma once
// Reading mplayer's "KEY=value" lines. A key counts only at the start of a
// line and directly followed by "=", so a file name or title that happens to
// contain "ID_VIDEO_FORMAT=" cannot pose as a key. Lines may end in CR LF or
// LF; a line without its line end is not complete yet and is not read.
//
// Threads: pure functions, any thread.

#include <QHash>
#include <QString>
#include <QStringList>

// The last line of `key`: stores its value and returns the position of its
// "=", or returns -1 (value untouched) when there is none.
int FindLastValue(const QString& text, const QString& key, QString* value);
// The first line of `key` starting at or after `from`; same results.
int FindValueFrom(const QString& text, const QString& key, int from, QString* value);
// Every value of `key`, in order of appearance.
QStringList FindAllValues(const QString& text, const QString& key);
// The values of every key "<prefix>X<suffix>" by X, read in one pass: X
// runs to the first "<suffix>=" of its line and the first line of each key
// wins.
QHash<QString, QString> FindValuesByInfix(const QString& text, const QString& prefix, const QString& suffix);

// Leading number of a text, like the C library readers: leading blanks, a
// sign and digits; 0 when there is none. Never depends on the locale.
int LeadingInt(QStringView text);
double LeadingDouble(QStringView text);

#pragma once
// The program's numbered strings in English: the texts every language file
// may replace by the same numbers, and the fallback when none does.

#include <QList>
#include <QString>

// The built-in text of string `id`; empty when the program has no such string.
QString BuiltinString(int id);
// Every number the built-in table holds, ascending.
QList<int> BuiltinStringIds();

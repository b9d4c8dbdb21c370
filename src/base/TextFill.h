#pragma once
// Filling a numbered text's printf-style conversions ("%s", "%d", ...) with
// ready-made texts, in order. The texts come from language files the user
// may edit, so they are never handed to a real printf: a conversion
// without an argument is dropped and "%%" becomes "%".

#include <QString>
#include <QStringList>

QString FillFormat(const QString& format, const QStringList& args);

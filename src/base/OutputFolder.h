#pragma once
// Cleaning of the output folder the user typed or stored.
//
// The result keeps the character rules of Windows file systems, so a folder
// chosen here stays valid when the files are copied there: '*', '?', '"',
// '<', '>', '|' and every ':' become '-', as does the first slash of every
// doubled separator. Trailing separators and surrounding white space go,
// '\' becomes '/', a relative folder is placed under the user's home folder
// and an empty one becomes the "temp" sub-folder of the system temp folder.
// The result is always absolute; the folder itself is not created here.
//
// Threads: a pure function of its argument, the home and the temp folder;
// callable from any thread.

#include <QString>

QString NormalizeOutputFolder(const QString& folder);

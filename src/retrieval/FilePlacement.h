#pragma once
// Putting a download's file in place without ever touching another's: the
// temporary file is created exclusively and locked while it is in use,
// and the finished file is moved to its final name without replacing one.
//
// Threads: every function may be called from any thread; the record of the
// temporary files in use is guarded by one lock.

#include <QString>

// What a download is written to before it is moved to its final name.
inline constexpr const char* kTemporarySuffix = ".qxt";

// The first of "folder/name.ext", "folder/name_001.ext" ... "_999" that does
// not exist and whose temporary file (".qxt" appended) does not exist either,
// or is one a killed program left (TemporaryFileAbandoned); the folder is
// created first. Empty when all 1000 are taken: handing back an existing file
// would let the caller overwrite it.
QString MakeUniquePath(const QString& folder, const QString& name, const QString& extension);

// Creates `path` exclusively and records it as in use, holding a lock on it
// (flock) until it is released, so other programs see it is in use. A file
// of that name that nobody holds (its download's program was killed) is
// taken over and emptied. False with errno set (EEXIST: another download
// has that name).
bool CreateTemporaryFile(const QString& path);

// True when `path` is a temporary file no download holds: one a killed
// program left behind. Its name is free again.
bool TemporaryFileAbandoned(const QString& path);

// Forgets a temporary file created above; deletes it when `remove` is set.
void ReleaseTemporaryFile(const QString& path, bool remove);

// Deletes every temporary file in use, for a program that is about to end at
// once (a second interrupt). Creating one fails from then on.
void RemoveTemporaryFilesInUse();

enum class MoveMethod {
    NoReplaceRename, // renameat2 with RENAME_NOREPLACE, else LinkThenUnlink
    LinkThenUnlink,  // link(2) to the new name, then unlink(2) the old one
};

// Moves `from` to `to` without replacing any file: when `to` is taken (by a
// download that finished meanwhile) the next free name is used and written
// to `to`. False with errno set when the file could not be moved.
bool MoveWithoutReplacing(const QString& from, QString& to, MoveMethod method = MoveMethod::NoReplaceRename);

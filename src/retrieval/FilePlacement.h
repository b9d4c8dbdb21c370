#pragma once
// Putting a download's file in place without ever touching another's: the
// temporary file is created exclusively and locked while it is in use,
// and the finished file is moved to its final name without replacing one.
//
// Threads: every function may be called from any thread; the record of the
// temporary files in use is guarded by one lock.

#include <QByteArray>
#include <QString>

#include <optional>

// What a download is written to before it is moved to its final name.
inline constexpr const char* kTemporarySuffix = ".qxt";

// Attributes of a temporary file beside the freedesktop address ones
// (FileAttributes.h): the validators and the length of the answer its bytes
// came from.
inline constexpr const char* kEtagAttribute = "user.zorv.etag";
inline constexpr const char* kLastModifiedAttribute = "user.zorv.last-modified";
inline constexpr const char* kLengthAttribute = "user.zorv.length";

// The first of "folder/name.ext", "folder/name_001.ext" ... "_999" that does
// not exist and whose temporary file (".qxt" appended) does not exist either,
// or is one a killed program left (TemporaryFileAbandoned); the folder is
// created first. Empty when all 1000 are taken: handing back an existing file
// would let the caller overwrite it.
QString MakeUniquePath(const QString& folder, const QString& name, const QString& extension);

// What becomes of a temporary file a killed program left behind.
enum class Takeover {
    Empty, // it starts empty
    Keep,  // its bytes stay (the caller may continue it, or empty it)
};

// Creates `path` exclusively and records it as in use, holding it open and
// locked (flock) until it is released, so other programs see it is in use.
// A file of that name that nobody holds (its download's program was killed)
// is taken over. False with errno set (EEXIST: another download has that
// name).
bool CreateTemporaryFile(const QString& path, Takeover takeover = Takeover::Empty);

// The descriptor of a temporary file in use, duplicated for the caller (who
// closes it): the download is written through the file that was created and
// locked, never through whatever the name points to by then. -1 with errno
// EBADF when `path` is not in use.
int DuplicateTemporaryFile(const QString& path);

// Empties a temporary file in use. False with errno set.
bool EmptyTemporaryFile(const QString& path);

// The size of a temporary file in use; -1 when it is not in use.
long long TemporaryFileSize(const QString& path);

// Up to `bytes` of a temporary file in use, from its start.
QByteArray TemporaryFileStart(const QString& path, int bytes);

// An extended attribute of a temporary file in use (FileAttributes.h); an
// empty value removes it. Setting is false, reading nullopt, where the
// file system keeps no user attributes or `path` is not in use.
bool SetTemporaryFileAttribute(const QString& path, const char* name, const QByteArray& value);
std::optional<QByteArray> TemporaryFileAttribute(const QString& path, const char* name);

// True while `path` still names the file created for it (nothing was
// swapped in under that name).
bool TemporaryFileIntact(const QString& path);

// True when `path` is a temporary file no download holds: one a killed
// program left behind. Its name is free again.
bool TemporaryFileAbandoned(const QString& path);

// Forgets a temporary file created above; deletes it when `remove` is set.
void ReleaseTemporaryFile(const QString& path, bool remove);

// Deletes every temporary file in use, for a program that is about to end at
// once (a second interrupt). Creating one fails from then on.
void RemoveTemporaryFilesInUse();

// The container a media file's first bytes name, as a file extension: "mp4"
// or "3gp" (by the brand of an ISO "ftyp" box), "flv", "webm" (EBML); empty
// when they name none of these.
QString ContainerOfBytes(const QByteArray& start);

enum class MoveMethod {
    NoReplaceRename, // renameat2 with RENAME_NOREPLACE, else LinkThenUnlink
    LinkThenUnlink,  // link(2) to the new name, then unlink(2) the old one
};

// Moves `from` to `to` without replacing any file: when `to` is taken (by a
// download that finished meanwhile) the next free name is used and written
// to `to`. False with errno set when the file could not be moved.
bool MoveWithoutReplacing(const QString& from, QString& to, MoveMethod method = MoveMethod::NoReplaceRename);

#pragma once
// The update check: fetches the published version file, compares it with
// the program's own version and posts the outcome to the process-wide
// receiver.
//
// Threads: CheckVersionThread runs on its own short-lived thread (or on the
// caller's, for the command line). SetVersionReceiver is called by the user
// interface thread; a receiver cleared there is never posted to afterwards,
// so a dialog may clear it and be destroyed while a check still runs.

#include <QString>

#include <thread>

class MessageTarget;

inline constexpr int UM_VERSION_NEWER = 2038;
inline constexpr int UM_VERSION_CURRENT = 2039;
inline constexpr int UM_VERSION_FAILED = 2040;

struct VersionTriple {
    int major = 0;
    int minor = 0;
    int build = 0;
};

// The version this program was built as (1.0.8).
VersionTriple ProgramVersion();

// True when `latest` is later than `current` (major, then minor, then build).
bool IsNewerVersion(const VersionTriple& current, const VersionTriple& latest);

// wParam/lParam packing of the result messages: minor in the high 16 bits
// and major in the low 16 bits of wParam, build in lParam.
qintptr PackVersionWParam(const VersionTriple& v);
VersionTriple UnpackVersion(qintptr wParam, qintptr lParam);

// Sets or clears (nullptr) the receiver of the result messages.
void SetVersionReceiver(MessageTarget* receiver);

// "http://" + update host + "/zorvfetch_version.ini".
QString VersionFileUrl();
// Where the fetched file is kept: "version.ini" in the application folder,
// or in the data folder when the application folder is not writable.
QString LocalVersionFilePath();

// Downloads `url` into `localPath`; 1 on success, 0 on failure. Whatever
// body the server sends is saved. The file is replaced only once the body is
// complete, so a broken transfer never leaves a half-written copy.
int GetFile(const QString& url, const QString& localPath);

// The whole check; returns 0.
int CheckVersionThread(VersionTriple current);

// Starts the check on a new thread. The caller joins it, or detaches it
// when the program may end first (the thread then owns only its copies).
std::thread StartCheckVersionThread(VersionTriple current);

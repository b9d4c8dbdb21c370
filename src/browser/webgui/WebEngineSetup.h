#pragma once
// Starting the web engine for the browser dialogs: its command-line flags
// (which must be in place before the first web object exists) and the one
// private profile every dialog of the process shares.
//
// Threads: the window's thread only.

#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

#include <optional>

class QWebEngineProfile;

// The browser's host routing for a ZORV_CONNECT_TO value
// ("HOST:PORT:CONNECT_HOST:CONNECT_PORT,..."): "MAP HOST:PORT CONNECT_HOST:CONNECT_PORT"
// rules joined by ", ". Entries without a host name or with another shape
// are left out. Empty when nothing is routed.
QString HostResolverRules(const QString& connectTo);

// True for an http(s) address whose host and port a ZORV_CONNECT_TO value
// routes (the local site simulator), and for one on a loopback address.
bool RoutedOrLocal(const QUrl& url, const QString& connectTo);

// Adds the routing to the engine's flags; a process running as root (where
// the engine's sandbox cannot start) runs the engine without it. The
// authorities of `extraCaFile` become ExtraAuthorities(). Only the first call
// of the process has an effect.
void PrepareWebEngine(const QString& connectTo, const QString& extraCaFile = QString());

// The authorities the downloader trusts besides the system's.
const QList<QSslCertificate>& ExtraAuthorities();

// True when `chain` (leaf first) is valid for `host` under `authorities`
// alone. The engine itself judges every chain of the system's authorities
// (with checks of its own, such as revocation); this accepts only what it
// cannot know: the downloader's extra authorities.
bool TrustedChain(const QList<QSslCertificate>& chain, const QString& host,
                  const QList<QSslCertificate>& authorities);

// Whether the process runs as root, where the engine runs without its
// sandbox and the dialogs open only the local simulator's pages. Tests, which
// run as root on some machines and not on others, may fix the answer
// (nullopt: the real one again); the sandbox always follows the real one.
bool RunningAsRoot();
void SetRunningAsRootForTests(std::optional<bool> root);

// The dialogs' profile: kept in memory only, so nothing the sites set outlives
// the process except through the program's own jar.
QWebEngineProfile* DialogProfile();

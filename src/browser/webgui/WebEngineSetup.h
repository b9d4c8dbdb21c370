#pragma once
// Starting the web engine for the browser dialogs: its command-line flags
// (which must be in place before the first web object exists) and the one
// private profile every dialog of the process shares.
//
// Threads: the window's thread only.

#include <QList>
#include <QSslCertificate>
#include <QString>

class QWebEngineProfile;

// The browser's host routing for a ZORV_CONNECT_TO value
// ("HOST:PORT:CONNECT_HOST:CONNECT_PORT,..."): "MAP HOST:PORT CONNECT_HOST:CONNECT_PORT"
// rules joined by ", ". Entries without a host name or with another shape
// are left out. Empty when nothing is routed.
QString HostResolverRules(const QString& connectTo);

// Adds the routing to the engine's flags; a process running as root (where
// the engine's sandbox cannot start) runs the engine without it. The
// authorities of `extraCaFile` are added to those the process trusts. Only
// the first call of the process has an effect.
void PrepareWebEngine(const QString& connectTo, const QString& extraCaFile = QString());

// True when `chain` (leaf first) is valid for `host` under the system's
// authorities and the extra ones: the engine knows only the system's, and the
// downloader trusts both, so the browser accepts what the downloader would.
bool TrustedChain(const QList<QSslCertificate>& chain, const QString& host);

// The dialogs' profile: kept in memory only, so nothing the sites set outlives
// the process except through the program's own jar.
QWebEngineProfile* DialogProfile();

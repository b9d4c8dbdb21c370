#pragma once
// The process-wide HTTP plumbing every request of the program shares: one
// libcurl share object holding the cookie jar (and DNS cache) for the life of
// the process, the test routing of ZORV_CONNECT_TO and the extra CA file of
// ZORV_CA_BUNDLE. The transport, the update check and the link import all
// configure their handles with ApplyTransportDefaults so they see the same
// cookies and the same routing.
//
// Threads: every function may be called from any thread; the share object
// serialises access to the jar with its own locks.

#include <curl/curl.h>

#include <QString>
#include <QStringList>

// Prepares a fresh easy handle: shared cookies and DNS, the cookie engine
// switched on, ZORV_CONNECT_TO routing (read on every call), TLS verification
// with the system CAs plus ZORV_CA_BUNDLE, no automatic redirects, and the
// stall and connect time-outs. The CAs come from one file (the system bundle,
// or a copy of it with the extra CAs appended, written once per process and
// version of the extra file), so libcurl parses it once per connection pool
// rather than on every handshake. The lists and files it attaches stay valid
// for the life of the process, so the handle may outlive the call.
void ApplyTransportDefaults(CURL* easy);

// Every cookie of the shared jar, one line each in the Netscape cookie-file
// format (domain, subdomains flag, path, secure, expiry, name, value, tab
// separated; "#HttpOnly_" prefixed domain for HTTP-only cookies).
QStringList ExportCookies();

// Adds one cookie to the shared jar. Accepts a Netscape cookie-file line as
// ExportCookies gives it, or a "Set-Cookie: name=value; domain=...; path=..."
// header line (which needs a domain attribute to be useful).
void ImportCookie(const QString& line);

// Forgets every cookie of the shared jar.
void ClearCookies();

#pragma once
// Text and path helpers shared by the transport, the worker and the site
// extractors. All are free functions without state.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// HTML entities of titles: &nbsp; &lt; &gt; &amp; &quot;, decimal &#N; and
// hexadecimal &#xH;. Any other "&...;" run is dropped. A reference to code 0
// or to no character decodes to U+FFFD; a raw character of code 0 ends the text.
QString DecodeEntities(const QString& text);
QString DecodeEntity(const QString& entity);

// "%XX" with two hex digits becomes one byte; everything else, "+" included,
// is kept.
QByteArray PercentDecode(const QByteArray& bytes);

// %XX, \uXXXX and backslash escapes of stream-map addresses.
QString UnescapeStreamUrl(const QString& text);

// Every percent escape of an address decoded (UTF-8).
QString DecodeUrl(const QString& address);

// A relative redirect target resolved as "http://" + base server + location.
QString MakeAbsoluteUrl(const QString& location, const QString& baseAddress);

// The value after `key` (e.g. "srcurl=") up to the next "&"; nullopt when the
// key is missing, at position 0, or directly followed by "&".
std::optional<QString> GetQueryValue(const QString& text, const QString& key);

// Pieces between separators, each trimmed; empty pieces are kept.
QStringList SplitText(const QString& text, QChar separator);

// Replaces each of :/\*?"<>| with `replacement`.
void SanitizeFileName(QString& text, QChar replacement);

// folder without trailing white space and separators, "/", name.
QString JoinPath(const QString& folder, const QString& name);

// The longest prefix of `text` whose UTF-8 form fits in `maxBytes`, cut on a
// character boundary.
QString CutToUtf8Bytes(const QString& text, int maxBytes);

// One value of an application/x-www-form-urlencoded body: everything but the
// unreserved characters escaped, so "&", "=", "+" and "%" arrive as typed.
QString FormValue(const QString& value);

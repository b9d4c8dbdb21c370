#pragma once
// Splitting of full addresses into the parts a request needs.

#include <QString>

#include <optional>

struct UrlParts {
    QString scheme; // lower case, e.g. "http"
    QString server; // host name as written (lower-cased by QUrl)
    QString object; // encoded path + "?" + query; "/" when empty
    int port = 0;   // explicit port, or the scheme's default
};

// Fails unless the text is a valid absolute address with a scheme and host.
std::optional<UrlParts> ParseUrl(const QString& text);

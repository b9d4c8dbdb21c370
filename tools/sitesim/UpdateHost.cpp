#include "sitesim/UpdateHost.h"

#include "sitesim/SimHttp.h"

#include <QStringList>

QByteArray UpdateHost::VersionFile(const QString& version, VersionFileMode mode) {
    const QStringList parts = version.split('.');
    const QString section = mode == VersionFileMode::Correct ? "General" : "Gerneral";
    return QString("; Zorv YouTube Downloader release information\r\n"
                   "[%1]\r\nmajor_version=%2\r\nminor_version=%3\r\nbuild=%4\r\n"
                   "home_page=http://%5/\r\n")
        .arg(section, parts.value(0, "0"), parts.value(1, "0"), parts.value(2, "0"), ZORV_UPDATE_HOST)
        .toUtf8();
}

bool UpdateHost::Handle(const httplib::Request& req, httplib::Response& res) const {
    if (req.path == "/") {
        SimHttp::SendPage(res, "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                               "<title>Quillmere - Zorv YouTube Downloader</title></head>\n"
                               "<body><h1>Zorv YouTube Downloader</h1><p>Latest version: " +
                                   SimHttp::HtmlEscape(ctx_.PublishedVersion()) + "</p></body></html>\n");
        return true;
    }
    if (req.path != "/zorvfetch_version.ini")
        return false;
    const VersionFileMode mode = ctx_.VersionFile();
    if (mode == VersionFileMode::Missing) {
        SimHttp::SendPage(res, "<html><body><h1>404 Not Found</h1></body></html>", 404);
        return true;
    }
    if (mode == VersionFileMode::Empty) {
        SimHttp::SendText(res, QByteArray(), "text/plain");
        return true;
    }
    SimHttp::SendText(res, VersionFile(ctx_.PublishedVersion(), mode), "text/plain");
    return true;
}

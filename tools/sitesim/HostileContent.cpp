#include "sitesim/HostileContent.h"

#include "sitesim/SimHttp.h"

#include <algorithm>
#include <memory>

namespace HostileContent {

namespace {
constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr qint64 kGarbageBytes = 256 * 1024;
constexpr qint64 kSlice = 64 * 1024;

// A page of head + `padding` bytes of filler + tail, handed out in slices,
// never held as one 50 MB string.
class PaddedPage {
  public:
    PaddedPage(std::string head, std::string tail, qint64 padding)
        : head_(std::move(head)), tail_(std::move(tail)), padding_(padding) {}

    qint64 Size() const { return qint64(head_.size()) + padding_ + qint64(tail_.size()); }

    std::string Slice(qint64 at, qint64 length) const {
        static const std::string filler = [] {
            const std::string line = "<div class=\"filler\">&nbsp;nothing to see here&nbsp;</div>\n";
            std::string block;
            while (block.size() < 64 * 1024)
                block += line;
            return block;
        }();
        const qint64 headSize = qint64(head_.size());
        length = std::min(length, Size() - at);
        if (at < headSize)
            return head_.substr(size_t(at), size_t(std::min(length, headSize - at)));
        if (at < headSize + padding_) {
            const size_t from = size_t((at - headSize) % qint64(filler.size()));
            const qint64 room = std::min(headSize + padding_ - at, qint64(filler.size() - from));
            return filler.substr(from, size_t(std::min(length, room)));
        }
        return tail_.substr(size_t(at - headSize - padding_), size_t(length));
    }

  private:
    std::string head_;
    std::string tail_;
    qint64 padding_;
};

void SendPadded(httplib::Response& res, std::shared_ptr<const PaddedPage> page, bool withLength) {
    if (withLength) {
        res.set_content_provider(
            size_t(page->Size()), kHtml, [page](size_t offset, size_t length, httplib::DataSink& sink) {
                const std::string slice = page->Slice(qint64(offset), std::min(qint64(length), kSlice));
                return sink.write(slice.data(), slice.size());
            });
        return;
    }
    auto sent = std::make_shared<qint64>(0);
    res.set_chunked_content_provider(kHtml, [page, sent](size_t, httplib::DataSink& sink) {
        if (*sent >= page->Size()) {
            sink.done();
            return true;
        }
        const std::string slice = page->Slice(*sent, kSlice);
        *sent += qint64(slice.size());
        return sink.write(slice.data(), slice.size());
    });
}

std::string Garbage() {
    std::string bytes(size_t(kGarbageBytes), '\0');
    quint32 state = 0x2545F491u;
    for (char& c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = char(state >> 24);
    }
    return bytes;
}
} // namespace

bool IsPageMode(const QString& mode) {
    return mode.isEmpty() || mode == "huge" || mode == "hugechunked" || mode == "garbage" ||
           mode == "rawtitle";
}

QString PageTitle(const QString& mode, const QString& title) {
    return mode == "rawtitle" ? title : SimHttp::HtmlEscape(title);
}

void SendWatchPage(httplib::Response& res, const QString& mode, const QString& html) {
    if (mode == "huge" || mode == "hugechunked") {
        // The filler goes right after <body>, before anything a client looks for.
        const std::string page = html.toStdString();
        const size_t body = page.find("<body>");
        const size_t split = body == std::string::npos ? 0 : body + 6;
        SendPadded(
            res,
            std::make_shared<const PaddedPage>(page.substr(0, split), page.substr(split), kHugePageBytes),
            mode == "huge");
        return;
    }
    if (mode == "garbage") {
        res.set_content(Garbage(), kHtml);
        return;
    }
    SimHttp::SendPage(res, html);
}

} // namespace HostileContent

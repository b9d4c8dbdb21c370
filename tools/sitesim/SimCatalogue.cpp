#include "sitesim/SimCatalogue.h"

#include "sitesim/HostileContent.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {

const QSet<QString>& MediaKinds() {
    static const QSet<QString> kinds{"flv", "mp4", "videoonly", "swf", "mp4b", "mp4c"};
    return kinds;
}

const QSet<QString>& Faults() {
    static const QSet<QString> faults{"", "slow", "cut", "nolength", "404", "redirect3", "redirect10"};
    return faults;
}

SimVideo ReadVideo(const QJsonObject& o) {
    SimVideo v;
    v.id = o.value("id").toString();
    v.title = o.value("title").toString();
    v.media = o.value("media").toString("flv");
    v.fault = o.value("fault").toString();
    for (const QJsonValue& s : o.value("streams").toArray()) {
        const QJsonObject so = s.toObject();
        v.streams.append({so.value("itag").toInt(), so.value("media").toString("flv")});
    }
    v.map = o.value("map").toString("encoded");
    v.gate = o.value("gate").toString();
    v.info = o.value("info").toString("ok");
    v.kind = o.value("kind").toString();
    v.target = o.value("target").toString();
    v.slug = o.value("slug").toString("video");
    v.param = o.value("param").toString("mediaURL");
    v.twoParams = o.value("twoParams").toBool();
    v.needsLogin = o.value("needsLogin").toBool();
    v.three = o.value("three").toBool();
    v.smile = o.value("smile").toString();
    v.page = o.value("page").toString();
    return v;
}

// A catalogue mistake should stop the simulator at start-up with the entry
// named, not surface later as a puzzling page.
QString CheckVideo(const SimVideo& v) {
    if (v.id.isEmpty())
        return "an entry has no id";
    if (!MediaKinds().contains(v.media))
        return QString("%1: unknown media kind \"%2\"").arg(v.id, v.media);
    for (const SimStream& s : v.streams) {
        if (!MediaKinds().contains(s.media))
            return QString("%1: unknown media kind \"%2\"").arg(v.id, s.media);
    }
    if (!Faults().contains(v.fault))
        return QString("%1: unknown fault \"%2\"").arg(v.id, v.fault);
    if (!HostileContent::IsPageMode(v.page))
        return QString("%1: unknown page \"%2\"").arg(v.id, v.page);
    return QString();
}

} // namespace

std::optional<SimCatalogue> SimCatalogue::Load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QString("cannot open catalogue %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!doc.isObject()) {
        *error = QString("catalogue %1 is not a JSON object: %2").arg(path, parseError.errorString());
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    SimCatalogue cat;
    const QJsonObject accounts = root.value("accounts").toObject();
    const QJsonObject yt = accounts.value("youtube").toObject();
    cat.youTubeAccount = {yt.value("user").toString(), yt.value("password").toString()};
    const QJsonObject nico = accounts.value("nicovideo").toObject();
    cat.nicoAccount = {nico.value("mail").toString(), nico.value("password").toString()};
    const QJsonObject generic = accounts.value("generic").toObject();
    cat.genericAccount = {generic.value("user").toString(), generic.value("password").toString()};

    const char* keys[5] = {"youtube", "google", "metacafe", "nicovideo", "generic"};
    for (int site = 0; site < 5; ++site) {
        for (const QJsonValue& entry : root.value(keys[site]).toArray()) {
            SimVideo v = ReadVideo(entry.toObject());
            const QString problem = CheckVideo(v);
            if (!problem.isEmpty()) {
                *error = QString("catalogue %1: %2").arg(path, problem);
                return std::nullopt;
            }
            cat.videos_[site].append(v);
        }
    }
    return cat;
}

const SimVideo* SimCatalogue::Find(SimSite site, const QString& id) const {
    for (const SimVideo& v : videos_[static_cast<int>(site)]) {
        if (v.id == id)
            return &v;
    }
    return nullptr;
}

const SimVideo* SimCatalogue::FindBySmile(const QString& smile) const {
    for (const SimVideo& v : videos_[static_cast<int>(SimSite::NicoVideo)]) {
        if (!v.smile.isEmpty() && v.smile == smile)
            return &v;
    }
    return nullptr;
}

const QList<SimVideo>& SimCatalogue::Videos(SimSite site) const {
    return videos_[static_cast<int>(site)];
}

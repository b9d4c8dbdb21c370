#pragma once
// The simulator's list of videos per site, read once from a JSON file before
// the servers start and never changed afterwards, so every server thread may
// read it without locking.

#include <QList>
#include <QString>

#include <optional>

enum class SimSite { YouTube, Google, Metacafe, NicoVideo, Generic };

struct SimStream {
    int itag = 0;
    QString media; // "flv", "mp4", "videoonly" or "swf"
};

struct SimVideo {
    QString id;
    QString title;
    QString media;            // media kind of the video's one file (every site but YouTube): flv, mp4,
                              // videoonly, swf, mp4b, mp4c
    QString fault;            // media fault: slow, cut, nolength, 404, redirect3, redirect10
    QList<SimStream> streams; // YouTube: one entry per itag offered
    QString map;              // YouTube: encoded (default), fmt_url_map, fmt_url_map_pipe
    QString gate;             // YouTube: "", captcha, age
    QString info;             // YouTube: ok (default), fail, detailpage
    QString kind;             // Google: player, endonly, frame; NicoVideo: m, s, v
    QString target;           // Google frame: the framed page's address
    QString slug;             // Metacafe: path segment after the id
    QString param;            // Metacafe: spelling of the media parameter name
    bool twoParams = false;   // Metacafe: a second, different media parameter follows
    bool needsLogin = false;  // NicoVideo: getflv hides the address without a session;
                              // generic host: the page and media want the member cookie
    bool three = false;       // generic host: one of the videos of the three-video page
    QString smile;            // NicoVideo: media number in "smile?m=..."
    QString page;             // YouTube, Metacafe: a spoilt watch page (HostileContent.h)
};

struct SimAccount {
    QString user;
    QString password;
};

class SimCatalogue {
  public:
    // Reads and checks the file; on failure returns nothing and sets `error`.
    static std::optional<SimCatalogue> Load(const QString& path, QString* error);

    const SimVideo* Find(SimSite site, const QString& id) const;
    const SimVideo* FindBySmile(const QString& smile) const;
    const QList<SimVideo>& Videos(SimSite site) const;

    SimAccount youTubeAccount;
    SimAccount nicoAccount;
    SimAccount genericAccount;

  private:
    QList<SimVideo> videos_[5];
};

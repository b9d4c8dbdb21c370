// Pages and tool output written to hurt: titles that try to leave the site
// folder or outgrow a file name, pages of 50 MB or of binary bytes, a stream
// map of thousands of entries, and an mplayer that prints a megabyte. Each
// ends in a clear error or a correct file inside "<output>/<site>/".

#include "SiteBatchTest.h"

#include "ScriptTool.h"
#include "base/AppSettings.h"
#include "mediatools/IdentifyMedia.h"
#include "mediatools/ToolFolders.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>

namespace {
const QString kJapanese = QStringLiteral("日本語の長い題名");
constexpr int kManyStreams = 3000;

QString LongJapaneseTitle() {
    QString title;
    for (int i = 0; i < 300; ++i)
        title += kJapanese.at(i % kJapanese.size());
    return title;
}

QJsonObject YouTubeEntry(const QString& id, const QString& title, const QString& page = QString()) {
    QJsonObject entry{
        {"id", id}, {"title", title}, {"streams", QJsonArray{QJsonObject{{"itag", 34}, {"media", "flv"}}}}};
    if (!page.isEmpty())
        entry.insert("page", page);
    return entry;
}

// Unknown itags all round, the two the normal preference knows far down.
QJsonObject ManyStreamsEntry() {
    QJsonArray streams;
    for (int i = 0; i < kManyStreams; ++i) {
        const int itag = i == 2500 ? 34 : i == kManyStreams - 1 ? 18 : 1000 + i;
        streams.append(QJsonObject{{"itag", itag}, {"media", itag == 18 ? "mp4" : "flv"}});
    }
    return QJsonObject{{"id", "zvHostMany01"}, {"title", "Many streams"}, {"streams", streams}};
}

// Decodes to `<../../soup>&amp; \"`, three replacement characters (the last
// for "&#0;", which must not end the title) and "cut".
const char* const kEntitySoup = "&lt;&#46;&#46;&#47;&#46;&#46;&#47;soup&gt;&amp;amp;&nbsp;&#92;&quot;&bogus;"
                                "&#1114112;&#55296;&#0;cut";

class HostilePages : public SiteBatchTest {
  public:
    static void SetUpTestSuite() {
        StartSimulator([](QJsonObject& catalogue) {
            QJsonArray youtube = catalogue.value("youtube").toArray();
            youtube.append(YouTubeEntry("zvHostDots01", ".."));
            youtube.append(YouTubeEntry("zvHostSlash1", "../../etc/passwd"));
            youtube.append(YouTubeEntry("zvHostBack01", "..\\..\\boot.ini"));
            youtube.append(YouTubeEntry("zvHostCtrl01", "bell\atab\tnew\nline\x7f"));
            youtube.append(YouTubeEntry("zvHostLong01", LongJapaneseTitle()));
            youtube.append(YouTubeEntry("zvHostHuge01", "Huge page", "huge"));
            youtube.append(YouTubeEntry("zvHostHugeC1", "Huge page without length", "hugechunked"));
            youtube.append(YouTubeEntry("zvHostJunk01", "Binary page", "garbage"));
            youtube.append(ManyStreamsEntry());
            catalogue.insert("youtube", youtube);
            QJsonArray metacafe = catalogue.value("metacafe").toArray();
            metacafe.append(QJsonObject{{"id", "7000001"}, {"title", kEntitySoup}, {"page", "rawtitle"}});
            metacafe.append(QJsonObject{{"id", "7000002"}, {"title", "Binary page"}, {"page", "garbage"}});
            catalogue.insert("metacafe", metacafe);
        });
    }

  protected:
    // Every file anywhere below the test's folder that a download made.
    QStringList DownloadedFiles() const {
        QStringList files;
        QDirIterator it(Path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(".flv") || path.endsWith(".mp4") || path.endsWith(".qxt"))
                files << path;
        }
        return files;
    }
};

struct PageCase {
    const char* address;
    const char* siteFolder;
    QString fileName;  // empty: the item fails
    const char* error; // the start of the item's error text when it fails
    const char* media; // the media kind the file holds
};

TEST_F(HostilePages, EachEndsInAClearErrorOrACorrectFileInItsSiteFolder) {
    const QString longName = LongJapaneseTitle().left((255 - 12) / 3) + ".flv"; // "_NNN", ".flv", ".qxt"
    const QString soupName = QStringLiteral("_.._.._soup_&amp; __\uFFFD\uFFFD\uFFFDcut.flv");
    const PageCase cases[] = {
        {"http://www.youtube.com/watch?v=zvHostDots01", "YouTube", "__.flv", "", "flv"},
        {"http://www.youtube.com/watch?v=zvHostSlash1", "YouTube", "___.._etc_passwd.flv", "", "flv"},
        {"http://www.youtube.com/watch?v=zvHostBack01", "YouTube", "___.._boot.ini.flv", "", "flv"},
        {"http://www.youtube.com/watch?v=zvHostCtrl01", "YouTube", "bell_tab_new_line_.flv", "", "flv"},
        {"http://www.youtube.com/watch?v=zvHostLong01", "YouTube", longName, "", "flv"},
        {"http://www.youtube.com/watch?v=zvHostMany01", "YouTube", "Many streams.mp4", "", "mp4"},
        {"http://www.metacafe.com/watch/7000001/video/", "MetaCafe", soupName, "", "flv"},
        {"http://www.youtube.com/watch?v=zvHostHuge01", "YouTube", "", "The page is larger than 32 MiB", ""},
        {"http://www.youtube.com/watch?v=zvHostHugeC1", "YouTube", "", "The page is larger than 32 MiB", ""},
        {"http://www.youtube.com/watch?v=zvHostJunk01", "YouTube", "",
         "can't retrieve video file location from html file.", ""},
        {"http://www.metacafe.com/watch/7000002/video/", "MetaCafe", "",
         "No video file was found on this page.", ""},
    };
    Settings().YoutubeFMT = 1; // itag 18 first, then 34
    Settings().Publish();
    worker_->SetUseTitle(1);
    worker_->SetRetryTimes(0);
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.address);
        const std::vector<PostedMessage> all = RunBatch({c.address});
        const QString siteDir = OutPath(c.siteFolder);
        if (c.fileName.isEmpty()) {
            EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 0);
            EXPECT_TRUE(worker_->Snapshot().lastError.startsWith(c.error, Qt::CaseInsensitive))
                << worker_->Snapshot().lastError.toStdString();
            EXPECT_TRUE(DownloadedFiles().isEmpty()) << DownloadedFiles().join(' ').toStdString();
            continue;
        }
        EXPECT_EQ(Count(all, UM_DOWNLOAD_ITEM_DONE), 1);
        EXPECT_EQ(DownloadedFiles(), QStringList{siteDir + "/" + c.fileName});
        // The name the program chose leaves room for its ".qxt" while it downloads.
        EXPECT_LE(QFileInfo(DownloadedFiles().value(0)).fileName().toUtf8().size() + 4, 255);
        EXPECT_EQ(ReadFile(siteDir + "/" + c.fileName), Media(c.media));
        QDir(OutPath("")).removeRecursively();
    }
}

// Identification output of about a megabyte: tens of thousands of audio
// tracks with their languages, and one endless binary line. The window
// waits for identification, so each must be read at once.
TEST_F(HostilePages, MegabyteOfPlayerOutputIsReadQuickly) {
    struct ToolCase {
        const char* name;
        QByteArray script;
        int identified;
        int tracks;
    };
    const int kTracks = 24000; // about 0.9 million characters, under the collection limit
    const ToolCase cases[] = {
        {"tracks",
         "echo ID_VIDEO_FORMAT=FLV1; i=0; while [ $i -lt " + QByteArray::number(kTracks) +
             " ]; do echo ID_AUDIO_ID=$i; echo ID_AID_${i}_LANG=eng; i=$((i+1)); done; echo "
             "ID_AUDIO_CODEC=mp3",
         1, kTracks},
        {"binary", "head -c 1048576 /dev/urandom | tr -d '\\n'", 0, 0},
    };
    for (const ToolCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetMPlayerPathOverride(WriteScriptTool(Path(QString("mplayer-") + c.name), c.script));
        MediaInfo info;
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(IdentifyMedia(WriteFile("clip.flv", "FLV"), info), c.identified);
        // Looking each track's language up in the whole output took seconds.
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_EQ(info.audioTracks.size(), c.tracks);
        if (c.tracks > 0) {
            EXPECT_EQ(info.audioTracks.first(), "0 - ENG");
            EXPECT_EQ(info.audioTracks.last(), QString::number(kTracks - 1) + " - ENG");
        }
    }
    SetMPlayerPathOverride(QString());
}
} // namespace

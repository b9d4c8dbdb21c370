#pragma once
// What the page-parsing targets share: a context that swallows the
// extractor's reports, an output folder made once per run, and the checks
// every parsed page must pass when its file is named.

#include "FuzzInput.h"
#include "retrieval/FilePlacement.h"
#include "retrieval/SiteExtractor.h"
#include "retrieval/TextUtil.h"
#include "retrieval/TransferContext.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

class SilentContext : public TransferContext {
  public:
    void PostStatus(int, std::optional<QString>) override {}
    void PostProgress(int) override {}
    void SetByteCounts(quint64, quint64) override {}
    void PostTitle(const QString& text) override { title = text; }
    void SetError(const QString& text) override { error = text; }
    int CheckStop() override { return 0; }
    bool StopRequested() const override { return false; }
    int UseInternalCache() const override { return 0; }
    void RequestCaptcha(const QString&) override {}
    void RequestSignIn(const QString&) override {}

    QString title;
    QString error;
};

// The folder every target names files in; removed when the process ends.
inline const QString& OutputFolder() {
    static QTemporaryDir* dir = new QTemporaryDir; // outlives every input
    static const QString path = dir->path();
    return path;
}

// Names the page's file by its title and checks where the name leads: into
// the site's folder, one component of at most 255 bytes with its ".qxt".
inline void CheckFileName(SiteExtractor& extractor) {
    QString finalPath;
    QString tempPath;
    if (extractor.MakeFileName(OutputFolder(), 1, finalPath, tempPath) == 0)
        return;
    const QString siteFolder = OutputFolder() + QLatin1Char('/') + extractor.siteName;
    const QFileInfo info(tempPath);
    FUZZ_CHECK(info.absolutePath() == siteFolder);
    FUZZ_CHECK(QDir::cleanPath(tempPath) == tempPath);
    const QString name = info.fileName();
    FUZZ_CHECK(name.toUtf8().size() <= 255);
    FUZZ_CHECK(name != QLatin1String(".") && name != QLatin1String(".."));
    FUZZ_CHECK(!name.startsWith(QLatin1Char('.')));
    FUZZ_CHECK(tempPath == finalPath + QLatin1String(kTemporarySuffix));
    for (const QChar c : name)
        FUZZ_CHECK(c.unicode() >= 0x20 && c != QLatin1Char('/') && c != QLatin1Char('\\'));
}

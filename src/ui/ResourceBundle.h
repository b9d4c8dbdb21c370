#pragma once
// The resource bundle "qxres_zorv.rcc" beside the executable: numbered
// bitmaps (SVG), menus, accelerator tables and HTML pages, keyed by the
// numbers the window and the language files use. Loading it registers it
// under ":/zorv"; the program does not start without it.
//
// Threads: main thread only.

#include "base/UiTranslation.h"

#include <QIcon>
#include <QKeySequence>
#include <QPixmap>
#include <QString>

#include <optional>
#include <vector>

struct Accelerator {
    QKeySequence keys;
    int command = 0;
};

class ResourceBundle {
  public:
    static constexpr const char* kFileName = "qxres_zorv.rcc";
    static constexpr const char* kMapRoot = "/zorv";

    ResourceBundle() = default;
    ~ResourceBundle();
    ResourceBundle(const ResourceBundle&) = delete;
    ResourceBundle& operator=(const ResourceBundle&) = delete;

    // "<application folder>/qxres_zorv.rcc".
    static QString DefaultPath();

    // Registers the bundle file; false when it is missing or unreadable.
    bool Load(const QString& path);
    void Unload();
    bool IsLoaded() const { return !path_.isEmpty(); }

    // Bitmap `id` drawn at `size` logical pixels for `devicePixelRatio`;
    // a null pixmap when the bundle has no such bitmap.
    QPixmap Bitmap(int id, QSize size, qreal devicePixelRatio = 1.0) const;
    // Bitmap `id` as an icon with the usual sizes rendered.
    QIcon Icon(int id) const;
    // The picture for the language bitmap `id`: the file the current
    // language names for it when it loads, else the bundle's bitmap.
    QPixmap LocalBitmap(int id, QSize size, qreal devicePixelRatio = 1.0) const;

    // Menu template `id`: its popups in order; nullopt when missing or
    // malformed.
    std::optional<std::vector<MenuEntry>> Menu(int id) const;
    // Accelerator table `id`; empty when missing.
    std::vector<Accelerator> Accelerators(int id) const;
    // HTML page `id`; empty when missing.
    QString Html(int id) const;
    // Page `id` in the current language: the language's own page when its
    // file names one that reads, else the bundle's.
    QString LocalHtml(int id) const;

  private:
    static QString ResourcePath(const QString& folder, int id, const QString& suffix);

    QString path_;
};

#include "ui/ResourceBundle.h"

#include "base/AppFolders.h"
#include "base/Localization.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QResource>
#include <QSvgRenderer>
#include <QXmlStreamReader>

namespace {
QByteArray ReadResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Reads the children of the current <menu> or <popup> element.
bool ReadMenuEntries(QXmlStreamReader& xml, std::vector<MenuEntry>& out) {
    while (xml.readNextStartElement()) {
        MenuEntry entry;
        const auto attrs = xml.attributes();
        if (xml.name() == QLatin1String("popup")) {
            entry.kind = MenuEntry::Popup;
            entry.text = attrs.value(QLatin1String("text")).toString();
            if (!ReadMenuEntries(xml, entry.submenu))
                return false;
        } else if (xml.name() == QLatin1String("item")) {
            entry.kind = MenuEntry::Command;
            bool ok = false;
            entry.id = attrs.value(QLatin1String("id")).toInt(&ok);
            entry.text = attrs.value(QLatin1String("text")).toString();
            if (!ok)
                return false;
            xml.skipCurrentElement();
        } else if (xml.name() == QLatin1String("separator")) {
            entry.kind = MenuEntry::Separator;
            xml.skipCurrentElement();
        } else {
            return false;
        }
        out.push_back(std::move(entry));
    }
    return !xml.hasError();
}
} // namespace

ResourceBundle::~ResourceBundle() {
    Unload();
}

QString ResourceBundle::DefaultPath() {
    return GetAppFolder() + QLatin1Char('/') + QLatin1String(kFileName);
}

bool ResourceBundle::Load(const QString& path) {
    Unload();
    if (!QFileInfo(path).isFile() || !QResource::registerResource(path, QLatin1String(kMapRoot)))
        return false;
    path_ = path;
    return true;
}

void ResourceBundle::Unload() {
    if (path_.isEmpty())
        return;
    QResource::unregisterResource(path_, QLatin1String(kMapRoot));
    path_.clear();
}

QString ResourceBundle::ResourcePath(const QString& folder, int id, const QString& suffix) {
    return QStringLiteral(":%1/%2/%3.%4").arg(QLatin1String(kMapRoot), folder).arg(id).arg(suffix);
}

QPixmap ResourceBundle::Bitmap(int id, QSize size, qreal devicePixelRatio) const {
    QSvgRenderer renderer(ResourcePath(QStringLiteral("bitmaps"), id, QStringLiteral("svg")));
    if (!renderer.isValid())
        return {};
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon ResourceBundle::Icon(int id) const {
    QIcon icon;
    for (int side : {16, 20, 24, 32, 48, 64}) {
        const QPixmap pixmap = Bitmap(id, QSize(side, side));
        if (pixmap.isNull())
            return {};
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap ResourceBundle::LocalBitmap(int id, QSize size, qreal devicePixelRatio) const {
    const ::LocalBitmap local = LoadLocalBitmap(id);
    if (!local.filePath.isEmpty()) {
        QPixmap file(local.filePath);
        if (!file.isNull())
            return file.scaled(size * devicePixelRatio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return Bitmap(local.resourceId, size, devicePixelRatio);
}

std::optional<std::vector<MenuEntry>> ResourceBundle::Menu(int id) const {
    const QByteArray bytes = ReadResource(ResourcePath(QStringLiteral("menus"), id, QStringLiteral("xml")));
    if (bytes.isEmpty())
        return std::nullopt;
    QXmlStreamReader xml(bytes);
    std::vector<MenuEntry> popups;
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("menu") || !ReadMenuEntries(xml, popups))
        return std::nullopt;
    return popups;
}

std::vector<Accelerator> ResourceBundle::Accelerators(int id) const {
    const QByteArray bytes =
        ReadResource(ResourcePath(QStringLiteral("accelerators"), id, QStringLiteral("xml")));
    std::vector<Accelerator> table;
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("accelerators"))
        return table;
    while (xml.readNextStartElement()) {
        const auto attrs = xml.attributes();
        Accelerator a;
        a.keys = QKeySequence::fromString(attrs.value(QLatin1String("sequence")).toString(),
                                          QKeySequence::PortableText);
        a.command = attrs.value(QLatin1String("command")).toInt();
        if (!a.keys.isEmpty() && a.command > 0)
            table.push_back(a);
        xml.skipCurrentElement();
    }
    return table;
}

QString ResourceBundle::Html(int id) const {
    return QString::fromUtf8(ReadResource(ResourcePath(QStringLiteral("html"), id, QStringLiteral("html"))));
}

QString ResourceBundle::LocalHtml(int id) const {
    const QString path = LocalPagePath(id);
    if (!path.isEmpty())
        if (const QByteArray page = ReadResource(path); !page.isEmpty())
            return QString::fromUtf8(page);
    return Html(id);
}

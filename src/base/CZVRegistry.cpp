#include "base/CZVRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace {
constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
}

CZVRegistry::CZVRegistry(bool readOnly)
    : store_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                         QString::fromLatin1(kCompanyKey),
                                         QString::fromLatin1(kApplicationKey))),
      readOnly_(readOnly) {}

CZVRegistry::~CZVRegistry() {
    Close();
}

QString CZVRegistry::NormalizeSubKey(const QString& subKey) {
    QString key = subKey;
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (key.endsWith(QLatin1Char('/')))
        key.chop(1);
    return key;
}

QString CZVRegistry::ValuePath(const QString& name) const {
    return openedKey_.isEmpty() ? name : openedKey_ + QLatin1Char('/') + name;
}

int CZVRegistry::Open(const QString& subKey) {
    Close();
    const QString key = NormalizeSubKey(subKey);
    // A group exists in the store once it holds a value or a sub-group.
    store_->beginGroup(key);
    const bool exists = !store_->childKeys().isEmpty() || !store_->childGroups().isEmpty();
    store_->endGroup();
    if (exists)
        openedKey_ = key;
    return lastResult_ = exists ? 1 : 0;
}

int CZVRegistry::Create(const QString& subKey) {
    Close();
    if (readOnly_ || !store_->isWritable())
        return lastResult_ = 0;
    openedKey_ = NormalizeSubKey(subKey);
    return lastResult_ = 1;
}

void CZVRegistry::Close() {
    openedKey_.clear();
}

int CZVRegistry::WriteString(const QString& name, const QString& text) {
    if (readOnly_ || !store_->isWritable())
        return lastResult_ = 0;
    store_->setValue(ValuePath(name), text);
    return lastResult_ = 1;
}

int CZVRegistry::WriteDword(const QString& name, quint32 value) {
    if (readOnly_ || !store_->isWritable())
        return lastResult_ = 0;
    store_->setValue(ValuePath(name), value);
    return lastResult_ = 1;
}

int CZVRegistry::ReadString(const QString& name, QString& out, const QString& defaultValue) {
    const QVariant value = store_->value(ValuePath(name));
    if (!value.isValid()) {
        out = defaultValue;
        return lastResult_ = 0;
    }
    // A hand-edited text with unquoted commas reads back as a list.
    if (value.metaType().id() == QMetaType::QStringList)
        out = value.toStringList().join(QLatin1Char(','));
    else
        out = value.toString();
    return lastResult_ = 1;
}

int CZVRegistry::ReadDword(const QString& name, quint32& out, quint32 defaultValue) {
    const QVariant value = store_->value(ValuePath(name));
    bool ok = false;
    const qlonglong number = value.isValid() ? value.toString().trimmed().toLongLong(&ok) : 0;
    if (!ok) {
        out = defaultValue;
        return lastResult_ = 0;
    }
    out = static_cast<quint32>(number); // the low four bytes, as the registry hands them out
    return lastResult_ = 1;
}

int CZVRegistry::ReadInt(const QString& name, int& out, int defaultValue) {
    quint32 value = 0;
    const int result = ReadDword(name, value, static_cast<quint32>(defaultValue));
    out = static_cast<int>(value);
    return result;
}

QString CZVRegistry::FileName() const {
    return store_->fileName();
}

void CZVRegistry::ProtectFile() const {
    const QString path = store_->fileName();
    if (!QFile::exists(path)) {
        // Create the file owner-only before any password is written into it;
        // rewrites keep the permissions of the file they replace.
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.close();
    }
    QFile::setPermissions(path, kOwnerOnly);
}

int CZVRegistry::Sync() {
    if (readOnly_)
        return lastResult_ = 0;
    ProtectFile();
    store_->sync();
    QFile::setPermissions(store_->fileName(), kOwnerOnly);
    return lastResult_ = store_->status() == QSettings::NoError ? 1 : 0;
}

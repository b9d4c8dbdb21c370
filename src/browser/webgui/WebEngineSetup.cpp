#include "browser/webgui/WebEngineSetup.h"

#include <QCoreApplication>
#include <QSslConfiguration>
#include <QStringList>
#include <QWebEngineProfile>

#include <unistd.h>

QString HostResolverRules(const QString& connectTo) {
    QStringList rules;
    for (const QString& entry : connectTo.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.trimmed().split(QLatin1Char(':'));
        if (parts.size() != 4 || parts[0].isEmpty() || parts[2].isEmpty())
            continue;
        bool portOk = false, connectPortOk = false;
        parts[1].toUShort(&portOk);
        parts[3].toUShort(&connectPortOk);
        if (!portOk || !connectPortOk)
            continue;
        rules << QStringLiteral("MAP %1:%2 %3:%4").arg(parts[0], parts[1], parts[2], parts[3]);
    }
    return rules.join(QLatin1String(", "));
}

void PrepareWebEngine(const QString& connectTo, const QString& extraCaFile) {
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const QString rules = HostResolverRules(connectTo);
    if (!rules.isEmpty())
        flags += " --host-resolver-rules=\"" + rules.toUtf8() + '"';
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    // The engine refuses to start as root with its sandbox on; without this
    // the dialog would stay empty and the download could never go on.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!extraCaFile.isEmpty()) {
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.addCaCertificates(extraCaFile, QSsl::Pem);
        QSslConfiguration::setDefaultConfiguration(config);
    }
}

bool TrustedChain(const QList<QSslCertificate>& chain, const QString& host) {
    return !chain.isEmpty() && !host.isEmpty() && QSslCertificate::verify(chain, host).isEmpty();
}

QWebEngineProfile* DialogProfile() {
    // No storage name: an off-the-record profile.
    static QWebEngineProfile* profile = new QWebEngineProfile(QCoreApplication::instance());
    return profile;
}

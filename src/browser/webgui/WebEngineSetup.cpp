#include "browser/webgui/WebEngineSetup.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QStringList>
#include <QWebEngineProfile>

#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <memory>

#include <unistd.h>

namespace {
// The well-formed entries of a ZORV_CONNECT_TO value, each split in its
// four parts.
QList<QStringList> RouteEntries(const QString& connectTo) {
    QList<QStringList> entries;
    for (const QString& entry : connectTo.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.trimmed().split(QLatin1Char(':'));
        if (parts.size() != 4 || parts[0].isEmpty() || parts[2].isEmpty())
            continue;
        bool portOk = false, connectPortOk = false;
        parts[1].toUShort(&portOk);
        parts[3].toUShort(&connectPortOk);
        if (portOk && connectPortOk)
            entries << parts;
    }
    return entries;
}

QList<QSslCertificate>& Authorities() {
    static QList<QSslCertificate> authorities;
    return authorities;
}

std::optional<bool> g_rootForTests;

struct X509Free {
    void operator()(X509* x) const { X509_free(x); }
};
using X509Ptr = std::unique_ptr<X509, X509Free>;
X509Ptr ToX509(const QSslCertificate& certificate) {
    const QByteArray der = certificate.toDer();
    const auto* bytes = reinterpret_cast<const unsigned char*>(der.constData());
    return X509Ptr(d2i_X509(nullptr, &bytes, der.size()));
}
} // namespace

QString HostResolverRules(const QString& connectTo) {
    QStringList rules;
    for (const QStringList& parts : RouteEntries(connectTo))
        rules << QStringLiteral("MAP %1:%2 %3:%4").arg(parts[0], parts[1], parts[2], parts[3]);
    return rules.join(QLatin1String(", "));
}

bool RoutedOrLocal(const QUrl& url, const QString& connectTo) {
    const QString host = url.host();
    if (host.isEmpty() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return false;
    if (QHostAddress(host).isLoopback())
        return true;
    const int port = url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
    for (const QStringList& parts : RouteEntries(connectTo))
        if (parts[0].compare(host, Qt::CaseInsensitive) == 0 && parts[1].toInt() == port)
            return true;
    return false;
}

bool RunningAsRoot() {
    return g_rootForTests.value_or(::geteuid() == 0);
}

void SetRunningAsRootForTests(std::optional<bool> root) {
    g_rootForTests = root;
}

const QList<QSslCertificate>& ExtraAuthorities() {
    return Authorities();
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
    if (!extraCaFile.isEmpty())
        Authorities() = QSslCertificate::fromPath(extraCaFile, QSsl::Pem);
}

bool TrustedChain(const QList<QSslCertificate>& chain, const QString& host,
                  const QList<QSslCertificate>& authorities) {
    if (chain.isEmpty() || host.isEmpty() || authorities.isEmpty())
        return false;
    std::unique_ptr<X509_STORE, void (*)(X509_STORE*)> store(X509_STORE_new(), X509_STORE_free);
    std::unique_ptr<STACK_OF(X509), void (*)(STACK_OF(X509)*)> untrusted(
        sk_X509_new_null(), [](STACK_OF(X509) * s) { sk_X509_pop_free(s, X509_free); });
    std::unique_ptr<X509_STORE_CTX, void (*)(X509_STORE_CTX*)> context(X509_STORE_CTX_new(),
                                                                       X509_STORE_CTX_free);
    const X509Ptr leaf = ToX509(chain.first());
    if (!store || !untrusted || !context || !leaf)
        return false;
    for (const QSslCertificate& authority : authorities)
        if (const X509Ptr x = ToX509(authority))
            X509_STORE_add_cert(store.get(), x.get()); // takes its own reference
    for (qsizetype i = 1; i < chain.size(); ++i)
        if (X509Ptr x = ToX509(chain[i]); x && sk_X509_push(untrusted.get(), x.get()) > 0)
            x.release();
    if (X509_STORE_CTX_init(context.get(), store.get(), leaf.get(), untrusted.get()) != 1)
        return false;
    X509_STORE_CTX_set_purpose(context.get(), X509_PURPOSE_SSL_SERVER);
    X509_VERIFY_PARAM* param = X509_STORE_CTX_get0_param(context.get());
    const QByteArray name = QUrl::toAce(host);
    const bool named = QHostAddress(host).isNull()
                           ? X509_VERIFY_PARAM_set1_host(param, name.constData(), name.size()) == 1
                           : X509_VERIFY_PARAM_set1_ip_asc(param, host.toLatin1().constData()) == 1;
    return named && X509_verify_cert(context.get()) == 1;
}

QWebEngineProfile* DialogProfile() {
    // No storage name: an off-the-record profile.
    static QWebEngineProfile* profile = new QWebEngineProfile(QCoreApplication::instance());
    return profile;
}

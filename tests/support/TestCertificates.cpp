#include "support/TestCertificates.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

namespace {
bool RunOpenssl(const QStringList& args, const QString& folder) {
    QProcess openssl;
    openssl.setWorkingDirectory(folder);
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"), args);
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        ADD_FAILURE() << "openssl " << args.join(' ').toStdString() << ": "
                      << openssl.readAll().toStdString();
        return false;
    }
    return true;
}
} // namespace

bool MakeTestCertificates(const QString& folder, const QStringList& hosts, TestCertificates& out) {
    QStringList names;
    for (const QString& host : hosts)
        names << QStringLiteral("DNS:") + host;
    QFile ext(folder + QStringLiteral("/server.ext"));
    if (!ext.open(QIODevice::WriteOnly))
        return false;
    ext.write("subjectAltName=" + names.join(',').toUtf8() + "\n");
    ext.close();

    const QStringList ec = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
    if (!RunOpenssl(
            QStringList{"req", "-x509"} + ec +
                QStringList{"-keyout", "ca.key", "-out", "ca.crt", "-days", "2", "-subj", "/CN=Zorv Test CA"},
            folder) ||
        !RunOpenssl(
            QStringList{"req"} + ec +
                QStringList{"-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=" + hosts.value(0)},
            folder) ||
        !RunOpenssl({"x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
                     "-CAcreateserial", "-out", "server.crt", "-days", "2", "-extfile", "server.ext"},
                    folder))
        return false;
    out.caFile = folder + QStringLiteral("/ca.crt");
    out.certFile = folder + QStringLiteral("/server.crt");
    out.keyFile = folder + QStringLiteral("/server.key");
    return true;
}

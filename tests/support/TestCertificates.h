#pragma once
// A throw-away certificate authority and a server certificate it signed,
// made with the openssl program at test time, for HTTPS loopback servers.

#include <QString>
#include <QStringList>

struct TestCertificates {
    QString caFile;   // the CA certificate (what ZORV_CA_BUNDLE points at)
    QString certFile; // the server certificate
    QString keyFile;  // its private key
};

// Writes the files into `folder` for the given host names; false (with a
// test failure added) when openssl is missing or fails.
bool MakeTestCertificates(const QString& folder, const QStringList& hosts, TestCertificates& out);

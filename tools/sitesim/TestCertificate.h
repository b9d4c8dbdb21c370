#pragma once
// A throw-away certificate authority and one server certificate signed by it,
// made fresh at every start so no private key ever needs to be stored. The
// client trusts the authority through the PEM file written by WriteCaPem.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

typedef struct x509_st X509;
typedef struct evp_pkey_st EVP_PKEY;

class TestCertificate {
  public:
    // Throws std::runtime_error when OpenSSL refuses a step.
    explicit TestCertificate(const QStringList& hostNames);
    ~TestCertificate();
    TestCertificate(const TestCertificate&) = delete;
    TestCertificate& operator=(const TestCertificate&) = delete;

    // Owned by this object; the TLS server takes its own references.
    X509* ServerCert() const { return serverCert_.get(); }
    EVP_PKEY* ServerKey() const { return serverKey_.get(); }

    QByteArray CaPem() const;
    QByteArray ServerCertPem() const;

  private:
    struct X509Free {
        void operator()(X509* x) const;
    };
    struct KeyFree {
        void operator()(EVP_PKEY* k) const;
    };
    std::unique_ptr<EVP_PKEY, KeyFree> caKey_, serverKey_;
    std::unique_ptr<X509, X509Free> caCert_, serverCert_;
};

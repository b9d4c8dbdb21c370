#include "sitesim/TestCertificate.h"

#include <openssl/bio.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <QRegularExpression>

#include <stdexcept>

void TestCertificate::X509Free::operator()(X509* x) const {
    X509_free(x);
}
void TestCertificate::KeyFree::operator()(EVP_PKEY* k) const {
    EVP_PKEY_free(k);
}

namespace {

void Check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string("certificate generation failed at ") + what);
}

void AddExtension(X509* cert, X509V3_CTX* ctx, int nid, const QByteArray& value) {
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, ctx, nid, value.constData());
    Check(ext != nullptr, "extension");
    const bool added = X509_add_ext(cert, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    Check(added, "add extension");
}

// A random serial: clients cache certificates by issuer and serial, and two
// simulator runs must never present different certificates under one name.
void SetRandomSerial(X509* cert) {
    unsigned char bytes[16];
    Check(RAND_bytes(bytes, sizeof bytes) == 1, "serial");
    bytes[0] &= 0x7f;
    BIGNUM* bn = BN_bin2bn(bytes, sizeof bytes, nullptr);
    const bool set = bn != nullptr && BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert)) != nullptr;
    BN_free(bn);
    Check(set, "serial");
}

X509* MakeCertificate(EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey, const char* commonName,
                      const QStringList& hostNames) {
    std::unique_ptr<X509, decltype(&X509_free)> holder(X509_new(), X509_free);
    X509* cert = holder.get();
    Check(cert != nullptr, "X509_new");
    Check(X509_set_version(cert, 2) == 1, "version");
    SetRandomSerial(cert);
    // Back-dated an hour so a client clock slightly behind still accepts it.
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600L * 24 * 365);
    Check(X509_set_pubkey(cert, key) == 1, "public key");
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Zorv site simulator"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName),
                               -1, -1, 0);
    X509* signer = issuer ? issuer : cert;
    Check(X509_set_issuer_name(cert, X509_get_subject_name(signer)) == 1, "issuer");

    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, signer, cert, nullptr, nullptr, 0);
    if (issuer == nullptr) {
        AddExtension(cert, &ctx, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(cert, &ctx, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        AddExtension(cert, &ctx, NID_basic_constraints, "critical,CA:FALSE");
        AddExtension(cert, &ctx, NID_key_usage, "critical,digitalSignature,keyEncipherment");
        AddExtension(cert, &ctx, NID_ext_key_usage, "serverAuth");
        QStringList names;
        static const QRegularExpression ipv4("^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$");
        for (const QString& host : hostNames)
            names << (ipv4.match(host).hasMatch() ? "IP:" : "DNS:") + host;
        AddExtension(cert, &ctx, NID_subject_alt_name, names.join(',').toLatin1());
    }
    AddExtension(cert, &ctx, NID_subject_key_identifier, "hash");
    AddExtension(cert, &ctx, NID_authority_key_identifier, "keyid:always");
    Check(X509_sign(cert, issuerKey, EVP_sha256()) > 0, "sign");
    return holder.release();
}

QByteArray ToPem(X509* cert) {
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray pem(data, static_cast<int>(size));
    BIO_free(bio);
    return pem;
}

} // namespace

TestCertificate::TestCertificate(const QStringList& hostNames) {
    caKey_.reset(EVP_EC_gen("P-256"));
    serverKey_.reset(EVP_EC_gen("P-256"));
    Check(caKey_ && serverKey_, "key generation");
    caCert_.reset(MakeCertificate(caKey_.get(), nullptr, caKey_.get(), "Zorv site simulator test CA", {}));
    serverCert_.reset(MakeCertificate(serverKey_.get(), caCert_.get(), caKey_.get(),
                                      hostNames.value(0).toLatin1().constData(), hostNames));
}

TestCertificate::~TestCertificate() = default;

QByteArray TestCertificate::CaPem() const {
    return ToPem(caCert_.get());
}

QByteArray TestCertificate::ServerCertPem() const {
    return ToPem(serverCert_.get());
}

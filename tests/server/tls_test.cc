#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstdio>

#include "tests/server/raw_client.h"
#include "tests/server/server_fixture.h"

namespace kelvora::testing {
namespace {

// A self-signed RSA certificate for 127.0.0.1 and its key, as PEM files.
bool WriteCertificate(const std::string& certificatePath, const std::string& keyPath) {
  EVP_PKEY* key = EVP_RSA_gen(2048);
  X509* certificate = X509_new();
  ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
  X509_gmtime_adj(X509_getm_notBefore(certificate), 0);
  X509_gmtime_adj(X509_getm_notAfter(certificate), 3600);
  X509_set_pubkey(certificate, key);
  X509_NAME* name = X509_get_subject_name(certificate);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"),
                             -1, -1, 0);
  X509_set_issuer_name(certificate, name);
  bool written = X509_sign(certificate, key, EVP_sha256()) > 0;
  const auto write = [&written](const std::string& path, const auto& pem) {
    FILE* out = std::fopen(path.c_str(), "w");
    written = written && out != nullptr && pem(out) == 1;
    if (out != nullptr) std::fclose(out);
  };
  write(certificatePath, [&](FILE* out) { return PEM_write_X509(out, certificate); });
  write(keyPath,
        [&](FILE* out) { return PEM_write_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr); });
  X509_free(certificate);
  EVP_PKEY_free(key);
  return written;
}

class TlsServerTest : public ServerFixture {
 protected:
  void StartWithTls() {
    ASSERT_TRUE(WriteCertificate(keys.File("cert.pem"), keys.File("key.pem")));
    WebServerOptions options;
    options.tlsCert = keys.File("cert.pem");
    options.tlsKey = keys.File("key.pem");
    Start(options);
  }
  std::unique_ptr<httplib::SSLClient> TlsClient() const {
    auto client = std::make_unique<httplib::SSLClient>("127.0.0.1", server->Port());
    client->enable_server_certificate_verification(false);
    client->set_read_timeout(30, 0);
    return client;
  }
  void TearDown() override {
    TlsClient()->Post("/api/commands/exit-without-save", Token(), "{}", "application/json");
    if (run.joinable()) run.join();
  }
  // Whether a TLS 1.2 client offering only `suites` gets through the handshake.
  bool Handshakes(const char* suites) const {
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    SSL_CTX_set_max_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_cipher_list(context, suites);
    RawClient raw(server->Port());
    SSL* ssl = SSL_new(context);
    SSL_set_fd(ssl, raw.Fd());
    bool done = SSL_connect(ssl) == 1;
    SSL_free(ssl);
    SSL_CTX_free(context);
    return done;
  }

  TempDir keys;
};

// Only forward-secret suites in TLS 1.2, and browsers told to keep to HTTPS.
TEST_F(TlsServerTest, OnlyForwardSecretSuitesAreOfferedAndBrowsersAreToldToKeepToHttps) {
  StartWithTls();
  EXPECT_TRUE(Handshakes("ECDHE-RSA-AES128-GCM-SHA256"));
  for (const char* suites : {"AES128-GCM-SHA256", "AES256-SHA256", "DHE-RSA-AES128-SHA"})
    EXPECT_FALSE(Handshakes(suites)) << suites;
  auto reply = TlsClient()->Get("/api/snapshot");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 200);
  EXPECT_EQ(reply->get_header_value("Strict-Transport-Security"), "max-age=31536000");
  EXPECT_EQ(reply->get_header_value("X-Content-Type-Options"), "nosniff");
}

}  // namespace
}  // namespace kelvora::testing

#include "server/tls_context.h"

namespace kelvora {
namespace {

constexpr const char* kTls12Suites = "ECDHE+AESGCM:ECDHE+CHACHA20";

}  // namespace

TlsContext::~TlsContext() {
  if (context_ != nullptr) SSL_CTX_free(context_);
}

bool TlsContext::Load(const std::string& certificate, const std::string& key, std::string* error) {
  context_ = SSL_CTX_new(TLS_server_method());
  bool loaded = context_ != nullptr && SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION) == 1 &&
                SSL_CTX_set_cipher_list(context_, kTls12Suites) == 1 &&
                SSL_CTX_use_certificate_chain_file(context_, certificate.c_str()) == 1 &&
                SSL_CTX_use_PrivateKey_file(context_, key.c_str(), SSL_FILETYPE_PEM) == 1 &&
                SSL_CTX_check_private_key(context_) == 1;
  if (!loaded) {
    *error = "the TLS certificate or key cannot be loaded (" + certificate + ", " + key + ")";
    return false;
  }
  SSL_CTX_set_options(context_,
                      SSL_OP_NO_COMPRESSION | SSL_OP_CIPHER_SERVER_PREFERENCE | SSL_OP_NO_RENEGOTIATION);
  SSL_CTX_set_mode(context_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
  return true;
}

}  // namespace kelvora

// The HTTPS server's TLS settings: TLS 1.2 or later, and in TLS 1.2 only
// suites with forward secrecy (ECDHE) and authenticated encryption, so a
// key stolen later cannot open a recorded session.
#ifndef KELVORA_SERVER_TLS_CONTEXT_H_
#define KELVORA_SERVER_TLS_CONTEXT_H_

#include <openssl/ssl.h>

#include <string>

namespace kelvora {

class TlsContext {
 public:
  TlsContext() = default;
  ~TlsContext();
  TlsContext(const TlsContext&) = delete;
  TlsContext& operator=(const TlsContext&) = delete;

  // Loads the certificate chain and its key; false with `error` when they
  // cannot be read or do not belong together.
  bool Load(const std::string& certificate, const std::string& key, std::string* error);
  SSL_CTX* Get() const { return context_; }

 private:
  SSL_CTX* context_ = nullptr;
};

}  // namespace kelvora

#endif  // KELVORA_SERVER_TLS_CONTEXT_H_

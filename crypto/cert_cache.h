// Parsed certificates, kept for the few certificates a process verifies
// with again and again (signer and root certificates): decoding a
// certificate costs OpenSSL several times what an RSA verification does.
#ifndef OESQX_CRYPTO_CERT_CACHE_H
#define OESQX_CRYPTO_CERT_CACHE_H

#include <openssl/x509.h>

#include <memory>

namespace oesqx::cert {

// A parsed certificate shared with the cache; use it read-only.
using SharedX509 = std::shared_ptr<const X509>;

// The certificate encoded by exactly these bytes, or null when they do not
// parse. Thread-safe.
SharedX509 ParseCached(const unsigned char* der, long len);

}  // namespace oesqx::cert

#endif

#include "crypto/cert_cache.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace oesqx::cert {
namespace {

constexpr size_t kEntries = 8;

struct Entry {
  std::vector<unsigned char> der;
  SharedX509 cert;
};

// The process-wide cache: most recently used first.
struct Cache {
  std::mutex mutex;
  std::vector<Entry> entries;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

}  // namespace

SharedX509 ParseCached(const unsigned char* der, long len) {
  if (der == nullptr || len <= 0) return nullptr;
  Cache& cache = TheCache();
  const size_t n = static_cast<size_t>(len);
  {
    std::lock_guard<std::mutex> lock(cache.mutex);
    for (size_t i = 0; i < cache.entries.size(); ++i) {
      Entry& e = cache.entries[i];
      if (e.der.size() == n && std::memcmp(e.der.data(), der, n) == 0) {
        SharedX509 hit = e.cert;
        if (i != 0) std::swap(cache.entries[0], e);
        return hit;
      }
    }
  }
  const unsigned char* p = der;
  X509* parsed = d2i_X509(nullptr, &p, len);
  if (parsed == nullptr) return nullptr;
  SharedX509 cert(parsed, [](const X509* x) { X509_free(const_cast<X509*>(x)); });
  std::lock_guard<std::mutex> lock(cache.mutex);
  if (cache.entries.size() == kEntries) cache.entries.pop_back();
  cache.entries.insert(cache.entries.begin(), Entry{std::vector<unsigned char>(der, der + n), cert});
  return cert;
}

}  // namespace oesqx::cert

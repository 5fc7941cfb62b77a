// The cipher with a 16-byte key against OpenSSL's two-key triple DES, each
// call paying its own key setup. Our calls also write their trace lines to
// the debug log (set OESQX_PATH_ROOT to a scratch folder for the run).
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <vector>

#include "crypto/des.h"

namespace {

const unsigned char kKey[16] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef,
                                0xfe, 0xdc, 0xba, 0x98, 0x76, 0x54, 0x32, 0x10};

std::vector<unsigned char> Buffer(size_t n) {
  std::vector<unsigned char> b(n);
  uint32_t x = 777;
  for (auto& c : b) c = static_cast<unsigned char>((x = x * 1103515245u + 12345u) >> 24);
  return b;
}

void Ours(benchmark::State& state, bool chain) {
  auto data = Buffer(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    EncDataNoAlloc(data.data(), static_cast<int>(data.size()), kKey, 16, chain);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Peer(benchmark::State& state, const char* name) {
  auto data = Buffer(static_cast<size_t>(state.range(0)));
  EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, name, nullptr);
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  if (cipher == nullptr || ctx == nullptr) {
    state.SkipWithError("cipher unavailable");
  } else {
    const unsigned char iv[8] = {};
    int n = 0;
    for (auto _ : state) {
      EVP_EncryptInit_ex2(ctx, cipher, kKey, iv, nullptr);
      EVP_CIPHER_CTX_set_padding(ctx, 0);
      EVP_EncryptUpdate(ctx, data.data(), &n, data.data(), static_cast<int>(data.size()));
      benchmark::ClobberMemory();
    }
  }
  EVP_CIPHER_CTX_free(ctx);
  EVP_CIPHER_free(cipher);
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Ours_DES3_ECB(benchmark::State& s) { Ours(s, false); }
void Peer_DES3_ECB(benchmark::State& s) { Peer(s, "DES-EDE-ECB"); }
void Ours_DES3_CBC(benchmark::State& s) { Ours(s, true); }
void Peer_DES3_CBC(benchmark::State& s) { Peer(s, "DES-EDE-CBC"); }

}  // namespace

BENCHMARK(Ours_DES3_ECB)->Arg(64)->Arg(64 << 10);
BENCHMARK(Peer_DES3_ECB)->Arg(64)->Arg(64 << 10);
BENCHMARK(Ours_DES3_CBC)->Arg(64 << 10);
BENCHMARK(Peer_DES3_CBC)->Arg(64 << 10);

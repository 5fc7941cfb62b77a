// Digests: ours against OpenSSL's EVP one-shot digest on the same buffers.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <vector>

#include "crypto/digest.h"

namespace {

std::vector<unsigned char> Buffer(size_t n) {
  std::vector<unsigned char> b(n);
  uint32_t x = 12345;
  for (auto& c : b) c = static_cast<unsigned char>((x = x * 1103515245u + 12345u) >> 24);
  return b;
}

template <int (*Fn)(unsigned char*, const unsigned char*, int)>
void OursSigned(benchmark::State& state) {
  const auto data = Buffer(static_cast<size_t>(state.range(0)));
  unsigned char out[32];
  for (auto _ : state) {
    Fn(out, data.data(), static_cast<int>(data.size()));
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

template <int (*Fn)(unsigned char*, const unsigned char*, unsigned int)>
void OursUnsigned(benchmark::State& state) {
  const auto data = Buffer(static_cast<size_t>(state.range(0)));
  unsigned char out[32];
  for (auto _ : state) {
    Fn(out, data.data(), static_cast<unsigned>(data.size()));
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void PeerDigest(benchmark::State& state, const EVP_MD* md) {
  const auto data = Buffer(static_cast<size_t>(state.range(0)));
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int n = 0;
  for (auto _ : state) {
    EVP_Digest(data.data(), data.size(), out, &n, md, nullptr);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Peer_SM3(benchmark::State& s) { PeerDigest(s, EVP_sm3()); }
void Peer_SHA1(benchmark::State& s) { PeerDigest(s, EVP_sha1()); }
void Peer_MD5(benchmark::State& s) { PeerDigest(s, EVP_md5()); }

}  // namespace

BENCHMARK(OursSigned<GenerateSM3>)->Name("Ours_SM3")->Arg(64)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK(Peer_SM3)->Arg(64)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK(OursUnsigned<GenerateSHA>)->Name("Ours_SHA1")->Arg(64)->Arg(16 << 10);
BENCHMARK(Peer_SHA1)->Arg(64)->Arg(16 << 10);
BENCHMARK(OursUnsigned<GenerateMD5>)->Name("Ours_MD5")->Arg(64)->Arg(16 << 10);
BENCHMARK(Peer_MD5)->Arg(64)->Arg(16 << 10);

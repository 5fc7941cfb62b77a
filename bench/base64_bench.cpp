// Base64 encode/decode of a reused CBase64Coder against OpenSSL's block coder.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <random>
#include <vector>

#include "common/base64.h"

namespace {

std::vector<unsigned char> Data(size_t n) {
  std::mt19937 rng(42);
  std::vector<unsigned char> v(n);
  for (auto& b : v) b = static_cast<unsigned char>(rng());
  return v;
}

std::vector<unsigned char> Text(size_t n) {
  const std::vector<unsigned char> d = Data(n);
  std::vector<unsigned char> t(4 * ((n + 2) / 3) + 1);
  t.resize(static_cast<size_t>(EVP_EncodeBlock(t.data(), d.data(), static_cast<int>(n))));
  return t;
}

void Ours_Base64Encode(benchmark::State& state) {
  const auto data = Data(static_cast<size_t>(state.range(0)));
  CBase64Coder coder;
  for (auto _ : state) {
    coder.Encode(data.data(), static_cast<unsigned>(data.size()));
    benchmark::DoNotOptimize(coder.EncodedMessage());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Peer_Base64Encode(benchmark::State& state) {
  const auto data = Data(static_cast<size_t>(state.range(0)));
  std::vector<unsigned char> out(4 * ((data.size() + 2) / 3) + 1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(EVP_EncodeBlock(out.data(), data.data(), static_cast<int>(data.size())));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Ours_Base64Decode(benchmark::State& state) {
  const auto text = Text(static_cast<size_t>(state.range(0)));
  CBase64Coder coder;
  for (auto _ : state) {
    coder.Decode(text.data(), static_cast<unsigned>(text.size()));
    benchmark::DoNotOptimize(coder.DecodedMessage());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void Peer_Base64Decode(benchmark::State& state) {
  const auto text = Text(static_cast<size_t>(state.range(0)));
  std::vector<unsigned char> out(text.size() / 4 * 3 + 3);
  for (auto _ : state) {
    benchmark::DoNotOptimize(EVP_DecodeBlock(out.data(), text.data(), static_cast<int>(text.size())));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

}  // namespace

BENCHMARK(Ours_Base64Encode)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK(Peer_Base64Encode)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK(Ours_Base64Decode)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK(Peer_Base64Decode)->Arg(16 << 10)->Arg(1 << 20);

// Gzip blocks (CompressEncode/CompressDecode) against zlib used directly:
// raw deflate plus crc32, and raw inflate plus crc32, into malloc'd buffers.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "common/compress.h"

namespace {

// A 24-bit seal-like bitmap: white ground, red rings and text strokes, some
// scanner noise.
std::vector<unsigned char> SealData(size_t n) {
  std::mt19937 rng(7);
  std::vector<unsigned char> v(n);
  const size_t width = 256;
  for (size_t i = 0; i + 2 < n; i += 3) {
    const size_t px = i / 3, x = px % width, y = px / width % width;
    const long dx = static_cast<long>(x) - 128, dy = static_cast<long>(y) - 128;
    const long r2 = dx * dx + dy * dy;
    const bool ink = (r2 > 110 * 110 && r2 < 120 * 120) || ((x * 7 + y * 3) % 23 < 3 && r2 < 90 * 90);
    unsigned char b = ink ? 0x20 : 0xFF, g = ink ? 0x20 : 0xFF, r = 0xFF;
    if (rng() % 16 == 0) b = static_cast<unsigned char>(b ^ (rng() & 7));
    v[i] = b, v[i + 1] = g, v[i + 2] = r;
  }
  return v;
}

void Ours_GzipCompress(benchmark::State& state) {
  const auto data = SealData(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    unsigned char* out;
    int len;
    CompressEncode(data.data(), static_cast<int>(data.size()), &out, &len);
    benchmark::DoNotOptimize(out);
    std::free(out);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Peer_GzipCompress(benchmark::State& state) {
  const auto data = SealData(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    const uLong bound = deflateBound(&z, data.size());
    auto* out = static_cast<unsigned char*>(std::malloc(bound + 18));
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out + 10;
    z.avail_out = static_cast<uInt>(bound);
    deflate(&z, Z_FINISH);
    const uLong crc = crc32(0, data.data(), static_cast<uInt>(data.size()));
    benchmark::DoNotOptimize(crc);
    benchmark::DoNotOptimize(out);
    deflateEnd(&z);
    std::free(out);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

std::vector<unsigned char> Block(size_t n) {
  const auto data = SealData(n);
  unsigned char* out;
  int len;
  CompressEncode(data.data(), static_cast<int>(data.size()), &out, &len);
  std::vector<unsigned char> block(out, out + len);
  std::free(out);
  return block;
}

void Ours_GzipDecompress(benchmark::State& state) {
  const auto block = Block(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    unsigned char* out;
    int len;
    CompressDecode(block.data(), static_cast<int>(block.size()), &out, &len);
    benchmark::DoNotOptimize(out);
    std::free(out);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

// zlib with the output size known in advance: one buffer, one inflate call.
void Peer_GzipDecompress(benchmark::State& state) {
  const auto block = Block(static_cast<size_t>(state.range(0)));
  const size_t size = static_cast<size_t>(state.range(0));
  for (auto _ : state) {
    z_stream z{};
    inflateInit2(&z, -15);
    auto* out = static_cast<unsigned char*>(std::malloc(size));
    z.next_in = const_cast<Bytef*>(block.data() + 10);
    z.avail_in = static_cast<uInt>(block.size() - 18);
    z.next_out = out;
    z.avail_out = static_cast<uInt>(size);
    inflate(&z, Z_FINISH);
    const uLong crc = crc32(0, out, static_cast<uInt>(z.total_out));
    benchmark::DoNotOptimize(crc);
    benchmark::DoNotOptimize(out);
    inflateEnd(&z);
    std::free(out);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(Ours_GzipCompress)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK(Peer_GzipCompress)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK(Ours_GzipDecompress)->Arg(16 << 10)->Arg(1 << 20);
BENCHMARK(Peer_GzipDecompress)->Arg(16 << 10)->Arg(1 << 20);

// Text conversions against glibc iconv on a typical seal name (GB2312 and
// ASCII mixed, 40 characters). The iconv descriptors are opened once, outside
// the timed loops.
#include <iconv.h>

#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "common/encoding.h"

namespace {

// "中华人民共和国电子印章测试单位合同专用章" + "No.2024-ABC" in UTF-8.
const char kUtf8[] =
    "\xE4\xB8\xAD\xE5\x8D\x8E\xE4\xBA\xBA\xE6\xB0\x91\xE5\x85\xB1\xE5\x92\x8C\xE5\x9B\xBD"
    "\xE7\x94\xB5\xE5\xAD\x90\xE5\x8D\xB0\xE7\xAB\xA0\xE6\xB5\x8B\xE8\xAF\x95\xE5\x8D\x95"
    "\xE4\xBD\x8D\xE5\x90\x88\xE5\x90\x8C\xE4\xB8\x93\xE7\x94\xA8\xE7\xAB\xA0No.2024-ABC";

std::string ToGb(const char* utf8) {
  char out[256];
  UTF8TOACP(utf8, out, sizeof out);
  return out;
}

size_t Iconv(iconv_t cd, const void* in, size_t in_len, void* out, size_t out_len) {
  char* ip = const_cast<char*>(static_cast<const char*>(in));
  char* op = static_cast<char*>(out);
  size_t ol = out_len;
  iconv(cd, &ip, &in_len, &op, &ol);
  return out_len - ol;
}

void Ours_GbToUtf8(benchmark::State& state) {
  const std::string gb = ToGb(kUtf8);
  char out[256];
  for (auto _ : state) {
    ACPTOUTF8(gb.c_str(), out, sizeof out);
    benchmark::DoNotOptimize(out);
  }
}

void Peer_GbToUtf8(benchmark::State& state) {
  const std::string gb = ToGb(kUtf8);
  iconv_t cd = iconv_open("UTF-8", "GB2312");
  char out[256];
  for (auto _ : state) {
    out[Iconv(cd, gb.data(), gb.size(), out, sizeof out - 1)] = '\0';
    benchmark::DoNotOptimize(out);
  }
  iconv_close(cd);
}

void Ours_Utf8ToGb(benchmark::State& state) {
  char out[256];
  for (auto _ : state) {
    UTF8TOACP(kUtf8, out, sizeof out);
    benchmark::DoNotOptimize(out);
  }
}

void Peer_Utf8ToGb(benchmark::State& state) {
  iconv_t cd = iconv_open("GB2312", "UTF-8");
  char out[256];
  const size_t len = std::strlen(kUtf8);
  for (auto _ : state) {
    out[Iconv(cd, kUtf8, len, out, sizeof out - 1)] = '\0';
    benchmark::DoNotOptimize(out);
  }
  iconv_close(cd);
}

void Ours_WideToGb(benchmark::State& state) {
  wchar_t wide[64];
  G_utf8toucs2(kUtf8, wide, 64);
  char out[256];
  for (auto _ : state) {
    benchmark::DoNotOptimize(G_ConvertUnicodeToMBCode(wide, 0, out, sizeof out));
  }
}

void Peer_WideToGb(benchmark::State& state) {
  wchar_t wide[64];
  G_utf8toucs2(kUtf8, wide, 64);
  const size_t len = wcslen(wide) * sizeof(wchar_t);
  iconv_t cd = iconv_open("GB2312", "WCHAR_T");
  char out[256];
  for (auto _ : state) {
    out[Iconv(cd, wide, len, out, sizeof out - 1)] = '\0';
    benchmark::DoNotOptimize(out);
  }
  iconv_close(cd);
}

void Ours_Utf8ToWide(benchmark::State& state) {
  wchar_t out[64];
  for (auto _ : state) {
    benchmark::DoNotOptimize(G_utf8toucs2(kUtf8, out, 64));
  }
}

void Peer_Utf8ToWide(benchmark::State& state) {
  iconv_t cd = iconv_open("WCHAR_T", "UTF-8");
  wchar_t out[64];
  const size_t len = std::strlen(kUtf8);
  for (auto _ : state) {
    benchmark::DoNotOptimize(Iconv(cd, kUtf8, len, out, sizeof out));
  }
  iconv_close(cd);
}

}  // namespace

BENCHMARK(Ours_GbToUtf8);
BENCHMARK(Peer_GbToUtf8);
BENCHMARK(Ours_Utf8ToGb);
BENCHMARK(Peer_Utf8ToGb);
BENCHMARK(Ours_WideToGb);
BENCHMARK(Peer_WideToGb);
BENCHMARK(Ours_Utf8ToWide);
BENCHMARK(Peer_Utf8ToWide);

// Loading and saving a 64 KiB V6 seal file. The peer does the same work with
// this machine's stock parts: zlib for the gzip block, OpenSSL's two-key
// triple DES (ECB) for the cipher and OpenSSL's MD5, without the container
// checks. Our calls also write trace lines to the debug log (set
// OESQX_PATH_ROOT to a scratch folder for the run).
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "image/qx_image.h"
#include "seal/seal_operator.h"

namespace {

// A record of noise (it does not compress), so the file is about 64 KiB.
struct Fixture {
  std::vector<uint8_t> file;
  std::vector<uint8_t> container;
  Fixture() {
    oesqx::QxImage picture(150, 145, 24);
    uint32_t x = 12345;
    for (uint32_t row = 0; row < picture.GetHeight(); ++row) {
      uint8_t* p = picture.GetBits(row);
      for (uint32_t i = 0; i < picture.GetEffWidth(); ++i) p[i] = (x = x * 1103515245u + 12345u) >> 24;
    }
    CSealOperator op;
    op.CreateNewSeal(0x200, "BENCH", "BENCH", nullptr, nullptr, 0, 0, 0, 24, &picture, false,
                     false, 0, 0, 0);
    unsigned char* out = nullptr;
    const int n = op.SaveData(&out, 0);
    file.assign(out, out + (n > 0 ? n : 0));
    std::free(out);
    const auto* c = reinterpret_cast<const uint8_t*>(op.GetContainer());
    container.assign(c, c + op.GetContainer()->dwLength);
  }
};

const Fixture& Data() {
  static const Fixture f;
  return f;
}

const unsigned char kKey[16] = {0x25, 0x24, 0x69, 0x52, 0xE5, 0xB0, 0x6B, 0x90,
                                0x3F, 0xED, 0xD0, 0xB6, 0xD4, 0xAA, 0x53, 0xB3};

void Ours_SealLoad64K(benchmark::State& state) {
  const std::vector<uint8_t>& file = Data().file;
  for (auto _ : state) {
    CSealOperator op;
    const int n = op.LoadData(file.data(), static_cast<int>(file.size()));
    if (n <= 0) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(op.GetContainer());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}

void Ours_SealSave64K(benchmark::State& state) {
  const std::vector<uint8_t>& file = Data().file;
  CSealOperator op;
  op.LoadData(file.data(), static_cast<int>(file.size()));
  for (auto _ : state) {
    unsigned char* out = nullptr;
    const int n = op.SaveData(&out, 0);
    if (n <= 0) state.SkipWithError("save failed");
    benchmark::DoNotOptimize(out);
    std::free(out);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}

// The cipher over whole 8-byte blocks, in place.
void TripleDes(std::vector<uint8_t>* block, bool encrypt) {
  EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, "DES-EDE-ECB", nullptr);
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_CipherInit_ex2(ctx, cipher, kKey, nullptr, encrypt ? 1 : 0, nullptr);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  int n = 0;
  const int whole = static_cast<int>(block->size() / 8 * 8);
  EVP_CipherUpdate(ctx, block->data(), &n, block->data(), whole);
  EVP_CIPHER_CTX_free(ctx);
  EVP_CIPHER_free(cipher);
}

void Peer_SealLoad64K(benchmark::State& state) {
  const std::vector<uint8_t>& file = Data().file;
  const size_t container_len = Data().container.size();
  for (auto _ : state) {
    std::vector<uint8_t> block(file.begin() + 44, file.end());
    TripleDes(&block, false);
    std::vector<uint8_t> out(container_len);
    z_stream z{};
    inflateInit2(&z, 15 + 16);
    z.next_in = block.data();
    z.avail_in = static_cast<uInt>(block.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    inflate(&z, Z_FINISH);
    inflateEnd(&z);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}

void Peer_SealSave64K(benchmark::State& state) {
  const std::vector<uint8_t>& c = Data().container;
  for (auto _ : state) {
    std::vector<uint8_t> file(44 + compressBound(c.size()) + 32);
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    z.next_in = const_cast<Bytef*>(c.data());
    z.avail_in = static_cast<uInt>(c.size());
    z.next_out = file.data() + 44;
    z.avail_out = static_cast<uInt>(file.size() - 44);
    deflate(&z, Z_FINISH);
    file.resize(44 + z.total_out);
    deflateEnd(&z);
    std::vector<uint8_t> block(file.begin() + 44, file.end());
    TripleDes(&block, true);
    unsigned int md_len = 16;
    EVP_Digest(file.data() + 24, file.size() - 24, file.data() + 8, &md_len, EVP_md5(), nullptr);
    benchmark::DoNotOptimize(block.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Data().file.size()));
}

BENCHMARK(Ours_SealLoad64K);
BENCHMARK(Peer_SealLoad64K);
BENCHMARK(Ours_SealSave64K);
BENCHMARK(Peer_SealSave64K);

}  // namespace

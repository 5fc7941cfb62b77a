// Web seal data: decoding a store of 16 controls with 20 KiB seals each
// (split, decipher, inflate, digests, copies), against the same pipeline
// built from OpenSSL (Base64, MD5, two-key triple DES) and zlib on data of
// the same shape enciphered for it; and drawing 2000 handwriting points,
// against cairo stroking the same strokes as round-capped polylines.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/webseal_writer.h"
#include "webseal/pen_note.h"
#include "webseal/web_obj.h"

#ifdef OESQX_HAVE_CAIRO
#include <cairo.h>
#endif

namespace {

namespace w = oesqx::test::webseal;
using w::Bytes;

constexpr int kControls = 16;
constexpr size_t kSealSize = 20 * 1024;

Bytes Random(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& v : b) v = static_cast<uint8_t>(rng());
  return b;
}

w::Record BenchRecord(int i) {
  w::Record r;
  r.has_position = true;
  r.x = i * 10;
  r.y = i * 20;
  r.signature = Random(128, 100 + i);
  r.certificate = Random(900, 200 + i);
  r.seal_data = Random(kSealSize, 300 + i);  // seal files are compressed already
  r.user_id = "bench-user";
  return r;
}

const std::string& OurStore() {
  static const std::string text = [] {
    std::vector<w::Entry> entries;
    for (int i = 0; i < kControls; ++i) {
      entries.push_back({"ctrl" + std::to_string(i), "pos", w::ControlData(w::RecordBytes(BenchRecord(i)), 5, 0)});
    }
    return w::Base64(w::StoreBytes(entries));
  }();
  return text;
}

void Ours_WebSealDecodeStore16(benchmark::State& state) {
  const std::string& text = OurStore();
  for (auto _ : state) {
    WEB_OBJ obj;
    DecodeStoreData(text.c_str(), &obj);
    for (POSITION pos = obj.m_lstCtrl.GetHeadPosition(); pos != nullptr;) {
      benchmark::DoNotOptimize(SubLoadWebSeal(obj.m_lstCtrl.GetNext(pos), obj.m_cSealPwd, nullptr));
    }
    FreeWebSealObj(&obj, 0);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// The peer's store: the same records and gzip blocks, enciphered with
// OpenSSL's DES-EDE in ECB mode (whole blocks; the tail stays plain).
const uint8_t kPeerKey[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

void PeerCrypt(uint8_t* data, int len, bool encrypt) {
  const int whole = len / 8 * 8;
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_CipherInit_ex(ctx, EVP_des_ede_ecb(), nullptr, kPeerKey, nullptr, encrypt ? 1 : 0);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  int out = 0;
  EVP_CipherUpdate(ctx, data, &out, data, whole);
  EVP_CIPHER_CTX_free(ctx);
}

const std::string& PeerStore() {
  static const std::string text = [] {
    std::vector<w::Entry> entries;
    for (int i = 0; i < kControls; ++i) {
      const Bytes rec = w::RecordBytes(BenchRecord(i));
      unsigned char* gz = nullptr;
      int gz_len = 0;
      CompressEncode(rec.data(), static_cast<int>(rec.size()), &gz, &gz_len);
      PeerCrypt(gz, gz_len, true);
      Bytes control;
      oesqx::ByteWriter head(&control);
      head.PutU32(static_cast<uint32_t>(28 + gz_len));
      head.PutZeros(16);
      head.PutU16(1);
      head.PutU16(0);
      head.PutU32(0);
      head.PutBytes(gz, static_cast<size_t>(gz_len));
      std::free(gz);
      entries.push_back({"ctrl" + std::to_string(i), "pos", control});
    }
    return w::Base64(w::StoreBytes(entries));
  }();
  return text;
}

bool PeerMd5Matches(const uint8_t* data, size_t len, const uint8_t* expect) {
  uint8_t md[EVP_MAX_MD_SIZE];
  unsigned md_len = 0;
  EVP_Digest(data, len, md, &md_len, EVP_md5(), nullptr);
  return std::memcmp(md, expect, 16) == 0;
}

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void Peer_WebSealDecodeStore16(benchmark::State& state) {
  const std::string& text = PeerStore();
  std::vector<uint8_t> store(text.size());
  std::vector<uint8_t> rec(64 * 1024);
  for (auto _ : state) {
    const int n = EVP_DecodeBlock(store.data(), reinterpret_cast<const uint8_t*>(text.data()),
                                  static_cast<int>(text.size()));
    const uint32_t total = U32(store.data());
    if (n < 52 || !PeerMd5Matches(store.data() + 20, total - 20, store.data() + 4)) {
      state.SkipWithError("store");
      break;
    }
    size_t at = 52;
    for (int i = 0; i < U16(store.data() + 22); ++i) {
      const uint32_t len = U32(&store[at]);
      std::vector<uint8_t> body(store.begin() + at + 132 + 28, store.begin() + at + len);
      at += len;
      PeerCrypt(body.data(), static_cast<int>(body.size()), false);
      z_stream z{};
      inflateInit2(&z, 16 + MAX_WBITS);
      z.next_in = body.data();
      z.avail_in = static_cast<uInt>(body.size());
      z.next_out = rec.data();
      z.avail_out = static_cast<uInt>(rec.size());
      inflate(&z, Z_FINISH);
      const size_t rec_len = z.total_out;
      inflateEnd(&z);
      if (rec_len < 124 || U32(rec.data()) != rec_len ||
          !PeerMd5Matches(rec.data() + 20, rec_len - 20, rec.data() + 4)) {
        state.SkipWithError("record");
        break;
      }
      // The copies the decoder keeps: signature, certificate, seal data.
      size_t p = 124 + 8;
      for (const size_t n : {size_t{U16(&rec[24])}, size_t{U16(&rec[26])}, kSealSize}) {
        void* copy = std::malloc(n);
        std::memcpy(copy, &rec[p], n);
        benchmark::DoNotOptimize(copy);
        std::free(copy);
        p += n;
      }
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// 2000 points in 10 strokes of 200, wavy lines across a 400 x 200 canvas.
constexpr int kCanvasW = 400, kCanvasH = 200;

std::vector<w::Stroke> BenchStrokes() {
  std::vector<w::Stroke> strokes;
  for (int s = 0; s < 10; ++s) {
    w::Stroke st{0x00202080u + static_cast<uint32_t>(s), {}};
    for (int i = 0; i < 200; ++i) {
      const double t = i / 199.0;
      const auto x = static_cast<uint16_t>(20 + 360 * t);
      const auto y = static_cast<uint16_t>(20 + s * 16 + 10 * std::sin(t * 12 + s));
      const auto width = static_cast<uint16_t>(2 + (i / 40) % 3);
      st.points.push_back({width, x, y});
    }
    strokes.push_back(st);
  }
  return strokes;
}

void Ours_WebSealDrawHandwriting2000(benchmark::State& state) {
  const Bytes data = w::StrokeBytes(0, 0, kCanvasW, kCanvasH, BenchStrokes());
  oesqx::CPenNote note;
  note.LoadData(data.data(), static_cast<int>(data.size()));
  const size_t stride = ((24 * kCanvasW + 31) / 32) * 4;
  std::vector<unsigned char> canvas(stride * kCanvasH);
  for (auto _ : state) {
    std::memset(canvas.data(), 255, canvas.size());
    note.Draw(canvas.data(), 0, 0, kCanvasW, kCanvasH, 100);
    benchmark::DoNotOptimize(canvas.data());
  }
}

#ifdef OESQX_HAVE_CAIRO
void Peer_WebSealDrawHandwriting2000(benchmark::State& state) {
  const std::vector<w::Stroke> strokes = BenchStrokes();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kCanvasW, kCanvasH);
  cairo_t* cr = cairo_create(surface);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
  for (auto _ : state) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    for (const w::Stroke& s : strokes) {
      // One width per stroke (its mean): the fastest way cairo draws it.
      double width = 0;
      for (const auto& p : s.points) width += p[0];
      cairo_set_line_width(cr, width / s.points.size());
      cairo_set_source_rgb(cr, (s.color & 0xFF) / 255.0, ((s.color >> 8) & 0xFF) / 255.0,
                           ((s.color >> 16) & 0xFF) / 255.0);
      cairo_move_to(cr, s.points[0][1], s.points[0][2]);
      for (const auto& p : s.points) cairo_line_to(cr, p[1], p[2]);
      cairo_stroke(cr);
    }
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(Peer_WebSealDrawHandwriting2000);
#endif

BENCHMARK(Ours_WebSealDecodeStore16);
BENCHMARK(Peer_WebSealDecodeStore16);
BENCHMARK(Ours_WebSealDrawHandwriting2000);

}  // namespace

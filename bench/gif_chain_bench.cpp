// The seal GIF chain: a 24-bit DIB made into a picture, reduced to 8 bits
// with error diffusion onto the standard palette, white made transparent,
// encoded as GIF. Peer: ImageMagick in process (MagickWand), the same
// pixels remapped with Floyd-Steinberg onto the same palette and written
// as GIF. Inputs are seal-like pictures of 400, 1000 and 4000 pixels square.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "image/palette.h"
#include "image/qx_image.h"
#include "tools/gif_render/seal_picture.h"

#ifdef OESQX_HAVE_MAGICKWAND
#include <wand/MagickWand.h>
#endif

namespace {

const std::vector<uint8_t>& Rows(int size) {
  static std::map<int, std::vector<uint8_t>> cache;
  auto it = cache.find(size);
  if (it == cache.end()) it = cache.emplace(size, oesqx::sample::SealPictureRows(size)).first;
  return it->second;
}

void SetPixelCounter(benchmark::State& state, int size) {
  // Inverted rate of pixels: seconds per pixel (shown with an "n" prefix).
  state.counters["s_per_px"] = benchmark::Counter(double(size) * size,
                                                   benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

void Ours_GifChain(benchmark::State& state) {
  const int size = int(state.range(0));
  const std::vector<uint8_t>& rows = Rows(size);
  const BITMAPINFOHEADER header = oesqx::image::MakeDib24Header(size, size);
  for (auto _ : state) {
    oesqx::QxImage pic;
    pic.CreateFromData(reinterpret_cast<const tagBITMAPINFO*>(&header), sizeof(header), rows.data(),
                       unsigned(rows.size()));
    pic.DecreaseBpp(8, true, nullptr, 0);
    pic.SetTransIndex(255);
    uint8_t* gif = nullptr;
    int length = 0;
    if (!pic.Encode(gif, length, oesqx::QXIMAGE_FORMAT_GIF)) state.SkipWithError("encode failed");
    benchmark::DoNotOptimize(gif);
    std::free(gif);
  }
  SetPixelCounter(state, size);
}
BENCHMARK(Ours_GifChain)->Arg(400)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

#ifdef OESQX_HAVE_MAGICKWAND
// The same pixels top row first, tightly packed, as ImageMagick takes them.
std::vector<uint8_t> TopDownBgr(int size) {
  const std::vector<uint8_t>& rows = Rows(size);
  const uint32_t stride = oesqx::image::DibStride(uint32_t(size), 24);
  std::vector<uint8_t> out(size_t(size) * size * 3);
  for (int y = 0; y < size; ++y)
    std::copy_n(rows.data() + size_t(size - 1 - y) * stride, size_t(size) * 3, out.data() + size_t(y) * size * 3);
  return out;
}

void Peer_GifChain(benchmark::State& state) {
  const int size = int(state.range(0));
  MagickWandGenesis();
  // One thread, like ours: CPU times compare work, not cores.
  MagickSetResourceLimit(ThreadResource, 1);
  const std::vector<uint8_t> bgr = TopDownBgr(size);
  // The standard palette as a 16 x 16 picture to remap onto.
  std::vector<uint8_t> pal(256 * 3);
  const RGBQUAD* q = oesqx::image::StandardPalette();
  for (int i = 0; i < 256; ++i) {
    pal[3 * i] = q[i].rgbBlue;
    pal[3 * i + 1] = q[i].rgbGreen;
    pal[3 * i + 2] = q[i].rgbRed;
  }
  MagickWand* palette = NewMagickWand();
  MagickConstituteImage(palette, 16, 16, "BGR", CharPixel, pal.data());
  for (auto _ : state) {
    MagickWand* wand = NewMagickWand();
    MagickConstituteImage(wand, size_t(size), size_t(size), "BGR", CharPixel, bgr.data());
    MagickRemapImage(wand, palette, FloydSteinbergDitherMethod);
    MagickSetImageFormat(wand, "GIF");
    size_t length = 0;
    unsigned char* gif = MagickGetImageBlob(wand, &length);
    if (gif == nullptr) state.SkipWithError("ImageMagick failed");
    benchmark::DoNotOptimize(gif);
    MagickRelinquishMemory(gif);
    DestroyMagickWand(wand);
  }
  DestroyMagickWand(palette);
  SetPixelCounter(state, size);
}
BENCHMARK(Peer_GifChain)->Arg(400)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

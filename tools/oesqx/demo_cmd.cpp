// oesqx demo: a walk-through of what the component does, on built-in data
// only (no key, no server). Writes its results below one output folder.
#include <sys/stat.h>

#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/compress.h"
#include "crypto/digest.h"
#include "oes/oes_api.h"
#include "tools/oesqx/commands.h"

namespace oesqx::cli {
namespace {

constexpr char kSampleText[] =
    "oesqx demo document: the digest of this text is what a reader would stamp.\n";

bool Step(const char* what, bool ok) {
  std::printf("[%s] %s\n", ok ? " ok " : "FAIL", what);
  return ok;
}

// Runs one "oesqx seal ..." command with the given words.
bool Seal(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  return RunSeal(static_cast<int>(argv.size()), argv.data()) == 0;
}

}  // namespace

int RunDemo(int argc, char** argv) {
  const std::string out_dir = argc >= 1 ? argv[0] : "oesqx-demo";
  if (::mkdir(out_dir.c_str(), 0700) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "oesqx: cannot create %s\n", out_dir.c_str());
    return 1;
  }
  bool ok = true;
  std::printf("== provider\n");
  ok &= RunInfo(0, nullptr) == 0;

  std::printf("== digests of the sample document\n");
  const auto* text = reinterpret_cast<const unsigned char*>(kSampleText);
  const int len = static_cast<int>(std::strlen(kSampleText));
  unsigned char digest[32];
  int digest_len = sizeof(digest);
  ok &= Step("OES_Digest SM3",
             OES_Digest(const_cast<unsigned char*>(text), len, nullptr, 0, digest, &digest_len) == 0 &&
                 digest_len == 32);
  unsigned char direct[32];
  GenerateSM3(direct, text, len);
  ok &= Step("OES_Digest equals GenerateSM3", std::memcmp(digest, direct, 32) == 0);

  std::printf("== compressed text round trip\n");
  char* ctext = nullptr;
  const int ctext_len = EncodeDataToStr(text, len, &ctext);
  ok &= Step("EncodeDataToStr", ctext_len > 0);
  unsigned char* back = nullptr;
  const int back_len = ctext_len > 0 ? DecodeStrToDataChar(ctext, &back) : 0;
  ok &= Step("DecodeStrToDataChar gives the document back",
             back_len == len && std::memcmp(back, text, static_cast<size_t>(len)) == 0);
  if (ctext_len > 0) {
    const std::string path = out_dir + "/sample.ctext";
    ok &= WriteWholeFile(path, reinterpret_cast<unsigned char*>(ctext), static_cast<size_t>(ctext_len));
    std::printf("     wrote %s\n", path.c_str());
  }
  std::free(ctext);
  std::free(back);

  std::printf("== the sample seal: picture, V6 seal file, properties, transparent GIF\n");
  const std::string picture = out_dir + "/sample.bmp";
  const std::string seal = out_dir + "/sample.seal";
  const std::string gif = out_dir + "/sample.gif";
  ok &= Step("draw the sample picture", Seal({"sample", picture}));
  ok &= Step("make a V6 seal of it",
             Seal({"make", picture, seal, "--id", "11010000000001", "--name", "示例印章",
                   "--maker", "oesqx demo", "--valid-until", "2030-12-31"}));
  ok &= Step("show the seal's records", Seal({"show", seal}));
  ok &= Step("render it as a transparent GIF", Seal({"render", seal, gif}));
  std::printf("     wrote %s, %s and %s\n", picture.c_str(), seal.c_str(), gif.c_str());

  std::printf("%s\n", ok ? "demo finished" : "demo FAILED");
  return ok ? 0 : 1;
}

}  // namespace oesqx::cli

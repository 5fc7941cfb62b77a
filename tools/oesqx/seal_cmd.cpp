// The seal commands: make a V6 seal file from a picture, show the records
// of a seal file, render a seal as a transparent GIF, draw a sample picture.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/malloc_ptr.h"
#include "image/dib.h"
#include "image/qx_image.h"
#include "seal/day_number.h"
#include "seal/seal_gif.h"
#include "seal/seal_operator.h"
#include "seal/seal_reader.h"
#include "tools/oesqx/commands.h"
#include "tools/oesqx/sample_picture.h"

namespace oesqx::cli {
namespace {

// "--name value" pairs and bare "--flag"s after the positional arguments.
struct Args {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;
  bool Has(const char* name) const { return options.count(name) != 0; }
  std::string Get(const char* name, const std::string& fallback = "") const {
    auto it = options.find(name);
    return it == options.end() ? fallback : it->second;
  }
};

bool ParseArgs(int argc, char** argv, const std::vector<std::string>& flags, Args* out) {
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--", 0) != 0) {
      out->positional.push_back(a);
      continue;
    }
    const std::string name = a.substr(2);
    bool is_flag = false;
    for (const std::string& f : flags) is_flag = is_flag || f == name;
    if (is_flag) {
      out->options[name] = "1";
    } else if (i + 1 < argc) {
      out->options[name] = argv[++i];
    } else {
      std::fprintf(stderr, "oesqx: %s needs a value\n", a.c_str());
      return false;
    }
  }
  return true;
}

std::string ToGb(const std::string& utf8) {
  char out[64];
  UTF8TOACP(utf8.c_str(), out, sizeof(out));
  return out;
}

std::string ToUtf8(const char (&field)[64]) {
  char text[65];
  std::memcpy(text, field, 64);
  text[64] = '\0';
  char out[200];
  ACPTOUTF8(text, out, sizeof(out));
  return out;
}

std::string DayText(unsigned int day) {
  if (day == 0) return "none";
  char buf[48];
  std::snprintf(buf, sizeof(buf), "%04u-%02u-%02u (day %u)", 2000 + day / 372, day % 372 / 31 + 1,
                day % 31 + 1, day);
  return buf;
}

// "YYYY-MM-DD" to a day number; "0" or "none" for no limit.
bool ParseDay(const std::string& text, unsigned int* day) {
  if (text.empty() || text == "0" || text == "none") {
    *day = 0;
    return true;
  }
  int y, m, d;
  char tail;
  if (std::sscanf(text.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) != 3 || y < 2000 || y > 9999 ||
      m < 1 || m > 12 || d < 1 || d > 31) {
    std::fprintf(stderr, "oesqx: bad date %s (YYYY-MM-DD)\n", text.c_str());
    return false;
  }
  *day = static_cast<unsigned int>(oesqx::seal::DayNumber(y, m, d));
  return true;
}

bool ParseSize(const std::string& text, unsigned* w, unsigned* h) {
  char tail;
  return std::sscanf(text.c_str(), "%ux%u%c", w, h, &tail) == 2 && *w <= 65535 && *h <= 65535;
}

bool WriteOut(const std::string& path, const unsigned char* data, int len) {
  return len > 0 && WriteWholeFile(path, data, static_cast<size_t>(len));
}

int Make(int argc, char** argv) {
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--standard") == 0) return RunSealMakeStandard(argc, argv);
  }
  Args args;
  if (!ParseArgs(argc, argv, {"pack", "personal"}, &args) || args.positional.size() != 2 ||
      !args.Has("id") || !args.Has("name")) {
    std::fprintf(stderr,
                 "usage: oesqx seal make PICTURE OUT --id ID --name NAME [--maker M] [--text3 T]\n"
                 "       [--valid-until YYYY-MM-DD] [--password P] [--pack] [--personal]\n"
                 "       [--bits 8|24] [--display WxH]\n");
    return 2;
  }
  unsigned int valid_until = 0;
  if (!ParseDay(args.Get("valid-until"), &valid_until)) return 2;
  unsigned disp_w = 0, disp_h = 0;
  if (args.Has("display") && !ParseSize(args.Get("display"), &disp_w, &disp_h)) {
    std::fprintf(stderr, "oesqx: bad display size (WxH)\n");
    return 2;
  }
  const int bits = std::atoi(args.Get("bits", "24").c_str());
  if (bits != 8 && bits != 24) {
    std::fprintf(stderr, "oesqx: --bits must be 8 or 24\n");
    return 2;
  }
  QxImage picture;
  if (!picture.Load(args.positional[0].c_str(), QXIMAGE_FORMAT_UNKNOWN)) {
    std::fprintf(stderr, "oesqx: cannot read the picture %s: %s\n", args.positional[0].c_str(),
                 picture.GetLastError());
    return 1;
  }
  const std::string id = ToGb(args.Get("id")), name = ToGb(args.Get("name"));
  const std::string text3 = ToGb(args.Get("text3")), maker = ToGb(args.Get("maker", "oesqx"));
  CSealOperator op;
  SEAL_DATA_V6* record = op.CreateNewSeal(
      args.Has("personal") ? SEAL_KIND_PERSONAL : SEAL_KIND_OFFICIAL, id.c_str(), name.c_str(),
      text3.c_str(), maker.c_str(), 0, static_cast<unsigned short>(disp_w),
      static_cast<unsigned short>(disp_h), static_cast<unsigned char>(bits), &picture, false,
      false, valid_until, 0, 0);
  if (record == nullptr) {
    std::fprintf(stderr, "oesqx: the picture cannot make a seal (at most 32767 x 32767)\n");
    return 1;
  }
  op.SetPassword(args.Get("password").c_str());
  const unsigned char saved_pack = g_blEncSeal;
  g_blEncSeal = args.Has("pack") ? 1 : 0;
  MallocOut file;
  const int len = op.SaveData(&file.p, 0);
  g_blEncSeal = saved_pack;
  if (len <= 0) {
    std::fprintf(stderr, "oesqx: cannot write the seal\n");
    return 1;
  }
  if (!WriteOut(args.positional[1], file.p, len)) return 1;
  std::printf("%s: seal %u, %d bytes\n", args.positional[1].c_str(), record->head.dwID, len);
  return 0;
}

const char* FormOf(const std::vector<unsigned char>& data, const CSealOperator& op) {
  const bool packed = data.size() >= 4 && std::memcmp(data.data(), "ECSL", 4) == 0;
  if (op.IsStandardMode()) return packed ? "packed standard seals" : "standard seals";
  return packed ? "packed V6" : "V6";
}

void ShowRecord(int n, const SEAL_DATA_V6* r) {
  std::printf("seal %d:\n", n);
  std::printf("  record id: %u\n", r->head.dwID);
  std::printf("  seal id: %s\n", ToUtf8(r->cSealID).c_str());
  std::printf("  name: %s\n", ToUtf8(r->cSealName).c_str());
  std::printf("  text3: %s\n", ToUtf8(r->cText3).c_str());
  std::printf("  maker: %s\n", ToUtf8(r->cMaker).c_str());
  const char* kind = r->wSealKind == SEAL_KIND_PERSONAL   ? "personal"
                     : r->wSealKind == SEAL_KIND_OFFICIAL ? "official"
                                                          : "other";
  std::printf("  kind: %s (0x%X)\n", kind, r->wSealKind);
  std::printf("  valid from: %s\n", DayText(r->dwValidStart).c_str());
  std::printf("  valid until: %s\n", DayText(r->dwValidEnd).c_str());
  std::printf("  picture: %ux%u, %u bits\n", r->wWidth, r->wHeight, r->bBitCount);
  std::printf("  display: %ux%u\n", r->wDispWidth, r->wDispHeight);
  std::printf("  value: %u\n", r->dwValue);
  if (r->bV7Version != 0) std::printf("  standard version: %u\n", r->bV7Version);
}

// V4/V5 files have no records; only what G_ReadSealVer4 gives.
bool ShowV4(const std::vector<unsigned char>& data, const std::string& password) {
  unsigned char* rows = nullptr;
  char id[64] = {}, name[64] = {};
  int w = 0, h = 0, dh = 0;
  unsigned int dw = 0;
  if (G_ReadSealVer4(data.data(), static_cast<int>(data.size()), &rows, id, name, &w, &h, &dw,
                     &dh, false, nullptr, password.c_str()) != 1) {
    return false;
  }
  std::free(rows);
  std::printf("form: V4\nseal 1:\n  seal id: %s\n  name: %s\n  picture: %dx%d\n"
              "  display: %ux%d\n",
              id, name, w, h, dw, dh);
  return true;
}

int Show(int argc, char** argv) {
  Args args;
  if (!ParseArgs(argc, argv, {}, &args) || args.positional.size() != 1) {
    std::fprintf(stderr, "usage: oesqx seal show FILE [--password P]\n");
    return 2;
  }
  std::vector<unsigned char> data;
  if (!ReadWholeFile(args.positional[0], &data)) return 1;
  const std::string password = args.Get("password");
  CSealOperator op;
  op.SetPassword(password.c_str());
  if (data.empty() || op.LoadData(data.data(), static_cast<int>(data.size())) == 0) {
    if (ShowV4(data, password)) return 0;
    std::fprintf(stderr, "oesqx: %s is not a seal file this tool reads (or the password is "
                 "wrong)\n", args.positional[0].c_str());
    return 1;
  }
  std::printf("form: %s\n", FormOf(data, op));
  if (const SEAL_ENCDATA_HEADER_V6* c = op.GetContainer(); c != nullptr && !op.IsStandardMode()) {
    std::printf("items: %u\n", c->wCount);
  }
  int n = 0;
  for (SEAL_DATA_V6* r = op.GetSealData(0, nullptr); r != nullptr; r = op.GetSealData(0, r)) {
    ShowRecord(++n, r);
  }
  if (n == 0) std::printf("no seal records\n");
  return 0;
}

int Render(int argc, char** argv) {
  Args args;
  if (!ParseArgs(argc, argv, {}, &args) || args.positional.size() != 2) {
    std::fprintf(stderr, "usage: oesqx seal render FILE OUT.gif [--password P] [--seal N]\n");
    return 2;
  }
  std::vector<unsigned char> data;
  if (!ReadWholeFile(args.positional[0], &data)) return 1;
  const std::string password = args.Get("password");
  const int wanted = std::atoi(args.Get("seal", "1").c_str());
  MallocOut rows;
  uint32_t width = 0, height = 0;
  CSealOperator op;
  op.SetPassword(password.c_str());
  if (!data.empty() && op.LoadData(data.data(), static_cast<int>(data.size())) != 0) {
    SEAL_DATA_V6* r = op.GetSealData(0, nullptr);
    for (int i = 1; r != nullptr && i < wanted; ++i) r = op.GetSealData(0, r);
    if (r == nullptr || wanted < 1) {
      std::fprintf(stderr, "oesqx: no seal %d in %s\n", wanted, args.positional[0].c_str());
      return 1;
    }
    rows.p = op.GetSealDIB24BitsFromSealData(r, 0);
    width = r->wWidth;
    height = r->wHeight;
  } else {
    int w = 0, h = 0, dh = 0;
    unsigned int dw = 0;
    if (G_ReadSealVer4(data.data(), static_cast<int>(data.size()), &rows.p, nullptr, nullptr, &w,
                       &h, &dw, &dh, false, nullptr, password.c_str()) == 1) {
      width = static_cast<uint32_t>(w);
      height = static_cast<uint32_t>(h);
    }
  }
  if (rows.p == nullptr) {
    std::fprintf(stderr, "oesqx: no picture in %s\n", args.positional[0].c_str());
    return 1;
  }
  MallocOut gif;
  int gif_len = 0;
  if (!oesqx::seal::Rows24ToTransparentGif(rows.p, width, height, &gif.p, &gif_len)) {
    std::fprintf(stderr, "oesqx: cannot encode the picture\n");
    return 1;
  }
  if (!WriteOut(args.positional[1], gif.p, gif_len)) return 1;
  std::printf("%s: %ux%u GIF, %d bytes\n", args.positional[1].c_str(), width, height, gif_len);
  return 0;
}

int Sample(int argc, char** argv) {
  if (argc < 1 || argc > 2) {
    std::fprintf(stderr, "usage: oesqx seal sample OUT.bmp [SIZE]\n");
    return 2;
  }
  const int size = argc == 2 ? std::atoi(argv[1]) : 240;
  if (size < 16 || size > 4096) {
    std::fprintf(stderr, "oesqx: SIZE must be 16 to 4096\n");
    return 2;
  }
  const sample::Picture24 p = sample::DrawSealPicture(static_cast<uint32_t>(size));
  BITMAPINFO info{};
  info.bmiHeader = image::MakeDib24Header(static_cast<int32_t>(p.width),
                                          static_cast<int32_t>(p.height));
  QxImage picture;
  if (!picture.CreateFromData(&info, sizeof(BITMAPINFOHEADER), p.rows.data(),
                              static_cast<unsigned>(p.rows.size())) ||
      !picture.Save(argv[0], QXIMAGE_FORMAT_BMP)) {
    std::fprintf(stderr, "oesqx: cannot write %s\n", argv[0]);
    return 1;
  }
  std::printf("%s: %dx%d sample seal picture\n", argv[0], size, size);
  return 0;
}

}  // namespace

int RunSeal(int argc, char** argv) {
  if (argc < 1) return Usage();
  const std::string sub = argv[0];
  if (sub == "make") return Make(argc - 1, argv + 1);
  if (sub == "show") return Show(argc - 1, argv + 1);
  if (sub == "render") return Render(argc - 1, argv + 1);
  if (sub == "sample") return Sample(argc - 1, argv + 1);
  return Usage();
}

}  // namespace oesqx::cli

// The web seal command: open web seal data (text form or Base64 store
// data), list its controls, check them against a form data file, and render
// one control's picture (seal or handwriting) as a GIF.
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "common/base64.h"
#include "seal/seal_gif.h"
#include "tools/oesqx/commands.h"
#include "webseal/ctrl_picture.h"
#include "webseal/web_obj.h"

namespace oesqx::cli {
namespace {

constexpr char kShowUsage[] =
    "usage: oesqx webseal show DATA [--form FORMFILE] [--password P] [--gif NAME OUT.gif]\n"
    "  DATA: a file of web seal data, text form or Base64 store data\n"
    "  NAME: the control to render; \"\" for the first\n";

struct Options {
  std::string data_path, form_path, password, gif_name, gif_path;
  bool want_gif = false;
};

bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--form" && i + 1 < argc) {
      o->form_path = argv[++i];
    } else if (a == "--password" && i + 1 < argc) {
      o->password = argv[++i];
    } else if (a == "--gif" && i + 2 < argc) {
      o->want_gif = true;
      o->gif_name = argv[++i];
      o->gif_path = argv[++i];
    } else if (a.rfind("--", 0) != 0 && o->data_path.empty()) {
      o->data_path = a;
    } else {
      return false;
    }
  }
  return !o->data_path.empty();
}

// Frees the set's controls on every way out.
struct OpenSet {
  WEB_OBJ obj;
  ~OpenSet() { FreeWebSealObj(&obj, 0); }
};

std::string TimeText(uint32_t seconds) {
  if (seconds == 0) return "-";
  const std::time_t t = seconds;
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof(buf), "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

const char* DigestText(const WEB_CTRL_INFO& c, bool form_given) {
  if (!c.m_blDigestApplies || c.m_blHasStrokes) return "not checked";
  if (!form_given) return "no form data given";
  return c.m_blVerified ? "matches" : "does not match";
}

const char* KindText(const WEB_CTRL_INFO& c) {
  if (c.m_blHasStrokes || c.m_pPenNote != nullptr) return "handwriting";
  if (c.m_pSealData != nullptr) return "seal";
  return "none";
}

void ShowControl(int n, const WEB_CTRL_INFO& c, int rc, bool form_given) {
  std::printf("%d. name: %s\n", n, c.m_cName);
  std::printf("   position: %s\n", c.m_cPosition);
  if (rc != 1) {
    std::printf("   decoding failed: %d\n", rc);
    return;
  }
  std::printf("   at: %d,%d  scale: %d%%\n", c.m_nX, c.m_nY, c.m_nScale);
  std::printf("   time: %s\n", TimeText(c.m_nSealTime).c_str());
  std::printf("   user: %s\n", c.m_cUserId);
  std::printf("   picture: %s\n", KindText(c));
  std::printf("   certificate: %u bytes, signature: %u bytes, sign mode %d\n", c.m_nCertLen,
              c.m_nSignLen, c.m_nSignMode);
  std::printf("   form digest: %s\n", DigestText(c, form_given));
}

int RenderGif(WEB_OBJ* obj, const Options& o) {
  WEB_CTRL_INFO* c = nullptr;
  for (POSITION pos = obj->m_lstCtrl.GetHeadPosition(); pos != nullptr;) {
    WEB_CTRL_INFO* next = obj->m_lstCtrl.GetNext(pos);
    if (o.gif_name.empty() || o.gif_name == next->m_cName) {
      c = next;
      break;
    }
  }
  if (c == nullptr || c->m_blLoaded == 0) {
    std::fprintf(stderr, "oesqx: no control named '%s'\n", o.gif_name.c_str());
    return 1;
  }
  webseal::ControlPicture pic;
  switch (webseal::BuildControlPicture(c, obj->m_cSealPwd, &pic)) {
    case webseal::PictureResult::kOk:
      break;
    case webseal::PictureResult::kNothing:
      std::fprintf(stderr, "oesqx: control '%s' has no picture\n", c->m_cName);
      return 1;
    case webseal::PictureResult::kBadStrokes:
      std::fprintf(stderr, "oesqx: the handwriting of '%s' cannot be drawn\n", c->m_cName);
      return 1;
    case webseal::PictureResult::kNoRows:
      std::fprintf(stderr, "oesqx: the seal of '%s' cannot be read (password?)\n", c->m_cName);
      return 1;
  }
  unsigned char* gif = nullptr;
  int gif_len = 0;
  const bool encoded = seal::Rows24ToTransparentGif(pic.rows.data(), static_cast<uint32_t>(pic.width),
                                                    static_cast<uint32_t>(pic.height), &gif, &gif_len);
  const bool written = encoded && WriteWholeFile(o.gif_path, gif, static_cast<size_t>(gif_len));
  std::free(gif);
  if (!encoded) std::fprintf(stderr, "oesqx: cannot encode the picture\n");
  if (!written) return 1;
  std::printf("%s: %s %dx%d GIF, %d bytes\n", o.gif_path.c_str(), c->m_cName, pic.width, pic.height,
              gif_len);
  return 0;
}

int Show(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    std::fputs(kShowUsage, stderr);
    return 2;
  }
  std::vector<unsigned char> data;
  if (!ReadWholeFile(o.data_path, &data)) return 1;
  const std::string text(data.begin(), data.end());
  std::string form_b64;
  if (!o.form_path.empty()) {
    std::vector<unsigned char> form;
    if (!ReadWholeFile(o.form_path, &form)) return 1;
    CBase64Coder coder;
    coder.Encode(form.data(), static_cast<unsigned>(form.size()));
    form_b64.assign(reinterpret_cast<const char*>(coder.EncodedMessage()), coder.EncodedMessageSize());
  }

  OpenSet set;
  std::snprintf(set.obj.m_cSealPwd, sizeof(set.obj.m_cSealPwd), "%s", o.password.c_str());
  const bool text_form = text.size() >= 18 && strncasecmp(text.c_str(), "WebSignDataBegin::", 18) == 0;
  const int count = text_form ? DecodeSimpleData(text.c_str(), &set.obj)
                              : DecodeStoreData(text.c_str(), &set.obj);
  if (count < 0) {
    std::fprintf(stderr, "oesqx: %s: store data fails its checks (%d)\n", o.data_path.c_str(), count);
    return 1;
  }
  std::printf("form: %s\ncontrols: %d\n", text_form ? "text" : "store data", count);
  int n = 0;
  for (POSITION pos = set.obj.m_lstCtrl.GetHeadPosition(); pos != nullptr;) {
    WEB_CTRL_INFO* c = set.obj.m_lstCtrl.GetNext(pos);
    const int rc = SubLoadWebSeal(c, set.obj.m_cSealPwd, form_b64.empty() ? nullptr : form_b64.c_str());
    ShowControl(++n, *c, rc, !form_b64.empty());
  }
  return o.want_gif ? RenderGif(&set.obj, o) : 0;
}

}  // namespace

int RunWebSeal(int argc, char** argv) {
  if (argc >= 1 && std::strcmp(argv[0], "show") == 0) return Show(argc - 1, argv + 1);
  std::fputs(kShowUsage, stderr);
  return 2;
}

}  // namespace oesqx::cli

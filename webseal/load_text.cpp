// The text form of a web seal control: "key:value;" fields, binary values
// in Base64, found by key anywhere in the block.
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "common/debuglog.h"
#include "common/encoding.h"
#include "webseal/pen_note.h"
#include "webseal/text_fields.h"
#include "webseal/web_ctrl.h"

namespace oesqx::webseal {
namespace {

// Handwriting canvases larger than this on either side are refused: the
// canvas is allocated whole when the strokes are drawn.
constexpr long kMaxCanvasSide = 4096;

constexpr int kBadHandwriting = -100;

bool TakeBase64(std::string_view value, unsigned char** out, uint32_t* out_len) {
  const std::vector<unsigned char> bytes = DecodeBase64(value);
  *out = MallocCopy(bytes.data(), bytes.size());
  *out_len = *out != nullptr ? static_cast<uint32_t>(bytes.size()) : 0;
  return *out != nullptr;
}

// "YYYYMMDDhhmmss" in local time to seconds since 1970; false unless the
// value is exactly 14 digits.
bool ParseSealTime(std::string_view v, uint32_t* out) {
  if (v.size() != 14) return false;
  for (char ch : v) {
    if (ch < '0' || ch > '9') return false;
  }
  auto num = [&](size_t at, size_t n) { return static_cast<int>(ParseDecimal(v.substr(at, n))); };
  std::tm tm{};
  tm.tm_year = num(0, 4) - 1900;
  tm.tm_mon = num(4, 2) - 1;
  tm.tm_mday = num(6, 2);
  tm.tm_hour = num(8, 2);
  tm.tm_min = num(10, 2);
  tm.tm_sec = num(12, 2);
  tm.tm_isdst = -1;
  *out = static_cast<uint32_t>(std::mktime(&tm));
  return true;
}

// "width,height,strokes-in-Base64".
int ReadHandwriting(WEB_CTRL_INFO* c, std::string_view value) {
  const size_t comma1 = value.find(',');
  const size_t comma2 = comma1 == std::string_view::npos ? comma1 : value.find(',', comma1 + 1);
  const long width = ParseDecimal(value.substr(0, comma1));
  const long height = comma1 == std::string_view::npos ? 0 : ParseDecimal(value.substr(comma1 + 1));
  c->m_nPicWidth = static_cast<int32_t>(width);
  c->m_nPicHeight = static_cast<int32_t>(height);
  const std::string_view strokes =
      comma2 == std::string_view::npos ? std::string_view() : value.substr(comma2 + 1);
  if (strokes.empty()) return 1;
  c->m_blHandwriting = 1;
  c->m_blHasStrokes = 1;
  if (width < 1 || height < 1 || width > kMaxCanvasSide || height > kMaxCanvasSide) {
    return kBadHandwriting;
  }
  const std::vector<unsigned char> data = DecodeBase64(strokes);
  auto* note = new CPenNote;
  if (!note->LoadData(data.data(), static_cast<int>(data.size()))) {
    delete note;
    return kBadHandwriting;
  }
  c->m_pPenNote = note;
  return 1;
}

}  // namespace

int LoadTextControl(WEB_CTRL_INFO* c, char* seal_pwd) {
  dbg::Str("SubLoadWebSeal New");
  c->m_blKind = 1;
  c->m_blHandwriting = 0;
  const std::string_view block(reinterpret_cast<const char*>(c->m_pRawData), c->m_nRawLen);
  std::string_view v;

  if (FindField(block, "user_id:", &v) && v.size() <= kMaxText) {
    // Texts written by this system's own writers are already UTF-8.
    const std::string user(v);
    if (user.empty() || IsUTF8String(user.c_str())) {
      CopyField(c->m_cUserId, user.data(), user.size());
    } else {
      ACPTOUTF8(user.c_str(), c->m_cUserId, sizeof(c->m_cUserId));
    }
  }
  if (FindField(block, "oriData_sha1:", &v) && v.size() == 28) {
    const std::vector<unsigned char> digest = DecodeBase64(v);
    if (digest.size() >= sizeof(c->m_bFormDigest)) {
      std::memcpy(c->m_bFormDigest, digest.data(), sizeof(c->m_bFormDigest));
      c->m_blDigestApplies = 1;
    }
  }
  if (FindField(block, "signRes:", &v)) TakeBase64(v, &c->m_pSign, &c->m_nSignLen);
  if (FindField(block, "signMode:", &v)) c->m_nSignMode = static_cast<int32_t>(ParseDecimal(v));
  if (FindField(block, "UnicodeMode:", &v)) c->m_blUnicode = ParseDecimal(v) != 0 ? 1 : 0;
  if (FindField(block, "seal_x:", &v)) c->m_nX = static_cast<int32_t>(ParseDecimal(v));
  if (FindField(block, "seal_y:", &v)) c->m_nY = static_cast<int32_t>(ParseDecimal(v));
  if (FindField(block, "cert_content:", &v)) TakeBase64(v, &c->m_pCert, &c->m_nCertLen);
  uint32_t seal_time = 0;
  if (FindField(block, "seal_time:", &v) && ParseSealTime(v, &seal_time)) {
    c->m_nSealTime = seal_time;
    c->m_nSecondTime = seal_time;
  }
  if (FindField(block, "seal_data:", &v)) {
    TakeBase64(v, &c->m_pSealData, &c->m_nSealLen);
    if (seal_pwd != nullptr && FindField(block, "seal_pwd:", &v) && v.size() <= kMaxText) {
      const std::vector<unsigned char> pwd = DecodeBase64(v);
      if (!pwd.empty()) CopyField(seal_pwd, reinterpret_cast<const char*>(pwd.data()), pwd.size());
    }
  } else if (FindField(block, "hw_data:", &v)) {
    return ReadHandwriting(c, v);
  }
  return 1;
}

}  // namespace oesqx::webseal

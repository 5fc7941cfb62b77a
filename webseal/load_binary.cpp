// The binary form of a web seal control: a short head, then the enciphered
// gzip block of the control record, whose optional parts follow its fixed
// head in a fixed order, each present when its record flag is set.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "common/byte_reader.h"
#include "common/compress.h"
#include "common/debuglog.h"
#include "common/encoding.h"
#include "common/malloc_ptr.h"
#include "crypto/builtin_keys.h"
#include "crypto/des.h"
#include "crypto/digest.h"
#include "webseal/record_flags.h"
#include "webseal/web_ctrl.h"

namespace oesqx::webseal {
namespace {

constexpr size_t kControlHeadSize = 28;
constexpr size_t kRecordHeadSize = 124;

using namespace record;

// The 16-bit seal data length, extended by up to four times 65536 while it
// stays below the record length minus 65536.
int64_t ExtendSealLength(uint16_t low, int64_t record_len) {
  int64_t len = low;
  for (int i = 0; i < 4 && len < record_len - 65536; ++i) len += 65536;
  return len;
}

// Copies the next `len` bytes of `in` into a new malloc'd buffer.
bool TakeCopy(ByteReader* in, size_t len, unsigned char** out, uint32_t* out_len) {
  const uint8_t* p = nullptr;
  if (!in->ReadBytes(len, &p)) return false;
  *out = MallocCopy(p, len);
  *out_len = *out != nullptr ? static_cast<uint32_t>(len) : 0;
  return true;
}

// Steps over `count` zero-terminated strings.
bool SkipStrings(ByteReader* in, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    const void* zero = std::memchr(in->cursor(), 0, in->remaining());
    if (zero == nullptr) return false;
    in->Skip(static_cast<const uint8_t*>(zero) - in->cursor() + 1);
  }
  return true;
}

// Reads the optional parts after the record head. False when one runs past
// the record.
bool ReadOptionalParts(WEB_CTRL_INFO* c, ByteReader* in, uint16_t flags, uint16_t sign_len,
                       uint16_t cert_len, uint16_t seal_len16, uint16_t field_count,
                       size_t record_len) {
  if (flags & kPosition) {
    if (!in->ReadI32(&c->m_nX) || !in->ReadI32(&c->m_nY)) return false;
  }
  if ((flags & kSkip20) && !in->Skip(20)) return false;
  if ((flags & kSkip16a) && !in->Skip(16)) return false;
  if (flags & kSealKey) {
    if (!in->CopyBytes(16, c->m_bSealKey)) return false;
    c->m_blHasSealKey = 1;
  }
  if ((flags & kSkip16b) && !in->Skip(16)) return false;
  if (flags & kStringList) {
    uint32_t count = 0, total = 0;
    if (!in->ReadU32(&count) || !in->ReadU32(&total) || !SkipStrings(in, count)) return false;
  }
  if ((flags & kFieldEntries) && !in->Skip(size_t{64} * field_count)) return false;
  if (sign_len != 0) {
    if (!TakeCopy(in, sign_len, &c->m_pSign, &c->m_nSignLen)) return false;
    dbg::Str("Has Sign");
  }
  if (cert_len != 0) {
    if (!TakeCopy(in, cert_len, &c->m_pCert, &c->m_nCertLen)) return false;
    dbg::Str("Has Cert");
  }
  const size_t seal_len = static_cast<size_t>(ExtendSealLength(seal_len16, static_cast<int64_t>(record_len)));
  if ((flags & kNoSealData) && !(flags & kHandwriting)) {
    if (!in->Skip(seal_len)) return false;
  } else if (seal_len != 0) {
    if (!TakeCopy(in, seal_len, &c->m_pSealData, &c->m_nSealLen)) return false;
    dbg::Str("Has Seal");
  }
  if (flags & kScale) {
    if (!in->ReadI32(&c->m_nScale)) return false;
  }
  if ((flags & kSkip4) && !in->Skip(4)) return false;
  if ((flags & kSkip64) && !in->Skip(64)) return false;
  return true;
}

int Fail(const char* log, int code) {
  dbg::Str(log);
  return code;
}

}  // namespace

int LoadBinaryControl(WEB_CTRL_INFO* c) {
  dbg::Str("SubLoadWebSeal Old");
  ByteReader head(c->m_pRawData, c->m_nRawLen);
  uint32_t used = 0, outer_flags = 0;
  uint16_t version = 0, factor = 0;
  if (!head.ReadU32(&used) || !head.Skip(16) || !head.ReadU16(&version) || !head.ReadU16(&factor) ||
      !head.ReadU32(&outer_flags) || version != 1 || used > c->m_nRawLen || used < kControlHeadSize ||
      used > INT_MAX) {
    return Fail("SubLoadWebSeal E3", -1);
  }

  // Deciphered in a copy, so that the control's raw data stays as given.
  std::vector<unsigned char> body(c->m_pRawData + kControlHeadSize, c->m_pRawData + used);
  uint8_t key[16];
  builtin_keys::FactorKey(builtin_keys::kWebSealKey, static_cast<uint8_t>(factor), key);
  if (DecDataNoAlloc(body.data(), static_cast<int>(body.size()), key, 16, false) != 0) {
    return Fail("SubLoadWebSeal E4", -3);
  }
  unsigned char* rec_raw = nullptr;
  int rec_len = 0;
  const int drc = CompressDecode(body.data(), static_cast<int>(body.size()), &rec_raw, &rec_len);
  MallocPtr rec(rec_raw);
  if (drc != 0) return Fail("SubLoadWebSeal E5", -4);

  ByteReader r(rec.get(), rec_len > 0 ? static_cast<size_t>(rec_len) : 0);
  uint32_t stated = 0;
  if (!r.ReadU32(&stated) || stated != static_cast<uint32_t>(rec_len) || r.size() < kRecordHeadSize) {
    return Fail("SubLoadWebSeal E6", -5);
  }
  const uint8_t* md5 = nullptr;
  r.ReadBytes(16, &md5);
  uint8_t digest[16];
  GenerateMD5(digest, rec.get() + 20, static_cast<unsigned>(r.size() - 20));
  if (std::memcmp(digest, md5, 16) != 0) return Fail("SubLoadWebSeal E7", -6);

  c->m_blUnicode = (outer_flags >> 2) & 1;
  c->m_nSignMode = (outer_flags & 2) ? 2 : static_cast<int32_t>(outer_flags & 1);

  uint16_t flags = 0, sign_len = 0, cert_len = 0, seal_len = 0, field_count = 0;
  uint32_t seal_time = 0, second_time = 0;
  char user[65] = {};
  r.Skip(2);
  r.ReadU16(&flags);
  r.ReadU16(&sign_len);
  r.ReadU16(&cert_len);
  r.ReadU16(&seal_len);
  r.ReadU16(&field_count);
  r.ReadU32(&seal_time);
  r.ReadU32(&second_time);
  r.CopyBytes(20, c->m_bFormDigest);
  r.CopyBytes(64, user);  // all within the 124-byte head checked above
  ACPTOUTF8(user, c->m_cUserId, sizeof(c->m_cUserId));

  c->m_blKind = (flags & kKind) ? 1 : 0;
  c->m_blHandwriting = (flags & kHandwriting) ? 1 : 0;
  c->m_blHasStrokes = (flags & kHandwriting) && (flags & kStrokes) ? 1 : 0;
  c->m_blDigestApplies = !(flags & kFieldEntries) || field_count == 0 ? 1 : 0;
  const int present_bits[5] = {2, 4, 6, 9, 12};
  for (int i = 0; i < 5; ++i) c->m_blPresent[i] = (flags >> present_bits[i]) & 1;
  c->m_nSealTime = seal_time;
  c->m_nSecondTime = second_time;

  if (!ReadOptionalParts(c, &r, flags, sign_len, cert_len, seal_len, field_count, r.size())) {
    return Fail("SubLoadWebSeal E6", -5);
  }
  return 1;
}

}  // namespace oesqx::webseal

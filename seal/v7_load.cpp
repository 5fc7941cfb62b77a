// Reading one standard seal (LoadV7SealData). Every element is read through
// the DER reader inside the element that encloses it; each failed check
// stops the reading and most write the "V7 E<n>" line that names the check.
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/debuglog.h"
#include "crypto/der.h"
#include "seal/v7_seal.h"

namespace oesqx::v7 {
namespace {

using der::Header;
using der::Reader;

// Thrown-free failure: logs "V7 E<code>" (code 0: no line) and gives 0.
int Fail(int code) {
  if (code != 0) dbg::Str(("V7 E" + std::to_string(code)).c_str());
  return 0;
}

// Reads the next element of `in` when it carries `tag` (else tag_code)
// and its content fits `in` and at most `max` bytes (else size_code).
// Returns 0 on success, else the code of the failed check.
int Element(Reader* in, uint8_t tag, size_t max, int tag_code, int size_code, Reader* content,
            Reader* whole = nullptr) {
  Header h;
  if (!in->PeekHeader(&h) || h.tag != tag) return tag_code;
  if (h.length > max || !in->ReadAny(nullptr, content, whole)) return size_code;
  return -1;  // success marker, see Ok()
}
bool Ok(int r) { return r == -1; }

// Copies an identifier text: 64 bytes or more keep their first 62.
void CopyId(char* dst, const Reader& text) {
  size_t n = text.size();
  if (n >= 64) n = 62;
  std::memcpy(dst, text.data(), n);
  dst[n] = '\0';
}

void CopyText(char* dst, size_t size, const Reader& text) {
  const size_t n = text.size() < size ? text.size() : size - 1;
  std::memcpy(dst, text.data(), n);
  dst[n] = '\0';
}

unsigned char* Dup(const uint8_t* p, size_t n) {
  auto* out = static_cast<unsigned char*>(std::malloc(n != 0 ? n : 1));
  if (out != nullptr && n != 0) std::memcpy(out, p, n);
  return out;
}

// A date element: UTCTime or GeneralizedTime of at most 19 characters.
int ReadDate(Reader* props, char* dst, int tag_code, int* result) {
  Header h;
  if (!props->PeekHeader(&h) || (h.tag != der::kUtcTime && h.tag != der::kGeneralizedTime))
    return Fail(tag_code);
  Reader text;
  if (h.length > 19 || !props->ReadAny(nullptr, &text)) return Fail(tag_code + 1);
  if (h.tag == der::kGeneralizedTime) *result = 2;
  CopyText(dst, 20, text);
  return 1;
}

// Holder certificates: OCTET STRINGs until the first other element; those
// longer than a certificate field are skipped.
int ReadCertList(Reader list, SES_SEAL_S* seal) {
  while (list.PeekTag(der::kOctetString)) {
    Reader cert;
    if (!list.Read(der::kOctetString, &cert)) return Fail(18);
    if (cert.size() > static_cast<size_t>(kV7MaxCert)) continue;
    auto* item = new SES_CERT_S;
    item->nLen = static_cast<int>(cert.size());
    std::memcpy(item->bData, cert.data(), cert.size());
    seal->oCertList.AddTail(item);
  }
  return 1;
}

int ReadProperties(Reader props, SES_SEAL_S* seal, int* result) {
  uint32_t type = 0;
  if (!props.ReadSmallUnsigned(&type)) return Fail(13);
  seal->nSealType = static_cast<int>(type);
  Reader name;
  int r = Element(&props, der::kUtf8String, 255, 14, 15, &name);
  if (!Ok(r)) return Fail(r);
  CopyText(seal->cSealName, sizeof(seal->cSealName), name);

  // The encoded list is kept from here (version 4: from its list type).
  const uint8_t* list_start = props.data();
  bool read_list = seal->nVersion != 3 && seal->nVersion != 4;
  uint8_t list_tag = der::kSequence;
  if (seal->nVersion == 4) {
    Header h;
    if (!props.PeekHeader(&h)) return Fail(0);
    if (h.tag == der::kInteger) {
      Reader kind;
      if (!props.Read(der::kInteger, &kind) || kind.size() != 1) return Fail(0);
      const uint8_t k = kind.data()[0];
      if (k != 1 && k != 2) return Fail(0);
      read_list = k == 1;
      if (k == 2 && props.PeekTag(0xA2)) list_tag = 0xA2;
    } else if (h.tag != der::kSequence) {
      return Fail(0);
    } else {
      read_list = true;
    }
  }
  Reader list;
  Header lh;
  if (!props.PeekHeader(&lh) || lh.tag != list_tag) return Fail(0);
  if (!props.ReadAny(nullptr, &list)) return Fail(17);
  if (read_list && ReadCertList(list, seal) == 0) return 0;
  const size_t list_len = static_cast<size_t>(props.data() - list_start);
  seal->pCertListData = Dup(list_start, list_len);
  if (seal->pCertListData == nullptr) return Fail(0);
  seal->nCertListDataLen = static_cast<int>(list_len);

  if (ReadDate(&props, seal->cCreateDate, 19, result) == 0) return 0;
  if (ReadDate(&props, seal->cValidStart, 21, result) == 0) return 0;
  if (ReadDate(&props, seal->cValidEnd, 23, result) == 0) return 0;
  if (!props.empty()) return Fail(25);
  return 1;
}

int ReadPicture(Reader pic, SES_SEAL_S* seal) {
  Reader type, data;
  int r = Element(&pic, der::kIa5String, SIZE_MAX, 28, 29, &type);
  if (!Ok(r)) return Fail(r);
  if (type.size() <= 15) CopyText(seal->cPicType, sizeof(seal->cPicType), type);
  r = Element(&pic, der::kOctetString, kV7MaxPicture, 30, 31, &data);
  if (!Ok(r)) return Fail(r);
  if (data.size() < static_cast<size_t>(kV7MinPicture)) return Fail(31);
  std::memcpy(seal->bPicData, data.data(), data.size());
  seal->nPicDataLen = static_cast<int>(data.size());
  uint32_t w = 0, h = 0;
  if (!pic.ReadSmallUnsigned(&w)) return Fail(32);
  if (!pic.ReadSmallUnsigned(&h)) return Fail(33);
  if (!pic.empty()) return Fail(34);
  seal->nPicWidth = static_cast<int>(w);
  seal->nPicHeight = static_cast<int>(h);
  return 1;
}

// Maker's certificate and algorithm; codes 0 for the version-3 tail.
int ReadMaker(Reader* part, SES_SEAL_S* seal, bool logged) {
  Reader cert, oid;
  int r = Element(part, der::kOctetString, kV7MaxCert, logged ? 38 : 0, logged ? 39 : 0, &cert);
  if (!Ok(r)) return Fail(r);
  std::memcpy(seal->bMakerCert, cert.data(), cert.size());
  seal->nMakerCertLen = static_cast<int>(cert.size());
  r = Element(part, der::kOid, 20, logged ? 40 : 0, logged ? 41 : 0, &oid);
  if (!Ok(r)) return Fail(r);
  ConvertAlgoDataToStr(const_cast<unsigned char*>(oid.data()), static_cast<int>(oid.size()), seal->cAlgo);
  return 1;
}

// The signature value. 0 on failure.
int ReadSignature(Reader* part, SES_SEAL_S* seal) {
  Reader bits;
  uint8_t unused = 0;
  if (!part->Read(der::kBitString, &bits) || bits.size() > static_cast<size_t>(kV7MaxSignature) + 1 ||
      !bits.ReadU8(&unused))
    return Fail(43);
  std::memcpy(seal->bSign, bits.data(), bits.size());
  seal->nSignLen = static_cast<int>(bits.size());
  return 1;
}

bool DuplicateExtension(SES_SEAL_S* seal, const Reader& whole) {
  seal->pExtData = Dup(whole.data(), whole.size());
  if (seal->pExtData == nullptr) return false;
  seal->nExtDataLen = static_cast<int>(whole.size());
  return true;
}

int Load(unsigned char* data, int& length, SES_SEAL_S* seal) {
  if (data == nullptr || length <= 0) return Fail(1);
  const size_t available = static_cast<size_t>(length);
  Reader input(data, available);
  Reader ses, ses_whole;
  if (!input.Read(der::kSequence, &ses, &ses_whole)) return Fail(1);

  int result = 1;
  Reader info;
  if (!ses.Read(der::kSequence, &info)) return Fail(2);

  // Header.
  Reader header, id, vid, esid, props, pic;
  if (!info.Read(der::kSequence, &header)) return Fail(0);
  if (!header.PeekTag(der::kIa5String)) return Fail(4);
  if (!header.Read(der::kIa5String, &id) || id.size() != 2 || std::memcmp(id.data(), "ES", 2) != 0)
    return Fail(5);
  std::memcpy(seal->cHeaderID, "ES", 3);
  uint32_t version = 0;
  if (!header.ReadSmallUnsigned(&version)) return Fail(6);
  seal->nVersion = static_cast<int>(version);
  if (!header.Read(der::kIa5String, &vid)) return Fail(7);
  CopyId(seal->cVID, vid);
  if (!header.empty()) return Fail(0);

  if (!info.Read(der::kIa5String, &esid)) return Fail(9);
  CopyId(seal->cEsID, esid);

  int r = Element(&info, der::kSequence, SIZE_MAX, 11, 12, &props);
  if (!Ok(r)) return Fail(r);
  if (ReadProperties(props, seal, &result) == 0) return 0;
  r = Element(&info, der::kSequence, SIZE_MAX, 26, 27, &pic);
  if (!Ok(r)) return Fail(r);
  if (ReadPicture(pic, seal) == 0) return 0;

  Reader* part = &ses;  // where the signature value is read
  Reader sign_seq;
  if (seal->nVersion == 3) {
    if (ReadMaker(&info, seal, false) == 0) return 0;
    Reader ext;
    if (info.PeekTag(der::kSequence)) {
      if (!info.Read(der::kSequence, nullptr, &ext) || !DuplicateExtension(seal, ext)) return Fail(0);
    }
    if (!info.empty()) return Fail(0);
  } else {
    Header h;
    if (info.PeekHeader(&h)) {
      if (h.tag != der::kOctetString && h.tag != der::kSequence && h.tag != der::kContext0)
        return Fail(35);
      Reader ext;
      if (!info.ReadAny(nullptr, nullptr, &ext) || !DuplicateExtension(seal, ext)) return Fail(36);
      if (h.tag == der::kSequence && !info.empty()) return Fail(36);
    } else if (!info.empty()) {
      return Fail(35);
    }
    if (ses.PeekTag(der::kSequence)) {  // signature part as one SEQUENCE
      if (!ses.Read(der::kSequence, &sign_seq)) return Fail(37);
      part = &sign_seq;
    } else {
      result = 2;  // elements directly in the seal
    }
    if (ReadMaker(part, seal, true) == 0) return 0;
    part->SkipIf(der::kSequence);
  }

  if (!part->PeekTag(der::kBitString)) {
    // No signature value: accepted, taken to reach the end of the data.
    dbg::Str("V7 E42");
    length = static_cast<int>(available);
    return 2;
  }
  if (ReadSignature(part, seal) == 0) return 0;
  if (part == &sign_seq && !sign_seq.empty()) return Fail(44);
  if (!ses.empty()) return Fail(45);
  length = static_cast<int>(ses_whole.size());
  return result;
}

}  // namespace
}  // namespace oesqx::v7

int LoadV7SealData(unsigned char* data, int& length, SES_SEAL_S* seal) {
  oesqx::dbg::Str("LoadV7SealData S");
  if (seal == nullptr) return 0;
  seal->Reset();
  const int result = oesqx::v7::Load(data, length, seal);
  if (result != 0) oesqx::dbg::Str("LoadV7 OK");
  return result;
}

// Writing a standard seal (SaveV7SealData), and the record's lifetime.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "crypto/der.h"
#include "seal/v7_seal.h"

namespace oesqx::v7 {
namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes* out, uint8_t tag, const void* data, size_t len) {
  der::AppendElement(out, tag, static_cast<const uint8_t*>(data), len);
}
void Put(Bytes* out, uint8_t tag, const Bytes& content) { Put(out, tag, content.data(), content.size()); }
void PutText(Bytes* out, uint8_t tag, const char* text) { Put(out, tag, text, std::strlen(text)); }
void PutInt(Bytes* out, int value) { der::AppendSmallUnsigned(out, static_cast<uint32_t>(value)); }
void Append(Bytes* out, const Bytes& more) { out->insert(out->end(), more.begin(), more.end()); }

Bytes Properties(const SES_SEAL_S& s) {
  Bytes p;
  PutInt(&p, s.nSealType);
  PutText(&p, der::kUtf8String, s.cSealName);
  if (s.pCertListData != nullptr && s.nCertListDataLen > 0) {
    p.insert(p.end(), s.pCertListData, s.pCertListData + s.nCertListDataLen);
  } else {
    Bytes list;
    CList<SES_CERT_S*>& certs = const_cast<CList<SES_CERT_S*>&>(s.oCertList);
    for (POSITION pos = certs.GetHeadPosition(); pos != nullptr;) {
      const SES_CERT_S* c = certs.GetNext(pos);
      Put(&list, der::kOctetString, c->bData, static_cast<size_t>(c->nLen));
    }
    Put(&p, der::kSequence, list);
  }
  // Versions below 3 write UTCTime tags, the others GeneralizedTime tags.
  const uint8_t date_tag = s.nVersion < 3 ? der::kUtcTime : der::kGeneralizedTime;
  PutText(&p, date_tag, s.cCreateDate);
  PutText(&p, date_tag, s.cValidStart);
  PutText(&p, date_tag, s.cValidEnd);
  return p;
}

Bytes Picture(const SES_SEAL_S& s) {
  Bytes p;
  PutText(&p, der::kIa5String, s.cPicType);
  Put(&p, der::kOctetString, s.bPicData, static_cast<size_t>(s.nPicDataLen));
  PutInt(&p, s.nPicWidth);
  PutInt(&p, s.nPicHeight);
  return p;
}

Bytes AlgorithmContent(const SES_SEAL_S& s) {
  Bytes content(std::strlen(s.cAlgo) + 1);
  unsigned char* at = content.data();
  if (!ConvertAlgoStrToData(s.cAlgo, at)) return {};
  content.resize(static_cast<size_t>(at - content.data()));
  return content;
}

}  // namespace

Layout LayoutOf(int version) {
  if (version < 3) return Layout::kBelow3;
  if (version == 3) return Layout::kVersion3;
  return Layout::kVersion4;
}

// Builds the seal; the content lengths of its parts are recorded on every
// write, so a seal signed after a first write is written with its own sizes.
int Save(unsigned char** out, SES_SEAL_S* s, bool whole) {
  const Layout layout = LayoutOf(s->nVersion);
  Bytes header;
  PutText(&header, der::kIa5String, "ES");
  PutInt(&header, s->nVersion);
  PutText(&header, der::kIa5String, s->cVID);
  const Bytes props = Properties(*s);
  const Bytes pic = Picture(*s);

  Bytes cert, algo, sig;
  Put(&cert, der::kOctetString, s->bMakerCert, static_cast<size_t>(s->nMakerCertLen));
  Put(&algo, der::kOid, AlgorithmContent(*s));
  Bytes bits{0};
  bits.insert(bits.end(), s->bSign, s->bSign + s->nSignLen);
  Put(&sig, der::kBitString, bits);

  Bytes info_content;
  Put(&info_content, der::kSequence, header);
  PutText(&info_content, der::kIa5String, s->cEsID);
  Put(&info_content, der::kSequence, props);
  Put(&info_content, der::kSequence, pic);
  if (layout == Layout::kVersion3) {
    Append(&info_content, cert);
    Append(&info_content, algo);
  }
  if (s->pExtData != nullptr && s->nExtDataLen > 0)
    info_content.insert(info_content.end(), s->pExtData, s->pExtData + s->nExtDataLen);
  Bytes info;
  Put(&info, der::kSequence, info_content);

  Bytes sign_part;  // certificate, algorithm and signature of versions below 3
  Append(&sign_part, cert);
  Append(&sign_part, algo);
  Append(&sign_part, sig);

  s->nSealInfoLen = static_cast<int>(info_content.size());
  s->nHeaderLen = static_cast<int>(header.size());
  s->nPropertyLen = static_cast<int>(props.size());
  s->nPictureLen = static_cast<int>(pic.size());
  s->nSignPartLen = static_cast<int>(sign_part.size());

  Bytes body, result;
  if (!whole) {
    if (layout == Layout::kBelow3) {
      Append(&body, info);
      Append(&body, cert);
      Append(&body, algo);
      Put(&result, der::kSequence, body);
    } else {
      result = info;
    }
  } else {
    Append(&body, info);
    if (layout == Layout::kBelow3) {
      Put(&body, der::kSequence, sign_part);
    } else if (layout == Layout::kVersion3) {
      Append(&body, sig);
    } else {
      Append(&body, sign_part);
    }
    Put(&result, der::kSequence, body);
  }
  *out = static_cast<unsigned char*>(std::malloc(result.size()));
  if (*out == nullptr) return 0;
  std::memcpy(*out, result.data(), result.size());
  return static_cast<int>(result.size());
}

}  // namespace oesqx::v7

int SaveV7SealData(unsigned char** out, SES_SEAL_S* seal, bool whole) {
  if (out == nullptr) return 0;
  *out = nullptr;
  if (seal == nullptr) return 0;
  return oesqx::v7::Save(out, seal, whole);
}

SES_SEAL_S::~SES_SEAL_S() { Reset(); }

void SES_SEAL_S::Reset() {
  for (POSITION pos = oCertList.GetHeadPosition(); pos != nullptr;) delete oCertList.GetNext(pos);
  oCertList.RemoveAll();
  std::free(pCertListData);
  std::free(pExtData);
  std::free(pSealData);
  std::free(pSealBytes);
  pCertListData = nullptr;
  pExtData = nullptr;
  pSealData = nullptr;
  pSealBytes = nullptr;
  nCertListDataLen = nExtDataLen = nSealBytesLen = 0;
  std::memset(cHeaderID, 0, sizeof(cHeaderID));
  nVersion = nSealType = 0;
  std::memset(cVID, 0, sizeof(cVID));
  std::memset(cEsID, 0, sizeof(cEsID));
  std::memset(cSealName, 0, sizeof(cSealName));
  std::memset(cCreateDate, 0, sizeof(cCreateDate));
  std::memset(cValidStart, 0, sizeof(cValidStart));
  std::memset(cValidEnd, 0, sizeof(cValidEnd));
  std::memset(cPicType, 0, sizeof(cPicType));
  nPicDataLen = nPicWidth = nPicHeight = 0;  // the byte arrays are read only up to their lengths
  nMakerCertLen = nSignLen = 0;
  std::memset(cAlgo, 0, sizeof(cAlgo));
  nSealInfoLen = nHeaderLen = nPropertyLen = nPictureLen = nSignPartLen = 0;
}

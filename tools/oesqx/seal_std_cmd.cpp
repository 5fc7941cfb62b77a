// oesqx seal make --standard: a version-4 standard seal from a picture,
// signed by the maker's key (PEM) through OpenSSL: SM2 with SM3 and the
// default identity, or RSA with SHA-1 (the algorithms seal checking
// verifies).
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "crypto/der.h"
#include "crypto/ossl_ptr.h"
#include "image/qx_image.h"
#include "seal/v7_seal.h"
#include "tools/oesqx/commands.h"

namespace oesqx::cli {
namespace {

constexpr char kSm2Algo[] = "1.2.156.10197.1.501";
constexpr char kRsaSha1Algo[] = "1.2.840.113549.1.1.5";

// "YYYY-MM-DD" to "YYYYMMDDhhmmssZ" at `clock` ("000000" or "235959").
bool DateArg(const std::string& text, const char* clock, char* out) {
  int y, m, d;
  char tail;
  if (std::sscanf(text.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) != 3 || y < 2000 || y > 9999 || m < 1 ||
      m > 12 || d < 1 || d > 31)
    return false;
  std::snprintf(out, 20, "%04d%02d%02d%sZ", y, m, d, clock);
  return true;
}

void NowText(char* out) {
  const std::time_t now = std::time(nullptr);
  struct tm utc;
  gmtime_r(&now, &utc);
  std::strftime(out, 20, "%Y%m%d%H%M%SZ", &utc);
}

ossl::PkeyPtr ReadKey(const std::string& path) {
  std::vector<unsigned char> pem;
  if (!ReadWholeFile(path, &pem)) return nullptr;
  ossl::BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  return ossl::PkeyPtr(bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr);
}

bool Sign(EVP_PKEY* key, bool sm2, const unsigned char* data, size_t len, std::vector<unsigned char>* sig) {
  ossl::MdCtxPtr md(EVP_MD_CTX_new());
  ossl::PkeyCtxPtr pctx(EVP_PKEY_CTX_new(key, nullptr));
  if (!md || !pctx) return false;
  if (sm2) {
    if (EVP_PKEY_CTX_set1_id(pctx.get(), "1234567812345678", 16) != 1) return false;
    EVP_MD_CTX_set_pkey_ctx(md.get(), pctx.get());
  }
  if (EVP_DigestSignInit(md.get(), nullptr, sm2 ? EVP_sm3() : EVP_sha1(), nullptr, key) != 1) return false;
  size_t n = 0;
  if (EVP_DigestSign(md.get(), nullptr, &n, data, len) != 1) return false;
  sig->resize(n);
  if (EVP_DigestSign(md.get(), sig->data(), &n, data, len) != 1) return false;
  sig->resize(n);
  return true;
}

void CopyField(char* dst, size_t size, const std::string& text) {
  const size_t n = text.size() < size ? text.size() : size - 1;
  std::memcpy(dst, text.data(), n);
  dst[n] = '\0';
}

}  // namespace

int RunSealMakeStandard(int argc, char** argv) {
  std::vector<std::string> pos;
  std::string id, name, vendor = "QX", maker_cert, maker_key, from, until, size, holder;
  bool personal = false;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    std::string* target = a == "--id" ? &id : a == "--name" ? &name : a == "--vendor" ? &vendor
                        : a == "--maker-cert" ? &maker_cert : a == "--maker-key" ? &maker_key
                        : a == "--valid-from" ? &from : a == "--valid-until" ? &until
                        : a == "--size" ? &size : a == "--holder-cert" ? &holder : nullptr;
    if (a == "--standard") continue;
    if (a == "--personal") {
      personal = true;
    } else if (target != nullptr && i + 1 < argc) {
      *target = argv[++i];
    } else if (a.rfind("--", 0) != 0) {
      pos.push_back(a);
    } else {
      pos.clear();
      break;
    }
  }
  if (pos.size() != 2 || id.empty() || name.empty() || maker_cert.empty() || maker_key.empty()) {
    std::fprintf(stderr,
                 "usage: oesqx seal make PICTURE OUT --standard --id ID --name NAME\n"
                 "       --maker-cert CERT --maker-key KEY.pem [--vendor V] [--personal]\n"
                 "       [--valid-from YYYY-MM-DD] [--valid-until YYYY-MM-DD] [--size WxH (mm)]\n"
                 "       [--holder-cert CERT]\n");
    return 2;
  }
  auto seal = std::make_unique<SES_SEAL_S>();
  std::memcpy(seal->cHeaderID, "ES", 3);
  seal->nVersion = 4;
  seal->nSealType = personal ? 2 : 1;
  CopyField(seal->cVID, 63, vendor);
  CopyField(seal->cEsID, 63, id);
  CopyField(seal->cSealName, 256, name);
  NowText(seal->cCreateDate);
  if (from.empty()) {
    std::memcpy(seal->cValidStart, seal->cCreateDate, sizeof(seal->cCreateDate));
  } else if (!DateArg(from, "000000", seal->cValidStart)) {
    std::fprintf(stderr, "oesqx: bad --valid-from (YYYY-MM-DD)\n");
    return 2;
  }
  if (!until.empty() && !DateArg(until, "235959", seal->cValidEnd)) {
    std::fprintf(stderr, "oesqx: bad --valid-until (YYYY-MM-DD)\n");
    return 2;
  }

  std::vector<unsigned char> picture, cert, holder_der;
  if (!ReadWholeFile(pos[0], &picture)) return 1;
  QxImage img;
  if (picture.size() < static_cast<size_t>(kV7MinPicture) || picture.size() > static_cast<size_t>(kV7MaxPicture) ||
      !img.Decode(picture.data(), static_cast<uint32_t>(picture.size()), QXIMAGE_FORMAT_UNKNOWN)) {
    std::fprintf(stderr, "oesqx: %s is not a picture of 17 bytes to 128 KiB\n", pos[0].c_str());
    return 1;
  }
  const char* type = img.GetType() == QXIMAGE_FORMAT_GIF ? "GIF" : img.GetType() == QXIMAGE_FORMAT_PNG ? "PNG"
                   : img.GetType() == QXIMAGE_FORMAT_JPG ? "JPG" : img.GetType() == QXIMAGE_FORMAT_TIF ? "TIF"
                   : "BMP";
  CopyField(seal->cPicType, 16, type);
  std::memcpy(seal->bPicData, picture.data(), picture.size());
  seal->nPicDataLen = static_cast<int>(picture.size());
  unsigned w_mm = 0, h_mm = 0;
  char tail;
  if (!size.empty() && std::sscanf(size.c_str(), "%ux%u%c", &w_mm, &h_mm, &tail) != 2) {
    std::fprintf(stderr, "oesqx: bad --size (WxH in millimetres)\n");
    return 2;
  }
  if (size.empty()) {  // the picture at 96 dots per inch
    w_mm = static_cast<unsigned>(img.GetWidth() * 25.4 / 96 + 0.5);
    h_mm = static_cast<unsigned>(img.GetHeight() * 25.4 / 96 + 0.5);
  }
  seal->nPicWidth = static_cast<int>(w_mm);
  seal->nPicHeight = static_cast<int>(h_mm);

  // Certificate list of type 1 (certificates follow).
  std::vector<uint8_t> list, certs;
  if (!holder.empty()) {
    if (!ReadCertificate(holder, &holder_der)) return 1;
    der::AppendElement(&certs, der::kOctetString, holder_der.data(), holder_der.size());
    auto* item = new SES_CERT_S;
    item->nLen = static_cast<int>(std::min(holder_der.size(), static_cast<size_t>(kV7MaxCert)));
    std::memcpy(item->bData, holder_der.data(), static_cast<size_t>(item->nLen));
    seal->oCertList.AddTail(item);
  }
  der::AppendSmallUnsigned(&list, 1);
  der::AppendElement(&list, der::kSequence, certs.data(), certs.size());
  seal->pCertListData = static_cast<unsigned char*>(std::malloc(list.size()));
  std::memcpy(seal->pCertListData, list.data(), list.size());
  seal->nCertListDataLen = static_cast<int>(list.size());

  if (!ReadCertificate(maker_cert, &cert)) return 1;
  if (cert.size() > static_cast<size_t>(kV7MaxCert)) {
    std::fprintf(stderr, "oesqx: the maker's certificate is larger than 16384 bytes\n");
    return 1;
  }
  std::memcpy(seal->bMakerCert, cert.data(), cert.size());
  seal->nMakerCertLen = static_cast<int>(cert.size());
  ossl::PkeyPtr key = ReadKey(maker_key);
  if (!key) {
    std::fprintf(stderr, "oesqx: %s holds no private key\n", maker_key.c_str());
    return 1;
  }
  const bool sm2 = EVP_PKEY_is_a(key.get(), "SM2") == 1;
  if (!sm2 && EVP_PKEY_is_a(key.get(), "RSA") != 1) {
    std::fprintf(stderr, "oesqx: the maker's key must be SM2 or RSA\n");
    return 1;
  }
  CopyField(seal->cAlgo, 40, sm2 ? kSm2Algo : kRsaSha1Algo);

  unsigned char* part = nullptr;
  const int part_len = SaveV7SealData(&part, seal.get(), false);
  std::vector<unsigned char> sig;
  const bool signed_ok = part_len > 0 && Sign(key.get(), sm2, part, static_cast<size_t>(part_len), &sig);
  std::free(part);
  if (!signed_ok || sig.size() > static_cast<size_t>(kV7MaxSignature)) {
    std::fprintf(stderr, "oesqx: signing failed\n");
    return 1;
  }
  std::memcpy(seal->bSign, sig.data(), sig.size());
  seal->nSignLen = static_cast<int>(sig.size());

  unsigned char* out = nullptr;
  const int out_len = SaveV7SealData(&out, seal.get(), true);
  const bool written = out_len > 0 && WriteWholeFile(pos[1], out, static_cast<size_t>(out_len));
  std::free(out);
  if (!written) return 1;
  std::printf("%s: standard seal version 4, %d bytes, %s %s, signed with %s\n", pos[1].c_str(), out_len,
              seal->cEsID, name.c_str(), sm2 ? "SM2/SM3" : "RSA/SHA-1");
  return 0;
}

}  // namespace oesqx::cli

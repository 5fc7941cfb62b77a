// Standard (DER) seals inside CSealOperator: loading a sequence of them
// (optionally checking each maker's signature and certificate), walking
// their records, saving and exporting their encoded bytes.
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "common/debuglog.h"
#include "common/settings.h"
#include "crypto/cert_info.h"
#include "crypto/sig_verify.h"
#include "dialogs/dialogs.h"
#include "seal/seal_operator.h"
#include "seal/seal_pack.h"
#include "seal/v7_record.h"
#include "seal/v7_seal.h"

namespace {

constexpr int kMinTrailing = 5;  // fewer bytes after a seal are padding
constexpr char kSignFailed[] = "印章签名验证失败";
constexpr char kMakerCertInvalid[] = "制章时制章人证书无效或者已过期";

// Checking mode: the maker's signature over the signed part.
bool SignatureHolds(SES_SEAL_S* seal) {
  if (seal->nSignLen <= 0) return true;
  unsigned char* signed_part = nullptr;
  const int len = SaveV7SealData(&signed_part, seal, false);
  std::unique_ptr<unsigned char, decltype(&std::free)> owner(signed_part, &std::free);
  if (len <= 0) return false;
  return CertVerifySignFromData(signed_part, len, seal->bSign, static_cast<unsigned short>(seal->nSignLen),
                                seal->bMakerCert, seal->nMakerCertLen, 3) == 0;
}

// Checking mode: the maker's certificate was valid when the seal was made.
bool MakerCertValidAtCreation(SES_SEAL_S* seal) {
  if (seal->cCreateDate[0] == '\0') return true;
  oesqx::dbg::Str("cCreateDate=");
  oesqx::dbg::Str(seal->cCreateDate);
  struct tm when;
  if (!oesqx::v7::CreationTime(seal->cCreateDate, &when)) return true;
  return CertVerifyCert(seal->bMakerCert, seal->nMakerCertLen, &when) == 0;
}

}  // namespace

int CSealOperator::LoadStandardData(const unsigned char* data, int len) {
  oesqx::dbg::Str("V7 mode");
  if (data == nullptr || len <= 0) return 0;
  int pos = 0;
  while (true) {
    auto seal = std::make_unique<SES_SEAL_S>();
    int used = len - pos;
    if (LoadV7SealData(const_cast<unsigned char*>(data) + pos, used, seal.get()) == 0 || used <= 0 ||
        used > len - pos) {
      oesqx::dbg::Str("V7 LoadErr");
      break;
    }
    if (g_blJianCeMode && !SignatureHolds(seal.get())) {
      oesqx::dbg::Str("V7 SignErr");
      MessageBox(nullptr, 2, kSignFailed);
      break;
    }
    m_blV7Mode = true;
    seal->pSealData = oesqx::v7::MakeRecord(*seal, g_nCurrSealIndex);
    if (seal->pSealData == nullptr) {
      oesqx::dbg::Str("V7 LoadErr");
      break;
    }
    ++g_nCurrSealIndex;
    oesqx::dbg::Str("cValidStart=");
    oesqx::dbg::Str(seal->cValidStart);
    oesqx::dbg::Str("cValidEnd=");
    oesqx::dbg::Str(seal->cValidEnd);
    if (g_blJianCeMode && !MakerCertValidAtCreation(seal.get())) {
      oesqx::dbg::Str("V7 SignTime Err");
      MessageBox(nullptr, 2, kMakerCertInvalid);
      break;
    }
    seal->pSealBytes = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(used)));
    if (seal->pSealBytes == nullptr) break;
    std::memcpy(seal->pSealBytes, data + pos, static_cast<size_t>(used));
    seal->nSealBytesLen = used;
    m_oV7SealList.AddTail(seal.release());
    pos += used;
    if (len - pos < kMinTrailing) return len;
  }
  return m_oV7SealList.GetCount();
}

SEAL_DATA_V6* CSealOperator::GetStandardSealData(unsigned int id, SEAL_DATA_V6* after) {
  POSITION pos = m_oV7SealList.GetHeadPosition();
  if (after != nullptr) {
    while (pos != nullptr && m_oV7SealList.GetNext(pos)->pSealData != after) {
    }
    // pos is now the seal after `after`'s, or null when none had it.
  }
  while (pos != nullptr) {
    SES_SEAL_S* seal = m_oV7SealList.GetNext(pos);
    if (seal->pSealData != nullptr && (id == 0 || seal->pSealData->head.dwID == id))
      return seal->pSealData;
  }
  return nullptr;
}

int CSealOperator::SaveStandardData(unsigned char** out) {
  if (out == nullptr) return -3;
  *out = nullptr;
  size_t total = 0;
  for (POSITION pos = m_oV7SealList.GetHeadPosition(); pos != nullptr;)
    total += static_cast<size_t>(m_oV7SealList.GetNext(pos)->nSealBytesLen);
  if (total == 0 || total > 0x7FFFFFFF) return -3;
  auto* file = static_cast<unsigned char*>(std::malloc(total));
  if (file == nullptr) return -3;
  size_t at = 0;
  for (POSITION pos = m_oV7SealList.GetHeadPosition(); pos != nullptr;) {
    const SES_SEAL_S* seal = m_oV7SealList.GetNext(pos);
    if (seal->nSealBytesLen > 0) std::memcpy(file + at, seal->pSealBytes, static_cast<size_t>(seal->nSealBytesLen));
    at += static_cast<size_t>(seal->nSealBytesLen);
  }
  return oesqx::seal::FinishSealFile(file, static_cast<int>(total), out);
}

int CSealOperator::GenerateOneStandardSeal(SEAL_DATA_V6* record, unsigned char** out) {
  if (out == nullptr) return -3;
  *out = nullptr;
  for (POSITION pos = m_oV7SealList.GetHeadPosition(); pos != nullptr;) {
    const SES_SEAL_S* seal = m_oV7SealList.GetNext(pos);
    if (record == nullptr || seal->pSealData != record) continue;
    if (seal->pSealBytes == nullptr || seal->nSealBytesLen <= 0) return -3;
    *out = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(seal->nSealBytesLen)));
    if (*out == nullptr) return -3;
    std::memcpy(*out, seal->pSealBytes, static_cast<size_t>(seal->nSealBytesLen));
    return seal->nSealBytesLen;
  }
  return -3;
}

void CSealOperator::ReleaseV7Seal() {
  // Each seal frees its extension, certificate list copy, encoded copy,
  // record and certificate list.
  for (POSITION pos = m_oV7SealList.GetHeadPosition(); pos != nullptr;) delete m_oV7SealList.GetNext(pos);
  m_oV7SealList.RemoveAll();
}

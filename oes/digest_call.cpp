// OES_Digest: SM3, SHA-1 or MD5 of a caller's data.
#include <cstring>

#include "common/debuglog.h"
#include "crypto/digest.h"
#include "oes/oes_api.h"
#include "oes/trace.h"

namespace {

namespace dbg = oesqx::dbg;

enum class Algo { kSm3, kSha1, kMd5, kUnknown };

// The algorithm is named by a fixed number of leading bytes; iAlgoLen is not
// consulted, so a name is compared together with its NUL where it has one.
Algo ChooseAlgo(const unsigned char* name) {
  if (name == nullptr) return Algo::kSm3;
  const char* s = reinterpret_cast<const char*>(name);
  if (std::strncmp(s, "MD5", 4) == 0) return Algo::kMd5;
  if (std::strncmp(s, "SHA1", 4) == 0 || std::strncmp(s, "1.3.14.3.2.26", 13) == 0) return Algo::kSha1;
  if (std::strncmp(s, "SM3", 4) == 0 || std::strncmp(s, "1.2.156.10197.1.401", 19) == 0)
    return Algo::kSm3;
  return Algo::kUnknown;
}

}  // namespace

extern "C" OES_API int OES_Digest(unsigned char* puchData, int iDataLen, unsigned char* puchAlgo,
                                  int iAlgoLen, unsigned char* puchDigestValue,
                                  int* piDigestValueLen) {
  dbg::Str("OES_Digest S");
  oesqx::oes::TraceIn(puchData, iDataLen);
  oesqx::oes::TraceIn(puchAlgo, iAlgoLen);
  oesqx::oes::TraceOut(puchDigestValue, piDigestValueLen);
  if (puchData == nullptr || piDigestValueLen == nullptr || iDataLen <= 0) return OES_ERR_PARAM;

  int size = 0;
  const char* query_mark = nullptr;
  const Algo algo = ChooseAlgo(puchAlgo);
  switch (algo) {
    case Algo::kMd5: size = 16; query_mark = "OES_Digest !md"; break;
    case Algo::kSha1: size = 20; query_mark = "OES_Digest !sha"; break;
    case Algo::kSm3: size = 32; query_mark = "OES_Digest !sm"; break;
    case Algo::kUnknown: return OES_ERR_ALGORITHM;
  }
  if (puchDigestValue == nullptr) {
    *piDigestValueLen = size;
    dbg::Str(query_mark);
    return OES_OK;
  }
  if (*piDigestValueLen < size) return OES_ERR_SPACE;
  switch (algo) {
    case Algo::kMd5: GenerateMD5(puchDigestValue, puchData, static_cast<unsigned>(iDataLen)); break;
    case Algo::kSha1: GenerateSHA(puchDigestValue, puchData, static_cast<unsigned>(iDataLen)); break;
    default: GenerateSM3(puchDigestValue, puchData, iDataLen); break;
  }
  *piDigestValueLen = size;
  dbg::Str("OES_Digest OK");
  return OES_OK;
}

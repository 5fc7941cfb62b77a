// Writing the V6 seal file: gzip the container, encipher it with the
// password's MD5 or a factor of the built-in key, MD5 over the tail of the
// head and the block, optionally pack.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "common/compress.h"
#include "crypto/builtin_keys.h"
#include "crypto/des.h"
#include "crypto/digest.h"
#include "seal/container.h"
#include "seal/seal_operator.h"
#include "seal/seal_pack.h"

namespace {

// The key factor of a file saved without password: 1..127 from rand().
unsigned char DrawKeyFactor() {
  oesqx::seal::SeedRandomOnce();
  return static_cast<unsigned char>(std::rand() % 127 + 1);
}

}  // namespace

int CSealOperator::SaveData(unsigned char** out, unsigned short) {
  if (out == nullptr) return 0;
  *out = nullptr;
  if (m_blV7Mode) return SaveStandardData(out);
  return SaveV6Data(out);
}

int CSealOperator::SaveV6Data(unsigned char** out) {
  if (m_pFileHeader == nullptr || m_pSealData == nullptr) return 0;
  const size_t container_len = oesqx::seal::ContainerSize(m_pSealData);
  if (container_len > INT_MAX) return 0;
  m_pFileHeader->dwReserved3 = 0;

  unsigned char* gz = nullptr;
  int gz_len = 0;
  CompressEncode(reinterpret_cast<const unsigned char*>(m_pSealData),
                 static_cast<int>(container_len), &gz, &gz_len);
  oesqx::seal::MallocPtr gz_owner(gz);
  if (gz == nullptr || gz_len <= 0 || gz_len > INT_MAX - SEAL_FILE_HEADER_SIZE) return 0;
  const size_t total = static_cast<size_t>(gz_len) + SEAL_FILE_HEADER_SIZE;
  m_pFileHeader->dwTotalLength = static_cast<uint32_t>(total);
  m_pFileHeader->dwDataLength = static_cast<uint32_t>(container_len);

  uint8_t key[16];
  if (m_cPassword[0] != '\0') {
    GenerateMD5(key, reinterpret_cast<const unsigned char*>(m_cPassword),
                static_cast<unsigned>(std::strlen(m_cPassword)));
    m_pFileHeader->bKeyFactor = 0;
  } else {
    m_pFileHeader->bKeyFactor = DrawKeyFactor();
    oesqx::builtin_keys::FactorKey(oesqx::builtin_keys::kSealContainerKey,
                                   m_pFileHeader->bKeyFactor, key);
  }

  auto* file = static_cast<unsigned char*>(std::malloc(total));
  if (file == nullptr) return 0;
  std::memcpy(file, m_pFileHeader, SEAL_FILE_HEADER_SIZE);
  std::memcpy(file + SEAL_FILE_HEADER_SIZE, gz, static_cast<size_t>(gz_len));
  if (gz_len >= 8) EncDataNoAlloc(file + SEAL_FILE_HEADER_SIZE, gz_len, key, 16, false);
  GenerateMD5(file + 8, file + 24, static_cast<unsigned>(total - 24));
  std::memcpy(m_pFileHeader->bMD5, file + 8, 16);
  return oesqx::seal::FinishSealFile(file, static_cast<int>(total), out);
}

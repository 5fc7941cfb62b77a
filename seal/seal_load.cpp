// Loading seal data: unpacking, then the V6 seal file (the standard-seal
// branch lives in seal_standard.cpp).
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/byte_reader.h"
#include "common/compress.h"
#include "common/debuglog.h"
#include "common/settings.h"
#include "crypto/builtin_keys.h"
#include "crypto/des.h"
#include "crypto/digest.h"
#include "seal/container.h"
#include "seal/seal_operator.h"
#include "seal/seal_pack.h"

namespace dbg = oesqx::dbg;
using oesqx::ByteReader;

int CSealOperator::LoadData(const unsigned char* data, int len) {
  dbg::Str("Seal::LoadData");
  dbg::Int(len);
  if (data == nullptr || len <= 0) return 0;
  std::vector<uint8_t> unpacked;
  if (oesqx::seal::UnpackSealFile(data, static_cast<size_t>(len), &unpacked)) {
    data = unpacked.data();
    len = static_cast<int>(unpacked.size());
  }
  if (data[0] == 0x30) return LoadStandardData(data, len);
  dbg::Str("Seal::LoadData 1");
  return LoadV6Data(data, len);
}

int CSealOperator::LoadV6Data(const unsigned char* data, int len) {
  dbg::Str("SealOperator::LoadData Start");
  dbg::Int(len);
  ByteReader r(data, static_cast<size_t>(len));
  uint32_t magic = 0, total = 0;
  uint16_t version = 0;
  r.ReadU32(&magic);
  r.ReadU32(&total);
  if (r.Seek(24)) r.ReadU16(&version);
  dbg::Int(total);
  dbg::Int(magic);
  dbg::Int(version);
  // A head and a non-empty block at least; the stated total must lie inside
  // the data and cover the head.
  if (len <= 65 || total > static_cast<uint32_t>(len) || total <= SEAL_FILE_HEADER_SIZE ||
      magic != SEAL_MAGIC_V6 || version != 6) {
    return 0;
  }
  dbg::Str("SealOperator::LoadData Pos1");
  dbg::Int(total);

  SEAL_FILE_HEADER_V6 head;
  std::memcpy(&head, data, sizeof(head));
  uint8_t key[16];
  if (head.bKeyFactor != 0) {
    oesqx::builtin_keys::FactorKey(oesqx::builtin_keys::kSealContainerKey, head.bKeyFactor, key);
  } else {
    if (m_cPassword[0] == '\0') return 0;
    GenerateMD5(key, reinterpret_cast<const unsigned char*>(m_cPassword),
                static_cast<unsigned>(std::strlen(m_cPassword)));
  }
  dbg::Str("SealOperator::LoadData Pos2");

  // Deciphered on a copy: the caller's data stays as it was (a wrong
  // password must not spoil it for the next try).
  const size_t block_len = total - SEAL_FILE_HEADER_SIZE;
  std::vector<uint8_t> block(data + SEAL_FILE_HEADER_SIZE, data + total);
  if (block_len >= 8) DecDataNoAlloc(block.data(), static_cast<int>(block_len), key, 16, false);
  dbg::Str("SealOperator::LoadData Pos3");

  unsigned char* plain = nullptr;
  int plain_len = 0;
  CompressDecode(block.data(), static_cast<int>(block_len), &plain, &plain_len);
  oesqx::seal::MallocPtr owner(plain);
  if (plain == nullptr || plain_len <= 0 ||
      static_cast<uint32_t>(plain_len) != head.dwDataLength) {
    return 0;
  }
  if (head.bKeyFactor == 0) oesqx::CopySetting(g_cPwd, sizeof(g_cPwd), m_cPassword);
  dbg::Str("SealOperator::LoadData Pos4");

  if (!oesqx::seal::CheckContainer(plain, static_cast<size_t>(plain_len))) return 0;
  dbg::Str("SealOperator::LoadData Pos5");

  auto* new_head = new SEAL_FILE_HEADER_V6(head);
  delete m_pFileHeader;
  m_pFileHeader = new_head;
  ReplaceContainer(reinterpret_cast<SEAL_ENCDATA_HEADER_V6*>(owner.release()));
  dbg::Str("SealOperator::LoadData OK");
  return static_cast<int>(total);
}

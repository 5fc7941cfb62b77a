// CSealOperator::LoadData on seal data, then every walk over what loaded:
// lookups, pictures, single-seal export, save, byte order. The first byte
// picks the form: 0 the bytes as they are; 1 the rest is a container that
// is wrapped in a V6 file (so the item checks are reached); 2 the same V6
// file packed behind an "ECSL" head.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/compress.h"
#include "crypto/builtin_keys.h"
#include "crypto/des.h"
#include "crypto/digest.h"
#include "image/qx_image.h"
#include "seal/seal_operator.h"

namespace {

void Put32(std::vector<uint8_t>* b, size_t off, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[off + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<uint8_t> Gzip(const uint8_t* data, size_t size) {
  unsigned char* gz = nullptr;
  int n = 0;
  CompressEncode(data, static_cast<int>(size), &gz, &n);
  std::vector<uint8_t> out(gz, gz + (gz != nullptr ? n : 0));
  std::free(gz);
  return out;
}

std::vector<uint8_t> WrapV6(const uint8_t* container, size_t size) {
  std::vector<uint8_t> gz = Gzip(container, size);
  uint8_t key[16];
  oesqx::builtin_keys::FactorKey(oesqx::builtin_keys::kSealContainerKey, 5, key);
  if (gz.size() >= 8) EncDataNoAlloc(gz.data(), static_cast<int>(gz.size()), key, 16, false);
  std::vector<uint8_t> file(44, 0);
  Put32(&file, 0, SEAL_MAGIC_V6);
  Put32(&file, 4, static_cast<uint32_t>(44 + gz.size()));
  file[24] = 6;
  file[28] = 5;
  Put32(&file, 40, static_cast<uint32_t>(size));
  file.insert(file.end(), gz.begin(), gz.end());
  GenerateMD5(file.data() + 8, file.data() + 24, static_cast<unsigned>(file.size() - 24));
  return file;
}

std::vector<uint8_t> Pack(const std::vector<uint8_t>& content) {
  std::vector<uint8_t> gz = Gzip(content.data(), content.size());
  std::vector<uint8_t> file(12, 0);
  Put32(&file, 0, SEAL_MAGIC_PACK);
  Put32(&file, 4, static_cast<uint32_t>(gz.size()));
  Put32(&file, 8, static_cast<uint32_t>(content.size()));
  file.insert(file.end(), gz.begin(), gz.end());
  return file;
}

void Walk(CSealOperator* op) {
  for (SEAL_DATA_V6* r = op->GetSealData(0, nullptr); r != nullptr; r = op->GetSealData(0, r)) {
    std::free(op->GetSealDIB24BitsFromSealData(r, 0));
    const uint32_t id = r->head.dwID;
    for (TAG_DATA_V6* t = op->GetTagData(id, nullptr); t != nullptr; t = op->GetTagData(id, t)) {
    }
    for (SIGN_DATA_V6* s = op->GetSignData(id, nullptr); s != nullptr; s = op->GetSignData(id, s)) {
      op->GetUserData(s->dwRefID);
      op->GetCertData(s->dwRefID);
    }
    op->GetCertCtrlData(id, 0, nullptr);
    op->GetUserCtrlData(id, 0, nullptr);
    op->GetDeptCtrlData(id);
    op->GetFangWeiData(id);
    op->GetStampData(id);
    unsigned char* one = nullptr;
    const int n = op->GenerateOneSeal(r, 0, &one, nullptr);
    if (n > 0) {
      CSealOperator back;
      if (back.LoadData(one, n) == 0) std::abort();  // an export always loads
    }
    std::free(one);
  }
  op->GenerateNewID();
  if (SEAL_ENCDATA_HEADER_V6* c = op->GetContainer()) {
    std::vector<uint8_t> copy(reinterpret_cast<uint8_t*>(c), reinterpret_cast<uint8_t*>(c) + c->dwLength);
    auto* cc = reinterpret_cast<SEAL_ENCDATA_HEADER_V6*>(copy.data());
    SWAPEndian(cc, false);
    SWAPEndian(cc, true);
    if (std::memcmp(copy.data(), c, copy.size()) != 0) std::abort();
  }
  unsigned char* saved = nullptr;
  const int n = op->SaveData(&saved, 0);
  if (n > 0) {
    CSealOperator back;
    if (back.LoadData(saved, n) == 0) std::abort();  // what saved loads again
  }
  std::free(saved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (1u << 16)) return 0;
  oesqx::image::SetMaxPixelBytes(1u << 20);
  const uint8_t mode = data[0] % 3;
  std::vector<uint8_t> input;
  if (mode == 0) {
    input.assign(data + 1, data + size);
  } else {
    input = WrapV6(data + 1, size - 1);
    if (mode == 2) input = Pack(input);
  }
  if (input.empty()) return 0;
  CSealOperator op;
  if (op.LoadData(input.data(), static_cast<int>(input.size())) != 0) Walk(&op);
  return 0;
}

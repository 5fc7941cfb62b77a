// Web seal store data, then every control decoded. The first byte picks how
// the rest is used, so that the fuzzer also gets past the digests:
//   0: Base64 store text as given;
//   1: decoded store bytes, whose covered length and MD5 are filled in;
//   2: one control record (length and MD5 filled in), compressed and
//      enciphered with the key factor of the second byte, in a store of one.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/webseal_writer.h"
#include "webseal/web_obj.h"

namespace {

using oesqx::test::webseal::Bytes;
namespace w = oesqx::test::webseal;

std::string StoreText(uint8_t mode, const uint8_t* data, size_t size) {
  if (mode == 0) return std::string(reinterpret_cast<const char*>(data), size);
  if (mode == 1) {
    Bytes store(data, data + size);
    if (store.size() < 24) return w::Base64(store);
    const uint32_t total = static_cast<uint32_t>(store.size());
    for (int i = 0; i < 4; ++i) store[i] = static_cast<uint8_t>(total >> (8 * i));
    w::SealStore(&store);
    return w::Base64(store);
  }
  if (size < 1) return {};
  Bytes record(data + 1, data + size);
  if (record.size() < 20) record.resize(20);
  w::SealRecord(&record);
  return w::Base64(w::StoreBytes({{"c", "p", w::ControlData(record, data[0], data[0] >> 5)}}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 65536) return 0;
  const std::string text = StoreText(data[0] % 3, data + 1, size - 1);
  WEB_OBJ obj;
  DecodeStoreData(text.c_str(), &obj);
  for (POSITION pos = obj.m_lstCtrl.GetHeadPosition(); pos != nullptr;) {
    SubLoadWebSeal(obj.m_lstCtrl.GetNext(pos), obj.m_cSealPwd, "Zm9ybQ==");
  }
  FreeWebSealObj(&obj, 0);
  return 0;
}

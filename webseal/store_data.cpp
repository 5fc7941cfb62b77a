// Splitting binary store data (Base64 text of a digest-protected list of
// control entries) into web seal controls.
#include <cstring>
#include <vector>

#include "common/base64.h"
#include "common/byte_reader.h"
#include "common/debuglog.h"
#include "crypto/digest.h"
#include "webseal/web_ctrl.h"

namespace oesqx::webseal {
namespace {

constexpr size_t kStoreHeadSize = 52;
constexpr size_t kEntryHeadSize = 132;  // length, position, name

struct Entry {
  const char* position;  // 64 bytes
  const char* name;      // 64 bytes
  const uint8_t* data;
  size_t data_len;
};

// Checks the store head and digest and collects every entry; false when
// anything fails, so that a bad store adds no control at all. Entries are
// read within the T bytes the digest covers.
bool ParseStore(const uint8_t* data, size_t size, std::vector<Entry>* entries) {
  ByteReader head(data, size);
  uint32_t total = 0;
  const uint8_t* md5 = nullptr;
  uint16_t version = 0, count = 0;
  if (!head.ReadU32(&total) || !head.ReadBytes(16, &md5) || !head.ReadU16(&version) ||
      !head.ReadU16(&count)) {
    return false;
  }
  if (total > size || total < kStoreHeadSize || version != 1) return false;
  uint8_t digest[16];
  GenerateMD5(digest, data + 20, total - 20);
  if (std::memcmp(digest, md5, 16) != 0) return false;

  ByteReader in(data, total);
  in.Seek(kStoreHeadSize);
  for (unsigned i = 0; i < count; ++i) {
    uint32_t len = 0;
    Entry e{};
    if (!in.ReadU32(&len) || len < kEntryHeadSize) return false;
    const uint8_t *pos = nullptr, *name = nullptr;
    if (!in.ReadBytes(64, &pos) || !in.ReadBytes(64, &name) ||
        !in.ReadBytes(len - kEntryHeadSize, &e.data)) {
      return false;
    }
    e.position = reinterpret_cast<const char*>(pos);
    e.name = reinterpret_cast<const char*>(name);
    e.data_len = len - kEntryHeadSize;
    entries->push_back(e);
  }
  return true;
}

}  // namespace
}  // namespace oesqx::webseal

extern "C" int DecodeStoreData(const char* text, WEB_OBJ* obj) {
  using namespace oesqx::webseal;
  if (text == nullptr || obj == nullptr) return kWebStoreDataBad;
  CBase64Coder coder;
  coder.Decode(text);
  std::vector<Entry> entries;
  if (coder.DecodedMessageSize() == 0 ||
      !ParseStore(coder.DecodedMessage(), coder.DecodedMessageSize(), &entries)) {
    return kWebStoreDataBad;
  }
  for (const Entry& e : entries) {
    char name[64];
    CopyField(name, e.name, 64);
    if (NameInUse(*obj, name) || e.data_len == 0) continue;
    unsigned char* raw = MallocCopy(e.data, e.data_len);
    if (raw == nullptr) continue;
    WEB_CTRL_INFO* c = NewControl();
    std::memcpy(c->m_cName, name, sizeof(name));
    std::memcpy(c->m_cName2, name, sizeof(name));
    CopyField(c->m_cPosition, e.position, 64);
    c->m_pRawData = raw;
    c->m_nRawLen = static_cast<uint32_t>(e.data_len);
    obj->m_lstCtrl.AddTail(c);
  }
  return obj->m_lstCtrl.GetCount();
}

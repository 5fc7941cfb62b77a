#include "seal/container.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include <unistd.h>

#include "common/byte_reader.h"

namespace oesqx::seal {

size_t MinItemLength(uint16_t type) {
  switch (type) {
    case SEAL_ITEM_SEAL: return sizeof(SEAL_DATA_V6);
    case SEAL_ITEM_CERT:
    case SEAL_ITEM_STAMP: return sizeof(SEAL_CERT_DATA_V6);
    case SEAL_ITEM_USER: return sizeof(SEAL_USER_DATA_V6);
    case SEAL_ITEM_DEPT_CTRL: return sizeof(SEAL_DEPT_CTRL_V6);
    case SEAL_ITEM_FANGWEI: return sizeof(SEAL_FANGWEI_DATA_V6);
    case SEAL_ITEM_TAG: return sizeof(TAG_DATA_V6);
    case SEAL_ITEM_ACCESS: return sizeof(SEAL_ACCESS_SETTING_V6);
    case SEAL_ITEM_CERT_CTRL:
    case SEAL_ITEM_USER_CTRL: return sizeof(CERT_CTRL_SETTING_V6);
    default: break;
  }
  if (type >= SEAL_ITEM_SIGN && type <= SEAL_ITEM_REF_LAST) return sizeof(SIGN_DATA_V6);
  return SEAL_ITEM_HEAD_SIZE;
}

bool ReadItem(const uint8_t* container, size_t size, size_t offset, ItemRef* item) {
  ByteReader r(container, size);
  if (!r.Seek(offset)) return false;
  ItemRef it;
  it.offset = offset;
  if (!r.ReadU32(&it.length) || !r.ReadU32(&it.id) || !r.ReadU32(&it.parent) ||
      !r.ReadU16(&it.type)) {
    return false;
  }
  // Measured from the item's start: it must hold its type's fixed fields and
  // end inside the container.
  if (it.length < MinItemLength(it.type) || it.length > size - offset) return false;
  *item = it;
  return true;
}

bool CheckContainer(const uint8_t* data, size_t size) {
  ByteReader r(data, size);
  uint32_t length;
  uint16_t count;
  if (!r.ReadU32(&length) || !r.ReadU16(&count)) return false;
  if (length != size || count < 2) return false;
  const auto* c = reinterpret_cast<const SEAL_ENCDATA_HEADER_V6*>(data);
  return ForEachItem(c, [](const ItemRef&) { return true; }) != 0;
}

ContainerPtr NewEmptyContainer() {
  auto* c = static_cast<SEAL_ENCDATA_HEADER_V6*>(std::calloc(1, SEAL_EMPTY_CONTAINER_SIZE));
  if (c == nullptr) return nullptr;
  c->dwLength = SEAL_EMPTY_CONTAINER_SIZE;
  c->wCount = 1;
  auto* end = reinterpret_cast<SEAL_ITEM_V6*>(reinterpret_cast<uint8_t*>(c) + 8);
  end->dwLength = SEAL_ITEM_HEAD_SIZE;
  end->wType = SEAL_ITEM_END;
  return ContainerPtr(c);
}

bool InsertBeforeEnd(SEAL_ENCDATA_HEADER_V6** c, const void* item, size_t len) {
  if (c == nullptr || *c == nullptr || (*c)->wCount == 0xFFFF) return false;
  const size_t end = ForEachItem(*c, [](const ItemRef&) { return true; });
  if (end == 0) return false;
  const size_t new_size = end + len + SEAL_ITEM_HEAD_SIZE;
  if (len > INT_MAX || new_size > INT_MAX) return false;
  auto* grown = static_cast<uint8_t*>(std::malloc(new_size));
  if (grown == nullptr) return false;
  std::memcpy(grown, *c, end);
  if (len != 0) std::memcpy(grown + end, item, len);
  std::memset(grown + end + len, 0, SEAL_ITEM_HEAD_SIZE);
  auto* tail = reinterpret_cast<SEAL_ITEM_V6*>(grown + end + len);
  tail->dwLength = SEAL_ITEM_HEAD_SIZE;
  tail->wType = SEAL_ITEM_END;
  auto* head = reinterpret_cast<SEAL_ENCDATA_HEADER_V6*>(grown);
  head->dwLength = static_cast<uint32_t>(new_size);
  head->wCount = static_cast<uint16_t>(head->wCount + 1);
  std::free(*c);
  *c = head;
  return true;
}

void SeedRandomOnce() {
  static std::once_flag seeded;
  std::call_once(seeded, [] {
    std::srand(static_cast<unsigned>(std::time(nullptr)) ^
               static_cast<unsigned>(::getpid()) << 16);
  });
}

bool HasItemId(const SEAL_ENCDATA_HEADER_V6* c, uint32_t id) {
  bool found = false;
  ForEachItem(c, [&](const ItemRef& it) {
    found = it.id == id;
    return !found;
  });
  return found;
}

}  // namespace oesqx::seal

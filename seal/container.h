// Walking and building V6 containers. Every read of a container goes
// through ByteReader bounded by the container's own length field, so a
// damaged item ends a walk instead of reading past the container.
#ifndef OESQX_SEAL_CONTAINER_H
#define OESQX_SEAL_CONTAINER_H

#include <cstddef>
#include <cstdint>

#include "common/malloc_ptr.h"
#include "seal/seal_types.h"

namespace oesqx::seal {

using ::oesqx::MallocPtr;
using ContainerPtr = MallocOwned<SEAL_ENCDATA_HEADER_V6>;

// The fixed part an item of `type` must have (its head included).
size_t MinItemLength(uint16_t type);

// Head of one item as read, with its offset in the container.
struct ItemRef {
  size_t offset = 0;
  uint32_t length = 0;
  uint32_t id = 0;
  uint32_t parent = 0;
  uint16_t type = 0;
};

// Reads the item at `offset` of a container of `size` bytes. False when the
// head does not fit, the length is shorter than the item's type needs, or
// the item runs past the container.
bool ReadItem(const uint8_t* container, size_t size, size_t offset, ItemRef* item);

// The number of bytes a container says it holds (0 for null).
inline size_t ContainerSize(const SEAL_ENCDATA_HEADER_V6* c) {
  return c == nullptr ? 0 : c->dwLength;
}
inline const uint8_t* Bytes(const SEAL_ENCDATA_HEADER_V6* c) {
  return reinterpret_cast<const uint8_t*>(c);
}

// Walks the items from the first one; calls fn(const ItemRef&) for every
// item before the end item, stopping early when fn returns false. Returns
// the offset of the end item, or 0 when the walk met a damaged item or no
// end item (or fn stopped it).
template <typename Fn>
size_t ForEachItem(const SEAL_ENCDATA_HEADER_V6* c, Fn&& fn) {
  const size_t size = ContainerSize(c);
  if (size < SEAL_ENCDATA_HEADER_SIZE) return 0;
  size_t offset = SEAL_ENCDATA_HEADER_SIZE;
  ItemRef item;
  while (ReadItem(Bytes(c), size, offset, &item)) {
    if (item.type == SEAL_ITEM_END) return offset;
    if (!fn(item)) return 0;
    offset += item.length;
  }
  return 0;
}

// Checks a container of `size` bytes read from outside: its length field
// equals size, it counts at least two items, and every item fits until the
// end item.
bool CheckContainer(const uint8_t* data, size_t size);

// A new empty container (head and end item, 22 bytes), malloc'd.
ContainerPtr NewEmptyContainer();

// Inserts `len` bytes of one item before the end item of the malloc'd
// container *c, reallocating it; the count grows by one and a fresh end item closes it. False (and *c
// unchanged) when *c has no end item, would exceed 2^31 bytes or
// 65535 items.
bool InsertBeforeEnd(SEAL_ENCDATA_HEADER_V6** c, const void* item, size_t len);

// Seeds rand() once per process (time and process id), so that key
// factors and identifiers differ between saves and processes within one
// second.
void SeedRandomOnce();

// True when some item of the container has identifier `id`.
bool HasItemId(const SEAL_ENCDATA_HEADER_V6* c, uint32_t id);

}  // namespace oesqx::seal

#endif

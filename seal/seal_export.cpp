// Exporting one seal: a new container with the record, the root settings
// and the record's own items (with their descendants and the items their
// references name), written as a seal file of its own.
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/byte_reader.h"
#include "seal/container.h"
#include "seal/seal_operator.h"

using oesqx::seal::ItemRef;

namespace {

// The items of a source container, indexed once for a whole export.
class SourceIndex {
 public:
  explicit SourceIndex(const SEAL_ENCDATA_HEADER_V6* source) : source_(source) {
    oesqx::seal::ForEachItem(source, [this](const ItemRef& it) {
      children_[it.parent].push_back(items_.size());
      by_id_.emplace(it.id, items_.size());  // keeps the first of equal ids
      items_.push_back(it);
      return true;
    });
  }

  const std::vector<ItemRef>& items() const { return items_; }
  const uint8_t* At(const ItemRef& it) const { return oesqx::seal::Bytes(source_) + it.offset; }
  // Indexes of the items whose parent is `parent`, in container order.
  const std::vector<size_t>* Children(uint32_t parent) const {
    auto found = children_.find(parent);
    return found == children_.end() ? nullptr : &found->second;
  }
  const ItemRef* FindId(uint32_t id) const {
    auto found = by_id_.find(id);
    return found == by_id_.end() ? nullptr : &items_[found->second];
  }
  // Index of the item at `offset`, or npos.
  size_t IndexOf(size_t offset) const {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (items_[i].offset == offset) return i;
    }
    return npos;
  }
  static constexpr size_t npos = static_cast<size_t>(-1);

 private:
  const SEAL_ENCDATA_HEADER_V6* source_;
  std::vector<ItemRef> items_;
  std::unordered_map<uint32_t, std::vector<size_t>> children_;
  std::unordered_map<uint32_t, size_t> by_id_;
};

// The target being filled, with the identifiers it already holds.
struct Target {
  SEAL_ENCDATA_HEADER_V6** container;
  std::unordered_set<uint32_t> ids;

  explicit Target(SEAL_ENCDATA_HEADER_V6** c) : container(c) {
    oesqx::seal::ForEachItem(*c, [this](const ItemRef& it) {
      ids.insert(it.id);
      return true;
    });
  }
  bool Insert(const uint8_t* item, const ItemRef& ref) {
    if (!oesqx::seal::InsertBeforeEnd(container, item, ref.length)) return false;
    ids.insert(ref.id);
    return true;
  }
};

// Copies source item `first` and its descendants (children found after
// their parent, depth first in container order) into the target. An item
// whose identifier the target already holds is not copied twice; each
// source item is visited once, so crafted parent loops end.
int CopyWithDescendants(const SourceIndex& src, size_t first, Target* target) {
  const std::vector<ItemRef>& items = src.items();
  std::vector<bool> visited(items.size(), false);
  std::vector<size_t> stack{first};
  long long added = 0;
  while (!stack.empty()) {
    const size_t index = stack.back();
    stack.pop_back();
    if (visited[index]) continue;
    visited[index] = true;
    const ItemRef& it = items[index];
    if (target->ids.count(it.id) == 0) {
      if (!target->Insert(src.At(it), it)) return 0;
      added += it.length;
    }
    if (it.type >= SEAL_ITEM_SIGN && it.type <= SEAL_ITEM_REF_LAST) {
      oesqx::ByteReader r(src.At(it), it.length);
      uint32_t ref_id = 0;
      if (!r.Seek(16) || !r.ReadU32(&ref_id)) return 0;
      if (target->ids.count(ref_id) == 0) {
        const ItemRef* ref = src.FindId(ref_id);
        if (ref == nullptr) return 0;
        if (!target->Insert(src.At(*ref), *ref)) return 0;
        added += ref->length;
      }
    }
    if (const std::vector<size_t>* kids = src.Children(it.id)) {
      // Pushed in reverse so that they are taken in container order.
      for (auto k = kids->rbegin(); k != kids->rend(); ++k) {
        if (items[*k].offset > it.offset && !visited[*k]) stack.push_back(*k);
      }
    }
  }
  return added > 0x7FFFFFFF ? 0 : static_cast<int>(added);
}

}  // namespace

int GenerateAllChildItem(SEAL_ITEM_V6* item, SEAL_ENCDATA_HEADER_V6** target,
                         SEAL_ENCDATA_HEADER_V6* source) {
  if (item == nullptr || target == nullptr || *target == nullptr || source == nullptr) return 0;
  const auto* base = oesqx::seal::Bytes(source);
  const auto* p = reinterpret_cast<const uint8_t*>(item);
  if (p < base || p >= base + oesqx::seal::ContainerSize(source)) return 0;
  SourceIndex src(source);
  const size_t index = src.IndexOf(static_cast<size_t>(p - base));
  if (index == SourceIndex::npos) return 0;
  Target t(target);
  return CopyWithDescendants(src, index, &t);
}

int CSealOperator::GenerateOneSeal(SEAL_DATA_V6* record, unsigned short reserved,
                                   unsigned char** out, const char* password) {
  if (out == nullptr) return 0;
  *out = nullptr;
  if (m_blV7Mode) return GenerateOneStandardSeal(record, out);
  if (m_pSealData == nullptr || record == nullptr) return 0;

  // The record itself must be a whole seal record: one of the container's
  // items, or a record of its own with a plausible length.
  const auto* base = oesqx::seal::Bytes(m_pSealData);
  const auto* p = reinterpret_cast<const uint8_t*>(record);
  const size_t size = oesqx::seal::ContainerSize(m_pSealData);
  ItemRef rec;
  if (p >= base && p < base + size) {
    if (!oesqx::seal::ReadItem(base, size, static_cast<size_t>(p - base), &rec)) return 0;
  } else {
    rec.length = record->head.dwLength;
    rec.id = record->head.dwID;
  }
  if (rec.length < SEAL_DATA_FIXED_SIZE) return 0;

  SEAL_ENCDATA_HEADER_V6* built = oesqx::seal::NewEmptyContainer().release();
  oesqx::seal::ContainerPtr owner;
  auto keep = [&] { owner.reset(built); };
  if (built == nullptr || !oesqx::seal::InsertBeforeEnd(&built, record, rec.length)) {
    keep();
    return 0;
  }
  SourceIndex src(m_pSealData);
  Target target(&built);
  bool ok = true;
  for (const ItemRef& it : src.items()) {
    if (it.type >= SEAL_ITEM_ACCESS && it.type <= SEAL_ITEM_SETTINGS_LAST &&
        it.parent == SEAL_ROOT_ID) {
      ok = ok && target.Insert(src.At(it), it);
    }
  }
  if (const std::vector<size_t>* kids = src.Children(rec.id)) {
    for (size_t k : *kids) CopyWithDescendants(src, k, &target);
  }
  keep();
  if (!ok) return 0;

  // Save the new container in place of ours, then put ours back.
  SEAL_FILE_HEADER_V6* saved_head = m_pFileHeader;
  SEAL_ENCDATA_HEADER_V6* saved_data = m_pSealData;
  char saved_pwd[sizeof(m_cPassword)];
  std::memcpy(saved_pwd, m_cPassword, sizeof(saved_pwd));
  SEAL_FILE_HEADER_V6 fresh{};
  fresh.dwMagic = SEAL_MAGIC_V6;
  fresh.wVersion = 6;
  m_pFileHeader = &fresh;
  m_pSealData = built;
  SetPassword(password);
  const int n = SaveV6Data(out);
  m_pFileHeader = saved_head;
  m_pSealData = saved_data;
  std::memcpy(m_cPassword, saved_pwd, sizeof(saved_pwd));
  (void)reserved;
  return n;
}

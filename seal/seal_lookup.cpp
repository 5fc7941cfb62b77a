// Item lookups over the V6 container.
#include "common/byte_reader.h"
#include "seal/container.h"
#include "seal/seal_operator.h"

using oesqx::seal::ItemRef;

SEAL_ITEM_V6* CSealOperator::GetSealItem(unsigned short firstType, unsigned short lastType,
                                         unsigned int id, unsigned int parent,
                                         SEAL_ITEM_V6* after,
                                         SEAL_ENCDATA_HEADER_V6* container) {
  if (container == nullptr) return nullptr;
  auto* base = reinterpret_cast<uint8_t*>(container);
  const size_t size = oesqx::seal::ContainerSize(container);
  size_t offset = SEAL_ENCDATA_HEADER_SIZE;
  if (after != nullptr) {
    // Continue after the given item, which must be one of this container.
    const auto* p = reinterpret_cast<const uint8_t*>(after);
    if (p < base + SEAL_ENCDATA_HEADER_SIZE || p >= base + size) return nullptr;
    ItemRef prev;
    if (!oesqx::seal::ReadItem(base, size, static_cast<size_t>(p - base), &prev)) return nullptr;
    offset = prev.offset + prev.length;
  }
  ItemRef item;
  while (oesqx::seal::ReadItem(base, size, offset, &item)) {
    if (item.type == SEAL_ITEM_END) return nullptr;
    const bool type_ok = firstType == 0 || (item.type >= firstType && item.type <= lastType);
    if (type_ok && (id == 0 || item.id == id) && (parent == 0 || item.parent == parent)) {
      return reinterpret_cast<SEAL_ITEM_V6*>(base + item.offset);
    }
    offset += item.length;
  }
  return nullptr;
}

namespace {

template <typename T>
T* Lookup(SEAL_ENCDATA_HEADER_V6* c, unsigned short type, unsigned int id, unsigned int parent,
          T* after) {
  return reinterpret_cast<T*>(CSealOperator::GetSealItem(
      type, type, id, parent, reinterpret_cast<SEAL_ITEM_V6*>(after), c));
}

}  // namespace

SEAL_DATA_V6* CSealOperator::GetSealData(unsigned int id, SEAL_DATA_V6* after) {
  if (m_blV7Mode) return GetStandardSealData(id, after);
  return Lookup(m_pSealData, SEAL_ITEM_SEAL, id, 0, after);
}

TAG_DATA_V6* CSealOperator::GetTagData(unsigned int parent, TAG_DATA_V6* after) {
  return Lookup(m_pSealData, SEAL_ITEM_TAG, 0, parent, after);
}

SEAL_STAMP_DATA_V6* CSealOperator::GetStampData(unsigned int parent) {
  return Lookup<SEAL_STAMP_DATA_V6>(m_pSealData, SEAL_ITEM_STAMP, 0, parent, nullptr);
}

SIGN_DATA_V6* CSealOperator::GetSignData(unsigned int parent, SIGN_DATA_V6* after) {
  return Lookup(m_pSealData, SEAL_ITEM_SIGN, 0, parent, after);
}

SEAL_CERT_DATA_V6* CSealOperator::GetCertData(unsigned int id) {
  return Lookup<SEAL_CERT_DATA_V6>(m_pSealData, SEAL_ITEM_CERT, id, 0, nullptr);
}

CERT_CTRL_SETTING_V6* CSealOperator::GetCertCtrlData(unsigned int parent, unsigned int id,
                                                     CERT_CTRL_SETTING_V6* after) {
  return Lookup(m_pSealData, SEAL_ITEM_CERT_CTRL, id, parent, after);
}

SEAL_USER_DATA_V6* CSealOperator::GetUserData(unsigned int id) {
  return Lookup<SEAL_USER_DATA_V6>(m_pSealData, SEAL_ITEM_USER, id, 0, nullptr);
}

USER_CTRL_SETTING_V6* CSealOperator::GetUserCtrlData(unsigned int parent, unsigned int id,
                                                     USER_CTRL_SETTING_V6* after) {
  return Lookup(m_pSealData, SEAL_ITEM_USER_CTRL, id, parent, after);
}

SEAL_DEPT_CTRL_V6* CSealOperator::GetDeptCtrlData(unsigned int parent) {
  return Lookup<SEAL_DEPT_CTRL_V6>(m_pSealData, SEAL_ITEM_DEPT_CTRL, 0, parent, nullptr);
}

SEAL_FANGWEI_DATA_V6* CSealOperator::GetFangWeiData(unsigned int parent) {
  return Lookup<SEAL_FANGWEI_DATA_V6>(m_pSealData, SEAL_ITEM_FANGWEI, 0, parent, nullptr);
}

// CSealOperator: loads, walks, saves, exports and creates seals.
//
// It reads three outer forms: the packed file ("ECSL" head + gzip), the V6
// seal file ("LAES" head + enciphered gzip container) and a sequence of
// standard (DER) seals. Every seal is handed out as a SEAL_DATA_V6 record
// owned by the object; records and items point into the container (or the
// standard seal list) and stay valid until it changes or the object dies.
//
// Out buffers are malloc'd and released by the caller with free.
#ifndef OESQX_SEAL_SEAL_OPERATOR_H
#define OESQX_SEAL_SEAL_OPERATOR_H

#include "seal/clist.h"
#include "seal/seal_types.h"

namespace oesqx {
class QxImage;
}
// One loaded standard seal; defined with the standard seal code.
struct SES_SEAL_S;

class CSealOperator {
 public:
  CSealOperator();
  virtual ~CSealOperator();
  CSealOperator(const CSealOperator&) = delete;
  CSealOperator& operator=(const CSealOperator&) = delete;

  // Loads seal data of any form. Returns the total length of a V6 file (or
  // what the standard-seal reader returns); 0 when nothing was loaded, and
  // then the previous state is kept. The data is not changed.
  int LoadData(const unsigned char* data, int len);

  // Writes the loaded seals as a seal file (packed when g_blEncSeal is on)
  // into a new buffer at *out. Returns its length; 0 with nothing to write;
  // -3 in standard mode with no seal bytes.
  int SaveData(unsigned char** out, unsigned short reserved = 0);

  // Typed lookups. `after` continues the walk after that item (null: from
  // the first item). Identifiers or parents of 0 match any.
  SEAL_DATA_V6* GetSealData(unsigned int id, SEAL_DATA_V6* after);
  TAG_DATA_V6* GetTagData(unsigned int parent, TAG_DATA_V6* after);
  SEAL_STAMP_DATA_V6* GetStampData(unsigned int parent);
  SIGN_DATA_V6* GetSignData(unsigned int parent, SIGN_DATA_V6* after);
  SEAL_CERT_DATA_V6* GetCertData(unsigned int id);
  CERT_CTRL_SETTING_V6* GetCertCtrlData(unsigned int parent, unsigned int id,
                                        CERT_CTRL_SETTING_V6* after);
  SEAL_USER_DATA_V6* GetUserData(unsigned int id);
  USER_CTRL_SETTING_V6* GetUserCtrlData(unsigned int parent, unsigned int id,
                                        USER_CTRL_SETTING_V6* after);
  SEAL_DEPT_CTRL_V6* GetDeptCtrlData(unsigned int parent);
  SEAL_FANGWEI_DATA_V6* GetFangWeiData(unsigned int parent);

  // First item after `after` (or from the first item) whose type lies in
  // [firstType, lastType] (firstType 0: any type) and whose identifier and
  // parent equal the given ones where those are non-zero. Null at the end
  // item, at an item that does not fit the container, or without container.
  static SEAL_ITEM_V6* GetSealItem(unsigned short firstType, unsigned short lastType,
                                   unsigned int id, unsigned int parent, SEAL_ITEM_V6* after,
                                   SEAL_ENCDATA_HEADER_V6* container);

  // A fresh identifier unused in the container; 0 without container.
  unsigned int GenerateNewID();

  // Writes one seal (the record with the root settings and its own items)
  // as a seal file of its own, protected by `password` when given. Returns
  // the length written to *out, or 0 / -3 on failure.
  int GenerateOneSeal(SEAL_DATA_V6* record, unsigned short reserved, unsigned char** out,
                      const char* password);

  // Adds a new V6 seal record made from `picture` (not changed) and returns
  // it as stored in the container, or null. Texts are GB2312, at most 63
  // bytes each are kept. Display size 0 means the pixel size.
  SEAL_DATA_V6* CreateNewSeal(unsigned short kind, const char* text1, const char* text2,
                              const char* text3, const char* text4, unsigned int value,
                              unsigned short displayWidth, unsigned short displayHeight,
                              unsigned char bits, oesqx::QxImage* picture, bool unused1,
                              bool unused2, unsigned int validUntil, char byte1, char byte2);

  // The record's picture as 24-bit bottom-up rows (height x stride of
  // 24 x width) in a new malloc buffer, or null for a missing record, an
  // unsupported depth or a picture that does not fit the record.
  unsigned char* GetSealDIB24BitsFromSealData(SEAL_DATA_V6* record, unsigned int unused);

  // Sets the password used to load and save (at most 31 characters kept;
  // null or empty: none).
  void SetPassword(const char* password);
  const char* GetPassword() const { return m_cPassword; }

  // --- Standard (DER) seals -----------------------------------------------
  // These members are implemented in seal/seal_standard.cpp, apart from the
  // V6 code. LoadStandardData is the branch LoadData takes when the data
  // begins with a SEQUENCE; its result is LoadData's result.
  int LoadStandardData(const unsigned char* data, int len);
  // Record walk over the standard seal list (GetSealData in standard mode).
  SEAL_DATA_V6* GetStandardSealData(unsigned int id, SEAL_DATA_V6* after);
  // Concatenated encoded seals, packed when g_blEncSeal is on; -3 if none.
  int SaveStandardData(unsigned char** out);
  // Copy of the encoded bytes of the seal whose record is `record`; -3 if
  // none.
  int GenerateOneStandardSeal(SEAL_DATA_V6* record, unsigned char** out);
  // Frees every standard seal and empties the list.
  void ReleaseV7Seal();

  bool IsStandardMode() const { return m_blV7Mode; }
  SEAL_FILE_HEADER_V6* GetFileHeader() const { return m_pFileHeader; }
  SEAL_ENCDATA_HEADER_V6* GetContainer() const { return m_pSealData; }

  // Set when the loaded data was a sequence of standard seals; then
  // m_oV7SealList is used and the V6 head and container are not.
  bool m_blV7Mode = false;
  // Loaded standard seals in load order (owned; freed by ReleaseV7Seal).
  CList<SES_SEAL_S*> m_oV7SealList;

 private:
  int LoadV6Data(const unsigned char* data, int len);
  int SaveV6Data(unsigned char** out);
  // Replaces the container with `container` (malloc'd, ownership taken).
  void ReplaceContainer(SEAL_ENCDATA_HEADER_V6* container);

  char m_cPassword[32] = {};
  SEAL_FILE_HEADER_V6* m_pFileHeader = nullptr;  // new'd
  SEAL_ENCDATA_HEADER_V6* m_pSealData = nullptr;  // malloc'd
};

// Copies `item` (and its descendants in `source`, and the items its
// references name) into *target before its end item; *target is
// reallocated. Returns the number of bytes added, 0 on failure.
int GenerateAllChildItem(SEAL_ITEM_V6* item, SEAL_ENCDATA_HEADER_V6** target,
                         SEAL_ENCDATA_HEADER_V6* source);

// Converts every multi-byte field of a container in place between little-
// and big-endian. `swapped` set: the container arrives in swapped order.
void SWAPEndian(SEAL_ENCDATA_HEADER_V6* container, bool swapped);

#endif

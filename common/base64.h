// Base64 coder shared by every part of the component.
//
// One instance per conversion: Encode/Decode leave their result in the
// instance's buffers, valid until the next call on the same instance or its
// destruction; the caller copies what it keeps. Buffers are reused and grow
// in 4096-byte steps, never shrink, and are always zero past the used size
// (so the encoded text is followed by a zero byte).
//
// Decoding never fails: a space reads as '+', the control characters
// 0x07..0x0D are dropped, any other character outside the alphabet takes
// part with the value 0xFE, and only the last group of four is looked at for
// "=" padding.
#ifndef OESQX_COMMON_BASE64_H
#define OESQX_COMMON_BASE64_H

#include <atomic>
#include <cstdint>

class CBase64Coder {
 public:
  CBase64Coder();
  virtual ~CBase64Coder();
  CBase64Coder(const CBase64Coder&) = delete;
  CBase64Coder& operator=(const CBase64Coder&) = delete;

  // Base64 of `len` bytes, no line breaks, "=" padded. A null `data` is
  // taken as empty.
  void Encode(const unsigned char* data, unsigned len);
  // Encodes strlen(str) + 1 bytes: the terminating zero is part of the data.
  // A null pointer does nothing.
  void Encode(const char* str);
  // Decodes `len` characters. A null `text` is taken as empty.
  void Decode(const unsigned char* text, unsigned len);
  // Decodes strlen(text) characters; a null pointer does nothing.
  void Decode(const char* text);

  unsigned char* EncodedMessage() const { return m_pEBuffer; }
  unsigned EncodedMessageSize() const { return m_nEDataLen; }
  unsigned char* DecodedMessage() const { return m_pDBuffer; }
  unsigned DecodedMessageSize() const { return m_nDDataLen; }

 protected:
  // The unit of work: up to four values and how many of them count
  // (1 to 3 input bytes when encoding, 4 characters when decoding).
  struct TempBucket {
    unsigned char nData[4];
    unsigned char nSize;
    void Clear() { nData[0] = nData[1] = nData[2] = nData[3] = 0, nSize = 0; }
  };

  // Character -> 6-bit value; 0xFE outside the alphabet, 0xFF for "=".
  // The high-bit twin of every alphabet character maps like the character.
  static unsigned char m_DecodeTable[256];
  static std::atomic<bool> m_Init;

  static void _Init();
  static bool _IsBadMimeChar(unsigned char c) { return c >= 0x07 && c <= 0x0D; }

  // Three bytes (zero-completed) to four 6-bit values, and those to text.
  static void _EncodeRaw(const TempBucket& data, TempBucket* raw);
  static void _EncodeToBuffer(const TempBucket& data, unsigned char* out);
  // Four characters to three bytes (nSize of `data` says how many to keep).
  static void _DecodeRaw(const TempBucket& data, TempBucket* raw);
  static unsigned _DecodeToBuffer(const TempBucket& data, unsigned char* out);

  // Make room for `size` bytes, zero the whole buffer, reset the used size.
  // False (and an empty buffer) when the request cannot be met.
  bool AllocEncode(unsigned size);
  bool AllocDecode(unsigned size);
  // Filtered copy of Base64 text into the encoded buffer.
  bool SetEncodeBuffer(const unsigned char* text, unsigned len);
  // Plain copy of bytes into the decoded buffer.
  bool SetDecodeBuffer(const unsigned char* data, unsigned len);

 private:
  unsigned char* m_pDBuffer = nullptr;
  unsigned char* m_pEBuffer = nullptr;
  unsigned m_nDBufLen = 0;
  unsigned m_nEBufLen = 0;
  unsigned m_nDDataLen = 0;
  unsigned m_nEDataLen = 0;
  // Bytes [0, dirty) may be non-zero; everything past them is known zero,
  // so a zero-fill only has to clear what earlier calls wrote.
  unsigned m_nDDirty = 0;
  unsigned m_nEDirty = 0;
};

#endif

// Making seal records from pictures, and the 24-bit rows of a record.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include "seal/container.h"
#include "seal/day_number.h"
#include "seal/seal_operator.h"
#include "seal_fixtures.h"

namespace oesqx {
namespace {

using test::Bytes;

SEAL_DATA_V6* Create(CSealOperator* op, QxImage* picture, unsigned char bits,
                     const char* text1 = "ID", unsigned short dw = 0, unsigned short dh = 0) {
  return op->CreateNewSeal(SEAL_KIND_OFFICIAL, text1, "NAME", "T3", "MAKER", 77, dw, dh, bits,
                           picture, false, false, 12345, 'a', 'b');
}

Bytes PictureArea(const SEAL_DATA_V6* r) {
  const auto* p = reinterpret_cast<const uint8_t*>(r);
  return Bytes(p + SEAL_DATA_FIXED_SIZE, p + r->head.dwLength);
}

TEST(SealCreateTest, FieldsOfANewRecord) {
  QxImage picture = test::SamplePicture(40);
  CSealOperator op;
  SEAL_DATA_V6* r = Create(&op, &picture, 24, "QX-1", 0, 0);
  ASSERT_NE(nullptr, r);
  EXPECT_EQ(SEAL_ITEM_SEAL, r->head.wType);
  EXPECT_EQ(1u, r->head.dwParentID);
  EXPECT_GT(r->head.dwID, 1u);
  EXPECT_EQ(SEAL_KIND_OFFICIAL, r->wSealKind);
  EXPECT_EQ(seal::TodayDayNumber(), r->dwValidStart);
  EXPECT_EQ(12345u, r->dwValidEnd);
  EXPECT_EQ('a', r->bFree1);
  EXPECT_EQ('b', r->bFree2);
  EXPECT_EQ(0, r->bV7Version);
  EXPECT_EQ(24, r->bBitCount);
  EXPECT_STREQ("QX-1", r->cSealID);
  EXPECT_STREQ("NAME", r->cSealName);
  EXPECT_STREQ("T3", r->cText3);
  EXPECT_STREQ("MAKER", r->cMaker);
  EXPECT_EQ(77u, r->dwValue);
  // Display size 0 x 0 is the pixel size.
  EXPECT_EQ(40, r->wDispWidth);
  EXPECT_EQ(40, r->wDispHeight);
  EXPECT_EQ(40, r->wWidth);
  EXPECT_EQ(40, r->wHeight);
  EXPECT_EQ(296u + 40 * 120, r->head.dwLength);
  // The rows are the picture's, bottom-up.
  const Bytes area = PictureArea(r);
  EXPECT_EQ(0, std::memcmp(area.data(), picture.GetBits(0), 120));
  EXPECT_EQ(0, std::memcmp(area.data() + 39 * 120, picture.GetBits(39), 120));

  SEAL_DATA_V6* sized = Create(&op, &picture, 24, "QX-2", 100, 80);
  ASSERT_NE(nullptr, sized);
  EXPECT_EQ(100, sized->wDispWidth);
  EXPECT_EQ(80, sized->wDispHeight);
}

TEST(SealCreateTest, TextsAreCutTo63BytesAndNullIsEmpty) {
  QxImage picture = test::SamplePicture(16);
  CSealOperator op;
  const std::string long_text(100, 'x');
  SEAL_DATA_V6* r = op.CreateNewSeal(0x100, long_text.c_str(), nullptr, nullptr, nullptr, 0, 0, 0,
                                     24, &picture, false, false, 0, 0, 0);
  ASSERT_NE(nullptr, r);
  EXPECT_EQ(std::string(63, 'x'), r->cSealID);
  EXPECT_STREQ("", r->cSealName);
  EXPECT_STREQ("", r->cMaker);
}

TEST(SealCreateTest, DepthsOfStoredPictures) {
  // 1-bit black and white, bottom row black-white, top row white-black.
  const Bytes rows1 = {0x40, 0, 0, 0, 0x80, 0, 0, 0};
  const std::vector<RGBQUAD> bw = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  QxImage one_bit = test::PictureFromRows(2, 2, 1, rows1, bw);
  ASSERT_EQ(1u, one_bit.GetBpp());
  CSealOperator op;
  SEAL_DATA_V6* r = Create(&op, &one_bit, 1);
  ASSERT_NE(nullptr, r);
  EXPECT_EQ(8, r->bBitCount);
  EXPECT_EQ(296u + 768 + 2 * 4, r->head.dwLength);
  const Bytes area = PictureArea(r);
  EXPECT_EQ((Bytes{0, 0, 0, 255, 255, 255}), Bytes(area.begin(), area.begin() + 6));
  // Bottom row: black, white; top row: white, black (indices 0 and 1).
  EXPECT_EQ((Bytes{0, 1}), Bytes(area.begin() + 768, area.begin() + 770));
  EXPECT_EQ((Bytes{1, 0}), Bytes(area.begin() + 772, area.begin() + 774));

  // A 32-bit picture asked for 24 bits: 24-bit rows, no palette.
  QxImage deep(3, 2, 32);
  ASSERT_EQ(32u, deep.GetBpp());
  for (uint32_t y = 0; y < 2; ++y) std::memset(deep.GetBits(y), 0x55, deep.GetEffWidth());
  SEAL_DATA_V6* r24 = Create(&op, &deep, 24);
  ASSERT_NE(nullptr, r24);
  EXPECT_EQ(24, r24->bBitCount);
  EXPECT_EQ(296u + 2 * 12, r24->head.dwLength);

  // A 24-bit picture asked for 8 bits: reduced onto a palette.
  QxImage sample = test::SamplePicture(20);
  SEAL_DATA_V6* r8 = Create(&op, &sample, 8);
  ASSERT_NE(nullptr, r8);
  EXPECT_EQ(8, r8->bBitCount);
  EXPECT_EQ(296u + 768 + 20 * 20, r8->head.dwLength);
  const Bytes area8 = PictureArea(r8);
  EXPECT_EQ((Bytes{255, 255, 255}), Bytes(area8.begin() + 255 * 3, area8.begin() + 768));
  EXPECT_EQ(255, area8[768]);  // the white corner
}

TEST(SealCreateTest, PictureSizeLimits) {
  CSealOperator op;
  EXPECT_EQ(nullptr, Create(&op, nullptr, 24));
  QxImage empty;
  EXPECT_EQ(nullptr, Create(&op, &empty, 24));
  EXPECT_EQ(nullptr, op.GetContainer());
  QxImage too_wide(32768, 1, 24);
  ASSERT_EQ(32768u, too_wide.GetWidth());
  EXPECT_EQ(nullptr, Create(&op, &too_wide, 24));
  EXPECT_EQ(nullptr, op.GetContainer());
  QxImage widest(32767, 1, 24);
  SEAL_DATA_V6* r = Create(&op, &widest, 24);
  ASSERT_NE(nullptr, r);
  EXPECT_EQ(32767, r->wWidth);
}

TEST(SealCreateTest, TwoSealsOnOneObject) {
  QxImage picture = test::SamplePicture(16);
  CSealOperator op;
  SEAL_DATA_V6* a = Create(&op, &picture, 24, "A");
  ASSERT_NE(nullptr, a);
  const uint32_t id_a = a->head.dwID;
  SEAL_DATA_V6* b = Create(&op, &picture, 8, "B");
  ASSERT_NE(nullptr, b);
  EXPECT_NE(id_a, b->head.dwID);
  const SEAL_ENCDATA_HEADER_V6* c = op.GetContainer();
  EXPECT_EQ(3, c->wCount);
  EXPECT_TRUE(seal::CheckContainer(reinterpret_cast<const uint8_t*>(c), c->dwLength));
  EXPECT_STREQ("A", op.GetSealData(id_a, nullptr)->cSealID);
  EXPECT_EQ(b, op.GetSealData(0, op.GetSealData(id_a, nullptr)));
  EXPECT_EQ(SEAL_MAGIC_V6, op.GetFileHeader()->dwMagic);
  EXPECT_EQ(6, op.GetFileHeader()->wVersion);
}

// 24-bit rows of records of every depth.
TEST(SealBitmapTest, RowsOfEachDepth) {
  const std::array<uint8_t, 3> red = {0, 0, 255}, blue = {255, 0, 0};
  const Bytes rows24 = test::Rows24(3, 2, [&](uint32_t x, uint32_t y) {
    return (x + y) % 2 == 0 ? red : blue;
  });
  ASSERT_EQ(24u, rows24.size());
  // Palette entries are stored red, green, blue.
  Bytes pal2 = {255, 0, 0, 0, 0, 255};
  Bytes pal256 = pal2;
  pal256.resize(768, 0);

  struct Case {
    const char* name;
    uint8_t bits;
    Bytes picture;
  };
  const Case cases[] = {
      {"24 bits", 24, rows24},
      {"16 bits read as 24", 16, rows24},
      {"8 bits", 8, [&] {
         Bytes p = pal256;
         for (Bytes row : {Bytes{0, 1, 0, 0}, Bytes{1, 0, 1, 0}}) p.insert(p.end(), row.begin(), row.end());
         return p;
       }()},
      {"1 bit", 1, [&] {
         Bytes p = pal2;
         for (Bytes row : {Bytes{0x40, 0, 0, 0}, Bytes{0xA0, 0, 0, 0}}) p.insert(p.end(), row.begin(), row.end());
         return p;
       }()},
  };
  for (const Case& c : cases) {
    Bytes rec = test::Record(9, c.bits, 3, 2, c.picture);
    CSealOperator op;
    unsigned char* out =
        op.GetSealDIB24BitsFromSealData(reinterpret_cast<SEAL_DATA_V6*>(rec.data()), 0);
    ASSERT_NE(nullptr, out) << c.name;
    EXPECT_EQ(rows24, Bytes(out, out + 24)) << c.name;
    std::free(out);
  }
}

TEST(SealBitmapTest, RefusedRecords) {
  CSealOperator op;
  EXPECT_EQ(nullptr, op.GetSealDIB24BitsFromSealData(nullptr, 0));
  const Bytes rows = Bytes(24, 0x7F);
  const struct {
    const char* name;
    uint8_t bits;
    uint16_t w, h;
    size_t picture_len;
  } cases[] = {
      {"7 bits", 7, 3, 2, 24},
      {"0 bits", 0, 3, 2, 24},
      {"3 bits", 3, 3, 2, 24},
      {"rows past the record", 24, 3, 3, 24},
      {"palette past the record", 8, 1, 1, 100},
      {"width 0", 24, 0, 2, 24},
      {"height 0", 24, 3, 0, 24},
      {"huge size", 24, 65535, 65535, 24},
  };
  for (const auto& c : cases) {
    Bytes rec = test::Record(9, c.bits, c.w, c.h, Bytes(c.picture_len, 0x7F));
    EXPECT_EQ(nullptr, op.GetSealDIB24BitsFromSealData(reinterpret_cast<SEAL_DATA_V6*>(rec.data()), 0))
        << c.name;
  }
}

}  // namespace
}  // namespace oesqx

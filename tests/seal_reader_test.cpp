// G_ReadSealVer6 and G_ReadSealVer4: seal data straight to rows and texts.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/debuglog.h"
#include "seal/seal_operator.h"
#include "seal/seal_reader.h"
#include "seal_fixtures.h"

namespace oesqx {
namespace {

using test::Bytes;

struct Result {
  bool ok = false;
  Bytes rows;
  std::string id, name;
  int width = -1, height = -1, disp_h = -1;
  unsigned int disp_w = 0;
};

Result Ver6(const Bytes& data, const char* password = nullptr) {
  Result r;
  unsigned char* rows = nullptr;
  char id[64] = "unset", name[64] = "unset";
  r.ok = G_ReadSealVer6(data.data(), static_cast<int>(data.size()), &rows, id, name, &r.width,
                        &r.height, &r.disp_w, &r.disp_h, password);
  if (rows != nullptr) {
    r.rows.assign(rows, rows + image::DibStride(r.width, 24) * r.height);
    std::free(rows);
  }
  r.id = id;
  r.name = name;
  return r;
}

Result Ver4(const Bytes& data, const char* password = nullptr, const uint8_t* key = nullptr) {
  Result r;
  unsigned char* rows = nullptr;
  char id[64] = "unset", name[64] = "unset";
  r.ok = G_ReadSealVer4(data.data(), static_cast<int>(data.size()), &rows, id, name, &r.width,
                        &r.height, &r.disp_w, &r.disp_h, key != nullptr, key, password) == 1;
  if (rows != nullptr) {
    r.rows.assign(rows, rows + image::DibStride(r.width, 24) * r.height);
    std::free(rows);
  }
  r.id = id;
  r.name = name;
  return r;
}

class SealReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { dbg::ResetForTest(); }
  void TearDown() override { dbg::ResetForTest(); }
  std::string Log() const {
    const Bytes b = test::ReadFile(root_.path() + dbg::CurrentFileForTest());
    return std::string(b.begin(), b.end());
  }
  test::PathRoot root_;
};

TEST_F(SealReaderTest, Ver6ReadsAMadeSeal) {
  QxImage picture = test::SamplePicture(30);
  CSealOperator maker;
  // GB2312 of "公章" (official seal).
  const char gb_name[] = "\xB9\xAB\xD5\xC2";
  ASSERT_NE(nullptr, maker.CreateNewSeal(0x200, "QX-6", gb_name, nullptr, nullptr, 0, 60, 50, 24,
                                         &picture, false, false, 0, 0, 0));
  maker.SetPassword("pw6");
  unsigned char* file = nullptr;
  const int n = maker.SaveData(&file, 0);
  ASSERT_GT(n, 0);
  const Bytes data(file, file + n);
  std::free(file);

  const Result r = Ver6(data, "pw6");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ("QX-6", r.id);
  EXPECT_EQ("\xE5\x85\xAC\xE7\xAB\xA0", r.name);
  EXPECT_EQ(30, r.width);
  EXPECT_EQ(30, r.height);
  EXPECT_EQ(60u, r.disp_w);
  EXPECT_EQ(50, r.disp_h);
  ASSERT_EQ(30u * 92, r.rows.size());
  EXPECT_EQ(0, std::memcmp(r.rows.data(), picture.GetBits(0), 90));
  EXPECT_NE(std::string::npos, Log().find("str=V6 OK"));

  const Result no_pw = Ver6(data);
  EXPECT_FALSE(no_pw.ok);
  EXPECT_EQ("unset", no_pw.id);
  EXPECT_EQ(-1, no_pw.width);
  EXPECT_NE(std::string::npos, Log().find("str=V6 E2"));
}

TEST_F(SealReaderTest, Ver6EmptyIdentifierAndFailures) {
  const Bytes rec = test::Record(5, 24, 1, 1, Bytes{1, 2, 3, 0}, "", "N");
  const Result r = Ver6(test::WriteV6File(test::Container({rec}), 8));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ("SealID", r.id);
  EXPECT_EQ("N", r.name);
  EXPECT_EQ((Bytes{1, 2, 3, 0}), r.rows);

  // A container with no seal record.
  const Result none = Ver6(test::WriteV6File(test::Container({test::Item(5, 1, 91, 20)}), 8));
  EXPECT_FALSE(none.ok);
  EXPECT_NE(std::string::npos, Log().find("str=V6 E3"));
  EXPECT_FALSE(G_ReadSealVer6(nullptr, 10, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr));
  EXPECT_NE(std::string::npos, Log().find("str=V6 E1"));
}

// A 3 x 2 picture of 24-bit rows (two rows of 12 bytes; V4 picture blocks
// must exceed 16 bytes).
Bytes Rows3x2() {
  return test::Rows24(3, 2, [](uint32_t x, uint32_t y) {
    return std::array<uint8_t, 3>{static_cast<uint8_t>(x * 100), static_cast<uint8_t>(y * 100), 7};
  });
}

TEST_F(SealReaderTest, Ver4KeysAndTexts) {
  const uint8_t seal_key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  struct Case {
    const char* name;
    test::V4Spec spec;
    const char* password;
    const uint8_t* key;
  };
  test::V4Spec base;
  base.width = 3;
  base.picture = Rows3x2();
  Case cases[] = {
      {"key factor", base, nullptr, nullptr},
      {"key factor 200", base, nullptr, nullptr},
      {"version 5", base, nullptr, nullptr},
      {"password", base, "v4pw", nullptr},
      {"seal key", base, nullptr, seal_key},
  };
  cases[1].spec.factor = 200;
  cases[2].spec.version = 5;
  cases[3].spec.factor = 0;
  cases[3].spec.password = "v4pw";
  cases[4].spec.factor = 0;
  cases[4].spec.key = seal_key;
  for (const Case& c : cases) {
    const Result r = Ver4(test::WriteV4File(c.spec), c.password, c.key);
    ASSERT_TRUE(r.ok) << c.name;
    EXPECT_EQ("V4-ID", r.id) << c.name;
    EXPECT_EQ("V4-NAME", r.name) << c.name;
    EXPECT_EQ(3, r.width);
    EXPECT_EQ(2, r.height);
    EXPECT_EQ(40u, r.disp_w);
    EXPECT_EQ(30, r.disp_h);
    EXPECT_EQ(Rows3x2(), r.rows) << c.name;
  }
  EXPECT_NE(std::string::npos, Log().find("str=V4 InterPwd"));

  test::V4Spec empty_id = base;
  empty_id.texts[0] = "";
  empty_id.texts[1] = "";
  empty_id.texts[2] = "third";
  const Result r = Ver4(test::WriteV4File(empty_id));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ("0000-0000", r.id);
  EXPECT_EQ("", r.name);

  test::V4Spec long_id = base;
  long_id.texts[0] = std::string(80, 'L');
  EXPECT_EQ(std::string(63, 'L'), Ver4(test::WriteV4File(long_id)).id);
}

TEST_F(SealReaderTest, Ver4PictureDepths) {
  test::V4Spec sixteen;
  sixteen.bits = 16;  // rows read as 24-bit rows
  sixteen.width = 3;
  sixteen.picture = Rows3x2();
  EXPECT_EQ(Rows3x2(), Ver4(test::WriteV4File(sixteen)).rows);

  test::V4Spec palette;
  palette.bits = 1;
  palette.height = 3;
  palette.picture = {0, 0, 7, 100, 0, 7, 0x40, 0, 0, 0, 0x40, 0, 0, 0, 0x40, 0, 0, 0};
  const Bytes expect = test::Rows24(2, 3, [](uint32_t x, uint32_t) {
    return x == 0 ? std::array<uint8_t, 3>{7, 0, 0} : std::array<uint8_t, 3>{7, 0, 100};
  });
  EXPECT_EQ(expect, Ver4(test::WriteV4File(palette)).rows);
}

TEST_F(SealReaderTest, Ver4Failures) {
  test::V4Spec base;
  base.width = 3;
  base.picture = Rows3x2();
  const Bytes good = test::WriteV4File(base);

  Bytes bad_md5 = good;
  bad_md5[good.size() - 1] ^= 1;
  Bytes bad_magic = good;
  bad_magic[1] = 'X';
  Bytes version6 = good;
  test::PutU16(&version6, 24, 6);
  Bytes long_total = good;
  test::PutU32(&long_total, 4, static_cast<uint32_t>(good.size() + 1));
  test::V4Spec no_key = base;
  no_key.factor = 0;
  no_key.password = "x";
  test::V4Spec short_unpacked = base;
  short_unpacked.picture = Bytes(16, 0);
  test::V4Spec length_off = base;
  length_off.unpacked_delta = 1;
  test::V4Spec seven_bits = base;
  seven_bits.bits = 7;
  test::V4Spec rows_past = base;
  rows_past.height = 3;
  // Text lengths that reach past the stated length: no block is left.
  Bytes texts_past = good;
  texts_past[49] = 255;
  texts_past[50] = 255;
  test::Md5(texts_past.data() + 24, texts_past.size() - 24, texts_past.data() + 8);

  const struct {
    const char* name;
    Bytes file;
    const char* log;
  } cases[] = {
      {"53 bytes", Bytes(good.begin(), good.begin() + 53), "V4 E2"},
      {"bad magic", bad_magic, "V4 E2"},
      {"version 6", version6, "V4 E2"},
      {"stated length past the data", long_total, "V4 E2"},
      {"16 unpacked bytes", test::WriteV4File(short_unpacked), "V4 E3"},
      {"MD5 mismatch", bad_md5, "V4 E4"},
      {"no key, no password", test::WriteV4File(no_key), "V4 E5"},
      {"texts past the end", texts_past, "V4 E6"},
      {"unpacked length differs", test::WriteV4File(length_off), "V4 E9"},
      {"7 bits", test::WriteV4File(seven_bits), nullptr},
      {"rows past the picture", test::WriteV4File(rows_past), nullptr},
  };
  for (const auto& c : cases) {
    const Result r = Ver4(c.file);
    EXPECT_FALSE(r.ok) << c.name;
    EXPECT_EQ("unset", r.id) << c.name;
    EXPECT_EQ(-1, r.width) << c.name;
    if (c.log != nullptr) {
      EXPECT_NE(std::string::npos, Log().find(std::string("str=") + c.log)) << c.name;
    }
  }
  EXPECT_EQ(0, G_ReadSealVer4(nullptr, 100, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, false, nullptr, nullptr));
  EXPECT_NE(std::string::npos, Log().find("str=V4 E1"));
}

}  // namespace
}  // namespace oesqx

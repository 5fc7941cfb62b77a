// Web seal text form: splitting blocks, naming controls, decoding the
// fields of a block (with handwriting), and releasing controls.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <regex>
#include <string>
#include <vector>

#include "crypto/digest.h"
#include "test_support.h"
#include "webseal/pen_note.h"
#include "webseal/web_obj.h"
#include "webseal_writer.h"

namespace oesqx {
namespace {

using namespace test::webseal;



bool IsWSign(const std::string& name) { return std::regex_match(name, std::regex("WSign[0-9]{1,5}")) && std::stoi(name.substr(5)) <= 65535; }

// The single control of a one-block text, decoded.
struct OneBlock {
  Set set;
  WEB_CTRL_INFO* c = nullptr;
  int rc = 0;
  explicit OneBlock(const std::string& text, const char* form = nullptr) {
    if (DecodeSimpleData(text.c_str(), &set.obj) == 1) {
      c = set.At(0);
      rc = SubLoadWebSeal(c, set.obj.m_cSealPwd, form);
    }
  }
};

TEST(WebSealText, SplitsBlocksAndNamesThem) {
  TextBlock first;
  first.seal_name = "Finance";
  first.seal_position = "sig1";
  TextBlock second;  // no name
  second.seal_position = "sig2";
  std::string s2 = TextBlockString(second);
  s2.replace(s2.find("seal_name:;"), 11, "");
  TextBlock dup;
  dup.seal_name = "Finance";
  const std::string text = TextBlockString(first) + "<br/>junk" + s2 + "\n" + TextBlockString(dup);
  Set set;
  ASSERT_EQ(DecodeSimpleData(text.c_str(), &set.obj), 3);
  const std::vector<std::string> names = set.Names();
  EXPECT_EQ(names[0], "Finance");
  EXPECT_TRUE(IsWSign(names[1])) << names[1];
  EXPECT_TRUE(IsWSign(names[2])) << names[2];
  EXPECT_NE(names[1], names[2]);
  EXPECT_STREQ(set.At(0)->m_cName2, "Finance");
  EXPECT_STREQ(set.At(0)->m_cPosition, "sig1");
  EXPECT_STREQ(set.At(1)->m_cPosition, "sig2");
  // Raw data: the block up to the ";" before "::WebSignDataEnd", terminated.
  const std::string block = TextBlockString(first);
  const std::string expect_raw = block.substr(0, block.find("::WebSignDataEnd"));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(set.At(0)->m_pRawData), set.At(0)->m_nRawLen), expect_raw);
  EXPECT_EQ(set.At(0)->m_pRawData[set.At(0)->m_nRawLen], 0);
  // Adding more blocks keeps the earlier controls.
  EXPECT_EQ(DecodeSimpleData(TextBlockString(first).c_str(), &set.obj), 4);
  EXPECT_TRUE(IsWSign(set.Names()[3]));
}

TEST(WebSealText, BlockEdges) {
  TextBlock b;
  b.seal_name = "A";
  const std::string one = TextBlockString(b);
  const std::string unended = one.substr(0, one.find(";::WebSignDataEnd"));
  TextBlock long_fields;
  long_fields.seal_name = std::string(64, 'n');
  long_fields.seal_position = std::string(64, 'p');
  TextBlock empty_name;
  struct Case {
    const char* what;
    std::string text;
    int count;
  };
  const std::vector<Case> cases = {
      {"no end marker", unended, 0},
      {"second block without end marker", one + unended, 1},
      {"text after the last block", one + "WebSignData", 1},
      {"empty text", "", 0},
  };
  for (const Case& c : cases) {
    Set set;
    EXPECT_EQ(DecodeSimpleData(c.text.c_str(), &set.obj), c.count) << c.what;
  }
  Set set;
  ASSERT_EQ(DecodeSimpleData((TextBlockString(long_fields) + TextBlockString(empty_name)).c_str(), &set.obj), 2);
  EXPECT_TRUE(IsWSign(set.At(0)->m_cName));
  EXPECT_STREQ(set.At(0)->m_cPosition, "");
  EXPECT_TRUE(IsWSign(set.At(1)->m_cName));
  EXPECT_EQ(DecodeSimpleData(nullptr, &set.obj), 2);
  EXPECT_EQ(DecodeSimpleData(one.c_str(), nullptr), 0);
}

TEST(WebSealNames, ProposalsAreCutAndMadeUnique) {
  Set set;
  char name[64], name2[64];
  const std::string sixty(60, 'x');
  EXPECT_EQ(GenerateSealName(&set.obj, sixty.c_str(), name, name2, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(std::string(name), std::string(51, 'x'));
  EXPECT_STREQ(name2, name);

  GenerateSealName(&set.obj, nullptr, name, name2, nullptr, nullptr, nullptr);
  EXPECT_TRUE(IsWSign(name)) << name;
  GenerateSealName(&set.obj, "", name, name2, nullptr, nullptr, nullptr);
  EXPECT_TRUE(IsWSign(name)) << name;

  // A taken name gets a number after the cut proposal; a taken second name
  // gets a number after the name.
  WEB_CTRL_INFO* a = new WEB_CTRL_INFO();
  std::strcpy(a->m_cName, "Seal");
  std::strcpy(a->m_cName2, "Other");
  WEB_CTRL_INFO* b = new WEB_CTRL_INFO();
  std::strcpy(b->m_cName, "Unused");
  std::strcpy(b->m_cName2, "Fresh");
  set.obj.m_lstCtrl.AddTail(a);
  set.obj.m_lstCtrl.AddTail(b);
  GenerateSealName(&set.obj, "Seal", name, name2, nullptr, nullptr, nullptr);
  EXPECT_TRUE(std::regex_match(name, std::regex("Seal[0-9]{1,5}"))) << name;
  EXPECT_STREQ(name2, name);
  GenerateSealName(&set.obj, "Fresh", name, name2, nullptr, nullptr, nullptr);
  EXPECT_STREQ(name, "Fresh");
  EXPECT_TRUE(std::regex_match(name2, std::regex("Fresh[0-9]{1,5}"))) << name2;
}

TEST(WebSealNames, EndsWhenEveryNumberIsTaken) {
  Set set;
  for (int i = 0; i < 65536; ++i) {
    WEB_CTRL_INFO* c = new WEB_CTRL_INFO();
    std::snprintf(c->m_cName, 64, "WSign%d", i);
    std::snprintf(c->m_cName2, 64, "WSign%d", i);
    set.obj.m_lstCtrl.AddTail(c);
  }
  WEB_CTRL_INFO* w = new WEB_CTRL_INFO();
  std::strcpy(w->m_cName, "WSign");
  set.obj.m_lstCtrl.AddTail(w);
  char name[64], name2[64];
  GenerateSealName(&set.obj, nullptr, name, name2, nullptr, nullptr, nullptr);
  EXPECT_TRUE(std::regex_match(name, std::regex("WSign[0-9]{5,}"))) << name;
  EXPECT_GT(std::stol(std::string(name).substr(5)), 65535);
}

TEST(WebSealText, DecodesEveryField) {
  const Bytes digest = test::Unhex("00112233445566778899AABBCCDDEEFF01234567");
  TextBlock b;
  b.x = 120;
  b.y = -7;
  b.user_id = "\xE6\x9D\x8E";  // UTF-8, kept as it is
  b.form_digest = digest;
  b.signature = test::ToBytes("signature-bytes");
  b.sign_mode = 2;
  b.certificate = test::ToBytes("certificate-der");
  b.seal_data = MakeV4Seal(8, 8, "ID", "N", 3);
  b.seal_time = "20230405061728";
  b.seal_name = "Named";
  b.seal_position = "pos";
  b.extra = "UnicodeMode:1;seal_pwd:" + Base64(test::ToBytes("secret")) + ";";
  OneBlock one(TextBlockString(b));
  ASSERT_EQ(one.rc, 1);
  WEB_CTRL_INFO* c = one.c;
  EXPECT_EQ(c->m_blKind, 1);
  EXPECT_EQ(c->m_blHandwriting, 0);
  EXPECT_EQ(c->m_nX, 120);
  EXPECT_EQ(c->m_nY, -7);
  EXPECT_STREQ(c->m_cUserId, "\xE6\x9D\x8E");
  EXPECT_EQ(Copy(c->m_bFormDigest, 20), digest);
  EXPECT_EQ(c->m_blDigestApplies, 1);
  EXPECT_EQ(Copy(c->m_pSign, c->m_nSignLen), b.signature);
  EXPECT_EQ(c->m_nSignMode, 2);
  EXPECT_EQ(Copy(c->m_pCert, c->m_nCertLen), b.certificate);
  EXPECT_EQ(Copy(c->m_pSealData, c->m_nSealLen), b.seal_data);
  EXPECT_EQ(c->m_blUnicode, 1);
  EXPECT_EQ(c->m_nScale, 100);
  EXPECT_STREQ(one.set.obj.m_cSealPwd, "secret");
  std::tm tm{};
  tm.tm_year = 123;
  tm.tm_mon = 3;
  tm.tm_mday = 5;
  tm.tm_hour = 6;
  tm.tm_min = 17;
  tm.tm_sec = 28;
  tm.tm_isdst = -1;
  EXPECT_EQ(c->m_nSealTime, static_cast<uint32_t>(std::mktime(&tm)));
  EXPECT_EQ(c->m_nSecondTime, c->m_nSealTime);

  // Decoded once: changing the raw data and decoding again changes nothing.
  c->m_pRawData[std::string(reinterpret_cast<char*>(c->m_pRawData)).find("seal_x:") + 7] = '9';
  EXPECT_EQ(SubLoadWebSeal(c, one.set.obj.m_cSealPwd, nullptr), 1);
  EXPECT_EQ(c->m_nX, 120);
}

TEST(WebSealText, FieldsThatAreIgnored) {
  TextBlock b;
  b.seal_name = "n";
  b.user_id = "\xD5\xC5";  // GB2312: converted
  b.seal_time = "2023040506172";  // 13 digits
  b.extra = "seal_pwd:" + Base64(test::ToBytes("unused")) + ";";  // no seal data
  std::string text = TextBlockString(b);
  // A form digest of 27 characters is not taken, so no check is made.
  const size_t at = text.find("oriData_sha1:") + 13;
  text.erase(at + 27, 1);
  OneBlock one(text, Base64(test::ToBytes("anything")).c_str());
  ASSERT_EQ(one.rc, 1);
  EXPECT_EQ(one.c->m_blDigestApplies, 0);
  EXPECT_EQ(one.c->m_blVerified, 1);
  EXPECT_EQ(one.c->m_nSealTime, 0u);
  EXPECT_STREQ(one.c->m_cUserId, "\xE5\xBC\xA0");
  EXPECT_STREQ(one.set.obj.m_cSealPwd, "");
  EXPECT_EQ(one.c->m_pSealData, nullptr);

  // Letter case of the begin marker does not matter.
  std::string lower = TextBlockString(b);
  lower.replace(0, 18, "websigndatabegin::");
  Set set;
  ASSERT_EQ(DecodeSimpleData(lower.c_str(), &set.obj), 1);
  EXPECT_EQ(SubLoadWebSeal(set.At(0), nullptr, nullptr), 1);
  EXPECT_EQ(set.At(0)->m_blKind, 1);
}

TEST(WebSealText, FormDigestCheck) {
  const Bytes form = test::ToBytes("field=1");
  Bytes digest(20);
  GenerateSHA(digest.data(), form.data(), static_cast<unsigned>(form.size()));
  TextBlock b;
  b.form_digest = digest;
  const std::string text = TextBlockString(b);
  EXPECT_EQ(OneBlock(text, Base64(form).c_str()).c->m_blVerified, 1);
  EXPECT_EQ(OneBlock(text, Base64(test::ToBytes("field=2")).c_str()).c->m_blVerified, 0);
  EXPECT_EQ(OneBlock(text).c->m_blVerified, 1);
}

TEST(WebSealText, Handwriting) {
  const Bytes strokes = StrokeBytes(0, 0, 120, 80, {{0x0000FF, {{3, 10, 10}, {3, 100, 70}}}});
  const Bytes no_strokes = StrokeBytes(0, 0, 120, 80, {});
  struct Case {
    const char* what;
    std::string hw;
    int rc;
    int handwriting;
    int width, height;
  };
  const std::vector<Case> cases = {
      {"strokes", "120,80," + Base64(strokes), 1, 1, 120, 80},
      {"empty strokes part", "120,80,", 1, 0, 120, 80},
      {"sizes only", "120,80", 1, 0, 120, 80},
      {"zero width", "0,80," + Base64(strokes), -100, 1, 0, 80},
      {"absurd canvas", "100000,80," + Base64(strokes), -100, 1, 100000, 80},
      {"negative height", "120,-5," + Base64(strokes), -100, 1, 120, -5},
      {"stroke data without strokes", "120,80," + Base64(no_strokes), -100, 1, 120, 80},
      {"stroke data cut", "120,80," + Base64(Bytes(strokes.begin(), strokes.end() - 2)), -100, 1, 120, 80},
  };
  for (const Case& c : cases) {
    TextBlock b;
    b.extra = "hw_data:" + c.hw + ";";
    b.form_digest = Bytes(20, 0x77);
    OneBlock one(TextBlockString(b), Base64(test::ToBytes("unrelated")).c_str());
    EXPECT_EQ(one.rc, c.rc) << c.what;
    EXPECT_EQ(one.c->m_blHandwriting, c.handwriting) << c.what;
    EXPECT_EQ(one.c->m_blHasStrokes, c.handwriting) << c.what;
    EXPECT_EQ(one.c->m_nPicWidth, c.width) << c.what;
    EXPECT_EQ(one.c->m_nPicHeight, c.height) << c.what;
    EXPECT_EQ(one.c->m_pPenNote != nullptr, c.rc == 1 && c.handwriting == 1) << c.what;
    if (c.rc == 1 && c.handwriting == 0) {
      EXPECT_EQ(one.c->m_blVerified, 0) << c.what;
    }
    if (c.rc == 1 && c.handwriting == 1) {
      EXPECT_EQ(one.c->m_pPenNote->Strokes().GetCount(), 1);
      EXPECT_EQ(one.c->m_blVerified, 1) << "strokes are not checked against the form";
    }
  }
  // Seal data wins over handwriting.
  TextBlock both;
  both.seal_data = test::ToBytes("seal");
  both.extra = "hw_data:120,80," + Base64(strokes) + ";";
  OneBlock one(TextBlockString(both));
  EXPECT_EQ(one.rc, 1);
  EXPECT_EQ(one.c->m_pPenNote, nullptr);
  EXPECT_EQ(one.c->m_nPicWidth, 0);
}

TEST(WebSealFree, AllOrOneByPosition) {
  TextBlock b;
  std::string text;
  for (const char* n : {"a", "b", "c"}) {
    b.seal_name = n;
    text += TextBlockString(b);
  }
  Set set;
  ASSERT_EQ(DecodeSimpleData(text.c_str(), &set.obj), 3);
  std::strcpy(set.obj.m_cSealPwd, "pw");
  EXPECT_EQ(FreeWebSealObj(&set.obj, 2), &set.obj);
  EXPECT_EQ(set.Names(), (std::vector<std::string>{"a", "c"}));
  EXPECT_STREQ(set.obj.m_cSealPwd, "");
  FreeWebSealObj(&set.obj, 5);
  FreeWebSealObj(&set.obj, -1);
  EXPECT_EQ(set.Count(), 2);
  ASSERT_EQ(SubLoadWebSeal(set.At(0), nullptr, nullptr), 1);
  FreeWebSealObj(&set.obj, 0);
  EXPECT_EQ(set.Count(), 0);
  EXPECT_EQ(FreeWebSealObj(nullptr, 0), nullptr);
}

}  // namespace
}  // namespace oesqx

// Standard seals built by an independent encoder (openssl asn1parse
// -genconf), read, written back and loaded through CSealOperator.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/debuglog.h"
#include "common/paths.h"
#include "common/settings.h"
#include "dialogs/dialogs.h"
#include "pki/pki_support.h"
#include "seal/day_number.h"
#include "seal/seal_operator.h"
#include "seal/seal_reader.h"
#include "seal/v7_record.h"
#include "seal/v7_seal.h"
#include "test_support.h"

namespace oesqx::test {
namespace {

enum class Layout { kVersion3, kSequencePart, kDirect };

// The fields of a seal as the genconf text writes them.
struct Spec {
  int version = 4;
  Layout layout = Layout::kDirect;
  std::string vendor = "QXVENDOR";
  std::string esid = "11010800000001";
  int type = 2;
  std::string name = "测试专用章";
  int list_type = 1;  // version 4: 1 certificates, 2 digests, 0 no list type
  std::vector<Bytes> certs;
  std::string date_tag = "GENTIME";
  std::string created = "20300101000000Z", from = "20240101000000Z", until = "20341231235959Z";
  std::string pic_type = "BMP";
  Bytes picture;
  int width = 40, height = 30;
  std::string ext;  // genconf line of an extension element, if any
  Bytes maker;
  std::string algo = "1.2.156.10197.1.501";
  bool with_signature = true;
  Bytes signature = Bytes(64, 0x11);
};

std::string HexOf(const Bytes& b) { return b.empty() ? "" : Hex(b); }

std::string Octets(const Bytes& b) { return "FORMAT:HEX,OCTETSTRING:" + HexOf(b); }

// genconf text; `root` "seal" for the whole seal, "info" for the seal
// information alone.
std::string Genconf(const Spec& s, const std::string& root) {
  std::string t = "asn1=SEQUENCE:" + root + "\n";
  t += "[seal]\ninfo=SEQUENCE:info\n";
  const std::string maker = "cert=" + Octets(s.maker) + "\nalgo=OID:" + s.algo + "\n";
  const std::string sig = s.with_signature ? "sig=FORMAT:HEX,BITSTRING:" + HexOf(s.signature) + "\n" : "";
  if (s.layout == Layout::kVersion3) t += sig;
  if (s.layout == Layout::kSequencePart) t += "part=SEQUENCE:part\n";
  if (s.layout == Layout::kDirect) t += maker + sig;
  t += "[part]\n" + maker + sig;
  t += "[info]\nheader=SEQUENCE:header\nesid=IA5STRING:" + s.esid + "\nprops=SEQUENCE:props\n";
  t += "pic=SEQUENCE:pic\n";
  if (s.layout == Layout::kVersion3) t += maker;
  if (!s.ext.empty()) t += "ext=" + s.ext + "\n";
  t += "[header]\nid=IA5STRING:ES\nver=INTEGER:" + std::to_string(s.version) + "\nvid=IA5STRING:" + s.vendor + "\n";
  t += "[props]\ntype=INTEGER:" + std::to_string(s.type) + "\nname=FORMAT:UTF8,UTF8String:" + s.name + "\n";
  if (s.version == 4 && s.list_type != 0) t += "ltype=INTEGER:" + std::to_string(s.list_type) + "\n";
  t += "certs=SEQUENCE:certs\n";
  t += "d1=" + s.date_tag + ":" + s.created + "\nd2=" + s.date_tag + ":" + s.from + "\nd3=" + s.date_tag + ":" + s.until + "\n";
  t += "[certs]\n";
  for (size_t i = 0; i < s.certs.size(); ++i) t += "c" + std::to_string(i) + "=" + Octets(s.certs[i]) + "\n";
  t += "[pic]\ntype=IA5STRING:" + s.pic_type + "\ndata=" + Octets(s.picture) + "\n";
  t += "w=INTEGER:" + std::to_string(s.width) + "\nh=INTEGER:" + std::to_string(s.height) + "\n";
  return t;
}

Bytes Encode(const std::string& conf) {
  TempDir dir;
  WriteFile(dir.File("seal.cnf"), conf);
  const std::string cmd = "openssl asn1parse -genconf '" + dir.File("seal.cnf") + "' -noout -out '" +
                          dir.File("seal.der") + "' >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) throw std::runtime_error("genconf failed:\n" + conf);
  return ReadFile(dir.File("seal.der"));
}

// A 1-bit bottom-up BMP of 8 x 4 pixels: left half index 0, right half 1.
Bytes OneBitBmp(uint8_t r0, uint8_t g0, uint8_t b0, uint8_t r1, uint8_t g1, uint8_t b1) {
  Bytes b;
  auto u16 = [&](uint16_t v) { b.push_back(v & 0xFF); b.push_back(v >> 8); };
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF); };
  const uint32_t data_off = 14 + 40 + 8, size = data_off + 4 * 4;
  b.push_back('B'); b.push_back('M'); u32(size); u32(0); u32(data_off);
  u32(40); u32(8); u32(4); u16(1); u16(1); u32(0); u32(16); u32(2835); u32(2835); u32(2); u32(0);
  for (uint8_t v : {b0, g0, r0, uint8_t{0}, b1, g1, r1, uint8_t{0}}) b.push_back(v);
  for (int row = 0; row < 4; ++row) u32(0x0F);  // bits 0000 1111 in the first byte
  return b;
}

Bytes DefaultPicture() { return OneBitBmp(255, 255, 255, 0, 0, 0); }

// A signed seal: the signed part encoded alone and signed by the SM2 leaf of
// the test PKI with the OpenSSL command line.
Bytes SignedSeal(Spec s) {
  s.maker = pki::PkiFile("sm2_leaf.der");
  TempDir dir;
  const Bytes info = Encode(Genconf(s, "info"));
  WriteFile(dir.File("info.der"), info);
  const std::string cmd = "openssl dgst -sm3 -sign '" + pki::PkiDir() + "/sm2_leaf.key' -sigopt distid:1234567812345678 -out '" +
                          dir.File("sig") + "' '" + dir.File("info.der") + "'";
  if (std::system(cmd.c_str()) != 0) throw std::runtime_error("sign failed");
  s.signature = ReadFile(dir.File("sig"));
  return Encode(Genconf(s, "seal"));
}

struct Loaded {
  int result = 0;
  int length = 0;
  std::unique_ptr<SES_SEAL_S> seal = std::make_unique<SES_SEAL_S>();
};

Loaded Load(Bytes der, int available = -1) {
  Loaded l;
  l.length = available < 0 ? static_cast<int>(der.size()) : available;
  l.result = LoadV7SealData(der.data(), l.length, l.seal.get());
  return l;
}

Bytes Save(SES_SEAL_S* seal, bool whole) {
  unsigned char* out = nullptr;
  const int len = SaveV7SealData(&out, seal, whole);
  Bytes b(out, out + (len > 0 ? len : 0));
  std::free(out);
  return b;
}

Spec Base() {
  Spec s;
  s.picture = DefaultPicture();
  s.certs = {pki::PkiFile("rsa_leaf.der"), pki::PkiFile("sm2_leaf.der")};
  s.maker = pki::PkiFile("sm2_leaf.der");
  return s;
}

TEST(V7Load, EachLayoutLoadsAndWritesBack) {
  Spec direct = Base();  // GB/T 38540: the signature part in the seal itself
  Spec seq = Base();     // version 4 with the certificate list, signature part a SEQUENCE
  seq.layout = Layout::kSequencePart;
  Spec v3 = Base();
  v3.version = 3;
  v3.layout = Layout::kVersion3;
  for (const Spec* s : {&direct, &seq, &v3}) {
    const Bytes der = Encode(Genconf(*s, "seal"));
    Loaded l = Load(der);
    ASSERT_NE(l.result, 0) << s->version;
    EXPECT_EQ(l.length, static_cast<int>(der.size()));
    EXPECT_EQ(l.result, 2);  // GeneralizedTime dates
    const SES_SEAL_S& seal = *l.seal;
    EXPECT_STREQ(seal.cHeaderID, "ES");
    EXPECT_EQ(seal.nVersion, s->version);
    EXPECT_STREQ(seal.cVID, "QXVENDOR");
    EXPECT_STREQ(seal.cEsID, "11010800000001");
    EXPECT_EQ(seal.nSealType, 2);
    EXPECT_STREQ(seal.cSealName, "测试专用章");
    EXPECT_EQ(seal.oCertList.GetCount(), s->version == 3 ? 0 : 2);  // version 3 keeps the list unread
    EXPECT_STREQ(seal.cCreateDate, "20300101000000Z");
    EXPECT_STREQ(seal.cValidEnd, "20341231235959Z");
    EXPECT_STREQ(seal.cPicType, "BMP");
    EXPECT_EQ(Bytes(seal.bPicData, seal.bPicData + seal.nPicDataLen), s->picture);
    EXPECT_EQ(seal.nPicWidth, 40);
    EXPECT_EQ(seal.nPicHeight, 30);
    EXPECT_EQ(Bytes(seal.bMakerCert, seal.bMakerCert + seal.nMakerCertLen), s->maker);
    EXPECT_STREQ(seal.cAlgo, "1.2.156.10197.1.501");
    EXPECT_EQ(Bytes(seal.bSign, seal.bSign + seal.nSignLen), s->signature);

    // Written back: version 3 and the direct layout as they were; the
    // SEQUENCE signature part of version 4 is written in the direct layout.
    const Bytes whole = Save(l.seal.get(), true);
    Spec expected = *s;
    if (expected.layout == Layout::kSequencePart) expected.layout = Layout::kDirect;
    EXPECT_EQ(Hex(whole), Hex(Encode(Genconf(expected, "seal")))) << s->version;
    EXPECT_EQ(Hex(Save(l.seal.get(), false)), Hex(Encode(Genconf(*s, "info"))));
  }
}

TEST(V7Load, WritingFollowsTheVersion) {
  Spec s = Base();
  s.layout = Layout::kSequencePart;
  s.date_tag = "UTCTIME";
  s.created = "240101000000Z";
  s.from = "240101000000Z";
  s.until = "341231235959Z";
  s.width = 200;  // written in one byte, C8
  Loaded l = Load(Encode(Genconf(s, "seal")));
  ASSERT_EQ(l.result, 1);
  const Bytes whole = Save(l.seal.get(), true);
  // Version 4 writes GeneralizedTime tags whatever was read.
  const std::string hex = Hex(whole);
  EXPECT_NE(hex.find("180D" + Hex(ToBytes("240101000000Z"))), std::string::npos);
  EXPECT_EQ(hex.find("170D" + Hex(ToBytes("240101000000Z"))), std::string::npos);
  EXPECT_NE(hex.find("0201C8"), std::string::npos);
  EXPECT_EQ(hex.find("020200C8"), std::string::npos);

  // Version 2: UTCTime tags, and the signature part as a SEQUENCE. Without
  // a kept encoded list, the list is written from the certificates.
  l.seal->nVersion = 2;
  std::free(l.seal->pCertListData);
  l.seal->pCertListData = nullptr;
  l.seal->nCertListDataLen = 0;
  Spec v2 = s;
  v2.version = 2;
  v2.layout = Layout::kSequencePart;
  v2.width = 100;
  l.seal->nPicWidth = 100;
  EXPECT_EQ(Hex(Save(l.seal.get(), true)), Hex(Encode(Genconf(v2, "seal"))));
  // Its signed part: SEQUENCE { seal information, certificate, algorithm }.
  const Bytes info = Encode(Genconf(v2, "info"));
  const Bytes signed_part = Save(l.seal.get(), false);
  ASSERT_GT(signed_part.size(), info.size());
  EXPECT_EQ(signed_part[0], 0x30);
  EXPECT_NE(Hex(signed_part).find(Hex(info)), std::string::npos);
}

TEST(V7Load, FieldLimits) {
  Spec s = Base();
  s.vendor = std::string(64, 'V');
  s.esid = std::string(63, 'E');
  s.pic_type = "SIXTEEN-CHARS-XX";
  Loaded l = Load(Encode(Genconf(s, "seal")));
  ASSERT_NE(l.result, 0);
  EXPECT_EQ(std::string(l.seal->cVID), std::string(62, 'V'));
  EXPECT_EQ(std::string(l.seal->cEsID), std::string(63, 'E'));
  EXPECT_STREQ(l.seal->cPicType, "");  // longer than 15: not kept

  // A certificate of the list longer than a certificate field is skipped.
  s = Base();
  s.certs = {Bytes(16385, 1), Bytes(100, 2)};
  l = Load(Encode(Genconf(s, "seal")));
  ASSERT_NE(l.result, 0);
  ASSERT_EQ(l.seal->oCertList.GetCount(), 1);
  EXPECT_EQ(l.seal->oCertList.GetHead()->nLen, 100);

  // List type 2: the digests are kept, not read.
  s = Base();
  s.list_type = 2;
  l = Load(Encode(Genconf(s, "seal")));
  ASSERT_NE(l.result, 0);
  EXPECT_EQ(l.seal->oCertList.GetCount(), 0);
  EXPECT_EQ(Hex(Save(l.seal.get(), true)), Hex(Encode(Genconf(s, "seal"))));
}

TEST(V7Load, MissingSignatureValueTakesTheRest) {
  Spec s = Base();
  s.with_signature = false;
  Bytes der = Encode(Genconf(s, "seal"));
  der.insert(der.end(), {0, 0, 0});
  Loaded l = Load(der);
  EXPECT_EQ(l.result, 2);
  EXPECT_EQ(l.seal->nSignLen, 0);
  EXPECT_EQ(l.length, static_cast<int>(der.size()));
}

class V7LogTest : public ::testing::Test {
 protected:
  std::string Log() {
    const std::string file = dbg::CurrentFileForTest();
    if (file.empty()) return {};
    const Bytes b = ReadFile(paths::Resolve(file.c_str()));
    return std::string(b.begin(), b.end());
  }
  PathRoot root_;
};

// Each malformed seal is refused with the line that names its check.
TEST_F(V7LogTest, MalformedSealsNameTheirCheck) {
  const Bytes good = Encode(Genconf(Base(), "seal"));
  auto at = [&](const Bytes& needle) {
    const std::string h = Hex(good), n = Hex(needle);
    const size_t pos = h.find(n);
    if (pos == std::string::npos) throw std::runtime_error("needle not found");
    return pos / 2;
  };
  auto patched = [&](const Bytes& needle, const Bytes& with) {
    Bytes b = good;
    std::copy(with.begin(), with.end(), b.begin() + at(needle));
    return b;
  };
  Spec short_pic = Base();
  short_pic.picture = Bytes(16, 7);
  Spec pic17 = Base();
  pic17.picture = Bytes(17, 7);
  Spec bad_ext = Base();
  bad_ext.ext = "INTEGER:5";
  Spec big_name = Base();
  big_name.name = std::string(256, 'n');

  struct Case {
    const char* name;
    Bytes der;
    int available;
    const char* line;  // null: accepted
  } cases[] = {
      {"more than available", good, static_cast<int>(good.size()) - 1, "V7 E1"},
      {"identifier not ES", patched(ToBytes("\x16\x02" "ES"), ToBytes("\x16\x02" "EX")), -1, "V7 E5"},
      {"identifier not IA5String", patched(ToBytes("\x16\x02" "ES"), {0x13}), -1, "V7 E4"},
      {"seal name too long", Encode(Genconf(big_name, "seal")), -1, "V7 E15"},
      {"picture of 16 bytes", Encode(Genconf(short_pic, "seal")), -1, "V7 E31"},
      {"picture of 17 bytes", Encode(Genconf(pic17, "seal")), -1, nullptr},
      {"extension with another tag", Encode(Genconf(bad_ext, "seal")), -1, "V7 E35"},
      {"seal type not INTEGER", patched(Bytes{0x02, 0x01, 0x02, 0x0C}, {0x04}), -1, "V7 E13"},
      {"trailing byte in the seal", [&] { Bytes b = good; b.push_back(0); return b; }(), -1, nullptr},
  };
  for (const Case& c : cases) {
    dbg::ResetForTest();
    Loaded l = Load(c.der, c.available);
    if (c.line == nullptr) {
      EXPECT_NE(l.result, 0) << c.name;
    } else {
      EXPECT_EQ(l.result, 0) << c.name;
      EXPECT_NE(Log().find(std::string("str=") + c.line + "\r\n"), std::string::npos) << c.name << "\n" << Log();
    }
  }
  // Every truncation of a seal is refused, never read past its end.
  for (size_t len = 0; len < good.size(); len += 7) {
    Bytes cut(good.begin(), good.begin() + len);
    EXPECT_EQ(Load(cut).result, 0) << len;
  }
}

TEST(V7Oid, TextAndBytes) {
  const Bytes sm2 = Unhex("2A811CCF55018375");
  char text[40];
  Bytes data = sm2;
  EXPECT_TRUE(ConvertAlgoDataToStr(data.data(), static_cast<int>(data.size()), text));
  EXPECT_STREQ(text, "1.2.156.10197.1.501");
  unsigned char out[32];
  unsigned char* at = out;
  EXPECT_TRUE(ConvertAlgoStrToData("1.2.156.10197.1.501", at));
  EXPECT_EQ(Bytes(out, at), sm2);
  at = out;
  EXPECT_FALSE(ConvertAlgoStrToData("12345", at));
  EXPECT_EQ(at, out);

  struct Case {
    const char* hex;
    const char* text;
  } cases[] = {
      {"", "0.0"},
      {"2A", "1.2"},
      {"2A8648", "1.2.840"},
      {"2A86", "1.2"},  // ends inside a subidentifier
      {"2A864886F70D", "1.2.840.113549"},
      // 20 one-byte subidentifiers: the text stops at 39 characters.
      {"7F7F7F7F7F7F7F7F7F7F7F7F7F7F7F7F7F7F7F7F", "3.7.127.127.127.127.127.127.127.127.127"},
      {"7F7F7F7F7F7F7F7F7F017F7F7F7F7F7F7F7F7F7F", "3.7.127.127.127.127.127.127.127.127.1"},
  };
  for (const Case& c : cases) {
    Bytes b = Unhex(c.hex);
    char t[40];
    std::memset(t, 'x', sizeof(t));
    ConvertAlgoDataToStr(b.data(), static_cast<int>(b.size()), t);
    EXPECT_STREQ(t, c.text) << c.hex;
  }
}

TEST(V7Record, Dates) {
  struct Case {
    const char* text;
    bool from;
    long expected;  // -1: today
  } cases[] = {
      {"200101000000Z", true, seal::DayNumber(2020, 1, 1)},
      {"20200101000000Z", true, seal::DayNumber(2020, 1, 1)},
      {"991231000000Z", true, -1},     // short form of 1999
      {"", true, -1},
      {"2020-01-01", true, -1},
      {"20341231235959Z", false, seal::DayNumber(2034, 12, 31)},
      {"341231235959", false, seal::DayNumber(2034, 12, 31)},
      {"", false, 0},
      {"junk", false, 0},
      {"19991231000000Z", false, 1},   // before any day number: ended
  };
  for (const Case& c : cases) {
    const long want = c.expected == -1 ? static_cast<long>(seal::TodayDayNumber()) : c.expected;
    const unsigned got = c.from ? v7::ValidFromDay(c.text) : v7::ValidUntilDay(c.text);
    EXPECT_EQ(static_cast<long>(got), want) << c.text;
  }
}

int g_boxes = 0;
std::string g_last_box;
int RecordBox(int /*kind*/, const char* text) {
  ++g_boxes;
  g_last_box = text;
  return 0;
}

class SealOperatorV7 : public ::testing::Test {
 protected:
  void SetUp() override {
    g_blHasLoadDlg = 1;
    pfnMessageBoxCB = RecordBox;
    g_boxes = 0;
    g_last_box.clear();
  }
  void TearDown() override {
    pfnMessageBoxCB = nullptr;
    g_blJianCeMode = 0;
  }
  PathRoot root_;
};

TEST_F(SealOperatorV7, LoadsSealsBackToBack) {
  Spec personal = Base();
  Spec official = Base();
  official.type = 1;
  official.name = "ASCII NAME";
  official.esid = "22";
  official.width = 0;
  const Bytes a = Encode(Genconf(personal, "seal")), b = Encode(Genconf(official, "seal"));
  Bytes both = a;
  both.insert(both.end(), b.begin(), b.end());

  Bytes padded = both;
  padded.insert(padded.end(), {0, 0, 0});
  CSealOperator op;
  const unsigned first_id = g_nCurrSealIndex;
  EXPECT_EQ(op.LoadData(padded.data(), static_cast<int>(padded.size())), static_cast<int>(padded.size()));
  EXPECT_TRUE(op.IsStandardMode());
  SEAL_DATA_V6* r1 = op.GetSealData(0, nullptr);
  ASSERT_NE(r1, nullptr);
  SEAL_DATA_V6* r2 = op.GetSealData(0, r1);
  ASSERT_NE(r2, nullptr);
  EXPECT_EQ(op.GetSealData(0, r2), nullptr);
  EXPECT_EQ(r1->head.dwID, first_id);
  EXPECT_EQ(r2->head.dwID, first_id + 1);
  EXPECT_EQ(op.GetSealData(first_id + 1, nullptr), r2);
  EXPECT_EQ(r1->wSealKind, 0x100);
  EXPECT_EQ(r2->wSealKind, 0x200);
  EXPECT_EQ(r1->bV7Version, 4);
  EXPECT_EQ(r1->bBitCount, 24);
  EXPECT_EQ(r1->dwValue, 1u);
  EXPECT_EQ(r1->head.dwLength, 296u + 4 * 24);  // 8 x 4 pixels, rows of 24 bytes
  EXPECT_EQ(r1->wWidth, 8);
  EXPECT_EQ(r1->wHeight, 4);
  EXPECT_EQ(r1->wDispWidth, 151);  // 40 mm at 96 dpi
  EXPECT_EQ(r1->wDispHeight, 113);
  EXPECT_EQ(r2->wDispWidth, 8);  // 0 mm: the pixel size
  EXPECT_EQ(r1->dwValidStart, static_cast<unsigned>(seal::DayNumber(2024, 1, 1)));
  EXPECT_EQ(r1->dwValidEnd, static_cast<unsigned>(seal::DayNumber(2034, 12, 31)));
  EXPECT_STREQ(r1->cSealID, "11010800000001");
  EXPECT_STREQ(r1->cSealName, "\xB2\xE2\xCA\xD4\xD7\xA8\xD3\xC3\xD5\xC2");  // GB2312
  EXPECT_STREQ(r2->cSealName, "ASCII NAME");

  unsigned char* out = nullptr;
  EXPECT_EQ(op.GenerateOneSeal(r2, 0, &out, nullptr), static_cast<int>(b.size()));
  EXPECT_EQ(Bytes(out, out + b.size()), b);
  std::free(out);
  out = nullptr;
  g_blEncSeal = 0;
  EXPECT_EQ(op.SaveData(&out), static_cast<int>(both.size()));
  EXPECT_EQ(Bytes(out, out + both.size()), both);
  std::free(out);

  // Followed by 5 unreadable bytes, the result is the number of seals read.
  Bytes junk = both;
  junk.insert(junk.end(), {0x30, 0x7F, 1, 2, 3});
  CSealOperator op2;
  EXPECT_EQ(op2.LoadData(junk.data(), static_cast<int>(junk.size())), 2);
}

TEST_F(SealOperatorV7, ReadSealVer6ReadsStandardSeals) {
  const Bytes der = Encode(Genconf(Base(), "seal"));
  unsigned char* pixels = nullptr;
  char id[64] = {}, name[256] = {};
  int w = 0, h = 0, dh = 0;
  unsigned dw = 0;
  ASSERT_TRUE(G_ReadSealVer6(der.data(), static_cast<int>(der.size()), &pixels, id, name, &w, &h, &dw, &dh,
                             nullptr));
  EXPECT_STREQ(id, "11010800000001");
  EXPECT_STREQ(name, "测试专用章");
  EXPECT_EQ(w, 8);
  EXPECT_EQ(h, 4);
  EXPECT_EQ(dw, 151u);
  std::free(pixels);
}

TEST_F(SealOperatorV7, OneBitPicturesAndTransparency) {
  // Neither entry white, entry 1 black: entry 1 becomes white.
  Spec s = Base();
  s.picture = OneBitBmp(200, 0, 0, 0, 0, 0);
  CSealOperator op;
  const Bytes der = Encode(Genconf(s, "seal"));
  ASSERT_GT(op.LoadData(der.data(), static_cast<int>(der.size())), 0);
  const SEAL_DATA_V6* r = op.GetSealData(0, nullptr);
  ASSERT_NE(r, nullptr);
  const uint8_t* px = reinterpret_cast<const uint8_t*>(r) + 296;
  EXPECT_EQ(Hex(px, 3), "0000C8");     // index 0 stays red (blue, green, red)
  EXPECT_EQ(Hex(px + 21, 3), "FFFFFF");  // index 1 made white
}

TEST_F(SealOperatorV7, CheckingModeVerifiesMakerSignatureAndCertificate) {
  g_blJianCeMode = 1;
  const Bytes good = SignedSeal(Base());
  {
    CSealOperator op;
    EXPECT_EQ(op.LoadData(good.data(), static_cast<int>(good.size())), static_cast<int>(good.size()));
    EXPECT_EQ(g_boxes, 0);
  }
  Bytes tampered = good;
  tampered[tampered.size() - 3] ^= 1;  // inside the signature
  {
    CSealOperator op;
    EXPECT_EQ(op.LoadData(tampered.data(), static_cast<int>(tampered.size())), 0);
    EXPECT_EQ(g_last_box, "印章签名验证失败");
  }
  Spec old = Base();
  old.created = "20010101000000Z";  // long before the maker's certificate
  const Bytes made_early = SignedSeal(old);
  {
    CSealOperator op;
    Bytes two = good;
    two.insert(two.end(), made_early.begin(), made_early.end());
    EXPECT_EQ(op.LoadData(two.data(), static_cast<int>(two.size())), 1);  // the first stays
    EXPECT_EQ(g_last_box, "制章时制章人证书无效或者已过期");
  }
  // Without a signature value nothing is checked.
  Spec unsigned_seal = Base();
  unsigned_seal.with_signature = false;
  const Bytes none = Encode(Genconf(unsigned_seal, "seal"));
  g_boxes = 0;
  CSealOperator op;
  EXPECT_GT(op.LoadData(none.data(), static_cast<int>(none.size())), 0);
  EXPECT_EQ(g_boxes, 0);
}

}  // namespace
}  // namespace oesqx::test

namespace oesqx::test {
namespace {

// "oesqx seal make --standard" writes seals whose maker signature and
// certificate pass checking mode, for SM2 and RSA makers.
TEST_F(SealOperatorV7, CommandLineMakesVerifiableStandardSeals) {
  TempDir dir;
  WriteFile(dir.File("pic.bmp"), DefaultPicture());
  for (const char* maker : {"sm2_leaf", "rsa_leaf"}) {
    const std::string out = dir.File(std::string(maker) + ".seal");
    const std::string cmd = std::string(OESQX_TOOL_FILE) + " seal make '" + dir.File("pic.bmp") + "' '" + out +
                            "' --standard --id 11010800000009 --name 章 --personal --maker-cert '" +
                            pki::PkiDir() + "/" + maker + ".der' --maker-key '" + pki::PkiDir() + "/" + maker +
                            ".key' --valid-until 2035-12-31 >/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    const Bytes seal = ReadFile(out);
    g_blJianCeMode = 1;
    CSealOperator op;
    EXPECT_EQ(op.LoadData(seal.data(), static_cast<int>(seal.size())), static_cast<int>(seal.size())) << maker;
    EXPECT_EQ(g_boxes, 0) << maker << ": " << g_last_box;
    const SEAL_DATA_V6* r = op.GetSealData(0, nullptr);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->wSealKind, 0x100);
    EXPECT_EQ(r->dwValidEnd, static_cast<unsigned>(seal::DayNumber(2035, 12, 31)));
    Loaded l = Load(seal);
    EXPECT_EQ(l.seal->nVersion, 4);
    EXPECT_STREQ(l.seal->cEsID, "11010800000009");
  }
}

}  // namespace
}  // namespace oesqx::test

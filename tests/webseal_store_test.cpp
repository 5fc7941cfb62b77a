// Web seal store data and binary controls: splitting, decoding every
// optional part, and refusing data whose lengths do not fit.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "crypto/builtin_keys.h"
#include "crypto/digest.h"
#include "test_support.h"
#include "webseal/web_obj.h"
#include "webseal_writer.h"

namespace oesqx {
namespace {

using namespace test::webseal;

Bytes Filled(size_t n, uint8_t seed) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i * 7);
  return b;
}

Bytes Sha1(const Bytes& data) {
  Bytes d(20);
  GenerateSHA(d.data(), data.data(), static_cast<unsigned>(data.size()));
  return d;
}



// A control holding the given raw data, outside any set.
struct Loose {
  WEB_CTRL_INFO* c;
  explicit Loose(const Bytes& raw) : c(new WEB_CTRL_INFO()) {
    c->m_pRawData = static_cast<unsigned char*>(std::malloc(raw.size() + 1));
    std::memcpy(c->m_pRawData, raw.data(), raw.size());
    c->m_nRawLen = static_cast<uint32_t>(raw.size());
  }
  ~Loose() {
    WEB_OBJ holder;
    holder.m_lstCtrl.AddTail(c);
    FreeWebSealObj(&holder, 0);
  }
};

const Bytes kForm = test::ToBytes("amount=100&payee=ACME");

TEST(WebSealStore, EveryOptionalPartDecodesToTheSameFields) {
  const Bytes v6 = MakeV6Seal(40, 30, "SEAL-6", "V6 seal");
  const Bytes v4 = MakeV4Seal(24, 24, "SEAL-4", "V4 seal", 0, Filled(16, 0x31));
  ASSERT_FALSE(v6.empty());
  Bytes hw;
  {
    const Bytes strokes = StrokeBytes(0, 0, 100, 50, {{0xFF, {{2, 10, 10}, {3, 60, 40}}}});
    ByteWriter w(&hw);
    w.PutU16(100);
    w.PutU16(50);
    w.PutBytes(strokes.data(), strokes.size());
  }

  Record a;  // every part the record can carry
  a.flags = kAllSkipped;
  a.seal_time = 1700000000;
  a.second_time = 1700000123;
  a.form_digest = Sha1(kForm);
  a.user_id = "\xD5\xC5\xC8\xFD";  // GB2312 for a two-character name
  a.has_position = true;
  a.x = -12;
  a.y = 345;
  a.has_seal_key = true;
  a.seal_key = Filled(16, 0x51);
  a.strings = {"first", "", "third string"};
  a.signature = Filled(71, 1);
  a.certificate = Filled(300, 2);
  a.seal_data = v6;
  a.has_scale = true;
  a.scale = 150;

  Record b;  // V4 seal with its key, field entries, kind flag
  b.flags = kKind;
  b.field_entries = 2;
  b.has_seal_key = true;
  b.seal_key = Filled(16, 0x31);
  b.seal_data = v4;
  b.user_id = "bob";

  Record c;  // handwriting
  c.flags = kHandwriting | kStrokes;
  c.seal_data = hw;

  Record d;  // seal data present but marked skipped
  d.flags = kNoSealData | kSkip64;
  d.seal_data = Filled(500, 9);
  d.has_scale = true;
  d.scale = 80;

  const Bytes store = StoreBytes({{"alpha", "field-a", ControlData(RecordBytes(a), 7, 0x1 | 0x4)},
                                  {"beta", "field-b", ControlData(RecordBytes(b), 0, 0x3)},
                                  {"gamma", "field-c", ControlData(RecordBytes(c), 255, 0)},
                                  {"delta", "field-d", ControlData(RecordBytes(d), 300, 0x2)}});
  Set set;
  ASSERT_EQ(DecodeStoreData(Base64(store).c_str(), &set.obj), 4);

  WEB_CTRL_INFO* ca = set.At(0);
  EXPECT_STREQ(ca->m_cName, "alpha");
  EXPECT_STREQ(ca->m_cName2, "alpha");
  EXPECT_STREQ(ca->m_cPosition, "field-a");
  EXPECT_EQ(ca->m_blLoaded, 0);
  ASSERT_EQ(SubLoadWebSeal(ca, set.obj.m_cSealPwd, Base64(kForm).c_str()), 1);
  EXPECT_EQ(ca->m_blVerified, 1);
  EXPECT_EQ(ca->m_blDigestApplies, 1);
  EXPECT_EQ(Copy(ca->m_bFormDigest, 20), a.form_digest);
  EXPECT_STREQ(ca->m_cUserId, "\xE5\xBC\xA0\xE4\xB8\x89");
  EXPECT_EQ(ca->m_nSealTime, a.seal_time);
  EXPECT_EQ(ca->m_nSecondTime, a.second_time);
  EXPECT_EQ(ca->m_nX, -12);
  EXPECT_EQ(ca->m_nY, 345);
  EXPECT_EQ(ca->m_blHasSealKey, 1);
  EXPECT_EQ(Copy(ca->m_bSealKey, 16), a.seal_key);
  EXPECT_EQ(Copy(ca->m_pSign, ca->m_nSignLen), a.signature);
  EXPECT_EQ(Copy(ca->m_pCert, ca->m_nCertLen), a.certificate);
  EXPECT_EQ(Copy(ca->m_pSealData, ca->m_nSealLen), v6);
  EXPECT_EQ(ca->m_nScale, 150);
  EXPECT_EQ(ca->m_nSignMode, 1);
  EXPECT_EQ(ca->m_blUnicode, 1);
  EXPECT_EQ(ca->m_blKind, 0);
  EXPECT_EQ(ca->m_blHandwriting, 0);
  const uint8_t present_a[5] = {1, 1, 1, 1, 0};
  EXPECT_EQ(0, std::memcmp(ca->m_blPresent, present_a, 5));

  WEB_CTRL_INFO* cb = set.At(1);
  ASSERT_EQ(SubLoadWebSeal(cb, set.obj.m_cSealPwd, Base64(test::ToBytes("other")).c_str()), 1);
  EXPECT_EQ(cb->m_blDigestApplies, 0);  // field entries present: no check
  EXPECT_EQ(cb->m_blVerified, 1);
  EXPECT_EQ(cb->m_blKind, 1);
  EXPECT_EQ(cb->m_nSignMode, 2);
  EXPECT_EQ(cb->m_blUnicode, 0);
  EXPECT_EQ(cb->m_nScale, 100);
  EXPECT_STREQ(cb->m_cUserId, "bob");
  EXPECT_EQ(Copy(cb->m_pSealData, cb->m_nSealLen), v4);
  EXPECT_EQ(Copy(cb->m_bSealKey, 16), b.seal_key);
  EXPECT_EQ(cb->m_pSign, nullptr);
  EXPECT_EQ(cb->m_pCert, nullptr);

  WEB_CTRL_INFO* cc = set.At(2);
  ASSERT_EQ(SubLoadWebSeal(cc, set.obj.m_cSealPwd, nullptr), 1);
  EXPECT_EQ(cc->m_blHandwriting, 1);
  EXPECT_EQ(cc->m_blHasStrokes, 1);
  EXPECT_EQ(Copy(cc->m_pSealData, cc->m_nSealLen), hw);
  EXPECT_EQ(cc->m_nSignMode, 0);

  WEB_CTRL_INFO* cd = set.At(3);
  ASSERT_EQ(SubLoadWebSeal(cd, set.obj.m_cSealPwd, nullptr), 1);
  EXPECT_EQ(cd->m_pSealData, nullptr);  // skipped, yet the scale after it is found
  EXPECT_EQ(cd->m_nScale, 80);
  EXPECT_EQ(cd->m_nSignMode, 2);
  const uint8_t present_d[5] = {0, 0, 0, 0, 1};
  EXPECT_EQ(0, std::memcmp(cd->m_blPresent, present_d, 5));
}

TEST(WebSealStore, StrokesFlagNeedsHandwriting) {
  Record r;
  r.flags = kStrokes;
  r.seal_data = Filled(40, 3);
  Loose l(ControlData(RecordBytes(r), 1, 0));
  ASSERT_EQ(SubLoadWebSeal(l.c, nullptr, nullptr), 1);
  EXPECT_EQ(l.c->m_blHasStrokes, 0);
  EXPECT_EQ(l.c->m_blHandwriting, 0);
}

TEST(WebSealStore, BadStoreDataLeavesTheSetUnchanged) {
  const Bytes control = ControlData(RecordBytes(Record{}), 1, 0);
  const Bytes good = StoreBytes({{"one", "p", control}, {"two", "p", control}});
  auto with = [&](auto change) {
    Bytes b = good;
    change(&b);
    return Base64(b);
  };
  auto put32 = [](Bytes* b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  const size_t entry2 = 52 + 132 + control.size();
  struct Case {
    const char* what;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"empty text", ""},
      {"digest mismatch", with([](Bytes* b) { (*b)[60] ^= 1; })},
      {"version 2", with([](Bytes* b) { (*b)[20] = 2; SealStore(b); })},
      {"covered length past the data", with([&](Bytes* b) { put32(b, 0, b->size() + 1); })},
      {"covered length below the head", with([&](Bytes* b) { put32(b, 0, 40); SealStore(b); })},
      {"data cut short", with([](Bytes* b) { b->resize(b->size() - 10); })},
      {"entry length below 132", with([&](Bytes* b) { put32(b, entry2, 131); SealStore(b); })},
      {"entry length past the data",
       with([&](Bytes* b) { put32(b, entry2, 132 + control.size() + 1); SealStore(b); })},
      {"more entries than data", with([](Bytes* b) { (*b)[22] = 3; SealStore(b); })},
      {"entry past the covered length",
       with([&](Bytes* b) { put32(b, 0, b->size() - 1); SealStore(b); })},
  };
  for (const Case& c : cases) {
    Set set;
    ASSERT_EQ(DecodeStoreData(Base64(StoreBytes({{"kept", "p", control}})).c_str(), &set.obj), 1);
    EXPECT_EQ(DecodeStoreData(c.text.c_str(), &set.obj), -120) << c.what;
    EXPECT_EQ(set.Count(), 1) << c.what;
  }
  Set set;
  EXPECT_EQ(DecodeStoreData(nullptr, &set.obj), -120);
  EXPECT_EQ(DecodeStoreData(Base64(good).c_str(), nullptr), -120);
  EXPECT_EQ(DecodeStoreData(Base64(good).c_str(), &set.obj), 2);
}

TEST(WebSealStore, EntriesAreNamedOnceAndNeedData) {
  const Bytes control = ControlData(RecordBytes(Record{}), 1, 0);
  const std::string long_name(64, 'n');  // fills the field, no terminator
  Set set;
  const Bytes store = StoreBytes({{"same", "first", control},
                                  {"same", "second", control},
                                  {"empty", "p", {}},
                                  {long_name, std::string(64, 'p'), control}});
  ASSERT_EQ(DecodeStoreData(Base64(store).c_str(), &set.obj), 2);
  EXPECT_STREQ(set.At(0)->m_cPosition, "first");
  EXPECT_EQ(std::string(set.At(1)->m_cName), std::string(63, 'n'));
  EXPECT_EQ(std::string(set.At(1)->m_cPosition), std::string(63, 'p'));
  EXPECT_EQ(Copy(set.At(1)->m_pRawData, set.At(1)->m_nRawLen), control);
  // Opening the same data again adds nothing: every name is taken.
  EXPECT_EQ(DecodeStoreData(Base64(store).c_str(), &set.obj), 2);
}

TEST(WebSealControl, HeadAndRecordFailuresGiveTheirCodes) {
  Record base;
  base.signature = Filled(30, 1);
  base.certificate = Filled(40, 2);
  base.seal_data = Filled(50, 3);
  const Bytes rec = RecordBytes(base);
  auto control = [&](Bytes r) { return ControlData(r, 5, 0); };
  auto edited = [&](auto change, bool reseal = true) {
    Bytes r = rec;
    change(&r);
    if (reseal) SealRecord(&r);
    return control(r);
  };
  auto put16 = [](Bytes* b, size_t at, uint16_t v) {
    (*b)[at] = static_cast<uint8_t>(v);
    (*b)[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  Bytes stated_long = control(rec);
  stated_long[0] += 1;
  Bytes wrong_factor = control(rec);
  wrong_factor[22] = 6;
  Bytes short_body = control(rec);
  short_body.resize(28 + 7);
  short_body[0] = 35;
  short_body[1] = 0;
  struct Case {
    const char* what;
    Bytes raw;
    int code;
  };
  const std::vector<Case> cases = {
      {"version 2", ControlData(rec, 5, 0, 2), -1},
      {"stated length past the raw data", stated_long, -1},
      {"head cut", Bytes(stated_long.begin(), stated_long.begin() + 27), -1},
      {"body under one cipher block", short_body, -3},
      {"wrong key factor", wrong_factor, -5},
      {"record length field wrong", edited([](Bytes* r) { (*r)[0] += 1; }, false), -5},
      {"record shorter than its head", control(Bytes(rec.begin(), rec.begin() + 100)), -5},
      {"record digest wrong", edited([](Bytes* r) { (*r)[130] ^= 1; }, false), -6},
      {"signature past the record", edited([&](Bytes* r) { put16(r, 24, 200); }), -5},
      {"certificate past the record", edited([&](Bytes* r) { put16(r, 26, 200); }), -5},
      {"seal data past the record", edited([&](Bytes* r) { put16(r, 28, 51); }), -5},
      {"position past the record",
       edited([&](Bytes* r) { put16(r, 22, kPosition); r->resize(126); }), -5},
      {"field entries past the record",
       edited([&](Bytes* r) { put16(r, 22, kFieldEntries); put16(r, 30, 3); }), -5},
      {"string list without its end",
       edited([&](Bytes* r) {
         put16(r, 22, kStringList);
         put16(r, 24, 0);
         put16(r, 26, 0);
         put16(r, 28, 0);
         r->resize(124);
         for (int v : {2, 0, 0, 0, 9, 0, 0, 0, int{'a'}, 0, int{'b'}, int{'c'}}) r->push_back(static_cast<uint8_t>(v));
       }),
       -5},
      {"scale past the record", edited([&](Bytes* r) { put16(r, 22, kScale); }), -5},
      {"trailing skipped part past the record", edited([&](Bytes* r) { put16(r, 22, kSkip64); }), -5},
  };
  for (const Case& c : cases) {
    Loose l(c.raw);
    EXPECT_EQ(SubLoadWebSeal(l.c, nullptr, nullptr), c.code) << c.what;
    // A failed control stays decoded: a second call does nothing.
    EXPECT_EQ(l.c->m_blLoaded, 1) << c.what;
    EXPECT_EQ(SubLoadWebSeal(l.c, nullptr, nullptr), 1) << c.what;
  }
  EXPECT_EQ(SubLoadWebSeal(nullptr, nullptr, nullptr), 0);
  WEB_CTRL_INFO empty{};
  EXPECT_EQ(SubLoadWebSeal(&empty, nullptr, nullptr), 0);
  EXPECT_EQ(empty.m_blLoaded, 1);
}

TEST(WebSealControl, SealLengthIsExtendedBy64KiBSteps) {
  struct Case {
    const char* what;
    size_t signature, certificate, seal;  // bytes actually written
    int code;
    size_t seal_read;
  };
  const Case cases[] = {
      // 124 + 7804 + 132072 = 140000: the length field reads 1000.
      {"1000 in a record of 140000", 7804, 0, 132072, 1, 132072},
      // 124 + 48876 + 1000 = 50000: no extension.
      {"1000 in a record of 50000", 48876, 0, 1000, 1, 1000},
      // The extension reaches 132072 while only 1000 bytes follow.
      {"extension past the record", 65535, 65535, 1000, -5, 0},
  };
  for (const Case& c : cases) {
    Record r;
    r.signature = Filled(c.signature, 1);
    r.certificate = Filled(c.certificate, 2);
    r.seal_data = Filled(c.seal, 3);
    Loose l(ControlData(RecordBytes(r), 9, 0));
    EXPECT_EQ(SubLoadWebSeal(l.c, nullptr, nullptr), c.code) << c.what;
    EXPECT_EQ(l.c->m_nSealLen, c.seal_read) << c.what;
    if (c.code == 1) {
      EXPECT_EQ(Copy(l.c->m_pSealData, l.c->m_nSealLen), r.seal_data) << c.what;
    }
  }
}

TEST(WebSealControl, FormDigestCheck) {
  const Bytes marker(builtin_keys::kWebSealEmptyFormMarker, builtin_keys::kWebSealEmptyFormMarker + 18);
  struct Case {
    const char* what;
    Bytes digest;
    uint16_t flags;
    uint16_t field_entries;
    const char* form;  // null: none
    int verified;
  };
  const std::string form = Base64(kForm);
  const std::string other = Base64(test::ToBytes("amount=900"));
  const Case cases[] = {
      {"matching form data", Sha1(kForm), 0, 0, form.c_str(), 1},
      {"other form data", Sha1(kForm), 0, 0, other.c_str(), 0},
      {"no form data", Sha1(kForm), 0, 0, nullptr, 1},
      {"empty form data", Sha1(kForm), 0, 0, "", 1},
      {"form data decoding to nothing, marker digest", Sha1(marker), 0, 0, "\r\n", 1},
      {"form data decoding to nothing, other digest", Sha1(kForm), 0, 0, "\r\n", 0},
      {"field entries: not checked", Sha1(kForm), 0, 1, other.c_str(), 1},
      {"strokes: not checked", Sha1(kForm), kHandwriting | kStrokes, 0, other.c_str(), 1},
  };
  for (const Case& c : cases) {
    Record r;
    r.form_digest = c.digest;
    r.flags = c.flags;
    r.field_entries = c.field_entries;
    Loose l(ControlData(RecordBytes(r), 2, 0));
    ASSERT_EQ(SubLoadWebSeal(l.c, nullptr, c.form), 1) << c.what;
    EXPECT_EQ(l.c->m_blVerified, c.verified) << c.what;
    // Decoded once: later form data changes nothing.
    EXPECT_EQ(SubLoadWebSeal(l.c, nullptr, other.c_str()), 1);
    EXPECT_EQ(l.c->m_blVerified, c.verified) << c.what;
  }
}

}  // namespace
}  // namespace oesqx

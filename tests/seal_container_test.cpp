// The V6 seal file and its container: load, save, packing, passwords,
// lookups, identifiers, single-seal export, byte order, damaged input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "common/debuglog.h"
#include "seal/seal_operator.h"
#include "seal_fixtures.h"
#include "test_support.h"

namespace oesqx {
namespace {

using test::Bytes;
using test::Container;
using test::Item;
using test::RefItem;
using test::WriteV6File;

struct Freed {
  unsigned char* p = nullptr;
  ~Freed() { std::free(p); }
};

Bytes SmallRecord(uint32_t id, const char* seal_id = "ID") {
  // 24 bits, 1 x 1: one row of 4 bytes.
  return test::Record(id, 24, 1, 1, Bytes{0x10, 0x20, 0x30, 0}, seal_id);
}

Bytes ContainerOf(const CSealOperator& op) {
  const SEAL_ENCDATA_HEADER_V6* c = op.GetContainer();
  if (c == nullptr) return {};
  const auto* p = reinterpret_cast<const uint8_t*>(c);
  return Bytes(p, p + c->dwLength);
}

int Load(CSealOperator* op, const Bytes& file) {
  return op->LoadData(file.data(), static_cast<int>(file.size()));
}

Bytes Save(CSealOperator* op) {
  Freed out;
  const int n = op->SaveData(&out.p, 0);
  if (n <= 0) return {};
  return Bytes(out.p, out.p + n);
}

class SealContainerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_blEncSeal = 0;
    std::memset(g_cPwd, 0, sizeof(g_cPwd));
  }
  void TearDown() override { g_blEncSeal = 0; }
};

TEST_F(SealContainerTest, SaveAndLoadKeepTheContainer) {
  const Bytes container = Container({SmallRecord(5), Item(6, 5, SEAL_ITEM_TAG, 28),
                                     Item(7, SEAL_ROOT_ID, SEAL_ITEM_ACCESS, 56)});
  const Bytes file = WriteV6File(container, 9);
  CSealOperator a;
  ASSERT_EQ(static_cast<int>(file.size()), Load(&a, file));
  EXPECT_EQ(container, ContainerOf(a));

  const Bytes saved = Save(&a);
  ASSERT_FALSE(saved.empty());
  EXPECT_EQ(SEAL_MAGIC_V6, test::GetU32(saved, 0));
  EXPECT_EQ(saved.size(), test::GetU32(saved, 4));
  EXPECT_EQ(6, test::GetU16(saved, 24));
  EXPECT_EQ(container.size(), test::GetU32(saved, 40));
  uint8_t md5[16];
  test::Md5(saved.data() + 24, saved.size() - 24, md5);
  EXPECT_EQ(0, std::memcmp(md5, saved.data() + 8, 16));

  CSealOperator b;
  ASSERT_EQ(static_cast<int>(saved.size()), Load(&b, saved));
  EXPECT_EQ(container, ContainerOf(b));
}

TEST_F(SealContainerTest, SavesWithoutPasswordDrawDifferentFactorsAndLoadAlike) {
  const Bytes container = Container({SmallRecord(5)});
  CSealOperator a;
  ASSERT_NE(0, Load(&a, WriteV6File(container, 3)));
  std::set<int> factors;
  for (int i = 0; i < 8; ++i) {
    const Bytes saved = Save(&a);
    ASSERT_FALSE(saved.empty());
    ASSERT_GE(saved[28], 1);
    ASSERT_LE(saved[28], 127);
    factors.insert(saved[28]);
    CSealOperator b;
    ASSERT_NE(0, Load(&b, saved));
    EXPECT_EQ(container, ContainerOf(b));
  }
  EXPECT_GT(factors.size(), 1u);
}

TEST_F(SealContainerTest, PasswordProtectedFile) {
  const Bytes container = Container({SmallRecord(5)});
  CSealOperator maker;
  ASSERT_NE(0, Load(&maker, WriteV6File(container, 3)));
  maker.SetPassword("s3cret");
  const Bytes saved = Save(&maker);
  ASSERT_FALSE(saved.empty());
  EXPECT_EQ(0, saved[28]);

  const Bytes original = saved;
  for (const char* wrong : {"", "s3cre", "S3cret"}) {
    CSealOperator op;
    op.SetPassword(wrong);
    EXPECT_EQ(0, Load(&op, saved)) << wrong;
    EXPECT_EQ(nullptr, op.GetContainer());
    EXPECT_STREQ("", g_cPwd);
  }
  // A failed try leaves the caller's bytes alone, so the next try works.
  EXPECT_EQ(original, saved);
  CSealOperator op;
  op.SetPassword("s3cret");
  EXPECT_EQ(static_cast<int>(saved.size()), Load(&op, saved));
  EXPECT_EQ(container, ContainerOf(op));
  EXPECT_STREQ("s3cret", g_cPwd);
}

TEST_F(SealContainerTest, PasswordIsCutTo31Characters) {
  CSealOperator op;
  op.SetPassword(std::string(40, 'p').c_str());
  EXPECT_EQ(std::string(31, 'p'), op.GetPassword());
  op.SetPassword(nullptr);
  EXPECT_STREQ("", op.GetPassword());
}

TEST_F(SealContainerTest, PackedFiles) {
  const Bytes container = Container({SmallRecord(5)});
  CSealOperator a;
  ASSERT_NE(0, Load(&a, WriteV6File(container, 3)));
  g_blEncSeal = 1;
  const Bytes packed = Save(&a);
  g_blEncSeal = 0;
  ASSERT_GT(packed.size(), 12u);
  EXPECT_EQ(0, std::memcmp(packed.data(), "ECSL", 4));
  EXPECT_EQ(packed.size() - 12, test::GetU32(packed, 4));

  CSealOperator b;
  const int n = Load(&b, packed);
  EXPECT_EQ(static_cast<int>(test::GetU32(packed, 8)), n);
  EXPECT_EQ(container, ContainerOf(b));

  // A content length that does not match: the data is read as it stands,
  // and the "ECSL" bytes are no V6 file.
  const Bytes v6 = WriteV6File(container, 4);
  CSealOperator c;
  EXPECT_NE(0, Load(&c, test::Pack(v6, static_cast<uint32_t>(v6.size()))));
  EXPECT_EQ(0, Load(&c, test::Pack(v6, static_cast<uint32_t>(v6.size() + 1))));
}

TEST_F(SealContainerTest, EmptyContainerSavesButDoesNotLoad) {
  const Bytes empty = Container({});
  ASSERT_EQ(22u, empty.size());
  CSealOperator op;
  EXPECT_EQ(0, Load(&op, WriteV6File(empty, 5)));
}

TEST_F(SealContainerTest, SaveWithoutContainerWritesNothing) {
  CSealOperator op;
  Freed out;
  out.p = reinterpret_cast<unsigned char*>(std::malloc(1));
  unsigned char* before = out.p;
  EXPECT_EQ(0, op.SaveData(&out.p, 0));
  EXPECT_EQ(nullptr, out.p);
  std::free(before);
}

// Damaged or foreign data is refused and the loaded seal stays.
TEST_F(SealContainerTest, DamagedFilesAreRefusedAndKeepThePreviousState) {
  const Bytes good = Container({SmallRecord(5)});
  Bytes zero_len = Container({SmallRecord(5), Item(6, 5, 91, 20)});
  test::PutU32(&zero_len, 8 + 300, 0);
  Bytes short_len = zero_len;
  test::PutU32(&short_len, 8 + 300, 13);
  Bytes past_end = zero_len;
  test::PutU32(&past_end, 8 + 300, 4000);
  Bytes short_record = Container({Item(5, 1, SEAL_ITEM_SEAL, 200)});
  Bytes short_access = Container({Item(5, 1, SEAL_ITEM_ACCESS, 40)});
  Bytes no_end = Container({SmallRecord(5), Item(6, 5, 91, 20)}, false);
  Bytes bad_length_field = good;
  test::PutU32(&bad_length_field, 0, static_cast<uint32_t>(good.size() - 1));
  Bytes count_one = good;
  test::PutU16(&count_one, 4, 1);

  Bytes bad_magic = WriteV6File(good, 3);
  bad_magic[0] = 'X';
  Bytes bad_version = WriteV6File(good, 3);
  test::PutU16(&bad_version, 24, 5);
  Bytes total_past_data = WriteV6File(good, 3);
  test::PutU32(&total_past_data, 4, static_cast<uint32_t>(total_past_data.size() + 1));
  Bytes total_below_head = WriteV6File(good, 3);
  test::PutU32(&total_below_head, 4, 40);
  Bytes truncated = WriteV6File(good, 3);
  truncated.resize(truncated.size() - 5);

  const struct {
    const char* name;
    Bytes file;
  } cases[] = {
      {"item length 0", WriteV6File(zero_len, 3)},
      {"item shorter than its head", WriteV6File(short_len, 3)},
      {"item past the container", WriteV6File(past_end, 3)},
      {"record shorter than its fields", WriteV6File(short_record, 3)},
      {"setting shorter than its fields", WriteV6File(short_access, 3)},
      {"no end item", WriteV6File(no_end, 3)},
      {"container length field", WriteV6File(bad_length_field, 3)},
      {"one item only", WriteV6File(count_one, 3)},
      {"unpacked length differs from the head", WriteV6File(good, 3, "", 23)},
      {"bad magic", bad_magic},
      {"version 5", bad_version},
      {"total past the data", total_past_data},
      {"total below the head", total_below_head},
      {"truncated", truncated},
      {"password file without password", WriteV6File(good, 0, "pw")},
      {"65 bytes", Bytes(65, 0x41)},
      {"not a seal", Bytes(500, 0x5A)},
  };
  for (const auto& c : cases) {
    CSealOperator op;
    ASSERT_NE(0, Load(&op, WriteV6File(Container({SmallRecord(77)}), 2)));
    EXPECT_EQ(0, Load(&op, c.file)) << c.name;
    ASSERT_NE(nullptr, op.GetSealData(77, nullptr)) << c.name;
  }
  CSealOperator op;
  EXPECT_EQ(0, op.LoadData(nullptr, 100));
  EXPECT_EQ(0, op.LoadData(good.data(), 0));
}

// The debug log follows the load step by step; the length test lets 66
// bytes through and stops 65.
class SealLoadLogTest : public SealContainerTest {
 protected:
  void SetUp() override {
    SealContainerTest::SetUp();
    dbg::ResetForTest();
  }
  void TearDown() override {
    dbg::ResetForTest();
    SealContainerTest::TearDown();
  }
  std::string Log() const {
    const Bytes b = test::ReadFile(root_.path() + dbg::CurrentFileForTest());
    return std::string(b.begin(), b.end());
  }
  test::PathRoot root_;
};

TEST_F(SealLoadLogTest, LinesOfASuccessfulLoad) {
  const Bytes file = WriteV6File(Container({SmallRecord(5)}), 3);
  CSealOperator op;
  ASSERT_NE(0, Load(&op, file));
  const std::string log = Log();
  size_t at = 0;
  for (const char* line :
       {"str=Seal::LoadData\r\n", "str=Seal::LoadData 1\r\n", "str=SealOperator::LoadData Start\r\n",
        "str=SealOperator::LoadData Pos1\r\n", "str=SealOperator::LoadData Pos2\r\n",
        "str=SealOperator::LoadData Pos3\r\n", "str=SealOperator::LoadData Pos4\r\n",
        "str=SealOperator::LoadData Pos5\r\n", "str=SealOperator::LoadData OK\r\n"}) {
    const size_t found = log.find(line, at);
    ASSERT_NE(std::string::npos, found) << line << "\n" << log;
    at = found;
  }
  const std::string len_line = "\r\n" + std::to_string(file.size()) + "\r\n";
  EXPECT_NE(std::string::npos, log.find(len_line));
}

TEST_F(SealLoadLogTest, SixtySixBytesPassTheLengthTest) {
  for (size_t len : {65u, 66u}) {
    Bytes file(len, 0);
    test::PutU32(&file, 0, SEAL_MAGIC_V6);
    test::PutU32(&file, 4, static_cast<uint32_t>(len));
    test::PutU16(&file, 24, 6);
    file[28] = 1;
    CSealOperator op;
    EXPECT_EQ(0, Load(&op, file));
    const bool passed = Log().find("LoadData Pos1") != std::string::npos;
    EXPECT_EQ(len == 66, passed) << len;
  }
}

// Three records, settings, controls and references, as a loaded container.
class SealLookupTest : public SealContainerTest {
 protected:
  void SetUp() override {
    SealContainerTest::SetUp();
    Bytes user = Item(40, SEAL_ROOT_ID, SEAL_ITEM_USER, 32);
    std::memcpy(user.data() + 24, "alice", 6);
    container_ = Container({
        Item(30, SEAL_ROOT_ID, SEAL_ITEM_ACCESS, 56),
        SmallRecord(10, "first"),
        Item(11, 10, SEAL_ITEM_TAG, 28),
        Item(12, 10, SEAL_ITEM_TAG, 28),
        RefItem(13, 10, SEAL_ITEM_SIGN, 40),
        Item(14, 13, SEAL_ITEM_STAMP, 16),
        RefItem(15, 10, SEAL_ITEM_USER_CTRL, 40),
        SmallRecord(20, "second"),
        RefItem(21, 20, SEAL_ITEM_CERT_CTRL, 50),
        Item(22, 20, SEAL_ITEM_DEPT_CTRL, 20),
        Item(23, 20, SEAL_ITEM_FANGWEI, 32),
        Item(31, SEAL_ROOT_ID, 95, 18),
        user,
        Item(50, SEAL_ROOT_ID, SEAL_ITEM_CERT, 40),
        SmallRecord(60, "third"),
    });
    ASSERT_NE(0, Load(&op_, WriteV6File(container_, 11)));
  }
  static uint32_t Id(const void* item) {
    return item == nullptr ? 0 : static_cast<const SEAL_ITEM_V6*>(item)->dwID;
  }
  Bytes container_;
  CSealOperator op_;
};

TEST_F(SealLookupTest, RecordsComeInContainerOrder) {
  std::vector<uint32_t> ids;
  for (SEAL_DATA_V6* r = op_.GetSealData(0, nullptr); r != nullptr; r = op_.GetSealData(0, r)) {
    ids.push_back(r->head.dwID);
  }
  EXPECT_EQ((std::vector<uint32_t>{10, 20, 60}), ids);
  EXPECT_STREQ("second", op_.GetSealData(20, nullptr)->cSealID);
  EXPECT_EQ(nullptr, op_.GetSealData(20, op_.GetSealData(20, nullptr)));
  EXPECT_EQ(nullptr, op_.GetSealData(99, nullptr));
}

TEST_F(SealLookupTest, TypedLookups) {
  EXPECT_EQ(11u, Id(op_.GetTagData(10, nullptr)));
  EXPECT_EQ(12u, Id(op_.GetTagData(10, op_.GetTagData(10, nullptr))));
  EXPECT_EQ(0u, Id(op_.GetTagData(20, nullptr)));
  EXPECT_EQ(13u, Id(op_.GetSignData(10, nullptr)));
  EXPECT_EQ(40u, op_.GetSignData(10, nullptr)->dwRefID);
  EXPECT_EQ(14u, Id(op_.GetStampData(13)));
  EXPECT_EQ(21u, Id(op_.GetCertCtrlData(20, 0, nullptr)));
  EXPECT_EQ(21u, Id(op_.GetCertCtrlData(20, 21, nullptr)));
  EXPECT_EQ(0u, Id(op_.GetCertCtrlData(10, 0, nullptr)));
  EXPECT_EQ(15u, Id(op_.GetUserCtrlData(10, 15, nullptr)));
  EXPECT_EQ(22u, Id(op_.GetDeptCtrlData(20)));
  EXPECT_EQ(23u, Id(op_.GetFangWeiData(20)));
  EXPECT_EQ(40u, Id(op_.GetUserData(40)));
  EXPECT_STREQ("alice", reinterpret_cast<const char*>(op_.GetUserData(40)) + 24);
  EXPECT_EQ(50u, Id(op_.GetCertData(50)));
  EXPECT_EQ(0u, Id(op_.GetCertData(51)));
}

TEST_F(SealLookupTest, GetSealItemRanges) {
  SEAL_ENCDATA_HEADER_V6* c = op_.GetContainer();
  // Type range 0..0 with no identifier or parent: the next item, any type.
  SEAL_ITEM_V6* first = CSealOperator::GetSealItem(0, 0, 0, 0, nullptr, c);
  EXPECT_EQ(30u, Id(first));
  EXPECT_EQ(10u, Id(CSealOperator::GetSealItem(0, 0, 0, 0, first, c)));
  EXPECT_EQ(31u, Id(CSealOperator::GetSealItem(91, 99, 0, SEAL_ROOT_ID, first, c)));
  EXPECT_EQ(15u, Id(CSealOperator::GetSealItem(100, 125, 0, 10, &op_.GetSignData(10, nullptr)->head, c)));
  // The walk stops at the end item: nothing follows the last record.
  EXPECT_EQ(nullptr, CSealOperator::GetSealItem(0, 0, 0, 0, &op_.GetSealData(60, nullptr)->head, c));
  EXPECT_EQ(nullptr, CSealOperator::GetSealItem(0, 0, 0, 0, nullptr, nullptr));
  // An item that is not inside the container gives null.
  SEAL_ITEM_V6 stranger{};
  EXPECT_EQ(nullptr, CSealOperator::GetSealItem(0, 0, 0, 0, &stranger, c));
}

// Lookups over containers that were never checked end at a damaged item.
TEST_F(SealContainerTest, LookupsEndAtDamagedItems) {
  for (uint32_t bad_len : {0u, 5u, 13u, 100000u}) {
    Bytes raw = Container({Item(3, 1, 91, 20), Item(4, 1, 92, 20), Item(5, 1, 93, 20)});
    test::PutU32(&raw, 8 + 20, bad_len);
    auto* c = reinterpret_cast<SEAL_ENCDATA_HEADER_V6*>(raw.data());
    EXPECT_EQ(3u, CSealOperator::GetSealItem(0, 0, 0, 0, nullptr, c)->dwID);
    EXPECT_EQ(nullptr, CSealOperator::GetSealItem(93, 93, 0, 0, nullptr, c)) << bad_len;
  }
  // A container length that claims more than the head holds.
  Bytes tiny = Container({});
  test::PutU32(&tiny, 0, 4);
  EXPECT_EQ(nullptr, CSealOperator::GetSealItem(0, 0, 0, 0, nullptr,
                                                reinterpret_cast<SEAL_ENCDATA_HEADER_V6*>(tiny.data())));
}

TEST_F(SealLookupTest, NewIdentifiersAreFresh) {
  std::set<uint32_t> used{0, 1, 10, 11, 12, 13, 14, 15, 20, 21, 22, 23, 30, 31, 40, 50, 60};
  for (int i = 0; i < 50; ++i) {
    const uint32_t id = op_.GenerateNewID();
    EXPECT_EQ(0u, used.count(id)) << id;
  }
  CSealOperator empty;
  EXPECT_EQ(0u, empty.GenerateNewID());
}

// The exported file holds the record, the root settings and the record's
// own items with their descendants and referenced items, once each.
TEST_F(SealLookupTest, ExportOneSealWithItsItems) {
  const Bytes before = ContainerOf(op_);
  Freed out;
  const int n = op_.GenerateOneSeal(op_.GetSealData(10, nullptr), 0, &out.p, nullptr);
  ASSERT_GT(n, 0);
  EXPECT_EQ(before, ContainerOf(op_));
  EXPECT_EQ(SEAL_MAGIC_V6, op_.GetFileHeader()->dwMagic);

  CSealOperator exported;
  ASSERT_EQ(n, exported.LoadData(out.p, n));
  std::vector<uint32_t> ids;
  for (SEAL_ITEM_V6* it = CSealOperator::GetSealItem(0, 0, 0, 0, nullptr, exported.GetContainer());
       it != nullptr; it = CSealOperator::GetSealItem(0, 0, 0, 0, it, exported.GetContainer())) {
    ids.push_back(it->dwID);
  }
  // Record, root settings (30, 31), then the record's children in order:
  // tags 11 and 12, the sign item 13 with the user 40 it names and its
  // stamp 14, and the user control 15 whose user is already there.
  EXPECT_EQ((std::vector<uint32_t>{10, 30, 31, 11, 12, 13, 40, 14, 15}), ids);
  EXPECT_EQ(ids.size() + 1, exported.GetContainer()->wCount);
}

TEST_F(SealLookupTest, ExportWithPasswordAndWithoutContainer) {
  Freed out;
  const int n = op_.GenerateOneSeal(op_.GetSealData(60, nullptr), 0, &out.p, "exportpw");
  ASSERT_GT(n, 0);
  EXPECT_STREQ("", op_.GetPassword());
  CSealOperator without;
  EXPECT_EQ(0, without.LoadData(out.p, n));
  CSealOperator with;
  with.SetPassword("exportpw");
  ASSERT_EQ(n, with.LoadData(out.p, n));
  EXPECT_EQ(60u, with.GetSealData(0, nullptr)->head.dwID);
  EXPECT_EQ(nullptr, with.GetSealData(0, with.GetSealData(0, nullptr)));

  CSealOperator empty;
  Freed none;
  EXPECT_EQ(0, empty.GenerateOneSeal(op_.GetSealData(60, nullptr), 0, &none.p, nullptr));
  EXPECT_EQ(nullptr, none.p);
}

TEST_F(SealContainerTest, ChildCopyStopsOnMissingReferenceAndOnParentLoops) {
  // 7 refers to 99, which exists nowhere.
  Bytes src = Container({SmallRecord(5), RefItem(7, 5, 103, 99)});
  auto* source = reinterpret_cast<SEAL_ENCDATA_HEADER_V6*>(src.data());
  SEAL_ITEM_V6* ref = CSealOperator::GetSealItem(103, 103, 0, 0, nullptr, source);
  ASSERT_NE(nullptr, ref);
  auto* target = static_cast<SEAL_ENCDATA_HEADER_V6*>(std::malloc(22));
  std::memcpy(target, Container({}).data(), 22);
  EXPECT_EQ(0, GenerateAllChildItem(ref, &target, source));
  std::free(target);

  // 8 and 9 name each other as parents: copying 8 takes 9 once and ends.
  Bytes loop = Container({Item(8, 9, 91, 20), Item(9, 8, 92, 20), Item(10, 9, 93, 30)});
  auto* lsrc = reinterpret_cast<SEAL_ENCDATA_HEADER_V6*>(loop.data());
  target = static_cast<SEAL_ENCDATA_HEADER_V6*>(std::malloc(22));
  std::memcpy(target, Container({}).data(), 22);
  EXPECT_EQ(70, GenerateAllChildItem(CSealOperator::GetSealItem(91, 91, 0, 0, nullptr, lsrc),
                                     &target, lsrc));
  EXPECT_EQ(4, target->wCount);
  EXPECT_EQ(22u + 70u, target->dwLength);
  std::free(target);
}

TEST_F(SealContainerTest, ByteOrderRoundTripAndFields) {
  Bytes dept = Item(6, 5, SEAL_ITEM_DEPT_CTRL, 20 + 6 + 3);
  test::PutU16(&dept, 14, 1);
  test::PutU16(&dept, 20, 0x0102);
  dept[25] = 3;
  const Bytes original = Container({SmallRecord(5), dept, RefItem(7, 5, SEAL_ITEM_CERT_CTRL, 5),
                                    Item(8, 1, SEAL_ITEM_ACCESS, 56), Item(9, 5, SEAL_ITEM_TAG, 28)});
  Bytes b = original;
  auto* c = reinterpret_cast<SEAL_ENCDATA_HEADER_V6*>(b.data());
  SWAPEndian(c, false);
  EXPECT_EQ(__builtin_bswap32(static_cast<uint32_t>(original.size())), test::GetU32(b, 0));
  EXPECT_EQ(0x0100, test::GetU16(b, 8 + 292));         // width 1, swapped
  EXPECT_EQ(0x0201, test::GetU16(b, 8 + 300 + 20));    // first entry value
  EXPECT_EQ(0x05000000u, test::GetU32(b, 8 + 300 + 29 + 16));  // referenced id
  SWAPEndian(c, true);
  EXPECT_EQ(original, b);
}

TEST_F(SealContainerTest, ByteOrderStopsAtDamagedItems) {
  Bytes b = Container({SmallRecord(5), Item(6, 5, 91, 20)});
  test::PutU32(&b, 8 + 300, 0);
  const Bytes damaged = b;
  SWAPEndian(reinterpret_cast<SEAL_ENCDATA_HEADER_V6*>(b.data()), false);
  SWAPEndian(reinterpret_cast<SEAL_ENCDATA_HEADER_V6*>(b.data()), true);
  EXPECT_EQ(damaged, b);
  SWAPEndian(nullptr, false);
}

}  // namespace
}  // namespace oesqx

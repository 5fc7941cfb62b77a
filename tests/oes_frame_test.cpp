#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

#include "oes/oes_api.h"
#include "test_support.h"

namespace oesqx {
namespace {

using test::Hex;

TEST(OesProviderInfo, ValuesAndLengths) {
  unsigned char name[8], company[8], version[8], extend[8];
  int lens[4] = {0, 0, 0, 0};
  EXPECT_EQ(0, OES_GetProviderInfo(name, &lens[0], company, &lens[1], version, &lens[2], extend,
                                   &lens[3]));
  EXPECT_STREQ("QX", reinterpret_cast<char*>(name));
  EXPECT_STREQ("Quorix", reinterpret_cast<char*>(company));
  EXPECT_STREQ("2.0", reinterpret_cast<char*>(version));
  EXPECT_STREQ("", reinterpret_cast<char*>(extend));
  EXPECT_EQ(3, lens[0]);
  EXPECT_EQ(7, lens[1]);
  EXPECT_EQ(4, lens[2]);
  EXPECT_EQ(1, lens[3]);
  EXPECT_EQ(0, OES_GetProviderInfo(nullptr, nullptr, nullptr, &lens[1], nullptr, nullptr, nullptr,
                                   nullptr));
}

using MethodFn = int (*)(unsigned char*, int*);

TEST(OesMethods, LengthQueryCapacityAndValue) {
  const struct {
    MethodFn fn;
    const char* value;
  } cases[] = {{OES_GetSignMethod, "1.2.156.10197.1.501"},
               {OES_GetDigestMethod, "1.2.156.10197.1.401"}};
  for (const auto& c : cases) {
    int len = 0;
    EXPECT_EQ(OES_ERR_PARAM, c.fn(nullptr, nullptr));
    EXPECT_EQ(0, c.fn(nullptr, &len));
    EXPECT_EQ(20, len);
    unsigned char buf[32] = {0};
    len = 19;
    EXPECT_EQ(OES_ERR_SPACE, c.fn(buf, &len));
    len = 20;
    EXPECT_EQ(0, c.fn(buf, &len));
    EXPECT_STREQ(c.value, reinterpret_cast<char*>(buf));
    EXPECT_EQ(20, len);
  }
}

TEST(OesSignDateTime, UtcStamp) {
  test::PathRoot root;  // keeps a configuration file of this machine out
  int len = 0;
  EXPECT_EQ(OES_ERR_PARAM, OES_GetSignDateTime(nullptr, nullptr));
  EXPECT_EQ(0, OES_GetSignDateTime(nullptr, &len));
  EXPECT_EQ(16, len);
  unsigned char buf[16];
  len = 15;
  EXPECT_EQ(OES_ERR_SPACE, OES_GetSignDateTime(buf, &len));
  len = 16;
  const std::time_t before = std::time(nullptr);
  ASSERT_EQ(0, OES_GetSignDateTime(buf, &len));
  const std::string text(reinterpret_cast<char*>(buf));
  EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{14}Z)"))) << text;
  struct tm utc = {};
  gmtime_r(&before, &utc);
  char year[16];
  std::snprintf(year, sizeof(year), "%04d", utc.tm_year + 1900);
  EXPECT_EQ(0u, text.rfind(year, 0));
}

struct DigestCase {
  const char* algo;  // null: default
  int result;
  int size;
  const char* hex;   // digest of "abc", or null
};

TEST(OesDigest, AlgorithmChoice) {
  const DigestCase cases[] = {
      {nullptr, 0, 32, "66C7F0F462EEEDD9D1F2D46BDC10E4E24167C4875CF2F7A2297DA02B8F4BA8E0"},
      {"SM3", 0, 32, "66C7F0F462EEEDD9D1F2D46BDC10E4E24167C4875CF2F7A2297DA02B8F4BA8E0"},
      {"1.2.156.10197.1.401", 0, 32, nullptr},
      {"MD5", 0, 16, "900150983CD24FB0D6963F7D28E17F72"},
      {"MD5X", OES_ERR_ALGORITHM, 0, nullptr},
      {"SHA1", 0, 20, "A9993E364706816ABA3E25717850C26C9CD0D89D"},
      {"SHA1withRSA", 0, 20, nullptr},  // prefix match
      {"1.3.14.3.2.26", 0, 20, nullptr},
      {"SHA256", OES_ERR_ALGORITHM, 0, nullptr},
      {"SM", OES_ERR_ALGORITHM, 0, nullptr},
  };
  unsigned char abc[] = {'a', 'b', 'c'};
  for (const DigestCase& c : cases) {
    auto* algo = reinterpret_cast<unsigned char*>(const_cast<char*>(c.algo));
    int len = 0;
    EXPECT_EQ(c.result, OES_Digest(abc, 3, algo, 0, nullptr, &len)) << (c.algo ? c.algo : "null");
    if (c.result != 0) continue;
    EXPECT_EQ(c.size, len);
    unsigned char out[32];
    len = c.size - 1;
    EXPECT_EQ(OES_ERR_SPACE, OES_Digest(abc, 3, algo, 0, out, &len));
    len = c.size;
    ASSERT_EQ(0, OES_Digest(abc, 3, algo, 0, out, &len));
    EXPECT_EQ(c.size, len);
    if (c.hex != nullptr) {
      EXPECT_EQ(c.hex, Hex(out, static_cast<size_t>(len)));
    }
  }
}

TEST(OesDigest, BadArguments) {
  unsigned char data[] = {1};
  unsigned char out[32];
  int len = 32;
  EXPECT_EQ(OES_ERR_PARAM, OES_Digest(nullptr, 1, nullptr, 0, out, &len));
  EXPECT_EQ(OES_ERR_PARAM, OES_Digest(data, 0, nullptr, 0, out, &len));
  EXPECT_EQ(OES_ERR_PARAM, OES_Digest(data, -5, nullptr, 0, out, &len));
  EXPECT_EQ(OES_ERR_PARAM, OES_Digest(data, 1, nullptr, 0, out, nullptr));
}

TEST(OesErrMessage, KnownUnknownAndCapacity) {
  unsigned char buf[128];
  int len = sizeof(buf);
  ASSERT_EQ(0, OES_GetErrMessage(8215, buf, &len));
  EXPECT_STREQ("智能卡已锁定,请联系管理员解锁", reinterpret_cast<char*>(buf));
  EXPECT_EQ(44, len);
  len = sizeof(buf);
  ASSERT_EQ(0, OES_GetErrMessage(12345, buf, &len));
  EXPECT_STREQ("Err=12345", reinterpret_cast<char*>(buf));
  EXPECT_EQ(10, len);
  len = sizeof(buf);
  ASSERT_EQ(0, OES_GetErrMessage(16, buf, &len));
  EXPECT_STREQ("已取消", reinterpret_cast<char*>(buf));
  len = 0;
  EXPECT_EQ(0, OES_GetErrMessage(16, nullptr, &len));
  EXPECT_EQ(64, len);
  len = 9;  // "Err=12345" needs 10
  EXPECT_EQ(OES_ERR_SPACE, OES_GetErrMessage(12345, buf, &len));
  EXPECT_EQ(9, len);
  EXPECT_EQ(OES_ERR_PARAM, OES_GetErrMessage(16, buf, nullptr));
  // 0x200A..0x200F have no text of their own.
  len = sizeof(buf);
  ASSERT_EQ(0, OES_GetErrMessage(0x200A, buf, &len));
  EXPECT_STREQ("Err=8202", reinterpret_cast<char*>(buf));
}

}  // namespace
}  // namespace oesqx

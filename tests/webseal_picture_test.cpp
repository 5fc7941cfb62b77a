// The picture of a decoded control: handwriting kept as seal data (canvas
// size, then strokes), V6 and V4 seals, and what cannot be drawn.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "test_support.h"
#include "webseal/ctrl_picture.h"
#include "webseal/pen_note.h"
#include "webseal/web_obj.h"
#include "webseal_writer.h"

namespace oesqx {
namespace {

using namespace test::webseal;
using webseal::BuildControlPicture;
using webseal::ControlPicture;
using webseal::PictureResult;

Bytes Handwriting(uint16_t w, uint16_t h, const Bytes& strokes) {
  Bytes out;
  ByteWriter bw(&out);
  bw.PutU16(w);
  bw.PutU16(h);
  bw.PutBytes(strokes.data(), strokes.size());
  return out;
}

// A binary control decoded from `r`, released with its set.
struct Decoded {
  WEB_OBJ obj;
  WEB_CTRL_INFO* c = nullptr;
  explicit Decoded(const Record& r) {
    DecodeStoreData(Base64(StoreBytes({{"c", "p", ControlData(RecordBytes(r), 4, 0)}})).c_str(), &obj);
    c = obj.m_lstCtrl.GetAt(obj.m_lstCtrl.GetHeadPosition());
    SubLoadWebSeal(c, obj.m_cSealPwd, nullptr);
  }
  ~Decoded() { FreeWebSealObj(&obj, 0); }
};

TEST(WebSealPicture, HandwritingAndSeals) {
  const Bytes strokes = StrokeBytes(0, 0, 60, 30, {{0x0000FF, {{4, 10, 15}, {4, 50, 15}}}});
  const Bytes key(16, 0x42);
  struct Case {
    const char* what;
    uint16_t flags;
    Bytes seal;
    bool with_key;
    PictureResult result;
    int width, height;  // picture size, then the control's picture size
  };
  const std::vector<Case> cases = {
      {"handwriting", kHandwriting | kStrokes, Handwriting(60, 30, strokes), false, PictureResult::kOk, 60, 30},
      {"zero canvas", kHandwriting | kStrokes, Handwriting(0, 30, strokes), false, PictureResult::kBadStrokes, 0, 0},
      {"absurd canvas", kHandwriting | kStrokes, Handwriting(60000, 30, strokes), false, PictureResult::kBadStrokes, 0, 0},
      {"strokes cut", kHandwriting | kStrokes, Handwriting(60, 30, Bytes(strokes.begin(), strokes.end() - 1)), false,
       PictureResult::kBadStrokes, 0, 0},
      {"sizes only", kHandwriting | kStrokes, Bytes{60, 0, 30, 0}, false, PictureResult::kBadStrokes, 0, 0},
      {"V6 seal", 0, MakeV6Seal(30, 20, "ID6", "Six"), false, PictureResult::kOk, 30, 20},
      {"V4 seal with the control's key", 0, MakeV4Seal(16, 16, "ID4", "Four", 0, key), true, PictureResult::kOk, 16, 16},
      {"V4 seal without its key", 0, MakeV4Seal(16, 16, "ID4", "Four", 0, key), false, PictureResult::kNoRows, 0, 0},
      {"not a seal", 0, test::ToBytes("not a seal file at all"), false, PictureResult::kNoRows, 0, 0},
      {"no seal data", 0, {}, false, PictureResult::kNothing, 0, 0},
  };
  for (const Case& c : cases) {
    Record r;
    r.flags = c.flags;
    r.seal_data = c.seal;
    r.has_seal_key = c.with_key;
    r.seal_key = key;
    Decoded d(r);
    ControlPicture pic;
    EXPECT_EQ(BuildControlPicture(d.c, "", &pic), c.result) << c.what;
    EXPECT_EQ(pic.width, c.width) << c.what;
    EXPECT_EQ(pic.height, c.height) << c.what;
    if (c.result != PictureResult::kOk) continue;
    EXPECT_EQ(d.c->m_nPicWidth, c.width) << c.what;
    EXPECT_EQ(d.c->m_nPicHeight, c.height) << c.what;
    EXPECT_EQ(pic.rows.size(), static_cast<size_t>(((24 * c.width + 31) / 32) * 4 * c.height)) << c.what;
  }
}

TEST(WebSealPicture, SealTextsAndDrawnStrokes) {
  Record seal;
  seal.seal_data = MakeV4Seal(16, 16, "ID4", "Four", 9);
  Decoded s(seal);
  ControlPicture pic;
  ASSERT_EQ(BuildControlPicture(s.c, nullptr, &pic), PictureResult::kOk);
  EXPECT_STREQ(s.c->m_cSealId, "ID4");
  EXPECT_STREQ(s.c->m_cSealName, "Four");

  // The strokes are drawn on white: the middle of the line is red, the
  // corner untouched; the pen note is kept for the next picture.
  Record hw;
  hw.flags = kHandwriting | kStrokes;
  hw.seal_data = Handwriting(60, 30, StrokeBytes(0, 0, 60, 30, {{0x0000FF, {{4, 10, 15}, {4, 50, 15}}}}));
  Decoded h(hw);
  ASSERT_EQ(BuildControlPicture(h.c, nullptr, &pic), PictureResult::kOk);
  const size_t stride = ((24 * 60 + 31) / 32) * 4;
  const uint8_t* mid = &pic.rows[(29 - 15) * stride + 30 * 3];
  EXPECT_LT(mid[0], 100);
  EXPECT_GT(mid[2], 200);
  EXPECT_EQ(pic.rows[0], 255);
  ASSERT_NE(h.c->m_pPenNote, nullptr);
  EXPECT_EQ(BuildControlPicture(h.c, nullptr, &pic), PictureResult::kOk);
}

}  // namespace
}  // namespace oesqx

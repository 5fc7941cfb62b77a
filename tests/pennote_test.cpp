// Handwriting strokes: reading stroke data, bounds, and the fixed-point
// disc and line drawing.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "common/byte_reader.h"
#include "test_support.h"
#include "webseal/pen_note.h"

namespace oesqx {
namespace {

using test::Bytes;

// {pen width, x, y}
using Pt = std::array<uint16_t, 3>;

struct StrokeFixture {
  uint32_t color;
  std::vector<Pt> points;
  int rec_len = -1;      // -1: 8 + 6 * P
  int point_count = -1;  // -1: points.size()
};

Bytes StrokeData(PenRect area, const std::vector<StrokeFixture>& strokes, int count = -1) {
  Bytes out;
  ByteWriter w(&out);
  w.PutU16(area.left);
  w.PutU16(area.top);
  w.PutU16(area.right);
  w.PutU16(area.bottom);
  w.PutU16(count < 0 ? strokes.size() : count);
  w.PutU16(0);
  for (const StrokeFixture& s : strokes) {
    w.PutU32(s.color);
    w.PutU16(s.point_count < 0 ? s.points.size() : s.point_count);
    w.PutU16(s.rec_len < 0 ? 8 + 6 * s.points.size() : s.rec_len);
    for (const Pt& p : s.points) {
      w.PutU16(p[0]);
      w.PutU16(p[1]);
      w.PutU16(p[2]);
    }
  }
  return out;
}

// A white 24-bit bottom-up canvas addressed with y from the top.
struct Canvas {
  int w, h;
  size_t stride;
  Bytes px;
  Canvas(int width, int height)
      : w(width), h(height), stride(((24 * width + 31) / 32) * 4), px(stride * height, 255) {}
  const uint8_t* At(int x, int y_from_top) const { return &px[(h - 1 - y_from_top) * stride + x * 3]; }
  int Blue(int x, int y) const { return At(x, y)[0]; }
  bool Untouched(int x, int y) const { return At(x, y)[0] == 255 && At(x, y)[1] == 255 && At(x, y)[2] == 255; }
  int Touched() const {
    int n = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) n += !Untouched(x, y);
    return n;
  }
};

std::vector<Pt> PointsOf(const CPenNote& note, int index) {
  std::vector<Pt> out;
  POSITION pos = note.Strokes().GetHeadPosition();
  for (int i = 0; pos != nullptr; ++i) {
    const MARGEL_STROKE* s = note.Strokes().GetNext(pos);
    if (i != index) continue;
    for (POSITION p = s->points.GetHeadPosition(); p != nullptr;) {
      const STROKE_NOTE& n = s->points.GetNext(p);
      out.push_back({n.width, n.x, n.y});
    }
  }
  return out;
}

TEST(PenNoteLoad, ReadsStrokesAreaAndBounds) {
  const Bytes data = StrokeData({10, 20, 110, 120}, {{0x00123456, {{3, 15, 30}, {4, 40, 25}}},
                                                     {0x000000FF, {{2, 90, 100}}}});
  CPenNote note;
  ASSERT_TRUE(note.LoadData(data.data(), data.size()));
  ASSERT_EQ(note.Strokes().GetCount(), 2);
  EXPECT_EQ(note.Strokes().GetAt(note.Strokes().GetHeadPosition())->color, 0x00123456u);
  EXPECT_EQ(PointsOf(note, 0), (std::vector<Pt>{{3, 15, 30}, {4, 40, 25}}));
  EXPECT_EQ(PointsOf(note, 1), (std::vector<Pt>{{2, 90, 100}}));
  EXPECT_EQ(note.Area().left, 10);
  EXPECT_EQ(note.Area().bottom, 120);
  EXPECT_EQ(note.Bounds().left, 15);
  EXPECT_EQ(note.Bounds().top, 25);
  EXPECT_EQ(note.Bounds().right, 91);
  EXPECT_EQ(note.Bounds().bottom, 101);

  ASSERT_TRUE(note.MoveToOrigin());
  EXPECT_EQ(PointsOf(note, 0), (std::vector<Pt>{{3, 5, 10}, {4, 30, 5}}));
  EXPECT_EQ(note.Area().left, 0);
  EXPECT_EQ(note.Area().top, 0);
  EXPECT_EQ(note.Area().right, 100);
  EXPECT_EQ(note.Area().bottom, 100);
  EXPECT_EQ(note.Bounds().left, 5);
  EXPECT_EQ(note.Bounds().right, 81);
}

TEST(PenNoteLoad, RecordLengthFindsTheNextRecord) {
  // The first record carries 4 spare bytes after its points.
  Bytes data = StrokeData({}, {{1, {{1, 1, 1}}, 18}});
  data.insert(data.end(), {0xEE, 0xEE, 0xEE, 0xEE});
  const Bytes second = StrokeData({}, {{2, {{5, 6, 7}}}});
  data.insert(data.end(), second.begin() + 12, second.end());
  data[8] = 2;  // two strokes
  CPenNote note;
  ASSERT_TRUE(note.LoadData(data.data(), data.size()));
  EXPECT_EQ(PointsOf(note, 1), (std::vector<Pt>{{5, 6, 7}}));
}

TEST(PenNoteLoad, LastRecordLengthMayBeShort) {
  // A final stroke of 11000 points: its 16-bit record length wraps, but
  // nothing follows it, so every point is read.
  std::vector<Pt> pts;
  for (int i = 0; i < 11000; ++i) pts.push_back({1, static_cast<uint16_t>(i % 500), static_cast<uint16_t>(i / 500)});
  const Bytes data = StrokeData({}, {{0, {{2, 1, 1}}}, {0, pts, (8 + 6 * 11000) & 0xFFFF}});
  CPenNote note;
  ASSERT_TRUE(note.LoadData(data.data(), data.size()));
  EXPECT_EQ(PointsOf(note, 1).size(), 11000u);
  EXPECT_EQ(note.Bounds().right, 500);
}

TEST(PenNoteLoad, MoveToOriginNeedsAProperArea) {
  for (PenRect area : {PenRect{0, 0, 0, 0}, PenRect{50, 0, 50, 10}, PenRect{0, 20, 10, 5}}) {
    const Bytes data = StrokeData(area, {{0, {{1, 60, 60}}}});
    CPenNote note;
    ASSERT_TRUE(note.LoadData(data.data(), data.size()));
    EXPECT_FALSE(note.MoveToOrigin());
    EXPECT_EQ(PointsOf(note, 0), (std::vector<Pt>{{1, 60, 60}}));
  }
  CPenNote empty;
  EXPECT_FALSE(empty.MoveToOrigin());
  EXPECT_FALSE(empty.ReCalculateRect());
}

TEST(PenNoteLoad, MalformedDataIsRefusedWhole) {
  const Bytes good = StrokeData({0, 0, 100, 100}, {{0, {{2, 10, 10}, {2, 20, 20}}}, {0, {{2, 5, 5}}}});
  struct Case {
    const char* what;
    Bytes data;
  };
  Bytes truncated_points(good.begin(), good.end() - 1);
  Bytes short_header(good.begin(), good.begin() + 11);
  Bytes record_head_cut(good.begin(), good.begin() + 12 + 7);
  const std::vector<Case> cases = {
      {"empty", {}},
      {"header cut", short_header},
      {"no strokes", StrokeData({0, 0, 100, 100}, {})},
      {"more strokes than records", StrokeData({}, {{0, {{2, 1, 1}}}}, 2)},
      {"record head cut", record_head_cut},
      {"last point cut", truncated_points},
      {"point count past the data", StrokeData({}, {{0, {{2, 1, 1}}, -1, 1000}})},
      {"record length past the data", StrokeData({}, {{0, {{2, 1, 1}}, 200}})},
      {"record length shorter than its points",
       StrokeData({}, {{0, {{2, 1, 1}, {2, 2, 2}}, 14}, {0, {{2, 1, 1}}}})},
      {"zero record length", StrokeData({}, {{0, {{2, 1, 1}}, 0}, {0, {{2, 1, 1}}}})},
  };
  for (const Case& c : cases) {
    CPenNote note;
    EXPECT_FALSE(note.LoadData(c.data.data(), c.data.size())) << c.what;
    EXPECT_EQ(note.Strokes().GetCount(), 0) << c.what;
  }
  CPenNote note;
  EXPECT_FALSE(note.LoadData(nullptr, 100));
  EXPECT_FALSE(note.LoadData(good.data(), -1));
  // A failed load also drops what an earlier load read.
  ASSERT_TRUE(note.LoadData(good.data(), good.size()));
  EXPECT_FALSE(note.LoadData(short_header.data(), short_header.size()));
  EXPECT_EQ(note.Strokes().GetCount(), 0);
}

TEST(PenNoteDisc, SoftEdgesInFixedPoint) {
  struct Case {
    int radius;
    int centre, side, diagonal, two_away;  // blue byte after drawing black
  };
  // radius 16 (one pixel): inner square 64, outer 24; radius 5 is drawn as
  // 10 with outer 18 and inner square 64.
  const Case cases[] = {{16, 85, 191, 239, 255}, {5, 85, 207, 255, 255}};
  for (const Case& c : cases) {
    Canvas cv(21, 21);
    CPenNote note;
    note.DrawCircle2(cv.px.data(), cv.w, cv.h, 160, 160, c.radius, 0, 0, 0);
    EXPECT_EQ(cv.Blue(10, 10), c.centre) << c.radius;
    EXPECT_EQ(cv.Blue(11, 10), c.side) << c.radius;
    EXPECT_EQ(cv.Blue(10, 9), c.side) << c.radius;
    EXPECT_EQ(cv.Blue(9, 9), c.diagonal) << c.radius;
    EXPECT_EQ(cv.Blue(12, 10), c.two_away) << c.radius;
  }
}

TEST(PenNoteDisc, ClipsAtTheCanvasEdges) {
  // A disc near or past each edge of a 4 x 3 canvas matches the same disc
  // drawn on a canvas 4 pixels larger on every side, cropped.
  const std::pair<int, int> centres[] = {{-8, 8}, {8, -30}, {70, 20}, {30, 60}, {-40, -40}, {100, 100}};
  for (auto [x, y] : centres) {
    Canvas small(4, 3), big(12, 11);
    CPenNote note;
    note.DrawCircle2(small.px.data(), 4, 3, x, y, 40, 0, 0, 0);
    note.DrawCircle2(big.px.data(), 12, 11, x + 64, y + 64, 40, 0, 0, 0);
    for (int ty = 0; ty < 3; ++ty)
      for (int tx = 0; tx < 4; ++tx) EXPECT_EQ(small.Blue(tx, ty), big.Blue(tx + 4, ty + 4)) << x << "," << y;
  }
  Canvas cv(4, 3);
  CPenNote note;
  note.DrawCircle2(nullptr, 4, 3, 0, 0, 40, 0, 0, 0);
  note.DrawCircle2(cv.px.data(), 0, 3, 0, 0, 40, 0, 0, 0);
  EXPECT_EQ(cv.Touched(), 0);
}

TEST(PenNoteLine, StampsEveryThirdOfTheRadius) {
  // Vertical line of 10 pixels with radius 8 pixels: stamps every 32 units,
  // from the start, never at the end point.
  Canvas line(30, 40), stamps(30, 40);
  CPenNote note;
  note.DrawLine(line.px.data(), 30, 40, 0, 0, 0, 160, 160, 128, 160, 320, 128);
  for (int y = 160; y < 320; y += 32) note.DrawCircle2(stamps.px.data(), 30, 40, 160, y, 128, 0, 0, 0);
  EXPECT_EQ(line.px, stamps.px);
  note.DrawCircle2(stamps.px.data(), 30, 40, 160, 320, 128, 0, 0, 0);
  EXPECT_NE(line.px, stamps.px);
}

TEST(PenNoteLine, ShortSegmentsGetOneDisc) {
  struct Case {
    const char* what;
    int x1, y1, r0, r1;
  };
  const Case cases[] = {
      {"under one pixel", 175, 170, 16, 20},
      {"shorter than three radii", 180, 170, 80, 64},
  };
  for (const Case& c : cases) {
    Canvas line(40, 30), disc(40, 30);
    CPenNote note;
    note.DrawLine(line.px.data(), 40, 30, 0, 0, 0, 160, 160, c.r0, c.x1, c.y1, c.r1);
    note.DrawCircle2(disc.px.data(), 40, 30, c.x1, c.y1, c.r1, 0, 0, 0);
    EXPECT_EQ(line.px, disc.px) << c.what;
  }
}

TEST(PenNoteLine, MinorAxisAndRadiusAdvanceIn256ths) {
  // From (80, 80) radius 16 to (1200, 240) radius 48: x is the major axis,
  // step 16; per stamp y advances 160 * 16 * 16 / 1120 = 36/256 pixel and
  // the radius 32 * 16 * 16 / 1120 = 7/256 pixel, both truncated once.
  Canvas line(80, 20), stamps(80, 20);
  CPenNote note;
  note.DrawLine(line.px.data(), 80, 20, 0, 0, 0, 80, 80, 16, 1200, 240, 48);
  for (int k = 0; 16 * k < 1120; ++k) {
    note.DrawCircle2(stamps.px.data(), 80, 20, 80 + 16 * k, (80 * 16 + 36 * k) >> 4, (16 * 16 + 7 * k) >> 4,
                     0, 0, 0);
  }
  EXPECT_EQ(line.px, stamps.px);

  // The same line drawn backwards stamps from the other end.
  Canvas back(80, 20), back_stamps(80, 20);
  note.DrawLine(back.px.data(), 80, 20, 0, 0, 0, 1200, 240, 48, 80, 80, 16);
  for (int k = 0; 16 * k < 1120; ++k) {
    note.DrawCircle2(back_stamps.px.data(), 80, 20, 1200 - 16 * k, (240 * 16 - 36 * k) >> 4,
                     (48 * 16 - 7 * k) >> 4, 0, 0, 0);
  }
  EXPECT_EQ(back.px, back_stamps.px);
}

TEST(PenNoteLine, FarSegmentsStampOnlyNearTheCanvas) {
  // A long vertical line that only crosses the canvas: the skipped stamps
  // could not have touched it.
  Canvas fast(10, 10), slow(10, 10);
  CPenNote note;
  note.DrawLine(fast.px.data(), 10, 10, 0, 0, 0, 80, -1600000, 40, 80, 1600000, 40);
  for (int y = -1600000; y < 1600000; y += 16) note.DrawCircle2(slow.px.data(), 10, 10, 80, y, 40, 0, 0, 0);
  EXPECT_EQ(fast.px, slow.px);
  EXPECT_GT(fast.Touched(), 0);
}

TEST(PenNoteDraw, SinglePointIsASoftDotInTheStrokeColour) {
  const Bytes data = StrokeData({}, {{0x000000FF, {{2, 10, 5}}}});
  CPenNote note;
  ASSERT_TRUE(note.LoadData(data.data(), data.size()));
  Canvas cv(20, 20);
  note.Draw(cv.px.data(), 0, 0, 20, 20, 100);
  // Area 0 x 0: drawn at its own coordinates, in red.
  const uint8_t* c = cv.At(10, 5);
  EXPECT_EQ(c[0], 85);
  EXPECT_EQ(c[1], 85);
  EXPECT_EQ(c[2], 255);
  EXPECT_EQ(cv.At(11, 5)[0], 191);
  EXPECT_EQ(cv.At(11, 5)[2], 255);
  EXPECT_TRUE(cv.Untouched(12, 5));
  EXPECT_EQ(cv.Touched(), 9);
  note.Draw(nullptr, 0, 0, 20, 20, 100);
}

TEST(PenNoteDraw, FitsTheWritingAreaToTheCanvas) {
  struct Case {
    const char* what;
    PenRect area;
    Pt point;
    int canvas_w, canvas_h, scale;
    int px, py;   // expected centre pixel
    int radius;   // expected radius in 1/16 pixel
  };
  const Case cases[] = {
      {"200x100 on 100x100: width-limited 0.5", {0, 0, 200, 100}, {4, 100, 50}, 100, 100, 100, 50, 25, 16},
      {"area offset to its top-left", {20, 40, 120, 140}, {2, 30, 50}, 100, 100, 100, 10, 10, 16},
      {"height-limited 2.0", {0, 0, 100, 25}, {2, 10, 5}, 400, 50, 100, 20, 10, 32},
      {"scale 50, no area: origin at the point bounds", {0, 0, 0, 0}, {4, 40, 30}, 100, 100, 50, 40, 30, 16},
  };
  for (const Case& c : cases) {
    const Bytes data = StrokeData(c.area, {{0, {c.point}}});
    CPenNote note, ref;
    ASSERT_TRUE(note.LoadData(data.data(), data.size())) << c.what;
    Canvas cv(c.canvas_w, c.canvas_h), expect(c.canvas_w, c.canvas_h);
    note.Draw(cv.px.data(), 0, 0, c.canvas_w, c.canvas_h, c.scale);
    ref.DrawCircle2(expect.px.data(), c.canvas_w, c.canvas_h, c.px * 16, c.py * 16, c.radius, 0, 0, 0);
    EXPECT_EQ(cv.px, expect.px) << c.what;
  }
}

TEST(PenNoteDraw, ShortStrokesUseFirstAndLastPointOnly) {
  const Bytes three = StrokeData({}, {{0, {{2, 5, 5}, {6, 30, 2}, {3, 25, 15}}}});
  const Bytes two = StrokeData({}, {{0, {{2, 5, 5}, {3, 25, 15}}}});
  Canvas a(40, 20), b(40, 20), line(40, 20);
  CPenNote n3, n2, ref;
  ASSERT_TRUE(n3.LoadData(three.data(), three.size()));
  ASSERT_TRUE(n2.LoadData(two.data(), two.size()));
  n3.Draw(a.px.data(), 0, 0, 40, 20, 100);
  n2.Draw(b.px.data(), 0, 0, 40, 20, 100);
  EXPECT_EQ(a.px, b.px);
  EXPECT_TRUE(a.Untouched(30, 2));
  ref.DrawLine(line.px.data(), 40, 20, 0, 0, 0, 80, 80, 16, 400, 240, 24);
  ref.DrawCircle2(line.px.data(), 40, 20, 400, 240, 24, 0, 0, 0);
  EXPECT_EQ(a.px, line.px);

  // First and last in the same place: one disc with the larger radius.
  const Bytes same = StrokeData({}, {{0, {{2, 9, 9}, {5, 30, 30}, {4, 9, 9}}}});
  CPenNote ns;
  ASSERT_TRUE(ns.LoadData(same.data(), same.size()));
  Canvas s(40, 40), disc(40, 40);
  ns.Draw(s.px.data(), 0, 0, 40, 40, 100);
  ref.DrawCircle2(disc.px.data(), 40, 40, 144, 144, 32, 0, 0, 0);
  EXPECT_EQ(s.px, disc.px);
}

TEST(PenNoteDraw, SmoothedStrokesSkipStillPoints) {
  // Six samples on one spot: every five-point average falls on the start
  // with the same radius, so only the closing disc is drawn.
  const std::vector<Pt> still(6, Pt{2, 12, 12});
  const Bytes data = StrokeData({}, {{0, still}});
  CPenNote note, ref;
  ASSERT_TRUE(note.LoadData(data.data(), data.size()));
  Canvas cv(30, 30), disc(30, 30);
  note.Draw(cv.px.data(), 0, 0, 30, 30, 100);
  ref.DrawCircle2(disc.px.data(), 30, 30, 192, 192, 16, 0, 0, 0);
  EXPECT_EQ(cv.px, disc.px);

  // A change of width at the same spot stamps an extra disc there.
  std::vector<Pt> thicker = still;
  thicker[5][0] = 7;
  const Bytes data2 = StrokeData({}, {{0, thicker}});
  CPenNote note2;
  ASSERT_TRUE(note2.LoadData(data2.data(), data2.size()));
  Canvas cv2(30, 30);
  note2.Draw(cv2.px.data(), 0, 0, 30, 30, 100);
  EXPECT_NE(cv2.px, cv.px);
}

TEST(PenNoteDraw, SmoothedStrokeFollowsTheAverage) {
  // A horizontal run of 21 samples 1 pixel apart, then a jump back: the
  // averages trace the run, and the final (unaveraged) point is joined.
  std::vector<Pt> pts;
  for (uint16_t x = 5; x <= 25; ++x) pts.push_back({2, x, 10});
  pts.push_back({2, 5, 25});
  const Bytes data = StrokeData({}, {{0x0000FF00, pts}});
  CPenNote note;
  ASSERT_TRUE(note.LoadData(data.data(), data.size()));
  Canvas cv(40, 40);
  note.Draw(cv.px.data(), 0, 0, 40, 40, 100);
  // The averages reach x = 22 ((21+22+23+24+25+2)/5), never 25 on the run.
  EXPECT_EQ(cv.At(8, 10)[1], 255);    // green channel
  EXPECT_LT(cv.At(8, 10)[0], 100);    // blue gone
  EXPECT_FALSE(cv.Untouched(22, 10));
  EXPECT_TRUE(cv.Untouched(25, 10));
  EXPECT_FALSE(cv.Untouched(5, 25));  // the closing point
  EXPECT_TRUE(cv.Untouched(35, 35));
}

TEST(PenNoteDraw, ExtremeWidthsAndAreasStayBounded) {
  // Maximum pen widths on a one-unit writing area scaled to the canvas:
  // the radii are capped and the far stamps skipped, so this ends quickly
  // with the canvas covered.
  std::vector<Pt> pts;
  for (int i = 0; i < 40; ++i) {
    const uint16_t far = i % 10 == 9 ? 65535 : 0;
    pts.push_back({static_cast<uint16_t>(i % 2 ? 65535 : 1), static_cast<uint16_t>(far + i % 2),
                   static_cast<uint16_t>((i / 2) % 2)});
  }
  const Bytes data = StrokeData({0, 0, 1, 1}, {{0, pts}});
  CPenNote note;
  ASSERT_TRUE(note.LoadData(data.data(), data.size()));
  Canvas cv(32, 32);
  note.Draw(cv.px.data(), 0, 0, 32, 32, 100);
  note.Draw(cv.px.data(), 0, 0, 32, 32, 1 << 30);
  note.Draw(cv.px.data(), 7, 9, 32, 32, -500);
  EXPECT_GT(cv.Touched(), 0);
}

}  // namespace
}  // namespace oesqx

// Handwriting strokes of a web seal: reading their binary form and drawing
// them, smoothed and anti-aliased, into a 24-bit bottom-up bitmap.
//
// Stroke data (little-endian, 16-bit fields): left, top, right, bottom of the
// writing area, stroke count N, one unused word, then N records of
// { colour (32-bit, 0x00BBGGRR), point count P, record length, P points of
// { pen width, x, y } }.
//
// Drawing works in fixed point: coordinates and radii handed to DrawLine and
// DrawCircle2 are in 1/16 pixel, y counted from the top; the bitmap rows are
// stored bottom row first, ((24 * width + 31) / 32) * 4 bytes each, pixels
// as blue, green, red.
#ifndef OESQX_WEBSEAL_PEN_NOTE_H
#define OESQX_WEBSEAL_PEN_NOTE_H

#include <cstdint>

#include "seal/clist.h"

namespace oesqx {

// One sampled point.
struct STROKE_NOTE {
  uint16_t x;
  uint16_t y;
  uint16_t width;  // pen width in pixels
};

// One stroke: its points in sampling order, its colour, and whether it is
// hidden (hidden strokes are neither drawn nor measured).
struct MARGEL_STROKE {
  CList<STROKE_NOTE> points;
  uint32_t color = 0;  // 0x00BBGGRR
  uint8_t hidden = 0;
};

// A rectangle in the units of the writing area.
struct PenRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

class CPenNote {
 public:
  CPenNote();
  virtual ~CPenNote();
  CPenNote(const CPenNote&) = delete;
  CPenNote& operator=(const CPenNote&) = delete;

  // Replaces the strokes with those of `data`. True when at least one stroke
  // was read. Data whose header, records or points run past `len`, or whose
  // record length cannot hold its points, is refused whole: the note is then
  // left empty and the result is false.
  bool LoadData(const unsigned char* data, int len);

  // Draws every visible stroke into `pixels` (width x height, 24-bit,
  // bottom-up), fitted to the writing area when it is a proper rectangle.
  // A null buffer or an empty canvas draws nothing.
  void Draw(unsigned char* pixels, int xoff, int yoff, int width, int height, int scale);

  // Recomputes the point bounds over the visible points (max + 1 on the right
  // and bottom). False, and all four zero, when there is no visible point.
  bool ReCalculateRect();

  // Moves every visible point, the writing area and the bounds by
  // (-left, -top) of the writing area. Only when there are strokes and the
  // area is a proper rectangle; true when moved.
  bool MoveToOrigin();

  // Frees every stroke and point.
  void ReleaseData();

  // A line of discs from (x0, y0) with radius r0 to (x1, y1) with radius r1,
  // all in 1/16 pixel.
  void DrawLine(unsigned char* pixels, int width, int height, uint8_t red, uint8_t green,
                uint8_t blue, int x0, int y0, int r0, int x1, int y1, int r1);
  // A soft-edged disc centred on (x, y) with the given radius, in 1/16 pixel.
  void DrawCircle2(unsigned char* pixels, int width, int height, int x, int y, int radius,
                   uint8_t red, uint8_t green, uint8_t blue);

  const CList<MARGEL_STROKE*>& Strokes() const { return m_lstStrokes; }
  const PenRect& Area() const { return m_rcArea; }
  const PenRect& Bounds() const { return m_rcBounds; }

 private:
  struct Mapping;
  void DrawStroke(unsigned char* pixels, int width, int height, const MARGEL_STROKE& stroke,
                  const Mapping& map);

  CList<MARGEL_STROKE*> m_lstStrokes;
  PenRect m_rcArea;    // the writing area as read
  PenRect m_rcBounds;  // the point bounds
  MARGEL_STROKE* m_pCurStroke = nullptr;  // the stroke being built while loading
};

}  // namespace oesqx

#endif

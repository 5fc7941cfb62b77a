// CPenNote: reading stroke data, bounds, move to origin, release.
#include "webseal/pen_note.h"

#include <algorithm>
#include <climits>

#include "common/byte_reader.h"
#include "common/debuglog.h"

namespace oesqx {

namespace {

constexpr size_t kHeaderSize = 12;
constexpr size_t kRecordHeadSize = 8;
constexpr size_t kPointSize = 6;

}  // namespace

CPenNote::CPenNote() = default;

CPenNote::~CPenNote() { ReleaseData(); }

void CPenNote::ReleaseData() {
  POSITION pos = m_lstStrokes.GetHeadPosition();
  while (pos != nullptr) {
    MARGEL_STROKE* stroke = m_lstStrokes.GetNext(pos);
    delete stroke;
  }
  m_lstStrokes.RemoveAll();
  delete m_pCurStroke;
  m_pCurStroke = nullptr;
}

bool CPenNote::LoadData(const unsigned char* data, int len) {
  dbg::Str("PenNote::LoadData");
  ReleaseData();
  ByteReader in(data, len > 0 ? static_cast<size_t>(len) : 0);
  uint16_t left = 0, top = 0, right = 0, bottom = 0, count = 0;
  if (!in.ReadU16(&left) || !in.ReadU16(&top) || !in.ReadU16(&right) || !in.ReadU16(&bottom) ||
      !in.ReadU16(&count) || !in.Skip(2)) {
    dbg::Int(0);
    return false;
  }
  dbg::Int(count);

  size_t record_start = kHeaderSize;
  for (unsigned i = 0; i < count; ++i) {
    // A record and its points must lie within the data. A record that is
    // followed by another must also hold its points within its stated
    // length, so records never overlap and the points read stay bounded by
    // the data; the last record's length is not used and may be short (its
    // 16 bits cannot state a stroke of more than 10921 points).
    ByteReader rec;
    uint32_t color = 0;
    uint16_t points = 0, rec_len = 0;
    const bool last = i + 1 == count;
    if (!in.Seek(record_start) || !in.ReadU32(&color) || !in.ReadU16(&points) ||
        !in.ReadU16(&rec_len) || (!last && rec_len < kRecordHeadSize + kPointSize * points) ||
        !in.Seek(record_start) || in.remaining() < rec_len || !in.Skip(kRecordHeadSize) ||
        !in.ReadSub(kPointSize * points, &rec)) {
      ReleaseData();
      return false;
    }
    m_pCurStroke = new MARGEL_STROKE;
    m_pCurStroke->color = color;
    for (unsigned p = 0; p < points; ++p) {
      STROKE_NOTE note{};
      rec.ReadU16(&note.width);  // cannot fail: rec covers every point
      rec.ReadU16(&note.x);
      rec.ReadU16(&note.y);
      m_pCurStroke->points.AddTail(note);
    }
    m_lstStrokes.AddTail(m_pCurStroke);
    m_pCurStroke = nullptr;
    record_start += rec_len;
  }

  if (m_lstStrokes.GetCount() == 0) return false;
  m_rcArea = PenRect{left, top, right, bottom};
  ReCalculateRect();
  return true;
}

bool CPenNote::ReCalculateRect() {
  int32_t min_x = INT32_MAX, min_y = INT32_MAX, max_x = INT32_MIN, max_y = INT32_MIN;
  bool any = false;
  POSITION pos = m_lstStrokes.GetHeadPosition();
  while (pos != nullptr) {
    const MARGEL_STROKE* stroke = m_lstStrokes.GetNext(pos);
    if (stroke->hidden) continue;
    POSITION pp = stroke->points.GetHeadPosition();
    while (pp != nullptr) {
      const STROKE_NOTE& n = stroke->points.GetNext(pp);
      min_x = std::min<int32_t>(min_x, n.x);
      min_y = std::min<int32_t>(min_y, n.y);
      max_x = std::max<int32_t>(max_x, n.x);
      max_y = std::max<int32_t>(max_y, n.y);
      any = true;
    }
  }
  if (!any) {
    m_rcBounds = PenRect{};
    return false;
  }
  m_rcBounds = PenRect{min_x, min_y, max_x + 1, max_y + 1};
  return true;
}

bool CPenNote::MoveToOrigin() {
  if (m_lstStrokes.GetCount() == 0) return false;
  if (!(m_rcArea.left < m_rcArea.right && m_rcArea.top < m_rcArea.bottom)) return false;
  const int32_t dx = m_rcArea.left;
  const int32_t dy = m_rcArea.top;
  // A point left of or above the area would wrap around in its 16-bit field;
  // it is kept on the area's edge instead.
  auto shift = [](uint16_t v, int32_t d) {
    return static_cast<uint16_t>(std::max<int32_t>(0, static_cast<int32_t>(v) - d));
  };
  POSITION pos = m_lstStrokes.GetHeadPosition();
  while (pos != nullptr) {
    MARGEL_STROKE* stroke = m_lstStrokes.GetNext(pos);
    if (stroke->hidden) continue;
    POSITION pp = stroke->points.GetHeadPosition();
    while (pp != nullptr) {
      STROKE_NOTE& n = stroke->points.GetNext(pp);
      n.x = shift(n.x, dx);
      n.y = shift(n.y, dy);
    }
  }
  m_rcArea = PenRect{0, 0, m_rcArea.right - dx, m_rcArea.bottom - dy};
  ReCalculateRect();
  return true;
}

}  // namespace oesqx

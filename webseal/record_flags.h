// Flag bits of the binary web seal control record: which optional parts
// follow the record's fixed head.
#ifndef OESQX_WEBSEAL_RECORD_FLAGS_H
#define OESQX_WEBSEAL_RECORD_FLAGS_H

#include <cstdint>

namespace oesqx::webseal::record {

enum RecordFlag : uint16_t {
  kHandwriting = 1 << 1,
  kPosition = 1 << 2,
  kSkip20 = 1 << 4,
  kFieldEntries = 1 << 5,
  kSkip16a = 1 << 6,
  kStringList = 1 << 7,
  kSealKey = 1 << 8,
  kSkip16b = 1 << 9,
  kScale = 1 << 10,
  kKind = 1 << 11,
  kNoSealData = 1 << 12,
  kStrokes = 1 << 13,
  kSkip4 = 1 << 14,
  kSkip64 = 1 << 15,
};

}  // namespace oesqx::webseal::record

#endif

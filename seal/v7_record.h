// The seal record (SEAL_DATA_V6) made from a loaded standard seal, and the
// date texts of standard seals.
#ifndef OESQX_SEAL_V7_RECORD_H
#define OESQX_SEAL_V7_RECORD_H

#include <ctime>

#include "seal/v7_seal.h"

namespace oesqx::v7 {

// A date text as standard seals write it: at least 12 digits followed by
// the end, a space or "Z"; 14 digits or more are YYYYMMDDhhmm..., fewer are
// YYMMDDhhmm... with the year 2000 + YY.
struct DateText {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  bool short_form = false;
};
bool ReadDateText(const char* text, DateText* out);

// Day numbers of the validity texts: valid-from is today (UTC) when the
// text is unreadable, empty or a short form of 1970 to 1999; valid-until is
// 0 (no limit) when unreadable or empty.
unsigned int ValidFromDay(const char* text);
unsigned int ValidUntilDay(const char* text);

// The creation date as a broken-down time (seconds 59); false when absent
// or unreadable.
bool CreationTime(const char* text, struct tm* out);

// Decodes the seal's picture and builds its record (malloc'd) with
// identifier `id`. Null when the picture cannot be decoded or does not fit
// a record.
SEAL_DATA_V6* MakeRecord(const SES_SEAL_S& seal, unsigned int id);

}  // namespace oesqx::v7

#endif

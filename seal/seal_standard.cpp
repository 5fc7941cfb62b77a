// Standard (DER) seals inside CSealOperator. Until the standard seal reader
// is built in, data that begins with a SEQUENCE is not loaded and the
// standard seal list stays empty.
#include "common/debuglog.h"
#include "seal/seal_operator.h"

int CSealOperator::LoadStandardData(const unsigned char*, int) {
  oesqx::dbg::Str("V7 mode");
  return 0;
}

SEAL_DATA_V6* CSealOperator::GetStandardSealData(unsigned int, SEAL_DATA_V6*) {
  return nullptr;
}

int CSealOperator::SaveStandardData(unsigned char** out) {
  if (out != nullptr) *out = nullptr;
  return -3;
}

int CSealOperator::GenerateOneStandardSeal(SEAL_DATA_V6*, unsigned char** out) {
  if (out != nullptr) *out = nullptr;
  return -3;
}

void CSealOperator::ReleaseV7Seal() { m_oV7SealList.RemoveAll(); }

// Life cycle, password and identifiers of CSealOperator.
#include "seal/seal_operator.h"

#include <cstdlib>
#include <ctime>

#include "common/settings.h"
#include "seal/container.h"

CSealOperator::CSealOperator() = default;

CSealOperator::~CSealOperator() {
  delete m_pFileHeader;
  std::free(m_pSealData);
  ReleaseV7Seal();
}

void CSealOperator::SetPassword(const char* password) {
  oesqx::CopySetting(m_cPassword, sizeof(m_cPassword), password);
}

void CSealOperator::ReplaceContainer(SEAL_ENCDATA_HEADER_V6* container) {
  if (container == m_pSealData) return;
  std::free(m_pSealData);
  m_pSealData = container;
}

unsigned int CSealOperator::GenerateNewID() {
  if (m_pSealData == nullptr) return 0;
  oesqx::seal::SeedRandomOnce();
  for (;;) {
    const unsigned int candidate =
        (static_cast<unsigned int>(std::rand()) & 0xFFFFu) << 16 |
        (static_cast<unsigned int>(std::time(nullptr)) & 0xFFFFu);
    if (candidate == 0 || candidate == 1) continue;
    if (!oesqx::seal::HasItemId(m_pSealData, candidate)) return candidate;
  }
}

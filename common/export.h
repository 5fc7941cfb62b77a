// Export control for liboesqx. Everything is built with -fvisibility=hidden;
// only declarations marked OESQX_API reach the dynamic symbol table, and the
// linker's version script (made from the exports.txt lists) hides the rest.
#ifndef OESQX_COMMON_EXPORT_H
#define OESQX_COMMON_EXPORT_H

#if defined(__GNUC__)
#define OESQX_API __attribute__((visibility("default")))
#else
#define OESQX_API
#endif

#ifdef __cplusplus
#define OESQX_EXTERN_C_BEGIN extern "C" {
#define OESQX_EXTERN_C_END }
#else
#define OESQX_EXTERN_C_BEGIN
#define OESQX_EXTERN_C_END
#endif

#endif

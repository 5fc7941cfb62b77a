/* OES electronic-seal provider interface of liboesqx.
 *
 * All calls return 0 on success or one of the OES_ERR_* codes. Text results
 * are NUL-terminated UTF-8 and their reported length counts the NUL.
 * Length query: pass a null output buffer and a valid length pointer; the
 * call stores the needed length and returns 0. A call that checks capacity
 * returns OES_ERR_SPACE when *length is too small. */
#ifndef OESQX_OES_OES_API_H
#define OESQX_OES_OES_API_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define OES_API __attribute__((visibility("default")))
#else
#define OES_API
#endif

enum {
  OES_OK = 0,
  OES_ERR_CANCEL = 16,
  OES_ERR_MB_MISMATCH = 2320,
  OES_ERR_GENERAL = 8192,
  OES_ERR_PARAM = 8193,
  OES_ERR_SPACE = 8194,
  OES_ERR_SIGN_FORMAT = 8195,
  OES_ERR_SEAL_REVOKED_ONLINE = 8196,
  OES_ERR_SEAL_NOT_FOUND = 8197,
  OES_ERR_ALGORITHM = 8198,
  OES_ERR_NO_KEY = 8199,
  OES_ERR_CONNECT = 8200,
  OES_ERR_SEAL_FORMAT = 8201,
  OES_ERR_VERIFY = 8208,
  OES_ERR_NO_CERT = 8209,
  OES_ERR_DATA = 8210,
  OES_ERR_PERMISSION = 8211,
  OES_ERR_PIN = 8212,
  OES_ERR_KEY_CALL = 8213,
  OES_ERR_CERT_INVALID = 8214,
  OES_ERR_KEY_LOCKED = 8215,
  OES_ERR_CHAIN = 8216
};

/* Provider name, company, version and extension. Each non-null buffer gets
 * its value (no capacity check: supply at least the reported length); each
 * non-null length pointer gets the length. Always 0. */
OES_API int OES_GetProviderInfo(unsigned char* puchName, int* piNameLen, unsigned char* puchCompany,
                                int* piCompanyLen, unsigned char* puchVersion, int* piVersionLen,
                                unsigned char* puchExtend, int* piExtendLen);

/* Current UTC time as "YYYYMMDDhhmmssZ" (length 16). */
OES_API int OES_GetSignDateTime(unsigned char* puchSignDateTime, int* piSignDateTimeLen);

/* "1.2.156.10197.1.501" and "1.2.156.10197.1.401" (length 20). */
OES_API int OES_GetSignMethod(unsigned char* puchSignMethod, int* piSignMethodLen);
OES_API int OES_GetDigestMethod(unsigned char* puchDigestMethod, int* piDigestMethodLen);

/* Digest of the data with "SM3" (or its identifier, or a null algorithm),
 * "SHA1" (or "1.3.14.3.2.26") or "MD5"; other names give OES_ERR_ALGORITHM. */
OES_API int OES_Digest(unsigned char* puchData, int iDataLen, unsigned char* puchAlgo, int iAlgoLen,
                       unsigned char* puchDigestValue, int* piDigestValueLen);

/* The message text of an OES code ("Err=<code>" for unknown codes). A null
 * buffer reports 64. */
OES_API int OES_GetErrMessage(unsigned long errCode, unsigned char* puchErrMessage,
                              int* piErrMessageLen);

#ifdef __cplusplus
}
#endif

#endif

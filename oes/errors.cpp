#include "oes/errors.h"

#include <cstdio>

#include "oes/oes_api.h"

namespace oesqx::oes {
namespace {

struct ErrorEntry {
  unsigned long code;
  const char* text;
};

constexpr ErrorEntry kErrors[] = {
    {OES_ERR_CANCEL, "已取消"},
    {OES_ERR_MB_MISMATCH, "MB数据不匹配"},
    {OES_ERR_GENERAL, "通用错误"},
    {OES_ERR_PARAM, "错误的参数"},
    {OES_ERR_SPACE, "空间不足"},
    {OES_ERR_SIGN_FORMAT, "签章格式错误"},
    {OES_ERR_SEAL_REVOKED_ONLINE, "印章在线验证已失效"},
    {OES_ERR_SEAL_NOT_FOUND, "印章不存在"},
    {OES_ERR_ALGORITHM, "错误的算法标识"},
    {OES_ERR_NO_KEY, "未发现有效的智能卡"},
    {OES_ERR_CONNECT, "连接错误"},
    {OES_ERR_SEAL_FORMAT, "印章格式错误"},
    {OES_ERR_VERIFY, "校验未通过"},
    {OES_ERR_NO_CERT, "未发现有效的证书"},
    {OES_ERR_DATA, "数据错误"},
    {OES_ERR_PERMISSION, "权限错误"},
    {OES_ERR_PIN, "错误的PIN码"},
    {OES_ERR_KEY_CALL, "调用Key过程错误"},
    {OES_ERR_CERT_INVALID, "证书无效"},
    {OES_ERR_KEY_LOCKED, "智能卡已锁定,请联系管理员解锁"},
    {OES_ERR_CHAIN, "证书链校验无效"},
};

}  // namespace

std::string ErrorText(unsigned long code) {
  for (const ErrorEntry& e : kErrors) {
    if (e.code == code) return e.text;
  }
  char text[32];
  std::snprintf(text, sizeof(text), "Err=%d", static_cast<int>(code));
  return text;
}

}  // namespace oesqx::oes

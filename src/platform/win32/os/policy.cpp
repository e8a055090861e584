// The administrator's settings: values that Group Policy writes under
// HKLM\SOFTWARE\Policies\Hostwarden from the program's ADMX template
// (resources/policy), each a REG_MULTI_SZ list.
#include <vector>

#include "platform/win32/os/multi_string.h"
#include "platform/win32/os/text_encoding.h"
#include "platform/win32/os/win32_os.h"

namespace hw::win32 {
namespace {

constexpr const wchar_t* kPolicyKey = L"SOFTWARE\\Policies\\Hostwarden";
constexpr const char* kPolicySource = "policy";

// The setting's strings in UTF-8, empty items left out.
std::vector<std::string> MultiStringValues(const std::vector<wchar_t>& data) {
  std::vector<std::string> values;
  for (const auto& item : MultiStringItems(data)) values.push_back(win32::WideToUtf8(item));
  return values;
}

// The system says it has no such setting, or cannot have any (the Unicode
// registry functions of Windows 95 to Me are stubs).
bool IsUnset(LONG status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND || status == ERROR_CALL_NOT_IMPLEMENTED;
}

}  // namespace

std::optional<PolicySetting> Win32Os::ReadPolicySetting(const std::string& name) {
  auto openKey = system_.RegOpenKeyExW.Get();
  auto queryValue = system_.RegQueryValueExW.Get();
  auto closeKey = system_.RegCloseKey.Get();
  PolicySetting unreadable{kPolicySource, /*readable=*/false, {}};
  HKEY key = nullptr;
  LONG status = openKey(HKEY_LOCAL_MACHINE, kPolicyKey, 0, KEY_QUERY_VALUE, &key);
  if (IsUnset(status)) return std::nullopt;
  if (status != ERROR_SUCCESS) return unreadable;
  std::wstring valueName = win32::Utf8ToWide(name);
  DWORD type = 0, size = 0;
  status = queryValue(key, valueName.c_str(), nullptr, &type, nullptr, &size);
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
  if (status == ERROR_SUCCESS && type == REG_MULTI_SZ) {
    DWORD filled = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
    status = queryValue(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &filled);
    data.resize(filled / sizeof(wchar_t));
  }
  closeKey(key);
  if (IsUnset(status)) return std::nullopt;
  if (status != ERROR_SUCCESS || type != REG_MULTI_SZ) return unreadable;  // a REG_SZ, say: not this template's
  return PolicySetting{kPolicySource, true, MultiStringValues(data)};
}

}  // namespace hw::win32

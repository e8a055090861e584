#include "platform/win32/forms/accessible_name.h"

#include <objbase.h>
#include <oleacc.h>

#include "platform/win32/os/system_functions.h"

namespace hw::win32 {
namespace {

// As oleacc.h names them; written out so that no import library is needed.
constexpr CLSID kAccPropServicesClass = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kAccPropServicesInterface = {0x6e26e776, 0x04f0, 0x495d,
                                           {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kNameProperty = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr DWORD kClientObject = static_cast<DWORD>(OBJID_CLIENT);

// One annotation service for the process, asked for once; null where the
// system has none. COM stays started on this thread until the process ends.
IAccPropServices* Service() {
  static IAccPropServices* service = [] {
    IAccPropServices* found = nullptr;
    try {
      BoundFunction<decltype(&::CoInitializeEx)> coInitializeEx{Gui().libraries, "ole32.dll", "CoInitializeEx"};
      BoundFunction<decltype(&::CoCreateInstance)> coCreateInstance{Gui().libraries, "ole32.dll", "CoCreateInstance"};
      coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // already started in another mode is fine too
      if (FAILED(coCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER, kAccPropServicesInterface,
                                  reinterpret_cast<void**>(&found))))
        found = nullptr;
    } catch (const MissingFunction&) {
      found = nullptr;
    }
    return found;
  }();
  return service;
}

}  // namespace

bool AnnotateName(HWND control, const std::wstring& name) {
  IAccPropServices* service = Service();
  return service &&
         SUCCEEDED(service->SetHwndPropStr(control, kClientObject, CHILDID_SELF, kNameProperty, name.c_str()));
}

void ClearAnnotatedName(HWND control) {
  if (IAccPropServices* service = Service())
    service->ClearHwndProps(control, kClientObject, CHILDID_SELF, &kNameProperty, 1);
}

}  // namespace hw::win32

#include "platform/win32/forms/pictures.h"

#include "platform/win32/program/resource_ids.h"
#include "platform/win32/os/system_functions.h"

namespace hw::win32 {
namespace {

LPCWSTR OurIcon(Picture picture) {
  return MAKEINTRESOURCEW(picture == Picture::Network ? IDI_HOSTWARDEN : IDI_WARNING);
}

LPCWSTR SystemIcon(Picture picture) {
  return picture == Picture::Network ? MAKEINTRESOURCEW(32512)    // IDI_APPLICATION
                                     : MAKEINTRESOURCEW(32515);  // IDI_EXCLAMATION
}

}  // namespace

OwnedIcon LoadPicture(Picture picture, int size) {
  if (picture == Picture::None) return OwnedIcon();
  if (HANDLE icon = Gui().LoadImageW(GetModuleHandleW(nullptr), OurIcon(picture), IMAGE_ICON, size, size, 0))
    return OwnedIcon(static_cast<HICON>(icon));
  // The system's icons are shared and must not be destroyed: hold a copy.
  HANDLE shared = Gui().LoadImageW(nullptr, SystemIcon(picture), IMAGE_ICON, size, size, LR_SHARED);
  return OwnedIcon(shared ? Gui().CopyIcon(static_cast<HICON>(shared)) : nullptr);
}

}  // namespace hw::win32

// The program's two pictures (the network icon, the warning icon), loaded
// from the executable's resources at the size a window or control needs.
#pragma once

#include <windows.h>

#include "interfaces/forms.h"
#include "platform/win32/os/system_functions.h"

namespace hw::win32 {

// An icon handle destroyed with its owner.
class OwnedIcon {
 public:
  OwnedIcon() = default;
  explicit OwnedIcon(HICON icon) : icon_(icon) {}
  OwnedIcon(OwnedIcon&& other) noexcept : icon_(other.icon_) { other.icon_ = nullptr; }
  OwnedIcon& operator=(OwnedIcon&& other) noexcept {
    if (this != &other) {
      reset();
      icon_ = other.icon_;
      other.icon_ = nullptr;
    }
    return *this;
  }
  OwnedIcon(const OwnedIcon&) = delete;
  OwnedIcon& operator=(const OwnedIcon&) = delete;
  ~OwnedIcon() { reset(); }
  HICON get() const { return icon_; }

 private:
  void reset() {
    if (icon_) Gui().DestroyIcon(icon_);
    icon_ = nullptr;
  }
  HICON icon_ = nullptr;
};

// The picture at `size` x `size` pixels from our resources. When the
// executable lacks the resource, the system's own icon of the same meaning
// stands in (application, exclamation), so a window never shows a hole.
// Null for Picture::None.
OwnedIcon LoadPicture(Picture picture, int size);

}  // namespace hw::win32

// The program's two icons, compiled in as the bytes of their .ico files.
#pragma once

#include <span>

namespace hw::gtk {

std::span<const unsigned char> NetworkIconFile();  // five computers on a network
std::span<const unsigned char> WarningIconFile();  // red triangle, white "!"

}  // namespace hw::gtk

#include "platform/posix/fltk/pictures.h"

#include <map>
#include <memory>
#include <utility>

#include "platform/posix/fltk/embedded_icons.h"
#include "platform/posix/fltk/ico_image.h"

namespace hw::fltk {
namespace {

// Fl_RGB_Image does not own the pixels it is given; this keeps them together.
struct OwnedImage {
  std::vector<std::uint8_t> pixels;
  std::unique_ptr<Fl_RGB_Image> image;
};

std::span<const unsigned char> IconFile(Picture picture) {
  return picture == Picture::Warning ? WarningIconFile() : NetworkIconFile();
}

}  // namespace

const Fl_RGB_Image* PictureImage(Picture picture, int size) {
  if (picture == Picture::None) return nullptr;
  static std::map<std::pair<Picture, int>, OwnedImage> decoded;
  auto key = std::make_pair(picture, size);
  auto it = decoded.find(key);
  if (it == decoded.end()) {
    IconImage icon = IconOfSize(IconFile(picture), size);
    OwnedImage owned{std::move(icon.rgba), nullptr};
    owned.image = std::make_unique<Fl_RGB_Image>(owned.pixels.data(), icon.width, icon.height, 4);
    it = decoded.emplace(key, std::move(owned)).first;
  }
  return it->second.image.get();
}

}  // namespace hw::fltk

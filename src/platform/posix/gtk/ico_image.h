// Decodes the images of a Windows .ico file (palette images of 1, 4 or 8
// bits a pixel with their AND mask) into straight RGBA, top row first.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace hw::gtk {

class IcoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // width * height * 4; alpha 0 where the mask is set
};

// Every image of the file, in directory order. IcoError for anything that is
// not a well-formed icon of that kind.
std::vector<IconImage> DecodeIco(std::span<const unsigned char> file);

// The image of that width; IcoError when the file holds none.
IconImage IconOfSize(std::span<const unsigned char> file, int width);

}  // namespace hw::gtk

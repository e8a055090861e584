#include "platform/posix/gtk/ico_image.h"

#include <string>

namespace hw::gtk {
namespace {

constexpr std::size_t kDirectorySize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr int kLargestIcon = 256;

// Little-endian reads that refuse to run past the end of the file.
class Reader {
 public:
  explicit Reader(std::span<const unsigned char> bytes) : bytes_(bytes) {}

  std::uint32_t U16(std::size_t at) const { return Byte(at) | Byte(at + 1) << 8; }
  std::uint32_t U32(std::size_t at) const { return U16(at) | U16(at + 2) << 16; }
  std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
  std::uint32_t Byte(std::size_t at) const {
    if (at >= bytes_.size()) throw IcoError("icon file ends early at byte " + std::to_string(at));
    return bytes_[at];
  }
  std::span<const unsigned char> Slice(std::size_t at, std::size_t length) const {
    if (at > bytes_.size() || length > bytes_.size() - at)
      throw IcoError("icon image lies outside the file");
    return bytes_.subspan(at, length);
  }

 private:
  std::span<const unsigned char> bytes_;
};

// DIB rows are padded to whole 32-bit words.
std::size_t RowBytes(int width, int bitsPerPixel) {
  return (static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32 * 4;
}

std::uint32_t PaletteIndexAt(std::span<const unsigned char> row, int x, int bitsPerPixel) {
  std::size_t bit = static_cast<std::size_t>(x) * bitsPerPixel;
  unsigned byte = row[bit / 8];
  unsigned shift = 8 - bitsPerPixel - bit % 8;
  return (byte >> shift) & ((1u << bitsPerPixel) - 1);
}

bool MaskBitAt(std::span<const unsigned char> row, int x) {
  return (row[static_cast<std::size_t>(x) / 8] >> (7 - x % 8)) & 1;
}

IconImage DecodeDib(const Reader& image) {
  if (image.U32(0) < kInfoHeaderSize) throw IcoError("icon image has no BITMAPINFOHEADER");
  const std::size_t headerSize = image.U32(0);
  const int width = image.I32(4);
  const int doubledHeight = image.I32(8);
  const int bitsPerPixel = static_cast<int>(image.U16(14));
  if (image.U32(16) != 0) throw IcoError("compressed icon images are not supported");
  if (width <= 0 || width > kLargestIcon || doubledHeight <= 0 || doubledHeight % 2 != 0 ||
      doubledHeight / 2 > kLargestIcon)
    throw IcoError("icon image has an impossible size");
  if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8)
    throw IcoError("icon image has " + std::to_string(bitsPerPixel) + " bits a pixel; only palette images are supported");
  const int height = doubledHeight / 2;

  std::uint32_t colours = image.U32(32);
  if (colours == 0 || colours > (1u << bitsPerPixel)) colours = 1u << bitsPerPixel;
  const std::size_t paletteAt = headerSize;
  const std::size_t xorAt = paletteAt + 4 * colours;
  const std::size_t xorRow = RowBytes(width, bitsPerPixel);
  const std::size_t andRow = RowBytes(width, 1);
  const std::size_t andAt = xorAt + xorRow * height;
  image.Slice(andAt, andRow * height);  // the whole mask must be there

  IconImage result{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
  for (int y = 0; y < height; ++y) {
    const int stored = height - 1 - y;  // rows are stored bottom row first
    auto colourRow = image.Slice(xorAt + xorRow * stored, xorRow);
    auto maskRow = image.Slice(andAt + andRow * stored, andRow);
    for (int x = 0; x < width; ++x) {
      std::uint8_t* pixel = &result.rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      if (MaskBitAt(maskRow, x)) continue;  // transparent: stays 0,0,0,0
      std::uint32_t index = PaletteIndexAt(colourRow, x, bitsPerPixel);
      if (index >= colours) throw IcoError("icon pixel names a colour outside the palette");
      std::size_t entry = paletteAt + 4 * index;  // RGBQUAD: blue, green, red, reserved
      pixel[0] = static_cast<std::uint8_t>(image.Byte(entry + 2));
      pixel[1] = static_cast<std::uint8_t>(image.Byte(entry + 1));
      pixel[2] = static_cast<std::uint8_t>(image.Byte(entry));
      pixel[3] = 255;
    }
  }
  return result;
}

}  // namespace

std::vector<IconImage> DecodeIco(std::span<const unsigned char> file) {
  Reader ico(file);
  if (ico.U16(0) != 0 || ico.U16(2) != 1) throw IcoError("not an icon file");
  const std::size_t count = ico.U16(4);
  if (count == 0) throw IcoError("icon file holds no image");
  std::vector<IconImage> images;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = kDirectorySize + i * kEntrySize;
    const std::uint32_t length = ico.U32(entry + 8);
    const std::uint32_t offset = ico.U32(entry + 12);
    images.push_back(DecodeDib(Reader(ico.Slice(offset, length))));
  }
  return images;
}

IconImage IconOfSize(std::span<const unsigned char> file, int width) {
  for (auto& image : DecodeIco(file))
    if (image.width == width) return image;
  throw IcoError("icon file holds no image " + std::to_string(width) + " pixels wide");
}

}  // namespace hw::gtk

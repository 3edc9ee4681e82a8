// PNG pictures of the headless driver's window through libpng: 8-bit RGB,
// no interlace, as ImageMagick's screen shot of the window would hold them.
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "graphics/grx.hpp"

namespace riv {

bool write_png(const std::string& path, int width, int height, const uint32_t* rgb) {
  if (width < 1 || height < 1 || !rgb) return false;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> row(static_cast<size_t>(width) * 3);
  bool ok = png && info;
  // libpng reports its errors by a long jump back here.
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
      const uint32_t* src = rgb + static_cast<size_t>(y) * width;
      for (int x = 0; x < width; ++x) {
        row[3 * x] = static_cast<png_byte>(src[x] >> 16);
        row[3 * x + 1] = static_cast<png_byte>(src[x] >> 8);
        row[3 * x + 2] = static_cast<png_byte>(src[x]);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
  } else {
    ok = false;
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  if (std::fclose(f) != 0) ok = false;
  if (!ok) std::remove(path.c_str());
  return ok;
}

bool grx_headless_png(const std::string& path) {
  const GrxHeadless& s = grx_headless();
  if (!s.open || s.window.empty()) return false;
  if (s.width == s.stride) return write_png(path, s.width, s.height, s.window.data());
  std::vector<uint32_t> part(static_cast<size_t>(s.width) * s.height);
  for (int y = 0; y < s.height; ++y)
    std::copy_n(s.window.begin() + static_cast<size_t>(y) * s.stride, s.width,
                part.begin() + static_cast<size_t>(y) * s.width);
  return write_png(path, s.width, s.height, part.data());
}

}  // namespace riv

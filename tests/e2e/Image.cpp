#include "tests/e2e/Image.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

namespace e2e {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

Screenshot Screenshot::crop(int x, int y, int w, int h) const {
  const int x0 = std::clamp(x, 0, width), y0 = std::clamp(y, 0, height);
  const int x1 = std::clamp(x + w, 0, width), y1 = std::clamp(y + h, 0, height);
  Screenshot out(x1 - x0, y1 - y0);
  for (int row = y0; row < y1; ++row)
    std::copy_n(at(x0, row), static_cast<std::size_t>(x1 - x0) * 3,
                &out.rgb[static_cast<std::size_t>(row - y0) * out.width * 3]);
  return out;
}

Screenshot readPng(const std::string& path, std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = path + ": " + why;
    return Screenshot{};
  };
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return fail("cannot open");
  png_byte signature[8];
  if (std::fread(signature, 1, 8, file.get()) != 8 ||
      png_sig_cmp(signature, 0, 8) != 0)
    return fail("not a PNG file");
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return fail("out of memory");
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return fail("out of memory");
  }
  // Only what these point at changes after setjmp, so a longjmp back
  // leaves them intact.
  auto image = std::make_unique<Screenshot>();
  auto rowPointers = std::make_unique<std::vector<png_bytep>>();
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return fail("damaged PNG data");
  }
  png_init_io(png, file.get());
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);
  const png_byte colourType = png_get_color_type(png, info);
  if (png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY ||
      colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  png_set_expand(png);
  png_set_strip_alpha(png);
  png_read_update_info(png, info);
  *image = Screenshot(static_cast<int>(png_get_image_width(png, info)),
                      static_cast<int>(png_get_image_height(png, info)));
  if (png_get_rowbytes(png, info) != static_cast<std::size_t>(image->width) * 3)
    png_error(png, "unexpected row length");
  rowPointers->resize(static_cast<std::size_t>(image->height));
  for (int y = 0; y < image->height; ++y)
    (*rowPointers)[static_cast<std::size_t>(y)] =
        &image->rgb[static_cast<std::size_t>(y) * image->width * 3];
  png_read_image(png, rowPointers->data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return std::move(*image);
}

bool writePng(const std::string& path, const Screenshot& image) {
  if (image.empty()) return false;
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 1);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y)
    png_write_row(png,
                  &image.rgb[static_cast<std::size_t>(y) * image.width * 3]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace e2e

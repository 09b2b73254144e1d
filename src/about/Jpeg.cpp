#include "about/Jpeg.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>

namespace nubrix::about {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back here.
struct TErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf Jump;
};

void OnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<TErrorManager*>(info->err);
  std::longjmp(manager->Jump, 1);
}

void Silence(j_common_ptr /*info*/, int /*level*/) {}

// Only plain data lives in this frame, so the jump skips no destructor.
bool Decode(std::string_view data, jpeg_decompress_struct& info, TErrorManager& errors,
            TRgbImage& image) {
  info.err = jpeg_std_error(&errors.Base);
  errors.Base.error_exit = OnError;
  errors.Base.emit_message = Silence;
  if (setjmp(errors.Jump) != 0) return false;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()),
               static_cast<unsigned long>(data.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_components != 3 || info.output_width > 16384 || info.output_height > 16384) {
    return false;
  }
  image.Width = static_cast<int>(info.output_width);
  image.Height = static_cast<int>(info.output_height);
  image.Rgb.resize(static_cast<std::size_t>(image.Width) * image.Height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row =
        image.Rgb.data() + static_cast<std::size_t>(info.output_scanline) * image.Width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

std::optional<TRgbImage> DecodeJpeg(std::string_view data) {
  if (data.size() < 4) return std::nullopt;
  jpeg_decompress_struct info{};
  TErrorManager errors{};
  TRgbImage image;
  const bool decoded = Decode(data, info, errors, image);
  jpeg_destroy_decompress(&info);
  if (!decoded) return std::nullopt;
  return image;
}

}  // namespace nubrix::about

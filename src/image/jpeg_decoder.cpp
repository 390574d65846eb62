#include "image/jpeg_decoder.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>

namespace lumora::image {

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void outputMessage(j_common_ptr) {}  // warnings are not printed

// State that must survive a longjmp back into decodeJpeg.
struct DecodeState {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  bool started = false;
  JDIMENSION rowsDone = 0;
  JpegResult result;
  std::vector<uint8_t> cmykRow;
  bool cmyk = false;
  bool inverted = false;
};

uint8_t mul255(unsigned a, unsigned b) { return uint8_t((a * b + 127) / 255); }

}  // namespace

JpegResult decodeJpeg(const uint8_t* data, size_t size, const DecodeLimits& limits) {
  // Everything that changes after setjmp lives in `state`, so it is intact after a longjmp.
  auto state = std::make_unique<DecodeState>();
  jpeg_decompress_struct& cinfo = state->cinfo;
  cinfo.err = jpeg_std_error(&state->err.pub);
  state->err.pub.error_exit = errorExit;
  state->err.pub.output_message = outputMessage;
  state->err.message[0] = 0;
  jpeg_create_decompress(&cinfo);

  if (setjmp(state->err.jump)) {
    std::string message = state->err.message;
    bool started = state->started;
    jpeg_destroy_decompress(&cinfo);
    if (!started) throw EJpegError(message);
    state->result.Complete = false;
    state->result.Warning = message;
    return std::move(state->result);
  }

  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (uint64_t(cinfo.image_width) * cinfo.image_height > limits.MaxPixels) {
    jpeg_destroy_decompress(&cinfo);
    throw EJpegError("JPEG picture too large");
  }
  state->cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  // Adobe applications write CMYK inverted and mark it with their APP14 block.
  state->inverted = state->cmyk && cinfo.saw_Adobe_marker;
  cinfo.out_color_space = state->cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_start_decompress(&cinfo);

  const int w = int(cinfo.output_width), h = int(cinfo.output_height);
  // Rows a broken picture never reaches stay mid-grey, as libjpeg itself fills missing data.
  state->result.Bitmap = TBitmap(w, h, makePixel(128, 128, 128));
  state->started = true;
  if (state->cmyk) state->cmykRow.resize(size_t(w) * 4);
  while (cinfo.output_scanline < cinfo.output_height) {
    JDIMENSION y = cinfo.output_scanline;
    if (state->cmyk) {
      JSAMPROW row = state->cmykRow.data();
      jpeg_read_scanlines(&cinfo, &row, 1);
      Pixel* out = &state->result.Bitmap.Pixels[size_t(y) * size_t(w)];
      for (int x = 0; x < w; ++x) {
        unsigned c = state->cmykRow[size_t(4 * x)], m = state->cmykRow[size_t(4 * x + 1)], ye = state->cmykRow[size_t(4 * x + 2)],
                 k = state->cmykRow[size_t(4 * x + 3)];
        if (!state->inverted) c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
        out[x] = makePixel(mul255(c, k), mul255(m, k), mul255(ye, k));
      }
    } else {
      JSAMPROW row = reinterpret_cast<JSAMPROW>(&state->result.Bitmap.Pixels[size_t(y) * size_t(w)]);
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    state->rowsDone = cinfo.output_scanline;
  }
  if (state->err.pub.num_warnings > 0) {
    state->result.Complete = false;
    (*state->err.pub.format_message)(reinterpret_cast<j_common_ptr>(&cinfo), state->err.message);
    state->result.Warning = state->err.message;
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return std::move(state->result);
}

}  // namespace lumora::image

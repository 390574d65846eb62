#include "image/jpeg_decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>
// jerror.h after jpeglib.h: it needs its types.
#include <jerror.h>

namespace lumora::image {

namespace {

constexpr const char* kTooLarge = "JPEG picture too large";
constexpr const char* kTooManyScans = "JPEG picture has too many scans";

// A progressive or multi-scan picture keeps every coefficient until the last scan: two bytes per sample,
// at most four full-resolution components. libjpeg's other buffers are a few rows of the picture.
constexpr uint64_t kCoefficientBytesPerPixel = 8;
constexpr uint64_t kWorkingBytes = 16u << 20;

// A valid progression visits each coefficient at most 14 times (a first scan and up to 13 refinement
// bits); hostile files repeat scans over and over, each one a pass over the whole picture.
constexpr uint64_t kMaxVisitsPerCoefficient = 16;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  // The memory limit below shows as a missing backing store: say what it means.
  if (cinfo->err->msg_code == JERR_NO_BACKING_STORE)
    std::snprintf(err->message, sizeof err->message, "%s", kTooLarge);
  else
    (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void outputMessage(j_common_ptr) {}  // warnings are not printed

// Counts the coefficients each scan revisits; libjpeg calls it before every step of its input.
struct ScanBudget {
  jpeg_progress_mgr pub;
  int scan = 0;
  uint64_t used = 0;
  uint64_t allowed = 0;
};

uint64_t blocksOf(const jpeg_component_info& c) { return uint64_t(c.width_in_blocks) * c.height_in_blocks; }

void checkScanBudget(j_common_ptr common) {
  auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
  auto* budget = reinterpret_cast<ScanBudget*>(cinfo->progress);
  if (cinfo->input_scan_number == budget->scan) return;
  budget->scan = cinfo->input_scan_number;
  // A sequential scan decodes whole blocks whatever its spectral range says.
  const uint64_t band = cinfo->progressive_mode ? uint64_t(std::max(0, cinfo->Se - cinfo->Ss + 1)) : 64;
  for (int i = 0; i < cinfo->comps_in_scan; ++i) budget->used += blocksOf(*cinfo->cur_comp_info[i]) * band;
  if (budget->used > budget->allowed) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "%s", kTooManyScans);
    std::longjmp(err->jump, 1);
  }
}

// Why the header read into `cinfo` is refused, or nothing.
const char* headerProblem(jpeg_decompress_struct& cinfo, const DecodeLimits& limits) {
  if (uint64_t(cinfo.image_width) * cinfo.image_height > limits.MaxPixels) return kTooLarge;
  if (jpeg_has_multiple_scans(&cinfo)) {
    // The coefficient buffer libjpeg allocates, rounded up to whole sampling units as it does.
    uint64_t bytes = 0;
    for (int i = 0; i < cinfo.num_components; ++i) {
      const jpeg_component_info& c = cinfo.comp_info[i];
      const uint64_t h = uint64_t(std::max(1, c.h_samp_factor)), v = uint64_t(std::max(1, c.v_samp_factor));
      bytes += (c.width_in_blocks + h - 1) / h * h * ((c.height_in_blocks + v - 1) / v * v) * DCTSIZE2 * sizeof(JCOEF);
    }
    if (bytes > limits.MaxPixels * kCoefficientBytesPerPixel) return kTooLarge;
  }
  return nullptr;
}

void createDecompress(jpeg_decompress_struct& cinfo, ErrorManager& err, const DecodeLimits& limits) {
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = errorExit;
  err.pub.output_message = outputMessage;
  err.message[0] = 0;
  jpeg_create_decompress(&cinfo);
  // Without a backing store, libjpeg fails cleanly when its whole-picture buffers would pass this.
  cinfo.mem->max_memory_to_use = long(limits.MaxPixels * kCoefficientBytesPerPixel + kWorkingBytes);
}

// State that must survive a longjmp back into decodeJpeg.
struct DecodeState {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  ScanBudget budget;
  bool started = false;
  JDIMENSION rowsDone = 0;
  JpegResult result;
  std::vector<uint8_t> cmykRow;
  bool cmyk = false;
  bool inverted = false;
};

struct HeaderState {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
};

uint8_t mul255(unsigned a, unsigned b) { return uint8_t((a * b + 127) / 255); }

}  // namespace

TImageSize readJpegHeader(const uint8_t* data, size_t size, const DecodeLimits& limits) {
  auto state = std::make_unique<HeaderState>();
  jpeg_decompress_struct& cinfo = state->cinfo;
  createDecompress(cinfo, state->err, limits);
  if (setjmp(state->err.jump)) {
    std::string message = state->err.message;
    jpeg_destroy_decompress(&cinfo);
    throw EJpegError(message);
  }
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  const char* problem = headerProblem(cinfo, limits);
  TImageSize result{int(cinfo.image_width), int(cinfo.image_height)};
  jpeg_destroy_decompress(&cinfo);
  if (problem) throw EJpegError(problem);
  return result;
}

JpegResult decodeJpeg(const uint8_t* data, size_t size, const DecodeLimits& limits) {
  // Everything that changes after setjmp lives in `state`, so it is intact after a longjmp.
  auto state = std::make_unique<DecodeState>();
  jpeg_decompress_struct& cinfo = state->cinfo;
  createDecompress(cinfo, state->err, limits);

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
  if (const char* problem = headerProblem(cinfo, limits)) {
    jpeg_destroy_decompress(&cinfo);
    throw EJpegError(problem);
  }
  uint64_t coefficients = 0;
  for (int i = 0; i < cinfo.num_components; ++i) coefficients += blocksOf(cinfo.comp_info[i]) * DCTSIZE2;
  state->budget.pub.progress_monitor = checkScanBudget;
  state->budget.allowed = coefficients * kMaxVisitsPerCoefficient;
  cinfo.progress = &state->budget.pub;

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

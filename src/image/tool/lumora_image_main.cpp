// lumora-image FILE -o OUT.png [--frame N] [--info]
// Decodes a picture with the program's own decoders and writes it as PNG, its mask applied as alpha.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/bmp_decoder.h"
#include "image/gif_image.h"
#include "image/image_loader.h"
#include "image/jpeg_decoder.h"
#include "image/png_image.h"
#include "image/png_writer.h"

using namespace lumora::image;

namespace {

int usage() {
  std::fprintf(stderr, "usage: lumora-image FILE -o OUT.png [--frame N] [--info]\n");
  return 2;
}

// Why a picture failed, from the decoder that refused it.
std::string decodeError(const std::vector<uint8_t>& bytes) {
  try {
    switch (DetectImageFormat(bytes.data(), bytes.size())) {
      case TImageFormat::Png: {
        TPNGImage png;
        png.LoadFromStream(bytes.data(), bytes.size());
        break;
      }
      case TImageFormat::Bmp:
        decodeBmp(bytes.data(), bytes.size());
        break;
      case TImageFormat::Jpeg:
        decodeJpeg(bytes.data(), bytes.size());
        break;
      default:
        return "not a picture this program reads";
    }
  } catch (const std::exception& e) {
    return e.what();
  }
  return "could not be decoded";
}

}  // namespace

int main(int argc, char** argv) {
  const char* input = nullptr;
  const char* output = nullptr;
  int frame = 1;
  bool info = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      output = argv[++i];
    } else if (std::strcmp(argv[i], "--frame") == 0 && i + 1 < argc) {
      frame = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--info") == 0) {
      info = true;
    } else if (!input && argv[i][0] != '-') {
      input = argv[i];
    } else {
      return usage();
    }
  }
  if (!input || (!output && !info)) return usage();

  std::ifstream in(input, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "lumora-image: cannot open %s\n", input);
    return 1;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  TImageFormat format = DetectImageFormat(bytes.data(), bytes.size());

  TBitmap result;
  if (format == TImageFormat::Gif87 || format == TImageFormat::Gif89) {
    bool single = true;
    std::string error;
    auto gif = CreateGifFromStream(bytes.data(), bytes.size(), single, {}, &error);
    if (!gif) {
      std::fprintf(stderr, "lumora-image: %s: %s\n", input, error.c_str());
      return 1;
    }
    if (info) {
      std::printf("frames %d\nsize %dx%d\niterations %d\ndelays", gif->FrameCount, gif->Width, gif->Height,
                  gif->Iterations);
      for (const TgfFrame& f : gif->Frames) std::printf(" %d", f.Delay);
      std::printf("\n");
    }
    if (frame < 1 || frame > gif->FrameCount) {
      std::fprintf(stderr, "lumora-image: frame %d out of 1..%d\n", frame, gif->FrameCount);
      return 1;
    }
    auto mask = gif->frameMask(frame);
    result = applyMaskAsAlpha(gif->frameBitmap(frame), mask.get());
  } else {
    int transparency = 0;
    std::shared_ptr<TMask> mask;
    auto bitmap = DecodeImageStream(bytes.data(), bytes.size(), transparency, mask);
    if (!bitmap) {
      std::fprintf(stderr, "lumora-image: %s: %s\n", input, decodeError(bytes).c_str());
      return 1;
    }
    if (info) std::printf("frames 1\nsize %dx%d\ntransparency %d\n", bitmap->Width, bitmap->Height, transparency);
    result = applyMaskAsAlpha(*bitmap, mask.get());
  }
  if (output && !writePngFile(result, output)) {
    std::fprintf(stderr, "lumora-image: cannot write %s\n", output);
    return 1;
  }
  return 0;
}

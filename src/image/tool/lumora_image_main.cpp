// lumora-image FILE -o OUT.png [--frame N] [--info]
// Decodes a picture with the program's own decoders and writes it as PNG, its mask applied as alpha.
// --info without -o reads the picture's headers only.

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <system_error>

#include "core/file_read.h"
#include "image/gif_image.h"
#include "image/image_loader.h"
#include "image/png_writer.h"

using namespace lumora::image;

namespace {

int usage() {
  std::fprintf(stderr, "usage: lumora-image FILE -o OUT.png [--frame N] [--info]\n");
  return 2;
}

// A frame number: decimal digits only, from 1 to the largest int.
bool parseFrame(const char* text, int& frame) {
  const char* end = text + std::strlen(text);
  if (text == end || !std::isdigit(static_cast<unsigned char>(*text))) return false;
  auto [stop, ec] = std::from_chars(text, end, frame);
  return ec == std::errc() && stop == end && frame >= 1;
}

// The decoders' messages may hold line breaks (the PNG handler's does); a failure is one line.
std::string oneLine(const std::string& text) {
  std::string out;
  bool breakPending = false;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      breakPending = true;
      continue;
    }
    if (breakPending && !out.empty()) out += ": ";
    breakPending = false;
    out += c;
  }
  return out;
}

int fail(const char* input, const std::string& why) {
  if (input)
    std::fprintf(stderr, "lumora-image: %s: %s\n", input, oneLine(why).c_str());
  else
    std::fprintf(stderr, "lumora-image: %s\n", oneLine(why).c_str());
  return 1;
}

void printInfo(const TImageInfo& info) {
  if (info.Format == TImageFormat::Gif87 || info.Format == TImageFormat::Gif89) {
    std::printf("frames %d\nsize %dx%d\niterations %d\ndelays", info.FrameCount, info.Width, info.Height,
                info.Iterations);
    for (int delay : info.Delays) std::printf(" %d", delay);
    std::printf("\n");
  } else {
    std::printf("frames 1\nsize %dx%d\ntransparency %d\n", info.Width, info.Height, info.Transparency);
  }
}

TImageInfo infoOf(const TGIFImage& gif, TImageFormat format) {
  TImageInfo info;
  info.Format = format;
  info.Width = gif.Width;
  info.Height = gif.Height;
  info.FrameCount = gif.FrameCount;
  info.Iterations = gif.Iterations;
  for (const TgfFrame& f : gif.Frames) info.Delays.push_back(f.Delay);
  return info;
}

int checkFrame(int frame, int frameCount) {
  if (frame <= frameCount) return 0;
  std::fprintf(stderr, "lumora-image: frame %d out of 1..%d\n", frame, frameCount);
  return 1;
}

int run(int argc, char** argv, const char*& input) {
  const char* output = nullptr;
  int frame = 1;
  bool info = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      output = argv[++i];
    } else if (std::strcmp(argv[i], "--frame") == 0 && i + 1 < argc) {
      if (!parseFrame(argv[++i], frame)) return usage();
    } else if (std::strcmp(argv[i], "--info") == 0) {
      info = true;
    } else if (!input && argv[i][0] != '-') {
      input = argv[i];
    } else {
      return usage();
    }
  }
  if (!input || (!output && !info)) return usage();

  std::string readError;
  std::optional<std::string> file = lumora::core::readRegularFile(input, lumora::core::kMaxImageFileBytes, &readError);
  if (!file) {
    std::fprintf(stderr, "lumora-image: cannot open %s\n", readError.c_str());
    return 1;
  }
  const auto* data = reinterpret_cast<const uint8_t*>(file->data());
  const size_t size = file->size();
  const TImageFormat format = DetectImageFormat(data, size);
  const bool isGif = format == TImageFormat::Gif87 || format == TImageFormat::Gif89;
  std::string error;

  if (!output) {
    std::optional<TImageInfo> header = ReadImageInfo(data, size, {}, &error);
    if (!header) return fail(input, error);
    printInfo(*header);
    return isGif ? checkFrame(frame, header->FrameCount) : 0;
  }

  TBitmap result;
  if (isGif) {
    bool single = true;
    auto gif = CreateGifFromStream(data, size, single, {}, &error);
    if (!gif) return fail(input, error);
    if (info) printInfo(infoOf(*gif, format));
    if (checkFrame(frame, gif->FrameCount) != 0) return 1;
    auto mask = gif->frameMask(frame);
    result = applyMaskAsAlpha(gif->frameBitmap(frame), mask.get());
  } else {
    int transparency = 0;
    std::shared_ptr<TMask> mask;
    auto bitmap = DecodeImageStream(data, size, transparency, mask, &error);
    if (!bitmap) return fail(input, error);
    if (info) {
      TImageInfo decoded;
      decoded.Format = format;
      decoded.Width = bitmap->Width;
      decoded.Height = bitmap->Height;
      decoded.Transparency = transparency;
      printInfo(decoded);
    }
    result = applyMaskAsAlpha(std::move(*bitmap), mask.get());
  }
  file.reset();  // the input is no longer needed while the output is encoded
  if (!writePngFile(result, output)) {
    std::fprintf(stderr, "lumora-image: cannot write %s\n", output);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Whatever fails, out of memory included, ends with one line and exit code 1, never an abort.
  const char* input = nullptr;
  try {
    return run(argc, argv, input);
  } catch (const std::bad_alloc&) {
    return fail(input, "out of memory");
  } catch (const std::exception& e) {
    return fail(input, e.what());
  }
}

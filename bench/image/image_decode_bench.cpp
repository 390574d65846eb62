// PNG and GIF decoding: ours against libpng and giflib, on pictures generated here (photographs and
// screenshots of 1 to 4 megapixels, a large still GIF and an animated one).
// run:  image_decode_bench --benchmark_filter=Png   (pairs appear side by side: .../Ours and .../Libpng)

#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "image/gif_image.h"
#include "image/png_image.h"

using namespace lumora::image;

namespace {

// ---- Pictures ----

struct Rgba {
  int w, h;
  std::vector<uint8_t> px;  // RGBA
};

// Smooth shapes with grain, as a photograph has.
Rgba photo(int w, int h, uint32_t seed) {
  Rgba img{w, h, std::vector<uint8_t>(size_t(w) * size_t(h) * 4)};
  std::mt19937 rng(seed);
  std::normal_distribution<double> grain(0, 6);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double u = x / double(w), v = y / double(h);
      double base[3] = {128 + 90 * std::sin(6 * u + 2 * v), 128 + 80 * std::cos(5 * v - 3 * u * v),
                        128 + 70 * std::sin(9 * u * v + 1)};
      uint8_t* p = &img.px[(size_t(y) * size_t(w) + size_t(x)) * 4];
      for (int c = 0; c < 3; ++c) p[c] = uint8_t(std::clamp(base[c] + grain(rng), 0.0, 255.0));
      p[3] = uint8_t(200 + 55 * u);
    }
  return img;
}

// Flat panels, borders and rows of small glyphs, as a screenshot has.
Rgba screenshot(int w, int h, uint32_t seed) {
  Rgba img{w, h, std::vector<uint8_t>(size_t(w) * size_t(h) * 4, 255)};
  std::mt19937 rng(seed);
  auto fill = [&](int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t b) {
    for (int y = std::max(0, y0); y < std::min(h, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(w, x1); ++x) {
        uint8_t* p = &img.px[(size_t(y) * size_t(w) + size_t(x)) * 4];
        p[0] = r, p[1] = g, p[2] = b;
      }
  };
  fill(0, 0, w, 32, 40, 60, 110);
  fill(0, 32, 220, h, 235, 235, 240);
  for (int line = 0; line * 18 + 50 < h; ++line)
    for (int glyph = 0; glyph < (w - 260) / 8; ++glyph) {
      if (rng() % 7 == 0) continue;
      uint32_t bits = rng();
      for (int k = 0; k < 20; ++k)
        if (bits >> k & 1) fill(240 + glyph * 8 + k % 5, 50 + line * 18 + k / 5 * 3, 240 + glyph * 8 + k % 5 + 1,
                                50 + line * 18 + k / 5 * 3 + 3, 20, 20, 30);
    }
  return img;
}

std::vector<uint8_t> encodePng(const Rgba& img, bool alpha) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, size_t n) {
        auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        v->insert(v->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(img.w), png_uint_32(img.h), 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(size_t(img.w) * 4);
  for (int y = 0; y < img.h; ++y) {
    const uint8_t* src = &img.px[size_t(y) * size_t(img.w) * 4];
    if (alpha) {
      std::memcpy(row.data(), src, row.size());
    } else {
      for (int x = 0; x < img.w; ++x) std::memcpy(&row[size_t(x) * 3], src + 4 * x, 3);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// libpng's decoding to the same 8-bit RGBA pixels our decoder produces.
void libpngDecode(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& out) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  struct Src {
    const std::vector<uint8_t>* b;
    size_t pos;
  } src{&bytes, 0};
  png_set_read_fn(png, &src, [](png_structp p, png_bytep data, size_t n) {
    auto* s = static_cast<Src*>(png_get_io_ptr(p));
    std::memcpy(data, s->b->data() + s->pos, n);
    s->pos += n;
  });
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  size_t w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  out.resize(w * h * 4);
  for (size_t y = 0; y < h; ++y) png_read_row(png, &out[y * w * 4], nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
}

struct PngCase {
  const char* name;
  std::vector<uint8_t> bytes;
  size_t pixels;
};

const std::vector<PngCase>& pngCases() {
  static const std::vector<PngCase> cases = [] {
    std::vector<PngCase> c;
    Rgba p1 = photo(1280, 960, 1), p2 = photo(2048, 1536, 2), s1 = screenshot(1920, 1080, 3),
         s2 = screenshot(2560, 1440, 4);
    c.push_back({"photo_1.2MP_rgb", encodePng(p1, false), size_t(p1.w * p1.h)});
    c.push_back({"photo_3.1MP_rgba", encodePng(p2, true), size_t(p2.w * p2.h)});
    c.push_back({"screen_2.1MP_rgb", encodePng(s1, false), size_t(s1.w * s1.h)});
    c.push_back({"screen_3.7MP_rgb", encodePng(s2, false), size_t(s2.w * s2.h)});
    return c;
  }();
  return cases;
}

void BM_Png_Ours(benchmark::State& state) {
  const PngCase& c = pngCases()[size_t(state.range(0))];
  state.SetLabel(c.name);
  for (auto _ : state) {
    TPNGImage png;
    png.LoadFromStream(c.bytes.data(), c.bytes.size());
    benchmark::DoNotOptimize(png.Bitmap().Pixels.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(c.pixels));
}

void BM_Png_Libpng(benchmark::State& state) {
  const PngCase& c = pngCases()[size_t(state.range(0))];
  state.SetLabel(c.name);
  for (auto _ : state) {
    std::vector<uint8_t> out;  // a new picture each time, as ours makes
    libpngDecode(c.bytes, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(c.pixels));
}

// ---- GIF ----

std::vector<uint8_t> encodeGif(int w, int h, int frames, uint32_t seed) {
  std::vector<uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, [](GifFileType* g, const GifByteType* data, int n) {
    auto* v = static_cast<std::vector<uint8_t>*>(g->UserData);
    v->insert(v->end(), data, data + n);
    return n;
  }, &error);
  GifColorType colors[256];
  for (int i = 0; i < 256; ++i) colors[i] = {GifByteType(i), GifByteType(255 - i), GifByteType((i * 7) & 255)};
  ColorMapObject* map = GifMakeMapObject(256, colors);
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, w, h, 8, 0, map);
  std::mt19937 rng(seed);
  std::vector<GifPixelType> line(static_cast<size_t>(w));
  for (int f = 0; f < frames; ++f) {
    GraphicsControlBlock gcb{0, false, 5, NO_TRANSPARENT_COLOR};
    GifByteType ext[4];
    EGifGCBToExtension(&gcb, ext);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
    EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        double v = 128 + 100 * std::sin((x + 7 * f) / 37.0) * std::cos(y / 23.0);
        line[size_t(x)] = GifPixelType(std::clamp(v + int(rng() % 9) - 4, 0.0, 255.0));
      }
      EGifPutLine(gif, line.data(), w);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

struct GifCase {
  const char* name;
  std::vector<uint8_t> bytes;
};

const std::vector<GifCase>& gifCases() {
  static const std::vector<GifCase> cases = {
      {"still_1.3MP", encodeGif(1400, 900, 1, 5)},
      {"anim_12x0.12MP", encodeGif(400, 300, 12, 6)},
  };
  return cases;
}

void BM_Gif_Ours(benchmark::State& state) {
  const GifCase& c = gifCases()[size_t(state.range(0))];
  state.SetLabel(c.name);
  for (auto _ : state) {
    bool single = true;
    auto gif = CreateGifFromStream(c.bytes.data(), c.bytes.size(), single);
    benchmark::DoNotOptimize(gif->Strip.get());
  }
}

// giflib's decoding followed by the same work of ours: every frame composed into a 32-bit strip.
void BM_Gif_Giflib(benchmark::State& state) {
  const GifCase& c = gifCases()[size_t(state.range(0))];
  state.SetLabel(c.name);
  for (auto _ : state) {
    struct Src {
      const std::vector<uint8_t>* b;
      size_t pos;
    } src{&c.bytes, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&src, [](GifFileType* g, GifByteType* data, int n) {
      auto* s = static_cast<Src*>(g->UserData);
      size_t k = std::min(size_t(n), s->b->size() - s->pos);
      std::memcpy(data, s->b->data() + s->pos, k);
      s->pos += k;
      return int(k);
    }, &error);
    DGifSlurp(gif);
    const size_t w = size_t(gif->SWidth), h = size_t(gif->SHeight), n = size_t(gif->ImageCount);
    std::vector<uint32_t> strip(w * n * h);
    for (size_t i = 0; i < n; ++i) {
      const SavedImage& img = gif->SavedImages[i];
      const ColorMapObject* map = img.ImageDesc.ColorMap ? img.ImageDesc.ColorMap : gif->SColorMap;
      for (size_t y = 0; y < size_t(img.ImageDesc.Height); ++y)
        for (size_t x = 0; x < size_t(img.ImageDesc.Width); ++x) {
          const GifColorType& col = map->Colors[img.RasterBits[y * size_t(img.ImageDesc.Width) + x]];
          strip[(y + size_t(img.ImageDesc.Top)) * w * n + i * w + x + size_t(img.ImageDesc.Left)] =
              0xFF000000u | uint32_t(col.Red) << 16 | uint32_t(col.Green) << 8 | col.Blue;
        }
    }
    benchmark::DoNotOptimize(strip.data());
    DGifCloseFile(gif, &error);
  }
}

}  // namespace

BENCHMARK(BM_Png_Ours)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Png_Libpng)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gif_Ours)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gif_Giflib)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

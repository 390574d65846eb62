// TSpectrum frames compared pixel for pixel: levels, falling lines and peaks, baseline dots, bins shown,
// bar mode, and the copy to a target of another size.
#include "audio/spectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

namespace lumora::audio {
namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// The frame the box must show in line mode, built from per-column heights: column i at x = 7 + i, a line
// from row 34 up through `line` rows, and a dot at row 34 - peak. Rows above 0 fall outside.
PixelBuffer expectedLineFrame(const std::array<int, 129>& line, const std::array<int, 129>& peak) {
  PixelBuffer frame(161, 44, kBlack);
  auto set = [&](int x, int y) {
    if (y >= 0 && y < 44) frame.pixels[static_cast<size_t>(y) * 161 + static_cast<size_t>(x)] = kWhite;
  };
  for (int i = 0; i < 129; ++i) {
    for (int k = 0; k < line[static_cast<size_t>(i)]; ++k) set(7 + i, 34 - k);
    set(7 + i, 34 - peak[static_cast<size_t>(i)]);
  }
  return frame;
}

// Rows of the frame as text ('#' white, '.' black, '?' other), so a failure shows where frames differ.
std::string picture(const PixelBuffer& b) {
  std::string out;
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) out += b.at(x, y) == kWhite ? '#' : b.at(x, y) == kBlack ? '.' : '?';
    out += '\n';
  }
  return out;
}

class AudioSpectrum : public ::testing::Test {
 protected:
  PixelBuffer drawn(TSpectrum::FftData fft) {
    spectrum.Draw(box, fft, 7, -10);
    return box;
  }
  TSpectrum spectrum{161, 44};
  PixelBuffer box{161, 44, 0xFF808080u};
  std::array<int, 129> zeros{};
};

TEST_F(AudioSpectrum, SilenceShowsOnlyTheBaselineDots) {
  const PixelBuffer frame = drawn({});
  EXPECT_EQ(picture(frame), picture(expectedLineFrame(zeros, zeros)));
  EXPECT_EQ(frame.at(7, 34), kWhite);
  EXPECT_EQ(frame.at(135, 34), kWhite);
  EXPECT_EQ(frame.at(6, 34), kBlack);
  EXPECT_EQ(frame.at(136, 34), kBlack);
}

TEST_F(AudioSpectrum, MagnitudesBecomeLevelsCappedAt40) {
  TSpectrum::FftData fft{};
  fft[5] = 0.1f;      // column 0: full level
  fft[6] = 0.0625f;   // column 1: 31
  fft[7] = -0.1f;     // column 2: absolute value
  fft[8] = 0.0199f;   // column 3: 9.95 truncates to 9
  fft[133] = 7.0f;    // column 128, the last one shown
  fft[134] = 1.0f;    // not shown
  fft[0] = fft[1] = fft[4] = 1.0f;  // bins 0 to 4 are never shown
  std::array<int, 129> levels{};
  levels[0] = 40, levels[1] = 31, levels[2] = 40, levels[3] = 9, levels[128] = 40;
  EXPECT_EQ(picture(drawn(fft)), picture(expectedLineFrame(levels, levels)));
  // A full level covers rows 0 to 34 only; rows 35 to 43 stay black.
  EXPECT_EQ(box.at(7, 0), kWhite);
  EXPECT_EQ(box.at(7, 35), kBlack);
}

TEST_F(AudioSpectrum, LinesFallThreePixelsAndPeaksOnePerFrame) {
  TSpectrum::FftData loud{};
  loud[5] = 0.1f;     // level 40
  loud[6] = 0.0205f;  // level 10 (10.25)
  drawn(loud);
  std::array<int, 129> line{}, peak{};
  for (int frame = 1; frame <= 45; ++frame) {
    const PixelBuffer got = drawn({});
    line[0] = std::max(40 - 3 * frame, 0), peak[0] = std::max(40 - frame, 0);
    line[1] = std::max(10 - 3 * frame, 0), peak[1] = std::max(10 - frame, 0);
    ASSERT_EQ(picture(got), picture(expectedLineFrame(line, peak))) << "frame " << frame;
  }
  EXPECT_EQ(spectrum.PeakLevels[0], 0);
  EXPECT_EQ(spectrum.LineLevels[0], 0);
  // A new rise lifts both at once.
  TSpectrum::FftData mid{};
  mid[5] = 0.041f;  // 20.5
  drawn(mid);
  EXPECT_EQ(spectrum.LineLevels[0], 20);
  EXPECT_EQ(spectrum.PeakLevels[0], 20);
}

TEST_F(AudioSpectrum, OddValuesAndWideBinStepsCountAsSilence) {
  TSpectrum::FftData fft{};
  fft[5] = std::numeric_limits<float>::quiet_NaN();
  fft[6] = std::numeric_limits<float>::infinity();
  spectrum.BinStep = 4;  // columns 127 and 128 would read past the data
  fft[5 + 4 * 126] = 0.1f;
  drawn(fft);
  EXPECT_EQ(spectrum.LineLevels[0], 0);
  EXPECT_EQ(spectrum.LineLevels[1], 0);
  EXPECT_EQ(spectrum.LineLevels[126], 40);
  EXPECT_EQ(spectrum.LineLevels[127], 0);
  EXPECT_EQ(spectrum.LineLevels[128], 0);
}

TEST_F(AudioSpectrum, BarModeDrawsFilledBarsWithPeakMarks) {
  spectrum.DrawMode = 1;
  spectrum.BarWidth = 2;
  TSpectrum::FftData fft{};
  fft[5] = 0.008f;  // level 4 in column 0
  drawn(fft);
  fft[5] = 0.004f;  // level 2: the line sinks to 1, the peak to 3
  const PixelBuffer got = drawn(fft);
  const uint32_t yellow = pixelFromColor(0x00FFFF);
  ASSERT_EQ(yellow, 0xFFFFFF00u);
  PixelBuffer expected(161, 44, kBlack);
  auto set = [&](int x, int y, uint32_t c) {
    if (x < 161) expected.pixels[static_cast<size_t>(y) * 161 + static_cast<size_t>(x)] = c;
  };
  for (int i = 0; i < 129; ++i) {
    const int x = 7 + i * 3;
    const int peakRow = i == 0 ? 31 : 34;
    set(x, peakRow, yellow), set(x + 1, peakRow, yellow);
  }
  set(7, 33, kWhite), set(8, 33, kWhite);  // the bar of level 1 ends above the base row
  EXPECT_EQ(got.pixels, expected.pixels);
}

TEST_F(AudioSpectrum, OtherModesOnlyClearAndTheCopyFitsTheTarget) {
  spectrum.DrawMode = 2;
  TSpectrum::FftData fft{};
  fft[5] = 1.0f;
  PixelBuffer small(100, 20, 0xFF123456u);
  spectrum.Draw(small, fft, 7, -10);
  EXPECT_EQ(spectrum.LineLevels[0], 40);  // levels still follow the data
  for (uint32_t p : small.pixels) ASSERT_EQ(p, kBlack);
  PixelBuffer large(200, 50, 0xFF123456u);
  spectrum.Draw(large, fft, 7, -10);
  EXPECT_EQ(large.at(160, 43), kBlack);
  EXPECT_EQ(large.at(161, 0), 0xFF123456u);
  EXPECT_EQ(large.at(0, 44), 0xFF123456u);
}

}  // namespace
}  // namespace lumora::audio

// Writes the demo publication's background music: a short original tune (about ten seconds, looping
// cleanly) as a 16-bit mono WAV file. Usage: lumora_audio_demo_music OUTPUT.wav
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kBeat = 0.3125;  // 96 beats per minute, in eighths

void put16(std::FILE* f, uint16_t v) { std::fputc(v & 0xFF, f), std::fputc(v >> 8, f); }
void put32(std::FILE* f, uint32_t v) { put16(f, v & 0xFFFF), put16(f, v >> 16); }

double noteHz(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

// A soft plucked tone: a few harmonics under an exponential decay.
void addNote(std::vector<float>& out, double start, double length, double hz, double gain) {
  const size_t first = static_cast<size_t>(start * kRate);
  const size_t count = static_cast<size_t>(length * kRate);
  for (size_t i = 0; i < count && first + i < out.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double envelope = std::min(1.0, t * 200.0) * std::exp(-3.0 * t / length);
    const double w = 2.0 * std::numbers::pi * hz * t;
    out[first + i] += static_cast<float>(gain * envelope * (std::sin(w) + 0.3 * std::sin(2 * w) + 0.1 * std::sin(3 * w)));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: lumora_audio_demo_music OUTPUT.wav\n");
    return 2;
  }
  // Four bars of eight eighths: a melody over a C - A minor - F - G progression (semitones from A4).
  const int melody[32] = {3, 7, 10, 7, 12, 10, 7, 5,  0, 3, 7, 3, 12, 10, 7, 3,
                          -4, 0, 5, 0, 8, 7, 5, 0,  -2, 2, 5, 7, 10, 7, 5, 2};
  const int bass[4] = {-21, -24, -28, -26};
  const double total = 32 * kBeat;  // 10 seconds
  std::vector<float> mix(static_cast<size_t>(total * kRate), 0.0f);
  for (int i = 0; i < 32; ++i) addNote(mix, i * kBeat, kBeat * 1.6, noteHz(melody[i]), 0.22);
  for (int bar = 0; bar < 4; ++bar) {
    addNote(mix, bar * 8 * kBeat, 8 * kBeat, noteHz(bass[bar]), 0.3);
    addNote(mix, bar * 8 * kBeat + 4 * kBeat, 4 * kBeat, noteHz(bass[bar] + 12), 0.12);
  }
  // Fade the last few milliseconds so the loop has no click.
  for (size_t i = 0; i < 400 && i < mix.size(); ++i) mix[mix.size() - 1 - i] *= static_cast<float>(i) / 400.0f;

  std::FILE* f = std::fopen(argv[1], "wb");
  if (f == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const uint32_t dataBytes = static_cast<uint32_t>(mix.size() * 2);
  std::fwrite("RIFF", 1, 4, f), put32(f, 36 + dataBytes), std::fwrite("WAVEfmt ", 1, 8, f);
  put32(f, 16), put16(f, 1), put16(f, 1), put32(f, kRate), put32(f, kRate * 2), put16(f, 2), put16(f, 16);
  std::fwrite("data", 1, 4, f), put32(f, dataBytes);
  for (float s : mix) {
    const double clipped = std::max(-1.0, std::min(1.0, static_cast<double>(s)));
    put16(f, static_cast<uint16_t>(static_cast<int16_t>(std::lround(clipped * 32000.0))));
  }
  const bool ok = std::fclose(f) == 0;
  return ok ? 0 : 1;
}

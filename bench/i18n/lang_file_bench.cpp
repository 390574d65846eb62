// Reading large language files: the decoding of the bytes and the whole parse, as switching to a language
// does it. Prints the processor time (median of three reads) for each file and fails when one takes more
// than two seconds:
//   keys       one window section of 1,000,000 IDs, in a scrambled order
//   constants  1,000,000 constants, in a scrambled order
//   sections   100,000 window sections of a few IDs each, every name once and then once again
//   legacy     the keys file in Windows-1251 (through the code page of its LANGID)
//
//   i18n_lang_file_bench [SCALE]   (SCALE multiplies the counts; 1 by default)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "bench_measure.h"
#include "i18n/lang_file.h"

namespace {

using namespace lumora::i18n;

constexpr double kLimitSeconds = 2.0;

// 1..n in an order far from sorted (7919 is prime, so this is a permutation whenever n is not a multiple).
size_t scrambled(size_t i, size_t n) { return (i * 7919) % n + 1; }

std::string keysFile(size_t n, const std::string& text) {
  std::string out = "LANGID=1049\r\n[Form1]\r\n";
  for (size_t i = 0; i < n; ++i) out += std::to_string(scrambled(i, n)) + "=" + text + "\r\n";
  return out;
}

std::string constantsFile(size_t n) {
  std::string out = "LANGID=1049\r\n[$CONSTANTS]\r\n";
  for (size_t i = 0; i < n; ++i) out += "Message" + std::to_string(scrambled(i, n)) + "=Text\\nof the message\r\n";
  return out;
}

std::string sectionsFile(size_t n) {
  std::string out = "LANGID=1049\r\n";
  // Each section twice: the second occurrence continues the first one's translation.
  for (int round = 0; round < 2; ++round) {
    for (size_t i = 0; i < n / 2; ++i) {
      out += "[Window" + std::to_string(scrambled(i, n / 2)) + "]\r\n";
      out += std::to_string(round * 2 + 1) + "=Caption\r\n" + std::to_string(round * 2 + 2) + "=Hint\r\n";
    }
  }
  return out;
}

using lumora::bench::threadSeconds;

// Returns whether the median read stayed within the limit.
bool measure(const char* name, const std::string& bytes, size_t expectedEntries) {
  std::vector<double> seconds;
  size_t entries = 0;
  for (int run = 0; run < 3; ++run) {
    const double start = threadSeconds();
    const TLang_CompTranslations t = readLanguageText(decodeLanguageFile(bytes), false);
    seconds.push_back(threadSeconds() - start);
    entries = t.constants.items().size();
    for (const TLang_CompTranslation& section : t.translations) entries += section.values().size();
  }
  std::sort(seconds.begin(), seconds.end());
  const double median = seconds[1];
  const bool ok = median <= kLimitSeconds && entries == expectedEntries;
  std::printf("%-10s %9zu entries, %6.1f MB: median %.3f s (best %.3f s)%s\n", name, entries,
              static_cast<double>(bytes.size()) / (1024.0 * 1024.0), median, seconds.front(),
              ok ? "" : entries == expectedEntries ? "  TOO SLOW" : "  WRONG ENTRY COUNT");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
  const auto count = [&](double n) { return static_cast<size_t>(n * scale); };
  bool ok = true;
  ok &= measure("keys", keysFile(count(1e6), "Translated caption"), count(1e6));
  ok &= measure("constants", constantsFile(count(1e6)), count(1e6));
  ok &= measure("sections", sectionsFile(count(1e5)), 2 * count(1e5));
  // "Подпись" in Windows-1251: not UTF-8, so the whole file goes through the code page.
  ok &= measure("legacy", keysFile(count(1e6), "\xCF\xEE\xE4\xEF\xE8\xF1\xFC"), count(1e6));
  std::printf("limit %.1f s per file: %s\n", kLimitSeconds, ok ? "met" : "NOT MET");
  return ok ? 0 : 1;
}

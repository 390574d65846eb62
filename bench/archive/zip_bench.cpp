// Compression and extraction of a copy of /usr/include (or LUMORA_BENCH_TREE), side by side with Info-ZIP's
// `zip -r -9 -q` and `unzip -q -o` in the same run. Counters: archive bytes; compare real times.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "archive/zip_archiver.h"

namespace {

namespace fs = std::filesystem;

struct Workspace {
  fs::path root;
  fs::path tree;
  Workspace() {
    std::string pattern = (fs::temp_directory_path() / "lumora-zip-bench-XXXXXX").string();
    root = ::mkdtemp(pattern.data());
    tree = root / "tree";
    const char* source = std::getenv("LUMORA_BENCH_TREE");
    const std::string from = source ? source : "/usr/include";
    // A private copy, without links, so both tools see the same plain files.
    if (std::system(("cp -rL '" + from + "' '" + tree.string() + "' 2>/dev/null").c_str()) != 0) {
      // Dangling links are skipped; the copy is still usable.
    }
  }
  ~Workspace() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

Workspace& workspace() {
  static Workspace w;
  return w;
}

void run(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::abort();
}

void BM_LumoraCompress(benchmark::State& state) {
  auto& w = workspace();
  const fs::path archive = w.root / "lumora.zip";
  for (auto _ : state) {
    lumora::archive::TZipArchiver a;
    a.Threads = static_cast<int>(state.range(0));
    a.setCompressionMode(9);
    a.Options.FlushBuffers = false;
    a.FileName = archive.string();
    a.Open(lumora::archive::kZipOpenCreate);
    a.BaseDir = w.tree.string();
    a.AddMatching("*.*");
    a.Close();
  }
  state.counters["archive_bytes"] = static_cast<double>(fs::file_size(archive));
}
BENCHMARK(BM_LumoraCompress)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_InfoZipCompress(benchmark::State& state) {
  auto& w = workspace();
  const fs::path archive = w.root / "infozip.zip";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(archive);
    state.ResumeTiming();
    run("cd '" + w.tree.string() + "' && zip -r -9 -q '" + archive.string() + "' .");
  }
  state.counters["archive_bytes"] = static_cast<double>(fs::file_size(archive));
}
BENCHMARK(BM_InfoZipCompress)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_LumoraExtract(benchmark::State& state) {
  auto& w = workspace();
  const fs::path archive = w.root / "infozip.zip";
  if (!fs::exists(archive)) run("cd '" + w.tree.string() + "' && zip -r -9 -q '" + archive.string() + "' .");
  for (auto _ : state) {
    lumora::archive::TZipArchiver a;
    a.FileName = archive.string();
    a.BaseDir = (w.root / "out-lumora").string();
    a.Options.OverwriteMode = lumora::archive::TZipOverwriteMode::omAlways;
    a.Open(lumora::archive::kZipOpenRead);
    a.ExtractMatching("*.*");
    a.Close();
  }
}
BENCHMARK(BM_LumoraExtract)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_UnzipExtract(benchmark::State& state) {
  auto& w = workspace();
  const fs::path archive = w.root / "infozip.zip";
  if (!fs::exists(archive)) run("cd '" + w.tree.string() + "' && zip -r -9 -q '" + archive.string() + "' .");
  for (auto _ : state) run("unzip -q -o '" + archive.string() + "' -d '" + (w.root / "out-unzip").string() + "'");
}
BENCHMARK(BM_UnzipExtract)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

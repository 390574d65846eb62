#pragma once
// Helpers for the archive tests: running reference tools, snapshots of folder trees, small fixtures.

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "support/temp_dir.h"

namespace lumora::testing {

struct CommandResult {
  int status = -1;
  std::string output;
};

inline CommandResult runCommand(const std::string& command) {
  CommandResult r;
  FILE* p = ::popen((command + " 2>&1").c_str(), "r");
  if (!p) return r;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.output.append(buf, n);
  const int rc = ::pclose(p);
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return r;
}

inline bool haveTool(const std::string& name) {
  return runCommand("command -v " + name).status == 0;
}

inline std::string quoted(const std::filesystem::path& p) {
  std::string out = "'";
  for (char c : p.string()) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs a Python script given on standard input, in `folder`.
inline CommandResult runPython(const std::filesystem::path& folder, const std::string& script) {
  const auto file = folder / "script.py";
  writeFile(file, script);
  // The system's interpreter: wrappers such as pyenv's add a noticeable start-up time to every call.
  const std::string python = std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
  return runCommand("cd " + quoted(folder) + " && " + python + " " + quoted(file));
}

// Every file (with its bytes) and folder (as "<dir>") below `root`, by relative path.
inline std::map<std::string, std::string> snapshot(const std::filesystem::path& root) {
  std::map<std::string, std::string> out;
  if (!std::filesystem::exists(root)) return out;
  for (auto it = std::filesystem::recursive_directory_iterator(root);
       it != std::filesystem::recursive_directory_iterator(); ++it) {
    const std::string rel = std::filesystem::relative(it->path(), root).string();
    if (it->is_symlink())
      out[rel] = "<link>";
    else if (it->is_directory())
      out[rel] = "<dir>";
    else
      out[rel] = readFile(it->path());
  }
  return out;
}

// A publication-like tree: nested folders, an empty folder, an empty file, names without dots, non-ASCII
// names that the OEM code page holds (Cyrillic) and ones it does not.
inline void makeSampleTree(const std::filesystem::path& root) {
  writeFile(root / "index.htm", "<html><body>Hello</body></html>\n");
  writeFile(root / "README", "no dot in this name\n");
  writeFile(root / "empty.txt", "");
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + " of a compressible text\n";
  writeFile(root / "deep/a/b/c/d/long.txt", text);
  std::string noise;
  unsigned x = 12345;
  for (int i = 0; i < 300000; ++i) x = x * 1103515245u + 12345u, noise += static_cast<char>(x >> 24);
  writeFile(root / "img/noise.bin", noise);
  writeFile(root / "img/a.gif", "GIF89a");
  std::filesystem::create_directories(root / "empty-folder");
  writeFile(root / "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt", "cyrillic\n");  // Привет.txt
  writeFile(root / "caf\xC3\xA9/\xE6\x97\xA5\xE6\x9C\xAC.txt", "utf-8 only\n");            // café/日本.txt
}

}  // namespace lumora::testing

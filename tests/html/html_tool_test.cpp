// lumora-html as publishers and scripts use it: the program is run and its output read back.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

using nlohmann::json;
using lumora::testing::TempDir;
using lumora::testing::writeFile;

struct ToolRun {
  int status = -1;
  std::vector<std::string> lines;
};

ToolRun runTool(const std::string& args) {
  const std::string command = std::string(LUMORA_BINARY_DIR) + "/bin/lumora-html " + args + " 2>/dev/null";
  ToolRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::string output;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int raw = ::pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) run.lines.push_back(line);
  return run;
}

ToolRun tokensOf(const std::string& html) {
  TempDir dir;
  writeFile(dir / "page.htm", html);
  return runTool("tokens '" + (dir / "page.htm").string() + "'");
}

TEST(HtmlTool, TokensAsJsonLines) {
  const ToolRun run = tokensOf("<P ALIGN=center>Caf\xC3\xA9 &amp; tea</P><blink><H2>x</H2>");
  ASSERT_EQ(run.status, 0);
  const std::vector<std::string> expected = {
      R"({"kind":"start","tag":"P","pos":0,"heading":0,"attrs":[["ALIGN","center"]]})",
      R"({"kind":"text","text":"Café & tea","pos":16})",
      R"({"kind":"end","tag":"P","pos":31})",
      R"({"kind":"unknown","pos":35})",
      R"({"kind":"start","tag":"H","pos":42,"heading":2,"attrs":[]})",
      R"({"kind":"text","text":"x","pos":46})",
      R"({"kind":"end","tag":"H","pos":47,"heading":2})",
      R"({"kind":"eof"})",
  };
  EXPECT_EQ(run.lines, expected);
}

TEST(HtmlTool, LegacyPagesComeOutInUtf8) {
  struct Case {
    const char* label;
    std::string html;
    std::string text;
    std::string title;
  };
  const Case cases[] = {
      {"META windows-1251",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\"><p title=\"\xCF\">\xCF\xF0\xE8",
       "При", "П"},
      {"no declaration, not UTF-8", "<p title=\"\xCF\">\xCF\xF0\xE8", "При", "П"},
      {"META Shift_JIS", "<meta http-equiv=content-type content=\"text/html; charset=shift_jis\"><p title=a>\x93\xFA",
       "日", "a"},
  };
  for (const Case& c : cases) {
    const ToolRun run = tokensOf(c.html);
    ASSERT_EQ(run.status, 0) << c.label;
    ASSERT_GE(run.lines.size(), 3u) << c.label;
    const json p = json::parse(run.lines[run.lines.size() - 3]);
    EXPECT_EQ(p["attrs"][0][1], c.title) << c.label;
    EXPECT_EQ(json::parse(run.lines[run.lines.size() - 2])["text"], c.text) << c.label;
  }
}

TEST(HtmlTool, OpenCommentIsReportedAfterTheTokensBeforeIt) {
  const ToolRun run = tokensOf("<b>x</b><!-- open");
  ASSERT_EQ(run.status, 0);
  ASSERT_EQ(run.lines.size(), 4u);
  EXPECT_EQ(run.lines[1], R"({"kind":"text","text":"x","pos":3})");
  EXPECT_EQ(run.lines[2], R"({"kind":"end","tag":"B","pos":4})");
  EXPECT_EQ(run.lines.back(), R"({"kind":"error","message":"Open Comment at End of HTML File"})");
}

TEST(HtmlTool, UsageAndMissingFiles) {
  EXPECT_EQ(runTool("").status, 2);
  EXPECT_EQ(runTool("frobnicate x").status, 2);
  EXPECT_EQ(runTool("tokens").status, 2);
  EXPECT_EQ(runTool("tokens /nonexistent/page.htm").status, 1);
}

TEST(HtmlTool, EveryDemoPageTokenizes) {
  const std::filesystem::path demo = std::filesystem::path(LUMORA_SOURCE_DIR) / "demo";
  int pages = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(demo)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".htm" && ext != ".html")) continue;
    ++pages;
    SCOPED_TRACE(entry.path().string());
    const ToolRun run = runTool("tokens '" + entry.path().string() + "'");
    ASSERT_EQ(run.status, 0);
    ASSERT_FALSE(run.lines.empty());
    for (const std::string& line : run.lines) {
      const json token = json::parse(line, nullptr, false);
      ASSERT_FALSE(token.is_discarded()) << line;
      EXPECT_NE(token["kind"], "error") << line;
    }
    EXPECT_EQ(run.lines.back(), R"({"kind":"eof"})");
  }
  if (pages == 0) GTEST_SKIP() << "no demo pages yet";
}

}  // namespace

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

// The layout as JSON lines: a small page with the fixed metrics (16-pixel lines of 8-pixel characters, body
// margins 10 and 5), and every demo page with both metrics.
TEST(HtmlTool, LayoutLinesWithTheirCoordinates) {
  TempDir dir;
  writeFile(dir / "page.htm",
            "<p>one two</p><ul><li>item</ul><table border=1><tr><td>cell</table><hr width=100 align=left>");
  const ToolRun run = runTool("layout '" + (dir / "page.htm").string() + "' --width 300 --metrics fixed");
  ASSERT_EQ(run.status, 0);
  std::vector<json> items;
  for (const std::string& line : run.lines) items.push_back(json::parse(line));
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items[0]["kind"], "document");
  EXPECT_EQ(items[0]["width"], 300);
  const auto find = [&](const std::string& kind, const std::string& key, const json& value) {
    for (const json& j : items)
      if (j["kind"] == kind && j[key] == value) return j;
    ADD_FAILURE() << "no " << kind << " with " << key << "=" << value;
    return json();
  };
  const json first = find("line", "text", "one two");
  EXPECT_EQ(first["x"], 10);
  EXPECT_EQ(first["y"], 5);
  EXPECT_EQ(first["w"], 56);
  EXPECT_EQ(first["h"], 16);
  EXPECT_EQ(first["baseline"], 17);
  const json item = find("line", "text", "item");
  EXPECT_EQ(item["y"], 5 + 16 + 14);
  const json marker = find("marker", "text", "disc");
  EXPECT_EQ(marker["baseline"], item["baseline"]);
  EXPECT_EQ(find("block", "tag", "P")["content"], json::array({10, 5, 280, 16}));
  const json table = find("table", "rows", 1);
  EXPECT_EQ(table["cols"], 1);
  const json cell = find("cell", "row", 0);
  EXPECT_EQ(cell["w"], 4 * 8 + 2 + 2);  // text, padding 1 and border 1 on each side
  EXPECT_EQ(find("rule", "w", 100)["x"], 10);
  EXPECT_EQ(runTool("layout '" + (dir / "page.htm").string() + "' --metrics nonsense").status, 2);
}

// What lies at a point: "link text " from (10, 5) with the fixed metrics, then a 20-pixel image at x = 90.
TEST(HtmlTool, HitAtAPoint) {
  TempDir dir;
  writeFile(dir / "page.htm",
            "<p><a href=next.htm target=main title=Go>link</a> text <img src=pic.gif width=20 height=20 alt=Pic>");
  const std::string page = "'" + (dir / "page.htm").string() + "'";
  struct Case {
    const char* label;
    std::string args;
    std::string answer;
  };
  const Case cases[] = {
      {"on the link", "--width 300 12 10", R"({"link":"next.htm","target":"main","title":"Go","position":0})"},
      {"right half of its second character", "--width 300 23 10",
       R"({"link":"next.htm","target":"main","title":"Go","position":2})"},
      {"on the image", "--width 300 95 10", R"({"title":"Pic","position":10,"image":"pic.gif"})"},
      {"on plain text, the width after the point", "55 10 --width 300", R"({"position":6})"},
      {"below everything", "--width 300 12 500", "{}"},
      {"a narrow page puts \"text\" on the second line", "--width 60 12 30", R"({"position":5})"},
  };
  for (const Case& c : cases) {
    const ToolRun run = runTool("hit " + page + " " + c.args);
    EXPECT_EQ(run.status, 0) << c.label;
    EXPECT_EQ(run.lines, std::vector<std::string>{c.answer}) << c.label;
  }
  for (const char* bad : {"12", "12 10 7", "x 10", "12 10 --metrics nonsense", "12 10 --width -1"})
    EXPECT_EQ(runTool("hit " + page + " " + bad).status, 2) << bad;
}

TEST(HtmlTool, EveryDemoPageLaysOut) {
  const std::filesystem::path demo = std::filesystem::path(LUMORA_SOURCE_DIR) / "demo";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(demo)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".htm") continue;
    for (const char* metrics : {"fixed", "system"}) {
      SCOPED_TRACE(entry.path().string() + " " + metrics);
      const ToolRun run = runTool("layout '" + entry.path().string() + "' --metrics " + metrics);
      ASSERT_EQ(run.status, 0);
      ASSERT_GT(run.lines.size(), 1u);
      const json document = json::parse(run.lines[0]);
      EXPECT_GT(document["height"].get<int>(), 10);
      for (const std::string& line : run.lines) EXPECT_FALSE(json::parse(line, nullptr, false).is_discarded()) << line;
    }
  }
}

}  // namespace

// `lumora-html dump` and `lumora-html text` as publishers run them: over small pages and the demo publication.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace {

using lumora::testing::TempDir;
using lumora::testing::writeFile;

struct ToolRun {
  int status = -1;
  std::string out;
};

ToolRun runTool(const std::string& args) {
  const std::string command = std::string(LUMORA_BINARY_DIR) + "/bin/lumora-html " + args + " 2>&1";
  ToolRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int raw = ::pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

TEST(HtmlBuilderTool, DumpAndText) {
  TempDir dir;
  writeFile(dir / "page.htm", "<title>T</title><h1>Head</h1><p>Caf\xC3\xA9 <a href=x.htm>link</a><ol><li>one</ol>");
  const ToolRun dump = runTool("dump '" + (dir / "page.htm").string() + "'");
  ASSERT_EQ(dump.status, 0) << dump.out;
  EXPECT_EQ(dump.out.rfind("document title=\"T\" ", 0), 0u) << dump.out;
  EXPECT_NE(dump.out.find("TSection text=\"Caf\xC3\xA9 link \""), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find("link=\"x.htm\""), std::string::npos) << dump.out;
  const ToolRun text = runTool("text '" + (dir / "page.htm").string() + "'");
  ASSERT_EQ(text.status, 0) << text.out;
  EXPECT_EQ(text.out, "Head\nCaf\xC3\xA9 link\n1. one\n");
}

TEST(HtmlBuilderTool, MissingFile) {
  for (const char* command : {"dump", "text"}) {
    const ToolRun run = runTool(std::string(command) + " /nonexistent/page.htm");
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_NE(run.out.find("cannot read /nonexistent/page.htm"), std::string::npos) << run.out;
  }
}

TEST(HtmlBuilderTool, DemoPublication) {
  const std::filesystem::path demo = std::filesystem::path(LUMORA_SOURCE_DIR) / "demo";
  int pages = 0;
  for (const auto& folder : {demo, demo / "chapters"}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().extension() != ".htm") continue;
      ++pages;
      const std::string file = "'" + entry.path().string() + "'";
      const ToolRun dump = runTool("dump " + file);
      ASSERT_EQ(dump.status, 0) << file << dump.out;
      EXPECT_EQ(dump.out.rfind("document title=\"", 0), 0u) << file;
      EXPECT_NE(dump.out.find("TBodyBlock tag=\"body.\""), std::string::npos) << file;
      const ToolRun text = runTool("text " + file);
      ASSERT_EQ(text.status, 0) << file << text.out;
      EXPECT_GT(text.out.size(), 20u) << file;
    }
  }
  EXPECT_GE(pages, 6);
  const ToolRun chapter = runTool("text '" + (demo / "chapters" / "chapter1.htm").string() + "'");
  EXPECT_EQ(chapter.out.rfind("Chapter 1\nThe lighthouse keeper\nEvery evening", 0), 0u) << chapter.out;
  const ToolRun table = runTool("dump '" + (demo / "table.htm").string() + "'");
  EXPECT_NE(table.out.find("TTableAndCaptionBlock"), std::string::npos);
  const ToolRun form = runTool("dump '" + (demo / "form.htm").string() + "'");
  EXPECT_NE(form.out.find("TTextAreaFormControlObj name=\"comments\""), std::string::npos) << form.out;
}

}  // namespace

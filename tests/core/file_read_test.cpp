// Files a publication names are read only when they are regular files within their limit; nothing the
// name points at can block the reader or make it read without end.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/file_read.h"
#include "support/temp_dir.h"

namespace lumora::core {
namespace {

TEST(FileRead, RegularFilesAreReadWhole) {
  testing::TempDir dir;
  testing::writeFile(dir / "page.htm", std::string("<P>kept\0bytes", 13));
  std::string error;
  const auto bytes = readRegularFile(dir / "page.htm", 100, &error);
  ASSERT_TRUE(bytes) << error;
  EXPECT_EQ(*bytes, std::string("<P>kept\0bytes", 13));
  EXPECT_EQ(readRegularFile(dir / "page.htm", 13).value_or("?"), std::string("<P>kept\0bytes", 13));
}

TEST(FileRead, EverythingElseIsRefusedWithItsReason) {
  testing::TempDir dir;
  testing::writeFile(dir / "big.css", std::string(101, 'x'));
  std::filesystem::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  const struct {
    std::filesystem::path path;
    const char* reason;
  } cases[] = {
      {dir / "missing.css", "not found"},  {dir / "folder", "a folder"},
      {dir / "fifo", "not a regular file"}, {"/dev/zero", "not a regular file"},
      {dir / "big.css", "larger than"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(readRegularFile(c.path, 100, &error)) << c.path;
    EXPECT_NE(error.find(c.path.string()), std::string::npos) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_EQ(isRegularFile(c.path), c.path == dir / "big.css") << c.path;
  }
}

TEST(FileRead, ALinkToARegularFileIsFollowed) {
  testing::TempDir dir;
  testing::writeFile(dir / "real.css", "P { color: red }");
  std::filesystem::create_symlink(dir / "real.css", dir / "link.css");
  EXPECT_EQ(readRegularFile(dir / "link.css", 100).value_or(""), "P { color: red }");
}

}  // namespace
}  // namespace lumora::core

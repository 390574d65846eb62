#include "skin/dialog_start.h"

#include <gtest/gtest.h>

#include "core/program_values.h"
#include "support/temp_dir.h"

namespace lumora::skin {
namespace {

TEST(DialogStart, OpensAtTheCurrentValueOrInThePublicationFolder) {
  testing::TempDir dir;
  testing::writeFile(dir / "pub" / "Music" / "Theme.wav", "RIFF");
  testing::writeFile(dir / "elsewhere" / "song.mp3", "ID3");
  const std::string pub = (dir / "pub").string() + "/";
  core::programValues().AppFolder = pub;
  const QString music = QString::fromStdString((dir / "pub" / "Music").string());
  const QString elsewhere = QString::fromStdString((dir / "elsewhere").string());
  struct Case {
    std::string current;
    QString folder;
    QString file;
  };
  const Case cases[] = {
      {"", QString::fromStdString(pub), ""},
      // Relative to the publication, written as on Windows.
      {"music\\theme.WAV", music, music + "/Theme.wav"},
      {"Music/", music, ""},
      {"Music/missing.mp3", music, ""},
      {(dir / "elsewhere" / "song.mp3").string(), elsewhere, elsewhere + "/song.mp3"},
      {(dir / "elsewhere").string(), elsewhere, ""},
      // A folder that does not exist is no place to start from.
      {"no such folder/x.mp3", QString::fromStdString(pub), ""},
      {(dir / "gone" / "x.zip").string(), QString::fromStdString(pub), ""},
  };
  for (const Case& c : cases) {
    const TDialogStart start = dialogStart(QString::fromStdString(c.current));
    EXPECT_EQ(start.folder, c.folder) << c.current;
    EXPECT_EQ(start.file, c.file) << c.current;
  }
  core::programValues() = core::ProgramValues{};
}

}  // namespace
}  // namespace lumora::skin

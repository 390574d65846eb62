// ID3v1 and ID3v2 readers: layout edge cases, tags written by the id3v2 tool, and hostile tags.
#include <gtest/gtest.h>

#include <string>

#include "audio/id3v1.h"
#include "audio/id3v2.h"
#include "audio_fixtures.h"

namespace lumora::audio {
namespace {

using lumora::testing::TempDir;
using lumora::testing::writeFile;

// A 128-byte ID3v1 tag with fields placed at their offsets.
std::string v1Tag(const std::string& title, const std::string& comment30, unsigned char b125, unsigned char b126,
                   unsigned char genre) {
  std::string tag = "TAG" + std::string(125, '\0');
  tag.replace(3, title.size(), title);
  tag.replace(33, 6, "Artist");
  tag.replace(63, 5, "Album");
  tag.replace(93, 4, "1999");
  tag.replace(97, comment30.size(), comment30);
  tag[125] = static_cast<char>(b125);
  tag[126] = static_cast<char>(b126);
  tag[127] = static_cast<char>(genre);
  return tag;
}

TEST(AudioId3v1, ReadsRevisionsCommentsTrackAndGenre) {
  struct Case {
    const char* name;
    std::string tag;
    uint8_t revision;
    std::string comment;
    uint8_t track;
    std::string genre;
  };
  const std::string comment30 = "abcdefghijklmnopqrstuvwxyzABCD";
  const std::vector<Case> cases = {
      {"v1.1 track in byte 126", v1Tag("Song", "Note", 0, 7, 17), 2, "Note", 7, "Rock"},
      {"blanks keep a 30-character comment", v1Tag("Song", comment30.substr(0, 28) + "  ", ' ', ' ', 0), 1,
       comment30.substr(0, 28), 0, "Blues"},
      {"full comment, v1.0", v1Tag("Song", comment30, 'C', 'D', 147), 1, comment30, 0, "Synthpop"},
      {"blank then text is v1.1", v1Tag("Song", comment30.substr(0, 28) + " 9", ' ', '9', 200), 2,
       comment30.substr(0, 28), '9', ""},
      {"zero then zero is v1.0", v1Tag("Song", "Hi", 0, 0, 255), 1, "Hi", 0, ""},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(dir / "a.mp3", std::string(500, 'x') + c.tag);
    TID3v1 tag;
    ASSERT_TRUE(tag.ReadTag((dir / "a.mp3").string()));
    EXPECT_TRUE(tag.TagFound);
    EXPECT_EQ(tag.TagRevision, c.revision);
    EXPECT_EQ(tag.Title, "Song");
    EXPECT_EQ(tag.Artist, "Artist");
    EXPECT_EQ(tag.Album, "Album");
    EXPECT_EQ(tag.Year, "1999");
    EXPECT_EQ(tag.Comment, c.comment);
    EXPECT_EQ(tag.TrackNumber, c.track);
    EXPECT_EQ(tag.GenreName(), c.genre);
  }
}

TEST(AudioId3v1, TrimsTrailingPaddingButKeepsInnerZeros) {
  std::string title = std::string("A\0B  \0\0 \x01", 9);
  title.resize(30, '\0');
  const std::string bytes = v1Tag(title, "", 0, 0, 1);
  MemoryByteSource source(bytes);
  TID3v1 tag;
  ASSERT_TRUE(tag.ReadTag(source));
  EXPECT_EQ(tag.Title, std::string("A\0B", 3));
  EXPECT_EQ(tag.Comment, "");
}

TEST(AudioId3v1, ShortMissingAndUntaggedFiles) {
  TempDir dir;
  TID3v1 tag;
  writeFile(dir / "short.mp3", "TAG" + std::string(124, 'x'));  // 127 bytes
  EXPECT_FALSE(tag.ReadTag((dir / "short.mp3").string()));
  EXPECT_FALSE(tag.TagFound);
  EXPECT_EQ(tag.GenreIndex, 255);
  EXPECT_FALSE(tag.ReadTag((dir / "missing.mp3").string()));
  EXPECT_FALSE(tag.ReadTag(dir.path().string()));  // a folder
  writeFile(dir / "plain.mp3", "tag" + std::string(200, 'x'));  // "TAG" is case-sensitive
  EXPECT_TRUE(tag.ReadTag((dir / "plain.mp3").string()));
  EXPECT_FALSE(tag.TagFound);
  EXPECT_EQ(tag.GenreName(), "");
}

TEST(AudioId3v1, GenreTableHasTheFirstPublishedNames) {
  const std::vector<std::pair<int, std::string>> names = {
      {0, "Blues"}, {17, "Rock"}, {40, "AlternRock"}, {62, "Pop/Funk"}, {67, "Psychadelic"},
      {79, "Hard Rock"}, {80, "Folk"}, {85, "Bebob"}, {92, "Progessive Rock"}, {123, "A capella"},
      {133, "Afro-Punk"}, {134, "Polsk Punk"}, {144, "Trash Metal"}, {147, "Synthpop"}};
  for (const auto& [index, name] : names) EXPECT_EQ(GenreNames()[index], name) << index;
}

// --- ID3v2 ---

std::string frame(const std::string& id, const std::string& data) {
  std::string out = id;
  const uint32_t size = static_cast<uint32_t>(data.size());
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
  out += std::string(2, '\0');
  return out + data;
}

// A tag of the given major version whose size field covers `frames` plus `padding` zero bytes.
std::string v2Tag(const std::string& frames, int major = 3, size_t padding = 16) {
  const size_t size = frames.size() + padding;
  std::string out = "ID3";
  out.push_back(static_cast<char>(major));
  out += std::string(2, '\0');
  for (int shift : {21, 14, 7, 0}) out.push_back(static_cast<char>((size >> shift) & 0x7F));
  return out + frames + std::string(padding, '\0') + std::string(64, '\xFF');  // then "audio"
}

TID3v2 readV2(const std::string& bytes) {
  MemoryByteSource source(bytes);
  TID3v2 tag;
  EXPECT_TRUE(tag.ReadTag(source));
  return tag;
}

TEST(AudioId3v2, CleansEachFrameKind) {
  const std::string comm = std::string("\0eng", 4) + std::string("desc\0  hello ", 13);
  const std::string wxxx = std::string("\0", 1) + std::string("Home page\0http://x.example/", 27);
  const TID3v2 tag = readV2(v2Tag(frame("TIT2", std::string("\0 Title ", 8)) + frame("TPE1", std::string("\0Artist", 7)) +
                                  frame("TALB", std::string("\0Album", 6)) + frame("TRCK", std::string("\0" "5/12", 5)) +
                                  frame("TYER", std::string("\0" "2001", 5)) + frame("TCON", std::string("\0(17)Rock", 9)) +
                                  frame("COMM", comm) + frame("TCOM", std::string("\0Composer", 9)) +
                                  frame("TENC", std::string("\0Enc", 4)) + frame("TCOP", std::string("\0(c)", 4)) +
                                  frame("TLAN", std::string("\0eng", 4)) + frame("WXXX", wxxx) +
                                  frame("TXXX", std::string("\0ignored", 8))));
  EXPECT_TRUE(tag.TagFound);
  EXPECT_EQ(tag.MajorVersion, 3);
  EXPECT_EQ(tag.Title, "Title");
  EXPECT_EQ(tag.Artist, "Artist");
  EXPECT_EQ(tag.Album, "Album");
  EXPECT_EQ(tag.TrackNumber, 5);
  EXPECT_EQ(tag.Year, "2001");
  EXPECT_EQ(tag.Genre, "Rock");
  EXPECT_EQ(tag.Comment, "hello");
  EXPECT_EQ(tag.Composer, "Composer");
  EXPECT_EQ(tag.Encoder, "Enc");
  EXPECT_EQ(tag.Copyright, "(c)");
  EXPECT_EQ(tag.Language, "eng");
  EXPECT_EQ(tag.Link, "http://x.example/");
}

TEST(AudioId3v2, TrackNumbersAndGenres) {
  const std::vector<std::pair<std::string, int32_t>> tracks = {
      {"5/12", 5}, {"x", 0}, {"7", 7}, {"-3", -3}, {"99999999999", 0}, {"", 0}, {"/4", 0}, {"4x/5", 0}};
  for (const auto& [text, number] : tracks) {
    EXPECT_EQ(readV2(v2Tag(frame("TRCK", std::string("\0", 1) + text))).TrackNumber, number) << text;
  }
  const std::vector<std::pair<std::string, std::string>> genres = {
      {"(17)Rock", "Rock"}, {"(17)", ""}, {"Jazz", "Jazz"}, {"(1)(2)Pop", "Pop"}};
  for (const auto& [text, genre] : genres) {
    EXPECT_EQ(readV2(v2Tag(frame("TCON", std::string("\0", 1) + text))).Genre, genre) << text;
  }
}

TEST(AudioId3v2, LongFramesGiveTheirFirst250BytesAndLaterFramesReplaceEarlierOnes) {
  const std::string title(299, 'T');
  const TID3v2 tag = readV2(v2Tag(frame("TIT2", std::string("\0", 1) + title) + frame("TALB", std::string("\0One", 4)) +
                                  frame("TALB", std::string("\0Two", 4))));
  EXPECT_EQ(tag.Title, std::string(249, 'T'));
  EXPECT_EQ(tag.Album, "Two");
}

TEST(AudioId3v2, VersionsOtherThan3GiveNoFrames) {
  const TID3v2 tag = readV2(v2Tag(frame("TIT2", std::string("\0Title", 6)), 4));
  EXPECT_TRUE(tag.TagFound);
  EXPECT_EQ(tag.MajorVersion, 4);
  EXPECT_GT(tag.TagSize, 10);
  EXPECT_EQ(tag.Title, "");
}

TEST(AudioId3v2, HostileTagsKeepWhatWasReadBeforeTheDamage) {
  const std::string title = frame("TIT2", std::string("\0Title", 6));
  struct Case {
    const char* name;
    std::string bytes;
    std::string album;  // what remains of a TALB frame after the title frame
    bool sizeKept;
  };
  std::string hugeFrame = frame("TALB", std::string("\0Album", 6));
  hugeFrame[4] = '\x80';  // size of 2^31 or more
  std::string pastEnd = frame("TALB", std::string("\0Album", 6));
  pastEnd[6] = '\x01';  // 65 542 bytes, far past the end of the file
  std::string sizeLies = v2Tag(title + frame("TALB", std::string("\0Album", 6)));
  sizeLies[6] = '\x7F';  // tag size larger than the file
  const std::vector<Case> cases = {
      {"frame size of 2^31", v2Tag(title + hugeFrame), "", true},
      {"frame past the end of the file", v2Tag(title + pastEnd), "", true},
      {"identifier starting with a digit", v2Tag(title + frame("1ALB", "x") + frame("TALB", std::string("\0A", 2))), "", true},
      {"identifier starting with a zero byte", v2Tag(title + std::string(1, '\0') + frame("TALB", std::string("\0A", 2))), "", true},
      {"lower-case identifier", v2Tag(title + frame("tALB", "x") + frame("TALB", std::string("\0A", 2))), "", true},
      {"tag size beyond the file", sizeLies, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TID3v2 tag = readV2(c.bytes);
    EXPECT_TRUE(tag.TagFound);
    EXPECT_EQ(tag.Album, c.album);
    if (c.sizeKept) {
      EXPECT_EQ(tag.Title, "Title");
    } else {
      EXPECT_EQ(tag.TagSize, 0);
      EXPECT_EQ(tag.Title, "");
    }
  }
}

TEST(AudioId3v2, HeaderFailures) {
  TID3v2 tag;
  const std::string nine("ID3\3\0\0\0\0\0", 9);
  MemoryByteSource shortSource(nine);
  EXPECT_FALSE(tag.ReadTag(shortSource));
  EXPECT_FALSE(tag.TagFound);
  const std::string lowerCase("id3\3\0\0\0\0\0\0xxxx", 14);
  MemoryByteSource plain(lowerCase);
  EXPECT_TRUE(tag.ReadTag(plain));
  EXPECT_FALSE(tag.TagFound);
  EXPECT_FALSE(tag.ReadTag("/nonexistent/file.mp3"));
}

TEST(AudioId3Tool, TagsWrittenByTheId3v2ToolReadBack) {
  if (!testing::haveTool("id3v2")) GTEST_FAIL() << "the id3v2 tool is needed";
  TempDir dir;
  const auto path = dir / "song.mp3";
  writeFile(path, std::string(4096, '\0'));
  ASSERT_TRUE(testing::run("id3v2 -t 'Night Train' -a 'The Band' -A 'Rails' -y 1984 -T 5/12 -g 17 -c 'hello there' " +
                           testing::quoted(path)));
  TID3v1 v1;
  ASSERT_TRUE(v1.ReadTag(path.string()));
  EXPECT_TRUE(v1.TagFound);
  EXPECT_EQ(v1.Title, "Night Train");
  EXPECT_EQ(v1.Artist, "The Band");
  EXPECT_EQ(v1.Album, "Rails");
  EXPECT_EQ(v1.Year, "1984");
  EXPECT_EQ(v1.Comment, "hello there");
  EXPECT_EQ(v1.TrackNumber, 5);
  EXPECT_EQ(v1.GenreName(), "Rock");
  TID3v2 v2;
  ASSERT_TRUE(v2.ReadTag(path.string()));
  EXPECT_TRUE(v2.TagFound);
  EXPECT_EQ(v2.MajorVersion, 3);
  EXPECT_EQ(v2.Title, "Night Train");
  EXPECT_EQ(v2.Artist, "The Band");
  EXPECT_EQ(v2.Album, "Rails");
  EXPECT_EQ(v2.Year, "1984");
  EXPECT_EQ(v2.TrackNumber, 5);
  EXPECT_EQ(v2.Comment, "hello there");
  EXPECT_EQ(v2.Genre, "");  // the tool writes "(17)", whose name part is empty
}

}  // namespace
}  // namespace lumora::audio

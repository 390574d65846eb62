// ID3v1 and ID3v2 readers: layout edge cases, tags written by the id3v2 tool, and hostile tags.
#include <gtest/gtest.h>

#include <string>

#include "audio/id3v1.h"
#include "audio/id3v2.h"
#include "audio/track_hint.h"
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

TEST(AudioId3v2, VersionsOtherThan3And4GiveNoFrames) {
  for (int major : {2, 5}) {
    const TID3v2 tag = readV2(v2Tag(frame("TIT2", std::string("\0Title", 6)), major));
    EXPECT_TRUE(tag.TagFound);
    EXPECT_EQ(tag.MajorVersion, major);
    EXPECT_GT(tag.TagSize, 10);
    EXPECT_EQ(tag.Title, "");
  }
}

// UTF-16 bytes of a text, in either byte order.
std::string utf16(const std::u16string& text, bool bigEndian = false) {
  std::string out;
  for (char16_t u : text) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return out;
}
const std::string kLittleMark = "\xFF\xFE", kBigMark = "\xFE\xFF";

// A version 4 frame: syncsafe size, `format` as its second flags byte.
std::string frameV4(const std::string& id, const std::string& data, uint8_t format = 0) {
  std::string out = id;
  const uint32_t size = static_cast<uint32_t>(data.size());
  for (int shift : {21, 14, 7, 0}) out.push_back(static_cast<char>((size >> shift) & 0x7F));
  out += '\0';
  out += static_cast<char>(format);
  return out + data;
}

// A frame of the given major version.
std::string frameOf(int major, const std::string& id, const std::string& data) {
  return major == 4 ? frameV4(id, data) : frame(id, data);
}

TEST(AudioId3v2, DeclaredTextEncodingsComeOutAsUtf8) {
  const std::string e2 = "\xC3\xA9";  // é in UTF-8
  std::string e150;
  for (int i = 0; i < 150; ++i) e150 += e2;
  std::string e124;
  for (int i = 0; i < 124; ++i) e124 += e2;
  struct Case {
    const char* name;
    std::string data;  // of the title frame, from its encoding byte
    std::string title;
  };
  const std::vector<Case> cases = {
      {"8-bit ASCII", std::string("\0Night", 6), "Night"},
      {"8-bit in the legacy code page", std::string("\0\xCF\xF0\xE8\xE2\xE5\xF2", 7), "Привет"},
      {"8-bit that is UTF-8", std::string(1, '\0') + "Grüße", "Grüße"},
      {"UTF-16 with a little-endian mark", "\1" + kLittleMark + utf16(u"Привет"), "Привет"},
      {"UTF-16 with a big-endian mark", "\1" + kBigMark + utf16(u"Привет", true), "Привет"},
      {"UTF-16 without a mark", "\1" + utf16(u"Hi"), "Hi"},
      {"UTF-16 surrogate pair", "\1" + kLittleMark + utf16(u"a\U0001F600"), "a\U0001F600"},
      {"UTF-16BE", "\2" + utf16(u"日本", true), "日本"},
      {"UTF-8", "\3日本語", "日本語"},
      {"UTF-16 value ended by a zero unit",
       "\1" + kLittleMark + utf16(u"One") + std::string(2, '\0') + kLittleMark + utf16(u"Two"), "One"},
      {"8-bit value ended by a zero", std::string("\0One\0Two", 8), "One"},
      {"trimmed once decoded", "\1" + kLittleMark + utf16(u"  x \t"), "x"},
      {"UTF-8 cut at 250 bytes inside a character", "\3" + e150, e124},
      {"8-bit UTF-8 cut at 250 bytes inside a character", std::string(1, '\0') + e150, e124},
  };
  const std::string comm = "\1eng" + kLittleMark + utf16(u"desc") + std::string(2, '\0') + kLittleMark + utf16(u"Kommentar ü");
  const std::string wxxx = "\1" + kLittleMark + utf16(u"Home") + std::string(2, '\0') + "http://x.example/";
  for (int major : {3, 4}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", version " + std::to_string(major));
      const TID3v2 tag = readV2(v2Tag(frameOf(major, "TIT2", c.data) +
                                      frameOf(major, "TPE1", "\1" + kLittleMark + utf16(u"Band")) +
                                      frameOf(major, "TRCK", "\1" + kLittleMark + utf16(u"5/12")) +
                                      frameOf(major, "TCON", "\2" + utf16(u"(17)Rock", true)) +
                                      frameOf(major, "COMM", comm) + frameOf(major, "WXXX", wxxx), major));
      EXPECT_EQ(tag.Title, c.title);
      EXPECT_EQ(tag.Artist, "Band");
      EXPECT_EQ(tag.TrackNumber, 5);
      EXPECT_EQ(tag.Genre, "Rock");
      EXPECT_EQ(tag.Comment, "Kommentar ü");
      EXPECT_EQ(tag.Link, "http://x.example/");
      // A value's end never cuts the hint short.
      const std::string hint = composeTrackHint(tag);
      EXPECT_EQ(hint.find('\0'), std::string::npos);
      EXPECT_NE(hint.find("<br>Artist: Band<br>"), std::string::npos) << hint;
    }
  }
}

// The bytes as unsynchronisation stores them: a zero after every 0xFF.
std::string unsynchronised(const std::string& bytes) {
  std::string out;
  for (char c : bytes) {
    out += c;
    if (static_cast<unsigned char>(c) == 0xFF) out += '\0';
  }
  return out;
}

// A tag whose header carries `flags` and whose size covers `body` (already in its stored form).
std::string v2TagWithFlags(const std::string& body, int major, uint8_t flags) {
  std::string tag = v2Tag(body, major, 0);
  tag[5] = static_cast<char>(flags);
  return tag;
}

TEST(AudioId3v2, SyncsafeSizesUnsynchronisationAndExtendedHeaders) {
  const std::string longTitle(200, 'T');  // a size above 127, where syncsafe and plain numbers differ
  const std::string apple("\0\xFF\xE1\xEB\xEE\xEA\xEE", 7);  // "яблоко" in Windows-1251: 0xFF first
  const std::string band("\0Band", 5);
  auto syncsafe = [](uint32_t n) {
    std::string out;
    for (int shift : {21, 14, 7, 0}) out.push_back(static_cast<char>((n >> shift) & 0x7F));
    return out;
  };
  struct Case {
    const char* name;
    std::string bytes;
    std::string title;
  };
  const std::vector<Case> cases = {
      {"version 4 frame size above 127", v2Tag(frameV4("TIT2", "\0" + longTitle) + frameV4("TPE1", band), 4), longTitle},
      {"version 3 tag unsynchronised", v2TagWithFlags(unsynchronised(frame("TIT2", apple) + frame("TPE1", band)), 3, 0x80),
       "яблоко"},
      {"version 4 frame unsynchronised", v2Tag(frameV4("TIT2", unsynchronised(apple), 0x02) + frameV4("TPE1", band), 4),
       "яблоко"},
      {"version 4 tag unsynchronised",
       v2TagWithFlags(frameV4("TIT2", unsynchronised(apple)) + frameV4("TPE1", band), 4, 0x80), "яблоко"},
      {"version 4 data length indicator",
       v2Tag(frameV4("TIT2", syncsafe(6) + std::string("\0Title", 6), 0x01) + frameV4("TPE1", band), 4), "Title"},
      {"version 4 group byte", v2Tag(frameV4("TIT2", "G" + std::string("\0Title", 6), 0x40) + frameV4("TPE1", band), 4),
       "Title"},
      {"version 3 extended header",
       v2TagWithFlags(std::string("\0\0\0\x06", 4) + std::string(6, '\0') + frame("TIT2", std::string("\0Title", 6)) +
                          frame("TPE1", band),
                      3, 0x40),
       "Title"},
      {"version 4 extended header",
       v2TagWithFlags(syncsafe(6) + std::string("\x01\0", 2) + frameV4("TIT2", std::string("\0Title", 6)) +
                          frameV4("TPE1", band),
                      4, 0x40),
       "Title"},
      {"compressed frame passed over", v2Tag(frameV4("TIT2", "zlib?", 0x08 | 0x01) + frameV4("TPE1", band), 4), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TID3v2 tag = readV2(c.bytes);
    EXPECT_EQ(tag.Title, c.title);
    EXPECT_EQ(tag.Artist, "Band");
  }
  // Version 4 keeps the year in the recording time.
  EXPECT_EQ(readV2(v2Tag(frameV4("TDRC", std::string("\0" "2004-05", 8)), 4)).Year, "2004-05");
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

TEST(AudioId3Tool, Utf16TagsWrittenByLameReadBack) {
  if (!testing::haveTool("lame")) GTEST_FAIL() << "the lame tool is needed";
  TempDir dir;
  const auto wav = testing::writeWav(dir / "a.wav", 0.2, 8000, 1);
  const auto mp3 = dir / "a.mp3";
  ASSERT_TRUE(testing::run("lame -S --id3v2-only --id3v2-utf16 --tt 'Ночной поезд' --ta 'The Band' --tl 'Рельсы' "
                           "--ty 1984 --tn 5/12 --tc 'привет' " +
                           testing::quoted(wav) + " " + testing::quoted(mp3)));
  TID3v2 v2;
  ASSERT_TRUE(v2.ReadTag(mp3.string()));
  EXPECT_EQ(v2.MajorVersion, 3);
  EXPECT_EQ(v2.Title, "Ночной поезд");
  EXPECT_EQ(v2.Artist, "The Band");
  EXPECT_EQ(v2.Album, "Рельсы");
  EXPECT_EQ(v2.Year, "1984");
  EXPECT_EQ(v2.TrackNumber, 5);
  EXPECT_EQ(v2.Comment, "привет");
}

}  // namespace
}  // namespace lumora::audio

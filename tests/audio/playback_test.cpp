// Status text, seek and slider arithmetic, the device selection rule, and the track hint.
#include <gtest/gtest.h>

#include "audio/playback_state.h"
#include "audio/sound_library.h"
#include "audio/track_hint.h"
#include "audio_fixtures.h"

namespace lumora::audio {
namespace {

using lumora::testing::TempDir;
using lumora::testing::writeFile;

TEST(AudioStatusText, FormatsMinutesAndSeconds) {
  EXPECT_EQ(statusText(185, 70), "Playing  3:05 (1:10).");
  EXPECT_EQ(statusText(0, 0), "Playing  0:00 (0:00).");
  EXPECT_EQ(statusText(3600 + 9, 601), "Playing  60:09 (10:01).");
}

TEST(AudioStatusText, TrackOf59AndAHalfSecondsHalfASecondIn) {
  ASSERT_TRUE(SND_Init(kNoSoundDevice, 44100, 0, nullptr, nullptr));
  TempDir dir;
  // 59.5 s of 8 kHz mono silence: 476 000 frames, 952 000 bytes.
  writeFile(dir / "a.wav", testing::wavBytes(std::vector<int16_t>(476000, 0), 8000, 1));
  const HSTREAM h = SND_StreamCreateFile(false, (dir / "a.wav").c_str(), 0, 0, 0);
  ASSERT_EQ(SND_ChannelGetLength(h), 952000u);
  EXPECT_EQ(statusTextFor(h, 952000, 8000), "Playing  0:59 (0:59).");
  SND_Free();
}

TEST(AudioSeekArithmetic, SliderAndBytes) {
  EXPECT_EQ(seekBytesFor(250, 1000000), 500000u);
  EXPECT_EQ(seekBytesFor(500, 1000000), 1000000u);
  EXPECT_EQ(seekBytesFor(1, 999), 1u);  // 1.998 truncates
  EXPECT_EQ(seekBytesFor(250, 10'000'000'000ull), 5'000'000'000ull);  // past 32 bits
  EXPECT_EQ(sliderPositionFor(500000, 1000000), 250);
  EXPECT_EQ(sliderPositionFor(999, 1000), 499);
  EXPECT_EQ(sliderPositionFor(2000, 1000), 500);
  EXPECT_EQ(sliderPositionFor(5, 0), 0);  // an empty stream never divides by zero
}

TEST(AudioDeviceSelection, StoredValuesOutsideTheListSelectTheDefaultOutput) {
  EXPECT_EQ(deviceSelectionFor(0, 3), 0);
  EXPECT_EQ(deviceSelectionFor(2, 3), 2);
  EXPECT_EQ(deviceSelectionFor(7, 3), 1);
  EXPECT_EQ(deviceSelectionFor(-1, 3), 1);
}

TEST(AudioTrackHint, ComposesTheTextOfEachReader) {
  TempDir dir;
  writeFile(dir / "plain.mp3", std::string(300, '\0'));
  EXPECT_EQ(trackHintFor((dir / "plain.mp3").string(), 0),
            "<b>About file:</b><br><br>Title: <br>Artist: <br>Album: <br>Year: <br>Comment: <br>Genre: ");
  // A version 4 tag with the ID3v2 reader: every value empty, the link piece without an address.
  writeFile(dir / "v4.mp3", std::string("ID3\4\0\0\0\0\0\x20", 10) + std::string(300, '\0'));
  EXPECT_EQ(trackHintFor((dir / "v4.mp3").string(), 1),
            "<b>About file:</b><br><br>Title: <br>Artist: <br>Album: <br>Year: <br>Comment: <br>Genre: "
            "<br>Composer: <br>Encoder: <br>Copyright: <br>Language: <br>Link: <a href=></a>");
  // Only names ending exactly in ".mp3" get a hint.
  for (const char* name : {"SONG.MP3", "song.wav", "song.mp3.ogg", "mp3"}) {
    writeFile(dir / name, std::string(300, '\0'));
    EXPECT_EQ(trackHintFor((dir / name).string(), 0), std::nullopt) << name;
  }
  EXPECT_NE(trackHintFor((dir / "missing.mp3").string(), 0), std::nullopt);
}

TEST(AudioTrackHint, TagTextStaysTextInEveryFieldAndLegacyBytesAreConverted) {
  // Each field in turn holds markup; the hint carries it as text and nothing else changes.
  const std::string hostile = "<img src=\"/etc/passwd\">&lt;b&gt;";
  const std::string escaped = "&lt;img src=&quot;/etc/passwd&quot;&gt;&amp;lt;b&amp;gt;";
  std::vector<std::string TID3v1::*> v1Fields = {&TID3v1::Title, &TID3v1::Artist, &TID3v1::Album, &TID3v1::Year,
                                                 &TID3v1::Comment};
  for (auto field : v1Fields) {
    TID3v1 v1;
    v1.*field = hostile;
    const std::string hint = composeTrackHint(v1);
    EXPECT_NE(hint.find(": " + escaped + "<br>"), std::string::npos) << hint;
    EXPECT_EQ(hint.find(hostile), std::string::npos) << hint;
  }
  std::vector<std::string TID3v2::*> v2Fields = {&TID3v2::Title,    &TID3v2::Artist,   &TID3v2::Album,
                                                 &TID3v2::Year,     &TID3v2::Comment,  &TID3v2::Genre,
                                                 &TID3v2::Composer, &TID3v2::Encoder,  &TID3v2::Copyright,
                                                 &TID3v2::Language};
  for (auto field : v2Fields) {
    TID3v2 v2;
    v2.*field = hostile;
    const std::string hint = composeTrackHint(v2);
    EXPECT_NE(hint.find(": " + escaped + "<br>"), std::string::npos) << hint;
    EXPECT_EQ(hint.find(hostile), std::string::npos) << hint;
  }
  TID3v2 v2;
  v2.Link = "\"><b>x";
  EXPECT_NE(composeTrackHint(v2).find("<br>Link: <a href=&quot;&gt;&lt;b&gt;x>&quot;&gt;&lt;b&gt;x</a>"), std::string::npos);
  v2.Link = "http://a.example/?a=1&b=2";
  EXPECT_NE(composeTrackHint(v2).find("<br>Link: <a href=http://a.example/?a=1&amp;b=2>http://a.example/?a=1&amp;b=2</a>"),
            std::string::npos);
  EXPECT_EQ(trackHintForDisplay("Title: \xcf\xf0\xe8\xe2\xe5\xf2"), "Title: Привет");  // Windows-1251
  EXPECT_EQ(trackHintForDisplay("Title: Grüße"), "Title: Grüße");
}

}  // namespace
}  // namespace lumora::audio

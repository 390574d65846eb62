#include "audio/id3v1.h"

#include <array>
#include <cstring>

namespace lumora::audio {

namespace {

// The ID3v1 genres with the Winamp extensions, in the order and wording of their first publication, but
// for 133, which shows the name current tag libraries and players give it instead of the old list's slur.
constexpr std::array<const char*, TID3v1::kGenreCount> kGenres = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop",
    "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game",
    "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative",
    "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial",
    "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40",
    "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave",
    "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical",
    "Rock & Roll", "Hard Rock", "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob",
    "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progessive Rock",
    "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic",
    "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus",
    "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad",
    "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "A capella", "Euro-House", "Dance Hall",
    "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie", "BritPop", "Afro-Punk", "Polsk Punk",
    "Beat", "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover", "Contemporary Christian",
    "Christian Rock", "Merengue", "Salsa", "Trash Metal", "Anime", "JPop", "Synthpop"};

// A field without its trailing run of codes up to 32 (blanks, zero bytes, control characters).
std::string trimmedField(const unsigned char* bytes, size_t size) {
  while (size > 0 && bytes[size - 1] <= 32) --size;
  return std::string(reinterpret_cast<const char*>(bytes), size);
}

}  // namespace

const char* const* GenreNames() { return kGenres.data(); }

void TID3v1::Clear() { *this = TID3v1(); }

bool TID3v1::ReadTag(const std::string& fileName) {
  Clear();
  std::unique_ptr<FileByteSource> source = FileByteSource::open(fileName);
  return source != nullptr && ReadTag(*source);
}

bool TID3v1::ReadTag(ByteSource& source) {
  Clear();
  std::array<unsigned char, 128> tag{};
  if (source.size() < tag.size() || !source.readAt(source.size() - tag.size(), tag.data(), tag.size())) {
    return false;
  }
  if (std::memcmp(tag.data(), "TAG", 3) != 0) return true;
  TagFound = true;
  const unsigned char b125 = tag[125], b126 = tag[126];
  TagRevision = (b125 == 0 && b126 != 0) || (b125 == ' ' && b126 != ' ') ? 2 : 1;
  Title = trimmedField(tag.data() + 3, 30);
  Artist = trimmedField(tag.data() + 33, 30);
  Album = trimmedField(tag.data() + 63, 30);
  Year = trimmedField(tag.data() + 93, 4);
  if (TagRevision == 1) {
    Comment = trimmedField(tag.data() + 97, 30);
  } else {
    Comment = trimmedField(tag.data() + 97, 28);
    TrackNumber = b126;
  }
  GenreIndex = tag[127];
  return true;
}

std::string TID3v1::GenreName() const { return GenreIndex < kGenreCount ? kGenres[GenreIndex] : std::string(); }

}  // namespace lumora::audio

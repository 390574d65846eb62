#include "help/chm_system.h"

#include "core/codepage.h"

namespace lumora::help {

namespace {

uint32_t readLittle(std::string_view bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

std::string zeroTerminated(std::string_view data) {
  const size_t zero = data.find('\0');
  return std::string(zero == std::string_view::npos ? data : data.substr(0, zero));
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) s.remove_suffix(1);
  return s;
}

}  // namespace

TChmSystemInfo parseSystemFile(std::string_view Bytes) {
  TChmSystemInfo info;
  size_t at = 4;  // the version
  while (at + 4 <= Bytes.size()) {
    const uint32_t code = readLittle(Bytes, at, 2);
    const size_t length = readLittle(Bytes, at + 2, 2);
    at += 4;
    const std::string_view data = Bytes.substr(at, std::min(length, Bytes.size() - at));
    at += data.size();
    switch (code) {
      case 0: info.ContentsFile = zeroTerminated(data); break;
      case 1: info.IndexFile = zeroTerminated(data); break;
      case 2: info.DefaultTopic = zeroTerminated(data); break;
      case 3: info.Title = zeroTerminated(data); break;
      case 4:
        if (data.size() >= 4) info.Lcid = readLittle(data, 0, 4);
        break;
      default: break;
    }
  }
  return info;
}

int codePageOfLcid(uint32_t Lcid) {
  switch (Lcid & 0x3FF) {
    case 0x02: case 0x19: case 0x1C: case 0x22: case 0x23: case 0x2F: case 0x44: case 0x50:
      return 1251;  // Bulgarian, Russian, Serbian, Ukrainian, Belarusian, Macedonian, Tatar, Mongolian
    case 0x05: case 0x0E: case 0x15: case 0x18: case 0x1A: case 0x1B: case 0x24:
      return 1250;  // Czech, Hungarian, Polish, Romanian, Croatian, Slovak, Slovenian
    case 0x08: return 1253;
    case 0x1F: return 1254;
    case 0x0D: return 1255;
    case 0x01: return 1256;
    case 0x25: case 0x26: case 0x27: return 1257;
    case 0x2A: return 1258;
    case 0x1E: return 874;
    case 0x11: return 932;
    case 0x04: return (Lcid & 0xFFFF) == 0x0404 || (Lcid & 0xFFFF) == 0x0C04 ? 950 : 936;
    case 0x12: return 949;
    default: return 1252;
  }
}

std::string helpTextToUtf8(std::string_view Bytes, uint32_t Lcid) {
  if (core::isValidUtf8(Bytes)) return std::string(Bytes);
  return core::toUtf8(Bytes, codePageOfLcid(Lcid));
}

std::map<std::string, std::string> parsePopupTexts(std::string_view Text) {
  std::map<std::string, std::string> texts;
  std::string* current = nullptr;
  size_t start = 0;
  while (start < Text.size()) {
    size_t end = Text.find('\n', start);
    if (end == std::string_view::npos) end = Text.size();
    std::string_view line = Text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    const std::string_view t = trimmed(line);
    if (t.size() > 6 && t.substr(0, 6) == ".topic" && (t[6] == ' ' || t[6] == '\t')) {
      current = &texts[std::string(trimmed(t.substr(7)))];
      current->clear();
      continue;
    }
    if (current == nullptr) continue;
    if (!current->empty()) *current += '\n';
    *current += std::string(line);
  }
  for (auto& [id, text] : texts) text = std::string(trimmed(text));
  return texts;
}

}  // namespace lumora::help

#include "help/help_names.h"

#include <vector>

namespace lumora::help {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithFolded(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (lower(text[i]) != prefix[i]) return false;
  return true;
}

// A scheme is letters, digits, "+", "-" or "." before a ":"; a single letter is a drive ("C:"), not one.
bool hasScheme(std::string_view name) {
  const size_t colon = name.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    const char c = name[i];
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::string foldedName(std::string_view Name) {
  std::string out(Name);
  for (char& c : out) c = lower(c);
  return out;
}

std::string withoutFragment(std::string_view Name) {
  const size_t hash = Name.find('#');
  return std::string(hash == std::string_view::npos ? Name : Name.substr(0, hash));
}

std::string fragmentOf(std::string_view Name) {
  const size_t hash = Name.find('#');
  return hash == std::string_view::npos ? std::string() : std::string(Name.substr(hash));
}

std::string resolveTopicName(std::string_view Reference, std::string_view CurrentTopic) {
  std::string_view ref = Reference;
  while (!ref.empty() && (ref.front() == ' ' || ref.front() == '\t')) ref.remove_prefix(1);
  while (!ref.empty() && (ref.back() == ' ' || ref.back() == '\t' || ref.back() == '\r' || ref.back() == '\n')) ref.remove_suffix(1);
  if (ref.empty()) return {};
  // "...::/topic" (with or without "ms-its:" or "mk:@MSITStore:" before the file) names a topic of a
  // help file; this reader shows the topics of the file it has open.
  bool fromRoot = false;
  if (const size_t inside = ref.find("::"); inside != std::string_view::npos) {
    ref = ref.substr(inside + 2);
    fromRoot = true;
  } else if (startsWithFolded(ref, "file:") || hasScheme(ref)) {
    return {};
  }
  const std::string fragment = fragmentOf(ref);
  std::string path = (fromRoot ? "/" : "") + withoutFragment(ref);
  for (char& c : path)
    if (c == '\\') c = '/';
  if (path.empty()) {
    // A bare "#part" stays on the current topic.
    path = "/" + withoutFragment(CurrentTopic);
  }
  std::string joined;
  if (path.front() == '/') {
    joined = path;
  } else {
    const std::string current = withoutFragment(CurrentTopic);
    const size_t slash = current.rfind('/');
    joined = (slash == std::string::npos ? std::string("/") : current.substr(0, slash + 1)) + path;
  }
  // The current topic's own name may be written with "\" or "..", too.
  for (char& c : joined)
    if (c == '\\') c = '/';
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= joined.size()) {
    size_t end = joined.find('/', start);
    if (end == std::string::npos) end = joined.size();
    const std::string part = joined.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& part : parts) out += "/" + part;
  return (out.empty() ? std::string("/") : out) + fragment;
}

}  // namespace lumora::help

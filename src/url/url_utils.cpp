#include "url/url_utils.h"

#include "core/paths.h"

namespace lumora::url {

namespace {

constexpr size_t npos = std::string_view::npos;

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool startsWithIgnoreCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && core::equalsIgnoreAsciiCase(s.substr(0, prefix.size()), prefix);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view beforeQuery(std::string_view url) { return url.substr(0, url.find('?')); }

}  // namespace

std::string_view trimName(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

std::string UrlToDosPath(std::string_view name) {
  std::string s(name);
  // Always the first "%", so an escape that decodes to "%" is decoded again.
  for (;;) {
    const size_t p = s.find('%');
    if (p == std::string::npos || p == 0 || s.size() - p - 1 < 2) break;
    const int high = hexValue(s[p + 1]);
    const int low = hexValue(s[p + 2]);
    if (high < 0 || low < 0) break;
    s.replace(p, 3, 1, static_cast<char>(high * 16 + low));
  }
  if (s.find('/') == std::string::npos) return s;
  const std::string lowered = lower(s);
  for (const std::string_view prefix : {"file:///", "file://", "file:/"}) {
    const size_t p = lowered.find(prefix);
    if (p != std::string::npos) {
      s.erase(p, prefix.size());
      break;
    }
  }
  for (char& c : s) {
    if (c == '|') c = ':';
    else if (c == '/') c = '\\';
  }
  return s;
}

std::string ServerUrlToDosPath(std::string_view name, std::string_view serverRoot) {
  const std::string converted = UrlToDosPath(name);
  const std::string p(trimName(converted));
  if (!p.empty() && !serverRoot.empty() && p.rfind("\\\\", 0) != 0 && !(p.size() > 1 && p[1] == ':') &&
      p[0] == '\\') {
    return std::string(serverRoot) + p;
  }
  return p;
}

NameAndDestination SplitAtHash(std::string_view name) {
  const size_t hash = name.find('#');
  if (hash == npos) return {std::string(name), {}};
  return {std::string(name.substr(0, hash)), std::string(name.substr(hash))};
}

size_t PosX(std::string_view sub, std::string_view s, int n) {
  if (n == 0 || sub.empty()) return 0;
  if (n > 0) {
    size_t from = 0;
    size_t found = npos;
    for (int i = 0; i < n; ++i) {
      found = s.find(sub, from);
      if (found == npos) return s.size() + 1;
      from = found + 1;
    }
    return found + 1;
  }
  int count = 0;
  for (size_t start = s.size(); start-- > 0;) {
    if (s.compare(start, sub.size(), sub) == 0 && start + sub.size() <= s.size() && ++count == -n) return start + 1;
  }
  return 0;
}

UrlParts ParseURL(std::string_view url) {
  UrlParts r;
  if (url.empty()) return r;
  std::string_view rest;
  if (const size_t sep = url.find("://"); sep != npos) {
    r.Protocol = url.substr(0, sep);
    rest = url.substr(sep + 3);
  } else if (url[0] == '/') {
    r.Protocol = "http";
    if (url.size() > 1 && url[1] != '/') {
      r.Path = url;
      return r;
    }
    rest = url.substr(1);
  } else if (startsWithIgnoreCase(url, "http:")) {
    r.Protocol = "http";
    if (url.size() > 6 && url[6] != '/') {
      r.Path = url.substr(5);
      return r;
    }
    rest = url.substr(std::min<size_t>(6, url.size()));
  } else if (startsWithIgnoreCase(url, "mailto:")) {
    r.Protocol = "mailto";
    rest = url.substr(url.find(':') + 1);
  } else {
    rest = url;
  }
  const size_t slash = rest.find('/');
  const std::string_view authority = rest.substr(0, slash);
  if (slash != npos) r.Path = rest.substr(slash);

  // 1-based positions; 0 (or beyond the text) when absent.
  size_t colon = PosX(":", authority, -1);
  size_t at = PosX("@", authority, -1);
  if (colon > authority.size()) colon = 0;
  if (at > authority.size()) at = 0;
  if (colon == 0 && at == 0) {
    r.Host = authority;
    return r;
  }
  if (colon > at) {
    r.Port = authority.substr(colon);
    r.Host = authority.substr(at, colon - 1 - at);
    if (at == 0) return r;
  } else {
    r.Host = authority.substr(at);
  }
  const std::string_view userInfo = authority.substr(0, at - 1);
  const size_t c = userInfo.find(':');
  if (c == npos) {
    r.User = userInfo;
  } else {
    r.User = userInfo.substr(0, c);
    r.Password = userInfo.substr(c + 1);
  }
  return r;
}

std::string GetProtocol(std::string_view url) { return lower(ParseURL(beforeQuery(url)).Protocol); }

bool IsFullURL(std::string_view url) {
  const std::string_view s = beforeQuery(url);
  const size_t sep = s.find("://");
  if (sep != npos && s.substr(0, sep).find('/') == npos) return true;
  return lower(s).find("mailto:") != std::string::npos;
}

std::string GetURLBase(std::string_view url) {
  const std::string_view s = beforeQuery(trimName(url));
  const size_t slashes = s.find("//");
  const size_t minimum = slashes == npos ? 1 : slashes + 2;
  const size_t last = s.rfind('/');
  if (last != npos && last >= minimum) return std::string(s.substr(0, last + 1));
  return std::string(s) + "/";
}

std::string CombineURL(std::string_view baseIn, std::string_view relativeIn) {
  std::string base(trimName(baseIn));
  const std::string protocol = GetProtocol(base);
  // A: 1-based end of the root ("scheme://host/" or the first "/"), which ".." never climbs above.
  size_t a = 0;
  if (base.rfind("file:///", 0) == 0) {
    const size_t p = base.find('/', 8);
    a = p == std::string::npos ? 8 : p + 1;
  } else if (const size_t sep = base.find("://"); sep != std::string::npos) {
    const size_t p = base.find('/', sep + 3);
    a = p == std::string::npos ? sep + 3 : p + 1;
  } else if (const size_t p = base.find('/'); p != std::string::npos) {
    a = p + 1;
  }
  if (a == 0) {
    base += '/';
    a = base.size();
  } else if (base.back() != '/') {
    base += '/';
  }

  const std::string_view relative = trimName(relativeIn);
  std::string result;
  if (relative.empty() || relative[0] != '/') {
    result = base + std::string(relative);
  } else if (relative.size() > 1 && relative[1] == '/') {
    result = (protocol == "file" ? std::string("file:///") : protocol + ":") + std::string(relative);
  } else {
    result = base.substr(0, a) + std::string(relative.substr(1));
  }

  for (;;) {
    const size_t p0 = result.find("/../");
    if (p0 == std::string::npos) break;
    if (p0 + 1 > a) {
      const size_t prev = p0 == 0 ? std::string::npos : result.rfind('/', p0 - 1);
      if (prev == std::string::npos) break;
      result.erase(prev + 1, p0 + 4 - (prev + 1));
    } else {
      result.erase(p0 + 1, 3);
    }
  }
  for (size_t p; (p = result.find("/./")) != std::string::npos;) result.replace(p, 3, "/");
  return result;
}

std::filesystem::path localFileName(std::string_view dosPath) {
  return core::resolveCaseInsensitive(std::filesystem::path(core::toLocalSeparators(dosPath)));
}

}  // namespace lumora::url

#include "app/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

namespace lumora::app {

namespace {

constexpr const char* kNoDisplay = "no display: set DISPLAY or run under xvfb-run";

std::string value(const std::function<const char*(const char*)>& environment, const char* name) {
  const char* v = environment(name);
  return v != nullptr ? v : "";
}

// Whether a Unix socket at `address` (a leading '@' names the abstract namespace) accepts a connection.
bool acceptsConnection(const std::string& address) {
  sockaddr_un where{};
  where.sun_family = AF_UNIX;
  if (address.size() >= sizeof where.sun_path) return false;
  std::memcpy(where.sun_path, address.data(), address.size());
  if (address[0] == '@') where.sun_path[0] = '\0';
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size());
  const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&where), length) == 0;
  ::close(fd);
  return ok;
}

// Whether the X display named by DISPLAY can be reached. Only a local display (":N", "unix:N") is tried;
// a display on another host is taken on trust, since reaching it could take long.
bool xDisplayReachable(const std::string& display) {
  if (display.empty()) return false;
  const size_t colon = display.rfind(':');
  if (colon == std::string::npos) return true;
  const std::string host = display.substr(0, colon);
  if (!host.empty() && host != "unix") return true;
  std::string number = display.substr(colon + 1);
  number = number.substr(0, number.find('.'));
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return true;
  const std::string socket = "/tmp/.X11-unix/X" + number;
  return acceptsConnection("@" + socket) || acceptsConnection(socket);
}

bool waylandReachable(const std::function<const char*(const char*)>& environment) {
  std::string display = value(environment, "WAYLAND_DISPLAY");
  if (display.empty()) display = "wayland-0";
  if (display[0] == '/') return std::filesystem::exists(display);
  const std::string runtime = value(environment, "XDG_RUNTIME_DIR");
  return !runtime.empty() && std::filesystem::exists(runtime + "/" + display);
}

// The platforms Qt would try, in order: the command line's choice, QT_QPA_PLATFORM's, or its default.
std::vector<std::string> candidatePlatforms(const std::function<const char*(const char*)>& environment,
                                            const std::vector<std::string>& arguments) {
  std::string chosen;
  for (size_t i = 0; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == "-platform" || arguments[i] == "--platform") chosen = arguments[i + 1];
  }
  if (chosen.empty()) chosen = value(environment, "QT_QPA_PLATFORM");
  if (chosen.empty()) chosen = value(environment, "XDG_SESSION_TYPE") == "wayland" ? "wayland;xcb" : "xcb";
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= chosen.size()) {
    const size_t end = std::min(chosen.find(';', start), chosen.size());
    std::string name = chosen.substr(start, end - start);
    name = name.substr(0, name.find(':'));  // "offscreen:size=800x600" names "offscreen"
    if (!name.empty()) names.push_back(name);
    start = end + 1;
  }
  return names;
}

}  // namespace

std::string missingDisplayMessage(const std::function<const char*(const char*)>& environment,
                                  const std::vector<std::string>& arguments) {
  const std::string display = value(environment, "DISPLAY");
  bool needsX = false;
  for (const std::string& platform : candidatePlatforms(environment, arguments)) {
    if (platform == "xcb") {
      if (xDisplayReachable(display)) return {};
      needsX = true;
    } else if (std::string_view(platform).starts_with("wayland")) {
      if (waylandReachable(environment)) return {};
    } else {
      return {};
    }
  }
  if (needsX && !display.empty()) {
    return "no display: the X server of DISPLAY=" + display + " does not answer; start it or run under xvfb-run";
  }
  return kNoDisplay;
}

}  // namespace lumora::app

#include "app/display_check.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <map>

#include "support/temp_dir.h"

namespace lumora::app {
namespace {

// A local X display number that nothing listens on, and one that a listening socket here stands in for.
class FakeXServer {
 public:
  FakeXServer() {
    for (number_ = 6100; number_ < 6200; ++number_) {
      fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      const std::string name = "/tmp/.X11-unix/X" + std::to_string(number_);
      std::memcpy(address.sun_path + 1, name.data(), name.size());  // abstract, as X servers listen
      const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
      if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 && ::listen(fd_, 4) == 0) return;
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~FakeXServer() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }
  std::string display() const { return ":" + std::to_string(number_) + ".0"; }
  // The number after this one: nothing listens there unless a real server happens to.
  std::string silentDisplay() const { return ":" + std::to_string(number_ + 1); }

 private:
  int number_ = 0;
  int fd_ = -1;
};

TEST(DisplayCheck, NamesWhatIsMissingBeforeQtWouldAbort) {
  FakeXServer server;
  ASSERT_TRUE(server.ok());
  testing::TempDir runtime;
  testing::writeFile(runtime / "wayland-1", "");  // stands in for a compositor's socket

  const std::string noDisplay = "no display: set DISPLAY or run under xvfb-run";
  const std::string silent = "no display: the X server of DISPLAY=" + server.silentDisplay() +
                             " does not answer; start it or run under xvfb-run";
  struct Case {
    const char* name;
    std::map<std::string, std::string> environment;
    std::vector<std::string> arguments;
    std::string expected;
  };
  const Case cases[] = {
      {"nothing set", {}, {}, noDisplay},
      {"a live X display", {{"DISPLAY", server.display()}}, {}, ""},
      {"a display nobody serves", {{"DISPLAY", server.silentDisplay()}}, {}, silent},
      {"a remote display is trusted", {{"DISPLAY", "build-host:10.0"}}, {}, ""},
      {"offscreen needs none", {{"QT_QPA_PLATFORM", "offscreen"}}, {}, ""},
      {"minimal with options", {{"QT_QPA_PLATFORM", "minimal:enable_fonts"}}, {}, ""},
      {"xcb chosen without DISPLAY", {{"QT_QPA_PLATFORM", "xcb"}}, {}, noDisplay},
      {"the command line wins", {{"QT_QPA_PLATFORM", "xcb"}}, {"/NoSplash", "-platform", "offscreen"}, ""},
      {"the command line can ask for xcb", {{"QT_QPA_PLATFORM", "offscreen"}}, {"--platform", "xcb"}, noDisplay},
      {"wayland with its socket",
       {{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-1"}, {"XDG_RUNTIME_DIR", runtime.path().string()}},
       {},
       ""},
      {"wayland without a compositor", {{"QT_QPA_PLATFORM", "wayland"}, {"XDG_RUNTIME_DIR", runtime.path().string()}}, {},
       noDisplay},
      {"a list falls back to xcb", {{"QT_QPA_PLATFORM", "wayland;xcb"}, {"DISPLAY", server.display()}}, {}, ""},
      {"a Wayland session without DISPLAY",
       {{"XDG_SESSION_TYPE", "wayland"}, {"WAYLAND_DISPLAY", "wayland-1"}, {"XDG_RUNTIME_DIR", runtime.path().string()}},
       {},
       ""},
  };
  for (const Case& c : cases) {
    const auto lookup = [&](const char* name) -> const char* {
      const auto it = c.environment.find(name);
      return it == c.environment.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(missingDisplayMessage(lookup, c.arguments), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace lumora::app

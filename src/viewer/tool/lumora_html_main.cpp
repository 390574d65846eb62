// lumora-html: the HTML engine on the command line.
//   lumora-html tokens FILE   the lexer's tokens, one JSON object per line
//   lumora-html dump FILE     the document model, one item per line
//   lumora-html text FILE     the page's text as a reader reads it
//   lumora-html layout FILE [--width N] [--metrics fixed|system]
//                             the page laid out, one JSON object per line (see layout_command.h)
//   lumora-html render FILE -o OUT.png [--width N] [--height H | --full] [--metrics system|fixed]
//                             the page painted into a PNG (see render_command.h)
//   lumora-html hit FILE [--width N] [--metrics fixed|system] X Y
//                             what lies at a document point, one JSON object (see hit_command.h)

#include <QApplication>
#include <QWidget>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_read.h"
#include "html/html_fixed_metrics.h"
#include "html/tool/dump_command.h"
#include "html/tool/hit_command.h"
#include "html/tool/layout_command.h"
#include "html/tool/tokens_command.h"
#include "viewer/form_controls.h"
#include "viewer/qt_platform.h"
#include "viewer/tool/render_command.h"

namespace {

int usage() {
  std::fputs("usage: lumora-html tokens|dump|text FILE\n"
             "       lumora-html layout FILE [--width N] [--metrics fixed|system]\n"
             "       lumora-html render FILE -o OUT.png [--width N] [--height H | --full] [--metrics system|fixed]\n"

             "       lumora-html hit FILE [--width N] [--metrics fixed|system] X Y\n",
             stderr);
  return 2;
}

bool parseWidth(std::string_view text, int& width) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), width);
  return error == std::errc() && end == text.data() + text.size() && width >= 0 && width <= 100000;
}

// Qt for the installed fonts, the form controls and painting; it needs no display: Qt's offscreen platform
// serves when there is none.
std::unique_ptr<QApplication> startQt() {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Qt wants a private runtime folder; without one it complains on every start.
  if (!std::getenv("XDG_RUNTIME_DIR")) {
    const std::string runtime = "/tmp/runtime-" + std::to_string(::getuid());
    ::mkdir(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  }
  static int qtArgc = 1;
  static char qtName[] = "lumora-html";
  static char* qtArgv[] = {qtName, nullptr};
  return std::make_unique<QApplication>(qtArgc, qtArgv);
}

bool parseMetrics(std::string_view kind, bool& fixed) {
  if (kind != "fixed" && kind != "system") return false;
  fixed = kind == "fixed";
  return true;
}

bool parseCoordinate(std::string_view text, int& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// The layout and hit commands: a page laid out with the fixed metrics or the installed fonts.
int laidOutCommand(int argc, char** argv, const std::string& path, const std::string& document, bool hit) {
  int width = 800;
  bool fixed = hit;  // hit answers in the fixed metrics unless asked otherwise
  std::vector<int> point;
  for (int i = 3; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--width" && i + 1 < argc) {
      if (!parseWidth(argv[++i], width)) return usage();
    } else if (arg == "--metrics" && i + 1 < argc) {
      if (!parseMetrics(argv[++i], fixed)) return usage();
    } else if (int value = 0; hit && point.size() < 2 && parseCoordinate(arg, value)) {
      point.push_back(value);
    } else {
      return usage();
    }
  }
  if (hit && point.size() != 2) return usage();
  lumora::html::FixedMetricsPlatform fixedMetrics;
  lumora::html::TFileImageHost images;
  lumora::html::TFileResourceReader resources;
  lumora::html::THtmlHost host{&fixedMetrics, &images, &resources, &fixedMetrics};
  std::unique_ptr<QApplication> app;
  std::unique_ptr<lumora::viewer::QtTextMetrics> system;
  // With the installed fonts the controls are the reader's own widgets, so their sizes are the real ones.
  std::unique_ptr<QWidget> area;
  std::unique_ptr<lumora::viewer::QtFormControls> controls;
  if (!fixed) {
    app = startQt();
    system = std::make_unique<lumora::viewer::QtTextMetrics>();
    host.Metrics = system.get();
    area = std::make_unique<QWidget>();
    controls = std::make_unique<lumora::viewer::QtFormControls>(area.get(), [] { return QPoint(); }, host.PixelsPerInch);
    host.Controls = controls.get();
  }
  if (hit) return lumora::html::writeHit(path, document, host, width, point[0], point[1], std::cout);
  return lumora::html::writeLayout(path, document, host, width, std::cout);
}

int render(int argc, char** argv, const std::string& path, const std::string& document) {
  lumora::viewer::TRenderOptions options;
  bool heightGiven = false;
  for (int i = 3; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-o" && i + 1 < argc) {
      options.Output = argv[++i];
    } else if (arg == "--width" && i + 1 < argc) {
      if (!parseWidth(argv[++i], options.Width) || options.Width == 0) return usage();
    } else if (arg == "--height" && i + 1 < argc) {
      if (!parseWidth(argv[++i], options.Height) || options.Height == 0 ||
          options.Height > lumora::viewer::kMaxRenderHeight)
        return usage();
      heightGiven = true;
    } else if (arg == "--full") {
      options.Full = true;
    } else if (arg == "--metrics" && i + 1 < argc) {
      if (!parseMetrics(argv[++i], options.Fixed)) return usage();
    } else {
      return usage();
    }
  }
  if (options.Output.empty() || (options.Full && heightGiven)) return usage();
  const std::unique_ptr<QApplication> app = startQt();
  return lumora::viewer::renderPage(path, document, options);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string_view command = argv[1];
  const bool laidOut = command == "layout" || command == "hit";
  const bool known = command == "tokens" || command == "dump" || command == "text" || laidOut || command == "render";
  if (!known || argc < 3 || (!laidOut && command != "render" && argc != 3)) return usage();
  std::string error;
  const std::optional<std::string> document = lumora::core::readRegularFile(argv[2], lumora::core::kMaxPageBytes, &error);
  if (!document) {
    std::fprintf(stderr, "lumora-html: cannot read %s\n", error.c_str());
    return 1;
  }
  if (command == "tokens") return lumora::html::writeTokens(*document, std::cout);
  if (laidOut) return laidOutCommand(argc, argv, argv[2], *document, command == "hit");
  if (command == "render") return render(argc, argv, argv[2], *document);
  return lumora::html::writeDocument(argv[2], *document, command == "text", std::cout);
}

// lumora: the reader. Started inside a publication folder (or through a link there), it opens the folder's
// start page. First argument: "/Compress FOLDER ARCHIVE", "/NoSplash" or "/edit" (exact, case-sensitive).
// LUMORA_APP_FOLDER replaces the executable's folder; LUMORA_SCREENSHOT=FILE.png saves the main window
// as a picture once it is shown and then closes the program as the close box would. With
// LUMORA_SCREENSHOT_HOVER=NAME the mouse first rests on the component NAME and the picture is of the whole
// screen, hint windows included; with LUMORA_SCREENSHOT_CLICK="NAME ..." the buttons (or menu items) named
// are clicked one after the other first, and the picture is of the whole screen. LUMORA_REPORT_COMPONENTS lists where the
// toolbar's buttons sit on the screen once the window is shown ("lumora: component NAME X Y W H"), so a
// script can click them.

#include <sys/socket.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <string_view>

#include "app/application.h"
#include "app/display_check.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "core/paths.h"
#include "skin/message_box.h"
#include "viewer/qt_platform.h"

namespace {

int signalPipe[2] = {-1, -1};

// Milliseconds since this process was started, from the kernel's record (10 ms resolution).
double millisecondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string field;
  for (int i = 0; i < 22 && stat >> field; ++i) {
  }
  timespec now{};
  ::clock_gettime(CLOCK_BOOTTIME, &now);
  const double ticks = static_cast<double>(::sysconf(_SC_CLK_TCK));
  return (now.tv_sec + now.tv_nsec / 1e9 - std::stod(field) / ticks) * 1000.0;
}

// Reports how long the program took until its main window was first painted (LUMORA_REPORT_STARTUP).
class StartupReporter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !reported_) {
      reported_ = true;
      std::fprintf(stderr, "lumora: main window painted %.0f ms after process start\n", millisecondsSinceProcessStart());
      watched->removeEventFilter(this);
    }
    return false;
  }

 private:
  bool reported_ = false;
};

// Clicks the buttons or menu items Names one after the other (each looked up in every window, so a button
// of a dialog the one before opened is found), then pictures the whole screen and closes the program.
void clickThenShoot(lumora::app::TForm1* form, QStringList names, const QString& path) {
  QTimer::singleShot(800, form, [form, names, path]() mutable {
    if (names.isEmpty()) {
      if (!form->screen()->grabWindow(0).save(path, "PNG")) std::fprintf(stderr, "lumora: cannot save %s\n", qPrintable(path));
      form->close();
      return;
    }
    const QString name = names.takeFirst();
    QAbstractButton* button = nullptr;
    QAction* item = nullptr;  // a menu item, such as the tray menu's, which works while its window is hidden
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (button == nullptr && window->isVisible()) button = window->findChild<QAbstractButton*>(name);
      if (item == nullptr) item = window->findChild<QAction*>(name);
    }
    if (button == nullptr && item == nullptr) {
      std::fprintf(stderr, "lumora: no button or menu item %s to click\n", qPrintable(name));
      form->close();
      return;
    }
    // The click may open a modal dialog: the next step runs from inside its event loop.
    clickThenShoot(form, names, path);
    if (button != nullptr) {
      button->click();
    } else {
      item->trigger();
    }
  });
}

void onTerminate(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}


constexpr char kUsage[] =
    "Usage: lumora [/NoSplash | /edit | /Compress FOLDER ARCHIVE]\n"
    "       lumora --help | --version\n"
    "\n"
    "Shows the publication in the folder the program is started from (the folder of the executable, or\n"
    "of the symbolic link it was started through): its start page, by default index.htm.\n"
    "\n"
    "  /NoSplash                  no splash screen at start\n"
    "  /edit                      skins are looked up in the publication's Skins folder\n"
    "  /Compress FOLDER ARCHIVE   compresses FOLDER into the ZIP file ARCHIVE at start, then goes on\n"
    "  --help                     this text\n"
    "  --version                  the program's version\n"
    "\n"
    "The switches are read from the first argument only, exactly in this letter case.\n"
    "LUMORA_APP_FOLDER=FOLDER takes FOLDER as the publication folder (its lumora.ini included).\n";

}  // namespace

int main(int argc, char** argv) {
  // Answered without a display, and only as the first argument, like the program's other switches.
  if (argc >= 2 && std::string_view(argv[1]) == "--help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc >= 2 && std::string_view(argv[1]) == "--version") {
    std::printf("Lumora Viewer %s\n", LUMORA_VERSION);
    return 0;
  }
  // Before Qt starts: without a display its platform plug-in would abort the process.
  if (const std::string problem = lumora::app::missingDisplayMessage(std::getenv, {argv + 1, argv + argc});
      !problem.empty()) {
    std::fprintf(stderr, "lumora: %s\n", problem.c_str());
    return 1;
  }

  lumora::app::TApplication app(argc, argv);
  app.setHelpFile("help.chm");
  lumora::skin::setApplicationTitle("Lumora Viewer");
  lumora::viewer::installFontSubstitutes();

  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const QString executable = QString::fromStdString(lumora::core::invokedExecutablePath(argv[0]).string());

  // 4 to 7.
  lumora::app::ProgramWindows windows = lumora::app::createProgramWindows(executable, arguments);
  lumora::app::TForm1* form = windows.Form1.get();
  app.setHelpFile(form->helpFile());
  if (std::getenv("LUMORA_REPORT_STARTUP") != nullptr) form->installEventFilter(new StartupReporter(form));
  form->show();

  // A termination request closes the window properly, so the settings are saved as on any close.
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, form, [form] {
      char byte;
      [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &byte, 1);
      form->close();
    });
    std::signal(SIGTERM, onTerminate);
    std::signal(SIGINT, onTerminate);
  }

  if (const char* shot = std::getenv("LUMORA_SCREENSHOT"); shot != nullptr && *shot != '\0') {
    const QString path = QString::fromLocal8Bit(shot);
    const char* hover = std::getenv("LUMORA_SCREENSHOT_HOVER");
    const char* clicks = std::getenv("LUMORA_SCREENSHOT_CLICK");
    if (clicks != nullptr && *clicks != '\0') {
      clickThenShoot(form, QString::fromLocal8Bit(clicks).split(' ', Qt::SkipEmptyParts), path);
    } else if (hover != nullptr && *hover != '\0') {
      const QString name = QString::fromLocal8Bit(hover);
      QTimer::singleShot(800, form, [form, path, name] {
        auto* target = form->findChild<QWidget*>(name);
        if (target == nullptr) {
          std::fprintf(stderr, "lumora: no component %s to rest the mouse on\n", qPrintable(name));
          form->close();
          return;
        }
        form->activateWindow();
        QCursor::setPos(target->mapToGlobal(target->rect().center()));
        // The hint comes after its delay and fades in; the picture is taken when it is fully shown.
        QTimer::singleShot(1500, form, [form, path] {
          if (!form->screen()->grabWindow(0).save(path, "PNG")) {
            std::fprintf(stderr, "lumora: cannot save %s\n", qPrintable(path));
          }
          form->close();
        });
      });
    } else {
      QTimer::singleShot(800, form, [form, path] {
        if (!form->grab().save(path, "PNG")) std::fprintf(stderr, "lumora: cannot save %s\n", qPrintable(path));
        form->close();
      });
    }
  }

  if (std::getenv("LUMORA_REPORT_COMPONENTS") != nullptr) {
    QTimer::singleShot(500, form, [form] {
      for (const QAbstractButton* button : form->findChildren<QAbstractButton*>()) {
        if (button->objectName().isEmpty() || !button->isVisible()) continue;
        const QPoint at = button->mapToGlobal(QPoint(0, 0));
        std::fprintf(stderr, "lumora: component %s %d %d %d %d\n", qPrintable(button->objectName()), at.x(), at.y(),
                     button->width(), button->height());
      }
    });
  }

  // 8.
  return app.exec();
}

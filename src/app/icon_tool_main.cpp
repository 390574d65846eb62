// Writes the application icon as FOLDER/<n>x<n>/apps/lumora.png for the desktop's icon theme, at build
// time (on Qt's offscreen platform, so the build needs no display).
#include <QApplication>
#include <QDir>

#include <cstdio>

#include "app/icons.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: lumora-icons FOLDER\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString folder = QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    if (!QDir().mkpath(folder) || !lumora::app::applicationIconPixmap(size).save(folder + "/lumora.png", "PNG")) {
      std::fprintf(stderr, "lumora-icons: cannot write %s\n", qPrintable(folder));
      return 1;
    }
  }
  return 0;
}

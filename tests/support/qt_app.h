#pragma once
// The one QApplication of a test program that drives windows (on the offscreen platform CTest sets).

#include <QApplication>

namespace lumora::testing {

inline void ensureQApplication() {
  static int argc = 1;
  static char name[] = "lumora-tests";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() == nullptr) new QApplication(argc, argv);
}

// A test fixture's first base, so the application exists before the fixture's widgets are made.
struct QtApplicationFirst {
  QtApplicationFirst() { ensureQApplication(); }
};

}  // namespace lumora::testing

// Leak reports from system libraries we do not own (font configuration, Qt's platform plug-ins, D-Bus) are
// not ours to fix; every test program and sanitizer build of the program links this list.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n"
         "leak:libQt6\n"
         "leak:libdbus\n"
         "leak:libglib\n"
         "leak:libX11\n"
         "leak:libxcb\n";
}

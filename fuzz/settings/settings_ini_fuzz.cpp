// Any bytes as a settings file: reading never fails, and a write changes exactly the key written.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/ini_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  lumora::settings::IniText ini(bytes, 1251);
  const auto otherBefore = ini.value("Execute", "Page");
  (void)ini.value("Form", "Caption");
  if (auto n = ini.value("Form", "ShowCaptions")) (void)lumora::settings::parseProfileInteger(*n);

  ini.setValue("Form", "Caption", "Заголовок 1");
  const lumora::settings::IniText reread(ini.bytes(), 1251);
  if (reread.value("form", "caption") != "Заголовок 1") __builtin_trap();
  if (reread.value("Execute", "Page") != otherBefore) __builtin_trap();
  return 0;
}

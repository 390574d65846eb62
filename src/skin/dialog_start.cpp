#include "skin/dialog_start.h"

#include <filesystem>
#include <system_error>

#include "core/paths.h"
#include "core/program_values.h"

namespace lumora::skin {

TDialogStart dialogStart(const QString& current) {
  namespace fs = std::filesystem;
  const std::string appFolder = core::programValues().AppFolder;
  TDialogStart start{QString::fromStdString(appFolder), QString()};
  if (current.trimmed().isEmpty()) return start;
  fs::path path = core::toLocalSeparators(current.trimmed().toStdString());
  if (path.is_relative()) {
    if (appFolder.empty()) return start;
    path = fs::path(appFolder) / path;
  }
  path = path.lexically_normal();
  if (!path.has_filename()) path = path.parent_path();  // "Music/" names the folder "Music"
  path = core::resolveCaseInsensitive(path);
  std::error_code ec;
  if (fs::is_regular_file(path, ec)) start.file = QString::fromStdString(path.string());
  if (!fs::is_directory(path, ec)) path = path.parent_path();
  if (fs::is_directory(path, ec)) start.folder = QString::fromStdString(path.string());
  return start;
}

}  // namespace lumora::skin

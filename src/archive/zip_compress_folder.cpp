#include "archive/zip_compress_folder.h"

#include <sys/stat.h>

#include "archive/zip_internal.h"

namespace lumora::archive {

bool compressFolderInto(TZipArchiver& archiver, const std::string& folder, const std::string& archive) {
  // The folder is both the base and the mask; a relative one would be read twice relative to itself.
  const std::string absolute = absolutePath(folder);
  // A mistyped folder would otherwise give an archive of nothing in place of the one there.
  struct stat st {};
  if (folder.empty() || ::stat(absolute.c_str(), &st) != 0)
    throw EZipException(ZipErr::kFolderNotFound, {folder}, archiver.Name);
  archiver.FileName = archive;
  archiver.setCompressionLevel(TZipCompressionLevel::clMax);
  archiver.Zip64Mode = TZip64Mode::zmAuto;
  archiver.Open(kZipOpenCreate);
  archiver.BaseDir = absolute;
  const bool completed = archiver.AddMatching(absolute, ZipAttr::kAllFiles, "");
  archiver.Close();
  return completed;
}

}  // namespace lumora::archive

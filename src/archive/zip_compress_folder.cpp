#include "archive/zip_compress_folder.h"

#include "archive/zip_internal.h"

namespace lumora::archive {

bool compressFolderInto(TZipArchiver& archiver, const std::string& folder, const std::string& archive) {
  archiver.FileName = archive;
  archiver.setCompressionLevel(TZipCompressionLevel::clMax);
  archiver.Zip64Mode = TZip64Mode::zmAuto;
  archiver.Open(kZipOpenCreate);
  // The folder is both the base and the mask; a relative one would be read twice relative to itself.
  const std::string absolute = absolutePath(folder);
  archiver.BaseDir = absolute;
  const bool completed = archiver.AddMatching(absolute, ZipAttr::kAllFiles, "");
  archiver.Close();
  return completed;
}

}  // namespace lumora::archive

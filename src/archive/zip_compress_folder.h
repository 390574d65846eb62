#pragma once
// Compressing one folder into a new archive, the way the archiver window and "/Compress" do it.

#include <string>

#include "archive/zip_archiver.h"

namespace lumora::archive {

// Sets the archiver up (maximum compression, Zip64 when needed), creates `archive` (emptying an existing
// file), adds a folder entry for `folder` and everything below it, and closes. A relative folder is taken
// from the current folder. Returns false when the user aborted after a failed entry (the archive is then
// empty but valid); other failures throw.
bool compressFolderInto(TZipArchiver& archiver, const std::string& folder, const std::string& archive);

}  // namespace lumora::archive

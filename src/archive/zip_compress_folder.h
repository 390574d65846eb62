#pragma once
// Compressing one folder into a new archive, the way the archiver window and "/Compress" do it.

#include <string>

#include "archive/zip_archiver.h"

namespace lumora::archive {

// Sets the archiver up (maximum compression, Zip64 when needed), adds a folder entry for `folder` and
// everything below it to a new archive `archive`, and closes. A relative folder is taken from the current
// folder; a missing one throws EZipException 59 before anything else happens. An archive already there is
// replaced only once the new one is complete: returns false when the user aborted after a failed entry,
// and other failures throw, both leaving it as it was.
bool compressFolderInto(TZipArchiver& archiver, const std::string& folder, const std::string& archive);

}  // namespace lumora::archive

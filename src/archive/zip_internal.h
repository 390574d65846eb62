#pragma once
// Pieces shared by the archive component's source files.

#include <mutex>
#include <string>

namespace lumora::archive {

// Adding and extracting hold this for their whole run, so two components never interleave their work on
// the same folders.
std::recursive_mutex& processLock();

// `path` made absolute and lexically normal, without a trailing separator (except for "/").
std::string absolutePath(const std::string& path);

}  // namespace lumora::archive

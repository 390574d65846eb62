#pragma once
// The archive engine's one error type: a message from a fixed table, the table index and the code raised.

#include <stdexcept>
#include <string>
#include <vector>

namespace lumora::archive {

class EZipException : public std::runtime_error {
 public:
  // `componentName` prefixes the message with "<name>: " when not empty; `args` fill the message's
  // placeholders in order.
  EZipException(int nativeError, const std::vector<std::string>& args = {}, const std::string& componentName = {});

  int ErrorCode() const { return errorCode_; }
  int NativeError() const { return nativeError_; }
  // The same error raised by a component with a name (a no-op when it already carries one, or for "").
  EZipException named(const std::string& componentName) const;

 private:
  EZipException(const std::string& text, int errorCode, int nativeError, bool named)
      : std::runtime_error(text), errorCode_(errorCode), nativeError_(nativeError), named_(named) {}
  int errorCode_;
  int nativeError_;
  bool named_ = false;
};

// Failures of zlib itself (not of the data it was given) surface as this, with the text "error".
class EZlibError : public std::runtime_error {
 public:
  EZlibError() : std::runtime_error("error") {}
};

// The table index that belongs to a native error code (0 for unknown codes).
int zipErrorCodeFor(int nativeError);

// The message text of a table index, placeholders unfilled.
const char* zipErrorMessage(int errorCode);

// Native error codes the engine raises, by what went wrong.
struct ZipErr {
static constexpr int kInvalidMode = 5;
static constexpr int kBadData = 8;
static constexpr int kBlankName = 10;
static constexpr int kArchiveNotFound = 12;
static constexpr int kNotOpen = 13;
static constexpr int kCannotCreateFile = 19;
static constexpr int kCannotCreateDir = 20;
static constexpr int kUpdateNotStarted = 22;
static constexpr int kInUpdate = 26;
static constexpr int kReadOnly = 32;
static constexpr int kCannotOpenSource = 33;
static constexpr int kSourceSizeChanged = 34;
static constexpr int kNotAnArchive = 35;
static constexpr int kCannotCreateArchive = 36;
static constexpr int kNoZip64End = 40;
static constexpr int kZip64NeededSize = 41;
static constexpr int kZip64NeededOffset = 43;
static constexpr int kWriteError = 46;
static constexpr int kDamaged = 48;
static constexpr int kDeflate64 = 55;
static constexpr int kSizesExceedFile = 57;
// Our own: an entry whose name would place it outside the target folder.
static constexpr int kUnsafeName = 58;
// Our own: the folder to compress does not exist.
static constexpr int kFolderNotFound = 59;
};

}  // namespace lumora::archive

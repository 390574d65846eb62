#pragma once
// The archive engine's one error type: a message from a fixed table, the table index and the code raised.

#include <stdexcept>
#include <string>
#include <vector>

namespace lumora {

class EZipException : public std::runtime_error {
 public:
  // `componentName` prefixes the message with "<name>: " when not empty; `args` fill the message's
  // placeholders in order.
  EZipException(int nativeError, const std::vector<std::string>& args = {}, const std::string& componentName = {});

  int ErrorCode() const { return errorCode_; }
  int NativeError() const { return nativeError_; }
  // The same error raised by a component with a name (a no-op when it already carries one, or for "").
  EZipException Named(const std::string& componentName) const;

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
namespace ziperr {
inline constexpr int kInvalidMode = 5;
inline constexpr int kBadData = 8;
inline constexpr int kBlankName = 10;
inline constexpr int kArchiveNotFound = 12;
inline constexpr int kNotOpen = 13;
inline constexpr int kCannotCreateFile = 19;
inline constexpr int kCannotCreateDir = 20;
inline constexpr int kUpdateNotStarted = 22;
inline constexpr int kInUpdate = 26;
inline constexpr int kReadOnly = 32;
inline constexpr int kCannotOpenSource = 33;
inline constexpr int kSourceSizeChanged = 34;
inline constexpr int kNotAnArchive = 35;
inline constexpr int kCannotCreateArchive = 36;
inline constexpr int kNoZip64End = 40;
inline constexpr int kZip64NeededSize = 41;
inline constexpr int kZip64NeededOffset = 43;
inline constexpr int kWriteError = 46;
inline constexpr int kDamaged = 48;
inline constexpr int kDeflate64 = 55;
inline constexpr int kSizesExceedFile = 57;
// Our own: an entry whose name would place it outside the target folder.
inline constexpr int kUnsafeName = 58;
}  // namespace ziperr

}  // namespace lumora

#pragma once
// Names as the viewer side handles them: conversions at the Qt boundary, publication names made local
// paths ("\" or "/", any letter case), the "#" part of a name, and the kinds of documents told by extension.

#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <optional>
#include <string>

#include "core/file_read.h"
#include "url/url_utils.h"

namespace lumora::viewer {

inline std::string utf8(const QString& s) { return s.toStdString(); }
inline QString fromUtf8(const std::string& s) { return QString::fromStdString(s); }

// A name as a local path: "\" and "/" both separate, a name that does not exist exactly is looked up
// without regard to case.
inline QString localPath(const QString& name) {
  return QString::fromStdString(url::localFileName(url::UrlToDosPath(utf8(name))).string());
}
// Name (relative) inside Folder, as a local path.
inline QString localPathIn(const QString& folder, const QString& name) {
  return localPath(QFileInfo(folder + "/" + name).absoluteFilePath());
}
// The folder a base address (BASE HREF) stands for.
inline QString baseFolder(const QString& base) {
  return QFileInfo(fromUtf8(url::UrlToDosPath(utf8(base))).replace('\\', '/')).path();
}

// A page's bytes, read once: nothing when it is not a regular file or passes the page limit.
inline std::optional<std::string> readPageFile(const QString& name) {
  return core::readRegularFile(utf8(localPath(name)), core::kMaxPageBytes, nullptr);
}

inline QString beforeHash(const QString& name) {
  const qsizetype hash = name.indexOf('#');
  return hash < 0 ? name : name.left(hash);
}
// The "#" part, "#" included; empty when there is none.
inline QString fromHash(const QString& name) {
  const qsizetype hash = name.indexOf('#');
  return hash < 0 ? QString() : name.mid(hash);
}

// The extension, lower-cased, of at most five characters with its dot (".html" of ".htmlx").
inline QString extensionOf(const QString& name) {
  const qsizetype slash = std::max(name.lastIndexOf('/'), name.lastIndexOf('\\'));
  const qsizetype dot = name.lastIndexOf('.');
  return dot > slash ? name.mid(dot).toLower().left(5) : QString();
}
inline bool isImageName(const QString& name) {
  const QString e = extensionOf(name);
  return e == ".gif" || e == ".jpg" || e == ".jpeg" || e == ".bmp" || e == ".png";
}
inline bool isTextName(const QString& name) { return extensionOf(name) == ".txt"; }

}  // namespace lumora::viewer

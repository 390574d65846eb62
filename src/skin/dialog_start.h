#pragma once
// Where a file or folder dialog opens. Without a start folder a dialog shows the folder the program was
// started from (often "/" or the home folder), which a reader of a publication never looks for.

#include <QString>

namespace lumora::skin {

struct TDialogStart {
  QString folder;  // the folder the dialog shows; empty when no publication folder is known
  QString file;    // the existing file to preselect, or empty
};

// For a field holding `current` (a file or folder, absolute or relative to the publication folder, written
// with "\" or "/" and in any letter case): the file it names and its folder, the folder it names, or the
// existing folder it would be in; otherwise the publication folder (AppFolder).
TDialogStart dialogStart(const QString& current = QString());

}  // namespace lumora::skin

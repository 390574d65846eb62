#include "audio/ui/audio_components.h"

#include <QFileDialog>

#include "skin/dialog_start.h"

namespace lumora::audio {

TAudioOpenDialog::TAudioOpenDialog(QWidget* owner) : QObject(owner), owner_(owner) {}

QStringList TAudioOpenDialog::nameFilters() const {
  QStringList result;
  const QStringList parts = filter_.split(QLatin1Char('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      if (pattern == QLatin1String("*.*")) {
        patterns << QStringLiteral("*");
        continue;
      }
      patterns << pattern.toUpper();
      if (pattern.toLower() != pattern.toUpper()) patterns << pattern.toLower();
    }
    result << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return result;
}

std::optional<QString> TAudioOpenDialog::Execute() {
  if (chooser_) return chooser_(*this);
  QFileDialog dialog(owner_);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilters(nameFilters());
  dialog.setDirectory(skin::dialogStart().folder);
  dialog.setSizeGripEnabled(true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front();
}

}  // namespace lumora::audio

#include "skin/skin_manager.h"

#include <algorithm>
#include <filesystem>

#include "core/paths.h"
#include "core/program_values.h"
#include "skin/message_box.h"
#include "skin/skin_style.h"

namespace lumora::skin {

namespace {

const QString kInternalSuffix = QStringLiteral(" (internal)");

QString builtInName() { return QString::fromUtf8(kBuiltInSkinName.data(), static_cast<int>(kBuiltInSkinName.size())); }

std::shared_ptr<const SkinReadResult> builtInResult() {
  static const auto result = [] {
    auto r = std::make_shared<SkinReadResult>();
    r->Data = builtInSkin();
    return std::shared_ptr<const SkinReadResult>(std::move(r));
  }();
  return result;
}

}  // namespace

TsSkinManager::TsSkinManager(QObject* parent) : QObject(parent), skinName_(builtInName()) {
  setSkinDirectory(QStringLiteral("c:\\Skins"));
}

TsSkinManager::~TsSkinManager() = default;

void TsSkinManager::Loaded() {
  loaded_ = true;
  if (active_) loadSkin();
}

void TsSkinManager::setActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (!loaded_) return;
  if (active_) {
    loadSkin();
  } else {
    show(nullptr);
  }
}

void TsSkinManager::setSkinName(const QString& name) {
  skinName_ = name;
  if (loaded_ && active_) loadSkin();
}

void TsSkinManager::setSkinDirectory(const QString& folder) {
  if (folder == skinDirectory_ && !resolved_.isEmpty()) return;
  skinDirectory_ = folder;
  resolved_ = QString::fromStdString(resolveSkinDirectory(folder.toStdString(), core::programValues().AppFolder));
}

QStringList TsSkinManager::InternalSkins() const { return {builtInName()}; }

QString TsSkinManager::ListSkinNames(QStringList& list) const {
  list.clear();
  list << InternalSkins();
  QString first = list.isEmpty() ? QString() : list.first();
  if (!resolved_.isEmpty()) {
    for (const std::string& name : skinFolderNames(resolved_.toStdString())) {
      const QString folder = QString::fromStdString(name);
      if (first.isEmpty()) first = folder;
      list << folder;
    }
  }
  std::sort(list.begin(), list.end(),
            [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
  return first;
}

QString TsSkinManager::listEntry(const QString& name) {
  return name == builtInName() ? name + kInternalSuffix : name;
}

QString TsSkinManager::nameOfListEntry(const QString& entry) {
  if (entry.endsWith(kInternalSuffix) && entry.chopped(kInternalSuffix.size()) == builtInName()) {
    return entry.chopped(kInternalSuffix.size());
  }
  return entry;
}

void TsSkinManager::loadSkin() {
  namespace fs = std::filesystem;
  const QString name = nameOfListEntry(skinName_);
  skinName_ = name;
  // An external skin of that name first: a folder with Options.dat in the skin folder.
  if (!resolved_.isEmpty() && !name.isEmpty() && name != "." && name != ".." && !name.contains('/') &&
      !name.contains('\\')) {
    const fs::path folder =
        core::resolveCaseInsensitive(fs::path(core::toLocalSeparators(resolved_.toStdString())) / name.toStdString());
    std::error_code ec;
    if (fs::exists(core::resolveCaseInsensitive(folder / std::string(kSkinMarkerFile)), ec)) {
      auto result = std::make_shared<SkinReadResult>(readSkinFolder(folder));
      if (result->usable()) {
        show(std::move(result));
        return;
      }
      // A damaged skin is reported and the built-in look is used; the program goes on.
      QStringList problems;
      for (const SkinProblem& problem : result->Problems) {
        if (problem.Fatal) problems << QString::fromStdString(problem.text());
      }
      if (problems.size() > 10) {
        const qsizetype more = problems.size() - 10;
        problems = problems.mid(0, 10);
        problems << QStringLiteral("... and %1 more").arg(more);
      }
      showErrorMessage(nullptr, QStringLiteral("The skin \"%1\" cannot be used:\n%2\nThe built-in skin \"%3\" is used instead.")
                                    .arg(name, problems.join('\n'), builtInName()));
      skinName_ = builtInName();
      show(builtInResult());
      return;
    }
  }
  const QStringList internal = InternalSkins();
  if (!internal.contains(name)) {
    if (internal.isEmpty()) {
      active_ = false;
      show(nullptr);
      return;
    }
    skinName_ = internal.first();
  }
  show(builtInResult());
}

void TsSkinManager::show(std::shared_ptr<const SkinReadResult> skin) {
  // The same look again (a name set twice, a folder read again unchanged) costs nothing.
  const SkinReadResult* now = applicationSkin();
  const bool same = (now == nullptr && skin == nullptr) ||
                    (now != nullptr && skin != nullptr && now->Data == skin->Data && now->Images == skin->Images);
  current_ = std::move(skin);
  if (same) return;
  putSkinOnApplication(current_);
  emit skinApplied();
}

}  // namespace lumora::skin

#include "i18n/ui/language_controller.h"

#include <QMetaProperty>
#include <QWidget>

namespace lumora {

namespace {

bool hasOwnController(const QObject* object) {
  for (const QObject* child : object->children()) {
    if (qobject_cast<const TLanguageController*>(child) != nullptr) return true;
  }
  return false;
}

// The window's components: every named object below it, but not those of another window that lives
// below it (a dialog owned by the main window has its own controller).
QObject* findOwned(QObject* owner, const QString& name) {
  for (QObject* child : owner->children()) {
    if (hasOwnController(child)) continue;
    if (child->objectName().compare(name, Qt::CaseInsensitive) == 0) return child;
    if (QObject* found = findOwned(child, name)) return found;
  }
  return nullptr;
}

bool hasTextProperty(const QObject* component, const std::string& path) {
  const int index = component->metaObject()->indexOfProperty(path.c_str());
  if (index < 0) return false;
  const QMetaProperty property = component->metaObject()->property(index);
  return property.isWritable() && property.metaType().id() == QMetaType::QString;
}

}  // namespace

TLanguageController::TLanguageController(QWidget* window, const char* name, std::string_view langData)
    : QObject(window), window_(window), root_(readLangData(langData)) {
  setObjectName(name);
  LangManager().AddController(this);
}

TLanguageController::~TLanguageController() { LangManager().RemoveController(this); }

std::string TLanguageController::EffectiveSectionName() const {
  if (!SectionName.isEmpty()) return SectionName.toStdString();
  return window_ != nullptr ? window_->objectName().toStdString() : std::string();
}

QObject* TLanguageController::componentOf(const TLang_CompEntry& node) const {
  const auto it = bound_.find(&node);
  return it != bound_.end() ? it->second.data() : nullptr;
}

void TLanguageController::Loaded() {
  BindEntries(*root_, window_);
  CaptureDefaults(*root_);
  LangManager().ApplyCurrentLanguage(this);
}

void TLanguageController::BindEntries(TLang_CompEntry& node, QObject* component) {
  bound_[&node] = component;
  // A stored component that no longer exists is dropped with its subtree.
  for (size_t i = node.children.size(); i-- > 0;) {
    TLang_CompEntry& child = *node.children[i];
    QObject* owned = findOwned(component, QString::fromStdString(child.name));
    if (owned == nullptr) {
      bound_.erase(&child);
      node.children.erase(node.children.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      BindEntries(child, owned);
    }
  }
}

void TLanguageController::CaptureDefaults(TLang_CompEntry& node) {
  if (QObject* component = componentOf(node)) {
    for (TLang_PropEntry& entry : node.props) {
      if (hasTextProperty(component, entry.path)) entry.value = component->property(entry.path.c_str()).toString().toStdString();
    }
  }
  for (auto& child : node.children) CaptureDefaults(*child);
}

void TLanguageController::apply(TLang_CompEntry& node, const TLang_CompTranslation* translation) {
  if (QObject* component = componentOf(node)) {
    for (const TLang_PropEntry& entry : node.props) {
      if (!hasTextProperty(component, entry.path)) continue;
      const std::string* text = translation != nullptr ? translation->Find(entry.id) : nullptr;
      component->setProperty(entry.path.c_str(), QString::fromStdString(text != nullptr ? *text : entry.value));
    }
  }
  for (auto& child : node.children) apply(*child, translation);
}

void TLanguageController::ApplyTranslation(const TLang_CompTranslation* translation) {
  emit OnLanguageChanging(this);
  try {
    apply(*root_, translation);
  } catch (...) {
    emit OnLanguageChanged(this);
    throw;
  }
  emit OnLanguageChanged(this);
}

}  // namespace lumora

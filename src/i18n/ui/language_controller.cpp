#include "i18n/ui/language_controller.h"

#include <QMetaProperty>
#include <QTabBar>
#include <QWidget>

#include <algorithm>

namespace lumora::i18n {

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
    if (hasOwnController(child) || qobject_cast<TLanguageController*>(child) != nullptr) continue;
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

TLanguageController::TLanguageController(QWidget* window, const char* name, const WindowTable& table)
    : TLanguageController(window, name, langDataOf(table)) {
  IgnoreList = table.ignoreList;
}

namespace {
std::function<void(TLanguageController&)>& loadedHook() {
  static std::function<void(TLanguageController&)> hook;
  return hook;
}

// Our components' own published properties in declaration order, base classes first; what Qt's classes
// declare (objectName, toolTip, windowTitle, ...) is not part of a window's translatable texts.
std::vector<QMetaProperty> ownProperties(const QObject* component) {
  std::vector<const QMetaObject*> chain;
  for (const QMetaObject* m = component->metaObject(); m != nullptr; m = m->superClass()) chain.push_back(m);
  std::vector<QMetaProperty> properties;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const QMetaObject* m = *it;
    if (!QByteArray(m->className()).startsWith("lumora::")) continue;
    const int end = m->superClass() != nullptr ? m->propertyCount() : 0;
    for (int i = m->propertyOffset(); i < end; ++i) {
      // A property a derived class declares again is taken in its derived form.
      if (component->metaObject()->indexOfProperty(m->property(i).name()) == i) properties.push_back(m->property(i));
    }
  }
  return properties;
}

// The named components of a window, in creation order within each parent: Qt's own helper objects
// ("qt_...") and other windows' components are not the window's.
void collectOwned(QObject* owner, std::vector<QObject*>& out) {
  for (QObject* child : owner->children()) {
    if (hasOwnController(child) || qobject_cast<TLanguageController*>(child) != nullptr) continue;
    const QString name = child->objectName();
    if (!name.isEmpty() && !name.startsWith("qt_")) out.push_back(child);
    // A tab bar's scroll buttons are parts of Qt's control, not components of the window.
    if (qobject_cast<QTabBar*>(child) == nullptr) collectOwned(child, out);
  }
}
}  // namespace

void TLanguageController::setLoadedHook(std::function<void(TLanguageController&)> hook) {
  loadedHook() = std::move(hook);
}

void TLanguageController::UpdateEntries() {
  const TLang_MaskList ignore(IgnoreList);
  const TLang_MaskList store(StoreList);
  int32_t nextId = root_->largestId() + 1;
  updateNode(*root_, window_, std::string(), nextId, ignore, store);
}

void TLanguageController::updateNode(TLang_CompEntry& node, QObject* component, const std::string& fullName,
                                     int32_t& nextId, const TLang_MaskList& ignore, const TLang_MaskList& store) {
  if (component == nullptr) return;
  bound_[&node] = component;
  std::vector<std::string> inUse;
  for (const QMetaProperty& property : ownProperties(component)) {
    const std::string path = property.name();
    if (path == "Name" || property.metaType().id() != QMetaType::QString) continue;
    const std::string full = fullName + "." + path;
    if (ignore.matches(full)) continue;
    if (!property.isStored() && !store.matches(full)) continue;
    const std::string value = property.read(component).toString().toStdString();
    if (value.empty()) continue;  // empty properties are neither remembered nor given an entry
    TLang_PropEntry* entry = node.findProp(path);
    if (entry == nullptr) entry = &node.addProp(nextId++, path);
    entry->value = value;
    inUse.push_back(path);
  }
  std::erase_if(node.props, [&](const TLang_PropEntry& p) {
    return std::find(inUse.begin(), inUse.end(), p.path) == inUse.end();
  });
  if (&node != root_.get()) return;  // the window owns every component; components own none
  std::vector<QObject*> owned;
  collectOwned(component, owned);
  for (QObject* child : owned) {
    const std::string name = child->objectName().toStdString();
    TLang_CompEntry* childNode = nullptr;
    for (auto& existing : node.children) {
      if (QString::fromStdString(existing->name).compare(child->objectName(), Qt::CaseInsensitive) == 0) {
        childNode = existing.get();
      }
    }
    if (childNode == nullptr) {
      node.children.push_back(std::make_unique<TLang_CompEntry>());
      childNode = node.children.back().get();
      childNode->name = name;
    }
    updateNode(*childNode, child, name, nextId, ignore, store);
  }
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

void TLanguageController::loaded() {
  // Masks are compiled while the window loads, so a malformed one is reported then.
  const TLang_MaskList ignore(IgnoreList);
  const TLang_MaskList store(StoreList);
  BindEntries(*root_, window_);
  if (loadedHook()) loadedHook()(*this);
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
      const std::string* text = translation != nullptr ? translation->find(entry.id) : nullptr;
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

}  // namespace lumora::i18n

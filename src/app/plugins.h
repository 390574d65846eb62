#pragma once
// Plug-in modules: shared objects "*.plu" in the publication's Modules folder. Each names itself for the
// More > Plugins menu and, when its item is clicked, is called with the host object its type asks for. A
// module is loaded only to read its name and for the duration of one call.

#include <functional>
#include <string>

class QMenu;
class QString;
class QWidget;

namespace lumora::skin {
class TsToolBar;
}

namespace lumora::app {

// What stands behind the host objects a module can ask for by its type (include/lumora/plugin.h).
struct PluginHosts {
  QWidget* form;                                   // "FORM": the main window
  QMenu* menu;                                     // "MENU": the Plugins submenu, which also receives the modules' items
  skin::TsToolBar* toolbar;                        // "TOOLBAR": the top toolbar
  std::function<bool(const QString&)> openPage;    // shows a page of the publication; false when it cannot
};

// Lists the modules of `folder` in the order the folder gives them: each one that names itself becomes an
// item of hosts.menu and its path the next entry of PluginPaths. A module without "PluginName" (or whose
// "PluginName" gives no text) is reported
// with the "PluginError" message over `messageParent`; a name that is not a regular file or does not load
// is skipped silently.
void discoverPlugins(const std::string& folder, const PluginHosts& hosts, QWidget* messageParent);

// Runs the module at `position` of PluginPaths with the host its type asks for. Nothing happens when the
// module no longer loads; one that lacks "PluginType" or "PluginExec" is reported with the "PluginError"
// message over hosts.form.
void runPlugin(int position, const PluginHosts& hosts);

}  // namespace lumora::app

/* Example plug-in "Thanks button" (a "TOOLBAR" module): a click on its item under More > Plugins puts a
   "Thanks" button on the top toolbar, once per start; that button shows thanks.htm. The button works after
   the module is unloaded because the reader, not the module, remembers what it opens. */
#include <lumora/plugin.h>

#include <stddef.h>

const char* PluginName(void) { return "Thanks button"; }

const char* PluginType(void) { return "TOOLBAR"; }

void PluginExec(LumoraHost* host) {
  if (host == NULL || host->version < 1 || host->add_item == NULL) return;
  host->add_item(host->context, "Thanks", "thanks.htm");
}

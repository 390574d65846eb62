/* Example plug-in "Thanks page" (a "FORM" module): a click on its item under More > Plugins shows the
   publication's thanks.htm in the reader's window; a publication without that page gets a message. */
#include <lumora/plugin.h>

#include <stddef.h>

const char* PluginName(void) { return "Thanks page"; }

const char* PluginType(void) { return "FORM"; }

void PluginExec(LumoraHost* host) {
  if (host == NULL || host->version < 1) return;
  if (!host->open_page(host->context, "thanks.htm"))
    host->show_message(host->context, "This publication has no thanks.htm.");
}

/* A plug-in module for the tests. Every call is logged to the file named by LUMORA_PLUGIN_LOG, so a test
   can see what the program called and with which host object. */
#include <lumora/plugin.h>

#include <stdio.h>
#include <stdlib.h>

static void logLine(const char* what, const char* kind) {
  const char* path = getenv("LUMORA_PLUGIN_LOG");
  if (path == NULL) return;
  FILE* f = fopen(path, "a");
  if (f == NULL) return;
  fprintf(f, "%s %s %s\n", PLUGIN_LABEL, what, kind);
  fclose(f);
}

#ifndef PLUGIN_WITHOUT_NAME
const char* PluginName(void) {
#ifdef PLUGIN_NULL_NAME
  return NULL;
#else
  return PLUGIN_LABEL;
#endif
}
#endif

const char* PluginType(void) {
  logLine("type", "-");
  return PLUGIN_TYPE;
}

#ifndef PLUGIN_WITHOUT_EXEC
void PluginExec(LumoraHost* host) {
  if (host == NULL) {
    logLine("exec", "NULL");
    return;
  }
  logLine("exec", host->kind);
  /* The host functions of each kind, as the header promises them. */
  if (host->size < sizeof(LumoraHost) || host->version != LUMORA_PLUGIN_HOST_VERSION) logLine("bad", "host");
  if ((host->caption != NULL) != (host->add_item == NULL)) logLine("bad", "functions");
  logLine("folder", host->app_folder(host->context));
  if (host->caption != NULL) {
    logLine("caption", host->caption(host->context));
    host->set_caption(host->context, "Set by a plug-in");
  } else if (host->add_item != NULL) {
    host->add_item(host->context, PLUGIN_LABEL " item", "index.htm");
  }
}
#endif

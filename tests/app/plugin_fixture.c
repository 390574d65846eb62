/* A plug-in module for the tests. Every call is logged to the file named by LUMORA_PLUGIN_LOG, so a test
   can see what the program called and with which host object. */
#include <stdio.h>
#include <stdlib.h>

static void logLine(const char* what, const void* host) {
  const char* path = getenv("LUMORA_PLUGIN_LOG");
  if (path == NULL) return;
  FILE* f = fopen(path, "a");
  if (f == NULL) return;
  fprintf(f, "%s %s %p\n", PLUGIN_LABEL, what, host);
  fclose(f);
}

#ifndef PLUGIN_WITHOUT_NAME
const char* PluginName(void) { return PLUGIN_LABEL; }
#endif

const char* PluginType(void) {
  logLine("type", NULL);
  return PLUGIN_TYPE;
}

void PluginExec(void* host) { logLine("exec", host); }

/* Lumora Viewer plug-in modules.

   A plug-in is a shared library with the extension ".plu" in the folder "Modules" of a publication (beside
   the reader). At start the reader lists every module that names itself under More > Plugins; a click on
   its item loads the module again, asks for its type and calls it. The library is unloaded as soon as the
   call returns, so nothing a module leaves behind may rely on its code: no callbacks, no threads, no
   pointers into it. Everything a module may do, it does during PluginExec through the host below.

   Build one with any C or C++ compiler, for example:
       cc -shared -fPIC -o Modules/hello.plu hello.c -I/usr/include
   (the header is installed as <lumora/plugin.h>; it needs nothing else). */
#ifndef LUMORA_PLUGIN_H
#define LUMORA_PLUGIN_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- The three exports ------------------------------------------------------------------------------

   const char* PluginName(void);
       The caption of the module's item under More > Plugins. Called once at every start. A module without
       this export (or returning NULL) is not listed, and the reader says: "Unable to identify this plugin!
       Probably this is wrong plugin file."

   const char* PluginType(void);
       One of "FORM", "MENU", "TOOLBAR" or "NIL", compared exactly (letter case and spaces count). Called
       on each click, once for every comparison in that order: once for "FORM", twice for "MENU", three
       times for "TOOLBAR", four times for "NIL" or anything else. Any other text runs nothing.

   void PluginExec(LumoraHost* host);
       Called on each click, at most once, with the host object of the module's type:
         "FORM"     the main window       (host->kind is "FORM")
         "MENU"     the Plugins submenu   (host->kind is "MENU")
         "TOOLBAR"  the top toolbar       (host->kind is "TOOLBAR")
         "NIL"      NULL
       A module that lacks PluginType or PluginExec when its item is clicked gets the message above.

   String ownership: the texts PluginName and PluginType return belong to the module; the reader copies
   them at once and never frees them, so return string literals or static storage. Texts the host returns
   belong to the reader and stay valid only until PluginExec returns; texts a module passes to the host are
   copied before the host function returns. All texts are UTF-8. */

#define LUMORA_PLUGIN_HOST_VERSION 1

typedef struct LumoraHost LumoraHost;

struct LumoraHost {
  /* sizeof(LumoraHost) and LUMORA_PLUGIN_HOST_VERSION of the reader: fields are only ever added at the end,
     so a module checks size before it uses a field newer than the version it was written for. */
  unsigned size;
  unsigned version;
  /* "FORM", "MENU" or "TOOLBAR": what this host stands for. */
  const char* kind;
  /* The reader's own value; pass it as the first argument of every function below. */
  void* context;

  /* Every kind: */
  /* The publication's folder, ending with "/". */
  const char* (*app_folder)(void* context);
  /* Shows text in an information box and returns when the reader closed it. */
  void (*show_message)(void* context, const char* text);
  /* Shows the page `name` (relative to the publication's folder, "#part" allowed) in the reader's window,
     as a click on a link would; returns 1 when it was shown, 0 when it could not be read. */
  int (*open_page)(void* context, const char* name);

  /* "FORM" only (NULL for the other kinds): the window caption, and a new one. */
  const char* (*caption)(void* context);
  void (*set_caption)(void* context, const char* text);

  /* "MENU": adds an item to the Plugins submenu; "TOOLBAR": adds a button to the top toolbar (NULL for
     "FORM"). A click on the new item or button shows `page` as open_page does: the module's code is not
     needed for it. Items and buttons last until the reader ends. Returns 1 when it was added. */
  int (*add_item)(void* context, const char* caption, const char* page);
};

/* The exports as a module declares them. */
#if defined(_WIN32)
#define LUMORA_PLUGIN_EXPORT __declspec(dllexport)
#else
#define LUMORA_PLUGIN_EXPORT __attribute__((visibility("default")))
#endif

LUMORA_PLUGIN_EXPORT const char* PluginName(void);
LUMORA_PLUGIN_EXPORT const char* PluginType(void);
LUMORA_PLUGIN_EXPORT void PluginExec(LumoraHost* host);

#ifdef __cplusplus
}
#endif

#endif /* LUMORA_PLUGIN_H */

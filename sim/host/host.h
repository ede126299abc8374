// The simulated CAD host, seen from the simulator program and the tests (not from the plug-in,
// which sees only platform/arx). Everything runs on the one user-interface thread.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "arx/docman.h"
#include "win/types.h"
#include "win/window.h"

namespace sim::host {

// ---- Modules ---------------------------------------------------------------------------------
// Loads a plug-in module (a shared object): attach, the initialise message, then the load-drawing
// message for every open drawing. False with a message on the command line when it fails.
bool loadModule(const std::string& path);
// Unloads the most recently loaded module (or the one named by path): the unload message, the
// unload-drawing message per drawing, detach, dlclose. False when none is loaded or it is locked.
bool unloadModule(const std::string& path = {});
std::vector<std::string> loadedModules();
// Folder of the first loaded module (searched by acedFindFile); settable before any load.
std::string moduleFolder();
void setModuleFolder(const std::string& folder);

// ---- Command line ----------------------------------------------------------------------------
// Text typed by the user on the command line of the current document, followed by Enter.
// "^C" in typed text stands for one Escape (Ctrl+C), as in menu macros. shownAtPrompt: the person's
// own prompt already shows the line ("Command: KV_ABOUT"), so the host does not echo the command.
void typeLine(const std::string& text, bool shownAtPrompt = false);
// The commands modules registered (global names), in registration order.
std::vector<std::string> registeredCommands();
// The host's command loop takes a turn: deferred application-context work, pending activations,
// queued text of the current document when it is idle, the end of timed commands (DELAY) and the
// end of QUIT. Nothing runs while a window procedure or message filter is on the stack (the loop
// is not where the stack is): what a handler queues waits until it has returned. Host entry
// points call it themselves; call it after moving the clock.
void pump();
// The loop between two user actions: posted window messages and the command line, in turns,
// until neither has anything left (what a script runs between its lines).
void idle();
// Scripted answers for prompts (@input), used when the command line has no queued tokens.
void queueInput(const std::string& text);
void clearInput();

// ---- Events ----------------------------------------------------------------------------------
// Every notification the host fires (reactor callbacks and module messages), in firing order:
// name and argument (a document's title, a window's title, a command name, ...).
using EventListener = std::function<void(const std::string& name, const std::string& argument)>;
void setEventListener(EventListener listener);
// Prints "event NAME ARGUMENT" lines into the transcript (@events on).
void setPrintEvents(bool on);

// ---- State the tests and the program read ----------------------------------------------------
// Sets a system variable from text as a script does (read-only variables too); RTNORM on success.
int setVariable(const std::string& name, const std::string& text);
int resourceStackDepth();                  // pushResourceHandle minus popResourceHandle
HINSTANCE resourceStackTop();              // null when the stack is empty
bool quitRequested();                      // QUIT ran: the program should end
struct Progress { bool shown = false; std::string label; int minPos = 0, maxPos = 0, pos = 0; };
Progress progress();                       // the status-bar progress meter


// Host-side document operations (application context), as the simulator's verbs use them.
bool openDrawing(const std::string& path);             // false with a message when it fails
bool newDrawing(const std::string& templatePath = {});
void showStartPage();
// Closes a window as its close box does (for a drawing: CLOSE in that document).
void closeWindow(AcApDocWindow* window);
std::vector<AcApDocWindow*> windows();                 // in creation order, the start page included
// Writes the automatic-save copy of a document; returns its path (empty when nothing written).
std::string autoSave(AcApDocument* doc);

// Back to a fresh host: closes everything without questions, unloads modules, clears variables,
// queues and listeners (tests).
void reset();

}  // namespace sim::host

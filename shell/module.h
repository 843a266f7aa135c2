// The module's entry points. The host loads the library, calls GetDllHandler and sends
// the handler command 20115. The loader runs the process attach when the library is
// loaded and the detach when it is unloaded; a host that attaches again (another load)
// reuses the one handler, which lives until the last detach.
#pragma once

class QDSDllHandler;

extern "C" {
// The module handler, or null before the module is attached.
QDSDllHandler* GetDllHandler();
// Process attach: creates the handler when there is none and counts the attach; false
// when the module cannot start.
bool RapportsModuleAttach();
// Process detach: the last one deletes the handler.
void RapportsModuleDetach();
// Attaches not yet detached.
int RapportsModuleAttachCount();
}

#include "shell/module.h"

#include "shell/reports_app.h"

namespace {
QDSReportsApp* g_handler = nullptr;
int g_attach_count = 0;
}  // namespace

extern "C" QDSDllHandler* GetDllHandler() {
    return g_handler;
}

extern "C" bool RapportsModuleAttach() {
    if (!g_handler) g_handler = new QDSReportsApp("");
    ++g_attach_count;
    return true;
}

extern "C" void RapportsModuleDetach() {
    if (g_attach_count <= 0) return;
    if (g_attach_count-- == 1) {
        delete g_handler;
        g_handler = nullptr;
    }
}

extern "C" int RapportsModuleAttachCount() {
    return g_attach_count;
}

namespace {
__attribute__((constructor)) void OnProcessAttach() {
    RapportsModuleAttach();
}
__attribute__((destructor)) void OnProcessDetach() {
    RapportsModuleDetach();
}
}  // namespace

#include "host/ui/moduleload.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "host/ui/dialog.h"
#include "host/ui/qds.h"

namespace host::ui {

namespace {
using GetDllHandlerFn = QDSDllHandler* (*)();
constexpr int kReportsWindowId = 20115;
}  // namespace

std::string DefaultModulePath() {
    if (const char* env = std::getenv("RAPPORTS_MODULE"); env && *env) return env;
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::filesystem::path dir = ".";
    if (n > 0) {
        exe[n] = '\0';
        dir = std::filesystem::path(exe).parent_path();
    }
    return (dir.parent_path() / "lib" / "librapports_module.so").string();
}

std::unique_ptr<ModuleLibrary> ModuleLibrary::Load(const std::string& path, std::string* error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (error) *error = dlerror();
        return nullptr;
    }
    if (!dlsym(handle, "GetDllHandler")) {
        if (error) *error = path + " : GetDllHandler introuvable";
        dlclose(handle);
        return nullptr;
    }
    return std::unique_ptr<ModuleLibrary>(new ModuleLibrary(handle, path));
}

ModuleLibrary::~ModuleLibrary() {
    if (handle_) dlclose(handle_);
}

QDSDllHandler* ModuleLibrary::Handler() const {
    auto get = reinterpret_cast<GetDllHandlerFn>(dlsym(handle_, "GetDllHandler"));
    return get ? get() : nullptr;
}

void* ModuleLibrary::Symbol(const char* name) const {
    return dlsym(handle_, name);
}

TMDIChild* OpenReportsManager(QDSDllHandler& handler, TMDIFrame& frame) {
    SetMainWindow(&frame);
    handler.HandleCommand(20115);
    for (TMDIChild* child : frame.GetMDIClient()->MDIChildren())
        if (child->GetId() == kReportsWindowId) return child;
    return nullptr;
}

TDialog* ReportsManagerDialog(TMDIChild* child) {
    return child ? dynamic_cast<TDialog*>(child->GetClientWindow()) : nullptr;
}

std::unique_ptr<ReportsSession> ReportsSession::Open(const std::string& module_path,
                                                     std::string* error) {
    std::unique_ptr<ReportsSession> session(new ReportsSession);
    session->library_ = ModuleLibrary::Load(module_path, error);
    if (!session->library_) return nullptr;
    QDSDllHandler* handler = session->library_->Handler();
    if (!handler) {
        if (error) *error = module_path + " : le module ne s'est pas initialisé";
        return nullptr;
    }
    session->frame_ = std::make_unique<TMDIFrame>("Rapports");
    session->frame_->Create();
    session->manager_ = ReportsManagerDialog(OpenReportsManager(*handler, *session->frame_));
    if (!session->manager_) {
        if (error) *error = "le module n'a pas ouvert le Gestionnaire de Rapports";
        return nullptr;
    }
    return session;
}

ReportsSession::~ReportsSession() {
    // Windows first: their code lives in the module.
    if (frame_ && MainWindow() == frame_.get()) SetMainWindow(nullptr);
    frame_.reset();
    library_.reset();
}

}  // namespace host::ui

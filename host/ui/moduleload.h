// Loading the reports module at run time, as the host application loads it: the shared
// library is opened with dlopen, GetDllHandler gives its handler, and command 20115 opens
// the Reports Manager in the host's MDI frame.
#pragma once

#include <memory>
#include <string>

class QDSDllHandler;
class TDialog;
class TMDIFrame;
class TMDIChild;

namespace host::ui {

// The module library: the RAPPORTS_MODULE environment variable, else
// lib/librapports_module.so beside the executable's folder (build/bin -> build/lib).
std::string DefaultModulePath();

class ModuleLibrary {
  public:
    // Opens the library and finds GetDllHandler; null with *error when it cannot.
    static std::unique_ptr<ModuleLibrary> Load(const std::string& path, std::string* error);
    // Unloads the library (the module detaches; close its windows first).
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    // The module's handler (null if the module did not attach).
    QDSDllHandler* Handler() const;
    // Another exported symbol, or null.
    void* Symbol(const char* name) const;
    const std::string& Path() const { return path_; }

  private:
    ModuleLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    void* handle_;
    std::string path_;
};

// Makes frame the host's main window, sends command 20115 to the handler and returns the
// Reports Manager's MDI child in frame (null when the module opened none).
TMDIChild* OpenReportsManager(QDSDllHandler& handler, TMDIFrame& frame);
// The dialog of the Reports Manager's MDI child.
TDialog* ReportsManagerDialog(TMDIChild* child);

// A host without a display: the module loaded and its Reports Manager open in a frame of
// the session's own. The application (QDSApplication::SetInstance) and the back end are
// the caller's and must outlive the session.
class ReportsSession {
  public:
    static std::unique_ptr<ReportsSession> Open(const std::string& module_path, std::string* error);
    // Closes the windows, then unloads the module.
    ~ReportsSession();
    ModuleLibrary& Library() { return *library_; }
    TMDIFrame& Frame() { return *frame_; }
    // The Reports Manager's dialog.
    TDialog* Manager() const { return manager_; }

  private:
    ReportsSession() = default;
    std::unique_ptr<ModuleLibrary> library_;
    std::unique_ptr<TMDIFrame> frame_;
    TDialog* manager_ = nullptr;
};

}  // namespace host::ui

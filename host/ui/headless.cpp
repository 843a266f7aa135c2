// The headless back end: no window at all. Message boxes go to standard error and get the
// answer of their first button; meters, counters and viewers are the output layer's
// defaults (a progress bar on a terminal's standard error, a log line for a viewer).
#include <cstdio>

#include "host/base/debuglog.h"
#include "host/ui/backend.h"

namespace host::ui {
namespace {

class Headless final : public Backend {
  public:
    int Show(const void*, const std::string& text, const std::string& title,
             unsigned flags) override {
        if (title.empty())
            std::fprintf(stderr, "%s\n", text.c_str());
        else
            std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
        WriteDebugLogFile("MESSAGE %s", text.c_str());
        return FirstButton(flags);
    }
    const char* Name() const override { return "headless"; }
};

}  // namespace

Backend& HeadlessBackend() {
    static Headless backend;
    return backend;
}

}  // namespace host::ui

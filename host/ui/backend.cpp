#include "host/ui/backend.h"

namespace host::ui {

// The silent back end of processes that install none (defined in headless.cpp).
Backend& HeadlessBackend();

namespace {
Backend* g_backend = nullptr;
}

void SetBackend(Backend* backend) {
    g_backend = backend;
    host::SetMessageSink(backend);
    host::output::SetReportViews(backend);
}

Backend& GetBackend() {
    return g_backend ? *g_backend : HeadlessBackend();
}

}  // namespace host::ui

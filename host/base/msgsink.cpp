#include "host/base/msgsink.h"

#include <cstdio>

namespace host {

int FirstButton(unsigned flags) {
    switch (flags & MB_BUTTONMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL:
            return IDYES;
        default:
            return IDOK;
    }
}

namespace {

class StderrSink final : public MessageSink {
  public:
    int Show(const void*, const std::string& text, const std::string& title,
             unsigned flags) override {
        if (title.empty())
            std::fprintf(stderr, "%s\n", text.c_str());
        else
            std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
        return FirstButton(flags);
    }
};

StderrSink g_default_sink;
MessageSink* g_sink = nullptr;

}  // namespace

MessageSink* SetMessageSink(MessageSink* sink) {
    MessageSink* previous = g_sink;
    g_sink = sink;
    return previous;
}

MessageSink& GetMessageSink() {
    return g_sink ? *g_sink : g_default_sink;
}

int ShowMessage(const void* parent, const std::string& text, const std::string& title,
                unsigned flags) {
    return GetMessageSink().Show(parent, text, title, flags);
}

}  // namespace host

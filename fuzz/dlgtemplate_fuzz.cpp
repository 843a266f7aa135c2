// Dialog templates (host/ui/dlgtemplate): any text parsed as a .dlg file; what parses is
// described as the command line's fields and searched by id and name. Besides crashes, it
// checks that a refusal names its line.
#include "fuzz/fuzz_support.h"
#include "host/ui/dlgtemplate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzz::Text(data, size);
    host::ui::DialogTemplate t;
    std::string error;
    if (!host::ui::ParseDialogTemplate(text, "fuzz.dlg", &t, &error)) {
        fuzz::Check(error.rfind("fuzz.dlg:", 0) == 0, "a refusal without its line", error);
        fuzz::Tally("refused with a message");
        return 0;
    }
    for (const host::ui::FieldDescription& f : host::ui::DescribeFields(t)) {
        fuzz::Check(t.FindByName(f.name) != nullptr, "a described field that cannot be found",
                    f.name);
        t.Find(f.id);
    }
    for (const host::ui::ControlTemplate& c : t.controls)
        t.Find(c.id);
    fuzz::Tally("read");
    return 0;
}

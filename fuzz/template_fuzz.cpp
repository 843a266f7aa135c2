// Report templates (host/output/template_def): any text read as a template file, with its
// formulas, groups and columns; and any text as the SQL whose select list names the
// columns. Besides crashes, it checks that a refusal says why and that the columns of an
// accepted template lie within its width.
#include "fuzz/fuzz_support.h"
#include "host/output/template_def.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzz::Text(data, size);
    std::vector<std::string> names;
    std::string error;
    if (!host::output::SelectListNames(text, &names, &error))
        fuzz::Check(!error.empty(), "a select list refused without a reason");

    const std::string path = fuzz::ScratchFile(".rpt", text);
    host::output::TemplateDef def;
    error.clear();
    if (!host::output::LoadTemplate(path, &def, &error)) {
        fuzz::Check(!error.empty(), "a template refused without a reason");
        fuzz::Tally("refused with a message");
        return 0;
    }
    for (const host::output::TemplateColumn& c : def.columns)
        fuzz::Check(c.start >= 0 && c.width >= 0, "a column placed before the line", c.heading);
    fuzz::Tally("read");
    return 0;
}

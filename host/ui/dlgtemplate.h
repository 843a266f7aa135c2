// Dialog templates: the controls, labels, groups and order of a dialog, read from
// resources/dialogs/<resource number>.dlg (format in resources/dialogs/README.md).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/ui/controls.h"

namespace host::ui {

struct ControlTemplate {
    ControlKind kind = ControlKind::Static;
    int id = -1;
    TRect rect;
    std::string text;
    std::string name;  // field name for the command line
    bool group = false;
    bool is_default = false;
    bool disabled = false;
    bool hidden = false;
    bool readonly = false;
    bool has_range = false;
    int range_low = 0, range_high = 0;
    int limit = 0;
    std::vector<std::string> items;                    // list items
    std::vector<std::string> values;                   // their values
    int strings_first = 0, strings_last = 0;           // items from the string table
    std::vector<std::pair<std::string, int>> columns;  // list view columns (text, width)
    int bitmap = 0;
    int tip = 0;    // string id of the tooltip
    int view = -1;  // list view mode (LV_VIEW_*)
    int line = 0;   // line in the file
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    int width = 0, height = 0;
    std::vector<ControlTemplate> controls;
    std::string source;  // file it was read from

    const ControlTemplate* Find(int control_id) const;
    const ControlTemplate* FindByName(const std::string& name) const;
};

// Command ids of the report dialogs' standard button row (the "reportbar" line).
inline constexpr int IDC_PREVIEW = 5002;
inline constexpr int IDC_SAVEDEFAULT = 5003;
inline constexpr int IDC_DESTINATION = 5005;

// Parses a template; false with *error ("source:line: message") when it is malformed.
bool ParseDialogTemplate(const std::string& text, const std::string& source, DialogTemplate* out,
                         std::string* error);
// resources/dialogs/<id>.dlg.
std::string DialogTemplatePath(int id);
// The template of dialog resource id, read once and kept; null with *error when the file
// is missing or malformed.
std::shared_ptr<const DialogTemplate> LoadDialogTemplate(int id, std::string* error = nullptr);

// A field of the command line: a named control, or a named group of radio buttons whose
// value is the index of the checked one (or its label).
struct FieldDescription {
    std::string name;
    int id = 0;
    ControlKind kind = ControlKind::Edit;
    std::string help;  // accepted values
};
std::vector<FieldDescription> DescribeFields(const DialogTemplate& t);

}  // namespace host::ui

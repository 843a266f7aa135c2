#include "host/output/xmlexport.h"

#include <cinttypes>
#include <cstdio>
#include <pugixml.hpp>

#include "host/base/text.h"
#include "host/output/page.h"
#include "host/output/paths.h"

struct IXmlExportWrapper::Impl {
    pugi::xml_document doc;
    pugi::xml_node root;
    pugi::xml_node row;  // the open row, or empty
    int row_count = 0;
    int column_count = 0;
    std::string root_name = "Report";

    void Start() {
        doc.reset();
        auto decl = doc.append_child(pugi::node_declaration);
        decl.append_attribute("version") = "1.0";
        decl.append_attribute("encoding") = "UTF-8";
        root = doc.append_child(root_name.c_str());
        row = pugi::xml_node();
        row_count = 0;
        column_count = 0;
    }
};

IXmlExportWrapper::IXmlExportWrapper() : impl_(std::make_unique<Impl>()) {
    impl_->Start();
}

IXmlExportWrapper::~IXmlExportWrapper() = default;

IXmlExportWrapper* IXmlExportWrapper::CreateInstance() {
    return new IXmlExportWrapper();
}

void IXmlExportWrapper::Destroy(IXmlExportWrapper* instance) {
    delete instance;
}

bool IXmlExportWrapper::Clear(const char* path) {
    if (!path || !*path) return false;
    IXmlExportWrapper empty;
    return empty.Save(path);
}

std::string IXmlExportWrapper::SafeText(const std::string& text) {
    const std::string valid = host::ToValidUtf8(text);
    std::string out;
    out.reserve(valid.size());
    for (const std::string& ch : host::output::SplitChars(valid)) {
        const auto c = static_cast<unsigned char>(ch[0]);
        if (ch.size() == 1 && c < 0x20 && c != '\t' && c != '\n' && c != '\r') continue;
        // U+FFFE and U+FFFF are not characters; UTF-16 halves (ED A0..BF xx) are not either.
        if (ch == "\xEF\xBF\xBE" || ch == "\xEF\xBF\xBF") continue;
        if (ch.size() == 3 && c == 0xED && static_cast<unsigned char>(ch[1]) >= 0xA0) continue;
        out += ch;
    }
    return out;
}

std::string IXmlExportWrapper::SafeName(const std::string& name) {
    std::string out;
    bool gap = false;
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
        if (!ok) {
            gap = true;
            continue;
        }
        if (gap && !out.empty()) out += '_';
        gap = false;
        out += ch;
    }
    if (!out.empty()) {
        const char c = out[0];
        const bool starts_ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        if (!starts_ok) out = "_" + out;
        // Names beginning with "xml" are reserved.
        if (out.size() >= 3 && (out[0] | 0x20) == 'x' && (out[1] | 0x20) == 'm' &&
            (out[2] | 0x20) == 'l')
            out = "_" + out;
    }
    return out;
}

void IXmlExportWrapper::SetRootName(const char* name) {
    const std::string safe = SafeName(name ? name : "");
    impl_->root_name = safe.empty() ? "Report" : safe;
    impl_->root.set_name(impl_->root_name.c_str());
}

void IXmlExportWrapper::NewRow(const char* type) {
    EndRow();
    impl_->row = impl_->root.append_child("Row");
    impl_->column_count = 0;
    ++impl_->row_count;
    SetRowType(type);
}

void IXmlExportWrapper::SetRowType(const char* type) {
    if (!impl_->row || !type || !*type) return;
    pugi::xml_attribute a = impl_->row.attribute("type");
    if (!a) a = impl_->row.append_attribute("type");
    a.set_value(SafeText(type).c_str());
}

void IXmlExportWrapper::AddColumn(const char* name, const std::string& value) {
    if (!impl_->row) NewRow();
    ++impl_->column_count;
    std::string element = SafeName(name ? name : "");
    if (element.empty()) element = "Col" + std::to_string(impl_->column_count);
    impl_->row.append_child(element.c_str()).text().set(SafeText(value).c_str());
}

void IXmlExportWrapper::AddColumn(const char* name, const char* value) {
    AddColumn(name, std::string(value ? value : ""));
}

void IXmlExportWrapper::AddColumn(const char* name, int64_t value) {
    AddColumn(name, std::to_string(value));
}

void IXmlExportWrapper::AddAmount(const char* name, int64_t cents) {
    const uint64_t magnitude =
        cents < 0 ? static_cast<uint64_t>(-(cents + 1)) + 1 : static_cast<uint64_t>(cents);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%" PRIu64 ".%02" PRIu64, cents < 0 ? "-" : "",
                  magnitude / 100, magnitude % 100);
    AddColumn(name, std::string(buf));
}

void IXmlExportWrapper::EndRow() {
    impl_->row = pugi::xml_node();
}

int IXmlExportWrapper::RowCount() const {
    return impl_->row_count;
}

bool IXmlExportWrapper::Save(const char* path) {
    error_.clear();
    if (!path || !*path) {
        error_ = "nom de fichier XML vide";
        return false;
    }
    const std::string full = host::output::OutputPath(path);
    if (!impl_->doc.save_file(full.c_str(), "  ", pugi::format_default, pugi::encoding_utf8)) {
        error_ = "impossible d'écrire le fichier XML " + full;
        return false;
    }
    return true;
}

void IXmlExportWrapper::Reset() {
    impl_->Start();
}

namespace host::output {

bool ReadXmlRows(const std::string& path, std::vector<XmlRow>* rows, std::string* error) {
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_file(path.c_str());
    if (!result) {
        if (error) {
            std::FILE* f = std::fopen(path.c_str(), "rb");
            if (!f) {
                *error = "fichier de données XML introuvable : " + path;
            } else {
                std::fclose(f);
                *error = "fichier de données XML illisible : " + path + " (" +
                         result.description() + ", octet " + std::to_string(result.offset) + ")";
            }
        }
        return false;
    }
    rows->clear();
    for (pugi::xml_node row : doc.document_element().children()) {
        if (row.type() != pugi::node_element) continue;
        XmlRow r;
        r.type = row.attribute("type").value();
        for (pugi::xml_node col : row.children())
            if (col.type() == pugi::node_element)
                r.columns.emplace_back(col.name(), col.text().get());
        rows->push_back(std::move(r));
    }
    return true;
}

}  // namespace host::output

#include "host/output/paths.h"

#include <filesystem>

#include "host/base/env.h"

namespace fs = std::filesystem;

namespace host::output {

std::string OutputPath(const std::string& name, bool create_folder) {
    if (name.empty() || name[0] != '/') return host::ReportFilePath(name, create_folder);
    std::string path = name;
    for (char& c : path)
        if (c == '\\') c = '/';
    const fs::path p(path);
    if (create_folder && p.has_parent_path()) host::EnsureDir(p.parent_path().string());
    return p.lexically_normal().string();
}

namespace {

// The unaccented small letter of a two-byte UTF-8 Latin-1 letter (0xC3 xx), or 0.
char FoldLatin1(unsigned char second) {
    static const char kMap[] =
        // 0x80..0x9F: capitals À..ß
        "aaaaaaaceeeeiiiidnooooo\0ouuuuyts"
        // 0xA0..0xBF: small letters à..ÿ
        "aaaaaaaceeeeiiiidnooooo\0ouuuuyty";
    if (second < 0x80 || second > 0xBF) return 0;
    return kMap[second - 0x80];
}

}  // namespace

std::string FileStem(const std::string& title) {
    std::string out;
    bool gap = false;
    auto put = [&](char c) {
        if (gap && !out.empty()) out += '_';
        gap = false;
        out += c;
    };
    for (size_t i = 0; i < title.size(); ++i) {
        const auto c = static_cast<unsigned char>(title[i]);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            put(static_cast<char>(c));
        } else if (c >= 'A' && c <= 'Z') {
            put(static_cast<char>(c - 'A' + 'a'));
        } else if (c == 0xC3 && i + 1 < title.size() &&
                   FoldLatin1(static_cast<unsigned char>(title[i + 1])) != 0) {
            put(FoldLatin1(static_cast<unsigned char>(title[++i])));
        } else {
            gap = true;
        }
    }
    return out.empty() ? "rapport" : out;
}

std::string WithExtension(const std::string& path, const std::string& ext) {
    fs::path p(path);
    p.replace_extension(ext);
    return p.string();
}

}  // namespace host::output

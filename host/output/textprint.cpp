#include "host/output/textprint.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "host/base/text.h"
#include "host/output/page.h"
#include "host/output/pdf.h"

namespace host::output {

bool ReadTextPages(const std::string& path, std::vector<TextPage>* pages, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "fichier introuvable : " + path;
        return false;
    }
    pages->assign(1, TextPage());
    std::string raw;
    while (std::getline(in, raw)) {
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (raw.rfind("@OV.Page.Break@", 0) == 0) {
            pages->emplace_back();
            continue;
        }
        std::string line = host::ToValidUtf8(raw);
        size_t ff;
        while ((ff = line.find('\f')) != std::string::npos) {
            if (ff > 0) pages->back().push_back(line.substr(0, ff));
            pages->emplace_back();
            line.erase(0, ff + 1);
        }
        pages->back().push_back(line);
    }
    if (in.bad()) {
        *error = "erreur de lecture : " + path;
        return false;
    }
    // A final form feed followed by nothing (or an empty line) ends the file, not a page.
    if (pages->size() > 1) {
        const TextPage& last = pages->back();
        if (last.empty() || (last.size() == 1 && last[0].empty())) pages->pop_back();
    }
    return true;
}

bool PrintTextFileToPdf(const std::string& text_path, const std::string& pdf_path,
                        std::string* error, int* page_count) {
    std::vector<TextPage> pages;
    if (!ReadTextPages(text_path, &pages, error)) return false;
    size_t columns = 80, lines = 60;
    for (const TextPage& p : pages) {
        lines = std::max(lines, p.size());
        for (const std::string& l : p)
            columns = std::max(columns, host::U8Length(l));
    }
    PdfWriter pdf;
    const std::string title = std::filesystem::path(text_path).filename().string();
    if (!pdf.Open(pdf_path, static_cast<int>(columns), static_cast<int>(lines), title, error))
        return false;
    for (const TextPage& p : pages) {
        PageModel page;
        for (size_t i = 0; i < p.size(); ++i)
            page.PutText(0, static_cast<int>(i) + 1, p[i], false);
        pdf.AddPage(page);
    }
    const int count = pdf.Pages();
    if (!pdf.Close(error)) return false;
    if (page_count) *page_count = count;
    return true;
}

}  // namespace host::output

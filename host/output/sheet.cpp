#include "host/output/sheet.h"

#include <xlsxwriter.h>

#include <cctype>
#include <cstdlib>

#include "host/base/text.h"

namespace host::output {

bool SheetWriter::ParseAmountText(const std::string& raw, double* value) {
    const std::string text = host::Trim(raw);
    size_t i = 0;
    if (i < text.size() && text[i] == '-') ++i;
    std::string digits;
    int group = -1;  // digits since the last comma, -1 before any comma
    size_t int_digits = 0;
    for (; i < text.size() && text[i] != '.'; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits += c;
            ++int_digits;
            if (group >= 0 && ++group > 3) return false;
        } else if (c == ',' && int_digits > 0 && (group < 0 || group == 3) &&
                   (group >= 0 || int_digits <= 3)) {
            group = 0;
        } else {
            return false;
        }
    }
    if (int_digits == 0 || (group >= 0 && group != 3)) return false;
    if (i + 3 != text.size() || text[i] != '.') return false;
    if (!isdigit(static_cast<unsigned char>(text[i + 1])) ||
        !isdigit(static_cast<unsigned char>(text[i + 2])))
        return false;
    digits += text.substr(i);
    *value = std::strtod(digits.c_str(), nullptr);
    if (text[0] == '-') *value = -*value;
    return true;
}

bool SheetWriter::Write(const std::string& path, const std::string& sheet_name,
                        const std::vector<Row>& rows, const std::vector<int>& widths,
                        std::string* error) {
    lxw_workbook* book = workbook_new(path.c_str());
    if (!book) {
        if (error) *error = "impossible de créer le classeur " + path;
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book, sheet_name.c_str());
    // Formats by (bold, amount, border below).
    lxw_format* formats[2][2][2];
    for (int b = 0; b < 2; ++b)
        for (int a = 0; a < 2; ++a)
            for (int r = 0; r < 2; ++r) {
                lxw_format* f = workbook_add_format(book);
                if (b) format_set_bold(f);
                if (a) format_set_num_format(f, "#,##0.00");
                if (r) format_set_bottom(f, LXW_BORDER_THIN);
                formats[b][a][r] = f;
            }
    for (size_t c = 0; c < widths.size(); ++c)
        if (widths[c] > 0)
            worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                 widths[c], nullptr);
    // Longest text (in bytes) a cell holds.
    constexpr size_t kMaxCellChars = 32767;
    lxw_row_t r = 0;
    for (const Row& row : rows) {
        for (size_t c = 0; c < row.cells.size(); ++c) {
            const Cell& cell = row.cells[c];
            const auto col = static_cast<lxw_col_t>(c);
            double amount = 0;
            if (cell.text.empty()) {
                if (row.rule_below) worksheet_write_blank(sheet, r, col, formats[0][0][1]);
            } else if (ParseAmountText(cell.text, &amount)) {
                worksheet_write_number(sheet, r, col, amount,
                                       formats[cell.bold][1][row.rule_below]);
            } else {
                std::string text = host::ToValidUtf8(cell.text);
                if (text.size() > kMaxCellChars) {
                    std::string cut(kMaxCellChars + 1, '\0');
                    host::CopyText(cut.data(), cut.size(), text);
                    text = cut.c_str();
                }
                worksheet_write_string(sheet, r, col, text.c_str(),
                                       formats[cell.bold][0][row.rule_below]);
            }
        }
        ++r;
    }
    const lxw_error rc = workbook_close(book);
    if (rc != LXW_NO_ERROR) {
        if (error) *error = "erreur d'écriture du classeur " + path + " : " + lxw_strerror(rc);
        return false;
    }
    return true;
}

}  // namespace host::output

#include "host/output/report_table.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <stdexcept>

#include "host/base/dates.h"
#include "host/base/text.h"
#include "host/output/paths.h"
#include "host/output/xmlexport.h"

namespace host::output {

ReportTable::ReportTable(std::string name, std::vector<TableColumn> columns)
    : name_(std::move(name)), columns_(std::move(columns)) {}

size_t ReportTable::Index(const std::string& key) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].key == key) return i;
    throw std::out_of_range("colonne inconnue : " + name_ + "." + key);
}

ReportTable& ReportTable::Row(const std::string& type) {
    TableRow row;
    row.type = type;
    row.cells.resize(columns_.size());
    rows_.push_back(std::move(row));
    return *this;
}

TableCell& ReportTable::Cell(const std::string& key, CellKind kind) {
    if (rows_.empty()) Row();
    const size_t i = Index(key);
    if (columns_[i].kind != kind)
        throw std::logic_error("colonne " + name_ + "." + key + " d'un autre type");
    TableCell& c = rows_.back().cells[i];
    c.present = true;
    return c;
}

ReportTable& ReportTable::Text(const std::string& key, const std::string& value) {
    Cell(key, CellKind::Text).text = value;
    return *this;
}

ReportTable& ReportTable::Amount(const std::string& key, int64_t cents) {
    Cell(key, CellKind::Amount).number = cents;
    return *this;
}

ReportTable& ReportTable::Date(const std::string& key, long date) {
    if (date == 0) return *this;
    Cell(key, CellKind::Date).number = date;
    return *this;
}

ReportTable& ReportTable::Count(const std::string& key, int64_t value) {
    Cell(key, CellKind::Count).number = value;
    return *this;
}

ReportTable& ReportTable::Percent(const std::string& key, int64_t hundredths) {
    Cell(key, CellKind::Percent).number = hundredths;
    return *this;
}

int64_t ReportTable::Sum(const std::string& key, const std::string& type) const {
    const size_t i = Index(key);
    int64_t sum = 0;
    for (const TableRow& r : rows_)
        if (r.type == type && r.cells[i].present) sum += r.cells[i].number;
    return sum;
}

namespace {

std::string Hundredths(int64_t v) {
    const uint64_t a = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%s%" PRIu64 ".%02" PRIu64, v < 0 ? "-" : "", a / 100, a % 100);
    return buf;
}

}  // namespace

bool ReportTable::SaveXml(const std::string& path, std::string* error) const {
    IXmlExportWrapper* xml = IXmlExportWrapper::CreateInstance();
    for (const TableRow& row : rows_) {
        xml->NewRow(row.type.empty() ? nullptr : row.type.c_str());
        for (size_t i = 0; i < columns_.size(); ++i) {
            const TableColumn& col = columns_[i];
            const TableCell& cell = row.cells[i];
            if (!col.in_xml || !cell.present) continue;
            switch (col.kind) {
                case CellKind::Text:
                    xml->AddColumn(col.key.c_str(), cell.text);
                    break;
                case CellKind::Amount:
                    xml->AddAmount(col.key.c_str(), cell.number);
                    break;
                case CellKind::Percent:
                    xml->AddColumn(col.key.c_str(), Hundredths(cell.number));
                    break;
                case CellKind::Date:
                case CellKind::Count:
                    xml->AddColumn(col.key.c_str(), cell.number);
                    break;
            }
        }
        xml->EndRow();
    }
    const bool ok = xml->Save(path.c_str());
    if (!ok && error) *error = xml->LastError();
    IXmlExportWrapper::Destroy(xml);
    return ok;
}

namespace {

// A sheet name the spreadsheet accepts: at most 31 characters, none of []:*?/\.
std::string SheetName(const std::string& name, size_t index) {
    std::string out;
    for (char c : host::ToValidUtf8(name))
        out += std::string("[]:*?/\\").find(c) == std::string::npos ? c : ' ';
    out = host::U8Left(host::Trim(out), 31);
    return out.empty() ? "Feuille" + std::to_string(index + 1) : out;
}

}  // namespace

bool WriteWorkbook(const std::string& path, const std::vector<const ReportTable*>& tables,
                   std::string* error) {
    const std::string file = OutputPath(path);
    lxw_workbook* book = workbook_new(file.c_str());
    if (!book) {
        if (error) *error = "impossible de créer le classeur " + file;
        return false;
    }
    lxw_format* header = workbook_add_format(book);
    format_set_bold(header);
    format_set_bottom(header, LXW_BORDER_THIN);
    // Formats by kind, plain and bold (total rows).
    lxw_format* amount[2];
    lxw_format* date[2];
    lxw_format* percent[2];
    lxw_format* plain[2];
    for (int b = 0; b < 2; ++b) {
        amount[b] = workbook_add_format(book);
        format_set_num_format(amount[b], "#,##0.00");
        date[b] = workbook_add_format(book);
        format_set_num_format(date[b], "yyyy-mm-dd");
        percent[b] = workbook_add_format(book);
        format_set_num_format(percent[b], "0.00%");
        plain[b] = workbook_add_format(book);
        if (b) {
            for (lxw_format* f : {amount[b], date[b], percent[b], plain[b]})
                format_set_bold(f);
        }
    }
    constexpr size_t kMaxCellBytes = 32767;
    std::vector<std::string> used_names;
    for (size_t t = 0; t < tables.size(); ++t) {
        const ReportTable& table = *tables[t];
        std::string name = SheetName(table.Name(), t);
        while (std::find(used_names.begin(), used_names.end(), name) != used_names.end())
            name = host::U8Left(name, 28) + " " + std::to_string(t + 1);
        used_names.push_back(name);
        lxw_worksheet* sheet = workbook_add_worksheet(book, name.c_str());
        const auto& all = table.Columns();
        // The sheet's columns: those meant for it, side by side.
        std::vector<size_t> shown;
        for (size_t c = 0; c < all.size(); ++c)
            if (all[c].in_sheet) shown.push_back(c);
        for (size_t s = 0; s < shown.size(); ++s) {
            const TableColumn& column = all[shown[s]];
            const auto col = static_cast<lxw_col_t>(s);
            const int width =
                column.width > 0
                    ? column.width
                    : std::max<int>(10, static_cast<int>(host::U8Length(column.title)) + 2);
            worksheet_set_column(sheet, col, col, width, nullptr);
            worksheet_write_string(sheet, 0, col, host::ToValidUtf8(column.title).c_str(), header);
        }
        worksheet_freeze_panes(sheet, 1, 0);
        lxw_row_t r = 1;
        for (const TableRow& row : table.Rows()) {
            const int b = row.type.empty() ? 0 : 1;
            for (size_t s = 0; s < shown.size(); ++s) {
                const TableCell& cell = row.cells[shown[s]];
                if (!cell.present) continue;
                const auto col = static_cast<lxw_col_t>(s);
                switch (all[shown[s]].kind) {
                    case CellKind::Text: {
                        std::string text = host::ToValidUtf8(cell.text);
                        if (text.size() > kMaxCellBytes)
                            text = host::U8Left(text, kMaxCellBytes / 4);
                        worksheet_write_string(sheet, r, col, text.c_str(), plain[b]);
                        break;
                    }
                    case CellKind::Amount:
                        worksheet_write_number(sheet, r, col,
                                               static_cast<double>(cell.number) / 100.0, amount[b]);
                        break;
                    case CellKind::Percent:
                        worksheet_write_number(
                            sheet, r, col, static_cast<double>(cell.number) / 10000.0, percent[b]);
                        break;
                    case CellKind::Count:
                        worksheet_write_number(sheet, r, col, static_cast<double>(cell.number),
                                               plain[b]);
                        break;
                    case CellKind::Date: {
                        const long d = static_cast<long>(cell.number);
                        if (!host::IsValidDate(d)) {  // kept as it was stored, never a wrong day
                            worksheet_write_number(sheet, r, col, static_cast<double>(d), plain[b]);
                            break;
                        }
                        lxw_datetime dt = {static_cast<int>(d / 10000),
                                           static_cast<uint8_t>(d / 100 % 100),
                                           static_cast<uint8_t>(d % 100),
                                           0,
                                           0,
                                           0};
                        worksheet_write_datetime(sheet, r, col, &dt, date[b]);
                        break;
                    }
                }
            }
            ++r;
        }
    }
    const lxw_error rc = workbook_close(book);
    if (rc != LXW_NO_ERROR) {
        if (error) *error = "erreur d'écriture du classeur " + file + " : " + lxw_strerror(rc);
        return false;
    }
    return true;
}

}  // namespace host::output

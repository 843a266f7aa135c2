// A report's rows as typed data: one table per data file of a report, each column with its
// title, its kind and its XML element name. The same table is written as the report's XML
// data file (the rows the templates print) and as a sheet of its spreadsheet export, so
// that both hold exactly the rows the report lists.
//
// Cells hold what they mean, not how a page shows it: amounts in cents, dates YYYYMMDD,
// counts, percentages in hundredths, texts. The spreadsheet writes amounts as numbers with
// two decimals, dates as dates, counts as whole numbers and texts as text (never as
// formulas); the XML writes amounts as "1234.56", dates and counts as integers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace host::output {

enum class CellKind { Text, Amount, Date, Count, Percent };

struct TableColumn {
    std::string key;    // the XML element name ("PatCourant"); unique in the table
    std::string title;  // the spreadsheet's header cell ("Patient courant")
    CellKind kind = CellKind::Text;
    int width = 0;         // spreadsheet column width in characters (0: from the title)
    bool in_xml = true;    // false: a spreadsheet column only
    bool in_sheet = true;  // false: an XML column only (a title line the template prints)
};

struct TableCell {
    bool present = false;
    int64_t number = 0;  // amount, date, count or percentage
    std::string text;
};

struct TableRow {
    std::string type;  // the XML row mark ("T" for totals); such rows are bold in the sheet
    std::vector<TableCell> cells;  // one per column
};

class ReportTable {
  public:
    // name: the sheet's name (at most 31 characters are kept by the spreadsheet).
    ReportTable(std::string name, std::vector<TableColumn> columns);

    const std::string& Name() const { return name_; }
    const std::vector<TableColumn>& Columns() const { return columns_; }
    const std::vector<TableRow>& Rows() const { return rows_; }
    size_t RowCount() const { return rows_.size(); }
    // The index of the column named key; throws std::out_of_range for an unknown key (a
    // programming error caught by the tests).
    size_t Index(const std::string& key) const;

    // Starts a row, marked type ("" for a detail row); the setters fill its cells.
    ReportTable& Row(const std::string& type = "");
    ReportTable& Text(const std::string& key, const std::string& value);
    // An amount in cents, a date YYYYMMDD (0 leaves the cell empty), a count, a
    // percentage in hundredths of a percent.
    ReportTable& Amount(const std::string& key, int64_t cents);
    ReportTable& Date(const std::string& key, long date);
    ReportTable& Count(const std::string& key, int64_t value);
    ReportTable& Percent(const std::string& key, int64_t hundredths);

    // The sum of an amount or count column over the rows of a type ("" detail rows).
    int64_t Sum(const std::string& key, const std::string& type = "") const;

    // Writes the rows as an XML data file (report file name or path): each row an element
    // with its present cells of XML columns. False with *error when it cannot be written.
    bool SaveXml(const std::string& path, std::string* error) const;

  private:
    TableCell& Cell(const std::string& key, CellKind kind);
    std::string name_;
    std::vector<TableColumn> columns_;
    std::vector<TableRow> rows_;
};

// Writes tables into one workbook, a sheet per table: the column titles as a bold header
// row, then the rows with typed cells. False with *error when the file cannot be written.
bool WriteWorkbook(const std::string& path, const std::vector<const ReportTable*>& tables,
                   std::string* error);

}  // namespace host::output

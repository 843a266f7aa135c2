// Spreadsheet output (.xlsx) of report rows. Text is always written as text, so that a
// value such as "=SUM(A1)" or "+1 514" can never run as a formula; amounts printed the
// host's way ("1,234.56", "-12.00") become numbers with two decimals.
#pragma once

#include <string>
#include <vector>

namespace host::output {

class SheetWriter {
  public:
    struct Cell {
        std::string text;
        bool bold = false;
    };
    struct Row {
        std::vector<Cell> cells;  // by column from 0; an empty text is an empty cell
        bool rule_below = false;  // a border under the row
    };

    // Writes rows to path (one worksheet named sheet_name) with the given column widths
    // in characters (missing widths keep the default). False with *error on failure.
    static bool Write(const std::string& path, const std::string& sheet_name,
                      const std::vector<Row>& rows, const std::vector<int>& widths,
                      std::string* error);

    // True for an amount as the host prints it: optional '-', digits with optional
    // thousands commas, '.', two digits. Sets *value.
    static bool ParseAmountText(const std::string& text, double* value);
};

}  // namespace host::output

// Reading back a workbook the program wrote (unzip and pugixml), to check its cells.
#pragma once

#include <pugixml.hpp>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace testing_support {

struct SheetCell {
    bool present = false;
    bool numeric = false;
    double value = 0;
    std::string text;  // a text cell's text
};
using SheetRows = std::vector<std::vector<SheetCell>>;

// The cells of worksheet `sheet` (from 1) of an .xlsx file, by row and column from 0.
inline SheetRows ReadSheet(const std::string& path, int sheet = 1) {
    SheetRows rows;
    pugi::xml_document strings_doc, sheet_doc;
    const std::string shared = RunShell("unzip -p " + Quote(path) + " xl/sharedStrings.xml").out;
    const std::string xml = RunShell("unzip -p " + Quote(path) + " xl/worksheets/sheet" +
                                     std::to_string(sheet) + ".xml")
                                .out;
    std::vector<std::string> strings;
    if (strings_doc.load_string(shared.c_str()))
        for (pugi::xml_node si : strings_doc.child("sst").children("si"))
            strings.push_back(si.child("t").text().get());
    if (!sheet_doc.load_string(xml.c_str())) return rows;
    for (pugi::xml_node row : sheet_doc.child("worksheet").child("sheetData").children("row")) {
        const size_t r = row.attribute("r").as_uint() - 1;
        if (rows.size() <= r) rows.resize(r + 1);
        for (pugi::xml_node c : row.children("c")) {
            const std::string ref = c.attribute("r").value();
            size_t col = 0;
            for (char ch : ref) {
                if (ch < 'A' || ch > 'Z') break;
                col = col * 26 + static_cast<size_t>(ch - 'A' + 1);
            }
            --col;
            if (rows[r].size() <= col) rows[r].resize(col + 1);
            SheetCell& cell = rows[r][col];
            const std::string type = c.attribute("t").value();
            const std::string v = c.child("v").text().get();
            if (type == "s") {
                cell.present = true;
                const size_t i = std::strtoul(v.c_str(), nullptr, 10);
                cell.text = i < strings.size() ? strings[i] : "";
            } else if (type == "inlineStr" || type == "str") {
                cell.present = true;
                cell.text = type == "str" ? v : c.child("is").child("t").text().get();
            } else if (!v.empty()) {
                cell.present = cell.numeric = true;
                cell.value = std::strtod(v.c_str(), nullptr);
            }
        }
    }
    return rows;
}

}  // namespace testing_support

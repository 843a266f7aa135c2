// IXmlExportWrapper: the XML data files that reports write for their templates. A file
// holds rows of named columns, each row optionally marked with a type ("H" heading,
// "T" total, "GT" grand total, "TT" final total, or any other mark a report uses):
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <Report>
//     <Row type="T"><Name>Tremblay, Luc</Name><Total>1234.56</Total></Row>
//   </Report>
//
// The file is always well-formed UTF-8: invalid bytes are read as Latin-1 and characters
// that XML 1.0 forbids (control characters other than tab and line ends) are dropped.
// File names are report file names ("\\XML\\agedrc.xml" goes to XML/agedrc.xml of the
// output folder) or absolute paths.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IXmlExportWrapper {
  public:
    static IXmlExportWrapper* CreateInstance();
    // Frees an instance made by CreateInstance (null is allowed).
    static void Destroy(IXmlExportWrapper* instance);
    // Empties the file: writes a document without rows. False when it cannot be written.
    static bool Clear(const char* path);

    ~IXmlExportWrapper();
    IXmlExportWrapper(const IXmlExportWrapper&) = delete;
    IXmlExportWrapper& operator=(const IXmlExportWrapper&) = delete;

    // The name of the document element (default "Report").
    void SetRootName(const char* name);
    // Starts a row (ending the one open), marked with type when not null or empty.
    void NewRow(const char* type = nullptr);
    // Marks the open row.
    void SetRowType(const char* type);
    // Adds a column to the open row (a row is started if none is open). A name that is
    // not a valid XML name is made one ("N° compte" gives "N_compte"); an empty name gives
    // "Col<n>", n counting the row's columns from 1.
    void AddColumn(const char* name, const char* value);
    void AddColumn(const char* name, const std::string& value);
    void AddColumn(const char* name, int64_t value);
    // An amount of cents as "1234.56" ("-0.05" for -5).
    void AddAmount(const char* name, int64_t cents);
    // Ends the open row.
    void EndRow();
    int RowCount() const;
    // Writes the document to path; false with LastError() when it cannot be written.
    bool Save(const char* path);
    // Forgets every row.
    void Reset();
    const std::string& LastError() const { return error_; }

    // Text made safe for XML: valid UTF-8 without forbidden characters.
    static std::string SafeText(const std::string& text);
    // A valid XML element name made from name ("" gives "").
    static std::string SafeName(const std::string& name);

  private:
    IXmlExportWrapper();
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string error_;
};

namespace host::output {

// Rows read back from an XML data file: each child element of the document element is a
// row, each of its child elements a column; the row's "type" attribute is kept.
struct XmlRow {
    std::string type;
    std::vector<std::pair<std::string, std::string>> columns;
};
// Reads path; false with *error when the file is missing or not well-formed.
bool ReadXmlRows(const std::string& path, std::vector<XmlRow>* rows, std::string* error);

}  // namespace host::output

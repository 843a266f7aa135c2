// Where report files go. Reports name their files as they always have ("arrpt.prt",
// "\\XML\\agedrc.xml", "\\agedrc.xml"); those names live under the output folder
// (host::Env().output_dir). An absolute path ("/srv/out/x.pdf") is kept as it is.
#pragma once

#include <string>

namespace host::output {

// The full path of a report file name: an absolute path (starting with '/') is kept, with
// any backslash turned into '/'; any other name goes through host::ReportFilePath. The
// parent folder is created unless create_folder is false (a file to be read).
std::string OutputPath(const std::string& name, bool create_folder = true);

// A file name stem made from a report title: ASCII letters and digits kept (accented
// letters lose their accent, capitals become small), every other run of characters
// becomes one '_'; "RAPPORT DES COMPTES À RECEVOIR" gives "rapport_des_comptes_a_recevoir".
// Empty input gives "rapport".
std::string FileStem(const std::string& title);

// path with its extension replaced by ext (".pdf"); a path without one gains it.
std::string WithExtension(const std::string& path, const std::string& ext);

}  // namespace host::output

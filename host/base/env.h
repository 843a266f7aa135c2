// Where the host keeps things on this workstation. The executables fill it at start-up
// (from their options and the environment); everything else reads it.
#pragma once

#include <string>

namespace host {

struct Environment {
    std::string station_dir;   // workstation settings ("rapports.ini") and logs
    std::string data_dir;      // the practice's data folder ("creports.ini", day-end copies)
    std::string output_dir;    // the reports' "current directory": .prt files and XML/
    std::string station_name;  // this workstation's name, written in logs
    std::string user;          // the logged-in user, whose settings TUserInfo keeps
};

// The process-wide environment. Defaults: RAPPORTS_STATION_DIR or ~/.config/rapports;
// RAPPORTS_DATA_DIR or the station folder; RAPPORTS_OUTPUT_DIR or the working directory;
// the host name; $USER.
Environment& Env();
// The workstation INI file: station_dir/rapports.ini.
std::string StationIniPath();
// Creates a folder and its parents; false when it cannot be created.
bool EnsureDir(const std::string& dir);

}  // namespace host

namespace host {

// Maps a report file name as the module writes it ("arrpt.prt", "\\XML\\agedrc.xml",
// "\\agedrc.xml") to a path under the output folder (XML/agedrc.xml). Separators are
// folded, ".." parts are dropped, and the parent folder is created unless create_folder is
// false (a file to be read).
std::string ReportFilePath(const std::string& windows_name, bool create_folder = true);

}  // namespace host

// The host's station information: this workstation's folders and name.
class TGetStatInfo {
  public:
    std::string GetStatDirectory() const { return host::Env().station_dir; }
    std::string GetDbDirectory() const { return host::Env().data_dir; }
    // The reports' output folder (the "current directory" of the text and XML files).
    std::string GetDataDirectory() const { return host::Env().output_dir; }
    std::string GetStationName() const { return host::Env().station_name; }
    // Folder of the kept report files (month-end reprints): setting "ReportDir" of the
    // SYSTEM section, else the data folder's "rapports" folder.
    std::string GetReportDirectory() const;
    // A setting of the workstation's SYSTEM section.
    std::string GetSetting(const char* key, const char* def) const;
};

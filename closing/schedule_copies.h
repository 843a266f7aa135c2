// The appointment lists the day-end's closing keeps: "Schedule.pdf" in a folder per day
// ("Dayend/<day>" under the database folder), and the dialog that lists them and opens one.
#pragma once

#include <string>
#include <vector>

#include "host/ui/dialog.h"

namespace dayend {

// The folder of the day's kept list (not created).
std::string ScheduleFolder(long day);
// The kept list of the day (it may not exist).
std::string SchedulePath(long day);
// The days whose list was kept, newest first.
std::vector<long> ScheduleDays();

}  // namespace dayend

class DigitalHistoryListDlg : public TDialog {
  public:
    explicit DigitalHistoryListDlg(TWindow* parent);
    void SetupWindow() override;
    // Opens the chosen day's list; nothing when none is chosen.
    void CmDetails();
    const std::vector<long>& Days() const { return days_; }

  private:
    std::vector<long> days_;
};

// The message of a report that this version of the module cannot print yet.
#pragma once

class TReportBaseDlg;

// Says so in a message box with the dialog's caption; returns false (nothing ran).
bool ReportNotYetAvailable(TReportBaseDlg& dlg);

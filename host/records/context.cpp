#include "host/records/context.h"

#include "host/base/msgsink.h"
#include "host/records/records.h"

namespace {
QDSApplication* g_app = nullptr;
}

QDSApplication* QDSApplication::Instance() {
    return g_app;
}
void QDSApplication::SetInstance(QDSApplication* app) {
    g_app = app;
}

bool QDSApplication::UserHasAccess(int module, int right, const void* window,
                                   bool show_message) const {
    const bool ok = module == 20115 && rights_.count(right) != 0;
    if (!ok && show_message)
        host::ShowMessage(window, "Accès refusé à ce rapport.", "", MB_OK | MB_ICONWARNING);
    return ok;
}

LauncherInfo::LauncherInfo(QDSApplication* app)
    : app_(app), list_(app ? app->GetDb() : nullptr), msg_(3300, &list_) {}

PersInfo* LauncherInfo::GetPatInfoPtr() {
    const long id = app_ ? app_->current_patient : 0;
    if (id <= 0 || !list_.db()) {
        patient_.reset();
        return nullptr;
    }
    if (patient_ && patient_->Rec().pat_id == id) return patient_.get();
    auto patient = std::make_shared<PersInfo>(&list_, &msg_);
    if (!patient->DBFindRecById(id)) {
        patient_.reset();
        return nullptr;
    }
    patient_ = std::move(patient);
    return patient_.get();
}

std::string FailureText(MsgInfo& msg, GenDB* db, const std::string& what) {
    TEmgBase& err = msg.errors();
    std::string text = what;
    if (err.HasError())
        text += " : " + err.Text();
    else if (db && db->dbLastError() && *db->dbLastError())
        text += std::string(" : ") + db->dbLastError();
    err.ClearErrMsgInfo();
    return text;
}

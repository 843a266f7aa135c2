#include "receivables/ar_runner.h"

namespace {

ARReportRunner& Runner() {
    static ARReportRunner runner;
    return runner;
}

}  // namespace

void SetARReportRunner(ARReportRunner runner) {
    Runner() = std::move(runner);
}

const ARReportRunner& GetARReportRunner() {
    return Runner();
}

ARReportObject ReportObjectFor(int kind, bool quick) {
    if (quick) return ARReportObject::Quick;
    return kind == 1 ? ARReportObject::Patient : ARReportObject::Account;
}

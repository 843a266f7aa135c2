#include "closing/mthend_state.h"

#include "host/base/dates.h"
#include "host/db/gendb.h"

namespace mthend {

Period MonthPeriod(int year, int month) {
    const long first = DMYtoDate(1, month, year);
    if (first == 0) return {};
    return {first, host::MonthEnd(first)};
}

bool UnprintedDays(GenDB&, const Period&, std::vector<long>* days, std::string*) {
    days->clear();
    return true;
}

CloseResult PerformMthend(GenDB&, const CloseRequest&, std::vector<long>* unprinted,
                          std::string* error) {
    if (unprinted) unprinted->clear();
    *error = "Fin de mois non disponible";
    return CloseResult::Failed;
}

}  // namespace mthend

#include "report_search_u.h"

#include "log_u.h"
#include "main_host_u.h"

namespace ReportSearch {
TSearchPick Picker(TMainHost&)
{
    // The search dialog arrives with the customer subsystem; until then the
    // reference buttons pick nothing.
    return [](QWidget*, int mode) {
        Log::Detail(QStringLiteral("TfrmTotal search mode=%1: search dialog not available").arg(mode));
        return QString();
    };
}
} // namespace ReportSearch

#include "report_search_u.h"

#include "frm_search_u.h"
#include "main_host_u.h"
#include "msg_u.h"

namespace ReportSearch {
TSearchPick Picker(TMainHost& host)
{
    return [&host](QWidget* parent, int mode) {
        TfrmSearch dlg(host.Dm(), host.Settings(), static_cast<TSearchMode>(mode), parent);
        if (Msg::ExecDialog(dlg) == QDialog::Accepted && dlg.HasRow()) return dlg.Cell(0);
        return QString();
    };
}
} // namespace ReportSearch

#include "db_start_u.h"

#include "dm_cmn_u.h"
#include "frm_wait_db_connect_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"

bool ConnectDatabaseAtStart(TdmCmn& dm, TSettings& settings, QWidget* parent)
{
    if (settings.Role() == TRole::Server) {
        if (!dm.OpenDatabase()) {
            Log::Detail(QStringLiteral("TfrmWaitDbConnect show"));
            TfrmWaitDbConnect wait(dm, parent);
            if (Msg::ExecDialog(wait) != QDialog::Accepted) {
                dm.CloseDatabase();
                return false;
            }
        }
        dm.InitTables(parent);
        return true;
    }
    try {
        dm.InitTables(parent);
    } catch (const std::exception& e) {
        const QString msg = ExceptionText(e);
        Log::Always(QStringLiteral("TfrmMain.InitTables error=") + msg);
        Msg::Error(QStringLiteral("データベースへの接続に失敗しました。\r\nkuruten3.iniファイルの設定を確認してください。\r\n") +
                       msg,
                   parent);
        dm.CloseDatabase();
        return false;
    }
    return true;
}

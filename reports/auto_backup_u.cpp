#include "auto_backup_u.h"

#include "clock_u.h"
#include "dm_cmn_u.h"
#include "errors_u.h"
#include "fb_service_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QString kFileName = QStringLiteral("KURUDB.FDB");

void Problem(const QString& text, bool showMessages, TMsgKind kind, QWidget* parent)
{
    if (showMessages) Msg::Show(kind, text, mbOK, parent);
    else Log::Always(text);
}
} // namespace

bool AutoBackup(TSettings& settings, TdmCmn& dm, bool showMessages, QWidget* parent)
{
    static bool running = false;
    if (running) return false; // a second click while the copy runs
    running = true;
    struct TReset
    {
        ~TReset() { running = false; }
    } reset;

    Log::Always(QStringLiteral("TfrmMain.AutoBackup begin"));
    try {
        QString folder = settings.AutoBackupPath;
        if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
            Problem(QStringLiteral("バックアップ先が無効です。環境設定画面で有効なバックアップ先を確認設定してください。"),
                    showMessages, TMsgKind::Warning, parent);
            return false;
        }
        if (!folder.endsWith(u'/') && !folder.endsWith(u'\\')) folder += u'/';
        // A server path (host:path) is copied from that path on this machine.
        const QString database = dm.DatabaseName();
        Log::Always(QStringLiteral("FromFile=") + FbService::TDbName::Parse(database).Path);
        const QString target = folder + kFileName;
        Log::Always(QStringLiteral("ToFile=") + target);
        if (QFileInfo::exists(target)) {
            const QString old = target + QStringLiteral("_RENAME") +
                                Clock::Now().toString(QStringLiteral("yyyyMMdd_HHmmss"));
            Log::Always(QStringLiteral("ToBackFile=") + old);
            QFile::rename(target, old);
        }
        try {
            // From the button the window stays alive and calls go on meanwhile.
            FbService::CopyDatabase(database, target, dm.IBDatabase1.Params, showMessages);
        } catch (const std::exception& e) {
            Log::Always(QStringLiteral("TfrmMain.AutoBackup E.Message=") + ExceptionText(e));
            Problem(QStringLiteral("データファイル 「KURUDB.FDB」 を指定された場所にコピーできませんでした。"), showMessages,
                    TMsgKind::Error, parent);
            Log::Always(QStringLiteral("TfrmMain.AutoBackup end"));
            return false;
        }
        Log::Always(QStringLiteral("TfrmMain.AutoBackup end"));
        return true;
    } catch (const std::exception& e) {
        Log::Always(QStringLiteral("TfrmMain.AutoBackup E.Message=") + ExceptionText(e));
        Log::Always(QStringLiteral("TfrmMain.AutoBackup end"));
        return false;
    }
}

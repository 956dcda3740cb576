#include "import_postal_u.h"

#include "dm_cmn_u.h"
#include "errors_u.h"
#include "log_u.h"
#include "postal_import_u.h"
#include "settings_u.h"
#include "special_folders_u.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
void Print(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}
} // namespace

int ImportPostalCommand(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        Print(QStringLiteral("使い方: kuruten3 --import-postal KEN_ALL.CSV\n"));
        return 1;
    }
    TSettings settings(SpecialFolders::CommonAppData(), TEnvValues::FromSystem(QCoreApplication::applicationFilePath()));
    TLog log(settings.LogFolder(), settings.Env().gComputerName);
    TLog::SetCurrent(&log);
    int rc = 0;
    try {
        settings.Initialize();
        TPostalImport imp;
        const char* phase = "読込";
        imp.OnProgress = [&phase](int done, int total) {
            Print(QStringLiteral("\r郵便番号データ %1: %2 / %3").arg(QString::fromUtf8(phase)).arg(done).arg(total));
        };
        imp.Parse(args[2]);
        Print(QStringLiteral("\n"));
        TdmCmn dm(settings);
        if (!dm.OpenDatabase())
            throw EKuruten(QStringLiteral("データベースを開けません: ") + dm.DatabaseName() +
                           QStringLiteral("（くるてん３が起動中なら終了してから実行してください）"));
        phase = "登録";
        imp.Store(dm);
        dm.CloseDatabase();
        Print(QStringLiteral("\n%1行から郵便番号%2件を登録しました。\n").arg(imp.Lines()).arg(imp.Rows().size()));
        Log::Always(QStringLiteral("ImportPostal %1 rows from %2").arg(imp.Rows().size()).arg(args[2]));
    } catch (const std::exception& e) {
        Print(QStringLiteral("\n郵便番号データを登録できませんでした。何も変更していません。\n") + ExceptionText(e) +
              QStringLiteral("\n"));
        Log::Always(QStringLiteral("ImportPostal error=") + ExceptionText(e));
        rc = 1;
    }
    TLog::SetCurrent(nullptr);
    return rc;
}

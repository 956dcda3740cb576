#include "link_prog_u.h"

#include "clock_u.h"
#include "dm_cmn_u.h"
#include "link_sql_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "shell_u.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QSaveFile>
#include <QUrl>

TLinkProg::TLinkProg(TdmCmn& dm, const TSettings& settings) : FDm(dm), FSettings(settings) {}

QString TLinkProg::TextFileName(const QString& textPath, bool withPort, bool withTime, int portNo,
                                const QDateTime& now)
{
    const QFileInfo full(QDir::cleanPath(QFileInfo(textPath).absoluteFilePath()));
    if (!withPort && !withTime) return full.filePath();
    const QString suffix = full.suffix();
    QString name = full.path() + QLatin1Char('/') + full.completeBaseName();
    if (withPort) name += QString::number(portNo);
    if (withTime) name += QLatin1Char('_') + now.toString(QStringLiteral("yyyyMMddHHmmsszzz"));
    return suffix.isEmpty() ? name : name + QLatin1Char('.') + suffix;
}

QStringList TLinkProg::Arguments(const QString& command, const QString& number)
{
    QStringList args = QProcess::splitCommand(command);
    if (number.isEmpty()) return args;
    if (args.isEmpty() || command.back().isSpace()) args << number;
    else args.last() += number;
    return args;
}

QString TLinkProg::Url(const QString& command, const QString& number)
{
    return command + QString::fromLatin1(QUrl::toPercentEncoding(number));
}

void TLinkProg::Remember(const QString& caption, quint32 endMessage, bool access)
{
    for (const TNotifiedWindow& w : FNotified)
        if (w.Caption == caption) return;
    FNotified << TNotifiedWindow{caption, endMessage, access};
}

void TLinkProg::ExecCustProg(int ifNo, const QString& telNo, int portNo, QWidget* parent)
{
    Log::Detail(QStringLiteral("TfrmMain.ExecCustProg InterfaceNo=%1 TelNo=%2 PortNo=%3").arg(ifNo).arg(telNo).arg(portNo));
    bool launched = true;

    // A number of a customer's phone-book row goes out as the customer's
    // representative number.
    QString number = telNo;
    TTels tels;
    if (FDm.GetTels(telNo, tels) && !tels.CUST_TEL_NON.isEmpty()) number = tels.CUST_TEL_NON;

    TInterfaceInfo e;
    if (!FDm.GetInterfaceInfo(QString::number(ifNo), e)) {
        Msg::Warn(QStringLiteral("起動プログラムを設定してください。"), parent);
        if (OnSettingsRequested) OnSettingsRequested();
        return;
    }
    const quint32 startMsg = TXWindows::WM_USER + quint32(e.START_REQ);
    const quint32 endMsg = TXWindows::WM_USER + quint32(e.END_REQ);
    // A bare program name is looked for in the program's own folder first.
    QString program = e.EXEC_PATH;
    QString workDir = QFileInfo(e.EXEC_PATH).absolutePath();
    if (!e.EXEC_PATH.contains(QLatin1Char('/'))) {
        workDir = FSettings.Env().gExeDir;
        const QFileInfo own(workDir + e.EXEC_PATH);
        if (!e.EXEC_PATH.isEmpty() && own.isFile() && own.isExecutable()) program = own.absoluteFilePath();
    }
    Log::Detail(QStringLiteral(" IfName=") + e.IF_NAME + QStringLiteral(" IfType=") + e.IF_TYPE +
                QStringLiteral(" ExecPath=") + e.EXEC_PATH + QStringLiteral(" TextPath=") + e.TEXT_PATH +
                QStringLiteral(" Command=") + e.COMMAND + QStringLiteral(" IfCapt=") + e.CAPTION +
                QStringLiteral(" StartReq=") + QString::number(startMsg) + QStringLiteral(" EndReq=") +
                QString::number(endMsg) + QStringLiteral(" EveryClose=") + e.EVERY_CLOSE + QStringLiteral(" TextPort=") +
                e.TEXT_PORT);
    const bool access = e.EXEC_PATH.toUpper().contains(QLatin1String("MSACCESS.EXE"));
    const bool everyClose = e.EVERY_CLOSE == QLatin1String("1");
    const auto start = [&](const QStringList& args) { launched = Shell::StartProgram(program, args, workDir); };
    const auto findWindow = [&] {
        int count = 0;
        const TXWindows::TWindow wk = FWindows.FindWindow(e.CAPTION, &count);
        Log::Detail(QStringLiteral("strWinCap=") + e.CAPTION + QStringLiteral(" wk=") + QString::number(wk));
        if (count > 1) Log::Detail(QStringLiteral("同じタイトルのウィンドウが%1個あります。最前面のウィンドウに送ります。").arg(count));
        if (wk && access && !everyClose)
            Log::Detail(QStringLiteral("access wk=%1 (Access のフォームウィンドウはこのシステムにはありません。見つかったウィンドウに送ります。)").arg(wk));
        return wk;
    };

    if (e.IF_TYPE == QLatin1String("EXE")) {
        const TXWindows::TWindow wk = findWindow();
        if (everyClose) {
            if (wk) FWindows.CloseWindow(wk);
            start(Arguments(e.COMMAND, number));
        } else if (wk) {
            switch (FWindows.SendCopyData(wk, 1, number.toUtf8(), kCopyDataTimeoutMs)) {
            case TXWindows::TSendResult::Handled: break;
            case TXWindows::TSendResult::NoAnswer:
                Log::Always(QStringLiteral("TfrmMain.ExecCustProg %1 が %2 ms 以内に応答しませんでした。続行します。")
                                .arg(e.CAPTION)
                                .arg(kCopyDataTimeoutMs));
                break;
            case TXWindows::TSendResult::Failed:
                Log::Always(QStringLiteral("TfrmMain.ExecCustProg %1 に送れませんでした。").arg(e.CAPTION));
                break;
            }
        } else {
            start(Arguments(e.COMMAND, number));
        }
    } else if (e.IF_TYPE == QLatin1String("TXT")) {
        if (e.TEXT_PATH.isEmpty()) {
            Msg::Warn(QStringLiteral("テキスト出力先を設定してください。"), parent);
            return;
        }
        const QString file = TextFileName(e.TEXT_PATH, e.TEXT_PORT == QLatin1String("1"),
                                          e.TEXT_DT == QLatin1String("1"), portNo, Clock::Now());
        QSaveFile out(file);
        const QByteArray line = number.toUtf8() + "\r\n";
        if (!out.open(QIODevice::WriteOnly) || out.write(line) != line.size() || !out.commit()) {
            Log::Always(QStringLiteral("TfrmMain.ExecCustProg テキスト出力に失敗しました: ") + file);
            Msg::Error(QStringLiteral("テキストファイルを書き込めませんでした。\r\n") + file, parent);
            return;
        }
        Log::Detail(QStringLiteral("TextFile=") + file);
        const TXWindows::TWindow wk = findWindow();
        if (everyClose) {
            if (wk) FWindows.CloseWindow(wk);
            start(Arguments(e.COMMAND, QString()));
        } else if (wk) {
            FWindows.PostMessage(wk, startMsg, 0, 0);
        } else {
            start(Arguments(e.COMMAND, QString()));
        }
    } else if (e.IF_TYPE == QLatin1String("URL")) {
        const QString url = Url(e.COMMAND, number);
        Log::Detail(QStringLiteral("Url=") + url);
        if (!e.EXEC_PATH.isEmpty()) start({url});
        else launched = Shell::OpenUrl(QUrl(url));
    }

    if (launched) Remember(e.CAPTION, endMsg, access);
    else Msg::Warn(QStringLiteral("プログラムの起動に失敗しました。"), parent);
}

void TLinkProg::SendEndReq()
{
    Log::Detail(QStringLiteral("TfrmMain.SendEndReq"));
    for (const TNotifiedWindow& w : FNotified) {
        if (w.Caption.isEmpty()) continue;
        const TXWindows::TWindow wk = FWindows.FindWindow(w.Caption);
        Log::Detail(QStringLiteral("SendEndReq Caption=%1 wk=%2 EndReq=%3").arg(w.Caption).arg(wk).arg(w.EndMessage));
        if (wk) FWindows.PostMessage(wk, w.EndMessage, 0, 0);
    }
}

void TLinkProg::SetLinkMenu(QMenu& menu, const std::function<void(int)>& launch,
                            const std::function<void()>& ownCustomer)
{
    Log::Detail(QStringLiteral("TfrmMain.SetLinkMenu"));
    menu.clear();
    for (const TLinkEntry& e : LinkSql::AllEntries(FDm)) {
        // "&" in a name is text, not a mnemonic.
        QAction* a = menu.addAction(QString(e.IfName).replace(QLatin1Char('&'), QStringLiteral("&&")));
        a->setObjectName(QStringLiteral("mnuIf%1").arg(e.IfNo));
        a->setData(e.IfNo);
        const int ifNo = e.IfNo;
        QObject::connect(a, &QAction::triggered, a, [launch, ifNo] {
            Log::Detail(QStringLiteral("TfrmMain.LinkProg"));
            launch(ifNo);
        });
    }
    QAction* own = menu.addAction(QStringLiteral("くるてんの顧客情報"));
    own->setObjectName(QStringLiteral("mnuOwnCust"));
    QObject::connect(own, &QAction::triggered, own, [ownCustomer] { ownCustomer(); });
    ApplyDefault(menu);
}

void TLinkProg::SetLinkMenuDefault(QMenu& menu)
{
    Log::Detail(QStringLiteral("TfrmMain.SetLinkMenuDefault"));
    ApplyDefault(menu);
}

void TLinkProg::ApplyDefault(QMenu& menu)
{
    QAction* chosen = nullptr;
    if (FSettings.LinkEnabled)
        for (QAction* a : menu.actions())
            if (a->data().isValid() && a->data().toInt() == FSettings.LinkIfNo) chosen = a;
    // A menu shows its default item in bold.
    menu.setDefaultAction(chosen);
}

// The external program link against the receiving program on a private Xvfb
// with jwm: each entry type as a table of cases, the end requests, and the
// faults (a program that is not there, a window that never answers, a text
// folder that does not exist, numbers with shell characters).
#include "clock_u.h"
#include "db_test_util.h"
#include "template_db_test_util.h"
#include "link_prog_u.h"
#include "link_receiver_test_util.h"
#include "x_display_test_util.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include <unistd.h>

namespace {
bool gHaveX = false;

const QString kStartFailed = QStringLiteral("プログラムの起動に失敗しました。");

class LinkProg : public TDbFixture
{
protected:
    void SetUp() override
    {
        if (!gHaveX) GTEST_SKIP() << "no X display could be started (Xvfb, jwm)";
        TDbFixture::SetUp();
        TemplateDb::CopyTo(Settings->DefaultDatabaseFile());
        UseCurrentEmbedded();
        Out = Dir.filePath("receiver.txt");
        Received = std::make_unique<TLinkReceiverFile>(Out);
        Link = std::make_unique<TLinkProg>(Dm(), *Settings);
    }
    void TearDown() override
    {
        Received.reset();
        Link.reset();
        TDbFixture::TearDown();
    }

    struct TEntry
    {
        int No = 1;
        QString Type = "EXE";
        QString ExecPath = {};
        QString Command = {};
        QString Caption = {};
        QString TextPath = {};
        int StartReq = 0, EndReq = 0;
        bool EveryClose = false, TextPort = false, TextDt = false;
    };
    void Add(const TEntry& e)
    {
        Dm().ExecSql(QString("insert into INTERFACE (IF_NO, IF_NAME, IF_TYPE, EXEC_PATH, COMMAND, CAPTION, TEXT_PATH, "
                             "START_REQ, END_REQ, EVERY_CLOSE, TEXT_PORT, TEXT_DT) values (%1, %2, %3, %4, %5, %6, %7, %8, "
                             "%9, %10, %11, %12)")
                         .arg(e.No)
                         .arg(SqlQuote(QString("連携%1").arg(e.No)), SqlQuote(e.Type), SqlQuote(e.ExecPath),
                              SqlQuote(e.Command), SqlQuote(e.Caption), SqlQuote(e.TextPath))
                         .arg(e.StartReq)
                         .arg(e.EndReq)
                         .arg(SqlFlag(e.EveryClose), SqlFlag(e.TextPort), SqlFlag(e.TextDt)));
    }
    // The receiving program with this test's output file, as a command line.
    QString Command(const QString& title) const
    {
        return QString("--title \"%1\" --out \"%2\" ").arg(title, Out);
    }
    // A script that starts the receiver with its options and then the
    // arguments it is given.
    QString Script(const QString& path, const QString& title) const
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(QString("#!/bin/sh\nexec '%1' --title '%2' --out '%3' \"$@\"\n")
                    .arg(TLinkReceiverFile::Program(), title, Out)
                    .toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    // Until no window carries the title (a copy that was just ended).
    static void WaitGone(const QString& title)
    {
        TXWindows x;
        QElapsedTimer t;
        t.start();
        while (x.FindWindow(title) && t.elapsed() < 5000) QThread::msleep(20);
    }
    QStringList Captions() const
    {
        QStringList out;
        for (const auto& w : Link->NotifiedWindows()) out << w.Caption;
        return out;
    }
    QString FileText(const QString& path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString("<none>");
    }

    QTemporaryDir Dir;
    QString Out;
    std::unique_ptr<TLinkReceiverFile> Received;
    std::unique_ptr<TLinkProg> Link;
};
} // namespace

TEST_F(LinkProg, ExeStartsTheProgramWithTheNumberOrSendsItToItsWindow)
{
    const struct
    {
        const char* Why;
        bool Running;
        bool EveryClose;
        const char* Command; // after the receiver's options
        const char* Number;
        int Pids;            // receivers that ran
        const char* Args;    // of the last start
        const char* CopyData;
        bool Closed;
    } cases[] = {
        {"not running: started with the number", false, false, "--tel=", "0312345678", 1, "--tel=0312345678", "", false},
        {"a blank after the command: its own argument", false, false, "-n ", "0312345678", 1, "-n\t0312345678", "", false},
        {"shell characters stay one argument", false, false, "", "; touch /tmp/kuruten-pwned `id` $(id)", 1,
         "; touch /tmp/kuruten-pwned `id` $(id)", "", false},
        {"running: the number by copy-data, nothing started", true, false, "--tel=", "0312345678", 1, "", "1\t0312345678",
         false},
        {"running, close and restart", true, true, "--tel=", "0312345678", 2, "--tel=0312345678", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        QFile::remove(Out);
        Dm().ExecSql("delete from INTERFACE");
        const QString title = "顧客台帳";
        Add({.No = 3, .Type = "EXE", .ExecPath = TLinkReceiverFile::Program(),
             .Command = Command(title) + QString::fromUtf8(c.Command), .Caption = title, .EndReq = 5,
             .EveryClose = c.EveryClose});
        std::unique_ptr<TLinkReceiver> running;
        if (c.Running) {
            running = std::make_unique<TLinkReceiver>(Out, title);
            ASSERT_TRUE(running->Start());
        }
        Rec->Shown.clear();
        Link->ClearNotifiedWindows();
        Link->ExecCustProg(3, QString::fromUtf8(c.Number), 1);
        EXPECT_TRUE(Rec->Shown.empty());
        EXPECT_EQ(Captions(), QStringList{title});
        EXPECT_EQ(Link->NotifiedWindows()[0].EndMessage, 1029u);
        ASSERT_TRUE(Received->WaitForCount("PID", c.Pids));
        if (*c.CopyData) {
            ASSERT_TRUE(Received->WaitForCount("COPYDATA", 1));
            EXPECT_EQ(Received->Lines("COPYDATA"), QStringList{QString::fromUtf8(c.CopyData)});
        }
        if (*c.Args) {
            ASSERT_TRUE(Received->WaitForCount("ARGS", c.Pids));
            EXPECT_EQ(Received->Lines("ARGS").last(), QString::fromUtf8(c.Args));
        }
        if (c.Closed) {
            EXPECT_TRUE(Received->WaitForCount("CLOSED", 1));
        }
        EXPECT_EQ(Received->Lines("PID").size(), c.Pids);
        Received->KillAll();
        running.reset();
        WaitGone(title);
    }
    EXPECT_FALSE(QFile::exists("/tmp/kuruten-pwned"));
}

TEST_F(LinkProg, AMissingOrNotExecutableProgramIsReportedAndNotRemembered)
{
    QFile plain(Dir.filePath("plain.txt"));
    plain.open(QIODevice::WriteOnly);
    plain.close();
    for (const QString& path : {Dir.filePath("no-such-program"), plain.fileName(), QString()}) {
        SCOPED_TRACE(path.toStdString());
        Dm().ExecSql("delete from INTERFACE");
        Add({.No = 1, .Type = "EXE", .ExecPath = path, .Command = "--tel=", .Caption = "存在しない"});
        Rec->Shown.clear();
        Link->ExecCustProg(1, "0312345678", 1);
        ASSERT_EQ(Rec->Shown.size(), 1u);
        EXPECT_EQ(Rec->Shown[0].Text, kStartFailed);
        EXPECT_EQ(Rec->Shown[0].Kind, TMsgKind::Warning);
        EXPECT_TRUE(Link->NotifiedWindows().isEmpty());
    }
}

TEST_F(LinkProg, ARepresentativeNumberOfThePhoneBookGoesOut)
{
    Dm().ExecSql("insert into TELS (TEL_NO, CUST_TEL_NON, CALLER, READ_NAME) values ('0312340002', '0312340000', "
                 "'営業部', 'えいぎょうぶ')");
    TLinkReceiver r(Out, "代表");
    ASSERT_TRUE(r.Start());
    Add({.No = 1, .Type = "EXE", .ExecPath = TLinkReceiverFile::Program(), .Caption = "代表"});
    Link->ExecCustProg(1, "0312340002", 1);
    ASSERT_TRUE(r.WaitForCount("COPYDATA", 1));
    EXPECT_EQ(r.Lines("COPYDATA"), QStringList{"1\t0312340000"});
}

TEST_F(LinkProg, AWindowThatNeverAnswersIsLeftAfterTheBoundAndLogged)
{
    TLinkReceiver r(Out, "応答しない");
    ASSERT_TRUE(r.Start({"--no-answer"}));
    Add({.No = 1, .Type = "EXE", .ExecPath = TLinkReceiverFile::Program(), .Caption = "応答しない"});
    NewLogLines();
    Link->ExecCustProg(1, "0312345678", 1);
    EXPECT_TRUE(r.WaitForCount("COPYDATA", 1));
    EXPECT_TRUE(NewLogLines().contains("TfrmMain.ExecCustProg 応答しない が 5000 ms 以内に応答しませんでした。続行します。"));
    EXPECT_EQ(Captions(), QStringList{"応答しない"});
    EXPECT_TRUE(Rec->Shown.empty());
}

TEST_F(LinkProg, TxtWritesTheNumberUnderEachNameRuleAndNudgesOrStartsTheProgram)
{
    TClockOverride clock(QDateTime(QDate(2024, 1, 31), QTime(17, 45, 2, 123)));
    const QString folder = Dir.filePath("link");
    QDir().mkpath(folder);
    const struct
    {
        bool Port, Time;
        int PortNo;
        const char* File;
    } names[] = {
        {true, true, 1, "tel1_20240131174502123.txt"},
        {false, true, 1, "tel_20240131174502123.txt"},
        {true, false, 1, "tel1.txt"},
        {true, false, 0, "tel0.txt"}, // a launch by hand
        {false, false, 1, "tel.txt"},
    };
    // The program is not running: started with the command alone.
    for (const auto& n : names) {
        SCOPED_TRACE(n.File);
        QFile::remove(Out);
        Dm().ExecSql("delete from INTERFACE");
        Add({.No = 2, .Type = "TXT", .ExecPath = TLinkReceiverFile::Program(), .Command = Command("受付") + "--read",
             .Caption = "受付", .TextPath = folder + "/tel.txt", .StartReq = 7, .TextPort = n.Port, .TextDt = n.Time});
        Link->ExecCustProg(2, "0312345678", n.PortNo);
        EXPECT_EQ(FileText(folder + "/" + n.File), "0312345678\r\n");
        ASSERT_TRUE(Received->WaitForCount("ARGS", 1));
        EXPECT_EQ(Received->Lines("ARGS"), QStringList{"--read"});
        Received->KillAll();
        WaitGone("受付");
        QFile::remove(folder + "/" + n.File);
    }
    // Running: the start message; with close-and-restart: closed and started.
    for (const bool everyClose : {false, true}) {
        SCOPED_TRACE(everyClose ? "close and restart" : "running");
        QFile::remove(Out);
        Dm().ExecSql("delete from INTERFACE");
        Add({.No = 2, .Type = "TXT", .ExecPath = TLinkReceiverFile::Program(), .Command = Command("受付") + "--read",
             .Caption = "受付", .TextPath = folder + "/tel.txt", .StartReq = 7, .EveryClose = everyClose});
        TLinkReceiver r(Out, "受付");
        ASSERT_TRUE(r.Start());
        Link->ExecCustProg(2, "0312345678", 1);
        EXPECT_EQ(FileText(folder + "/tel.txt"), "0312345678\r\n");
        if (everyClose) {
            EXPECT_TRUE(r.WaitForCount("CLOSED", 1));
            ASSERT_TRUE(r.WaitForCount("ARGS", 2));
            EXPECT_EQ(r.Lines("ARGS").last(), "--read");
        } else {
            ASSERT_TRUE(r.WaitForCount("MESSAGE", 1));
            EXPECT_EQ(r.Lines("MESSAGE"), QStringList{"1031\t0\t0"});
            EXPECT_EQ(r.Lines("PID").size(), 1);
        }
        r.KillAll();
        WaitGone("受付");
    }
}

TEST_F(LinkProg, TxtWithoutAPathOrIntoAMissingFolderLaunchesNothing)
{
    const struct
    {
        const char* Why;
        QString Path;
        TMsgKind Kind;
        QString Text;
    } cases[] = {
        {"no path", "", TMsgKind::Warning, "テキスト出力先を設定してください。"},
        {"missing folder", Dir.filePath("no/such/folder/tel.txt"), TMsgKind::Error,
         "テキストファイルを書き込めませんでした。\r\n" + Dir.filePath("no/such/folder/tel.txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        Dm().ExecSql("delete from INTERFACE");
        Add({.No = 2, .Type = "TXT", .ExecPath = TLinkReceiverFile::Program(), .Command = Command("受付"),
             .Caption = "受付", .TextPath = c.Path});
        Rec->Shown.clear();
        TShellRecorder shell;
        Link->ExecCustProg(2, "0312345678", 1);
        ASSERT_EQ(Rec->Shown.size(), 1u);
        EXPECT_EQ(Rec->Shown[0].Kind, c.Kind);
        EXPECT_EQ(Rec->Shown[0].Text, c.Text);
        EXPECT_TRUE(shell.Requests.empty());
        EXPECT_TRUE(Link->NotifiedWindows().isEmpty());
    }
}

TEST_F(LinkProg, UrlOpensTheAddressWithTheNumberThroughTheShellOrTheProgram)
{
    const struct
    {
        const char* Number;
        const char* Url;
    } cases[] = {
        {"0312345678", "https://crm.example.jp/search?tel=0312345678"},
        {"03 1234 5678", "https://crm.example.jp/search?tel=03%201234%205678"},
        {"山田&x=1#a", "https://crm.example.jp/search?tel=%E5%B1%B1%E7%94%B0%26x%3D1%23a"},
    };
    Add({.No = 4, .Type = "URL", .Command = "https://crm.example.jp/search?tel="});
    for (const auto& c : cases) {
        TShellRecorder shell;
        Link->ExecCustProg(4, QString::fromUtf8(c.Number), 1);
        ASSERT_EQ(shell.Requests.size(), 1u);
        EXPECT_EQ(shell.Requests[0].Kind, TShellRequest::TKind::OpenUrl);
        EXPECT_EQ(shell.Requests[0].Url.toString(QUrl::FullyEncoded), QString::fromUtf8(c.Url));
    }
    EXPECT_EQ(Captions(), QStringList{""}); // remembered once, never sent to
    {
        TShellRecorder refused(false);
        Link->ExecCustProg(4, "0312345678", 1);
        EXPECT_TRUE(Rec->Saw(kStartFailed));
    }
    // With a program: the program (here found in the program's own folder
    // by its bare name) gets the address.
    const QString script = QFileInfo(Script(Settings->Env().gExeDir + QString("kuruten-browser-%1.sh").arg(getpid()), "ブラウザ")).fileName();
    Dm().ExecSql("update INTERFACE set EXEC_PATH = " + SqlQuote(script));
    Link->ExecCustProg(4, "0312345678", 1);
    ASSERT_TRUE(Received->WaitForCount("ARGS", 1));
    EXPECT_EQ(Received->Lines("ARGS"), QStringList{"https://crm.example.jp/search?tel=0312345678"});
    QFile::remove(Settings->Env().gExeDir + script);
}

TEST_F(LinkProg, NoEntryUnderTheNumberAsksForTheSettings)
{
    int opened = 0;
    Link->OnSettingsRequested = [&opened] { ++opened; };
    Link->ExecCustProg(-1, "0312345678", 1);
    EXPECT_TRUE(Rec->Saw("起動プログラムを設定してください。"));
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(Link->NotifiedWindows().isEmpty());
}

TEST_F(LinkProg, EndRequestsGoOnceToEveryRememberedWindowThatIsStillOpen)
{
    TLinkReceiver a(Out, "連携A");
    ASSERT_TRUE(a.Start());
    TLinkReceiver b(Dir.filePath("b.txt"), "連携B");
    ASSERT_TRUE(b.Start());
    TLinkReceiverFile c(Dir.filePath("c.txt"));
    Add({.No = 1, .Type = "EXE", .ExecPath = TLinkReceiverFile::Program(), .Caption = "連携A", .EndReq = 9});
    Add({.No = 2, .Type = "TXT", .ExecPath = TLinkReceiverFile::Program(), .Caption = "連携B",
         .TextPath = Dir.filePath("tel.txt"), .StartReq = 1, .EndReq = 8});
    Add({.No = 3, .Type = "EXE", .ExecPath = TLinkReceiverFile::Program(),
         .Command = QString("--title 閉じた --out \"%1\" ").arg(c.Out), .Caption = "閉じた", .EndReq = 7});
    Link->ExecCustProg(1, "0312345678", 1);
    Link->ExecCustProg(1, "0312345679", 1); // the same window: remembered once
    Link->ExecCustProg(2, "0312345678", 1);
    Link->ExecCustProg(3, "0312345678", 1); // started, then gone before the end
    ASSERT_TRUE(c.WaitForCount("PID", 1));
    c.KillAll();
    WaitGone("閉じた");
    EXPECT_EQ(Captions(), QStringList({"連携A", "連携B", "閉じた"}));
    NewLogLines();
    Link->SendEndReq();
    EXPECT_TRUE(a.WaitForCount("MESSAGE", 1));
    EXPECT_TRUE(b.WaitForCount("MESSAGE", 2)); // the start message, then the end
    EXPECT_EQ(a.Lines("COPYDATA"), QStringList({"1\t0312345678", "1\t0312345679"}));
    EXPECT_EQ(a.Lines("MESSAGE"), QStringList{"1033\t0\t0"});
    EXPECT_EQ(b.Lines("MESSAGE"), QStringList({"1025\t0\t0", "1032\t0\t0"}));
    const QStringList log = NewLogLines();
    EXPECT_TRUE(log.contains("TfrmMain.SendEndReq"));
    EXPECT_TRUE(log.contains("SendEndReq Caption=閉じた wk=0 EndReq=1031"));
}

TEST_F(LinkProg, TheMenuListsTheEntriesAndMarksTheChosenOne)
{
    Add({.No = 2, .Type = "URL", .Command = "https://a.example/"});
    Add({.No = 1, .Type = "EXE", .ExecPath = "/bin/true"});
    Add({.No = 5, .Type = "TXT", .ExecPath = "/bin/true"});
    const struct
    {
        bool Enabled;
        int IfNo;
        const char* Default;
    } cases[] = {{true, 2, "mnuIf2"}, {true, 9, ""}, {false, 2, ""}};
    QMenu menu;
    QList<int> launched;
    int own = 0;
    Link->SetLinkMenu(menu, [&](int no) { launched << no; }, [&] { ++own; });
    QStringList names;
    for (QAction* a : menu.actions()) names << a->objectName() + "=" + a->text();
    EXPECT_EQ(names, QStringList({"mnuIf1=連携1", "mnuIf2=連携2", "mnuIf5=連携5", "mnuOwnCust=くるてんの顧客情報"}));
    menu.actions()[2]->trigger();
    menu.actions()[3]->trigger();
    EXPECT_EQ(launched, QList<int>{5});
    EXPECT_EQ(own, 1);
    for (const auto& c : cases) {
        Settings->LinkEnabled = c.Enabled;
        Settings->LinkIfNo = c.IfNo;
        Link->SetLinkMenuDefault(menu);
        EXPECT_EQ(menu.defaultAction() ? menu.defaultAction()->objectName() : QString(), QString(c.Default));
    }
}

int main(int argc, char** argv)
{
    return RunTestsOnPrivateDisplay(argc, argv, gHaveX);
}

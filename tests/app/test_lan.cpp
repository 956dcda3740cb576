// A server copy and a client copy sharing one database on the local Firebird
// server; call and refresh notices travel on loopback only.
#include "db_test_util.h"
#include "dm_cmn_u.h"
#include "frm_main_u.h"
#include "program_fixture.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QProcess>
#include <unistd.h>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

using namespace ProgramTest;

namespace {
QByteArray LanIni(const QString& db, int clientPort, int serverPort, bool client)
{
    QByteArray ini = QStringLiteral("[KURUTEN_DB]\nDB_PATH=%1\n").arg(db).toUtf8();
    if (client) ini += "CLIENT=1\n";
    ini += QStringLiteral("[UDP]\nBROADCAST_ADDRESS=127.0.0.1\nCLIENT_PORT=%1\nSERVER_PORT=%2\n")
               .arg(clientPort)
               .arg(serverPort)
               .toUtf8();
    return ini;
}

} // namespace

TEST(Lan, ServerCallAndMemoChangeReachTheClient)
{
    REQUIRE_FB_SERVER();
    const QString db = QStringLiteral("localhost:") + DbTest::ServerFolder() + QStringLiteral("/lan.fdb");
    DbTest::CreateDatabase(db, TdmCmn::BaseTableStatements());
    const int clientPort = TestEnv::FreeUdpPort(); // the server copy sends from here
    const int serverPort = TestEnv::FreeUdpPort(); // clients listen here

    TSession server(LanIni(db, clientPort, serverPort, false));
    TSession client(LanIni(db, clientPort, serverPort, true));
    auto serverProc = server.Start();
    ASSERT_TRUE(server.WaitForLog("Soft Phone Ver. ", 30000)) << server.Messages().toStdString();
    EXPECT_TRUE(server.LogText().contains("(ｻｰﾊﾞｰ)"));
    auto clientProc = client.Start();
    ASSERT_TRUE(client.WaitForLog("Soft Phone Ver. ", 30000)) << client.Messages().toStdString();
    ASSERT_TRUE(client.LogText().contains("InitNMUDP Client"));

    // A number handed to the server: logged there, shown on the client.
    ASSERT_EQ(server.Run({"/s", "0312345678"}), 0);
    ASSERT_TRUE(server.WaitForLog("LogNo1="));
    const QRegularExpression logNoRe("LogNo1=(\\d+)");
    const QString logNo = logNoRe.match(server.LogText()).captured(1);
    ASSERT_FALSE(logNo.isEmpty());
    ASSERT_TRUE(client.WaitForLog("★TelReceiveProc TelNo=0312345678 LogNo=" + logNo + " PortNo=1"));
    EXPECT_TRUE(client.WaitForLog("MSG_TEL_HEAD"));

    // A number handed to the client is not processed there.
    ASSERT_EQ(client.Run({"/s", "0399999999"}), 0);
    EXPECT_TRUE(client.WaitForLog(QStringLiteral("OnDemoActivate: clientのため処理抜ける")));

    // A memo change made on a server copy reloads the client's history.
    {
        TSettings settings(server.Root, TEnvValues{"SRV2", "127.0.0.1", "TESTER", "/tmp/"});
        settings.Initialize();
        TLog log(settings.LogFolder(), "SRV2");
        TLog::SetCurrent(&log);
        TMsgRecorder rec(mbNo);
        TAppState state;
        TdmCmn dm(settings);
        {
            TfrmMain frm(settings, state, dm);
            ASSERT_TRUE(frm.FormCreate());
            EXPECT_EQ(DbTest::Scalar(dm, "select count(*) from LOG"), "1"); // the client wrote no row
            EXPECT_EQ(DbTest::Scalar(dm, "select count(*) from TELS"), "1");
            const qsizetype before = client.LogText().count("MSG_NOT_TEL_HEAD");
            Msg::SetDialogResponder([](QDialog& dlg) {
                dlg.findChild<QPlainTextEdit*>("mmoMemo")->setPlainText(QStringLiteral("折り返し電話"));
                dlg.findChild<QPushButton*>("btnOk")->click();
                return dlg.result();
            });
            frm.EditCallMemo(logNo, QString());
            Msg::SetDialogResponder({});
            EXPECT_EQ(DbTest::Scalar(dm, "select TEL_MEMO from LOG where LOG_NO = " + logNo), QStringLiteral("折り返し電話"));
            QElapsedTimer t;
            t.start();
            while (client.LogText().count("MSG_NOT_TEL_HEAD") == before && t.elapsed() < 15000) QThread::msleep(50);
            EXPECT_GT(client.LogText().count("MSG_NOT_TEL_HEAD"), before);
        }
        dm.CloseDatabase();
        TLog::SetCurrent(nullptr);
    }
    // The client reloads its history after the notice (it may still be at it).
    auto tail = [&] { return client.LogText().mid(client.LogText().lastIndexOf("MSG_NOT_TEL_HEAD")); };
    QElapsedTimer reload;
    reload.start();
    while (!tail().contains("TfraCust.MakeLogGrid end") && reload.elapsed() < 15000) QThread::msleep(50);
    EXPECT_TRUE(tail().contains("TfrmMain.RefreshTables begin"));
    EXPECT_TRUE(tail().contains("TfraCust.MakeLogGrid end"));

    Stop(*clientProc);
    Stop(*serverProc);
    DbTest::DropDatabase(db);
}

TEST(Lan, CallSurvivesALostServerConnection)
{
    REQUIRE_FB_SERVER();
    if (geteuid() != 0) GTEST_SKIP() << "restarting the server needs root";
    const QString db = QStringLiteral("localhost:") + DbTest::ServerFolder() + QStringLiteral("/lost.fdb");
    DbTest::CreateDatabase(db, TdmCmn::BaseTableStatements());
    const QString root = TestEnv::FreshDataRoot();
    qputenv("XDG_CONFIG_HOME", (root + "/cfg").toUtf8());
    TSettings settings(root, TEnvValues{"SRV", "127.0.0.1", "TESTER", "/tmp/"});
    QDir().mkpath(settings.DataFolder());
    {
        QFile ini(settings.SettingsFile());
        ini.open(QIODevice::WriteOnly);
        ini.write(LanIni(db, TestEnv::FreeUdpPort(), TestEnv::FreeUdpPort(), false));
    }
    settings.Initialize();
    TLog log(settings.LogFolder(), "SRV");
    TLog::SetCurrent(&log);
    TMsgRecorder boxes(mbNo);
    TAppState state;
    TdmCmn dm(settings);
    auto script = [](const char* action) {
        return QProcess::execute(TestEnv::SourceDir() + "/scripts/firebird-server.sh", {action});
    };
    {
        TfrmMain frm(settings, state, dm);
        ASSERT_TRUE(frm.FormCreate());
        boxes.Shown.clear(); // questions of the schema upgrade

        // Restarted under the running program: one reconnection, one retry, the call goes through.
        ASSERT_EQ(script("stop"), 0);
        ASSERT_EQ(script("start"), 0);
        frm.TelReceiveProc("0311112222", "", 1, "");
        EXPECT_EQ(DbTest::Scalar(dm, "select count(*) from LOG where TEL_NO = '0311112222'"), "1");
        for (const auto& b : boxes.Shown) ADD_FAILURE() << b.Text.toStdString();

        // Down for good: the retry fails too, the handler shows it, the program goes on.
        ASSERT_EQ(script("stop"), 0);
        frm.SubmitIncomingCall("0322223333", "", 1, "");
        QElapsedTimer t;
        t.start();
        while (boxes.Shown.empty() && t.elapsed() < 30000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_FALSE(boxes.Shown.empty());
        EXPECT_EQ(boxes.Shown[0].Kind, TMsgKind::Error);
        QFile f(log.CurrentFile());
        f.open(QIODevice::ReadOnly);
        EXPECT_TRUE(f.readAll().contains("This is on AppException Proc., E.Message="));

        // Back again: the next call is logged.
        ASSERT_EQ(script("start"), 0);
        frm.TelReceiveProc("0344445555", "", 1, "");
        EXPECT_EQ(DbTest::Scalar(dm, "select count(*) from LOG where TEL_NO = '0344445555'"), "1");
    }
    dm.CloseDatabase();
    TLog::SetCurrent(nullptr);
    DbTest::DropDatabase(db);
}

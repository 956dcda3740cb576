// A server copy and a client copy sharing one database on the local Firebird
// server; call and refresh notices travel on loopback only.
#include "db_test_util.h"
#include "dm_cmn_u.h"
#include "frm_main_u.h"
#include "program_session.h"

#include <gtest/gtest.h>

#include <QDialog>
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
    const QString tail = client.LogText().mid(client.LogText().lastIndexOf("MSG_NOT_TEL_HEAD"));
    EXPECT_TRUE(tail.contains("TfrmMain.RefreshTables begin"));
    EXPECT_TRUE(tail.contains("TfraCust.MakeLogGrid end"));

    Stop(*clientProc);
    Stop(*serverProc);
    DbTest::DropDatabase(db);
}

// The main window with its softphone on loopback: a registrar and a caller
// from sipp, a call that rings, enters the pipeline and is answered or
// rejected from the window's buttons.
#include "db_test_util.h"
#include "dm_cmn_u.h"
#include "frm_main_u.h"
#include "log_u.h"
#include "scenarios_test_util.h"
#include "settings_u.h"
#include "single_instance_u.h"
#include "sipp_test_util.h"
#include "softphone_u.h"
#include "env_test_util.h"
#include "vaxsip_agent_u.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

using Scenario::TUacEnd;

TEST(EndToEnd, SipCallReachesTheScreenAndTheDatabase)
{
    const QString root = TestEnv::FreshDataRoot();
    qputenv("XDG_CONFIG_HOME", (root + "/cfg").toUtf8());
    TEnvValues env{"PC01", "127.0.0.1", "TESTER", TestEnv::SourceDir() + "/resources/"};
    TSettings settings(root, env);
    QDir().mkpath(settings.DataFolder());
    {
        QFile ini(settings.SettingsFile());
        ini.open(QIODevice::WriteOnly);
        ini.write(TestEnv::LoopbackUdpIni());
    }
    settings.Initialize();
    TLog log(settings.LogFolder(), "PC01");
    TLog::SetCurrent(&log);
    TMsgRecorder boxes;
    boxes.Decide = [](const TMsgRequest& r) { return (r.Buttons & mbNo) ? int(mbNo) : int(mbOK); };

    TSipp registrar(Scenario::Registrar("100", "secret"), QString(), 3);
    ASSERT_TRUE(registrar.Start());

    TAppState state;
    TdmCmn dm(settings);
    {
        TfrmMain frm(settings, state, dm);
        frm.SipStart.DnsServers = {"127.0.0.1"};
        frm.SipStart.BindToListenAddress = true;
        frm.SipStart.UseFiles = true;
        ASSERT_TRUE(frm.FormCreate());
        TAccount account;
        account.UserId = "100";
        account.Password = "secret";
        account.SipProxy = registrar.Address();
        account.RegistProxy = true;
        account.Codecs = "2,3";
        dm.ReplaceAccount(account);
        ASSERT_TRUE(dm.InsertTels({"0312345678", "0312345678", QStringLiteral("山田商店"), QStringLiteral("やまだ")}));

        auto* status = frm.findChild<QLabel*>("stbPanel1");
        frm.show(); // first show: load the account, register
        ASSERT_TRUE(SipTest::WaitFor([&] { return status->text() == QStringLiteral("オンライン"); }))
            << status->text().toStdString();
        EXPECT_TRUE(frm.findChild<QLabel*>("stbPanel2")->text().contains(" / OCX ver. liblinphone"));
        const QString engine = QStringLiteral("127.0.0.1:%1").arg(frm.Phone()->gVaxObjects[0]->ListenPort());

        // A call that is answered from the window and ended by the caller.
        {
            TSipp caller(Scenario::Uac(TUacEnd::ExpectAnswerThenBye, QStringLiteral("0312345678"), "caller"), engine);
            ASSERT_TRUE(caller.Start());
            auto* name = frm.findChild<QLabel*>("pnlCallName");
            ASSERT_TRUE(SipTest::WaitFor([&] { return name->text() == QStringLiteral("山田商店"); }));
            EXPECT_EQ(frm.findChild<QLineEdit*>("edtCall")->text(), "0312345678");
            EXPECT_EQ(DbTest::Scalar(dm, "select TEL_TYPE from LOG where TEL_NO = '0312345678'"), QStringLiteral("着信"));
            EXPECT_EQ(DbTest::Scalar(dm, "select PORT_NO from LOG where TEL_NO = '0312345678'"), "1");
            EXPECT_EQ(frm.findChild<QListWidget*>("lbxIncomTel")->count(), 1);
            auto* dial = frm.findChild<QPushButton*>("btnDial");
            EXPECT_EQ(dial->text(), QStringLiteral("受話"));
            dial->click();
            ASSERT_TRUE(SipTest::WaitFor([&] { return status->text() == QStringLiteral("通話中"); }));
            EXPECT_TRUE(caller.Finish()) << caller.Output().toStdString();
            ASSERT_TRUE(SipTest::WaitFor([&] { return status->text() == QStringLiteral("オンライン"); }));
            EXPECT_EQ(frm.findChild<QTableWidget*>("sgdLog")->item(0, 4)->text(), QStringLiteral("山田商店"));
        }
        auto handOff = [&frm](const QString& text) {
            THandOffPacket p;
            p.DwData = 1;
            p.Data = text.toUtf8();
            frm.OnDemoActivate(p);
        };
        // A call from an unknown number, rejected by a hand-off command.
        {
            TSipp caller(Scenario::Uac(TUacEnd::ExpectReject, QString(), "0399990000"), engine);
            ASSERT_TRUE(caller.Start());
            ASSERT_TRUE(SipTest::WaitFor([&] {
                return frm.findChild<QLabel*>("pnlCallName")->text() == QStringLiteral("発信者不明");
            }));
            EXPECT_EQ(DbTest::Scalar(dm, "select count(*) from TELS where TEL_NO = '0399990000'"), "1");
            handOff("kuruten:HangUp");
            EXPECT_TRUE(caller.Finish()) << caller.Output().toStdString();
            EXPECT_EQ(frm.findChild<QListWidget*>("lbxIncomTel")->count(), 0);
        }
        // A call answered by a hand-off command; the caller hangs up.
        {
            TSipp caller(Scenario::Uac(TUacEnd::ExpectAnswerThenBye, QString(), "0311110000"), engine);
            ASSERT_TRUE(caller.Start());
            ASSERT_TRUE(SipTest::WaitFor([&] { return frm.findChild<QListWidget*>("lbxIncomTel")->count() == 1; }));
            handOff("KURUTEN:IncAcceptCall");
            ASSERT_TRUE(SipTest::WaitFor([&] { return status->text() == QStringLiteral("通話中"); }));
            EXPECT_TRUE(caller.Finish()) << caller.Output().toStdString();
            ASSERT_TRUE(SipTest::WaitFor([&] { return status->text() == QStringLiteral("オンライン"); }));
        }
        EXPECT_EQ(DbTest::Scalar(dm, "select count(*) from LOG where TEL_TYPE = '着信'"), "3");
        frm.FormDestroy();
    }
    dm.CloseDatabase();
    TLog::SetCurrent(nullptr);
}

TEST(EndToEnd, CallerWithALongDisplayNameIsLoggedByNumberAndShownByName)
{
    const QString root = TestEnv::FreshDataRoot();
    qputenv("XDG_CONFIG_HOME", (root + "/cfg").toUtf8());
    TEnvValues env{"PC01", "127.0.0.1", "TESTER", TestEnv::SourceDir() + "/resources/"};
    TSettings settings(root, env);
    QDir().mkpath(settings.DataFolder());
    {
        QFile ini(settings.SettingsFile());
        ini.open(QIODevice::WriteOnly);
        ini.write(TestEnv::LoopbackUdpIni());
    }
    settings.Initialize();
    TLog log(settings.LogFolder(), "PC01");
    TLog::SetCurrent(&log);
    TMsgRecorder boxes;
    boxes.Decide = [](const TMsgRequest& r) { return (r.Buttons & mbNo) ? int(mbNo) : int(mbOK); };

    TAppState state;
    TdmCmn dm(settings);
    {
        TfrmMain frm(settings, state, dm);
        frm.SipStart.DnsServers = {"127.0.0.1"};
        frm.SipStart.BindToListenAddress = true;
        frm.SipStart.UseFiles = true;
        ASSERT_TRUE(frm.FormCreate());
        TAccount account;
        account.UserId = "100";
        account.Password = "secret";
        account.SipProxy = "127.0.0.1:5999";
        account.RegistProxy = false;
        account.Codecs = "2,3";
        dm.ReplaceAccount(account);
        frm.show();
        ASSERT_TRUE(SipTest::WaitFor([&] { return frm.Phone()->gVaxObjects[0]->VaxIsLineOpen(0); }));
        const QString engine = QStringLiteral("127.0.0.1:%1").arg(frm.Phone()->gVaxObjects[0]->ListenPort());

        // A PBX that forwards from the main line puts the caller's name there.
        const QString name = QStringLiteral("田中商事 営業部 山田太郎様 (代表番号からの転送)");
        TSipp caller(Scenario::Uac(TUacEnd::Cancel, name, "0312345678"), engine);
        ASSERT_TRUE(caller.Start());
        auto* shown = frm.findChild<QLabel*>("pnlCallName");
        ASSERT_TRUE(SipTest::WaitFor([&] { return shown->text() == name; })) << shown->text().toStdString();
        EXPECT_EQ(frm.findChild<QLineEdit*>("edtCall")->text(), "0312345678");
        EXPECT_EQ(DbTest::Scalar(dm, "select count(*) from LOG where TEL_NO = '0312345678'"), "1");
        EXPECT_EQ(DbTest::Scalar(dm, "select CALLER from TELS where TEL_NO = '0312345678'"), name);
        EXPECT_TRUE(caller.Finish()) << caller.Output().toStdString();
        for (const auto& b : boxes.Shown) EXPECT_NE(b.Kind, TMsgKind::Error) << b.Text.toStdString();
        frm.FormDestroy();
    }
    dm.CloseDatabase();
    TLog::SetCurrent(nullptr);
}

#include "main_fixture.h"
#include "cp932_u.h"
#include "dm_cmn_u.h"
#include "frm_main_u.h"
#include "record_tabs_u.h"
#include "log_u.h"
#include "settings_u.h"
#include "env_test_util.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTabWidget>
#include <QTest>
#include <QUdpSocket>



TEST(FrmMain, LayoutAfterCreate)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    EXPECT_TRUE(QFileInfo::exists(f.settings->DefaultDatabaseFile()));
    EXPECT_EQ(f.frm->windowTitle(), QStringLiteral("くるてん３"));
    EXPECT_FALSE(f.frm->windowFlags() & Qt::WindowCloseButtonHint);
    // The hint panel is 400 wide where the version text leaves room for it.
    EXPECT_EQ(f.Find<QLabel>("stbPanel0")->maximumWidth(), 400);
    EXPECT_EQ(f.Find<QLabel>("stbPanel1")->minimumWidth(), 150);
    EXPECT_GE(f.Find<QLabel>("stbPanel2")->minimumWidth(), 50);
    EXPECT_TRUE(f.Find<QLabel>("stbPanel2")->text().startsWith("Soft Phone Ver. 3.0.0.0 (ｽﾀﾝﾄﾞｱﾛﾝ) / OCX ver. "));
    EXPECT_EQ(f.settings->ReadText("HANDLE", "MAIN_FORM"), QString::number(qulonglong(f.frm->winId())));
    EXPECT_EQ(f.Find<QPushButton>("btnDial")->toolTip(), QStringLiteral("電話をかけます。"));
    auto* grid = f.Find<QTableWidget>("sgdLog");
    EXPECT_EQ(grid->rowCount(), 1); // a day without calls: one empty row
    EXPECT_TRUE(grid->isColumnHidden(3));
    EXPECT_TRUE(grid->isColumnHidden(6)); // handling column only with the handling feature
    EXPECT_EQ(grid->columnWidth(0), 149);
    EXPECT_EQ(grid->horizontalHeaderItem(4)->text(), QStringLiteral("顧客名"));
}

TEST(FrmMain, DetailedLogMenu)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    auto* detail = f.Find<QAction>("mnuDetailLog");
    auto* open = f.Find<QAction>("mnuOpenLog");
    EXPECT_TRUE(detail->isChecked());
    EXPECT_TRUE(open->isEnabled());

    detail->trigger(); // off
    EXPECT_FALSE(f.log->Detailed());
    EXPECT_EQ(f.settings->ReadText("COMMON", "DEBUG"), "0");
    EXPECT_TRUE(QFileInfo::exists(f.log->CurrentFile()));

    detail->trigger(); // on: a fresh file
    EXPECT_TRUE(f.log->Detailed());
    EXPECT_EQ(f.settings->ReadText("COMMON", "DEBUG"), "1");
    EXPECT_FALSE(QFileInfo::exists(f.log->CurrentFile()));
    EXPECT_FALSE(open->isEnabled());

    TMsgRecorder boxes;
    open->setEnabled(true); // a menu opened before the file went away
    open->trigger();
    EXPECT_TRUE(boxes.Saw(QStringLiteral("ログファイルはありません。")));
    f.log->WriteAlways("x");
    emit f.Find<QMenu>("PopLog")->aboutToShow();
    EXPECT_TRUE(open->isEnabled());
}

TEST(FrmMain, RegistryRoundTripAndAbortedStartWritesNothing)
{
    {
        TMainFixture f;
        ASSERT_TRUE(f.frm->FormCreate());
        f.frm->ExportPaths().ExpPath = "/tmp/x.csv";
        f.frm->ExportPaths().ExportDelCrlfTai = false;
        f.frm->setGeometry(40, 50, 900, 400);
        f.frm->WriteRegistry();
        QSettings reg("hoshiba", "kuruten3");
        EXPECT_EQ(reg.value("Initialize/frmMainWidth").toString(), "900");
        EXPECT_EQ(reg.value("Initialize/ExportDelCrlfTai").toString(), "0");

        TfrmMain again(*f.settings, f.state, *f.dm);
        again.ReadRegistry();
        EXPECT_EQ(again.ExportPaths().ExpPath, "/tmp/x.csv");
        EXPECT_FALSE(again.ExportPaths().ExportDelCrlfTai);
        EXPECT_TRUE(again.ExportPaths().ExportDelCrlfTel);
        EXPECT_EQ(again.width(), 900);
    }
    {
        TMainFixture f;
        f.state.StartAborted = true;
        f.frm->FormDestroy();
        EXPECT_FALSE(QFileInfo::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + "/hoshiba/kuruten3.conf"));
        EXPECT_FALSE(f.settings->ReadText("SIP", "AUDIO_OUT_VOL", "<none>") != "<none>");
    }
}

TEST(FrmMain, ResidentModeAndCloseButtons)
{
    // Hiding to the icon is tested where a notification area exists (test_tray).
    TMainFixture f("[BASIC]\nJOUCHU=1\n");
    ASSERT_TRUE(f.frm->FormCreate());
    auto* close = f.Find<QPushButton>("btnClose");
    EXPECT_EQ(close->text(), QStringLiteral("閉じる"));
    EXPECT_EQ(close->toolTip(), QStringLiteral("画面を閉じて待機します。"));
    f.frm->show();
    close->click();
    EXPECT_TRUE(f.LogText().contains("TfrmMain.btnCloseClick 常駐")); // resident: the program goes on
    EXPECT_FALSE(f.LogText().contains("TfrmMain.FormClose"));
    f.frm->Open1Click();
    EXPECT_TRUE(f.frm->isVisible());
    EXPECT_FALSE(f.frm->isMinimized());
    f.frm->LeaveResident();
    EXPECT_EQ(close->text(), QStringLiteral("終了"));
    EXPECT_FALSE(f.frm->IconPresent());
}

TEST(FrmMain, MissingHelpFileWarns)
{
    TMainFixture f(QByteArray(), "/nonexistent/");
    ASSERT_TRUE(f.frm->FormCreate());
    TMsgRecorder boxes;
    f.Find<QPushButton>("btnHelp")->click();
    EXPECT_TRUE(boxes.Saw(QStringLiteral("ヘルプファイルが見つかりません。")));
    EXPECT_TRUE(QFileInfo::exists(TestEnv::SourceDir() + "/resources/help/index.html"));
}

TEST(Pipeline, KnownUnknownUpgradedAndWithheldCallers)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    TTels known{"0311112222", "0311112222", QStringLiteral("山田商店"), QStringLiteral("やまだしょうてん")};
    ASSERT_TRUE(f.dm->InsertTels(known));
    auto* name = f.Find<QLabel>("pnlCallName");
    auto* number = f.Find<QLineEdit>("edtCall");

    f.frm->TelReceiveProc("0311112222", "", 1, "");
    EXPECT_EQ(name->text(), QStringLiteral("山田商店"));
    EXPECT_EQ(number->text(), "0311112222");

    // Unknown: registered once with the unknown caller's name.
    f.frm->TelReceiveProc("0399998888", "", 1, "");
    EXPECT_EQ(name->text(), QStringLiteral("発信者不明"));
    EXPECT_EQ(f.Scalar("select CALLER from TELS where TEL_NO = '0399998888'"), QStringLiteral("発信者不明"));
    EXPECT_EQ(f.Scalar("select READ_NAME from TELS where TEL_NO = '0399998888'"), QStringLiteral("はっしんしゃふめい"));

    // A customer with that number appears: the next call takes the customer's name.
    TCust cust;
    cust.CUST_TEL = "03-9999-8888";
    cust.CUST_TEL_NON = "0399998888";
    cust.CUST_NAME = QStringLiteral("株式会社髙橋");
    cust.CUST_KANA = QStringLiteral("カブシキガイシャタカハシ");
    f.dm->InsertCustData(cust);
    f.frm->TelReceiveProc("0399998888", "", 1, "");
    EXPECT_EQ(name->text(), QStringLiteral("株式会社髙橋"));
    EXPECT_EQ(f.Scalar("select count(*) from TELS where TEL_NO = '0399998888'"), "1");

    // A named row keeps its name whatever the customer table says.
    cust.CUST_TEL_NON = "0311112222";
    cust.CUST_NAME = QStringLiteral("別の名前");
    f.dm->InsertCustData(cust);
    f.frm->TelReceiveProc("0311112222", "", 1, "");
    EXPECT_EQ(name->text(), QStringLiteral("山田商店"));

    // Withheld: stored as one space, shown empty.
    f.frm->TelReceiveProc("", "", 1, "");
    EXPECT_EQ(number->text(), QString());
    EXPECT_EQ(f.Scalar("select count(*) from LOG where TEL_NO = ' '"), "1");
    EXPECT_EQ(f.Scalar("select count(*) from TELS where TEL_NO = ' '"), "1");

    // Five incoming rows in the history (calls within one second may come in any order).
    EXPECT_EQ(f.Scalar("select count(*) from LOG where TEL_TYPE = '着信'"), "5");
    ASSERT_EQ(f.Find<QTableWidget>("sgdLog")->rowCount(), 5);
    QStringList shown;
    for (int r = 0; r < 5; ++r) shown << f.Grid(r, 1) + "|" + f.Grid(r, 2) + "|" + f.Grid(r, 4);
    shown.sort();
    EXPECT_EQ(shown, QStringList({QStringLiteral(" |着信|発信者不明"), QStringLiteral("0311112222|着信|山田商店"),
                                  QStringLiteral("0311112222|着信|山田商店"), QStringLiteral("0399998888|着信|株式会社髙橋"),
                                  QStringLiteral("0399998888|着信|株式会社髙橋")}));
    EXPECT_TRUE(f.LogText().contains("★TelReceiveProc TelNo=0399998888 LogNo= PortNo=1 CalledReadName="));
    EXPECT_TRUE(f.LogText().contains("not found tel"));
}

TEST(Pipeline, HistoryKindsAndStatement)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    f.frm->TelReceiveProc("0311110000", "", 1, "");
    f.frm->CallDataInsert("0322220000", 1);
    EXPECT_EQ(f.Scalar("select TEL_TYPE from LOG where TEL_NO = '0322220000'"), QStringLiteral("発信"));
    EXPECT_EQ(f.Scalar("select CALLER from TELS where TEL_NO = '0322220000'"), QStringLiteral("発信者不明"));

    const std::pair<int, QStringList> kinds[] = {
        {0, {QStringLiteral("着信")}},
        {1, {QStringLiteral("発信")}},
        {2, {QStringLiteral("発信"), QStringLiteral("着信")}},
    };
    for (const auto& [kind, types] : kinds) {
        f.Find<QRadioButton>(QStringLiteral("rbTelType%1").arg(kind))->click();
        ASSERT_EQ(f.Find<QTableWidget>("sgdLog")->rowCount(), types.size());
        QStringList got;
        for (int r = 0; r < types.size(); ++r) got << f.Grid(r, 2);
        got.sort();
        EXPECT_EQ(got, types);
    }
    const QString today = QDate::currentDate().toString("yyyy/MM/dd");
    const QString tomorrow = QDate::currentDate().addDays(1).toString("yyyy/MM/dd");
    EXPECT_TRUE(f.LogText().contains(
        "strSql=select g.*, t.CUST_TEL_NON, t.CALLER, t.READ_NAME, a.ACT_NO from LOG g left join TELS t on t.TEL_NO = "
        "g.TEL_NO left join ACCEPT_T a on a.LOG_NO = g.LOG_NO where g.DT_FROM >= '" + today +
        "' and g.DT_FROM < '" + tomorrow + "' and g.TEL_TYPE = '着信' order by g.DT_FROM desc"));

    // Another day: empty, the number box and panel are cleared.
    f.Find<QPushButton>("btnPrevDay")->click();
    EXPECT_EQ(f.Find<QTableWidget>("sgdLog")->rowCount(), 1);
    EXPECT_EQ(f.Grid(0, 1), QString());
    EXPECT_EQ(f.Find<QLineEdit>("edtCall")->text(), QString());
}

TEST(Pipeline, CallInterruptsRunningRefreshAndCallsKeepTheirOrder)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    f.log->SetDetailed(false);
    QFile::remove(f.log->CurrentFile());
    f.log->SetDetailed(true);

    f.frm->SubmitIncomingCall("0300000001", "", 1, "");
    f.frm->SubmitIncomingCall("0300000002", "", 1, "");
    TUpTable all;
    all.UpLog = all.UpTels = all.UpAccept = all.UpUser = all.UpActType = all.UpActResult = all.UpCustOption =
        all.UpCustOptionData = true;
    f.frm->RefreshTables(all); // the queued calls arrive during its first step
    ASSERT_TRUE(f.WaitFor([&] { return f.Scalar("select count(*) from LOG") == "2"; }));
    ASSERT_TRUE(f.WaitFor([&] { return !f.frm->RefreshBusy(); }));

    const QString text = f.LogText();
    const qsizetype begin = text.indexOf("TfrmMain.RefreshTables begin");
    const qsizetype call1 = text.indexOf("★TelReceiveProc TelNo=0300000001");
    const qsizetype call2 = text.indexOf("★TelReceiveProc TelNo=0300000002");
    ASSERT_GE(begin, 0);
    ASSERT_GT(call1, begin);
    EXPECT_GT(call2, call1);
    // The interrupted refresh wrote no end line before the first call ran.
    EXPECT_EQ(text.mid(begin, call1 - begin).indexOf("TfrmMain.RefreshTables end"), -1);
    EXPECT_EQ(f.Find<QLineEdit>("edtCall")->text(), "0300000002"); // the last call is on screen
    EXPECT_EQ(f.Find<QLabel>("pnlCallName")->text(), QStringLiteral("発信者不明"));
}

TEST(Memo, ByteLimitQuotesAndLineBreaks)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    f.frm->TelReceiveProc("0312345678", "", 1, "");
    const QString logNo = f.Scalar("select max(LOG_NO) from LOG");

    struct Case { QString memo; bool accepted; };
    const Case cases[] = {
        {QString(4000, QChar('a')), true},
        {QString(2001, QChar(0x3042)), false},               // 4002 CP932 bytes
        {QStringLiteral("It's 'quoted'\n二行目"), true},
    };
    for (const Case& c : cases) {
        bool accepted = false;
        Msg::SetDialogResponder([&](QDialog& dlg) {
            dlg.setResult(0); // as exec() starts
            dlg.findChild<QPlainTextEdit*>("mmoMemo")->setPlainText(c.memo);
            dlg.findChild<QPushButton*>("btnOk")->click();
            accepted = dlg.result() == QDialog::Accepted;
            return dlg.result();
        });
        TMsgRecorder boxes;
        f.frm->EditCallMemo(logNo, QString());
        Msg::SetDialogResponder({});
        EXPECT_EQ(accepted, c.accepted);
        EXPECT_EQ(boxes.Saw(QStringLiteral("文字数が規定範囲を超えています。(最大半角4000文字)")), !c.accepted);
        if (c.accepted) {
            QString stored = c.memo;
            stored.replace("\n", "\r\n");
            EXPECT_EQ(f.Scalar("select TEL_MEMO from LOG where LOG_NO = " + logNo), stored);
            QString shown = f.Grid(0, 5);
            EXPECT_EQ(shown, stored);
        }
    }
    // Not a log number: nothing opens.
    bool opened = false;
    Msg::SetDialogResponder([&](QDialog&) { opened = true; return int(QDialog::Rejected); });
    f.frm->EditCallMemo("", "x");
    Msg::SetDialogResponder({});
    EXPECT_FALSE(opened);
}

TEST(Pipeline, NumberBoxShowsCallerNameWithoutWriting)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    ASSERT_TRUE(f.dm->InsertTels({"0312340000", "0312340000", QStringLiteral("鈴木"), QStringLiteral("すずき")}));
    auto* edt = f.Find<QLineEdit>("edtCall");
    edt->setText("0312340000");
    emit edt->editingFinished();
    EXPECT_EQ(f.Find<QLabel>("pnlCallName")->text(), QStringLiteral("鈴木"));
    edt->setText("0399990000");
    emit edt->editingFinished();
    EXPECT_EQ(f.Find<QLabel>("pnlCallName")->text(), QStringLiteral("発信者不明"));
    EXPECT_EQ(f.Scalar("select count(*) from TELS"), "1");
}

TEST(FrmMain, CustomerTabsCloseFromTheirMarkOnlyWhileBrowsing)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    f.frm->resize(1000, 600);
    f.frm->show();
    auto* pages = f.Find<QTabWidget>("PageMain");
    auto* bar = f.Find<TRecordTabBar>("PageMainTabs");
    EXPECT_FALSE(pages->isTabVisible(1)); // handling history only with the feature
    const QString caption1 = QStringLiteral("山田商店　　　　　　　　　　　B");
    const QString caption2 = QStringLiteral("株式会社髙橋　　　　　　　　　E");
    f.frm->AddCustomerPage(new QWidget, caption1);
    f.frm->AddCustomerPage(new QWidget, caption2);
    EXPECT_EQ(TRecordTabBar::DrawnCaption(caption1), caption1.left(15) + " ");
    EXPECT_EQ(bar->MarkImage(), 1); // editing

    auto clickCloseZone = [&] {
        const QRect r = bar->tabRect(pages->currentIndex());
        QTest::mouseMove(bar, QPoint(r.right() - 5, r.center().y()));
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(r.right() - 5, r.center().y()));
    };
    clickCloseZone();
    EXPECT_EQ(pages->count(), 4); // an edited record stays open

    pages->setCurrentIndex(2);
    const QRect r = bar->tabRect(2);
    QTest::mouseMove(bar, QPoint(r.right() - 5, r.center().y()));
    EXPECT_EQ(bar->MarkImage(), 5); // hot close mark
    QTest::mouseMove(bar, QPoint(r.left() + 5, r.center().y()));
    EXPECT_EQ(bar->MarkImage(), 4);
    clickCloseZone();
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->currentIndex(), 0); // the hidden handling page is skipped
    EXPECT_EQ(pages->tabText(2), caption2);

    pages->setCurrentIndex(2);
    f.frm->OnUserInfoUpdated(); // the view asks to close its tab
    EXPECT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->currentIndex(), 0);
}

TEST(Pipeline, ResidentModeBranches)
{
    struct Case { const char* ini; bool shownBefore; const char* line; bool shownAfter; };
    const Case cases[] = {
        {"[BASIC]\nJOUCHU=1\nSHOW_BALLOON=1\n", false, "frmMain.Visible=false", false},  // balloon, stays hidden
        {"[BASIC]\nJOUCHU=1\nSHOW_BALLOON=0\n", false, "frmMain.Visible=true", false},   // nothing shown
        {"[BASIC]\nJOUCHU=1\nJOUCHU_OPEN=1\n", false, "GisJouchuOpen=true", true},       // the window opens
        {"[BASIC]\nJOUCHU=2\nJOUCHU_OPEN=1\n", false, "GJouchuIdx=2", true},
    };
    for (const Case& c : cases) {
        TMainFixture f(c.ini);
        ASSERT_TRUE(f.frm->FormCreate());
        if (c.shownBefore) f.frm->show();
        f.frm->TelReceiveProc("0312345678", "", 1, "");
        EXPECT_TRUE(f.LogText().contains(c.line)) << c.ini;
        EXPECT_EQ(f.frm->isVisible(), c.shownAfter) << c.ini;
    }
}

TEST(FrmMain, RefreshButtonReloadsEverythingAndBlinksTheTitle)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    f.dm->InsertLog([] {
        TdmCmn::TLog log;
        log.DT_FROM = QDateTime::currentDateTime();
        log.TEL_NO = "0399990000";
        log.TEL_TYPE = QStringLiteral("着信");
        log.TEL_TERM = "0:00:00";
        log.PORT_NO = 1;
        return log;
    }());
    f.Find<QPushButton>("btnReDisp")->click();
    EXPECT_EQ(f.Grid(0, 1), "0399990000"); // a row another copy wrote appears
    EXPECT_TRUE(f.LogText().contains("TfrmMain.RefreshTables end"));
    auto* title2 = f.Find<QLabel>("ImgTitle2");
    EXPECT_TRUE(title2->isVisibleTo(f.frm.get()));
    EXPECT_TRUE(f.WaitFor([&] { return !title2->isVisibleTo(f.frm.get()); }, 5000));
}

TEST(FrmMain, WindowsReachTheMainWindowThroughItsHost)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    TMainHost& host = *f.frm;
    host.SetCallNumber("0312345678");
    host.SetCallName(QStringLiteral("山田商店"));
    EXPECT_EQ(f.Find<QLineEdit>("edtCall")->text(), "0312345678");
    EXPECT_EQ(host.CallNumber(), "0312345678");
    EXPECT_EQ(f.Find<QLabel>("pnlCallName")->text(), QStringLiteral("山田商店"));
    host.SetHistoryDate(QDate(2026, 1, 5));
    EXPECT_EQ(host.HistoryDate(), QDate(2026, 1, 5));
    // The empty entry, then the seeded types and results and the default user.
    EXPECT_EQ(host.ActTypes().Count(), 3);
    EXPECT_EQ(host.ActResults().Count(), 3);
    EXPECT_EQ(host.Users().Ids, QStringList({QString(), "admin"}));
    for (const TLookupList* l : {&host.ActTypes(), &host.ActResults(), &host.Users()}) {
        EXPECT_EQ(l->Ids[0], QString());
        EXPECT_EQ(l->Names[0], QString());
    }
    EXPECT_EQ(&host.Dm(), f.dm.get());
    EXPECT_EQ(host.HostWindow(), f.frm.get());

    // A view sets its own tab's caption and asks for its tab to close.
    auto* pages = f.Find<QTabWidget>("PageMain");
    auto* view = new QWidget;
    f.frm->AddCustomerPage(view, QStringLiteral(" 新 規         E"));
    host.SetCustTabCaption(view, QStringLiteral("0312345678     B"));
    EXPECT_EQ(pages->tabText(2), QStringLiteral("0312345678     B"));
    QPointer<QWidget> alive(view);
    host.RequestCloseActiveTab();
    EXPECT_EQ(pages->count(), 3); // not inside the caller's own handler
    ASSERT_TRUE(f.WaitFor([&] { return pages->count() == 2; }));
    EXPECT_TRUE(alive.isNull());

    // A change of shared data reloads here and goes to the other copies.
    TUpTable up;
    up.UpLog = true;
    f.dm->InsertLog([] {
        TdmCmn::TLog log;
        log.DT_FROM = QDateTime::currentDateTime();
        log.TEL_NO = "0399990001";
        log.TEL_TYPE = QStringLiteral("着信");
        log.PORT_NO = 1;
        return log;
    }());
    host.SetHistoryDate(QDate::currentDate());
    host.RefreshAndNotify(up);
    EXPECT_EQ(f.Grid(0, 1), "0399990001");
}

TEST(Pipeline, UnknownCallerNamedInAWindowsCodePageSettingsFile)
{
    // Written on Windows: CP932 text in the settings file.
    const QByteArray ini = "[CALLER]\r\nUNKNOWN_NAME=" + Cp932::Encode(QStringLiteral("不明な発信者")) +
                           "\r\nUNKNOWN_KANA=" + Cp932::Encode(QStringLiteral("ふめいなはっしんしゃ")) + "\r\n";
    TMainFixture f(ini);
    ASSERT_TRUE(f.frm->FormCreate());
    EXPECT_EQ(f.settings->UnknownName, QStringLiteral("不明な発信者"));
    f.frm->TelReceiveProc("0355554444", "", 1, "");
    EXPECT_EQ(f.Scalar("select CALLER from TELS where TEL_NO = '0355554444'"), QStringLiteral("不明な発信者"));
    EXPECT_EQ(f.Scalar("select READ_NAME from TELS where TEL_NO = '0355554444'"), QStringLiteral("ふめいなはっしんしゃ"));
    EXPECT_EQ(f.Scalar("select count(*) from LOG where TEL_NO = '0355554444'"), "1");
    // What the start wrote (HANDLE/MAIN_FORM) left the file in CP932.
    QFile file(f.settings->SettingsFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray raw = file.readAll();
    EXPECT_TRUE(raw.contains("UNKNOWN_NAME=" + Cp932::Encode(QStringLiteral("不明な発信者"))));
    EXPECT_TRUE(raw.contains("MAIN_FORM="));
}

TEST(Pipeline, LanNoticeThatCannotBeProcessedIsLoggedNeverShown)
{
    // A client copy on its own database file.
    const QString db = TestEnv::FreshDataRoot() + "/client.fdb";
    DbTest::CreateDatabase(db, TdmCmn::BaseTableStatements());
    TMainFixture f("[KURUTEN_DB]\nDB_PATH=" + db.toUtf8() + "\nCLIENT=1\n");
    ASSERT_TRUE(f.frm->FormCreate());
    ASSERT_EQ(f.settings->Role(), TRole::Client);
    f.rec.Shown.clear();

    // Bytes that are no CP932 text: the number cannot be looked up.
    const QByteArray bad("TEL03\x85\x40,5,1");
    ASSERT_TRUE(Cp932::Decode(bad).contains(QChar(0xFFFD)));
    QUdpSocket sender;
    const auto send = [&](const QByteArray& d) {
        sender.writeDatagram(d, QHostAddress::LocalHost, quint16(f.settings->UdpServerPort));
    };
    for (int i = 0; i < 3; ++i) send(bad);
    send("TEL0311112222,6,1");
    ASSERT_TRUE(f.WaitFor([&] { return f.LogText().contains("★TelReceiveProc TelNo=0311112222 LogNo=6 PortNo=1"); }));
    EXPECT_TRUE(f.rec.Shown.empty()) << f.rec.Shown.front().Text.toStdString();
    EXPECT_EQ(f.LogText().count("TfrmMain.NMUDP1DataReceived Error:"), 3);
    EXPECT_EQ(f.Find<QLineEdit>("edtCall")->text(), "0311112222");

    // Written always, also without the detailed log.
    f.log->SetDetailed(false);
    send(bad);
    EXPECT_TRUE(f.WaitFor([&] { return f.LogText().count("TfrmMain.NMUDP1DataReceived Error:") == 4; }));
    EXPECT_TRUE(f.rec.Shown.empty());

    // A refresh notice whose reload fails: the phone book has lost a column.
    f.dm->ExecSql(QStringLiteral("ALTER TABLE TELS DROP READ_NAME"));
    send("OTH100000000");
    EXPECT_TRUE(f.WaitFor([&] { return f.LogText().count("TfrmMain.NMUDP1DataReceived Error:") == 5; }));
    EXPECT_TRUE(f.rec.Shown.empty());
}

TEST(FrmMain, HelpAndLogFileNameWhatIsMissingToOpenThem)
{
    // No program on the search path opens files here.
    const QByteArray path = qgetenv("PATH");
    const QString empty = TestEnv::FreshDataRoot() + "/bin";
    QDir().mkpath(empty);
    qputenv("PATH", empty.toUtf8());
    qunsetenv("BROWSER");
    qunsetenv("DEFAULT_BROWSER");
    {
        TMainFixture f;
        ASSERT_TRUE(f.frm->FormCreate());
        TMsgRecorder boxes;
        const QString missing = QStringLiteral("xdg-open（パッケージ xdg-utils）が見つかりません。");
        f.Find<QPushButton>("btnHelp")->click();
        EXPECT_TRUE(boxes.Saw(QStringLiteral("プログラムの起動に失敗しました。\r\n") + missing));
        ASSERT_TRUE(QFileInfo::exists(f.settings->CurrentLogFile()));
        f.Find<QAction>("mnuOpenLog")->trigger();
        EXPECT_TRUE(boxes.Saw(QStringLiteral("ログファイルを開けませんでした。\r\n") + missing));
    }
    qputenv("PATH", path);
}

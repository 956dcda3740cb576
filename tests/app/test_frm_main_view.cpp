// What the main window shows and how it closes: resident mode without a
// notification area, the window manager's close, the registration state,
// the status bar, the history grid's selection, the title blink, and the
// history rows a call adds.
#include "clock_u.h"
#include "kuruten_app_u.h"
#include "main_fixture.h"
#include "softphone_u.h"
#include "vaxsip_agent_u.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTableWidget>

namespace {
QImage IconImage(const QIcon& icon)
{
    return icon.pixmap(32, 32).toImage();
}

TdmCmn::TLog IncomingRow(const QString& telNo, const QDateTime& at)
{
    TdmCmn::TLog log;
    log.DT_FROM = at;
    log.TEL_NO = telNo;
    log.TEL_TYPE = QStringLiteral("着信");
    log.TEL_TERM = "0:00:00";
    log.PORT_NO = 1;
    return log;
}

// Every cell of the history grid, row by row.
QStringList GridText(QTableWidget* grid)
{
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c) cells << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
        rows << cells.join('|');
    }
    return rows;
}
} // namespace

TEST(FrmMainView, WithoutANotificationAreaResidentModeMinimises)
{
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()); // offscreen: no tray
    TMainFixture f("[BASIC]\nJOUCHU=1\n");
    ASSERT_TRUE(f.frm->FormCreate());
    EXPECT_FALSE(f.frm->IconPresent());
    f.frm->show();
    f.Find<QPushButton>("btnClose")->click();
    // Hidden without an icon nothing could bring it back.
    EXPECT_TRUE(f.frm->isVisible());
    EXPECT_TRUE(f.frm->isMinimized());
    f.frm->Open1Click();
    EXPECT_FALSE(f.frm->isMinimized());
}

TEST(FrmMainView, HiddenStartWithoutANotificationAreaIsMinimised)
{
    TMainFixture f("[BASIC]\nJOUCHU=1\nJOUCHU_KIDOU=1\n");
    ASSERT_TRUE(f.frm->FormCreate());
    f.frm->ShowAtStart();
    EXPECT_TRUE(f.frm->isVisible());
    EXPECT_TRUE(f.frm->isMinimized());
}

TEST(FrmMainView, WindowManagerCloseActsAsTheCloseButton)
{
    struct Case { const char* ini; const char* line; bool ends; };
    const Case cases[] = {
        {"[BASIC]\nJOUCHU=0\n", "TfrmMain.btnCloseClick 終了", true},
        {"[BASIC]\nJOUCHU=1\n", "TfrmMain.btnCloseClick 常駐", false}, // minimised here: no tray
        {"[BASIC]\nJOUCHU=2\n", "TfrmMain.btnCloseClick 最小化", false},
    };
    for (const Case& c : cases) {
        TMainFixture f(c.ini);
        ASSERT_TRUE(f.frm->FormCreate());
        f.frm->show();
        f.frm->close(); // what Alt+F4 or the taskbar's close delivers
        EXPECT_TRUE(f.LogText().contains(c.line)) << c.ini;
        EXPECT_EQ(f.LogText().contains("TfrmMain.FormClose"), c.ends) << c.ini;
        EXPECT_EQ(f.frm->isVisible(), !c.ends) << c.ini;
        if (!c.ends) {
            EXPECT_TRUE(f.frm->isMinimized()) << c.ini;
        }
    }
}

TEST(FrmMainView, RegistrationStateDrivesIconAndStatus)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    TSoftPhone* phone = f.frm->Phone();
    ASSERT_NE(phone, nullptr);
    auto* status = f.Find<QLabel>("stbPanel1");
    const QImage unregistered = IconImage(f.frm->windowIcon());
    ASSERT_FALSE(unregistered.isNull());

    // Idle after a hang-up, but never registered: not online.
    emit phone->StatusText(1, QStringLiteral("オンライン"));
    EXPECT_EQ(status->text(), QString());

    // Registered, as the softphone reports it.
    emit phone->RegisteredIcon(7);
    emit phone->StatusText(1, QStringLiteral("オンライン"));
    EXPECT_EQ(status->text(), QStringLiteral("オンライン"));
    EXPECT_NE(IconImage(f.frm->windowIcon()), unregistered);

    // The registration is refused later: the icon and the status follow.
    emit phone->gVaxObjects[0]->OnFailToReRegisterEx(403, QStringLiteral("Forbidden"));
    EXPECT_EQ(status->text(), QString());
    EXPECT_EQ(IconImage(f.frm->windowIcon()), unregistered);
    // A call in progress keeps its text whatever the registration does.
    emit phone->StatusText(1, QStringLiteral("通話中"));
    EXPECT_EQ(status->text(), QStringLiteral("通話中"));
}

TEST(FrmMainView, CallButtonCarriesTheImageOfItsCaption)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    auto* dial = f.Find<QPushButton>("btnDial");
    ASSERT_FALSE(dial->icon().isNull());
    const QImage call = IconImage(dial->icon());
    emit f.frm->Phone()->CallButtonsChanged(QStringLiteral("受話"), 12, QStringLiteral("拒否"));
    EXPECT_EQ(dial->text(), QStringLiteral("受話"));
    EXPECT_EQ(f.Find<QPushButton>("btnHangUp")->text(), QStringLiteral("拒否"));
    ASSERT_FALSE(dial->icon().isNull());
    EXPECT_NE(IconImage(dial->icon()), call);
    emit f.frm->Phone()->CallButtonsChanged(QStringLiteral("発信"), 11, QStringLiteral("切断"));
    EXPECT_EQ(IconImage(dial->icon()), call);
}

TEST(FrmMainView, InterfaceFontIsAProportionalJapaneseFace)
{
    const QFont font = TKurutenApp::UiFont();
    EXPECT_TRUE(font.family() == "IPAPGothic" || font.family() == "Noto Sans CJK JP") << font.family().toStdString();
    const QFontMetrics m(font);
    EXPECT_LT(m.horizontalAdvance("iiii"), m.horizontalAdvance("WWWW"));
    EXPECT_TRUE(m.inFont(QChar(0x96FB))); // 電
}

TEST(FrmMainView, VersionTextIsShownWholeAtTheDesignedWidth)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    f.frm->resize(TfrmMain::kDesignedWidth, TfrmMain::kDesignedHeight);
    f.frm->show();
    QCoreApplication::processEvents();
    auto* version = f.Find<QLabel>("stbPanel2");
    ASSERT_TRUE(version->text().startsWith("Soft Phone Ver. "));
    EXPECT_GE(version->contentsRect().width(), version->fontMetrics().horizontalAdvance(version->text()));
    // The hint and the call state keep their designed widths where there is room.
    f.frm->resize(1280, TfrmMain::kDesignedHeight);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Find<QLabel>("stbPanel0")->width(), 400);
    EXPECT_EQ(f.Find<QLabel>("stbPanel1")->width(), 150);
}

TEST(FrmMainView, EmptyDayShowsNoSelectedRow)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    f.frm->show();
    auto* grid = f.Find<QTableWidget>("sgdLog");
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_TRUE(grid->selectionModel()->selectedIndexes().isEmpty());
    // Clicking the empty row still empties the number box and the caller panel.
    f.Find<QLineEdit>("edtCall")->setText("0312345678");
    f.Find<QLabel>("pnlCallName")->setText(QStringLiteral("山田"));
    grid->setCurrentCell(0, 1);
    emit grid->cellClicked(0, 1);
    EXPECT_EQ(f.Find<QLineEdit>("edtCall")->text(), QString());
    EXPECT_EQ(f.Find<QLabel>("pnlCallName")->text(), QString());
}

TEST(FrmMainView, SelectedRowAndNumberBoxAgreeAfterMemoAndRefresh)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < 3; ++i) f.dm->InsertLog(IncomingRow(QStringLiteral("031111000%1").arg(i), now.addSecs(-60 + i)));
    f.frm->show();
    f.Find<QPushButton>("btnReDisp")->click();
    auto* grid = f.Find<QTableWidget>("sgdLog");
    auto* number = f.Find<QLineEdit>("edtCall");
    ASSERT_EQ(grid->rowCount(), 3);

    // The user picks the oldest call.
    grid->setCurrentCell(2, 1);
    emit grid->cellClicked(2, 1);
    const QString logNo = f.Grid(2, 9);
    ASSERT_EQ(number->text(), "0311110000");

    // Its memo is saved; the grid reloads.
    Msg::SetDialogResponder([](QDialog& dlg) {
        dlg.setResult(0);
        dlg.findChild<QPlainTextEdit*>("mmoMemo")->setPlainText(QStringLiteral("折り返し"));
        dlg.findChild<QPushButton*>("btnOk")->click();
        return dlg.result();
    });
    f.Find<QPushButton>("btnMemo")->click();
    Msg::SetDialogResponder({});
    ASSERT_EQ(f.Scalar("select TEL_MEMO from LOG where LOG_NO = " + logNo), QStringLiteral("折り返し"));
    EXPECT_EQ(f.Grid(grid->currentRow(), 9), logNo);
    EXPECT_EQ(f.Grid(grid->currentRow(), 1), number->text());

    // Another copy logs a newer call, then "再表示".
    f.dm->InsertLog(IncomingRow("0322220000", now));
    f.Find<QPushButton>("btnReDisp")->click();
    ASSERT_EQ(grid->rowCount(), 4);
    EXPECT_EQ(f.Grid(grid->currentRow(), 9), logNo);
    EXPECT_EQ(f.Grid(grid->currentRow(), 1), number->text());

    // A new call is shown in the number box, and its row is the selected one.
    f.frm->TelReceiveProc("0333330000", "", 1, "");
    EXPECT_EQ(number->text(), "0333330000");
    EXPECT_EQ(f.Grid(grid->currentRow(), 1), "0333330000");
}

TEST(FrmMainView, RefreshBlinkWithABannerShowsAChangedPicture)
{
    TMainFixture f;
    QImage banner(225, 35, QImage::Format_RGB32);
    banner.fill(QColor(30, 120, 60));
    ASSERT_TRUE(banner.save(f.settings->BannerFile(), "BMP"));
    ASSERT_TRUE(f.frm->FormCreate());
    const QImage shown = f.Find<QLabel>("ImgTitle")->pixmap().toImage();
    const QImage second = f.Find<QLabel>("ImgTitle2")->pixmap().toImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(second.size(), shown.size());
    EXPECT_NE(second, shown);
}

TEST(FrmMainView, OpenRestoresAMaximisedWindowMaximised)
{
    TMainFixture f("[BASIC]\nJOUCHU=2\n");
    ASSERT_TRUE(f.frm->FormCreate());
    f.frm->showMaximized();
    f.Find<QPushButton>("btnClose")->click(); // minimise
    ASSERT_TRUE(f.frm->isMinimized());
    f.frm->Open1Click();
    EXPECT_FALSE(f.frm->isMinimized());
    EXPECT_TRUE(f.frm->isMaximized());
}

TEST(FrmMainView, RowsAddedByCallsMatchAFullReload)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    auto* grid = f.Find<QTableWidget>("sgdLog");
    const QDateTime start = QDateTime::currentDateTime().addSecs(-3600);
    int second = 0;
    TClockOverride clock(start);
    const auto call = [&](const QString& telNo) {
        clock.Set(start.addSecs(++second));
        f.frm->TelReceiveProc(telNo, "", 1, "");
    };
    call("0311112222");
    call("0399998888"); // unknown
    clock.Set(start.addSecs(++second));
    f.frm->CallDataInsert("0355556666", 1);
    // A call another copy logged meanwhile, without a notice.
    f.dm->InsertLog(IncomingRow("0377778888", start.addSecs(++second)));
    // The unknown caller becomes a customer: every row of that number takes the name.
    TCust cust;
    cust.CUST_TEL = "03-9999-8888";
    cust.CUST_TEL_NON = "0399998888";
    cust.CUST_NAME = QStringLiteral("株式会社髙橋");
    cust.CUST_KANA = QStringLiteral("カブシキガイシャタカハシ");
    f.dm->InsertCustData(cust);
    call("0399998888");
    call("0311112222");

    const QStringList added = GridText(grid);
    ASSERT_EQ(grid->rowCount(), 6);
    EXPECT_EQ(f.Grid(0, 1), "0311112222");
    EXPECT_EQ(f.Grid(1, 4), QStringLiteral("株式会社髙橋"));
    EXPECT_EQ(f.Grid(4, 4), QStringLiteral("株式会社髙橋"));
    f.frm->LoadHistory();
    EXPECT_EQ(GridText(grid), added);

    // The other kinds: an incoming call adds no row to the outgoing view.
    f.Find<QRadioButton>("rbTelType1")->click();
    call("0312121212");
    const QStringList outgoing = GridText(grid);
    f.frm->LoadHistory();
    EXPECT_EQ(GridText(grid), outgoing);
    EXPECT_EQ(grid->rowCount(), 1);
}

TEST(FrmMainView, CallDuringAFullLoadOfABusyDayRunsBetweenItsSlices)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    // A busy day: 3,000 calls, ten seconds apart from midnight.
    const int rows = 3000;
    f.dm->ExecSql(QStringLiteral("EXECUTE BLOCK AS DECLARE i INTEGER = 0; BEGIN WHILE (i < %1) DO BEGIN "
                                 "INSERT INTO LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, TEL_TERM, TEL_MEMO, PORT_NO) "
                                 "VALUES (gen_id(SEQ_LOG_NO, 1), cast('%2' as timestamp) + :i * 10.0 / 86400, "
                                 "'03' || lpad(:i, 8, '0'), '着信', '0:00:00', '', 1); i = i + 1; END END")
                      .arg(rows)
                      .arg(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"))));
    f.log->SetDetailed(false);
    QFile::remove(f.log->CurrentFile());
    f.log->SetDetailed(true);

    f.frm->SubmitIncomingCall("0399990000", "", 1, "");
    TUpTable all;
    all.UpLog = all.UpTels = true;
    f.frm->RefreshTables(all); // the call arrives while the grid fills
    ASSERT_TRUE(f.WaitFor([&] { return f.Scalar("select count(*) from LOG") == QString::number(rows + 1); }));
    ASSERT_TRUE(f.WaitFor([&] { return !f.frm->RefreshBusy(); }));

    // The call ran before the grid had all the day's rows.
    const QString text = f.LogText();
    const qsizetype load = text.indexOf("TfraCust.MakeLogGrid begin");
    const qsizetype call = text.indexOf(QStringLiteral("★TelReceiveProc TelNo=0399990000"));
    ASSERT_GE(load, 0);
    ASSERT_GT(call, load);
    EXPECT_EQ(text.mid(load, call - load).indexOf("TfraCust.MakeLogGrid end"), -1);
    // Then the rest of the day goes in below, the call staying selected.
    auto* grid = f.Find<QTableWidget>("sgdLog");
    ASSERT_TRUE(f.WaitFor([&] { return grid->rowCount() == rows + 1 && f.Grid(rows, 1) == "0300000000"; }));
    const QStringList shown = GridText(grid);
    f.frm->LoadHistory();
    EXPECT_EQ(GridText(grid), shown);
    EXPECT_EQ(f.Grid(grid->currentRow(), 1), "0399990000");
    EXPECT_EQ(f.Find<QLineEdit>("edtCall")->text(), "0399990000");
}

// History deletion and the database backup (also while calls arrive).
#include "report_fixture.h"

#include "auto_backup_u.h"
#include "fb_u.h"
#include "frm_delete_u.h"
#include "frm_export_u.h"
#include "frm_total_u.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

TEST(Delete, BoundsFromMonths)
{
    const struct
    {
        QString FromY, FromM, ToY, ToM;
        TDeleteBounds::TBad Bad;
        QString Conditions;
    } cases[] = {
        {"2023", "04", "2023", "06", TDeleteBounds::TBad::None,
         "where DT_FROM >= '2023/04/01'\r\nand DT_FROM < '2023/07/01'\r\n"},
        {"2023", "12", "2023", "12", TDeleteBounds::TBad::None,
         "where DT_FROM >= '2023/12/01'\r\nand DT_FROM < '2024/01/01'\r\n"},
        {"", "", "2023", "5", TDeleteBounds::TBad::None, "where DT_FROM < '2023/06/01'\r\n"},
        {"2023", "1", "", "", TDeleteBounds::TBad::None, "where DT_FROM >= '2023/01/01'\r\n"},
        {"", "", "", "", TDeleteBounds::TBad::None, ""},
        {"2023", "13", "2023", "12", TDeleteBounds::TBad::Start, ""},
        {"ab", "01", "2023", "12", TDeleteBounds::TBad::Start, ""},
        {"2023", "", "2023", "12", TDeleteBounds::TBad::Start, ""},
        {"2023", "01", "2023", "ab", TDeleteBounds::TBad::End, ""},
        {"2023", "01", "2023", "13", TDeleteBounds::TBad::End, ""},
    };
    for (const auto& c : cases) {
        const TDeleteBounds b = TDeleteBounds::From(c.FromY, c.FromM, c.ToY, c.ToM);
        EXPECT_EQ(b.Bad, c.Bad) << c.FromY.toStdString() << c.FromM.toStdString() << c.ToM.toStdString();
        EXPECT_EQ(b.Conditions, c.Conditions);
    }
}

TEST(Delete, WindowDeletesTheRangeAndTellsTheOthers)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    for (const char* dt : {"2023/03/31 23:59:59", "2023/04/01 00:00:00", "2023/06/30 23:59:59", "2023/07/01 00:00:00"})
        f.Calls("0312345678", 1, dt);
    f.frm->SetCallNumber("0312345678");
    TfrmDelete d(*f.frm);
    d.show();
    EXPECT_EQ(d.windowTitle(), "発着信履歴データ削除");
    EXPECT_EQ(d.findChild<QLineEdit*>("EdtFromYear")->text(), QDate::currentDate().toString("yyyy"));
    EXPECT_EQ(d.findChild<QComboBox*>("BoxToMon")->currentText(), QDate::currentDate().toString("MM"));
    d.findChild<QLineEdit*>("EdtFromYear")->setText("2023");
    d.findChild<QComboBox*>("BoxFromMon")->setCurrentText("13");
    d.findChild<QLineEdit*>("EdtToYear")->setText("2023");
    d.findChild<QComboBox*>("BoxToMon")->setCurrentText("06");

    TMsgRecorder boxes(mbNo);
    d.findChild<QPushButton*>("btnOk")->click(); // No: nothing happens
    EXPECT_EQ(f.Scalar("select count(*) from LOG"), "4");
    boxes.Answer = mbYes;
    boxes.Shown.clear();
    d.findChild<QPushButton*>("btnOk")->click();
    EXPECT_TRUE(boxes.Saw("開始期間を正しく入力してください。"));
    EXPECT_EQ(d.focusWidget(), d.findChild<QWidget*>("EdtFromYear"));
    EXPECT_EQ(f.Scalar("select count(*) from LOG"), "4");

    d.findChild<QComboBox*>("BoxFromMon")->setCurrentText("04");
    boxes.Shown.clear();
    d.findChild<QPushButton*>("btnOk")->click();
    EXPECT_TRUE(boxes.Saw("指定された期間の発着信履歴データを削除してもよろしいですか？"));
    EXPECT_TRUE(boxes.Saw("発着信履歴データを削除しました。"));
    EXPECT_EQ(f.Scalar("select count(*) from LOG"), "2");
    EXPECT_EQ(f.Scalar("select min(LOG_NO) from LOG where DT_FROM >= '2023/07/01'"), "4");
    EXPECT_EQ(f.frm->CallNumber(), "");
    const QString log = f.LogText();
    EXPECT_TRUE(log.contains("dmCmn.sqlWork2.SQL.Text=delete from log\r\nwhere DT_FROM >= '2023/04/01'\r\n"
                             "and DT_FROM < '2023/07/01'"));
    EXPECT_TRUE(log.contains("TfrmMain.RefreshTables"));
}

TEST(Backup, FolderProblemsAndRenamedCopies)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    const QString dir = TestEnv::FreshDataRoot();
    QFile(dir + "/file").open(QIODevice::WriteOnly);
    const QString invalid = "バックアップ先が無効です。環境設定画面で有効なバックアップ先を確認設定してください。";
    for (const QString& folder : {QString(), dir + "/missing", dir + "/file"}) {
        f.settings->AutoBackupPath = folder;
        TMsgRecorder boxes;
        EXPECT_FALSE(AutoBackup(*f.settings, *f.dm, true, f.frm.get()));
        EXPECT_TRUE(boxes.Saw(invalid));
        EXPECT_FALSE(AutoBackup(*f.settings, *f.dm, false));
        EXPECT_EQ(boxes.Shown.size(), 1u);
    }
    EXPECT_TRUE(f.LogText().contains(invalid));

    f.settings->AutoBackupPath = dir;
    f.Calls("0312345678", 3);
    TClockOverride clock(QDateTime(QDate(2024, 1, 31), QTime(17, 45, 2)));
    ASSERT_TRUE(AutoBackup(*f.settings, *f.dm, false));
    f.Calls("0312345678", 2);
    clock.Set(QDateTime(QDate(2024, 1, 31), QTime(18, 0, 0)));
    ASSERT_TRUE(AutoBackup(*f.settings, *f.dm, false));
    EXPECT_TRUE(QFileInfo::exists(dir + "/KURUDB.FDB"));
    EXPECT_TRUE(QFileInfo::exists(dir + "/KURUDB.FDB_RENAME20240131_180000"));
    const QString log = f.LogText();
    EXPECT_TRUE(log.contains("FromFile=" + f.settings->DefaultDatabaseFile()));
    EXPECT_TRUE(log.contains("ToFile=" + dir + "/KURUDB.FDB"));
    EXPECT_TRUE(log.contains("ToBackFile=" + dir + "/KURUDB.FDB_RENAME20240131_180000"));
    EXPECT_TRUE(log.contains("TfrmMain.AutoBackup end"));
    // Each copy opens on its own with the rows of its moment.
    for (const auto& [file, rows] : {std::pair{QString("/KURUDB.FDB"), 5}, {"/KURUDB.FDB_RENAME20240131_180000", 3}}) {
        TFbDatabase db;
        db.DatabaseName = dir + file;
        db.Params = f.dm->IBDatabase1.Params;
        TFbTransaction tr(db);
        TFbQuery q(db, tr);
        q.SQL = "select count(*) from LOG";
        q.Open();
        EXPECT_EQ(q.Field(0).AsInteger(), rows) << file.toStdString();
        q.Close();
        db.Close();
    }
}

TEST(Backup, WhileCallsArriveTheCopyValidates)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    // Enough data that the copy takes a while.
    f.Sql("execute block as declare i integer = 0; begin while (i < 150000) do begin "
          "insert into LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, TEL_MEMO, PORT_NO) values (gen_id(SEQ_LOG_NO, 1), "
          "'2023/01/01', '03' || lpad(mod(:i, 5000), 8, '0'), '着信', lpad('', 300, 'x'), 1); i = i + 1; end end");
    const QString dir = TestEnv::FreshDataRoot();
    f.settings->AutoBackupPath = dir;
    const int before = f.Scalar("select count(*) from LOG").toInt();

    // Calls handed over continuously, 20 ms apart, while the backup runs.
    int handed = 0;
    QTimer calls;
    QObject::connect(&calls, &QTimer::timeout, [&] {
        f.frm->SubmitIncomingCall(QStringLiteral("0901234%1").arg(handed++ % 1000, 4, 10, QLatin1Char('0')), QString(),
                                  1, QString());
    });
    calls.start(20);
    TMsgRecorder boxes;
    f.Find<QPushButton>("btnBackup")->click();
    const int duringBackup = handed;
    f.WaitFor([&] { return handed > duringBackup + 5; });
    calls.stop();
    f.WaitFor([&] { return !f.frm->RefreshBusy(); });
    EXPECT_TRUE(boxes.Saw("バックアップ完了しました。"));
    EXPECT_GT(duringBackup, 0) << "no call arrived during the backup";
    const int after = f.Scalar("select count(*) from LOG").toInt();
    EXPECT_GT(after, before);

    int rc = -1;
    const QString check = TReportFixture::Run(
        "gfix", {"-v", "-full", "-user", "SYSDBA", "-password", "fbkey2468", dir + "/KURUDB.FDB"}, &rc);
    EXPECT_EQ(rc, 0) << check.toStdString();
    EXPECT_TRUE(check.trimmed().isEmpty()) << check.toStdString();
    TFbDatabase db;
    db.DatabaseName = dir + "/KURUDB.FDB";
    db.Params = f.dm->IBDatabase1.Params;
    TFbTransaction tr(db);
    TFbQuery q(db, tr);
    q.SQL = "select count(*) from LOG";
    q.Open();
    const int copied = q.Field(0).AsInteger();
    q.Close();
    db.Close();
    EXPECT_GE(copied, before);
    EXPECT_LE(copied, after);
}

TEST(Backup, AtNormalExitWhenSwitchedOn)
{
    const QString dir = TestEnv::FreshDataRoot();
    {
        TReportFixture f(QStringLiteral("[BASIC]\nAUTO_BACKUP=1\nAUTO_BACKUP_PATH=%1\n").arg(dir).toUtf8());
        ASSERT_TRUE(f.Created);
        f.frm->FormDestroy();
    }
    EXPECT_TRUE(QFileInfo::exists(dir + "/KURUDB.FDB"));
    {
        TReportFixture f(QStringLiteral("[BASIC]\nAUTO_BACKUP=0\nAUTO_BACKUP_PATH=%1/off\n").arg(dir).toUtf8());
        QDir().mkpath(dir + "/off");
        f.frm->FormDestroy();
    }
    EXPECT_FALSE(QFileInfo::exists(dir + "/off/KURUDB.FDB"));
}

TEST(MainWindow, ReportButtonsOpenTheirWindows)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    f.frm->SetHistoryDate(QDate(2024, 3, 5));
    QStringList opened;
    Msg::SetDialogResponder([&](QDialog& d) {
        opened << d.objectName() + ":" + d.windowTitle();
        if (d.objectName() == "frmTotal") {
            EXPECT_EQ(d.findChild<QDateEdit*>("dtpTo")->date(), QDate(2024, 3, 5));
        }
        if (d.objectName() == "frmExport") {
            EXPECT_EQ(d.findChild<QDateEdit*>("dtFromTai")->date(), QDate(2024, 3, 5));
        }
        return int(QDialog::Rejected);
    });
    for (const char* b : {"btnTotal", "btnExport", "btnDelete"}) f.Find<QPushButton>(b)->click();
    Msg::SetDialogResponder({});
    EXPECT_EQ(opened, (QStringList{"frmTotal:集計印刷", "frmExport:データ出力", "frmDelete:発着信履歴データ削除"}));
    const QString log = f.LogText();
    EXPECT_TRUE(log.contains("TfrmMain.btnPrintClick"));
    EXPECT_TRUE(log.contains("TfrmMain.BitDeleteClick"));
    EXPECT_FALSE(f.Find<QPushButton>("btnBackup")->isHidden());
}

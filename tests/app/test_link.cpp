// The main window's side of the links, on a private Xvfb with jwm: the
// pipeline's automatic launch, the link menu of "顧客情報(&I)", the end
// requests at shutdown, the buttons "外部接続" and "環境設定", and a caller's
// name taken from an external database through ODBC.
#include "link_prog_u.h"
#include "link_receiver_test_util.h"
#include "main_fixture.h"
#include "template_db_test_util.h"
#include "set_u.h"
#include "frm_interface_u.h"
#include "x_display_test_util.h"
#include "frm_search_u.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {
bool gHaveX = false;

struct TLinkFixture : TMainFixture
{
    explicit TLinkFixture(const QByteArray& ini) : TMainFixture(ini)
    {
        TemplateDb::CopyTo(settings->DefaultDatabaseFile());
        Created = frm->FormCreate();
        rec.Shown.clear();
    }
    ~TLinkFixture() { Msg::SetDialogResponder({}); }
    void Entry(int no, const QString& type, const QString& exec, const QString& command, const QString& caption,
               int endReq = 0)
    {
        dm->ExecSql(QString("insert into INTERFACE (IF_NO, IF_NAME, IF_TYPE, EXEC_PATH, COMMAND, CAPTION, END_REQ) "
                            "values (%1, '連携%1', '%2', '%3', '%4', '%5', %6)")
                        .arg(no)
                        .arg(type, exec, command, caption)
                        .arg(endReq));
    }
    QMenu* PopIf() { return Find<QMenu>("PopIf"); }
    bool Created = false;
};
} // namespace

TEST(Link, AnIncomingCallLaunchesTheChosenEntry)
{
    if (!gHaveX) GTEST_SKIP() << "no X display could be started (Xvfb, jwm)";
    QTemporaryDir dir;
    TLinkFixture f("[LINK]\nENABLED=1\nAUTO_LAUNCH=1\nIF_NO=2\n[BASIC]\nBRING=0\n");
    ASSERT_TRUE(f.Created);
    TLinkReceiver r(dir.filePath("r.txt"), "顧客管理");
    ASSERT_TRUE(r.Start());
    f.Entry(1, "URL", "", "https://crm.example.jp/?tel=", "");
    f.Entry(2, "EXE", TLinkReceiverFile::Program(), "", "顧客管理", 3);
    f.frm->TelReceiveProc("0312345678", "", 1, "");
    ASSERT_TRUE(r.WaitForCount("COPYDATA", 1));
    EXPECT_EQ(r.Lines("COPYDATA"), QStringList{"1\t0312345678"});

    // Another entry chosen: the address opens through the shell.
    f.settings->LinkIfNo = 1;
    TShellRecorder shell;
    f.frm->TelReceiveProc("0455556666", "", 1, "");
    ASSERT_EQ(shell.Requests.size(), 1u);
    EXPECT_EQ(shell.Requests[0].Url.toString(), "https://crm.example.jp/?tel=0455556666");
    EXPECT_TRUE(f.LogText().contains("TfrmMain.ExecCustProg InterfaceNo=1 TelNo=0455556666 PortNo=1"));

    // Shutdown: the window that was notified gets its end request.
    f.frm->FormDestroy();
    ASSERT_TRUE(r.WaitForCount("MESSAGE", 1));
    EXPECT_EQ(r.Lines("MESSAGE"), QStringList{"1027\t0\t0"});
    EXPECT_TRUE(f.LogText().contains("TfrmMain.SendEndReq"));
}

TEST(Link, TheLinkMenuAndTheCustomerButton)
{
    TLinkFixture f("[LINK]\nENABLED=1\nIF_NO=2\n");
    ASSERT_TRUE(f.Created);
    f.Entry(1, "URL", "", "https://a.example/?t=", "");
    f.Entry(2, "URL", "", "https://b.example/?t=", "");
    // The registration window closes: the menu is built again.
    Msg::SetDialogResponder([](QDialog& d) {
        EXPECT_NE(qobject_cast<TfrmInterface*>(&d), nullptr);
        return int(QDialog::Rejected);
    });
    f.Find<QPushButton>("btnInterface")->click();
    QStringList items;
    for (QAction* a : f.PopIf()->actions()) items << a->text();
    EXPECT_EQ(items, QStringList({"連携1", "連携2", "くるてんの顧客情報"}));
    ASSERT_NE(f.PopIf()->defaultAction(), nullptr);
    EXPECT_EQ(f.PopIf()->defaultAction()->text(), "連携2");

    const struct
    {
        const char* Do;
        const char* Url; // empty: nothing opened
        int Port;
    } cases[] = {{"button", "https://b.example/?t=0312345678", 0},
                 {"menu 1", "https://a.example/?t=0312345678", 0},
                 {"button, link off", "", 0}};
    f.frm->SetCallNumber("0312345678");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Do);
        f.settings->LinkEnabled = QByteArray(c.Do) != "button, link off";
        TShellRecorder shell;
        if (QByteArray(c.Do) == "menu 1") f.PopIf()->actions()[0]->trigger();
        else f.Find<QPushButton>("btnCustInfo")->click();
        if (*c.Url) {
            ASSERT_EQ(shell.Requests.size(), 1u);
            EXPECT_EQ(shell.Requests[0].Url.toString(), QString(c.Url));
            EXPECT_TRUE(f.LogText().contains(QString("TelNo=0312345678 PortNo=%1").arg(c.Port)));
        } else {
            EXPECT_TRUE(shell.Requests.empty());
        }
    }
    EXPECT_TRUE(f.LogText().contains("TfrmMain.LinkProg"));
}

TEST(Link, AMissingEntryOpensTheSettingsAndTheMenuDefaultFollowsThem)
{
    TLinkFixture f("[LINK]\nENABLED=1\nIF_NO=7\n");
    ASSERT_TRUE(f.Created);
    f.Entry(1, "URL", "", "https://a.example/?t=", "");
    int settingsShown = 0;
    Msg::SetDialogResponder([&](QDialog& d) {
        auto* set = qobject_cast<TfrmSet*>(&d);
        if (!set) return int(QDialog::Rejected); // the registration window

        ++settingsShown;
        set->FormShow();
        set->cbxCustProgName->setCurrentIndex(0);
        set->btnOkClick();
        return set->result();
    });
    f.Find<QPushButton>("btnInterface")->click();
    f.frm->ExecCustProg(7, "0312345678", 0);
    EXPECT_TRUE(f.rec.Saw("起動プログラムを設定してください。"));
    EXPECT_EQ(settingsShown, 1);
    EXPECT_EQ(f.settings->LinkIfNo, 1);
    ASSERT_NE(f.PopIf()->defaultAction(), nullptr);
    EXPECT_EQ(f.PopIf()->defaultAction()->text(), "連携1");
}

TEST(Link, ACallersNameComesFromAnOdbcDataSource)
{
    QTemporaryDir dir;
    const QString conn = "Driver=SQLite3;Database=" + dir.filePath("cust.db");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", "setup");
        db.setDatabaseName(conn);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("create table 顧客 (電話 varchar(20), 名前 varchar(60), カナ varchar(60))"));
        ASSERT_TRUE(q.exec("insert into 顧客 values ('0312345678', '株式会社 髙橋商店', 'タカハシショウテン')"));
    }
    QSqlDatabase::removeDatabase("setup");
    TLinkFixture f(QString("[LINK]\nENABLED=1\nCUST_DB_LINK=1\nDB_PATH=%1\nTABLE_NAME=顧客\nCUST_TEL_FNAME=電話\n"
                           "CUST_NAME_FNAME=名前\nCUST_KANA_FNAME=カナ\nQUOTE_STR=\"\n")
                       .arg(conn)
                       .toUtf8());
    ASSERT_TRUE(f.Created);
    f.frm->TelReceiveProc("0312345678", "", 1, "");
    EXPECT_EQ(f.Find<QLabel>("pnlCallName")->text(), "株式会社 髙橋商店");
    EXPECT_EQ(f.Scalar("select READ_NAME from TELS where TEL_NO = '0312345678'"), "タカハシショウテン");
    // An unknown number still arrives, with the unknown caller's name.
    f.frm->TelReceiveProc("0499999999", "", 1, "");
    EXPECT_EQ(f.Find<QLabel>("pnlCallName")->text(), "発信者不明");
    EXPECT_TRUE(f.rec.Shown.empty());
    // The external customers' search reads the same table through the link.
    TfrmSearch search(*f.dm, *f.settings, TSearchMode::OutCust);
    search.FillGrid(CustSql::InitialStatement(TSearchMode::OutCust, *f.settings));
    ASSERT_TRUE(search.HasRow());
    EXPECT_EQ(search.Cell(0), "0312345678");
    EXPECT_EQ(search.Cell(1), "株式会社 髙橋商店");
    search.cbxItem->setCurrentIndex(1);
    search.edtValue->setText("株式会社");
    search.btnSearchClick();
    EXPECT_EQ(search.Cell(2), "タカハシショウテン");
}

int main(int argc, char** argv)
{
    return RunTestsOnPrivateDisplay(argc, argv, gHaveX);
}

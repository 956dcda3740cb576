// The handling editor, the lookup lists of the main window, the masters'
// menu and the handling mark of the call history, with a real main window
// as host and a real database.
#include "accept_test_util.h"
#include "cp932_u.h"
#include "frm_accept_master_u.h"
#include "main_fixture.h"
#include "string_grid_u.h"
#include "ui_kit_u.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QUdpSocket>

namespace {
// A main window with the handling feature on (or off) and one customer who
// called once.
struct TAcceptFixture : TMainFixture
{
    explicit TAcceptFixture(bool useAccept = true, const QByteArray& ini = QByteArray()) : TMainFixture(ini)
    {
        rec.Decide = [useAccept](const TMsgRequest& r) {
            if (r.Buttons & mbYes) return int(useAccept ? mbYes : mbNo);
            return int(mbOK);
        };
        EXPECT_TRUE(frm->FormCreate());
        rec.Decide = nullptr;
        rec.Answer = mbOK;
        rec.Shown.clear();
        TCust c;
        c.CUST_TEL = "03-1234-5678";
        c.CUST_NAME = QStringLiteral("山田商店");
        CustNo = dm->InsertCustData(c);
        dm->InsertTels({"0312345678", "0312345678", QStringLiteral("山田商店"), QStringLiteral("やまだ")});
        TCallLog call;
        call.DT_FROM = QDateTime::currentDateTime().addSecs(-60);
        call.TEL_NO = "0312345678";
        call.TEL_TYPE = QStringLiteral("着信");
        call.PORT_NO = 1;
        LogNo = dm->InsertLog(call);
        frm->LoadHistory();
    }
    ~TAcceptFixture() { Msg::SetDialogResponder({}); }
    // Users in the list of persons in charge.
    void AddUsers()
    {
        dm->ExecSql("insert into USER_M (USERID, USERNM, PASSWD, AUTH, LISTID) values ('u1', '山田', 'p', 1, '1')");
        dm->ExecSql("insert into USER_M (USERID, USERNM, PASSWD, AUTH, LISTID) values ('u2', '鈴木', 'p', 1, '2')");
        TUpTable up;
        up.UpUser = true;
        frm->RefreshTables(up);
    }
    QString Accept(const QString& column, int actNo)
    {
        return Scalar(QStringLiteral("select %1 from ACCEPT_T where ACT_NO = %2").arg(column).arg(actNo));
    }
    // The handling column of the main call history, row 0 (the only call).
    QString MainMark() { return Grid(0, 6); }

    int CustNo = -1;
    int LogNo = -1;
};

QString Caption(const TTestOwner& o, int page)
{
    return o.PageHistory->tabText(page);
}
} // namespace

TEST(AcceptTabCaption, FifteenBytesAndTheMarker)
{
    const struct {
        int ActNo;
        bool Browse;
        QString Caption;
    } cases[] = {
        {-1, false, QStringLiteral(" 新 規") + QString(9, ' ') + "E"},
        {-1, true, QStringLiteral(" 新 規") + QString(9, ' ') + "B"},
        {7, true, "No.7" + QString(11, ' ') + "B"},
        {123456, false, "No.123456" + QString(6, ' ') + "E"},
        {2147483647, true, "No.2147483647  B"},
    };
    for (const auto& c : cases) {
        const QString caption = AcceptTabCaption(c.ActNo, c.Browse);
        EXPECT_EQ(caption, c.Caption);
        EXPECT_EQ(Cp932::ByteLength(caption.chopped(1)), 15);
        // Drawn without the marker.
        EXPECT_EQ(TRecordTabBar::DrawnCaption(caption), caption.chopped(1) + " ");
    }
}

TEST(AcceptEditor, NewRecordFromACallIsSavedOnceTheCustomerIsStored)
{
    TAcceptFixture f;
    f.AddUsers();
    f.dm->SignedInUser = {"u2", QStringLiteral("鈴木"), "p", 1};
    TTestOwner owner(*f.frm);
    TfraAccept* e = owner.Open(-1, QString::number(f.LogNo), false);
    EXPECT_EQ(e->parentWidget(), owner.PageHistory->widget(2));
    EXPECT_EQ(Caption(owner, 2), AcceptTabCaption(-1, false));
    EXPECT_EQ(e->cbxUserName->currentText(), QStringLiteral("鈴木")); // the signed-in user
    EXPECT_EQ(e->cbxTypeName->currentIndex(), -1);
    EXPECT_EQ(e->cbxTypeName->itemText(0), QString());
    EXPECT_EQ(e->cbxTypeName->count(), 3);

    // Edit mode: boxes open, save and cancel lit, the record buttons off.
    const QPalette app = QApplication::palette();
    for (QWidget* w : std::initializer_list<QWidget*>{e->DateTimePicker1, e->DateTimePicker2, e->cbxTypeName,
                                                      e->cbxResultName, e->cbxUserName, e->edtTitle}) {
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
        EXPECT_EQ(w->palette().color(QPalette::Base), app.color(QPalette::Base)) << w->objectName().toStdString();
    }
    EXPECT_FALSE(e->richContent->isReadOnly());
    for (QPushButton* b : {e->btnActAdd, e->btnActEdit, e->btnActDel}) EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(e->btnSave->isEnabled());
    EXPECT_EQ(e->btnSave->palette().color(QPalette::Button), UiKit::kSaveColor);
    EXPECT_EQ(e->btnCancel->palette().color(QPalette::Button), UiKit::kCancelColor);
    EXPECT_EQ(e->btnActEdit->toolTip(), QStringLiteral("編集(Alt+E)"));
    EXPECT_FALSE(e->HasUnsavedInput());

    e->DateTimePicker1->setDate(QDate(2024, 6, 15));
    e->DateTimePicker2->setTime(QTime(14, 5));
    e->cbxTypeName->setCurrentIndex(2);
    e->cbxResultName->setCurrentIndex(1);
    e->edtTitle->setText(QStringLiteral("見積もりの件 'A'"));
    e->richContent->setPlainText(QStringLiteral("一行目\n二行目"));
    EXPECT_TRUE(e->HasUnsavedInput());

    // The customer is not stored yet: refused, nothing written, still editing.
    e->btnSave->click();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("顧客情報が未登録のため登録できません。顧客情報を先に保存してください。")));
    EXPECT_EQ(f.Scalar("select count(*) from ACCEPT_T"), "0");
    EXPECT_EQ(Caption(owner, 2), AcceptTabCaption(-1, false));
    EXPECT_TRUE(e->btnSave->isEnabled());

    // Stored now: the same tab saves under the customer's number.
    owner.CustNo = f.CustNo;
    EXPECT_EQ(f.MainMark(), QString());
    e->btnSave->click();
    const int actNo = e->ActNo();
    ASSERT_GT(actNo, 0);
    EXPECT_EQ(f.Accept("LOG_NO", actNo), QString::number(f.LogNo));
    EXPECT_EQ(f.Accept("CUST_NO", actNo), QString::number(f.CustNo));
    EXPECT_EQ(f.Accept("TYPE_ID", actNo), "0002");
    EXPECT_EQ(f.Accept("RESULT_ID", actNo), "0001");
    EXPECT_EQ(f.Accept("USERID", actNo), "u2");
    EXPECT_EQ(f.Accept("UPUSERID", actNo), "u2");
    EXPECT_EQ(f.Accept("TITLE", actNo), QStringLiteral("見積もりの件 'A'"));
    EXPECT_EQ(f.Accept("CONTENT", actNo), QStringLiteral("一行目\r\n二行目"));
    EXPECT_EQ(f.Accept("ACT_DT", actNo).left(16), "2024/06/15 14:05");
    EXPECT_EQ(owner.Asked, QStringList({"MakeCustLogGrid", "MakeCustAcceptGrid"}));
    EXPECT_EQ(f.MainMark(), QString::number(actNo)); // the call now shows its mark

    // Browse mode, "No." caption with "B".
    EXPECT_EQ(Caption(owner, 2), AcceptTabCaption(actNo, true));
    for (QWidget* w : std::initializer_list<QWidget*>{e->DateTimePicker1, e->cbxUserName, e->edtTitle}) {
        EXPECT_FALSE(w->isEnabled());
        EXPECT_EQ(w->palette().color(QPalette::Base), app.color(QPalette::ToolTipBase));
    }
    EXPECT_TRUE(e->richContent->isReadOnly());
    for (QPushButton* b : {e->btnActAdd, e->btnActEdit, e->btnActDel}) EXPECT_TRUE(b->isEnabled());
    EXPECT_FALSE(e->btnSave->isEnabled());
    EXPECT_EQ(e->btnSave->palette().color(QPalette::Button), app.color(QPalette::Button));
    EXPECT_FALSE(e->HasUnsavedInput());
}

TEST(AcceptEditor, EditCancelAndUpdateKeepTheCall)
{
    TAcceptFixture f;
    TAccept a;
    a.ACT_DT = QDateTime(QDate(2024, 6, 1), QTime(9, 0));
    a.TITLE = QStringLiteral("元の件名");
    a.CONTENT = QStringLiteral("元\r\n内容");
    a.TYPE_ID = "0001";
    a.LOG_NO = QString::number(f.LogNo);
    a.CUST_NO = QString::number(f.CustNo);
    const int actNo = f.dm->InsertAccept(a);
    TTestOwner owner(*f.frm);
    owner.CustNo = f.CustNo;
    TfraAccept* e = owner.Open(actNo, QString(), true);
    EXPECT_EQ(Caption(owner, 2), AcceptTabCaption(actNo, true));
    EXPECT_EQ(e->edtTitle->text(), QStringLiteral("元の件名"));
    EXPECT_EQ(e->richContent->toPlainText(), QStringLiteral("元\n内容"));
    EXPECT_EQ(e->cbxTypeName->currentIndex(), 1);
    EXPECT_FALSE(e->edtTitle->isEnabled());

    // Edit: the marker stays "B" (the close mark still closes the tab).
    e->btnActEdit->click();
    EXPECT_TRUE(e->edtTitle->isEnabled());
    EXPECT_EQ(Caption(owner, 2), AcceptTabCaption(actNo, true));
    e->edtTitle->setText(QStringLiteral("書きかけ"));
    EXPECT_TRUE(e->HasUnsavedInput());
    e->btnCancel->click();
    EXPECT_EQ(e->edtTitle->text(), QStringLiteral("元の件名"));
    EXPECT_FALSE(e->edtTitle->isEnabled());
    EXPECT_EQ(f.Accept("TITLE", actNo), QStringLiteral("元の件名"));

    e->btnActEdit->click();
    e->edtTitle->setText(QStringLiteral("新しい件名"));
    e->btnSave->click();
    EXPECT_EQ(f.Accept("TITLE", actNo), QStringLiteral("新しい件名"));
    EXPECT_EQ(f.Accept("LOG_NO", actNo), QString::number(f.LogNo)); // written once, on insert
    EXPECT_EQ(f.Accept("UPUSERID", actNo), QString());                // nobody signed in
    EXPECT_EQ(owner.Asked, QStringList({"MakeCustAcceptGrid"}));      // the call list is unchanged
    EXPECT_EQ(Caption(owner, 2), AcceptTabCaption(actNo, true));

    // "New" asks the view for a new-record tab.
    e->btnActAdd->click();
    EXPECT_EQ(owner.Asked.last(), "OpenAcceptTab -1 '' E");
}

TEST(AcceptEditor, CancelOfANewRecordAndDeleteCloseTheTabLater)
{
    TAcceptFixture f;
    TTestOwner owner(*f.frm);
    owner.CustNo = f.CustNo;
    owner.Open(-1, "not-a-number", false)->btnCancel->click();
    EXPECT_EQ(owner.PageHistory->count(), 3); // posted, not done at once
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.PageHistory->count(), 2);
    EXPECT_EQ(owner.Asked, QStringList({"PostCloseActTab -1"}));

    // A log number that is not one is stored as null.
    TfraAccept* e = owner.Open(-1, "not-a-number", false);
    e->btnSave->click();
    const int actNo = e->ActNo();
    EXPECT_EQ(f.Accept("coalesce(LOG_NO, -1)", actNo), "-1");

    owner.Asked.clear();
    f.rec.Answer = mbCancel;
    e->btnActDel->click();
    ASSERT_EQ(f.rec.Shown.size(), 1u);
    EXPECT_EQ(f.rec.Shown[0].Kind, TMsgKind::Confirmation);
    EXPECT_EQ(f.rec.Shown[0].Text, QStringLiteral("開いているいる対応内容を削除してよろしいですか？"));
    EXPECT_EQ(f.Accept("count(*)", actNo), "1");
    f.rec.Answer = mbOK;
    e->btnActDel->click();
    EXPECT_EQ(f.Accept("count(*)", actNo), "0");
    EXPECT_EQ(owner.Asked, QStringList({"MakeCustLogGrid", "MakeCustAcceptGrid", QStringLiteral("PostCloseActTab %1").arg(actNo)}));
    EXPECT_EQ(owner.PageHistory->count(), 3);
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.PageHistory->count(), 2);
}

TEST(AcceptEditor, DeletedMasterEntriesAndRecordsAndOverlongText)
{
    TAcceptFixture f;
    f.AddUsers();
    TAccept a;
    a.ACT_DT = QDateTime(QDate(2024, 6, 1), QTime(9, 0));
    a.TYPE_ID = "0002";
    a.RESULT_ID = "0001";
    a.USERID = "u1";
    a.CUST_NO = QString::number(f.CustNo);
    const int actNo = f.dm->InsertAccept(a);
    // Type 0002 and user u1 retire; the lists no longer offer them.
    f.dm->ExecSql("update ACCEPT_TYPE set DEL_DT = CURRENT_TIMESTAMP where TYPE_ID = '0002'");
    f.dm->ExecSql("update USER_M set TODT = '2000/01/01' where USERID = 'u1'");
    TUpTable up;
    up.UpUser = up.UpActType = true;
    f.frm->RefreshTables(up);

    TTestOwner owner(*f.frm);
    owner.CustNo = f.CustNo;
    TfraAccept* e = owner.Open(actNo, QString(), false);
    EXPECT_EQ(e->cbxTypeName->currentIndex(), -1);
    EXPECT_EQ(e->cbxUserName->currentIndex(), -1);
    EXPECT_EQ(e->cbxResultName->currentText(), QStringLiteral("結果１(ﾀﾞﾐｰ)"));
    // Saved untouched, the record keeps its IDs; the empty entry chosen clears one.
    e->cbxResultName->setCurrentIndex(0);
    e->btnSave->click();
    EXPECT_EQ(f.Accept("TYPE_ID", actNo), "0002");
    EXPECT_EQ(f.Accept("USERID", actNo), "u1");
    EXPECT_EQ(f.Accept("RESULT_ID", actNo), "");

    // Text longer than its column: a clear message, still editing, text kept.
    e->btnActEdit->click();
    const struct {
        QWidget* Box;
        QString Title, Content, Warning;
    } cases[] = {
        {e->edtTitle, QString(51, QChar(0x6F22)), "", TfraAccept::kTitleTooLong},
        {e->richContent, "", QString(201, QChar(0x6F22)), TfraAccept::kContentTooLong},
        {e->richContent, "", QString(199, QChar(0x6F22)) + "\na", TfraAccept::kContentTooLong}, // CR LF is two
        {e->edtTitle, QStringLiteral("😀"), "", ""},                                             // no CP932 form
    };
    for (const auto& c : cases) {
        f.rec.Shown.clear();
        e->edtTitle->setText(c.Title);
        e->richContent->setPlainText(c.Content);
        e->btnSave->click();
        ASSERT_EQ(f.rec.Shown.size(), 1u);
        EXPECT_EQ(f.rec.Shown[0].Kind, TMsgKind::Warning);
        if (!c.Warning.isEmpty()) {
            EXPECT_EQ(f.rec.Shown[0].Text, c.Warning);
        }
        EXPECT_TRUE(e->btnSave->isEnabled());
        EXPECT_EQ(e->edtTitle->text(), c.Title);
    }
    EXPECT_EQ(f.Accept("TITLE", actNo), QString());
    e->edtTitle->setText(QString(50, QChar(0x6F22)));
    e->richContent->setPlainText(QString(200, QChar(0x6F22)));
    f.rec.Shown.clear();
    e->btnSave->click();
    EXPECT_TRUE(f.rec.Shown.empty());
    EXPECT_EQ(f.Accept("TITLE", actNo), QString(50, QChar(0x6F22)));

    // Deleted on another copy while the tab is open: not silently "saved".
    e->btnActEdit->click();
    e->edtTitle->setText(QStringLiteral("消えた記録"));
    f.dm->DeleteRows("ACCEPT_T", "ACT_NO", QString::number(actNo));
    e->btnSave->click();
    EXPECT_TRUE(f.rec.Saw(TfraAccept::kDeletedElsewhere));
    EXPECT_TRUE(e->btnSave->isEnabled());
    EXPECT_EQ(e->edtTitle->text(), QStringLiteral("消えた記録"));
    EXPECT_EQ(f.Scalar("select count(*) from ACCEPT_T"), "0");
}

TEST(HandlingLookups, BuiltAtStartAndRebuiltByTheRefresh)
{
    TAcceptFixture f;
    EXPECT_EQ(f.frm->ActTypes().Ids, QStringList({"", "0001", "0002"}));
    EXPECT_EQ(f.frm->ActResults().Names, QStringList({"", QStringLiteral("結果１(ﾀﾞﾐｰ)"), QStringLiteral("結果２(ﾀﾞﾐｰ)")}));
    EXPECT_EQ(f.frm->Users().Ids, QStringList({"", "admin"}));
    const QString log = f.LogText();
    const qsizetype t = log.indexOf("TfrmMain.MakeActTypeTemp begin");
    const qsizetype r = log.indexOf("TfrmMain.MakeActResultTemp begin");
    const qsizetype u = log.indexOf("TfrmMain.MakeUserTemp begin");
    EXPECT_TRUE(t >= 0 && t < r && r < u);

    f.dm->ExecSql("insert into ACCEPT_TYPE (TYPE_ID, TYPE_NAME, LIST_ID) values ('0003', '三', '0003')");
    f.dm->ExecSql("insert into ACCEPT_RESULT (RESULT_ID, RESULT_NAME, LIST_ID) values ('0003', '三', '0003')");
    TUpTable up;
    up.UpActType = true;
    f.frm->RefreshTables(up);
    EXPECT_EQ(f.frm->ActTypes().Count(), 4);
    EXPECT_EQ(f.frm->ActResults().Count(), 3); // only the flagged list
}

TEST(HandlingLookups, ClientRebuildsOnTheServersNotice)
{
    TAcceptFixture f(true, "[KURUTEN_DB]\nLAN=1\nCLIENT=1\n");
    ASSERT_EQ(f.settings->Role(), TRole::Client);
    f.dm->ExecSql("insert into ACCEPT_RESULT (RESULT_ID, RESULT_NAME, LIST_ID) values ('0009', '九', '0009')");
    QUdpSocket server;
    server.writeDatagram(QByteArray("OTH000001000"), QHostAddress::LocalHost, quint16(f.settings->UdpServerPort));
    EXPECT_TRUE(f.WaitFor([&] { return f.frm->ActResults().Ids.contains("0009"); }));
}

TEST(HandlingLookups, MasterWindowsRebuildTheirListAndTellTheOtherCopies)
{
    TAcceptFixture f(true, "[KURUTEN_DB]\nLAN=1\n"); // a server copy announces its changes
    ASSERT_EQ(f.settings->Role(), TRole::Server);
    QUdpSocket client;
    ASSERT_TRUE(client.bind(QHostAddress::LocalHost, quint16(f.settings->UdpServerPort), QUdpSocket::ShareAddress));
    const struct {
        const char* Item;
        const char* Window;
        const char* Notice;
    } items[] = {{"itemActType", "frmAcceptType", "OTH000010000"},
                 {"itemActResult", "frmAcceptResult", "OTH000001000"},
                 {"itemUser", "frmUser", "OTH000100000"}};
    for (const auto& item : items) {
        SCOPED_TRACE(item.Item);
        QString opened;
        Msg::SetDialogResponder([&](QDialog& d) {
            opened = d.objectName();
            if (auto* m = qobject_cast<TfrmAcceptMaster*>(&d)) {
                m->edtId->setText("0777");
                m->edtName->setText(QStringLiteral("追加"));
                m->btnInsert->click();
            } else {
                f.dm->ExecSql("insert into USER_M (USERID, USERNM, AUTH) values ('0777', '追加', 1)");
            }
            return int(QDialog::Rejected);
        });
        f.Find<QAction>(item.Item)->trigger();
        EXPECT_EQ(opened, item.Window);
        ASSERT_TRUE(f.WaitFor([&] { return client.hasPendingDatagrams(); }));
        EXPECT_EQ(client.receiveDatagram().data(), QByteArray(item.Notice));
    }
    EXPECT_TRUE(f.frm->ActTypes().Ids.contains("0777"));
    EXPECT_TRUE(f.frm->ActResults().Ids.contains("0777"));
    EXPECT_TRUE(f.frm->Users().Ids.contains("0777"));
}

TEST(HandlingMark, CallHistoryShowsTheMarkAndOpensTheRecord)
{
    TAcceptFixture f;
    TAccept a;
    a.ACT_DT = QDateTime::currentDateTime();
    a.LOG_NO = QString::number(f.LogNo);
    a.CUST_NO = QString::number(f.CustNo);
    const int actNo = f.dm->InsertAccept(a);
    TCallLog other;
    other.DT_FROM = QDateTime::currentDateTime().addSecs(-3600);
    other.TEL_NO = "0312345678";
    other.TEL_TYPE = QStringLiteral("着信");
    const int otherLog = f.dm->InsertLog(other);
    f.frm->LoadHistory();
    auto* grid = f.Find<TStringGrid>("sgdLog");
    ASSERT_EQ(grid->DataRowCount(), 2);
    EXPECT_FALSE(grid->isColumnHidden(6));
    EXPECT_EQ(f.Grid(0, 6), QString::number(actNo));
    EXPECT_EQ(f.Grid(1, 6), QString());

    // Drawn as the mark at (left + 8, top + 2), not as the number.
    f.frm->resize(1000, 600);
    f.frm->show();
    QCoreApplication::processEvents();
    const QImage shot = grid->viewport()->grab().toImage();
    auto markPixels = [&](int row) {
        const QRect cell = grid->visualItemRect(grid->item(row, 6));
        int n = 0;
        for (int y = cell.top() + 2; y < cell.top() + 18; ++y)
            for (int x = cell.left() + 8; x < cell.left() + 24; ++x) {
                const QColor c = shot.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 130 && c.blue() < 80) ++n;
            }
        return n;
    };
    EXPECT_GT(markPixels(0), 5);
    EXPECT_EQ(markPixels(1), 0);

    // Double-click: the record in browse mode, or a new record for the call.
    emit grid->cellDoubleClicked(0, 6);
    EXPECT_TRUE(f.LogText().contains(QStringLiteral("ActNo=%1 CustTelNon=0312345678").arg(actNo)));
    emit grid->cellDoubleClicked(1, 6);
    EXPECT_TRUE(f.LogText().contains("ActNo=-1 CustTelNon=0312345678"));
    EXPECT_NE(otherLog, f.LogNo);
    grid->SetCell(1, 6, "x");
    emit grid->cellDoubleClicked(1, 6);
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("対応履歴の読み込みに失敗しました。対応履歴を再読み込みしてください。")));
    f.frm->hide();
}

TEST(HandlingMark, NothingWithTheFeatureOff)
{
    TAcceptFixture f(false);
    ASSERT_FALSE(f.settings->UseAccept);
    EXPECT_EQ(f.settings->ReadText("BASIC", "USE_ACCEPT"), "0");
    TAccept a;
    a.ACT_DT = QDateTime::currentDateTime();
    a.LOG_NO = QString::number(f.LogNo);
    a.CUST_NO = QString::number(f.CustNo);
    f.dm->InsertAccept(a);
    f.frm->LoadHistory();
    auto* grid = f.Find<TStringGrid>("sgdLog");
    EXPECT_TRUE(grid->isColumnHidden(6));
    EXPECT_EQ(f.Grid(0, 6), QString());
    emit grid->cellDoubleClicked(0, 6);
    EXPECT_FALSE(f.LogText().contains("ActNo="));
}

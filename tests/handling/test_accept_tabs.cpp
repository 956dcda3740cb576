// Handling records inside the customer view and across customers: the
// handling list and tabs of the view, the call that opens them, the marks in
// both call lists, the main window's day page and the search window, on a
// real database with a real main window.
#include "accept_history_sql_u.h"
#include "comma_text_u.h"
#include "cust_pages_u.h"
#include "fra_accept_history_u.h"
#include "fra_accept_u.h"
#include "fra_cust_u.h"
#include "frm_act_search_u.h"
#include "main_fixture.h"
#include "name_edit_u.h"
#include "record_tabs_u.h"
#include "string_grid_u.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeWidget>

namespace {
const QString kAskClose = QStringLiteral("保存されていない入力があります。破棄して閉じてもよろしいですか？");

// A main window with handling records on, two users, and the customer
// 山田商店 (0312345678, child number 0312345679).
struct TTabsFixture : TMainFixture
{
    explicit TTabsFixture(const QByteArray& ini = QByteArray()) : TMainFixture(ini)
    {
        rec.Decide = [](const TMsgRequest& r) { return (r.Buttons & mbYes) ? int(mbYes) : int(mbOK); };
        started = frm->FormCreate();
        rec.Decide = nullptr;
        rec.Answer = mbOK;
        rec.Shown.clear();
        dm->ExecSql("insert into USER_M (USERID, USERNM, PASSWD, AUTH, LISTID) values ('u1', '山田', 'p', 1, '1')");
        dm->ExecSql("insert into USER_M (USERID, USERNM, PASSWD, AUTH, LISTID) values ('u2', '鈴木', 'p', 1, '2')");
        TUpTable up;
        up.UpUser = true;
        frm->RefreshTables(up);
        CustNo = Customer("03-1234-5678", QStringLiteral("山田商店"));
        dm->InsertTels({"0312345678", "0312345678", QStringLiteral("山田商店"), QString()});
        dm->InsertTels({"0312345679", "0312345678", QStringLiteral("山田商店 (子)"), QString()});
    }
    int Customer(const QString& tel, const QString& name)
    {
        TCust c;
        c.CUST_TEL = tel;
        c.CUST_NAME = name;
        return dm->InsertCustData(c);
    }
    int Record(int custNo, const QDateTime& at, const QString& title, const QString& type = QString(),
               const QString& result = QString(), const QString& user = QString(), const QString& content = QString())
    {
        TAccept a;
        a.CUST_NO = QString::number(custNo);
        a.ACT_DT = at;
        a.TITLE = title;
        a.TYPE_ID = type;
        a.RESULT_ID = result;
        a.USERID = user;
        a.CONTENT = content;
        return dm->InsertAccept(a);
    }
    QTabWidget* Pages() { return Find<QTabWidget>("PageMain"); }
    TfraCust* View()
    {
        QWidget* page = Pages()->currentWidget();
        return page ? page->findChild<TfraCust*>("fraCust") : nullptr;
    }
    TfraAccept* Editor() { return View() ? View()->AcceptAt(View()->PageHistory->currentIndex()) : nullptr; }
    TStringGrid* DayGrid() { return Find<TfraAcceptHistory>("tabAccept")->sgdAccept; }
    int MaxLogNo() { return Scalar("select max(LOG_NO) from LOG").toInt(); }

    bool started = false;
    int CustNo = -1;
};

QStringList Column(const TStringGrid* g, int column)
{
    QStringList cells;
    for (int r = 0; r < g->DataRowCount(); ++r) cells << g->Cell(r, column);
    return cells;
}
} // namespace

TEST(AcceptTabs, CallOpensCustomerAndNewRecordThatIsSavedEditedAndDeleted)
{
    TTabsFixture f("[BASIC]\nAUTO_CUST_INFO=1\n");
    ASSERT_TRUE(f.started);
    ASSERT_TRUE(f.settings->UseAccept);
    f.frm->TelReceiveProc("0312345679", "", 1, "");
    const int logNo = f.MaxLogNo();
    TfraCust* v = f.View();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->edtCustName->text(), QStringLiteral("山田商店"));
    ASSERT_EQ(v->PageHistory->count(), 3);
    EXPECT_EQ(v->PageHistory->currentIndex(), 2);
    EXPECT_EQ(v->PageHistory->tabText(2), AcceptTabCaption(-1, false));
    TfraAccept* a = f.Editor();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->ActNo(), -1);
    EXPECT_EQ(a->LogNo(), QString::number(logNo));
    EXPECT_FALSE(a->Browsing());
    EXPECT_EQ(v->PageHistory->Bar()->MarkImage(), 1); // editing mark

    // Saved with type, result and person: the call gets its mark in both lists.
    a->cbxTypeName->setCurrentIndex(1);
    a->cbxResultName->setCurrentIndex(2);
    a->cbxUserName->setCurrentIndex(f.frm->Users().IndexOfId("u2"));
    a->edtTitle->setText(QStringLiteral("見積の依頼"));
    a->richContent->setPlainText(QStringLiteral("来週までに\n見積書を送る"));
    a->btnSave->click();
    const int actNo = a->ActNo();
    ASSERT_GT(actNo, 0);
    EXPECT_EQ(f.Scalar(QStringLiteral("select LOG_NO from ACCEPT_T where ACT_NO = %1").arg(actNo)),
              QString::number(logNo));
    EXPECT_EQ(f.Scalar(QStringLiteral("select USERID || TYPE_ID || RESULT_ID from ACCEPT_T where ACT_NO = %1").arg(actNo)),
              "u200010002");
    EXPECT_EQ(v->PageHistory->tabText(2), AcceptTabCaption(actNo, true));
    EXPECT_EQ(v->sgdCustLog->Cell(0, 6), QString::number(actNo));
    EXPECT_EQ(f.Grid(0, 6), QString::number(actNo));
    EXPECT_EQ(Column(v->sgdAccept, 1), QStringList{QStringLiteral("見積の依頼")});
    EXPECT_EQ(Column(v->sgdAccept, 4), QStringList{QStringLiteral("鈴木")});
    EXPECT_EQ(Column(f.DayGrid(), 1), QStringList{QStringLiteral("山田商店")});

    // The same record asked for again, from the view or from the call
    // history: the one open tab comes to the front in the mode it has.
    v->PageHistory->setCurrentIndex(0);
    v->OpenAcceptTab(actNo, QString(), false);
    EXPECT_EQ(v->PageHistory->count(), 3);
    EXPECT_EQ(v->PageHistory->currentIndex(), 2);
    EXPECT_TRUE(f.Editor()->Browsing());
    f.Pages()->setCurrentIndex(0);
    emit f.Find<TStringGrid>("sgdLog")->cellDoubleClicked(0, 6);
    EXPECT_EQ(f.Pages()->count(), 3);
    EXPECT_EQ(f.View(), v);
    EXPECT_EQ(v->PageHistory->count(), 3);

    // Edit and cancel: the stored text comes back.
    a->btnActEdit->click();
    a->edtTitle->setText(QStringLiteral("書き換え"));
    a->btnCancel->click();
    EXPECT_EQ(a->edtTitle->text(), QStringLiteral("見積の依頼"));
    EXPECT_TRUE(a->Browsing());
    // Edit and save: the lists follow.
    a->btnActEdit->click();
    a->edtTitle->setText(QStringLiteral("見積の依頼（再）"));
    a->btnSave->click();
    EXPECT_EQ(Column(v->sgdAccept, 1), QStringList{QStringLiteral("見積の依頼（再）")});
    EXPECT_EQ(Column(f.DayGrid(), 2), QStringList{QStringLiteral("見積の依頼（再）")});

    // A new record from the list's button, and from the call list's
    // handling column of a call without one.
    v->btnActAdd->click();
    EXPECT_EQ(v->PageHistory->count(), 4);
    EXPECT_EQ(f.Editor()->ActNo(), -1);
    f.Editor()->btnCancel->click();
    EXPECT_TRUE(f.WaitFor([&] { return v->PageHistory->count() == 3; }));

    // Deleted from the view's list: marks gone, tab closed, the list page shown.
    v->PageHistory->setCurrentIndex(1);
    v->sgdAccept->setCurrentCell(0, 0);
    f.rec.Answer = mbCancel;
    v->btnActDel->click();
    EXPECT_EQ(f.Scalar(QStringLiteral("select count(*) from ACCEPT_T where ACT_NO = %1").arg(actNo)), "1");
    f.rec.Answer = mbOK;
    v->btnActDel->click();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("選択されている対応履歴を削除してよろしいですか？")));
    EXPECT_EQ(f.Scalar(QStringLiteral("select count(*) from ACCEPT_T where ACT_NO = %1").arg(actNo)), "0");
    EXPECT_EQ(v->PageHistory->count(), 2);
    EXPECT_EQ(v->sgdCustLog->Cell(0, 6), QString());
    EXPECT_EQ(f.Grid(0, 6), QString());
    EXPECT_FALSE(v->sgdAccept->HasData());
    EXPECT_FALSE(f.DayGrid()->HasData());
    EXPECT_FALSE(v->btnActEdit->isEnabled());
}

TEST(AcceptTabs, ListButtonsMarksAndTheCloseMark)
{
    TTabsFixture f;
    ASSERT_TRUE(f.started);
    const QDateTime now = QDateTime::currentDateTime();
    const int older = f.Record(f.CustNo, now.addDays(-1), QStringLiteral("古い対応"), "0001", "", "u1",
                               QStringLiteral("一行目\r\n二行目"));
    const int newer = f.Record(f.CustNo, now.addSecs(-60), QStringLiteral("新しい対応"));
    f.frm->OpenCustTab("0312345678");
    TfraCust* v = f.View();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(Column(v->sgdAccept, 1), (QStringList{QStringLiteral("新しい対応"), QStringLiteral("古い対応")}));
    EXPECT_EQ(v->sgdAccept->Cell(1, 2), QStringLiteral("区分１(ﾀﾞﾐｰ)"));
    EXPECT_EQ(v->sgdAccept->Cell(1, 0), now.addDays(-1).toString("yyyy/MM/dd HH:mm"));
    v->sgdAccept->setCurrentCell(1, 0);
    EXPECT_EQ(v->richContent->toPlainText(), QStringLiteral("一行目\n二行目"));

    // Nothing selected: the warning, nothing opens.
    v->sgdAccept->setCurrentCell(-1, -1);
    v->sgdAccept->clearSelection();
    v->btnActEdit->click();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("対応履歴を選択してください。")));
    EXPECT_EQ(v->PageHistory->count(), 2);

    // Double-click opens for reading, the button for editing.
    v->sgdAccept->setCurrentCell(0, 0);
    emit v->sgdAccept->cellDoubleClicked(0, 0);
    v->sgdAccept->setCurrentCell(1, 0);
    v->btnActEdit->click();
    ASSERT_EQ(v->PageHistory->count(), 4);
    EXPECT_EQ(v->PageHistory->tabText(2), AcceptTabCaption(newer, true));
    EXPECT_EQ(v->PageHistory->tabText(3), AcceptTabCaption(older, false));
    EXPECT_EQ(v->FindActPageIndex(older), 3);
    EXPECT_EQ(v->FindActPageIndex(12345), -1);

    // Releasing the mouse on the close mark closes a browsing tab only.
    f.frm->resize(1000, 700);
    f.frm->show();
    QApplication::processEvents();
    TRecordTabBar* bar = v->PageHistory->Bar();
    auto release = [&](int index) {
        const QRect r = bar->tabRect(index);
        const QPoint at(r.right() - 5, r.center().y());
        QMouseEvent move(QEvent::MouseMove, at, bar->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
        QMouseEvent up(QEvent::MouseButtonRelease, at, bar->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                       Qt::NoModifier);
        QApplication::sendEvent(bar, &up);
    };
    release(3); // edit state: stays
    EXPECT_EQ(v->PageHistory->count(), 4);
    v->PageHistory->setCurrentIndex(2);
    release(2);
    EXPECT_EQ(v->PageHistory->count(), 3);
    EXPECT_EQ(v->PageHistory->currentIndex(), 1); // the handling list
    f.frm->hide();

    // The call list's handling column: a call with a record opens it.
    TCallLog call;
    call.DT_FROM = now.addSecs(-30);
    call.TEL_NO = "0312345678";
    call.TEL_TYPE = QStringLiteral("着信");
    call.PORT_NO = 1;
    const int logNo = f.dm->InsertLog(call);
    f.dm->ExecSql(QStringLiteral("update ACCEPT_T set LOG_NO = %1 where ACT_NO = %2").arg(logNo).arg(newer));
    v->MakeMainGrid();
    ASSERT_EQ(v->sgdCustLog->Cell(0, 6), QString::number(newer));
    emit v->sgdCustLog->cellDoubleClicked(0, 6);
    EXPECT_EQ(v->PageHistory->tabText(v->PageHistory->currentIndex()), AcceptTabCaption(newer, true));

    // Another copy's change reaches the list through the refresh.
    f.Record(f.CustNo, now, QStringLiteral("他の端末"));
    TUpTable up;
    up.UpAccept = true;
    f.frm->RefreshTables(up);
    EXPECT_EQ(v->sgdAccept->DataRowCount(), 3);
}

TEST(AcceptTabs, ClosingACustomerTabAsksOnlyWithUnsavedInput)
{
    const struct {
        const char* Name;
        std::function<void(TfraCust*)> Change;
        bool Asks;
    } cases[] = {
        {"nothing changed", [](TfraCust*) {}, false},
        {"customer in edit, unchanged", [](TfraCust* v) { v->btnEditClick(); }, false},
        {"customer name changed",
         [](TfraCust* v) {
             v->btnEditClick();
             v->edtCustName->setText(QStringLiteral("山田商店本店"));
         },
         true},
        {"new handling record, empty", [](TfraCust* v) { v->OpenAcceptTab(-1, QString(), false); }, false},
        {"new handling record with a title",
         [](TfraCust* v) {
             v->OpenAcceptTab(-1, QString(), false);
             v->AcceptAt(2)->edtTitle->setText(QStringLiteral("途中"));
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTabsFixture f;
        ASSERT_TRUE(f.started);
        const int index = f.frm->OpenCustTab("0312345678");
        c.Change(f.View());
        f.rec.Shown.clear();
        f.rec.Answer = mbCancel;
        f.frm->CloseCustomerPage(index);
        EXPECT_EQ(f.rec.Saw(kAskClose), c.Asks);
        EXPECT_EQ(f.Pages()->count(), c.Asks ? 3 : 2);
        if (!c.Asks) continue;
        f.rec.Answer = mbOK;
        f.frm->CloseCustomerPage(index);
        EXPECT_EQ(f.Pages()->count(), 2);
    }
}

TEST(AcceptTabs, SignedInUserIsTheDefaultPersonInCharge)
{
    TTabsFixture f;
    ASSERT_TRUE(f.started);
    f.dm->SignedInUser.USERID = "u2";
    f.frm->OpenCustTab("0399990000"); // nobody: a new customer
    EXPECT_EQ(f.View()->cbxUser->currentText(), QStringLiteral("鈴木"));
    f.frm->OpenCustTab("0312345678");
    f.View()->btnActAdd->click();
    EXPECT_EQ(f.Editor()->cbxUserName->currentText(), QStringLiteral("鈴木"));
}

TEST(AcceptHistory, DayPageListsTheDaysRecordsOpensAndDeletes)
{
    TTabsFixture f;
    ASSERT_TRUE(f.started);
    const QDate day(2026, 3, 10);
    const int other = f.Customer("0355550000", QStringLiteral("佐藤工業"));
    const int gone = f.Customer("0366660000", QStringLiteral("削除済"));
    f.dm->ExecSql(QStringLiteral("update CUSTOMER set DEL_DT = CURRENT_TIMESTAMP where CUST_NO = %1").arg(gone));
    f.Record(f.CustNo, QDateTime(day, QTime(0, 0)), QStringLiteral("朝一番"), "", "", "u1", QStringLiteral("内容A"));
    const int late = f.Record(other, QDateTime(day, QTime(23, 59)), QStringLiteral("夜遅く"));
    f.Record(f.CustNo, QDateTime(day.addDays(1), QTime(0, 0)), QStringLiteral("翌日"));
    f.Record(f.CustNo, QDateTime(day.addDays(-1), QTime(23, 59, 59)), QStringLiteral("前日"));
    f.Record(gone, QDateTime(day, QTime(12, 0)), QStringLiteral("削除済の顧客"));

    f.Find<QDateEdit>("dtpLogDate")->setDate(day);
    TStringGrid* g = f.DayGrid();
    EXPECT_EQ(Column(g, 2), (QStringList{QStringLiteral("夜遅く"), QStringLiteral("朝一番")}));
    EXPECT_EQ(Column(g, 1), (QStringList{QStringLiteral("佐藤工業"), QStringLiteral("山田商店")}));
    EXPECT_EQ(g->Cell(1, 5), QStringLiteral("山田"));
    EXPECT_TRUE(f.LogText().contains("TfrmMain.MakeAcceptGrid"));

    // A click shows the content and puts the customer in the number box.
    f.Pages()->setCurrentIndex(1);
    f.frm->show();
    g->setCurrentCell(1, 0);
    auto* page = f.Find<TfraAcceptHistory>("tabAccept");
    EXPECT_EQ(page->richContent->toPlainText(), QStringLiteral("内容A"));
    EXPECT_EQ(f.Find<QLineEdit>("edtCall")->text(), "0312345678");
    f.frm->hide();

    // Double-click: the record in its customer's tab, for reading.
    emit g->cellDoubleClicked(1, 0);
    ASSERT_NE(f.View(), nullptr);
    EXPECT_EQ(f.View()->CustNo(), f.CustNo);
    EXPECT_TRUE(f.Editor()->Browsing());

    // Delete from the day page: the record's tab in the open view closes.
    f.Find<QTabWidget>("PageMain")->setCurrentIndex(1);
    f.frm->OpenCustAcceptTab("0355550000", late, true, QString());
    TfraCust* sato = f.View();
    ASSERT_EQ(sato->PageHistory->count(), 3);
    g->setCurrentCell(0, 0);
    f.rec.Answer = mbOK;
    page->btnActDel->click();
    EXPECT_TRUE(f.LogText().contains(QStringLiteral("strActNo=%1 strCustNo=%2").arg(late).arg(other)));
    EXPECT_EQ(Column(g, 2), QStringList{QStringLiteral("朝一番")});
    EXPECT_EQ(sato->PageHistory->count(), 2);
    EXPECT_FALSE(sato->sgdAccept->HasData());

    // Nothing selected: the warning.
    g->clearSelection();
    g->setCurrentCell(-1, -1);
    f.rec.Shown.clear();
    page->btnActEdit->click();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("対応履歴を選択してください。")));
}

TEST(AcceptHistory, SearchFilters)
{
    TTabsFixture f;
    ASSERT_TRUE(f.started);
    const QDate d(2026, 5, 20);
    const int other = f.Customer("0355550000", QStringLiteral("佐藤工業"));
    const int gone = f.Customer("0366660000", QStringLiteral("削除済"));
    f.dm->ExecSql(QStringLiteral("update CUSTOMER set DEL_DT = CURRENT_TIMESTAMP where CUST_NO = %1").arg(gone));
    f.Record(f.CustNo, QDateTime(d, QTime(9, 0)), QStringLiteral("請求書の件"), "0001", "0001", "u1",
             QStringLiteral("再送を依頼"));
    f.Record(f.CustNo, QDateTime(d.addDays(-3), QTime(9, 0)), QStringLiteral("修理"), "0002", "0001", "u2",
             QStringLiteral("部品100%交換"));
    f.Record(other, QDateTime(d.addDays(-30), QTime(9, 0)), QStringLiteral("O'Brien様"), "0001", "0002", "u2",
             QStringLiteral("請求は来月"));
    f.Record(other, QDateTime(d, QTime(18, 0)), QStringLiteral("100円"), "", "", "", QStringLiteral("_下線"));
    f.Record(gone, QDateTime(d, QTime(10, 0)), QStringLiteral("請求書（削除済）"));

    f.frm->OpenActSearch(false, -1, QString());
    auto* w = f.frm->findChild<TfrmActSearch*>("frmActSearch");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("対応履歴検索"));
    auto titles = [&] {
        QStringList t;
        for (int i = 0; i < w->lvwHistoryList->topLevelItemCount(); ++i)
            t << w->lvwHistoryList->topLevelItem(i)->text(TfrmActSearch::colTitle);
        return t;
    };
    struct Case
    {
        const char* Name;
        std::function<void()> Set;
        QStringList Titles;
    };
    const QString all[] = {QStringLiteral("100円"), QStringLiteral("請求書の件"), QStringLiteral("修理"),
                           QStringLiteral("O'Brien様")};
    const Case cases[] = {
        {"no conditions: every record of live customers, newest first",
         [&] { w->chkFrom->setChecked(false), w->chkTo->setChecked(false); },
         {all[0], all[1], all[2], all[3]}},
        {"one day, from equal to to", [&] { w->dtpFrom->setDate(d), w->dtpTo->setDate(d); }, {all[0], all[1]}},
        {"period of a week",
         [&] { w->dtpFrom->setDate(d.addDays(-6)), w->dtpTo->setDate(d.addDays(-1)); },
         {all[2]}},
        {"only an end", [&] { w->chkFrom->setChecked(false), w->dtpTo->setDate(d.addDays(-1)); }, {all[2], all[3]}},
        {"text in title or content",
         [&] { w->chkFrom->setChecked(false), w->chkTo->setChecked(false), w->cbxSearchContent->setEditText("請求"); },
         {all[1], all[3]}},
        {"text in title only",
         [&] {
             w->chkFrom->setChecked(false), w->chkTo->setChecked(false), w->chkContent->setChecked(false);
             w->cbxSearchContent->setEditText("請求");
         },
         {all[1]}},
        {"text in content only",
         [&] {
             w->chkFrom->setChecked(false), w->chkTo->setChecked(false), w->chkTitle->setChecked(false);
             w->cbxSearchContent->setEditText("請求");
         },
         {all[3]}},
        {"neither box: the text filters nothing",
         [&] {
             w->chkFrom->setChecked(false), w->chkTo->setChecked(false), w->chkTitle->setChecked(false);
             w->chkContent->setChecked(false), w->cbxSearchContent->setEditText("請求");
         },
         {all[0], all[1], all[2], all[3]}},
        {"a quote", [&] { w->chkFrom->setChecked(false), w->cbxSearchContent->setEditText("O'Brien"); }, {all[3]}},
        {"a percent sign is a percent sign",
         [&] { w->chkFrom->setChecked(false), w->chkTo->setChecked(false), w->cbxSearchContent->setEditText("100%"); },
         {all[2]}},
        {"an underscore is an underscore",
         [&] { w->chkFrom->setChecked(false), w->chkTo->setChecked(false), w->cbxSearchContent->setEditText("_"); },
         {all[0]}},
        {"customer",
         [&] { w->chkFrom->setChecked(false), w->chkTo->setChecked(false), w->SetCustomer(other, "佐藤工業"); },
         {all[0], all[3]}},
        {"type", [&] { w->chkFrom->setChecked(false), w->cbxTypeName->setCurrentIndex(1); }, {all[1], all[3]}},
        {"result", [&] { w->chkFrom->setChecked(false), w->cbxResultName->setCurrentIndex(1); }, {all[1], all[2]}},
        {"person", [&] { w->chkFrom->setChecked(false), w->cbxUserName->setCurrentIndex(f.frm->Users().IndexOfId("u2")); }, {all[2], all[3]}},
        {"type and person",
         [&] {
             w->chkFrom->setChecked(false), w->cbxTypeName->setCurrentIndex(1);
             w->cbxUserName->setCurrentIndex(f.frm->Users().IndexOfId("u2"));
         },
         {all[3]}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        w->FormShow();
        c.Set();
        w->btnOk->click();
        EXPECT_EQ(titles(), c.Titles);
    }

    // "to" before "from": the warning, nothing searched.
    w->FormShow();
    w->dtpFrom->setDate(d);
    w->dtpTo->setDate(d.addDays(-1));
    w->btnOk->click();
    EXPECT_TRUE(f.rec.Saw(QStringLiteral("終了期間より開始期間の方が大きい日付になっています。")));
    EXPECT_EQ(w->lvwHistoryList->topLevelItemCount(), 0);
}

TEST(AcceptHistory, SearchHistoryResultsAndTheCustomersView)
{
    TTabsFixture f;
    ASSERT_TRUE(f.started);
    const QDate today = QDate::currentDate();
    const int first = f.Record(f.CustNo, QDateTime(today, QTime(8, 0)), QStringLiteral("一件目"));
    const int second = f.Record(f.CustNo, QDateTime(today, QTime(9, 0)), QStringLiteral("二件目"));

    // From the customer view: the window takes the view's customer.
    f.frm->OpenCustTab("0312345678");
    f.View()->btnHistorySearch->click();
    auto* w = f.frm->findChild<TfrmActSearch*>("frmActSearch");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->CustNo(), f.CustNo);
    EXPECT_EQ(w->pnlCustName->text(), QStringLiteral("山田商店"));
    // Opening it again keeps what was entered and changes the customer only.
    w->cbxSearchContent->setEditText(QStringLiteral("件目"));
    f.frm->OpenActSearch(true, 77, QStringLiteral("別の顧客"));
    EXPECT_EQ(w->cbxSearchContent->currentText(), QStringLiteral("件目"));
    EXPECT_EQ(w->CustNo(), 77);
    w->SetCustomer(f.CustNo, QStringLiteral("山田商店"));
    w->btnOk->click();
    ASSERT_EQ(w->lvwHistoryList->topLevelItemCount(), 2);

    // ">" with nothing selected selects the first line; then it opens the next.
    f.Pages()->setCurrentIndex(0);
    w->btnNext->click();
    EXPECT_EQ(w->lvwHistoryList->currentItem()->text(TfrmActSearch::colActNo), QString::number(second));
    EXPECT_EQ(f.Pages()->currentIndex(), 0);
    w->btnNext->click();
    TfraCust* v = f.View();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->PageHistory->currentIndex(), 1);
    EXPECT_EQ(v->sgdAccept->Cell(v->sgdAccept->currentRow(), 1), QStringLiteral("一件目"));
    w->btnPref->click();
    EXPECT_EQ(v->sgdAccept->Cell(v->sgdAccept->currentRow(), 1), QStringLiteral("二件目"));
    EXPECT_NE(first, second);

    // Twenty-one texts: the oldest goes; the history is kept as comma text.
    for (int i = 0; i < 21; ++i) {
        w->cbxSearchContent->setEditText(QStringLiteral("語 %1,\"x\"").arg(i));
        w->btnOk->click();
    }
    w->cbxSearchContent->setEditText(QStringLiteral("語 20,\"x\""));
    w->btnOk->click(); // already there: not added twice
    const QStringList history = CommaText::Split(f.settings->ReadText("SEARCH", "CONENT_STRING"));
    ASSERT_EQ(history.size(), 20);
    EXPECT_EQ(history.first(), QStringLiteral("語 1,\"x\""));
    EXPECT_EQ(history.last(), QStringLiteral("語 20,\"x\""));
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(f.frm->findChild<TfrmActSearch*>("frmActSearch"), nullptr);
}

// Pictures for a person to look at: only when KURUTEN_SHOT_DIR names a
// folder (scripts/screenshot-handling.sh runs it on a private X display).
TEST(Screens, HandlingTabAndSearch)
{
    const QString dir = qEnvironmentVariable("KURUTEN_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "KURUTEN_SHOT_DIR not set";
    TTabsFixture f("[BASIC]\nAUTO_CUST_INFO=1\n");
    ASSERT_TRUE(f.started);
    auto shoot = [](QWidget& w, const QString& file) {
        w.show();
        w.raise();
        w.activateWindow();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 800) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        w.grab().save(file);
    };
    const QDateTime now = QDateTime::currentDateTime();
    f.Record(f.CustNo, now.addDays(-2), QStringLiteral("請求書の再発行について"), "0001", "0001", "u1",
             QStringLiteral("先月分の請求書を紛失されたとのこと。\r\n再発行して郵送する。"));
    f.Record(f.CustNo, now.addDays(-9), QStringLiteral("納品日の確認"), "0002", "0002", "u2",
             QStringLiteral("来週水曜日の午前中で了承いただいた。"));
    f.frm->resize(1000, 720);
    f.frm->show();
    f.frm->TelReceiveProc("0312345679", "", 1, "");
    TfraAccept* a = f.Editor();
    ASSERT_NE(a, nullptr);
    a->cbxTypeName->setCurrentIndex(1);
    a->cbxResultName->setCurrentIndex(1);
    a->edtTitle->setText(QStringLiteral("見積の依頼（折り返し希望）"));
    a->richContent->setPlainText(QStringLiteral("新製品の見積を依頼された。\n本日中に担当の山田から折り返す。"));
    shoot(*f.frm, dir + "/handling-tab-new.png");
    a->btnSave->click();
    shoot(*f.frm, dir + "/handling-tab-saved.png");
    f.View()->PageHistory->setCurrentIndex(1);
    shoot(*f.frm, dir + "/handling-list.png");

    f.View()->btnHistorySearch->click();
    auto* w = f.frm->findChild<TfrmActSearch*>("frmActSearch");
    ASSERT_NE(w, nullptr);
    w->chkFrom->setChecked(false);
    w->cbxSearchContent->setEditText(QStringLiteral("請求"));
    w->chkFrom->setChecked(false);
    w->btnOk->click();
    w->cbxSearchContent->setEditText(QString());
    w->btnOk->click();
    shoot(*w, dir + "/frmActSearch.png");
    f.Pages()->setCurrentIndex(1);
    f.Find<QDateEdit>("dtpLogDate")->setDate(now.date());
    shoot(*f.frm, dir + "/main-handling-day.png");
    w->close();
}

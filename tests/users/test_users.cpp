// The user master, its search and the sign-in window, on a real database.
#include "accept_sql_u.h"
#include "check_date_u.h"
#include "clock_u.h"
#include "db_test_util.h"
#include "frm_login_u.h"
#include "frm_search_user_u.h"
#include "frm_user_u.h"
#include "user_sql_u.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QApplication>
#include <QTest>

namespace {
const QDateTime kNow(QDate(2024, 6, 15), QTime(10, 30));

class TUsers : public TDbFixture
{
protected:
    void SetUp() override
    {
        TDbFixture::SetUp();
        UseCurrentEmbedded();
    }
    void TearDown() override
    {
        Msg::SetDialogResponder({});
        TDbFixture::TearDown();
    }
    void AddUser(const QString& id, const QString& name, const QString& pw, const QString& from = "null",
                 const QString& to = "null", const QString& del = "null", const QString& list = "",
                 const QString& auth = "1")
    {
        Dm().ExecSql(QStringLiteral("insert into USER_M (USERID, USERNM, PASSWD, AUTH, LISTID, FROMDT, TODT, DEL_DT) "
                                    "values (%1, %2, %3, %4, %5, %6, %7, %8)")
                         .arg(SqlQuote(id), SqlQuote(name), SqlQuote(pw), auth, SqlQuote(list), from, to, del));
    }
    QString Col(const QString& column, const QString& id)
    {
        return Scalar(QStringLiteral("select %1 from USER_M where USERID = %2").arg(column, SqlQuote(id)));
    }
    static QStringList GridColumn(const TStringGrid* g, int col)
    {
        QStringList out;
        for (int r = 0; r < g->DataRowCount(); ++r) out << g->Cell(r, col);
        return out;
    }
};

QString Day(int offset)
{
    return SqlDate(kNow.date().addDays(offset).startOfDay());
}
} // namespace

// One rule for sign-in, the person-in-charge list and the user search.
TEST_F(TUsers, ValidityOnADay)
{
    const TClockOverride clock(kNow);
    const struct {
        const char* Id;
        QString From, To, Del;
        bool Valid;
    } cases[] = {
        {"open", "null", "null", "null", true},
        {"deleted", "null", "null", SqlDateTime(kNow.addDays(-1)), false},
        {"fromtdy", Day(0), "null", "null", true},
        {"fromtmr", Day(1), "null", "null", false}, // before its first day
        {"totdy", "null", Day(0), "null", false},   // on its "to" day
        {"totmr", "null", Day(1), "null", true},
        {"toyest", Day(-10), Day(-1), "null", false}, // after its "to" day
    };
    for (const auto& c : cases) AddUser(c.Id, QStringLiteral("名前") + c.Id, QStringLiteral("pw"), c.From, c.To, c.Del);

    const TLookupList lookup = AcceptSql::MakeUserTemp(Dm(), Clock::Today());
    EXPECT_EQ(lookup.Ids.first(), QString());
    TfrmSearchUser search(Dm());
    QStringList listed;
    for (int i = 0; i < search.lstUserName->count(); ++i) listed << search.lstUserName->item(i)->text();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Id);
        TUser u;
        EXPECT_EQ(Dm().LoginUser(c.Id, QStringLiteral("pw"), u), c.Valid);
        EXPECT_EQ(lookup.IndexOfId(c.Id) > 0, c.Valid);
        EXPECT_EQ(listed.contains(QStringLiteral("名前") + c.Id), c.Valid);
    }
    // The default account signs in with an empty password.
    TUser admin;
    EXPECT_TRUE(Dm().LoginUser(QStringLiteral("admin"), QString(), admin));
    EXPECT_EQ(admin.AUTH, 9999);
}

TEST_F(TUsers, WindowListsUsersAndRegistersNewOnes)
{
    const TClockOverride clock(kNow);
    AddUser("u9", "九番", "p", "null", "null", "null", "9");
    AddUser("u10", "十番", "p", "null", "null", "null", "10", "9999");
    AddUser("gone", "削除済", "p", "null", "null", SqlDateTime(kNow), "1");
    TfrmUser frm(Dm());
    EXPECT_EQ(frm.windowTitle(), QStringLiteral("担当者登録"));
    // Text order: "10" before "9"; the admin row (empty order) first.
    EXPECT_EQ(GridColumn(frm.sgdMain, TfrmUser::colId), QStringList({"admin", "u10", "u9"}));
    EXPECT_EQ(frm.sgdMain->Cell(1, TfrmUser::colAuth), QStringLiteral("管理者"));
    EXPECT_EQ(frm.sgdMain->columnWidth(TfrmUser::colDel), 130);
    EXPECT_TRUE(frm.sgdMain->isColumnHidden(TfrmUser::colPasswd));
    EXPECT_EQ(frm.cbxAuth->currentText(), QStringLiteral("一般"));
    EXPECT_FALSE(frm.dtpFromDt->Checked());
    EXPECT_EQ(frm.dtpFromDt->Date(), kNow.date());

    frm.cbxDeleteView->click();
    ASSERT_EQ(frm.sgdMain->DataRowCount(), 4);
    EXPECT_EQ(frm.sgdMain->Cell(1, TfrmUser::colId), QStringLiteral("gone"));
    EXPECT_EQ(frm.sgdMain->Cell(1, TfrmUser::colDel), QStringLiteral("2024/06/15 10:30"));
    EXPECT_EQ(frm.sgdMain->item(1, 1)->background().color(), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(frm.sgdMain->item(1, 1)->foreground().color(), QColor(Qt::white));
    EXPECT_EQ(frm.sgdMain->item(0, 1)->background().style(), Qt::NoBrush);

    frm.edtUserId->setText("new'1");
    frm.edtUserName->setText("新人 O'Neil");
    frm.edtPasswd->setText("secret");
    frm.cbxAuth->setCurrentIndex(1);
    frm.edtListId->setText("05");
    frm.dtpFromDt->SetValue(QDate(2024, 7, 1), kNow.date());
    frm.btnInsert->click();
    EXPECT_TRUE(Rec->Shown.empty());
    EXPECT_EQ(Col("USERNM", "new'1"), QStringLiteral("新人 O'Neil"));
    EXPECT_EQ(Col("AUTH", "new'1"), "9999");
    EXPECT_EQ(Col("PASSWD", "new'1"), "secret");
    EXPECT_EQ(Col("FROMDT", "new'1").left(10), "2024/07/01");
    EXPECT_EQ(Col("coalesce(TODT, 'none')", "new'1"), "none");
    EXPECT_EQ(Col("UPDT", "new'1").left(16), "2024/06/15 10:30");
    // The new row is the selected one and its values are back in the boxes.
    const int row = frm.sgdMain->SelectedRow();
    ASSERT_GE(row, 0);
    EXPECT_EQ(frm.sgdMain->Cell(row, TfrmUser::colId), "new'1");
    EXPECT_EQ(frm.edtPasswd->text(), "secret");
    EXPECT_TRUE(frm.dtpFromDt->Checked());
    EXPECT_FALSE(frm.dtpToDt->Checked());
}

TEST_F(TUsers, RegisterChangesLiveUsersAndAsksBeforeRevivingDeletedOnes)
{
    const TClockOverride clock(kNow);
    AddUser("live", "旧名", "p");
    AddUser("gone", "削除済", "p", "null", "null", SqlDateTime(kNow.addDays(-3)));
    TfrmUser frm(Dm());
    auto registerAs = [&](const QString& id, const QString& name) {
        frm.edtUserId->setText(id);
        frm.edtUserName->setText(name);
        frm.cbxAuth->setCurrentIndex(0);
        frm.btnInsert->click();
    };
    registerAs("live", "新名");
    EXPECT_TRUE(Rec->Shown.empty());
    EXPECT_EQ(Col("USERNM", "live"), QStringLiteral("新名"));

    Rec->Answer = mbCancel;
    registerAs("gone", "復活");
    ASSERT_EQ(Rec->Shown.size(), 1u);
    EXPECT_EQ(Rec->Shown[0].Kind, TMsgKind::Warning);
    EXPECT_EQ(Rec->Shown[0].Buttons, mbOK | mbCancel);
    EXPECT_EQ(Rec->Shown[0].Text, QStringLiteral("既に削除されたIDですが再登録してよろしいですか？"));
    EXPECT_EQ(Col("USERNM", "gone"), QStringLiteral("削除済"));
    EXPECT_NE(Col("DEL_DT", "gone"), QString());

    Rec->Answer = mbOK;
    registerAs("gone", "復活");
    EXPECT_EQ(Col("USERNM", "gone"), QStringLiteral("復活"));
    EXPECT_EQ(Col("coalesce(DEL_DT, 'live')", "gone"), "live");

    // Delete: asked first, then only marked.
    Rec->Shown.clear();
    Rec->Answer = mbCancel;
    frm.edtUserId->setText("live");
    frm.btnDelete->click();
    EXPECT_EQ(Rec->Shown.at(0).Kind, TMsgKind::Confirmation);
    EXPECT_EQ(Rec->Shown.at(0).Text, QStringLiteral("削除してよろしいですか？"));
    EXPECT_EQ(Col("coalesce(DEL_DT, 'live')", "live"), "live");
    Rec->Answer = mbOK;
    frm.edtUserId->setText("live");
    frm.btnDelete->click();
    EXPECT_EQ(Col("DEL_DT", "live").left(16), "2024/06/15 10:30");
    EXPECT_FALSE(GridColumn(frm.sgdMain, TfrmUser::colId).contains("live"));
    EXPECT_EQ(frm.edtUserId->text(), QString());
}

TEST_F(TUsers, RegisterRefusesMissingValues)
{
    AddUser("odd", "権限なし", "p", "null", "null", "null", "", "5");
    TfrmUser frm(Dm());
    frm.show();
    frm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    const struct {
        const char* Id;
        const char* Name;
        int Auth;
        bool DatesBackwards;
        QString Warning;
        QWidget* Focus;
    } cases[] = {
        {"", "名前", 0, false, "ユーザIDを入力してください。", frm.edtUserId},
        {"   ", "名前", 0, false, "ユーザIDを入力してください。", frm.edtUserId},
        {"x1", " ", 0, false, "ユーザ名を入力してください。", frm.edtUserName},
        {"x1", "名前", -1, false, "権限を選択してください。", frm.cbxAuth},
        {"x1", "名前", 0, true, "無効日には有効日より後の日付を指定してください。", frm.dtpToDt->Edit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Warning.toStdString());
        Rec->Shown.clear();
        frm.edtUserId->setText(c.Id);
        frm.edtUserName->setText(c.Name);
        frm.cbxAuth->setCurrentIndex(c.Auth);
        frm.dtpFromDt->SetValue(c.DatesBackwards ? QDate(2024, 5, 2) : QDate(), QDate(2024, 5, 1));
        frm.dtpToDt->SetValue(c.DatesBackwards ? QDate(2024, 5, 1) : QDate(), QDate(2024, 5, 1));
        frm.btnInsert->click();
        ASSERT_EQ(Rec->Shown.size(), 1u);
        EXPECT_EQ(Rec->Shown[0].Kind, TMsgKind::Warning);
        EXPECT_EQ(Rec->Shown[0].Text, c.Warning);
        EXPECT_EQ(QApplication::focusWidget(), c.Focus);
    }
    EXPECT_EQ(Scalar("select count(*) from USER_M"), "2");

    // A stored authority that is neither 1 nor 9999 leaves the box empty.
    frm.sgdMain->selectRow(1);
    EXPECT_EQ(frm.edtUserId->text(), "odd");
    EXPECT_EQ(frm.cbxAuth->currentIndex(), -1);
    Rec->Shown.clear();
    frm.btnInsert->click();
    EXPECT_TRUE(Rec->Saw(QStringLiteral("権限を選択してください。")));

    Rec->Shown.clear();
    frm.edtUserId->setText(" ");
    frm.btnDelete->click();
    EXPECT_TRUE(Rec->Saw(QStringLiteral("ユーザIDを入力してください。")));
}

TEST_F(TUsers, SignInWindow)
{
    AddUser("u1", "山田", "pw1");
    AddUser("old", "退職者", "pw2", "null", "null", "CURRENT_TIMESTAMP");
    TfrmLogin frm(Dm());
    EXPECT_EQ(frm.windowTitle(), QStringLiteral("ログイン認証"));
    EXPECT_FALSE(frm.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(frm.edtUserName->text(), QStringLiteral("該当者なし"));
    EXPECT_EQ(frm.edtPwd->echoMode(), QLineEdit::Password);

    // The name box names any known ID, deleted ones too.
    for (const auto& [id, name] : {std::pair{"old", "退職者"}, {"u1", "山田"}, {"nobody", "該当者なし"}, {"", "該当者なし"}}) {
        frm.edtUserId->setText(id);
        frm.edtUserIdExit();
        EXPECT_EQ(frm.edtUserName->text(), QString::fromUtf8(name));
    }

    // Wrong password, a deleted user, 200 typed characters: refused, texts kept.
    frm.show();
    for (const auto& [id, pw] : {std::pair{"u1", "wrong"}, {"old", "pw2"}}) {
        Rec->Shown.clear();
        frm.edtUserId->setText(id);
        frm.edtPwd->setText(pw);
        frm.btnLogin->click();
        EXPECT_TRUE(Rec->Saw(TfrmLogin::kInvalidText));
        EXPECT_EQ(frm.edtUserId->text(), id);
        EXPECT_EQ(frm.result(), 0);
    }
    frm.edtUserId->clear();
    QTest::keyClicks(frm.edtUserId, QString(200, QLatin1Char('u')));
    EXPECT_EQ(frm.edtUserId->text(), QString(8, QLatin1Char('u')));
    frm.edtPwd->setText(QString(200, QLatin1Char('p')));
    EXPECT_EQ(frm.edtPwd->text().size(), 8);
    Rec->Shown.clear();
    frm.btnLogin->click();
    EXPECT_TRUE(Rec->Saw(TfrmLogin::kInvalidText));

    frm.edtUserId->setText("u1");
    frm.edtPwd->setText("pw1");
    frm.btnLogin->click();
    EXPECT_EQ(frm.result(), int(QDialog::Accepted));
    EXPECT_EQ(frm.User().USERID, "u1");
    EXPECT_EQ(frm.User().USERNM, QStringLiteral("山田"));
}

TEST_F(TUsers, SearchPicksAValidUserForTheSignInWindow)
{
    AddUser("a1", "佐藤 '50%'", "p", "null", "null", "null", "2");
    AddUser("a2", "佐藤花子", "p", "null", "null", "null", "1");
    AddUser("a3", "鈴木", "p");
    TfrmLogin login(Dm());
    login.show();
    login.edtUserId->setText("xx");
    login.edtPwd->setText("yy");
    QStringList shown;
    Msg::SetDialogResponder([&](QDialog& d) {
        auto& search = dynamic_cast<TfrmSearchUser&>(d);
        EXPECT_FALSE(search.btnSearch->isEnabled());
        search.edtSearchName->setText("'50%'");
        EXPECT_TRUE(search.btnSearch->isEnabled());
        search.btnSearch->click();
        EXPECT_EQ(search.lstUserName->count(), 1);
        search.edtSearchName->setText("佐藤");
        search.btnSearch->click();
        for (int i = 0; i < search.lstUserName->count(); ++i) shown << search.lstUserName->item(i)->text();
        EXPECT_EQ(search.SelectedUserId(), QString());
        search.lstUserName->setCurrentRow(1);
        return int(QDialog::Accepted);
    });
    login.btnSearch->click();
    EXPECT_EQ(shown, QStringList({"佐藤花子", "佐藤 '50%'"}));
    EXPECT_EQ(login.edtUserId->text(), "a1");
    EXPECT_EQ(login.edtPwd->text(), QString());
    EXPECT_EQ(login.edtUserName->text(), QStringLiteral("佐藤 '50%'"));

    // Cancelled: the boxes keep what they had.
    Msg::SetDialogResponder([](QDialog&) { return int(QDialog::Rejected); });
    login.btnSearch->click();
    EXPECT_EQ(login.edtUserId->text(), "a1");
}

// The registration window of the external programs on a real database:
// browse and edit modes, the navigator, add, edit, cancel, delete, search,
// the fields each type uses, and closing while an entry is edited.
#include "frm_interface_u.h"
#include "frm_search_u.h"
#include "main_fixture.h"
#include "template_db_test_util.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
struct TIfFixture : TMainFixture
{
    TIfFixture()
    {
        TemplateDb::CopyTo(settings->DefaultDatabaseFile());
        Created = frm->FormCreate();
        for (const char* row : {"(1, 'Access顧客', 'EXE', '/opt/cust/cust', '--tel=', '顧客台帳', null, 0, 5, '0', '0', '0')",
                                "(3, 'テキスト連携', 'TXT', '/opt/txt/reader', '', '受付', '/srv/link/tel.txt', 7, 8, '0', '1', '1')",
                                "(5, 'Web台帳', 'URL', '', 'https://crm.example.jp/?tel=', '', null, 0, 0, '0', '0', '0')"})
            dm->ExecSql(QString("insert into INTERFACE (IF_NO, IF_NAME, IF_TYPE, EXEC_PATH, COMMAND, CAPTION, TEXT_PATH, "
                                "START_REQ, END_REQ, EVERY_CLOSE, TEXT_PORT, TEXT_DT) values ") +
                        row);
        rec.Shown.clear();
        rec.Decide = nullptr; // the tests answer with rec.Answer
        win = std::make_unique<TfrmInterface>(*dm, frm.get());
        win->FormShow();
    }
    QString Sql(const QString& sql) { return Scalar(sql); }
    QStringList Buttons() const
    {
        QStringList on;
        for (QPushButton* b : {win->btnAdd, win->btnEdit, win->btnDelete, win->btnOk, win->btnCancel, win->btnFirst,
                               win->btnPrior, win->btnNext, win->btnLast, win->btnSearch, win->btnClose})
            if (b->isEnabled()) on << b->objectName();
        return on;
    }
    bool Created = false;
    std::unique_ptr<TfrmInterface> win;
};

const QStringList kBrowse = {"btnAdd", "btnEdit", "btnDelete", "btnFirst", "btnPrior", "btnNext",
                             "btnLast", "btnSearch", "btnClose"};
const QStringList kEdit = {"btnOk", "btnCancel"};
} // namespace

TEST(FrmInterface, BrowseModeAndTheNavigator)
{
    TIfFixture f;
    ASSERT_TRUE(f.Created);
    EXPECT_EQ(f.win->windowTitle(), "外部接続登録");
    EXPECT_FALSE(f.win->Editing());
    EXPECT_FALSE(f.win->edtIfName->isEnabled());
    EXPECT_EQ(f.win->edtIfName->palette().color(QPalette::Base), QApplication::palette().color(QPalette::ToolTipBase));
    EXPECT_EQ(f.Buttons(), kBrowse);
    EXPECT_EQ(f.win->edtIfNo->text(), "1");
    EXPECT_EQ(f.win->edtIfName->text(), "Access顧客");
    const struct
    {
        QPushButton* TfrmInterface::*Button;
        const char* IfNo;
    } steps[] = {{&TfrmInterface::btnNext, "3"}, {&TfrmInterface::btnNext, "5"}, {&TfrmInterface::btnNext, "5"},
                 {&TfrmInterface::btnFirst, "1"}, {&TfrmInterface::btnPrior, "1"}, {&TfrmInterface::btnLast, "5"},
                 {&TfrmInterface::btnPrior, "3"}};
    for (const auto& s : steps) {
        (f.win.get()->*s.Button)->click();
        EXPECT_EQ(f.win->edtIfNo->text(), s.IfNo);
    }
    EXPECT_EQ(f.win->edtTextPath->text(), "/srv/link/tel.txt");
    EXPECT_TRUE(f.win->chkTextPort->isChecked());
    EXPECT_TRUE(f.win->chkTextDt->isChecked());
    EXPECT_FALSE(f.win->chkEveryClose->isChecked());
    EXPECT_EQ(f.win->edtStartReq->text(), "7");
}

TEST(FrmInterface, AddEditCancelAndDelete)
{
    TIfFixture f;
    ASSERT_TRUE(f.Created);
    f.win->btnAddClick();
    EXPECT_TRUE(f.win->Editing());
    EXPECT_EQ(f.Buttons(), kEdit);
    EXPECT_TRUE(f.win->edtIfName->isEnabled());
    EXPECT_EQ(f.win->edtIfName->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
    EXPECT_FALSE(f.win->edtIfNo->isReadOnly());
    EXPECT_TRUE(f.win->edtIfNo->text().isEmpty());
    f.win->edtIfNo->setText("9");
    f.win->edtIfName->setText("新しい連携");
    f.win->cbxIfType->setCurrentText("TXT");
    f.win->edtExecPath->setText("/opt/new/prog");
    f.win->edtTextPath->setText("/srv/new/tel.txt");
    f.win->edtStartReq->setText("2");
    f.win->chkTextDt->setChecked(true);
    f.win->btnOkClick();
    EXPECT_FALSE(f.win->Editing());
    EXPECT_EQ(f.win->edtIfNo->text(), "9");
    EXPECT_EQ(f.Sql("select IF_NAME || '|' || IF_TYPE || '|' || EXEC_PATH || '|' || TEXT_PATH || '|' || START_REQ || "
                    "'|' || EVERY_CLOSE || TEXT_PORT || TEXT_DT from INTERFACE where IF_NO = 9"),
              "新しい連携|TXT|/opt/new/prog|/srv/new/tel.txt|2|001");

    // Edit: the number stays; a cancelled edit changes nothing.
    f.win->btnEditClick();
    EXPECT_TRUE(f.win->edtIfNo->isReadOnly());
    f.win->edtIfName->setText("取り消す名前");
    f.win->btnCancelClick();
    EXPECT_EQ(f.win->edtIfName->text(), "新しい連携");
    f.win->btnEditClick();
    f.win->edtIfName->setText("変えた名前");
    f.win->chkEveryClose->setChecked(true);
    f.win->btnOkClick();
    EXPECT_EQ(f.Sql("select IF_NAME || EVERY_CLOSE from INTERFACE where IF_NO = 9"), "変えた名前1");

    // A number that exists already: the error, and the entry stays in edit.
    f.win->btnAddClick();
    f.win->edtIfNo->setText("1");
    f.win->btnOkClick();
    EXPECT_TRUE(f.win->Editing());
    ASSERT_EQ(f.rec.Shown.size(), 1u);
    EXPECT_EQ(f.rec.Shown[0].Kind, TMsgKind::Error);
    f.win->btnCancelClick();

    // Delete asks first.
    const struct
    {
        int Answer;
        const char* Count;
    } deletes[] = {{mbNo, "4"}, {mbYes, "3"}};
    for (const auto& d : deletes) {
        f.rec.Shown.clear();
        f.rec.Answer = d.Answer;
        f.win->btnDeleteClick();
        ASSERT_EQ(f.rec.Shown.size(), 1u);
        EXPECT_EQ(f.rec.Shown[0].Text, "このデータを削除してもよろしいですか？");
        EXPECT_EQ(f.Sql("select count(*) from INTERFACE"), d.Count);
    }
    f.dm->ExecSql("delete from INTERFACE");
    f.dm->tblInterface.Refresh();
    f.win->btnCancelClick(); // back in browse mode on an empty table
    EXPECT_FALSE(f.win->btnDelete->isEnabled());
}

TEST(FrmInterface, TheFieldsThatEachTypeUses)
{
    TIfFixture f;
    ASSERT_TRUE(f.Created);
    f.win->btnEditClick();
    const QList<QWidget*> fields = {f.win->edtCommand,  f.win->edtTextPath, f.win->edtCaption,  f.win->chkEveryClose,
                                    f.win->chkTextPort, f.win->chkTextDt,   f.win->lblSendMsg,  f.win->lblStartReq,
                                    f.win->edtStartReq, f.win->edtEndReq};
    const struct
    {
        const char* Type;
        bool EveryClose;
        const char* Enabled; // one letter per field: 1 on, 0 off
        const char* StartLabel;
        bool StartNumber;
    } cases[] = {
        {"EXE", false, "1011001101", "開始リクエスト =  WM_COPYDATA", false},
        {"EXE", true, "1011000000", "開始リクエスト =  WM_COPYDATA", false},
        {"TXT", false, "1111111111", "開始リクエスト =  WM_USER + ", true},
        {"TXT", true, "1111110000", "開始リクエスト =  WM_USER + ", true},
        {"URL", false, "1000000000", "開始リクエスト =  WM_USER + ", true},
    };
    for (const auto& c : cases) {
        f.win->cbxIfType->setCurrentText(c.Type);
        f.win->chkEveryClose->setChecked(c.EveryClose); // ticking updates the fields at once
        QString on;
        for (QWidget* w : fields) on += w->isEnabled() ? '1' : '0';
        EXPECT_EQ(on, QString(c.Enabled)) << c.Type << c.EveryClose;
        EXPECT_EQ(f.win->lblStartReq->text(), QString(c.StartLabel));
        EXPECT_EQ(f.win->edtStartReq->isVisibleTo(f.win.get()), c.StartNumber);
    }
    f.win->btnCancelClick();
}

TEST(FrmInterface, ClosingWhileEditingAsksFirst)
{
    TIfFixture f;
    ASSERT_TRUE(f.Created);
    f.win->btnEditClick();
    f.win->edtIfName->setText("閉じる前");
    const struct
    {
        int Answer;
        bool Closed;
    } cases[] = {{mbNo, false}, {mbYes, true}};
    for (const auto& c : cases) {
        f.rec.Shown.clear();
        f.rec.Answer = c.Answer;
        f.win->setResult(-1);
        f.win->reject();
        ASSERT_EQ(f.rec.Shown.size(), 1u);
        EXPECT_EQ(f.rec.Shown[0].Text, "データが編集状態です。キャンセルして画面を閉じてもよろしいですか？");
        EXPECT_EQ(f.win->result(), c.Closed ? int(QDialog::Rejected) : -1);
        EXPECT_EQ(f.dm->tblInterface.Active(), !c.Closed);
    }
    EXPECT_EQ(f.Sql("select IF_NAME from INTERFACE where IF_NO = 1"), "Access顧客");
}

TEST(FrmInterface, SearchMovesToThePickedEntry)
{
    TIfFixture f;
    ASSERT_TRUE(f.Created);
    const struct
    {
        std::optional<int> Picked;
        const char* IfNo;
    } cases[] = {{5, "5"}, {std::nullopt, "5"}, {3, "3"}};
    for (const auto& c : cases) {
        f.win->SearchEntry = [&] { return c.Picked; };
        f.win->btnSearch->click();
        EXPECT_EQ(f.win->edtIfNo->text(), c.IfNo);
    }
}

TEST(FrmInterface, TheSearchDialogPicksAnEntryByItsNumber)
{
    TIfFixture f;
    ASSERT_TRUE(f.Created);
    const struct
    {
        const char* Value; // typed into the name search; null cancels
        std::optional<int> Picked;
    } cases[] = {{"Web", 5}, {"テキスト", 3}, {nullptr, std::nullopt}};
    for (const auto& c : cases) {
        Msg::SetDialogResponder([&](QDialog& d) {
            auto* s = qobject_cast<TfrmSearch*>(&d);
            if (!s || !c.Value) return int(QDialog::Rejected);
            EXPECT_EQ(s->windowTitle(), "外部接続検索");
            s->cbxItem->setCurrentIndex(1);
            s->edtValue->setText(QString::fromUtf8(c.Value));
            s->btnSearchClick();
            return s->HasRow() ? int(QDialog::Accepted) : int(QDialog::Rejected);
        });
        EXPECT_EQ(PickInterface(*f.dm, *f.settings, f.win.get()), c.Picked);
        Msg::SetDialogResponder({});
    }
}

#include "frm_user_u.h"

#include "check_date_u.h"
#include "clock_u.h"
#include "dm_cmn_u.h"
#include "log_u.h"
#include "user_sql_u.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace {
QString DateCell(const QDate& d)
{
    return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}
} // namespace

TfrmUser::TfrmUser(TdmCmn& dm, QWidget* parent)
    : TMasterWindow(parent, QStringLiteral("frmUser"), QStringLiteral("担当者登録"),
                    {{QStringLiteral("ユーザID"), 75},
                     {QStringLiteral("ユーザ名"), 170},
                     {QStringLiteral("権限"), 60},
                     {QStringLiteral("表示順"), 75},
                     {QStringLiteral("有効日"), 90},
                     {QStringLiteral("無効日"), 90},
                     {QStringLiteral("削除日時"), 130},
                     {QString(), 0, true},
                     {QString(), 0, true}}),
      FDm(dm)
{
    edtUserId = UiKit::MakeEdit(this, QStringLiteral("edtUserId"), UiKit::TIme::Off);
    edtUserId->setMaxLength(8);
    edtUserName = UiKit::MakeEdit(this, QStringLiteral("edtUserName"), UiKit::TIme::Hiragana);
    edtUserName->setMaxLength(20);
    edtPasswd = UiKit::MakeEdit(this, QStringLiteral("edtPasswd"), UiKit::TIme::Off, true);
    edtPasswd->setMaxLength(8);
    cbxAuth = new QComboBox(this);
    cbxAuth->setObjectName(QStringLiteral("cbxAuth"));
    for (const TAuthority& a : Authorities()) cbxAuth->addItem(a.Label);
    edtListId = UiKit::MakeEdit(this, QStringLiteral("edtListId"), UiKit::TIme::Off);
    edtListId->setMaxLength(8);
    dtpFromDt = new TCheckDate(this, QStringLiteral("dtpFromDt"));
    dtpToDt = new TCheckDate(this, QStringLiteral("dtpToDt"));

    auto* g = new QGridLayout;
    g->setHorizontalSpacing(8);
    auto label = [this](const QString& text) { return UiKit::MakeLabel(this, text); };
    g->addWidget(label(QStringLiteral("ユーザID")), 0, 0);
    g->addWidget(edtUserId, 0, 1);
    g->addWidget(label(QStringLiteral("ユーザ名")), 0, 2);
    g->addWidget(edtUserName, 0, 3);
    g->addWidget(label(QStringLiteral("パスワード")), 1, 0);
    g->addWidget(edtPasswd, 1, 1);
    g->addWidget(label(QStringLiteral("権限")), 1, 2);
    g->addWidget(cbxAuth, 1, 3);
    g->addWidget(label(QStringLiteral("表示順")), 2, 0);
    g->addWidget(edtListId, 2, 1);
    g->addWidget(label(QStringLiteral("有効日")), 3, 0);
    g->addWidget(dtpFromDt, 3, 1);
    g->addWidget(label(QStringLiteral("無効日")), 3, 2);
    g->addWidget(dtpToDt, 3, 3);
    g->setColumnStretch(4, 1);
    edtUserName->setMinimumWidth(170);
    SetInputs(g);
    resize(740, 480);

    connect(sgdMain, &QTableWidget::itemSelectionChanged, this, &TfrmUser::sgdMainClick);
    connect(btnInsert, &QPushButton::clicked, this, &TfrmUser::btnInsertClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmUser::btnDeleteClick);
    connect(cbxDeleteView, &QCheckBox::clicked, this, &TfrmUser::MakeMainGrid);
    UiKit::ApplyDialogRules(this);
    MakeMainGrid();
}

void TfrmUser::showEvent(QShowEvent* event)
{
    TMasterWindow::showEvent(event);
    edtUserId->setFocus();
}

void TfrmUser::MakeMainGrid()
{
    const QList<TUserRow> rows = UserSql::UserList(FDm, cbxDeleteView->isChecked());
    const QSignalBlocker block(sgdMain);
    sgdMain->ClearRows();
    for (const TUserRow& u : rows) {
        const int r = sgdMain->AddRow({u.USERID, u.USERNM, AuthorityLabel(u.AUTH), u.LISTID, DateCell(u.FROMDT),
                                       DateCell(u.TODT),
                                       u.DEL_DT.isNull() ? QString() : u.DEL_DT.toString(QStringLiteral("yyyy/MM/dd HH:mm")),
                                       u.AUTH, u.PASSWD});
        if (!u.DEL_DT.isNull()) MarkDeleted(r);
    }
    sgdMain->clearSelection();
    sgdMain->setCurrentCell(-1, -1);
    edtUserId->clear();
    edtUserName->clear();
    edtPasswd->clear();
    edtListId->clear();
    cbxAuth->setCurrentIndex(0);
    const QDate today = Clock::Today();
    dtpFromDt->SetValue(QDate(), today);
    dtpToDt->SetValue(QDate(), today);
    if (isVisible()) edtUserId->setFocus();
}

void TfrmUser::sgdMainClick()
{
    const int r = sgdMain->SelectedRow();
    if (r < 0) return;
    edtUserId->setText(sgdMain->Cell(r, colId));
    edtUserName->setText(sgdMain->Cell(r, colName));
    edtPasswd->setText(sgdMain->Cell(r, colPasswd));
    cbxAuth->setCurrentIndex(AuthorityIndex(sgdMain->Cell(r, colAuthValue)));
    edtListId->setText(sgdMain->Cell(r, colListId));
    const QDate today = Clock::Today();
    dtpFromDt->SetValue(QDate::fromString(sgdMain->Cell(r, colFrom), QStringLiteral("yyyy/MM/dd")), today);
    dtpToDt->SetValue(QDate::fromString(sgdMain->Cell(r, colTo), QStringLiteral("yyyy/MM/dd")), today);
}

void TfrmUser::btnInsertClick()
{
    Log::Detail(QStringLiteral("TfrmUser.btnInsertClick begin"));
    if (edtUserId->text().trimmed().isEmpty()) return WarnAt(edtUserId, QStringLiteral("ユーザIDを入力してください。"));
    if (edtUserName->text().trimmed().isEmpty())
        return WarnAt(edtUserName, QStringLiteral("ユーザ名を入力してください。"));
    if (cbxAuth->currentIndex() < 0) return WarnAt(cbxAuth, QStringLiteral("権限を選択してください。"));
    // A user whose last day comes before the first could never sign in.
    if (dtpFromDt->Checked() && dtpToDt->Checked() && dtpToDt->Date() <= dtpFromDt->Date())
        return WarnAt(dtpToDt->Edit, QStringLiteral("無効日には有効日より後の日付を指定してください。"));

    TUserRow u;
    u.USERID = edtUserId->text();
    u.USERNM = edtUserName->text();
    u.PASSWD = edtPasswd->text();
    u.AUTH = QString::number(Authorities()[cbxAuth->currentIndex()].Value);
    u.LISTID = edtListId->text();
    u.FROMDT = dtpFromDt->Value();
    u.TODT = dtpToDt->Value();

    const int state = UserSql::RowState(FDm, u.USERID);
    if (state == 1 && !ConfirmRevive()) return;
    const QDateTime now = Clock::Now();
    FDm.ExecSql(state < 0 ? UserSql::InsertStatement(u, now) : UserSql::UpdateStatement(u, now));
    MakeMainGrid();
    SelectKey(colId, u.USERID);
}

void TfrmUser::btnDeleteClick()
{
    Log::Detail(QStringLiteral("TfrmUser.btnDeleteClick begin"));
    if (edtUserId->text().trimmed().isEmpty()) return WarnAt(edtUserId, QStringLiteral("ユーザIDを入力してください。"));
    if (!ConfirmDelete()) return;
    FDm.ExecSql(UserSql::DeleteStatement(edtUserId->text(), Clock::Now()));
    MakeMainGrid();
}

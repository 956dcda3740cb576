#include "frm_search_user_u.h"

#include "clock_u.h"
#include "ui_kit_u.h"
#include "user_sql_u.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TfrmSearchUser::TfrmSearchUser(TdmCmn& dm, QWidget* parent) : QDialog(parent), FDm(dm)
{
    setObjectName(QStringLiteral("frmSearchUser"));
    setWindowTitle(QStringLiteral("ユーザ検索"));
    edtSearchName = UiKit::MakeEdit(this, QStringLiteral("edtSearchName"), UiKit::TIme::Hiragana);
    edtSearchName->setMaxLength(20);
    btnSearch = UiKit::MakeGlyphButton(this, QStringLiteral("btnSearch"), UiKit::TGlyph::Search,
                                       QStringLiteral("検索"), QString());
    lstUserName = new QListWidget(this);
    lstUserName->setObjectName(QStringLiteral("lstUserName"));
    btnOk = UiKit::MakeButton(this, QStringLiteral("btnOk"), QStringLiteral("OK(&O)"));
    btnCancel = UiKit::MakeButton(this, QStringLiteral("btnCancel"), QStringLiteral("取消(&C)"));

    auto* top = new QHBoxLayout;
    top->addWidget(edtSearchName, 1);
    top->addWidget(btnSearch);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btnOk);
    bottom->addWidget(btnCancel);
    auto* v = new QVBoxLayout(this);
    v->addLayout(top);
    v->addWidget(lstUserName, 1);
    v->addLayout(bottom);

    // The height may grow; the width stays.
    resize(260, 320);
    setMinimumSize(260, 320);
    setMaximumWidth(260);

    connect(btnSearch, &QPushButton::clicked, this, &TfrmSearchUser::MakeMainList);
    connect(edtSearchName, &QLineEdit::textChanged, this, [this] { btnSearch->setEnabled(true); });
    connect(lstUserName, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    UiKit::ApplyDialogRules(this);
    MakeMainList();
}

void TfrmSearchUser::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    lstUserName->setFocus();
}

void TfrmSearchUser::MakeMainList()
{
    lstUserName->clear();
    FUserIds.clear();
    for (const TUserRow& u : UserSql::SearchList(FDm, edtSearchName->text(), Clock::Now())) {
        lstUserName->addItem(u.USERNM);
        FUserIds << u.USERID;
    }
    btnSearch->setEnabled(false);
    lstUserName->setCurrentRow(-1);
    lstUserName->setFocus();
}

QString TfrmSearchUser::SelectedUserId() const
{
    const int i = lstUserName->currentRow();
    return i >= 0 && i < FUserIds.size() && lstUserName->currentItem() && lstUserName->currentItem()->isSelected()
               ? FUserIds[i]
               : QString();
}

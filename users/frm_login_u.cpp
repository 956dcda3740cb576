#include "frm_login_u.h"

#include "dm_cmn_u.h"
#include "frm_search_user_u.h"
#include "msg_u.h"
#include "ui_kit_u.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPixmap TitlePicture()
{
    QPixmap pm(360, 56);
    QPainter p(&pm);
    QLinearGradient g(0, 0, pm.width(), 0);
    g.setColorAt(0, QColor(40, 90, 160));
    g.setColorAt(1, QColor(120, 170, 230));
    p.fillRect(pm.rect(), g);
    QFont f = p.font();
    f.setPixelSize(24);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(pm.rect().adjusted(14, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("くるてん３"));
    f.setPixelSize(14);
    f.setBold(false);
    p.setFont(f);
    p.drawText(pm.rect().adjusted(0, 0, -14, 0), Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("ログイン認証"));
    return pm;
}
} // namespace

TfrmLogin::TfrmLogin(TdmCmn& dm, QWidget* parent) : QDialog(parent), FDm(dm)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("ログイン認証"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, UiKit::Bgr(0xD8E9EC));
    setPalette(pal);

    imgTitle = new QLabel(this);
    imgTitle->setObjectName(QStringLiteral("imgTitle"));
    imgTitle->setPixmap(TitlePicture());
    edtUserId = UiKit::MakeEdit(this, QStringLiteral("edtUserId"), UiKit::TIme::Off);
    edtUserId->setMaxLength(8);
    edtPwd = UiKit::MakeEdit(this, QStringLiteral("edtPwd"), UiKit::TIme::Off, true);
    edtPwd->setMaxLength(8);
    edtUserName = UiKit::MakeEdit(this, QStringLiteral("edtUserName"));
    edtUserName->setReadOnly(true);
    edtUserName->setFocusPolicy(Qt::NoFocus);
    UiKit::PaintBase(edtUserName, pal.color(QPalette::Window));
    btnSearch = UiKit::MakeButton(this, QStringLiteral("btnSearch"), QStringLiteral("ユーザ検索(&S)"));
    btnLogin = UiKit::MakeButton(this, QStringLiteral("btnLogin"), QStringLiteral("ログイン(&L)"));
    btnClose = UiKit::MakeButton(this, QStringLiteral("btnClose"), QStringLiteral("閉じる(&X)"));
    for (QPushButton* b : {btnSearch, btnLogin, btnClose}) b->setAutoDefault(true);

    auto* g = new QGridLayout;
    g->addWidget(UiKit::MakeLabel(this, QStringLiteral("ユーザID")), 0, 0);
    g->addWidget(edtUserId, 0, 1);
    g->addWidget(edtUserName, 0, 2);
    g->addWidget(UiKit::MakeLabel(this, QStringLiteral("パスワード")), 1, 0);
    g->addWidget(edtPwd, 1, 1);
    g->setColumnStretch(2, 1);
    edtUserId->setFixedWidth(110);
    edtPwd->setFixedWidth(110);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnSearch);
    buttons->addStretch(1);
    buttons->addWidget(btnLogin);
    buttons->addWidget(btnClose);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 10);
    v->addWidget(imgTitle);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(14, 6, 14, 0);
    body->addLayout(g);
    body->addSpacing(8);
    body->addLayout(buttons);
    v->addLayout(body);
    setFixedSize(sizeHint());

    setTabOrder(edtUserId, edtPwd);
    setTabOrder(edtPwd, btnLogin);
    setTabOrder(btnLogin, btnClose);
    setTabOrder(btnClose, btnSearch);

    connect(edtUserId, &QLineEdit::editingFinished, this, &TfrmLogin::edtUserIdExit);
    connect(btnSearch, &QPushButton::clicked, this, &TfrmLogin::btnSearchClick);
    connect(btnLogin, &QPushButton::clicked, this, &TfrmLogin::btnLoginClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    UiKit::ApplyDialogRules(this);
    edtUserName->setText(FDm.GetUserName(QString()));
}

void TfrmLogin::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    edtUserId->setFocus();
}

void TfrmLogin::edtUserIdExit()
{
    edtUserName->setText(FDm.GetUserName(edtUserId->text()));
}

void TfrmLogin::btnSearchClick()
{
    TfrmSearchUser search(FDm, this);
    if (Msg::ExecDialog(search) != QDialog::Accepted) return;
    edtUserId->clear();
    edtPwd->clear();
    const QString id = search.SelectedUserId();
    if (id.isEmpty()) return;
    edtUserId->setText(id);
    edtUserIdExit();
    edtPwd->setFocus();
}

void TfrmLogin::btnLoginClick()
{
    TUser user;
    if (!FDm.LoginUser(edtUserId->text(), edtPwd->text(), user)) {
        Msg::Warn(kInvalidText, this);
        edtUserId->setFocus();
        return;
    }
    FUser = user;
    accept();
}

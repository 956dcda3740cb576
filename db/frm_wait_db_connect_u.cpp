#include "frm_wait_db_connect_u.h"

#include "dm_cmn_u.h"
#include "log_u.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmWaitDbConnect::TfrmWaitDbConnect(TdmCmn& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), FDm(dm)
{
    setObjectName(QStringLiteral("frmWaitDbConnect"));
    setWindowTitle(QStringLiteral("くるてん3 サーバ の データベース接続エラー"));
    auto* layout = new QVBoxLayout(this);
    auto* lblWait = new QLabel(QStringLiteral("データベースに接続できません。接続待機中..."), this);
    lblWait->setObjectName(QStringLiteral("lblWait"));
    lblWait->setStyleSheet(QStringLiteral("color: red;"));
    layout->addWidget(lblWait);
    for (const QString& line : {QStringLiteral("次のいずれかの原因が考えられます。"), QStringLiteral("・接続設定が間違っている"),
                                QStringLiteral("・データベースが停止している"), QStringLiteral("・ネットワークが切断している")})
        layout->addWidget(new QLabel(line, this));
    btnClose = new QPushButton(QStringLiteral("終了する"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);
    layout->addWidget(btnClose, 0, Qt::AlignHCenter);
    connect(btnClose, &QPushButton::clicked, this, &TfrmWaitDbConnect::btnCloseClick);

    tmrConnect.setObjectName(QStringLiteral("tmrConnect"));
    tmrConnect.setInterval(kRetryMs);
    tmrConnect.setSingleShot(true);
    connect(&tmrConnect, &QTimer::timeout, this, &TfrmWaitDbConnect::tmrConnectTimer);
    tmrConnect.start();
}

void TfrmWaitDbConnect::tmrConnectTimer()
{
    tmrConnect.stop();
    if (FDone) return;
    Log::Detail(QStringLiteral("TfrmWaitDbConnect.tmrConnectTimer"));
    if (FDm.OpenDatabase()) {
        FDone = true;
        accept();
        return;
    }
    if (!FDone) tmrConnect.start();
}

void TfrmWaitDbConnect::btnCloseClick()
{
    tmrConnect.stop();
    FDone = true;
    reject();
}

void TfrmWaitDbConnect::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

#include "frm_memo_u.h"

#include "cp932_u.h"
#include "msg_u.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmMemo::TfrmMemo(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMemo"));
    setWindowTitle(QStringLiteral("発着信メモ"));
    resize(517, 287);
    setMinimumSize(517, 287);
    mmoMemo = new QPlainTextEdit;
    mmoMemo->setObjectName(QStringLiteral("mmoMemo"));
    mmoMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoMemo->setProperty("imeMode", QStringLiteral("hiragana"));
    mmoMemo->installEventFilter(this);
    btnOk = new QPushButton(QStringLiteral("OK(&O)"));
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new QPushButton(QStringLiteral("取消(&C)"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* v = new QVBoxLayout(this);
    v->addWidget(mmoMemo, 1);
    v->addLayout(buttons);
    connect(btnOk, &QPushButton::clicked, this, &TfrmMemo::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmMemo::SetMemo(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    mmoMemo->setPlainText(t);
}

QString TfrmMemo::Memo() const
{
    // Lines are stored with CR LF, as the older program wrote them.
    QString text = mmoMemo->toPlainText();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void TfrmMemo::btnOkClick()
{
    QString bad;
    QByteArray encoded;
    if (!Cp932::TryEncode(Memo(), &encoded, &bad)) {
        // Refused here, before anything is written, so the text stays in the box.
        Msg::Warn(QString::fromUtf8(ECp932Error(bad).what()), this);
        mmoMemo->setFocus();
        return;
    }
    if (encoded.size() > kMaxBytes) {
        Msg::Warn(QStringLiteral("文字数が規定範囲を超えています。(最大半角4000文字)"), this);
        mmoMemo->setFocus();
        return;
    }
    accept();
}

void TfrmMemo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    mmoMemo->setFocus();
}

bool TfrmMemo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mmoMemo && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        QPalette pal = mmoMemo->palette();
        pal.setColor(QPalette::Base, event->type() == QEvent::FocusIn ? QColor(255, 200, 200)
                                                                      : palette().color(QPalette::Base));
        mmoMemo->setPalette(pal);
    }
    return QDialog::eventFilter(watched, event);
}

#include "frm_db_notice_u.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

TfrmDbNotice::TfrmDbNotice(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmDbNotice"));
    setWindowTitle(QStringLiteral("くるてん  データベース処理"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    for (const QString& line : {QStringLiteral("検索速度向上のためデータベースを更新中です。"),
                                QStringLiteral("数分かかる場合があります。"),
                                QStringLiteral("このまましばらくお待ちください。")})
        layout->addWidget(new QLabel(line, this));
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TfrmDbNotice::~TfrmDbNotice()
{
    QApplication::restoreOverrideCursor();
}

void TfrmDbNotice::ShowNow()
{
    adjustSize();
    const QWidget* p = parentWidget();
    const QRect area = p && p->isVisible() ? p->frameGeometry()
                       : screen()        ? screen()->availableGeometry()
                                         : QRect(0, 0, 1280, 800);
    move(area.center() - rect().center());
    show();
    repaint();
    QApplication::processEvents();
}

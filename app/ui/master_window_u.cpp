#include "master_window_u.h"

#include "msg_u.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

TMasterWindow::TMasterWindow(QWidget* parent, const QString& name, const QString& caption,
                             const QList<TGridColumn>& columns)
    : QDialog(parent)
{
    setObjectName(name);
    setWindowTitle(caption);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackColor);
    setPalette(pal);

    sgdMain = new TStringGrid(this, QStringLiteral("sgdMain"), columns);
    // The grid keeps the usual colours, not the window's.
    QPalette gridPal = QApplication::palette();
    for (int g = 0; g < QPalette::NColorGroups; ++g)
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const auto group = QPalette::ColorGroup(g);
            const auto role = QPalette::ColorRole(r);
            gridPal.setColor(group, role, gridPal.color(group, role));
        }
    sgdMain->setPalette(gridPal);
    sgdMain->verticalHeader()->setDefaultSectionSize(20);
    sgdMain->setFrameShape(QFrame::Panel);
    sgdMain->setFrameShadow(QFrame::Plain);

    FInputs = new QWidget(this);
    FInputs->setObjectName(QStringLiteral("pnlInput"));

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("pnlBottom"));
    bar->setAutoFillBackground(true);
    QPalette barPal = bar->palette();
    barPal.setColor(QPalette::Window, kBarColor);
    barPal.setColor(QPalette::WindowText, Qt::white);
    bar->setPalette(barPal);
    cbxDeleteView = UiKit::MakeCheck(bar, QStringLiteral("cbxDeleteView"), QStringLiteral("削除データも表示する"));
    cbxDeleteView->setPalette(barPal);
    btnInsert = UiKit::MakeButton(bar, QStringLiteral("btnInsert"), QStringLiteral("登録(&E)"));
    btnDelete = UiKit::MakeButton(bar, QStringLiteral("btnDelete"), QStringLiteral("削除(&D)"));
    btnClose = UiKit::MakeButton(bar, QStringLiteral("btnClose"), QStringLiteral("閉じる(&X)"));
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(8, 6, 8, 6);
    h->addWidget(cbxDeleteView);
    h->addStretch(1);
    for (QPushButton* b : {btnInsert, btnDelete, btnClose}) {
        b->setMinimumWidth(88);
        h->addWidget(b);
    }

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(6);
    v->addWidget(sgdMain, 1);
    v->addWidget(FInputs);
    v->addWidget(bar);

    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TMasterWindow::SetInputs(QLayout* inputs)
{
    inputs->setContentsMargins(8, 0, 8, 0);
    FInputs->setLayout(inputs);
}

void TMasterWindow::MarkDeleted(int row)
{
    sgdMain->PaintRow(row, kDeletedColor, Qt::white);
}

void TMasterWindow::SelectKey(int column, const QString& key)
{
    for (int r = 0; r < sgdMain->DataRowCount(); ++r) {
        if (sgdMain->Cell(r, column) != key) continue;
        sgdMain->selectRow(r);
        sgdMain->scrollToItem(sgdMain->item(r, column));
        return;
    }
}

bool TMasterWindow::ConfirmRevive()
{
    return Msg::Show(TMsgKind::Warning, QStringLiteral("既に削除されたIDですが再登録してよろしいですか？"),
                     mbOK | mbCancel, this) == mbOK;
}

bool TMasterWindow::ConfirmDelete()
{
    return Msg::Show(TMsgKind::Confirmation, QStringLiteral("削除してよろしいですか？"), mbOK | mbCancel, this) == mbOK;
}

void TMasterWindow::WarnAt(QWidget* box, const QString& text)
{
    Msg::Warn(text, this);
    box->setFocus();
}

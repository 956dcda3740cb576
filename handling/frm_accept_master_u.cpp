#include "frm_accept_master_u.h"

#include "clock_u.h"
#include "dm_cmn_u.h"
#include "log_u.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

TfrmAcceptMaster::TfrmAcceptMaster(TdmCmn& dm, const TAcceptMasterKind& kind, QWidget* parent)
    : TMasterWindow(parent, QStringLiteral("frm") + kind.WindowClass.mid(4), kind.Caption,
                    {{QStringLiteral("ID"), 50},
                     {QStringLiteral("名称"), 170},
                     {QStringLiteral("表示順"), 60},
                     {QStringLiteral("削除日時"), 130}}),
      FDm(dm), FKind(kind)
{
    edtId = UiKit::MakeEdit(this, QStringLiteral("edtId"), UiKit::TIme::Off);
    edtId->setMaxLength(4);
    edtName = UiKit::MakeEdit(this, QStringLiteral("edtName"), UiKit::TIme::Hiragana);
    edtName->setMaxLength(20);
    edtListId = UiKit::MakeEdit(this, QStringLiteral("edtListId"), UiKit::TIme::Off);
    edtListId->setMaxLength(4);
    edtId->setFixedWidth(70);
    edtName->setFixedWidth(190);
    edtListId->setFixedWidth(70);

    auto* g = new QGridLayout;
    g->addWidget(UiKit::MakeLabel(this, kind.IdLabel), 0, 0);
    g->addWidget(edtId, 0, 1);
    g->addWidget(UiKit::MakeLabel(this, kind.NameLabel), 1, 0);
    g->addWidget(edtName, 1, 1);
    g->addWidget(UiKit::MakeLabel(this, QStringLiteral("表示順")), 2, 0);
    g->addWidget(edtListId, 2, 1);
    g->setColumnStretch(2, 1);
    SetInputs(g);
    resize(470, 420);

    connect(sgdMain, &QTableWidget::itemSelectionChanged, this, &TfrmAcceptMaster::sgdMainClick);
    connect(btnInsert, &QPushButton::clicked, this, &TfrmAcceptMaster::btnInsertClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmAcceptMaster::btnDeleteClick);
    connect(cbxDeleteView, &QCheckBox::clicked, this, &TfrmAcceptMaster::MakeMainGrid);
    UiKit::ApplyDialogRules(this);
    MakeMainGrid();
}

void TfrmAcceptMaster::showEvent(QShowEvent* event)
{
    TMasterWindow::showEvent(event);
    edtId->setFocus();
}

void TfrmAcceptMaster::MakeMainGrid()
{
    const QList<TMasterRow> rows = AcceptSql::MasterList(FDm, FKind, cbxDeleteView->isChecked());
    const QSignalBlocker block(sgdMain);
    sgdMain->ClearRows();
    for (const TMasterRow& m : rows) {
        const int r = sgdMain->AddRow(
            {m.Id, m.Name, m.ListId, m.DelDt.isNull() ? QString() : m.DelDt.toString(QStringLiteral("yyyy/MM/dd HH:mm"))});
        if (!m.DelDt.isNull()) MarkDeleted(r);
    }
    sgdMain->clearSelection();
    sgdMain->setCurrentCell(-1, -1);
    edtId->clear();
    edtName->clear();
    edtListId->clear();
    if (isVisible()) edtId->setFocus();
}

void TfrmAcceptMaster::sgdMainClick()
{
    const int r = sgdMain->SelectedRow();
    if (r < 0) return;
    edtId->setText(sgdMain->Cell(r, colId));
    edtName->setText(sgdMain->Cell(r, colName));
    edtListId->setText(sgdMain->Cell(r, colListId));
}

void TfrmAcceptMaster::btnInsertClick()
{
    Log::Detail(FKind.InsertLog);
    if (edtId->text().trimmed().isEmpty()) return WarnAt(edtId, FKind.MissingId);
    if (edtName->text().trimmed().isEmpty()) return WarnAt(edtName, FKind.MissingName);
    const TMasterRow row{edtId->text(), edtName->text(), edtListId->text(), {}};
    const int state = AcceptSql::MasterRowState(FDm, FKind, row.Id);
    if (state == 1 && !ConfirmRevive()) return;
    FDm.ExecSql(state < 0 ? AcceptSql::MasterInsertStatement(FKind, row) : AcceptSql::MasterUpdateStatement(FKind, row));
    MakeMainGrid();
    SelectKey(colId, row.Id);
}

void TfrmAcceptMaster::btnDeleteClick()
{
    Log::Detail(FKind.DeleteLog);
    if (edtId->text().trimmed().isEmpty()) return WarnAt(edtId, FKind.MissingId);
    if (!ConfirmDelete()) return;
    FDm.ExecSql(AcceptSql::MasterDeleteStatement(FKind, edtId->text(), Clock::Now()));
    MakeMainGrid();
}

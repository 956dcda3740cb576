#include "fra_log_history_u.h"

#include "log_u.h"
#include "main_host_u.h"
#include "main_sql_u.h"
#include "msg_u.h"
#include "string_grid_u.h"
#include "ui_kit_u.h"

#include <QVBoxLayout>

TfraLogHistory::TfraLogHistory(TMainHost& host, QWidget* parent) : QWidget(parent), FHost(host)
{
    setObjectName(QStringLiteral("tabLog"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(2, 2, 2, 2);
    sgdLog = new TStringGrid(this, QStringLiteral("sgdLog"));
    v->addWidget(sgdLog, 1);
    pnlAudio = new QWidget(this);
    pnlAudio->setObjectName(QStringLiteral("pnlAudio"));
    pnlAudio->setLayout(new QVBoxLayout);
    pnlAudio->layout()->setContentsMargins(0, 0, 0, 0);
    pnlAudio->hide();
    v->addWidget(pnlAudio);

    connect(sgdLog, &QTableWidget::cellClicked, this, [this] { emit Clicked(); });
    connect(sgdLog, &QTableWidget::cellDoubleClicked, this, &TfraLogHistory::sgdLogDblClick);
}

void TfraLogHistory::SetupLogGrid(bool useAccept)
{
    FUseAccept = useAccept;
    sgdLog->SetColumns(CallRows::Columns(useAccept));
    sgdLog->SetMarkColumn(colAct, UiKit::MarkPixmap(UiKit::kMarkEdit));
}

void TfraLogHistory::LoadHistory(const QDate& day, int kind)
{
    Log::Detail(QStringLiteral("TfraCust.MakeLogGrid begin"));
    CallRows::Fill(sgdLog, MainSql::DayHistory(FHost.Dm(), day, kind), FUseAccept);
    if (sgdLog->currentRow() < 0) sgdLog->setCurrentCell(0, 0);
    Log::Detail(QStringLiteral("TfraCust.MakeLogGrid end"));
}

QString TfraLogHistory::CellText(int row, int column) const
{
    return sgdLog->Cell(row, column);
}

bool TfraLogHistory::SelectedCall(QString& telNo, QString& name) const
{
    const int row = sgdLog->currentRow();
    if (row < 0) return false;
    telNo = CellText(row, colTelNo);
    name = CellText(row, colCaller);
    return true;
}

void TfraLogHistory::sgdLogDblClick(int row, int column)
{
    if (row < 0) return;
    switch (column) {
    case colMemo: FHost.EditCallMemo(CellText(row, colLogNo), CellText(row, colMemo)); break;
    case colTelNo: emit OpenTelsRequested(CellText(row, colTelNo)); break;
    case colCaller: emit CustInfoRequested(); break;
    case colAct: sgdLogActDblClick(row); break;
    default: break;
    }
}

void TfraLogHistory::sgdLogActDblClick(int row)
{
    // An existing record opens for reading; a call without one opens a new
    // record linked to that call.
    if (!FUseAccept || row >= sgdLog->DataRowCount()) return;
    const QString custTelNon = CellText(row, colCustTelNon);
    const QString logNo = CellText(row, colLogNo);
    const QString act = CellText(row, colAct);
    if (act.isEmpty()) {
        FHost.OpenCustAcceptTab(custTelNon, -1, false, logNo);
        return;
    }
    bool ok = false;
    const int actNo = act.toInt(&ok);
    if (!ok) {
        Msg::Error(QStringLiteral("対応履歴の読み込みに失敗しました。対応履歴を再読み込みしてください。"), this);
        return;
    }
    FHost.OpenCustAcceptTab(custTelNon, actNo, true, logNo);
}

void TfraLogHistory::btnMemoClick()
{
    Log::Detail(QStringLiteral("TfrmMain.btnMemoClick"));
    const int row = sgdLog->currentRow();
    if (row < 0) return;
    FHost.EditCallMemo(CellText(row, colLogNo), CellText(row, colMemo));
}

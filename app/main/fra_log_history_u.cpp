#include "fra_log_history_u.h"

#include "log_u.h"
#include "main_host_u.h"
#include "main_sql_u.h"
#include "msg_u.h"
#include "string_grid_u.h"
#include "ui_kit_u.h"

#include <QElapsedTimer>
#include <QVBoxLayout>
#include <utility>

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

namespace {
// Longest stretch of grid filling before an arriving call may run.
constexpr int kSliceMs = 8;
} // namespace

bool TfraLogHistory::LoadHistory(const QDate& day, int kind, const TYield& yield)
{
    Log::Detail(QStringLiteral("TfraCust.MakeLogGrid begin"));
    const quint64 load = ++FLoadCount;
    const QString keep = FLoaded && day == FDay && kind == FKind ? SelectedLogNo() : QString();
    const bool first = !FLoaded;
    FDay = day;
    FKind = kind;
    FLoaded = true;
    FComplete = false;
    sgdLog->ClearRows();
    // Numbers handed out from here on are new to this load.
    FLastLogNo = MainSql::LastLogNo(FHost.Dm());
    FRest = MainSql::DayHistory(FHost.Dm(), day, kind);
    FRestAt = 0;
    if (!FillRest(load, yield)) return false;
    FComplete = true;
    // The newest call is selected at the start; a reload keeps the selected
    // call, and nothing is selected on another day or an empty one.
    if (!keep.isEmpty()) SelectLogNo(keep);
    else SelectRow(first && sgdLog->HasData() ? 0 : -1);
    Log::Detail(QStringLiteral("TfraCust.MakeLogGrid end"));
    return true;
}

bool TfraLogHistory::LoadRest(const TYield& yield)
{
    if (!HasRest()) return true;
    Log::Detail(QStringLiteral("TfraLogHistory.LoadRest begin"));
    if (!FillRest(FLoadCount, yield)) return false;
    FComplete = true;
    Log::Detail(QStringLiteral("TfraCust.MakeLogGrid end"));
    return true;
}

bool TfraLogHistory::FillRest(quint64 load, const TYield& yield)
{
    sgdLog->setRowCount(qMax(1, int(sgdLog->DataRowCount() + FRest.size() - FRestAt)));
    QElapsedTimer slice;
    slice.start();
    sgdLog->setUpdatesEnabled(false);
    while (FRestAt < FRest.size()) {
        if (yield && slice.elapsed() >= kSliceMs) {
            sgdLog->setUpdatesEnabled(true);
            const bool stop = yield();
            // Another load may have run meanwhile: the grid is its own.
            if (load != FLoadCount) return false;
            if (stop) {
                // The rows not shown yet wait for LoadRest.
                sgdLog->setRowCount(qMax(1, sgdLog->DataRowCount()));
                return false;
            }
            sgdLog->setUpdatesEnabled(false);
            slice.restart();
        }
        AppendRow(FRest[FRestAt++]);
    }
    sgdLog->setUpdatesEnabled(true);
    FRest.clear();
    FRestAt = 0;
    return true;
}

bool TfraLogHistory::AddNewCalls(const QDate& day, int kind)
{
    if (!(FComplete || HasRest()) || day != FDay || kind != FKind) return false;
    Log::Detail(QStringLiteral("TfraLogHistory.AddNewCalls begin"));
    const QList<THistoryRow> rows = MainSql::CallsAfter(FHost.Dm(), FLastLogNo);
    // Oldest first: each goes in above the older ones, as the full load orders them.
    for (auto r = rows.crbegin(); r != rows.crend(); ++r) {
        FLastLogNo = qMax(FLastLogNo, r->LOG_NO.toLongLong());
        if (!r->DT_FROM.isValid() || r->DT_FROM.date() != day || !MainSql::KindMatches(kind, r->TEL_TYPE)) continue;
        int at = 0;
        while (at < sgdLog->DataRowCount() && RowTime(at) > r->DT_FROM) ++at;
        if (at == sgdLog->DataRowCount() && HasRest()) {
            // Older than every row shown: its place is among the rows to come.
            qsizetype i = FRestAt;
            while (i < FRest.size() && FRest[i].DT_FROM > r->DT_FROM) ++i;
            FRest.insert(i, *r);
            continue;
        }
        const int row = sgdLog->InsertRow(at, CallRows::Cells(*r, FUseAccept));
        sgdLog->item(row, colDate)->setData(Qt::UserRole, r->DT_FROM);
    }
    // A call may have named its number in the phone book: every row of the
    // number shows the name, as the joined statement would.
    for (const THistoryRow& r : rows) {
        for (qsizetype i = FRestAt; i < FRest.size(); ++i) {
            if (FRest[i].TEL_NO != r.TEL_NO) continue;
            FRest[i].CALLER = r.CALLER;
            FRest[i].CUST_TEL_NON = r.CUST_TEL_NON;
            FRest[i].READ_NAME = r.READ_NAME;
        }
        for (int row = 0; row < sgdLog->DataRowCount(); ++row) {
            if (CellText(row, colTelNo) != r.TEL_NO) continue;
            for (const auto& [col, text] : {std::pair{colCaller, &r.CALLER}, std::pair{colCustTelNon, &r.CUST_TEL_NON},
                                            std::pair{colReadName, &r.READ_NAME}})
                if (CellText(row, col) != *text) sgdLog->SetCell(row, col, *text);
        }
    }
    Log::Detail(QStringLiteral("TfraLogHistory.AddNewCalls end"));
    return true;
}

int TfraLogHistory::AppendRow(const TCallRow& r)
{
    const int row = sgdLog->AddRow(CallRows::Cells(r, FUseAccept));
    sgdLog->item(row, colDate)->setData(Qt::UserRole, r.DT_FROM);
    FLastLogNo = qMax(FLastLogNo, r.LOG_NO.toLongLong());
    return row;
}

QDateTime TfraLogHistory::RowTime(int row) const
{
    const QTableWidgetItem* i = sgdLog->item(row, colDate);
    return i ? i->data(Qt::UserRole).toDateTime() : QDateTime();
}

QString TfraLogHistory::SelectedLogNo() const
{
    const int row = sgdLog->SelectedRow();
    return row < 0 ? QString() : CellText(row, colLogNo);
}

void TfraLogHistory::SelectLogNo(const QString& logNo)
{
    int found = -1;
    for (int row = 0; row < sgdLog->DataRowCount() && found < 0 && !logNo.isEmpty(); ++row)
        if (CellText(row, colLogNo) == logNo) found = row;
    SelectRow(found);
}

void TfraLogHistory::SelectRow(int row)
{
    if (row < 0) {
        sgdLog->clearSelection();
        sgdLog->setCurrentCell(-1, -1);
        return;
    }
    sgdLog->setCurrentCell(row, qMax(int(colDate), sgdLog->currentColumn()));
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

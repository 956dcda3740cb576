// TfrmMain: the call pipeline, the table refresh, the history and the memo.
#include "frm_main_u.h"

#include "dm_cmn_u.h"
#include "errors_u.h"
#include "frm_memo_u.h"
#include "log_u.h"
#include "main_tab_bar_u.h"
#include "msg_u.h"
#include "tel_receive_u.h"

#include <QApplication>
#include <QButtonGroup>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QTimer>

namespace {
// Caller panel colours of the blink.
const QColor kBlinkGreen(187, 238, 170);

QTableWidgetItem* Cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}
} // namespace

// ---------------------------------------------------------------- submit

void TfrmMain::SubmitIncomingCall(const QString& telNo, const QString& logNo, int portNo,
                                  const QString& calledReadName, bool fromNotice)
{
    FCalls.push_back({telNo, logNo, calledReadName, portNo, fromNotice});
    QMetaObject::invokeMethod(this, &TfrmMain::TelThreadArrived, Qt::QueuedConnection);
}

void TfrmMain::TelThreadArrived()
{
    // A running refresh stops after its current step.
    FRefreshInterrupt = true;
    DrainCalls();
}

void TfrmMain::DrainCalls()
{
    // Inside a call already, or inside a refresh that has not unwound yet:
    // the outer loop (or the retry) picks the request up in order.
    if (FDraining) return;
    if (FRefreshBusy) {
        QTimer::singleShot(10, this, &TfrmMain::DrainCalls);
        return;
    }
    FDraining = true;
    while (!FCalls.empty()) {
        const TCallRequest r = FCalls.front();
        FCalls.pop_front();
        try {
            TelReceiveProc(r.TelNo, r.LogNo, r.PortNo, r.CalledReadName);
        } catch (const std::exception& e) {
            // Any LAN host can send notices: one that cannot be processed is
            // logged, and the calls behind it do not wait for a box.
            if (r.FromNotice) Log::Always(QStringLiteral("TfrmMain.NMUDP1DataReceived Error:") + ExceptionText(e));
            else AppException(ExceptionText(e));
        }
    }
    FDraining = false;
}

// ---------------------------------------------------------------- pipeline

void TfrmMain::TelReceiveProc(const QString& telNo, const QString& logNo, int portNo, const QString& calledReadName)
{
    Log::Detail(QStringLiteral("★TelReceiveProc TelNo=") + telNo + QStringLiteral(" LogNo=") + logNo +
                QStringLiteral(" PortNo=") + QString::number(portNo) + QStringLiteral(" CalledReadName=") +
                calledReadName);
    Log::Detail(QStringLiteral("TelNo=") + telNo);
    const QString lookupNo = TTelReceive::LookupNumber(telNo);
    FCallStart = QDateTime::currentDateTime();
    QString callLogNo = logNo;

    TTels caller;
    if (FSettings.Role() == TRole::Client) {
        caller = FTelReceive->ReadCaller(lookupNo);
    } else {
        caller = FTelReceive->IdentifyCaller(telNo, lookupNo, true);
        callLogNo = QString::number(FTelReceive->InsertCallLog(FCallStart, lookupNo, QStringLiteral("着信"), portNo));
        Log::Detail(QStringLiteral("LogNo1=") + callLogNo);
        SendNotice(QStringLiteral("TEL") + telNo + QLatin1Char(',') + callLogNo + QLatin1Char(',') +
                   QString::number(portNo));
    }

    ShowTodaysCalls();
    edtCall->setText(telNo);
    pnlCallName->setText(caller.CALLER);

    switch (FSettings.GJouchuIdx) {
    case 1:
        Log::Detail(QStringLiteral("GJouchuIdx=1"));
        if (FSettings.GisJouchuOpen) {
            Log::Detail(QStringLiteral("GisJouchuOpen=true"));
            Open1Click();
        } else if (isVisible() || !FSettings.ShowBalloon) {
            Log::Detail(QStringLiteral("frmMain.Visible=true"));
        } else {
            Log::Detail(QStringLiteral("frmMain.Visible=false"));
            ShowBalloon(telNo + QLatin1Char(' ') + caller.CALLER);
        }
        break;
    case 2:
        Log::Detail(QStringLiteral("GJouchuIdx=2"));
        if (PageMain->currentIndex() == 0) sgdLog->setFocus();
        if (FSettings.GisJouchuOpen) {
            Log::Detail(QStringLiteral("GisJouchuOpen=true"));
            Open1Click();
        }
        break;
    default:
        if (PageMain->currentIndex() == 0) sgdLog->setFocus();
        break;
    }

    SpeakCaller(caller.READ_NAME);
    if (FSettings.Bring) StartBlink();
    if (FSettings.LinkAutoLaunch) ExecCustProg(FSettings.LinkIfNo, telNo, portNo);
    if (FSettings.AutoCustInfo) OpenCustAcceptTab(caller.CUST_TEL_NON, callLogNo);
}

void TfrmMain::CallDataInsert(const QString& telNo, int portNo)
{
    Log::Detail(QStringLiteral("TfrmMain.CallDataInsert TelNo=") + telNo + QStringLiteral(" PortNo=") +
                QString::number(portNo));
    FTelReceive->IdentifyCaller(telNo, telNo, false);
    FTelReceive->InsertCallLog(QDateTime::currentDateTime(), telNo, QStringLiteral("発信"), portNo);
    ShowTodaysCalls();
    edtCall->setText(telNo);
    pnlCallName->setText(FTelReceive->GetCallerName(telNo));
    Log::Detail(QStringLiteral("TfrmMain.CallDataInsert end"));
}

void TfrmMain::ShowTodaysCalls()
{
    SetHistoryDate(QDate::currentDate());
    TUpTable up;
    up.UpLog = true;
    up.UpTels = true;
    RefreshTables(up);
}

// ---------------------------------------------------------------- blink

void TfrmMain::StartBlink()
{
    Log::Detail(QStringLiteral("TelBringProc"));
    if (!FBlinkTimer) {
        FBlinkTimer = new QTimer(this);
        FBlinkTimer->setObjectName(QStringLiteral("tmrBring"));
        FBlinkTimer->setInterval(400);
        connect(FBlinkTimer, &QTimer::timeout, this, &TfrmMain::BlinkStep);
    }
    // A new call restarts the blink from its first step.
    FBlinkCount = 0;
    BlinkStep();
    FBlinkTimer->start();
}

void TfrmMain::BlinkStep()
{
    QPalette pal = pnlCallName->palette();
    if (FBlinkCount < 9) {
        const bool green = FBlinkCount % 2 == 0;
        pal.setColor(QPalette::Window, green ? kBlinkGreen : QApplication::palette().color(QPalette::ToolTipBase));
        pnlCallName->setBackgroundRole(QPalette::Window);
        pnlCallName->setPalette(pal);
        ++FBlinkCount;
        return;
    }
    FBlinkTimer->stop();
    pnlCallName->setPalette(QPalette());
    pnlCallName->setBackgroundRole(QPalette::ToolTipBase);
    pnlCalledNo->hide();
    pnlCalledName->hide();
    pnlCalledNo->clear();
    pnlCalledName->clear();
}

// ---------------------------------------------------------------- refresh

bool TfrmMain::RefreshInterrupted()
{
    QCoreApplication::processEvents();
    return FRefreshInterrupt;
}

void TfrmMain::RefreshTables(const TUpTable& up)
{
    FRefreshInterrupt = false;
    FRefreshBusy = true;
    struct TBusy
    {
        bool& flag;
        ~TBusy() { flag = false; }
    } busy{FRefreshBusy};
    Log::Detail(QStringLiteral("TfrmMain.RefreshTables begin"));
    if (up.UpLog || up.UpTels) {
        LoadHistory();
        if (RefreshInterrupted()) return;
        RefreshCustViews(up);
        if (RefreshInterrupted()) return;
    }
    if (up.UpAccept || up.UpUser || up.UpActType || up.UpActResult) {
        RefreshLookupLists(up);
        if (RefreshInterrupted()) return;
        if (FSettings.UseAccept) {
            RefreshAcceptViews(up);
            if (RefreshInterrupted()) return;
        }
    }
    if (up.UpCustOption || up.UpCustOptionData) {
        RefreshCustOptions(up);
        if (RefreshInterrupted()) return;
    }
    Log::Detail(QStringLiteral("TfrmMain.RefreshTables end"));
}

// ---------------------------------------------------------------- history

void TfrmMain::LoadHistory()
{
    Log::Detail(QStringLiteral("TfraCust.MakeLogGrid begin"));
    sgdLog->clearContents();
    sgdLog->setRowCount(1);
    const QDate day = HistoryDate();
    QString sql = QStringLiteral("select g.*, t.CUST_TEL_NON, t.CALLER, t.READ_NAME, a.ACT_NO from LOG g "
                                 "left join TELS t on t.TEL_NO = g.TEL_NO "
                                 "left join ACCEPT_T a on a.LOG_NO = g.LOG_NO where g.DT_FROM >= ") +
                  SqlDate(day.startOfDay()) + QStringLiteral(" and g.DT_FROM < ") +
                  SqlDate(day.addDays(1).startOfDay());
    switch (rgpTelType->checkedId()) {
    case 0: sql += QStringLiteral(" and g.TEL_TYPE = '着信'"); break;
    case 1: sql += QStringLiteral(" and g.TEL_TYPE = '発信'"); break;
    default: break;
    }
    sql += QStringLiteral(" order by g.DT_FROM desc");
    Log::Detail(QStringLiteral("strSql=") + sql);

    TFbQuery& q = FDm.sqlWork;
    q.SQL = sql;
    q.Open();
    TFbQuery::TCloser closer(q);
    int row = 0;
    sgdLog->setUpdatesEnabled(false);
    for (; !q.Eof(); q.Next(), ++row) {
        if (row >= sgdLog->rowCount()) sgdLog->setRowCount(row + 1);
        const QDateTime from = q.FieldByName(QStringLiteral("DT_FROM")).AsDateTime();
        sgdLog->setItem(row, 0, Cell(from.isValid() ? from.toString(QStringLiteral("yy/MM/dd H:mm:ss")) : QString()));
        sgdLog->setItem(row, 1, Cell(q.FieldByName(QStringLiteral("TEL_NO")).AsString()));
        sgdLog->setItem(row, 2, Cell(q.FieldByName(QStringLiteral("TEL_TYPE")).AsString()));
        sgdLog->setItem(row, 3, Cell(q.FieldByName(QStringLiteral("PORT_NO")).AsString()));
        sgdLog->setItem(row, 4, Cell(q.FieldByName(QStringLiteral("CALLER")).AsString()));
        sgdLog->setItem(row, 5, Cell(q.FieldByName(QStringLiteral("TEL_MEMO")).AsString()));
        const TFbField act = q.FieldByName(QStringLiteral("ACT_NO"));
        sgdLog->setItem(row, 6, Cell(FSettings.UseAccept && !act.IsNull() ? act.AsString() : QString()));
        sgdLog->setItem(row, 7, Cell(q.FieldByName(QStringLiteral("CUST_TEL_NON")).AsString()));
        sgdLog->setItem(row, 8, Cell(q.FieldByName(QStringLiteral("READ_NAME")).AsString()));
        sgdLog->setItem(row, 9, Cell(q.FieldByName(QStringLiteral("LOG_NO")).AsString()));
    }
    sgdLog->setUpdatesEnabled(true);
    if (sgdLog->currentRow() < 0) sgdLog->setCurrentCell(0, 0);
    Log::Detail(QStringLiteral("TfraCust.MakeLogGrid end"));
}

QString TfrmMain::CellText(int row, int column) const
{
    const QTableWidgetItem* item = sgdLog->item(row, column);
    return item ? item->text() : QString();
}

void TfrmMain::sgdLogClick()
{
    pnlCalledNo->hide();
    pnlCalledName->hide();
    const int row = sgdLog->currentRow();
    if (row < 0) return;
    edtCall->setText(CellText(row, 1));
    pnlCallName->setText(CellText(row, 4));
}

void TfrmMain::sgdLogDblClick(int row, int column)
{
    if (row < 0) return;
    switch (column) {
    case 5: EditCallMemo(CellText(row, 9), CellText(row, 5)); break;
    case 1: OpenTels(CellText(row, 1)); break;
    case 4: btnCustInfoClick(); break;
    case 6:
        if (FSettings.UseAccept) OpenAccept(CellText(row, 6));
        break;
    default: break;
    }
}

void TfrmMain::edtCallExit()
{
    Log::Detail(QStringLiteral("edtCallExit"));
    pnlCallName->setText(FTelReceive->GetCallerName(edtCall->text()));
}

void TfrmMain::tabLogShow(bool shown)
{
    btnMemo->setEnabled(shown);
    if (!shown) return;
    if (isVisible()) {
        Log::Detail(QStringLiteral("TfrmMain.tabLogShow self.Showing=true"));
        sgdLogClick();
    } else {
        Log::Detail(QStringLiteral("TfrmMain.tabLogShow self.Showing=false"));
    }
}

// ---------------------------------------------------------------- memo

void TfrmMain::btnMemoClick()
{
    Log::Detail(QStringLiteral("TfrmMain.btnMemoClick"));
    const int row = sgdLog->currentRow();
    if (row < 0) return;
    EditCallMemo(CellText(row, 9), CellText(row, 5));
}

void TfrmMain::EditCallMemo(const QString& logNo, const QString& memo)
{
    bool ok = false;
    const int no = logNo.toInt(&ok);
    if (!ok) return;
    FfrmMemo->LogNo = no;
    FfrmMemo->SetMemo(memo);
    if (Msg::ExecDialog(*FfrmMemo) != QDialog::Accepted) return;
    FDm.UpdateTelMemo(no, FfrmMemo->Memo());
    TUpTable up;
    up.UpLog = true;
    RefreshTables(up);
    SendNotice(up.ToNotice());
}

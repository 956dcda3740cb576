// TfrmMain: the call pipeline, the table refresh, the blink and the memo.
#include "frm_main_u.h"

#include "call_queue_u.h"
#include "clock_u.h"
#include "fra_log_history_u.h"
#include "string_grid_u.h"
#include "dm_cmn_u.h"
#include "errors_u.h"
#include "frm_memo_u.h"
#include "log_u.h"
#include "record_tabs_u.h"
#include "msg_u.h"
#include "tel_receive_u.h"

#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <utility>

namespace {
// Caller panel colours of the blink.
const QColor kBlinkGreen(187, 238, 170);
} // namespace

// ---------------------------------------------------------------- submit

void TfrmMain::SubmitIncomingCall(const QString& telNo, const QString& logNo, int portNo,
                                  const QString& calledReadName, bool fromNotice)
{
    FCalls->Submit({telNo, logNo, calledReadName, portNo, fromNotice});
}

bool TfrmMain::RefreshBusy() const
{
    return FCalls->RefreshBusy();
}

// ---------------------------------------------------------------- pipeline

void TfrmMain::TelReceiveProc(const QString& telNo, const QString& logNo, int portNo, const QString& calledReadName)
{
    Log::Detail(QStringLiteral("★TelReceiveProc TelNo=") + telNo + QStringLiteral(" LogNo=") + logNo +
                QStringLiteral(" PortNo=") + QString::number(portNo) + QStringLiteral(" CalledReadName=") +
                calledReadName);
    Log::Detail(QStringLiteral("TelNo=") + telNo);
    const QString lookupNo = TTelReceive::LookupNumber(telNo);
    FCallStart = Clock::Now();
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
    // The call in the number box is the selected row.
    tabLog->SelectLogNo(callLogNo);

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
        if (PageMain->currentIndex() == 0) tabLog->sgdLog->setFocus();
        if (FSettings.GisJouchuOpen) {
            Log::Detail(QStringLiteral("GisJouchuOpen=true"));
            Open1Click();
        }
        break;
    default:
        if (PageMain->currentIndex() == 0) tabLog->sgdLog->setFocus();
        break;
    }

    SpeakCaller(caller.READ_NAME);
    if (FSettings.Bring) StartBlink();
    if (FSettings.LinkAutoLaunch) ExecCustProg(FSettings.LinkIfNo, telNo, portNo);
    if (FSettings.AutoCustInfo) OpenCustAcceptTab(caller.CUST_TEL_NON, -1, false, callLogNo);
}

void TfrmMain::CallDataInsert(const QString& telNo, int portNo)
{
    Log::Detail(QStringLiteral("TfrmMain.CallDataInsert TelNo=") + telNo + QStringLiteral(" PortNo=") +
                QString::number(portNo));
    FTelReceive->IdentifyCaller(telNo, telNo, false);
    const int logNo = FTelReceive->InsertCallLog(Clock::Now(), telNo, QStringLiteral("発信"), portNo);
    ShowTodaysCalls();
    edtCall->setText(telNo);
    pnlCallName->setText(FTelReceive->GetCallerName(telNo));
    tabLog->SelectLogNo(QString::number(logNo));
    Log::Detail(QStringLiteral("TfrmMain.CallDataInsert end"));
}

void TfrmMain::ShowTodaysCalls()
{
    SetHistoryDate(Clock::Today());
    TUpTable up;
    up.UpLog = true;
    up.UpTels = true;
    // What changed for the history is the rows of the calls logged since
    // its last load: a call costs the same however full the day is.
    FHistoryTakesNewCalls = true;
    RefreshTables(up);
    FHistoryTakesNewCalls = false;
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

void TfrmMain::RefreshTables(const TUpTable& up)
{
    TCallQueue::TRefresh refresh(*FCalls);
    Log::Detail(QStringLiteral("TfrmMain.RefreshTables begin"));
    if (up.UpLog || up.UpTels) {
        const int kind = rgpTelType->checkedId();
        // A full load goes in slices, so that an arriving call waits for one
        // slice, not for the whole day.
        if (!(std::exchange(FHistoryTakesNewCalls, false) && tabLog->AddNewCalls(HistoryDate(), kind)))
            tabLog->LoadHistory(HistoryDate(), kind, [&refresh] { return refresh.Interrupted(); });
        // A call stopped the load: the rest of the day goes in once it has run.
        if (tabLog->HasRest()) QTimer::singleShot(0, this, &TfrmMain::ContinueHistory);
        if (refresh.Interrupted()) return;
        RefreshCustViews(up);
        if (refresh.Interrupted()) return;
    }
    if (up.UpAccept || up.UpUser || up.UpActType || up.UpActResult) {
        RefreshLookupLists(up);
        if (refresh.Interrupted()) return;
        if (FSettings.UseAccept) {
            RefreshAcceptViews(up);
            if (refresh.Interrupted()) return;
        }
    }
    if (up.UpCustOption || up.UpCustOptionData) {
        RefreshCustOptions(up);
        if (refresh.Interrupted()) return;
    }
    Log::Detail(QStringLiteral("TfrmMain.RefreshTables end"));
}

void TfrmMain::ContinueHistory()
{
    if (!tabLog->HasRest()) return;
    // Calls first, and never inside another refresh.
    if (FCalls->RefreshBusy() || FCalls->Draining() || FCalls->Pending() > 0) {
        QTimer::singleShot(10, this, &TfrmMain::ContinueHistory);
        return;
    }
    TCallQueue::TRefresh refresh(*FCalls);
    tabLog->LoadRest([&refresh] { return refresh.Interrupted(); });
}

// ---------------------------------------------------------------- history

void TfrmMain::LoadHistory()
{
    tabLog->LoadHistory(HistoryDate(), rgpTelType->checkedId());
}

void TfrmMain::sgdLogClick()
{
    pnlCalledNo->hide();
    pnlCalledName->hide();
    QString telNo, name;
    if (!tabLog->SelectedCall(telNo, name)) return;
    edtCall->setText(telNo);
    pnlCallName->setText(name);
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
    RefreshAndNotify(up);
}

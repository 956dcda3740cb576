#include "cust_pages_u.h"

#include "dm_cmn_u.h"
#include "fra_cust_u.h"
#include "log_u.h"
#include "main_host_u.h"
#include "msg_u.h"
#include "record_tabs_u.h"
#include "settings_u.h"

#include <QVBoxLayout>

TCustPages::TCustPages(TMainHost& host, TRecordPages* pages, int firstPage, QObject* parent)
    : QObject(parent), FHost(host), FPages(pages), FFirst(firstPage)
{
}

TfraCust* TCustPages::ViewAt(int index) const
{
    if (index < FFirst || index >= FPages->count()) return nullptr;
    return FPages->widget(index)->findChild<TfraCust*>(QStringLiteral("fraCust"));
}

TfraCust* TCustPages::ActiveView() const
{
    return ViewAt(FPages->currentIndex());
}

bool TCustPages::MemoAvailable() const
{
    const TfraCust* v = ActiveView();
    return v && v->CallsPageShown();
}

int TCustPages::FindCustPageIndex(const QString& custTelNon) const
{
    int found = -1;
    for (int i = FFirst; i < FPages->count() && found < 0; ++i) {
        const TfraCust* v = ViewAt(i);
        if (v && v->CustTelNon() == custTelNon) found = i;
    }
    Log::Detail(QStringLiteral("TfrmMain.FindCustPageIndex=") + QString::number(found));
    return found;
}

int TCustPages::OpenCustTab(const QString& telNo)
{
    Log::Detail(QStringLiteral("frmMain.OpenCustTab begin"));
    TdmCmn& dm = FHost.Dm();
    if (!telNo.isEmpty()) {
        QString custTelNon;
        int index = -1;
        if (dm.GetCustTelNon(telNo, custTelNon)) {
            index = FindCustPageIndex(custTelNon);
            Log::Detail(QStringLiteral("index=") + QString::number(index));
        } else if (dm.RowExists(QStringLiteral("CUSTOMER"), QStringLiteral("CUST_TEL_NON"), SqlQuote(telNo))) {
            index = FindCustPageIndex(telNo);
        }
        if (index >= 0) {
            FPages->setCurrentIndex(index);
            return index;
        }
    }
    auto* sheet = new QWidget;
    auto* v = new QVBoxLayout(sheet);
    v->setContentsMargins(0, 0, 0, 0);
    const int index = FPages->addTab(sheet, TfraCust::TabCaption(telNo, false));
    FPages->setCurrentIndex(index);
    auto* view = new TfraCust(FHost, telNo, sheet);
    v->addWidget(view);
    connect(view, &TfraCust::CallsPageToggled, this, &TCustPages::MemoAvailabilityChanged);
    emit MemoAvailabilityChanged();
    return index;
}

void TCustPages::OpenCustAcceptTab(const QString& custTelNon, int actNo, bool browse, const QString& logNo)
{
    Log::Detail(QStringLiteral("ActNo=%1 CustTelNon=%2 LogNo=%3").arg(actNo).arg(custTelNon, logNo));
    // A withheld number (a blank) leads to no customer.
    if ((actNo < 0 && browse) || custTelNon.trimmed().isEmpty()) return;
    TfraCust* view = ViewAt(OpenCustTab(custTelNon));
    if (!view || !FHost.Settings().UseAccept) return;
    view->OpenAcceptTab(actNo, logNo, actNo < 0 ? false : browse);
}

void TCustPages::RefreshCustAccepts(int custNo, int actNo)
{
    for (int i = FFirst; i < FPages->count(); ++i) {
        TfraCust* v = ViewAt(i);
        if (!v) continue;
        if (custNo == -1) {
            v->MakeAcceptGrid();
        } else if (v->CustNo() == custNo) {
            v->MakeAcceptGrid();
            if (actNo != -1) v->OnFindCloseActTab(actNo);
            return;
        }
    }
}

bool TCustPages::MayClose(int index) const
{
    const TfraCust* v = ViewAt(index);
    if (!v || !v->HasUnsavedInput()) return true;
    return Msg::Show(TMsgKind::Confirmation,
                     QStringLiteral("保存されていない入力があります。破棄して閉じてもよろしいですか？"),
                     mbOK | mbCancel, FHost.HostWindow()) == mbOK;
}

void TCustPages::RefreshCustTels(const QString& custTelNon)
{
    for (int i = FFirst; i < FPages->count(); ++i)
        if (TfraCust* v = ViewAt(i); v && (custTelNon.isEmpty() || v->CustTelNon() == custTelNon)) v->MakeTelsGrid();
}

void TCustPages::RefreshCustLogs(const QString& custTelNon)
{
    for (int i = FFirst; i < FPages->count(); ++i)
        if (TfraCust* v = ViewAt(i); v && (custTelNon.isEmpty() || v->CustTelNon() == custTelNon)) v->MakeMainGrid();
}

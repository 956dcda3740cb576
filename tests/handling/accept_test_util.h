#pragma once
// A customer view as far as a handling editor sees it: a customer number and
// name, the history pages whose tabs hold editors, and a record of what the
// editor asked for.
#include "accept_owner_u.h"
#include "fra_accept_u.h"
#include "record_tabs_u.h"

#include <QMetaObject>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>

class TTestOwner : public QWidget, public TAcceptOwner
{
public:
    explicit TTestOwner(TMainHost& host) : FHost(host)
    {
        PageHistory = new TRecordPages(2, this);
        PageHistory->addTab(new QWidget, QStringLiteral("電話履歴"));
        PageHistory->addTab(new QWidget, QStringLiteral("対応履歴"));
        (new QVBoxLayout(this))->addWidget(PageHistory);
        resize(760, 320);
    }

    int CustNo = -1;
    QString CustName = QStringLiteral("山田商店");
    QStringList Asked; // what the editors asked for, in order
    TRecordPages* PageHistory;

    // A new tab with an editor, as the customer view opens one.
    TfraAccept* Open(int actNo, const QString& logNo, bool browse)
    {
        auto* sheet = new QWidget;
        PageHistory->setCurrentIndex(PageHistory->addTab(sheet, QString()));
        return new TfraAccept(FHost, *this, sheet, browse, logNo, actNo);
    }
    TfraAccept* Editor(int page) const { return PageHistory->widget(page)->findChild<TfraAccept*>("fraAccept"); }

    int AcceptCustNo() const override { return CustNo; }
    QString AcceptCustName() const override { return CustName; }
    void MakeCustLogGrid() override { Asked << QStringLiteral("MakeCustLogGrid"); }
    void MakeCustAcceptGrid() override { Asked << QStringLiteral("MakeCustAcceptGrid"); }
    void OpenAcceptTab(int actNo, const QString& logNo, bool browse) override
    {
        Asked << QStringLiteral("OpenAcceptTab %1 '%2' %3").arg(actNo).arg(logNo).arg(browse ? "B" : "E");
    }
    void PostCloseActTab(int actNo) override
    {
        Asked << QStringLiteral("PostCloseActTab %1").arg(actNo);
        QMetaObject::invokeMethod(
            this,
            [this, actNo] {
                for (int i = 2; i < PageHistory->count(); ++i)
                    if (Editor(i) && Editor(i)->ActNo() == actNo) return PageHistory->FreeRecordPage(i, 1);
            },
            Qt::QueuedConnection);
    }
    void SetActTabCaption(QWidget* sheet, const QString& caption) override
    {
        PageHistory->setTabText(PageHistory->indexOf(sheet), caption);
    }

private:
    TMainHost& FHost;
};

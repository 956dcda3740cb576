#include "call_queue_u.h"

#include "errors_u.h"

#include <QCoreApplication>
#include <QTimer>

TCallQueue::TCallQueue(QObject* parent) : QObject(parent) {}

void TCallQueue::Submit(const TCallRequest& request)
{
    FCalls.push_back(request);
    // A running refresh stops at its next step, or its next slice of rows.
    FRefreshInterrupt = true;
    QMetaObject::invokeMethod(this, &TCallQueue::Arrived, Qt::QueuedConnection);
}

void TCallQueue::Arrived()
{
    // A running refresh stops after its current step.
    FRefreshInterrupt = true;
    Drain();
}

void TCallQueue::Drain()
{
    // Inside a call already, or inside a refresh that has not unwound yet:
    // the outer loop (or the retry) picks the request up in order.
    if (FDraining) return;
    if (FRefreshBusy) {
        QTimer::singleShot(10, this, &TCallQueue::Drain);
        return;
    }
    FDraining = true;
    struct TLatch
    {
        bool& flag;
        ~TLatch() { flag = false; }
    } latch{FDraining};
    while (!FCalls.empty()) {
        const TCallRequest r = FCalls.front();
        FCalls.pop_front();
        try {
            if (FRunner) FRunner(r);
        } catch (const std::exception& e) {
            if (FOnError) FOnError(r, ExceptionText(e));
        }
    }
}

TCallQueue::TRefresh::TRefresh(TCallQueue& q) : FQ(q), FOuterBusy(q.FRefreshBusy)
{
    FQ.FRefreshInterrupt = false;
    FQ.FRefreshBusy = true;
}

TCallQueue::TRefresh::~TRefresh()
{
    FQ.FRefreshBusy = FOuterBusy;
    // The call that stopped this refresh runs as soon as it has unwound.
    if (!FOuterBusy && !FQ.FDraining && !FQ.FCalls.empty())
        QMetaObject::invokeMethod(&FQ, &TCallQueue::Drain, Qt::QueuedConnection);
}

bool TCallQueue::TRefresh::Interrupted()
{
    QCoreApplication::processEvents();
    return FQ.FRefreshInterrupt;
}

#include "call_queue_u.h"

#include "errors_u.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {
TCallQueue::TCallRequest Call(const QString& no)
{
    return {no, QString(), QString(), 1, false};
}

template <class F> bool WaitFor(F cond, int ms = 3000)
{
    QElapsedTimer t;
    t.start();
    while (!cond() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return cond();
}
} // namespace

TEST(CallQueue, CallsRunLaterInOrderOfArrivalAndOneAfterTheOther)
{
    TCallQueue q;
    QStringList ran;
    int depth = 0, maxDepth = 0;
    q.SetRunner([&](const TCallQueue::TCallRequest& r) {
        maxDepth = qMax(maxDepth, ++depth);
        ran << r.TelNo;
        // A call that lets events run (the pipeline does) must not start the next one inside it.
        if (r.TelNo == "1") q.Submit(Call("3"));
        QCoreApplication::processEvents();
        --depth;
    });
    q.Submit(Call("1"));
    q.Submit(Call("2"));
    EXPECT_TRUE(ran.isEmpty()); // the source returns at once
    ASSERT_TRUE(WaitFor([&] { return ran.size() == 3; }));
    EXPECT_EQ(ran, QStringList({"1", "2", "3"}));
    EXPECT_EQ(maxDepth, 1);
    EXPECT_FALSE(q.Draining());
}

TEST(CallQueue, CallStopsRunningRefreshAndWaitsForItToUnwind)
{
    TCallQueue q;
    QStringList events;
    q.SetRunner([&](const TCallQueue::TCallRequest& r) {
        events << "call " + r.TelNo + (q.RefreshBusy() ? " inside refresh" : "");
    });
    {
        TCallQueue::TRefresh refresh(q);
        q.Submit(Call("0311112222"));
        events << "step 1";
        const bool stopped = refresh.Interrupted(); // the call arrives here
        events << (stopped ? "stopped" : "went on");
    }
    ASSERT_TRUE(WaitFor([&] { return events.size() == 3; }));
    EXPECT_EQ(events, QStringList({"step 1", "stopped", "call 0311112222"}));
    EXPECT_FALSE(q.RefreshBusy());
}

TEST(CallQueue, RefreshFlagsComeBackHoweverItEnds)
{
    TCallQueue q;
    try {
        TCallQueue::TRefresh refresh(q);
        EXPECT_TRUE(q.RefreshBusy());
        throw EKuruten("load failed");
    } catch (const EKuruten&) {
    }
    EXPECT_FALSE(q.RefreshBusy());
    {
        // A refresh started from inside another (a LAN notice during a reload)
        // leaves the outer one busy.
        TCallQueue::TRefresh outer(q);
        { TCallQueue::TRefresh inner(q); }
        EXPECT_TRUE(q.RefreshBusy());
    }
    EXPECT_FALSE(q.RefreshBusy());
}

TEST(CallQueue, FailedCallReachesErrorHandlerAndLaterCallsStillRun)
{
    TCallQueue q;
    QStringList ran, errors;
    q.SetRunner([&](const TCallQueue::TCallRequest& r) {
        ran << r.TelNo;
        if (r.TelNo == "bad") throw EKuruten(QStringLiteral("接続が切れました"));
    });
    bool handlerThrows = true;
    q.SetErrorHandler([&](const TCallQueue::TCallRequest&, const QString& message) {
        errors << message;
        if (handlerThrows) {
            handlerThrows = false;
            throw EKuruten("handler failed"); // escapes the drain
        }
    });
    q.Submit(Call("bad"));
    try {
        WaitFor([&] { return !errors.isEmpty(); });
    } catch (const EKuruten&) {
    }
    EXPECT_FALSE(q.Draining()); // the latch is reset on every exit path
    q.Submit(Call("bad"));
    q.Submit(Call("good"));
    ASSERT_TRUE(WaitFor([&] { return ran.size() == 3; }));
    EXPECT_EQ(ran, QStringList({"bad", "bad", "good"}));
    EXPECT_EQ(errors, QStringList({QStringLiteral("接続が切れました"), QStringLiteral("接続が切れました")}));
}

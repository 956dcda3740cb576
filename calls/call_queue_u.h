#pragma once
// Order of incoming calls on the main thread. Every source submits here; the
// request is handed back through the event queue, a running table refresh is
// asked to stop after its current step, and the calls then run one after the
// other in order of arrival, never inside a refresh.
#include <QObject>
#include <QString>
#include <deque>
#include <functional>

class TCallQueue : public QObject
{
    Q_OBJECT
public:
    struct TCallRequest
    {
        QString TelNo, LogNo, CalledReadName;
        int PortNo = 1;
        bool FromNotice = false; // came from a LAN notice
    };
    // Runs one call (the pipeline). What it throws goes to the error handler.
    using TRunner = std::function<void(const TCallRequest&)>;
    using TErrorHandler = std::function<void(const TCallRequest& request, const QString& message)>;

    explicit TCallQueue(QObject* parent = nullptr);

    void SetRunner(TRunner runner) { FRunner = std::move(runner); }
    void SetErrorHandler(TErrorHandler handler) { FOnError = std::move(handler); }

    // Returns at once; the call runs later on this thread.
    void Submit(const TCallRequest& request);
    int Pending() const { return int(FCalls.size()); }

    // A table refresh holds a TRefresh while it runs: the busy flag is set,
    // the interrupt flag cleared, and both are reset however it ends.
    class TRefresh
    {
    public:
        explicit TRefresh(TCallQueue& q);
        ~TRefresh();
        TRefresh(const TRefresh&) = delete;
        TRefresh& operator=(const TRefresh&) = delete;
        // Lets pending events run; true when a call asked the refresh to stop.
        bool Interrupted();

    private:
        TCallQueue& FQ;
        bool FOuterBusy;
    };
    bool RefreshBusy() const { return FRefreshBusy; }
    bool InterruptRequested() const { return FRefreshInterrupt; }
    bool Draining() const { return FDraining; }

private:
    void Arrived();
    void Drain();

    std::deque<TCallRequest> FCalls;
    TRunner FRunner;
    TErrorHandler FOnError;
    bool FDraining = false;
    bool FRefreshBusy = false;
    bool FRefreshInterrupt = false;
};

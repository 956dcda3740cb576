#include "stack_log_u.h"

#include "log_u.h"

#include <linphone++/linphone.hh>

#include <QCoreApplication>
#include <QThread>

#include <map>

namespace {

std::map<int, StackLog::TObserver>& Observers()
{
    static std::map<int, StackLog::TObserver> observers;
    return observers;
}

void Write(const QString& tag, const QString& domain, const QString& message)
{
    try {
        Log::Detail(QStringLiteral("liblinphone %1 [%2] %3").arg(tag, domain, message));
    } catch (...) {
        // The stack's chatter must never break it.
    }
}

void Observe(const QString& domain, const QString& message)
{
    try {
        // A copy: an observer may add or remove observers.
        const auto observers = Observers();
        for (const auto& [id, observer] : observers) observer(domain, message);
    } catch (...) {
    }
}

class TListener : public linphone::LoggingServiceListener
{
public:
    void onLogMessageWritten(const std::shared_ptr<linphone::LoggingService>&, const std::string& domain,
                             linphone::LogLevel level, const std::string& message) override
    {
        const QString tag = level == linphone::LogLevel::Warning ? QStringLiteral("warning") : QStringLiteral("error");
        const QString d = QString::fromStdString(domain);
        const QString m = QString::fromStdString(message);
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return;
        // Written once the stack's step is over, even from the main thread:
        // a call's answer does not wait for the disk.
        const bool main = QThread::currentThread() == app->thread();
        if (main) Observe(d, m);
        QMetaObject::invokeMethod(
            app,
            [tag, d, m, main] {
                Write(tag, d, m);
                if (!main) Observe(d, m);
            },
            Qt::QueuedConnection);
    }
};

} // namespace

namespace StackLog {

void Install()
{
    static std::shared_ptr<TListener> listener;
    if (listener) return;
    listener = std::make_shared<TListener>();
    auto service = linphone::LoggingService::get();
    service->setLogLevel(linphone::LogLevel::Warning);
    service->addListener(listener);
}

int AddObserver(TObserver observer)
{
    static int next = 0;
    Observers()[++next] = std::move(observer);
    return next;
}

void RemoveObserver(int id)
{
    Observers().erase(id);
}

} // namespace StackLog

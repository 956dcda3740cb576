#pragma once
// A private settings file and diagnostic log per test, and an event-loop
// wait with a generous upper bound (a guard against hangs, not a timing
// check).
#include "log_u.h"
#include "settings_u.h"

#include <QStringList>
#include <functional>
#include <memory>

class TCallsTestEnv
{
public:
    explicit TCallsTestEnv(bool detailedLog = true);
    ~TCallsTestEnv();

    TSettings& Settings() { return *FSettings; }
    // A second settings object on the same data root (for a second copy).
    std::unique_ptr<TSettings> OtherSettings() const;
    // Log lines without their time stamps.
    QStringList LogLines() const;
    bool Logged(const QString& line) const { return LogLines().contains(line); }
    bool LoggedStartingWith(const QString& head) const;

private:
    QString FRoot;
    std::unique_ptr<TSettings> FSettings;
    std::unique_ptr<TLog> FLog;
};

// Runs the event loop until cond holds or boundMs pass; returns cond().
bool WaitFor(const std::function<bool()>& cond, int boundMs = 10000);

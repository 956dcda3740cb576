#pragma once
// The one clock of the program. Everything that asks "today" or "now" for a
// rule (ages, default periods, file stamps) asks here, so tests can set it.
#include <QDate>
#include <QDateTime>
#include <functional>

namespace Clock {
QDateTime Now();
QDate Today();

using TSource = std::function<QDateTime()>;
// Installs a source; an empty one restores the system clock.
void SetSource(TSource source);
}

// Fixes the clock for one scope (tests).
class TClockOverride
{
public:
    explicit TClockOverride(const QDateTime& now);
    ~TClockOverride();
    void Set(const QDateTime& now) { FNow = now; }

private:
    QDateTime FNow;
};

#include "clock_u.h"

namespace {
Clock::TSource gSource;
}

namespace Clock {
QDateTime Now()
{
    return gSource ? gSource() : QDateTime::currentDateTime();
}

QDate Today()
{
    return Now().date();
}

void SetSource(TSource source)
{
    gSource = std::move(source);
}
} // namespace Clock

TClockOverride::TClockOverride(const QDateTime& now) : FNow(now)
{
    Clock::SetSource([this] { return FNow; });
}

TClockOverride::~TClockOverride()
{
    Clock::SetSource({});
}

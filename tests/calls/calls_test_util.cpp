#include "calls_test_util.h"

#include "env_test_util.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>

TCallsTestEnv::TCallsTestEnv(bool detailedLog) : FRoot(TestEnv::FreshDataRoot())
{
    FSettings = OtherSettings();
    FLog = std::make_unique<TLog>(FSettings->LogFolder(), QStringLiteral("TESTPC"));
    FLog->SetDetailed(detailedLog);
    TLog::SetCurrent(FLog.get());
}

TCallsTestEnv::~TCallsTestEnv()
{
    TLog::SetCurrent(nullptr);
}

std::unique_ptr<TSettings> TCallsTestEnv::OtherSettings() const
{
    TEnvValues env;
    env.gComputerName = QStringLiteral("TESTPC");
    auto settings = std::make_unique<TSettings>(FRoot, env);
    // Loading the settings switches the detailed log on, as at start.
    const bool detailed = FLog && FLog->Detailed();
    settings->Initialize();
    if (FLog) FLog->SetDetailed(detailed);
    return settings;
}

QStringList TCallsTestEnv::LogLines() const
{
    QFile f(FLog->CurrentFile());
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines;
    const QStringList raw = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    for (const QString& line : raw) lines << line.mid(20); // "yyyy/MM/dd HH:mm:ss "
    return lines;
}

bool TCallsTestEnv::LoggedStartingWith(const QString& head) const
{
    const QStringList lines = LogLines();
    for (const QString& line : lines)
        if (line.startsWith(head)) return true;
    return false;
}

bool WaitFor(const std::function<bool()>& cond, int boundMs)
{
    QDeadlineTimer deadline(boundMs);
    while (!cond() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return cond();
}

#pragma once
// sipp on loopback for the softphone benchmarks: scenarios, start-up and the
// times read back from sipp's message trace.
#include <QProcess>
#include <QString>
#include <functional>
#include <map>
#include <vector>

namespace BenchSipp {
// Folder for scenario, trace and output files.
extern QString gDir;
// One caller after another: INVITE, 180, then CANCEL (user "caller<n>").
extern const char* kUac;
// Answers one REGISTER with 200.
extern const char* kRegistrar;

bool Taken(int port);
bool TakenTcp(int port);
int FreePort();
void Pump(int ms);
bool WaitFor(const std::function<bool()>& pred, int ms);
// Starts sipp (running on return); msgFile receives its message trace.
QProcess* StartSipp(const QString& name, const QString& xml, const QString& remote, int calls, QString& msgFile,
                    const QStringList& extra = {}, int timeoutSec = 120);
// Microseconds since the epoch of a trace stamp "2026-12-10 00:33:46.703913".
double StampUs(const QString& stamp);
// INVITE sent -> 180 received per Call-ID, in ms.
std::vector<double> InviteTo180(const QString& msgFile);
// When each call's first INVITE went out (µs since the epoch), by caller user.
std::map<QString, double> InviteSentByUser(const QString& msgFile);
}

#pragma once
// The SIP stack's own log (warnings and errors) into the diagnostic log.
// The stack may write from its own threads (media, resolver); the
// diagnostic log is written on the main thread only, so every line is
// queued to it and written in the order it came, after the stack's step
// (so the disk never delays the step).
#include <QString>
#include <functional>

namespace StackLog {
// Routes the stack's log once per process. Needs the application object.
void Install();

// Sees every line on the main thread (at once when the stack wrote it
// there): the engine learns from the stack's words what it reports no
// other way (why a TLS connection failed).
using TObserver = std::function<void(const QString& domain, const QString& message)>;
int AddObserver(TObserver observer);
void RemoveObserver(int id);
}

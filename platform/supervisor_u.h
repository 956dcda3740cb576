#pragma once
// Keeps the program running after a crash. The process the user (or the
// autostart entry) starts becomes a small supervisor: it starts the program
// itself as its child and starts it again when the child dies of a signal
// it did not ask for (SIGSEGV, SIGABRT, SIGKILL ...). A normal end, SIGTERM,
// SIGINT or SIGHUP ends the supervisor too, with the child's exit code.
// Signals that stop the program are passed on to the child; killing the
// supervisor kills the child. Five crashes within 30 s of their starts in a
// row end the restarts.
#include <QString>

namespace Supervisor {
// Runs the supervisor when this process is to be one and returns the exit
// code it ends with; -1 when this process is the program itself (the
// child, or KURUTEN_NO_SUPERVISOR=1, or no process could be started).
int Run(int argc, char** argv);
// In a child started again after a crash: what ended the last one
// ("signal 11"); empty otherwise.
QString RestartReason();
}

#include "supervisor_u.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kChildMark = "KURUTEN_SUPERVISED";
constexpr const char* kRestartMark = "KURUTEN_RESTARTED_AFTER";
constexpr int kQuickRunSec = 30;
constexpr int kMaxQuickCrashes = 5;

volatile sig_atomic_t gStopSignal = 0;
volatile pid_t gChild = 0;
QString gRestartReason;

void OnStop(int sig)
{
    gStopSignal = sig;
    if (gChild > 0) ::kill(gChild, sig);
}

// Signals that end the program on purpose: never a reason to start it again.
bool Deliberate(int sig)
{
    return sig == SIGTERM || sig == SIGINT || sig == SIGHUP || sig == SIGPIPE;
}

void Pause(int seconds)
{
    timespec t{seconds, 0};
    while (!gStopSignal && ::nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

} // namespace

namespace Supervisor {

int Run(int argc, char** argv)
{
    (void)argc;
    if (const char* reason = std::getenv(kRestartMark)) gRestartReason = QString::fromLocal8Bit(reason);
    if (std::getenv(kChildMark)) {
        // The program itself. Whatever it starts later (a restart it asks
        // for) is supervised afresh.
        ::unsetenv(kChildMark);
        ::unsetenv(kRestartMark);
        return -1;
    }
    if (const char* off = std::getenv("KURUTEN_NO_SUPERVISOR"); off && std::string(off) == "1") return -1;

    struct sigaction sa = {};
    sa.sa_handler = OnStop;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &sa, nullptr);

    int lastSignal = 0;
    int quickCrashes = 0;
    for (;;) {
        const pid_t parent = ::getpid();
        const pid_t child = ::fork();
        if (child < 0) return -1; // run unsupervised in this process
        if (child == 0) {
            struct sigaction dfl = {};
            dfl.sa_handler = SIG_DFL;
            for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &dfl, nullptr);
            // Dies with the supervisor, as a killed program would.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent) ::_exit(1);
            ::setenv(kChildMark, "1", 1);
            if (lastSignal) ::setenv(kRestartMark, ("signal " + std::to_string(lastSignal)).c_str(), 1);
            ::execv("/proc/self/exe", argv);
            ::_exit(127);
        }
        gChild = child;
        if (gStopSignal) ::kill(child, gStopSignal); // arrived before gChild was set
        const time_t started = ::time(nullptr);
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        gChild = 0;
        if (WIFEXITED(status)) return WEXITSTATUS(status);
        const int sig = WTERMSIG(status);
        if (gStopSignal || Deliberate(sig)) return 128 + sig;
        quickCrashes = ::time(nullptr) - started < kQuickRunSec ? quickCrashes + 1 : 1;
        if (quickCrashes >= kMaxQuickCrashes) {
            std::fprintf(stderr, "kuruten3: ended by signal %d, %d times in a row soon after starting; not started again\n",
                         sig, quickCrashes);
            return 128 + sig;
        }
        std::fprintf(stderr, "kuruten3: ended by signal %d; starting it again\n", sig);
        lastSignal = sig;
        Pause(1);
        if (gStopSignal) return 128 + gStopSignal;
    }
}

QString RestartReason()
{
    return gRestartReason;
}

} // namespace Supervisor

#else // A Windows build would use a job object; until then it runs unsupervised.

namespace Supervisor {
int Run(int, char**) { return -1; }
QString RestartReason() { return {}; }
}

#endif

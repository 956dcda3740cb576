#include "startup_u.h"

#include "app_state_u.h"
#include "dm_cmn_u.h"
#include "errors_u.h"
#include "frm_main_u.h"
#include "hand_off_u.h"
#include "import_postal_u.h"
#include "kuruten_app_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "restart_u.h"
#include "settings_u.h"
#include "single_instance_u.h"
#include "special_folders_u.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <QTextStream>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#include <memory>

namespace {
const QString kInstanceName = QStringLiteral("kuruten3");
constexpr int kHandOffTimeoutMs = 10000;
constexpr int kRaiseTimeoutMs = 3000;

// For tests that run the real program: boxes are recorded in a file and
// answered without waiting for a person. KURUTEN_MSG_HOLD_MS keeps each box
// open that long first, as a person reading it would.
void InstallScriptedAnswers()
{
    const QString file = qEnvironmentVariable("KURUTEN_MSG_LOG");
    if (file.isEmpty()) return;
    const int holdMs = qEnvironmentVariableIntValue("KURUTEN_MSG_HOLD_MS");
    Msg::SetResponder([file, holdMs](const TMsgRequest& r) {
        const auto record = [&file](const QString& line) {
            QFile f(file);
            if (f.open(QIODevice::Append)) QTextStream(&f) << line << '\n';
        };
        const char* kinds[] = {"info", "warning", "error", "confirm"};
        const QString text = QString(r.Text).replace('\n', "\\n");
        record(QString::fromLatin1(kinds[int(r.Kind)]) + QLatin1Char('\t') + text);
        const QString answer = qEnvironmentVariable("KURUTEN_MSG_ANSWER").toLower();
        int result = mbOK;
        if (answer == QLatin1String("no") && (r.Buttons & mbNo)) result = mbNo;
        else if (answer == QLatin1String("cancel") && (r.Buttons & mbCancel)) result = mbCancel;
        else if (r.Buttons & mbYes) result = mbYes;
        if (holdMs > 0) {
            QMessageBox box(QMessageBox::NoIcon, Msg::Title(), r.Text);
            QTimer::singleShot(holdMs, &box, [&box] { box.done(QDialog::Accepted); });
            if (box.exec() != QDialog::Accepted) result = Msg::LeastAnswer(r.Buttons);
            record(QStringLiteral("closed\t") + text);
        }
        return result;
    });
}

// Second copy: hand the text to the running copy, or say that one runs.
int HandOffToRunningCopy(const TSettings& settings, const QStringList& args)
{
    bool ok = false;
    const qint64 handle = settings.ReadText(QStringLiteral("HANDLE"), QStringLiteral("MAIN_FORM")).toLongLong(&ok);
    if (args.size() != 2 || args[0].toLower() != QLatin1String("/s")) {
        // A copy without a notification area may be out of sight: it comes up.
        THandOffPacket raise;
        raise.Handle = ok ? handle : 0;
        raise.DwData = THandOffText::kRaisePacket;
        TSingleInstance::Send(TSingleInstance::InstanceName(kInstanceName), SpecialFolders::Runtime(), raise,
                              kRaiseTimeoutMs);
        Msg::Warn(QStringLiteral("くるてんはすでに実行しています。"));
        return 1;
    }
    if (!ok) {
        Msg::Error(QStringLiteral("くるてんのハンドルを取得できませんでした。"));
        return 1;
    }
    THandOffPacket packet;
    packet.Handle = handle;
    packet.DwData = 1;
    packet.Data = args[1].toUtf8();
    const auto result = TSingleInstance::Send(TSingleInstance::InstanceName(kInstanceName), SpecialFolders::Runtime(),
                                              packet, kHandOffTimeoutMs);
    if (result == TSingleInstance::TSendResult::Foreign)
        Log::Always(QStringLiteral("HandOff refused: the running copy's socket belongs to another user"));
    if (result != TSingleInstance::TSendResult::Ok) {
        Log::Detail(QStringLiteral("HandOff failed, result=%1").arg(int(result)));
        Msg::Error(QStringLiteral("くるてんのハンドルを取得できませんでした。"));
        return 1;
    }
    return 0;
}

// SIGTERM and SIGINT end the program the way its own exit does, at any
// moment: during the start, inside a message box, in the message loop.
int gSignalPipe[2] = {-1, -1};
volatile std::sig_atomic_t gStopSignal = 0;

void OnSignal(int sig)
{
    gStopSignal = sig;
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(gSignalPipe[1], &c, 1);
}

// Installed first thing: no moment of the start is left to the default
// action.
void CatchStopSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0) return;
    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

void StopNow()
{
    // Open boxes close as cancelled and no new one asks; every event loop
    // ends, the message loop too once it runs (the start checks gStopSignal
    // before entering it).
    Msg::StopAsking();
    QCoreApplication::exit(0);
}

void StopOnSignals(QObject* owner)
{
    if (gSignalPipe[0] < 0) return;
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        char c;
        [[maybe_unused]] const auto n = ::read(gSignalPipe[0], &c, 1);
        StopNow();
    });
}

} // namespace

bool RestartProgram(const QString& exe, const TUserSignIn& user)
{
    errno = 0;
    if (Restart::StartAgain(exe, user, SpecialFolders::Runtime()) >= 0) return true;
    // The code the system gave; a file that is not there or cannot run
    // may leave errno untouched in this process.
    int code = errno;
    if (code == 0) code = QFileInfo::exists(exe) ? EACCES : ENOENT;
    const QString message = QStringLiteral("Exec Error ") + QString::number(code);
    Log::Always(QStringLiteral("This is on AppException Proc., E.Message=") + message);
    Msg::Error(message);
    return false;
}

int KurutenMain(int argc, char** argv)
{
    CatchStopSignals();
    // A command-line task runs without the window and the single instance.
    if (argc >= 2 && qstrcmp(argv[1], "--import-postal") == 0) return ImportPostalCommand(argc, argv);
    TKurutenApp app(argc, argv);
    StopOnSignals(&app);
    app.SetUpLook();
    // The boxes' caption. Windows keep their own captions alone: an
    // application display name would be added to every one of them.
    Msg::SetTitle(QStringLiteral("くるてん３"));
    InstallScriptedAnswers();

    TAppState state;
    state.Args = QCoreApplication::arguments().mid(1);
    // First thing, so the file never outlives this start.
    state.HandedSignIn = Restart::TakeHandedSignIn(state.Handed);

    // Module initialisation: folders, settings file, settings, log.
    TSettings settings(SpecialFolders::CommonAppData(), TEnvValues::FromSystem(QCoreApplication::applicationFilePath()));
    TLog log(settings.LogFolder(), settings.Env().gComputerName);
    TLog::SetCurrent(&log);
    try {
        settings.Initialize();
        // Firebird keeps its lock files here when nothing else says where.
        if (qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) {
            const QString lockDir = settings.DataFolder() + QStringLiteral("/fblock");
            QDir().mkpath(lockDir);
            qputenv("FIREBIRD_LOCK", lockDir.toUtf8());
        }
    } catch (const EKuruten& e) {
        TLog::SetCurrent(nullptr);
        Msg::Error(e.Message);
        return 2;
    }

    TSingleInstance instance(TSingleInstance::InstanceName(kInstanceName), SpecialFolders::Runtime());
    if (!instance.TryAcquire()) {
        const int rc = HandOffToRunningCopy(settings, state.Args);
        TLog::SetCurrent(nullptr);
        return rc;
    }

    // Told to stop before anything was opened: nothing to save either.
    if (gStopSignal) {
        TLog::SetCurrent(nullptr);
        return 0;
    }
    // Before the first connection: a stop signal must not cut it.
    TFbDatabase::KeepConnectionsOnSignals();

    int rc = 0;
    {
        TdmCmn dm(settings);
        TfrmMain frmMain(settings, state, dm);
        // Hand-offs that arrive before the window is ready wait for it.
        std::vector<THandOffPacket> early;
        bool ready = false;
        instance.OnPacket = [&](const THandOffPacket& p) {
            if (ready) frmMain.OnDemoActivate(p);
            else early.push_back(p);
        };
        instance.OnLog = [](const QString& s) { Log::Detail(s); };
        app.OnException = [&frmMain](const QString& m) { frmMain.AppException(m); };
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &frmMain, [&frmMain](QSessionManager&) {
            frmMain.FormDestroy();
        });

        bool started = false;
        try {
            started = frmMain.FormCreate();
        } catch (const std::exception& e) {
            frmMain.AppException(ExceptionText(e));
            started = false;
        }
        if (!started) {
            state.StartAborted = true;
            // A start given up because it was told to stop is a clean stop.
            rc = gStopSignal ? 0 : 1;
        } else if (!gStopSignal) {
            ready = true;
            for (const auto& p : early) frmMain.OnDemoActivate(p);
            early.clear();
            frmMain.ShowAtStart();
            // The first show may have asked something before the loop ran, and
            // a stop may have come meanwhile.
            if (!gStopSignal) app.exec();
        }
        app.OnException = nullptr;
        instance.OnPacket = nullptr;
        try {
            frmMain.FormDestroy();
        } catch (const std::exception& e) {
            Log::Always(QStringLiteral("TfrmMain.FormDestroy ") + ExceptionText(e));
        }
        dm.CloseDatabase();
    }

    instance.Release();
    if (state.RestartRequested && !state.StartAborted && !gStopSignal &&
        !RestartProgram(QCoreApplication::applicationFilePath(), state.User))
        rc = 1;
    TLog::SetCurrent(nullptr);
    return rc;
}

#include "startup_u.h"

#include "app_state_u.h"
#include "dm_cmn_u.h"
#include "errors_u.h"
#include "frm_main_u.h"
#include "kuruten_app_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "single_instance_u.h"
#include "special_folders_u.h"
#include "supervisor_u.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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

// For tests that run the real program: boxes are recorded in a file and
// answered without waiting for a person.
void InstallScriptedAnswers()
{
    const QString file = qEnvironmentVariable("KURUTEN_MSG_LOG");
    if (file.isEmpty()) return;
    Msg::SetResponder([file](const TMsgRequest& r) {
        QFile f(file);
        if (f.open(QIODevice::Append)) {
            const char* kinds[] = {"info", "warning", "error", "confirm"};
            QTextStream(&f) << kinds[int(r.Kind)] << '\t' << QString(r.Text).replace('\n', "\\n") << '\n';
        }
        const QString answer = qEnvironmentVariable("KURUTEN_MSG_ANSWER").toLower();
        if (answer == QLatin1String("no") && (r.Buttons & mbNo)) return int(mbNo);
        if (answer == QLatin1String("cancel") && (r.Buttons & mbCancel)) return int(mbCancel);
        if (r.Buttons & mbYes) return int(mbYes);
        return int(mbOK);
    });
}

// Second copy: hand the text to the running copy, or say that one runs.
int HandOffToRunningCopy(const TSettings& settings, const QStringList& args)
{
    if (args.size() != 2 || args[0].toLower() != QLatin1String("/s")) {
        Msg::Warn(QStringLiteral("くるてんはすでに実行しています。"));
        return 1;
    }
    bool ok = false;
    const qint64 handle = settings.ReadText(QStringLiteral("HANDLE"), QStringLiteral("MAIN_FORM")).toLongLong(&ok);
    if (!ok) {
        Msg::Error(QStringLiteral("くるてんのハンドルを取得できませんでした。"));
        return 1;
    }
    THandOffPacket packet;
    packet.Handle = handle;
    packet.DwData = 1;
    packet.Data = args[1].toUtf8();
    const auto result = TSingleInstance::Send(kInstanceName, SpecialFolders::Runtime(), packet, kHandOffTimeoutMs);
    if (result != TSingleInstance::TSendResult::Ok) {
        Log::Detail(QStringLiteral("HandOff failed, result=%1").arg(int(result)));
        Msg::Error(QStringLiteral("くるてんのハンドルを取得できませんでした。"));
        return 1;
    }
    return 0;
}

// SIGTERM and SIGINT end the program the way its own exit does.
int gSignalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(gSignalPipe[1], &c, 1);
}

void QuitOnSignals(QObject* owner)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [] {
        char c;
        [[maybe_unused]] const auto n = ::read(gSignalPipe[0], &c, 1);
        QCoreApplication::quit();
    });
    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

void Restart(const TAppState& state)
{
    const QString exe = QCoreApplication::applicationFilePath();
    if (!QProcess::startDetached(exe, {state.User.UserId, state.User.Password}))
        throw EKuruten(QStringLiteral("Exec Error ") + QString::number(errno));
}
} // namespace

int KurutenMain(int argc, char** argv)
{
    TKurutenApp app(argc, argv);
    app.SetUpLook();
    InstallScriptedAnswers();

    TAppState state;
    state.Args = QCoreApplication::arguments().mid(1);

    // Module initialisation: folders, settings file, settings, log.
    TSettings settings(SpecialFolders::CommonAppData(), TEnvValues::FromSystem(QCoreApplication::applicationFilePath()));
    TLog log(settings.LogFolder(), settings.Env().gComputerName);
    TLog::SetCurrent(&log);
    try {
        settings.Initialize();
        if (!Supervisor::RestartReason().isEmpty())
            Log::Always(QStringLiteral("前回のくるてん３は異常終了しました（%1）。自動で起動し直しました。")
                            .arg(Supervisor::RestartReason()));
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

    TSingleInstance instance(kInstanceName, SpecialFolders::Runtime());
    if (!instance.TryAcquire()) {
        const int rc = HandOffToRunningCopy(settings, state.Args);
        TLog::SetCurrent(nullptr);
        return rc;
    }

    QApplication::setApplicationDisplayName(QStringLiteral("くるてん３"));
    QuitOnSignals(&app);

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
            rc = 1;
        } else {
            ready = true;
            for (const auto& p : early) frmMain.OnDemoActivate(p);
            early.clear();
            if (!(settings.JouchuKidou && settings.GJouchuIdx == 1)) {
                frmMain.show();
            } else {
                // Started hidden in the notification area: the softphone must
                // still register, or no call would ring until the window opens.
                QTimer::singleShot(0, &frmMain, [&frmMain] { frmMain.EnsureFirstShowSteps(); });
            }
            app.exec();
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
    TLog::SetCurrent(nullptr);
    if (state.RestartRequested && !state.StartAborted) Restart(state);
    return rc;
}

#pragma once
// The real program in a private user session: its own data root, runtime
// folder, registry folder and message log.
#include "env_test_util.h"

#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QHash>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <memory>

namespace ProgramTest {

// One private user session: its data root, runtime folder and message log.
class TSession
{
public:
    explicit TSession(const QByteArray& iniText = QByteArray())
    {
        Root = TestEnv::FreshDataRoot();
        QDir().mkpath(Root + "/rt");
        QDir().mkpath(Root + "/cfg");
        QFile::setPermissions(Root + "/rt", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir().mkpath(DataFolder());
        QFile ini(DataFolder() + "/kuruten3.ini");
        ini.open(QIODevice::WriteOnly);
        ini.write(iniText.isEmpty() ? TestEnv::LoopbackUdpIni() : iniText);
    }

    QProcessEnvironment Env() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KURUTEN_COMMON_APPDATA", Root);
        env.insert("XDG_RUNTIME_DIR", Root + "/rt");
        env.insert("XDG_CONFIG_HOME", Root + "/cfg");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("KURUTEN_MSG_LOG", Root + "/msg.txt");
        env.insert("KURUTEN_MSG_ANSWER", "no");
        env.remove("FIREBIRD_LOCK"); // the program picks its own under its data root
        for (const QString& k : Extra.keys()) env.insert(k, Extra.value(k));
        for (const QString& k : Removed) env.remove(k);
        return env;
    }

    std::unique_ptr<QProcess> Start(const QStringList& args = {}) const
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(Env());
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(TestEnv::ProgramPath(), args);
        p->waitForStarted();
        return p;
    }

    // Runs a second copy to its end; returns its exit code.
    int Run(const QStringList& args) const
    {
        auto p = Start(args);
        if (!p->waitForFinished(20000)) {
            p->kill();
            return -1;
        }
        return p->exitCode();
    }

    QString DataFolder() const { return Root + "/hoshiba/kuruten3"; }

    QString LogText() const
    {
        QString all;
        for (const QString& f : QDir(DataFolder() + "/log").entryList(QDir::Files)) {
            QFile file(DataFolder() + "/log/" + f);
            file.open(QIODevice::ReadOnly);
            all += QString::fromUtf8(file.readAll());
        }
        return all;
    }

    QString Messages() const
    {
        QFile f(Root + "/msg.txt");
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }

    bool WaitForLog(const QString& text, int ms = 15000) const
    {
        return WaitUntil([&] { return LogText().contains(text); }, ms);
    }

    // Until the log holds text at least count times.
    bool WaitForLogCount(const QString& text, qsizetype count, int ms = 15000) const
    {
        return WaitUntil([&] { return LogText().count(text) >= count; }, ms);
    }

    bool WaitForMessage(const QString& text, int ms = 15000) const
    {
        return WaitUntil([&] { return Messages().contains(text); }, ms);
    }

    template <class F> static bool WaitUntil(F cond, int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            if (cond()) return true;
            QThread::msleep(50);
        }
        return cond();
    }

    QString Root;
    QHash<QString, QString> Extra; // further environment of every start
    QStringList Removed;           // variables the starts do not get
};

inline void Stop(QProcess& p)
{
    p.terminate();
    if (!p.waitForFinished(10000)) p.kill();
}

} // namespace ProgramTest

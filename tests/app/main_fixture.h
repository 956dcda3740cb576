#pragma once
// A main window over a fresh embedded database in a fresh data root.
#include "db_test_util.h"
#include "dm_cmn_u.h"
#include "frm_main_u.h"
#include "log_u.h"
#include "settings_u.h"
#include "env_test_util.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTableWidget>
#include <memory>

struct TMainFixture
{
    explicit TMainFixture(const QByteArray& ini = QByteArray(), const QString& exeDir = QString())
    {
        const QString root = TestEnv::FreshDataRoot();
        TEnvValues env;
        env.gComputerName = "PC01";
        env.gExeDir = exeDir.isEmpty() ? TestEnv::SourceDir() + "/resources/" : exeDir;
        settings = std::make_unique<TSettings>(root, env);
        log = std::make_unique<TLog>(settings->LogFolder(), "PC01");
        TLog::SetCurrent(log.get());
        QDir().mkpath(settings->DataFolder());
        QFile f(settings->SettingsFile());
        f.open(QIODevice::WriteOnly);
        f.write(TestEnv::LoopbackUdpIni() + ini);
        f.close();
        settings->Initialize();
        // Each fixture has a registry of its own.
        qputenv("XDG_CONFIG_HOME", (root + "/cfg").toUtf8());
        // Questions of the schema upgrade are answered No.
        rec.Decide = [](const TMsgRequest& r) { return (r.Buttons & mbNo) ? int(mbNo) : int(mbOK); };
        dm = std::make_unique<TdmCmn>(*settings);
        frm = std::make_unique<TfrmMain>(*settings, state, *dm);
    }
    ~TMainFixture()
    {
        frm.reset();
        if (dm) dm->CloseDatabase();
        dm.reset();
        TLog::SetCurrent(nullptr);
    }
    template <class T> T* Find(const QString& name) { return frm->findChild<T*>(name); }
    QString Scalar(const QString& sql) { return DbTest::Scalar(*dm, sql); }
    QString LogText() const
    {
        QFile f(log->CurrentFile());
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }
    // Lets queued work run until cond holds (bounded).
    template <class F> bool WaitFor(F cond, int ms = 10000)
    {
        QElapsedTimer t;
        t.start();
        while (!cond() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return cond();
    }
    QString Grid(int row, int col)
    {
        auto* item = Find<QTableWidget>("sgdLog")->item(row, col);
        return item ? item->text() : QString();
    }

    TMsgRecorder rec;
    TAppState state;
    std::unique_ptr<TSettings> settings;
    std::unique_ptr<TLog> log;
    std::unique_ptr<TdmCmn> dm;
    std::unique_ptr<TfrmMain> frm;
};

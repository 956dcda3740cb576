#pragma once
// A softphone on loopback with private folders, a detailed log, recorded
// message boxes and the window-side signals captured.
#include "log_u.h"
#include "settings_u.h"
#include "sipp_test_util.h"
#include "softphone_u.h"
#include "env_test_util.h"

#include <gtest/gtest.h>

#include <QFile>
#include <memory>

struct TSubmit
{
    QString TelNo;
    QString LogNo;
    QString ReadName;
    int PortNo;
};

class TSipFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Root = TestEnv::FreshDataRoot();
        TEnvValues env;
        env.gComputerName = QStringLiteral("TESTPC");
        env.gIpAddress = QStringLiteral("127.0.0.1");
        env.gExeDir = TestEnv::SourceDir() + QStringLiteral("/resources/");
        Settings = std::make_unique<TSettings>(Root, env);
        Settings->Initialize();
        LogFile = std::make_unique<TLog>(Settings->LogFolder(), env.gComputerName);
        LogFile->SetDetailed(true);
        TLog::SetCurrent(LogFile.get());
        Msgs = std::make_unique<TMsgRecorder>(mbOK);
        MakePhone();
    }

    void TearDown() override
    {
        Phone.reset();
        Msgs.reset();
        TLog::SetCurrent(nullptr);
    }

    // A phone with Options (private folders, DNS on loopback, file audio
    // unless a test changed them).
    void MakePhone()
    {
        Phone.reset();
        if (Options.WorkFolder.isEmpty()) {
            Options.WorkFolder = Root + QStringLiteral("/sip");
            Options.DnsServers = {QStringLiteral("127.0.0.1")};
            Options.UseFiles = true;
        }
        Phone = std::make_unique<TSoftPhone>(*Settings, Options);
        Phone->BindToListenAddress = true;
        Phone->CreateVaxObjects(1);
        Phone->SetAccountSource([this](const QString&) -> std::optional<TAccountRow> {
            if (Row.isEmpty()) return std::nullopt;
            return Row;
        });
        QObject::connect(Phone.get(), &TSoftPhone::StatusText, [this](int panel, const QString& t) {
            if (panel == 1) Status << t;
            else Status0 << t;
        });
        QObject::connect(Phone.get(), &TSoftPhone::IncomingCallSubmitted,
                         [this](const QString& n, const QString& l, const QString& r, int p) {
                             Submits.push_back({n, l, r, p});
                         });
        QObject::connect(Phone.get(), &TSoftPhone::OutgoingCallDialled,
                         [this](const QString& n, int p) { Outgoing << QStringLiteral("%1/%2").arg(n).arg(p); });
        QObject::connect(Phone.get(), &TSoftPhone::CallerNameOffered,
                         [this](const QString& n, const QString& name) { Names << n + QLatin1Char('/') + name; });
        QObject::connect(Phone.get(), &TSoftPhone::RegisteredIcon, [this](int image) { Icons.push_back(image); });
        QObject::connect(Phone.get(), &TSoftPhone::CallButtonsChanged,
                         [this](const QString& call, int image, const QString& hang) {
                             Buttons = QStringLiteral("%1/%2/%3").arg(call).arg(image).arg(hang);
                         });
    }

    // An ACCOUNT row pointing at proxy (user 100, password secret).
    static TAccountRow AccountRow(const QString& proxy, bool regist = true)
    {
        return {{"USERID", "100"},       {"PASSWD", "secret"},  {"SIPPLOXY", proxy},
                {"REGIST_PROXY", regist ? "1" : "0"}, {"CHNUM", "1"}, {"CODECS", "2,3"},
                {"ECHO_CANCEL_FLG", "0"}, {"AGC_FLG", "0"},     {"MICBOOST_FLG", "0"},
                {"NODISTURB_FLG", "0"},   {"FORCE_INDTMF_FLG", "0"}};
    }

    // Loads Row and brings engine 0 online.
    bool Connect()
    {
        Phone->LoadSIPAccount();
        return Phone->ConnectVax(0);
    }

    QString LogText() const
    {
        QFile f(LogFile->CurrentFile());
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }

    QString LastStatus() const { return Status.isEmpty() ? QString() : Status.last(); }
    int EnginePort() const { return Phone->gVaxObjects[0]->ListenPort(); }

    QString Root;
    std::unique_ptr<TSettings> Settings;
    std::unique_ptr<TLog> LogFile;
    std::unique_ptr<TMsgRecorder> Msgs;
    std::unique_ptr<TSoftPhone> Phone;
    TVaxAgentOptions Options;
    TAccountRow Row;
    QStringList Status, Status0, Outgoing, Names;
    std::vector<int> Icons;
    QString Buttons;
    std::vector<TSubmit> Submits;
};

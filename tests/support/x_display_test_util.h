#pragma once
// A private X display for one test binary: Xvfb on a free display number and
// jwm as window manager (which also hosts the notification area). The test's
// main() starts it before the QApplication, unless gtest only lists tests.
#include "env_test_util.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <memory>

class TXDisplay
{
public:
    // False when Xvfb or jwm could not be started; DISPLAY points at the new
    // display otherwise.
    bool Start(bool windowManager = true)
    {
        for (int attempt = 0; attempt < 20 && !FXvfb; ++attempt) {
            const int n = 200 + int(QRandomGenerator::global()->bounded(700));
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) continue;
            auto x = std::make_unique<QProcess>();
            x->start("Xvfb", {QStringLiteral(":%1").arg(n), "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
            if (!x->waitForStarted(3000)) return false;
            QElapsedTimer t;
            t.start();
            while (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) && t.elapsed() < 5000 &&
                   x->state() == QProcess::Running)
                QThread::msleep(50);
            if (x->state() != QProcess::Running) continue;
            FXvfb = std::move(x);
            qputenv("DISPLAY", QStringLiteral(":%1").arg(n).toUtf8());
        }
        if (!FXvfb) return false;
        return !windowManager || StartWindowManager();
    }
    bool StartWindowManager()
    {
        FWm = std::make_unique<QProcess>();
        FWm->start("jwm", {});
        return FWm->waitForStarted(3000);
    }
    void StopWindowManager()
    {
        if (!FWm) return;
        FWm->terminate();
        if (!FWm->waitForFinished(3000)) FWm->kill();
        FWm.reset();
    }
    ~TXDisplay()
    {
        StopWindowManager();
        if (FXvfb) {
            FXvfb->terminate();
            if (!FXvfb->waitForFinished(3000)) FXvfb->kill();
        }
    }

private:
    std::unique_ptr<QProcess> FXvfb, FWm;
};

// True when the arguments only ask gtest for the list of tests.
inline bool OnlyListingTests(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (QByteArray(argv[i]).startsWith("--gtest_list_tests")) return true;
    return false;
}

// The whole main() of a test binary on a private display: private folders,
// the display (not when gtest only lists the tests), then the tests in a
// QApplication on Qt's platform plugin xcbPlatform when the display is up,
// offscreen otherwise. *display is the started display (null without one).
inline int RunTestsOnPrivateDisplay(int argc, char** argv, bool& haveX, const char* xcbPlatform = "offscreen",
                                    TXDisplay** display = nullptr)
{
    const auto root = TestEnv::IsolateProcess();
    std::unique_ptr<TXDisplay> x;
    if (!OnlyListingTests(argc, argv)) {
        x = std::make_unique<TXDisplay>();
        haveX = x->Start();
    }
    if (display) *display = x.get();
    qputenv("QT_QPA_PLATFORM", haveX ? xcbPlatform : "offscreen");
    int rc = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        rc = RUN_ALL_TESTS();
    }
    return rc;
}

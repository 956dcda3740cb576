// Test main(): every test binary runs headless in private folders.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Private folders for everything the program or Qt might write.
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/kuruten-test-XXXXXX"));
    root.setAutoRemove(qEnvironmentVariableIsEmpty("KURUTEN_KEEP_TEST_DIRS"));
    const QString r = root.path();
    for (const char* sub : {"runtime", "home", "config", "data", "cache", "appdata"}) QDir().mkpath(r + "/" + sub);
    QFile::setPermissions(r + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("KURUTEN_TEST_ROOT", r.toUtf8());
    qputenv("XDG_RUNTIME_DIR", (r + "/runtime").toUtf8());
    qputenv("HOME", (r + "/home").toUtf8());
    qputenv("XDG_CONFIG_HOME", (r + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (r + "/data").toUtf8());
    qputenv("XDG_CACHE_HOME", (r + "/cache").toUtf8());
    qputenv("KURUTEN_COMMON_APPDATA", (r + "/appdata").toUtf8());
    qputenv("FIREBIRD_LOCK", (r + "/fblock").toUtf8());

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "env_test_util.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUdpSocket>
#include <QUuid>

namespace TestEnv {

std::unique_ptr<QTemporaryDir> IsolateProcess()
{
    auto root = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/kuruten-test-XXXXXX"));
    root->setAutoRemove(qEnvironmentVariableIsEmpty("KURUTEN_KEEP_TEST_DIRS"));
    const QString r = root->path();
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
    return root;
}

QString Root()
{
    return qEnvironmentVariable("KURUTEN_TEST_ROOT");
}

QString FreshDataRoot()
{
    const QString dir = Root() + QStringLiteral("/data-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
    QDir().mkpath(dir);
    qputenv("KURUTEN_COMMON_APPDATA", dir.toUtf8());
    return dir;
}

QString ProgramPath()
{
    return QStringLiteral(KURUTEN_BINARY_DIR) + QStringLiteral("/app/main/kuruten3");
}

QString SourceDir()
{
    return QStringLiteral(KURUTEN_SOURCE_DIR);
}

int FreeUdpPort()
{
    QUdpSocket s;
    s.bind(QHostAddress::LocalHost, 0);
    return s.localPort();
}

QByteArray LoopbackUdpIni()
{
    return QStringLiteral("[UDP]\nBROADCAST_ADDRESS=127.0.0.1\nCLIENT_PORT=%1\nSERVER_PORT=%2\n")
        .arg(FreeUdpPort())
        .arg(FreeUdpPort())
        .toUtf8();
}

} // namespace TestEnv

TMsgRecorder::TMsgRecorder(int answer) : Answer(answer), FPrevious(Msg::CurrentResponder())
{
    Msg::SetResponder([this](const TMsgRequest& r) {
        Shown.push_back(r);
        return Decide ? Decide(r) : Answer;
    });
}

TMsgRecorder::~TMsgRecorder()
{
    Msg::SetResponder(FPrevious);
}

bool TMsgRecorder::Saw(const QString& text) const
{
    for (const auto& r : Shown)
        if (r.Text == text) return true;
    return false;
}

TShellRecorder::TShellRecorder(bool answer) : Answer(answer)
{
    Shell::SetResponder([this](const TShellRequest& r) {
        Requests.push_back(r);
        return Answer;
    });
}

TShellRecorder::~TShellRecorder()
{
    Shell::SetResponder({});
}

TFileDialogRecorder::TFileDialogRecorder(QStringList answers) : Answers(std::move(answers))
{
    FileDlg::SetResponder([this](const TFileDialogRequest& r) {
        Asked.push_back(r);
        return Answers.isEmpty() ? QString() : Answers.takeFirst();
    });
}

TFileDialogRecorder::~TFileDialogRecorder()
{
    FileDlg::SetResponder({});
}

TPrintRecorder::TPrintRecorder(QString folder) : Folder(std::move(folder))
{
    Printing::SetResponder([this](Printing::TAction action, const TPrintJob& job) {
        Actions.push_back(action);
        if (action == Printing::TAction::Print && !PrintAnswer) return false;
        const QString file = Folder + QStringLiteral("/job%1.pdf").arg(Files.size() + 1);
        if (!Printing::ToPdf(job, file)) return false;
        Files << file;
        return true;
    });
}

TPrintRecorder::~TPrintRecorder()
{
    Printing::SetResponder({});
}

#pragma once
// The one door to the desktop shell: opening a URL or file with its default
// program, and starting a program with an argument list (never through a
// shell, so numbers and paths are never interpreted). Tests install a
// responder that records the request and answers it.
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

struct TShellRequest
{
    enum class TKind { OpenUrl, StartProgram };
    TKind Kind = TKind::OpenUrl;
    QUrl Url;              // OpenUrl
    QString Program;       // StartProgram
    QStringList Arguments; // StartProgram
    QString WorkDir;       // StartProgram; empty: the current folder
};

namespace Shell {
// Opens a web address, a mailto: address or a local file. False on failure.
bool OpenUrl(const QUrl& url);
// Opens a local file with the desktop's program for its type. False when
// nothing could be started; *missing then names what is missing, as a
// sentence for the user.
bool OpenFile(const QString& path, QString* missing = nullptr);
// Starts a program detached. False when it could not be started.
bool StartProgram(const QString& program, const QStringList& arguments = {}, const QString& workDir = QString(),
                  qint64* pid = nullptr);

using TResponder = std::function<bool(const TShellRequest&)>;
// Install a responder; an empty one restores the real shell.
void SetResponder(TResponder responder);
}

#pragma once
// A private data root, runtime folder, home and config folder for one test
// process, so nothing touches the real user's files.
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <vector>

#include "file_dialog_u.h"
#include "msg_u.h"
#include "print_seam_u.h"
#include "shell_u.h"

#include <memory>

namespace TestEnv {
// Points HOME, the XDG folders, KURUTEN_COMMON_APPDATA and FIREBIRD_LOCK at
// a private temporary folder that lives as long as the returned object.
std::unique_ptr<QTemporaryDir> IsolateProcess();
// Root of this process's private folders (set up by the test main()).
QString Root();
// A fresh data root for one test: sets KURUTEN_COMMON_APPDATA to it.
QString FreshDataRoot();
// Path of the built program and the source tree.
QString ProgramPath();
QString SourceDir();
// A UDP port nothing on loopback uses right now.
int FreeUdpPort();
// "[UDP]" settings that keep every datagram on loopback, on free ports.
QByteArray LoopbackUdpIni();
}

// Records message boxes and answers them with a fixed button (or per text).
class TMsgRecorder
{
public:
    explicit TMsgRecorder(int answer = mbOK);
    ~TMsgRecorder();
    std::vector<TMsgRequest> Shown;
    int Answer;
    std::function<int(const TMsgRequest&)> Decide; // overrides Answer when set
    bool Saw(const QString& text) const;

private:
    Msg::TResponder FPrevious; // restored when this recorder ends
};

// Records shell requests (URLs opened, programs started) and answers them.
class TShellRecorder
{
public:
    explicit TShellRecorder(bool answer = true);
    ~TShellRecorder();
    std::vector<TShellRequest> Requests;
    bool Answer;
};

// Answers file and folder choosers: the next of Answers, or "" (cancel).
class TFileDialogRecorder
{
public:
    explicit TFileDialogRecorder(QStringList answers = {});
    ~TFileDialogRecorder();
    std::vector<TFileDialogRequest> Asked;
    QStringList Answers;
};

// Turns every preview or print request into a PDF file in Folder
// (job1.pdf, job2.pdf ...), so a test can read the pages back.
class TPrintRecorder
{
public:
    explicit TPrintRecorder(QString folder);
    ~TPrintRecorder();
    QString Folder;
    QStringList Files;
    std::vector<Printing::TAction> Actions;
    bool PrintAnswer = true; // the printer dialog's answer
};

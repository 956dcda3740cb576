#pragma once
// A private data root, runtime folder, home and config folder for one test
// process, so nothing touches the real user's files.
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <vector>

#include "msg_u.h"

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

#pragma once
// Process-wide start and stop flags and the signed-in user.
#include <QString>
#include <QStringList>

struct TUserSignIn
{
    QString UserId;
    QString Password;
};

struct TAppState
{
    QStringList Args;          // command-line parameters, without the program
    bool StartAborted = false; // the shutdown then saves nothing
    bool RestartRequested = false;
    bool FirstShow = true;
    bool ShutdownDone = false; // the session-end query ran the shutdown steps
    TUserSignIn User;          // the signed-in user, for the restart
    bool HandedSignIn = false; // a restart handed the user over (Handed)
    TUserSignIn Handed;
};

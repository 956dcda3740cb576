#pragma once
// The process from start to exit: module set-up, the single-instance check
// with its hand-off, the main window, the message loop, the shutdown.
#include "app_state_u.h"

int KurutenMain(int argc, char** argv);

// The restart the settings dialog asks for, after the exit: the program
// again with the signed-in user. A start that fails is logged and shown as
// "Exec Error " + the system's error code; false then.
bool RestartProgram(const QString& exe, const TUserSignIn& user);

#pragma once
// The process from start to exit: module set-up, the single-instance check
// with its hand-off, the main window, the message loop, the shutdown.
int KurutenMain(int argc, char** argv);

#pragma once
// kuruten3 --import-postal FILE: loads the national postal-code file into
// the database the program uses, without opening a window.
// Exit code 0 on success, 1 on any failure (the reason goes to stderr).
int ImportPostalCommand(int argc, char** argv);

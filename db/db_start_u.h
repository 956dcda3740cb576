#pragma once
// The database step of the main window's creation.
class TdmCmn;
class TSettings;
class QWidget;

// Server copy: OpenDatabase, else the wait dialog (its "終了する" gives up);
// then InitTables, whose errors are not caught here. Stand-alone and client
// copies: InitTables, which opens the connection; on any error the
// connection-failure box with the error's text.
// Returns false when the start must be given up (the connection is then
// closed and nothing has been written).
bool ConnectDatabaseAtStart(TdmCmn& dm, TSettings& settings, QWidget* parent = nullptr);

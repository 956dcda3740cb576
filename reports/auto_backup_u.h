#pragma once
// The database backup of the "バックアップ" button and of a normal exit:
// a consistent copy of the database in use, taken while calls go on, as
// KURUDB.FDB in the backup folder; the previous copy is renamed with a time
// stamp and kept.
class QWidget;
class TdmCmn;
class TSettings;

// True when the copy was made. With showMessages the problems are shown in
// message boxes (and the window stays alive during the copy); without, they
// go to the diagnostic log.
bool AutoBackup(TSettings& settings, TdmCmn& dm, bool showMessages, QWidget* parent = nullptr);

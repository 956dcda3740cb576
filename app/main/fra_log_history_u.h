#pragma once
// Page "電話履歴" of the main window: the day's calls in sgdLog, and below
// it the softphone's audio panel (pnlAudio). The page loads rows for a date
// and kind and reports clicks; the main window decides what they open.
#include "call_rows_u.h"

#include <QDate>
#include <QWidget>

class TMainHost;
class TStringGrid;

class TfraLogHistory : public QWidget
{
    Q_OBJECT
public:
    // Columns of sgdLog; 7 to 9 are kept, not shown.
    using TCol = CallRows::TCol;
    using enum CallRows::TCol;

    TfraLogHistory(TMainHost& host, QWidget* parent = nullptr);

    TStringGrid* sgdLog = nullptr;
    QWidget* pnlAudio = nullptr;

    // Headers, widths and the handling column (shown with the feature on).
    void SetupLogGrid(bool useAccept);
    // The calls of day, kind 0 incoming, 1 outgoing, 2 all, newest first.
    void LoadHistory(const QDate& day, int kind);
    QString CellText(int row, int column) const;
    // Number and name of the selected row, as a click puts them in the
    // number box; false with no selected row.
    bool SelectedCall(QString& telNo, QString& name) const;
    // "メモ(M)": the memo of the selected row.
    void btnMemoClick();

signals:
    // A row was clicked (or the grid asks to be taken as clicked).
    void Clicked();
    void OpenTelsRequested(const QString& telNo);
    void CustInfoRequested();

private:
    void sgdLogDblClick(int row, int column);
    // Column 6: the call's handling record in its customer's tab.
    void sgdLogActDblClick(int row);

    TMainHost& FHost;
    bool FUseAccept = false;
};

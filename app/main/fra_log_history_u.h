#pragma once
// Page "電話履歴" of the main window: the day's calls in sgdLog, and below
// it the softphone's audio panel (pnlAudio). The page loads rows for a date
// and kind and reports clicks; the main window decides what they open.
#include "call_rows_u.h"

#include <QDate>
#include <QDateTime>
#include <QWidget>
#include <functional>

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
    // Runs between slices of a load and may let other work run; true asks
    // the load to stop there.
    using TYield = std::function<bool()>;
    // The calls of day, kind 0 incoming, 1 outgoing, 2 all, newest first.
    // Loading the same day and kind again keeps the selected call selected.
    // With yield the rows go in slices; false when the load stopped early
    // (or another load replaced it meanwhile), the grid then being incomplete.
    bool LoadHistory(const QDate& day, int kind, const TYield& yield = {});
    // Brings the load of day and kind up to date with the calls logged
    // since: their rows go in at their place, and every row of their numbers
    // takes the caller name the phone book now has. False when only a full
    // load can (another day or kind shown, or a load replaced midway).
    bool AddNewCalls(const QDate& day, int kind);
    // A call stopped the load: rows of the day are still to come below.
    bool HasRest() const { return FRestAt < FRest.size(); }
    // Goes on with a stopped load in slices; true once the grid is complete.
    bool LoadRest(const TYield& yield);
    // Selects the row of that call-log number; none when it is not shown.
    void SelectLogNo(const QString& logNo);
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
    int AppendRow(const TCallRow& r);
    // Appends the rows of FRest not shown yet, yielding between slices.
    bool FillRest(quint64 load, const TYield& yield);
    QDateTime RowTime(int row) const;
    QString SelectedLogNo() const;
    void SelectRow(int row);
    void sgdLogDblClick(int row, int column);
    // Column 6: the call's handling record in its customer's tab.
    void sgdLogActDblClick(int row);

    TMainHost& FHost;
    bool FUseAccept = false;
    // What the grid holds: the day and kind of the last load, whether that
    // load ran to its end, and the last call-log number it has seen.
    QDate FDay;
    int FKind = -1;
    bool FLoaded = false;
    bool FComplete = false;
    qint64 FLastLogNo = 0;
    quint64 FLoadCount = 0;
    // The rows of the last load, while some are still to be shown.
    QList<TCallRow> FRest;
    qsizetype FRestAt = 0;
};

#pragma once
// The customer tabs of the main window (pages 2 and later of its main page
// control): opening a number's tab, finding a tab by representative number,
// reloading the lists of open views. The main window keeps one and passes
// its host operations on to it.
#include <QObject>
#include <QString>

class TMainHost;
class TRecordPages;
class TfraCust;

class TCustPages : public QObject
{
    Q_OBJECT
public:
    TCustPages(TMainHost& host, TRecordPages* pages, int firstPage, QObject* parent = nullptr);

    // The tab of the number's customer when one is open, else a new tab
    // whose view resolves the number itself. The page index shown.
    int OpenCustTab(const QString& telNo);
    // First customer page whose view stands for custTelNon, or -1.
    int FindCustPageIndex(const QString& custTelNon) const;
    // Opens the customer's tab and in it the handling record (actNo -1: a
    // new one linked to the call logNo).
    void OpenCustAcceptTab(const QString& custTelNon, int actNo, bool browse, const QString& logNo);

    // Rebuild the related numbers or the calls of the views of custTelNon
    // (every view when empty).
    void RefreshCustTels(const QString& custTelNon);
    void RefreshCustLogs(const QString& custTelNon);
    // Rebuild the handling lists (custNo -1: of every view); with actNo,
    // the customer's view also closes that record's tab.
    void RefreshCustAccepts(int custNo, int actNo);
    // Closing the customer page at index would lose typed input: ask once.
    // True when it may close.
    bool MayClose(int index) const;

    TfraCust* ViewAt(int index) const;
    TfraCust* ActiveView() const;
    // "メモ(M)" applies to the active view's calls while they are shown.
    bool MemoAvailable() const;

signals:
    void MemoAvailabilityChanged();

private:
    TMainHost& FHost;
    TRecordPages* FPages;
    int FFirst;
};

#pragma once
// The main window's page "対応履歴": the handling records of the day the
// main window shows, across customers, with their content; a record opens in
// its customer's tab or is deleted from here.
#include <QWidget>

class QPushButton;
class QSplitter;
class QTextEdit;
class TCustPages;
class TMainHost;
class TStringGrid;

class TfraAcceptHistory : public QWidget
{
    Q_OBJECT
public:
    TfraAcceptHistory(TMainHost& host, TCustPages& custPages, QWidget* parent = nullptr);

    void InitAcceptGrid();
    // The records of the host's history date.
    void MakeAcceptGrid();
    void sgdAcceptClick();
    void sgdAcceptDblClick();
    void btnActEditClick();
    void btnActDelClick();
    void btnHistorySearchClick();

    // Width of the list (remembered in the registry by the main window).
    int ActWidth() const;
    void SetActWidth(int width);

    TStringGrid* sgdAccept = nullptr;
    QSplitter* splAccept = nullptr;
    QPushButton* btnHistorySearch = nullptr;
    QPushButton* btnActDel = nullptr;
    QPushButton* btnActEdit = nullptr;
    QTextEdit* richContent = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TMainHost& FHost;
    TCustPages& FCustPages;
};

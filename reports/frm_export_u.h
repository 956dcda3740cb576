#pragma once
// "データ出力": the call log, the handling records, the customer list or the
// phone book to a text, CSV or spreadsheet file, one page each, with the
// remembered paths and line-break options of the main window.
#include "data_export_u.h"

#include <QDialog>

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class TMainHost;

class TfrmExport : public QDialog
{
    Q_OBJECT
public:
    TfrmExport(TMainHost& host, QWidget* parent = nullptr);
    ~TfrmExport() override;

    // The main window's button: the four period dates set to its history
    // date, shown modally.
    static void Execute(TMainHost& host);
    void SetPeriod(const QDate& date);

    void btnOkClick();
    void BtnPathClick();
    void BtnTaiPathClick();
    void BtnCustPathClick();
    void BtnTelsPathClick();
    bool Running() const { return FRunning; }

    void done(int r) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildPage(const QString& key, bool period, bool crlf);
    void ChoosePath(const char* logName, QLineEdit* edit, QString& remembered);
    bool CheckPath(QLineEdit* edit);
    bool RunActivePage();

    TMainHost& FHost;
    TDataExport FExport;
    bool FRunning = false;

    QTabWidget* PageControl1 = nullptr;
    QWidget* tabTel = nullptr;
    QWidget* tabTai = nullptr;
    QWidget* tabCust = nullptr;
    QWidget* tabTels = nullptr;
    QLineEdit* edtPath = nullptr;
    QLineEdit* edtTaiPath = nullptr;
    QLineEdit* edtCustPath = nullptr;
    QLineEdit* edtTelsPath = nullptr;
    QDateEdit* dtFromTel = nullptr;
    QDateEdit* dtToTel = nullptr;
    QDateEdit* dtFromTai = nullptr;
    QDateEdit* dtToTai = nullptr;
    QCheckBox* cbxDelCrlfTel = nullptr;
    QCheckBox* cbxDelCrlfTai = nullptr;
    QCheckBox* cbxDelCrlfCust = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnClose = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
};

#pragma once
// "集計印刷": call counts by phone number or by customer with a top-N cut,
// or the list of calls of a period, printed through the preview. Options
// are kept in the settings section TOTAL.
#include "frm_print_u.h"
#include "report_search_u.h"
#include "report_sql_u.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class TMainHost;
class TSettings;

class TfrmTotal : public QDialog
{
    Q_OBJECT
public:
    TfrmTotal(TMainHost& host, QWidget* parent = nullptr);
    ~TfrmTotal() override;

    // The main window's button: both dates set to its history date, shown
    // modally.
    static void Execute(TMainHost& host);
    void SetPeriod(const QDate& from, const QDate& to);

    // Replaceable row picker of the two "参照..." buttons.
    TSearchPick SearchPick;

    QString GetSqlStr();
    QList<TPrint> TotalTops(int n, const QString& sql);
    void btnPrintClick();

    // The report forms (labels set by btnPrintClick).
    TfrmPrint1 frmPrint1;
    TfrmPrint2 frmPrint2;

    void done(int r) override;

private:
    void FormCreate();
    void WriteOptions();
    void cbxValueChange();
    void cbxItemChange();
    void edtTelNoChange();
    void edtCustTelChange();
    void btnTelRefClick();
    void btnCustRefClick();
    QWidget* BuildGroup(bool cust);
    // Shows the warning, focuses the box and gives the empty statement.
    QString Warn(const QString& text, QWidget* focus);

    TMainHost& FHost;
    TSettings& FSettings;
    TReportSql FSql;

    QDateEdit* dtpFrom = nullptr;
    QDateEdit* dtpTo = nullptr;
    QComboBox* cbxValue = nullptr;
    QComboBox* cbxItem = nullptr;
    QButtonGroup* rgpKubun = nullptr;
    QGroupBox* grpTel = nullptr;
    QRadioButton* rbTelAll = nullptr;
    QRadioButton* rbTelOne = nullptr;
    QLineEdit* edtTelNo = nullptr;
    QPushButton* btnTelRef = nullptr;
    QLabel* lblTelName = nullptr;
    QCheckBox* chkTelTop = nullptr;
    QSpinBox* edtTelNum = nullptr;
    QGroupBox* grpCust = nullptr;
    QRadioButton* rbCustAll = nullptr;
    QRadioButton* rbCustOne = nullptr;
    QLineEdit* edtCustTel = nullptr;
    QPushButton* btnCustRef = nullptr;
    QLabel* lblCustName = nullptr;
    QCheckBox* chkCustTop = nullptr;
    QSpinBox* edtCustNum = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnClose = nullptr;
};

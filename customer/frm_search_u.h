#pragma once
// TfrmSearch: the one row picker of the program. Phone book, external
// programs, own customers or external customers; the user picks a column,
// types a value, searches left-anchored or partially, and confirms a row.
// Item, matching, window bounds and column widths are kept per mode in the
// settings file (section SEARCH).
//
//   TfrmSearch dlg(dm, settings, TSearchMode::Cust, this);
//   if (Msg::ExecDialog(dlg) == QDialog::Accepted && dlg.HasRow()) use(dlg.Cell(0));
#include "cust_sql_u.h"

#include <QDialog>
#include <QPoint>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TStringGrid;
class TdmCmn;
class TSettings;

class TfrmSearch : public QDialog
{
    Q_OBJECT
public:
    TfrmSearch(TdmCmn& dm, TSettings& settings, TSearchMode mode, QWidget* parent = nullptr);

    // The current row holds data; its cells by column.
    bool HasRow() const;
    QString Cell(int column) const;
    TSearchMode Mode() const { return FMode; }

    // "検索": the statement for the chosen item, value and matching.
    void btnSearchClick();
    QString SearchSql() const;
    // Fills the grid with the rows of sql; rows whose searched cell does not
    // hold the value literally are left out.
    void FillGrid(const QString& sql, int item = -1, const QString& value = QString(), bool partial = false);

    QComboBox* cbxItem = nullptr;
    QLineEdit* edtValue = nullptr;
    QRadioButton* rbLeft = nullptr;
    QRadioButton* rbPart = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    TStringGrid* sgdSearch = nullptr;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetValueIme();
    void SaveBounds();

    TdmCmn& FDm;
    TSettings& FSettings;
    TSearchMode FMode;
    TSearchModeDef FDef;
    std::optional<QPoint> FSavedPos;
};

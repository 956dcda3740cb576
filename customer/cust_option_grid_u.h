#pragma once
// One of the customer view's custom-field tabs ("補足１", "補足２"): ten rows
// of label and value, and the editor of each field's kind laid over the
// value cell of the row being edited (text, date, time, date with time,
// choice). A hidden third column keeps the entry id of choice fields.
#include "cust_options_u.h"
#include "string_grid_u.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
struct TCust;

// A date or time box with the check box that says "set".
class TCheckedDateTime : public QWidget
{
    Q_OBJECT
public:
    TCheckedDateTime(QWidget* parent, const QString& name, const QString& format, bool withCheck);
    QCheckBox* Check = nullptr;
    QDateTimeEdit* Edit = nullptr;
    bool Checked() const;
    void SetValue(bool checked, const QDateTime& value);

signals:
    void Changed();
};

class TCustOptionGrid : public TStringGrid
{
    Q_OBJECT
public:
    static constexpr int kRows = 10;
    enum TCol { colLabel, colValue, colId };

    // Fields firstField .. firstField + 9 of options (the view's copy).
    TCustOptionGrid(QWidget* parent, int page, int firstField, const TCustOptions& options);

    void LoadValues(const TCust& cust);
    void ClearValues();
    void CollectValues(TCust& cust) const;
    void HideEditors();
    // Enabled only while the record is edited; browse paints the info colour.
    void SetEditable(bool edit, const QColor& base);
    // Opens the editor of row's field (nothing for an undefined one).
    void ShowEditor(int row);
    // Enter: the next labelled row below, else the first from the top.
    void MoveNext();
    // Enter in the editors moves between rows; call once the view's general
    // rules are installed, so this handler comes first.
    void InstallKeys();
    QString Kind(int row) const;

    QComboBox* cbxOption = nullptr;
    QLineEdit* edtOption = nullptr;
    TCheckedDateTime* dtpOptionDate = nullptr;
    TCheckedDateTime* dtpOptionTime = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int Field(int row) const { return FFirst + row; }
    void PlaceEditors(int row);
    void WriteCell();

    int FFirst;
    const TCustOptions& FOptions;
    int FEditRow = -1;
    bool FFilling = false;
};

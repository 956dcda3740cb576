#pragma once
// "発着信履歴データ削除": deletes the call log of a range of months, then
// reloads the history here and tells the other copies.
#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class TMainHost;

// The WHERE lines of a deletion from year and month texts; Bad names the
// bound that does not read as a date.
struct TDeleteBounds
{
    enum class TBad { None, Start, End };
    TBad Bad = TBad::None;
    QString Conditions; // each line ends with CR LF; empty: every row
    static TDeleteBounds From(const QString& fromYear, const QString& fromMon, const QString& toYear,
                              const QString& toMon);
};

class TfrmDelete : public QDialog
{
    Q_OBJECT
public:
    TfrmDelete(TMainHost& host, QWidget* parent = nullptr);
    static void Execute(TMainHost& host);
    void btnOkClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QComboBox* MakeMonth(const QString& name);

    TMainHost& FHost;
    QLineEdit* EdtFromYear = nullptr;
    QComboBox* BoxFromMon = nullptr;
    QLineEdit* EdtToYear = nullptr;
    QComboBox* BoxToMon = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnClose = nullptr;
};

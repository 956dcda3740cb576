#pragma once
// A date box with a check box in front of it: unchecked means "no date"
// (stored as null). The date stays visible, greyed, while unchecked.
#include <QDate>
#include <QWidget>

class QCheckBox;
class QDateEdit;

class TCheckDate : public QWidget
{
    Q_OBJECT
public:
    // name: the box's objectName; the parts are name + "Check" and name + "Edit".
    TCheckDate(QWidget* parent, const QString& name);

    QCheckBox* Check = nullptr;
    QDateEdit* Edit = nullptr;

    bool Checked() const;
    void SetChecked(bool on);
    QDate Date() const;
    void SetDate(const QDate& date);
    // The date when checked, else an invalid date.
    QDate Value() const { return Checked() ? Date() : QDate(); }
    // A valid date checks the box and shows it; an invalid one unchecks the
    // box and shows today.
    void SetValue(const QDate& date, const QDate& today);
};

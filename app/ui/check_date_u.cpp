#include "check_date_u.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>

TCheckDate::TCheckDate(QWidget* parent, const QString& name) : QWidget(parent)
{
    setObjectName(name);
    Check = new QCheckBox(this);
    Check->setObjectName(name + QStringLiteral("Check"));
    Edit = new QDateEdit(this);
    Edit->setObjectName(name + QStringLiteral("Edit"));
    Edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    Edit->setCalendarPopup(true);
    Edit->setEnabled(false);
    Edit->setProperty("imeMode", QStringLiteral("close"));
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(2);
    h->addWidget(Check);
    h->addWidget(Edit, 1);
    setFocusProxy(Check);
    connect(Check, &QCheckBox::toggled, Edit, &QWidget::setEnabled);
}

bool TCheckDate::Checked() const
{
    return Check->isChecked();
}

void TCheckDate::SetChecked(bool on)
{
    Check->setChecked(on);
}

QDate TCheckDate::Date() const
{
    return Edit->date();
}

void TCheckDate::SetDate(const QDate& date)
{
    Edit->setDate(date);
}

void TCheckDate::SetValue(const QDate& date, const QDate& today)
{
    SetChecked(date.isValid());
    SetDate(date.isValid() ? date : today);
}

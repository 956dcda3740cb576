#include "cust_option_grid_u.h"

#include "clock_u.h"
#include "db_records_u.h"
#include "ui_kit_u.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

namespace {
constexpr int kRowHeight = 22;
constexpr int kTimeWidth = 81;   // "t": time box with its check box
constexpr int kTimeOnlyWidth = 65; // "e": time box beside the date
constexpr int kDateWidth = 120;

// A stored date, time or date with time; null when the text is none.
QDateTime ReadDateTime(const QString& text)
{
    for (const char* f : {"yyyy/MM/dd HH:mm", "yyyy/MM/dd H:mm", "yyyy/MM/dd HH:mm:ss", "yyyy/MM/dd"}) {
        const QDateTime dt = QDateTime::fromString(text.trimmed(), QLatin1String(f));
        if (dt.isValid()) return dt;
    }
    for (const char* f : {"HH:mm", "H:mm", "HH:mm:ss"}) {
        const QTime t = QTime::fromString(text.trimmed(), QLatin1String(f));
        if (t.isValid()) return QDateTime(QDate(1899, 12, 30), t);
    }
    return QDateTime();
}
} // namespace

// ---------------------------------------------------------------- date box with check

TCheckedDateTime::TCheckedDateTime(QWidget* parent, const QString& name, const QString& format, bool withCheck)
    : QWidget(parent)
{
    setObjectName(name);
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(2);
    Check = new QCheckBox(this);
    Check->setObjectName(name + QStringLiteral("Check"));
    Check->setVisible(withCheck);
    Edit = new QDateTimeEdit(this);
    Edit->setObjectName(name + QStringLiteral("Edit"));
    Edit->setDisplayFormat(format);
    Edit->setCalendarPopup(format.contains(QLatin1Char('y')));
    h->addWidget(Check);
    h->addWidget(Edit, 1);
    setAutoFillBackground(true);
    connect(Check, &QCheckBox::toggled, this, &TCheckedDateTime::Changed);
    connect(Edit, &QDateTimeEdit::dateTimeChanged, this, &TCheckedDateTime::Changed);
}

bool TCheckedDateTime::Checked() const
{
    return Check->isChecked();
}

void TCheckedDateTime::SetValue(bool checked, const QDateTime& value)
{
    const QSignalBlocker b1(Check), b2(Edit);
    Check->setChecked(checked);
    Edit->setDateTime(value);
}

// ---------------------------------------------------------------- grid

TCustOptionGrid::TCustOptionGrid(QWidget* parent, int page, int firstField, const TCustOptions& options)
    : TStringGrid(parent, QStringLiteral("sgdOption%1").arg(page)), FFirst(firstField), FOptions(options)
{
    SetColumns({{QString(), 160}, {QString(), 579}, {QString(), 0, true}});
    horizontalHeader()->hide();
    setRowCount(kRows);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    UiKit::SetHint(this, QStringLiteral("保守タブ→マスタ登録ボタン→顧客補足登録 で項目を追加できます。"));
    for (int r = 0; r < kRows; ++r) {
        SetCell(r, colLabel, FOptions.Labels[size_t(Field(r))]);
        item(r, colLabel)->setBackground(QApplication::palette().color(QPalette::Button));
        SetCell(r, colValue, QString());
        SetCell(r, colId, QString());
    }

    const QString n = QString::number(page);
    cbxOption = new QComboBox(viewport());
    cbxOption->setObjectName(QStringLiteral("cbxOption") + n);
    edtOption = new QLineEdit(viewport());
    edtOption->setObjectName(QStringLiteral("edtOption") + n);
    dtpOptionDate = new TCheckedDateTime(viewport(), QStringLiteral("dtpOptionDate") + n, QStringLiteral("yyyy/MM/dd"), true);
    dtpOptionTime = new TCheckedDateTime(viewport(), QStringLiteral("dtpOptionTime") + n, QStringLiteral("HH:mm"), true);
    HideEditors();

    connect(this, &QTableWidget::cellClicked, this, [this](int row, int) { ShowEditor(row); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (FEditRow >= 0) ShowEditor(FEditRow);
    });
    connect(cbxOption, &QComboBox::currentIndexChanged, this, &TCustOptionGrid::WriteCell);
    connect(edtOption, &QLineEdit::textChanged, this, &TCustOptionGrid::WriteCell);
    connect(dtpOptionDate, &TCheckedDateTime::Changed, this, [this] {
        // The time of a date with time is set only while the date is.
        dtpOptionTime->Edit->setEnabled(Kind(FEditRow) != QLatin1String("e") || dtpOptionDate->Checked());
        WriteCell();
    });
    connect(dtpOptionTime, &TCheckedDateTime::Changed, this, &TCustOptionGrid::WriteCell);
    installEventFilter(this);
}

QString TCustOptionGrid::Kind(int row) const
{
    if (row < 0 || row >= kRows) return QString();
    return FOptions.Kinds[size_t(Field(row))];
}

void TCustOptionGrid::InstallKeys()
{
    for (QWidget* w : std::initializer_list<QWidget*>{cbxOption, edtOption, dtpOptionDate->Check, dtpOptionDate->Edit,
                                                      dtpOptionTime->Check, dtpOptionTime->Edit}) {
        w->removeEventFilter(this);
        w->installEventFilter(this);
    }
}

bool TCustOptionGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            MoveNext();
            return true;
        }
    }
    return TStringGrid::eventFilter(watched, event);
}

void TCustOptionGrid::LoadValues(const TCust& cust)
{
    HideEditors();
    for (int r = 0; r < kRows; ++r) {
        const int f = Field(r);
        const QString stored = cust.OPTION[size_t(f)];
        QString value, id;
        if (FOptions.Labels[size_t(f)].isEmpty()) {
            // An undefined or deleted field shows nothing.
        } else if (Kind(r) == QLatin1String("m")) {
            const TLookupList& choices = FOptions.Choices[size_t(f)];
            const int pos = choices.IndexOfId(stored);
            if (pos > 0) {
                value = choices.Names[pos];
                id = stored;
            }
        } else {
            value = stored;
        }
        SetCell(r, colValue, value);
        SetCell(r, colId, id);
    }
}

void TCustOptionGrid::ClearValues()
{
    HideEditors();
    for (int r = 0; r < kRows; ++r) {
        SetCell(r, colValue, QString());
        SetCell(r, colId, QString());
    }
}

void TCustOptionGrid::CollectValues(TCust& cust) const
{
    for (int r = 0; r < kRows; ++r)
        cust.OPTION[size_t(Field(r))] = Cell(r, Kind(r) == QLatin1String("m") ? colId : colValue);
}

void TCustOptionGrid::HideEditors()
{
    FEditRow = -1;
    for (QWidget* w : std::initializer_list<QWidget*>{cbxOption, edtOption, dtpOptionDate, dtpOptionTime}) w->hide();
}

void TCustOptionGrid::SetEditable(bool edit, const QColor& base)
{
    HideEditors();
    setEnabled(edit);
    UiKit::PaintBase(this, base);
    clearSelection();
    setCurrentCell(-1, -1);
}

void TCustOptionGrid::ShowEditor(int row)
{
    HideEditors();
    if (row < 0 || row >= kRows || FOptions.Labels[size_t(Field(row))].isEmpty()) return;
    const QString kind = Kind(row);
    const QString text = Cell(row, colValue);
    FFilling = true;
    QWidget* focus = nullptr;
    if (kind == QLatin1String("m")) {
        const TLookupList& choices = FOptions.Choices[size_t(Field(row))];
        cbxOption->clear();
        cbxOption->addItems(choices.Names);
        cbxOption->setCurrentIndex(qMax(0, choices.IndexOfId(Cell(row, colId))));
        focus = cbxOption;
    } else if (kind == QLatin1String("s") || kind == QLatin1String("n")) {
        edtOption->setText(text);
        UiKit::SetIme(edtOption, kind == QLatin1String("s") ? UiKit::TIme::Hiragana : UiKit::TIme::Off);
        focus = edtOption;
    } else if (kind == QLatin1String("d") || kind == QLatin1String("t") || kind == QLatin1String("e")) {
        const QDateTime value = ReadDateTime(text);
        const QDateTime shown = value.isValid() ? value : Clock::Now();
        dtpOptionDate->SetValue(value.isValid(), shown);
        dtpOptionTime->SetValue(value.isValid(), shown);
        dtpOptionTime->Check->setVisible(kind == QLatin1String("t"));
        dtpOptionTime->Edit->setEnabled(kind == QLatin1String("t") || value.isValid());
        focus = kind == QLatin1String("t") ? static_cast<QWidget*>(dtpOptionTime->Edit) : dtpOptionDate->Edit;
    } else {
        FFilling = false;
        return;
    }
    FEditRow = row;
    FFilling = false;
    PlaceEditors(row);
    setCurrentCell(row, colValue);
    focus->setFocus();
}

void TCustOptionGrid::PlaceEditors(int row)
{
    const QRect cell = visualRect(model()->index(row, colValue));
    const QString kind = Kind(row);
    if (kind == QLatin1String("m")) {
        cbxOption->setGeometry(cell);
        cbxOption->show();
    } else if (kind == QLatin1String("s") || kind == QLatin1String("n")) {
        edtOption->setGeometry(cell);
        edtOption->show();
    } else if (kind == QLatin1String("t")) {
        dtpOptionTime->setGeometry(cell.left(), cell.top(), kTimeWidth + 20, cell.height());
        dtpOptionTime->show();
    } else {
        dtpOptionDate->setGeometry(cell.left(), cell.top(), kDateWidth, cell.height());
        dtpOptionDate->show();
        if (kind == QLatin1String("e")) {
            dtpOptionTime->setGeometry(cell.left() + kDateWidth + 7, cell.top(), kTimeOnlyWidth, cell.height());
            dtpOptionTime->show();
        }
    }
}

void TCustOptionGrid::WriteCell()
{
    if (FFilling || FEditRow < 0) return;
    const int row = FEditRow;
    const QString kind = Kind(row);
    if (kind == QLatin1String("m")) {
        const TLookupList& choices = FOptions.Choices[size_t(Field(row))];
        const int pos = cbxOption->currentIndex();
        SetCell(row, colValue, pos > 0 ? choices.Names.value(pos) : QString());
        SetCell(row, colId, pos > 0 ? choices.Ids.value(pos) : QString());
    } else if (kind == QLatin1String("s") || kind == QLatin1String("n")) {
        SetCell(row, colValue, edtOption->text());
    } else if (kind == QLatin1String("d")) {
        SetCell(row, colValue,
                dtpOptionDate->Checked() ? dtpOptionDate->Edit->date().toString(QStringLiteral("yyyy/MM/dd")) : QString());
    } else if (kind == QLatin1String("t")) {
        SetCell(row, colValue,
                dtpOptionTime->Checked() ? dtpOptionTime->Edit->time().toString(QStringLiteral("HH:mm")) : QString());
    } else if (kind == QLatin1String("e")) {
        SetCell(row, colValue,
                dtpOptionDate->Checked() ? dtpOptionDate->Edit->date().toString(QStringLiteral("yyyy/MM/dd")) +
                                               QLatin1Char(' ') +
                                               dtpOptionTime->Edit->time().toString(QStringLiteral("HH:mm"))
                                         : QString());
    }
}

void TCustOptionGrid::MoveNext()
{
    const int from = FEditRow >= 0 ? FEditRow : currentRow();
    for (int step = 1; step <= kRows; ++step) {
        const int r = (from + step) % kRows;
        if (FOptions.Labels[size_t(Field(r))].isEmpty()) continue;
        ShowEditor(r);
        return;
    }
}

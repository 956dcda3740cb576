#include "frm_search_u.h"

#include "cp932_u.h"
#include "dm_cmn_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "string_grid_u.h"
#include "ui_kit_u.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QString kSection = QStringLiteral("SEARCH");

// Input mode of the value box for each item of each mode.
UiKit::TIme ItemIme(TSearchMode mode, int item, int kanaType)
{
    const UiKit::TIme kana[] = {UiKit::TIme::Katakana, UiKit::TIme::Hiragana, UiKit::TIme::HalfKatakana};
    const UiKit::TIme reading = kana[qBound(0, kanaType, 2)];
    switch (mode) {
    case TSearchMode::Tels: return item == 2 ? UiKit::TIme::Hiragana : UiKit::TIme::Off;
    case TSearchMode::Interface: return item == 1 ? UiKit::TIme::Hiragana : UiKit::TIme::Off;
    case TSearchMode::Cust:
        if (item == 1 || item == 5 || item == 7) return UiKit::TIme::Hiragana;
        return item == 2 ? reading : UiKit::TIme::Off;
    case TSearchMode::OutCust:
        if (item == 1) return UiKit::TIme::Hiragana;
        return item == 2 ? reading : UiKit::TIme::Off;
    }
    return UiKit::TIme::Off;
}

// A whole number, or nothing.
bool WholeNumber(const QString& text, int& value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok;
}

// Sorts as numbers when both cells are numbers (customer and program numbers).
class TSortCell : public QTableWidgetItem
{
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem& other) const override
    {
        bool a = false, b = false;
        const qlonglong x = text().toLongLong(&a), y = other.text().toLongLong(&b);
        if (a && b) return x < y;
        return text() < other.text();
    }
};
} // namespace

TfrmSearch::TfrmSearch(TdmCmn& dm, TSettings& settings, TSearchMode mode, QWidget* parent)
    : QDialog(parent), FDm(dm), FSettings(settings), FMode(mode), FDef(CustSql::SearchModeDef(mode, settings))
{
    Log::Detail(QStringLiteral("TfrmSearchCust.construct"));
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(FDef.Caption);
    resize(620, 420);

    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("pnlTop"));
    auto* h = new QHBoxLayout(top);
    h->setContentsMargins(6, 6, 6, 6);
    h->addWidget(UiKit::MakeLabel(top, QStringLiteral("項目")));
    cbxItem = new QComboBox(top);
    cbxItem->setObjectName(QStringLiteral("cbxItem"));
    cbxItem->addItems(FDef.Items);
    edtValue = UiKit::MakeEdit(top, QStringLiteral("edtValue"));
    edtValue->setMinimumWidth(160);
    rbLeft = new QRadioButton(QStringLiteral("左一致"), top);
    rbLeft->setObjectName(QStringLiteral("rbLeft"));
    rbPart = new QRadioButton(QStringLiteral("部分一致"), top);
    rbPart->setObjectName(QStringLiteral("rbPart"));
    auto* group = new QButtonGroup(this);
    group->addButton(rbLeft);
    group->addButton(rbPart);
    btnSearch = UiKit::MakeButton(top, QStringLiteral("btnSearch"), QStringLiteral("検索"));
    btnOk = UiKit::MakeButton(top, QStringLiteral("btnOk"), QStringLiteral("OK"));
    btnCancel = UiKit::MakeButton(top, QStringLiteral("btnCancel"), QStringLiteral("ｷｬﾝｾﾙ"));
    h->addWidget(cbxItem);
    h->addWidget(edtValue, 1);
    h->addWidget(rbLeft);
    h->addWidget(rbPart);
    h->addWidget(btnSearch);
    h->addWidget(btnOk);
    h->addWidget(btnCancel);

    QList<TGridColumn> columns;
    for (const TSearchColumn& c : FDef.Columns) columns << TGridColumn{c.Title, c.Width, c.Width == 0};
    sgdSearch = new TStringGrid(this, QStringLiteral("sgdSearch"), columns);
    sgdSearch->setAlternatingRowColors(true);
    sgdSearch->horizontalHeader()->setSortIndicatorShown(true);
    sgdSearch->horizontalHeader()->setSectionsClickable(true);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(top);
    v->addWidget(sgdSearch, 1);

    // Bounds, column widths, item and matching as last time.
    int n = 0;
    QRect r = geometry();
    if (WholeNumber(settings.ReadText(kSection, QStringLiteral("WIDTH")), n) && n > 0) r.setWidth(n);
    if (WholeNumber(settings.ReadText(kSection, QStringLiteral("HEIGHT")), n) && n > 0) r.setHeight(n);
    resize(r.size());
    int left = 0, topPos = 0;
    if (WholeNumber(settings.ReadText(kSection, QStringLiteral("LEFT")), left) &&
        WholeNumber(settings.ReadText(kSection, QStringLiteral("TOP")), topPos))
        FSavedPos = QPoint(left, topPos);
    const QStringList widths = settings.ReadText(kSection, FDef.ColWidthKey).split(QLatin1Char(','));
    for (int c = 0; c < widths.size() && c < sgdSearch->columnCount(); ++c)
        if (WholeNumber(widths[c], n) && !sgdSearch->isColumnHidden(c)) sgdSearch->setColumnWidth(c, n);
    int index = settings.ReadInt(kSection, FDef.IndexKey, FDef.DefaultIndex);
    if (index < 0 || index >= cbxItem->count()) index = FDef.DefaultIndex;
    cbxItem->setCurrentIndex(index);
    (settings.ReadText(kSection, FDef.PartKey, QStringLiteral("0")) == QLatin1String("1") ? rbPart : rbLeft)
        ->setChecked(true);
    SetValueIme();

    connect(cbxItem, &QComboBox::currentIndexChanged, this, &TfrmSearch::SetValueIme);
    connect(btnSearch, &QPushButton::clicked, this, &TfrmSearch::btnSearchClick);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(sgdSearch, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row >= 0 && row < sgdSearch->DataRowCount()) accept();
    });
    connect(sgdSearch->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (!sgdSearch->HasData()) return;
        const Qt::SortOrder order = sgdSearch->horizontalHeader()->sortIndicatorSection() == column &&
                                            sgdSearch->horizontalHeader()->sortIndicatorOrder() == Qt::AscendingOrder
                                        ? Qt::DescendingOrder
                                        : Qt::AscendingOrder;
        sgdSearch->sortItems(column, order);
        sgdSearch->horizontalHeader()->setSortIndicator(column, order);
    });
    UiKit::ApplyDialogRules(this);

    FillGrid(CustSql::InitialStatement(mode, settings));
}

void TfrmSearch::SetValueIme()
{
    UiKit::SetIme(edtValue, ItemIme(FMode, cbxItem->currentIndex(), FSettings.KanaType));
}

void TfrmSearch::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The place of the last time, not the centre the dialog rules give.
    if (FSavedPos) move(*FSavedPos);
    edtValue->clear();
}

QString TfrmSearch::SearchSql() const
{
    return CustSql::SearchStatement(FMode, cbxItem->currentIndex(), edtValue->text(), rbPart->isChecked(), FSettings);
}

void TfrmSearch::btnSearchClick()
{
    QString bad;
    if (!Cp932::TryEncode(edtValue->text(), nullptr, &bad)) {
        Msg::Warn(QStringLiteral("検索できない文字「%1」があります。").arg(bad), this);
        edtValue->setFocus();
        return;
    }
    if (edtValue->text().trimmed().isEmpty()) FillGrid(SearchSql());
    else FillGrid(SearchSql(), cbxItem->currentIndex(), edtValue->text(), rbPart->isChecked());
}

void TfrmSearch::FillGrid(const QString& sql, int item, const QString& value, bool partial)
{
    sgdSearch->setSortingEnabled(false);
    sgdSearch->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    sgdSearch->ClearRows();
    QList<QStringList> rows = CustSql::SearchRows(FDm, FSettings, FMode, sql);
    if (item >= 0) {
        // The list shows only rows that hold the value as typed.
        const bool notes = FMode == TSearchMode::Cust && FDef.ItemFields.value(item) == QLatin1String("OTHERS");
        const QString stored = CustSql::StoredForm(value);
        QList<QStringList> kept;
        for (const QStringList& r : rows) {
            bool match = CustSql::Matches(r.value(item), stored, partial);
            // The list holds only the start of the notes: look at all of them.
            if (!match && notes) match = CustSql::Matches(CustSql::CustOthers(FDm, r.value(8)), stored, partial);
            if (match) kept << r;
        }
        rows = kept;
    }
    sgdSearch->setUpdatesEnabled(false);
    sgdSearch->setRowCount(qMax(1, int(rows.size())));
    for (const QStringList& r : rows) {
        const int row = sgdSearch->AddRow({});
        for (int c = 0; c < r.size() && c < sgdSearch->columnCount(); ++c) {
            auto* cell = new TSortCell(r[c]);
            cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            sgdSearch->setItem(row, c, cell);
        }
    }
    sgdSearch->setUpdatesEnabled(true);
    if (sgdSearch->HasData()) sgdSearch->setCurrentCell(0, 0);
}

bool TfrmSearch::HasRow() const
{
    return sgdSearch->SelectedRow() >= 0;
}

QString TfrmSearch::Cell(int column) const
{
    const int row = sgdSearch->SelectedRow();
    return row < 0 ? QString() : sgdSearch->Cell(row, column);
}

void TfrmSearch::SaveBounds()
{
    const QRect r = geometry();
    auto write = [this](const char* key, int value) {
        FSettings.WriteText(kSection, QLatin1String(key), value > 0 ? QString::number(value) : QString());
    };
    write("LEFT", r.left());
    write("TOP", r.top());
    write("WIDTH", r.width());
    write("HEIGHT", r.height());
    QStringList widths;
    for (int c = 0; c < sgdSearch->columnCount(); ++c) widths << QString::number(sgdSearch->columnWidth(c));
    FSettings.WriteText(kSection, FDef.ColWidthKey, widths.join(QLatin1Char(',')));
}

void TfrmSearch::done(int result)
{
    if (result == QDialog::Accepted) {
        FSettings.WriteText(kSection, FDef.IndexKey, QString::number(cbxItem->currentIndex()));
        FSettings.WriteText(kSection, FDef.PartKey, TSettings::FlagToText(rbPart->isChecked()));
    }
    SaveBounds();
    QDialog::done(result);
}

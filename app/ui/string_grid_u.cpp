#include "string_grid_u.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {
QTableWidgetItem* NewCell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return item;
}

// Draws the mark in place of a non-empty cell's text.
class TMarkDelegate : public QStyledItemDelegate
{
public:
    TMarkDelegate(const QPixmap& mark, QPoint offset, QObject* parent)
        : QStyledItemDelegate(parent), FMark(mark), FOffset(offset) {}
    bool Enabled = true;

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool marked = Enabled && !index.data().toString().isEmpty();
        QStyleOptionViewItem o(option);
        initStyleOption(&o, index);
        if (marked) o.text.clear();
        const QWidget* w = o.widget;
        QStyle* style = w ? w->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &o, p, w);
        if (marked) p->drawPixmap(option.rect.topLeft() + FOffset, FMark);
    }

private:
    QPixmap FMark;
    QPoint FOffset;
};
} // namespace

TStringGrid::TStringGrid(QWidget* parent, const QString& name, const QList<TGridColumn>& columns)
    : QTableWidget(parent)
{
    setObjectName(name);
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultSectionSize(21);
    setWordWrap(false);
    if (!columns.isEmpty()) SetColumns(columns);
}

void TStringGrid::SetColumns(const QList<TGridColumn>& columns)
{
    setColumnCount(int(columns.size()));
    QStringList headers;
    for (const TGridColumn& c : columns) headers << c.Caption;
    setHorizontalHeaderLabels(headers);
    for (int i = 0; i < columns.size(); ++i) {
        setColumnWidth(i, columns[i].Width);
        setColumnHidden(i, columns[i].Hidden);
    }
    ClearRows();
}

void TStringGrid::ClearRows()
{
    clearContents();
    setRowCount(1);
    FDataRows = 0;
}

int TStringGrid::AddRow(const QStringList& cells)
{
    const int row = FDataRows;
    if (row >= rowCount()) setRowCount(row + 1);
    for (int c = 0; c < cells.size() && c < columnCount(); ++c) setItem(row, c, NewCell(cells[c]));
    ++FDataRows;
    return row;
}

int TStringGrid::InsertRow(int at, const QStringList& cells)
{
    if (FDataRows == 0 || at >= FDataRows) return AddRow(cells);
    const int row = qMax(0, at);
    insertRow(row);
    for (int c = 0; c < cells.size() && c < columnCount(); ++c) setItem(row, c, NewCell(cells[c]));
    ++FDataRows;
    return row;
}

QString TStringGrid::Cell(int row, int column) const
{
    const QTableWidgetItem* i = item(row, column);
    return i ? i->text() : QString();
}

void TStringGrid::SetCell(int row, int column, const QString& text)
{
    if (QTableWidgetItem* i = item(row, column)) i->setText(text);
    else setItem(row, column, NewCell(text));
}

int TStringGrid::SelectedRow() const
{
    const int row = currentRow();
    if (row < 0 || row >= FDataRows) return -1;
    return row;
}

void TStringGrid::PaintRow(int row, const QColor& back, const QColor& text)
{
    for (int c = 0; c < columnCount(); ++c) {
        QTableWidgetItem* i = item(row, c);
        if (!i) {
            i = NewCell(QString());
            setItem(row, c, i);
        }
        i->setBackground(back);
        i->setForeground(text);
    }
}

void TStringGrid::SetMarkColumn(int column, const QPixmap& mark, QPoint offset)
{
    setItemDelegateForColumn(column, new TMarkDelegate(mark, offset, this));
}

void TStringGrid::SetMarkColumnEnabled(bool on)
{
    for (int c = 0; c < columnCount(); ++c)
        if (auto* d = dynamic_cast<TMarkDelegate*>(itemDelegateForColumn(c))) d->Enabled = on;
    viewport()->update();
}

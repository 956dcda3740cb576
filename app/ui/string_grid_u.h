#pragma once
// A grid of text cells declared by a column table. One fixed header row,
// whole-row selection, columns sized by the user; beyond the visible
// columns a row may keep hidden cells (ids, numbers) the window needs. With
// nothing to show the grid keeps exactly one empty row.
//
//   sgdUser = new TStringGrid(this, "sgdUser", {{"ユーザID", 80}, {"ユーザ名", 160}, {"", 0, true}});
//   sgdUser->ClearRows();
//   for (const TUserRow& r : rows) sgdUser->AddRow({r.Id, r.Name, r.Hidden});
#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QTableWidget>

struct TGridColumn
{
    QString Caption;
    int Width = 64;
    bool Hidden = false;
};

class TStringGrid : public QTableWidget
{
    Q_OBJECT
public:
    TStringGrid(QWidget* parent, const QString& name, const QList<TGridColumn>& columns = {});

    void SetColumns(const QList<TGridColumn>& columns);
    // Empties the grid down to its one empty row.
    void ClearRows();
    // Adds one data row (the first call fills the empty row).
    int AddRow(const QStringList& cells);
    // Inserts one data row before data row `at` (0 .. DataRowCount()); the
    // first one fills the empty row. Returns its row.
    int InsertRow(int at, const QStringList& cells);
    // Rows that hold data (0 while only the empty row is shown).
    int DataRowCount() const { return FDataRows; }
    bool HasData() const { return FDataRows > 0; }

    QString Cell(int row, int column) const;
    void SetCell(int row, int column, const QString& text);
    // The selected data row, or -1 (none, or only the empty row).
    int SelectedRow() const;

    // Colours of one row's cells (deleted entries of master lists); a
    // selected row keeps the selection colours.
    void PaintRow(int row, const QColor& back, const QColor& text);

    // Non-empty cells of the column are drawn as the mark, not as text.
    void SetMarkColumn(int column, const QPixmap& mark, QPoint offset = QPoint(8, 2));
    void SetMarkColumnEnabled(bool on);

private:
    int FDataRows = 0;
};

#pragma once
// The statements of the customer windows: the customer view's lists, the
// phone book's customer question, the search dialog and the custom fields.
// Each runs on the data module's work queries and returns rows; windows only
// fill their grids.
#include "call_rows_u.h"
#include "cust_options_u.h"
#include "db_records_u.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class TdmCmn;
class TSettings;

// Modes of the search dialog.
enum class TSearchMode { Tels = 0, Interface = 1, Cust = 2, OutCust = 3 };

struct TSearchColumn
{
    QString Title;
    int Width = 0;
};

// One mode of the search dialog: caption, columns and the cells' sources,
// the search items and the columns they search in, the settings keys.
struct TSearchModeDef
{
    QString Caption;
    QList<TSearchColumn> Columns;
    QStringList CellFields; // result column read into each cell
    QStringList Items;      // the drop-down "項目"
    QStringList ItemFields; // column searched by each item
    QString ColWidthKey, IndexKey, PartKey;
    int DefaultIndex = 0;
};

struct TOptionDef
{
    int Id = 0;
    QString Label;
    QString Kind;
};

struct TOptionEntry
{
    QString DID;
    QString DNAME;
    QString LIST_ID;
    QDateTime DEL_DT; // null: live
};

namespace CustSql {
// ---- customer view
QString RelatedTelsStatement(const QString& custTelNon);
// Phone-book rows linked to the customer (TEL_NO, CALLER, READ_NAME).
QList<TTels> RelatedTels(TdmCmn& dm, const QString& custTelNon);
QString CustCallsStatement(const QString& custTelNon);
// Every call of every number of the customer, newest first.
QList<TCallRow> CustCalls(TdmCmn& dm, const QString& custTelNon);

// ---- phone book
// A customer with this representative number exists (asked on sqlWork2).
bool CustomerExists(TdmCmn& dm, const QString& custTelNon);

// ---- search dialog
TSearchModeDef SearchModeDef(TSearchMode mode, const TSettings& settings);
// A table or column name of the external database, quoted with the first
// character of quote (every such character inside doubled); unchanged
// without one.
QString QuoteName(const QString& name, const QString& quote);
QString InitialStatement(TSearchMode mode, const TSettings& settings);
// The search of item for value; the initial statement when the value is
// blank.
QString SearchStatement(TSearchMode mode, int item, const QString& value, bool partial, const TSettings& settings);
// Rows of a search statement, one text per column of the mode. Logged as
// "Serarch SQL=".
QList<QStringList> SearchRows(TdmCmn& dm, const TSettings& settings, TSearchMode mode, const QString& sql);
// Whether text matches value literally: at its start, or anywhere when
// partial. LIKE on CP932 bytes also matches rows whose text differs (a
// trail byte may be "_"), and "%" or "_" typed by the user are wildcards
// there; the rows are filtered again with this. value in StoredForm.
bool Matches(const QString& text, const QString& value, bool partial);
// A value as the database would give it back (〜 and ～ are one character there).
QString StoredForm(const QString& value);
// The whole notes of a customer (the search list shows only their start).
QString CustOthers(TdmCmn& dm, const QString& custNo);

// ---- custom fields
// The main window's lists: labels and kinds of fields 1 to 20.
void MakeCustOptionTemp(TdmCmn& dm, TCustOptions& options);
// The choice lists of the fields of kind "m".
void MakeCustOptionDataTemp(TdmCmn& dm, TCustOptions& options);
// Live field definitions, by number.
QList<TOptionDef> LiveOptionDefs(TdmCmn& dm);
// Entries of one field in display order, deleted ones too when asked.
QList<TOptionEntry> OptionEntries(TdmCmn& dm, int optionId, bool withDeleted);
// Registers a field (a deleted one is revived).
void SaveOptionDef(TdmCmn& dm, int optionId, const QString& label, const QString& kind);
void DeleteOptionDef(TdmCmn& dm, int optionId, const QDateTime& now);
// -1 no such entry, 0 live, 1 deleted.
int EntryState(TdmCmn& dm, int optionId, const QString& did);
void InsertEntry(TdmCmn& dm, int optionId, const QString& did, const QString& name, const QString& listId);
void UpdateEntry(TdmCmn& dm, int optionId, const QString& did, const QString& name, const QString& listId);
void DeleteEntry(TdmCmn& dm, int optionId, const QString& did, const QDateTime& now);
}

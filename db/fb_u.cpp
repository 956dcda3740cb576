#include "fb_u.h"

#include "cp932_u.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <QDate>
#include <QSet>
#include <QTime>
#include <vector>

using namespace Firebird;

namespace {

IMaster* Master()
{
    static IMaster* master = fb_get_master_interface();
    return master;
}

IProvider* Provider()
{
    static IProvider* provider = Master()->getDispatcher();
    return provider;
}

// A status object per call; the Firebird status is disposed with it.
class TStatus
{
public:
    TStatus() : FStatus(Master()->getStatus()), St(FStatus) {}
    ~TStatus() { FStatus->dispose(); }
    TStatus(const TStatus&) = delete;
    TStatus& operator=(const TStatus&) = delete;
    bool Failed() const { return St.getState() & IStatus::STATE_ERRORS; }
    CheckStatusWrapper* operator&() { return &St; }

private:
    IStatus* FStatus;

public:
    CheckStatusWrapper St;
};

[[noreturn]] void Raise(TStatus& status)
{
    char buf[4096];
    const unsigned n = Master()->getUtilInterface()->formatStatus(buf, sizeof buf, &status.St);
    QList<qint64> codes;
    const intptr_t* v = status.St.getErrors();
    while (v && *v != isc_arg_end) {
        const intptr_t kind = *v++;
        if (kind == isc_arg_cstring) {
            v += 2;
            continue;
        }
        if (kind == isc_arg_gds) codes << qint64(*v);
        ++v;
    }
    // Messages may quote stored values, which are CP932 bytes.
    QString text = Cp932::Decode(QByteArray(buf, int(qMin<unsigned>(n, sizeof buf)))).trimmed();
    if (text.isEmpty()) text = QStringLiteral("Firebird error");
    throw EDbError(text, codes);
}

void Check(TStatus& status)
{
    if (status.Failed()) Raise(status);
}

QByteArray EncodeSql(const QString& text)
{
    QByteArray out;
    QString bad;
    if (!Cp932::TryEncode(text, &out, &bad)) throw EDbError(QString::fromUtf8(ECp932Error(bad).what()));
    return out;
}

// Releases an interface whose closing call failed (lost connection etc.).
template <typename T, typename F>
void CloseQuietly(T*& obj, F close)
{
    if (!obj) return;
    TStatus st;
    close(obj, &st.St);
    if (st.Failed()) obj->release();
    obj = nullptr;
}

const QDate kFbEpoch(1858, 11, 17);
const QDate kDelphiEpoch(1899, 12, 30);

// Replaces the bound ":name" parameters outside quoted text by "?" and lists
// them; any other ":name" (a variable of a PSQL block) stays as it is.
QString ToPositional(const QString& sql, const QSet<QString>& bound, QStringList* names)
{
    QString out;
    out.reserve(sql.size());
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            out += c;
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            out += c;
            continue;
        }
        if (c == u':' && i + 1 < sql.size() && (sql.at(i + 1).isLetter() || sql.at(i + 1) == u'_')) {
            qsizetype j = i + 1;
            while (j < sql.size() && (sql.at(j).isLetterOrNumber() || sql.at(j) == u'_' || sql.at(j) == u'$')) ++j;
            const QString name = sql.mid(i + 1, j - i - 1).toUpper();
            if (bound.contains(name)) {
                names->append(name);
                out += u'?';
                i = j - 1;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace

bool EDbError::IsDuplicateKey() const
{
    return HasCode(isc_unique_key_violation) || HasCode(isc_no_dup);
}

// ---------------------------------------------------------------- database

struct TFbDatabase::Impl
{
    IAttachment* Att = nullptr;
    bool InBeforeConnect = false;
    QList<TFbQuery*> Queries;
    QList<TFbTransaction*> Transactions;
};

struct TFbTransaction::Impl
{
    TFbDatabase* Db = nullptr;
    ITransaction* Tra = nullptr;
    bool Explicit = false;
    bool ReadOnly = false;
    TFbQuery* Owner = nullptr; // query that started an implicit transaction

    void Start(bool readOnly)
    {
        static const unsigned char kRead[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed,
                                              isc_tpb_rec_version, isc_tpb_nowait};
        // Writers wait a while for a row another copy holds, then fail.
        static const unsigned char kWrite[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                                               isc_tpb_rec_version, isc_tpb_wait, isc_tpb_lock_timeout,
                                               1, 10};
        if (!Db->d->Att) throw EDbError(QStringLiteral("データベースに接続していません。"));
        TStatus st;
        Tra = readOnly ? Db->d->Att->startTransaction(&st.St, sizeof kRead, kRead)
                       : Db->d->Att->startTransaction(&st.St, sizeof kWrite, kWrite);
        Check(st);
        ReadOnly = readOnly;
    }
    void CommitOrThrow()
    {
        TStatus st;
        Tra->commit(&st.St);
        if (st.Failed()) {
            RollbackQuietly();
            Raise(st);
        }
        Tra = nullptr;
        Explicit = false;
        Owner = nullptr;
    }
    void RollbackQuietly()
    {
        CloseQuietly(Tra, [](ITransaction* t, CheckStatusWrapper* s) { t->rollback(s); });
        Explicit = false;
        Owner = nullptr;
    }
};

struct TFbQuery::Impl
{
    IStatement* Stmt = nullptr;
    IResultSet* Rs = nullptr;
    IMessageMetadata* OutMeta = nullptr;
    std::vector<unsigned char> Buf;
    bool Eof = true;
    struct TCol
    {
        QString Name;
        unsigned Type, Offset, NullOffset, Length;
        int Scale;
    };
    std::vector<TCol> Cols;
    QHash<QString, int> Index;
    QString OpenSql; // statement of the open result set
    QHash<QString, QByteArray> BlobParams;
    QSet<QString> BoundNames; // blob and null parameters

    QStringList ParamNames;
};

TFbDatabase::TFbDatabase() : d(std::make_unique<Impl>()) {}

void TFbDatabase::KeepConnectionsOnSignals()
{
    // A non-zero answer to the confirmation step cancels that shutdown.
    static const bool registered = [] {
        ISC_STATUS_ARRAY status{};
        const FB_SHUTDOWN_CALLBACK refuse = [](const int reason, const int, void*) {
            return reason == fb_shutrsn_signal ? 1 : 0;
        };
        return fb_shutdown_callback(status, refuse, fb_shut_confirmation, nullptr) == 0;
    }();
    (void)registered;
}

TFbDatabase::~TFbDatabase()
{
    try {
        Close();
    } catch (...) {
    }
}

bool TFbDatabase::Connected() const
{
    return d->Att != nullptr;
}

namespace {
void FillDpb(IXpbBuilder* dpb, CheckStatusWrapper* st, const QStringList& params, int dialect)
{
    for (const QString& line : params) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) continue;
        const QString name = line.left(eq).trimmed().toLower();
        const QByteArray value = line.mid(eq + 1).toUtf8();
        if (name == QLatin1String("user_name")) dpb->insertString(st, isc_dpb_user_name, value.constData());
        else if (name == QLatin1String("password")) dpb->insertString(st, isc_dpb_password, value.constData());
        else if (name == QLatin1String("lc_ctype")) dpb->insertString(st, isc_dpb_lc_ctype, value.constData());
    }
    dpb->insertInt(st, isc_dpb_sql_dialect, dialect);
}
} // namespace

void TFbDatabase::Open()
{
    if (d->Att) return;
    if (BeforeConnect && !d->InBeforeConnect) {
        d->InBeforeConnect = true;
        struct TReset
        {
            bool& F;
            ~TReset() { F = false; }
        } reset{d->InBeforeConnect};
        BeforeConnect();
        if (d->Att) return;
    }
    TStatus st;
    IXpbBuilder* dpb = Master()->getUtilInterface()->getXpbBuilder(&st.St, IXpbBuilder::DPB, nullptr, 0);
    Check(st);
    FillDpb(dpb, &st.St, Params, SQLDialect);
    const QByteArray name = DatabaseName.toUtf8();
    IAttachment* att = nullptr;
    if (!st.Failed())
        att = Provider()->attachDatabase(&st.St, name.constData(), dpb->getBufferLength(&st.St),
                                         dpb->getBuffer(&st.St));
    dpb->dispose();
    Check(st);
    d->Att = att;
}

void TFbDatabase::CreateDatabase(int pageSize)
{
    if (d->Att) Close();
    TStatus st;
    IXpbBuilder* dpb = Master()->getUtilInterface()->getXpbBuilder(&st.St, IXpbBuilder::DPB, nullptr, 0);
    Check(st);
    FillDpb(dpb, &st.St, Params, SQLDialect);
    dpb->insertInt(&st.St, isc_dpb_page_size, pageSize);
    dpb->insertString(&st.St, isc_dpb_set_db_charset, "NONE");
    const QByteArray name = DatabaseName.toUtf8();
    IAttachment* att = nullptr;
    if (!st.Failed())
        att = Provider()->createDatabase(&st.St, name.constData(), dpb->getBufferLength(&st.St),
                                         dpb->getBuffer(&st.St));
    dpb->dispose();
    Check(st);
    d->Att = att;
}

void TFbDatabase::Close()
{
    if (!d->Att) return;
    for (TFbQuery* q : d->Queries) q->DropHandles();
    for (TFbTransaction* t : d->Transactions) t->d->RollbackQuietly();
    TStatus st;
    d->Att->detach(&st.St);
    if (st.Failed()) {
        d->Att->release();
        d->Att = nullptr;
        Raise(st);
    }
    d->Att = nullptr;
}

void TFbDatabase::DropDatabase()
{
    if (!d->Att) Open();
    for (TFbQuery* q : d->Queries) q->DropHandles();
    for (TFbTransaction* t : d->Transactions) t->d->RollbackQuietly();
    TStatus st;
    d->Att->dropDatabase(&st.St);
    if (st.Failed()) Raise(st);
    d->Att = nullptr;
}

// ------------------------------------------------------------- transaction

TFbTransaction::TFbTransaction(TFbDatabase& db) : d(std::make_unique<Impl>())
{
    d->Db = &db;
    db.d->Transactions.append(this);
}

TFbTransaction::~TFbTransaction()
{
    d->RollbackQuietly();
    d->Db->d->Transactions.removeOne(this);
}

void TFbTransaction::StartTransaction()
{
    if (d->Explicit) throw EDbError(QStringLiteral("トランザクションは既に開始されています。"));
    if (!d->Db->Connected()) d->Db->Open();
    if (d->Tra) d->CommitOrThrow(); // an implicit one left over
    d->Start(false);
    d->Explicit = true;
}

void TFbTransaction::Commit()
{
    if (!d->Tra) return;
    d->CommitOrThrow();
}

void TFbTransaction::Rollback()
{
    if (!d->Tra) {
        d->Explicit = false;
        return;
    }
    TStatus st;
    d->Tra->rollback(&st.St);
    if (st.Failed()) {
        d->Tra->release();
        d->Tra = nullptr;
        d->Explicit = false;
        Raise(st);
    }
    d->Tra = nullptr;
    d->Explicit = false;
    d->Owner = nullptr;
}

bool TFbTransaction::InTransaction() const
{
    return d->Explicit && d->Tra;
}

// ------------------------------------------------------------------- query

TFbQuery::TFbQuery(TFbDatabase& db, TFbTransaction& tr) : FDb(db), FTr(&tr), d(std::make_unique<Impl>())
{
    db.d->Queries.append(this);
}

TFbQuery::~TFbQuery()
{
    Close();
    FDb.d->Queries.removeOne(this);
}

void TFbQuery::SetTransaction(TFbTransaction* tr)
{
    Close();
    FTr = tr;
}

void TFbQuery::SetBlobParam(const QString& name, const QByteArray& data)
{
    d->BlobParams.insert(name.toUpper(), data);
    d->BoundNames.insert(name.toUpper());
}

void TFbQuery::SetNullParam(const QString& name)
{
    // Any parameter without blob data is sent as null.
    d->BlobParams.remove(name.toUpper());
    d->BoundNames.insert(name.toUpper());
}

void TFbQuery::ClearParams()
{
    d->BlobParams.clear();
    d->BoundNames.clear();
}

void TFbQuery::DropHandles()
{
    CloseQuietly(d->Rs, [](IResultSet* r, CheckStatusWrapper* s) { r->close(s); });
    CloseQuietly(d->Stmt, [](IStatement* r, CheckStatusWrapper* s) { r->free(s); });
    if (d->OutMeta) {
        d->OutMeta->release();
        d->OutMeta = nullptr;
    }
    d->Eof = true;
}

// Prepares SQL in the query's transaction, starting an implicit one when
// none is open (read-only for a SELECT).
void TFbQuery::Prepare(bool forSelect)
{
    Close();
    if (!FDb.Connected()) FDb.Open();
    TFbTransaction::Impl& t = *FTr->d;
    if (!t.Tra) {
        t.Start(forSelect && !t.Explicit);
        t.Owner = this;
    } else if (!t.Explicit && t.ReadOnly && !forSelect) {
        // A reader of the same transaction is still open: finish it first.
        t.CommitOrThrow();
        t.Start(false);
        t.Owner = this;
    }
    QStringList names;
    // Only the bound names are parameters: PSQL blocks use ":name" too.
    const QString text = d->BoundNames.isEmpty() ? SQL : ToPositional(SQL, d->BoundNames, &names);
    const QByteArray bytes = EncodeSql(text);
    TStatus st;
    d->Stmt = FDb.d->Att->prepare(&st.St, t.Tra, unsigned(bytes.size()), bytes.constData(), unsigned(FDb.SQLDialect),
                                  IStatement::PREPARE_PREFETCH_METADATA);
    Check(st);
    d->ParamNames = names;
    d->OpenSql = SQL;
}

void TFbQuery::ExecutePrepared()
{
    TFbTransaction::Impl& t = *FTr->d;
    TStatus st;
    if (d->ParamNames.isEmpty()) {
        d->Stmt->execute(&st.St, t.Tra, nullptr, nullptr, nullptr, nullptr);
        Check(st);
        return;
    }
    // Parameters: blob data bound by name; anything else is null.
    IMessageMetadata* in = d->Stmt->getInputMetadata(&st.St);
    Check(st);
    struct TRelease
    {
        IMessageMetadata* M;
        ~TRelease() { M->release(); }
    } rel{in};
    std::vector<unsigned char> buf(in->getMessageLength(&st.St));
    const unsigned count = in->getCount(&st.St);
    Check(st);
    for (unsigned i = 0; i < count; ++i) {
        short* nul = reinterpret_cast<short*>(&buf[in->getNullOffset(&st.St, i)]);
        const auto it = i < unsigned(d->ParamNames.size()) ? d->BlobParams.constFind(d->ParamNames.at(int(i)))
                                                             : d->BlobParams.constEnd();
        if (it == d->BlobParams.constEnd()) {
            *nul = -1;
            continue;
        }
        ISC_QUAD* id = reinterpret_cast<ISC_QUAD*>(&buf[in->getOffset(&st.St, i)]);
        IBlob* blob = FDb.d->Att->createBlob(&st.St, t.Tra, id, 0, nullptr);
        Check(st);
        const QByteArray& data = it.value();
        for (qsizetype pos = 0; pos < data.size() && !st.Failed(); pos += 32768) {
            const unsigned len = unsigned(qMin<qsizetype>(32768, data.size() - pos));
            blob->putSegment(&st.St, len, data.constData() + pos);
        }
        if (!st.Failed()) blob->close(&st.St);
        if (st.Failed()) {
            blob->release();
            Raise(st);
        }
        *nul = 0;
    }
    d->Stmt->execute(&st.St, t.Tra, in, buf.data(), nullptr, nullptr);
    Check(st);
}

void TFbQuery::Finish(bool ok)
{
    TFbTransaction::Impl& t = *FTr->d;
    if (t.Owner == this && !t.Explicit && t.Tra) {
        if (ok) t.CommitOrThrow();
        else t.RollbackQuietly();
    }
}

void TFbQuery::RefuseWhileReading() const
{
    // A nested use (from an event loop run while rows are read) would cut
    // the outer read short without a word; the outer read stays intact.
    if (d->Rs && !d->Eof)
        throw EDbError(QStringLiteral("問い合わせの結果を読み込み中のため、同じ問い合わせを開けません。\n") +
                       d->OpenSql);
}

void TFbQuery::ExecSQL()
{
    RefuseWhileReading();
    try {
        Prepare(false);
        ExecutePrepared();
        CloseQuietly(d->Stmt, [](IStatement* r, CheckStatusWrapper* s) { r->free(s); });
        Finish(true);
    } catch (...) {
        DropHandles();
        Finish(false);
        throw;
    }
}

void TFbQuery::Open()
{
    RefuseWhileReading();
    try {
        Prepare(true);
        TStatus st;
        d->OutMeta = d->Stmt->getOutputMetadata(&st.St);
        Check(st);
        const unsigned count = d->OutMeta->getCount(&st.St);
        d->Cols.clear();
        d->Index.clear();
        for (unsigned i = 0; i < count; ++i) {
            Impl::TCol c;
            c.Name = QString::fromUtf8(d->OutMeta->getAlias(&st.St, i)).trimmed();
            if (c.Name.isEmpty()) c.Name = QString::fromUtf8(d->OutMeta->getField(&st.St, i)).trimmed();
            c.Type = d->OutMeta->getType(&st.St, i) & ~1u;
            c.Offset = d->OutMeta->getOffset(&st.St, i);
            c.NullOffset = d->OutMeta->getNullOffset(&st.St, i);
            c.Length = d->OutMeta->getLength(&st.St, i);
            c.Scale = d->OutMeta->getScale(&st.St, i);
            Check(st);
            const QString key = c.Name.toUpper();
            if (!d->Index.contains(key)) d->Index.insert(key, int(i));
            d->Cols.push_back(c);
        }
        d->Buf.assign(d->OutMeta->getMessageLength(&st.St), 0);
        d->Rs = d->Stmt->openCursor(&st.St, FTr->d->Tra, nullptr, nullptr, d->OutMeta, 0);
        Check(st);
        d->Eof = false;
        Next();
    } catch (...) {
        DropHandles();
        Finish(false);
        throw;
    }
}

bool TFbQuery::Active() const
{
    return d->Rs != nullptr;
}

bool TFbQuery::Eof() const
{
    return d->Eof;
}

void TFbQuery::Next()
{
    if (!d->Rs || d->Eof) return;
    TStatus st;
    const int r = d->Rs->fetchNext(&st.St, d->Buf.data());
    Check(st);
    d->Eof = (r != IStatus::RESULT_OK);
}

void TFbQuery::Close()
{
    const bool had = d->Rs || d->Stmt;
    DropHandles();
    if (had) {
        try {
            Finish(true);
        } catch (...) {
        }
    }
}

int TFbQuery::FieldCount() const
{
    return int(d->Cols.size());
}

QString TFbQuery::FieldName(int index) const
{
    return d->Cols.at(size_t(index)).Name;
}

bool TFbQuery::HasField(const QString& name) const
{
    return d->Index.contains(name.toUpper());
}

TFbField TFbQuery::FieldByName(const QString& name) const
{
    const auto it = d->Index.constFind(name.toUpper());
    if (it == d->Index.constEnd()) throw EDbError(QStringLiteral("Field '%1' not found").arg(name));
    return TFbField(this, it.value());
}

TFbField TFbQuery::Field(int index) const
{
    if (index < 0 || index >= FieldCount()) throw EDbError(QStringLiteral("Field index %1 out of range").arg(index));
    return TFbField(this, index);
}

TFbFieldKind TFbQuery::FieldKind(int index) const
{
    const auto& c = d->Cols.at(size_t(index));
    switch (c.Type) {
    case SQL_TEXT:
    case SQL_VARYING: return TFbFieldKind::Text;
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: return c.Scale < 0 ? TFbFieldKind::Float : TFbFieldKind::Integer;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return TFbFieldKind::Float;
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME: return TFbFieldKind::DateTime;
    case SQL_BLOB: return TFbFieldKind::Blob;
    default: return TFbFieldKind::Other;
    }
}

// ------------------------------------------------------------------- field

namespace {
QDateTime FromFbTimestamp(int date, unsigned time)
{
    return QDateTime(kFbEpoch.addDays(date), QTime(0, 0).addMSecs(int(time / 10)));
}

QString DateTimeText(const QDateTime& dt)
{
    if (dt.time() == QTime(0, 0)) return dt.toString(QStringLiteral("yyyy/MM/dd"));
    return dt.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
}

qint64 RawInt(unsigned type, const unsigned char* p)
{
    if (type == SQL_SHORT) return *reinterpret_cast<const short*>(p);
    if (type == SQL_LONG) return *reinterpret_cast<const int*>(p);
    return *reinterpret_cast<const qint64*>(p);
}

qint64 Pow10(int n)
{
    qint64 p = 1;
    while (n-- > 0) p *= 10;
    return p;
}
} // namespace

bool TFbField::IsNull() const
{
    if (FQuery->d->Eof || !FQuery->d->Rs) return true;
    const auto& c = FQuery->d->Cols[size_t(FIndex)];
    return *reinterpret_cast<const short*>(&FQuery->d->Buf[c.NullOffset]) != 0;
}

QString TFbField::FieldName() const
{
    return FQuery->d->Cols[size_t(FIndex)].Name;
}

QByteArray TFbField::AsBytes() const
{
    if (IsNull()) return {};
    const auto& c = FQuery->d->Cols[size_t(FIndex)];
    const unsigned char* p = &FQuery->d->Buf[c.Offset];
    switch (c.Type) {
    case SQL_TEXT: {
        QByteArray b(reinterpret_cast<const char*>(p), int(c.Length));
        while (b.endsWith(' ')) b.chop(1);
        return b;
    }
    case SQL_VARYING: {
        const unsigned short len = *reinterpret_cast<const unsigned short*>(p);
        return QByteArray(reinterpret_cast<const char*>(p + 2), len);
    }
    case SQL_BLOB: {
        ISC_QUAD id = *reinterpret_cast<const ISC_QUAD*>(p);
        TStatus st;
        IBlob* blob = FQuery->FDb.d->Att->openBlob(&st.St, FQuery->FTr->d->Tra, &id, 0, nullptr);
        Check(st);
        QByteArray out;
        char buf[32768];
        for (;;) {
            unsigned got = 0;
            const int r = blob->getSegment(&st.St, sizeof buf, buf, &got);
            if (st.Failed()) {
                blob->release();
                Raise(st);
            }
            if (r == IStatus::RESULT_NO_DATA) break;
            out.append(buf, int(got));
        }
        blob->close(&st.St);
        if (st.Failed()) blob->release();
        return out;
    }
    default: return AsString().toLatin1();
    }
}

QString TFbField::AsString() const
{
    if (IsNull()) return QString();
    const auto& c = FQuery->d->Cols[size_t(FIndex)];
    const unsigned char* p = &FQuery->d->Buf[c.Offset];
    switch (c.Type) {
    case SQL_TEXT:
    case SQL_VARYING:
    case SQL_BLOB: return Cp932::Decode(AsBytes());
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
        const qint64 v = RawInt(c.Type, p);
        if (c.Scale >= 0) return QString::number(v * Pow10(c.Scale));
        const qint64 div = Pow10(-c.Scale);
        QString s = QString::number(qAbs(v / div)) + u'.' +
                    QStringLiteral("%1").arg(qAbs(v % div), -c.Scale, 10, QLatin1Char('0'));
        return (v < 0 ? QStringLiteral("-") : QString()) + s;
    }
    case SQL_FLOAT: return QString::number(double(*reinterpret_cast<const float*>(p)), 'g', 15);
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return QString::number(*reinterpret_cast<const double*>(p), 'g', 15);
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME: {
        const QDateTime dt = AsDateTime();
        if (c.Type == SQL_TYPE_TIME) return dt.time().toString(QStringLiteral("hh:mm:ss"));
        return DateTimeText(dt);
    }
    case SQL_BOOLEAN: return *p ? QStringLiteral("1") : QStringLiteral("0");
    default: return QString();
    }
}

qint64 TFbField::AsInt64() const
{
    if (IsNull()) return 0;
    const auto& c = FQuery->d->Cols[size_t(FIndex)];
    const unsigned char* p = &FQuery->d->Buf[c.Offset];
    switch (c.Type) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
        const qint64 v = RawInt(c.Type, p);
        if (c.Scale >= 0) return v * Pow10(c.Scale);
        return qRound64(double(v) / double(Pow10(-c.Scale)));
    }
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return qRound64(AsFloat());
    case SQL_BOOLEAN: return *p ? 1 : 0;
    case SQL_TEXT:
    case SQL_VARYING:
    case SQL_BLOB: {
        bool ok = false;
        const qint64 v = AsString().trimmed().toLongLong(&ok);
        return ok ? v : 0;
    }
    default: return 0;
    }
}

int TFbField::AsInteger() const
{
    return int(AsInt64());
}

double TFbField::AsFloat() const
{
    if (IsNull()) return 0;
    const auto& c = FQuery->d->Cols[size_t(FIndex)];
    const unsigned char* p = &FQuery->d->Buf[c.Offset];
    switch (c.Type) {
    case SQL_FLOAT: return double(*reinterpret_cast<const float*>(p));
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return *reinterpret_cast<const double*>(p);
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
        const qint64 v = RawInt(c.Type, p);
        return c.Scale >= 0 ? double(v * Pow10(c.Scale)) : double(v) / double(Pow10(-c.Scale));
    }
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME: {
        // Days since 1899-12-30 with the time as the fraction.
        const QDateTime dt = AsDateTime();
        const double days = double(kDelphiEpoch.daysTo(dt.date()));
        return days + double(dt.time().msecsSinceStartOfDay()) / 86400000.0;
    }
    default: {
        bool ok = false;
        const double v = AsString().trimmed().toDouble(&ok);
        return ok ? v : 0;
    }
    }
}

bool TFbField::AsDateAndTime(QDate* date, QTime* time) const
{
    if (IsNull()) return false;
    const auto& c = FQuery->d->Cols[size_t(FIndex)];
    const unsigned char* p = &FQuery->d->Buf[c.Offset];
    if (c.Type == SQL_TIMESTAMP) {
        const ISC_TIMESTAMP* ts = reinterpret_cast<const ISC_TIMESTAMP*>(p);
        *date = kFbEpoch.addDays(ts->timestamp_date);
        *time = QTime::fromMSecsSinceStartOfDay(int(ts->timestamp_time / 10));
        return true;
    }
    const QDateTime dt = AsDateTime();
    *date = dt.date();
    *time = dt.time();
    return dt.isValid();
}

QDateTime TFbField::AsDateTime() const
{
    if (IsNull()) return QDateTime();
    const auto& c = FQuery->d->Cols[size_t(FIndex)];
    const unsigned char* p = &FQuery->d->Buf[c.Offset];
    switch (c.Type) {
    case SQL_TIMESTAMP: {
        const ISC_TIMESTAMP* ts = reinterpret_cast<const ISC_TIMESTAMP*>(p);
        return FromFbTimestamp(ts->timestamp_date, ts->timestamp_time);
    }
    case SQL_TYPE_DATE: return FromFbTimestamp(*reinterpret_cast<const ISC_DATE*>(p), 0);
    case SQL_TYPE_TIME: return QDateTime(kDelphiEpoch, QTime(0, 0).addMSecs(int(*reinterpret_cast<const ISC_TIME*>(p) / 10)));
    default: {
        const QString s = AsString().trimmed();
        for (const char* fmt : {"yyyy/MM/dd hh:mm:ss", "yyyy/MM/dd", "yyyy-MM-dd hh:mm:ss", "yyyy-MM-dd"}) {
            const QDateTime dt = QDateTime::fromString(s, QString::fromLatin1(fmt));
            if (dt.isValid()) return dt;
        }
        return QDateTime();
    }
    }
}

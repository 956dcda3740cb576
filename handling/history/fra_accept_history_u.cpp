#include "fra_accept_history_u.h"

#include "accept_history_sql_u.h"
#include "cust_pages_u.h"
#include "dm_cmn_u.h"
#include "log_u.h"
#include "main_host_u.h"
#include "msg_u.h"
#include "string_grid_u.h"
#include "ui_kit_u.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {
enum { colActDt, colCustName, colTitle, colTypeName, colResultName, colUserName, colActNo, colCustNo, colCustTelNon,
       colContent };
constexpr int kDefaultWidth = 600;
} // namespace

TfraAcceptHistory::TfraAcceptHistory(TMainHost& host, TCustPages& custPages, QWidget* parent)
    : QWidget(parent), FHost(host), FCustPages(custPages)
{
    setObjectName(QStringLiteral("tabAccept"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(2, 2, 2, 2);
    splAccept = UiKit::MakeSplitter(this, QStringLiteral("splAccept"));
    v->addWidget(splAccept);
    sgdAccept = new TStringGrid(splAccept, QStringLiteral("sgdAccept"));

    auto* right = new QWidget(splAccept);
    auto* rv = new QVBoxLayout(right);
    rv->setContentsMargins(2, 0, 0, 0);
    rv->setSpacing(2);
    auto* bar = new QHBoxLayout;
    bar->setSpacing(2);
    bar->addWidget(UiKit::MakeLabel(right, QStringLiteral("内容")));
    bar->addStretch(1);
    btnHistorySearch = UiKit::MakeGlyphButton(right, QStringLiteral("btnHistorySearch"), UiKit::TGlyph::Search,
                                              QStringLiteral("検索(Alt+S)"), QString());
    btnActDel = UiKit::MakeGlyphButton(right, QStringLiteral("btnActDel"), UiKit::TGlyph::Delete,
                                       QStringLiteral("削除(Alt+D)"), QString());
    btnActEdit = UiKit::MakeGlyphButton(right, QStringLiteral("btnActEdit"), UiKit::TGlyph::Edit,
                                        QStringLiteral("編集(Alt+E)"), QString());
    for (QPushButton* b : {btnHistorySearch, btnActDel, btnActEdit}) bar->addWidget(b);
    rv->addLayout(bar);
    richContent = new QTextEdit(right);
    richContent->setObjectName(QStringLiteral("richContent"));
    richContent->setReadOnly(true);
    richContent->setAcceptRichText(false);
    UiKit::PaintBase(richContent, QApplication::palette().color(QPalette::ToolTipBase));
    rv->addWidget(richContent, 1);
    splAccept->setStretchFactor(1, 1);
    splAccept->setSizes({kDefaultWidth, 300});

    connect(sgdAccept, &QTableWidget::itemSelectionChanged, this, &TfraAcceptHistory::sgdAcceptClick);
    connect(sgdAccept, &QTableWidget::cellDoubleClicked, this, &TfraAcceptHistory::sgdAcceptDblClick);
    connect(btnHistorySearch, &QPushButton::clicked, this, &TfraAcceptHistory::btnHistorySearchClick);
    connect(btnActDel, &QPushButton::clicked, this, &TfraAcceptHistory::btnActDelClick);
    connect(btnActEdit, &QPushButton::clicked, this, &TfraAcceptHistory::btnActEditClick);
    InitAcceptGrid();
}

void TfraAcceptHistory::InitAcceptGrid()
{
    Log::Detail(QStringLiteral("TfrmMain.InitAcceptGrid"));
    sgdAccept->SetColumns({{QStringLiteral("日時"), 124},
                           {QStringLiteral("顧客名"), 100},
                           {QStringLiteral("件名"), 100},
                           {QStringLiteral("区分"), 80},
                           {QStringLiteral("結果"), 80},
                           {QStringLiteral("対応者"), 80},
                           {QString(), 0, true},
                           {QString(), 0, true},
                           {QString(), 0, true},
                           {QString(), 0, true}});
    btnActEdit->setEnabled(false);
    btnActDel->setEnabled(false);
}

void TfraAcceptHistory::MakeAcceptGrid()
{
    Log::Detail(QStringLiteral("TfrmMain.MakeAcceptGrid"));
    sgdAccept->ClearRows();
    const QList<TAcceptRow> rows = AcceptHistorySql::Day(FHost.Dm(), FHost.HistoryDate());
    // One resize and one repaint for a busy day, not one per row.
    sgdAccept->setUpdatesEnabled(false);
    sgdAccept->setRowCount(qMax(1, int(rows.size())));
    for (const TAcceptRow& r : rows)
        sgdAccept->AddRow({r.When(), r.CustName, r.Title, r.TypeName, r.ResultName, r.UserName,
                           QString::number(r.ActNo), QString::number(r.CustNo), r.CustTelNon, r.Content});
    sgdAccept->setUpdatesEnabled(true);
    btnActEdit->setEnabled(sgdAccept->HasData());
    btnActDel->setEnabled(sgdAccept->HasData());
    sgdAcceptClick();
}

void TfraAcceptHistory::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    sgdAcceptClick();
}

void TfraAcceptHistory::sgdAcceptClick()
{
    const int row = sgdAccept->SelectedRow();
    if (row < 0) {
        richContent->clear();
        return;
    }
    QString content = sgdAccept->Cell(row, colContent);
    richContent->setPlainText(content.replace(QLatin1String("\r\n"), QLatin1String("\n")));
    if (!isVisible()) return;
    FHost.SetCallNumber(sgdAccept->Cell(row, colCustTelNon));
    FHost.SetCallName(sgdAccept->Cell(row, colCustName));
}

void TfraAcceptHistory::sgdAcceptDblClick()
{
    const int row = sgdAccept->SelectedRow();
    if (row < 0) {
        Msg::Warn(QStringLiteral("対応履歴を選択してください。"), this);
        return;
    }
    FHost.OpenCustAcceptTab(sgdAccept->Cell(row, colCustTelNon), sgdAccept->Cell(row, colActNo).toInt(), true,
                            QString());
}

void TfraAcceptHistory::btnActEditClick()
{
    const int row = sgdAccept->SelectedRow();
    if (row < 0) {
        Msg::Warn(QStringLiteral("対応履歴を選択してください。"), this);
        return;
    }
    FHost.OpenCustAcceptTab(sgdAccept->Cell(row, colCustTelNon), sgdAccept->Cell(row, colActNo).toInt(), false,
                            QString());
}

void TfraAcceptHistory::btnActDelClick()
{
    const int row = sgdAccept->SelectedRow();
    if (row < 0) {
        Msg::Warn(QStringLiteral("対応履歴を選択してください。"), this);
        return;
    }
    const QString act = sgdAccept->Cell(row, colActNo);
    const QString cust = sgdAccept->Cell(row, colCustNo);
    const QString custTelNon = sgdAccept->Cell(row, colCustTelNon);
    Log::Detail(QStringLiteral("strActNo=") + act + QStringLiteral(" strCustNo=") + cust);
    if (act.isEmpty() || cust.isEmpty()) return;
    if (Msg::Show(TMsgKind::Confirmation, QStringLiteral("選択されている対応履歴を削除してよろしいですか？"),
                  mbOK | mbCancel, this) != mbOK)
        return;
    bool okAct = false, okCust = false;
    const int actNo = act.toInt(&okAct);
    const int custNo = cust.toInt(&okCust);
    if (!okAct || !okCust) {
        Msg::Error(QStringLiteral("対応履歴の読み込みに失敗しました。対応履歴を再読み込みしてください。"), this);
        return;
    }
    FHost.Dm().DeleteRows(QStringLiteral("ACCEPT_T"), QStringLiteral("ACT_NO"), act);
    FCustPages.RefreshCustLogs(custTelNon);
    FCustPages.RefreshCustAccepts(custNo, actNo);
    FHost.ReloadCallHistory();
    MakeAcceptGrid();
}

void TfraAcceptHistory::btnHistorySearchClick()
{
    FHost.OpenActSearch(false, -1, QString());
}

int TfraAcceptHistory::ActWidth() const
{
    return sgdAccept->width();
}

void TfraAcceptHistory::SetActWidth(int width)
{
    splAccept->setSizes({width, qMax(100, splAccept->width() - width)});
}

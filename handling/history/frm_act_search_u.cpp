#include "frm_act_search_u.h"

#include "accept_history_sql_u.h"
#include "clock_u.h"
#include "comma_text_u.h"
#include "cust_pages_u.h"
#include "dm_cmn_u.h"
#include "fra_cust_u.h"
#include "frm_search_u.h"
#include "log_u.h"
#include "main_host_u.h"
#include "msg_u.h"
#include "settings_u.h"
#include "ui_kit_u.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kSection = QStringLiteral("SEARCH");
const QString kHistoryKey = QStringLiteral("CONENT_STRING");

void FillBox(QComboBox* box, const TLookupList& list)
{
    box->clear();
    box->addItems(list.Names);
}
} // namespace

TfrmActSearch::TfrmActSearch(TMainHost& host, TCustPages& custPages, QWidget* parent)
    : QWidget(parent, Qt::Window), FHost(host), FCustPages(custPages)
{
    Log::Detail(QStringLiteral("TfrmActSearch.FormCreate begin"));
    setObjectName(QStringLiteral("frmActSearch"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("対応履歴検索"));

    cbxSearchContent = new QComboBox(this);
    cbxSearchContent->setObjectName(QStringLiteral("cbxSearchContent"));
    cbxSearchContent->setEditable(true);
    cbxSearchContent->setInsertPolicy(QComboBox::NoInsert);
    UiKit::SetIme(cbxSearchContent, UiKit::TIme::Hiragana);
    chkTitle = UiKit::MakeCheck(this, QStringLiteral("chkTitle"), QStringLiteral("件名"));
    chkContent = UiKit::MakeCheck(this, QStringLiteral("chkContent"), QStringLiteral("内容"));
    pnlCustName = new QLabel(this);
    pnlCustName->setObjectName(QStringLiteral("pnlCustName"));
    pnlCustName->setFrameShape(QFrame::StyledPanel);
    pnlCustName->setMinimumWidth(200);
    btnSearch = UiKit::MakeGlyphButton(this, QStringLiteral("btnSearch"), UiKit::TGlyph::Search,
                                       QStringLiteral("顧客を選択します。"), QString());
    cbxUserName = new QComboBox(this);
    cbxUserName->setObjectName(QStringLiteral("cbxUserName"));
    cbxTypeName = new QComboBox(this);
    cbxTypeName->setObjectName(QStringLiteral("cbxTypeName"));
    cbxResultName = new QComboBox(this);
    cbxResultName->setObjectName(QStringLiteral("cbxResultName"));
    chkFrom = UiKit::MakeCheck(this, QStringLiteral("chkFrom"), QString());
    chkTo = UiKit::MakeCheck(this, QStringLiteral("chkTo"), QString());
    dtpFrom = new QDateEdit(this);
    dtpFrom->setObjectName(QStringLiteral("dtpFrom"));
    dtpTo = new QDateEdit(this);
    dtpTo->setObjectName(QStringLiteral("dtpTo"));
    for (QDateEdit* d : {dtpFrom, dtpTo}) {
        d->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        d->setCalendarPopup(true);
        UiKit::SetIme(d, UiKit::TIme::Off);
    }
    connect(chkFrom, &QCheckBox::toggled, dtpFrom, &QWidget::setEnabled);
    connect(chkTo, &QCheckBox::toggled, dtpTo, &QWidget::setEnabled);
    btnOk = UiKit::MakeButton(this, QStringLiteral("btnOk"), QStringLiteral("検索(&S)"));
    btnClose = UiKit::MakeButton(this, QStringLiteral("btnClose"), QStringLiteral("閉じる(&X)"));
    btnPref = UiKit::MakeButton(this, QStringLiteral("btnPref"), QStringLiteral("<"));
    btnNext = UiKit::MakeButton(this, QStringLiteral("btnNext"), QStringLiteral(">"));
    for (QPushButton* b : {btnPref, btnNext}) b->setFixedWidth(32);

    lvwHistoryList = new QTreeWidget(this);
    lvwHistoryList->setObjectName(QStringLiteral("lvwHistoryList"));
    lvwHistoryList->setRootIsDecorated(false);
    lvwHistoryList->setUniformRowHeights(true);
    lvwHistoryList->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvwHistoryList->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwHistoryList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwHistoryList->setHeaderLabels({QStringLiteral("日時"), QStringLiteral("顧客名"), QStringLiteral("件名"),
                                     QStringLiteral("対応区分"), QStringLiteral("対応結果"), QStringLiteral("対応者"),
                                     QStringLiteral("対応番号"), QStringLiteral("代表電話番号")});
    const int widths[] = {130, 100, 120, 100, 100, 80, 0, 0};
    for (int i = 0; i < 8; ++i) lvwHistoryList->setColumnWidth(i, widths[i]);
    lvwHistoryList->setColumnHidden(colActNo, true);
    lvwHistoryList->setColumnHidden(colCustTelNon, true);
    // The selection stays visible when the list loses the focus.
    QPalette pal = lvwHistoryList->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    lvwHistoryList->setPalette(pal);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    auto label = [this](const QString& t) { return UiKit::MakeLabel(this, t); };
    grid->addWidget(label(QStringLiteral("検索文字")), 0, 0);
    auto* text = new QHBoxLayout;
    text->addWidget(cbxSearchContent, 1);
    text->addWidget(chkTitle);
    text->addWidget(chkContent);
    grid->addLayout(text, 0, 1, 1, 3);
    grid->addWidget(label(QStringLiteral("顧客名")), 1, 0);
    auto* cust = new QHBoxLayout;
    cust->addWidget(pnlCustName, 1);
    cust->addWidget(btnSearch);
    grid->addLayout(cust, 1, 1, 1, 3);
    auto* boxes = new QHBoxLayout;
    for (auto [caption, box] : {std::pair{QStringLiteral("対応者"), cbxUserName},
                                std::pair{QStringLiteral("対応区分"), cbxTypeName},
                                std::pair{QStringLiteral("対応結果"), cbxResultName}}) {
        boxes->addWidget(label(caption));
        box->setMinimumWidth(110);
        boxes->addWidget(box);
        boxes->addSpacing(6);
    }
    boxes->addStretch(1);
    grid->addLayout(boxes, 2, 0, 1, 4);
    grid->addWidget(label(QStringLiteral("期間")), 3, 0);
    auto* period = new QHBoxLayout;
    period->addWidget(chkFrom);
    period->addWidget(dtpFrom);
    period->addWidget(label(QStringLiteral("～")));
    period->addWidget(chkTo);
    period->addWidget(dtpTo);
    period->addStretch(1);
    period->addWidget(btnOk);
    grid->addLayout(period, 3, 1, 1, 3);
    grid->setColumnStretch(1, 1);

    auto* resultBar = new QHBoxLayout;
    resultBar->addWidget(label(QStringLiteral("検索結果")));
    resultBar->addStretch(1);
    resultBar->addWidget(btnPref);
    resultBar->addWidget(btnNext);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(btnClose);
    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    v->addLayout(resultBar);
    v->addWidget(lvwHistoryList, 1);
    v->addLayout(bottom);

    connect(btnOk, &QPushButton::clicked, this, &TfrmActSearch::btnOkClick);
    connect(btnSearch, &QPushButton::clicked, this, &TfrmActSearch::btnSearchClick);
    connect(btnNext, &QPushButton::clicked, this, &TfrmActSearch::btnNextClick);
    connect(btnPref, &QPushButton::clicked, this, &TfrmActSearch::btnPrefClick);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(lvwHistoryList, &QTreeWidget::itemDoubleClicked, this, &TfrmActSearch::lvwHistoryListDblClick);
    UiKit::ApplyDialogRules(this);

    FHistory = CommaText::Split(FHost.Settings().ReadText(kSection, kHistoryKey));
    FHistory.removeAll(QString());
    cbxSearchContent->addItems(FHistory);
    FTypes = FHost.ActTypes();
    FResults = FHost.ActResults();
    FUsers = FHost.Users();
    FillBox(cbxTypeName, FTypes);
    FillBox(cbxResultName, FResults);
    FillBox(cbxUserName, FUsers);

    resize(760, 460);
    setMinimumSize(size());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().right() + 1 - frameGeometry().width(), screen->availableGeometry().top());
}

TfrmActSearch::~TfrmActSearch()
{
    Log::Detail(QStringLiteral("TfrmActSearch.FormDestroy"));
}

void TfrmActSearch::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TfrmActSearch::FormShow()
{
    const QDate today = Clock::Today();
    for (QCheckBox* c : {chkFrom, chkTo, chkTitle, chkContent}) c->setChecked(true);
    dtpFrom->setDate(today);
    dtpTo->setDate(today);
    FCustNo = -1;
    pnlCustName->clear();
    cbxSearchContent->setCurrentIndex(-1);
    cbxSearchContent->setEditText(QString());
    for (QComboBox* b : {cbxUserName, cbxTypeName, cbxResultName}) b->setCurrentIndex(-1);
    lvwHistoryList->clear();
}

void TfrmActSearch::SetCustomer(int custNo, const QString& custName)
{
    FCustNo = custNo;
    pnlCustName->setText(custName);
}

void TfrmActSearch::btnSearchClick()
{
    TfrmSearch dlg(FHost.Dm(), FHost.Settings(), TSearchMode::Cust, this);
    if (Msg::ExecDialog(dlg) != QDialog::Accepted || !dlg.HasRow()) return;
    bool ok = false;
    const int custNo = dlg.Cell(8).toInt(&ok);
    if (ok) SetCustomer(custNo, dlg.Cell(1));
}

TActSearchCond TfrmActSearch::Conditions() const
{
    TActSearchCond c;
    if (chkFrom->isChecked()) c.From = dtpFrom->date();
    if (chkTo->isChecked()) c.To = dtpTo->date();
    c.CustNo = FCustNo;
    c.Text = cbxSearchContent->currentText();
    c.InTitle = chkTitle->isChecked();
    c.InContent = chkContent->isChecked();
    if (cbxTypeName->currentIndex() > 0) c.TypeId = FTypes.IdAt(cbxTypeName->currentIndex());
    if (cbxResultName->currentIndex() > 0) c.ResultId = FResults.IdAt(cbxResultName->currentIndex());
    if (cbxUserName->currentIndex() > 0) c.UserId = FUsers.IdAt(cbxUserName->currentIndex());
    return c;
}

void TfrmActSearch::AddHistory(const QString& text)
{
    if (FHistory.contains(text)) return;
    FHistory << text;
    while (FHistory.size() > kHistoryMax) FHistory.removeFirst();
    FHost.Settings().WriteText(kSection, kHistoryKey, CommaText::Join(FHistory));
    cbxSearchContent->clear();
    cbxSearchContent->addItems(FHistory);
    cbxSearchContent->setCurrentIndex(-1);
    cbxSearchContent->setEditText(text);
}

void TfrmActSearch::btnOkClick()
{
    if (chkFrom->isChecked() && chkTo->isChecked() && dtpTo->date() < dtpFrom->date()) {
        Msg::Warn(QStringLiteral("終了期間より開始期間の方が大きい日付になっています。"), this);
        dtpFrom->setFocus();
        return;
    }
    const QString text = cbxSearchContent->currentText();
    if (!text.isEmpty()) AddHistory(text);
    lvwHistoryList->clear();
    QList<QTreeWidgetItem*> items;
    for (const TAcceptRow& r : AcceptHistorySql::Search(FHost.Dm(), Conditions()))
        items << new QTreeWidgetItem({r.When(), r.CustName, r.Title, r.TypeName, r.ResultName, r.UserName,
                                      QString::number(r.ActNo), r.CustTelNon});
    lvwHistoryList->addTopLevelItems(items);
}

void TfrmActSearch::lvwHistoryListDblClick()
{
    const QTreeWidgetItem* item = lvwHistoryList->currentItem();
    if (!item || !item->isSelected()) return;
    bool ok = false;
    const int actNo = item->text(colActNo).toInt(&ok);
    const int index = FCustPages.OpenCustTab(item->text(colCustTelNon));
    TfraCust* view = FCustPages.ViewAt(index);
    if (!view) return;
    if (!ok || !view->ShowAcceptRow(actNo))
        Msg::Error(QStringLiteral("対応履歴の読み込みに失敗しました。対応履歴を再読み込みしてください。"), this);
}

void TfrmActSearch::SelectLine(int line)
{
    lvwHistoryList->setCurrentItem(lvwHistoryList->topLevelItem(line));
}

void TfrmActSearch::btnNextClick()
{
    const int count = lvwHistoryList->topLevelItemCount();
    QTreeWidgetItem* item = lvwHistoryList->currentItem();
    if (!item || !item->isSelected()) {
        if (count > 0) SelectLine(0);
        return;
    }
    const int line = lvwHistoryList->indexOfTopLevelItem(item);
    if (line + 1 >= count) return;
    SelectLine(line + 1);
    lvwHistoryListDblClick();
}

void TfrmActSearch::btnPrefClick()
{
    const int count = lvwHistoryList->topLevelItemCount();
    QTreeWidgetItem* item = lvwHistoryList->currentItem();
    if (!item || !item->isSelected()) {
        if (count > 0) SelectLine(count - 1);
        return;
    }
    const int line = lvwHistoryList->indexOfTopLevelItem(item);
    if (line <= 0) return;
    SelectLine(line - 1);
    lvwHistoryListDblClick();
}

#include "fra_cust_u.h"

#include "accept_sql_u.h"
#include "clock_u.h"
#include "cust_option_grid_u.h"
#include "cust_sql_u.h"
#include "dm_cmn_u.h"
#include "field_check_u.h"
#include "fra_accept_u.h"
#include "file_dialog_u.h"
#include "frm_search_u.h"
#include "frm_tels_u.h"
#include "log_u.h"
#include "main_host_u.h"
#include "msg_u.h"
#include "name_edit_u.h"
#include "reading_u.h"
#include "record_tabs_u.h"
#include "settings_u.h"
#include "shell_u.h"
#include "string_grid_u.h"
#include "ui_kit_u.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTextEdit>
#include <QUrl>
#include <QVBoxLayout>
#include <cstring>

namespace {
// The map service in front of "/maps?...": Google Maps, which reads the
// Japanese address search of these parameters.
const QString kMapBase = QStringLiteral("https://www.google.com");
// "Not set" in the birth date box (the old program's date 0).
const QDate kNoDate(1899, 12, 30);
// Pictures are kept small enough for the box: a camera picture would make a
// bitmap of tens of megabytes.
constexpr int kMaxPictureSide = 1024;
const QSize kPictureBox(150, 120);
// Cells of the handling list beyond the shown columns.
enum { colActDt, colTitle, colTypeName, colResultName, colUserName, colActNo, colContent };
constexpr int kDefaultActWidth = 540;
const QString kActLoadFailed =
    QStringLiteral("対応履歴の読み込みに失敗しました。対応履歴を再読み込みしてください。");

QColor InfoColour()
{
    return QApplication::palette().color(QPalette::ToolTipBase);
}

QColor WindowColour()
{
    return QApplication::palette().color(QPalette::Base);
}

} // namespace

TfraCust::TfraCust(TMainHost& host, const QString& telNo, QWidget* parent)
    : QWidget(parent), FHost(host), FOpenTelNo(telNo), FOptions(host.CustOptions())
{
    setObjectName(QStringLiteral("fraCust"));
    TSettings& settings = host.Settings();
    FUseAccept = settings.UseAccept;
    FKanaType = settings.KanaType;

    PageCust = new TRecordPages(TRecordTabBar::kNoRecordTabs, this);
    PageCust->setObjectName(QStringLiteral("PageCust"));
    PageCust->addTab(BuildBasicPage(), QStringLiteral("基　本"));

    memOthers = new QPlainTextEdit;
    memOthers->setObjectName(QStringLiteral("memOthers"));
    memOthers->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    UiKit::SetIme(memOthers, UiKit::TIme::Hiragana);
    PageCust->addTab(memOthers, QStringLiteral("備　考 "));

    auto* tabTels = new QWidget;
    tabTels->setObjectName(QStringLiteral("tabTels"));
    auto* vt = new QVBoxLayout(tabTels);
    vt->setContentsMargins(4, 4, 4, 4);
    lblTelsNote = new QLabel;
    lblTelsNote->setObjectName(QStringLiteral("lblTelsNote"));
    sgdTels = new TStringGrid(tabTels, QStringLiteral("sgdTels"),
                              {{QStringLiteral("電話番号"), 110}, {QStringLiteral("名前"), 236},
                               {QStringLiteral("音声読上名"), 309}});
    vt->addWidget(lblTelsNote);
    vt->addWidget(sgdTels, 1);
    PageCust->addTab(tabTels, QStringLiteral("関連TEL"));

    sgdOption1 = new TCustOptionGrid(nullptr, 1, 1, FOptions);
    sgdOption2 = new TCustOptionGrid(nullptr, 2, 11, FOptions);
    PageCust->addTab(sgdOption1, QStringLiteral("補足１"));
    PageCust->addTab(sgdOption2, QStringLiteral("補足２"));
    PageCust->setCornerWidget(BuildButtons(), Qt::TopRightCorner);
    PageCust->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);

    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(4);
    v->addWidget(PageCust);
    v->addWidget(BuildHistoryPages(), 1);

    // Creation steps: postal search only with postal data; both page
    // controls on their first page; picture stretch, reading caption and
    // person in charge from the settings and the main window.
    btnZipSearch->setVisible(host.Dm().PostalLookup);
    PageCust->setCurrentIndex(0);
    PageHistory->setCurrentIndex(0);
    btnStretch->setChecked(settings.ImageStretch);
    imgAvater->setScaledContents(settings.ImageStretch);
    lblCustKana->setText(settings.KanaLabel(lblCustKana->text()));
    const UiKit::TIme kanaIme[] = {UiKit::TIme::Katakana, UiKit::TIme::Hiragana, UiKit::TIme::HalfKatakana};
    UiKit::SetIme(edtCustKana, kanaIme[qBound(0, FKanaType, 2)]);
    cbxUser->addItems(host.Users().Names);

    connect(sgdTels, &QTableWidget::cellDoubleClicked, this, &TfraCust::sgdTelsDblClick);
    connect(sgdCustLog, &QTableWidget::cellDoubleClicked, this, &TfraCust::sgdCustLogDblClick);
    connect(sgdCustLog, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (richContent && row < sgdCustLog->DataRowCount())
            richContent->setPlainText(sgdCustLog->Cell(row, CallRows::colMemo));
    });
    connect(PageCust, &QTabWidget::currentChanged, this, [this] {
        sgdOption1->HideEditors();
        sgdOption2->HideEditors();
    });
    connect(edtCustName, &TNameEdit::TextCommitted, this, [this](const QString& text) {
        edtCustKana->setText(edtCustKana->text() + Reading::InKanaType(Reading::Of(text), FKanaType));
    });
    connect(edtZipCd, &QLineEdit::textChanged, this,
            [this](const QString& t) { btnZipSearch->setEnabled(!t.isEmpty()); });
    connect(dtpBirth, &QDateEdit::dateChanged, this, &TfraCust::ShowAge);

    UiKit::ApplyDialogRules(this);
    // Enter in the basic page may fill the address before the focus moves;
    // these handlers must run before the general Enter rule.
    for (QWidget* w : FBasicFields) w->installEventFilter(this);
    sgdOption1->InstallKeys();
    sgdOption2->InstallKeys();
    dtpBirth->installEventFilter(this);

    LoadCust(telNo);
}

TfraCust::~TfraCust()
{
    // The handling list's width goes back to the settings (read at the next
    // start); a list never laid out has no width of its own.
    if (FUseAccept && sgdAccept->testAttribute(Qt::WA_Resized) && sgdAccept->width() > 0)
        FHost.Settings().WriteText(QStringLiteral("CUST_FRAME"), QStringLiteral("ACT_WIDTH"),
                                   QString::number(sgdAccept->width()));
}

// ---------------------------------------------------------------- layout

QWidget* TfraCust::BuildBasicPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tabBasic"));
    auto* h = new QHBoxLayout(page);
    h->setContentsMargins(6, 6, 6, 6);
    h->setSpacing(12);

    auto* left = new QGridLayout;
    left->setHorizontalSpacing(6);
    left->setVerticalSpacing(3);
    int row = 0;
    auto addRow = [&](const QString& caption, QWidget* field, QWidget* button = nullptr) {
        auto* l = UiKit::MakeLabel(page, caption);
        left->addWidget(l, row, 0);
        if (button) {
            left->addWidget(field, row, 1);
            left->addWidget(button, row, 2);
        } else {
            left->addWidget(field, row, 1, 1, 2);
        }
        ++row;
        return l;
    };
    edtCustTel = UiKit::MakeEdit(page, QStringLiteral("edtCustTel"), UiKit::TIme::Off);
    edtFaxNo = UiKit::MakeEdit(page, QStringLiteral("edtFaxNo"), UiKit::TIme::Off);
    edtCustName = new TNameEdit(page);
    edtCustName->setObjectName(QStringLiteral("edtCustName"));
    UiKit::SetIme(edtCustName, UiKit::TIme::Hiragana);
    edtCustKana = UiKit::MakeEdit(page, QStringLiteral("edtCustKana"));
    cbxUser = new QComboBox(page);
    cbxUser->setObjectName(QStringLiteral("cbxUser"));
    edtZipCd = UiKit::MakeEdit(page, QStringLiteral("edtZipCd"), UiKit::TIme::Off);
    edtZipCd->setMaximumWidth(100);
    btnZipSearch = UiKit::MakeButton(page, QStringLiteral("btnZipSearch"), QStringLiteral("検索"));
    edtAddress = UiKit::MakeEdit(page, QStringLiteral("edtAddress"), UiKit::TIme::Hiragana);
    edtMapUrl = UiKit::MakeEdit(page, QStringLiteral("edtMapUrl"), UiKit::TIme::Off);
    edtEmail = UiKit::MakeEdit(page, QStringLiteral("edtEmail"), UiKit::TIme::Off);
    edtHpUrl = UiKit::MakeEdit(page, QStringLiteral("edtHpUrl"), UiKit::TIme::Off);
    btnMap = UiKit::MakeButton(page, QStringLiteral("btnMap"), QStringLiteral("起動..."));
    btnMail = UiKit::MakeButton(page, QStringLiteral("btnMail"), QStringLiteral("起動..."));
    btnHp = UiKit::MakeButton(page, QStringLiteral("btnHp"), QStringLiteral("起動..."));

    addRow(QStringLiteral("代表電話番号"), edtCustTel);
    addRow(QStringLiteral("FAX番号"), edtFaxNo);
    addRow(QStringLiteral("顧客名"), edtCustName);
    lblCustKana = addRow(QStringLiteral("顧客カナ"), edtCustKana);
    lblCustKana->setObjectName(QStringLiteral("lblCustKana"));
    addRow(QStringLiteral("社内担当"), cbxUser);
    auto* zip = new QHBoxLayout;
    zip->setSpacing(4);
    zip->addWidget(edtZipCd);
    zip->addWidget(btnZipSearch);
    zip->addStretch(1);
    left->addWidget(UiKit::MakeLabel(page, QStringLiteral("郵便番号")), row, 0);
    left->addLayout(zip, row++, 1, 1, 2);
    addRow(QStringLiteral("住所"), edtAddress);
    addRow(QStringLiteral("地図URL"), edtMapUrl, btnMap);
    addRow(QStringLiteral("電子メール"), edtEmail, btnMail);
    addRow(QStringLiteral("ホームページ"), edtHpUrl, btnHp);
    left->setColumnStretch(1, 1);
    left->setRowStretch(row, 1);

    auto* right = new QGridLayout;
    right->setHorizontalSpacing(6);
    right->setVerticalSpacing(3);
    imgAvater = new QLabel(page);
    imgAvater->setObjectName(QStringLiteral("imgAvater"));
    imgAvater->setFixedSize(kPictureBox);
    imgAvater->setFrameShape(QFrame::StyledPanel);
    imgAvater->setAlignment(Qt::AlignCenter);
    btnStretch = UiKit::MakeButton(page, QStringLiteral("btnStretch"), QStringLiteral("調整"));
    btnStretch->setCheckable(true);
    btnLoadImage = UiKit::MakeButton(page, QStringLiteral("btnLoadImage"), QStringLiteral("読込..."));
    auto* picButtons = new QVBoxLayout;
    picButtons->addWidget(btnStretch);
    picButtons->addWidget(btnLoadImage);
    picButtons->addStretch(1);
    dtpBirth = new QDateEdit(page);
    dtpBirth->setObjectName(QStringLiteral("dtpBirth"));
    dtpBirth->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    dtpBirth->setCalendarPopup(true);
    dtpBirth->setMinimumDate(kNoDate);
    dtpBirth->setSpecialValueText(QStringLiteral(" "));
    edtAge = UiKit::MakeEdit(page, QStringLiteral("edtAge"));
    edtAge->setReadOnly(true);
    edtAge->setFocusPolicy(Qt::NoFocus);
    edtAge->setMaximumWidth(50);
    UiKit::PaintBase(edtAge, InfoColour());
    cbxSex = new QComboBox(page);
    cbxSex->setObjectName(QStringLiteral("cbxSex"));
    cbxSex->addItems({QStringLiteral("不明"), QStringLiteral("男"), QStringLiteral("女")});

    right->addWidget(UiKit::MakeLabel(page, QStringLiteral("画像")), 0, 0, Qt::AlignTop);
    right->addWidget(imgAvater, 0, 1, 1, 2);
    right->addLayout(picButtons, 0, 3);
    right->addWidget(UiKit::MakeLabel(page, QStringLiteral("生年月日")), 1, 0);
    right->addWidget(dtpBirth, 1, 1, 1, 2);
    right->addWidget(UiKit::MakeLabel(page, QStringLiteral("年齢")), 2, 0);
    auto* age = new QHBoxLayout;
    age->addWidget(edtAge);
    age->addWidget(UiKit::MakeLabel(page, QStringLiteral("歳")));
    age->addStretch(1);
    right->addLayout(age, 2, 1, 1, 2);
    right->addWidget(UiKit::MakeLabel(page, QStringLiteral("性別")), 3, 0);
    right->addWidget(cbxSex, 3, 1);
    right->setRowStretch(4, 1);

    h->addLayout(left, 3);
    h->addLayout(right, 2);

    FBasicFields = {edtCustTel, edtFaxNo, edtCustName, edtCustKana, cbxUser, edtZipCd, btnZipSearch, edtAddress,
                    edtMapUrl,  edtEmail, edtHpUrl,    dtpBirth,    cbxSex,  btnStretch, btnLoadImage};

    connect(btnZipSearch, &QPushButton::clicked, this, &TfraCust::btnZipSearchClick);
    connect(btnMap, &QPushButton::clicked, this, &TfraCust::btnMapClick);
    connect(btnMail, &QPushButton::clicked, this, &TfraCust::btnMailClick);
    connect(btnHp, &QPushButton::clicked, this, &TfraCust::btnHpClick);
    connect(btnStretch, &QPushButton::clicked, this, &TfraCust::btnStretchClick);
    connect(btnLoadImage, &QPushButton::clicked, this, &TfraCust::btnLoadImageClick);
    return page;
}

QWidget* TfraCust::BuildButtons()
{
    auto* bar = new QWidget;
    bar->setObjectName(QStringLiteral("pnlCustButtons"));
    auto* h = new QHBoxLayout(bar);
    h->setContentsMargins(0, 0, 2, 2);
    h->setSpacing(2);
    QStyle* st = style();
    btnSearch = UiKit::MakeButton(bar, QStringLiteral("btnSearch"), QStringLiteral("(&S)"), QStringLiteral("検索(Alt+S)"));
    btnSearch->setIcon(st->standardIcon(QStyle::SP_FileDialogContentsView));
    btnDelete = UiKit::MakeButton(bar, QStringLiteral("btnDelete"), QStringLiteral("&D"), QStringLiteral("削除(Alt+D)"));
    btnDelete->setIcon(st->standardIcon(QStyle::SP_TrashIcon));
    btnEdit = UiKit::MakeButton(bar, QStringLiteral("btnEdit"), QStringLiteral("&E"), QStringLiteral("編集(Alt+E)"));
    btnEdit->setIcon(st->standardIcon(QStyle::SP_FileDialogDetailedView));
    btnNew = UiKit::MakeButton(bar, QStringLiteral("btnNew"), QStringLiteral("&A"), QStringLiteral("新規(Alt+A)"));
    btnNew->setIcon(st->standardIcon(QStyle::SP_FileIcon));
    btnCancel = UiKit::MakeButton(bar, QStringLiteral("btnCancel"), QStringLiteral("取消(&C)"));
    btnSave = UiKit::MakeButton(bar, QStringLiteral("btnSave"), QStringLiteral("保存(&V)"));
    for (QPushButton* b : {btnSearch, btnDelete, btnEdit, btnNew}) {
        b->setFixedWidth(52);
        h->addWidget(b);
    }
    for (QPushButton* b : {btnCancel, btnSave}) {
        b->setFixedWidth(72);
        h->addWidget(b);
    }
    connect(btnSearch, &QPushButton::clicked, this, &TfraCust::btnSearchClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfraCust::btnDeleteClick);
    connect(btnEdit, &QPushButton::clicked, this, &TfraCust::btnEditClick);
    connect(btnNew, &QPushButton::clicked, this, &TfraCust::btnNewClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfraCust::btnCancelClick);
    connect(btnSave, &QPushButton::clicked, this, &TfraCust::btnSaveClick);
    return bar;
}

QWidget* TfraCust::BuildHistoryPages()
{
    PageHistory = new TRecordPages(2, this);
    PageHistory->setObjectName(QStringLiteral("PageHistory"));
    PageHistory->Bar()->setObjectName(QStringLiteral("PageHistoryTabs"));

    auto* tabLog = new QWidget;
    tabLog->setObjectName(QStringLiteral("tabCustLog"));
    auto* v = new QVBoxLayout(tabLog);
    v->setContentsMargins(2, 2, 2, 2);
    sgdCustLog = new TStringGrid(tabLog, QStringLiteral("sgdCustLog"), CallRows::Columns(FUseAccept, false));
    sgdCustLog->SetMarkColumn(CallRows::colAct, UiKit::MarkPixmap(UiKit::kMarkEdit));
    v->addWidget(sgdCustLog);

    PageHistory->addTab(tabLog, QStringLiteral("電話履歴"));
    PageHistory->addTab(BuildAcceptPage(), QStringLiteral("対応履歴"));
    PageHistory->setTabVisible(1, FUseAccept);
    connect(PageHistory->Bar(), &TRecordTabBar::CloseRequested, this,
            [this](int index) { PageHistory->FreeRecordPage(index, 1); });
    connect(PageHistory, &QTabWidget::currentChanged, this, [this](int index) { emit CallsPageToggled(index == 0); });
    return PageHistory;
}

QWidget* TfraCust::BuildAcceptPage()
{
    tabAccept = new QWidget;
    tabAccept->setObjectName(QStringLiteral("tabAccept"));
    auto* v = new QVBoxLayout(tabAccept);
    v->setContentsMargins(2, 2, 2, 2);
    splAccept = UiKit::MakeSplitter(tabAccept, QStringLiteral("splAccept"));
    v->addWidget(splAccept);

    sgdAccept = new TStringGrid(splAccept, QStringLiteral("sgdAccept"));
    InitAcceptGrid();

    auto* right = new QWidget(splAccept);
    auto* rv = new QVBoxLayout(right);
    rv->setContentsMargins(2, 0, 0, 0);
    rv->setSpacing(2);
    auto* bar = new QHBoxLayout;
    bar->setSpacing(2);
    btnHistorySearch = UiKit::MakeGlyphButton(right, QStringLiteral("btnHistorySearch"), UiKit::TGlyph::Search,
                                              QStringLiteral("検索(Alt+S)"), QString());
    btnActDel = UiKit::MakeGlyphButton(right, QStringLiteral("btnActDel"), UiKit::TGlyph::Delete,
                                       QStringLiteral("削除(Alt+D)"), QString());
    btnActEdit = UiKit::MakeGlyphButton(right, QStringLiteral("btnActEdit"), UiKit::TGlyph::Edit,
                                        QStringLiteral("編集(Alt+E)"), QString());
    btnActAdd = UiKit::MakeGlyphButton(right, QStringLiteral("btnActAdd"), UiKit::TGlyph::Add,
                                       QStringLiteral("新規(Alt+A)"), QString());
    for (QPushButton* b : {btnHistorySearch, btnActDel, btnActEdit, btnActAdd}) bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(UiKit::MakeLabel(right, QStringLiteral("内容")));
    rv->addLayout(bar);
    richContent = new QTextEdit(right);
    richContent->setObjectName(QStringLiteral("richContent"));
    richContent->setReadOnly(true);
    richContent->setAcceptRichText(false);
    UiKit::SetIme(richContent, UiKit::TIme::Hiragana);
    UiKit::PaintBase(richContent, InfoColour());
    rv->addWidget(richContent, 1);
    splAccept->setStretchFactor(1, 1);
    // The width remembered at the last close (read once at start).
    const int width = FHost.Settings().ActWidth;
    splAccept->setSizes({width > 0 ? width : kDefaultActWidth, 400});

    connect(sgdAccept, &QTableWidget::itemSelectionChanged, this, &TfraCust::sgdAcceptClick);
    connect(sgdAccept, &QTableWidget::cellClicked, this, &TfraCust::sgdAcceptClick);
    connect(sgdAccept, &QTableWidget::cellDoubleClicked, this, &TfraCust::sgdAcceptDblClick);
    connect(btnHistorySearch, &QPushButton::clicked, this, &TfraCust::btnHistorySearchClick);
    connect(btnActDel, &QPushButton::clicked, this, &TfraCust::btnActDelClick);
    connect(btnActEdit, &QPushButton::clicked, this, &TfraCust::btnActEditClick);
    connect(btnActAdd, &QPushButton::clicked, this, &TfraCust::btnActAddClick);
    return tabAccept;
}

// ---------------------------------------------------------------- handling list and tabs

void TfraCust::InitAcceptGrid()
{
    Log::Detail(QStringLiteral("TfraCust.InitAcceptGrid"));
    sgdAccept->SetColumns({{QStringLiteral("日時"), 124},
                           {QStringLiteral("件名"), 150},
                           {QStringLiteral("区分"), 80},
                           {QStringLiteral("結果"), 80},
                           {QStringLiteral("対応者"), 80},
                           {QString(), 0, true},
                           {QString(), 0, true}});
}

void TfraCust::MakeAcceptGrid()
{
    Log::Detail(QStringLiteral("TfraCust.MakeAcceptGrid"));
    sgdAccept->ClearRows();
    btnActEdit->setEnabled(false);
    btnActDel->setEnabled(false);
    if (FCustNo == -1) return;
    const QList<TAcceptRow> rows = AcceptSql::CustAccepts(FHost.Dm(), FCustNo);
    sgdAccept->setUpdatesEnabled(false);
    sgdAccept->setRowCount(qMax(1, int(rows.size())));
    for (const TAcceptRow& r : rows)
        sgdAccept->AddRow({r.When(), r.Title, r.TypeName, r.ResultName, r.UserName, QString::number(r.ActNo),
                           r.Content});
    sgdAccept->setUpdatesEnabled(true);
    btnActEdit->setEnabled(sgdAccept->HasData());
    btnActDel->setEnabled(sgdAccept->HasData());
    sgdAcceptClick();
}

void TfraCust::sgdAcceptClick()
{
    const int row = sgdAccept->SelectedRow();
    QString content = row < 0 ? QString() : sgdAccept->Cell(row, colContent);
    richContent->setPlainText(content.replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

int TfraCust::SelectedActNo(int& actNo)
{
    const int row = sgdAccept->currentRow();
    if (row < 0) {
        Msg::Warn(QStringLiteral("対応履歴を選択してください。"), this);
        return 0;
    }
    const QString cell = sgdAccept->Cell(row, colActNo);
    if (cell.isEmpty()) return 0;
    bool ok = false;
    actNo = cell.toInt(&ok);
    if (!ok) {
        Msg::Error(kActLoadFailed, this);
        return -1;
    }
    return 1;
}

void TfraCust::sgdAcceptDblClick()
{
    int actNo = -1;
    if (SelectedActNo(actNo) == 1) OpenAcceptTab(actNo, QString(), true);
}

void TfraCust::btnActEditClick()
{
    int actNo = -1;
    if (SelectedActNo(actNo) == 1) OpenAcceptTab(actNo, QString(), false);
}

void TfraCust::btnActAddClick()
{
    OpenAcceptTab(-1, QString(), false);
}

void TfraCust::btnActDelClick()
{
    const int row = sgdAccept->currentRow();
    if (row < 0) {
        Msg::Warn(QStringLiteral("対応履歴を選択してください。"), this);
        return;
    }
    if (sgdAccept->Cell(row, colActNo).isEmpty()) return;
    if (Msg::Show(TMsgKind::Confirmation, QStringLiteral("選択されている対応履歴を削除してよろしいですか？"),
                  mbOK | mbCancel, this) != mbOK)
        return;
    int actNo = -1;
    if (SelectedActNo(actNo) != 1) return;
    FHost.Dm().DeleteRows(QStringLiteral("ACCEPT_T"), QStringLiteral("ACT_NO"), QString::number(actNo));
    MakeMainGrid();
    FHost.ReloadCallHistory();
    MakeAcceptGrid();
    FHost.ReloadAcceptHistory();
    OnFindCloseActTab(actNo);
}

void TfraCust::btnHistorySearchClick()
{
    FHost.OpenActSearch(true, FCustNo, CustName());
}

void TfraCust::OpenAcceptTab(int actNo, const QString& logNo, bool browse)
{
    const QString asBrowse = AcceptTabCaption(actNo, true);
    const QString asEdit = AcceptTabCaption(actNo, false);
    for (int i = 2; i < PageHistory->count(); ++i) {
        const QString caption = PageHistory->tabText(i);
        if (caption == asBrowse || caption == asEdit) {
            PageHistory->setCurrentIndex(i);
            return;
        }
    }
    auto* sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("tabAct"));
    const int index = PageHistory->addTab(sheet, QString());
    PageHistory->setCurrentIndex(index);
    Log::Detail(QStringLiteral("TfraCust.OpenAcceptTab LogNo=") + logNo);
    new TfraAccept(FHost, *this, sheet, browse, logNo, actNo);
}

TfraAccept* TfraCust::AcceptAt(int pageIndex) const
{
    if (pageIndex < 2 || pageIndex >= PageHistory->count()) return nullptr;
    return PageHistory->widget(pageIndex)->findChild<TfraAccept*>(QStringLiteral("fraAccept"));
}

int TfraCust::FindActPageIndex(int actNo) const
{
    int found = -1;
    for (int i = 2; i < PageHistory->count() && found < 0; ++i)
        if (const TfraAccept* a = AcceptAt(i); a && a->ActNo() == actNo) found = i;
    Log::Detail(QStringLiteral("TfraCust.FindActPageIndex=") + QString::number(found));
    return found;
}

void TfraCust::FreeActTab(int pageIndex)
{
    Log::Detail(QStringLiteral("TfraCust.FreeActTab PageIndex=") + QString::number(pageIndex));
    if (pageIndex <= 0) return;
    PageHistory->FreeRecordPage(pageIndex, 1);
}

void TfraCust::OnFindCloseActTab(int actNo)
{
    Log::Detail(QStringLiteral("ActNo=") + QString::number(actNo));
    const int index = FindActPageIndex(actNo);
    if (index != -1) FreeActTab(index);
}

void TfraCust::PostCloseActTab(int actNo)
{
    // The editor asking is still running its button handler.
    QMetaObject::invokeMethod(
        this,
        [this, wParam = actNo == -1 ? 0 : actNo] {
            Log::Detail(QStringLiteral("TfraCust.OnFindCloseActTab begin"));
            OnFindCloseActTab(wParam == 0 ? -1 : wParam);
        },
        Qt::QueuedConnection);
}

void TfraCust::SetActTabCaption(QWidget* sheet, const QString& caption)
{
    const int index = PageHistory->indexOf(sheet);
    if (index >= 0) PageHistory->setTabText(index, caption);
}

bool TfraCust::ShowAcceptRow(int actNo)
{
    PageHistory->setCurrentIndex(1);
    for (int r = 0; r < sgdAccept->DataRowCount(); ++r) {
        if (sgdAccept->Cell(r, colActNo) == QString::number(actNo)) {
            sgdAccept->selectRow(r);
            sgdAccept->setCurrentCell(r, 0);
            sgdAcceptClick();
            return true;
        }
    }
    return false;
}

QStringList TfraCust::CustSnapshot() const
{
    QStringList s;
    for (const QLineEdit* e : {edtCustTel, edtFaxNo, static_cast<QLineEdit*>(edtCustName), edtCustKana, edtZipCd,
                               edtAddress, edtMapUrl, edtEmail, edtHpUrl})
        s << e->text();
    s << QString::number(cbxUser->currentIndex()) << QString::number(cbxSex->currentIndex())
      << dtpBirth->date().toString(Qt::ISODate) << memOthers->toPlainText()
      << QString::number(qint64(FPicture.cacheKey()));
    TCust c;
    sgdOption1->CollectValues(c);
    sgdOption2->CollectValues(c);
    for (const QString& o : c.OPTION) s << o;
    return s;
}

bool TfraCust::HasUnsavedInput() const
{
    if (!FBrowse && CustSnapshot() != FCustSnapshot) return true;
    for (int i = 2; i < PageHistory->count(); ++i)
        if (const TfraAccept* a = AcceptAt(i); a && a->HasUnsavedInput()) return true;
    return false;
}

// ---------------------------------------------------------------- load and mode

QString TfraCust::CustName() const
{
    return edtCustName->text();
}

void TfraCust::ClearFields()
{
    FCustNo = -1;
    FCustTelNon.clear();
    for (QLineEdit* e : {edtCustTel, edtFaxNo, static_cast<QLineEdit*>(edtCustName), edtCustKana, edtZipCd,
                         edtAddress, edtMapUrl, edtEmail, edtHpUrl})
        e->clear();
    SetBirth(QDateTime());
    cbxSex->setCurrentIndex(0);
    memOthers->clear();
    const QString me = FHost.SignedInUserId();
    cbxUser->setCurrentIndex(me.isEmpty() ? -1 : FHost.Users().IndexOfId(me));
    sgdOption1->ClearValues();
    sgdOption2->ClearValues();
    ShowPicture(QImage());
}

void TfraCust::LoadCust(const QString& telNo)
{
    Log::Detail(QStringLiteral("TfraCust.LoadCust TelNo=") + telNo);
    ClearFields();
    if (telNo.isEmpty()) {
        SetCustMode(false, QString());
    } else {
        TdmCmn& dm = FHost.Dm();
        TTels tels;
        const QString custTelNon = dm.GetTels(telNo, tels) ? tels.CUST_TEL_NON : telNo;
        TCust c;
        if (dm.GetCustData(custTelNon, c)) {
            FCustNo = c.CUST_NO;
            FCustTelNon = custTelNon;
            edtCustTel->setText(c.CUST_TEL);
            edtFaxNo->setText(c.FAX_NO);
            edtCustName->setText(c.CUST_NAME);
            edtCustKana->setText(c.CUST_KANA);
            edtZipCd->setText(c.ZIP_CD);
            edtAddress->setText(c.ADDRESS);
            edtMapUrl->setText(c.MAP_URL);
            edtEmail->setText(c.EMAIL);
            edtHpUrl->setText(c.HP_URL);
            memOthers->setPlainText(c.OTHERS);
            cbxSex->setCurrentIndex(c.SEX >= 0 && c.SEX <= 2 ? c.SEX : -1);
            SetBirth(c.BIRTH_DT);
            cbxUser->setCurrentIndex(c.USERID.isEmpty() ? -1 : FHost.Users().IndexOfId(c.USERID));
            sgdOption1->LoadValues(c);
            sgdOption2->LoadValues(c);
            QImage picture;
            if (!dm.LoadImageField(QStringLiteral("CUSTOMER"), QStringLiteral("AVATER"), QString::number(FCustNo),
                                   QStringLiteral("CUST_NO"), picture))
                picture = UiKit::PlaceholderPicture().toImage();
            ShowPicture(picture);
            SetCustMode(true, custTelNon);
        } else {
            FCustTelNon = custTelNon;
            edtCustTel->setText(custTelNon);
            SetCustMode(false, custTelNon);
        }
    }
    ReloadLists();
}

void TfraCust::ReloadLists()
{
    lblTelsNote->setText(QStringLiteral("代表電話番号") + FCustTelNon +
                         QStringLiteral("に紐づけて「電話帳」に登録されている内容です。"));
    MakeTelsGrid();
    MakeMainGrid();
    if (FUseAccept) MakeAcceptGrid();
}

QString TfraCust::TabCaption(const QString& telNo, bool browse)
{
    const QString label = telNo.isEmpty() ? QStringLiteral(" 新 規") : StripHyphen(telNo);
    return label.leftJustified(15, QLatin1Char(' '), true) + (browse ? QLatin1Char('B') : QLatin1Char('E'));
}

void TfraCust::SetCustMode(bool browse, const QString& telNo)
{
    FBrowse = browse;
    FHost.SetCustTabCaption(this, TabCaption(telNo, browse));
    const QColor base = browse ? InfoColour() : WindowColour();
    for (QWidget* w : FBasicFields) {
        w->setEnabled(!browse);
        if (qobject_cast<QPushButton*>(w)) continue;
        UiKit::PaintBase(w, base);
        UiKit::KeepTextWhenDisabled(w);
    }
    memOthers->setReadOnly(browse);
    UiKit::PaintBase(memOthers, base);
    sgdOption1->SetEditable(!browse, base);
    sgdOption2->SetEditable(!browse, base);
    btnZipSearch->setEnabled(!browse && !edtZipCd->text().isEmpty());
    btnSave->setEnabled(!browse);
    btnCancel->setEnabled(!browse);
    UiKit::PaintButton(btnSave, browse ? QColor() : UiKit::kSaveColor);
    UiKit::PaintButton(btnCancel, browse ? QColor() : UiKit::kCancelColor);
    const bool stored = browse && FCustNo != -1;
    btnNew->setEnabled(stored);
    btnEdit->setEnabled(stored);
    btnDelete->setEnabled(stored);
    FCustSnapshot = CustSnapshot();
}

bool TfraCust::CollectCust(TCust& c)
{
    auto refuse = [this](QWidget* field, int page) {
        PageCust->setCurrentIndex(page);
        field->setFocus();
        return false;
    };
    if (edtCustTel->text().isEmpty()) {
        Msg::Warn(QStringLiteral("代表電話番号を入力してください。"), this);
        return refuse(edtCustTel, 0);
    }
    if (edtCustName->text().isEmpty()) {
        Msg::Warn(QStringLiteral("顧客名を入力してください。"), this);
        return refuse(edtCustName, 0);
    }
    // Columns and their sizes in bytes: a refusal here, not a database error.
    const struct
    {
        QLineEdit* Field;
        const char* Caption;
        int Bytes;
    } fields[] = {{edtCustTel, "代表電話番号", 30}, {edtFaxNo, "FAX番号", 30}, {edtCustName, "顧客名", 100},
                  {edtCustKana, nullptr, 100},       {edtZipCd, "郵便番号", 10}, {edtAddress, "住所", 255},
                  {edtMapUrl, "地図URL", 600},       {edtEmail, "電子メール", 100}, {edtHpUrl, "ホームページ", 255}};
    for (const auto& f : fields) {
        const QString caption = f.Caption ? QString::fromUtf8(f.Caption) : lblCustKana->text();
        if (!FieldCheck::Storable(caption, f.Field->text(), f.Bytes, this)) return refuse(f.Field, 0);
    }
    if (!FieldCheck::Storable(QStringLiteral("備考"), memOthers->toPlainText(), 0, this)) return refuse(memOthers, 1);

    c = TCust();
    c.CUST_NO = FCustNo;
    c.CUST_TEL = edtCustTel->text();
    c.CUST_TEL_NON = StripHyphen(c.CUST_TEL);
    c.FAX_NO = edtFaxNo->text();
    c.FAX_NO_NON = StripHyphen(c.FAX_NO);
    c.CUST_NAME = edtCustName->text();
    c.CUST_KANA = edtCustKana->text();
    c.ZIP_CD = edtZipCd->text();
    c.ADDRESS = edtAddress->text();
    c.MAP_URL = edtMapUrl->text();
    c.EMAIL = edtEmail->text();
    c.HP_URL = edtHpUrl->text();
    c.BIRTH_DT = Birth();
    c.SEX = qint16(cbxSex->currentIndex());
    c.OTHERS = memOthers->toPlainText();
    c.USERID = cbxUser->currentIndex() > 0 ? FHost.Users().IdAt(cbxUser->currentIndex()) : QString();
    sgdOption1->CollectValues(c);
    sgdOption2->CollectValues(c);
    for (int i = 1; i <= TCustOptions::kFields; ++i) {
        if (!FieldCheck::Storable(FOptions.Labels[size_t(i)], c.OPTION[size_t(i)], 255, this))
            return refuse(i <= 10 ? static_cast<QWidget*>(sgdOption1) : sgdOption2, i <= 10 ? 3 : 4);
    }
    return true;
}

// ---------------------------------------------------------------- buttons

void TfraCust::btnSaveClick()
{
    sgdOption1->HideEditors();
    sgdOption2->HideEditors();
    TCust c;
    if (!CollectCust(c)) return;
    TdmCmn& dm = FHost.Dm();
    if (FCustNo == -1) {
        if (dm.RowExists(QStringLiteral("CUSTOMER"), QStringLiteral("CUST_TEL_NON"), SqlQuote(c.CUST_TEL_NON))) {
            if (Msg::Show(TMsgKind::Warning,
                          QStringLiteral("既に同じ代表電話番号が存在するため登録できません。\n"
                                         "登録済みの顧客情報を開いて確認しますか？"),
                          mbYes | mbNo, this) == mbYes)
                FHost.OpenCustTab(c.CUST_TEL_NON);
            return;
        }
        FCustNo = dm.InsertCustData(c);
    } else {
        // Another copy may have deleted the customer since it was loaded: an
        // update would then write nothing and the input would be lost.
        if (!dm.RowExists(QStringLiteral("CUSTOMER"), QStringLiteral("CUST_NO"), QString::number(FCustNo))) {
            Msg::Warn(QStringLiteral("この顧客情報は他の端末で削除されています。\n"
                                     "もう一度保存すると新しい顧客情報として登録します。"),
                      this);
            FCustNo = -1;
            return;
        }
        dm.UpdateCustData(c);
    }
    FCustTelNon = c.CUST_TEL_NON;
    dm.SaveImageField(QStringLiteral("CUSTOMER"), QStringLiteral("AVATER"), QString::number(FCustNo),
                      QStringLiteral("CUST_NO"), FPicture);

    // The number's phone-book row takes the customer's name.
    TTels tels;
    if (dm.GetTels(c.CUST_TEL_NON, tels) && tels.CALLER != c.CUST_NAME) {
        tels.CUST_TEL_NON = c.CUST_TEL_NON;
        tels.CALLER = c.CUST_NAME;
        tels.READ_NAME = c.CUST_KANA;
        dm.UpdateTels(tels);
        TUpTable up;
        up.UpTels = true;
        FHost.RefreshAndNotify(up);
    }
    SetCustMode(true, c.CUST_TEL);
    ReloadLists();
}

void TfraCust::btnEditClick()
{
    TCust c;
    if (CollectCust(c)) SetCustMode(false, c.CUST_TEL);
}

void TfraCust::btnNewClick()
{
    FHost.OpenCustTab(QString());
}

void TfraCust::btnDeleteClick()
{
    if (Msg::Show(TMsgKind::Confirmation, QStringLiteral("このデータを削除してもよろしいですか？"), mbYes | mbNo, this) !=
        mbYes)
        return;
    TdmCmn& dm = FHost.Dm();
    const QString no = QString::number(FCustNo);
    dm.DeleteRows(QStringLiteral("CUSTOMER"), QStringLiteral("CUST_NO"), no);
    dm.DeleteRows(QStringLiteral("ACCEPT_T"), QStringLiteral("CUST_NO"), no);
    FHost.RequestCloseActiveTab();
}

void TfraCust::btnCancelClick()
{
    LoadCust(FOpenTelNo);
    if (FCustNo == -1) FHost.RequestCloseActiveTab();
}

void TfraCust::btnSearchClick()
{
    Log::Detail(QStringLiteral("TfrmMain.btnSearchClick"));
    TfrmSearch dlg(FHost.Dm(), FHost.Settings(), TSearchMode::Cust, FHost.HostWindow());
    if (Msg::ExecDialog(dlg) != QDialog::Accepted || !dlg.HasRow()) return;
    FHost.SetCallNumber(QString());
    FHost.SetCallName(QString());
    FHost.OpenCustTab(dlg.Cell(0));
}

// ---------------------------------------------------------------- picture

QImage TfraCust::ReadPicture(const QString& file)
{
    QImageReader reader(file);
    // A ".jpg" is a JPEG whatever its letter case says.
    if (QFileInfo(file).suffix().compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0)
        reader.setFormat("jpeg");
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && qMax(size.width(), size.height()) > kMaxPictureSide)
        reader.setScaledSize(size.scaled(kMaxPictureSide, kMaxPictureSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull()) {
        Log::Detail(QStringLiteral("TfraCust.ReadPicture ") + file + QStringLiteral(" ") + reader.errorString());
        return image;
    }
    if (qMax(image.width(), image.height()) > kMaxPictureSide)
        image = image.scaled(kMaxPictureSide, kMaxPictureSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_RGB32);
}

void TfraCust::ShowPicture(const QImage& image)
{
    FPicture = image;
    if (image.isNull()) {
        imgAvater->clear();
        return;
    }
    QPixmap pm = QPixmap::fromImage(image);
    // Centred, and shrunk when larger than the box unless it is stretched.
    if (!imgAvater->hasScaledContents() && (pm.width() > kPictureBox.width() || pm.height() > kPictureBox.height()))
        pm = pm.scaled(kPictureBox, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    imgAvater->setPixmap(pm);
}

void TfraCust::btnLoadImageClick()
{
    const QString file = FileDlg::OpenFile(FHost.HostWindow(), QStringLiteral("画像を開く"), QString(),
                                           QStringLiteral("画像ファイル (*.bmp *.jpg *.jpeg *.png *.gif);;"
                                                          "すべてのファイル (*)"));
    if (file.isEmpty()) return;
    const QImage image = ReadPicture(file);
    if (image.isNull()) {
        Msg::Warn(QStringLiteral("画像ファイルを読み込めませんでした。"), this);
        return;
    }
    ShowPicture(image);
}

void TfraCust::btnStretchClick()
{
    const bool on = btnStretch->isChecked();
    imgAvater->setScaledContents(on);
    ShowPicture(FPicture);
    TSettings& s = FHost.Settings();
    s.WriteFlag(QStringLiteral("CUST_INFO"), QStringLiteral("IMAGE_STRETCH"), on);
    s.ImageStretch = on;
}

// ---------------------------------------------------------------- launchers

QString TfraCust::MapSearchUrl(const QString& address)
{
    QString q;
    for (const char b : address.toUtf8()) {
        const uchar c = uchar(b);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            (c != 0 && std::strchr("@*._-$!'()", c)))
            q += QLatin1Char(char(c));
        else if (c == ' ')
            q += QLatin1Char('+');
        else
            q += QStringLiteral("%%1").arg(c, 2, 16, QLatin1Char('0')).toUpper();
    }
    return kMapBase + QStringLiteral("/maps?hl=ja&source=hp&q=") + q + QStringLiteral("&lr=&um=1&ie=UTF-8&sa=N&tab=wl");
}

void TfraCust::btnMapClick()
{
    bool ok;
    if (!edtMapUrl->text().isEmpty()) {
        ok = Shell::OpenUrl(QUrl::fromUserInput(edtMapUrl->text()));
    } else if (edtAddress->text().isEmpty()) {
        Msg::Warn(QStringLiteral("地図URLを入力してください。"), this);
        if (!FBrowse) edtMapUrl->setFocus();
        return;
    } else {
        ok = Shell::OpenUrl(QUrl(MapSearchUrl(edtAddress->text()), QUrl::StrictMode));
    }
    if (!ok) Msg::Warn(QStringLiteral("ブラウザの起動に失敗しました。"), this);
}

void TfraCust::btnHpClick()
{
    if (edtHpUrl->text().isEmpty()) {
        Msg::Warn(QStringLiteral("ホームページを入力してください。"), this);
        if (!FBrowse) edtHpUrl->setFocus();
        return;
    }
    if (!Shell::OpenUrl(QUrl::fromUserInput(edtHpUrl->text())))
        Msg::Warn(QStringLiteral("ブラウザの起動に失敗しました。"), this);
}

void TfraCust::btnMailClick()
{
    const bool ok = Shell::OpenUrl(QUrl(QStringLiteral("mailto:") + edtEmail->text()));
    if (ok) return;
    Log::Detail(QStringLiteral("TfraCust.btnMailClick result=0"));
    Msg::Warn(QStringLiteral("メーラーの起動に失敗しました。"), this);
}

// ---------------------------------------------------------------- postal code

void TfraCust::btnZipSearchClick()
{
    edtAddress->setText(FHost.Dm().GetPostAddress(edtZipCd->text()));
}

void TfraCust::FillAddress()
{
    if (FHost.Dm().PostalLookup && !edtZipCd->text().isEmpty() && edtAddress->text().isEmpty())
        edtAddress->setText(FHost.Dm().GetPostAddress(edtZipCd->text()));
}

bool TfraCust::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && FBasicFields.contains(qobject_cast<QWidget*>(watched))) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) FillAddress();
    }
    // An unset birth date opens its calendar on today, not on the year 1899.
    // The calendar is made on the first press only: it is costly to build.
    if (watched == dtpBirth && event->type() == QEvent::MouseButtonPress && !FCalendarWatched) {
        FCalendarWatched = true;
        dtpBirth->calendarWidget()->installEventFilter(this);
    }
    if (event->type() == QEvent::Show && FCalendarWatched && watched == dtpBirth->calendarWidget() &&
        dtpBirth->date() == kNoDate)
        dtpBirth->calendarWidget()->setCurrentPage(Clock::Today().year(), Clock::Today().month());
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- birth and age

int TfraCust::Age(const QDate& birth, const QDate& today)
{
    int years = today.year() - birth.year();
    if (today.month() < birth.month() || (today.month() == birth.month() && today.day() < birth.day())) --years;
    return years;
}

void TfraCust::SetBirth(const QDateTime& birth)
{
    dtpBirth->setDate(birth.isValid() && birth.date() != kNoDate ? birth.date() : kNoDate);
    ShowAge();
}

QDateTime TfraCust::Birth() const
{
    return dtpBirth->date() == kNoDate ? QDateTime() : dtpBirth->date().startOfDay();
}

void TfraCust::ShowAge()
{
    const QDateTime birth = Birth();
    edtAge->setText(birth.isValid() ? QString::number(Age(birth.date(), Clock::Today())) : QString());
}

// ---------------------------------------------------------------- lists

void TfraCust::MakeTelsGrid()
{
    Log::Detail(QStringLiteral("TfraCust.MakeMainGrid"));
    sgdTels->ClearRows();
    if (FCustTelNon.isEmpty()) return;
    for (const TTels& t : CustSql::RelatedTels(FHost.Dm(), FCustTelNon)) sgdTels->AddRow({t.TEL_NO, t.CALLER, t.READ_NAME});
}

void TfraCust::MakeMainGrid()
{
    Log::Detail(QStringLiteral("TfraCust.MakeMainGrid"));
    sgdCustLog->ClearRows();
    if (FCustTelNon.isEmpty()) return;
    CallRows::Fill(sgdCustLog, CustSql::CustCalls(FHost.Dm(), FCustTelNon), FUseAccept);
}

bool TfraCust::CallsPageShown() const
{
    return PageHistory->currentIndex() == 0;
}

void TfraCust::EditSelectedCallMemo()
{
    const int row = sgdCustLog->SelectedRow();
    if (row < 0) return;
    FHost.EditCallMemo(sgdCustLog->Cell(row, CallRows::colLogNo), sgdCustLog->Cell(row, CallRows::colMemo));
}

void TfraCust::sgdCustLogDblClick(int row, int column)
{
    Log::Detail(QStringLiteral("TfrmMain.DBGrid1DblClick"));
    if (row < 0 || row >= sgdCustLog->DataRowCount()) return;
    switch (column) {
    case CallRows::colMemo:
        FHost.EditCallMemo(sgdCustLog->Cell(row, CallRows::colLogNo), sgdCustLog->Cell(row, CallRows::colMemo));
        break;
    case CallRows::colTelNo: ShowTelBook(FHost, sgdCustLog->Cell(row, CallRows::colTelNo)); break;
    case CallRows::colAct: sgdCustLogActDblClick(row); break;
    default: break;
    }
}

void TfraCust::sgdCustLogActDblClick(int row)
{
    // An existing record opens for reading; a call without one opens a new
    // record linked to that call.
    if (!FUseAccept) return;
    const QString act = sgdCustLog->Cell(row, CallRows::colAct);
    if (act.isEmpty()) {
        OpenAcceptTab(-1, sgdCustLog->Cell(row, CallRows::colLogNo), false);
        return;
    }
    bool ok = false;
    const int actNo = act.toInt(&ok);
    if (!ok) {
        Msg::Error(kActLoadFailed, this);
        return;
    }
    OpenAcceptTab(actNo, QString(), true);
}

void TfraCust::sgdTelsDblClick(int row, int)
{
    if (row < 0 || row >= sgdTels->DataRowCount()) return;
    ShowTelBook(FHost, sgdTels->Cell(row, 0));
}

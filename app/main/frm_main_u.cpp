#include "frm_main_u.h"

#include "db_start_u.h"
#include "dm_cmn_u.h"
#include "errors_u.h"
#include "frm_memo_u.h"
#include "hand_off_u.h"
#include "fra_sip_audio_u.h"
#include "set_sip_u.h"
#include "softphone_u.h"
#include "speech_u.h"
#include "tel_receive_u.h"
#include "udp_notify_u.h"
#include "log_u.h"
#include "main_tab_bar_u.h"
#include "msg_u.h"
#include "os_info_u.h"
#include "version_u.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {
// Registry stand-in: the per-user settings of the window.
std::unique_ptr<QSettings> OpenRegistry()
{
    auto reg = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QStringLiteral("hoshiba"), QStringLiteral("kuruten3"));
    reg->beginGroup(QStringLiteral("Initialize"));
    return reg;
}

int RegInt(QSettings& reg, const QString& name, int def)
{
    bool ok = false;
    const int v = reg.value(name).toString().toInt(&ok);
    return ok ? v : def;
}

bool RegFlag(QSettings& reg, const QString& name, bool def)
{
    if (!reg.contains(name)) return def;
    return reg.value(name).toString() == QLatin1String("1");
}
} // namespace

TfrmMain::TfrmMain(TSettings& settings, TAppState& state, TdmCmn& dm, QWidget* parent)
    : QMainWindow(parent), FSettings(settings), FState(state), FDm(dm),
      FTelReceive(std::make_unique<TTelReceive>(dm, settings))
{
    setObjectName(QStringLiteral("frmMain"));
    BuildUi();
    // The memo window lives as long as the main window.
    FfrmMemo = new TfrmMemo(this);
}

TfrmMain::~TfrmMain() = default;

// ---------------------------------------------------------------- layout

void TfrmMain::SetHint(QWidget* w, const QString& hint)
{
    w->setToolTip(hint);
    w->setStatusTip(hint);
}

QPushButton* TfrmMain::MakeButton(const QString& name, const QString& caption, const QString& hint)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    if (!hint.isEmpty()) SetHint(b, hint);
    return b;
}

void TfrmMain::BuildUi()
{
    setWindowTitle(QStringLiteral("くるてん３"));
    resize(kDesignedWidth, kDesignedHeight);
    auto* central = new QWidget;
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(4, 4, 4, 0);
    v->setSpacing(4);
    v->addWidget(BuildTitleStrip());
    v->addWidget(BuildButtonPages());
    v->addWidget(BuildNumberRow());
    v->addWidget(BuildMainPages(), 1);
    setCentralWidget(central);
    BuildStatusBar();
    BuildMenus();

    connect(btnMemo, &QPushButton::clicked, this, &TfrmMain::btnMemoClick);
    connect(btnCustInfo, &QPushButton::clicked, this, &TfrmMain::btnCustInfoClick);
    connect(sgdLog, &QTableWidget::cellClicked, this, [this] { sgdLogClick(); });
    connect(sgdLog, &QTableWidget::cellDoubleClicked, this, &TfrmMain::sgdLogDblClick);
    connect(edtCall, &QLineEdit::editingFinished, this, &TfrmMain::edtCallExit);
    connect(PageMain, &QTabWidget::currentChanged, this, [this](int index) { tabLogShow(index == 0); });
}

QPixmap TfrmMain::TitleImage(bool highlighted) const
{
    QPixmap pm(225, 35);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 225, 0);
    g.setColorAt(0, highlighted ? QColor(255, 214, 120) : QColor(40, 90, 160));
    g.setColorAt(1, highlighted ? QColor(255, 245, 200) : QColor(120, 170, 230));
    p.fillRect(pm.rect(), g);
    QFont f = font();
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(highlighted ? QColor(120, 60, 0) : Qt::white);
    p.drawText(pm.rect().adjusted(10, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("くるてん３"));
    return pm;
}

QWidget* TfrmMain::BuildTitleStrip()
{
    auto* strip = new QWidget;
    auto* h = new QHBoxLayout(strip);
    h->setContentsMargins(0, 0, 0, 0);

    auto* titleBox = new QWidget;
    titleBox->setFixedSize(225, 35);
    ImgTitle = new QLabel(titleBox);
    ImgTitle->setObjectName(QStringLiteral("ImgTitle"));
    ImgTitle->setGeometry(0, 0, 225, 35);
    ImgTitle->setScaledContents(true);
    ImgTitle2 = new QLabel(titleBox);
    ImgTitle2->setObjectName(QStringLiteral("ImgTitle2"));
    ImgTitle2->setGeometry(0, 0, 225, 35);
    ImgTitle2->setScaledContents(true);
    ImgTitle2->hide();
    // The program's own title until a banner picture is chosen; the second
    // image is its highlighted form for the refresh blink.
    ImgTitle->setPixmap(TitleImage(false));
    ImgTitle2->setPixmap(TitleImage(true));
    h->addWidget(titleBox);

    btnPrevDay = MakeButton(QStringLiteral("btnPrevDay"), QStringLiteral("◀"));
    btnPrevDay->setFixedWidth(28);
    dtpLogDate = new QDateEdit(QDate::currentDate());
    dtpLogDate->setObjectName(QStringLiteral("dtpLogDate"));
    dtpLogDate->setDisplayFormat(QStringLiteral("yyyy年M月d日(ddd)"));
    dtpLogDate->setCalendarPopup(true);
    SetHint(dtpLogDate, QStringLiteral("選択された日付の発着信履歴が表示されます。"));
    btnNextDay = MakeButton(QStringLiteral("btnNextDay"), QStringLiteral("▶"));
    btnNextDay->setFixedWidth(28);
    h->addWidget(btnPrevDay);
    h->addWidget(dtpLogDate);
    h->addWidget(btnNextDay);

    auto* kindBox = new QGroupBox;
    kindBox->setObjectName(QStringLiteral("rgpTelType"));
    SetHint(kindBox, QStringLiteral("発着信履歴の表示対象を指定できます。"));
    auto* kh = new QHBoxLayout(kindBox);
    kh->setContentsMargins(6, 2, 6, 2);
    rgpTelType = new QButtonGroup(this);
    const QStringList kinds = {QStringLiteral("着信"), QStringLiteral("発信"), QStringLiteral("全て")};
    for (int i = 0; i < kinds.size(); ++i) {
        auto* rb = new QRadioButton(kinds[i]);
        rb->setObjectName(QStringLiteral("rbTelType%1").arg(i));
        rgpTelType->addButton(rb, i);
        kh->addWidget(rb);
    }
    rgpTelType->button(2)->setChecked(true);
    h->addWidget(kindBox);

    btnReDisp = MakeButton(QStringLiteral("btnReDisp"), QStringLiteral("再表示"));
    h->addWidget(btnReDisp);
    h->addStretch(1);

    // The day buttons act as a date change of the picker.
    connect(btnPrevDay, &QPushButton::clicked, this, [this] { dtpLogDate->setDate(HistoryDate().addDays(-1)); });
    connect(btnNextDay, &QPushButton::clicked, this, [this] { dtpLogDate->setDate(HistoryDate().addDays(1)); });
    connect(dtpLogDate, &QDateEdit::dateChanged, this, [this] {
        LoadHistory();
        if (FSettings.UseAccept) LoadAcceptHistory();
        edtCall->clear();
        pnlCallName->clear();
    });
    connect(rgpTelType, &QButtonGroup::idClicked, this, [this] {
        LoadHistory();
        edtCall->clear();
        pnlCallName->clear();
    });
    connect(btnReDisp, &QPushButton::clicked, this, &TfrmMain::btnReDispClick);
    return strip;
}

QWidget* TfrmMain::BuildButtonPages()
{
    PageMenu = new QTabWidget;
    PageMenu->setObjectName(QStringLiteral("PageMenu"));
    PageMenu->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto* basic = new QWidget;
    basic->setObjectName(QStringLiteral("tabBasic"));
    auto* hb = new QHBoxLayout(basic);
    btnCustInfo = MakeButton(QStringLiteral("btnCustInfo"), QStringLiteral("顧客情報(&I)"),
                             QStringLiteral("顧客情報表示ソフトを起動します。"));
    btnDial = MakeButton(QStringLiteral("btnDial"), QStringLiteral("発信(&C)"));
    btnTels = MakeButton(QStringLiteral("btnTels"), QStringLiteral("電話帳(&T)"),
                         QStringLiteral("電話番号の登録・編集ができます。"));
    btnTotal = MakeButton(QStringLiteral("btnTotal"), QStringLiteral("集計(&P)"),
                          QStringLiteral("発着信履歴の印刷ができます。"));
    btnHelp = MakeButton(QStringLiteral("btnHelp"), QStringLiteral("ヘルプ(&H)"), QStringLiteral("ヘルプを表示します。"));
    btnClose = MakeButton(QStringLiteral("btnClose"), QStringLiteral("閉じる(&X)"));
    btnMemo = MakeButton(QStringLiteral("btnMemo"), QStringLiteral("メモ(M)"),
                         QStringLiteral("発着信履歴のメモ画面を開きます。"));
    btnHangUp = MakeButton(QStringLiteral("btnHangUp"), QStringLiteral("切断(&D)"), QStringLiteral("電話を切断します"));
    for (QPushButton* b : {btnCustInfo, btnDial, btnTels, btnTotal, btnHelp, btnClose, btnMemo, btnHangUp})
        hb->addWidget(b);
    hb->addStretch(1);
    btnDial->hide();
    btnHangUp->hide();

    auto* maint = new QWidget;
    maint->setObjectName(QStringLiteral("tabMaint"));
    auto* hm = new QHBoxLayout(maint);
    btnSetting = MakeButton(QStringLiteral("btnSetting"), QStringLiteral("環境設定"),
                            QStringLiteral("基本的な環境設定を行います。"));
    btnInterface = MakeButton(QStringLiteral("btnInterface"), QStringLiteral("外部接続"),
                              QStringLiteral("顧客情報表示プログラムを登録できます。"));
    btnExport = MakeButton(QStringLiteral("btnExport"), QStringLiteral("データ出力"),
                           QStringLiteral("発着信履歴をCSVファイルで出力できます。"));
    btnDelete = MakeButton(QStringLiteral("btnDelete"), QStringLiteral("履歴削除"),
                           QStringLiteral("発着信履歴を削除できます。"));
    btnMaster = MakeButton(QStringLiteral("btnMaster"), QStringLiteral("マスタ登録"),
                           QStringLiteral("各種マスタを登録します。"));
    btnClose2 = MakeButton(QStringLiteral("btnClose2"), QStringLiteral("閉じる(&X)"));
    btnSetSIP = MakeButton(QStringLiteral("btnSetSIP"), QStringLiteral("通信設定"));
    btnBackup = MakeButton(QStringLiteral("btnBackup"), QStringLiteral("バックアップ"),
                           QStringLiteral("データのバックアップを行います。"));
    for (QPushButton* b : {btnSetting, btnInterface, btnExport, btnDelete, btnMaster, btnClose2, btnSetSIP, btnBackup})
        hm->addWidget(b);
    hm->addStretch(1);

    PageMenu->addTab(basic, QStringLiteral("基本"));
    PageMenu->addTab(maint, QStringLiteral("保守"));

    connect(btnClose, &QPushButton::clicked, this, &TfrmMain::btnCloseClick);
    connect(btnClose2, &QPushButton::clicked, this, &TfrmMain::btnCloseClick);
    connect(btnHelp, &QPushButton::clicked, this, &TfrmMain::btnHelpClick);
    connect(btnMaster, &QPushButton::clicked, this,
            [this] { PopMaster->popup(btnMaster->mapToGlobal(QPoint(0, btnMaster->height()))); });
    return PageMenu;
}

QWidget* TfrmMain::BuildNumberRow()
{
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* lblTel = new QLabel(QStringLiteral("TEL"));
    lblTel->setObjectName(QStringLiteral("lblTel"));
    QFont big = font();
    big.setPixelSize(27);
    edtCall = new QLineEdit;
    edtCall->setObjectName(QStringLiteral("edtCall"));
    edtCall->setFont(big);
    edtCall->setFixedWidth(260);
    edtCall->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhPreferNumbers);
    edtCall->setProperty("imeMode", QStringLiteral("close"));
    SetHint(edtCall, QStringLiteral("顧客情報表示または発信の電話番号を指定します。"));
    pnlCallName = new QLabel;
    pnlCallName->setObjectName(QStringLiteral("pnlCallName"));
    pnlCallName->setFont(big);
    pnlCallName->setAutoFillBackground(true);
    pnlCallName->setFrameShape(QFrame::Panel);
    pnlCallName->setFrameShadow(QFrame::Sunken);
    pnlCallName->setBackgroundRole(QPalette::ToolTipBase);
    pnlCallName->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    h->addWidget(lblTel);
    h->addWidget(edtCall);
    h->addWidget(pnlCallName, 1);

    // Called number and name: shown by the line device only, hidden at start.
    QFont bold = font();
    bold.setBold(true);
    pnlCalledNo = new QLabel;
    pnlCalledNo->setObjectName(QStringLiteral("pnlCalledNo"));
    pnlCalledName = new QLabel;
    pnlCalledName->setObjectName(QStringLiteral("pnlCalledName"));
    for (QLabel* p : {pnlCalledNo, pnlCalledName}) {
        p->setFont(bold);
        p->setAutoFillBackground(true);
        QPalette pal = p->palette();
        pal.setColor(QPalette::Window, QColor(192, 220, 192)); // money green
        p->setPalette(pal);
        p->hide();
        h->addWidget(p);
    }
    return row;
}

QWidget* TfrmMain::BuildMainPages()
{
    PageMain = new TMainPages;
    PageMain->setObjectName(QStringLiteral("PageMain"));
    connect(PageMain->Bar(), &TMainTabBar::CloseRequested, this, &TfrmMain::CloseCustomerPage);

    tabLog = new QWidget;
    tabLog->setObjectName(QStringLiteral("tabLog"));
    auto* v = new QVBoxLayout(tabLog);
    v->setContentsMargins(2, 2, 2, 2);
    sgdLog = new QTableWidget;
    sgdLog->setObjectName(QStringLiteral("sgdLog"));
    v->addWidget(sgdLog, 1);
    pnlAudio = new QWidget;
    pnlAudio->setObjectName(QStringLiteral("pnlAudio"));
    pnlAudio->setLayout(new QVBoxLayout);
    pnlAudio->layout()->setContentsMargins(0, 0, 0, 0);
    pnlAudio->hide();
    v->addWidget(pnlAudio);

    tabAccept = new QWidget;
    tabAccept->setObjectName(QStringLiteral("tabAccept"));
    tabAccept->setLayout(new QVBoxLayout);

    PageMain->addTab(tabLog, QStringLiteral("電話履歴"));
    PageMain->addTab(tabAccept, QStringLiteral("対応履歴"));
    return PageMain;
}

void TfrmMain::BuildStatusBar()
{
    auto* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    stbPanel0 = new QLabel;
    stbPanel1 = new QLabel;
    stbPanel2 = new QLabel;
    const int widths[] = {400, 150, 50};
    QLabel* panels[] = {stbPanel0, stbPanel1, stbPanel2};
    for (int i = 0; i < 3; ++i) {
        panels[i]->setObjectName(QStringLiteral("stbPanel%1").arg(i));
        panels[i]->setMinimumWidth(widths[i]);
        panels[i]->setFrameShape(QFrame::Panel);
        panels[i]->setFrameShadow(QFrame::Sunken);
        bar->addWidget(panels[i], i == 2 ? 1 : 0);
    }
    bar->installEventFilter(this);
    for (QLabel* p : panels) p->installEventFilter(this);
}

void TfrmMain::BuildMenus()
{
    PopTray = new QMenu(this);
    PopTray->setObjectName(QStringLiteral("PopTray"));
    connect(PopTray->addAction(QStringLiteral("開く(&O)")), &QAction::triggered, this, &TfrmMain::Open1Click);
    PopTray->addSeparator();
    connect(PopTray->addAction(QStringLiteral("終了(&C)")), &QAction::triggered, qApp, &QApplication::quit);

    PopClose = new QMenu(this);
    PopClose->setObjectName(QStringLiteral("PopClose"));
    connect(PopClose->addAction(QStringLiteral("終了(&C)")), &QAction::triggered, qApp, &QApplication::quit);

    PopIf = new QMenu(this);
    PopIf->setObjectName(QStringLiteral("PopIf"));

    PopMaster = new QMenu(this);
    PopMaster->setObjectName(QStringLiteral("PopMaster"));
    for (const QString& s : {QStringLiteral("担当者登録"), QStringLiteral("対応区分登録"), QStringLiteral("対応結果登録"),
                             QStringLiteral("顧客補足登録")})
        PopMaster->addAction(s);

    PopLog = new QMenu(this);
    PopLog->setObjectName(QStringLiteral("PopLog"));
    mnuDetailLog = PopLog->addAction(QStringLiteral("詳細ログ出力"));
    mnuDetailLog->setObjectName(QStringLiteral("mnuDetailLog"));
    mnuDetailLog->setCheckable(true);
    mnuOpenLog = PopLog->addAction(QStringLiteral("ログファイルを開く"));
    mnuOpenLog->setObjectName(QStringLiteral("mnuOpenLog"));
    connect(PopLog, &QMenu::aboutToShow, this, &TfrmMain::PopLogPopup);
    connect(mnuDetailLog, &QAction::triggered, this, &TfrmMain::mnuDetailLogClick);
    connect(mnuOpenLog, &QAction::triggered, this, &TfrmMain::mnuOpenLogClick);
}

// ---------------------------------------------------------------- creation

bool TfrmMain::FormCreate()
{
    const TEnvValues& env = FSettings.Env();
    Log::Detail(QStringLiteral("TfrmMain.FormCreate"));
    Log::Detail(QStringLiteral("gComputerName=") + env.gComputerName);
    Log::Detail(QStringLiteral("gIpAddress=") + env.gIpAddress);
    Log::Detail(QStringLiteral("gWindowsUserName=") + env.gWindowsUserName);
    Log::Detail(QStringLiteral("gExeDir=") + env.gExeDir);
    Log::Detail(QStringLiteral("OS=") + OsInfo::OsName());

    FState.StartAborted = false;
    FExeDir = env.gExeDir;
    FState.FirstShow = true;
    setMinimumSize(kDesignedWidth, kMinHeight);
    // No close in the title bar: the close buttons decide what closing means.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint);

    SetHistoryDate(QDate::currentDate());
    PageMenu->setCurrentIndex(0);
    PageMain->setCurrentIndex(0);
    setWindowTitle(QStringLiteral("くるてん３"));
    FCallStart = QDateTime();

    FSettings.WriteText(QStringLiteral("HANDLE"), QStringLiteral("MAIN_FORM"), QString::number(qulonglong(winId())));

    if (FSettings.GJouchuIdx == 1) EnterResident();

    if (!ConnectDatabase()) return false;
    if (FSettings.LoginAuth && !SignIn()) return false;
    ReadRegistry();
    if (FSettings.SpeakEnabled) CreateSpeech();
    InitNMUDP();
    MakeIfMenu();

    btnDial->show();
    btnHangUp->show();
    SetHint(btnDial, QStringLiteral("電話をかけます。"));
    SetHint(btnSetSIP, QStringLiteral("通信設定を行います。"));
    InitSoftphone();

    SetupLogGrid();
    stbPanel2->setText(VersionText());
    mnuDetailLog->setChecked(TLog::Current() && TLog::Current()->Detailed());
    mnuOpenLog->setEnabled(QFileInfo::exists(FSettings.CurrentLogFile()));

    PageMain->setTabVisible(1, FSettings.UseAccept);
    CreateLookupLists();
    SetupAcceptGrid();
    LoadBanner();
    btnBackup->setVisible(FSettings.Role() != TRole::Client);
    LoadHistory();
    return true;
}

bool TfrmMain::ConnectDatabase()
{
    return ConnectDatabaseAtStart(FDm, FSettings, this);
}

bool TfrmMain::SignIn()
{
    // Two parameters: the restart (or a shortcut) signs the same user in again.
    if (FState.Args.size() == 2) {
        TUser user;
        if (FDm.LoginUser(FState.Args[0], FState.Args[1], user)) {
            FState.User = {user.USERID, user.PASSWD};
            FDm.SignedInUser = user;
            QEventLoop wait;
            QTimer::singleShot(1000, &wait, &QEventLoop::quit);
            wait.exec();
            return true;
        }
        Msg::Warn(QStringLiteral("ユーザIDかパスワードが無効です。もしくは有効期限が過ぎています。"), this);
        Log::Detail(QStringLiteral("reboot Halt"));
        return false;
    }
    // The sign-in window arrives with the user master.
    return true;
}

void TfrmMain::CreateSpeech()
{
    if (!FSpeech) FSpeech = new TSpeech(FSettings, this);
    FSpeech->CreateEngine();
}

void TfrmMain::InitNMUDP()
{
    FUdp = new TUdpNotify(FSettings, this);
    FUdp->InitNMUDP();
    connect(FUdp, &TUdpNotify::TelNoticeReceived, this,
            [this](const QString& telNo, const QString& logNo, int portNo) {
                SubmitIncomingCall(telNo, logNo, portNo, QString());
            });
    connect(FUdp, &TUdpNotify::RefreshNoticeReceived, this, [this](const TUpTable& up) { RefreshTables(up); });
}
void TfrmMain::MakeIfMenu() {}
void TfrmMain::InitSoftphone()
{
    TVaxAgentOptions options;
    options.DnsServers = SipStart.DnsServers;
    options.UseFiles = SipStart.UseFiles;
    FPhone = new TSoftPhone(FSettings, options, this);
    FPhone->BindToListenAddress = SipStart.BindToListenAddress;
    FPhone->CreateVaxObjects(1);
    FPhone->SetAccountSource(AccountSourceOf(FDm));
    FAudio = new TfraSipAudio(*FPhone, FSettings, pnlAudio);
    pnlAudio->layout()->addWidget(FAudio);
    FAudio->InitAudioDevices();
    pnlAudio->show();
    FPhone->Ring().LoadRingWave(FExeDir + QStringLiteral("wav/incom.wav"));

    QLabel* panels[] = {stbPanel0, stbPanel1, stbPanel2};
    connect(FPhone, &TSoftPhone::StatusText, this, [panels](int panel, const QString& text) {
        if (panel >= 0 && panel < 3) panels[panel]->setText(text);
    });
    connect(FPhone, &TSoftPhone::CallButtonsChanged, this,
            [this](const QString& callCaption, int, const QString& hangUpCaption) {
                btnDial->setText(callCaption);
                btnHangUp->setText(hangUpCaption);
            });
    connect(FPhone, &TSoftPhone::CallerNameOffered, this,
            [this](const QString& telNo, const QString& name) { FTelReceive->OfferCallerName(telNo, name); });
    connect(FPhone, &TSoftPhone::IncomingCallSubmitted, this,
            [this](const QString& telNo, const QString& logNo, const QString& readName, int portNo) {
                SubmitIncomingCall(telNo, logNo, portNo, readName);
            });
    connect(FPhone, &TSoftPhone::OutgoingCallDialled, this, [this](const QString& telNo, int portNo) {
        CallDataInsert(telNo, portNo);
        if (PageMain->currentIndex() == 0) sgdLog->setFocus();
    });
    connect(FPhone, &TSoftPhone::NumberBoxFocusRequested, this, [this] { edtCall->setFocus(); });
    connect(FPhone, &TSoftPhone::SipSettingsRequested, this, [this] { ShowSetSIP(FDm, *FPhone, this); });
    connect(FPhone, &TSoftPhone::TimersStartRequested, FAudio, &TfraSipAudio::StartLevelMeter);
    connect(btnDial, &QPushButton::clicked, this, [this] { FPhone->btnCallClick(edtCall->text()); });
    connect(btnHangUp, &QPushButton::clicked, this, [this] { FPhone->btnHangUpClick(); });
    connect(btnSetSIP, &QPushButton::clicked, this, [this] { ShowSetSIP(FDm, *FPhone, this); });
}
void TfrmMain::CreateLookupLists() {}
void TfrmMain::SetupAcceptGrid() {}

void TfrmMain::SetupLogGrid()
{
    const QStringList headers = {QStringLiteral("発着信日時"), QStringLiteral("電話番号"), QStringLiteral("区分"),
                                 QStringLiteral("LINE"),       QStringLiteral("顧客名"),   QStringLiteral("メモ"),
                                 QStringLiteral("対応"),       QString(),                  QString(),
                                 QString()};
    sgdLog->setColumnCount(headers.size());
    sgdLog->setHorizontalHeaderLabels(headers);
    sgdLog->setRowCount(1);
    sgdLog->verticalHeader()->hide();
    sgdLog->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgdLog->setSelectionMode(QAbstractItemView::SingleSelection);
    sgdLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgdLog->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    const int widths[] = {149, 118, 50, 0, 159, 193, 35, 0, 0, 0};
    for (int c = 0; c < headers.size(); ++c) sgdLog->setColumnWidth(c, widths[c]);
    for (int c : {3, 7, 8, 9}) sgdLog->setColumnHidden(c, true);
    sgdLog->setColumnHidden(6, !FSettings.UseAccept);
}

void TfrmMain::LoadBanner()
{
    const QString banner = FSettings.BannerFile();
    if (!QFileInfo::exists(banner)) return;
    QPixmap pm(banner);
    if (pm.isNull()) return;
    ImgTitle->setScaledContents(FSettings.BannerStretch);
    ImgTitle->setPixmap(pm);
    ImgTitle2->setPixmap(pm);
}

QString TfrmMain::VersionText() const
{
    QString role;
    switch (FSettings.Role()) {
    case TRole::StandAlone: role = QStringLiteral(" (ｽﾀﾝﾄﾞｱﾛﾝ)"); break;
    case TRole::Client: role = QStringLiteral(" (ｸﾗｲｱﾝﾄ)"); break;
    case TRole::Server: role = QStringLiteral(" (ｻｰﾊﾞｰ)"); break;
    }
    const QString engine = FPhone && !FPhone->gVaxObjects.empty() ? FPhone->gVaxObjects[0]->VersionText() : QString();
    const QString text = QStringLiteral("Soft Phone Ver. ") + TVersion::Current().Text + role +
                         QStringLiteral(" / OCX ver. ") + engine;
    Log::Detail(text);
    return text;
}

// ---------------------------------------------------------------- show / close

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    EnsureFirstShowSteps();
    // Every show: the selected call into the number box, focus on the history.
    sgdLogClick();
    if (PageMain->currentIndex() == 0) sgdLog->setFocus();
}

void TfrmMain::EnsureFirstShowSteps()
{
    if (FState.FirstShow) FormFirstShow();
}

void TfrmMain::FormFirstShow()
{
    FState.FirstShow = false;
    // Loads the account and registers (or offers the settings); starts the
    // registration watch and the level meters.
    if (FPhone) FPhone->FirstShow(this);
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    Log::Detail(QStringLiteral("TfrmMain.FormClose"));
    event->accept();
    qApp->quit();
}

void TfrmMain::btnCloseClick()
{
    switch (FSettings.GJouchuIdx) {
    case 1:
        Log::Detail(QStringLiteral("TfrmMain.btnCloseClick 常駐"));
        hide();
        break;
    case 2:
        Log::Detail(QStringLiteral("TfrmMain.btnCloseClick 最小化"));
        showMinimized();
        break;
    default:
        Log::Detail(QStringLiteral("TfrmMain.btnCloseClick 終了"));
        close();
        break;
    }
}

void TfrmMain::FormDestroy()
{
    if (FState.ShutdownDone) return;
    FState.ShutdownDone = true;
    Log::Detail(QStringLiteral("TfrmMain.FormDestroy"));
    if (FState.StartAborted) return;
    WriteRegistry();
    if (FAudio) FAudio->WriteAudioSettings();
    FCallStart = QDateTime();
    SendEndRequests();
    if (FSettings.GJouchuIdx == 1) LeaveResident();
    if (FSettings.AutoBackup) AutoBackup();
    Log::Detail(QStringLiteral("TfrmMain.HeapFreeProc"));
    if (FPhone) FPhone->Ring().FreeRingWave();
    if (FSpeech && FSpeech->EngineExists()) FSpeech->ReleaseEngine();
    FreeLookupLists();
    TLog::PurgeOldLogs(FSettings.LogFolder(), QDateTime::currentDateTime().addDays(-100));
}

// ---------------------------------------------------------------- resident mode

void TfrmMain::EnterResident()
{
    if (!FTrayIcon && QSystemTrayIcon::isSystemTrayAvailable()) {
        FTrayIcon = new QSystemTrayIcon(windowIcon().isNull() ? QApplication::windowIcon() : windowIcon(), this);
        FTrayIcon->setObjectName(QStringLiteral("TrayIcon"));
        FTrayIcon->setToolTip(QStringLiteral("くるてん３"));
        FTrayIcon->setContextMenu(PopTray);
        connect(FTrayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
            if (r == QSystemTrayIcon::DoubleClick) Open1Click();
        });
        FTrayIcon->show();
    }
    for (QPushButton* b : {btnClose, btnClose2}) {
        b->setText(QStringLiteral("閉じる"));
        SetHint(b, QStringLiteral("画面を閉じて待機します。"));
        b->setMenu(nullptr);
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        disconnect(b, &QWidget::customContextMenuRequested, nullptr, nullptr);
        connect(b, &QWidget::customContextMenuRequested, this,
                [this, b](const QPoint& p) { PopClose->popup(b->mapToGlobal(p)); });
    }
}

void TfrmMain::LeaveResident()
{
    for (QPushButton* b : {btnClose, btnClose2}) {
        b->setText(QStringLiteral("終了"));
        SetHint(b, QStringLiteral("画面を閉じて終了します。"));
        b->setContextMenuPolicy(Qt::DefaultContextMenu);
        disconnect(b, &QWidget::customContextMenuRequested, nullptr, nullptr);
    }
    if (FTrayIcon) {
        FTrayIcon->hide();
        delete FTrayIcon;
        FTrayIcon = nullptr;
    }
}

void TfrmMain::ShowBalloon(const QString& text)
{
    if (FTrayIcon) FTrayIcon->showMessage(QStringLiteral("着信"), text.left(255), QSystemTrayIcon::Information, 10000);
}

void TfrmMain::Open1Click()
{
    show();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    Log::Detail(QStringLiteral("TfrmMain.Open1Click end"));
}

// ---------------------------------------------------------------- registry

void TfrmMain::ReadRegistry()
{
    Log::Detail(QStringLiteral("TfrmMain.ReadRegistry"));
    auto reg = OpenRegistry();
    const int state = RegInt(*reg, QStringLiteral("frmMainWindowState"), 0);
    if (state == 1) {
        QPoint pos(RegInt(*reg, QStringLiteral("frmMainLeft"), 0), RegInt(*reg, QStringLiteral("frmMainTop"), 0));
        if (!QGuiApplication::screenAt(pos)) pos = QPoint(0, 0);
        move(pos);
        resize(qMax(kDesignedWidth, RegInt(*reg, QStringLiteral("frmMainWidth"), kDesignedWidth)),
               qMax(kMinHeight, RegInt(*reg, QStringLiteral("frmMainHeight"), kMinHeight)));
    } else if (state == 2) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        move(0, 0);
    }
    ExportPaths.ExpPath = reg->value(QStringLiteral("ExpPath")).toString();
    ExportPaths.ExpTaiPath = reg->value(QStringLiteral("ExpTaiPath")).toString();
    ExportPaths.ExpCustPath = reg->value(QStringLiteral("ExpCustPath")).toString();
    ExportPaths.ExpTelsPath = reg->value(QStringLiteral("ExpTelsPath")).toString();
    ExportPaths.ExportDelCrlfTel = RegFlag(*reg, QStringLiteral("ExportDelCrlfTel"), true);
    ExportPaths.ExportDelCrlfTai = RegFlag(*reg, QStringLiteral("ExportDelCrlfTai"), true);
    ExportPaths.ExportDelCrlfCust = RegFlag(*reg, QStringLiteral("ExportDelCrlfCust"), true);
}

void TfrmMain::WriteRegistry()
{
    Log::Detail(QStringLiteral("TfrmMain.WriteRegistry"));
    auto reg = OpenRegistry();
    const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
    reg->setValue(QStringLiteral("frmMainLeft"), QString::number(r.x()));
    reg->setValue(QStringLiteral("frmMainTop"), QString::number(r.y()));
    reg->setValue(QStringLiteral("frmMainHeight"), QString::number(r.height()));
    reg->setValue(QStringLiteral("frmMainWidth"), QString::number(r.width()));
    int state = 3;
    if (isMaximized()) state = 2;
    else if (!isMinimized()) state = 1;
    reg->setValue(QStringLiteral("frmMainWindowState"), QString::number(state));
    reg->setValue(QStringLiteral("frmMainActWidth"), QString::number(0));
    reg->setValue(QStringLiteral("ExpPath"), ExportPaths.ExpPath);
    reg->setValue(QStringLiteral("ExpTaiPath"), ExportPaths.ExpTaiPath);
    reg->setValue(QStringLiteral("ExpCustPath"), ExportPaths.ExpCustPath);
    reg->setValue(QStringLiteral("ExpTelsPath"), ExportPaths.ExpTelsPath);
    reg->setValue(QStringLiteral("ExportDelCrlfTel"), TSettings::FlagToText(ExportPaths.ExportDelCrlfTel));
    reg->setValue(QStringLiteral("ExportDelCrlfTai"), TSettings::FlagToText(ExportPaths.ExportDelCrlfTai));
    reg->setValue(QStringLiteral("ExportDelCrlfCust"), TSettings::FlagToText(ExportPaths.ExportDelCrlfCust));
    reg->sync();
}

// ---------------------------------------------------------------- history

QDate TfrmMain::HistoryDate() const
{
    return dtpLogDate->date();
}

void TfrmMain::SetHistoryDate(const QDate& date)
{
    // Callers reload what they need themselves.
    const QSignalBlocker block(dtpLogDate);
    dtpLogDate->setDate(date);
}

void TfrmMain::btnReDispClick()
{
    TUpTable all;
    all.UpLog = all.UpTels = all.UpAccept = all.UpUser = all.UpActType = all.UpActResult = all.UpCustOption =
        all.UpCustOptionData = all.UpSpare = true;
    RefreshTables(all);
    // Then blink the title: six toggles of the second image, 500 ms apart.
    if (!FTitleBlink) {
        FTitleBlink = new QTimer(this);
        FTitleBlink->setInterval(500);
        connect(FTitleBlink, &QTimer::timeout, this, [this] {
            if (FTitleBlinkCount >= 6) {
                FTitleBlink->stop();
                ImgTitle2->hide();
                return;
            }
            ImgTitle2->setVisible(!ImgTitle2->isVisible());
            ++FTitleBlinkCount;
        });
    }
    FTitleBlinkCount = 0;
    ImgTitle2->setVisible(true);
    FTitleBlinkCount = 1;
    FTitleBlink->start();
}

// ---------------------------------------------------------------- help, log menu

void TfrmMain::btnHelpClick()
{
    const QString help = FExeDir + QStringLiteral("help/index.html");
    if (!QFileInfo::exists(help)) {
        Msg::Warn(QStringLiteral("ヘルプファイルが見つかりません。"), this);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(help)))
        Msg::Warn(QStringLiteral("プログラムの起動に失敗しました。"), this);
}

void TfrmMain::PopLogPopup()
{
    mnuOpenLog->setEnabled(QFileInfo::exists(FSettings.CurrentLogFile()));
}

void TfrmMain::mnuDetailLogClick()
{
    TLog* log = TLog::Current();
    // The action toggled itself already; act on the state it had before.
    const bool wasOn = !mnuDetailLog->isChecked();
    if (wasOn) {
        mnuDetailLog->setChecked(false);
        if (log) log->SetDetailed(false);
        FSettings.WriteText(QStringLiteral("COMMON"), QStringLiteral("DEBUG"), QStringLiteral("0"));
    } else {
        QFile::remove(FSettings.CurrentLogFile());
        mnuOpenLog->setEnabled(false);
        mnuDetailLog->setChecked(true);
        if (log) log->SetDetailed(true);
        FSettings.WriteText(QStringLiteral("COMMON"), QStringLiteral("DEBUG"), QStringLiteral("1"));
    }
}

void TfrmMain::mnuOpenLogClick()
{
    const QString file = FSettings.CurrentLogFile();
    if (QFileInfo::exists(file)) QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    else Msg::Info(QStringLiteral("ログファイルはありません。"), this);
}

bool TfrmMain::event(QEvent* event)
{
    // Every control's hint goes to the first status panel.
    if (event->type() == QEvent::StatusTip) {
        stbPanel0->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu &&
        (watched == statusBar() || watched == stbPanel0 || watched == stbPanel1 || watched == stbPanel2)) {
        PopLog->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- hand-off, calls

void TfrmMain::OnDemoActivate(const THandOffPacket& packet)
{
    Log::Detail(QStringLiteral("TfrmMain.OnDemoActivate"));
    if (packet.DwData != 1) return;
    QString text;
    if (!THandOffText::DecodePacket(packet.Data, &text)) {
        Log::Detail(QStringLiteral("OnDemoActivate: not UTF-8, ignored"));
        return;
    }
    const THandOffText h = THandOffText::Parse(text);
    if (!h.IsCommand) {
        if (FSettings.Role() == TRole::Client) {
            Log::Detail(QStringLiteral("OnDemoActivate: clientのため処理抜ける"));
            return;
        }
        SubmitIncomingCall(h.Number, QString(), 1, QString());
        return;
    }
    if (h.Command == QLatin1String("dial")) DialCommand(h.Param(QStringLiteral("telno")));
    else if (h.Command == QLatin1String("incacceptcall")) IncAcceptCall();
    else if (h.Command == QLatin1String("hangup")) HangUp();
}

void TfrmMain::DialCommand(const QString& telNo)
{
    edtCall->setText(telNo);
    pnlCallName->setText(FTelReceive->GetCallerName(telNo));
    if (FPhone) FPhone->Dial(telNo);
}

void TfrmMain::IncAcceptCall()
{
    if (FPhone) FPhone->IncAcceptCall();
}

void TfrmMain::HangUp()
{
    if (FPhone) FPhone->HangUp();
}

void TfrmMain::AppException(const QString& message)
{
    Log::Always(QStringLiteral("This is on AppException Proc., E.Message=") + message);
    Msg::Error(message, this);
    FDm.ReDBConnect(message);
}

int TfrmMain::AddCustomerPage(QWidget* view, const QString& caption)
{
    const int index = PageMain->addTab(view, caption);
    PageMain->setCurrentIndex(index);
    return index;
}

void TfrmMain::CloseCustomerPage(int index)
{
    if (index < TMainTabBar::kFirstCustomerTab || index >= PageMain->count()) return;
    QWidget* page = PageMain->widget(index);
    const bool onlyOne = PageMain->count() == TMainTabBar::kFirstCustomerTab + 1;
    PageMain->removeTab(index);
    delete page;
    int next = onlyOne ? 0 : index - 1;
    if (!PageMain->isTabVisible(next)) next = 0; // the handling page is hidden without the feature
    PageMain->setCurrentIndex(next);
    PageMain->Bar()->update();
}

void TfrmMain::OnUserInfoUpdated()
{
    Log::Detail(QStringLiteral("TfrmMain.OnUserInfoUpdated begin"));
    if (PageMain->currentIndex() != 0) CloseCustomerPage(PageMain->currentIndex());
}

// Later subsystems fill these in.
void TfrmMain::SpeakCaller(const QString& readName)
{
    if (FSpeech && FSpeech->EngineExists() && FSettings.SpeakEnabled)
        FSpeech->Speech(TSpeech::Announcement(readName, FSettings.SpeakFoot));
}
void TfrmMain::ExecCustProg(int, const QString&, int) {}
void TfrmMain::OpenCustAcceptTab(const QString&, const QString&) {}
void TfrmMain::RefreshCustViews(const TUpTable&) {}
void TfrmMain::RefreshLookupLists(const TUpTable&) {}
void TfrmMain::RefreshAcceptViews(const TUpTable&) {}
void TfrmMain::RefreshCustOptions(const TUpTable&) {}
void TfrmMain::OpenTels(const QString&) {}
void TfrmMain::LoadAcceptHistory() {}
void TfrmMain::OpenAccept(const QString&) {}
void TfrmMain::btnCustInfoClick() {}
void TfrmMain::SendEndRequests() {}
void TfrmMain::AutoBackup() {}
void TfrmMain::FreeLookupLists() {}
void TfrmMain::SendNotice(const QString& text)
{
    if (FUdp) FUdp->UpdateTelIvent(text);
}

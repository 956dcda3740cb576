#include "frm_main_u.h"

#include "accept_sql_u.h"
#include "call_queue_u.h"
#include "cust_pages_u.h"
#include "fra_accept_history_u.h"
#include "frm_act_search_u.h"
#include "fra_cust_u.h"
#include "cust_sql_u.h"
#include "frm_cust_option_u.h"
#include "frm_tels_u.h"
#include "db_start_u.h"
#include "dm_cmn_u.h"
#include "errors_u.h"
#include "frm_accept_master_u.h"
#include "frm_login_u.h"
#include "frm_memo_u.h"
#include "frm_user_u.h"
#include "frm_interface_u.h"
#include "link_prog_u.h"
#include "set_u.h"
#include "hand_off_u.h"
#include "fra_sip_audio_u.h"
#include "set_sip_u.h"
#include "softphone_u.h"
#include "speech_u.h"
#include "tel_receive_u.h"
#include "udp_notify_u.h"
#include "log_u.h"
#include "main_images_u.h"
#include "fra_log_history_u.h"
#include "record_tabs_u.h"
#include "shell_u.h"
#include "string_grid_u.h"
#include "ui_kit_u.h"
#include "window_state_u.h"
#include "msg_u.h"
#include "clock_u.h"
#include "os_info_u.h"
#include "version_u.h"
#include "auto_backup_u.h"
#include "frm_delete_u.h"
#include "frm_export_u.h"
#include "frm_total_u.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>


TfrmMain::TfrmMain(TSettings& settings, TAppState& state, TdmCmn& dm, QWidget* parent)
    : QMainWindow(parent), FSettings(settings), FState(state), FDm(dm),
      FTelReceive(std::make_unique<TTelReceive>(dm, settings)), FLink(std::make_unique<TLinkProg>(dm, settings))
{
    setObjectName(QStringLiteral("frmMain"));
    FCalls = new TCallQueue(this);
    FCalls->SetRunner([this](const TCallQueue::TCallRequest& r) {
        TelReceiveProc(r.TelNo, r.LogNo, r.PortNo, r.CalledReadName);
    });
    FCalls->SetErrorHandler([this](const TCallQueue::TCallRequest& r, const QString& message) {
        // Any LAN host can send notices: one that cannot be processed is
        // logged, and the calls behind it do not wait for a box.
        if (r.FromNotice) Log::Always(QStringLiteral("TfrmMain.NMUDP1DataReceived Error:") + message);
        else AppException(message);
    });
    // A launch whose entry is missing opens the settings.
    FLink->OnSettingsRequested = [this] { btnSettingClick(); };
    BuildUi();
    // The memo window lives as long as the main window.
    FfrmMemo = new TfrmMemo(this);
}

TfrmMain::~TfrmMain() = default;

// ---------------------------------------------------------------- layout

QPushButton* TfrmMain::MakeButton(const QString& name, const QString& caption, const QString& hint)
{
    auto* b = UiKit::MakeButton(nullptr, name, caption, hint);
    b->setAutoDefault(true);
    return b;
}

void TfrmMain::BuildUi()
{
    setWindowTitle(QStringLiteral("くるてん３"));
    // Not registered until the softphone says so.
    setWindowIcon(MainImages::ProgramIcon(false));
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

    connect(btnMemo, &QPushButton::clicked, this, [this] {
        if (TfraCust* view = FCustPages->ActiveView()) view->EditSelectedCallMemo();
        else tabLog->btnMemoClick();
    });
    connect(btnCustInfo, &QPushButton::clicked, this, &TfrmMain::btnCustInfoClick);
    connect(btnTels, &QPushButton::clicked, this, [this] { OpenTels(edtCall->text()); });
    connect(tabLog, &TfraLogHistory::Clicked, this, &TfrmMain::sgdLogClick);
    connect(tabLog, &TfraLogHistory::OpenTelsRequested, this, &TfrmMain::OpenTels);
    connect(tabLog, &TfraLogHistory::CustInfoRequested, this, &TfrmMain::btnCustInfoClick);
    connect(edtCall, &QLineEdit::editingFinished, this, &TfrmMain::edtCallExit);
    connect(PageMain, &QTabWidget::currentChanged, this, [this](int index) {
        tabLogShow(index == 0);
        if (index >= kFirstCustomerTab) btnMemo->setEnabled(FCustPages->MemoAvailable());
    });
    connect(FCustPages, &TCustPages::MemoAvailabilityChanged, this, [this] {
        if (PageMain->currentIndex() >= kFirstCustomerTab) btnMemo->setEnabled(FCustPages->MemoAvailable());
    });
}

QPixmap TfrmMain::TitleImage() const
{
    QPixmap pm(225, 35);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 225, 0);
    g.setColorAt(0, QColor(40, 90, 160));
    g.setColorAt(1, QColor(120, 170, 230));
    p.fillRect(pm.rect(), g);
    QFont f = font();
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(pm.rect().adjusted(10, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("くるてん３"));
    return pm;
}

QPixmap TfrmMain::HighlightedTitle(const QPixmap& title)
{
    // The refresh blink shows this over the title: the same picture lit up,
    // so the blink is seen whatever the banner is.
    QPixmap pm = title;
    QPainter p(&pm);
    QLinearGradient g(0, 0, pm.width(), 0);
    g.setColorAt(0, QColor(255, 210, 90, 150));
    g.setColorAt(1, QColor(255, 250, 210, 110));
    p.fillRect(pm.rect(), g);
    const int frame = qMax(2, pm.height() / 12);
    p.setPen(QPen(QColor(255, 150, 0), frame));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(pm.rect()).adjusted(frame / 2.0, frame / 2.0, -frame / 2.0, -frame / 2.0));
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
    ImgTitle->setPixmap(TitleImage());
    ImgTitle2->setPixmap(HighlightedTitle(TitleImage()));
    h->addWidget(titleBox);

    btnPrevDay = MakeButton(QStringLiteral("btnPrevDay"), QStringLiteral("◀"));
    btnPrevDay->setFixedWidth(28);
    dtpLogDate = new QDateEdit(QDate::currentDate());
    dtpLogDate->setObjectName(QStringLiteral("dtpLogDate"));
    dtpLogDate->setDisplayFormat(QStringLiteral("yyyy年M月d日(ddd)"));
    dtpLogDate->setCalendarPopup(true);
    UiKit::SetHint(dtpLogDate, QStringLiteral("選択された日付の発着信履歴が表示されます。"));
    btnNextDay = MakeButton(QStringLiteral("btnNextDay"), QStringLiteral("▶"));
    btnNextDay->setFixedWidth(28);
    h->addWidget(btnPrevDay);
    h->addWidget(dtpLogDate);
    h->addWidget(btnNextDay);

    auto* kindBox = new QGroupBox;
    kindBox->setObjectName(QStringLiteral("rgpTelType"));
    UiKit::SetHint(kindBox, QStringLiteral("発着信履歴の表示対象を指定できます。"));
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
    btnDial->setIcon(MainImages::Glyph(MainImages::kCall));
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
            [this] { PopMaster->popup(btnMaster->mapToGlobal(btnMaster->rect().center())); });
    connect(btnTotal, &QPushButton::clicked, this, [this] {
        Log::Detail(QStringLiteral("TfrmMain.btnPrintClick"));
        TfrmTotal::Execute(*this);
    });
    connect(btnExport, &QPushButton::clicked, this, [this] { TfrmExport::Execute(*this); });
    connect(btnDelete, &QPushButton::clicked, this, [this] {
        Log::Detail(QStringLiteral("TfrmMain.BitDeleteClick"));
        TfrmDelete::Execute(*this);
    });
    connect(btnBackup, &QPushButton::clicked, this, &TfrmMain::btnRecorderSetClick);
    connect(btnSetting, &QPushButton::clicked, this, &TfrmMain::btnSettingClick);
    connect(btnInterface, &QPushButton::clicked, this, &TfrmMain::btnInterfaceClick);
    // A right click on "顧客情報(&I)" offers the linked programs.
    btnCustInfo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(btnCustInfo, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopIf->popup(btnCustInfo->mapToGlobal(p)); });
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
    UiKit::SetHint(edtCall, QStringLiteral("顧客情報表示または発信の電話番号を指定します。"));
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
    PageMain = new TRecordPages(kFirstCustomerTab);
    PageMain->setObjectName(QStringLiteral("PageMain"));
    PageMain->Bar()->setObjectName(QStringLiteral("PageMainTabs"));
    connect(PageMain->Bar(), &TRecordTabBar::CloseRequested, this, &TfrmMain::CloseCustomerPage);

    tabLog = new TfraLogHistory(*this);

    FCustPages = new TCustPages(*this, PageMain, kFirstCustomerTab, this);
    tabAccept = new TfraAcceptHistory(*this, *FCustPages);

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
    QLabel* panels[] = {stbPanel0, stbPanel1, stbPanel2};
    for (int i = 0; i < 3; ++i) {
        panels[i]->setObjectName(QStringLiteral("stbPanel%1").arg(i));
        panels[i]->setFrameShape(QFrame::Panel);
        panels[i]->setFrameShadow(QFrame::Sunken);
    }
    // The hint panel is 400 wide where there is room and gives way to the
    // version text, which is always shown whole (FormCreate fixes its width).
    stbPanel0->setMinimumWidth(100);
    stbPanel0->setMaximumWidth(400);
    stbPanel1->setFixedWidth(150);
    stbPanel2->setMinimumWidth(50);
    bar->addWidget(stbPanel0, 1);
    bar->addWidget(stbPanel1, 0);
    bar->addWidget(stbPanel2, 1);
    bar->installEventFilter(this);
    for (QLabel* p : panels) p->installEventFilter(this);
}

void TfrmMain::BuildMenus()
{
    PopTray = new QMenu(this);
    PopTray->setObjectName(QStringLiteral("PopTray"));
    connect(PopTray->addAction(QStringLiteral("開く(&O)")), &QAction::triggered, this, &TfrmMain::Open1Click);
    PopTray->addSeparator();
    connect(PopTray->addAction(QStringLiteral("終了(&C)")), &QAction::triggered, this, &TfrmMain::EndProgram);

    PopClose = new QMenu(this);
    PopClose->setObjectName(QStringLiteral("PopClose"));
    connect(PopClose->addAction(QStringLiteral("終了(&C)")), &QAction::triggered, this, &TfrmMain::EndProgram);

    PopIf = new QMenu(this);
    PopIf->setObjectName(QStringLiteral("PopIf"));

    PopMaster = new QMenu(this);
    PopMaster->setObjectName(QStringLiteral("PopMaster"));
    const struct {
        const char* Name;
        QString Caption;
        void (TfrmMain::*Click)();
    } masters[] = {{"itemUser", QStringLiteral("担当者登録"), &TfrmMain::itemUserClick},
                   {"itemActType", QStringLiteral("対応区分登録"), &TfrmMain::itemActTypeClick},
                   {"itemActResult", QStringLiteral("対応結果登録"), &TfrmMain::itemActResultClick}};
    for (const auto& m : masters) {
        QAction* a = PopMaster->addAction(m.Caption);
        a->setObjectName(QLatin1String(m.Name));
        connect(a, &QAction::triggered, this, m.Click);
    }
    QAction* custOption = PopMaster->addAction(QStringLiteral("顧客補足登録"));
    custOption->setObjectName(QStringLiteral("mnuCustOption"));
    connect(custOption, &QAction::triggered, this, [this] { ShowCustOption(*this); });

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

    SetHistoryDate(Clock::Today());
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
    UiKit::SetHint(btnDial, QStringLiteral("電話をかけます。"));
    UiKit::SetHint(btnSetSIP, QStringLiteral("通信設定を行います。"));
    InitSoftphone();

    tabLog->SetupLogGrid(FSettings.UseAccept);
    stbPanel2->setText(VersionText());
    stbPanel2->setMinimumWidth(qMax(50, stbPanel2->sizeHint().width()));
    mnuDetailLog->setChecked(TLog::Current() && TLog::Current()->Detailed());
    mnuOpenLog->setEnabled(QFileInfo::exists(FSettings.CurrentLogFile()));

    PageMain->setTabVisible(1, FSettings.UseAccept);
    CreateLookupLists();
    SetupAcceptGrid();
    LoadBanner();
    btnBackup->setVisible(FSettings.Role() != TRole::Client);
    LoadHistory();
    LoadAcceptHistory();
    return true;
}

bool TfrmMain::ConnectDatabase()
{
    return ConnectDatabaseAtStart(FDm, FSettings, this);
}

bool TfrmMain::SignIn()
{
    // A restart hands the signed-in user over privately; scripts may still
    // give user ID and password as the two parameters.
    const bool given = FState.HandedSignIn || FState.Args.size() == 2;
    if (!given) {
        if (LoginCheck()) return true;
        FDm.CloseDatabase();
        return false;
    }
    const TUserSignIn credentials = FState.HandedSignIn ? FState.Handed : TUserSignIn{FState.Args[0], FState.Args[1]};
    TUser user;
    if (!FDm.LoginUser(credentials.UserId, credentials.Password, user)) {
        Msg::Warn(TfrmLogin::kInvalidText, this);
        Log::Detail(QStringLiteral("reboot Halt"));
        return false;
    }
    FState.User = {user.USERID, user.PASSWD};
    FDm.SignedInUser = user;
    QEventLoop wait;
    QTimer::singleShot(1000, &wait, &QEventLoop::quit);
    wait.exec();
    return true;
}

bool TfrmMain::LoginCheck()
{
    Log::Detail(QStringLiteral("TfrmMain.LoginCheck begin"));
    TfrmLogin login(FDm, this);
    if (Msg::ExecDialog(login) != QDialog::Accepted) return false;
    FDm.SignedInUser = login.User();
    FState.User = {login.User().USERID, login.User().PASSWD};
    return true;
}

void TfrmMain::CreateSpeech()
{
    if (!FSpeech) FSpeech = new TSpeech(FSettings, this);
    FSpeech->CreateEngine();
}

bool TfrmMain::CreateSpeechEngine()
{
    CreateSpeech();
    return FSpeech->EngineExists();
}

void TfrmMain::ShowAcceptPage(bool visible)
{
    PageMain->setTabVisible(1, visible);
}

void TfrmMain::InitNMUDP()
{
    FUdp = new TUdpNotify(FSettings, this);
    FUdp->InitNMUDP();
    connect(FUdp, &TUdpNotify::TelNoticeReceived, this,
            [this](const QString& telNo, const QString& logNo, int portNo) {
                SubmitIncomingCall(telNo, logNo, portNo, QString(), true);
            });
    connect(FUdp, &TUdpNotify::RefreshNoticeReceived, this, [this](const TUpTable& up) {
        try {
            RefreshTables(up);
        } catch (const std::exception& e) {
            Log::Always(QStringLiteral("TfrmMain.NMUDP1DataReceived Error:") + ExceptionText(e));
        }
    });
}
void TfrmMain::MakeIfMenu()
{
    FLink->SetLinkMenu(
        *PopIf, [this](int ifNo) { ExecCustProg(ifNo, edtCall->text(), 0); },
        [this] { OpenCustTab(edtCall->text()); });
}
void TfrmMain::InitSoftphone()
{
    TVaxAgentOptions options;
    options.DnsServers = SipStart.DnsServers;
    options.UseFiles = SipStart.UseFiles;
    FPhone = new TSoftPhone(FSettings, options, this);
    FPhone->BindToListenAddress = SipStart.BindToListenAddress;
    FPhone->CreateVaxObjects(1);
    FPhone->SetAccountSource(AccountSourceOf(FDm));
    FAudio = new TfraSipAudio(*FPhone, FSettings, tabLog->pnlAudio);
    tabLog->pnlAudio->layout()->addWidget(FAudio);
    FAudio->InitAudioDevices();
    tabLog->pnlAudio->show();
    FPhone->Ring().LoadRingWave(FExeDir + QStringLiteral("wav/incom.wav"));

    connect(FPhone, &TSoftPhone::StatusText, this, &TfrmMain::ShowPhoneStatus);
    connect(FPhone, &TSoftPhone::CallButtonsChanged, this,
            [this](const QString& callCaption, int callImage, const QString& hangUpCaption) {
                btnDial->setText(callCaption);
                btnDial->setIcon(MainImages::Glyph(callImage));
                btnHangUp->setText(hangUpCaption);
            });
    // The registration state: the softphone names the registered image; the
    // engine tells when the registration is renewed, refused or dropped.
    connect(FPhone, &TSoftPhone::RegisteredIcon, this, [this](int) { ShowRegistration(true); });
    if (!FPhone->gVaxObjects.empty()) {
        TVaxSIPUserAgentOCX* engine = FPhone->gVaxObjects[0];
        connect(engine, &TVaxSIPUserAgentOCX::OnSuccessToReRegister, this, [this] { ShowRegistration(true); });
        connect(engine, &TVaxSIPUserAgentOCX::OnFailToRegisterEx, this, [this] { ShowRegistration(false); });
        connect(engine, &TVaxSIPUserAgentOCX::OnFailToReRegisterEx, this, [this] { ShowRegistration(false); });
        connect(engine, &TVaxSIPUserAgentOCX::OnSuccessToUnRegister, this, [this] { ShowRegistration(false); });
    }
    connect(FPhone, &TSoftPhone::CallerNameOffered, this,
            [this](const QString& telNo, const QString& name) { FTelReceive->OfferCallerName(telNo, name); });
    connect(FPhone, &TSoftPhone::IncomingCallSubmitted, this,
            [this](const QString& telNo, const QString& logNo, const QString& readName, int portNo) {
                SubmitIncomingCall(telNo, logNo, portNo, readName);
            });
    connect(FPhone, &TSoftPhone::OutgoingCallDialled, this, [this](const QString& telNo, int portNo) {
        CallDataInsert(telNo, portNo);
        if (PageMain->currentIndex() == 0) tabLog->sgdLog->setFocus();
    });
    connect(FPhone, &TSoftPhone::NumberBoxFocusRequested, this, [this] { edtCall->setFocus(); });
    connect(FPhone, &TSoftPhone::SipSettingsRequested, this, [this] { ShowSetSIP(FDm, *FPhone, this); });
    connect(FPhone, &TSoftPhone::TimersStartRequested, FAudio, &TfraSipAudio::StartLevelMeter);
    connect(btnDial, &QPushButton::clicked, this, [this] { FPhone->btnCallClick(edtCall->text()); });
    connect(btnHangUp, &QPushButton::clicked, this, [this] { FPhone->btnHangUpClick(); });
    connect(btnSetSIP, &QPushButton::clicked, this, [this] { ShowSetSIP(FDm, *FPhone, this); });
}
void TfrmMain::CreateLookupLists()
{
    FActTypes = AcceptSql::MakeActTypeTemp(FDm);
    FActResults = AcceptSql::MakeActResultTemp(FDm);
    CustSql::MakeCustOptionTemp(FDm, FCustOptions);
    CustSql::MakeCustOptionDataTemp(FDm, FCustOptions);
    FUsers = AcceptSql::MakeUserTemp(FDm, Clock::Today());
}

void TfrmMain::SetupAcceptGrid()
{
    tabAccept->InitAcceptGrid();
}

void TfrmMain::LoadBanner()
{
    const QString banner = FSettings.BannerFile();
    if (!QFileInfo::exists(banner)) return;
    QPixmap pm(banner);
    if (pm.isNull()) return;
    for (QLabel* l : {ImgTitle, ImgTitle2}) l->setScaledContents(FSettings.BannerStretch);
    ImgTitle->setPixmap(pm);
    ImgTitle2->setPixmap(HighlightedTitle(pm));
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
    if (PageMain->currentIndex() == 0) tabLog->sgdLog->setFocus();
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

void TfrmMain::ShowAtStart()
{
    if (!(FSettings.JouchuKidou && FSettings.GJouchuIdx == 1)) {
        show();
        return;
    }
    if (FTrayIcon && QSystemTrayIcon::isSystemTrayAvailable()) {
        // Started hidden in the notification area: the softphone must still
        // register, or no call would ring until the window opens.
        QTimer::singleShot(0, this, [this] { EnsureFirstShowSteps(); });
        return;
    }
    // No notification area: a hidden window could never be opened.
    showMinimized();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // The window manager's close (Alt+F4, a taskbar, a close button it
    // draws) is the close button: calls must not stop arriving unnoticed.
    if (!FEnding && CloseToResident()) {
        event->ignore();
        return;
    }
    FEnding = true;
    Log::Detail(QStringLiteral("TfrmMain.FormClose"));
    event->accept();
    qApp->quit();
}

void TfrmMain::btnCloseClick()
{
    if (!CloseToResident()) EndProgram();
}

bool TfrmMain::CloseToResident()
{
    switch (FSettings.GJouchuIdx) {
    case 1:
        Log::Detail(QStringLiteral("TfrmMain.btnCloseClick 常駐"));
        HideToTray();
        return true;
    case 2:
        Log::Detail(QStringLiteral("TfrmMain.btnCloseClick 最小化"));
        showMinimized();
        return true;
    default:
        Log::Detail(QStringLiteral("TfrmMain.btnCloseClick 終了"));
        return false;
    }
}

void TfrmMain::HideToTray()
{
    // A notification area may have appeared since the start.
    CreateTrayIcon();
    // Without one a hidden window could never be opened again.
    if (FTrayIcon && QSystemTrayIcon::isSystemTrayAvailable()) hide();
    else showMinimized();
}

void TfrmMain::EndProgram()
{
    FEnding = true;
    close();
    qApp->quit();
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
    if (FSettings.AutoBackup) AutoBackup(false);
    Log::Detail(QStringLiteral("TfrmMain.HeapFreeProc"));
    if (FPhone) FPhone->Ring().FreeRingWave();
    if (FSpeech && FSpeech->EngineExists()) FSpeech->ReleaseEngine();
    FreeLookupLists();
    TLog::PurgeOldLogs(FSettings.LogFolder(), QDateTime::currentDateTime().addDays(-100));
}

// ---------------------------------------------------------------- resident mode

void TfrmMain::CreateTrayIcon()
{
    if (FTrayIcon || !QSystemTrayIcon::isSystemTrayAvailable()) return;
    FTrayIcon = new QSystemTrayIcon(MainImages::ProgramIcon(FRegistered), this);
    FTrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    FTrayIcon->setToolTip(TrayTip());
    FTrayIcon->setContextMenu(PopTray);
    connect(FTrayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick) Open1Click();
    });
    FTrayIcon->show();
}

QString TfrmMain::TrayTip() const
{
    return FRegistered ? QStringLiteral("くるてん３") : QStringLiteral("くるてん３（未登録）");
}

void TfrmMain::ShowRegistration(bool registered)
{
    FRegistered = registered;
    const QIcon icon = MainImages::ProgramIcon(registered);
    setWindowIcon(icon);
    QApplication::setWindowIcon(icon);
    if (FTrayIcon) {
        FTrayIcon->setIcon(icon);
        FTrayIcon->setToolTip(TrayTip());
    }
    const QString online = QStringLiteral("オンライン");
    if (!registered && stbPanel1->text() == online) stbPanel1->clear();
    // Registered again after a loss: idle is online once more.
    if (registered && stbPanel1->text().isEmpty()) stbPanel1->setText(online);
}

void TfrmMain::ShowPhoneStatus(int panel, const QString& text)
{
    QLabel* panels[] = {stbPanel0, stbPanel1, stbPanel2};
    if (panel < 0 || panel > 2) return;
    // The softphone says "オンライン" whenever a call ends; without a
    // registration no call can come in, and the line is not online.
    if (panel == 1 && !FRegistered && text == QStringLiteral("オンライン")) {
        stbPanel1->clear();
        return;
    }
    panels[panel]->setText(text);
}

void TfrmMain::EnterResident()
{
    CreateTrayIcon();
    for (QPushButton* b : {btnClose, btnClose2}) {
        b->setText(QStringLiteral("閉じる"));
        UiKit::SetHint(b, QStringLiteral("画面を閉じて待機します。"));
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
        UiKit::SetHint(b, QStringLiteral("画面を閉じて終了します。"));
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
    // Restored as it was: a maximised window comes back maximised.
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    Log::Detail(QStringLiteral("TfrmMain.Open1Click end"));
}

// ---------------------------------------------------------------- registry

void TfrmMain::ReadRegistry()
{
    Log::Detail(QStringLiteral("TfrmMain.ReadRegistry"));
    TRegistry reg;
    reg.ReadBounds(this, QStringLiteral("frmMain"), QSize(kDesignedWidth, kMinHeight),
                   QSize(kDesignedWidth, kMinHeight));
    TExportPaths& e = FExportPaths;
    e.ExpPath = reg.ReadText(QStringLiteral("ExpPath"));
    e.ExpTaiPath = reg.ReadText(QStringLiteral("ExpTaiPath"));
    e.ExpCustPath = reg.ReadText(QStringLiteral("ExpCustPath"));
    e.ExpTelsPath = reg.ReadText(QStringLiteral("ExpTelsPath"));
    e.ExportDelCrlfTel = reg.ReadFlag(QStringLiteral("ExportDelCrlfTel"), true);
    e.ExportDelCrlfTai = reg.ReadFlag(QStringLiteral("ExportDelCrlfTai"), true);
    e.ExportDelCrlfCust = reg.ReadFlag(QStringLiteral("ExportDelCrlfCust"), true);
    const int actWidth = reg.ReadInt(QStringLiteral("frmMainActWidth"), 0);
    if (actWidth > 0 && actWidth < width()) tabAccept->SetActWidth(actWidth);
}

void TfrmMain::WriteRegistry()
{
    Log::Detail(QStringLiteral("TfrmMain.WriteRegistry"));
    TRegistry reg;
    reg.WriteBounds(this, QStringLiteral("frmMain"));
    reg.WriteInt(QStringLiteral("frmMainActWidth"), tabAccept->ActWidth());
    const TExportPaths& e = FExportPaths;
    reg.WriteText(QStringLiteral("ExpPath"), e.ExpPath);
    reg.WriteText(QStringLiteral("ExpTaiPath"), e.ExpTaiPath);
    reg.WriteText(QStringLiteral("ExpCustPath"), e.ExpCustPath);
    reg.WriteText(QStringLiteral("ExpTelsPath"), e.ExpTelsPath);
    reg.WriteFlag(QStringLiteral("ExportDelCrlfTel"), e.ExportDelCrlfTel);
    reg.WriteFlag(QStringLiteral("ExportDelCrlfTai"), e.ExportDelCrlfTai);
    reg.WriteFlag(QStringLiteral("ExportDelCrlfCust"), e.ExportDelCrlfCust);
    reg.Sync();
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
    QString missing;
    if (!Shell::OpenFile(help, &missing))
        Msg::Warn(QStringLiteral("プログラムの起動に失敗しました。\r\n") + missing, this);
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
    QString missing;
    if (!QFileInfo::exists(file)) Msg::Info(QStringLiteral("ログファイルはありません。"), this);
    else if (!Shell::OpenFile(file, &missing))
        Msg::Warn(QStringLiteral("ログファイルを開けませんでした。\r\n") + missing, this);
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
    if (packet.DwData == THandOffText::kRaisePacket) {
        // A second start: without a notification area this window may be
        // out of sight, and nothing else would bring it up.
        if (!QSystemTrayIcon::isSystemTrayAvailable()) Open1Click();
        return;
    }
    if (packet.DwData != THandOffText::kTextPacket) return;
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
    if (!FCustPages->MayClose(index)) return;
    PageMain->FreeRecordPage(index, 0);
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
void TfrmMain::ExecCustProg(int ifNo, const QString& telNo, int portNo)
{
    FLink->ExecCustProg(ifNo, telNo, portNo, this);
}
int TfrmMain::OpenCustTab(const QString& telNo)
{
    return FCustPages->OpenCustTab(telNo);
}
int TfrmMain::FindCustPageIndex(const QString& custTelNon)
{
    return FCustPages->FindCustPageIndex(custTelNon);
}
void TfrmMain::OpenCustAcceptTab(const QString& custTelNon, int actNo, bool browse, const QString& logNo)
{
    FCustPages->OpenCustAcceptTab(custTelNon, actNo, browse, logNo);
}
void TfrmMain::RefreshCustViews(const TUpTable& up)
{
    FCustPages->RefreshCustLogs(up.CustTel);
    if (up.UpTels) FCustPages->RefreshCustTels(up.CustTel);
}
void TfrmMain::RefreshLookupLists(const TUpTable& up)
{
    if (up.UpUser) FUsers = AcceptSql::MakeUserTemp(FDm, Clock::Today());
    if (up.UpActType) FActTypes = AcceptSql::MakeActTypeTemp(FDm);
    if (up.UpActResult) FActResults = AcceptSql::MakeActResultTemp(FDm);
}
void TfrmMain::RefreshAcceptViews(const TUpTable&)
{
    LoadAcceptHistory();
    FCustPages->RefreshCustAccepts(-1, -1);
}
void TfrmMain::RefreshCustOptions(const TUpTable& up)
{
    if (up.UpCustOption) CustSql::MakeCustOptionTemp(FDm, FCustOptions);
    if (up.UpCustOptionData) CustSql::MakeCustOptionDataTemp(FDm, FCustOptions);
}
void TfrmMain::OpenTels(const QString& telNo)
{
    ShowTelBook(*this, telNo);
}
void TfrmMain::LoadAcceptHistory()
{
    if (FSettings.UseAccept) tabAccept->MakeAcceptGrid();
}
void TfrmMain::OpenActSearch(bool setCust, int custNo, const QString& custName)
{
    if (!FfrmActSearch) FfrmActSearch = new TfrmActSearch(*this, *FCustPages, this);
    FfrmActSearch->show();
    FfrmActSearch->raise();
    if (setCust) FfrmActSearch->SetCustomer(custNo, custName);
}
void TfrmMain::btnCustInfoClick()
{
    if (FSettings.LinkEnabled) ExecCustProg(FSettings.LinkIfNo, edtCall->text(), 0);
    else OpenCustTab(edtCall->text());
}
void TfrmMain::btnSettingClick()
{
    if (ShowSettings(*this)) RequestRestart();
    FLink->SetLinkMenuDefault(*PopIf);
}
void TfrmMain::btnInterfaceClick()
{
    ShowInterface(FDm, FSettings, this);
    MakeIfMenu();
}
void TfrmMain::SendEndRequests()
{
    FLink->SendEndReq();
}
bool TfrmMain::AutoBackup(bool showMessages)
{
    return ::AutoBackup(FSettings, FDm, showMessages, this);
}
void TfrmMain::btnRecorderSetClick()
{
    if (AutoBackup(true)) Msg::Info(QStringLiteral("バックアップ完了しました。"), this);
}
void TfrmMain::FreeLookupLists() {}
void TfrmMain::SendNotice(const QString& text)
{
    if (FUdp) FUdp->UpdateTelIvent(text);
}

// ---------------------------------------------------------------- masters

void TfrmMain::ShowMaster(QDialog& frm, void (*flag)(TUpTable&))
{
    Msg::ExecDialog(frm);
    TUpTable up;
    flag(up);
    RefreshAndNotify(up);
}

void TfrmMain::itemUserClick()
{
    TfrmUser frm(FDm, this);
    ShowMaster(frm, [](TUpTable& up) { up.UpUser = true; });
}

void TfrmMain::itemActTypeClick()
{
    TfrmAcceptType frm(FDm, this);
    ShowMaster(frm, [](TUpTable& up) { up.UpActType = true; });
}

void TfrmMain::itemActResultClick()
{
    TfrmAcceptResult frm(FDm, this);
    ShowMaster(frm, [](TUpTable& up) { up.UpActResult = true; });
}

// ---------------------------------------------------------------- host

void TfrmMain::SendRefreshNotice(const TUpTable& up)
{
    SendNotice(up.ToNotice());
}

void TfrmMain::SetCustTabCaption(QWidget* view, const QString& caption)
{
    for (int i = kFirstCustomerTab; i < PageMain->count(); ++i) {
        QWidget* page = PageMain->widget(i);
        if (page == view || page->isAncestorOf(view)) {
            PageMain->setTabText(i, caption);
            PageMain->Bar()->update();
            return;
        }
    }
}

void TfrmMain::RequestCloseActiveTab()
{
    QMetaObject::invokeMethod(this, &TfrmMain::OnUserInfoUpdated, Qt::QueuedConnection);
}

QString TfrmMain::CallNumber() const
{
    return edtCall->text();
}

void TfrmMain::SetCallNumber(const QString& telNo)
{
    edtCall->setText(telNo);
}

void TfrmMain::SetCallName(const QString& name)
{
    pnlCallName->setText(name);
}

void TfrmMain::FocusCallNumber()
{
    edtCall->setFocus();
}

QString TfrmMain::SignedInUserId() const
{
    return FDm.SignedInUser.USERID;
}

void TfrmMain::RequestRestart()
{
    FState.RestartRequested = true;
    EndProgram();
}

#pragma once
// The main window: caller display, call history by day, the buttons that
// open every other window, resident mode in the notification area, and the
// start-up and shutdown steps that belong to the window.
#include "app_state_u.h"
#include "main_host_u.h"
#include "settings_u.h"
#include "single_instance_u.h"
#include "up_table_u.h"

#include <QDate>
#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QButtonGroup;
class QDateEdit;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class QWidget;
class TdmCmn;
class TfrmMemo;
class TTelReceive;
class TRecordPages;
class TCallQueue;
class TfraLogHistory;
class TUdpNotify;
class TSpeech;
class TSoftPhone;
class TfraSipAudio;
class TLinkProg;
class TCustPages;
class TfraAcceptHistory;
class TfrmActSearch;

class TfrmMain : public QMainWindow, public TMainHost
{
    Q_OBJECT
public:
    static constexpr int kDesignedWidth = 770;
    static constexpr int kDesignedHeight = 688;
    static constexpr int kMinHeight = 250;
    // Page 0 call history, 1 handling history, then one page per customer.
    static constexpr int kFirstCustomerTab = 2;

    TfrmMain(TSettings& settings, TAppState& state, TdmCmn& dm, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Runs the creation steps in order; false when the start was given up.
    bool FormCreate();
    // The one-time steps of the first show (softphone registration, timers),
    // also for a copy that starts hidden in the notification area.
    void EnsureFirstShowSteps();
    // Shows the window at the end of the start: normally, or not at all for
    // a copy that starts in the notification area (minimised where there is
    // none).
    void ShowAtStart();
    // Saving steps of the shutdown; runs at most once.
    void FormDestroy();

    // Hand-off from a second start or another program.
    void OnDemoActivate(const THandOffPacket& packet);
    // Uncaught exceptions end here.
    void AppException(const QString& message) override;

    // Every call source enters here; the pipeline runs later on this thread.
    // fromNotice: a LAN notice, whose failures are logged, never shown.
    void SubmitIncomingCall(const QString& telNo, const QString& logNo, int portNo,
                            const QString& calledReadName, bool fromNotice = false);
    void TelReceiveProc(const QString& telNo, const QString& logNo, int portNo, const QString& calledReadName);
    // Outgoing call record, after a number has been dialled.
    void CallDataInsert(const QString& telNo, int portNo);
    // Reloads what the request names; stops early when a call arrives.
    void RefreshTables(const TUpTable& up) override;
    bool RefreshBusy() const;
    // Memo of one call-log row.
    void EditCallMemo(const QString& logNo, const QString& memo) override;

    // Hand-off commands.
    void DialCommand(const QString& telNo);
    void IncAcceptCall();
    void HangUp();

    // History view
    QDate HistoryDate() const override;
    void SetHistoryDate(const QDate& date) override;
    void LoadHistory();
    // The rest of a history load that a call stopped.
    void ContinueHistory();

    // Resident mode
    void EnterResident() override;
    void LeaveResident() override;
    bool IconPresent() const { return FTrayIcon != nullptr; }
    TSoftPhone* Phone() const { return FPhone; }

    // Customer pages (2 and later): add one, close the active one as its
    // close mark does (the customer view asks for this too).
    int AddCustomerPage(QWidget* view, const QString& caption);
    void CloseCustomerPage(int index);
    void OnUserInfoUpdated();
    void ShowBalloon(const QString& text) override;
    void Open1Click();

    QString VersionText() const;
    void ReadRegistry();
    void WriteRegistry();

    // TMainHost
    TSettings& Settings() override { return FSettings; }
    TdmCmn& Dm() override { return FDm; }
    QWidget* HostWindow() override { return this; }
    TSpeech* Speech() override { return FSpeech; }
    bool CreateSpeechEngine() override;
    void ShowAcceptPage(bool visible) override;
    int OpenCustTab(const QString& telNo) override;
    int FindCustPageIndex(const QString& custTelNon) override;
    void OpenCustAcceptTab(const QString& custTelNon, int actNo, bool browse, const QString& logNo) override;
    void SetCustTabCaption(QWidget* view, const QString& caption) override;
    void RequestCloseActiveTab() override;
    void ReloadCallHistory() override { LoadHistory(); }
    void ReloadAcceptHistory() override { LoadAcceptHistory(); }
    void OpenActSearch(bool setCust, int custNo, const QString& custName) override;
    void SendRefreshNotice(const TUpTable& up) override;
    QString CallNumber() const override;
    void SetCallNumber(const QString& telNo) override;
    void SetCallName(const QString& name) override;
    void FocusCallNumber() override;
    const TLookupList& ActTypes() const override { return FActTypes; }
    const TLookupList& ActResults() const override { return FActResults; }
    const TLookupList& Users() const override { return FUsers; }
    const TCustOptions& CustOptions() const override { return FCustOptions; }
    QString SignedInUserId() const override;
    TExportPaths& ExportPaths() override { return FExportPaths; }
    void RequestRestart() override;
    void ReloadBanner() override { LoadBanner(); }
    void ExecCustProg(int ifNo, const QString& telNo, int portNo) override;
    TLinkProg& Link() { return *FLink; }

    // How the softphone engine is started (set before FormCreate). The
    // program listens on every address; tests keep it on loopback.
    struct TSipStart
    {
        QStringList DnsServers;      // empty: the system's resolvers
        bool BindToListenAddress = false;
        bool UseFiles = false;       // no sound card: WAV files instead
    } SipStart;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildUi();
    QWidget* BuildTitleStrip();
    QPixmap TitleImage() const;
    // The second title image of the refresh blink: a lit-up copy.
    static QPixmap HighlightedTitle(const QPixmap& title);
    QWidget* BuildButtonPages();
    QWidget* BuildNumberRow();
    QWidget* BuildMainPages();
    void BuildStatusBar();
    void BuildMenus();
    QPushButton* MakeButton(const QString& name, const QString& caption, const QString& hint = QString());

    // Creation steps that belong to other subsystems.
    bool ConnectDatabase();
    bool SignIn();
    // The sign-in window; true when a user signed in.
    bool LoginCheck();
    void CreateSpeech();
    void InitNMUDP();
    void MakeIfMenu();
    void InitSoftphone();
    void CreateLookupLists();
    void SetupAcceptGrid();
    void LoadBanner();
    void FormFirstShow();

    // Events
    void btnCloseClick();
    // The close buttons' resident behaviour (hide to the notification area,
    // or minimise); false when closing ends the program.
    bool CloseToResident();
    void HideToTray();
    // Closes the window for good: the program ends.
    void EndProgram();
    void CreateTrayIcon();
    // The softphone's registration: program icon, tray tip, "オンライン".
    void ShowRegistration(bool registered);
    void ShowPhoneStatus(int panel, const QString& text);
    QString TrayTip() const;
    void btnHelpClick();
    void btnReDispClick();
    void PopLogPopup();
    void mnuDetailLogClick();
    void mnuOpenLogClick();
    // Master menu: the windows, then the lists rebuilt here and on the LAN.
    void itemUserClick();
    void itemActTypeClick();
    void itemActResultClick();
    void ShowMaster(QDialog& frm, void (*flag)(TUpTable&));
    void sgdLogClick();
    void edtCallExit();
    void tabLogShow(bool shown);

    // History of today reloaded after a call was logged.
    void ShowTodaysCalls();
    void StartBlink();
    void BlinkStep();
    void SendNotice(const QString& text);

    // Steps whose windows and views arrive with later subsystems.
    void SpeakCaller(const QString& readName);
    void RefreshCustViews(const TUpTable& up);
    void RefreshLookupLists(const TUpTable& up);
    void RefreshAcceptViews(const TUpTable& up);
    void RefreshCustOptions(const TUpTable& up);
    void OpenTels(const QString& telNo);
    void LoadAcceptHistory();
    void btnCustInfoClick();
    void btnSettingClick();
    void btnInterfaceClick();
    void SendEndRequests();
    // The database backup; true when the copy was made.
    bool AutoBackup(bool showMessages);
    void btnRecorderSetClick();
    void FreeLookupLists();

    TSettings& FSettings;
    TAppState& FState;
    TdmCmn& FDm;
    std::unique_ptr<TTelReceive> FTelReceive;
    std::unique_ptr<TLinkProg> FLink;
    TUdpNotify* FUdp = nullptr;
    TSpeech* FSpeech = nullptr;
    TSoftPhone* FPhone = nullptr;
    TfraSipAudio* FAudio = nullptr;
    TfrmMemo* FfrmMemo = nullptr;
    TCallQueue* FCalls = nullptr;
    QDateTime FCallStart;
    TExportPaths FExportPaths;
    TLookupList FActTypes = TLookupList::WithEmptyEntry();
    TLookupList FActResults = TLookupList::WithEmptyEntry();
    TLookupList FUsers = TLookupList::WithEmptyEntry();
    TCustOptions FCustOptions;
    TCustPages* FCustPages = nullptr;
    QTimer* FBlinkTimer = nullptr;
    QTimer* FTitleBlink = nullptr;
    int FTitleBlinkCount = 0;
    int FBlinkCount = 0;
    QString FExeDir;
    bool FEnding = false;      // the window closes for good
    bool FRegistered = false;  // the softphone is registered
    // The next history reload only takes the rows of calls logged since
    // the last one (a call was just logged).
    bool FHistoryTakesNewCalls = false;

    // Title strip
    QLabel* ImgTitle = nullptr;
    QLabel* ImgTitle2 = nullptr;
    QPushButton* btnPrevDay = nullptr;
    QDateEdit* dtpLogDate = nullptr;
    QPushButton* btnNextDay = nullptr;
    QButtonGroup* rgpTelType = nullptr;
    QPushButton* btnReDisp = nullptr;
    // Button pages
    QTabWidget* PageMenu = nullptr;
    QPushButton* btnCustInfo = nullptr;
    QPushButton* btnDial = nullptr;
    QPushButton* btnTels = nullptr;
    QPushButton* btnTotal = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnMemo = nullptr;
    QPushButton* btnHangUp = nullptr;
    QPushButton* btnSetting = nullptr;
    QPushButton* btnInterface = nullptr;
    QPushButton* btnExport = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnMaster = nullptr;
    QPushButton* btnClose2 = nullptr;
    QPushButton* btnSetSIP = nullptr;
    QPushButton* btnBackup = nullptr;
    // Number row
    QLineEdit* edtCall = nullptr;
    QLabel* pnlCallName = nullptr;
    QLabel* pnlCalledNo = nullptr;
    QLabel* pnlCalledName = nullptr;
    // Main pages
    TRecordPages* PageMain = nullptr;
    TfraLogHistory* tabLog = nullptr;
    TfraAcceptHistory* tabAccept = nullptr;
    QPointer<TfrmActSearch> FfrmActSearch;
    // Status bar panels
    QLabel* stbPanel0 = nullptr;
    QLabel* stbPanel1 = nullptr;
    QLabel* stbPanel2 = nullptr;
    // Menus
    QMenu* PopTray = nullptr;
    QMenu* PopClose = nullptr;
    QMenu* PopIf = nullptr;
    QMenu* PopMaster = nullptr;
    QMenu* PopLog = nullptr;
    QAction* mnuDetailLog = nullptr;
    QAction* mnuOpenLog = nullptr;

    QSystemTrayIcon* FTrayIcon = nullptr;
};

#pragma once
// The main window: caller display, call history by day, the buttons that
// open every other window, resident mode in the notification area, and the
// start-up and shutdown steps that belong to the window.
#include "app_state_u.h"
#include "settings_u.h"
#include "single_instance_u.h"
#include "up_table_u.h"

#include <QDate>
#include <QDateTime>
#include <QMainWindow>
#include <deque>
#include <memory>

class QAction;
class QButtonGroup;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QSystemTrayIcon;
class QTabWidget;
class QTableWidget;
class QTimer;
class QWidget;
class TdmCmn;
class TfrmMemo;
class TTelReceive;
class TMainPages;
class TUdpNotify;
class TSpeech;
class TSoftPhone;
class TfraSipAudio;

// Export folders and options kept in the registry.
struct TExportPaths
{
    QString ExpPath, ExpTaiPath, ExpCustPath, ExpTelsPath;
    bool ExportDelCrlfTel = true, ExportDelCrlfTai = true, ExportDelCrlfCust = true;
};

class TfrmMain : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int kDesignedWidth = 770;
    static constexpr int kDesignedHeight = 688;
    static constexpr int kMinHeight = 250;

    TfrmMain(TSettings& settings, TAppState& state, TdmCmn& dm, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Runs the creation steps in order; false when the start was given up.
    bool FormCreate();
    // The one-time steps of the first show (softphone registration, timers),
    // also for a copy that starts hidden in the notification area.
    void EnsureFirstShowSteps();
    // Saving steps of the shutdown; runs at most once.
    void FormDestroy();

    // Hand-off from a second start or another program.
    void OnDemoActivate(const THandOffPacket& packet);
    // Uncaught exceptions end here.
    void AppException(const QString& message);

    // Every call source enters here; the pipeline runs later on this thread.
    // fromNotice: a LAN notice, whose failures are logged, never shown.
    void SubmitIncomingCall(const QString& telNo, const QString& logNo, int portNo,
                            const QString& calledReadName, bool fromNotice = false);
    void TelReceiveProc(const QString& telNo, const QString& logNo, int portNo, const QString& calledReadName);
    // Outgoing call record, after a number has been dialled.
    void CallDataInsert(const QString& telNo, int portNo);
    // Reloads what the request names; stops early when a call arrives.
    void RefreshTables(const TUpTable& up);
    bool RefreshBusy() const { return FRefreshBusy; }
    // Memo of one call-log row.
    void EditCallMemo(const QString& logNo, const QString& memo);

    // Hand-off commands.
    void DialCommand(const QString& telNo);
    void IncAcceptCall();
    void HangUp();

    // History view
    QDate HistoryDate() const;
    void SetHistoryDate(const QDate& date);
    void LoadHistory();

    // Resident mode
    void EnterResident();
    void LeaveResident();
    bool IconPresent() const { return FTrayIcon != nullptr; }
    TSoftPhone* Phone() const { return FPhone; }

    // Customer pages (2 and later): add one, close the active one as its
    // close mark does (the customer view asks for this too).
    int AddCustomerPage(QWidget* view, const QString& caption);
    void CloseCustomerPage(int index);
    void OnUserInfoUpdated();
    void ShowBalloon(const QString& text);
    void Open1Click();

    QString VersionText() const;
    void ReadRegistry();
    void WriteRegistry();

    TExportPaths ExportPaths;

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
    QPixmap TitleImage(bool highlighted) const;
    QWidget* BuildButtonPages();
    QWidget* BuildNumberRow();
    QWidget* BuildMainPages();
    void BuildStatusBar();
    void BuildMenus();
    QPushButton* MakeButton(const QString& name, const QString& caption, const QString& hint = QString());
    void SetHint(QWidget* w, const QString& hint);

    // Creation steps that belong to other subsystems.
    bool ConnectDatabase();
    bool SignIn();
    void CreateSpeech();
    void InitNMUDP();
    void MakeIfMenu();
    void InitSoftphone();
    void SetupLogGrid();
    void CreateLookupLists();
    void SetupAcceptGrid();
    void LoadBanner();
    void FormFirstShow();

    // Events
    void btnCloseClick();
    void btnHelpClick();
    void btnReDispClick();
    void PopLogPopup();
    void mnuDetailLogClick();
    void mnuOpenLogClick();
    void btnMemoClick();
    void sgdLogClick();
    void sgdLogDblClick(int row, int column);
    void edtCallExit();
    void tabLogShow(bool shown);

    // Call queue: calls run one after the other, in order of arrival, never
    // inside a running refresh.
    struct TCallRequest
    {
        QString TelNo, LogNo, CalledReadName;
        int PortNo = 1;
        bool FromNotice = false;
    };
    void TelThreadArrived();
    void DrainCalls();
    // Lets pending events run; true when a call asked the refresh to stop.
    bool RefreshInterrupted();
    // History of today reloaded after a call was logged.
    void ShowTodaysCalls();
    void StartBlink();
    void BlinkStep();
    void SendNotice(const QString& text);
    QString CellText(int row, int column) const;

    // Steps whose windows and views arrive with later subsystems.
    void SpeakCaller(const QString& readName);
    void ExecCustProg(int ifNo, const QString& telNo, int portNo);
    void OpenCustAcceptTab(const QString& custTelNon, const QString& logNo);
    void RefreshCustViews(const TUpTable& up);
    void RefreshLookupLists(const TUpTable& up);
    void RefreshAcceptViews(const TUpTable& up);
    void RefreshCustOptions(const TUpTable& up);
    void OpenTels(const QString& telNo);
    void LoadAcceptHistory();
    void OpenAccept(const QString& actNo);
    void btnCustInfoClick();
    void SendEndRequests();
    void AutoBackup();
    void FreeLookupLists();

    TSettings& FSettings;
    TAppState& FState;
    TdmCmn& FDm;
    std::unique_ptr<TTelReceive> FTelReceive;
    TUdpNotify* FUdp = nullptr;
    TSpeech* FSpeech = nullptr;
    TSoftPhone* FPhone = nullptr;
    TfraSipAudio* FAudio = nullptr;
    TfrmMemo* FfrmMemo = nullptr;
    QDateTime FCallStart;
    std::deque<TCallRequest> FCalls;
    bool FDraining = false;
    bool FRefreshBusy = false;
    bool FRefreshInterrupt = false;
    QTimer* FBlinkTimer = nullptr;
    QTimer* FTitleBlink = nullptr;
    int FTitleBlinkCount = 0;
    int FBlinkCount = 0;
    QString FExeDir;

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
    TMainPages* PageMain = nullptr;
    QWidget* tabLog = nullptr;
    QWidget* tabAccept = nullptr;
    QTableWidget* sgdLog = nullptr;
    QWidget* pnlAudio = nullptr;
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

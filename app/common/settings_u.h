#pragma once
// Settings file kuruten3.ini, the data folders and the process-wide values
// worked out at start. One object per process; passed to whoever needs it.
#include "ini_file_u.h"

#include <QString>
#include <memory>

enum class TRole { StandAlone, Server, Client };

// How customer kana names are typed.
enum class TKanaMode { None, FullKatakana, Hiragana, HalfKatakana };

struct TEnvValues
{
    QString gComputerName;    // upper case
    QString gIpAddress;
    QString gWindowsUserName; // upper case
    QString gExeDir;          // with a trailing "/"

    static TEnvValues FromSystem(const QString& exePath);
};

class TSettings
{
public:
    // Folders and settings file under dataRoot (the common application data).
    TSettings(const QString& dataRoot, TEnvValues env);

    // Creates the data folders (single level each, in order) and loads every
    // value. Throws EInOutError naming the folder that could not be made.
    void Initialize();
    void LoadSettings();

    // Settings access: every Part reads and writes keys through these.
    QString ReadText(const QString& section, const QString& key) const;
    QString ReadText(const QString& section, const QString& key, const QString& def) const;
    void WriteText(const QString& section, const QString& key, const QString& value) const;
    // Integer with fall-back to def when missing, empty or not a number.
    int ReadInt(const QString& section, const QString& key, int def) const;
    bool ReadFlag(const QString& section, const QString& key, const QString& def = QString()) const;
    void WriteFlag(const QString& section, const QString& key, bool on) const;

    static QString FlagToText(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }
    static bool TextToFlag(const QString& text) { return text == QLatin1String("1"); }

    // Paths
    QString DataRoot() const { return FDataRoot; }
    QString MakerFolder() const { return FDataRoot + QStringLiteral("/hoshiba"); }
    QString DataFolder() const { return MakerFolder() + QStringLiteral("/kuruten3"); }
    QString LogFolder() const { return DataFolder() + QStringLiteral("/log"); }
    QString RecFolder() const { return DataFolder() + QStringLiteral("/rec"); }
    QString PlayFolder() const { return DataFolder() + QStringLiteral("/play"); }
    QString WorkFolder() const { return DataFolder() + QStringLiteral("/work"); }
    QString SettingsFile() const { return DataFolder() + QStringLiteral("/kuruten3.ini"); }
    QString BannerFile() const { return DataFolder() + QStringLiteral("/Banner.bmp"); }
    QString SharedFolder() const { return MakerFolder() + QStringLiteral("/common"); }
    QString DefaultDatabaseFile() const { return SharedFolder() + QStringLiteral("/KURUDB.FDB"); }
    QString DatabasePathInUse() const { return GTelDbPath.isEmpty() ? DefaultDatabaseFile() : GTelDbPath; }
    QString CurrentLogFile() const;
    // The data root is a group's shared folder (see the README).
    bool SharedDataRoot() const;

    // Startup entry (XDG autostart file named after the executable).
    static QString StartupFolder();
    QString StartupShortcutPath() const;

    const TEnvValues& Env() const { return FEnv; }
    TRole Role() const;
    QString RoleName() const;

    // Kana type table.
    QString KanaLabel(const QString& current) const;
    TKanaMode KanaInputMode() const;

    // KURUTEN_DB
    QString GTelDbPath;
    bool LanMode = false;
    bool ClientMode = false;
    // UDP
    int UdpServerPort = 5601;
    int UdpClientPort = 5600;
    QString UdpBroadcastAddress;
    // LINK
    bool LinkEnabled = false;
    bool LinkAutoLaunch = false;
    int LinkIfNo = 1;
    bool CustDbLink = false;
    QString LinkDbPath;
    QString LinkTableName = QStringLiteral("CUSTOMER");
    QString LinkCustTelFName = QStringLiteral("CUST_TEL_NON");
    QString LinkCustNameFName = QStringLiteral("CUST_NAME");
    QString LinkCustKanaFName = QStringLiteral("CUST_KANA");
    QString LinkQuoteStr;
    // BASIC
    bool UseAccept = false;
    bool LoginAuth = false;
    bool Startup = false;
    bool Bring = true;
    bool AutoCustInfo = false;
    int GJouchuIdx = 0;
    bool GisJouchuOpen = false;
    bool JouchuKidou = false;
    bool ShowBalloon = true;
    bool AutoBackup = false;
    QString AutoBackupPath;
    // SPEAK
    bool SpeakEnabled = false;
    int SpeakSpeed = 140;
    QString SpeakFoot = QStringLiteral("、です");
    QString SpeakFoot2;
    // COMMON, CUST_FRAME, CUST_INFO
    int KanaType = 0;
    int ActWidth = 0;
    bool ImageStretch = false;
    // SIP
    QString AudioInName;
    QString AudioOutName;
    qint64 AudioOutVol = 0;
    qint64 AudioInVol = 0;
    QString PcOutName;
    bool IncomMutePc = false;
    bool KeepAlive = true;
    // NAT of the softphone: STUN server ("host[:port]", empty: none), ICE.
    QString StunServer;
    bool UseIce = false;
    // WATCH, BANNER, CALLER
    int WatchIntervalSec = 3900;
    bool BannerStretch = true;
    QString UnknownName = QStringLiteral("発信者不明");
    QString UnknownKana = QStringLiteral("はっしんしゃふめい");

private:
    void SecureLogFolder(bool shared) const;

    QString FDataRoot;
    TEnvValues FEnv;
    std::unique_ptr<TIniFile> FIni;
};

#include "settings_u.h"

#include "autostart_u.h"
#include "errors_u.h"
#include "log_u.h"
#include "os_info_u.h"
#include "special_folders_u.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
// Integer value, or def for empty and non-numeric text.
qint64 ToInt64(const QString& text, qint64 def)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    return ok ? v : def;
}

int ToInt(const QString& text, int def)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : def;
}
} // namespace

TEnvValues TEnvValues::FromSystem(const QString& exePath)
{
    TEnvValues e;
    e.gComputerName = OsInfo::ComputerName().toUpper();
    e.gIpAddress = OsInfo::FirstHostAddress(OsInfo::ComputerName());
    e.gWindowsUserName = OsInfo::UserName().toUpper();
    QString dir = QFileInfo(exePath).absolutePath();
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    e.gExeDir = dir;
    return e;
}

TSettings::TSettings(const QString& dataRoot, TEnvValues env)
    : FDataRoot(dataRoot), FEnv(std::move(env)), FIni(std::make_unique<TIniFile>(SettingsFile()))
{
}

void TSettings::Initialize()
{
    // The maker folder is made here too: no installer runs on this platform.
    QDir root;
    const bool shared = SharedDataRoot();
    for (const QString& folder :
         {MakerFolder(), DataFolder(), LogFolder(), RecFolder(), PlayFolder(), WorkFolder()}) {
        if (QFileInfo(folder).isDir()) continue;
        const bool made = folder == MakerFolder() ? root.mkpath(folder) : root.mkdir(folder);
        if (!made)
            throw EInOutError(QStringLiteral("フォルダを作成できません: %1").arg(QDir::toNativeSeparators(folder)));
        // In a shared data root every user of the group works in these folders.
        if (shared) SpecialFolders::MakeGroupFolder(folder);
    }
    SecureLogFolder(shared);
    // A data folder we cannot write to is as fatal as a missing one.
    QFile probe(DataFolder() + QStringLiteral("/.write_test"));
    if (!probe.open(QIODevice::WriteOnly))
        throw EInOutError(QStringLiteral("フォルダに書き込めません: %1").arg(QDir::toNativeSeparators(DataFolder())));
    probe.close();
    probe.remove();
    LoadSettings();
}

bool TSettings::SharedDataRoot() const
{
    return SpecialFolders::IsSharedFolder(FDataRoot);
}

void TSettings::SecureLogFolder(bool shared) const
{
    // Log lines hold phone numbers and SQL: for this user only, unless the
    // data root is shared by a group (then for the group).
    if (TLog* log = TLog::Current()) log->SetShared(shared);
    if (shared) return;
    const QString folder = LogFolder();
    // A folder of another user's is left to that user; writing then fails
    // with its own error.
    if (!SpecialFolders::MakePrivateFolder(folder)) return;
    // Files of earlier versions were readable by everyone.
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& fi : files)
        if (fi.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther))
            QFile::setPermissions(fi.absoluteFilePath(), TLog::kPrivatePermissions);
}

QString TSettings::CurrentLogFile() const
{
    return LogFolder() + QStringLiteral("/log_") + FEnv.gComputerName + QStringLiteral("_Cur.txt");
}

QString TSettings::StartupFolder()
{
    return SpecialFolders::Startup();
}

QString TSettings::StartupShortcutPath() const
{
    const QString exe = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                     : FEnv.gExeDir + QStringLiteral("kuruten3");
    return Autostart::ShortcutPath(exe, StartupFolder());
}

QString TSettings::ReadText(const QString& section, const QString& key) const
{
    return FIni->ReadString(section, key, QString());
}

QString TSettings::ReadText(const QString& section, const QString& key, const QString& def) const
{
    return FIni->ReadString(section, key, def);
}

void TSettings::WriteText(const QString& section, const QString& key, const QString& value) const
{
    try {
        FIni->WriteString(section, key, value);
    } catch (const std::runtime_error& e) {
        throw EInOutError(QStringLiteral("設定ファイルに書き込めません: ") + QString::fromUtf8(e.what()));
    }
}

int TSettings::ReadInt(const QString& section, const QString& key, int def) const
{
    return ToInt(ReadText(section, key), def);
}

bool TSettings::ReadFlag(const QString& section, const QString& key, const QString& def) const
{
    return TextToFlag(ReadText(section, key, def));
}

void TSettings::WriteFlag(const QString& section, const QString& key, bool on) const
{
    WriteText(section, key, FlagToText(on));
}

void TSettings::LoadSettings()
{
    if (TLog* log = TLog::Current()) log->SetDetailed(true);

    GTelDbPath = ReadText("KURUTEN_DB", "DB_PATH");

    UdpServerPort = ReadInt("UDP", "SERVER_PORT", 5601);
    UdpClientPort = ReadInt("UDP", "CLIENT_PORT", 5600);
    UdpBroadcastAddress = ReadText("UDP", "BROADCAST_ADDRESS");

    LinkEnabled = ReadFlag("LINK", "ENABLED", "0");
    UseAccept = ReadFlag("BASIC", "USE_ACCEPT", "0");
    LinkAutoLaunch = LinkEnabled && ReadFlag("LINK", "AUTO_LAUNCH", "0");
    LinkIfNo = ReadInt("LINK", "IF_NO", 1);
    CustDbLink = ReadFlag("LINK", "CUST_DB_LINK", "0");
    LinkDbPath = ReadText("LINK", "DB_PATH");
    LinkTableName = ReadText("LINK", "TABLE_NAME", "CUSTOMER");
    LinkCustTelFName = ReadText("LINK", "CUST_TEL_FNAME", "CUST_TEL_NON");
    LinkCustNameFName = ReadText("LINK", "CUST_NAME_FNAME", "CUST_NAME");
    LinkCustKanaFName = ReadText("LINK", "CUST_KANA_FNAME", "CUST_KANA");
    LinkQuoteStr = ReadText("LINK", "QUOTE_STR");

    SpeakEnabled = ReadFlag("SPEAK", "ENABLED", "0");
    SpeakSpeed = ReadInt("SPEAK", "SPEED", 140);
    SpeakFoot = ReadText("SPEAK", "FOOT", QStringLiteral("、です"));
    SpeakFoot2 = ReadText("SPEAK", "FOOT2");

    const QString lan = ReadText("KURUTEN_DB", "LAN");
    LanMode = lan.isEmpty() ? !GTelDbPath.isEmpty() : TextToFlag(lan);
    ClientMode = LanMode && ReadFlag("KURUTEN_DB", "CLIENT");

    LoginAuth = ReadFlag("BASIC", "LOGIN_AUTH");
    Startup = ReadFlag("BASIC", "STARTUP", "0") && QFileInfo::exists(StartupShortcutPath());
    Bring = ReadFlag("BASIC", "BRING", "1");
    AutoCustInfo = ReadFlag("BASIC", "AUTO_CUST_INFO", "0");
    GJouchuIdx = ReadInt("BASIC", "JOUCHU", 0);
    GisJouchuOpen = ReadFlag("BASIC", "JOUCHU_OPEN", "0");
    JouchuKidou = ReadFlag("BASIC", "JOUCHU_KIDOU", "0");
    ShowBalloon = ReadFlag("BASIC", "SHOW_BALLOON", "1");
    ImageStretch = ReadFlag("CUST_INFO", "IMAGE_STRETCH", "0");
    AutoBackup = ReadFlag("BASIC", "AUTO_BACKUP", "0");
    AutoBackupPath = ReadText("BASIC", "AUTO_BACKUP_PATH");

    KanaType = ReadInt("COMMON", "KANA_TYPE", 0);
    ActWidth = ReadInt("CUST_FRAME", "ACT_WIDTH", 0);

    AudioInName = ReadText("SIP", "AUDIO_IN_NAME");
    AudioOutName = ReadText("SIP", "AUDIO_OUT_NAME");
    AudioOutVol = ToInt64(ReadText("SIP", "AUDIO_OUT_VOL"), 0);
    AudioInVol = ToInt64(ReadText("SIP", "AUDIO_IN_VOL"), 0);
    PcOutName = ReadText("SIP", "PC_OUT_NAME");
    IncomMutePc = ReadFlag("SIP", "INCOM_MUTE_PC", "0");
    KeepAlive = ReadFlag("SIP", "KEEP_ALIVE", "1");
    StunServer = ReadText("SIP", "STUN_SERVER").trimmed();
    UseIce = ReadFlag("SIP", "ICE", "0");

    WatchIntervalSec = ReadInt("WATCH", "INTERVAL_SEC", 3900);
    BannerStretch = ReadFlag("BANNER", "STRETCH", "1");
    UnknownName = ReadText("CALLER", "UNKNOWN_NAME", QStringLiteral("発信者不明"));
    UnknownKana = ReadText("CALLER", "UNKNOWN_KANA", QStringLiteral("はっしんしゃふめい"));
}

TRole TSettings::Role() const
{
    if (!LanMode) return TRole::StandAlone;
    return ClientMode ? TRole::Client : TRole::Server;
}

QString TSettings::RoleName() const
{
    switch (Role()) {
    case TRole::StandAlone: return QStringLiteral("スタンドアロン");
    case TRole::Server: return QStringLiteral("サーバー");
    case TRole::Client: return QStringLiteral("クライアント");
    }
    return {};
}

QString TSettings::KanaLabel(const QString& current) const
{
    switch (KanaType) {
    case 0: return QStringLiteral("顧客カナ");
    case 1: return QStringLiteral("顧客かな");
    case 2: return QStringLiteral("顧客ｶﾅ");
    default: return current;
    }
}

TKanaMode TSettings::KanaInputMode() const
{
    switch (KanaType) {
    case 0: return TKanaMode::FullKatakana;
    case 1: return TKanaMode::Hiragana;
    case 2: return TKanaMode::HalfKatakana;
    default: return TKanaMode::None;
    }
}

#include "vaxvoip_u.h"

#include <QMap>

bool CodecListed(int number, const QString& list)
{
    return (QLatin1Char(',') + list + QLatin1Char(',')).contains(QStringLiteral(",%1,").arg(number));
}

qint16 LineCountOfRow(const TAccountRow& row)
{
    bool ok = false;
    int lines = row.value(QStringLiteral("CHNUM")).trimmed().toInt(&ok);
    if (!ok) lines = 0;
    if (lines < 0) lines = 1;
    return static_cast<qint16>(std::min(lines, 32767));
}

TVaxSIP VaxSipFromRow(const TAccountRow& row, qint16 lineCount)
{
    auto text = [&row](const char* column) { return row.value(QLatin1String(column)); };
    auto flag = [&row](const char* column) { return row.value(QLatin1String(column)) == QLatin1String("1"); };
    TVaxSIP s;
    s.UserId = text("USERID");
    s.DispName = text("DISPNM");
    s.LoginId = text("LOGINID");
    s.Password = text("PASSWD");
    s.SipProxy = text("SIPPLOXY");
    s.RegistProxy = flag("REGIST_PROXY");
    s.DomainName = text("DOMAINNM");
    s.OutProxy = text("OUTPLOXY");
    s.UseSoundDevice = true;
    s.LineCount = lineCount;
    s.CountryCd = text("COUNTRY_CD");
    s.Enabled = true;
    s.Registered = false;
    s.Spare.clear();
    s.InDeviceId = -1;
    s.OutDeviceId = -1;
    s.AudioInName = text("AUDIO_IN_NAME");
    s.AudioOutName = text("AUDIO_OUT_NAME");
    const QString codecs = text("CODECS");
    for (int k = 0; k < 5; ++k) s.Codecs[k] = CodecListed(k, codecs);
    s.EchoCancel = flag("ECHO_CANCEL_FLG");
    s.Agc = flag("AGC_FLG");
    s.MicBoost = flag("MICBOOST_FLG");
    s.NoDisturb = flag("NODISTURB_FLG");
    s.ForceInbandDtmf = flag("FORCE_INDTMF_FLG");
    if (s.DispName.isEmpty()) s.DispName = s.UserId;
    if (s.LoginId.isEmpty()) s.LoginId = s.UserId;
    if (s.DomainName.isEmpty()) s.DomainName = s.SipProxy;
    return s;
}

TVaxSIP VaxSipReset()
{
    TVaxSIP s;
    s.RegistProxy = true;
    s.UseSoundDevice = true;
    s.LineCount = 0;
    s.Enabled = true;
    s.Registered = false;
    s.InDeviceId = -1;
    s.OutDeviceId = -1;
    s.Codecs.fill(true);
    s.EchoCancel = true;
    s.Agc = s.MicBoost = s.NoDisturb = s.ForceInbandDtmf = false;
    return s;
}

QString VaxErrorText(int code)
{
    static const QMap<int, QString> texts = {
        {10, QStringLiteral("You are not Online, please click the 'Online' button first.")},
        {11, QStringLiteral("Cann't open local communication port.")},
        {13, QStringLiteral("Fail to initialize VaxVoIP task window.")},
        {14, QStringLiteral("Cann't access Input/Mic device or device is already in use.")},
        {15, QStringLiteral("Cann't access Output/Speaker device or device is already in use.")},
        {16, QStringLiteral("Input/Mic device is not open.")},
        {17, QStringLiteral("Output/Speaker device is not open.")},
        {18, QStringLiteral("Your sound device does not support mic volume.")},
        {19, QStringLiteral("Your sound device does not support speaker volume.")},
        {20, QStringLiteral("Recording media initialization fail.")},
        {21, QStringLiteral("Cann't open the wave file.")},
        {22, QStringLiteral("Provided SIP URI is not valid.")},
        {23, QStringLiteral("Codec is not supported.")},
        {24, QStringLiteral("Error to create SDP (Session Description Protocol) request.")},
        {25, QStringLiteral("Error to create CONNECTION request. Please check the provided SIP URI is valid.")},
        {26, QStringLiteral("Error to create REGISTER request. Please check the provided SIP URI is valid.")},
        {27, QStringLiteral("Error to create UN-REGISTER request. Please check the provided SIP URI is valid.")},
        {28, QStringLiteral("Error to create DISCONNECT request.")},
        {29, QStringLiteral("Line No is not valid.")},
        {30, QStringLiteral("Line is already busy.")},
        {31, QStringLiteral("Line is not open.")},
        {32, QStringLiteral("Invalid Call-Id.")},
        {33, QStringLiteral("Provided value is not valid.")},
        {34, QStringLiteral("Selected line is not in voice session.")},
        {35, QStringLiteral("Fail to read wave file.")},
        {36, QStringLiteral("Fail to write wave file.")},
        {37, QStringLiteral("Unsupported wave file format.")},
        {38, QStringLiteral("Error to create CANCEL request.")},
    };
    return texts.value(code);
}

QString VaxErrorTextJa(int code)
{
    static const QMap<int, QString> texts = {
        {10, QStringLiteral("SIPサーバーに接続していません。通信設定を確認してください。")},
        {11, QStringLiteral("通信用のポートを開けませんでした。")},
        {13, QStringLiteral("SIPエンジンを起動できませんでした。")},
        {14, QStringLiteral("マイクを使えません。ほかのプログラムが使っていないか確認してください。")},
        {15, QStringLiteral("スピーカーを使えません。ほかのプログラムが使っていないか確認してください。")},
        {16, QStringLiteral("マイクが開かれていません。")},
        {17, QStringLiteral("スピーカーが開かれていません。")},
        {18, QStringLiteral("このサウンド機器ではマイクの音量を変えられません。")},
        {19, QStringLiteral("このサウンド機器ではスピーカーの音量を変えられません。")},
        {20, QStringLiteral("録音の準備ができませんでした。")},
        {21, QStringLiteral("音声ファイルを開けませんでした。")},
        {22, QStringLiteral("SIPアドレスが正しくありません。")},
        {23, QStringLiteral("このコーデックは使えません。")},
        {24, QStringLiteral("通話の条件（SDP）を作れませんでした。")},
        {25, QStringLiteral("発信できませんでした。電話番号と通信設定を確認してください。")},
        {26, QStringLiteral("SIPサーバーへの登録を始められませんでした。通信設定のプロキシとドメインを確認してください。")},
        {27, QStringLiteral("SIPサーバーへの登録を解除できませんでした。")},
        {28, QStringLiteral("切断できませんでした。")},
        {29, QStringLiteral("回線番号が正しくありません。")},
        {30, QStringLiteral("回線は使用中です。")},
        {31, QStringLiteral("回線が開かれていません。")},
        {32, QStringLiteral("この着信はもうありません。")},
        {33, QStringLiteral("設定値が正しくありません。")},
        {34, QStringLiteral("通話中ではありません。")},
        {35, QStringLiteral("音声ファイルを読めませんでした。")},
        {36, QStringLiteral("音声ファイルを書けませんでした。")},
        {37, QStringLiteral("この形式の音声ファイルには対応していません。")},
        {38, QStringLiteral("発信を取り消せませんでした。")},
    };
    return texts.value(code);
}

QString VaxErrorMessage(int code)
{
    const QString text = VaxErrorText(code);
    const QString ja = VaxErrorTextJa(code);
    if (ja.isEmpty()) return text;
    return ja + QStringLiteral("\r\n\r\n(%1: %2)").arg(code).arg(text);
}

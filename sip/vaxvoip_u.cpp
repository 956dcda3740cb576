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

#include "fra_sip_audio_u.h"

#include "log_u.h"
#include "settings_u.h"
#include "softphone_u.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QSlider>

namespace {
constexpr int kVolumeStep = 25;
constexpr int kDefaultVolume = 200;

QSlider* MakeVolumeBar(const QString& name, QWidget* parent)
{
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setRange(0, 10);
    bar->setPageStep(1);
    bar->setTickPosition(QSlider::TicksBelow);
    return bar;
}

QProgressBar* MakeMeter(const QString& name, QWidget* parent)
{
    auto* meter = new QProgressBar(parent);
    meter->setObjectName(name);
    meter->setRange(0, 100);
    meter->setValue(0);
    meter->setTextVisible(false);
    meter->setMaximumHeight(12);
    return meter;
}
} // namespace

TfraSipAudio::TfraSipAudio(TSoftPhone& phone, TSettings& settings, QWidget* parent)
    : QWidget(parent), FPhone(phone), FSettings(settings)
{
    setObjectName(QStringLiteral("pnlAudio"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);

    auto part = [this, row](const QString& caption, QComboBox*& device, QSlider*& volume, QCheckBox*& mute,
                            QProgressBar*& meter, const QString& prefix) {
        auto* box = new QVBoxLayout;
        auto* top = new QHBoxLayout;
        top->addWidget(new QLabel(caption, this));
        device = new QComboBox(this);
        device->setObjectName(QStringLiteral("cbx%1Device").arg(prefix));
        device->setMinimumWidth(140);
        top->addWidget(device, 1);
        box->addLayout(top);
        auto* mid = new QHBoxLayout;
        volume = MakeVolumeBar(QStringLiteral("trb%1Volume").arg(prefix), this);
        mid->addWidget(volume, 1);
        mute = new QCheckBox(QStringLiteral("ﾐｭｰﾄ"), this);
        mute->setObjectName(QStringLiteral("chk%1Mute").arg(prefix));
        mid->addWidget(mute);
        box->addLayout(mid);
        meter = MakeMeter(QStringLiteral("pgb%1Level").arg(prefix), this);
        box->addWidget(meter);
        row->addLayout(box, 1);
    };
    part(QStringLiteral("スピーカ"), cbxSpkDevice, trbSpkVolume, chkSpkMute, pgbSpkLevel, QStringLiteral("Spk"));
    part(QStringLiteral("マイク"), cbxMicDevice, trbMicVolume, chkMicMute, pgbMicLevel, QStringLiteral("Mic"));
    lbxIncomTel = new QListWidget(this);
    lbxIncomTel->setObjectName(QStringLiteral("lbxIncomTel"));
    lbxIncomTel->setMaximumWidth(160);
    lbxIncomTel->setMaximumHeight(70);
    row->addWidget(lbxIncomTel);

    connect(trbSpkVolume, &QSlider::valueChanged, this, &TfraSipAudio::trbSpkVolumeChange);
    connect(trbMicVolume, &QSlider::valueChanged, this, &TfraSipAudio::trbMicVolumeChange);
    connect(chkSpkMute, &QCheckBox::toggled, this, [this](bool on) { FPhone.MuteSpk(on); });
    connect(chkMicMute, &QCheckBox::toggled, this, [this](bool on) { FPhone.MuteMic(on); });
    connect(cbxSpkDevice, &QComboBox::currentIndexChanged, this, [this](int i) { FPhone.SpkDeviceIndex = i; });
    connect(cbxMicDevice, &QComboBox::currentIndexChanged, this, [this](int i) { FPhone.MicDeviceIndex = i; });
    connect(lbxIncomTel, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!FFilling) FPhone.SetPendingSelected(row);
    });
    connect(&FPhone, &TSoftPhone::PendingCallsChanged, this, &TfraSipAudio::ShowPending);
    connect(&FPhone, &TSoftPhone::TimersStartRequested, this, &TfraSipAudio::StartLevelMeter);

    FLevelTimer.setInterval(20);
    connect(&FLevelTimer, &QTimer::timeout, this, &TfraSipAudio::LevelTimerTick);
}

void TfraSipAudio::InitAudioDevices()
{
    const QStringList outputs = TRingSound::OutputDeviceNames();
    const QStringList inputs = TRingSound::InputDeviceNames();
    Log::Detail(QStringLiteral("InitAudioDevices outputs=%1 inputs=%2").arg(outputs.size()).arg(inputs.size()));
    FPhone.SetAudioDeviceNames(outputs, inputs);

    cbxSpkDevice->clear();
    cbxSpkDevice->addItems(outputs);
    cbxSpkDevice->setCurrentIndex(outputs.isEmpty() ? -1 : 0);
    const int spk = static_cast<int>(outputs.indexOf(FSettings.AudioOutName));
    if (!FSettings.AudioOutName.isEmpty() && spk >= 0) cbxSpkDevice->setCurrentIndex(spk);
    FPhone.SpkDeviceIndex = std::max(0, cbxSpkDevice->currentIndex());

    int volume = static_cast<int>(std::clamp<qint64>(FSettings.AudioOutVol, 0, 250));
    if (volume == 0) volume = kDefaultVolume;
    trbSpkVolume->blockSignals(true);
    trbSpkVolume->setValue(volume / kVolumeStep);
    trbSpkVolume->blockSignals(false);
    trbSpkVolumeChange();

    // The incoming-ring WAV goes to the named PC device, or to another device
    // than the speaker when there is one.
    int pcOut = 0;
    if (!FSettings.PcOutName.isEmpty()) {
        pcOut = std::max<int>(0, static_cast<int>(outputs.indexOf(FSettings.PcOutName)));
    } else if (outputs.size() > 1) {
        for (int i = 0; i < outputs.size(); ++i)
            if (i != cbxSpkDevice->currentIndex()) {
                pcOut = i;
                break;
            }
    }
    FPhone.Ring().gPcOutIndex = pcOut;

    cbxMicDevice->clear();
    cbxMicDevice->addItems(inputs);
    cbxMicDevice->setCurrentIndex(inputs.isEmpty() ? -1 : 0);
    const int mic = static_cast<int>(inputs.indexOf(FSettings.AudioInName));
    if (!FSettings.AudioInName.isEmpty() && mic >= 0) cbxMicDevice->setCurrentIndex(mic);
    FPhone.MicDeviceIndex = std::max(0, cbxMicDevice->currentIndex());

    volume = static_cast<int>(std::clamp<qint64>(FSettings.AudioInVol, 0, 250));
    if (volume == 0) volume = kDefaultVolume;
    trbMicVolume->blockSignals(true);
    trbMicVolume->setValue(volume / kVolumeStep);
    trbMicVolume->blockSignals(false);
    trbMicVolumeChange();
}

void TfraSipAudio::trbSpkVolumeChange()
{
    FPhone.SetSpkVolume(trbSpkVolume->value() * kVolumeStep);
}

void TfraSipAudio::trbMicVolumeChange()
{
    FPhone.SetMicVolume(trbMicVolume->value() * kVolumeStep);
}

QString TfraSipAudio::SpeakerName() const
{
    return cbxSpkDevice->currentText();
}

QString TfraSipAudio::MicrophoneName() const
{
    return cbxMicDevice->currentText();
}

int TfraSipAudio::SpeakerVolume() const
{
    return FPhone.StoredSpkVolume();
}

int TfraSipAudio::MicrophoneVolume() const
{
    return FPhone.StoredMicVolume();
}

void TfraSipAudio::WriteAudioSettings()
{
    // An empty list (no sound server at this start) keeps the stored device.
    if (cbxMicDevice->count() > 0) FSettings.AudioInName = MicrophoneName();
    if (cbxSpkDevice->count() > 0) FSettings.AudioOutName = SpeakerName();
    FSettings.AudioOutVol = SpeakerVolume();
    FSettings.AudioInVol = MicrophoneVolume();
    FSettings.WriteText(QStringLiteral("SIP"), QStringLiteral("AUDIO_IN_NAME"), FSettings.AudioInName);
    FSettings.WriteText(QStringLiteral("SIP"), QStringLiteral("AUDIO_OUT_NAME"), FSettings.AudioOutName);
    FSettings.WriteText(QStringLiteral("SIP"), QStringLiteral("AUDIO_OUT_VOL"), QString::number(FSettings.AudioOutVol));
    FSettings.WriteText(QStringLiteral("SIP"), QStringLiteral("AUDIO_IN_VOL"), QString::number(FSettings.AudioInVol));
}

void TfraSipAudio::LevelTimerTick()
{
    pgbSpkLevel->setValue(FPhone.SpkSoundLevel());
    pgbMicLevel->setValue(FPhone.MicSoundLevel());
}

void TfraSipAudio::ShowPending(const QStringList& numbers, int selected)
{
    FFilling = true;
    lbxIncomTel->clear();
    lbxIncomTel->addItems(numbers);
    lbxIncomTel->setCurrentRow(selected);
    FFilling = false;
}

#include "window_state_u.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <QWidget>

TRegistry::TRegistry()
    : FReg(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("hoshiba"),
                                       QStringLiteral("kuruten3")))
{
    FReg->beginGroup(QStringLiteral("Initialize"));
}

TRegistry::~TRegistry() = default;

int TRegistry::ReadInt(const QString& name, int def) const
{
    bool ok = false;
    const int v = FReg->value(name).toString().toInt(&ok);
    return ok ? v : def;
}

bool TRegistry::ReadFlag(const QString& name, bool def) const
{
    if (!FReg->contains(name)) return def;
    return FReg->value(name).toString() == QLatin1String("1");
}

QString TRegistry::ReadText(const QString& name, const QString& def) const
{
    return FReg->contains(name) ? FReg->value(name).toString() : def;
}

bool TRegistry::Contains(const QString& name) const
{
    return FReg->contains(name);
}

void TRegistry::WriteInt(const QString& name, int value)
{
    FReg->setValue(name, QString::number(value));
}

void TRegistry::WriteFlag(const QString& name, bool on)
{
    FReg->setValue(name, on ? QStringLiteral("1") : QStringLiteral("0"));
}

void TRegistry::WriteText(const QString& name, const QString& value)
{
    FReg->setValue(name, value);
}

void TRegistry::Sync()
{
    FReg->sync();
}

void TRegistry::WriteBounds(const QWidget* window, const QString& prefix)
{
    const QRect r = window->normalGeometry().isValid() ? window->normalGeometry() : window->geometry();
    WriteInt(prefix + QStringLiteral("Left"), r.x());
    WriteInt(prefix + QStringLiteral("Top"), r.y());
    WriteInt(prefix + QStringLiteral("Height"), r.height());
    WriteInt(prefix + QStringLiteral("Width"), r.width());
    int state = 3;
    if (window->isMaximized()) state = 2;
    else if (!window->isMinimized()) state = 1;
    WriteInt(prefix + QStringLiteral("WindowState"), state);
}

void TRegistry::ReadBounds(QWidget* window, const QString& prefix, QSize minSize, QSize defSize)
{
    const int state = ReadInt(prefix + QStringLiteral("WindowState"), 0);
    if (state == 1) {
        QPoint pos(ReadInt(prefix + QStringLiteral("Left"), 0), ReadInt(prefix + QStringLiteral("Top"), 0));
        if (!QGuiApplication::screenAt(pos)) pos = QPoint(0, 0);
        window->move(pos);
        window->resize(qMax(minSize.width(), ReadInt(prefix + QStringLiteral("Width"), defSize.width())),
                       qMax(minSize.height(), ReadInt(prefix + QStringLiteral("Height"), defSize.height())));
    } else if (state == 2) {
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    } else {
        window->move(0, 0);
    }
}

void TRegistry::WriteColumnWidths(const QTableView* grid, const QString& prefix)
{
    const int n = grid->horizontalHeader()->count();
    for (int c = 0; c < n; ++c) WriteInt(prefix + QString::number(c), grid->columnWidth(c));
}

void TRegistry::ReadColumnWidths(QTableView* grid, const QString& prefix)
{
    const int n = grid->horizontalHeader()->count();
    for (int c = 0; c < n; ++c) {
        const int w = ReadInt(prefix + QString::number(c), -1);
        if (w > 0 && !grid->isColumnHidden(c)) grid->setColumnWidth(c, w);
    }
}

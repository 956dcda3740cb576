#pragma once
// Window state kept per user between runs (the registry of the old program):
// QSettings native format, organisation "hoshiba", application "kuruten3",
// group "Initialize". Every value is a string; integers in decimal, flags
// "1"/"0".
#include <QSize>
#include <QString>
#include <memory>

class QSettings;
class QTableView;
class QWidget;

class TRegistry
{
public:
    TRegistry();
    ~TRegistry();

    int ReadInt(const QString& name, int def) const;
    bool ReadFlag(const QString& name, bool def) const;
    QString ReadText(const QString& name, const QString& def = QString()) const;
    bool Contains(const QString& name) const;
    void WriteInt(const QString& name, int value);
    void WriteFlag(const QString& name, bool on);
    void WriteText(const QString& name, const QString& value);
    void Sync();

    // Bounds of a window under prefix: <prefix>Left, Top, Width, Height and
    // WindowState (1 normal, 2 maximised, 3 anything else).
    void WriteBounds(const QWidget* window, const QString& prefix);
    // Normal state: the saved position when a monitor holds it, else (0, 0),
    // and the saved size (at least minSize); maximised: maximised;
    // otherwise (0, 0) in the present size.
    void ReadBounds(QWidget* window, const QString& prefix, QSize minSize, QSize defSize);

    // Column widths of a grid under prefix: <prefix>0, <prefix>1, ...
    void WriteColumnWidths(const QTableView* grid, const QString& prefix);
    void ReadColumnWidths(QTableView* grid, const QString& prefix);

private:
    std::unique_ptr<QSettings> FReg;
};

#pragma once
// A picture of a window for a person to look at, once it has been shown and
// has settled on the display (the window manager placed it, fonts loaded).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QString>
#include <QWidget>

inline void ShootWindow(QWidget& w, const QString& file)
{
    w.show();
    w.raise();
    w.activateWindow();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 800) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    w.grab().save(file);
}

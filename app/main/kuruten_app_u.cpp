#include "kuruten_app_u.h"

#include "errors_u.h"
#include "log_u.h"

#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>

TKurutenApp::TKurutenApp(int& argc, char** argv) : QApplication(argc, argv) {}

bool TKurutenApp::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        HandleException(ExceptionText(e));
    } catch (...) {
        HandleException(QStringLiteral("unknown exception"));
    }
    return false;
}

void TKurutenApp::HandleException(const QString& message)
{
    if (OnException) {
        try {
            OnException(message);
            return;
        } catch (...) {
            // The handler itself failed (for instance the log is unwritable).
        }
    }
    try {
        Log::Always(QStringLiteral("This is on AppException Proc., E.Message=") + message);
    } catch (...) {
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    }
}

QIcon TKurutenApp::AppIcon()
{
    // Drawn, so the notification area always has something to show.
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(40, 90, 160));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(0, 0, size, size), size / 5.0, size / 5.0);
        QFont f = font();
        f.setPixelSize(int(size * 0.72));
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("く"));
        icon.addPixmap(pm);
    }
    return icon;
}

void TKurutenApp::SetUpLook()
{
    // Dates, day names and Qt's own texts in Japanese whatever the session's locale.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    const QStringList families = QFontDatabase::families();
    for (const QString& name : {QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                                QStringLiteral("Noto Sans CJK JP")}) {
        if (families.contains(name)) {
            QFont f(name);
            f.setPixelSize(12);
            setFont(f);
            break;
        }
    }
    setWindowIcon(AppIcon());

    auto* qt = new QTranslator(this);
    if (qt->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qt);
}

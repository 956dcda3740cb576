#include "kuruten_app_u.h"

#include "errors_u.h"
#include "log_u.h"
#include "main_images_u.h"

#include <QFont>
#include <QIcon>
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

QFont TKurutenApp::UiFont()
{
    // A proportional Japanese face for the windows; the fixed-pitch
    // IPAGothic is kept for the printouts that ask for a fixed face.
    const QStringList families = QFontDatabase::families();
    for (const QString& name : {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                QStringLiteral("Noto Sans CJK JP")}) {
        if (families.contains(name)) {
            QFont f(name);
            f.setPixelSize(12);
            return f;
        }
    }
    QFont f = QApplication::font();
    f.setPixelSize(12);
    return f;
}

void TKurutenApp::SetUpLook()
{
    // Dates, day names and Qt's own texts in Japanese whatever the session's locale.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    setFont(UiFont());
    // Not registered yet; the main window follows the registration.
    setWindowIcon(MainImages::ProgramIcon(false));

    auto* qt = new QTranslator(this);
    if (qt->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qt);
}

#pragma once
// The application object: every exception that escapes an event handler ends
// in one handler instead of terminating the program.
#include <QApplication>
#include <QFont>
#include <functional>

class TKurutenApp : public QApplication
{
    Q_OBJECT
public:
    TKurutenApp(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Set by the main window; without it the message is only logged.
    std::function<void(const QString&)> OnException;
    void HandleException(const QString& message);

    // Japanese font and Qt's own texts in Japanese; the program's icon.
    void SetUpLook();
    // The font of every window.
    static QFont UiFont();
};

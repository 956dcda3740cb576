#pragma once
// The one door for message boxes and modal dialog results. Tests install a
// responder that records the box and answers it.
#include <QString>
#include <functional>

class QDialog;
class QWidget;

enum class TMsgKind { Information, Warning, Error, Confirmation };

enum TMsgButton : int {
    mbOK = 0x1,
    mbCancel = 0x2,
    mbYes = 0x4,
    mbNo = 0x8,
};

struct TMsgRequest
{
    TMsgKind Kind;
    QString Text;
    int Buttons; // TMsgButton bits
};

namespace Msg {
// Shows the box (or asks the responder) and returns the button chosen.
int Show(TMsgKind kind, const QString& text, int buttons = mbOK, QWidget* parent = nullptr);

inline void Info(const QString& text, QWidget* parent = nullptr) { Show(TMsgKind::Information, text, mbOK, parent); }
inline void Warn(const QString& text, QWidget* parent = nullptr) { Show(TMsgKind::Warning, text, mbOK, parent); }
inline void Error(const QString& text, QWidget* parent = nullptr) { Show(TMsgKind::Error, text, mbOK, parent); }

// Caption of the boxes: the program's title. Windows keep their own captions
// alone, so the title is not the application's display name.
void SetTitle(const QString& title);
QString Title();

// Runs a modal dialog (or asks the responder) and returns its result code.
int ExecDialog(QDialog& dialog);

// The program is stopping: boxes and dialogs that are open close as if
// cancelled, and no new one asks anybody (each gets the answer that does
// least: Cancel, else No, else OK).
void StopAsking();
bool Stopping();
int LeastAnswer(int buttons);

using TResponder = std::function<int(const TMsgRequest&)>;
using TDialogResponder = std::function<int(QDialog&)>;
// Install a responder; an empty one restores the real boxes.
void SetResponder(TResponder responder);
TResponder CurrentResponder();
void SetDialogResponder(TDialogResponder responder);
}

// A small program that receives what kuruten3 hands to external programs
// under X11: its command line, copy-data packets and user messages (see the
// README for the atoms and their layout). It writes one line per thing
// received to the file named by --out, so tests and benchmarks can see what
// arrived and when:
//
//   PID       <ns> <process id>
//   ARGS      <ns> <argument> <argument> ...
//   COPYDATA  <ns> <dwData> <text>
//   MESSAGE   <ns> <message> <wParam> <lParam>
//   CLOSED    <ns>
//
// fields separated by tabs, <ns> the monotonic clock in nanoseconds.
//
//   link_receiver --title TITLE --out FILE [--no-answer] [ARG ...]
//
// --no-answer   never answers copy-data (a receiver that hangs)
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <xcb/xcb.h>

#include <chrono>
#include <cstring>

namespace {
QString gOut;

QString Now()
{
    return QString::number(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

void Record(const QString& kind, const QStringList& fields)
{
    QFile f(gOut);
    if (!f.open(QIODevice::Append)) return;
    f.write((QStringList{kind, Now()} + fields).join(QLatin1Char('\t')).toUtf8() + '\n');
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(r);
    return a;
}

class TFilter : public QAbstractNativeEventFilter
{
public:
    TFilter(xcb_connection_t* c, xcb_window_t self, bool answer) : C(c), Self(self), Answer(answer)
    {
        CopyData = Atom(c, "KURUTEN_COPYDATA");
        CopyDataData = Atom(c, "KURUTEN_COPYDATA_DATA");
        CopyDataDone = Atom(c, "KURUTEN_COPYDATA_DONE");
        UserMessage = Atom(c, "KURUTEN_USER_MESSAGE");
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t") return false;
        auto* e = static_cast<xcb_generic_event_t*>(message);
        if ((e->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
        auto* cm = reinterpret_cast<xcb_client_message_event_t*>(e);
        const uint32_t* l = cm->data.data32;
        if (cm->type == CopyData) {
            // dwData, sender window, byte count with the NUL, serial.
            DwData = l[0];
            Sender = l[1];
            Size = l[2];
            Serial = l[3];
            Data.clear();
            return true;
        }
        if (cm->type == CopyDataData) {
            Data.append(reinterpret_cast<const char*>(cm->data.data8), 20);
            if (uint32_t(Data.size()) < Size) return true;
            Data.truncate(Size);
            const QString text = QString::fromUtf8(Data.left(Data.indexOf('\0')));
            Record(QStringLiteral("COPYDATA"), {QString::number(DwData), text});
            if (Answer) Done();
            return true;
        }
        if (cm->type == UserMessage) {
            Record(QStringLiteral("MESSAGE"), {QString::number(l[0]), QString::number(l[1]), QString::number(l[2])});
            return true;
        }
        return false;
    }

private:
    void Done()
    {
        xcb_client_message_event_t ev;
        memset(&ev, 0, sizeof ev);
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = Sender;
        ev.type = CopyDataDone;
        ev.data.data32[0] = Serial;
        ev.data.data32[1] = Self;
        ev.data.data32[2] = 1;
        xcb_send_event(C, 0, Sender, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ev));
        xcb_flush(C);
    }

    xcb_connection_t* C;
    xcb_window_t Self;
    bool Answer;
    xcb_atom_t CopyData, CopyDataData, CopyDataDone, UserMessage;
    uint32_t DwData = 0, Sender = 0, Size = 0, Serial = 0;
    QByteArray Data;
};

class TWindow : public QWidget
{
protected:
    void closeEvent(QCloseEvent* e) override
    {
        Record(QStringLiteral("CLOSED"), {});
        e->accept();
    }
};
} // namespace

int main(int argc, char** argv)
{
    QString title = QStringLiteral("link_receiver");
    bool answer = true;
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--title" && i + 1 < argc) title = QString::fromUtf8(argv[++i]);
        else if (a == "--out" && i + 1 < argc) gOut = QString::fromUtf8(argv[++i]);
        else if (a == "--no-answer") answer = false;
        else args << QString::fromUtf8(a);
    }
    Record(QStringLiteral("PID"), {QString::number(QCoreApplication::applicationPid())});
    Record(QStringLiteral("ARGS"), args);

    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TWindow window;
    window.setWindowTitle(title);
    auto* v = new QVBoxLayout(&window);
    v->addWidget(new QLabel(QStringLiteral("くるてん３から番号を受け取ります。")));
    window.resize(320, 80);
    window.show();
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return 2;
    TFilter filter(x11->connection(), xcb_window_t(window.winId()), answer);
    app.installNativeEventFilter(&filter);
    return app.exec();
}

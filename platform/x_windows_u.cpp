#include "x_windows_u.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QSet>
#include <QSocketNotifier>
#include <QTimer>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>

#include <poll.h>

#include <cstdlib>
#include <cstring>

namespace {
// Bytes of one copy-data chunk: the data of a ClientMessage in format 8.
constexpr int kChunk = 20;
// Longer texts are cut; the link hands over phone numbers.
constexpr int kMaxCopyData = 4096;
// While waiting for an answer, the queue is also looked at this often: a
// reply read by other code may have taken the answer off the socket.
constexpr int kWaitSliceMs = 20;

struct TFree
{
    void operator()(void* p) const { std::free(p); }
};
template <class T> using TReply = std::unique_ptr<T, TFree>;
} // namespace

struct TXWindows::TImpl
{
    xcb_connection_t* C = nullptr;
    xcb_ewmh_connection_t Ewmh{};
    bool EwmhReady = false;
    int ScreenNo = 0;
    xcb_window_t Root = 0;
    xcb_window_t Sender = 0;
    xcb_atom_t CopyData = 0, CopyDataData = 0, CopyDataDone = 0, UserMessage = 0;
    xcb_atom_t WmProtocols = 0, WmDeleteWindow = 0;
    quint32 NextSerial = 1;
    QSet<quint32> Answered;
    bool Tried = false;

    ~TImpl() { Disconnect(); }

    void Disconnect()
    {
        if (EwmhReady) xcb_ewmh_connection_wipe(&Ewmh);
        EwmhReady = false;
        if (C) xcb_disconnect(C);
        C = nullptr;
        Sender = 0;
        Answered.clear();
    }

    // Reads what arrived; answers to copy-data are remembered by serial.
    void DrainEvents()
    {
        while (xcb_generic_event_t* e = xcb_poll_for_event(C)) {
            if ((e->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
                const auto* cm = reinterpret_cast<xcb_client_message_event_t*>(e);
                if (cm->type == CopyDataDone && cm->format == 32) Answered.insert(cm->data.data32[0]);
            }
            std::free(e);
        }
    }

    bool WmPresent()
    {
        if (!EwmhReady) return false;
        xcb_window_t check = 0;
        if (!xcb_ewmh_get_supporting_wm_check_reply(&Ewmh, xcb_ewmh_get_supporting_wm_check(&Ewmh, Root), &check,
                                                    nullptr))
            return false;
        // A window manager that died leaves its check window's id behind.
        xcb_window_t self = 0;
        return xcb_ewmh_get_supporting_wm_check_reply(&Ewmh, xcb_ewmh_get_supporting_wm_check(&Ewmh, check), &self,
                                                      nullptr) &&
               self == check;
    }

    bool WmSupports(xcb_atom_t atom)
    {
        xcb_ewmh_get_atoms_reply_t atoms;
        if (!xcb_ewmh_get_supported_reply(&Ewmh, xcb_ewmh_get_supported(&Ewmh, ScreenNo), &atoms, nullptr))
            return false;
        bool found = false;
        for (uint32_t i = 0; i < atoms.atoms_len && !found; ++i) found = atoms.atoms[i] == atom;
        xcb_ewmh_get_atoms_reply_wipe(&atoms);
        return found;
    }

    // Top-level windows, top-most first.
    QList<xcb_window_t> Candidates()
    {
        QList<xcb_window_t> out;
        if (WmPresent()) {
            xcb_ewmh_get_windows_reply_t list;
            if (xcb_ewmh_get_client_list_stacking_reply(&Ewmh, xcb_ewmh_get_client_list_stacking(&Ewmh, ScreenNo),
                                                        &list, nullptr) ||
                xcb_ewmh_get_client_list_reply(&Ewmh, xcb_ewmh_get_client_list(&Ewmh, ScreenNo), &list, nullptr)) {
                // Both lists run from the bottom (or the oldest) upwards.
                for (uint32_t i = list.windows_len; i-- > 0;) out << list.windows[i];
                xcb_ewmh_get_windows_reply_wipe(&list);
                return out;
            }
        }
        // No window manager: the root's viewable children, in stacking order.
        TReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(C, xcb_query_tree(C, Root), nullptr));
        if (!tree) return out;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const int n = xcb_query_tree_children_length(tree.get());
        QList<xcb_get_window_attributes_cookie_t> cookies;
        for (int i = 0; i < n; ++i) cookies << xcb_get_window_attributes(C, children[i]);
        for (int i = n; i-- > 0;) {
            TReply<xcb_get_window_attributes_reply_t> a(xcb_get_window_attributes_reply(C, cookies[i], nullptr));
            if (a && a->map_state == XCB_MAP_STATE_VIEWABLE) out << children[i];
        }
        return out;
    }

    // Titles of the windows, asked all at once: _NET_WM_NAME, else WM_NAME.
    QStringList Titles(const QList<xcb_window_t>& windows)
    {
        QList<xcb_get_property_cookie_t> net, icccm;
        for (xcb_window_t w : windows) {
            net << (EwmhReady ? xcb_ewmh_get_wm_name(&Ewmh, w) : xcb_get_property_cookie_t{0});
            icccm << xcb_icccm_get_wm_name(C, w);
        }
        QStringList titles;
        for (int i = 0; i < windows.size(); ++i) {
            QString title;
            bool have = false;
            xcb_ewmh_get_utf8_strings_reply_t utf8;
            if (EwmhReady && xcb_ewmh_get_wm_name_reply(&Ewmh, net[i], &utf8, nullptr)) {
                title = QString::fromUtf8(utf8.strings, int(utf8.strings_len));
                have = true;
                xcb_ewmh_get_utf8_strings_reply_wipe(&utf8);
            }
            xcb_icccm_get_text_property_reply_t prop;
            if (xcb_icccm_get_text_property_reply(C, icccm[i], &prop, nullptr)) {
                if (!have) {
                    const QByteArray bytes(prop.name, int(prop.name_len));
                    // STRING is Latin-1; UTF8_STRING and Qt's own titles are UTF-8.
                    title = prop.encoding == XCB_ATOM_STRING ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
                }
                xcb_icccm_get_text_property_reply_wipe(&prop);
            }
            titles << title;
        }
        return titles;
    }

    bool Send(xcb_window_t window, const xcb_client_message_event_t& ev, uint32_t mask = XCB_EVENT_MASK_NO_EVENT)
    {
        xcb_generic_error_t* error =
            xcb_request_check(C, xcb_send_event_checked(C, 0, window, mask, reinterpret_cast<const char*>(&ev)));
        if (!error) return true;
        std::free(error);
        return false;
    }

    xcb_client_message_event_t Message(xcb_window_t window, xcb_atom_t type, uint8_t format)
    {
        xcb_client_message_event_t ev;
        std::memset(&ev, 0, sizeof ev);
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = format;
        ev.window = window;
        ev.type = type;
        return ev;
    }

    bool WaitForAnswer(quint32 serial, int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        const int fd = xcb_get_file_descriptor(C);
        for (;;) {
            DrainEvents();
            if (Answered.remove(serial)) return true;
            if (xcb_connection_has_error(C)) return false;
            const int left = timeoutMs - int(t.elapsed());
            if (left <= 0) return false;
            const int slice = qMin(left, kWaitSliceMs);
            if (!QCoreApplication::instance()) {
                pollfd p{fd, POLLIN, 0};
                ::poll(&p, 1, slice);
                continue;
            }
            // The window keeps painting and taking input meanwhile.
            QEventLoop loop;
            QSocketNotifier notifier(fd, QSocketNotifier::Read);
            QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&loop] { loop.exit(0); });
            QTimer::singleShot(slice, &loop, [&loop] { loop.exit(0); });
            // The program is ending: its event loops no longer run.
            if (loop.exec() < 0) return false;
        }
    }
};

TXWindows::TXWindows() : F(std::make_unique<TImpl>()) {}

TXWindows::~TXWindows() = default;

bool TXWindows::Connect()
{
    // A display that went away is opened again at the next use.
    if (F->C && xcb_connection_has_error(F->C)) {
        F->Disconnect();
        F->Tried = false;
    }
    if (F->Tried) return F->C != nullptr;
    F->Tried = true;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return false;
    int screenNo = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNo);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNo && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(c);
        return false;
    }
    F->C = c;
    F->ScreenNo = screenNo;
    F->Root = it.data->root;

    const char* names[] = {"KURUTEN_COPYDATA", "KURUTEN_COPYDATA_DATA", "KURUTEN_COPYDATA_DONE",
                           "KURUTEN_USER_MESSAGE", "WM_PROTOCOLS", "WM_DELETE_WINDOW"};
    xcb_atom_t* atoms[] = {&F->CopyData, &F->CopyDataData, &F->CopyDataDone,
                           &F->UserMessage, &F->WmProtocols, &F->WmDeleteWindow};
    xcb_intern_atom_cookie_t cookies[6];
    for (int i = 0; i < 6; ++i) cookies[i] = xcb_intern_atom(c, 0, uint16_t(std::strlen(names[i])), names[i]);
    xcb_intern_atom_cookie_t* ewmhCookies = xcb_ewmh_init_atoms(c, &F->Ewmh);
    for (int i = 0; i < 6; ++i) {
        TReply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(c, cookies[i], nullptr));
        *atoms[i] = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    F->EwmhReady = xcb_ewmh_init_atoms_replies(&F->Ewmh, ewmhCookies, nullptr);

    // An unmapped window of our own: the answers are addressed to it.
    F->Sender = xcb_generate_id(c);
    xcb_create_window(c, 0, F->Sender, F->Root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0,
                      nullptr);
    const char title[] = "kuruten3 link";
    xcb_icccm_set_wm_name(c, F->Sender, XCB_ATOM_STRING, 8, sizeof title - 1, title);
    xcb_flush(c);
    return true;
}

bool TXWindows::Available()
{
    return Connect();
}

TXWindows::TWindow TXWindows::FindWindow(const QString& title, int* count)
{
    if (count) *count = 0;
    if (!Connect()) return 0;
    const QList<xcb_window_t> windows = F->Candidates();
    const QStringList titles = F->Titles(windows);
    TWindow found = 0;
    for (int i = 0; i < windows.size(); ++i) {
        if (titles[i] != title) continue;
        if (!found) found = windows[i];
        if (count) ++*count;
    }
    return found;
}

bool TXWindows::CloseWindow(TWindow window)
{
    if (!window || !Connect()) return false;
    bool sent = false;
    if (F->WmPresent() && F->WmSupports(F->Ewmh._NET_CLOSE_WINDOW)) {
        xcb_ewmh_request_close_window(&F->Ewmh, F->ScreenNo, window, XCB_CURRENT_TIME,
                                      XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
        sent = true;
    } else {
        xcb_client_message_event_t ev = F->Message(window, F->WmProtocols, 32);
        ev.data.data32[0] = F->WmDeleteWindow;
        ev.data.data32[1] = XCB_CURRENT_TIME;
        sent = F->Send(window, ev);
    }
    xcb_flush(F->C);
    return sent;
}

TXWindows::TSendResult TXWindows::SendCopyData(TWindow window, quint32 dwData, const QByteArray& data,
                                               int timeoutMs)
{
    if (!window || !Connect()) return TSendResult::Failed;
    QByteArray bytes = data.left(kMaxCopyData - 1);
    bytes.append('\0');
    const quint32 serial = F->NextSerial++;
    xcb_client_message_event_t head = F->Message(window, F->CopyData, 32);
    head.data.data32[0] = dwData;
    head.data.data32[1] = F->Sender;
    head.data.data32[2] = quint32(bytes.size());
    head.data.data32[3] = serial;
    // The first event tells whether the window still exists.
    if (!F->Send(window, head)) return TSendResult::Failed;
    for (int at = 0; at < bytes.size(); at += kChunk) {
        xcb_client_message_event_t chunk = F->Message(window, F->CopyDataData, 8);
        std::memcpy(chunk.data.data8, bytes.constData() + at, size_t(qMin(kChunk, int(bytes.size()) - at)));
        xcb_send_event(F->C, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&chunk));
    }
    xcb_flush(F->C);
    return F->WaitForAnswer(serial, timeoutMs) ? TSendResult::Handled : TSendResult::NoAnswer;
}

bool TXWindows::PostMessage(TWindow window, quint32 message, quint32 wParam, quint32 lParam)
{
    if (!window || !Connect()) return false;
    xcb_client_message_event_t ev = F->Message(window, F->UserMessage, 32);
    ev.data.data32[0] = message;
    ev.data.data32[1] = wParam;
    ev.data.data32[2] = lParam;
    ev.data.data32[3] = F->Sender;
    return F->Send(window, ev);
}

TXWindows::TWindow TXWindows::SenderWindow()
{
    return Connect() ? F->Sender : 0;
}

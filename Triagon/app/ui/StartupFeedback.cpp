#include "app/ui/StartupFeedback.h"

#include <QGuiApplication>
#include <QtGui/qtgui-config.h>

#if QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace {

constexpr qsizetype kPieceBytes = 20;

} // namespace

QList<QByteArray> StartupFeedback::removeMessagePieces(const QByteArray &startupId)
{
    QByteArray value = startupId;
    if (value.contains(' ') || value.contains('"') || value.contains('\\')) {
        value.replace('\\', "\\\\");
        value.replace('"', "\\\"");
        value = '"' + value + '"';
    }
    QByteArray message = "remove: ID=" + value;
    message.append('\0');
    QList<QByteArray> pieces;
    for (qsizetype start = 0; start < message.size(); start += kPieceBytes) {
        QByteArray piece = message.mid(start, kPieceBytes);
        piece.append(QByteArray(kPieceBytes - piece.size(), '\0'));
        pieces.append(piece);
    }
    return pieces;
}

void StartupFeedback::end(const QByteArray &startupId)
{
    if (startupId.isEmpty())
        return;
#if QT_CONFIG(xcb)
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return;
    auto atom = [connection](const char *name) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, false, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    };
    const xcb_atom_t begin = atom("_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atom("_NET_STARTUP_INFO");
    if (begin == XCB_ATOM_NONE || more == XCB_ATOM_NONE)
        return;
    const QList<QByteArray> pieces = removeMessagePieces(startupId);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = screen->root;
        event.type = i == 0 ? begin : more;
        std::memcpy(event.data.data8, pieces.at(i).constData(), kPieceBytes);
        xcb_send_event(connection, false, screen->root, XCB_EVENT_MASK_PROPERTY_CHANGE, reinterpret_cast<const char *>(&event));
    }
    xcb_flush(connection);
#endif
}

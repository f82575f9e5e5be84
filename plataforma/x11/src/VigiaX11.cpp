#include "VigiaX11.h"

#include <QTimer>

#include <xcb/xfixes.h>

#include <cstdlib>
#include <string>

namespace plataforma::x11 {

namespace {

template <typename T> struct LiberarC {
    void operator()(T* p) const { std::free(p); }
};
template <typename T> using Respuesta = std::unique_ptr<T, LiberarC<T>>;

xcb_atom_t internar(xcb_connection_t* c, const std::string& nombre) {
    Respuesta<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(nombre.size()), nombre.data()),
        nullptr));
    return r ? r->atom : XCB_NONE;
}

} // namespace

VigiaX11::VigiaX11(const char* pantalla, std::function<void()> alCambiar)
    : alCambiar(std::move(alCambiar)) {
    int numero = 0;
    conexion = xcb_connect(pantalla, &numero);
    if (xcb_connection_has_error(conexion)) return;
    auto pantallas = xcb_setup_roots_iterator(xcb_get_setup(conexion));
    for (int i = 0; i < numero && pantallas.rem > 1; ++i)
        xcb_screen_next(&pantallas);
    if (!pantallas.data) return;
    raiz = pantallas.data->root;

    activa = internar(conexion, "_NET_ACTIVE_WINDOW");
    compositor = internar(conexion, "_NET_WM_CM_S" + std::to_string(numero));
    hora = internar(conexion, "REBISCO_HORA");

    // Las máscaras de eventos son de cada cliente: pedir los de la raíz aquí no toca los de Qt.
    const std::uint32_t mascaraRaiz = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(conexion, raiz, XCB_CW_EVENT_MASK, &mascaraRaiz);
    propia = xcb_generate_id(conexion);
    const std::uint32_t valores[] = {1, XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(conexion, XCB_COPY_FROM_PARENT, propia, raiz, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, valores);

    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(conexion, &xcb_xfixes_id);
    if (xfixes && xfixes->present) {
        Respuesta<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
            conexion, xcb_xfixes_query_version(conexion, 5, 0), nullptr));
        if (version) {
            hayXFixes = true;
            primerEventoXFixes = xfixes->first_event;
            xcb_xfixes_select_selection_input(
                conexion, propia, compositor,
                XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        }
    }
    conCompositor = preguntarCompositor();

    notificador =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(conexion), QSocketNotifier::Read);
    QObject::connect(notificador.get(), &QSocketNotifier::activated, [this] { atender(); });
    // Las respuestas de arriba pueden haber dejado eventos en la cola de xcb.
    atender();
}

VigiaX11::~VigiaX11() {
    notificador.reset();
    if (conexion) xcb_disconnect(conexion);
}

bool VigiaX11::preguntarCompositor() {
    if (compositor == XCB_NONE) return false;
    Respuesta<xcb_get_selection_owner_reply_t> r(xcb_get_selection_owner_reply(
        conexion, xcb_get_selection_owner(conexion, compositor), nullptr));
    return r && r->owner != XCB_NONE;
}

bool VigiaX11::hayCompositor() {
    // Sin XFixes no llegan avisos del compositor: se pregunta cada vez.
    if (!hayXFixes && conexion && !xcb_connection_has_error(conexion))
        conCompositor = preguntarCompositor();
    return conCompositor;
}

xcb_timestamp_t VigiaX11::momento() {
    if (!conexion || xcb_connection_has_error(conexion) || propia == XCB_NONE)
        return XCB_CURRENT_TIME;
    // Un cambio de propiedad vacío en la ventana propia devuelve la hora del servidor.
    xcb_change_property(conexion, XCB_PROP_MODE_APPEND, propia, hora, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    xcb_flush(conexion);
    bool cambio = false;
    xcb_timestamp_t respuesta = XCB_CURRENT_TIME;
    while (respuesta == XCB_CURRENT_TIME) {
        xcb_generic_event_t* evento = xcb_wait_for_event(conexion);
        if (!evento) break;
        const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(evento);
        if ((evento->response_type & 0x7F) == XCB_PROPERTY_NOTIFY && p->window == propia &&
            p->atom == hora)
            respuesta = p->time;
        cambio = tratar(evento) || cambio;
        std::free(evento);
    }
    // Quien pide la hora puede tener el escritorio a medias: el aviso va después.
    if (cambio) QTimer::singleShot(0, &contexto, [this] { alCambiar(); });
    return respuesta;
}

void VigiaX11::atender() {
    if (!conexion) return;
    bool cambio = false;
    while (xcb_generic_event_t* evento = xcb_poll_for_event(conexion)) {
        cambio = tratar(evento) || cambio;
        std::free(evento);
    }
    if (xcb_connection_has_error(conexion)) notificador->setEnabled(false);
    if (cambio) alCambiar();
}

bool VigiaX11::tratar(const xcb_generic_event_t* evento) {
    const auto tipo = evento->response_type & 0x7F;
    if (tipo == XCB_PROPERTY_NOTIFY) {
        const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(evento);
        return p->window == raiz && p->atom == activa;
    }
    if (hayXFixes && tipo == primerEventoXFixes + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto* s = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(evento);
        if (s->selection != compositor) return false;
        const bool ahora = s->owner != XCB_NONE;
        if (ahora == conCompositor) return false;
        conCompositor = ahora;
        return true;
    }
    return false;
}

} // namespace plataforma::x11

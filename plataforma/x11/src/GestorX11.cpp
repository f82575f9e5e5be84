#include "GestorX11.h"

#include "Registro.h"

#include <cstdlib>
#include <cstring>

namespace plataforma::x11 {

namespace {

template <typename T> struct LiberarC {
    void operator()(T* p) const { std::free(p); }
};
template <typename T> using Respuestas = std::unique_ptr<T, LiberarC<T>>;

} // namespace

GestorX11::GestorX11(const char* pantalla, Guardar guardar)
    : conexion(conectar(pantalla, "gestionar el portapapeles"))
    , guardar(std::move(guardar)) {
    if (!sirve(conexion)) return;
    const xcb_screen_t* p = xcb_setup_roots_iterator(xcb_get_setup(conexion.get())).data;
    if (!p) return;
    raiz = p->root;
    seleccion = atomo("CLIPBOARD_MANAGER");
    targets = atomo("TARGETS");
    guardarDestinos = atomo("SAVE_TARGETS");
    marca = atomo("TIMESTAMP");
    nulo = atomo("NULL");
    propiedadHora = atomo("REBISCO_HORA");
    ventana = xcb_generate_id(conexion.get());
    const std::uint32_t valores[] = {1, XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(conexion.get(), XCB_COPY_FROM_PARENT, ventana, raiz, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, valores);
    notificador = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(conexion.get()),
                                                    QSocketNotifier::Read);
    QObject::connect(notificador.get(), &QSocketNotifier::activated, &contexto,
                     [this] { atender(); });
}

GestorX11::~GestorX11() {
    notificador.reset();
}

xcb_atom_t GestorX11::atomo(const char* nombre) {
    Respuestas<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        conexion.get(),
        xcb_intern_atom(conexion.get(), 0, static_cast<std::uint16_t>(std::strlen(nombre)), nombre),
        nullptr));
    return r ? r->atom : XCB_NONE;
}

xcb_timestamp_t GestorX11::hora() {
    // La hora del servidor: un cambio vacío de una propiedad propia y su aviso (ICCCM pide una
    // hora de verdad, no CurrentTime, para tomar una selección).
    xcb_change_property(conexion.get(), XCB_PROP_MODE_APPEND, ventana, propiedadHora,
                        XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(conexion.get());
    xcb_timestamp_t t = XCB_CURRENT_TIME;
    std::vector<Respuestas<xcb_generic_event_t>> otros;
    while (t == XCB_CURRENT_TIME) {
        Respuestas<xcb_generic_event_t> e(xcb_wait_for_event(conexion.get()));
        if (!e) break;
        const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e.get());
        if ((e->response_type & 0x7F) == XCB_PROPERTY_NOTIFY && p->window == ventana &&
            p->atom == propiedadHora)
            t = p->time;
        else
            otros.push_back(std::move(e));
    }
    // Lo que llegó entretanto se atiende ahora, en su orden.
    for (const auto& e : otros) {
        const auto tipo = e->response_type & 0x7F;
        if (tipo == XCB_SELECTION_REQUEST)
            contestar(*reinterpret_cast<const xcb_selection_request_event_t*>(e.get()));
        else if (tipo == XCB_SELECTION_CLEAR)
            gestor = false;
    }
    return t;
}

bool GestorX11::tomarSiEstaLibre() {
    if (!sirve(conexion) || ventana == XCB_NONE || gestor) return gestor;
    Respuestas<xcb_get_selection_owner_reply_t> r(xcb_get_selection_owner_reply(
        conexion.get(), xcb_get_selection_owner(conexion.get(), seleccion), nullptr));
    if (!r || r->owner != XCB_NONE) return false;
    desde = hora();
    if (desde == XCB_CURRENT_TIME) return false;
    xcb_set_selection_owner(conexion.get(), ventana, seleccion, desde);
    // Otro gestor pudo tomarla entre la pregunta y la petición: entonces se queda con ella.
    Respuestas<xcb_get_selection_owner_reply_t> ahora(xcb_get_selection_owner_reply(
        conexion.get(), xcb_get_selection_owner(conexion.get(), seleccion), nullptr));
    gestor = ahora && ahora->owner == ventana;
    if (!gestor) return false;
    // ICCCM 2.8: el gestor nuevo se anuncia en la raíz con MANAGER.
    xcb_client_message_event_t aviso{};
    aviso.response_type = XCB_CLIENT_MESSAGE;
    aviso.format = 32;
    aviso.window = raiz;
    aviso.type = atomo("MANAGER");
    aviso.data.data32[0] = desde;
    aviso.data.data32[1] = seleccion;
    aviso.data.data32[2] = ventana;
    xcb_send_event(conexion.get(), 0, raiz, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&aviso));
    xcb_flush(conexion.get());
    qCInfo(registroX11, "rebisco es el gestor del portapapeles (CLIPBOARD_MANAGER)");
    return true;
}

void GestorX11::atender() {
    while (xcb_generic_event_t* crudo = xcb_poll_for_event(conexion.get())) {
        Respuestas<xcb_generic_event_t> e(crudo);
        const auto tipo = e->response_type & 0x7F;
        if (tipo == XCB_SELECTION_REQUEST) {
            contestar(*reinterpret_cast<const xcb_selection_request_event_t*>(e.get()));
        } else if (tipo == XCB_SELECTION_CLEAR) {
            // Otro gestor la tomó: se le deja.
            qCInfo(registroX11, "otro programa es ahora el gestor del portapapeles");
            gestor = false;
        }
    }
    if (xcb_connection_has_error(conexion.get())) notificador->setEnabled(false);
}

std::optional<std::vector<std::string>> GestorX11::destinosPedidos(xcb_window_t deVentana,
                                                                   xcb_atom_t propiedad) {
    Respuestas<xcb_get_property_reply_t> r(xcb_get_property_reply(
        conexion.get(),
        xcb_get_property(conexion.get(), 0, deVentana, propiedad, XCB_ATOM_ATOM, 0, maximoPedidos),
        nullptr));
    // Sin la propiedad (o no de átomos) se guarda lo que anuncie TARGETS.
    if (!r || r->type != XCB_ATOM_ATOM || r->format != 32) return std::nullopt;
    const auto cuantos =
        static_cast<std::size_t>(xcb_get_property_value_length(r.get())) / sizeof(xcb_atom_t);
    const auto* lista = static_cast<const xcb_atom_t*>(xcb_get_property_value(r.get()));
    std::vector<xcb_get_atom_name_cookie_t> galletas;
    for (std::size_t i = 0; i < cuantos; ++i)
        galletas.push_back(xcb_get_atom_name(conexion.get(), lista[i]));
    std::vector<std::string> nombres;
    for (const auto g : galletas) {
        Respuestas<xcb_get_atom_name_reply_t> n(
            xcb_get_atom_name_reply(conexion.get(), g, nullptr));
        if (n)
            nombres.emplace_back(xcb_get_atom_name_name(n.get()),
                                 static_cast<std::size_t>(xcb_get_atom_name_name_length(n.get())));
    }
    return nombres;
}

void GestorX11::contestar(const xcb_selection_request_event_t& pedido) {
    xcb_selection_notify_event_t aviso{};
    aviso.response_type = XCB_SELECTION_NOTIFY;
    aviso.time = pedido.time;
    aviso.requestor = pedido.requestor;
    aviso.selection = pedido.selection;
    aviso.target = pedido.target;
    aviso.property = XCB_NONE;
    // Un cliente antiguo sin propiedad: se usa el destino (ICCCM).
    const xcb_atom_t propiedad = pedido.property != XCB_NONE ? pedido.property : pedido.target;
    const bool nuestra = gestor && pedido.selection == seleccion &&
                         (pedido.time == XCB_CURRENT_TIME || pedido.time >= desde);
    if (nuestra && pedido.target == targets) {
        const xcb_atom_t lista[] = {targets, guardarDestinos, marca};
        xcb_change_property(conexion.get(), XCB_PROP_MODE_REPLACE, pedido.requestor, propiedad,
                            XCB_ATOM_ATOM, 32, 3, lista);
        aviso.property = propiedad;
    } else if (nuestra && pedido.target == marca) {
        xcb_change_property(conexion.get(), XCB_PROP_MODE_REPLACE, pedido.requestor, propiedad,
                            XCB_ATOM_INTEGER, 32, 1, &desde);
        aviso.property = propiedad;
    } else if (nuestra && pedido.target == guardarDestinos) {
        const auto destinos = pedido.property != XCB_NONE
                                  ? destinosPedidos(pedido.requestor, pedido.property)
                                  : std::nullopt;
        if (guardar && guardar(destinos)) {
            // Un destino de efecto: se contesta con una propiedad vacía de tipo NULL.
            xcb_change_property(conexion.get(), XCB_PROP_MODE_REPLACE, pedido.requestor, propiedad,
                                nulo, 32, 0, nullptr);
            aviso.property = propiedad;
        }
    }
    xcb_send_event(conexion.get(), 0, pedido.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&aviso));
    xcb_flush(conexion.get());
}

} // namespace plataforma::x11

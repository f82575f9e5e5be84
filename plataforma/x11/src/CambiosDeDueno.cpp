#include "CambiosDeDueno.h"

#include "Registro.h"

#include <xcb/xfixes.h>

#include <cstdlib>

namespace plataforma::x11 {

namespace {

template <typename T> struct LiberarC {
    void operator()(T* p) const { std::free(p); }
};
template <typename T> using Respuestas = std::unique_ptr<T, LiberarC<T>>;

} // namespace

CambiosDeDueno::CambiosDeDueno(const char* pantalla, std::vector<std::string> selecciones,
                               Aviso aviso)
    : conexion(conectar(pantalla, "seguir a los dueños del portapapeles"))
    , aviso(std::move(aviso)) {
    if (!sirve(conexion)) return;
    const xcb_query_extension_reply_t* xfixes =
        xcb_get_extension_data(conexion.get(), &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) {
        qCInfo(registroX11, "el servidor no tiene XFixes: no se ve cuándo se va un dueño");
        return;
    }
    Respuestas<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        conexion.get(), xcb_xfixes_query_version(conexion.get(), 5, 0), nullptr));
    if (!version) return;
    primerEvento = xfixes->first_event;

    const xcb_screen_t* raiz = xcb_setup_roots_iterator(xcb_get_setup(conexion.get())).data;
    if (!raiz) return;
    const xcb_window_t ventana = xcb_generate_id(conexion.get());
    xcb_create_window(conexion.get(), XCB_COPY_FROM_PARENT, ventana, raiz->root, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    for (auto& nombre : selecciones) {
        Respuestas<xcb_intern_atom_reply_t> a(xcb_intern_atom_reply(
            conexion.get(),
            xcb_intern_atom(conexion.get(), 0, static_cast<std::uint16_t>(nombre.size()),
                            nombre.data()),
            nullptr));
        if (!a) continue;
        xcb_xfixes_select_selection_input(
            conexion.get(), ventana, a->atom,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        // El dueño de partida se pregunta después de pedir los avisos: no se pierde ninguno.
        // De él no se sabe desde cuándo lo es.
        Respuestas<xcb_get_selection_owner_reply_t> r(xcb_get_selection_owner_reply(
            conexion.get(), xcb_get_selection_owner(conexion.get(), a->atom), nullptr));
        vigiladas.push_back(
            {std::move(nombre), a->atom, {r ? r->owner : xcb_window_t{XCB_NONE}, 0}});
    }
    notificador = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(conexion.get()),
                                                    QSocketNotifier::Read);
    QObject::connect(notificador.get(), &QSocketNotifier::activated, &contexto,
                     [this] { atender(); });
    atender();
}

CambiosDeDueno::~CambiosDeDueno() {
    notificador.reset();
}

Propietario CambiosDeDueno::dueno(const std::string& seleccion) const {
    for (const auto& v : vigiladas)
        if (v.nombre == seleccion) return v.actual;
    return {};
}

void CambiosDeDueno::atender() {
    std::vector<CambioDeDueno> cambios;
    while (xcb_generic_event_t* crudo = xcb_poll_for_event(conexion.get())) {
        Respuestas<xcb_generic_event_t> e(crudo);
        if ((e->response_type & 0x7F) != primerEvento + XCB_XFIXES_SELECTION_NOTIFY) continue;
        const auto* s = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(e.get());
        for (auto& v : vigiladas) {
            if (v.atomo != s->selection) continue;
            CambioDeDueno cambio{.seleccion = v.nombre, .antes = v.actual};
            switch (s->subtype) {
            case XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER:
                cambio.motivo = CambioDeDueno::Motivo::tomada;
                v.actual = {s->owner, v.actual.cambio + 1, s->selection_timestamp};
                break;
            case XCB_XFIXES_SELECTION_EVENT_SELECTION_WINDOW_DESTROY:
                cambio.motivo = CambioDeDueno::Motivo::ventanaDestruida;
                v.actual = {XCB_NONE, v.actual.cambio + 1, s->timestamp};
                break;
            default:
                cambio.motivo = CambioDeDueno::Motivo::clienteCerrado;
                v.actual = {XCB_NONE, v.actual.cambio + 1, s->timestamp};
                break;
            }
            cambio.ahora = v.actual;
            cambios.push_back(std::move(cambio));
        }
    }
    if (xcb_connection_has_error(conexion.get())) notificador->setEnabled(false);
    // Quien recibe el aviso puede tardar (leer al dueño que se va): la cola ya está vacía.
    for (const auto& cambio : cambios)
        aviso(cambio);
}

} // namespace plataforma::x11

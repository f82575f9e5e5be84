#include "Seleccion.h"

#include "Registro.h"

#include <poll.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

namespace plataforma::x11 {

namespace {

// Un dueño que manda más que esto se corta: nada de lo que se guarda se acerca.
constexpr std::size_t maximoBytes = std::size_t{256} << 20;
// Trozo de cada GetProperty, en unidades de 32 bits (16 MiB).
constexpr std::uint32_t trozoPropiedad = 4u << 20;

template <typename T> struct LiberarC {
    void operator()(T* p) const { std::free(p); }
};
template <typename T> using Respuestas = std::unique_ptr<T, LiberarC<T>>;

std::uint8_t tipoDeEvento(const xcb_generic_event_t* e) {
    return e->response_type & 0x7F;
}

} // namespace

void Seleccion::LiberarEvento::operator()(xcb_generic_event_t* e) const {
    std::free(e);
}

Seleccion::Seleccion(const char* pantalla, Duracion plazoTrozo)
    : conexion(conectar(pantalla, "leer el portapapeles"))
    , plazoTrozo(plazoTrozo) {
    if (!sirve(conexion)) return;

    clipboard = atomo("CLIPBOARD");
    targets = atomo("TARGETS");
    incr = atomo("INCR");
    propiedades = {atomo("REBISCO_SELECCION"), atomo("REBISCO_SELECCION_2")};
    propiedad = propiedades[0];
    propiedadHora = atomo("REBISCO_HORA");

    const xcb_screen_t* pantallaX = xcb_setup_roots_iterator(xcb_get_setup(conexion.get())).data;
    if (!pantallaX) return;
    ventana = xcb_generate_id(conexion.get());
    // Solo entrada y sin mapear: nadie la ve, pero recibe los avisos de sus propiedades.
    const std::uint32_t valores[] = {1, XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(conexion.get(), XCB_COPY_FROM_PARENT, ventana, pantallaX->root, -10, -10, 1,
                      1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, valores);

    // Con XFixes esta conexión ve cada cambio de dueño en el orden del servidor, sin
    // depender de cuándo procese Qt los suyos.
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(conexion.get(), &xcb_xfixes_id);
    if (extension && extension->present) {
        Respuestas<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
            conexion.get(), xcb_xfixes_query_version(conexion.get(), 5, 0), nullptr));
        if (version) {
            hayXFixes = true;
            primerEventoXFixes = extension->first_event;
            xcb_xfixes_select_selection_input(
                conexion.get(), ventana, clipboard,
                XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                    XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
            // Los avisos dicen los cambios; el dueño de partida se pregunta una vez, después
            // de pedirlos, para no perder ninguno entre medias.
            Respuestas<xcb_get_selection_owner_reply_t> r(xcb_get_selection_owner_reply(
                conexion.get(), xcb_get_selection_owner(conexion.get(), clipboard), nullptr));
            actual = {r ? r->owner : xcb_window_t{XCB_NONE}, 0, XCB_CURRENT_TIME};
        }
    } else {
        qCInfo(registroX11, "el servidor no tiene XFixes: los cambios de dueño se ven peor");
    }
    xcb_flush(conexion.get());
}

Seleccion::~Seleccion() = default;

bool Seleccion::conectada() const {
    return sirve(conexion) && ventana != XCB_NONE;
}

xcb_atom_t Seleccion::atomo(std::string_view nombre) {
    if (const auto it = atomos.find(nombre); it != atomos.end()) return it->second;
    if (!sirve(conexion)) return XCB_NONE;
    const auto galleta = xcb_intern_atom(conexion.get(), 0,
                                         static_cast<std::uint16_t>(nombre.size()), nombre.data());
    Respuestas<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(conexion.get(), galleta, nullptr));
    if (!r) return XCB_NONE;
    recordar(r->atom, std::string(nombre));
    return r->atom;
}

void Seleccion::recordar(xcb_atom_t a, const std::string& nombre) {
    // Los átomos fijos viven en sus miembros: vaciar la caché solo cuesta volver a preguntar.
    if (nombres.size() >= maximoCache || atomos.size() >= maximoCache) {
        atomos.clear();
        nombres.clear();
    }
    atomos.emplace(nombre, a);
    nombres.emplace(a, nombre);
}

std::string Seleccion::nombreDe(xcb_atom_t a) {
    std::vector<std::string> salida;
    nombresDe({a}, salida);
    if (salida.empty()) return {};
    return salida.front();
}

void Seleccion::nombresDe(const std::vector<xcb_atom_t>& lista, std::vector<std::string>& salida) {
    // Se piden todos los nombres desconocidos de una vez y luego se recogen las respuestas;
    // los de esta lista se guardan aparte, por si la caché se vacía entretanto.
    std::unordered_map<xcb_atom_t, std::string> leidos;
    std::vector<std::pair<xcb_atom_t, xcb_get_atom_name_cookie_t>> pendientes;
    std::unordered_set<xcb_atom_t> pedidos;
    for (const auto a : lista) {
        if (a == XCB_NONE || nombres.contains(a) || !pedidos.insert(a).second) continue;
        pendientes.emplace_back(a, xcb_get_atom_name(conexion.get(), a));
    }
    for (const auto& [a, galleta] : pendientes) {
        Respuestas<xcb_get_atom_name_reply_t> r(
            xcb_get_atom_name_reply(conexion.get(), galleta, nullptr));
        if (!r) continue;
        leidos.emplace(
            a, std::string(xcb_get_atom_name_name(r.get()),
                           static_cast<std::size_t>(xcb_get_atom_name_name_length(r.get()))));
    }
    if (pendientes.size() > leidos.size())
        qCDebug(registroX11, "%zu destinos anunciados no son átomos",
                pendientes.size() - leidos.size());
    for (const auto a : lista) {
        if (const auto it = nombres.find(a); it != nombres.end())
            salida.push_back(it->second);
        else if (const auto l = leidos.find(a); l != leidos.end())
            salida.push_back(l->second);
    }
    for (const auto& [a, nombre] : leidos)
        recordar(a, nombre);
}

void Seleccion::contar(const xcb_generic_event_t* e) {
    if (!hayXFixes || tipoDeEvento(e) != primerEventoXFixes + XCB_XFIXES_SELECTION_NOTIFY) return;
    const auto* aviso = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(e);
    if (aviso->selection != clipboard) return;
    // Al cerrarse el dueño o destruirse su ventana la selección se queda sin nadie.
    const bool tomada = aviso->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER;
    actual = {tomada ? aviso->owner : xcb_window_t{XCB_NONE}, actual.cambio + 1,
              tomada ? aviso->selection_timestamp : aviso->timestamp};
}

bool Seleccion::sigueSiendo(const Propietario& de) const {
    // Sin XFixes solo queda comparar la ventana, con el dueño preguntado por quien llama.
    return hayXFixes ? actual == de : true;
}

template <typename Condicion>
Seleccion::Evento Seleccion::esperar(Condicion condicion, Instante limite) {
    xcb_flush(conexion.get());
    const int descriptor = xcb_get_file_descriptor(conexion.get());
    for (;;) {
        while (xcb_generic_event_t* crudo = xcb_poll_for_event(conexion.get())) {
            Evento e(crudo);
            contar(e.get());
            if (condicion(e.get())) return e;
        }
        if (xcb_connection_has_error(conexion.get())) return nullptr;
        const auto resta =
            std::chrono::ceil<std::chrono::milliseconds>(limite - std::chrono::steady_clock::now());
        if (resta.count() <= 0) return nullptr;
        pollfd p{descriptor, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(resta.count()));
    }
}

void Seleccion::descartarPendientes() {
    // Respuestas tardías de un dueño anterior: no deben confundirse con las nuevas.
    while (xcb_generic_event_t* crudo = xcb_poll_for_event(conexion.get())) {
        Evento descartado(crudo);
        contar(descartado.get());
    }
}

xcb_timestamp_t Seleccion::marcaDeTiempo() {
    // La hora del servidor se obtiene cambiando una propiedad propia y leyendo el aviso.
    xcb_change_property(conexion.get(), XCB_PROP_MODE_APPEND, ventana, propiedadHora,
                        XCB_ATOM_STRING, 8, 0, nullptr);
    const auto limite = std::chrono::steady_clock::now() + plazoTrozo;
    const auto e = esperar(
        [this](const xcb_generic_event_t* e) {
            if (tipoDeEvento(e) != XCB_PROPERTY_NOTIFY) return false;
            const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
            return p->window == ventana && p->atom == propiedadHora;
        },
        limite);
    if (!e) return XCB_CURRENT_TIME;
    return reinterpret_cast<const xcb_property_notify_event_t*>(e.get())->time;
}

Propietario Seleccion::propietario() {
    if (!conectada()) return {};
    Respuestas<xcb_get_selection_owner_reply_t> r(xcb_get_selection_owner_reply(
        conexion.get(), xcb_get_selection_owner(conexion.get(), clipboard), nullptr));
    // Los avisos anteriores a la respuesta ya están en la cola: el propietario queda al día.
    descartarPendientes();
    if (hayXFixes) return actual;
    return {r ? r->owner : xcb_window_t{XCB_NONE}, -1, XCB_CURRENT_TIME};
}

bool Seleccion::leerPropiedad(Transferencia& t, xcb_atom_t& tipo) {
    std::uint32_t desplazamiento = 0; // en unidades de 32 bits
    for (;;) {
        Respuestas<xcb_get_property_reply_t> r(xcb_get_property_reply(
            conexion.get(),
            xcb_get_property(conexion.get(), 0, ventana, propiedad, XCB_GET_PROPERTY_TYPE_ANY,
                             desplazamiento, trozoPropiedad),
            nullptr));
        if (!r) return false;
        tipo = r->type;
        t.formato = r->format == 0 ? 8 : r->format;
        const auto largo = static_cast<std::size_t>(xcb_get_property_value_length(r.get()));
        if (t.datos.size() + largo > maximoBytes) return false;
        const auto* valor = static_cast<const std::uint8_t*>(xcb_get_property_value(r.get()));
        t.datos.insert(t.datos.end(), valor, valor + largo);
        if (r->bytes_after == 0) break;
        desplazamiento += static_cast<std::uint32_t>(largo / 4);
    }
    xcb_delete_property(conexion.get(), ventana, propiedad);
    xcb_flush(conexion.get());
    return true;
}

void Seleccion::cambiarPropiedad() {
    // Un dueño abandonado a medias puede escribir todavía en la propiedad de antes.
    propiedad = propiedad == propiedades[0] ? propiedades[1] : propiedades[0];
}

Transferencia Seleccion::pedir(const Propietario& de, std::string_view destino,
                               Duracion primeraRespuesta, Duracion total) {
    Transferencia t;
    if (!conectada()) return t;
    const xcb_atom_t objetivo = atomo(destino);
    if (objetivo == XCB_NONE) return t;

    descartarPendientes();
    // La petición va a quien tenga la selección cuando el servidor la procese: si ya no es
    // de, contestaría otro. Los avisos de XFixes llegan antes que su respuesta, en orden.
    if (!sigueSiendo(de)) {
        t.respuesta = Respuesta::otroDueno;
        return t;
    }
    t = transferir(destino, objetivo, primeraRespuesta, total);
    bool mismo = sigueSiendo(de);
    if (mismo && !hayXFixes) mismo = propietario().ventana == de.ventana;
    if (!mismo) {
        qCInfo(registroX11, "CLIPBOARD cambió de dueño mientras se leía %.*s: no se usa",
               static_cast<int>(destino.size()), destino.data());
        t = {};
        t.respuesta = Respuesta::otroDueno;
    }
    return t;
}

Transferencia Seleccion::transferir(std::string_view destino, xcb_atom_t objetivo,
                                    Duracion primeraRespuesta, Duracion total) {
    Transferencia t;
    xcb_delete_property(conexion.get(), ventana, propiedad);
    const auto inicio = std::chrono::steady_clock::now();
    const auto limiteTotal = inicio + total;
    const xcb_timestamp_t hora = marcaDeTiempo();
    xcb_convert_selection(conexion.get(), ventana, clipboard, objetivo, propiedad, hora);

    auto limite = std::min(std::chrono::steady_clock::now() + primeraRespuesta, limiteTotal);
    const auto aviso = esperar(
        [&](const xcb_generic_event_t* e) {
            if (tipoDeEvento(e) != XCB_SELECTION_NOTIFY) return false;
            const auto* n = reinterpret_cast<const xcb_selection_notify_event_t*>(e);
            // La hora distingue la respuesta a esta petición de una tardía a otra anterior.
            return n->requestor == ventana && n->selection == clipboard && n->target == objetivo &&
                   (n->time == hora || n->time == XCB_CURRENT_TIME);
        },
        limite);
    if (!aviso) {
        t.respuesta = xcb_connection_has_error(conexion.get()) ? Respuesta::sinConexion
                                                               : Respuesta::sinTiempo;
        qCInfo(registroX11, "el dueño de CLIPBOARD no contestó a tiempo a %.*s",
               static_cast<int>(destino.size()), destino.data());
        cambiarPropiedad();
        return t;
    }
    const auto* notificacion = reinterpret_cast<const xcb_selection_notify_event_t*>(aviso.get());
    if (notificacion->property == XCB_NONE) {
        // Normal: muchos dueños anuncian más de lo que convierten.
        qCDebug(registroX11, "el dueño de CLIPBOARD rechazó %.*s", static_cast<int>(destino.size()),
                destino.data());
        t.respuesta = Respuesta::rechazo;
        return t;
    }

    xcb_atom_t tipo = XCB_NONE;
    if (!leerPropiedad(t, tipo)) {
        qCInfo(registroX11, "la respuesta a %.*s no se pudo leer o es demasiado grande",
               static_cast<int>(destino.size()), destino.data());
        t.respuesta = Respuesta::rechazo;
        cambiarPropiedad();
        return t;
    }
    if (tipo == incr) {
        // INCR: al borrar la propiedad pedimos cada trozo; uno vacío cierra la transferencia.
        std::vector<std::uint8_t> total;
        xcb_atom_t tipoTrozos = XCB_NONE;
        int formatoTrozos = 8;
        for (;;) {
            limite = std::min(std::chrono::steady_clock::now() + plazoTrozo, limiteTotal);
            const auto trozo = esperar(
                [this](const xcb_generic_event_t* e) {
                    if (tipoDeEvento(e) != XCB_PROPERTY_NOTIFY) return false;
                    const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
                    return p->window == ventana && p->atom == propiedad &&
                           p->state == XCB_PROPERTY_NEW_VALUE;
                },
                limite);
            if (!trozo) {
                t.datos.clear();
                t.respuesta = xcb_connection_has_error(conexion.get()) ? Respuesta::sinConexion
                                                                       : Respuesta::sinTiempo;
                qCInfo(registroX11, "un trozo INCR de %.*s no llegó a tiempo",
                       static_cast<int>(destino.size()), destino.data());
                cambiarPropiedad();
                return t;
            }
            t.datos.clear();
            if (!leerPropiedad(t, tipo)) {
                t.datos.clear();
                t.respuesta = Respuesta::rechazo;
                cambiarPropiedad();
                return t;
            }
            if (t.datos.empty()) break;
            if (tipoTrozos == XCB_NONE) {
                tipoTrozos = tipo;
                formatoTrozos = t.formato;
            }
            if (total.size() + t.datos.size() > maximoBytes) {
                t.respuesta = Respuesta::rechazo;
                cambiarPropiedad();
                return t;
            }
            total.insert(total.end(), t.datos.begin(), t.datos.end());
        }
        t.datos = std::move(total);
        tipo = tipoTrozos;
        t.formato = formatoTrozos;
        ++incrementales;
    }
    t.tipo = nombreDe(tipo);
    t.respuesta = Respuesta::datos;
    return t;
}

Respuesta Seleccion::destinos(const Propietario& de, std::vector<std::string>& salida,
                              Duracion plazo) {
    salida.clear();
    Transferencia t = pedir(de, "TARGETS", plazo, plazo);
    if (t.respuesta != Respuesta::datos) return t.respuesta;
    if (t.formato != 32) {
        qCInfo(registroX11, "TARGETS llegó con formato %d, no 32: sin lista de destinos",
               t.formato);
        return Respuesta::rechazo;
    }
    std::size_t cuantos = t.datos.size() / sizeof(xcb_atom_t);
    if (cuantos > maximoDestinos) {
        qCInfo(registroX11, "el dueño anuncia %zu destinos: solo se miran los %zu primeros",
               cuantos, maximoDestinos);
        cuantos = maximoDestinos;
    }
    std::vector<xcb_atom_t> lista(cuantos);
    std::memcpy(lista.data(), t.datos.data(), lista.size() * sizeof(xcb_atom_t));
    nombresDe(lista, salida);
    return Respuesta::datos;
}

} // namespace plataforma::x11

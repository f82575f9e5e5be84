#include "EscritorioX11.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace plataforma::x11 {

namespace {

template <typename T> struct LiberarC {
    void operator()(T* p) const { std::free(p); }
};
using RespuestaPropiedad =
    std::unique_ptr<xcb_get_property_reply_t, LiberarC<xcb_get_property_reply_t>>;

// Linux no frena los temporizadores de un proceso en segundo plano: no hay nada que
// impedir (y la suspensión del equipo por inactividad sigue permitida).
class ActividadX11 : public Actividad {};

// Esta conexión nunca lee eventos: los errores se recogen con la respuesta y se liberan,
// para que no se acumulen en su cola.
template <typename Respuesta, typename Galleta>
Respuesta* respuesta(xcb_connection_t* c,
                     Respuesta* (*recoger)(xcb_connection_t*, Galleta, xcb_generic_error_t**),
                     Galleta g, bool* fallo = nullptr) {
    xcb_generic_error_t* error = nullptr;
    Respuesta* r = recoger(c, g, &error);
    if (fallo) *fallo = error != nullptr || r == nullptr;
    std::free(error);
    return r;
}

std::string minusculas(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::optional<std::string> cadena(const RespuestaPropiedad& r) {
    if (!r || r->format != 8) return std::nullopt;
    const auto largo = static_cast<std::size_t>(xcb_get_property_value_length(r.get()));
    std::string valor(static_cast<const char*>(xcb_get_property_value(r.get())), largo);
    while (!valor.empty() && valor.back() == '\0')
        valor.pop_back();
    if (valor.empty()) return std::nullopt;
    return valor;
}

std::optional<std::uint32_t> numero(const RespuestaPropiedad& r) {
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4) return std::nullopt;
    std::uint32_t valor = 0;
    std::memcpy(&valor, xcb_get_property_value(r.get()), sizeof valor);
    return valor;
}

} // namespace

struct EscritorioX11::Propiedades {
    std::optional<std::string> idGtk;
    std::optional<std::string> idKde;
    std::optional<std::string> instancia;
    std::optional<std::string> clase;
    std::optional<std::uint32_t> pid;
    xcb_window_t transitoriaDe = XCB_NONE;
    bool existe = false;

    bool identifica() const { return idGtk || idKde || instancia || clase; }
};

EscritorioX11::EscritorioX11(const char* pantalla)
    : conexion(conectar(pantalla, "mirar las ventanas"))
    , vigia(pantalla, [this] { avisar(); }) {
    if (!sirve(conexion)) return;
    if (const xcb_screen_t* p = xcb_setup_roots_iterator(xcb_get_setup(conexion.get())).data)
        raiz = p->root;
}

EscritorioX11::~EscritorioX11() = default;

xcb_atom_t EscritorioX11::atomo(std::string_view nombre) {
    if (const auto it = atomos.find(nombre); it != atomos.end()) return it->second;
    const auto galleta = xcb_intern_atom(conexion.get(), 0,
                                         static_cast<std::uint16_t>(nombre.size()), nombre.data());
    std::unique_ptr<xcb_intern_atom_reply_t, LiberarC<xcb_intern_atom_reply_t>> r(
        respuesta(conexion.get(), xcb_intern_atom_reply, galleta));
    if (!r) return XCB_NONE;
    atomos.emplace(std::string(nombre), r->atom);
    return r->atom;
}

EscritorioX11::Propiedades EscritorioX11::leerPropiedades(xcb_window_t ventana) {
    static constexpr std::uint32_t largo = 4096;
    const auto pedir = [&](xcb_atom_t propiedad) {
        return xcb_get_property(conexion.get(), 0, ventana, propiedad, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                largo);
    };
    const auto recoger = [&](xcb_get_property_cookie_t g) {
        return RespuestaPropiedad(respuesta(conexion.get(), xcb_get_property_reply, g));
    };
    // Todas las peticiones salen juntas; luego se recogen las respuestas.
    const auto gGtk = pedir(atomo("_GTK_APPLICATION_ID"));
    const auto gKde = pedir(atomo("_KDE_NET_WM_DESKTOP_FILE"));
    const auto gClase = pedir(XCB_ATOM_WM_CLASS);
    const auto gPid = pedir(atomo("_NET_WM_PID"));
    const auto gTransitoria = pedir(XCB_ATOM_WM_TRANSIENT_FOR);

    Propiedades p;
    {
        // Si la primera falla con BadWindow la ventana ya no existe (un gestor puede dejar
        // _NET_ACTIVE_WINDOW apuntando a una ventana destruida).
        bool fallo = false;
        RespuestaPropiedad r(respuesta(conexion.get(), xcb_get_property_reply, gGtk, &fallo));
        p.existe = !fallo;
        p.idGtk = cadena(r);
    }
    p.idKde = cadena(recoger(gKde));
    if (p.idKde && p.idKde->ends_with(".desktop")) p.idKde->resize(p.idKde->size() - 8);
    if (const auto clase = cadena(recoger(gClase))) {
        // WM_CLASS es "instancia\0clase\0".
        const auto cero = clase->find('\0');
        const std::string instancia = clase->substr(0, cero);
        const std::string nombreClase =
            cero == std::string::npos ? std::string() : clase->substr(cero + 1);
        if (!instancia.empty()) p.instancia = instancia;
        if (!nombreClase.empty()) p.clase = nombreClase;
    }
    p.pid = numero(recoger(gPid));
    p.transitoriaDe = numero(recoger(gTransitoria)).value_or(XCB_NONE);
    return p;
}

std::optional<xcb_window_t> EscritorioX11::leerActiva() {
    if (!sirve(conexion) || raiz == XCB_NONE) return std::nullopt;
    const RespuestaPropiedad activa(
        respuesta(conexion.get(), xcb_get_property_reply,
                  xcb_get_property(conexion.get(), 0, raiz, atomo("_NET_ACTIVE_WINDOW"),
                                   XCB_ATOM_WINDOW, 0, 1)));
    const auto ventana = numero(activa);
    if (!ventana || *ventana == XCB_NONE) return std::nullopt;
    return *ventana;
}

std::optional<AppEnFrente> EscritorioX11::appEnPrimerPlano() {
    std::lock_guard l(cerrojo);
    const auto ventana = leerActiva();
    if (!ventana) return std::nullopt;

    Propiedades p = leerPropiedades(*ventana);
    if (!p.existe) return std::nullopt;
    if (!p.identifica() && p.transitoriaDe != XCB_NONE) {
        // Un diálogo sin nombre propio pertenece a la aplicación de su ventana principal.
        Propiedades principal = leerPropiedades(p.transitoriaDe);
        if (!principal.pid) principal.pid = p.pid;
        if (principal.existe && principal.identifica()) p = std::move(principal);
    }

    AppEnFrente app;
    app.pid = p.pid.value_or(0);
    std::vector<std::string> ids;
    for (const auto& id : {p.idGtk, p.idKde})
        if (id) ids.push_back(*id);
    std::vector<std::string> clases;
    if (p.clase) clases.push_back(*p.clase);
    if (p.instancia) clases.push_back(*p.instancia);
    // El identificador es el de la entrada de escritorio, el mismo que guarda quien elige
    // aplicaciones instaladas. Sin entrada: el de GTK o KDE, si no la clase de WM_CLASS tal
    // cual (lo estable, lo que nombra StartupWMClass), o la instancia si falta.
    std::optional<std::string> propio;
    for (const auto& c : {p.idGtk, p.idKde, p.clase, p.instancia})
        if (!propio && c) propio = c;
    app.id = entradas.identificador(ids, clases);
    if (!app.id)
        app.id = propio;
    else if (propio && *propio != *app.id)
        // Lo que se daba antes como identificador: una exclusión guardada así sigue valiendo.
        app.otrosIds.push_back(*propio);

    std::vector<std::string> candidatos;
    if (app.id) candidatos.push_back(*app.id);
    for (const auto& c : {p.idGtk, p.idKde, p.clase, p.instancia}) {
        if (!c) continue;
        candidatos.push_back(*c);
        if (minusculas(*c) != *c) candidatos.push_back(minusculas(*c));
    }
    app.nombre = entradas.nombre(candidatos, clases);
    if (!app.nombre) app.nombre = p.clase;
    return app;
}

std::int64_t EscritorioX11::pidPropio() {
    return ::getpid();
}

bool EscritorioX11::confiable() {
    std::lock_guard l(cerrojo);
    if (hayXTest) return *hayXTest;
    if (!sirve(conexion)) return false;
    static constexpr char nombre[] = "XTEST";
    std::unique_ptr<xcb_query_extension_reply_t, LiberarC<xcb_query_extension_reply_t>> r(
        respuesta(conexion.get(), xcb_query_extension_reply,
                  xcb_query_extension(conexion.get(), sizeof nombre - 1, nombre)));
    if (!r) return false;
    hayXTest = r->present != 0;
    return *hayXTest;
}

std::unique_ptr<Actividad> EscritorioX11::empezarActividad(std::string_view) {
    return std::make_unique<ActividadX11>();
}

std::optional<Ventana> EscritorioX11::ventanaActiva() {
    std::lock_guard l(cerrojo);
    const auto ventana = leerActiva();
    if (!ventana) return std::nullopt;
    bool fallo = false;
    const RespuestaPropiedad pid(
        respuesta(conexion.get(), xcb_get_property_reply,
                  xcb_get_property(conexion.get(), 0, *ventana, atomo("_NET_WM_PID"),
                                   XCB_ATOM_CARDINAL, 0, 1),
                  &fallo));
    // Un gestor puede dejar anunciada una ventana que ya no existe.
    if (fallo && !pid) return std::nullopt;
    return Ventana{*ventana, numero(pid).value_or(0)};
}

bool EscritorioX11::gestorActiva() {
    const RespuestaPropiedad comprobacion(
        respuesta(conexion.get(), xcb_get_property_reply,
                  xcb_get_property(conexion.get(), 0, raiz, atomo("_NET_SUPPORTING_WM_CHECK"),
                                   XCB_ATOM_WINDOW, 0, 1)));
    const auto ventanaGestor = numero(comprobacion);
    if (!ventanaGestor) return false;
    // La propiedad sobrevive al gestor; su ventana de comprobación, no.
    const RespuestaPropiedad propia(
        respuesta(conexion.get(), xcb_get_property_reply,
                  xcb_get_property(conexion.get(), 0, *ventanaGestor,
                                   atomo("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1)));
    if (numero(propia) != ventanaGestor) return false;
    const RespuestaPropiedad soportado(
        respuesta(conexion.get(), xcb_get_property_reply,
                  xcb_get_property(conexion.get(), 0, raiz, atomo("_NET_SUPPORTED"), XCB_ATOM_ATOM,
                                   0, 4096)));
    if (!soportado || soportado->format != 32) return false;
    const auto* atomos = static_cast<const xcb_atom_t*>(xcb_get_property_value(soportado.get()));
    const auto cuantos = xcb_get_property_value_length(soportado.get()) / 4;
    const xcb_atom_t buscado = atomo("_NET_ACTIVE_WINDOW");
    return std::find(atomos, atomos + cuantos, buscado) != atomos + cuantos;
}

bool EscritorioX11::activar(std::uint64_t id) {
    const xcb_timestamp_t hora = vigia.momento();
    std::lock_guard l(cerrojo);
    if (!sirve(conexion) || id == 0 || id > UINT32_MAX) return false;
    const auto ventana = static_cast<xcb_window_t>(id);
    std::unique_ptr<xcb_get_window_attributes_reply_t, LiberarC<xcb_get_window_attributes_reply_t>>
        atributos(respuesta(conexion.get(), xcb_get_window_attributes_reply,
                            xcb_get_window_attributes(conexion.get(), ventana)));
    if (!atributos) return false;

    if (gestorActiva()) {
        // Indicación de origen 2: la pide el usuario (como un paginador), así el gestor no la
        // trata como un robo del foco.
        xcb_client_message_event_t m{};
        m.response_type = XCB_CLIENT_MESSAGE;
        m.format = 32;
        m.window = ventana;
        m.type = atomo("_NET_ACTIVE_WINDOW");
        m.data.data32[0] = 2;
        m.data.data32[1] = hora;
        m.data.data32[2] = leerActiva().value_or(XCB_NONE);
        xcb_send_event(conexion.get(), 0, raiz,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&m));
        xcb_flush(conexion.get());
        return true;
    }
    // Sin gestor: se sube y recibe el foco directamente, si se ve.
    if (atributos->map_state != XCB_MAP_STATE_VIEWABLE) return false;
    const std::uint32_t arriba = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(conexion.get(), ventana, XCB_CONFIG_WINDOW_STACK_MODE, &arriba);
    const auto foco =
        xcb_set_input_focus_checked(conexion.get(), XCB_INPUT_FOCUS_PARENT, ventana, hora);
    xcb_generic_error_t* error = xcb_request_check(conexion.get(), foco);
    std::free(error);
    return error == nullptr;
}

bool EscritorioX11::hayCompositor() {
    return vigia.hayCompositor();
}

void EscritorioX11::prepararFlotante(std::uint64_t id) {
    std::lock_guard l(cerrojo);
    if (!sirve(conexion) || id == 0 || id > UINT32_MAX) return;
    const auto ventana = static_cast<xcb_window_t>(id);
    const std::uint32_t todos = 0xFFFFFFFF;
    xcb_change_property(conexion.get(), XCB_PROP_MODE_REPLACE, ventana, atomo("_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &todos);
    // Se suman a los estados que haya (Qt añade los suyos al mostrarla sin borrar estos).
    const RespuestaPropiedad actual(
        respuesta(conexion.get(), xcb_get_property_reply,
                  xcb_get_property(conexion.get(), 0, ventana, atomo("_NET_WM_STATE"),
                                   XCB_ATOM_ATOM, 0, 64)));
    std::vector<xcb_atom_t> estados;
    if (actual && actual->format == 32) {
        const auto* a = static_cast<const xcb_atom_t*>(xcb_get_property_value(actual.get()));
        estados.assign(a, a + xcb_get_property_value_length(actual.get()) / 4);
    }
    for (const auto* nombre : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const xcb_atom_t a = atomo(nombre);
        if (std::find(estados.begin(), estados.end(), a) == estados.end()) estados.push_back(a);
    }
    xcb_change_property(conexion.get(), XCB_PROP_MODE_REPLACE, ventana, atomo("_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(estados.size()),
                        estados.data());
    xcb_flush(conexion.get());
}

void EscritorioX11::desenfocarDetras(std::uint64_t id, int x, int y, int ancho, int alto) {
    std::lock_guard l(cerrojo);
    if (!sirve(conexion) || id == 0 || id > UINT32_MAX) return;
    const auto ventana = static_cast<xcb_window_t>(id);
    // KWin desenfoca la región que nombra esta propiedad; los demás la ignoran.
    const xcb_atom_t region = atomo("_KDE_NET_WM_BLUR_BEHIND_REGION");
    if (ancho <= 0 || alto <= 0) {
        xcb_delete_property(conexion.get(), ventana, region);
    } else {
        const std::uint32_t valores[] = {
            static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
            static_cast<std::uint32_t>(ancho), static_cast<std::uint32_t>(alto)};
        xcb_change_property(conexion.get(), XCB_PROP_MODE_REPLACE, ventana, region,
                            XCB_ATOM_CARDINAL, 32, 4, valores);
    }
    xcb_flush(conexion.get());
}

Escritorio::Observador EscritorioX11::observar(std::function<void()> alCambiar) {
    const auto referencia = siguiente++;
    observadores.emplace(referencia, std::move(alCambiar));
    return referencia;
}

void EscritorioX11::dejarDeObservar(Observador observador) {
    observadores.erase(observador);
}

void EscritorioX11::avisar() {
    std::vector<Observador> referencias;
    for (const auto& [referencia, funcion] : observadores)
        referencias.push_back(referencia);
    for (const auto referencia : referencias) {
        const auto i = observadores.find(referencia);
        if (i == observadores.end()) continue;
        auto funcion = i->second;
        funcion();
    }
}

} // namespace plataforma::x11

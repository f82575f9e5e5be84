#include "TecladoX11.h"

#include "AtajosEscritorio.h"
#include "Posiciones.h"
#include "Registro.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

// xkb.h llama «explicit» a un campo: en C++ hay que renombrarlo al incluirlo.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon-x11.h>

#include <cstdlib>

namespace plataforma::x11 {

namespace {

// Los códigos evdev de Mayúsculas izquierda e Insert, por si la distribución no los tiene.
constexpr xcb_keycode_t mayusculasDeSiempre = 42 + desplazamientoX;
constexpr xcb_keycode_t insertDeSiempre = 110 + desplazamientoX;
// La tecla a la izquierda del 1, encima del tabulador.
constexpr int posicionSobreTabulador = 50;

// Los eventos de XKB llevan su subtipo en el segundo byte.
struct EventoXkb {
    std::uint8_t response_type;
    std::uint8_t xkbType;
    std::uint16_t sequence;
    xcb_timestamp_t time;
    std::uint8_t deviceID;
};

} // namespace

TecladoX11::TecladoX11(const char* pantalla) {
    int numeroPantalla = 0;
    conexion = conectar(pantalla, "el teclado", &numeroPantalla);
    if (!sirve(conexion)) return;
    auto pantallas = xcb_setup_roots_iterator(xcb_get_setup(conexion.get()));
    for (int i = 0; i < numeroPantalla && pantallas.rem > 1; ++i)
        xcb_screen_next(&pantallas);
    if (pantallas.data) raiz = pantallas.data->root;

    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(conexion.get(), &xcb_test_id);
    hayXTest = xtest && xtest->present;

    contexto.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    std::uint16_t mayor = 0, menor = 0;
    std::uint8_t primerError = 0;
    if (contexto && xkb_x11_setup_xkb_extension(conexion.get(), XKB_X11_MIN_MAJOR_XKB_VERSION,
                                                XKB_X11_MIN_MINOR_XKB_VERSION,
                                                XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, &mayor,
                                                &menor, &primerEventoXkb, &primerError)) {
        dispositivo = xkb_x11_get_core_keyboard_device_id(conexion.get());
        // Cambio de teclado, de distribución y de grupo: lo mínimo para seguir al día.
        constexpr std::uint16_t eventos = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY |
                                          XCB_XKB_EVENT_TYPE_MAP_NOTIFY |
                                          XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
        constexpr std::uint16_t partes =
            XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
            XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS |
            XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
        xcb_xkb_select_events_details_t detalles{};
        detalles.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
        detalles.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
        detalles.affectState = XCB_XKB_STATE_PART_GROUP_BASE | XCB_XKB_STATE_PART_GROUP_LATCH |
                               XCB_XKB_STATE_PART_GROUP_LOCK | XCB_XKB_STATE_PART_MODIFIER_BASE |
                               XCB_XKB_STATE_PART_MODIFIER_LATCH | XCB_XKB_STATE_PART_MODIFIER_LOCK;
        detalles.stateDetails = detalles.affectState;
        xcb_xkb_select_events_aux(conexion.get(), static_cast<xcb_xkb_device_spec_t>(dispositivo),
                                  eventos, 0, 0, partes, partes, &detalles);
        cargarMapa();
    }

    espera.setInterval(10);
    QObject::connect(&espera, &QTimer::timeout, &contextoQt, [this] {
        if (modificadoresSueltos()) {
            espera.stop();
            enviarMayusculasInsert();
        } else if (std::chrono::steady_clock::now() > limiteEspera) {
            // Pegar con modificadores pulsados haría otra cosa: el recorte queda para
            // pegarlo a mano.
            qCInfo(registroX11, "los modificadores siguen pulsados: no se pulsa pegar");
            espera.stop();
        }
    });
}

TecladoX11::~TecladoX11() {
    estado.reset();
    mapa.reset();
}

void TecladoX11::cargarMapa() {
    estado.reset();
    mapa.reset(xkb_x11_keymap_new_from_device(contexto.get(), conexion.get(), dispositivo,
                                              XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (mapa) estado.reset(xkb_x11_state_new_from_device(mapa.get(), conexion.get(), dispositivo));
    if (!estado) mapa.reset();
}

bool TecladoX11::alDia() {
    if (!sirve(conexion) || dispositivo < 0) return false;
    bool recargar = false;
    while (xcb_generic_event_t* evento = xcb_poll_for_event(conexion.get())) {
        if ((evento->response_type & 0x7f) == primerEventoXkb) {
            const auto* xkb = reinterpret_cast<const EventoXkb*>(evento);
            switch (xkb->xkbType) {
            case XCB_XKB_NEW_KEYBOARD_NOTIFY:
                if (xkb->deviceID == dispositivo) recargar = true;
                break;
            case XCB_XKB_MAP_NOTIFY:
                recargar = true;
                break;
            case XCB_XKB_STATE_NOTIFY:
                if (estado) {
                    const auto* e = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(evento);
                    xkb_state_update_mask(estado.get(), e->baseMods, e->latchedMods, e->lockedMods,
                                          static_cast<xkb_layout_index_t>(e->baseGroup),
                                          static_cast<xkb_layout_index_t>(e->latchedGroup),
                                          e->lockedGroup);
                }
                break;
            default:
                break;
            }
        }
        std::free(evento);
    }
    if (recargar || !mapa) cargarMapa();
    return mapa != nullptr;
}

xkb_layout_index_t TecladoX11::grupo() const {
    return xkb_state_serialize_layout(estado.get(), XKB_STATE_LAYOUT_EFFECTIVE);
}

std::optional<std::string> TecladoX11::caracter(int codigo) {
    if (!alDia()) return std::nullopt;
    auto evdev = evdevDe(codigo);
    if (evdev.empty()) return std::nullopt;
    const auto tecla = static_cast<xkb_keycode_t>(evdev.front() + desplazamientoX);
    // Sin modificadores pulsados ni bloqueados, en el grupo de ahora.
    std::unique_ptr<xkb_state, Liberar> limpio(xkb_state_new(mapa.get()));
    if (!limpio) return std::nullopt;
    xkb_state_update_mask(limpio.get(), 0, 0, 0, 0, 0, grupo());
    char texto[64];
    const int largo = xkb_state_key_get_utf8(limpio.get(), tecla, texto, sizeof texto);
    if (largo <= 0 || static_cast<std::size_t>(largo) >= sizeof texto) return std::nullopt;
    return std::string(texto, static_cast<std::size_t>(largo));
}

std::vector<xcb_keycode_t> TecladoX11::teclasDe(xkb_keysym_t simbolo) const {
    std::vector<xcb_keycode_t> teclas;
    const xkb_layout_index_t activo = grupo();
    for (xkb_keycode_t tecla = xkb_keymap_min_keycode(mapa.get());
         tecla <= xkb_keymap_max_keycode(mapa.get()) && tecla <= 255; ++tecla) {
        const xkb_layout_index_t grupos = xkb_keymap_num_layouts_for_key(mapa.get(), tecla);
        if (grupos == 0) continue;
        const xkb_layout_index_t g = activo % grupos; // XKB envuelve los grupos que faltan
        const xkb_level_index_t niveles = xkb_keymap_num_levels_for_key(mapa.get(), tecla, g);
        bool da = false;
        for (xkb_level_index_t nivel = 0; nivel < niveles && !da; ++nivel) {
            const xkb_keysym_t* simbolos = nullptr;
            const int n = xkb_keymap_key_get_syms_by_level(mapa.get(), tecla, g, nivel, &simbolos);
            for (int i = 0; i < n; ++i)
                da = da || simbolos[i] == simbolo;
        }
        if (da) teclas.push_back(static_cast<xcb_keycode_t>(tecla));
    }
    return teclas;
}

std::optional<xcb_keycode_t> TecladoX11::teclaDe(xkb_keysym_t simbolo) const {
    auto teclas = teclasDe(simbolo);
    // Mejor la tecla que lo da sin modificadores (Insert, no el 0 del teclado numérico).
    for (auto tecla : teclas) {
        const xkb_keysym_t* simbolos = nullptr;
        const int n = xkb_keymap_key_get_syms_by_level(
            mapa.get(), tecla, grupo() % xkb_keymap_num_layouts_for_key(mapa.get(), tecla), 0,
            &simbolos);
        if (n == 1 && simbolos[0] == simbolo) return tecla;
    }
    if (teclas.empty()) return std::nullopt;
    return teclas.front();
}

std::optional<std::vector<AtajoSistema>> TecladoX11::atajosDelSistema() {
    const char* escritorio = std::getenv("XDG_CURRENT_DESKTOP");
    auto combinaciones = atajosDelEscritorio(escritorio ? escritorio : "");
    if (!alDia()) return std::nullopt;
    std::vector<AtajoSistema> atajos;
    for (const auto& combinacion : combinaciones) {
        if (combinacion.simbolo == teclaSobreTabulador) {
            atajos.push_back(
                {posicionSobreTabulador, static_cast<int>(combinacion.modificadores), true});
            continue;
        }
        for (auto tecla : teclasDe(combinacion.simbolo)) {
            if (auto codigo = codigoDeEvdev(tecla - desplazamientoX))
                atajos.push_back({*codigo, static_cast<int>(combinacion.modificadores), true});
        }
    }
    return atajos;
}

std::optional<int> TecladoX11::codigoDeEvento(std::uint32_t nativo) {
    if (nativo < desplazamientoX || nativo > 255) return std::nullopt;
    return codigoDeEvdev(static_cast<int>(nativo) - desplazamientoX);
}

void TecladoX11::pulsarPegar(int) {
    // Mayúsculas+Insert pega desde CLIPBOARD en GTK, Qt y los navegadores, y desde PRIMARY
    // en los terminales: el recorte va a las dos. No depende de dónde esté la «v».
    auto* portapapeles = QGuiApplication::clipboard();
    if (portapapeles && portapapeles->ownsClipboard() && portapapeles->supportsSelection()) {
        if (const QMimeData* actual = portapapeles->mimeData(QClipboard::Clipboard)) {
            auto* copia = new QMimeData;
            for (const auto& formato : actual->formats())
                copia->setData(formato, actual->data(formato));
            portapapeles->setMimeData(copia, QClipboard::Selection);
        }
    }
    if (!hayXTest || raiz == XCB_NONE) {
        qCInfo(registroX11,
               "sin XTest no se puede pulsar pegar: el recorte queda para pegarlo a mano");
        return;
    }
    limiteEspera = std::chrono::steady_clock::now() + esperaModificadores;
    if (modificadoresSueltos()) {
        espera.stop();
        enviarMayusculasInsert();
    } else {
        espera.start();
    }
}

bool TecladoX11::modificadoresSueltos() {
    if (!sirve(conexion)) return true;
    if (dispositivo >= 0) {
        auto galleta =
            xcb_xkb_get_state(conexion.get(), static_cast<xcb_xkb_device_spec_t>(dispositivo));
        if (auto* r = xcb_xkb_get_state_reply(conexion.get(), galleta, nullptr)) {
            // Solo cuentan las teclas pulsadas: Bloq Mayús y Bloq Num son bloqueos.
            const bool sueltos = r->baseMods == 0;
            std::free(r);
            return sueltos;
        }
    }
    auto* r =
        xcb_query_pointer_reply(conexion.get(), xcb_query_pointer(conexion.get(), raiz), nullptr);
    if (!r) return true;
    constexpr std::uint16_t pulsables = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 |
                                        XCB_MOD_MASK_4 | XCB_MOD_MASK_5;
    const bool sueltos = (r->mask & pulsables) == 0;
    std::free(r);
    return sueltos;
}

void TecladoX11::enviarMayusculasInsert() {
    xcb_keycode_t mayusculas = mayusculasDeSiempre;
    xcb_keycode_t insert = insertDeSiempre;
    if (alDia()) {
        mayusculas = teclaDe(XKB_KEY_Shift_L).value_or(mayusculas);
        insert = teclaDe(XKB_KEY_Insert).value_or(insert);
    }
    const std::pair<std::uint8_t, xcb_keycode_t> pasos[] = {
        {XCB_KEY_PRESS, mayusculas},
        {XCB_KEY_PRESS, insert},
        {XCB_KEY_RELEASE, insert},
        {XCB_KEY_RELEASE, mayusculas},
    };
    for (const auto& [tipo, tecla] : pasos)
        xcb_test_fake_input(conexion.get(), tipo, tecla, XCB_CURRENT_TIME, raiz, 0, 0, 0);
    xcb_flush(conexion.get());
}

} // namespace plataforma::x11

#include "AtajosX11.h"

#include "Posiciones.h"
#include "Registro.h"

#include <QCoreApplication>
#include <QTimer>

// xkb.h llama «explicit» a un campo: en C++ hay que renombrarlo al incluirlo.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

namespace plataforma::x11 {

namespace {

constexpr xcb_keysym_t bloqNum = 0xff7f;
constexpr xcb_keysym_t altIzquierda = 0xffe9, altDerecha = 0xffea;
constexpr xcb_keysym_t superIzquierda = 0xffeb, superDerecha = 0xffec;

// Lo que cuenta de un evento para reconocer la combinación: sin bloqueos ni botones.
constexpr std::uint16_t modificadoresReales = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL |
                                              XCB_MOD_MASK_1 | XCB_MOD_MASK_2 | XCB_MOD_MASK_3 |
                                              XCB_MOD_MASK_4 | XCB_MOD_MASK_5;

} // namespace

AtajosX11::AtajosX11(xcb_connection_t* conexionQt, xcb_window_t raiz)
    : conexion(conexionQt)
    , raiz(raiz) {
    if (const auto* xkb = xcb_get_extension_data(conexion, &xcb_xkb_id); xkb && xkb->present)
        primerEventoXkb = xkb->first_event;
    mascaras = preguntarMascaras();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

AtajosX11::~AtajosX11() {
    // La conexión es de Qt y muere con la aplicación; sin ella no se toca (el servidor suelta
    // las capturas de una conexión cerrada).
    auto* aplicacion = QCoreApplication::instance();
    if (!aplicacion) {
        if (!atajos.empty())
            qCInfo(registroX11, "la aplicación ya no existe: las capturas las suelta el servidor");
        return;
    }
    aplicacion->removeNativeEventFilter(this);
    for (auto& [referencia, atajo] : atajos)
        soltar(atajo);
    xcb_flush(conexion);
}

ServicioAtajos::Referencia AtajosX11::instalarManejador(std::function<void()> alPulsar) {
    auto referencia = siguiente++;
    manejadores.emplace(referencia, std::move(alPulsar));
    return referencia;
}

void AtajosX11::quitarManejador(Referencia manejador) {
    manejadores.erase(manejador);
}

std::optional<ServicioAtajos::Referencia>
AtajosX11::registrar(std::uint32_t codigo, std::uint32_t modificadores, Referencia manejador) {
    // El servidor deja que un cliente capture dos veces lo mismo; aquí no: al retirar una,
    // la otra se quedaría sin captura.
    const auto mascara = static_cast<std::uint32_t>(Modificador::todos);
    for (const auto& [referencia, otro] : atajos)
        if (otro.codigo == codigo && (otro.modificadores & mascara) == (modificadores & mascara))
            return std::nullopt;
    Atajo atajo{.codigo = codigo, .modificadores = modificadores, .manejador = manejador};
    if (!capturar(atajo)) return std::nullopt;
    auto referencia = siguiente++;
    atajos.emplace(referencia, std::move(atajo));
    return referencia;
}

void AtajosX11::retirar(Referencia referencia) {
    auto i = atajos.find(referencia);
    if (i == atajos.end()) return;
    soltar(i->second);
    xcb_flush(conexion);
    atajos.erase(i);
}

AtajosX11::Mascaras AtajosX11::preguntarMascaras() {
    Mascaras encontradas;
    const xcb_setup_t* datos = xcb_get_setup(conexion);
    auto* modificadores =
        xcb_get_modifier_mapping_reply(conexion, xcb_get_modifier_mapping(conexion), nullptr);
    auto* teclado = xcb_get_keyboard_mapping_reply(
        conexion,
        xcb_get_keyboard_mapping(
            conexion, datos->min_keycode,
            static_cast<std::uint8_t>(datos->max_keycode - datos->min_keycode + 1)),
        nullptr);
    if (modificadores && teclado) {
        const xcb_keycode_t* teclas = xcb_get_modifier_mapping_keycodes(modificadores);
        const xcb_keysym_t* simbolos = xcb_get_keyboard_mapping_keysyms(teclado);
        const int porTecla = teclado->keysyms_per_keycode;
        const int totalSimbolos = xcb_get_keyboard_mapping_keysyms_length(teclado);
        auto tiene = [&](xcb_keycode_t tecla, xcb_keysym_t a, xcb_keysym_t b) {
            if (tecla < datos->min_keycode) return false;
            const int base = (tecla - datos->min_keycode) * porTecla;
            for (int i = 0; i < porTecla && base + i < totalSimbolos; ++i)
                if (simbolos[base + i] == a || simbolos[base + i] == b) return true;
            return false;
        };
        std::optional<std::uint16_t> alt, super, num;
        // Los tres primeros (Mayúsculas, Bloq Mayús, Control) son fijos: se buscan en Mod1–Mod5.
        for (int indice = 3; indice < 8; ++indice) {
            const auto bit = static_cast<std::uint16_t>(1u << indice);
            for (int j = 0; j < modificadores->keycodes_per_modifier; ++j) {
                const xcb_keycode_t tecla =
                    teclas[indice * modificadores->keycodes_per_modifier + j];
                if (tecla == 0) continue;
                if (!num && tiene(tecla, bloqNum, bloqNum)) num = bit;
                if (!alt && tiene(tecla, altIzquierda, altDerecha)) alt = bit;
                if (!super && tiene(tecla, superIzquierda, superDerecha)) super = bit;
            }
        }
        encontradas.alt = alt.value_or(encontradas.alt);
        encontradas.super = super.value_or(encontradas.super);
        encontradas.bloqNum = num.value_or(encontradas.bloqNum);
    }
    std::free(modificadores);
    std::free(teclado);
    return encontradas;
}

bool AtajosX11::capturar(Atajo& atajo) {
    atajo.teclas.clear();
    atajo.capturas.clear();
    for (int evdev : evdevDe(static_cast<int>(atajo.codigo)))
        if (evdev + desplazamientoX <= 255)
            atajo.teclas.push_back(static_cast<xcb_keycode_t>(evdev + desplazamientoX));
    if (atajo.teclas.empty()) return false;

    std::uint16_t mascara = 0;
    if (atajo.modificadores & Modificador::mayusculas) mascara |= XCB_MOD_MASK_SHIFT;
    if (atajo.modificadores & Modificador::control) mascara |= XCB_MOD_MASK_CONTROL;
    if (atajo.modificadores & Modificador::opcion) mascara |= mascaras.alt;
    if (atajo.modificadores & Modificador::comando) mascara |= mascaras.super;
    atajo.mascara = mascara;

    // Con Bloq Mayús o Bloq Num puestos el servidor ve otros modificadores: una captura por
    // cada combinación de bloqueos.
    const std::uint16_t bloqueos[] = {
        0, XCB_MOD_MASK_LOCK, mascaras.bloqNum,
        static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | mascaras.bloqNum)};
    std::vector<std::pair<Captura, xcb_void_cookie_t>> pedidas;
    for (auto tecla : atajo.teclas) {
        for (auto bloqueo : bloqueos) {
            const auto conBloqueo = static_cast<std::uint16_t>(mascara | bloqueo);
            bool repetida = false;
            for (const auto& [captura, galleta] : pedidas)
                repetida = repetida || captura == Captura{tecla, conBloqueo};
            if (repetida) continue;
            // owner_events = 0: con una ventana propia delante, la pulsación sigue llegando a
            // la raíz y no se confunde con una tecla normal de esa ventana.
            pedidas.push_back({{tecla, conBloqueo},
                               xcb_grab_key_checked(conexion, 0, raiz, conBloqueo, tecla,
                                                    XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)});
        }
    }
    bool rechazada = false;
    for (const auto& [captura, galleta] : pedidas) {
        if (xcb_generic_error_t* error = xcb_request_check(conexion, galleta)) {
            rechazada = true;
            std::free(error);
        } else {
            atajo.capturas.push_back(captura);
        }
    }
    if (rechazada) {
        // Normal si otro programa tiene ya la combinación: quien llama lo cuenta al usuario.
        qCInfo(registroX11, "el servidor rechazó capturar la tecla %u: otro la tiene",
               static_cast<unsigned>(atajo.codigo));
        soltar(atajo);
        xcb_flush(conexion);
        return false;
    }
    return true;
}

void AtajosX11::soltar(Atajo& atajo) {
    for (const auto& [tecla, modificadores] : atajo.capturas)
        xcb_ungrab_key(conexion, tecla, raiz, modificadores);
    atajo.capturas.clear();
}

void AtajosX11::renovar() {
    renovacionPendiente = false;
    for (auto& [referencia, atajo] : atajos)
        soltar(atajo);
    mascaras = preguntarMascaras();
    for (auto& [referencia, atajo] : atajos) {
        if (!capturar(atajo))
            qCWarning(registroX11, "el servidor X ya no deja capturar el atajo global");
    }
    xcb_flush(conexion);
}

bool AtajosX11::nativeEventFilter(const QByteArray& tipo, void* mensaje, qintptr*) {
    if (tipo != "xcb_generic_event_t") return false;
    const auto* evento = static_cast<const xcb_generic_event_t*>(mensaje);
    const std::uint8_t clase = evento->response_type & 0x7f;

    // Otra distribución u otros modificadores: las capturas se rehacen después del evento.
    const bool cambioDeMapa =
        clase == XCB_MAPPING_NOTIFY ||
        (primerEventoXkb != 0 && clase == primerEventoXkb &&
         (reinterpret_cast<const std::uint8_t*>(evento)[1] == XCB_XKB_NEW_KEYBOARD_NOTIFY ||
          reinterpret_cast<const std::uint8_t*>(evento)[1] == XCB_XKB_MAP_NOTIFY));
    if (cambioDeMapa && !atajos.empty() && !renovacionPendiente) {
        renovacionPendiente = true;
        QTimer::singleShot(0, &contexto, [this] { renovar(); });
        return false;
    }

    if (clase != XCB_KEY_PRESS && clase != XCB_KEY_RELEASE) return false;
    const auto* tecla = reinterpret_cast<const xcb_key_press_event_t*>(evento);
    if (tecla->event != raiz) return false;
    const auto estado =
        static_cast<std::uint16_t>(tecla->state & modificadoresReales & ~mascaras.bloqNum);
    for (auto& [referencia, atajo] : atajos) {
        bool esSuTecla = false;
        for (auto t : atajo.teclas)
            esSuTecla = esSuTecla || t == tecla->detail;
        if (!esSuTecla) continue;
        // Se suelta a menudo después de los modificadores: la tecla basta para saber que acabó.
        if (clase == XCB_KEY_RELEASE) {
            if (!atajo.pulsado) continue;
            atajo.pulsado = false;
            return true;
        }
        if (estado != atajo.mascara) continue;
        if (!atajo.pulsado) {
            atajo.pulsado = true;
            if (auto m = manejadores.find(atajo.manejador); m != manejadores.end()) {
                auto llamar = m->second; // puede retirarse a sí mismo mientras corre
                llamar();
            }
        }
        return true;
    }
    return false;
}

} // namespace plataforma::x11

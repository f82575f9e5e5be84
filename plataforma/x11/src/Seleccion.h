#pragma once

#include "Conexion.h"

#include <xcb/xcb.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace plataforma::x11 {

// Cómo terminó una petición al dueño de CLIPBOARD.
enum class Respuesta {
    datos,       // llegó el contenido
    rechazo,     // el dueño contestó que no lo tiene (o no hay dueño)
    sinTiempo,   // el dueño no contestó dentro del plazo
    sinConexion, // la conexión con el servidor X no sirve
    otroDueno,   // la selección cambió de dueño antes de acabar: nada de lo leído vale
};

// Quién tiene CLIPBOARD y desde cuándo: identifica un contenido. Todo lo que se lee de un
// contenido debe venir del mismo propietario.
struct Propietario {
    xcb_window_t ventana = XCB_NONE;
    // Cambios de dueño vistos por XFixes en esta conexión (también cuando el mismo dueño
    // vuelve a tomarla con otro contenido); -1 si el servidor no tiene XFixes.
    std::int64_t cambio = -1;
    xcb_timestamp_t desde = XCB_CURRENT_TIME; // la hora en que la tomó, según XFixes
    bool operator==(const Propietario&) const = default;
};

struct Transferencia {
    Respuesta respuesta = Respuesta::sinConexion;
    std::string tipo; // el tipo que declaró el dueño
    int formato = 8;
    std::vector<std::uint8_t> datos;
};

// Lee CLIPBOARD por una conexión xcb propia y una ventana oculta, sin pasar por QClipboard:
// Qt espera hasta cinco segundos por petición a un dueño que no contesta y además lo hace
// en el hilo principal. Aquí cada espera tiene un plazo (la primera respuesta, cada trozo
// INCR) y la transferencia entera otro. No es seguro entre hilos: quien la usa la protege.
class Seleccion {
public:
    using Duracion = std::chrono::milliseconds;

    // plazoTrozo: lo que se espera cada trozo INCR y la hora del servidor.
    Seleccion(const char* pantalla, Duracion plazoTrozo);
    ~Seleccion();
    Seleccion(const Seleccion&) = delete;
    Seleccion& operator=(const Seleccion&) = delete;

    bool conectada() const;
    // Si el servidor tiene XFixes (los cambios de dueño se ven al ocurrir).
    bool conXFixes() const { return hayXFixes; }

    // El propietario actual de CLIPBOARD, al día con el servidor; ventana XCB_NONE si no hay
    // o no se pudo preguntar.
    Propietario propietario();

    // Pide un destino a de, el propietario cuyos destinos se miraron: su primera respuesta
    // debe llegar dentro de primeraRespuesta y la transferencia entera dentro de total. Si
    // la selección cambia de dueño antes de acabar, otroDueno y ningún dato.
    Transferencia pedir(const Propietario& de, std::string_view destino, Duracion primeraRespuesta,
                        Duracion total);

    // Los nombres de los destinos que anuncia de (petición TARGETS), en su orden; solo los
    // primeros maximoDestinos.
    Respuesta destinos(const Propietario& de, std::vector<std::string>& nombres, Duracion plazo);

    // Los destinos que se consideran de una lista: un dueño que anuncia un millón no congela.
    static constexpr std::size_t maximoDestinos = 4096;
    // Lo que guarda cada caché de átomos; al llenarse se vacía (los nombres nuevos de dueños
    // hostiles no engordan el proceso).
    static constexpr std::size_t maximoCache = 4 * maximoDestinos;
    std::size_t atomosEnCache() const { return atomos.size() + nombres.size(); }

    // Cuántas transferencias INCR se completaron (para comprobarlo en pruebas y mediciones).
    std::int64_t transferenciasIncrementales() const { return incrementales; }

private:
    struct LiberarEvento {
        void operator()(xcb_generic_event_t* e) const;
    };
    using Evento = std::unique_ptr<xcb_generic_event_t, LiberarEvento>;
    using Instante = std::chrono::steady_clock::time_point;

    xcb_atom_t atomo(std::string_view nombre);
    std::string nombreDe(xcb_atom_t a);
    void nombresDe(const std::vector<xcb_atom_t>& atomos, std::vector<std::string>& salida);
    void recordar(xcb_atom_t a, const std::string& nombre);
    bool sigueSiendo(const Propietario& de) const;
    Transferencia transferir(std::string_view destino, xcb_atom_t objetivo,
                             Duracion primeraRespuesta, Duracion total);
    template <typename Condicion> Evento esperar(Condicion condicion, Instante limite);
    void descartarPendientes();
    void contar(const xcb_generic_event_t* e);
    xcb_timestamp_t marcaDeTiempo();
    bool leerPropiedad(Transferencia& t, xcb_atom_t& tipo);
    void cambiarPropiedad();

    ConexionPropia conexion;
    xcb_window_t ventana = XCB_NONE;
    xcb_atom_t clipboard = XCB_NONE;
    xcb_atom_t targets = XCB_NONE;
    xcb_atom_t incr = XCB_NONE;
    std::array<xcb_atom_t, 2> propiedades{};
    xcb_atom_t propiedad = XCB_NONE;
    xcb_atom_t propiedadHora = XCB_NONE;
    Duracion plazoTrozo;
    std::map<std::string, xcb_atom_t, std::less<>> atomos;
    std::unordered_map<xcb_atom_t, std::string> nombres;
    std::int64_t incrementales = 0;
    std::uint8_t primerEventoXFixes = 0;
    bool hayXFixes = false;
    Propietario actual; // con XFixes, según el último aviso de cambio de dueño
};

} // namespace plataforma::x11

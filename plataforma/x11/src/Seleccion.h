#pragma once

#include <xcb/xcb.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plataforma::x11 {

// Cómo terminó una petición al dueño de CLIPBOARD.
enum class Respuesta {
    datos,       // llegó el contenido
    rechazo,     // el dueño contestó que no lo tiene (o no hay dueño)
    sinTiempo,   // el dueño no contestó dentro del plazo
    sinConexion, // la conexión con el servidor X no sirve
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

    // El dueño actual de CLIPBOARD; XCB_NONE si no hay o no se pudo preguntar.
    xcb_window_t dueno();

    // Cuántos cambios de dueño de CLIPBOARD (XFixes) ha visto esta conexión hasta la última
    // llamada a dueno(); también cuando el mismo dueño vuelve a tomarla con otro contenido.
    // Ausente si el servidor no tiene XFixes.
    std::optional<std::int64_t> generacion() const;

    // Pide un destino al dueño actual: su primera respuesta debe llegar dentro de
    // primeraRespuesta y la transferencia entera dentro de total.
    Transferencia pedir(std::string_view destino, Duracion primeraRespuesta, Duracion total);

    // Los nombres de los destinos que anuncia el dueño (petición TARGETS).
    Respuesta destinos(std::vector<std::string>& nombres, Duracion plazo);

    // Cuántas transferencias INCR se completaron (para comprobarlo en pruebas y mediciones).
    std::int64_t transferenciasIncrementales() const { return incrementales; }

private:
    struct LiberarEvento {
        void operator()(xcb_generic_event_t* e) const;
    };
    using Evento = std::unique_ptr<xcb_generic_event_t, LiberarEvento>;
    using Instante = std::chrono::steady_clock::time_point;

    xcb_atom_t atomo(std::string_view nombre);
    std::optional<std::string> nombreDe(xcb_atom_t a);
    void nombresDe(const std::vector<xcb_atom_t>& atomos, std::vector<std::string>& salida);
    template <typename Condicion> Evento esperar(Condicion condicion, Instante limite);
    void descartarPendientes();
    void contar(const xcb_generic_event_t* e);
    xcb_timestamp_t marcaDeTiempo();
    bool leerPropiedad(Transferencia& t, xcb_atom_t& tipo);
    void cambiarPropiedad();

    xcb_connection_t* conexion = nullptr;
    xcb_window_t ventana = XCB_NONE;
    xcb_atom_t clipboard = XCB_NONE;
    xcb_atom_t targets = XCB_NONE;
    xcb_atom_t incr = XCB_NONE;
    std::array<xcb_atom_t, 2> propiedades{};
    xcb_atom_t propiedad = XCB_NONE;
    xcb_atom_t propiedadHora = XCB_NONE;
    Duracion plazoTrozo;
    std::map<std::string, xcb_atom_t, std::less<>> atomos;
    std::map<xcb_atom_t, std::string> nombres;
    std::int64_t incrementales = 0;
    std::uint8_t primerEventoXFixes = 0;
    bool hayXFixes = false;
    std::int64_t cambiosDeDueno = 0;
};

} // namespace plataforma::x11

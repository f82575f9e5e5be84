#pragma once

#include "Conexion.h"
#include "Seleccion.h"

#include <xcb/xcb.h>

#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plataforma::x11 {

// Un cambio de dueño de una selección, visto por XFixes.
struct CambioDeDueno {
    enum class Motivo {
        tomada,           // otra ventana la tomó (o la misma, con otro contenido)
        ventanaDestruida, // se destruyó la ventana del dueño: queda sin nadie
        clienteCerrado,   // el programa del dueño cerró su conexión: queda sin nadie
    };
    std::string seleccion;
    Motivo motivo = Motivo::tomada;
    Propietario antes; // el dueño que había (ventana NONE si no había o no se sabía)
    Propietario ahora;
};

// Avisa, dentro del bucle de Qt y por una conexión xcb propia, de cada cambio de dueño de las
// selecciones dadas. Los propietarios llevan la hora en que tomaron la selección, la misma que
// ve cualquier otra conexión: así un aviso se reconoce como del contenido que se leyó por otra.
// Sin XFixes no avisa nunca. Se usa desde el hilo principal.
class CambiosDeDueno {
public:
    using Aviso = std::function<void(const CambioDeDueno&)>;

    CambiosDeDueno(const char* pantalla, std::vector<std::string> selecciones, Aviso aviso);
    ~CambiosDeDueno();
    CambiosDeDueno(const CambiosDeDueno&) = delete;
    CambiosDeDueno& operator=(const CambiosDeDueno&) = delete;

    bool avisa() const { return notificador != nullptr; }
    // El dueño de una selección según el último aviso procesado.
    Propietario dueno(const std::string& seleccion) const;

private:
    struct Vigilada {
        std::string nombre;
        xcb_atom_t atomo = XCB_NONE;
        Propietario actual;
    };
    void atender();

    ConexionPropia conexion;
    std::vector<Vigilada> vigiladas;
    std::uint8_t primerEvento = 0;
    Aviso aviso;
    std::unique_ptr<QSocketNotifier> notificador;
    QObject contexto;
};

} // namespace plataforma::x11

#pragma once

#include <plataforma/EntradasEscritorio.h>

#include "plataforma/Escritorio.h"

#include "Conexion.h"

#include <xcb/xcb.h>

#include <map>
#include <mutex>
#include <string>

namespace plataforma::x11 {

// La ventana activa según EWMH y lo que dicen sus propiedades, por una conexión xcb propia.
class EscritorioX11 : public Escritorio {
public:
    explicit EscritorioX11(const char* pantalla);
    ~EscritorioX11() override;
    EscritorioX11(const EscritorioX11&) = delete;
    EscritorioX11& operator=(const EscritorioX11&) = delete;

    std::optional<AppEnFrente> appEnPrimerPlano() override;
    std::int64_t pidPropio() override;
    bool confiable() override;
    std::unique_ptr<Actividad> empezarActividad(std::string_view motivo) override;

private:
    struct Propiedades;
    Propiedades leerPropiedades(xcb_window_t ventana);
    xcb_atom_t atomo(std::string_view nombre);

    std::mutex cerrojo;
    ConexionPropia conexion;
    xcb_window_t raiz = XCB_NONE;
    std::optional<bool> hayXTest;
    std::map<std::string, xcb_atom_t, std::less<>> atomos;
    BuscadorEntradas entradas;
};

} // namespace plataforma::x11

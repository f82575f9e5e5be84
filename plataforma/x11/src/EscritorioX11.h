#pragma once

#include <plataforma/EntradasEscritorio.h>

#include "VigiaX11.h"

#include "plataforma/Escritorio.h"

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
    std::optional<Ventana> ventanaActiva() override;
    bool activar(std::uint64_t ventana) override;
    bool hayCompositor() override;
    void prepararFlotante(std::uint64_t ventana) override;
    Observador observar(std::function<void()> alCambiar) override;
    void dejarDeObservar(Observador observador) override;

private:
    struct Propiedades;
    Propiedades leerPropiedades(xcb_window_t ventana);
    xcb_atom_t atomo(std::string_view nombre);
    std::optional<xcb_window_t> leerActiva();
    // Si un gestor de ventanas EWMH vivo atiende las peticiones de _NET_ACTIVE_WINDOW.
    bool gestorActiva();
    void avisar();

    std::mutex cerrojo;
    xcb_connection_t* conexion = nullptr;
    xcb_window_t raiz = XCB_NONE;
    std::optional<bool> hayXTest;
    std::map<std::string, xcb_atom_t, std::less<>> atomos;
    BuscadorEntradas entradas;

    // Solo en el hilo principal.
    Observador siguiente = 1;
    std::map<Observador, std::function<void()>> observadores;
    VigiaX11 vigia;
};

} // namespace plataforma::x11

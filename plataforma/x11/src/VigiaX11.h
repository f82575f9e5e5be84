#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace plataforma::x11 {

// Sigue por una conexión xcb propia, dentro del bucle de Qt, los cambios de la ventana activa
// (PropertyNotify de _NET_ACTIVE_WINDOW en la raíz) y del dueño de _NET_WM_CM_S<n>, el
// compositor. Se usa desde el hilo principal.
class VigiaX11 {
public:
    VigiaX11(const char* pantalla, std::function<void()> alCambiar);
    ~VigiaX11();
    VigiaX11(const VigiaX11&) = delete;
    VigiaX11& operator=(const VigiaX11&) = delete;

    bool hayCompositor();
    // La hora del servidor ahora mismo, para las peticiones que la piden (ICCCM); una ida y
    // vuelta al servidor.
    xcb_timestamp_t momento();

private:
    void atender();
    // true si cambió la ventana activa o el compositor.
    bool tratar(const xcb_generic_event_t* evento);
    bool preguntarCompositor();

    xcb_connection_t* conexion = nullptr;
    xcb_window_t raiz = XCB_NONE;
    xcb_window_t propia = XCB_NONE;
    xcb_atom_t activa = XCB_NONE;
    xcb_atom_t compositor = XCB_NONE;
    xcb_atom_t hora = XCB_NONE;
    std::uint8_t primerEventoXFixes = 0;
    bool hayXFixes = false;
    bool conCompositor = false;
    std::function<void()> alCambiar;
    std::unique_ptr<QSocketNotifier> notificador;
    QObject contexto;
};

} // namespace plataforma::x11

#pragma once

#include "Conexion.h"

#include <xcb/xcb.h>

#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plataforma::x11 {

// El gestor del portapapeles de la convención de freedesktop: tiene la selección
// CLIPBOARD_MANAGER mientras nadie más la tenga y contesta a SAVE_TARGETS, con que una
// aplicación que sale pide que se guarde su CLIPBOARD. Conexión xcb propia, dentro del bucle
// de Qt, en el hilo principal.
class GestorX11 {
public:
    // Recibe los destinos que la aplicación pide guardar (ausente: todos los que anuncie) y
    // devuelve si se guardaron. Solo después se le contesta: entonces sale.
    using Guardar = std::function<bool(const std::optional<std::vector<std::string>>& destinos)>;

    GestorX11(const char* pantalla, Guardar guardar);
    ~GestorX11();
    GestorX11(const GestorX11&) = delete;
    GestorX11& operator=(const GestorX11&) = delete;

    // Toma CLIPBOARD_MANAGER si está libre; nunca se la quita a otro gestor.
    bool tomarSiEstaLibre();
    bool esGestor() const { return gestor; }

    // Lo más que se mira de la lista de destinos pedidos.
    static constexpr std::uint32_t maximoPedidos = 1024;

private:
    void atender();
    void contestar(const xcb_selection_request_event_t& pedido);
    std::optional<std::vector<std::string>> destinosPedidos(xcb_window_t ventana,
                                                            xcb_atom_t propiedad);
    xcb_atom_t atomo(const char* nombre);
    xcb_timestamp_t hora();

    ConexionPropia conexion;
    xcb_window_t raiz = XCB_NONE;
    xcb_window_t ventana = XCB_NONE;
    xcb_atom_t seleccion = XCB_NONE;
    xcb_atom_t targets = XCB_NONE;
    xcb_atom_t guardarDestinos = XCB_NONE;
    xcb_atom_t marca = XCB_NONE;
    xcb_atom_t nulo = XCB_NONE;
    xcb_atom_t propiedadHora = XCB_NONE;
    xcb_timestamp_t desde = XCB_CURRENT_TIME;
    bool gestor = false;
    Guardar guardar;
    std::unique_ptr<QSocketNotifier> notificador;
    QObject contexto;
};

} // namespace plataforma::x11

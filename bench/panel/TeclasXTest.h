#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <map>
#include <vector>

namespace medicion_panel {

// Teclas y ratón de verdad, por XTest en una conexión propia: el servidor los trata como
// los de un teclado físico, y llegan a quien tenga la captura (el atajo global) o el foco.
class TeclasXTest {
public:
    TeclasXTest();
    ~TeclasXTest();
    TeclasXTest(const TeclasXTest&) = delete;
    TeclasXTest& operator=(const TeclasXTest&) = delete;

    bool valida() const { return conexion != nullptr; }

    // Pulsa los keysyms en orden y los suelta al revés (una combinación), y vacía el búfer.
    bool pulsar(const std::vector<std::uint32_t>& keysyms);
    void moverA(int x, int y);
    // Un paso de la rueda: 4 arriba, 5 abajo.
    void rueda(std::uint8_t boton);
    // La ventana con el foco de teclado según el servidor.
    xcb_window_t foco();
    // Si `ventana` es `hija` o una de sus antecesoras.
    bool contiene(xcb_window_t ventana, xcb_window_t hija);

private:
    xcb_keycode_t codigo(std::uint32_t keysym);
    void falsa(std::uint8_t tipo, std::uint8_t detalle);

    xcb_connection_t* conexion = nullptr;
    xcb_window_t raiz = XCB_NONE;
    std::map<std::uint32_t, xcb_keycode_t> codigos;
};

} // namespace medicion_panel

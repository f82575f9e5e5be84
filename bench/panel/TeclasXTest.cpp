#include "TeclasXTest.h"

#include <xcb/xtest.h>

#include <cstdlib>

namespace medicion_panel {

TeclasXTest::TeclasXTest() {
    conexion = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conexion)) {
        xcb_disconnect(conexion);
        conexion = nullptr;
        return;
    }
    raiz = xcb_setup_roots_iterator(xcb_get_setup(conexion)).data->root;
    // Una sola lectura del mapa del teclado: de cada keysym, el primer código que lo da.
    const auto* setup = xcb_get_setup(conexion);
    const auto primero = setup->min_keycode;
    const auto cuantos = static_cast<std::uint8_t>(setup->max_keycode - primero + 1);
    auto* mapa = xcb_get_keyboard_mapping_reply(
        conexion, xcb_get_keyboard_mapping(conexion, primero, cuantos), nullptr);
    if (!mapa) return;
    const auto* simbolos = xcb_get_keyboard_mapping_keysyms(mapa);
    for (int c = 0; c < cuantos; ++c)
        for (int k = 0; k < mapa->keysyms_per_keycode; ++k) {
            const auto s = simbolos[c * mapa->keysyms_per_keycode + k];
            if (s) codigos.try_emplace(s, static_cast<xcb_keycode_t>(primero + c));
        }
    std::free(mapa);
}

TeclasXTest::~TeclasXTest() {
    if (conexion) xcb_disconnect(conexion);
}

xcb_keycode_t TeclasXTest::codigo(std::uint32_t keysym) {
    const auto it = codigos.find(keysym);
    return it == codigos.end() ? 0 : it->second;
}

void TeclasXTest::falsa(std::uint8_t tipo, std::uint8_t detalle) {
    xcb_test_fake_input(conexion, tipo, detalle, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

bool TeclasXTest::pulsar(const std::vector<std::uint32_t>& keysyms) {
    std::vector<xcb_keycode_t> teclas;
    for (const auto s : keysyms) {
        const auto c = codigo(s);
        if (!c) return false;
        teclas.push_back(c);
    }
    for (const auto c : teclas)
        falsa(XCB_KEY_PRESS, c);
    for (auto it = teclas.rbegin(); it != teclas.rend(); ++it)
        falsa(XCB_KEY_RELEASE, *it);
    xcb_flush(conexion);
    return true;
}

void TeclasXTest::moverA(int x, int y) {
    xcb_test_fake_input(conexion, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, raiz,
                        static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0);
    xcb_flush(conexion);
}

void TeclasXTest::rueda(std::uint8_t boton) {
    falsa(XCB_BUTTON_PRESS, boton);
    falsa(XCB_BUTTON_RELEASE, boton);
    xcb_flush(conexion);
}

xcb_window_t TeclasXTest::foco() {
    auto* r = xcb_get_input_focus_reply(conexion, xcb_get_input_focus(conexion), nullptr);
    const xcb_window_t v = r ? r->focus : XCB_NONE;
    std::free(r);
    return v;
}

bool TeclasXTest::contiene(xcb_window_t ventana, xcb_window_t hija) {
    for (int nivel = 0; hija != XCB_NONE && nivel < 32; ++nivel) {
        if (hija == ventana) return true;
        auto* r = xcb_query_tree_reply(conexion, xcb_query_tree(conexion, hija), nullptr);
        if (!r) return false;
        const xcb_window_t padre = r->parent == r->root ? XCB_NONE : r->parent;
        std::free(r);
        hija = padre;
    }
    return false;
}

} // namespace medicion_panel

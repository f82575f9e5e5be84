// Un dueño de CLIPBOARD hostil, en su propio proceso, para probar y medir que no congela ni
// engorda a quien lo lee:
//
//   dueno_hostil destinos N   anuncia N destinos que no son átomos
//   dueno_hostil nombres N    anuncia N destinos con nombres nuevos, registrados al empezar
//   dueno_hostil entero       contesta a UTF8_STRING con un INTEGER de formato 32
//
// Escribe «listo» cuando ya es el dueño y atiende hasta que lo terminan.
#include <xcb/xcb.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

xcb_atom_t atomo(xcb_connection_t* c, const std::string& nombre) {
    auto* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(nombre.size()), nombre.data()),
        nullptr);
    const xcb_atom_t a = r ? r->atom : XCB_NONE;
    std::free(r);
    return a;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "uso: %s destinos N | nombres N | entero\n", argv[0]);
        return 2;
    }
    const std::string modo = argv[1];
    const long cuantos = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 0;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 1;
    const xcb_screen_t* pantalla = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t ventana = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, ventana, pantalla->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, pantalla->root_visual, 0, nullptr);
    const xcb_atom_t clipboard = atomo(c, "CLIPBOARD");
    const xcb_atom_t targets = atomo(c, "TARGETS");
    const xcb_atom_t utf8 = atomo(c, "UTF8_STRING");

    std::vector<xcb_atom_t> lista{targets};
    if (modo == "destinos") {
        // Valores altos que el servidor no ha dado a ningún nombre.
        for (long i = 0; i < cuantos; ++i)
            lista.push_back(static_cast<xcb_atom_t>(0x1000000 + i));
    } else if (modo == "nombres") {
        const std::string prefijo = "rebisco-hostil-" + std::to_string(::getpid()) + "-";
        std::vector<xcb_intern_atom_cookie_t> galletas;
        for (long i = 0; i < cuantos; ++i) {
            const std::string n = prefijo + std::to_string(i);
            galletas.push_back(
                xcb_intern_atom(c, 0, static_cast<std::uint16_t>(n.size()), n.data()));
        }
        for (auto g : galletas) {
            auto* r = xcb_intern_atom_reply(c, g, nullptr);
            if (r) lista.push_back(r->atom);
            std::free(r);
        }
    } else if (modo == "entero") {
        lista.push_back(utf8);
    } else {
        return 2;
    }

    xcb_set_selection_owner(c, ventana, clipboard, XCB_CURRENT_TIME);
    auto* r = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard), nullptr);
    const bool dueno = r && r->owner == ventana;
    std::free(r);
    if (!dueno) return 1;
    std::printf("listo\n");
    std::fflush(stdout);

    while (xcb_generic_event_t* e = xcb_wait_for_event(c)) {
        if ((e->response_type & 0x7F) != XCB_SELECTION_REQUEST) {
            std::free(e);
            continue;
        }
        const auto pedido = *reinterpret_cast<xcb_selection_request_event_t*>(e);
        std::free(e);
        xcb_selection_notify_event_t aviso{};
        aviso.response_type = XCB_SELECTION_NOTIFY;
        aviso.time = pedido.time;
        aviso.requestor = pedido.requestor;
        aviso.selection = pedido.selection;
        aviso.target = pedido.target;
        aviso.property = pedido.property != XCB_NONE ? pedido.property : pedido.target;
        if (pedido.target == targets) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, pedido.requestor, aviso.property,
                                XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(lista.size()),
                                lista.data());
        } else if (modo == "entero" && pedido.target == utf8) {
            const std::uint32_t numeros[] = {0x616c6f68, 0x21212121}; // «hola!!!!» en bytes
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, pedido.requestor, aviso.property,
                                XCB_ATOM_INTEGER, 32, 2, numeros);
        } else {
            aviso.property = XCB_NONE;
        }
        xcb_send_event(c, 0, pedido.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&aviso));
        xcb_flush(c);
    }
    xcb_disconnect(c);
    return 0;
}

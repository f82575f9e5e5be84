#pragma once

#include "plataforma/Teclado.h"

#include <QObject>
#include <QTimer>

#include "Conexion.h"

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace plataforma::x11 {

// La distribución del teclado por xkbcommon sobre una conexión xcb propia, que sigue los
// cambios de distribución y de grupo por los eventos de XKB. Se usa desde el hilo principal.
class TecladoX11 : public Teclado {
public:
    // Lo que se espera a que el usuario suelte los modificadores antes de pegar.
    static constexpr std::chrono::milliseconds esperaModificadores{2000};

    explicit TecladoX11(const char* pantalla);
    ~TecladoX11() override;
    TecladoX11(const TecladoX11&) = delete;
    TecladoX11& operator=(const TecladoX11&) = delete;

    std::optional<std::string> caracter(int codigo) override;
    std::optional<std::vector<AtajoSistema>> atajosDelSistema() override;
    void pulsarPegar(int codigoV) override;
    std::optional<int> codigoDeEvento(std::uint32_t nativo) override;

private:
    struct Liberar {
        void operator()(xkb_context* p) const { xkb_context_unref(p); }
        void operator()(xkb_keymap* p) const { xkb_keymap_unref(p); }
        void operator()(xkb_state* p) const { xkb_state_unref(p); }
    };

    // Atiende los eventos pendientes de XKB; false si no hay distribución que consultar.
    bool alDia();
    void cargarMapa();
    // La distribución (grupo) activa ahora.
    xkb_layout_index_t grupo() const;
    // Los códigos de tecla X que dan el símbolo en el grupo activo, en cualquier nivel.
    std::vector<xcb_keycode_t> teclasDe(xkb_keysym_t simbolo) const;
    std::optional<xcb_keycode_t> teclaDe(xkb_keysym_t simbolo) const;
    bool modificadoresSueltos();
    void enviarMayusculasInsert();

    ConexionPropia conexion;
    xcb_window_t raiz = XCB_NONE;
    std::int32_t dispositivo = -1;
    std::uint8_t primerEventoXkb = 0;
    bool hayXTest = false;
    std::unique_ptr<xkb_context, Liberar> contexto;
    std::unique_ptr<xkb_keymap, Liberar> mapa;
    std::unique_ptr<xkb_state, Liberar> estado;

    QObject contextoQt;
    QTimer espera;
    std::chrono::steady_clock::time_point limiteEspera;
};

} // namespace plataforma::x11

#pragma once

#include "plataforma/Teclado.h"

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <xcb/xcb.h>

#include <map>
#include <utility>
#include <vector>

namespace plataforma::x11 {

// Los atajos globales como capturas pasivas de tecla en la ventana raíz, sobre la conexión
// de Qt: las pulsaciones llegan por su bucle de eventos, en el hilo principal.
class AtajosX11 : public ServicioAtajos, private QAbstractNativeEventFilter {
public:
    AtajosX11(xcb_connection_t* conexionQt, xcb_window_t raiz);
    ~AtajosX11() override;
    AtajosX11(const AtajosX11&) = delete;
    AtajosX11& operator=(const AtajosX11&) = delete;

    Referencia instalarManejador(std::function<void()> alPulsar) override;
    void quitarManejador(Referencia manejador) override;
    std::optional<Referencia> registrar(std::uint32_t codigo, std::uint32_t modificadores,
                                        Referencia manejador) override;
    void retirar(Referencia atajo) override;

private:
    // Dónde están Alt, Super y Bloq Num en los modificadores del servidor.
    struct Mascaras {
        std::uint16_t alt = XCB_MOD_MASK_1;
        std::uint16_t super = XCB_MOD_MASK_4;
        std::uint16_t bloqNum = XCB_MOD_MASK_2;
    };
    using Captura = std::pair<xcb_keycode_t, std::uint16_t>;
    struct Atajo {
        std::uint32_t codigo;
        std::uint32_t modificadores;
        Referencia manejador;
        std::vector<xcb_keycode_t> teclas;
        std::uint16_t mascara = 0; // los modificadores en X, sin bloqueos
        std::vector<Captura> capturas;
        bool pulsado = false; // la repetición automática no vuelve a llamar
    };

    bool nativeEventFilter(const QByteArray& tipo, void* mensaje, qintptr* resultado) override;
    Mascaras preguntarMascaras();
    // Captura la combinación con todas las variantes de bloqueo; si el servidor rechaza una,
    // suelta las demás y devuelve false.
    bool capturar(Atajo& atajo);
    void soltar(Atajo& atajo);
    void renovar();

    xcb_connection_t* conexion;
    xcb_window_t raiz;
    std::uint8_t primerEventoXkb = 0;
    Mascaras mascaras;
    Referencia siguiente = 1;
    std::map<Referencia, std::function<void()>> manejadores;
    std::map<Referencia, Atajo> atajos;
    bool renovacionPendiente = false;
    QObject contexto;
};

} // namespace plataforma::x11

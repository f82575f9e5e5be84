#pragma once

#include "rebisco/Entorno.h"

#include <nucleo/Modelo.h>
#include <plataforma/Escritorio.h>
#include <plataforma/Portapapeles.h>
#include <plataforma/Teclado.h>

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace rebisco {

// Llama a su dueño cuando el contador de cambios del portapapeles es otro. Si el backend
// avisa de cada cambio, lo mira en cuanto llega el aviso (en la siguiente vuelta del bucle,
// nunca dentro de la escritura que lo causó); si no, cada 0,4 s.
class Vigilante : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds intervalo{400};

    Vigilante(plataforma::Portapapeles& portapapeles, std::function<void()> alCambiar,
              QObject* padre = nullptr);

    ~Vigilante() override;

    void iniciar(std::chrono::milliseconds cada = intervalo);
    void detener();
    void ignorarCambioActual();
    // Mira ya, sin esperar a un aviso ni al temporizador; si hay cambio, lo atiende con
    // alCambiarAhora en lugar del dueño de siempre (que puede dejarlo para luego).
    void revisar(const std::function<void()>& alCambiarAhora);
    bool activo() const { return activo_; }

private:
    void tic();

    plataforma::Portapapeles& portapapeles;
    std::function<void()> alCambiar;
    std::int64_t ultimoCambio;
    QTimer temporizador;
    bool activo_ = false;
    bool conAvisos = false;
};

namespace Lector {

std::set<std::string> tipos(plataforma::Portapapeles& portapapeles);

nucleo::LecturaPortapapeles leer(plataforma::Portapapeles& portapapeles,
                                 const std::set<std::string>& tipos, bool guardarImagenes);

// Lo que se decide en el hilo principal al atender un cambio, antes de leer nada.
struct Pedido {
    nucleo::OpcionesCaptura opciones;
    std::optional<std::string> appId;
    std::optional<std::string> appNombre;
};

// Lo que salió de leer un cambio; sin resultado si no se llegó a leer (lo confidencial, lo
// remoto, lo de una app excluida).
struct Leido {
    std::optional<nucleo::ResultadoCaptura> resultado;
    // El contenido cuyos tipos se miraron (0 si no se reconoce).
    plataforma::Contenido contenido = 0;
};

// Los tipos, las reglas que impiden leer, la lectura acotada y su interpretación (huella,
// plegado del texto, imagen y miniatura). No toca el estado: puede ir en otro hilo.
Leido leerEInterpretar(plataforma::Portapapeles& portapapeles, const Pedido& pedido);

} // namespace Lector

namespace Pegador {

// Pone en el portapapeles las representaciones de un recorte, todas o solo su texto.
bool escribir(const std::vector<nucleo::Representacion>& representaciones, bool soloTexto,
              plataforma::Portapapeles& portapapeles);

// Si se puede mandar la pulsación de pegar: nunca en una ejecución de prueba.
bool puedePegar(const Entorno& entorno, plataforma::Escritorio& escritorio);

// Pega en la aplicación de delante con la tecla que escribe «v» en la distribución actual,
// o la de la V estadounidense si ninguna la escribe.
void pulsarComandoV(plataforma::Teclado& teclado);

QString nombreDeLaApp();

} // namespace Pegador

} // namespace rebisco

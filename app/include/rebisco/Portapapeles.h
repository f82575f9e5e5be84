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

// El portapapeles no avisa cuando cambia: solo lleva un contador. El vigilante lo mira
// cada 0,4 s y llama a su dueño cuando el contador es otro.
class Vigilante : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds intervalo{400};

    Vigilante(plataforma::Portapapeles& portapapeles, std::function<void()> alCambiar,
              QObject* padre = nullptr);

    void iniciar(std::chrono::milliseconds cada = intervalo);
    void detener();
    void ignorarCambioActual();
    // Mira ya, sin esperar al temporizador: el mismo tic, fuera de su hora.
    void revisar() { tic(); }
    bool activo() const { return temporizador.isActive(); }

private:
    void tic();

    plataforma::Portapapeles& portapapeles;
    std::function<void()> alCambiar;
    std::int64_t ultimoCambio;
    QTimer temporizador;
};

namespace Lector {

std::set<std::string> tipos(plataforma::Portapapeles& portapapeles);

nucleo::LecturaPortapapeles leer(plataforma::Portapapeles& portapapeles,
                                 const std::set<std::string>& tipos, bool guardarImagenes);

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

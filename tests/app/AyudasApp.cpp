#include "AyudasApp.h"

#include <nucleo/Captura.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdlib>

namespace pruebas {

void esperar(std::chrono::milliseconds tiempo) {
    QElapsedTimer reloj;
    reloj.start();
    while (reloj.elapsed() < tiempo.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
}

VariableDeEntorno::VariableDeEntorno(const char* nombre, const std::optional<std::string>& valor)
    : nombre(nombre) {
    if (const char* antes = std::getenv(nombre)) anterior = antes;
    if (valor)
        ::setenv(nombre, valor->c_str(), 1);
    else
        ::unsetenv(nombre);
}

VariableDeEntorno::~VariableDeEntorno() {
    if (anterior)
        ::setenv(nombre, anterior->c_str(), 1);
    else
        ::unsetenv(nombre);
}

bool esperarHasta(const std::function<bool()>& condicion, std::chrono::milliseconds limite) {
    QElapsedTimer reloj;
    reloj.start();
    while (!condicion()) {
        if (reloj.elapsed() > limite.count()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

void copiarTexto(plataforma::memoria::PortapapelesMemoria& portapapeles, const std::string& texto) {
    portapapeles.escribirPiezas({{std::string(nucleo::TipoDato::texto), bytes(texto)}});
}

Banco::Banco() {
    preferencias.registrar(rebisco::Preferencias::registrados());
}

Banco::~Banco() {
    if (estado) estado->cerrar();
}

rebisco::Entorno Banco::entornoDePrueba() const {
    return rebisco::Entorno{.modo = rebisco::ModoEjecucion::prueba, .carpetaDatos = carpeta.ruta()};
}

rebisco::Entorno Banco::entornoDeEnsayo() const {
    return rebisco::Entorno{.modo = rebisco::ModoEjecucion::ensayo, .carpetaDatos = carpeta.ruta()};
}

rebisco::EstadoApp::Tiempos Banco::sinVigilancia() {
    return rebisco::EstadoApp::Tiempos{.vigilancia = std::chrono::hours(1)};
}

rebisco::EstadoApp& Banco::crear(rebisco::Entorno entorno, rebisco::EstadoApp::Tiempos tiempos) {
    estado = std::make_unique<rebisco::EstadoApp>(rebisco::EstadoApp::Dependencias{
        .plataforma = plataforma,
        .portapapeles = plataforma.general(),
        .preferencias = preferencias,
        .entorno = std::move(entorno),
        .reloj = [this] { return ahora; },
        .tiempos = tiempos,
    });
    return *estado;
}

rebisco::EstadoApp& Banco::iniciar(rebisco::Entorno entorno, rebisco::EstadoApp::Tiempos tiempos) {
    crear(std::move(entorno), tiempos).iniciar();
    return *estado;
}

void Banco::copiar(const std::string& texto) {
    copiarTexto(portapapeles(), texto);
    ahora += std::chrono::seconds(1);
    estado->alCambiarPortapapeles();
}

void Banco::guardarVarios(int cuantos, const std::string& prefijo) {
    for (int i = 0; i < cuantos; ++i) {
        ahora += std::chrono::seconds(1);
        estado->almacenAbierto()->guardar(recorteDeTexto(prefijo + std::to_string(i)), ahora);
    }
    estado->recargar(true);
}

std::vector<std::string> Banco::vistas() const {
    std::vector<std::string> resultado;
    for (const auto& r : estado->recortes())
        resultado.push_back(r.vista);
    return resultado;
}

} // namespace pruebas

#pragma once

#include "Ayudas.h"

#include <rebisco/EstadoApp.h>

#include <plataforma/Memoria.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pruebas {

// Deja correr el bucle de Qt durante un tiempo, o hasta que se cumpla la condición.
void esperar(std::chrono::milliseconds tiempo);
bool esperarHasta(const std::function<bool()>& condicion,
                  std::chrono::milliseconds limite = std::chrono::seconds(5));

// Pone (o quita, con nullopt) una variable del entorno del proceso mientras dura.
class VariableDeEntorno {
public:
    VariableDeEntorno(const char* nombre, const std::optional<std::string>& valor);
    ~VariableDeEntorno();
    VariableDeEntorno(const VariableDeEntorno&) = delete;
    VariableDeEntorno& operator=(const VariableDeEntorno&) = delete;

private:
    const char* nombre;
    std::optional<std::string> anterior;
};

// Lo que otra aplicación haría al copiar texto.
void copiarTexto(plataforma::memoria::PortapapelesMemoria& portapapeles, const std::string& texto);

// Un EstadoApp sobre la plataforma en memoria, con su carpeta de datos y sus preferencias.
struct Banco {
    CarpetaTemporal carpeta;
    plataforma::memoria::PlataformaMemoria plataforma;
    rebisco::PreferenciasEnMemoria preferencias;
    nucleo::Instante ahora = momento();
    std::unique_ptr<rebisco::EstadoApp> estado;

    Banco();
    ~Banco();

    // Una ejecución de prueba (con REBISCO_DATOS) o un ensayo, que sí mira la app de delante.
    rebisco::Entorno entornoDePrueba() const;
    rebisco::Entorno entornoDeEnsayo() const;

    // El vigilante no mira por su cuenta: cada prueba procesa los cambios cuando quiere.
    static rebisco::EstadoApp::Tiempos sinVigilancia();

    rebisco::EstadoApp& crear(rebisco::Entorno entorno,
                              rebisco::EstadoApp::Tiempos tiempos = sinVigilancia());
    rebisco::EstadoApp& iniciar(rebisco::Entorno entorno,
                                rebisco::EstadoApp::Tiempos tiempos = sinVigilancia());
    rebisco::EstadoApp& iniciar() { return iniciar(entornoDePrueba()); }

    plataforma::memoria::PortapapelesMemoria& portapapeles() { return plataforma.general(); }
    std::filesystem::path base() const { return carpeta / "historial.sqlite"; }

    // Copia un texto y procesa el cambio como lo haría el vigilante en su siguiente tic.
    void copiar(const std::string& texto);
    // Guarda directamente en el almacén, sin pasar por el portapapeles.
    void guardarVarios(int cuantos, const std::string& prefijo = "recorte ");
    std::vector<std::string> vistas() const;
};

} // namespace pruebas

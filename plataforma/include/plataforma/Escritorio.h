#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plataforma {

struct AppEnFrente {
    std::optional<std::string> id;     // identificador de la aplicación
    std::optional<std::string> nombre; // nombre para mostrar
    std::int64_t pid = 0;              // 0 cuando no se sabe
    // Otros nombres por los que se conoció antes la aplicación (la clase de su ventana), para
    // que una exclusión guardada con ellos siga valiendo.
    std::vector<std::string> otrosIds;

    bool operator==(const AppEnFrente&) const = default;
};

// Una ventana de primer nivel del escritorio y el proceso al que pertenece.
struct Ventana {
    std::uint64_t id = 0;
    std::int64_t pid = 0; // 0 cuando no se sabe

    bool operator==(const Ventana&) const = default;
};

// Mientras viva, el sistema no debe dormir el vigilante del portapapeles.
class Actividad {
public:
    virtual ~Actividad() = default;
};

// Lo que el programa pregunta al escritorio aparte del portapapeles.
class Escritorio {
public:
    virtual ~Escritorio() = default;

    virtual std::optional<AppEnFrente> appEnPrimerPlano() = 0;
    virtual std::int64_t pidPropio() = 0;

    // Si se pueden enviar pulsaciones sintéticas a otras aplicaciones.
    virtual bool confiable() = 0;

    virtual std::unique_ptr<Actividad> empezarActividad(std::string_view motivo) = 0;

    // La ventana que tiene ahora la activación (y el teclado), si hay alguna.
    virtual std::optional<Ventana> ventanaActiva() = 0;
    // Pide que la ventana pase a ser la activa, como lo pediría el usuario desde un
    // paginador. false si ya no existe o no se pudo pedir.
    virtual bool activar(std::uint64_t ventana) = 0;
    // Si un gestor de composición dibuja las ventanas (las transparencias se ven).
    virtual bool hayCompositor() = 0;
    // Prepara una ventana propia aún sin mostrar como panel flotante: en todos los
    // escritorios, fuera de la barra de tareas y del paginador. Se pide antes de cada vez
    // que se muestra, porque el gestor olvida el estado de una ventana retirada.
    virtual void prepararFlotante(std::uint64_t ventana) = 0;
    // Pide al compositor que desenfoque lo que hay detrás de ese rectángulo de la ventana
    // (en sus coordenadas), donde sepa hacerlo; un rectángulo vacío lo retira.
    virtual void desenfocarDetras(std::uint64_t ventana, int x, int y, int ancho, int alto) = 0;

    // Avisa, en el hilo principal, cada vez que cambian la ventana activa o el compositor;
    // quien observa vuelve a preguntar. Devuelve una referencia para dejar de observar.
    using Observador = std::uint64_t;
    virtual Observador observar(std::function<void()> alCambiar) = 0;
    virtual void dejarDeObservar(Observador observador) = 0;
};

} // namespace plataforma

#pragma once

#include <QString>

#include <optional>

class QKeyEvent;

namespace plataforma {
class Teclado;
}

namespace rebisco::TeclasPanel {

// Lo que el reparto necesita de una pulsación: el código de la tecla (su posición), los
// modificadores que cuentan (bits de plataforma::Modificador; Ctrl y Súper son ambos el de
// comando) y lo que escribe la tecla sin modificadores, en minúsculas.
struct Pulsacion {
    int codigo = -1;
    int modificadores = 0;
    QString caracteres;

    bool operator==(const Pulsacion&) const = default;
};

enum class Orden {
    elegir,
    elegirSinFormato,
    escape,
    bajar,
    subir,
    eliminar,
    rapida, // elegir la entrada de la posición `numero`
    fijar,
    ajustes,
    cerrar,
    seleccionarTodo,
    cortar,
    pegarEnCampo,
    deshacer,
    rehacer,
    copiar,
};

struct Decision {
    Orden orden;
    int numero = 0;

    bool operator==(const Decision&) const = default;
};

// Códigos de las teclas que se atienden por su posición, sea cual sea la distribución.
inline constexpr int retorno = 36, intro = 76, borrar = 51, escape = 53, abajo = 125, arriba = 126;

// El número de elección rápida de una tecla de la fila de números, para las distribuciones
// en las que esas teclas no escriben cifras sin mayúsculas.
std::optional<int> numeroDeTecla(int codigo);

// Qué hacer con la pulsación; nada si no es del panel y debe seguir hacia el campo.
std::optional<Decision> decidir(const Pulsacion& pulsacion);

// La pulsación de un evento de Qt, con la distribución que da la plataforma.
Pulsacion leer(const QKeyEvent& evento, plataforma::Teclado& teclado);

} // namespace rebisco::TeclasPanel

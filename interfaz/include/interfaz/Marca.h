#pragma once

#include "interfaz/Dibujo.h"

#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QString>

#include <optional>

namespace rebisco::Marca {

// Las imágenes de la marca que hay en una carpeta de dibujos.
struct Paquete {
    Dibujo barraNormal; // el símbolo de la bandeja, 18 × 18 puntos, de plantilla
    Dibujo barraPausa;  // el mismo sin el haz: la captura está en pausa
    std::optional<Dibujo> logotipoLetras;
    std::optional<Dibujo> logotipoAcento;
    bool enPaquete = false; // estaban los cuatro dibujos
};

// Los dibujos BarraNormal, BarraPausa, LogotipoLetras y LogotipoAcento de la carpeta; a cada
// símbolo que falta le sustituye uno de los nuestros, y si tampoco está, un dibujo vacío.
Paquete cargar(const QString& carpeta);

// Los del programa, cargados una vez mientras viva la aplicación Qt.
const Paquete& delPrograma();
inline const Dibujo& barraNormal() {
    return delPrograma().barraNormal;
}
inline const Dibujo& barraPausa() {
    return delPrograma().barraPausa;
}
inline const std::optional<Dibujo>& logotipoLetras() {
    return delPrograma().logotipoLetras;
}
inline const std::optional<Dibujo>& logotipoAcento() {
    return delPrograma().logotipoAcento;
}
inline bool enPaquete() {
    return delPrograma().enPaquete;
}

// El índigo de la marca, más claro sobre fondo oscuro.
QColor acento(bool oscuro);
bool esOscura(const QPalette& paleta);
QColor acento(const QPalette& paleta);
// La selección y los controles de nuestras ventanas van en el acento.
void aplicarAcento(QPalette& paleta);

// El icono de la aplicación: la nave sobre el fondo de la marca.
QIcon iconoApp();

} // namespace rebisco::Marca

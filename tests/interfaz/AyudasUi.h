#pragma once

#include "Ayudas.h"

#include <QImage>
#include <QString>

namespace pruebas {

// La opacidad (0–1) de un píxel.
double alfa(const QImage& imagen, int x, int y);
// Si dos colores coinciden componente a componente dentro de la tolerancia (0–255).
bool parecido(QColor a, QColor b, int tolerancia = 3);
// Con REBISCO_CAPTURAS apuntando a una carpeta, deja ahí la imagen para mirarla.
void guardarCaptura(const QImage& imagen, const QString& nombre);

} // namespace pruebas

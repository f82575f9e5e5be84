#include "AyudasUi.h"

#include <QDir>

#include <cstdlib>

namespace pruebas {

double alfa(const QImage& imagen, int x, int y) {
    return imagen.pixelColor(x, y).alphaF();
}

bool parecido(QColor a, QColor b, int tolerancia) {
    return std::abs(a.red() - b.red()) <= tolerancia &&
           std::abs(a.green() - b.green()) <= tolerancia &&
           std::abs(a.blue() - b.blue()) <= tolerancia &&
           std::abs(a.alpha() - b.alpha()) <= tolerancia;
}

void guardarCaptura(const QImage& imagen, const QString& nombre) {
    const auto carpeta = qEnvironmentVariable("REBISCO_CAPTURAS");
    if (carpeta.isEmpty()) return;
    QDir().mkpath(carpeta);
    imagen.save(QDir(carpeta).filePath(nombre));
}

} // namespace pruebas

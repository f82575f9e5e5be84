#pragma once

#include <QByteArray>

#include <optional>

namespace rebisco::Diagnostico {

// Los dos símbolos de la bandeja en una hoja PNG de 768 × 192: normal y en pausa sobre claro,
// y luego los mismos sobre oscuro. Nada si no se pudo pintar o codificar.
std::optional<QByteArray> dibujarSimbolos();

} // namespace rebisco::Diagnostico

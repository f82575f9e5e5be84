#pragma once

#include <QString>

namespace rebisco {

struct Entorno;

// Dónde se guarda el historial y qué no se hace con él, con la carpeta de datos de este
// entorno (con ~ por la carpeta personal). La dicen los ajustes y "Acerca de rebisco".
QString frasePrivacidad(const Entorno& entorno);

} // namespace rebisco

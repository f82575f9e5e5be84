#pragma once

#include <QMetaType>

namespace rebisco {

// El permiso de leer el portapapeles, tal como lo da el sistema.
enum class AccesoPortapapeles { sinDecidir, preguntar, permitido, denegado };

// Cualquier valor desconocido cuenta como sin decidir.
AccesoPortapapeles accesoDesde(int comportamiento);

} // namespace rebisco

Q_DECLARE_METATYPE(rebisco::AccesoPortapapeles)

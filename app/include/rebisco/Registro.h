#pragma once

#include <QLoggingCategory>

namespace rebisco {

// Los fallos de la capa de aplicación que no llegan al usuario: una retención o limpieza que
// falla, una preferencia dañada, un historial que no se pudo apartar. Callado por omisión; se
// ve con QT_LOGGING_RULES="rebisco.estado.warning=true" (o "rebisco.*=true").
Q_DECLARE_LOGGING_CATEGORY(registroEstado)

} // namespace rebisco

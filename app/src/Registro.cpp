#include "rebisco/Registro.h"

namespace rebisco {

// Solo lo crítico sale sin pedirlo: los avisos quedan para quien los busque.
Q_LOGGING_CATEGORY(registroEstado, "rebisco.estado", QtCriticalMsg)

} // namespace rebisco

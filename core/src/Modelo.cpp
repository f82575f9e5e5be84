#include "nucleo/Modelo.h"

namespace nucleo {

std::string_view valor(ClaseRecorte clase) {
    switch (clase) {
    case ClaseRecorte::texto:
        return "texto";
    case ClaseRecorte::enlace:
        return "enlace";
    case ClaseRecorte::imagen:
        return "imagen";
    case ClaseRecorte::archivos:
        return "archivos";
    }
    return "texto";
}

std::optional<ClaseRecorte> claseDesde(std::string_view texto) {
    for (const ClaseRecorte clase : todasLasClases) {
        if (valor(clase) == texto) return clase;
    }
    return std::nullopt;
}

std::int64_t RecorteNuevo::bytes() const {
    std::int64_t total = 0;
    for (const auto& r : representaciones)
        total += static_cast<std::int64_t>(r.datos.size());
    return total;
}

} // namespace nucleo

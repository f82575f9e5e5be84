#include "nucleo/Almacen.h"

#include "Archivos.h"
#include "Conexion.h"

#include <sqlite3.h>

#include <memory>

namespace nucleo {

std::int64_t Almacen::aplicarRetencion(const PoliticaRetencion& politica, Instante ahora) {
    std::int64_t borrados = 0;
    enTransaccion([&] {
        if (politica.maximoDias && *politica.maximoDias >= 1) {
            const double limite = segundos(ahora) - static_cast<double>(*politica.maximoDias) * 86400.0;
            borrados += db->correr("DELETE FROM recortes WHERE fijado = 0 AND usado < ?",
                                   {Valor::real(limite)});
        }
        if (politica.maximoRecortes && *politica.maximoRecortes >= 0) {
            borrados += db->correr("DELETE FROM recortes WHERE id IN (\n"
                                   "    SELECT id FROM recortes WHERE fijado = 0 ORDER BY orden "
                                   "DESC LIMIT -1 OFFSET ?\n)",
                                   {Valor::entero(*politica.maximoRecortes)});
        }
        if (politica.maximoBytes && *politica.maximoBytes >= 0) {
            borrados += db->correr("DELETE FROM recortes WHERE id IN (\n"
                                   "    SELECT id FROM (\n"
                                   "        SELECT id,\n"
                                   "            SUM(bytes) OVER (ORDER BY orden DESC) AS acumulado,\n"
                                   "            ROW_NUMBER() OVER (ORDER BY orden DESC) AS fila\n"
                                   "        FROM recortes WHERE fijado = 0\n"
                                   "    ) WHERE acumulado > ? AND fila > 1\n)",
                                   {Valor::entero(*politica.maximoBytes)});
        }
    });
    if (borrados > 0) db->ejecutar("PRAGMA incremental_vacuum");
    return borrados;
}

void Almacen::copiarBase(const std::filesystem::path& desde, const std::filesystem::path& a) {
    const Conexion origen(desde.string(), SQLITE_OPEN_READONLY);
    Archivos::crearCarpetaPrivada(a.parent_path());
    Archivos::crearArchivoPrivado(a);
    Conexion destino(a.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);

    sqlite3_backup* copia = sqlite3_backup_init(destino.handle(), "main", origen.handle(), "main");
    if (!copia) throw destino.error(sqlite3_errcode(destino.handle()));
    // Un solo paso con todas las páginas: una instantánea coherente aunque otro escriba.
    const int paso = sqlite3_backup_step(copia, -1);
    sqlite3_backup_finish(copia);
    if (paso != SQLITE_DONE) throw destino.error(paso);
    Archivos::hacerPrivado(a);
}

} // namespace nucleo

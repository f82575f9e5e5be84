#include "nucleo/Almacen.h"

#include "Archivos.h"
#include "Conexion.h"
#include "Indices.h"

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <vector>

namespace nucleo {

namespace {

const char* const porEdad = "DELETE FROM recortes WHERE fijado = 0 AND usado < ?";

const char* const porCantidad =
    "DELETE FROM recortes WHERE id IN (\n"
    "    SELECT id FROM recortes WHERE fijado = 0 ORDER BY orden DESC LIMIT -1 OFFSET ?\n)";

const char* const porTamano = "DELETE FROM recortes WHERE id IN (\n"
                              "    SELECT id FROM (\n"
                              "        SELECT id,\n"
                              "            SUM(bytes) OVER (ORDER BY orden DESC) AS acumulado,\n"
                              "            ROW_NUMBER() OVER (ORDER BY orden DESC) AS fila\n"
                              "        FROM recortes WHERE fijado = 0\n"
                              "    ) WHERE acumulado > ? AND fila > 1\n)";

// Los `?` no fijados más antiguos: los que deja fuera porCantidad, que recorre de más
// reciente a más antiguo y, a igual orden, de menor a mayor id, como recortes_orden.
const char* const losMasAntiguos =
    "DELETE FROM recortes WHERE id IN (\n"
    "    SELECT id FROM recortes WHERE fijado = 0 ORDER BY orden, id DESC LIMIT ?\n)";

// Los que borraría porTamano, sabiendo que todos los bytes son enteros no negativos y cuánto
// pasa el total de los no fijados del límite. El acumulado de una fila desde la más reciente
// es el total menos lo de las más antiguas (a igual orden, el mismo para todas), así que se
// borra desde la más antigua mientras eso no llegue al exceso; la más reciente, que porTamano
// nunca borra, es la última del recorrido. Sin valor si algún orden no es entero.
std::optional<std::vector<std::int64_t>> excedentes(Conexion& db, std::int64_t exceso) {
    std::vector<std::int64_t> ids;
    std::int64_t anteriores = 0;
    std::int64_t grupo = 0;
    std::optional<std::int64_t> ordenDelGrupo;
    bool raro = false;
    bool todos = true;
    db.recorrer("SELECT id, orden, bytes FROM recortes WHERE fijado = 0 ORDER BY orden, id DESC",
                {}, [&](const Fila& f) {
                    if (!f.esEntero(1)) {
                        raro = true;
                        return false;
                    }
                    if (f.entero(1) != ordenDelGrupo) {
                        anteriores += grupo;
                        grupo = 0;
                        ordenDelGrupo = f.entero(1);
                    }
                    if (anteriores >= exceso) {
                        todos = false;
                        return false;
                    }
                    ids.push_back(f.entero(0));
                    grupo += f.entero(2);
                    return true;
                });
    if (raro) return std::nullopt;
    if (todos && !ids.empty()) ids.pop_back();
    return ids;
}

} // namespace

std::int64_t Almacen::aplicarRetencion(const PoliticaRetencion& politica, Instante ahora) {
    indices->alDia();
    std::int64_t borrados = 0;
    enTransaccion([&] {
        if (politica.maximoDias && *politica.maximoDias >= 1) {
            const double limite =
                segundos(ahora) - static_cast<double>(*politica.maximoDias) * 86400.0;
            borrados += db->correr(porEdad, {Valor::real(limite)});
        }
        // Los totales se leen dentro de la transacción, con lo que dejaron las reglas anteriores.
        // Con ellos cada regla sabe qué borrar sin recorrer el historial entero; sin ellos, las
        // sentencias de siempre.
        if (politica.maximoRecortes && *politica.maximoRecortes >= 0) {
            const auto t = indices->totales();
            if (!t) {
                borrados += db->correr(porCantidad, {Valor::entero(*politica.maximoRecortes)});
            } else if (t->libres > *politica.maximoRecortes) {
                const std::int64_t previstos = t->libres - *politica.maximoRecortes;
                borrados += indices->borrarEnBloque(previstos, [&] {
                    return db->correr(losMasAntiguos, {Valor::entero(previstos)});
                });
            }
        }
        if (politica.maximoBytes && *politica.maximoBytes >= 0) {
            const auto t = indices->totales();
            std::optional<std::vector<std::int64_t>> ids;
            // Con bytes enteros no negativos ningún acumulado pasa del total de los no fijados.
            if (t && t->bytesLibres) {
                ids = *t->bytesLibres <= *politica.maximoBytes
                          ? std::vector<std::int64_t>{}
                          : excedentes(*db, *t->bytesLibres - *politica.maximoBytes);
            }
            if (!ids) {
                borrados += db->correr(porTamano, {Valor::entero(*politica.maximoBytes)});
            } else if (!ids->empty()) {
                borrados += indices->borrarEnBloque(static_cast<std::int64_t>(ids->size()), [&] {
                    return db->correr(
                        "DELETE FROM recortes WHERE id IN (SELECT value FROM json_each(?))",
                        {Valor::ids(*ids)});
                });
            }
        }
    });
    if (borrados > 0) {
        trasBorrar();
    }
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

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct sqlite3_stmt;

namespace nucleo {

class Conexion;

// Totales del historial que los disparadores mantienen al día.
struct Totales {
    std::int64_t recortes = 0;
    std::int64_t libres = 0; // fijado = 0
    // Solo cuando todas las columnas bytes son enteros no negativos y la suma cabe en 64 bits:
    // entonces coinciden con SUM(bytes) y cualquier suma parcial es menor o igual.
    std::optional<std::int64_t> bytes;
    std::optional<std::int64_t> bytesLibres;
};

// Las estructuras auxiliares del historial: índices sobre orden, peso y uso, una tabla de
// totales y un índice de trigramas del texto de búsqueda, todo con el prefijo rebisco_ y
// mantenido por disparadores, de modo que también sigue al día si escribe otro programa.
// Solo aceleran: cada respuesta es la de las sentencias de siempre, y las tablas del esquema
// no las necesitan. Se ponen únicamente en bases de la versión 1.
class Indices {
public:
    explicit Indices(Conexion& db);
    ~Indices();
    Indices(const Indices&) = delete;
    Indices& operator=(const Indices&) = delete;

    // Comprueba que estén completas y al día, y si no las rehace. Nunca lanza: si algo falla,
    // quedan inactivas y el almacén usa solo las sentencias de siempre.
    void preparar() noexcept;
    // Antes de cada operación: si otro programa cambió el esquema, vuelve a preparar.
    void alDia() noexcept;
    // Tras borrar: el índice de trigramas guarda lo borrado en sus segmentos hasta que se
    // funden; se funden ya, para que no quede ni rastro de ese texto, mientras el historial
    // no sea tan grande que fundirlo congele el programa. Nunca lanza.
    void olvidarBorrados() noexcept;

    // Totales exactos; sin valor si no están activas o no se pueden leer.
    std::optional<Totales> totales() noexcept;

    // Para un DELETE sobre recortes que borrará `previstos` filas. Si son muchas más que las
    // que quedan, lo corre sin el disparador de borrado, que reindexaría fila a fila, y rehace
    // después el índice de trigramas y los totales con lo que queda; si no, lo corre tal cual.
    // Devuelve lo que devuelve borrar. Lanza ErrorAlmacen.
    std::int64_t borrarEnBloque(std::int64_t previstos,
                                const std::function<std::int64_t()>& borrar);

    // La consulta fts5 con trigramas de los términos de tres o más caracteres; sin valor si
    // ningún término sirve.
    static std::optional<std::string> trigramas(const std::vector<std::string>& terminos);
    // Ids de los recortes cuyo texto de búsqueda tiene todos esos trigramas, un superconjunto
    // de los que cumplen los LIKE: los tope + 1 mayores a lo sumo, de mayor a menor.
    // Lanza ErrorAlmacen.
    std::vector<std::int64_t> candidatos(const std::string& trigramas, std::size_t tope);
    // Lo que responde la función rebisco_candidato(id) en las consultas: los ids dados, y
    // cualquier id menor que desde, del que no se sabe nada y decidirán los LIKE.
    void marcarCandidatos(const std::vector<std::int64_t>& ids, std::int64_t desde);

    struct Conjunto {
        std::int64_t desde = 0;
        std::int64_t base = 0;
        std::vector<std::uint64_t> bits;
        std::vector<std::int64_t> ordenados; // si el rango es demasiado ancho para los bits
        bool contiene(std::int64_t id) const;
    };

private:
    void rehacer();
    void sellar();
    // Lee un PRAGMA de un entero con una sentencia preparada una sola vez: va antes de cada
    // operación y no debe costar más que eso.
    std::int64_t pragma(sqlite3_stmt*& sentencia, const char* sql);

    Conexion& db_;
    bool aplicable_ = false; // versión 1
    bool activas_ = false;
    std::optional<std::int64_t> versionEsquema_;
    std::optional<std::int64_t> versionDatos_; // data_version con que se comprobaron los totales
    Conjunto candidatos_;
    sqlite3_stmt* versionDelEsquema_ = nullptr;
    sqlite3_stmt* versionDeLosDatos_ = nullptr;
};

} // namespace nucleo

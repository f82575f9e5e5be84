#include "nucleo/Almacen.h"
#include "nucleo/Busqueda.h"

#include "Conexion.h"
#include "Indices.h"

#include <sqlite3.h>

#include <algorithm>
#include <limits>

namespace nucleo {

namespace {

Recorte recorteDe(const Fila& f) {
    return {
        .id = f.entero(0),
        .creado = instante(f.real(1)),
        .usado = instante(f.real(2)),
        .fijado = f.entero(3) != 0,
        .clase = claseDesde(f.texto(4).value_or("")).value_or(ClaseRecorte::texto),
        .vista = f.texto(5).value_or(""),
        .appId = f.texto(6),
        .appNombre = f.texto(7),
        .bytes = f.entero(8),
        .miniatura = f.datos(9),
    };
}

// Condiciones y orden de la consulta de siempre. El id final no cambia nada mientras no haya
// dos órdenes iguales; si otro programa los repite, deja a los empatados como los da el
// índice recortes_orden, sea cual sea el plan.
std::string consulta(std::string_view filtro, std::size_t terminos) {
    std::string sql = "SELECT id, creado, usado, fijado, clase, vista, app_id, app_nombre, bytes, "
                      "miniatura FROM recortes";
    if (!filtro.empty()) {
        sql += " WHERE ";
        sql += filtro;
    }
    for (std::size_t i = 0; i < terminos; ++i) {
        sql += filtro.empty() && i == 0 ? " WHERE " : " AND ";
        sql += "texto_busqueda LIKE ? ESCAPE '\\'";
    }
    return sql + " ORDER BY fijado DESC, orden DESC, id LIMIT ?";
}

// Más términos que estos van por la consulta de siempre, que ya tiene sus propios límites.
constexpr std::size_t maximoTerminos = 16;

// La búsqueda con el índice de trigramas, o nada si conviene la consulta de siempre. Los
// candidatos pasan después por los mismos LIKE, así que el resultado es el mismo.
std::optional<std::vector<Recorte>> buscarConIndice(Conexion& db, Indices& indices,
                                                    const std::vector<std::string>& terminos,
                                                    const std::vector<Valor>& patrones,
                                                    std::int64_t limite) {
    if (terminos.size() > maximoTerminos || limite == 0) return std::nullopt;
    // Un patrón demasiado largo hace fallar a LIKE en cuanto mira una fila: ese error es el de
    // la consulta de siempre y solo ella debe darlo.
    const auto largoMaximo = sqlite3_limit(db.handle(), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1);
    for (const auto& p : patrones) {
        if (std::get<Valor::Texto>(p.caso).v->size() > static_cast<std::size_t>(largoMaximo)) {
            return std::nullopt;
        }
    }
    const auto trigramas = Indices::trigramas(terminos);
    if (!trigramas) return std::nullopt;
    indices.alDia();
    const auto totales = indices.totales();
    if (!totales) return std::nullopt;
    const auto n = static_cast<std::size_t>(std::max<std::int64_t>(totales->recortes, 0));

    // Se juntan los candidatos de ids más altos, que casi siempre son los más recientes: los
    // que harán falta para llegar al límite y, como poco, un vigésimo del historial.
    const std::size_t hasta = limite < 0 ? n : std::min(n, static_cast<std::size_t>(limite));
    const std::size_t tope = std::max({std::size_t{16}, 4 * hasta, n / 20});
    const auto ids = indices.candidatos(*trigramas, tope);
    const bool todos = ids.size() <= tope;
    std::vector<Recorte> recortes;
    if (ids.empty()) return recortes;

    std::vector<Valor> parametros;
    std::string sql;
    if (todos && (ids.size() <= 2 * hasta || (limite < 0 && ids.size() <= n / 8))) {
        // Pocos para el límite: se leen uno a uno por id y se ordenan.
        parametros.push_back(Valor::ids(ids));
        sql = consulta("id IN (SELECT value FROM json_each(?))", terminos.size());
    } else {
        // Muchos: se recorre el índice por recencia y solo se lee la fila de los candidatos,
        // hasta llegar al límite. Por debajo del menor id juntado no se sabe: lo deciden los LIKE.
        indices.marcarCandidatos(ids,
                                 todos ? std::numeric_limits<std::int64_t>::min() : ids.back());
        sql = consulta("rebisco_candidato(id)", terminos.size());
    }
    parametros.insert(parametros.end(), patrones.begin(), patrones.end());
    parametros.push_back(Valor::entero(limite));
    db.consultar(sql, parametros, [&](const Fila& f) { recortes.push_back(recorteDe(f)); });
    return recortes;
}

} // namespace

// Sin búsqueda, o con solo términos cortos, no se usa nada auxiliar: ni se mira si sigue al día.
std::vector<Recorte> Almacen::listar(std::string_view busqueda, std::int64_t limite) {
    const auto terminos = Busqueda::terminos(busqueda);
    std::vector<Valor> parametros;
    for (const auto& t : terminos)
        parametros.push_back(Valor::texto(Busqueda::patron(t)));
    if (!terminos.empty()) {
        try {
            if (auto lista = buscarConIndice(*db, *indices, terminos, parametros, limite))
                return *lista;
        } catch (const ErrorAlmacen&) {
            // El índice solo es un atajo: ante cualquier fallo responde la consulta de siempre.
        }
    }
    parametros.push_back(Valor::entero(limite));
    std::vector<Recorte> recortes;
    db->consultar(consulta("", terminos.size()), parametros,
                  [&](const Fila& f) { recortes.push_back(recorteDe(f)); });
    return recortes;
}

std::vector<Representacion> Almacen::representaciones(std::int64_t id) {
    std::vector<Representacion> lista;
    db->consultar("SELECT tipo, datos FROM representaciones WHERE recorte_id = ? ORDER BY id",
                  {Valor::entero(id)}, [&](const Fila& f) {
                      lista.push_back(
                          {.tipo = f.texto(0).value_or(""), .datos = f.datos(1).value_or(Bytes{})});
                  });
    return lista;
}

void Almacen::marcarUsado(std::int64_t id, Instante ahora) {
    indices->alDia();
    enTransaccion([&] {
        const std::int64_t orden = siguienteOrden();
        db->correr("UPDATE recortes SET usado = ?, orden = ? WHERE id = ?",
                   {Valor::real(segundos(ahora)), Valor::entero(orden), Valor::entero(id)});
    });
}

void Almacen::fijar(std::int64_t id, bool fijado) {
    indices->alDia();
    db->correr("UPDATE recortes SET fijado = ? WHERE id = ?",
               {Valor::entero(fijado ? 1 : 0), Valor::entero(id)});
}

void Almacen::borrar(std::int64_t id) {
    indices->alDia();
    if (db->correr("DELETE FROM recortes WHERE id = ?", {Valor::entero(id)}) > 0) trasBorrar();
}

std::int64_t Almacen::borrarTodo(bool conservarFijados) {
    indices->alDia();
    const auto t = indices->totales();
    const std::int64_t previstos = !t ? 0 : conservarFijados ? t->libres : t->recortes;
    const std::int64_t borrados = indices->borrarEnBloque(previstos, [&] {
        return db->correr(conservarFijados ? "DELETE FROM recortes WHERE fijado = 0"
                                           : "DELETE FROM recortes");
    });
    trasBorrar();
    return borrados;
}

Estadisticas Almacen::estadisticas() {
    indices->alDia();
    if (const auto t = indices->totales(); t && t->bytes)
        return {.recortes = t->recortes, .bytes = *t->bytes};
    Estadisticas e;
    db->consultar("SELECT COUNT(*), COALESCE(SUM(bytes), 0) FROM recortes", {},
                  [&](const Fila& f) { e = {.recortes = f.entero(0), .bytes = f.entero(1)}; });
    return e;
}

} // namespace nucleo

#include "nucleo/Almacen.h"
#include "nucleo/Busqueda.h"

#include "Conexion.h"

namespace nucleo {

std::vector<Recorte> Almacen::listar(std::string_view busqueda, std::int64_t limite) {
    const auto terminos = Busqueda::terminos(busqueda);
    std::string sql = "SELECT id, creado, usado, fijado, clase, vista, app_id, app_nombre, bytes, "
                      "miniatura FROM recortes";
    std::vector<Valor> parametros;
    for (std::size_t i = 0; i < terminos.size(); ++i) {
        sql += i == 0 ? " WHERE " : " AND ";
        sql += "texto_busqueda LIKE ? ESCAPE '\\'";
        parametros.push_back(Valor::texto(Busqueda::patron(terminos[i])));
    }
    sql += " ORDER BY fijado DESC, orden DESC LIMIT ?";
    parametros.push_back(Valor::entero(limite));

    std::vector<Recorte> recortes;
    db->consultar(sql, parametros, [&](const Fila& f) {
        recortes.push_back({
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
        });
    });
    return recortes;
}

std::vector<Representacion> Almacen::representaciones(std::int64_t id) {
    std::vector<Representacion> lista;
    db->consultar("SELECT tipo, datos FROM representaciones WHERE recorte_id = ? ORDER BY id",
                  {Valor::entero(id)}, [&](const Fila& f) {
                      lista.push_back({.tipo = f.texto(0).value_or(""),
                                       .datos = f.datos(1).value_or(Bytes{})});
                  });
    return lista;
}

void Almacen::marcarUsado(std::int64_t id, Instante ahora) {
    enTransaccion([&] {
        const std::int64_t orden = siguienteOrden();
        db->correr("UPDATE recortes SET usado = ?, orden = ? WHERE id = ?",
                   {Valor::real(segundos(ahora)), Valor::entero(orden), Valor::entero(id)});
    });
}

void Almacen::fijar(std::int64_t id, bool fijado) {
    db->correr("UPDATE recortes SET fijado = ? WHERE id = ?",
               {Valor::entero(fijado ? 1 : 0), Valor::entero(id)});
}

void Almacen::borrar(std::int64_t id) {
    db->correr("DELETE FROM recortes WHERE id = ?", {Valor::entero(id)});
}

std::int64_t Almacen::borrarTodo(bool conservarFijados) {
    const std::int64_t borrados = db->correr(conservarFijados
                                                 ? "DELETE FROM recortes WHERE fijado = 0"
                                                 : "DELETE FROM recortes");
    db->ejecutar("PRAGMA incremental_vacuum");
    return borrados;
}

Estadisticas Almacen::estadisticas() {
    Estadisticas e;
    db->consultar("SELECT COUNT(*), COALESCE(SUM(bytes), 0) FROM recortes", {},
                  [&](const Fila& f) { e = {.recortes = f.entero(0), .bytes = f.entero(1)}; });
    return e;
}

} // namespace nucleo

#include "Literal.h"

#include <nucleo/Busqueda.h>

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <variant>

namespace literal {

using namespace nucleo;

const std::string esquema =
    "CREATE TABLE recortes (\n"
    "    id INTEGER PRIMARY KEY AUTOINCREMENT,\n"
    "    creado REAL NOT NULL,\n"
    "    usado REAL NOT NULL,\n"
    "    orden INTEGER NOT NULL,\n"
    "    fijado INTEGER NOT NULL DEFAULT 0,\n"
    "    clase TEXT NOT NULL,\n"
    "    huella TEXT NOT NULL UNIQUE,\n"
    "    vista TEXT NOT NULL,\n"
    "    texto_busqueda TEXT NOT NULL,\n"
    "    app_id TEXT,\n"
    "    app_nombre TEXT,\n"
    "    bytes INTEGER NOT NULL,\n"
    "    miniatura BLOB\n"
    ");\n"
    "CREATE INDEX recortes_orden ON recortes(fijado DESC, orden DESC);\n"
    "CREATE TABLE representaciones (\n"
    "    id INTEGER PRIMARY KEY AUTOINCREMENT,\n"
    "    recorte_id INTEGER NOT NULL REFERENCES recortes(id) ON DELETE CASCADE,\n"
    "    tipo TEXT NOT NULL,\n"
    "    datos BLOB NOT NULL\n"
    ");\n"
    "CREATE INDEX representaciones_recorte ON representaciones(recorte_id);\n"
    "PRAGMA user_version = 1;";

namespace {

using Valor = std::variant<std::int64_t, double, std::optional<std::string>, std::optional<Bytes>>;

double segundos(Instante t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}

Instante instante(double s) {
    return Instante(
        std::chrono::duration_cast<Instante::duration>(std::chrono::duration<double>(s)));
}

ErrorAlmacen error(sqlite3* db, int codigo) {
    return ErrorAlmacen(codigo, sqlite3_errmsg(db));
}

void ejecutarEn(sqlite3* db, const std::string& sql) {
    const int codigo = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (codigo != SQLITE_OK) throw error(db, codigo);
}

int enlazar(sqlite3_stmt* s, int i, const Valor& v) {
    if (const auto* e = std::get_if<std::int64_t>(&v)) return sqlite3_bind_int64(s, i, *e);
    if (const auto* r = std::get_if<double>(&v)) return sqlite3_bind_double(s, i, *r);
    if (const auto* t = std::get_if<std::optional<std::string>>(&v)) {
        if (!*t) return sqlite3_bind_null(s, i);
        // El texto llega hasta el primer NUL, como una cadena de C.
        return sqlite3_bind_text(s, i, (*t)->c_str(), -1, SQLITE_TRANSIENT);
    }
    const auto& d = std::get<std::optional<Bytes>>(v);
    if (!d) return sqlite3_bind_null(s, i);
    if (d->empty()) return sqlite3_bind_zeroblob(s, i, 0);
    return sqlite3_bind_blob64(s, i, d->data(), d->size(), SQLITE_TRANSIENT);
}

void consultar(sqlite3* db, const std::string& sql, const std::vector<Valor>& parametros,
               const std::function<void(sqlite3_stmt*)>& porFila) {
    sqlite3_stmt* s = nullptr;
    const int preparado = sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
    if (preparado != SQLITE_OK || !s) {
        sqlite3_finalize(s);
        throw error(db, preparado);
    }
    int i = 1;
    for (const auto& p : parametros) {
        const int codigo = enlazar(s, i++, p);
        if (codigo != SQLITE_OK) {
            sqlite3_finalize(s);
            throw error(db, codigo);
        }
    }
    int codigo;
    while ((codigo = sqlite3_step(s)) == SQLITE_ROW)
        porFila(s);
    if (codigo != SQLITE_DONE) {
        const auto e = error(db, codigo);
        sqlite3_finalize(s);
        throw e;
    }
    sqlite3_finalize(s);
}

std::optional<std::int64_t> entero(sqlite3* db, const std::string& sql,
                                   const std::vector<Valor>& parametros = {}) {
    std::optional<std::int64_t> v;
    consultar(db, sql, parametros, [&](sqlite3_stmt* s) {
        if (!v) v = sqlite3_column_int64(s, 0);
    });
    return v;
}

std::int64_t correr(sqlite3* db, const std::string& sql,
                    const std::vector<Valor>& parametros = {}) {
    consultar(db, sql, parametros, [](sqlite3_stmt*) {});
    return sqlite3_changes64(db);
}

void enTransaccion(sqlite3* db, const std::function<void()>& trabajo) {
    ejecutarEn(db, "BEGIN IMMEDIATE");
    try {
        trabajo();
        ejecutarEn(db, "COMMIT");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::optional<std::string> texto(sqlite3_stmt* s, int c) {
    if (sqlite3_column_type(s, c) == SQLITE_NULL) return std::nullopt;
    const auto* p = sqlite3_column_text(s, c);
    return std::string(reinterpret_cast<const char*>(p),
                       static_cast<std::size_t>(sqlite3_column_bytes(s, c)));
}

std::optional<Bytes> datos(sqlite3_stmt* s, int c) {
    const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(s, c));
    const int n = sqlite3_column_bytes(s, c);
    if (!p || n == 0) return std::nullopt;
    return Bytes(p, p + n);
}

std::int64_t siguienteOrden(sqlite3* db) {
    return entero(db, "SELECT COALESCE(MAX(orden), 0) + 1 FROM recortes").value_or(1);
}

void insertarRepresentaciones(sqlite3* db, std::int64_t id, const RecorteNuevo& nuevo) {
    for (const auto& r : nuevo.representaciones) {
        correr(db, "INSERT INTO representaciones(recorte_id, tipo, datos) VALUES(?, ?, ?)",
               {id, std::optional<std::string>(r.tipo), std::optional<Bytes>(r.datos)});
    }
}

} // namespace

Base::Base(const std::string& ruta) {
    const int codigo = sqlite3_open_v2(
        ruta.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
        nullptr);
    if (codigo != SQLITE_OK) {
        const ErrorAlmacen e(codigo, db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(codigo));
        sqlite3_close_v2(db_);
        throw e;
    }
    try {
        sqlite3_busy_timeout(db_, 3000);
        for (const char* pragma : {"PRAGMA auto_vacuum = INCREMENTAL", "PRAGMA journal_mode = WAL",
                                   "PRAGMA journal_size_limit = 4194304",
                                   "PRAGMA foreign_keys = ON", "PRAGMA secure_delete = ON"}) {
            ejecutarEn(db_, pragma);
        }
        const auto version = entero(db_, "PRAGMA user_version");
        if (!version || *version <= 0) enTransaccion(db_, [&] { ejecutarEn(db_, esquema); });
    } catch (...) {
        sqlite3_close_v2(db_);
        throw;
    }
}

Base::~Base() {
    sqlite3_close_v2(db_);
}

void Base::ejecutar(const std::string& sql) {
    ejecutarEn(db_, sql);
}

Guardado Base::guardar(const RecorteNuevo& nuevo, Instante ahora) {
    Guardado resultado;
    enTransaccion(db_, [&] {
        const std::int64_t orden = siguienteOrden(db_);
        const double t = segundos(ahora);
        const std::optional<std::string> clase{std::string(valor(nuevo.clase))};
        const auto existente = entero(db_, "SELECT id FROM recortes WHERE huella = ?",
                                      {std::optional<std::string>(nuevo.huella)});
        if (!existente) {
            correr(db_,
                   "INSERT INTO recortes(creado, usado, orden, fijado, clase, huella, vista, "
                   "texto_busqueda,\n"
                   "    app_id, app_nombre, bytes, miniatura)\n"
                   "VALUES(?, ?, ?, 0, ?, ?, ?, ?, ?, ?, ?, ?)",
                   {t, t, orden, clase, std::optional<std::string>(nuevo.huella),
                    std::optional<std::string>(nuevo.vista),
                    std::optional<std::string>(nuevo.textoBusqueda), nuevo.appId, nuevo.appNombre,
                    nuevo.bytes(), nuevo.miniatura});
            resultado = {.id = sqlite3_last_insert_rowid(db_), .repetido = false};
        } else {
            correr(db_,
                   "UPDATE recortes SET usado = ?, orden = ?, clase = ?, vista = ?, texto_busqueda "
                   "= ?,\n"
                   "    app_id = ?, app_nombre = ?, bytes = ?, miniatura = ?\n"
                   "WHERE id = ?",
                   {t, orden, clase, std::optional<std::string>(nuevo.vista),
                    std::optional<std::string>(nuevo.textoBusqueda), nuevo.appId, nuevo.appNombre,
                    nuevo.bytes(), nuevo.miniatura, *existente});
            correr(db_, "DELETE FROM representaciones WHERE recorte_id = ?", {*existente});
            resultado = {.id = *existente, .repetido = true};
        }
        insertarRepresentaciones(db_, resultado.id, nuevo);
    });
    return resultado;
}

std::vector<Recorte> Base::listar(std::string_view busqueda, std::int64_t limite) {
    const auto terminos = Busqueda::terminos(busqueda);
    std::string sql = "SELECT id, creado, usado, fijado, clase, vista, app_id, app_nombre, bytes, "
                      "miniatura FROM recortes";
    std::vector<Valor> parametros;
    for (std::size_t i = 0; i < terminos.size(); ++i) {
        sql += i == 0 ? " WHERE " : " AND ";
        sql += "texto_busqueda LIKE ? ESCAPE '\\'";
        parametros.emplace_back(std::optional<std::string>(Busqueda::patron(terminos[i])));
    }
    sql += " ORDER BY fijado DESC, orden DESC LIMIT ?";
    parametros.emplace_back(limite);
    std::vector<Recorte> lista;
    consultar(db_, sql, parametros, [&](sqlite3_stmt* s) {
        lista.push_back({
            .id = sqlite3_column_int64(s, 0),
            .creado = instante(sqlite3_column_double(s, 1)),
            .usado = instante(sqlite3_column_double(s, 2)),
            .fijado = sqlite3_column_int64(s, 3) != 0,
            .clase = claseDesde(texto(s, 4).value_or("")).value_or(ClaseRecorte::texto),
            .vista = texto(s, 5).value_or(""),
            .appId = texto(s, 6),
            .appNombre = texto(s, 7),
            .bytes = sqlite3_column_int64(s, 8),
            .miniatura = datos(s, 9),
        });
    });
    return lista;
}

std::vector<Representacion> Base::representaciones(std::int64_t id) {
    std::vector<Representacion> lista;
    consultar(db_, "SELECT tipo, datos FROM representaciones WHERE recorte_id = ? ORDER BY id",
              {id}, [&](sqlite3_stmt* s) {
                  lista.push_back(
                      {.tipo = texto(s, 0).value_or(""), .datos = datos(s, 1).value_or(Bytes{})});
              });
    return lista;
}

void Base::marcarUsado(std::int64_t id, Instante ahora) {
    enTransaccion(db_, [&] {
        const std::int64_t orden = siguienteOrden(db_);
        correr(db_, "UPDATE recortes SET usado = ?, orden = ? WHERE id = ?",
               {segundos(ahora), orden, id});
    });
}

void Base::fijar(std::int64_t id, bool fijado) {
    correr(db_, "UPDATE recortes SET fijado = ? WHERE id = ?", {std::int64_t{fijado ? 1 : 0}, id});
}

void Base::borrar(std::int64_t id) {
    correr(db_, "DELETE FROM recortes WHERE id = ?", {id});
}

std::int64_t Base::borrarTodo(bool conservarFijados) {
    const std::int64_t borrados = correr(
        db_, conservarFijados ? "DELETE FROM recortes WHERE fijado = 0" : "DELETE FROM recortes");
    ejecutarEn(db_, "PRAGMA incremental_vacuum");
    return borrados;
}

Estadisticas Base::estadisticas() {
    Estadisticas e;
    consultar(db_, "SELECT COUNT(*), COALESCE(SUM(bytes), 0) FROM recortes", {},
              [&](sqlite3_stmt* s) {
                  e = {.recortes = sqlite3_column_int64(s, 0), .bytes = sqlite3_column_int64(s, 1)};
              });
    return e;
}

std::int64_t Base::aplicarRetencion(const PoliticaRetencion& politica, Instante ahora) {
    std::int64_t borrados = 0;
    enTransaccion(db_, [&] {
        if (politica.maximoDias && *politica.maximoDias >= 1) {
            const double limite =
                segundos(ahora) - static_cast<double>(*politica.maximoDias) * 86400.0;
            borrados +=
                correr(db_, "DELETE FROM recortes WHERE fijado = 0 AND usado < ?", {limite});
        }
        if (politica.maximoRecortes && *politica.maximoRecortes >= 0) {
            borrados += correr(db_,
                               "DELETE FROM recortes WHERE id IN (\n"
                               "    SELECT id FROM recortes WHERE fijado = 0 ORDER BY orden DESC "
                               "LIMIT -1 OFFSET ?\n"
                               ")",
                               {*politica.maximoRecortes});
        }
        if (politica.maximoBytes && *politica.maximoBytes >= 0) {
            borrados += correr(db_,
                               "DELETE FROM recortes WHERE id IN (\n"
                               "    SELECT id FROM (\n"
                               "        SELECT id,\n"
                               "            SUM(bytes) OVER (ORDER BY orden DESC) AS acumulado,\n"
                               "            ROW_NUMBER() OVER (ORDER BY orden DESC) AS fila\n"
                               "        FROM recortes WHERE fijado = 0\n"
                               "    ) WHERE acumulado > ? AND fila > 1\n"
                               ")",
                               {*politica.maximoBytes});
        }
    });
    if (borrados > 0) ejecutarEn(db_, "PRAGMA incremental_vacuum");
    return borrados;
}

std::vector<std::string> Base::filas(const std::string& sql) {
    std::vector<std::string> resultado;
    consultar(db_, sql, {}, [&](sqlite3_stmt* s) {
        std::string fila;
        for (int c = 0; c < sqlite3_column_count(s); ++c) {
            if (c > 0) fila += '|';
            switch (sqlite3_column_type(s, c)) {
            case SQLITE_INTEGER:
                fila += "i:" + std::to_string(sqlite3_column_int64(s, c));
                break;
            case SQLITE_FLOAT: {
                char numero[40];
                std::snprintf(numero, sizeof numero, "r:%.17g", sqlite3_column_double(s, c));
                fila += numero;
                break;
            }
            case SQLITE_TEXT:
                fila += "t:" + texto(s, c).value_or("");
                break;
            case SQLITE_BLOB: {
                fila += "b:";
                const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(s, c));
                for (int i = 0; i < sqlite3_column_bytes(s, c); ++i) {
                    char par[3];
                    std::snprintf(par, sizeof par, "%02x", p[i]);
                    fila += par;
                }
                break;
            }
            default:
                fila += "NULL";
            }
        }
        resultado.push_back(std::move(fila));
    });
    return resultado;
}

} // namespace literal

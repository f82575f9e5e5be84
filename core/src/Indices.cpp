#include "Indices.h"

#include "Conexion.h"
#include "Texto.h"
#include "nucleo/Almacen.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <variant>

namespace nucleo {

namespace {

struct Objeto {
    std::string_view tipo;
    std::string_view nombre;
    std::string_view sql;
};

// En orden de creación. El texto es exactamente el que guarda sqlite_master: así se sabe si
// lo que hay en la base es lo de esta versión. Lo que aporta cada fila a los totales se
// escribe igual en los disparadores y en recuento().
// clang-format off
constexpr Objeto objetos[] = {
    // MAX(orden) sin recorrer la tabla.
    {"index", "rebisco_orden", "CREATE INDEX rebisco_orden ON recortes(orden)"},
    // Cubre las reglas de cantidad y de tamaño y el recuento de los totales. Con el id antes
    // que bytes, los de igual orden salen como en recortes_orden y las reglas dan lo mismo
    // aunque otro programa repita órdenes; con fijado ascendente no sirve al orden del listado,
    // que sigue recorriendo recortes_orden, más estrecho.
    {"index", "rebisco_peso",
     "CREATE INDEX rebisco_peso ON recortes(fijado, orden DESC, id, bytes)"},
    // La regla de edad: fijado = 0 AND usado < ?.
    {"index", "rebisco_uso", "CREATE INDEX rebisco_uso ON recortes(fijado, usado)"},
    // Sin tipos declarados: un valor real o de texto se queda como llegó.
    {"table", "rebisco_totales",
     "CREATE TABLE rebisco_totales(recortes, bytes, libres, bytes_libres, raros)"},
    // Contenido externo (el texto sigue solo en recortes) y detail=none: apenas ocupa.
    {"table", "rebisco_busqueda",
     "CREATE VIRTUAL TABLE rebisco_busqueda USING fts5(texto_busqueda, content='recortes', "
     "content_rowid='id', tokenize='trigram case_sensitive 0', detail=none)"},
    {"trigger", "rebisco_al_insertar",
     "CREATE TRIGGER rebisco_al_insertar AFTER INSERT ON recortes BEGIN\n"
     "    INSERT INTO rebisco_busqueda(rowid, texto_busqueda)\n"
     "        VALUES (NEW.id, NEW.texto_busqueda);\n"
     "    UPDATE rebisco_totales SET recortes = recortes + 1, bytes = bytes + NEW.bytes,\n"
     "        libres = libres + (NEW.fijado = 0),\n"
     "        bytes_libres = bytes_libres + CASE WHEN NEW.fijado = 0 THEN NEW.bytes ELSE 0 END,\n"
     "        raros = raros + (typeof(NEW.bytes) <> 'integer' OR NEW.bytes < 0);\n"
     "END"},
    {"trigger", "rebisco_al_borrar",
     "CREATE TRIGGER rebisco_al_borrar AFTER DELETE ON recortes BEGIN\n"
     "    INSERT INTO rebisco_busqueda(rebisco_busqueda, rowid, texto_busqueda)\n"
     "        VALUES ('delete', OLD.id, OLD.texto_busqueda);\n"
     "    UPDATE rebisco_totales SET recortes = recortes - 1, bytes = bytes - OLD.bytes,\n"
     "        libres = libres - (OLD.fijado = 0),\n"
     "        bytes_libres = bytes_libres - CASE WHEN OLD.fijado = 0 THEN OLD.bytes ELSE 0 END,\n"
     "        raros = raros - (typeof(OLD.bytes) <> 'integer' OR OLD.bytes < 0);\n"
     "END"},
    {"trigger", "rebisco_al_cambiar_texto",
     "CREATE TRIGGER rebisco_al_cambiar_texto AFTER UPDATE OF id, texto_busqueda ON recortes\n"
     "WHEN OLD.id IS NOT NEW.id OR OLD.texto_busqueda IS NOT NEW.texto_busqueda BEGIN\n"
     "    INSERT INTO rebisco_busqueda(rebisco_busqueda, rowid, texto_busqueda)\n"
     "        VALUES ('delete', OLD.id, OLD.texto_busqueda);\n"
     "    INSERT INTO rebisco_busqueda(rowid, texto_busqueda)\n"
     "        VALUES (NEW.id, NEW.texto_busqueda);\n"
     "END"},
    {"trigger", "rebisco_al_cambiar_peso",
     "CREATE TRIGGER rebisco_al_cambiar_peso AFTER UPDATE OF fijado, bytes ON recortes BEGIN\n"
     "    UPDATE rebisco_totales SET bytes = bytes - OLD.bytes + NEW.bytes,\n"
     "        libres = libres - (OLD.fijado = 0) + (NEW.fijado = 0),\n"
     "        bytes_libres = bytes_libres - CASE WHEN OLD.fijado = 0 THEN OLD.bytes ELSE 0 END\n"
     "            + CASE WHEN NEW.fijado = 0 THEN NEW.bytes ELSE 0 END,\n"
     "        raros = raros - (typeof(OLD.bytes) <> 'integer' OR OLD.bytes < 0)\n"
     "            + (typeof(NEW.bytes) <> 'integer' OR NEW.bytes < 0);\n"
     "END"},
};
// clang-format on

// Las tablas que fts5 crea para rebisco_busqueda.
constexpr std::string_view sombras[] = {"rebisco_busqueda_data", "rebisco_busqueda_idx",
                                        "rebisco_busqueda_docsize", "rebisco_busqueda_config"};

// Los totales de todas las filas. suma es SUM, exacta y con error si se sale de 64 bits, o
// TOTAL, que nunca falla y da un real.
std::string recuento(std::string_view suma) {
    const std::string s(suma);
    return "SELECT COUNT(*), COALESCE(" + s +
           "(bytes), 0), COALESCE(SUM(fijado = 0), 0), COALESCE(" + s +
           "(CASE WHEN fijado = 0 THEN bytes ELSE 0 END), 0), " +
           "COALESCE(SUM(typeof(bytes) <> 'integer' OR bytes < 0), 0) FROM recortes";
}

using Cifra = std::variant<std::monostate, std::int64_t, double>;
using Cifras = std::array<Cifra, 5>; // recortes, bytes, libres, bytes_libres, raros

Cifra cifra(const Fila& f, int c) {
    if (f.esEntero(c)) return f.entero(c);
    if (f.esReal(c)) return f.real(c);
    return std::monostate{};
}

Valor valorDe(const Cifra& c) {
    if (const auto* e = std::get_if<std::int64_t>(&c)) return Valor::entero(*e);
    if (const auto* r = std::get_if<double>(&c)) return Valor::real(*r);
    return Valor::texto(std::nullopt);
}

// Un real en los totales los deja fuera de uso como cualquier otra rareza.
Cifras contar(Conexion& db) {
    Cifras c;
    const auto leer = [&](const Fila& f) {
        for (int i = 0; i < 5; ++i)
            c[static_cast<std::size_t>(i)] = cifra(f, i);
    };
    try {
        db.consultar(recuento("SUM"), {}, leer);
    } catch (const ErrorAlmacen&) {
        db.consultar(recuento("TOTAL"), {}, leer);
    }
    return c;
}

void escribirTotales(Conexion& db, const Cifras& cifras) {
    std::vector<Valor> valores;
    for (const auto& v : cifras)
        valores.push_back(valorDe(v));
    db.correr("DELETE FROM rebisco_totales");
    db.correr("INSERT INTO rebisco_totales VALUES(?, ?, ?, ?, ?)", valores);
}

std::string entreComillas(std::string_view nombre) {
    std::string q = "\"";
    for (const char c : nombre) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + '"';
}

struct Existente {
    std::string tipo;
    std::string sql;
};

std::map<std::string, Existente> existentes(Conexion& db) {
    std::map<std::string, Existente> lista;
    db.consultar(
        "SELECT type, name, sql FROM sqlite_master WHERE name LIKE 'rebisco\\_%' ESCAPE '\\'", {},
        [&](const Fila& f) {
            lista[f.texto(1).value_or("")] = {f.texto(0).value_or(""), f.texto(2).value_or("")};
        });
    return lista;
}

void enTransaccion(Conexion& db, const std::function<void()>& trabajo) {
    db.ejecutar("BEGIN IMMEDIATE");
    try {
        trabajo();
        db.ejecutar("COMMIT");
    } catch (...) {
        sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

// Quita todo lo nuestro: primero los disparadores, que nombran a las tablas, luego la tabla
// virtual, que se lleva sus tablas sombra, y al final lo que quede.
void quitarTodo(Conexion& db) {
    for (const char* tipo : {"trigger", "virtual", "index", "table"}) {
        for (const auto& [nombre, e] : existentes(db)) {
            const bool virtual_ = e.sql.starts_with("CREATE VIRTUAL TABLE");
            if (std::string_view(tipo) == "virtual" ? (e.tipo == "table" && virtual_)
                                                    : e.tipo == tipo) {
                if (e.tipo == "index" && e.sql.empty()) continue; // índices automáticos
                const std::string orden = e.tipo == "trigger" ? "DROP TRIGGER "
                                          : e.tipo == "index" ? "DROP INDEX "
                                                              : "DROP TABLE ";
                db.ejecutar(orden + entreComillas(nombre));
            }
        }
    }
}

bool completas(Conexion& db) {
    auto hay = existentes(db);
    for (const auto& o : objetos) {
        const auto it = hay.find(std::string(o.nombre));
        if (it == hay.end() || it->second.tipo != o.tipo || it->second.sql != o.sql) return false;
        hay.erase(it);
    }
    for (const auto s : sombras) {
        if (hay.erase(std::string(s)) == 0) return false;
    }
    return hay.empty();
}

void miembro(sqlite3_context* contexto, int, sqlite3_value** argumentos) {
    const auto* conjunto = static_cast<const Indices::Conjunto*>(sqlite3_user_data(contexto));
    sqlite3_result_int(contexto, conjunto->contiene(sqlite3_value_int64(argumentos[0])) ? 1 : 0);
}

} // namespace

bool Indices::Conjunto::contiene(std::int64_t id) const {
    if (id < desde) return true;
    if (!bits.empty()) {
        if (id < base) return false;
        const auto d = static_cast<std::uint64_t>(id) - static_cast<std::uint64_t>(base);
        return d / 64 < bits.size() && (bits[d / 64] >> (d % 64) & 1u) != 0;
    }
    return std::binary_search(ordenados.begin(), ordenados.end(), id);
}

Indices::Indices(Conexion& db)
    : db_(db) {
    sqlite3_create_function_v2(db_.handle(), "rebisco_candidato", 1,
                               SQLITE_UTF8 | SQLITE_DIRECTONLY, &candidatos_, miembro, nullptr,
                               nullptr, nullptr);
}

Indices::~Indices() {
    sqlite3_finalize(versionDelEsquema_);
    sqlite3_finalize(versionDeLosDatos_);
}

std::int64_t Indices::pragma(sqlite3_stmt*& sentencia, const char* sql) {
    if (!sentencia) {
        const int codigo = sqlite3_prepare_v2(db_.handle(), sql, -1, &sentencia, nullptr);
        if (codigo != SQLITE_OK) throw db_.error(codigo);
    }
    const int codigo = sqlite3_step(sentencia);
    const std::int64_t valor = sqlite3_column_int64(sentencia, 0);
    sqlite3_reset(sentencia);
    if (codigo != SQLITE_ROW) throw db_.error(codigo);
    return valor;
}

void Indices::preparar() noexcept {
    activas_ = false;
    versionDatos_.reset();
    try {
        const auto version = db_.entero("PRAGMA user_version");
        aplicable_ = version && *version == 1;
        if (!aplicable_) return;
        try {
            if (!completas(db_)) rehacer();
            // Si el índice de trigramas no cuenta las mismas filas que recortes, alguien lo tocó
            // por fuera: se vuelve a indexar.
            const auto filas = db_.entero("SELECT COUNT(*) FROM recortes");
            const auto indexadas = db_.entero("SELECT COUNT(*) FROM rebisco_busqueda_docsize");
            if (filas != indexadas) {
                enTransaccion(db_, [&] {
                    db_.ejecutar(
                        "INSERT INTO rebisco_busqueda(rebisco_busqueda) VALUES('rebuild')");
                });
            }
            sellar();
            activas_ = versionDatos_.has_value();
        } catch (const ErrorAlmacen&) {
            // Mejor sin nada que a medias: unos disparadores que nombran una tabla que ya no
            // existe harían fallar cada escritura.
            try {
                if (!completas(db_)) enTransaccion(db_, [&] { quitarTodo(db_); });
            } catch (const ErrorAlmacen&) {
            }
        }
        versionEsquema_ = pragma(versionDelEsquema_, "PRAGMA schema_version");
    } catch (const ErrorAlmacen&) {
        activas_ = false;
    }
}

void Indices::rehacer() {
    enTransaccion(db_, [&] {
        quitarTodo(db_);
        for (const auto& o : objetos)
            db_.ejecutar(std::string(o.sql));
        db_.ejecutar("INSERT INTO rebisco_busqueda(rebisco_busqueda) VALUES('rebuild')");
        escribirTotales(db_, contar(db_));
    });
}

std::int64_t Indices::borrarEnBloque(std::int64_t previstos,
                                     const std::function<std::int64_t()>& borrar) {
    const auto t = totales();
    // Reindexar lo que queda cuesta unas ocho veces más por fila que quitar una fila.
    if (!t || previstos < 1000 || previstos <= 8 * (t->recortes - previstos)) return borrar();
    const auto disparador =
        std::find_if(std::begin(objetos), std::end(objetos),
                     [](const Objeto& o) { return o.nombre == "rebisco_al_borrar"; });
    const bool propia = sqlite3_get_autocommit(db_.handle()) != 0;
    if (propia) db_.ejecutar("BEGIN IMMEDIATE");
    std::int64_t borrados = 0;
    try {
        db_.ejecutar("DROP TRIGGER rebisco_al_borrar");
        borrados = borrar();
        db_.ejecutar(std::string(disparador->sql));
        db_.ejecutar("INSERT INTO rebisco_busqueda(rebisco_busqueda) VALUES('rebuild')");
        escribirTotales(db_, contar(db_));
        if (propia) db_.ejecutar("COMMIT");
    } catch (...) {
        if (propia) sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    // El esquema cambió por nuestra mano y los totales acaban de contarse.
    versionEsquema_ = pragma(versionDelEsquema_, "PRAGMA schema_version");
    versionDatos_ = pragma(versionDeLosDatos_, "PRAGMA data_version");
    return borrados;
}

void Indices::sellar() {
    versionDatos_.reset();
    // La versión se lee antes de contar: si otro escribe en medio, la próxima vez se recuenta.
    const auto version = pragma(versionDeLosDatos_, "PRAGMA data_version");
    const Cifras reales = contar(db_);
    std::vector<Cifras> guardadas;
    db_.consultar("SELECT recortes, bytes, libres, bytes_libres, raros FROM rebisco_totales", {},
                  [&](const Fila& f) {
                      Cifras c;
                      for (int i = 0; i < 5; ++i)
                          c[static_cast<std::size_t>(i)] = cifra(f, i);
                      guardadas.push_back(c);
                  });
    if (guardadas.size() != 1 || guardadas.front() != reales) {
        const bool propia = sqlite3_get_autocommit(db_.handle()) != 0;
        if (propia) db_.ejecutar("BEGIN IMMEDIATE");
        try {
            escribirTotales(db_, reales);
            if (propia) db_.ejecutar("COMMIT");
        } catch (...) {
            if (propia) sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }
    versionDatos_ = version;
}

void Indices::alDia() noexcept {
    if (!versionEsquema_) return;
    try {
        if (pragma(versionDelEsquema_, "PRAGMA schema_version") != versionEsquema_) preparar();
    } catch (const ErrorAlmacen&) {
        activas_ = false;
    }
}

void Indices::olvidarBorrados() noexcept {
    // Fundir reescribe el índice entero: unos 20 ms por cada mil recortes de texto corto. Más
    // allá de este tamaño costaría segundos en cada copia, y los trozos quedan hasta que
    // fts5 funda esos segmentos por su cuenta.
    constexpr std::int64_t maximoParaFundir = 5000;
    const auto t = totales();
    if (!t || t->recortes > maximoParaFundir) return;
    try {
        db_.ejecutar("INSERT INTO rebisco_busqueda(rebisco_busqueda) VALUES('optimize')");
    } catch (const ErrorAlmacen&) {
        // Queda para el próximo borrado; un daño del archivo ya lo recuerda la conexión.
    }
}

std::optional<Totales> Indices::totales() noexcept {
    if (!activas_) return std::nullopt;
    try {
        if (pragma(versionDeLosDatos_, "PRAGMA data_version") != versionDatos_) sellar();
        std::optional<Cifras> c;
        db_.consultar("SELECT recortes, bytes, libres, bytes_libres, raros FROM rebisco_totales",
                      {}, [&](const Fila& f) {
                          c = Cifras{};
                          for (int i = 0; i < 5; ++i)
                              (*c)[static_cast<std::size_t>(i)] = cifra(f, i);
                      });
        if (!c) return std::nullopt;
        const auto* recortes = std::get_if<std::int64_t>(&(*c)[0]);
        const auto* bytes = std::get_if<std::int64_t>(&(*c)[1]);
        const auto* libres = std::get_if<std::int64_t>(&(*c)[2]);
        const auto* bytesLibres = std::get_if<std::int64_t>(&(*c)[3]);
        const auto* raros = std::get_if<std::int64_t>(&(*c)[4]);
        if (!recortes || !libres) return std::nullopt;
        Totales t{.recortes = *recortes, .libres = *libres};
        if (raros && *raros == 0 && bytes && bytesLibres) {
            t.bytes = *bytes;
            t.bytesLibres = *bytesLibres;
        }
        return t;
    } catch (const ErrorAlmacen&) {
        return std::nullopt;
    }
}

std::optional<std::string> Indices::trigramas(const std::vector<std::string>& terminos) {
    // Trigramas que cubren cada término sin solaparse, más el último: casi tan selectivos como
    // todos y la mitad de listas que cruzar.
    std::string consulta;
    std::set<std::string> vistos;
    for (const auto& t : terminos) {
        // Un NUL corta el patrón que recibe LIKE: ese término no puede filtrar aquí.
        if (t.find('\0') != std::string::npos) continue;
        std::vector<std::size_t> inicio;
        for (std::size_t i = 0; i < t.size();) {
            inicio.push_back(i);
            Texto::siguiente(t, i);
        }
        const std::size_t n = inicio.size();
        if (n < 3) continue;
        inicio.push_back(t.size());
        for (std::size_t i = 0;; i += 3) {
            const std::size_t p = std::min(i, n - 3);
            std::string trigrama = t.substr(inicio[p], inicio[p + 3] - inicio[p]);
            if (vistos.insert(trigrama).second) {
                if (!consulta.empty()) consulta += ' ';
                consulta += entreComillas(trigrama);
            }
            if (p == n - 3) break;
        }
    }
    if (consulta.empty()) return std::nullopt;
    return consulta;
}

std::vector<std::int64_t> Indices::candidatos(const std::string& trigramas, std::size_t tope) {
    std::vector<std::int64_t> ids;
    db_.consultar(
        "SELECT rowid FROM rebisco_busqueda WHERE rebisco_busqueda MATCH ? ORDER BY rowid DESC "
        "LIMIT ?",
        {Valor::texto(trigramas), Valor::entero(static_cast<std::int64_t>(tope) + 1)},
        [&](const Fila& f) { ids.push_back(f.entero(0)); });
    return ids;
}

void Indices::marcarCandidatos(const std::vector<std::int64_t>& ids, std::int64_t desde) {
    candidatos_ = {.desde = desde};
    if (ids.empty()) return;
    const auto [menor, mayor] = std::minmax_element(ids.begin(), ids.end());
    const auto ancho = static_cast<std::uint64_t>(*mayor) - static_cast<std::uint64_t>(*menor);
    if (ancho / 64 <= 4 * ids.size() + 1024) {
        candidatos_.base = *menor;
        candidatos_.bits.assign(ancho / 64 + 1, 0);
        for (const auto id : ids) {
            const auto d = static_cast<std::uint64_t>(id) - static_cast<std::uint64_t>(*menor);
            candidatos_.bits[d / 64] |= std::uint64_t{1} << (d % 64);
        }
    } else {
        candidatos_.ordenados = ids;
        std::sort(candidatos_.ordenados.begin(), candidatos_.ordenados.end());
    }
}

} // namespace nucleo

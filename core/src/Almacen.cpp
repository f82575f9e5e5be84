#include "nucleo/Almacen.h"

#include "Archivos.h"
#include "Conexion.h"
#include "Indices.h"

#include <sqlite3.h>

namespace nucleo {

namespace {

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

constexpr std::int64_t versionConocida = 1;

// Solo de la conexión: no escriben en el archivo ni piden su cerrojo.
const char* const pragmasDeConexion[] = {
    "PRAGMA journal_size_limit = 4194304",
    "PRAGMA foreign_keys = ON",
    "PRAGMA secure_delete = ON",
};

std::string modoDeRegistro(Conexion& db) {
    std::string modo;
    db.consultar("PRAGMA journal_mode", {}, [&](const Fila& f) { modo = f.texto(0).value_or(""); });
    return modo;
}

void insertarRepresentaciones(Conexion& db, std::int64_t id, const RecorteNuevo& nuevo) {
    for (const auto& r : nuevo.representaciones) {
        db.correr("INSERT INTO representaciones(recorte_id, tipo, datos) VALUES(?, ?, ?)",
                  {Valor::entero(id), Valor::texto(r.tipo), Valor::datos(r.datos)});
    }
}

} // namespace

ErrorAlmacen::ErrorAlmacen(std::int32_t codigo, std::string mensaje)
    : codigo(codigo)
    , mensaje(std::move(mensaje))
    , descripcion_(description()) {}

std::string ErrorAlmacen::description() const {
    return "SQLite " + std::to_string(codigo) + ": " + mensaje;
}

bool ErrorAlmacen::esCorrupcion() const {
    const int primario = codigo & 0xff;
    return primario == SQLITE_CORRUPT || primario == SQLITE_NOTADB;
}

bool ErrorAlmacen::esOcupado() const {
    const int primario = codigo & 0xff;
    return primario == SQLITE_BUSY || primario == SQLITE_LOCKED;
}

const char* ErrorAlmacen::what() const noexcept {
    return descripcion_.c_str();
}

Almacen::Almacen(const std::optional<std::filesystem::path>& ruta,
                 std::chrono::milliseconds esperaAlAbrir) {
    if (ruta) {
        Archivos::crearCarpetaPrivada(ruta->parent_path());
        Archivos::crearArchivoPrivado(*ruta);
    }
    db = std::make_unique<Conexion>(ruta ? ruta->string() : ":memory:",
                                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    db->esperar(static_cast<int>(esperaAlAbrir.count()));
    // La primera lectura del archivo: un archivo ajeno o dañado falla ya aquí, y uno de una
    // versión más nueva se deja sin tocar.
    const auto version = db->entero("PRAGMA user_version").value_or(0);
    if (version > versionConocida) {
        throw ErrorAlmacen(SQLITE_CANTOPEN, "database schema version " + std::to_string(version) +
                                                " is newer than this program's " +
                                                std::to_string(versionConocida) +
                                                "; the file is left untouched");
    }
    // Lo que escribe en el archivo, y por tanto espera al cerrojo de escritura, solo al crearlo
    // o al migrarlo: si otro programa tiene el historial abierto, abrirlo no debe esperar por él.
    if (version == 0) {
        db->ejecutar("PRAGMA auto_vacuum = INCREMENTAL");
        db->ejecutar("PRAGMA journal_mode = WAL");
    } else if (modoDeRegistro(*db) != "wal") {
        db->ejecutar("PRAGMA journal_mode = WAL");
    }
    for (const char* pragma : pragmasDeConexion)
        db->ejecutar(pragma);
    migrar();
    indices = std::make_unique<Indices>(*db);
    indices->preparar();
    // Las estructuras auxiliares callan sus fallos; un daño visto al prepararlas es del archivo.
    db->comprobar();
    db->esperar(3000);
    if (ruta) {
        for (const char* sufijo : {"", "-wal", "-shm"}) {
            Archivos::hacerPrivado(ruta->string() + sufijo);
        }
    }
}

Almacen::~Almacen() = default;

void Almacen::migrar() {
    const auto version = db->entero("PRAGMA user_version");
    if (version && *version > 0) return;
    enTransaccion([&] { db->ejecutar(esquema); });
}

void Almacen::enTransaccion(const std::function<void()>& trabajo) {
    db->ejecutar("BEGIN IMMEDIATE");
    try {
        trabajo();
        db->ejecutar("COMMIT");
    } catch (...) {
        // El error del ROLLBACK se descarta: el que importa es el primero.
        sqlite3_exec(db->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void Almacen::trasBorrar() {
    indices->olvidarBorrados();
    db->ejecutar("PRAGMA incremental_vacuum");
    db->vaciarRegistro();
}

std::int64_t Almacen::siguienteOrden() {
    return db->entero("SELECT COALESCE(MAX(orden), 0) + 1 FROM recortes").value_or(1);
}

Guardado Almacen::guardar(const RecorteNuevo& nuevo, Instante ahora) {
    indices->alDia();
    Guardado resultado;
    enTransaccion([&] {
        const std::int64_t orden = siguienteOrden();
        const double t = segundos(ahora);
        const std::string clase(valor(nuevo.clase));
        const auto existente =
            db->entero("SELECT id FROM recortes WHERE huella = ?", {Valor::texto(nuevo.huella)});
        if (!existente) {
            db->correr("INSERT INTO recortes(creado, usado, orden, fijado, clase, huella, vista, "
                       "texto_busqueda,\n    app_id, app_nombre, bytes, miniatura)\n"
                       "VALUES(?, ?, ?, 0, ?, ?, ?, ?, ?, ?, ?, ?)",
                       {Valor::real(t), Valor::real(t), Valor::entero(orden), Valor::texto(clase),
                        Valor::texto(nuevo.huella), Valor::texto(nuevo.vista),
                        Valor::texto(nuevo.textoBusqueda), Valor::texto(nuevo.appId),
                        Valor::texto(nuevo.appNombre), Valor::entero(nuevo.bytes()),
                        Valor::datos(nuevo.miniatura)});
            resultado = {.id = sqlite3_last_insert_rowid(db->handle()), .repetido = false};
        } else {
            db->correr("UPDATE recortes SET usado = ?, orden = ?, clase = ?, vista = ?, "
                       "texto_busqueda = ?,\n    app_id = ?, app_nombre = ?, bytes = ?, "
                       "miniatura = ?\nWHERE id = ?",
                       {Valor::real(t), Valor::entero(orden), Valor::texto(clase),
                        Valor::texto(nuevo.vista), Valor::texto(nuevo.textoBusqueda),
                        Valor::texto(nuevo.appId), Valor::texto(nuevo.appNombre),
                        Valor::entero(nuevo.bytes()), Valor::datos(nuevo.miniatura),
                        Valor::entero(*existente)});
            db->correr("DELETE FROM representaciones WHERE recorte_id = ?",
                       {Valor::entero(*existente)});
            resultado = {.id = *existente, .repetido = true};
        }
        insertarRepresentaciones(*db, resultado.id, nuevo);
    });
    // Una repetición sustituye representaciones: las viejas no deben quedar en el registro.
    if (resultado.repetido) db->vaciarRegistro();
    return resultado;
}

} // namespace nucleo

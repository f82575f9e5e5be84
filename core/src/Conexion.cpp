#include "Conexion.h"

#include "nucleo/Almacen.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>

namespace nucleo {

namespace {

struct Finalizar {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Sentencia = std::unique_ptr<sqlite3_stmt, Finalizar>;

// Como el texto de C que recibe la biblioteca: llega hasta el primer NUL.
std::string_view hastaNul(const std::string& s) {
    return std::string_view(s).substr(0, s.find('\0'));
}

int enlazar(sqlite3_stmt* s, int posicion, const Valor& valor) {
    return std::visit(
        [&](const auto& caso) -> int {
            using T = std::decay_t<decltype(caso)>;
            if constexpr (std::is_same_v<T, Valor::Entero>) {
                return sqlite3_bind_int64(s, posicion, caso.v);
            } else if constexpr (std::is_same_v<T, Valor::Real>) {
                return sqlite3_bind_double(s, posicion, caso.v);
            } else if constexpr (std::is_same_v<T, Valor::Texto>) {
                if (!caso.v) return sqlite3_bind_null(s, posicion);
                const auto t = hastaNul(*caso.v);
                return sqlite3_bind_text64(s, posicion, t.data(), t.size(), SQLITE_TRANSIENT,
                                           SQLITE_UTF8);
            } else {
                if (!caso.v) return sqlite3_bind_null(s, posicion);
                // Un búfer vacío es un blob de longitud cero, nunca NULL.
                if (caso.v->empty()) return sqlite3_bind_zeroblob(s, posicion, 0);
                return sqlite3_bind_blob64(s, posicion, caso.v->data(), caso.v->size(),
                                           SQLITE_TRANSIENT);
            }
        },
        valor.caso);
}

} // namespace

Valor Valor::ids(const std::vector<std::int64_t>& lista) {
    std::string json = "[";
    for (const auto id : lista) {
        if (json.size() > 1) json += ',';
        json += std::to_string(id);
    }
    return texto(json + ']');
}

Conexion::Conexion(const std::string& ruta, int banderas) {
    const int codigo =
        sqlite3_open_v2(ruta.c_str(), &db_, banderas | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (codigo != SQLITE_OK) {
        std::string mensaje = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(codigo);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw ErrorAlmacen(codigo, std::move(mensaje));
    }
}

Conexion::~Conexion() {
    sqlite3_close_v2(db_);
}

ErrorAlmacen Conexion::error(int codigo) {
    ErrorAlmacen e(codigo, db_ ? sqlite3_errmsg(db_) : "no database connection");
    if (e.esCorrupcion() && codigoDano_ == 0) {
        codigoDano_ = e.codigo;
        mensajeDano_ = e.mensaje;
        if (db_) sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }
    return e;
}

void Conexion::comprobar() const {
    if (codigoDano_ != 0) throw ErrorAlmacen(codigoDano_, mensajeDano_);
}

void Conexion::esperar(int milisegundos) {
    espera_ = milisegundos;
    sqlite3_busy_timeout(db_, milisegundos);
}

void Conexion::vaciarRegistro() {
    comprobar();
    // Si otro programa está leyendo, no se le espera más que un momento: el registro queda
    // como está hasta el siguiente borrado que lo consiga (o el cierre).
    sqlite3_busy_timeout(db_, std::min(espera_, 100));
    const int codigo =
        sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    sqlite3_busy_timeout(db_, espera_);
    if (codigo != SQLITE_OK && codigo != SQLITE_BUSY && codigo != SQLITE_LOCKED)
        throw error(codigo);
}

void Conexion::ejecutar(const std::string& sql) {
    comprobar();
    const int codigo = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    if (codigo != SQLITE_OK) throw error(codigo);
}

void Conexion::consultar(std::string_view sql, const std::vector<Valor>& parametros,
                         const std::function<void(const Fila&)>& porFila) {
    recorrer(sql, parametros, [&](const Fila& f) {
        porFila(f);
        return true;
    });
}

void Conexion::recorrer(std::string_view sql, const std::vector<Valor>& parametros,
                        const std::function<bool(const Fila&)>& porFila) {
    comprobar();
    sqlite3_stmt* crudo = nullptr;
    const int preparado =
        sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &crudo, nullptr);
    Sentencia s(crudo);
    if (preparado != SQLITE_OK || !s) throw error(preparado);

    int posicion = 1;
    for (const auto& p : parametros) {
        const int codigo = enlazar(s.get(), posicion++, p);
        if (codigo != SQLITE_OK) throw error(codigo);
    }

    const Fila fila(s.get());
    int codigo;
    while ((codigo = sqlite3_step(s.get())) == SQLITE_ROW) {
        if (!porFila(fila)) return;
    }
    if (codigo != SQLITE_DONE) throw error(codigo);
}

std::optional<std::int64_t> Conexion::entero(std::string_view sql,
                                             const std::vector<Valor>& parametros) {
    std::optional<std::int64_t> resultado;
    consultar(sql, parametros, [&](const Fila& f) {
        if (!resultado) resultado = f.entero(0);
    });
    return resultado;
}

std::int64_t Conexion::correr(std::string_view sql, const std::vector<Valor>& parametros) {
    consultar(sql, parametros, [](const Fila&) {});
    return sqlite3_changes64(db_);
}

std::int64_t Fila::entero(int columna) const {
    return sqlite3_column_int64(s_, columna);
}

double Fila::real(int columna) const {
    return sqlite3_column_double(s_, columna);
}

bool Fila::esNulo(int columna) const {
    return sqlite3_column_type(s_, columna) == SQLITE_NULL;
}

bool Fila::esEntero(int columna) const {
    return sqlite3_column_type(s_, columna) == SQLITE_INTEGER;
}

bool Fila::esReal(int columna) const {
    return sqlite3_column_type(s_, columna) == SQLITE_FLOAT;
}

std::optional<std::string> Fila::texto(int columna) const {
    if (esNulo(columna)) return std::nullopt;
    const auto* p = sqlite3_column_text(s_, columna);
    const int n = sqlite3_column_bytes(s_, columna);
    return std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n));
}

std::optional<Bytes> Fila::datos(int columna) const {
    const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(s_, columna));
    const int n = sqlite3_column_bytes(s_, columna);
    if (!p || n == 0) return std::nullopt;
    return Bytes(p, p + n);
}

} // namespace nucleo

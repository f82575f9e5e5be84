#pragma once

#include "nucleo/Modelo.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace nucleo {

class ErrorAlmacen;

// Valor de un parámetro; se enlaza por orden en las posiciones 1, 2, 3...
struct Valor {
    struct Entero {
        std::int64_t v;
    };
    struct Real {
        double v;
    };
    struct Texto {
        std::optional<std::string> v;
    };
    struct Datos {
        std::optional<Bytes> v;
    };
    std::variant<Entero, Real, Texto, Datos> caso;

    static Valor entero(std::int64_t v) { return {Entero{v}}; }
    static Valor real(double v) { return {Real{v}}; }
    static Valor texto(std::optional<std::string> v) { return {Texto{std::move(v)}}; }
    static Valor datos(std::optional<Bytes> v) { return {Datos{std::move(v)}}; }
    // Una lista de ids como texto JSON, para «id IN (SELECT value FROM json_each(?))».
    static Valor ids(const std::vector<std::int64_t>& lista);
};

// Una fila del resultado, leída por columnas.
class Fila {
public:
    explicit Fila(sqlite3_stmt* sentencia)
        : s_(sentencia) {}
    std::int64_t entero(int columna) const;
    double real(int columna) const;
    bool esNulo(int columna) const;
    bool esEntero(int columna) const;
    bool esReal(int columna) const;
    std::optional<std::string> texto(int columna) const;
    std::optional<Bytes> datos(int columna) const; // NULL o cero bytes: ausente

private:
    sqlite3_stmt* s_;
};

// La conexión y el ejecutor de sentencias por el que pasa toda operación del almacén.
class Conexion {
public:
    // Abre en modo serializado; lanza ErrorAlmacen si no puede.
    Conexion(const std::string& ruta, int banderas);
    ~Conexion();
    Conexion(const Conexion&) = delete;
    Conexion& operator=(const Conexion&) = delete;

    sqlite3* handle() const { return db_; }

    void ejecutar(const std::string& sql);
    void consultar(std::string_view sql, const std::vector<Valor>& parametros,
                   const std::function<void(const Fila&)>& porFila);
    // Como consultar, pero deja de pedir filas cuando porFila devuelve false.
    void recorrer(std::string_view sql, const std::vector<Valor>& parametros,
                  const std::function<bool(const Fila&)>& porFila);
    std::optional<std::int64_t> entero(std::string_view sql,
                                       const std::vector<Valor>& parametros = {});
    std::int64_t correr(std::string_view sql, const std::vector<Valor>& parametros = {});

    // El error de un fallo de la biblioteca. Si dice que el archivo está dañado, la conexión
    // queda inservible: desde entonces todo lanza ese mismo error sin tocar el archivo, y al
    // cerrarla no se vuelca el registro en él.
    ErrorAlmacen error(int codigo);
    // Cuánto espera cada sentencia a que otro programa suelte el archivo.
    void esperar(int milisegundos);
    // Lanza el daño visto, si lo hubo.
    void comprobar() const;
    // Pasa el registro a la base y lo deja vacío, para que lo borrado no siga legible en él.
    // Si otro programa lo está leyendo, queda para la próxima vez.
    void vaciarRegistro();

private:
    sqlite3* db_ = nullptr;
    int espera_ = 0;
    int codigoDano_ = 0;
    std::string mensajeDano_;
};

} // namespace nucleo

namespace nucleo {

// Los instantes se guardan como segundos desde 1970 en un REAL.
inline double segundos(Instante t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}

inline Instante instante(double s) {
    return Instante(
        std::chrono::duration_cast<Instante::duration>(std::chrono::duration<double>(s)));
}

} // namespace nucleo

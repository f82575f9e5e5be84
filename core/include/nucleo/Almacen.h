#pragma once

#include "nucleo/Modelo.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nucleo {

class ErrorAlmacen : public std::exception {
public:
    ErrorAlmacen(std::int32_t codigo, std::string mensaje);

    std::int32_t codigo;
    std::string mensaje;

    // "SQLite " + código + ": " + mensaje; es el texto que ve el usuario en los avisos.
    std::string description() const;
    bool esCorrupcion() const;
    // Otro programa tiene el archivo cerrado (SQLITE_BUSY o SQLITE_LOCKED): pasará solo.
    bool esOcupado() const;
    const char* what() const noexcept override;

    bool operator==(const ErrorAlmacen& otro) const {
        return codigo == otro.codigo && mensaje == otro.mensaje;
    }

private:
    std::string descripcion_;
};

struct Guardado {
    std::int64_t id = 0;
    bool repetido = false;

    bool operator==(const Guardado&) const = default;
};

struct Estadisticas {
    std::int64_t recortes = 0;
    std::int64_t bytes = 0;

    bool operator==(const Estadisticas&) const = default;
};

class Conexion;
class Indices;

// El historial: un archivo SQLite con los recortes y sus representaciones.
// Toda operación se completa o lanza ErrorAlmacen.
class Almacen {
public:
    // Sin ruta, una base privada en memoria. Si otro programa tiene el archivo, abrirlo espera
    // hasta esperaAlAbrir; después, cada operación espera hasta 3 s.
    explicit Almacen(const std::optional<std::filesystem::path>& ruta = std::nullopt,
                     std::chrono::milliseconds esperaAlAbrir = std::chrono::seconds(3));
    ~Almacen();
    Almacen(const Almacen&) = delete;
    Almacen& operator=(const Almacen&) = delete;

    Guardado guardar(const RecorteNuevo& nuevo, Instante ahora);

    std::vector<Recorte> listar(std::string_view busqueda, std::int64_t limite);
    std::vector<Representacion> representaciones(std::int64_t id);
    void marcarUsado(std::int64_t id, Instante ahora);
    void fijar(std::int64_t id, bool fijado);
    void borrar(std::int64_t id);
    std::int64_t borrarTodo(bool conservarFijados);
    Estadisticas estadisticas();

    std::int64_t aplicarRetencion(const PoliticaRetencion& politica, Instante ahora);

    static void copiarBase(const std::filesystem::path& desde, const std::filesystem::path& a);

private:
    void migrar();
    // Ejecuta trabajo dentro de BEGIN IMMEDIATE ... COMMIT; ante un fallo, ROLLBACK y relanza.
    void enTransaccion(const std::function<void()>& trabajo);
    std::int64_t siguienteOrden();
    // Tras una escritura que borra: que lo borrado no siga legible en ningún archivo, y el
    // espacio libre vuelva al sistema.
    void trasBorrar();

    std::unique_ptr<Conexion> db;
    // Estructuras auxiliares que aceleran sin cambiar ninguna respuesta.
    std::unique_ptr<Indices> indices;
};

} // namespace nucleo

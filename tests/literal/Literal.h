#pragma once

#include <nucleo/Almacen.h>
#include <nucleo/Modelo.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

// El historial tal cual, sin nada añadido: el esquema de la versión 1 y las sentencias de
// siempre, una por una, sobre una conexión cruda. Es la vara con que se miden el almacén
// (pruebas diferenciales) y sus tiempos (mediciones). Lanza nucleo::ErrorAlmacen.
namespace literal {

// El guion del esquema, las cinco sentencias en su orden.
extern const std::string esquema;

class Base {
public:
    // Abre con los mismos PRAGMA que el almacén y pone el esquema si la versión es 0.
    // ":memory:" da una base privada en memoria.
    explicit Base(const std::string& ruta);
    ~Base();
    Base(const Base&) = delete;
    Base& operator=(const Base&) = delete;

    nucleo::Guardado guardar(const nucleo::RecorteNuevo& nuevo, nucleo::Instante ahora);
    std::vector<nucleo::Recorte> listar(std::string_view busqueda, std::int64_t limite);
    std::vector<nucleo::Representacion> representaciones(std::int64_t id);
    void marcarUsado(std::int64_t id, nucleo::Instante ahora);
    void fijar(std::int64_t id, bool fijado);
    void borrar(std::int64_t id);
    std::int64_t borrarTodo(bool conservarFijados);
    nucleo::Estadisticas estadisticas();
    std::int64_t aplicarRetencion(const nucleo::PoliticaRetencion& politica,
                                  nucleo::Instante ahora);

    // SQL suelto, sin parámetros.
    void ejecutar(const std::string& sql);
    // Cada fila como texto: columnas separadas por |, cada valor con su tipo delante
    // (i:, r:, t:, b: en hexadecimal, NULL), para que dos bases se comparen sin ambigüedad.
    std::vector<std::string> filas(const std::string& sql);

    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

} // namespace literal

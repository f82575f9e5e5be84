#pragma once

#include "nucleo/Nucleo.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

namespace pruebas {

using namespace std::chrono_literals;

// Carpeta temporal que se borra al terminar la prueba.
class CarpetaTemporal {
public:
    CarpetaTemporal();
    ~CarpetaTemporal();
    CarpetaTemporal(const CarpetaTemporal&) = delete;
    CarpetaTemporal& operator=(const CarpetaTemporal&) = delete;
    const std::filesystem::path& ruta() const { return ruta_; }
    std::filesystem::path operator/(const std::string& nombre) const { return ruta_ / nombre; }

private:
    std::filesystem::path ruta_;
};

nucleo::Bytes bytes(std::string_view s);
std::string texto(const nucleo::Bytes& b);

// Un instante fijo y reproducible para las pruebas.
nucleo::Instante momento(double segundosDesde1970 = 1'700'000'000.0);

nucleo::OpcionesCaptura opcionesNormales();

// Un recorte de texto tal como lo haría la captura.
nucleo::RecorteNuevo recorteDeTexto(const std::string& t);

// Imagen RGBA con un degradado, y sus bytes en PNG o en TIFF (de varias páginas si se pide).
nucleo::ImagenRGBA imagenDePrueba(int ancho, int alto, std::uint8_t rojo = 200);
nucleo::Bytes pngDePrueba(int ancho, int alto);
nucleo::Bytes tiffDePrueba(int ancho, int alto, const std::vector<std::uint8_t>& rojoPorPagina,
                           int orientacion = 1);
// Color del píxel (x, y) de una imagen codificada, como RGBA.
std::vector<int> pixel(const nucleo::Bytes& imagen, int x, int y);

// Acceso directo al archivo, por fuera del almacén, para mirar y para provocar fallos.
class BaseCruda {
public:
    explicit BaseCruda(const std::filesystem::path& ruta);
    ~BaseCruda();
    BaseCruda(const BaseCruda&) = delete;
    BaseCruda& operator=(const BaseCruda&) = delete;
    void ejecutar(const std::string& sql);
    long long entero(const std::string& sql);
    std::string textoDe(const std::string& sql);
    // Todas las filas de una consulta, cada una como texto con sus columnas separadas por |.
    std::vector<std::string> filas(const std::string& sql);

private:
    sqlite3* db_ = nullptr;
};

unsigned permisos(const std::filesystem::path& ruta);

// Estropea en el archivo (cerrado) una hoja de datos de la tabla: la siguiente lectura de sus
// filas falla por corrupción, pero el esquema y los índices siguen legibles.
void danarHojaDe(const std::filesystem::path& ruta, const std::string& tabla);

// Los archivos de la carpeta cuyo contenido incluye el texto, byte a byte.
std::vector<std::string> archivosCon(const std::filesystem::path& carpeta, std::string_view texto);

// El ErrorAlmacen que lanza la operación; si no lanza, la prueba falla.
template <typename F> nucleo::ErrorAlmacen errorDe(F&& operacion) {
    try {
        operacion();
    } catch (const nucleo::ErrorAlmacen& e) {
        return e;
    }
    ADD_FAILURE() << "debía lanzar ErrorAlmacen";
    return nucleo::ErrorAlmacen(0, "");
}

} // namespace pruebas

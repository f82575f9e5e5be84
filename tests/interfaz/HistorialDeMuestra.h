#pragma once

#include "AyudasApp.h"

#include <nucleo/Modelo.h>

#include <QImage>

#include <chrono>
#include <optional>
#include <string>

namespace pruebas {

// Un recorte hecho a mano, con lo que una captura no daría (vistas enormes, miniaturas rotas).
struct Muestra {
    nucleo::ClaseRecorte clase = nucleo::ClaseRecorte::texto;
    std::string vista;
    std::optional<std::string> appId = {};
    std::optional<std::string> appNombre = {};
    std::optional<nucleo::Bytes> miniatura = {};
    std::int64_t relleno = 0; // bytes de más en su representación
};

nucleo::Bytes comoPng(const QImage& imagen);
// Lo guarda en el almacén del banco, usado hace `antes`, y devuelve su id.
std::int64_t guardar(Banco& banco, const Muestra& muestra,
                     std::chrono::seconds antes = std::chrono::seconds(0));

// Un historial como el de alguien que trabaja: textos, un texto largo de varias líneas, un
// enlace, una imagen con miniatura, archivos, fijados y una app desconocida. Con `iconos`,
// una carpeta de datos con las entradas de escritorio de las apps (y sus iconos).
void llenarDeMuestra(Banco& banco, const std::optional<std::filesystem::path>& iconos);

} // namespace pruebas

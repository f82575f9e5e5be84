#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace nucleo {

using Bytes = std::vector<std::uint8_t>;
using Instante = std::chrono::system_clock::time_point;

enum class ClaseRecorte { texto, enlace, imagen, archivos };

inline constexpr std::array<ClaseRecorte, 4> todasLasClases{
    ClaseRecorte::texto, ClaseRecorte::enlace, ClaseRecorte::imagen, ClaseRecorte::archivos};

std::string_view valor(ClaseRecorte clase);
std::optional<ClaseRecorte> claseDesde(std::string_view texto);

struct Representacion {
    std::string tipo;
    Bytes datos;

    bool operator==(const Representacion&) const = default;
};

struct LecturaPortapapeles {
    std::set<std::string> tipos;
    std::map<std::string, Bytes> datos;
    std::vector<std::string> rutas;
    std::optional<std::string> appId;
    std::optional<std::string> appNombre;

    bool operator==(const LecturaPortapapeles&) const = default;
};

// Quien captura la da siempre entera (se deriva de las preferencias); los inicializadores
// solo evitan valores indeterminados.
struct OpcionesCaptura {
    bool ignorarConfidencial{};
    std::set<std::string> appsExcluidas;
    bool guardarImagenes{};
    std::int64_t bytesMaximos{};

    bool operator==(const OpcionesCaptura&) const = default;
};

enum class MotivoIgnorado { confidencial, remoto, appExcluida, vacio, demasiadoGrande };

struct RecorteNuevo {
    ClaseRecorte clase = ClaseRecorte::texto;
    std::string vista;
    std::string textoBusqueda;
    std::string huella;
    std::vector<Representacion> representaciones;
    std::optional<Bytes> miniatura;
    std::optional<std::string> appId;
    std::optional<std::string> appNombre;

    // La miniatura no cuenta: es lo que mide el límite de tamaño y guarda la columna bytes.
    std::int64_t bytes() const;

    bool operator==(const RecorteNuevo&) const = default;
};

// Un recorte significa guardarlo; un motivo, ignorar el cambio.
using ResultadoCaptura = std::variant<RecorteNuevo, MotivoIgnorado>;

struct Recorte {
    std::int64_t id = 0;
    Instante creado{};
    Instante usado{};
    bool fijado = false;
    ClaseRecorte clase = ClaseRecorte::texto;
    std::string vista;
    std::optional<std::string> appId;
    std::optional<std::string> appNombre;
    std::int64_t bytes = 0;
    std::optional<Bytes> miniatura;

    bool operator==(const Recorte&) const = default;
};

// La identidad de un recorte en las listas es su id, no su contenido.
inline bool mismoRecorte(const Recorte& a, const Recorte& b) {
    return a.id == b.id;
}

struct PoliticaRetencion {
    std::optional<std::int64_t> maximoRecortes;
    std::optional<std::int64_t> maximoDias;
    std::optional<std::int64_t> maximoBytes;

    bool operator==(const PoliticaRetencion&) const = default;
};

} // namespace nucleo

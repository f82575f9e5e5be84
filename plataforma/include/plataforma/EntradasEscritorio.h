#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plataforma {

// Lo que interesa de un archivo .desktop.
struct EntradaEscritorio {
    std::optional<std::string> nombre;       // Name, o Name[idioma] si lo hay
    std::optional<std::string> claseVentana; // StartupWMClass
    std::optional<std::string> icono;        // Icon: nombre del tema o ruta absoluta
    std::optional<std::string> orden;        // Exec, sin desescapar sus argumentos
    std::optional<std::string> tipo;         // Type ("Application", "Link"…)
    bool oculta = false;                     // Hidden=true: la entrada se considera borrada
    bool noMostrar = false;                  // NoDisplay=true: no sale en los menús
};

// Una aplicación instalada que se ofrece en los menús, con su identificador de entrada.
struct AppInstalada {
    std::string id;
    EntradaEscritorio entrada;
};

// Las entradas de escritorio son de freedesktop.org, no de X11: valen para cualquier backend
// y para las ventanas.

// Lee el grupo [Desktop Entry]; idiomas en orden de preferencia ("es_ES", "es").
EntradaEscritorio leerEntrada(std::string_view contenido, const std::vector<std::string>& idiomas);

// La entrada con ese identificador de archivo (sin ".desktop"), sin indexar las demás: manda la
// primera carpeta XDG que la tenga, y si está oculta es como si no existiera. Un identificador
// con "/" o que empieza por "." no nombra ninguna.
std::optional<EntradaEscritorio> buscarEntrada(const std::string& id);

// Las aplicaciones de los menús (Type=Application, ni ocultas ni NoDisplay) de todas las
// carpetas XDG, sin repetir identificador, ordenadas por nombre sin distinguir mayúsculas.
std::vector<AppInstalada> aplicacionesInstaladas();

// Los argumentos de una línea Exec según las reglas de freedesktop para las entradas de escritorio:
// comillas dobles con sus escapes; los códigos de campo (%f, %U…) se descartan y %% es %.
std::vector<std::string> argumentosDeOrden(std::string_view orden);

// Claves Name[...] que valen para un valor de LC_MESSAGES como "es_ES.UTF-8@euro", de la
// más concreta a la más general.
std::vector<std::string> idiomasDe(std::string_view locale);

// Busca el nombre para mostrar de una aplicación en las carpetas applications de
// $XDG_DATA_HOME y $XDG_DATA_DIRS. Guarda lo encontrado, y lo olvida cuando cambian las
// carpetas (su lista o su fecha de modificación: instalar o quitar una aplicación).
class BuscadorEntradas {
public:
    // candidatos: identificadores de archivo sin ".desktop", en orden; clases: valores de
    // WM_CLASS que se comparan con StartupWMClass.
    std::optional<std::string> nombre(const std::vector<std::string>& candidatos,
                                      const std::vector<std::string>& clases);

    // El identificador de la entrada de una ventana: el primero de ids que nombre una
    // entrada visible; si no, la entrada cuyo StartupWMClass es una de las clases; si no, una
    // cuyo nombre de archivo (o su última parte tras un punto) es una de las clases sin
    // distinguir mayúsculas. Nada si ninguna encaja.
    std::optional<std::string> identificador(const std::vector<std::string>& ids,
                                             const std::vector<std::string>& clases);

private:
    struct Carpeta {
        std::filesystem::path ruta;
        std::filesystem::file_time_type modificada{};
        bool operator==(const Carpeta&) const = default;
    };
    void actualizar();

    std::vector<Carpeta> carpetas;
    std::vector<std::string> idiomas;
    // Por identificador de archivo, la primera entrada visible según el orden XDG.
    std::map<std::string, EntradaEscritorio> entradas;
    std::map<std::string, std::string> porClase; // StartupWMClass -> identificador
    // En minúsculas, el identificador y su última parte tras un punto -> identificador.
    std::map<std::string, std::string> porArchivo;
    bool indexado = false;
};

} // namespace plataforma

#include "rebisco/Entorno.h"

#include <system_error>

extern char** environ;

namespace rebisco {

namespace {

std::optional<std::string> buscar(const std::map<std::string, std::string>& variables,
                                  const std::string& nombre) {
    auto it = variables.find(nombre);
    if (it == variables.end()) return std::nullopt;
    return it->second;
}

// Una ruta relativa se toma desde la carpeta actual, como haría una URL de archivo.
std::optional<std::filesystem::path> carpeta(const std::optional<std::string>& valor) {
    if (!valor) return std::nullopt;
    std::error_code error;
    auto absoluta = std::filesystem::absolute(*valor, error);
    return error ? std::filesystem::path(*valor) : absoluta;
}

} // namespace

Entorno Entorno::desde(const std::map<std::string, std::string>& variables) {
    const auto datos = carpeta(buscar(variables, "REBISCO_DATOS"));
    const auto ensayo = carpeta(buscar(variables, "REBISCO_ENSAYO"));
    return Entorno{
        .modo = datos ? ModoEjecucion::prueba
                      : (ensayo ? ModoEjecucion::ensayo : ModoEjecucion::normal),
        .carpetaDatos = datos ? datos : ensayo,
        .portapapeles = buscar(variables, "REBISCO_PORTAPAPELES"),
        .instantanea = buscar(variables, "REBISCO_INSTANTANEA"),
        .sinActividad = buscar(variables, "REBISCO_SIN_ACTIVIDAD") == "1",
        .ensayo = ensayo,
        .autoprueba = buscar(variables, "REBISCO_AUTOPRUEBA"),
        .informe = buscar(variables, "REBISCO_INFORME"),
        .captura = buscar(variables, "REBISCO_CAPTURA"),
        .aparienciaOscura = buscar(variables, "REBISCO_APARIENCIA") == "oscura",
    };
}

const Entorno& Entorno::proceso() {
    static const Entorno entorno = [] {
        std::map<std::string, std::string> variables;
        for (char** v = environ; v && *v; ++v) {
            std::string par(*v);
            auto igual = par.find('=');
            if (igual == std::string::npos) continue;
            variables.emplace(par.substr(0, igual), par.substr(igual + 1));
        }
        return desde(variables);
    }();
    return entorno;
}

} // namespace rebisco

#include "plataforma/EntradasEscritorio.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace plataforma {

namespace {

std::string_view recortado(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string sinEscapes(std::string_view valor) {
    std::string salida;
    for (std::size_t i = 0; i < valor.size(); ++i) {
        if (valor[i] != '\\' || i + 1 == valor.size()) {
            salida += valor[i];
            continue;
        }
        switch (valor[++i]) {
        case 's':
            salida += ' ';
            break;
        case 'n':
            salida += '\n';
            break;
        case 't':
            salida += '\t';
            break;
        case 'r':
            salida += '\r';
            break;
        default:
            salida += valor[i];
            break;
        }
    }
    return salida;
}

std::string variable(const char* nombre) {
    const char* v = std::getenv(nombre);
    return v ? std::string(v) : std::string();
}

std::vector<std::filesystem::path> carpetasXdg() {
    std::vector<std::filesystem::path> lista;
    std::string casa = variable("XDG_DATA_HOME");
    if (casa.empty() && !variable("HOME").empty()) casa = variable("HOME") + "/.local/share";
    if (!casa.empty()) lista.emplace_back(std::filesystem::path(casa) / "applications");
    std::string sistema = variable("XDG_DATA_DIRS");
    if (sistema.empty()) sistema = "/usr/local/share:/usr/share";
    std::string_view resto = sistema;
    while (!resto.empty()) {
        const auto dos = resto.find(':');
        const auto parte = resto.substr(0, dos);
        if (!parte.empty()) lista.emplace_back(std::filesystem::path(parte) / "applications");
        resto = dos == std::string_view::npos ? std::string_view() : resto.substr(dos + 1);
    }
    return lista;
}

std::string leerArchivo(const std::filesystem::path& ruta) {
    // Una entrada de escritorio es pequeña: un archivo enorme no se lee entero.
    static constexpr std::streamsize maximo = 256 * 1024;
    std::ifstream f(ruta, std::ios::binary);
    std::string contenido(maximo, '\0');
    f.read(contenido.data(), maximo);
    contenido.resize(static_cast<std::size_t>(std::max<std::streamsize>(f.gcount(), 0)));
    return contenido;
}

std::string minusculas(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Recorre las entradas de todas las carpetas en el orden XDG; el identificador de
// applications/kde4/a.desktop es kde4-a.
template <typename Funcion>
void recorrer(const std::vector<std::filesystem::path>& carpetas, Funcion&& alEncontrar) {
    for (const auto& carpeta : carpetas) {
        std::error_code error;
        std::filesystem::recursive_directory_iterator it(carpeta, error), fin;
        for (; !error && it != fin; it.increment(error)) {
            const auto& ruta = it->path();
            if (ruta.extension() != ".desktop") continue;
            std::string id = ruta.lexically_relative(carpeta).replace_extension().string();
            for (auto& c : id)
                if (c == '/') c = '-';
            alEncontrar(std::move(id), ruta);
        }
    }
}

} // namespace

std::vector<std::string> idiomasDe(std::string_view locale) {
    // idioma[_PAÍS][.CODIFICACIÓN][@MODIFICADOR]; la codificación no cuenta.
    std::string_view modificador;
    if (const auto arroba = locale.find('@'); arroba != std::string_view::npos) {
        modificador = locale.substr(arroba);
        locale = locale.substr(0, arroba);
    }
    if (const auto punto = locale.find('.'); punto != std::string_view::npos)
        locale = locale.substr(0, punto);
    if (locale.empty() || locale == "C" || locale == "POSIX") return {};
    const auto raya = locale.find('_');
    const std::string idioma(locale.substr(0, raya));
    std::vector<std::string> lista;
    if (raya != std::string_view::npos) {
        if (!modificador.empty()) lista.push_back(std::string(locale) + std::string(modificador));
        lista.emplace_back(locale);
    }
    if (!modificador.empty()) lista.push_back(idioma + std::string(modificador));
    lista.push_back(idioma);
    return lista;
}

EntradaEscritorio leerEntrada(std::string_view contenido, const std::vector<std::string>& idiomas) {
    EntradaEscritorio entrada;
    std::map<std::string, std::string> nombres; // "" para Name, "es" para Name[es]...
    bool enGrupo = false;
    while (!contenido.empty()) {
        const auto fin = contenido.find('\n');
        const std::string_view linea = recortado(contenido.substr(0, fin));
        contenido = fin == std::string_view::npos ? std::string_view() : contenido.substr(fin + 1);
        if (linea.empty() || linea.front() == '#') continue;
        if (linea.front() == '[') {
            enGrupo = linea == "[Desktop Entry]";
            continue;
        }
        if (!enGrupo) continue;
        const auto igual = linea.find('=');
        if (igual == std::string_view::npos) continue;
        const std::string_view clave = recortado(linea.substr(0, igual));
        const std::string valor = sinEscapes(recortado(linea.substr(igual + 1)));
        if (clave == "Name") {
            nombres[""] = valor;
        } else if (clave.starts_with("Name[") && clave.ends_with("]")) {
            nombres[std::string(clave.substr(5, clave.size() - 6))] = valor;
        } else if (clave == "StartupWMClass") {
            entrada.claseVentana = valor;
        } else if (clave == "Icon") {
            if (!valor.empty()) entrada.icono = valor;
        } else if (clave == "Hidden") {
            entrada.oculta = valor == "true";
        } else if (clave == "NoDisplay") {
            entrada.noMostrar = valor == "true";
        } else if (clave == "Exec") {
            if (!valor.empty()) entrada.orden = valor;
        } else if (clave == "Type") {
            entrada.tipo = valor;
        }
    }
    for (const auto& idioma : idiomas) {
        if (const auto it = nombres.find(idioma); it != nombres.end() && !it->second.empty()) {
            entrada.nombre = it->second;
            return entrada;
        }
    }
    if (const auto it = nombres.find(""); it != nombres.end() && !it->second.empty())
        entrada.nombre = it->second;
    return entrada;
}

void BuscadorEntradas::actualizar() {
    std::vector<Carpeta> ahora;
    for (auto& ruta : carpetasXdg()) {
        std::error_code error;
        const auto fecha = std::filesystem::last_write_time(ruta, error);
        ahora.push_back({std::move(ruta), error ? std::filesystem::file_time_type{} : fecha});
    }
    std::string locale = variable("LC_ALL");
    if (locale.empty()) locale = variable("LC_MESSAGES");
    if (locale.empty()) locale = variable("LANG");
    auto idiomasAhora = idiomasDe(locale);
    if (indexado && ahora == carpetas && idiomasAhora == idiomas) return;

    carpetas = std::move(ahora);
    idiomas = std::move(idiomasAhora);
    entradas.clear();
    porClase.clear();
    porArchivo.clear();
    std::vector<std::filesystem::path> rutas;
    for (const auto& carpeta : carpetas)
        rutas.push_back(carpeta.ruta);
    recorrer(rutas, [&](std::string id, const std::filesystem::path& ruta) {
        // La primera carpeta en el orden XDG manda, aunque su entrada esté oculta.
        if (entradas.contains(id)) return;
        auto entrada = leerEntrada(leerArchivo(ruta), idiomas);
        if (!entrada.oculta) {
            if (entrada.claseVentana && !porClase.contains(*entrada.claseVentana))
                porClase.emplace(*entrada.claseVentana, id);
            const auto clave = minusculas(id);
            porArchivo.emplace(clave, id);
            if (const auto punto = clave.rfind('.'); punto != std::string::npos)
                porArchivo.emplace(clave.substr(punto + 1), id);
        }
        entradas.emplace(std::move(id), std::move(entrada));
    });
    indexado = true;
}

std::optional<std::string> BuscadorEntradas::nombre(const std::vector<std::string>& candidatos,
                                                    const std::vector<std::string>& clases) {
    actualizar();
    const auto visible = [&](const std::string& id) -> const EntradaEscritorio* {
        const auto it = entradas.find(id);
        if (it == entradas.end() || it->second.oculta || !it->second.nombre) return nullptr;
        return &it->second;
    };
    for (const auto& id : candidatos)
        if (const auto* e = visible(id)) return e->nombre;
    for (const auto& clase : clases) {
        const auto it = porClase.find(clase);
        if (it == porClase.end()) continue;
        if (const auto* e = visible(it->second)) return e->nombre;
    }
    return std::nullopt;
}

std::optional<std::string> BuscadorEntradas::identificador(const std::vector<std::string>& ids,
                                                           const std::vector<std::string>& clases) {
    actualizar();
    const auto visible = [&](const std::string& id) {
        const auto it = entradas.find(id);
        return it != entradas.end() && !it->second.oculta;
    };
    for (const auto& id : ids)
        if (visible(id)) return id;
    for (const auto& clase : clases)
        if (const auto it = porClase.find(clase); it != porClase.end()) return it->second;
    for (const auto& clase : clases)
        if (const auto it = porArchivo.find(minusculas(clase)); it != porArchivo.end())
            return it->second;
    return std::nullopt;
}

std::vector<AppInstalada> aplicacionesInstaladas() {
    std::string locale = variable("LC_ALL");
    if (locale.empty()) locale = variable("LC_MESSAGES");
    if (locale.empty()) locale = variable("LANG");
    const auto idiomas = idiomasDe(locale);
    std::map<std::string, bool> vistas;
    std::vector<AppInstalada> lista;
    recorrer(carpetasXdg(), [&](std::string id, const std::filesystem::path& ruta) {
        if (!vistas.emplace(id, true).second) return;
        auto entrada = leerEntrada(leerArchivo(ruta), idiomas);
        if (entrada.oculta || entrada.noMostrar || entrada.tipo != "Application" || !entrada.nombre)
            return;
        lista.push_back({std::move(id), std::move(entrada)});
    });
    std::stable_sort(lista.begin(), lista.end(), [](const AppInstalada& a, const AppInstalada& b) {
        return minusculas(*a.entrada.nombre) < minusculas(*b.entrada.nombre);
    });
    return lista;
}

std::vector<std::string> argumentosDeOrden(std::string_view orden) {
    std::vector<std::string> argumentos;
    std::string actual;
    bool hayArgumento = false, entreComillas = false;
    for (std::size_t i = 0; i < orden.size(); ++i) {
        const char c = orden[i];
        if (c == '%' && i + 1 < orden.size()) {
            // %% es un %; los demás códigos los rellena el lanzador: aquí no cuentan.
            if (orden[++i] == '%') {
                actual += '%';
                hayArgumento = true;
            }
            continue;
        }
        if (entreComillas) {
            if (c == '"') {
                entreComillas = false;
            } else if (c == '\\' && i + 1 < orden.size() &&
                       std::string_view("\"`$\\").find(orden[i + 1]) != std::string_view::npos) {
                actual += orden[++i];
            } else {
                actual += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t') {
            if (hayArgumento) argumentos.push_back(std::move(actual));
            actual.clear();
            hayArgumento = false;
        } else if (c == '"') {
            entreComillas = hayArgumento = true;
        } else {
            actual += c;
            hayArgumento = true;
        }
    }
    if (hayArgumento) argumentos.push_back(std::move(actual));
    return argumentos;
}

std::optional<EntradaEscritorio> buscarEntrada(const std::string& id) {
    if (id.empty() || id.front() == '.' || id.find('/') != std::string::npos) return std::nullopt;
    for (const auto& carpeta : carpetasXdg()) {
        const auto ruta = carpeta / (id + ".desktop");
        std::error_code error;
        if (!std::filesystem::is_regular_file(ruta, error)) continue;
        auto entrada = leerEntrada(leerArchivo(ruta), {});
        if (entrada.oculta) return std::nullopt;
        return entrada;
    }
    return std::nullopt;
}

} // namespace plataforma

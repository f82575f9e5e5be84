#include "TiposX11.h"

#include "Codificacion.h"

#include <algorithm>
#include <array>
#include <unordered_set>

namespace plataforma::x11::tipos {

namespace {

using Bytes = std::vector<std::uint8_t>;

// Los nombres MIME no distinguen mayúsculas y admiten espacios junto al ';'.
std::string normalizado(std::string_view mime) {
    std::string salida;
    for (const char c : mime) {
        if (c == ' ' || c == '\t') continue;
        salida += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return salida;
}

bool esTextoUtf8Mime(const std::string& n) {
    return n == "text/plain;charset=utf-8" || n == "text/plain;charset=utf8";
}

// Rango de preferencia de un destino de texto; ausente si no es de texto.
std::optional<int> rangoDeTexto(std::string_view destino) {
    if (destino == "UTF8_STRING") return 0;
    const std::string n = normalizado(destino);
    if (esTextoUtf8Mime(n)) return 1;
    if (n == "text/plain") return 2;
    if (destino == "STRING") return 3;
    if (destino == "TEXT") return 4;
    if (destino == "COMPOUND_TEXT") return 5;
    return std::nullopt;
}

bool utf8Valido(const Bytes& b) {
    for (std::size_t i = 0; i < b.size();) {
        const auto punto = puntoUtf8(b.data() + i, b.size() - i);
        if (!punto) return false;
        i += punto->largo;
    }
    return true;
}

void anadirUtf8(std::string& s, std::uint32_t punto) {
    if (punto < 0x80) {
        s += static_cast<char>(punto);
    } else if (punto < 0x800) {
        s += static_cast<char>(0xC0 | (punto >> 6));
        s += static_cast<char>(0x80 | (punto & 0x3F));
    } else if (punto < 0x10000) {
        s += static_cast<char>(0xE0 | (punto >> 12));
        s += static_cast<char>(0x80 | ((punto >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (punto & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (punto >> 18));
        s += static_cast<char>(0x80 | ((punto >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((punto >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (punto & 0x3F));
    }
}

std::string latin1(const Bytes& b) {
    std::string s;
    s.reserve(b.size());
    for (const auto c : b)
        anadirUtf8(s, c);
    return s;
}

std::string decodificarPorcentajes(std::string_view s) {
    std::string salida;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            const int alto = valorHex(s[i + 1]);
            const int bajo = valorHex(s[i + 2]);
            if (alto >= 0 && bajo >= 0) {
                salida += static_cast<char>(alto * 16 + bajo);
                i += 2;
                continue;
            }
        }
        salida += s[i];
    }
    return salida;
}

bool igualSinMayusculas(std::string_view a, std::string_view b) {
    return normalizado(a) == normalizado(b);
}

std::string_view recortado(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::optional<std::filesystem::path> rutaDeUri(std::string_view uri, std::string_view maquina) {
    constexpr std::string_view esquema = "file:";
    if (uri.size() <= esquema.size() || !igualSinMayusculas(uri.substr(0, 5), esquema))
        return std::nullopt;
    std::string_view resto = uri.substr(esquema.size());
    if (resto.starts_with("//")) {
        resto.remove_prefix(2);
        const auto barra = resto.find('/');
        if (barra == std::string_view::npos) return std::nullopt;
        const std::string_view anfitrion = resto.substr(0, barra);
        const bool local = anfitrion.empty() || igualSinMayusculas(anfitrion, "localhost") ||
                           (!maquina.empty() && igualSinMayusculas(anfitrion, maquina));
        if (!local) return std::nullopt;
        resto.remove_prefix(barra);
    } else if (!resto.starts_with("/")) {
        return std::nullopt;
    }
    // Consulta y fragmento no son parte de la ruta: un '#' de verdad viene como %23.
    const auto corte = resto.find_first_of("?#");
    if (corte != std::string_view::npos) resto = resto.substr(0, corte);
    const std::string ruta = decodificarPorcentajes(resto);
    if (ruta.empty()) return std::nullopt;
    return std::filesystem::path(ruta);
}

constexpr std::array<std::string_view, 30> pseudodestinos{
    "TARGETS",
    "TIMESTAMP",
    "MULTIPLE",
    "SAVE_TARGETS",
    "DELETE",
    "INSERT_PROPERTY",
    "INSERT_SELECTION",
    "LENGTH",
    "LIST_LENGTH",
    "HOST_NAME",
    "USER",
    "CLIENT_WINDOW",
    "PROCESS",
    "TASK",
    "OWNER_OS",
    "NAME",
    "CLASS",
    "CHARACTER_POSITION",
    "LINE_NUMBER",
    "COLUMN_NUMBER",
    "SPAN",
    "ATOM",
    "ATOM_PAIR",
    "INTEGER",
    "DRAWABLE",
    "PIXMAP",
    "BITMAP",
    "COLORMAP",
    "WINDOW",
    "_QT_SELECTION",
};

} // namespace

bool esPseudoDestino(std::string_view destino) {
    return destino.empty() ||
           std::find(pseudodestinos.begin(), pseudodestinos.end(), destino) != pseudodestinos.end();
}

std::optional<std::string> identificadorDe(std::string_view destino) {
    if (esPseudoDestino(destino)) return std::nullopt;
    if (rangoDeTexto(destino)) return std::string(texto);
    const std::string n = normalizado(destino);
    if (n == "text/rtf" || n == "application/rtf") return std::string(rtf);
    if (n == "text/html") return std::string(html);
    if (n == "image/png") return std::string(png);
    if (n == "image/tiff") return std::string(tiff);
    if (n == listaUris || n == archivosGnome) return std::string(urlArchivo);
    if (n == normalizado(pistaContrasena)) return std::string(confidencial);
    return std::string(destino);
}

std::vector<std::string> identificadores(const std::vector<std::string>& destinos) {
    std::vector<std::string> lista;
    std::unordered_set<std::string> vistos;
    for (const auto& destino : destinos) {
        auto id = identificadorDe(destino);
        if (id && vistos.insert(*id).second) lista.push_back(std::move(*id));
    }
    return lista;
}

std::vector<std::string> destinosParaLeer(std::string_view identificador,
                                          const std::vector<std::string>& ofrecidos) {
    std::vector<std::string> candidatos;
    if (identificador == confidencial) return candidatos; // su sola presencia basta
    if (identificador == texto) {
        std::vector<std::pair<int, std::string>> conRango;
        for (const auto& d : ofrecidos)
            if (const auto r = rangoDeTexto(d)) conRango.emplace_back(*r, d);
        std::stable_sort(conRango.begin(), conRango.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [rango, d] : conRango)
            candidatos.push_back(std::move(d));
        return candidatos;
    }
    std::vector<std::string_view> preferidos;
    if (identificador == rtf)
        preferidos = {"text/rtf", "application/rtf"};
    else if (identificador == html)
        preferidos = {"text/html"};
    else if (identificador == png)
        preferidos = {"image/png"};
    else if (identificador == tiff)
        preferidos = {"image/tiff"};
    else if (identificador == urlArchivo)
        preferidos = {listaUris, archivosGnome};
    if (preferidos.empty()) {
        if (esPseudoDestino(identificador)) return candidatos;
        for (const auto& d : ofrecidos)
            if (d == identificador) return {d};
        return candidatos;
    }
    for (const auto p : preferidos)
        for (const auto& d : ofrecidos)
            if (normalizado(d) == p) candidatos.push_back(d);
    return candidatos;
}

std::vector<std::string> formatosParaEscribir(std::string_view identificador) {
    if (identificador == texto) return {"text/plain", "text/plain;charset=utf-8"};
    if (identificador == rtf) return {"text/rtf", "application/rtf"};
    if (identificador == html) return {"text/html"};
    if (identificador == png) return {"image/png"};
    if (identificador == tiff) return {"image/tiff"};
    if (identificador == urlArchivo) return {std::string(listaUris)};
    if (identificador == confidencial) return {std::string(pistaContrasena)};
    if (esPseudoDestino(identificador) || rangoDeTexto(identificador)) return {};
    return {std::string(identificador)};
}

bool esRespuestaDeTexto(std::string_view tipoRespuesta, int formato) {
    if (formato != 8) return false;
    if (tipoRespuesta == "UTF8_STRING" || tipoRespuesta == "STRING" || tipoRespuesta == "TEXT" ||
        tipoRespuesta == "C_STRING" || tipoRespuesta == "COMPOUND_TEXT")
        return true;
    return normalizado(tipoRespuesta).starts_with("text/");
}

std::optional<std::string> textoDe(std::string_view destino, std::string_view tipoRespuesta,
                                   const std::vector<std::uint8_t>& bytes) {
    Bytes b = bytes;
    // Hay dueños que terminan el texto con NUL al estilo C.
    while (!b.empty() && b.back() == 0)
        b.pop_back();
    if (tipoRespuesta == "STRING") return latin1(b);
    if (tipoRespuesta == "COMPOUND_TEXT") {
        // Solo se entiende la parte ASCII, que es idéntica; con secuencias de escape, nada.
        const bool ascii =
            std::all_of(b.begin(), b.end(), [](std::uint8_t c) { return c < 0x80 && c != 0x1B; });
        if (!ascii) return std::nullopt;
        return std::string(b.begin(), b.end());
    }
    const std::string n = normalizado(destino);
    if ((n == "text/plain" || destino == "TEXT") && !utf8Valido(b)) return latin1(b);
    return std::string(b.begin(), b.end());
}

std::vector<std::uint8_t> htmlEnUtf8(std::vector<std::uint8_t> bytes) {
    if (bytes.size() < 2) return bytes;
    const auto b0 = bytes[0];
    const auto b1 = bytes[1];
    bool littleEndian;
    std::size_t inicio = 0;
    if (b0 == 0xFF && b1 == 0xFE) {
        littleEndian = true;
        inicio = 2;
    } else if (b0 == 0xFE && b1 == 0xFF) {
        littleEndian = false;
        inicio = 2;
    } else if (b0 != 0 && b1 == 0) {
        littleEndian = true;
    } else if (b0 == 0 && b1 != 0) {
        littleEndian = false;
    } else {
        return bytes;
    }
    std::string salida;
    for (std::size_t i = inicio; i + 1 < bytes.size(); i += 2) {
        std::uint32_t u =
            littleEndian ? (bytes[i] | (bytes[i + 1] << 8)) : ((bytes[i] << 8) | bytes[i + 1]);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const std::uint32_t bajo = littleEndian ? (bytes[i + 2] | (bytes[i + 3] << 8))
                                                    : ((bytes[i + 2] << 8) | bytes[i + 3]);
            if (bajo >= 0xDC00 && bajo <= 0xDFFF) {
                u = 0x10000 + ((u - 0xD800) << 10) + (bajo - 0xDC00);
                i += 2;
            } else {
                u = 0xFFFD;
            }
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            u = 0xFFFD;
        }
        anadirUtf8(salida, u);
    }
    while (!salida.empty() && salida.back() == '\0')
        salida.pop_back();
    return Bytes(salida.begin(), salida.end());
}

std::vector<std::filesystem::path> rutasDeUris(std::string_view lista, bool esGnome,
                                               std::string_view nombreMaquina) {
    std::vector<std::filesystem::path> rutas;
    bool primera = true;
    while (!lista.empty()) {
        const auto fin = lista.find('\n');
        const std::string_view linea =
            recortado(fin == std::string_view::npos ? lista : lista.substr(0, fin));
        lista = fin == std::string_view::npos ? std::string_view() : lista.substr(fin + 1);
        const bool eraPrimera = primera;
        primera = false;
        if (linea.empty() || linea.front() == '#') continue;
        if (esGnome && eraPrimera && (linea == "copy" || linea == "cut")) continue;
        if (auto ruta = rutaDeUri(linea, nombreMaquina)) rutas.push_back(std::move(*ruta));
    }
    return rutas;
}

std::string uriDeRuta(const std::filesystem::path& ruta) {
    static constexpr char hex[] = "0123456789ABCDEF";
    const std::string texto =
        ruta.is_absolute() ? ruta.string() : std::filesystem::absolute(ruta).string();
    std::string salida = "file://";
    for (const char c : texto) {
        const auto u = static_cast<unsigned char>(c);
        const bool seguro = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                            (u >= '0' && u <= '9') || u == '-' || u == '.' || u == '_' ||
                            u == '~' || u == '/';
        if (seguro) {
            salida += c;
        } else {
            salida += '%';
            salida += hex[u >> 4];
            salida += hex[u & 0x0F];
        }
    }
    return salida;
}

} // namespace plataforma::x11::tipos

#include "nucleo/Captura.h"

#include "Texto.h"

#include <uriparser/Uri.h>

#include <algorithm>
#include <cctype>

namespace nucleo::Captura {

namespace {

// Los navegadores copian a veces direcciones con letras no ASCII; se codifican con %XX
// antes de analizarlas, como haría cualquier cliente de URL.
std::string codificarNoAscii(std::string_view texto) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string salida;
    salida.reserve(texto.size());
    for (const char c : texto) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            salida += c;
        } else {
            salida += '%';
            salida += hex[b >> 4];
            salida += hex[b & 0x0f];
        }
    }
    return salida;
}

std::string minusculas(std::string_view s) {
    std::string salida(s);
    std::transform(salida.begin(), salida.end(), salida.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return salida;
}

std::string_view rango(const UriTextRangeA& r) {
    if (!r.first || !r.afterLast) return {};
    return {r.first, static_cast<std::size_t>(r.afterLast - r.first)};
}

} // namespace

bool esEnlace(std::string_view texto) {
    const auto recortado = Texto::recortar(texto, Texto::esBlancoONuevaLinea);
    if (recortado.empty() || Texto::prefijoDeGrafemas(recortado, 2048) < recortado.size()) {
        return false;
    }
    std::size_t i = 0;
    while (i < recortado.size()) {
        if (Texto::esEspacio(Texto::siguiente(recortado, i))) return false;
    }

    const std::string codificado = codificarNoAscii(recortado);
    UriUriA uri;
    const char* error = nullptr;
    if (uriParseSingleUriExA(&uri, codificado.data(), codificado.data() + codificado.size(),
                             &error) != URI_SUCCESS) {
        return false;
    }
    const std::string esquema = minusculas(rango(uri.scheme));
    const bool conHost = !rango(uri.hostText).empty();
    uriFreeUriMembersA(&uri);

    if (esquema == "mailto") return true;
    if (esquema == "http" || esquema == "https" || esquema == "ftp") return conHost;
    return false;
}

} // namespace nucleo::Captura

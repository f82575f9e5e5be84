#include "Texto.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <memory>

namespace nucleo::Texto {

namespace {

constexpr char reemplazo[] = "\xEF\xBF\xBD";

// Crear el iterador es caro; cada hilo guarda el suyo.
icu::BreakIterator* iteradorDeGrafemas() {
    thread_local std::unique_ptr<icu::BreakIterator> it = [] {
        UErrorCode e = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> nuevo(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), e));
        return U_SUCCESS(e) ? std::move(nuevo) : nullptr;
    }();
    return it.get();
}

// Un escalar ocupa a lo sumo cuatro bytes: mirar solo esos permite textos de cualquier
// longitud con las macros de 32 bits de ICU. Devuelve negativo si la secuencia es inválida.
UChar32 decodificar(const char* p, std::size_t resto, std::int32_t& largo) {
    const auto* s = reinterpret_cast<const std::uint8_t*>(p);
    const auto n = static_cast<std::int32_t>(resto < 4 ? resto : 4);
    largo = 0;
    UChar32 c;
    U8_NEXT(s, largo, n, c);
    return c;
}

// Comienzo del escalar que termina en fin; una secuencia rota cuenta byte a byte.
std::size_t anteriorEscalar(std::string_view texto, std::size_t inicio, std::size_t fin) {
    std::size_t p = fin - 1;
    for (int k = 0; k < 3 && p > inicio && (static_cast<unsigned char>(texto[p]) & 0xC0) == 0x80;
         ++k) {
        --p;
    }
    std::size_t i = p;
    siguiente(texto, i);
    return i == fin ? p : fin - 1;
}

} // namespace

char32_t siguiente(std::string_view texto, std::size_t& i) {
    std::int32_t largo = 0;
    const UChar32 c = decodificar(texto.data() + i, texto.size() - i, largo);
    i += static_cast<std::size_t>(largo);
    return c < 0 ? U'\uFFFD' : static_cast<char32_t>(c);
}

std::string repararUtf8(std::span<const std::uint8_t> bytes) {
    const auto* p = reinterpret_cast<const char*>(bytes.data());
    std::string salida;
    salida.reserve(bytes.size());
    std::size_t valido = 0; // comienzo del tramo válido aún sin copiar
    for (std::size_t i = 0; i < bytes.size();) {
        std::int32_t largo = 0;
        if (static_cast<unsigned char>(p[i]) < 0x80) {
            ++i;
            continue;
        }
        if (decodificar(p + i, bytes.size() - i, largo) < 0) {
            salida.append(p + valido, i - valido);
            salida += reemplazo;
            valido = i + static_cast<std::size_t>(largo);
        }
        i += static_cast<std::size_t>(largo);
    }
    salida.append(p + valido, bytes.size() - valido);
    return salida;
}

std::size_t prefijoDeGrafemas(std::string_view texto, std::size_t n) {
    // Cada grafema ocupa al menos un byte.
    if (texto.size() <= n) return texto.size();
    icu::BreakIterator* it = iteradorDeGrafemas();
    if (!it) return texto.size();
    UErrorCode e = U_ZERO_ERROR;
    UText* ut = utext_openUTF8(nullptr, texto.data(), static_cast<std::int64_t>(texto.size()), &e);
    if (U_FAILURE(e)) return texto.size();
    it->setText(ut, e);
    std::int32_t fin = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::int32_t p = it->next();
        if (p == icu::BreakIterator::DONE) {
            fin = static_cast<std::int32_t>(texto.size());
            break;
        }
        fin = p;
    }
    // El iterador no debe quedar apuntando a un texto que se va a liberar.
    static const icu::UnicodeString vacio;
    it->setText(vacio);
    utext_close(ut);
    return static_cast<std::size_t>(fin);
}

bool esBlancoONuevaLinea(char32_t c) {
    if ((c >= 0x09 && c <= 0x0D) || c == 0x85) return true;
    const auto mascara = U_GET_GC_MASK(static_cast<UChar32>(c));
    return (mascara & U_GC_Z_MASK) != 0;
}

bool esBlanco(char32_t c) {
    return c == 0x09 || u_charType(static_cast<UChar32>(c)) == U_SPACE_SEPARATOR;
}

bool esNuevaLinea(char32_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool esEspacio(char32_t c) {
    return u_isUWhiteSpace(static_cast<UChar32>(c));
}

std::string_view recortar(std::string_view texto, Predicado quitar) {
    std::size_t inicio = 0;
    while (inicio < texto.size()) {
        std::size_t i = inicio;
        if (!quitar(siguiente(texto, i))) break;
        inicio = i;
    }
    std::size_t fin = texto.size();
    while (fin > inicio) {
        const std::size_t atras = anteriorEscalar(texto, inicio, fin);
        std::size_t i = atras;
        if (!quitar(siguiente(texto, i))) break;
        fin = atras;
    }
    return texto.substr(inicio, fin - inicio);
}

} // namespace nucleo::Texto

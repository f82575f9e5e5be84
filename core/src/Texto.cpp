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

// Comienzo del escalar que termina en fin; una secuencia rota cuenta byte a byte.
std::size_t anteriorEscalar(std::string_view texto, std::size_t inicio, std::size_t fin) {
    std::size_t p = fin - 1;
    for (int k = 0; k < 3 && p > inicio && (static_cast<unsigned char>(texto[p]) & 0xC0) == 0x80; ++k) {
        --p;
    }
    std::size_t i = p;
    siguiente(texto, i);
    return i == fin ? p : fin - 1;
}

} // namespace

char32_t siguiente(std::string_view texto, std::size_t& i) {
    const auto* s = reinterpret_cast<const std::uint8_t*>(texto.data());
    const auto n = static_cast<std::int32_t>(texto.size());
    auto pos = static_cast<std::int32_t>(i);
    UChar32 c;
    U8_NEXT(s, pos, n, c);
    i = static_cast<std::size_t>(pos);
    return c < 0 ? U'\uFFFD' : static_cast<char32_t>(c);
}

std::string repararUtf8(std::span<const std::uint8_t> bytes) {
    std::string salida;
    salida.reserve(bytes.size());
    const auto n = static_cast<std::int32_t>(bytes.size());
    std::int32_t i = 0;
    while (i < n) {
        const std::int32_t inicio = i;
        UChar32 c;
        U8_NEXT(bytes.data(), i, n, c);
        if (c < 0) {
            salida += reemplazo;
        } else {
            salida.append(reinterpret_cast<const char*>(bytes.data()) + inicio,
                          static_cast<std::size_t>(i - inicio));
        }
    }
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

bool esEspacio(char32_t c) { return u_isUWhiteSpace(static_cast<UChar32>(c)); }

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

#include "nucleo/Busqueda.h"

#include "Texto.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>

namespace nucleo::Busqueda {

namespace {

// Formas de ancho completo y medio ancho a su forma ordinaria; ningún otro plegado de
// compatibilidad (ni ligaduras ni superíndices).
UChar32 anchoOrdinario(UChar32 c, const icu::Normalizer2& nfkd) {
    const auto tipo =
        static_cast<UDecompositionType>(u_getIntPropertyValue(c, UCHAR_DECOMPOSITION_TYPE));
    if (tipo != U_DT_WIDE && tipo != U_DT_NARROW) return c;
    icu::UnicodeString mapeo;
    if (!nfkd.getRawDecomposition(c, mapeo) || mapeo.countChar32() != 1) return c;
    return mapeo.char32At(0);
}

std::string normalizarUnicode(std::string_view texto) {
    UErrorCode e = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(e);
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(e);
    const icu::Normalizer2* nfkd = icu::Normalizer2::getNFKDInstance(e);
    if (U_FAILURE(e)) return std::string(texto);

    const auto origen = icu::UnicodeString::fromUTF8(
        icu::StringPiece(texto.data(), static_cast<std::int32_t>(texto.size())));
    icu::UnicodeString plegado;
    for (std::int32_t i = 0; i < origen.length();) {
        UChar32 c = origen.char32At(i);
        i += U16_LENGTH(c);
        c = anchoOrdinario(c, *nfkd);
        // Plegado simple y luego minúscula: σ y ς coinciden y el cherokee queda en minúscula.
        plegado.append(u_tolower(u_foldCase(c, U_FOLD_CASE_DEFAULT)));
    }

    icu::UnicodeString descompuesto = nfd->normalize(plegado, e);
    icu::UnicodeString sinMarcas;
    for (std::int32_t i = 0; i < descompuesto.length();) {
        const UChar32 c = descompuesto.char32At(i);
        i += U16_LENGTH(c);
        if (u_charType(c) != U_NON_SPACING_MARK) sinMarcas.append(c);
    }
    const icu::UnicodeString compuesto = nfc->normalize(sinMarcas, e);
    if (U_FAILURE(e)) return std::string(texto);
    std::string salida;
    compuesto.toUTF8String(salida);
    return salida;
}

} // namespace

std::string normalizar(std::string_view texto) {
    const bool ascii = std::all_of(texto.begin(), texto.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) return normalizarUnicode(texto);
    std::string salida(texto);
    for (char& c : salida) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return salida;
}

std::vector<std::string> terminos(std::string_view busqueda) {
    const std::string normal = normalizar(busqueda);
    std::vector<std::string> lista;
    Texto::partir(normal, Texto::esEspacio, [&](std::string_view t) {
        lista.emplace_back(t);
        return true;
    });
    return lista;
}

std::string patron(std::string_view termino) {
    std::string p = "%";
    for (const char c : termino) {
        if (c == '\\' || c == '%' || c == '_') p += '\\';
        p += c;
    }
    p += '%';
    return p;
}

} // namespace nucleo::Busqueda

#include "nucleo/Captura.h"

#include <openssl/evp.h>

#include <memory>
#include <stdexcept>

namespace nucleo::Captura {

std::string huella(std::string_view prefijo, std::span<const std::uint8_t> datos) {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    unsigned char resumen[EVP_MAX_MD_SIZE];
    unsigned int largo = 0;
    const bool bien = ctx && EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) == 1 &&
                      EVP_DigestUpdate(ctx.get(), prefijo.data(), prefijo.size()) == 1 &&
                      EVP_DigestUpdate(ctx.get(), datos.data(), datos.size()) == 1 &&
                      EVP_DigestFinal_ex(ctx.get(), resumen, &largo) == 1;
    // Sin SHA-256 no hay huella fiable; no puede suceder con una libcrypto sana.
    if (!bien) throw std::runtime_error("SHA-256 no disponible");
    static constexpr char hex[] = "0123456789abcdef";
    std::string salida;
    salida.reserve(largo * 2);
    for (unsigned int i = 0; i < largo; ++i) {
        salida += hex[resumen[i] >> 4];
        salida += hex[resumen[i] & 0x0f];
    }
    return salida;
}

} // namespace nucleo::Captura

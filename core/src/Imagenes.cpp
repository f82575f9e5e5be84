#include "nucleo/Imagenes.h"

#include <vips/vips8>

#include <algorithm>
#include <cmath>

namespace nucleo::Imagenes {

namespace {

// Por encima de esto (16384 × 16384) una imagen se trata como no decodificable: unos pocos
// bytes del portapapeles no deben poder pedir gigas de memoria ni minutos de trabajo.
constexpr std::int64_t maximoPixeles = std::int64_t{1} << 28;

void silenciar(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

bool vipsListo() {
    static const bool listo = [] {
        if (VIPS_INIT("rebisco") != 0) return false;
        vips_cache_set_max(0);
        // Un solo trabajador por tubería: con varios, libvips 8.14 puede abortar el proceso
        // (g_assert de su threadpool) cuando un trabajador falla a mitad de una imagen rota
        // mientras otro pide más trabajo; y estas imágenes rotas las trae cualquier programa.
        vips_concurrency_set(1);
        // Solo cargadores de confianza: estos bytes vienen de cualquier programa.
        vips_block_untrusted_set(TRUE);
        g_log_set_handler("VIPS", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK), silenciar,
                          nullptr);
        return true;
    }();
    return listo;
}

bool tamanoAceptable(std::int64_t ancho, std::int64_t alto) {
    return ancho > 0 && alto > 0 && ancho <= maximoPixeles / alto;
}

std::optional<vips::VImage> abrir(std::span<const std::uint8_t> datos) {
    if (datos.empty() || !vipsListo()) return std::nullopt;
    try {
        auto imagen = vips::VImage::new_from_buffer(datos.data(), datos.size(), "",
                                                    vips::VImage::option()
                                                        ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                                        ->set("fail_on", VIPS_FAIL_ON_ERROR));
        if (!tamanoAceptable(imagen.width(), imagen.height())) return std::nullopt;
        return imagen;
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

// Un solo codificador para todo: mismas opciones, PNG deterministas y sin metadatos.
std::optional<Bytes> guardarPNG(const vips::VImage& imagen) {
    try {
        VipsBlob* blob = imagen.pngsave_buffer(
            vips::VImage::option()->set("strip", true)->set("compression", 6));
        std::size_t largo = 0;
        const auto* p = static_cast<const std::uint8_t*>(vips_blob_get(blob, &largo));
        Bytes salida(p, p + largo);
        vips_area_unref(VIPS_AREA(blob));
        return salida;
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

} // namespace

std::optional<Bytes> codificarPNG(const ImagenRGBA& imagen) {
    if (!tamanoAceptable(imagen.ancho, imagen.alto) || !vipsListo()) return std::nullopt;
    const auto esperado =
        static_cast<std::uint64_t>(imagen.ancho) * static_cast<std::uint64_t>(imagen.alto) * 4;
    if (imagen.pixeles.size() != esperado) return std::nullopt;
    try {
        // vips solo lee de este búfer; no lo modifica.
        auto* pixeles = const_cast<std::uint8_t*>(imagen.pixeles.data());
        const auto enMemoria = vips::VImage::new_from_memory(
            pixeles, imagen.pixeles.size(), static_cast<int>(imagen.ancho),
            static_cast<int>(imagen.alto), 4, VIPS_FORMAT_UCHAR);
        return guardarPNG(enMemoria.copy(
            vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB)));
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

std::optional<Bytes> aPNG(std::span<const std::uint8_t> datos) {
    const auto imagen = abrir(datos);
    if (!imagen) return std::nullopt;
    return guardarPNG(*imagen);
}

std::optional<Dimensiones> dimensiones(std::span<const std::uint8_t> datos) {
    const auto imagen = abrir(datos);
    if (!imagen) return std::nullopt;
    return Dimensiones{.ancho = imagen->width(), .alto = imagen->height()};
}

std::optional<Bytes> miniatura(std::span<const std::uint8_t> datos, std::int64_t ladoMaximo) {
    if (ladoMaximo <= 0) return std::nullopt;
    const auto imagen = abrir(datos);
    if (!imagen) return std::nullopt;
    try {
        // Se reduce primero y se endereza después: girar la imagen grande obligaría a leerla
        // fuera de orden, y la pequeña gira en nada.
        const int orientacion = imagen->get_typeof(VIPS_META_ORIENTATION) != 0
                                    ? imagen->get_int(VIPS_META_ORIENTATION)
                                    : 1;
        const double lado = static_cast<double>(ladoMaximo);
        const double escala = std::min({1.0, lado / imagen->width(), lado / imagen->height()});
        vips::VImage reducida = *imagen;
        if (escala < 1.0) {
            const double ancho = std::max(1.0, std::round(imagen->width() * escala));
            const double alto = std::max(1.0, std::round(imagen->height() * escala));
            // Con transparencia se reduce premultiplicado para no oscurecer los bordes.
            const bool alfa = imagen->has_alpha();
            vips::VImage base = alfa ? imagen->premultiply() : *imagen;
            // Primero una reducción entera por promedio, barata; el resto con lanczos3 hasta
            // el tamaño exacto, que nunca pasa de ladoMaximo.
            const double enAncho = std::floor(imagen->width() / ancho);
            const double enAlto = std::floor(imagen->height() / alto);
            if (enAncho >= 2 || enAlto >= 2) base = base.shrink(enAncho, enAlto);
            base = base.resize(ancho / base.width(),
                               vips::VImage::option()->set("vscale", alto / base.height()));
            reducida = alfa ? base.unpremultiply().cast(imagen->format()) : base;
        }
        if (orientacion != 1) reducida = reducida.autorot();
        return guardarPNG(reducida);
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

} // namespace nucleo::Imagenes

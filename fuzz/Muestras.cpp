#include "Muestras.h"

#include <nucleo/Imagenes.h>

#include <vips/vips8>

#include <stdexcept>

namespace muestras {

namespace {

nucleo::ImagenRGBA degradado(int ancho, int alto, int tono) {
    nucleo::ImagenRGBA imagen{.ancho = ancho,
                              .alto = alto,
                              .pixeles = nucleo::Bytes(static_cast<std::size_t>(ancho * alto * 4))};
    for (int y = 0; y < alto; ++y) {
        for (int x = 0; x < ancho; ++x) {
            auto* p = &imagen.pixeles[static_cast<std::size_t>((y * ancho + x) * 4)];
            p[0] = static_cast<std::uint8_t>(x * 255 / ancho);
            p[1] = static_cast<std::uint8_t>(y * 255 / alto);
            p[2] = static_cast<std::uint8_t>(tono);
            p[3] = static_cast<std::uint8_t>(128 + (x + y) % 128);
        }
    }
    return imagen;
}

} // namespace

nucleo::Bytes pngPequeno() {
    const auto png = nucleo::Imagenes::codificarPNG(degradado(24, 16, 90));
    if (!png) throw std::runtime_error("no se pudo codificar el PNG de muestra");
    return *png;
}

nucleo::Bytes tiffDosPaginas() {
    if (VIPS_INIT("rebisco-muestras") != 0) throw std::runtime_error("vips no arranca");
    // Dos páginas de 16×12 apiladas; page-height hace que tiffsave las escriba por separado.
    auto pixeles = degradado(16, 24, 200).pixeles;
    auto apiladas =
        vips::VImage::new_from_memory(pixeles.data(), pixeles.size(), 16, 24, 4, VIPS_FORMAT_UCHAR)
            .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    apiladas.set("page-height", 12);
    VipsBlob* blob = apiladas.tiffsave_buffer(
        vips::VImage::option()->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE));
    std::size_t largo = 0;
    const auto* p = static_cast<const std::uint8_t*>(vips_blob_get(blob, &largo));
    nucleo::Bytes salida(p, p + largo);
    vips_area_unref(reinterpret_cast<VipsArea*>(blob));
    return salida;
}

std::string rtf() {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Helvetica;}}"
           "{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs24 Hola {\\b mundo}, "
           "\\'bfqu\\'e9 tal? {\\cf1 rojo}\\par\\u8364? euros\\par}";
}

std::string html() {
    return "<meta charset=\"utf-8\"><div style=\"font-family:sans\"><b>Reunión</b> del "
           "<i>martes</i>: <a href=\"https://example.org/acta?id=7&amp;v=2\">acta</a>"
           "<br><img src=\"data:image/png;base64,iVBORw0KGgo=\"></div>";
}

std::string rutas() {
    return "file:///home/ana/Documentos/informe%20final.pdf\n"
           "file:///home/ana/Im%C3%A1genes/foto.png\n"
           "/tmp/carpeta con espacios/\n";
}

std::string textoVariado() {
    return "  Línea con tildes: camión, pingüino, ÑANDÚ\n\n"
           "\tＦｕｌｌｗｉｄｔｈ y ﬁ ligadura, σς Σ\r\n"
           "e\u0301 combinada, 👩‍👩‍👧 familia, 🇪🇸 bandera\u2028"
           "https://example.com/ruta?x=1\u0085fin  ";
}

} // namespace muestras

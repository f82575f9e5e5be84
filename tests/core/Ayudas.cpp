#include "Ayudas.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vips/vips8>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace pruebas {

CarpetaTemporal::CarpetaTemporal() {
    std::string plantilla = (fs::temp_directory_path() / "rebisco-prueba-XXXXXX").string();
    if (!::mkdtemp(plantilla.data())) throw std::runtime_error("mkdtemp");
    ruta_ = plantilla;
}

CarpetaTemporal::~CarpetaTemporal() {
    std::error_code ec;
    fs::permissions(ruta_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(ruta_, ec);
}

nucleo::Bytes bytes(std::string_view s) {
    return nucleo::Bytes(s.begin(), s.end());
}

std::string texto(const nucleo::Bytes& b) {
    return std::string(b.begin(), b.end());
}

nucleo::Instante momento(double s) {
    return nucleo::Instante(
        std::chrono::duration_cast<nucleo::Instante::duration>(std::chrono::duration<double>(s)));
}

nucleo::OpcionesCaptura opcionesNormales() {
    return {.ignorarConfidencial = true,
            .appsExcluidas = {},
            .guardarImagenes = true,
            .bytesMaximos = 10'000'000};
}

nucleo::RecorteNuevo recorteDeTexto(const std::string& t) {
    const auto r =
        nucleo::Captura::interpretar({.tipos = {std::string(nucleo::TipoDato::texto)},
                                      .datos = {{std::string(nucleo::TipoDato::texto), bytes(t)}}},
                                     opcionesNormales());
    return std::get<nucleo::RecorteNuevo>(r);
}

nucleo::ImagenRGBA imagenDePrueba(int ancho, int alto, std::uint8_t rojo) {
    nucleo::ImagenRGBA img{.ancho = ancho, .alto = alto};
    img.pixeles.reserve(static_cast<std::size_t>(ancho) * static_cast<std::size_t>(alto) * 4);
    for (int y = 0; y < alto; ++y) {
        for (int x = 0; x < ancho; ++x) {
            img.pixeles.push_back(rojo);
            img.pixeles.push_back(static_cast<std::uint8_t>(x % 256));
            img.pixeles.push_back(static_cast<std::uint8_t>(y % 256));
            img.pixeles.push_back(255);
        }
    }
    return img;
}

nucleo::Bytes pngDePrueba(int ancho, int alto) {
    return nucleo::Imagenes::codificarPNG(imagenDePrueba(ancho, alto)).value();
}

namespace {
void asegurarVips() {
    static const bool listo = VIPS_INIT("pruebas") == 0;
    if (!listo) throw std::runtime_error("vips");
}
} // namespace

nucleo::Bytes tiffDePrueba(int ancho, int alto, const std::vector<std::uint8_t>& rojos,
                           int orientacion) {
    asegurarVips();
    nucleo::Bytes todas;
    for (const auto rojo : rojos) {
        const auto pagina = imagenDePrueba(ancho, alto, rojo);
        todas.insert(todas.end(), pagina.pixeles.begin(), pagina.pixeles.end());
    }
    auto img =
        vips::VImage::new_from_memory(todas.data(), todas.size(), ancho,
                                      alto * static_cast<int>(rojos.size()), 4, VIPS_FORMAT_UCHAR)
            .copy();
    img.set("page-height", alto);
    img.set("orientation", orientacion);
    VipsBlob* blob = img.tiffsave_buffer();
    std::size_t largo = 0;
    const auto* p = static_cast<const std::uint8_t*>(vips_blob_get(blob, &largo));
    nucleo::Bytes salida(p, p + largo);
    vips_area_unref(VIPS_AREA(blob));
    return salida;
}

std::vector<int> pixel(const nucleo::Bytes& imagen, int x, int y) {
    asegurarVips();
    auto img = vips::VImage::new_from_buffer(imagen.data(), imagen.size(), "");
    std::vector<double> v = img.getpoint(x, y);
    return std::vector<int>(v.begin(), v.end());
}

BaseCruda::BaseCruda(const fs::path& ruta) {
    if (sqlite3_open(ruta.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("abrir");
    sqlite3_busy_timeout(db_, 3000);
}

BaseCruda::~BaseCruda() {
    sqlite3_close_v2(db_);
}

void BaseCruda::ejecutar(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string mensaje = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(mensaje);
    }
}

std::vector<std::string> BaseCruda::filas(const std::string& sql) {
    std::vector<std::string> resultado;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
        throw std::runtime_error(sqlite3_errmsg(db_));
    }
    while (sqlite3_step(s) == SQLITE_ROW) {
        std::string fila;
        for (int c = 0; c < sqlite3_column_count(s); ++c) {
            if (c > 0) fila += "|";
            const auto* t = sqlite3_column_text(s, c);
            fila += t ? reinterpret_cast<const char*>(t) : "NULL";
        }
        resultado.push_back(fila);
    }
    sqlite3_finalize(s);
    return resultado;
}

long long BaseCruda::entero(const std::string& sql) {
    return std::stoll(filas(sql).at(0));
}

std::string BaseCruda::textoDe(const std::string& sql) {
    return filas(sql).at(0);
}

unsigned permisos(const fs::path& ruta) {
    struct stat st {};
    if (::stat(ruta.c_str(), &st) != 0) return 0;
    return st.st_mode & 0777;
}

void danarHojaDe(const fs::path& ruta, const std::string& tabla) {
    long long pagina = 0;
    long long tamano = 0;
    {
        BaseCruda b(ruta);
        b.ejecutar("PRAGMA wal_checkpoint(TRUNCATE)");
        pagina = b.entero("SELECT pageno FROM dbstat WHERE name = '" + tabla +
                          "' AND pagetype = 'leaf' ORDER BY pageno DESC LIMIT 1");
        tamano = b.entero("PRAGMA page_size");
    }
    std::fstream f(ruta, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp((pagina - 1) * tamano);
    const std::string basura(static_cast<std::size_t>(tamano), '\xa5');
    f.write(basura.data(), static_cast<std::streamsize>(basura.size()));
}

std::vector<std::string> archivosCon(const fs::path& carpeta, std::string_view texto) {
    std::vector<std::string> encontrados;
    for (const auto& entrada : fs::recursive_directory_iterator(carpeta)) {
        if (!entrada.is_regular_file()) continue;
        std::ifstream f(entrada.path(), std::ios::binary);
        const std::string contenido(std::istreambuf_iterator<char>(f), {});
        if (contenido.find(texto) != std::string::npos)
            encontrados.push_back(entrada.path().filename().string());
    }
    return encontrados;
}

} // namespace pruebas

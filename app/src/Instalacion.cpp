#include "rebisco/Instalacion.h"

#include <QDir>

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace rebisco::Instalacion {

namespace {

fs::path sinBarraFinal(fs::path ruta) {
    ruta = ruta.lexically_normal();
    if (!ruta.has_filename() && ruta.has_relative_path()) ruta = ruta.parent_path();
    return ruta;
}

// La ruta tal como se escribe y la real, sin enlaces: el inicio automático guarda la primera,
// y la segunda es la que desaparece.
std::vector<fs::path> formas(const fs::path& ruta) {
    std::error_code fallo;
    const auto absoluta = fs::absolute(ruta, fallo);
    if (fallo) return {};
    std::vector<fs::path> resultado{sinBarraFinal(absoluta)};
    const auto real = fs::weakly_canonical(absoluta, fallo);
    if (!fallo) resultado.push_back(sinBarraFinal(real));
    return resultado;
}

// Componente a componente: /tmpx no está bajo /tmp.
bool bajo(const fs::path& ruta, const fs::path& carpeta) {
    const auto [fin, otro] =
        std::mismatch(carpeta.begin(), carpeta.end(), ruta.begin(), ruta.end());
    return fin == carpeta.end();
}

bool bajoAlguna(const std::vector<fs::path>& rutas, const std::vector<fs::path>& carpetas) {
    for (const auto& ruta : rutas)
        for (const auto& carpeta : carpetas)
            if (bajo(ruta, carpeta)) return true;
    return false;
}

std::vector<fs::path> carpetasTemporales() {
    std::vector<fs::path> carpetas;
    for (const char* fija : {"/tmp", "/var/tmp"})
        for (auto& forma : formas(fija))
            carpetas.push_back(std::move(forma));
    const char* propia = std::getenv("TMPDIR");
    if (propia && fs::path(propia).is_absolute()) {
        // Un TMPDIR que contiene la carpeta personal (/, /home o la propia) no es temporal en
        // este sentido: tomarlo así pondría fuera de sitio cualquier instalación.
        const auto personal = formas(QDir::homePath().toStdString());
        for (auto& forma : formas(propia))
            if (!bajoAlguna(personal, {forma})) carpetas.push_back(std::move(forma));
    }
    return carpetas;
}

bool enSoloLectura(const fs::path& programa) {
    struct statvfs montaje {};
    return ::statvfs(programa.c_str(), &montaje) == 0 && (montaje.f_flag & ST_RDONLY) != 0;
}

// Lecturas con límites de un archivo abierto: nada fuera de su tamaño.
class Archivo {
public:
    explicit Archivo(const fs::path& ruta)
        : fd(::open(ruta.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat datos {};
        if (fd >= 0 && ::fstat(fd, &datos) == 0 && S_ISREG(datos.st_mode))
            tamano = static_cast<std::uint64_t>(datos.st_size);
    }
    ~Archivo() {
        if (fd >= 0) ::close(fd);
    }
    Archivo(const Archivo&) = delete;
    Archivo& operator=(const Archivo&) = delete;

    std::uint64_t size() const { return tamano; }

    bool leer(std::uint64_t desde, void* destino, std::size_t cuanto) const {
        if (fd < 0 || desde > tamano || cuanto > tamano - desde) return false;
        auto* a = static_cast<char*>(destino);
        while (cuanto > 0) {
            const auto leido = ::pread(fd, a, cuanto, static_cast<off_t>(desde));
            if (leido < 0 && errno == EINTR) continue;
            if (leido <= 0) return false;
            a += leido;
            desde += static_cast<std::uint64_t>(leido);
            cuanto -= static_cast<std::size_t>(leido);
        }
        return true;
    }

private:
    int fd;
    std::uint64_t tamano = 0;
};

std::string hexadecimal(std::span<const unsigned char> bytes) {
    static constexpr char cifras[] = "0123456789abcdef";
    std::string texto;
    for (const auto b : bytes) {
        texto += cifras[b >> 4];
        texto += cifras[b & 0x0f];
    }
    return texto;
}

// Cada nota empieza alineada, y su descripción también, contando desde el principio del
// segmento (que está alineado a su vez).
std::optional<std::string> buildIdEn(std::span<const unsigned char> notas, std::size_t alineacion) {
    const auto alinear = [&](std::uint64_t n) {
        return (n + alineacion - 1) / alineacion * alineacion;
    };
    std::uint64_t pos = 0;
    while (pos <= notas.size() && notas.size() - pos >= sizeof(ElfW(Nhdr))) {
        ElfW(Nhdr) nota;
        std::memcpy(&nota, notas.data() + pos, sizeof nota);
        const auto nombre = pos + sizeof nota;
        const auto descripcion = alinear(nombre + nota.n_namesz);
        if (descripcion > notas.size() || nota.n_descsz > notas.size() - descripcion)
            return std::nullopt;
        if (nota.n_type == NT_GNU_BUILD_ID && nota.n_namesz == 4 &&
            std::memcmp(notas.data() + nombre, "GNU", 4) == 0 && nota.n_descsz > 0)
            return hexadecimal(notas.subspan(descripcion, nota.n_descsz));
        pos = alinear(descripcion + nota.n_descsz);
    }
    return std::nullopt;
}

} // namespace

bool fueraDeSitio(const fs::path& programa) {
    // Si el montaje no responde, decide la carpeta.
    if (enSoloLectura(programa)) return true;
    return bajoAlguna(formas(programa), carpetasTemporales());
}

std::optional<std::string> huellaDe(const fs::path& elf) {
    const Archivo archivo(elf);
    ElfW(Ehdr) cabecera;
    if (!archivo.leer(0, &cabecera, sizeof cabecera)) return std::nullopt;
    constexpr auto clase = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
    constexpr auto orden = std::endian::native == std::endian::little ? ELFDATA2LSB : ELFDATA2MSB;
    if (std::memcmp(cabecera.e_ident, ELFMAG, SELFMAG) != 0 ||
        cabecera.e_ident[EI_CLASS] != clase || cabecera.e_ident[EI_DATA] != orden ||
        cabecera.e_phentsize != sizeof(ElfW(Phdr)) || cabecera.e_phnum == PN_XNUM)
        return std::nullopt;
    const std::uint64_t tabla = std::uint64_t{cabecera.e_phnum} * sizeof(ElfW(Phdr));
    if (cabecera.e_phoff > archivo.size() || tabla > archivo.size() - cabecera.e_phoff)
        return std::nullopt;

    for (std::uint64_t i = 0; i < cabecera.e_phnum; ++i) {
        ElfW(Phdr) segmento;
        if (!archivo.leer(cabecera.e_phoff + i * sizeof segmento, &segmento, sizeof segmento))
            return std::nullopt;
        // Las notas de un ejecutable ocupan unos cientos de bytes.
        if (segmento.p_type != PT_NOTE || segmento.p_filesz > 64 * 1024) continue;
        std::vector<unsigned char> notas(segmento.p_filesz);
        if (!archivo.leer(segmento.p_offset, notas.data(), notas.size())) continue;
        if (auto id = buildIdEn(notas, segmento.p_align == 8 ? 8 : 4)) return id;
    }
    return std::nullopt;
}

std::optional<std::string> huella() {
    return huellaDe("/proc/self/exe");
}

bool renovarPermisoSiCambioLaApp(const Entorno& entorno, AlmacenPreferencias& en) {
    if (entorno.esPrueba()) return false;
    const auto actual = huella();
    if (!actual) return false;
    const auto texto = QString::fromStdString(*actual);
    const auto conocida = en.string(Preferencias::huellaConocida);
    en.set(Preferencias::huellaConocida, texto);
    return conocida != texto;
}

} // namespace rebisco::Instalacion

#include "Archivos.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace nucleo::Archivos {

void crearCarpetaPrivada(const fs::path& carpeta) {
    if (carpeta.empty()) return;
    std::vector<fs::path> faltan;
    for (fs::path p = carpeta; !p.empty(); p = p.parent_path()) {
        std::error_code ec;
        if (fs::exists(p, ec)) break;
        faltan.push_back(p);
        if (p == p.parent_path()) break;
    }
    for (auto it = faltan.rbegin(); it != faltan.rend(); ++it) {
        if (::mkdir(it->c_str(), 0700) != 0 && errno != EEXIST) {
            throw fs::filesystem_error("no se pudo crear la carpeta", *it,
                                       std::error_code(errno, std::generic_category()));
        }
        // La máscara del proceso podría quitar bits; 0700 se fija explícitamente.
        ::chmod(it->c_str(), 0700);
    }
    std::error_code ec;
    if (!fs::is_directory(carpeta, ec)) {
        throw fs::filesystem_error("no es una carpeta", carpeta,
                                   ec ? ec : std::make_error_code(std::errc::not_a_directory));
    }
}

void crearArchivoPrivado(const fs::path& archivo) {
    const int fd = ::open(archivo.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
}

void hacerPrivado(const fs::path& archivo) {
    ::chmod(archivo.c_str(), 0600);
}

} // namespace nucleo::Archivos

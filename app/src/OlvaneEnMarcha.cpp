#include "rebisco/Mudanza.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <csignal>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace rebisco::Mudanza {

namespace {

std::optional<pid_t> numeroDeProceso(std::string_view nombre) {
    pid_t pid = 0;
    const auto [fin, fallo] = std::from_chars(nombre.data(), nombre.data() + nombre.size(), pid);
    if (fallo != std::errc() || fin != nombre.data() + nombre.size() || pid <= 0)
        return std::nullopt;
    return pid;
}

std::string primeraParte(const fs::path& archivo, char separador) {
    std::ifstream entrada(archivo, std::ios::binary);
    std::string texto;
    std::getline(entrada, texto, separador);
    return texto;
}

// El nombre del ejecutable; si el enlace no se deja leer, el que el proceso dice tener.
std::string nombreDelEjecutable(const fs::path& proceso) {
    std::error_code fallo;
    const auto ejecutable = fs::read_symlink(proceso / "exe", fallo);
    if (!fallo) {
        // Un ejecutable borrado o reemplazado mientras corre sigue siendo el mismo programa.
        auto nombre = ejecutable.filename().string();
        constexpr std::string_view borrado = " (deleted)";
        if (nombre.ends_with(borrado)) nombre.resize(nombre.size() - borrado.size());
        return nombre;
    }
    auto nombre = primeraParte(proceso / "comm", '\n');
    if (nombre.empty()) nombre = fs::path(primeraParte(proceso / "cmdline", '\0')).filename();
    return nombre;
}

// Un zombi ya terminó: solo espera a que su padre lo recoja.
bool esZombi(const fs::path& proceso) {
    const auto estado = primeraParte(proceso / "stat", '\n');
    const auto cierre = estado.rfind(')');
    return cierre != std::string::npos && cierre + 2 < estado.size() && estado[cierre + 2] == 'Z';
}

} // namespace

std::vector<pid_t> olvaneEnMarcha() {
    std::vector<pid_t> procesos;
    std::error_code fallo;
    for (const auto& entrada : fs::directory_iterator("/proc", fallo)) {
        const auto pid = numeroDeProceso(entrada.path().filename().native());
        if (!pid || *pid == ::getpid()) continue;
        struct stat datos {};
        if (::stat(entrada.path().c_str(), &datos) != 0 || datos.st_uid != ::geteuid()) continue;
        if (nombreDelEjecutable(entrada.path()) != "olvane" || esZombi(entrada.path())) continue;
        procesos.push_back(*pid);
    }
    std::sort(procesos.begin(), procesos.end());
    return procesos;
}

void ofrecerCerrarOlvane(const Entorno& entorno, const std::function<bool()>& preguntar) {
    if (entorno.esPrueba() || entorno.esEnsayo()) return;
    if (olvaneEnMarcha().empty() || !preguntar()) return;
    // La respuesta puede tardar: el proceso de entonces quizá ya no exista y su número sea de
    // otro programa. Se mira otra vez justo antes de la señal.
    const auto procesos = olvaneEnMarcha();
    if (!procesos.empty()) ::kill(procesos.front(), SIGTERM);
}

} // namespace rebisco::Mudanza

#include "plataforma/Memoria.h"

#include <algorithm>

namespace plataforma::memoria {

namespace {

constexpr std::string_view tipoTexto = "public.utf8-plain-text";
constexpr std::string_view tipoUrlArchivo = "public.file-url";

Datos bytesDe(std::string_view texto) {
    return Datos(texto.begin(), texto.end());
}

std::string urlDeArchivo(const std::filesystem::path& ruta) {
    return "file://" + ruta.string();
}

} // namespace

std::int64_t PortapapelesMemoria::contadorCambios() {
    std::lock_guard l(cerrojo);
    return contador;
}

std::optional<std::vector<std::string>> PortapapelesMemoria::tipos() {
    std::lock_guard l(cerrojo);
    consultado = hayContenido ? actual : 0;
    if (!hayContenido) return std::nullopt;
    std::vector<std::string> lista;
    for (const auto& pieza : contenido)
        lista.push_back(pieza.tipo);
    for (const auto& tipo : anunciados)
        if (std::find(lista.begin(), lista.end(), tipo) == lista.end()) lista.push_back(tipo);
    return lista;
}

std::optional<std::vector<std::filesystem::path>> PortapapelesMemoria::archivos() {
    std::lock_guard l(cerrojo);
    if (listaArchivos.empty()) return std::nullopt;
    leidos.emplace_back(tipoUrlArchivo);
    return listaArchivos;
}

std::optional<Datos> PortapapelesMemoria::leer(const std::string& tipo) {
    std::lock_guard l(cerrojo);
    for (const auto& pieza : contenido) {
        if (pieza.tipo == tipo) {
            leidos.push_back(tipo);
            return pieza.datos;
        }
    }
    return std::nullopt;
}

std::optional<std::string> PortapapelesMemoria::texto() {
    auto bytes = leer(std::string(tipoTexto));
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

std::optional<Datos> PortapapelesMemoria::datos(std::string_view tipo) {
    return leer(std::string(tipo));
}

int PortapapelesMemoria::comportamientoAcceso() {
    std::lock_guard l(cerrojo);
    return acceso;
}

void PortapapelesMemoria::vaciar() {
    std::lock_guard l(cerrojo);
    contenido.clear();
    listaArchivos.clear();
    anunciados.clear();
    hayContenido = false;
    actual = 0;
    ++contador;
}

bool PortapapelesMemoria::escribirTexto(std::string_view texto) {
    return escribirPiezas({Pieza{std::string(tipoTexto), bytesDe(texto)}});
}

bool PortapapelesMemoria::escribirArchivos(const std::vector<std::filesystem::path>& rutas) {
    if (rutas.empty()) return false;
    std::lock_guard l(cerrojo);
    // Como un gestor de archivos: la URL del primero y los nombres como texto.
    std::string nombres;
    for (const auto& ruta : rutas) {
        if (!nombres.empty()) nombres += '\n';
        nombres += ruta.filename().string();
    }
    contenido = {Pieza{std::string(tipoUrlArchivo), bytesDe(urlDeArchivo(rutas.front()))},
                 Pieza{std::string(tipoTexto), bytesDe(nombres)}};
    listaArchivos = rutas;
    anunciados.clear();
    hayContenido = true;
    actual = static_cast<Contenido>(++contador);
    return true;
}

bool PortapapelesMemoria::escribirPiezas(const std::vector<Pieza>& piezas) {
    std::lock_guard l(cerrojo);
    for (const auto& pieza : piezas)
        if (rechazados.contains(pieza.tipo)) return false;
    contenido = piezas;
    listaArchivos.clear();
    anunciados.clear();
    hayContenido = true;
    actual = static_cast<Contenido>(++contador);
    return true;
}

bool PortapapelesMemoria::aceptaTipo(std::string_view tipo) {
    std::lock_guard l(cerrojo);
    return !rechazados.contains(std::string(tipo));
}

void PortapapelesMemoria::reiniciarServidor() {
    std::lock_guard l(cerrojo);
    contenido.clear();
    listaArchivos.clear();
    anunciados.clear();
    hayContenido = false;
    actual = 0;
    contador = 0;
}

void PortapapelesMemoria::ponerAcceso(int comportamiento) {
    std::lock_guard l(cerrojo);
    acceso = comportamiento;
}

void PortapapelesMemoria::rechazarTipo(const std::string& tipo) {
    std::lock_guard l(cerrojo);
    rechazados.insert(tipo);
}

void PortapapelesMemoria::anunciar(const std::vector<std::string>& tipos) {
    std::lock_guard l(cerrojo);
    anunciados = tipos;
    if (!hayContenido) actual = static_cast<Contenido>(contador);
    hayContenido = true;
}

Contenido PortapapelesMemoria::contenidoConsultado() {
    std::lock_guard l(cerrojo);
    return consultado;
}

void PortapapelesMemoria::ponerRelevo(Relevo nuevo) {
    std::lock_guard l(cerrojo);
    relevo = std::make_shared<const Relevo>(std::move(nuevo));
}

bool PortapapelesMemoria::irseElDueno(bool entregar) {
    std::shared_ptr<const Relevo> quien;
    Contenido deQuien = 0;
    {
        std::lock_guard l(cerrojo);
        if (!hayContenido) return false;
        quien = relevo;
        deQuien = actual;
    }
    // Las llamadas al relevo van sin el cerrojo: quien acepta puede leer el portapapeles.
    bool aceptada = entregar && quien->aceptarEntrega && quien->aceptarEntrega(deQuien);
    {
        std::lock_guard l(cerrojo);
        // Otro dueño pudo tomarlo mientras se decidía: entonces no hay nada que entregar.
        aceptada = aceptada && hayContenido && actual == deQuien;
        if (aceptada) {
            entregado = Entregado{deQuien, contenido, listaArchivos};
            for (const auto& pieza : contenido)
                leidos.push_back(pieza.tipo);
        }
        if (actual == deQuien) {
            contenido.clear();
            listaArchivos.clear();
            anunciados.clear();
            hayContenido = false;
            actual = 0;
            ++contador;
        }
    }
    if (quien->alIrseElDueno) quien->alIrseElDueno(deQuien);
    return aceptada;
}

bool PortapapelesMemoria::escribirEntregado(Contenido deQuien) {
    std::lock_guard l(cerrojo);
    if (!entregado || entregado->contenido != deQuien || deQuien == 0) return false;
    contenido = entregado->piezas;
    listaArchivos = entregado->archivos;
    anunciados.clear();
    hayContenido = true;
    actual = static_cast<Contenido>(++contador);
    return true;
}

void PortapapelesMemoria::olvidarEntregado() {
    std::lock_guard l(cerrojo);
    entregado.reset();
}

std::vector<Pieza> PortapapelesMemoria::piezas() {
    std::lock_guard l(cerrojo);
    return contenido;
}

std::vector<std::filesystem::path> PortapapelesMemoria::rutas() {
    std::lock_guard l(cerrojo);
    return listaArchivos;
}

std::vector<std::string> PortapapelesMemoria::lecturas() {
    std::lock_guard l(cerrojo);
    return leidos;
}

void PortapapelesMemoria::olvidarLecturas() {
    std::lock_guard l(cerrojo);
    leidos.clear();
}

PortapapelesMemoria& portapapelesConNombre(const std::string& nombre) {
    static std::mutex cerrojoRegistro;
    static std::map<std::string, std::unique_ptr<PortapapelesMemoria>> registro;
    std::lock_guard l(cerrojoRegistro);
    auto& sitio = registro[nombre];
    if (!sitio) sitio = std::make_unique<PortapapelesMemoria>();
    return *sitio;
}

} // namespace plataforma::memoria

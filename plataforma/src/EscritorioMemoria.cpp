#include "plataforma/Memoria.h"

#include <unistd.h>

namespace plataforma::memoria {

class EscritorioMemoria::ActividadMemoria : public Actividad {
public:
    ActividadMemoria(std::shared_ptr<Estado> estado, std::string motivo)
        : estado(std::move(estado))
        , motivo(std::move(motivo)) {}
    ~ActividadMemoria() override {
        std::lock_guard l(estado->cerrojo);
        estado->actividades.erase(estado->actividades.find(motivo));
    }

private:
    std::shared_ptr<Estado> estado;
    std::string motivo;
};

std::optional<AppEnFrente> EscritorioMemoria::appEnPrimerPlano() {
    std::lock_guard l(estado->cerrojo);
    return estado->enFrente;
}

std::int64_t EscritorioMemoria::pidPropio() {
    return ::getpid();
}

bool EscritorioMemoria::confiable() {
    std::lock_guard l(estado->cerrojo);
    return estado->confiable;
}

std::unique_ptr<Actividad> EscritorioMemoria::empezarActividad(std::string_view motivo) {
    std::lock_guard l(estado->cerrojo);
    estado->actividades.emplace(motivo);
    return std::make_unique<ActividadMemoria>(estado, std::string(motivo));
}

void EscritorioMemoria::ponerAppEnFrente(std::optional<AppEnFrente> app) {
    std::lock_guard l(estado->cerrojo);
    estado->enFrente = std::move(app);
}

void EscritorioMemoria::ponerConfiable(bool valor) {
    std::lock_guard l(estado->cerrojo);
    estado->confiable = valor;
}

std::vector<std::string> EscritorioMemoria::actividades() {
    std::lock_guard l(estado->cerrojo);
    return {estado->actividades.begin(), estado->actividades.end()};
}

std::optional<Ventana> EscritorioMemoria::ventanaActiva() {
    std::lock_guard l(estado->cerrojo);
    return estado->activa;
}

bool EscritorioMemoria::activar(std::uint64_t ventana) {
    {
        std::lock_guard l(estado->cerrojo);
        ++estado->activaciones[ventana];
        if (ventana == 0 || estado->cerradas.contains(ventana)) return false;
        const auto ajena = estado->ajenas.find(ventana);
        const Ventana nueva{ventana, ajena != estado->ajenas.end() ? ajena->second : ::getpid()};
        if (estado->activa == nueva) return true;
        estado->activa = nueva;
    }
    avisar();
    return true;
}

bool EscritorioMemoria::hayCompositor() {
    std::lock_guard l(estado->cerrojo);
    return estado->compositor;
}

void EscritorioMemoria::prepararFlotante(std::uint64_t ventana) {
    std::lock_guard l(estado->cerrojo);
    estado->flotantes.insert(ventana);
}

Escritorio::Observador EscritorioMemoria::observar(std::function<void()> alCambiar) {
    std::lock_guard l(estado->cerrojo);
    const auto referencia = estado->siguiente++;
    estado->observadores.emplace(referencia, std::move(alCambiar));
    return referencia;
}

void EscritorioMemoria::dejarDeObservar(Observador observador) {
    std::lock_guard l(estado->cerrojo);
    estado->observadores.erase(observador);
}

void EscritorioMemoria::ponerVentanaActiva(std::optional<Ventana> ventana) {
    {
        std::lock_guard l(estado->cerrojo);
        if (ventana) {
            estado->cerradas.erase(ventana->id);
            if (ventana->pid != ::getpid()) estado->ajenas[ventana->id] = ventana->pid;
        }
        if (estado->activa == ventana) return;
        estado->activa = ventana;
    }
    avisar();
}

void EscritorioMemoria::cerrarVentana(std::uint64_t ventana) {
    {
        std::lock_guard l(estado->cerrojo);
        estado->cerradas.insert(ventana);
        if (!estado->activa || estado->activa->id != ventana) return;
        estado->activa.reset();
    }
    avisar();
}

void EscritorioMemoria::ponerCompositor(bool hay) {
    {
        std::lock_guard l(estado->cerrojo);
        if (estado->compositor == hay) return;
        estado->compositor = hay;
    }
    avisar();
}

std::set<std::uint64_t> EscritorioMemoria::flotantes() {
    std::lock_guard l(estado->cerrojo);
    return estado->flotantes;
}

int EscritorioMemoria::activaciones(std::uint64_t ventana) {
    std::lock_guard l(estado->cerrojo);
    const auto i = estado->activaciones.find(ventana);
    return i == estado->activaciones.end() ? 0 : i->second;
}

// Fuera del cerrojo: un observador puede preguntar, o dejar de observar, mientras se le avisa.
void EscritorioMemoria::avisar() {
    std::vector<Observador> referencias;
    {
        std::lock_guard l(estado->cerrojo);
        for (const auto& [referencia, funcion] : estado->observadores)
            referencias.push_back(referencia);
    }
    for (const auto referencia : referencias) {
        std::function<void()> funcion;
        {
            std::lock_guard l(estado->cerrojo);
            const auto i = estado->observadores.find(referencia);
            if (i == estado->observadores.end()) continue;
            funcion = i->second;
        }
        funcion();
    }
}

PlataformaMemoria::PlataformaMemoria(std::string nombrePortapapeles) {
    if (nombrePortapapeles.empty()) {
        propio = std::make_unique<PortapapelesMemoria>();
        portapapeles = propio.get();
    } else {
        portapapeles = &portapapelesConNombre(nombrePortapapeles);
    }
}

} // namespace plataforma::memoria

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

PlataformaMemoria::PlataformaMemoria(std::string nombrePortapapeles) {
    if (nombrePortapapeles.empty()) {
        propio = std::make_unique<PortapapelesMemoria>();
        portapapeles = propio.get();
    } else {
        portapapeles = &portapapelesConNombre(nombrePortapapeles);
    }
}

} // namespace plataforma::memoria

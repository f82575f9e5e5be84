#include "plataforma/Memoria.h"

#include <map>
#include <utility>

namespace plataforma::memoria {

namespace {

using Referencia = ServicioAtajos::Referencia;
using Combinacion = std::pair<std::uint32_t, std::uint32_t>;

// Solo cuentan los cuatro modificadores, como en el sistema.
Combinacion combinacion(std::uint32_t codigo, std::uint32_t modificadores) {
    return {codigo, modificadores & static_cast<std::uint32_t>(Modificador::todos)};
}

// El registro del proceso. Solo se toca desde el hilo principal, como el del sistema.
struct Registro {
    Referencia siguiente = 1;
    std::map<Referencia, std::function<void()>> manejadores;
    std::map<Combinacion, std::pair<Referencia, Referencia>> atajos; // -> (atajo, manejador)
};

Registro& registro() {
    static Registro unico;
    return unico;
}

} // namespace

ServicioAtajosMemoria::~ServicioAtajosMemoria() {
    for (auto atajo : std::set(propios))
        retirar(atajo);
    for (auto manejador : std::set(manejadoresPropios))
        quitarManejador(manejador);
}

Referencia ServicioAtajosMemoria::instalarManejador(std::function<void()> alPulsar) {
    auto& r = registro();
    auto referencia = r.siguiente++;
    r.manejadores.emplace(referencia, std::move(alPulsar));
    manejadoresPropios.insert(referencia);
    return referencia;
}

void ServicioAtajosMemoria::quitarManejador(Referencia manejador) {
    registro().manejadores.erase(manejador);
    manejadoresPropios.erase(manejador);
}

std::optional<Referencia> ServicioAtajosMemoria::registrar(std::uint32_t codigo,
                                                           std::uint32_t modificadores,
                                                           Referencia manejador) {
    auto& r = registro();
    auto clave = combinacion(codigo, modificadores);
    if (r.atajos.contains(clave)) return std::nullopt;
    auto referencia = r.siguiente++;
    r.atajos.emplace(clave, std::pair{referencia, manejador});
    propios.insert(referencia);
    return referencia;
}

void ServicioAtajosMemoria::retirar(Referencia atajo) {
    auto& atajos = registro().atajos;
    std::erase_if(atajos, [&](const auto& par) { return par.second.first == atajo; });
    propios.erase(atajo);
}

bool ServicioAtajosMemoria::pulsar(std::uint32_t codigo, std::uint32_t modificadores) {
    auto& r = registro();
    auto atajo = r.atajos.find(combinacion(codigo, modificadores));
    if (atajo == r.atajos.end()) return false;
    auto manejador = r.manejadores.find(atajo->second.second);
    if (manejador == r.manejadores.end()) return false;
    // Una copia: el manejador puede quitarse a sí mismo mientras corre.
    auto llamar = manejador->second;
    llamar();
    return true;
}

bool ServicioAtajosMemoria::registrada(std::uint32_t codigo, std::uint32_t modificadores) {
    return registro().atajos.contains(combinacion(codigo, modificadores));
}

} // namespace plataforma::memoria

#pragma once

#include <plataforma/Teclado.h>

#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>

namespace rebisco {

enum class ProblemaAtajo { deMacOS, rechazado };

// La combinación global del proceso sobre el servicio de atajos del sistema. Cada pulsación
// llama a alPulsar en el hilo principal, después del evento que la trajo, nunca dentro de él.
class AtajoGlobal : public QObject {
    Q_OBJECT
public:
    explicit AtajoGlobal(plataforma::ServicioAtajos& servicio, QObject* padre = nullptr);
    ~AtajoGlobal() override;

    // Suelta la combinación anterior pase lo que pase; true si la nueva quedó registrada.
    bool registrar(std::int64_t codigo, std::int64_t modificadores);
    void retirar();
    bool registrado() const { return atajo.has_value(); }

    std::function<void()> alPulsar;

private:
    plataforma::ServicioAtajos& servicio;
    std::optional<plataforma::ServicioAtajos::Referencia> atajo;
    std::optional<plataforma::ServicioAtajos::Referencia> manejador;
};

} // namespace rebisco

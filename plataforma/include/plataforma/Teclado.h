#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plataforma {

// Las teclas se nombran por su posición física con los códigos virtuales del programa (9 es
// la posición de la V en un teclado estadounidense), y los modificadores con estos bits.
namespace Modificador {
inline constexpr int comando = 0x100;    // Super
inline constexpr int mayusculas = 0x200; // Mayúsculas
inline constexpr int opcion = 0x800;     // Alt
inline constexpr int control = 0x1000;   // Control
inline constexpr int todos = 0x1B00;
} // namespace Modificador

// Un atajo tal como lo tiene el sistema; activo = false es un atajo apagado.
struct AtajoSistema {
    int codigo = 0;
    int modificadores = 0;
    bool activo = true;

    bool operator==(const AtajoSistema&) const = default;
};

class Teclado {
public:
    virtual ~Teclado() = default;

    // Lo que escribe la tecla sin modificadores en la distribución actual, o nada.
    virtual std::optional<std::string> caracter(int codigo) = 0;

    // Los atajos del escritorio, leídos de nuevo en cada llamada; nada si no se pueden leer.
    virtual std::optional<std::vector<AtajoSistema>> atajosDelSistema() = 0;

    // Pega en la aplicación de delante lo que hay en el portapapeles. codigoV es la tecla
    // que escribe «v» en la distribución actual, para los sistemas que pegan con ella.
    virtual void pulsarPegar(int codigoV) = 0;

    // El código del programa para el código nativo de un evento de teclado, si lo tiene.
    virtual std::optional<int> codigoDeEvento(std::uint32_t nativo) = 0;
};

// El servicio de atajos globales: una combinación registrada llega al proceso desde
// cualquier aplicación, y a ninguna otra.
class ServicioAtajos {
public:
    using Referencia = std::uint64_t;

    virtual ~ServicioAtajos() = default;

    // El manejador se llama en el hilo principal, una vez por pulsación.
    virtual Referencia instalarManejador(std::function<void()> alPulsar) = 0;
    virtual void quitarManejador(Referencia manejador) = 0;

    // Nada si el sistema se niega (la combinación ya es de otro).
    virtual std::optional<Referencia> registrar(std::uint32_t codigo, std::uint32_t modificadores,
                                                Referencia manejador) = 0;
    virtual void retirar(Referencia atajo) = 0;
};

} // namespace plataforma

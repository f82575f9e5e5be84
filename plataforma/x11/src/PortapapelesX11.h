#pragma once

#include "Seleccion.h"

#include "plataforma/Portapapeles.h"

#include <atomic>
#include <memory>
#include <mutex>

class QClipboard;
class QMimeData;
class QObject;

namespace plataforma::x11 {

// CLIPBOARD a través de QClipboard para escribir y de una conexión xcb propia, con plazos,
// para leer lo que ofrece otro programa. Vive en el hilo principal, como QClipboard.
class PortapapelesX11 : public Portapapeles {
public:
    // baseQt y mascaraQt: el rango de identificadores de la conexión de Qt, para reconocer
    // sus ventanas como propias.
    PortapapelesX11(const char* pantalla, std::uint32_t baseQt, std::uint32_t mascaraQt);
    ~PortapapelesX11() override;

    std::int64_t contadorCambios() override;
    std::optional<std::vector<std::string>> tipos() override;
    std::optional<std::vector<std::filesystem::path>> archivos() override;
    std::optional<std::string> texto() override;
    std::optional<Datos> datos(std::string_view tipo) override;
    int comportamientoAcceso() override;
    void vaciar() override;
    bool escribirTexto(std::string_view texto) override;
    bool escribirArchivos(const std::vector<std::filesystem::path>& rutas) override;
    bool escribirPiezas(const std::vector<Pieza>& piezas) override;
    bool aceptaTipo(std::string_view tipo) override;

    // Transferencias INCR completadas por la conexión propia.
    std::int64_t transferenciasIncrementales();

private:
    // Un contenido concreto: el cambio de dueño y la ventana que lo ofrece.
    struct Clave {
        std::int64_t cambio = 0;
        xcb_window_t dueno = XCB_NONE;
        bool operator==(const Clave&) const = default;
    };
    enum class Origen { nadie, propio, ajeno };
    struct Estado {
        Origen origen = Origen::nadie;
        Clave clave;
        // Destinos anunciados; ausente si el dueño no dio la lista.
        std::optional<std::vector<std::string>> destinos;
        const QMimeData* propios = nullptr;
    };
    struct Leido {
        std::string destino;
        std::string tipo;
        Datos datos;
    };

    Estado mirar();
    // Hace la petición con lo que queda del presupuesto de este contenido; si no contesta a
    // tiempo (o ya no queda), el dueño queda por mudo para él.
    template <typename Peticion> Respuesta conPresupuesto(const Clave& clave, Peticion peticion);
    std::optional<Leido> leer(std::string_view identificador);
    bool escribir(QMimeData* datos);

    QClipboard* portapapeles;
    std::unique_ptr<QObject> contexto;
    std::atomic<std::int64_t> contador{0};
    std::uint32_t baseQt;
    std::uint32_t mascaraQt;
    std::string maquina;

    std::recursive_mutex cerrojo;
    Seleccion seleccion;
    std::optional<Clave> mudoEn;
    struct Gasto {
        Clave clave;
        std::chrono::steady_clock::duration usado{};
    } gasto;
    std::optional<Clave> claveDestinos;
    std::optional<std::vector<std::string>> destinosGuardados;
};

} // namespace plataforma::x11

#pragma once

#include "CambiosDeDueno.h"
#include "GestorX11.h"
#include "Seleccion.h"

#include "plataforma/Portapapeles.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

class QClipboard;
class QMimeData;
class QObject;

class QWindow;

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
    bool avisaCambios() override;
    void alCambiar(std::function<void()> aviso) override;
    Contenido contenidoConsultado() override;
    void ponerRelevo(Relevo relevo) override;
    bool escribirEntregado(Contenido contenido) override;
    void olvidarEntregado() override;

    // Si este proceso tiene CLIPBOARD_MANAGER (otro gestor puede tenerla).
    bool esGestor() const;

    // Transferencias INCR completadas por la conexión propia.
    std::int64_t transferenciasIncrementales();
    // Átomos que guarda la conexión propia (acotados, también ante dueños hostiles).
    std::size_t atomosEnCache();

private:
    // Lo que se espera la primera respuesta de un dueño, y cada trozo INCR.
    static constexpr std::chrono::milliseconds plazoPeticion{250};
    // Muchos dueños codifican la imagen al pedírsela (Qt tarda casi medio segundo con 12 MP):
    // la primera respuesta de un destino de imagen puede tardar más sin que el dueño esté mudo.
    static constexpr std::chrono::milliseconds plazoImagen{1000};

    // Un contenido concreto: la ventana que lo ofrece, desde cuándo y en qué cambio de dueño
    // (sin XFixes, el contador de Qt).
    using Clave = Propietario;
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

    // paraLeer: si tipos() ya dio los de otro contenido, este no se mira (queda en nadie).
    Estado mirar(bool paraLeer);
    // Hace la petición con lo que queda del presupuesto de este contenido; si no contesta a
    // tiempo (o ya no queda), el dueño queda por mudo para él.
    template <typename Peticion> Respuesta conPresupuesto(const Clave& clave, Peticion peticion);
    std::optional<Leido> leer(std::string_view identificador);
    bool escribir(QMimeData* datos);
    void avivarHoraDeQt();
    // El contenido de un propietario, o 0 si es de este proceso o no se sabe desde cuándo.
    Contenido identidad(const Clave& clave) const;
    void alCambiarDueno(const CambioDeDueno& cambio);
    // SAVE_TARGETS: lee del dueño actual, si el relevo lo acepta, los destinos pedidos.
    bool guardarEntrega(const std::optional<std::vector<std::string>>& pedidos);

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
    // El contenido cuyos tipos dio tipos() en cada hilo: las lecturas siguientes de ese hilo
    // son de él o no son, hasta que ese hilo vuelve a mirar el contador. Así lo que se decidió
    // con esos tipos (no leer una contraseña) vale para lo que se lee, aunque otro dueño tome
    // la selección entre medias, y el hilo principal no estorba a una lectura en otro.
    std::optional<Clave> consultada();
    std::mutex cerrojoConsultas;
    std::map<std::thread::id, Clave> consultadas;
    std::mutex cerrojoAviso;
    std::function<void()> aviso;

    // Lo escribe este proceso: Qt avisa de ello antes de volver de setMimeData.
    bool escribiendo = false;
    std::shared_ptr<const Relevo> relevo = std::make_shared<Relevo>();
    struct Entregado {
        Contenido contenido = 0;
        std::vector<Leido> piezas;
    };
    std::optional<Entregado> entregado;
    std::unique_ptr<GestorX11> gestor;
    std::unique_ptr<CambiosDeDueno> cambios;
    std::unique_ptr<QWindow> ventanaHora;
};

} // namespace plataforma::x11

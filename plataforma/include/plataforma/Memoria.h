#pragma once

#include "plataforma/Plataforma.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace plataforma::memoria {

// Un portapapeles que vive en el proceso, con la semántica que el programa espera del
// sistema: contador de cambios real, lista de tipos, estado de acceso ajustable. Anota
// cada lectura de contenido para que una prueba demuestre qué se leyó y qué no.
class PortapapelesMemoria : public Portapapeles {
public:
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
    Contenido contenidoConsultado() override;
    void ponerRelevo(Relevo relevo) override;
    bool escribirEntregado(Contenido contenido) override;
    void olvidarEntregado() override;

    // Lo que haría otra aplicación o el usuario.
    // Otro servidor de portapapeles: el contador vuelve a empezar y el contenido se pierde.
    void reiniciarServidor();
    void ponerAcceso(int comportamiento);
    // Tipos que este portapapeles se niega a aceptar al escribir.
    void rechazarTipo(const std::string& tipo);
    // Anuncia tipos sin contenido legible (marcas, tipos perezosos...).
    void anunciar(const std::vector<std::string>& tipos);

    // El dueño del contenido actual se va y el portapapeles queda vacío. Con entregar, antes
    // pide al gestor que lo guarde (el gestor lo lee entero); devuelve si se lo aceptó.
    bool irseElDueno(bool entregar);

    // Contenido actual: piezas en orden y, si son archivos, sus rutas.
    std::vector<Pieza> piezas();
    std::vector<std::filesystem::path> rutas();

    // Tipos cuyo contenido se ha leído, en orden, desde el último olvidarLecturas().
    std::vector<std::string> lecturas();
    void olvidarLecturas();

private:
    std::optional<Datos> leer(const std::string& tipo);

    std::mutex cerrojo;
    std::int64_t contador = 0;
    int acceso = 0;
    std::vector<Pieza> contenido;
    std::vector<std::filesystem::path> listaArchivos;
    std::vector<std::string> anunciados;
    std::set<std::string> rechazados;
    std::vector<std::string> leidos;
    bool hayContenido = false;
    // Cada escritura es un contenido nuevo: el contador con que se escribió.
    Contenido actual = 0;
    Contenido consultado = 0;
    std::shared_ptr<const Relevo> relevo = std::make_shared<Relevo>();
    struct Entregado {
        Contenido contenido = 0;
        std::vector<Pieza> piezas;
        std::vector<std::filesystem::path> archivos;
    };
    std::optional<Entregado> entregado;
};

// Los portapapeles con nombre son del proceso: el mismo nombre da siempre el mismo.
PortapapelesMemoria& portapapelesConNombre(const std::string& nombre);

class EscritorioMemoria : public Escritorio {
public:
    std::optional<AppEnFrente> appEnPrimerPlano() override;
    std::int64_t pidPropio() override;
    bool confiable() override;
    std::unique_ptr<Actividad> empezarActividad(std::string_view motivo) override;

    std::optional<Ventana> ventanaActiva() override;
    bool activar(std::uint64_t ventana) override;
    bool hayCompositor() override;
    void prepararFlotante(std::uint64_t ventana) override;
    void desenfocarDetras(std::uint64_t ventana, int x, int y, int ancho, int alto) override;
    Observador observar(std::function<void()> alCambiar) override;
    void dejarDeObservar(Observador observador) override;

    void ponerAppEnFrente(std::optional<AppEnFrente> app);
    void ponerConfiable(bool valor);
    // Motivos de las actividades vivas ahora mismo.
    std::vector<std::string> actividades();

    // Lo que haría el usuario o el sistema: otra ventana pasa a ser la activa (o ninguna),
    // una ventana se cierra, un compositor arranca o se va. Avisan si algo cambió. Las
    // ventanas de las que nunca se ha hablado aquí son del propio proceso, como las de Qt.
    void ponerVentanaActiva(std::optional<Ventana> ventana);
    void cerrarVentana(std::uint64_t ventana);
    void ponerCompositor(bool hay);
    // Las ventanas preparadas como flotantes, y cuántas veces se pidió activar cada una.
    std::set<std::uint64_t> flotantes();
    int activaciones(std::uint64_t ventana);
    // El rectángulo desenfocado detrás de cada ventana (x, y, ancho, alto).
    std::map<std::uint64_t, std::array<int, 4>> desenfocadas();

private:
    class ActividadMemoria;
    struct Estado {
        std::mutex cerrojo;
        std::optional<AppEnFrente> enFrente;
        bool confiable = false;
        std::multiset<std::string> actividades;
        std::optional<Ventana> activa;
        std::map<std::uint64_t, std::int64_t> ajenas; // ventana -> pid
        std::set<std::uint64_t> cerradas;
        std::set<std::uint64_t> flotantes;
        std::map<std::uint64_t, int> activaciones;
        std::map<std::uint64_t, std::array<int, 4>> desenfoques;
        bool compositor = false;
        Observador siguiente = 1;
        std::map<Observador, std::function<void()>> observadores;
    };
    void avisar();
    std::shared_ptr<Estado> estado = std::make_shared<Estado>();
};

// Un teclado con distribución y atajos del sistema ajustables. Empieza con la distribución
// estadounidense y sin atajos del sistema; anota cada pulsación de pegar.
class TecladoMemoria : public Teclado {
public:
    TecladoMemoria();

    std::optional<std::string> caracter(int codigo) override;
    std::optional<std::vector<AtajoSistema>> atajosDelSistema() override;
    void pulsarPegar(int codigoV) override;
    // El código nativo de esta plataforma es el propio código de tecla.
    std::optional<int> codigoDeEvento(std::uint32_t nativo) override;

    // Lo que escribe cada código; los que faltan no escriben nada.
    void ponerDistribucion(std::map<int, std::string> distribucion);
    static std::map<int, std::string> distribucionEstadounidense();
    // Nada: la lista no se puede leer.
    void ponerAtajosDelSistema(std::optional<std::vector<AtajoSistema>> atajos);
    // Las teclas de pegar pulsadas, en orden.
    std::vector<int> pulsaciones();

private:
    std::mutex cerrojo;
    std::map<int, std::string> distribucion;
    std::optional<std::vector<AtajoSistema>> atajos = std::vector<AtajoSistema>{};
    std::vector<int> pegados;
};

// Los atajos registrados son del proceso, como en un sistema real: todos los servicios en
// memoria comparten el registro y una combinación solo puede tenerla uno.
class ServicioAtajosMemoria : public ServicioAtajos {
public:
    ~ServicioAtajosMemoria() override;

    Referencia instalarManejador(std::function<void()> alPulsar) override;
    void quitarManejador(Referencia manejador) override;
    std::optional<Referencia> registrar(std::uint32_t codigo, std::uint32_t modificadores,
                                        Referencia manejador) override;
    void retirar(Referencia atajo) override;

    // Lo que haría el usuario: pulsa la combinación en cualquier aplicación. Devuelve si
    // algún manejador la recibió; se llama en el hilo principal, como el sistema.
    static bool pulsar(std::uint32_t codigo, std::uint32_t modificadores);
    // Si la combinación está registrada por alguien del proceso.
    static bool registrada(std::uint32_t codigo, std::uint32_t modificadores);

private:
    std::set<Referencia> propios;
    std::set<Referencia> manejadoresPropios;
};

class PlataformaMemoria : public Plataforma {
public:
    // Sin nombre usa un portapapeles general propio de esta plataforma.
    explicit PlataformaMemoria(std::string nombrePortapapeles = {});

    std::string nombre() const override { return "memoria"; }
    PortapapelesMemoria& general() override { return *portapapeles; }
    EscritorioMemoria& escritorio() override { return escritorioMemoria; }
    TecladoMemoria& teclado() override { return tecladoMemoria; }
    ServicioAtajosMemoria& atajos() override { return servicioAtajos; }

private:
    std::unique_ptr<PortapapelesMemoria> propio;
    PortapapelesMemoria* portapapeles;
    EscritorioMemoria escritorioMemoria;
    TecladoMemoria tecladoMemoria;
    ServicioAtajosMemoria servicioAtajos;
};

} // namespace plataforma::memoria

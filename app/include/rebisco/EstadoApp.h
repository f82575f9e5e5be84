#pragma once

#include "rebisco/AtajoGlobal.h"
#include "rebisco/Entorno.h"
#include "rebisco/LectorAparte.h"
#include "rebisco/Permisos.h"
#include "rebisco/Portapapeles.h"
#include "rebisco/Preferencias.h"

#include <nucleo/Almacen.h>
#include <nucleo/Modelo.h>
#include <plataforma/Plataforma.h>

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

namespace rebisco {

enum class PestanaAjustes { general, historial, privacidad };

using ListaRecortes = std::vector<nucleo::Recorte>;

// El estado de la aplicación: el historial, el vigilante del portapapeles, los
// temporizadores y lo que las vistas observan. Todo ocurre en el hilo principal.
class EstadoApp : public QObject {
    Q_OBJECT
    Q_PROPERTY(rebisco::ListaRecortes recortes READ recortes NOTIFY cambioRecortes)
    Q_PROPERTY(rebisco::ListaRecortes recientes READ recientes NOTIFY cambioRecientes)
    Q_PROPERTY(QString busqueda READ busqueda NOTIFY cambioBusqueda)
    Q_PROPERTY(std::optional<std::int64_t> seleccion READ seleccion WRITE ponerSeleccion NOTIFY
                   cambioSeleccion)
    Q_PROPERTY(qint64 total READ total NOTIFY cambioTotal)
    Q_PROPERTY(qint64 bytesTotales READ bytesTotales NOTIFY cambioBytesTotales)
    Q_PROPERTY(std::optional<QString> aviso READ aviso NOTIFY cambioAviso)
    Q_PROPERTY(std::optional<QString> errorAlmacen READ errorAlmacen NOTIFY cambioErrorAlmacen)
    Q_PROPERTY(bool pausado READ pausado NOTIFY cambioPausado)
    Q_PROPERTY(rebisco::AccesoPortapapeles acceso READ acceso NOTIFY cambioAcceso)
    Q_PROPERTY(bool puedePegar READ puedePegar NOTIFY cambioPuedePegar)
    Q_PROPERTY(QString atajoTexto READ atajoTexto NOTIFY cambioAtajoTexto)
    Q_PROPERTY(std::optional<rebisco::ProblemaAtajo> problemaAtajo READ problemaAtajo NOTIFY
                   cambioProblemaAtajo)
    Q_PROPERTY(bool grabandoAtajo READ grabandoAtajo NOTIFY cambioGrabandoAtajo)
    Q_PROPERTY(std::optional<QString> rechazoAtajo READ rechazoAtajo WRITE ponerRechazoAtajo NOTIFY
                   cambioRechazoAtajo)
    Q_PROPERTY(rebisco::PestanaAjustes pestanaAjustes READ pestanaAjustes WRITE ponerPestanaAjustes
                   NOTIFY cambioPestanaAjustes)

public:
    // Los plazos fijos del programa; las pruebas pueden acortarlos.
    struct Tiempos {
        std::chrono::milliseconds vigilancia = Vigilante::intervalo;
        std::chrono::milliseconds vidaDelAviso{5000};
        std::chrono::milliseconds limpieza{900'000};
        std::chrono::milliseconds pegadoSiEstamosDelante{350};
        std::chrono::milliseconds pegado{120};
        // Cada cuánto se vuelve a intentar abrir un historial que otro programa tiene cerrado.
        std::chrono::milliseconds reintentoAlmacen{5000};
    };

    struct Dependencias {
        plataforma::Plataforma& plataforma;
        plataforma::Portapapeles& portapapeles;
        AlmacenPreferencias& preferencias;
        Entorno entorno;
        std::function<nucleo::Instante()> reloj = [] { return std::chrono::system_clock::now(); };
        Tiempos tiempos = {};
    };

    static constexpr std::int64_t limiteLista = 300;
    static constexpr std::int64_t limiteRecientes = 8;

    explicit EstadoApp(Dependencias dependencias, QObject* padre = nullptr);
    ~EstadoApp() override;

    // La instancia del proceso, sobre la plataforma y las preferencias del proceso.
    static EstadoApp& compartido();

    void iniciar();
    void cerrar();

    // Captura. El vigilante lee cada cambio en otro hilo y lo guarda al volver; esta lo
    // atiende entero aquí mismo, antes de volver.
    void alCambiarPortapapeles();
    void ponerPausa(bool pausa);
    void quitarAviso();

    // El relevo del dueño que se va: solo de lo que se capturó, nunca en pausa.
    bool aceptarEntrega(plataforma::Contenido contenido);
    void alIrseElDueno(plataforma::Contenido contenido);

    // Acciones sobre el historial.
    void recargar(bool conservarSeleccion);
    void buscar(const QString& texto, bool desdeElCampo);
    void moverSeleccion(int paso);
    std::optional<nucleo::Recorte> recorteSeleccionado() const;
    void pegar(const nucleo::Recorte& recorte, bool soloTexto);
    void copiar(const nucleo::Recorte& recorte);
    void eliminar(const nucleo::Recorte& recorte);
    void alternarFijado(const nucleo::Recorte& recorte);
    void borrarHistorial(bool conservarFijados);
    void limpiar();

    // Permisos.
    void actualizarPermisos();

    // El atajo global: la combinación guardada, registrada si se puede.
    void registrarAtajo();
    void cambiarAtajo(std::int64_t codigo, std::int64_t modificadores);
    // Mientras se graba una combinación nueva, el atajo no abre el panel.
    void suspenderAtajo();

    // Lo que instalan el panel y el campo de búsqueda; hasta entonces no hacen nada.
    std::function<void()> alternarPanel = [] {};
    std::function<void()> ocultarPanel = [] {};
    std::function<bool()> appEnPrimerPlano = [] { return false; };
    std::function<void(const QString&)> fijarTextoDelCampo = [](const QString&) {};
    std::function<void()> enfocarCampo = [] {};

    bool registrarEnPruebas = false;

    const ListaRecortes& recortes() const { return recortes_; }
    const ListaRecortes& recientes() const { return recientes_; }
    const QString& busqueda() const { return busqueda_; }
    std::optional<std::int64_t> seleccion() const { return seleccion_; }
    void ponerSeleccion(std::optional<std::int64_t> id);
    qint64 total() const { return total_; }
    qint64 bytesTotales() const { return bytesTotales_; }
    const std::optional<QString>& aviso() const { return aviso_; }
    const std::optional<QString>& errorAlmacen() const { return errorAlmacen_; }
    bool pausado() const { return pausado_; }
    AccesoPortapapeles acceso() const { return acceso_; }
    bool puedePegar() const { return puedePegar_; }
    const QString& atajoTexto() const { return atajoTexto_; }
    std::optional<ProblemaAtajo> problemaAtajo() const { return problemaAtajo_; }
    bool grabandoAtajo() const { return grabandoAtajo_; }
    const std::optional<QString>& rechazoAtajo() const { return rechazoAtajo_; }
    void ponerRechazoAtajo(std::optional<QString> rechazo);
    PestanaAjustes pestanaAjustes() const { return pestanaAjustes_; }
    void ponerPestanaAjustes(PestanaAjustes pestana);

    // Para quien necesite la plataforma o el almacén abierto (vistas, autoprueba).
    plataforma::Plataforma& plataforma() { return dep.plataforma; }
    plataforma::Portapapeles& portapapeles() { return dep.portapapeles; }
    AlmacenPreferencias& preferencias() { return dep.preferencias; }
    const Entorno& entorno() const { return dep.entorno; }
    // El reloj del estado: las edades de las vistas se cuentan desde aquí.
    nucleo::Instante ahora() const { return dep.reloj(); }
    nucleo::Almacen* almacenAbierto() { return almacen.get(); }
    const AtajoGlobal& atajoGlobal() const { return atajo; }

signals:
    void cambioRecortes();
    void cambioRecientes();
    void cambioBusqueda();
    void cambioSeleccion();
    void cambioTotal();
    void cambioBytesTotales();
    void cambioAviso();
    void cambioErrorAlmacen();
    void cambioPausado();
    void cambioAcceso();
    void cambioPuedePegar();
    void cambioAtajoTexto();
    void cambioProblemaAtajo();
    void cambioGrabandoAtajo();
    void cambioRechazoAtajo();
    void cambioPestanaAjustes();

private:
    void abrirAlmacen(bool reintentando);
    // Si el error dice que el archivo está dañado, lo aparta, empieza un historial nuevo y
    // lo cuenta en errorAlmacen; devuelve si lo hizo.
    bool tratarDano(const nucleo::ErrorAlmacen& error);
    void empezarDeNuevo();
    std::filesystem::path rutaAlmacen() const;
    void avisar(const QString& texto);
    void actualizarAcceso();
    bool copiarAlPortapapeles(const nucleo::Recorte& recorte, bool soloTexto);
    // Lo que se decide al atender un cambio: nada si no hay que leerlo (sin historial, en
    // pausa, sin acceso).
    std::optional<Lector::Pedido> pedidoDeLectura();
    void alLeer(Lector::Leido leido);
    // Si el contenido ya está capturado, esperando antes a la lectura en curso.
    bool esperarLectura(plataforma::Contenido contenido);
    void relevar(plataforma::Contenido contenido, int intentos);
    // Lo que ya no está en el historial no se releva ni se sigue sirviendo.
    void olvidarLoBorrado();

    // Solo avisa a los observadores cuando el valor cambia de verdad.
    template <typename T>
    void poner(T& campo, std::type_identity_t<T> valor, void (EstadoApp::*senal)()) {
        if (campo == valor) return;
        campo = std::move(valor);
        emit(this->*senal)();
    }

    Dependencias dep;
    std::unique_ptr<nucleo::Almacen> almacen;
    std::unique_ptr<Vigilante> vigilante;
    std::unique_ptr<LectorAparte> lector;
    QTimer limpieza;
    QTimer reintentoAlmacen;
    bool releyendoTrasDano = false;
    std::unique_ptr<plataforma::Actividad> actividad;
    QTimer borradoDelAviso;
    QTimer pegado;
    AtajoGlobal atajo;

    // El último contenido capturado y su recorte; y el recorte que se sirve tras un relevo,
    // mientras el portapapeles siga en el cambio que dejó la escritura.
    struct Capturado {
        plataforma::Contenido contenido = 0;
        std::int64_t id = 0;
    };
    std::optional<Capturado> capturado;
    struct Servido {
        std::int64_t id = 0;
        std::int64_t cambio = 0;
    };
    std::optional<Servido> servido;

    ListaRecortes recortes_;
    ListaRecortes recientes_;
    QString busqueda_;
    std::optional<std::int64_t> seleccion_;
    qint64 total_ = 0;
    qint64 bytesTotales_ = 0;
    std::optional<QString> aviso_;
    std::optional<QString> errorAlmacen_;
    bool pausado_ = false;
    AccesoPortapapeles acceso_ = AccesoPortapapeles::sinDecidir;
    bool puedePegar_ = false;
    QString atajoTexto_;
    std::optional<ProblemaAtajo> problemaAtajo_;
    bool grabandoAtajo_ = false;
    std::optional<QString> rechazoAtajo_;
    PestanaAjustes pestanaAjustes_ = PestanaAjustes::general;
};

} // namespace rebisco

Q_DECLARE_METATYPE(rebisco::PestanaAjustes)
Q_DECLARE_METATYPE(rebisco::ProblemaAtajo)

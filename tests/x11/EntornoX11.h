#pragma once

// Ayudas de las pruebas de X11: el bucle de Qt, xclip como programa real y un dueño de
// CLIPBOARD hecho con xcb en otro hilo (que contesta, o no contesta nunca).

#include "plataforma/X11.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QProcess>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace pruebas_x11 {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes bytes(std::string_view s);
std::string cadena(const Bytes& b);

// Las pruebas solo tocan el servidor X que les prepara scripts/con-x11.sh.
bool hayPantallaAislada();

// Garantiza que Qt ya procesó todos los eventos X que el servidor generó antes de la
// llamada: manda un mensaje a una ventana de Qt y espera a verlo pasar. Los eventos llegan
// en orden, así que los avisos de cambio de dueño anteriores ya movieron el contador.
class BarreraQt {
public:
    BarreraQt();
    ~BarreraQt();
    BarreraQt(const BarreraQt&) = delete;
    BarreraQt& operator=(const BarreraQt&) = delete;
    bool cruzar();

private:
    struct Estado;
    std::unique_ptr<Estado> estado;
};
bool sincronizarConQt();

// El dueño de CLIPBOARD según el servidor, preguntado por una conexión de las pruebas.
xcb_window_t duenoActual();

// Espera a que el servidor dé CLIPBOARD a alguien distinto de antes (o a nadie, si se pide)
// y luego a que Qt lo haya visto.
bool esperarDueno(const std::function<bool(xcb_window_t)>& condicion);

// Procesa eventos de Qt hasta que se cumpla la condición; false si pasó el plazo.
bool procesarHasta(const std::function<bool()>& condicion, std::chrono::milliseconds plazo = 5s);

// Una base para las pruebas que necesitan el servidor X.
class ConPantalla : public testing::Test {
protected:
    void SetUp() override;
    std::unique_ptr<plataforma::Plataforma> plataforma;
};

template <typename T>
class ConPantallaYParametro : public ConPantalla, public testing::WithParamInterface<T> {};

class CarpetaTemporal {
public:
    CarpetaTemporal();
    ~CarpetaTemporal();
    const std::filesystem::path& ruta() const { return raiz; }
    std::filesystem::path escribir(const std::string& nombre, const Bytes& datos) const;

private:
    std::filesystem::path raiz;
};

// xclip en primer plano ofreciendo unos bytes con un destino, hasta que se destruye.
class CopiaXclip {
public:
    CopiaXclip(const std::string& destino, const Bytes& datos);
    ~CopiaXclip();
    // Termina xclip y, si aún era el dueño, espera a que Qt vea que ya no lo es.
    void terminar();

    xcb_window_t ventana = XCB_NONE;

private:
    CarpetaTemporal carpeta;
    QProcess proceso;
};

// Copia con xclip y espera a que xclip sea el dueño y Qt lo haya visto.
std::unique_ptr<CopiaXclip> copiarConXclip(plataforma::Portapapeles& p, const std::string& destino,
                                           const Bytes& datos);

// Lo que lee xclip -o para un destino; el bucle de Qt sigue vivo mientras tanto, para que
// este mismo proceso pueda servir la petición. Ausente si xclip falla.
std::optional<Bytes> leerConXclip(const std::string& destino);

// Un programa cualquiera (xdotool...), con el bucle de Qt vivo; su estado de salida.
int ejecutar(const QString& programa, const QStringList& argumentos,
             std::chrono::milliseconds plazo = 10s);

// Otra aplicación X con un campo de texto (CampoDeTexto.cpp), y lo que contiene.
class CampoAjeno {
public:
    explicit CampoAjeno(const QString& programa);
    ~CampoAjeno();
    CampoAjeno(const CampoAjeno&) = delete;
    CampoAjeno& operator=(const CampoAjeno&) = delete;

    // El campo tiene el foco en la ventana activa.
    bool listo();
    std::string texto();
    bool esperarTexto(const std::string& esperado, std::chrono::milliseconds plazo = 5s);
    std::int64_t pid() const { return proceso.processId(); }

private:
    void leer();

    QProcess proceso;
    bool preparado = false;
    std::string contenido;
};

// El dueño de una selección cualquiera según el servidor.
xcb_window_t duenoDe(const std::string& seleccion);

// Lo que hace una aplicación que sale: pide al gestor (CLIPBOARD_MANAGER) que guarde CLIPBOARD
// y espera, con el bucle de Qt vivo, su respuesta: true si aceptó, false si lo rechazó,
// ausente si no contestó nadie.
std::optional<bool> pedirGuardar(std::chrono::milliseconds plazo = 5s);

// Una aplicación Qt (CopiaYSale.cpp) que copia y, cuando se le pide, sale normalmente.
class AppQueCopia {
public:
    AppQueCopia(const QString& programa, const QStringList& argumentos);
    ~AppQueCopia();
    AppQueCopia(const AppQueCopia&) = delete;
    AppQueCopia& operator=(const AppQueCopia&) = delete;

    // Ya es el dueño de CLIPBOARD y Qt lo sabe.
    bool copiado();
    // Sale y espera, con el bucle de Qt vivo, a que termine; su estado de salida.
    int salir();
    xcb_window_t ventana = XCB_NONE;

private:
    QProcess proceso;
};

// Otro gestor del portapapeles: tiene CLIPBOARD_MANAGER y no contesta a nada.
class OtroGestor {
public:
    OtroGestor();
    ~OtroGestor();
    OtroGestor(const OtroGestor&) = delete;
    OtroGestor& operator=(const OtroGestor&) = delete;
    xcb_window_t ventana = XCB_NONE;

private:
    xcb_connection_t* conexion = nullptr;
};

// Un dueño de CLIPBOARD con su propia conexión: ofrece destinos y anota lo que le piden.
class DuenoXcb {
public:
    struct Oferta {
        std::string destino;
        std::optional<Bytes> datos;           // sin datos: contesta que no puede convertir
        std::string tipo = {};                // tipo declarado; vacío: el destino mismo
        std::chrono::milliseconds retraso{0}; // lo que tarda en contestar (o en cada trozo)
        std::size_t trozos = 0;               // más de cero: por INCR, en tantos trozos
    };
    enum class Modo {
        atento,       // contesta todo
        soloDestinos, // contesta TARGETS y luego calla
        mudo,         // toma la selección y no procesa nada
        enEspera,     // atiende, pero no toma la selección hasta tomar()
    };

    // Al construirse ya es el dueño y Qt ya lo sabe (salvo enEspera); al destruirse, lo
    // mismo al revés. antesDeDestinos corre en su hilo al pedirle TARGETS, antes de contestar.
    explicit DuenoXcb(std::vector<Oferta> ofertas, Modo modo = Modo::atento,
                      std::function<void()> antesDeDestinos = {});
    ~DuenoXcb();

    // Toma la selección desde cualquier hilo; al volver, el servidor ya la ha cambiado.
    void tomar();

    // Los destinos pedidos, en orden.
    std::vector<std::string> pedidos();

private:
    void atender();
    xcb_atom_t atomo(const std::string& nombre);
    std::string nombre(xcb_atom_t a);

    std::vector<Oferta> ofertas;
    Modo modo;
    std::function<void()> antesDeDestinos;
    xcb_connection_t* conexion = nullptr;
    xcb_window_t ventana = XCB_NONE;
    std::thread hilo;
    std::atomic<bool> parar{false};
    std::mutex cerrojo;
    std::vector<std::string> pedidosHechos;
};

} // namespace pruebas_x11

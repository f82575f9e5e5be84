#include "rebisco/Portapapeles.h"
#include "rebisco/Teclas.h"

#include <nucleo/Captura.h>

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <algorithm>

namespace rebisco {

namespace TipoDato = nucleo::TipoDato;

Vigilante::Vigilante(plataforma::Portapapeles& portapapeles, std::function<void()> alCambiar,
                     QObject* padre)
    : QObject(padre)
    , portapapeles(portapapeles)
    , alCambiar(std::move(alCambiar))
    , ultimoCambio(portapapeles.contadorCambios()) {
    // Un temporizador grueso deja al sistema juntar el despertar con otros.
    temporizador.setTimerType(Qt::CoarseTimer);
    connect(&temporizador, &QTimer::timeout, this, &Vigilante::tic);
}

Vigilante::~Vigilante() {
    detener();
}

void Vigilante::iniciar(std::chrono::milliseconds cada) {
    activo_ = true;
    conAvisos = portapapeles.avisaCambios();
    if (!conAvisos) {
        temporizador.start(cada);
        return;
    }
    QPointer<Vigilante> yo = this;
    portapapeles.alCambiar([yo] {
        // Cola: el aviso puede llegar dentro de una escritura nuestra, que aún no ha dicho
        // que ese cambio es suyo.
        if (yo) QMetaObject::invokeMethod(yo, &Vigilante::tic, Qt::QueuedConnection);
    });
}

void Vigilante::detener() {
    activo_ = false;
    temporizador.stop();
    if (conAvisos) portapapeles.alCambiar({});
    conAvisos = false;
}

void Vigilante::ignorarCambioActual() {
    ultimoCambio = portapapeles.contadorCambios();
}

void Vigilante::revisar(const std::function<void()>& alCambiarAhora) {
    auto cambio = portapapeles.contadorCambios();
    if (!activo_ || cambio == ultimoCambio) return;
    ultimoCambio = cambio;
    alCambiarAhora();
}

void Vigilante::tic() {
    Q_ASSERT(QThread::currentThread() == thread());
    if (!activo_) return;
    auto cambio = portapapeles.contadorCambios();
    if (cambio == ultimoCambio) return;
    ultimoCambio = cambio;
    alCambiar();
}

namespace Lector {

std::set<std::string> tipos(plataforma::Portapapeles& portapapeles) {
    auto lista = portapapeles.tipos();
    if (!lista) return {};
    return {lista->begin(), lista->end()};
}

nucleo::LecturaPortapapeles leer(plataforma::Portapapeles& portapapeles,
                                 const std::set<std::string>& tipos, bool guardarImagenes) {
    nucleo::LecturaPortapapeles lectura{.tipos = tipos};
    if (auto archivos = portapapeles.archivos()) {
        for (const auto& ruta : *archivos)
            lectura.rutas.push_back(ruta.string());
    }
    if (!lectura.rutas.empty()) return lectura;

    if (auto texto = portapapeles.texto())
        lectura.datos[std::string(TipoDato::texto)] = nucleo::Bytes(texto->begin(), texto->end());
    for (auto tipo : {TipoDato::rtf, TipoDato::html}) {
        if (auto datos = portapapeles.datos(tipo))
            lectura.datos[std::string(tipo)] = std::move(*datos);
    }
    if (guardarImagenes) {
        if (auto png = portapapeles.datos(TipoDato::png))
            lectura.datos[std::string(TipoDato::png)] = std::move(*png);
        else if (auto tiff = portapapeles.datos(TipoDato::tiff))
            lectura.datos[std::string(TipoDato::tiff)] = std::move(*tiff);
    }
    return lectura;
}

Leido leerEInterpretar(plataforma::Portapapeles& portapapeles, const Pedido& pedido) {
    // Un hilo que vuelve a mirar: lo que vio antes ya no ata a sus lecturas.
    portapapeles.contadorCambios();
    const auto lista = tipos(portapapeles);
    Leido leido{.contenido = portapapeles.contenidoConsultado()};
    if (nucleo::Captura::motivoParaNoLeer(lista, pedido.appId, pedido.opciones)) return leido;
    auto lectura = leer(portapapeles, lista, pedido.opciones.guardarImagenes);
    lectura.appId = pedido.appId;
    lectura.appNombre = pedido.appNombre;
    leido.resultado = nucleo::Captura::interpretar(lectura, pedido.opciones);
    return leido;
}

} // namespace Lector

namespace Pegador {

namespace {

bool escribirArchivos(const nucleo::Bytes& datos, bool soloTexto,
                      plataforma::Portapapeles& portapapeles) {
    // Las secuencias inválidas pasan a U+FFFD.
    auto texto = QString::fromUtf8(reinterpret_cast<const char*>(datos.data()),
                                   static_cast<qsizetype>(datos.size()))
                     .toStdString();
    portapapeles.vaciar();
    if (soloTexto) return portapapeles.escribirTexto(texto);
    std::vector<std::filesystem::path> rutas;
    std::size_t inicio = 0;
    while (inicio <= texto.size()) {
        auto fin = std::min(texto.find('\n', inicio), texto.size());
        if (fin > inicio) rutas.emplace_back(texto.substr(inicio, fin - inicio));
        inicio = fin + 1;
    }
    return portapapeles.escribirArchivos(rutas);
}

} // namespace

bool escribir(const std::vector<nucleo::Representacion>& representaciones, bool soloTexto,
              plataforma::Portapapeles& portapapeles) {
    auto archivos = std::find_if(representaciones.begin(), representaciones.end(),
                                 [](const auto& r) { return r.tipo == TipoDato::rutas; });
    if (archivos != representaciones.end())
        return escribirArchivos(archivos->datos, soloTexto, portapapeles);

    bool tieneTexto = std::any_of(representaciones.begin(), representaciones.end(),
                                  [](const auto& r) { return r.tipo == TipoDato::texto; });
    std::vector<plataforma::Pieza> elemento;
    for (const auto& r : representaciones) {
        if (soloTexto && tieneTexto && r.tipo != TipoDato::texto) continue;
        if (!portapapeles.aceptaTipo(r.tipo)) continue;
        elemento.push_back({r.tipo, r.datos});
    }
    if (elemento.empty()) return false;
    portapapeles.vaciar();
    return portapapeles.escribirPiezas(elemento);
}

bool puedePegar(const Entorno& entorno, plataforma::Escritorio& escritorio) {
    return !entorno.esPrueba() && escritorio.confiable();
}

void pulsarComandoV(plataforma::Teclado& teclado) {
    int codigoV = 9;
    for (std::uint16_t codigo = 0; codigo <= 127; ++codigo) {
        if (Teclas::caracter(teclado, codigo) == QStringLiteral("v")) {
            codigoV = codigo;
            break;
        }
    }
    teclado.pulsarPegar(codigoV);
}

QString nombreDeLaApp() {
    return QStringLiteral("rebisco");
}

} // namespace Pegador

} // namespace rebisco

// Copias de verdad bajo X (xclip) hacia el estado de la aplicación sobre un historial grande:
// cuánto tarda cada copia en quedar guardada, cuántas de una ráfaga se guardan, si se guarda la
// de un dueño que vive 50 ms, y cuánto se queda el hilo principal sin atender eventos mientras
// se capturan contenidos grandes. Imprime medianas clave=valor; nunca falla por un tiempo.
//
//   scripts/con-x11.sh build/release/bench/bench_copias [recortes]
#include "Datos.h"

#include <rebisco/EstadoApp.h>
#include <rebisco/Proceso.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Reloj = std::chrono::steady_clock;

double ms(Reloj::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double percentil(std::vector<double> v, double p) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

void clave(const char* nombre, double valor) {
    std::printf("%s=%.2f\n", nombre, valor);
    std::fflush(stdout);
}

// Procesa eventos hasta que se cumpla la condición o pase el plazo.
template <class F> bool hasta(F condicion, std::chrono::milliseconds plazo) {
    const auto fin = Reloj::now() + plazo;
    while (!condicion()) {
        if (Reloj::now() > fin) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void esperar(std::chrono::milliseconds plazo) {
    hasta([] { return false; }, plazo);
}

// El latido del hilo principal: un temporizador de 1 ms que anota el mayor hueco entre dos
// vueltas del bucle de eventos.
class Latido {
public:
    Latido() {
        temporizador.setTimerType(Qt::PreciseTimer);
        QObject::connect(&temporizador, &QTimer::timeout, [this] {
            const auto ahora = Reloj::now();
            maximo = std::max(maximo, ahora - anterior);
            anterior = ahora;
        });
    }
    void empezar() {
        maximo = {};
        anterior = Reloj::now();
        temporizador.start(1);
    }
    double parar() {
        temporizador.stop();
        return ms(maximo);
    }

private:
    QTimer temporizador;
    Reloj::time_point anterior;
    Reloj::duration maximo{};
};

// Dueños del portapapeles: un xclip por copia, que sirve hasta que otro toma la selección.
class Duenos {
public:
    ~Duenos() {
        for (auto& p : vivos) {
            p->kill();
            p->waitForFinished(2000);
        }
    }
    QProcess& copiar(const QByteArray& datos, const QString& tipo = {}) {
        auto p = std::make_unique<QProcess>();
        p->setStandardOutputFile(QProcess::nullDevice());
        p->setStandardErrorFile(QProcess::nullDevice());
        QStringList argumentos{"-selection", "clipboard", "-quiet", "-i"};
        if (!tipo.isEmpty()) argumentos += {"-t", tipo};
        p->start("xclip", argumentos);
        p->waitForStarted(5000);
        p->write(datos);
        p->closeWriteChannel();
        vivos.push_back(std::move(p));
        // Los que ya perdieron la selección han salido: se recogen.
        while (vivos.size() > 1 && vivos.front()->state() == QProcess::NotRunning)
            vivos.pop_front();
        return *vivos.back();
    }

private:
    std::deque<std::unique_ptr<QProcess>> vivos;
};

class Banco {
public:
    explicit Banco(std::int64_t recortes) {
        if (!carpeta.isValid()) throw std::runtime_error("sin carpeta temporal");
        const std::filesystem::path ruta = carpeta.path().toStdString();
        nucleo::Almacen::copiarBase(medicion::historial(recortes), ruta / "historial.sqlite");
        plataforma = rebisco::Proceso::crearPlataforma();
        preferencias.registrar(rebisco::Preferencias::registrados());
        preferencias.set(rebisco::Preferencias::maximoRecortes, 200000);
        estado = std::make_unique<rebisco::EstadoApp>(rebisco::EstadoApp::Dependencias{
            .plataforma = *plataforma,
            .portapapeles = plataforma->general(),
            .preferencias = preferencias,
            .entorno =
                rebisco::Entorno{.modo = rebisco::ModoEjecucion::ensayo, .carpetaDatos = ruta},
        });
        QObject::connect(estado.get(), &rebisco::EstadoApp::cambioRecientes, [this] {
            if (estado->recientes().empty()) return;
            const auto& r = estado->recientes().front();
            ultimo = r.clase == nucleo::ClaseRecorte::imagen ? QStringLiteral("Imagen")
                                                             : QString::fromStdString(r.vista);
            ++avisos;
        });
        estado->iniciar();
        esperar(std::chrono::milliseconds(1000));
    }
    ~Banco() {
        estado->cerrar();
        estado.reset();
    }

    // Si lo más nuevo del historial empieza por la marca.
    bool guardada(const QString& marca) const { return ultimo.startsWith(marca); }

    // Copia y espera a verla guardada; el tiempo desde que el dueño arrancó, o -1.
    double copiarYEsperar(const QString& marca, const QByteArray& datos,
                          std::chrono::milliseconds plazo, const QString& tipo = {}) {
        const auto inicio = Reloj::now();
        duenos.copiar(datos, tipo);
        if (!hasta([&] { return guardada(marca); }, plazo)) return -1;
        return ms(Reloj::now() - inicio);
    }

    rebisco::EstadoApp& app() { return *estado; }
    Duenos duenos;
    std::int64_t avisos = 0;

private:
    QTemporaryDir carpeta;
    std::unique_ptr<plataforma::Plataforma> plataforma;
    rebisco::PreferenciasEnMemoria preferencias;
    std::unique_ptr<rebisco::EstadoApp> estado;
    QString ultimo;
};

QByteArray textoDe(const QString& marca, std::size_t largo, std::mt19937_64& azar) {
    auto cuerpo = marca.toStdString() + " " + medicion::textoRealista(azar, largo);
    cuerpo.resize(largo);
    return QByteArray::fromStdString(cuerpo);
}

// Cuántas copias de una ráfaga de `n`, a `cada` una de otra, quedan guardadas.
int rafaga(Banco& banco, int n, std::chrono::milliseconds cada, const char* prefijo,
           std::mt19937_64& azar) {
    std::vector<QString> marcas;
    std::set<QString> vistas;
    auto conexion = QObject::connect(&banco.app(), &rebisco::EstadoApp::cambioRecientes, [&] {
        for (const auto& r : banco.app().recientes())
            vistas.insert(QString::fromStdString(r.vista).section(' ', 0, 0));
    });
    for (int i = 0; i < n; ++i) {
        marcas.push_back(QStringLiteral("%1-%2").arg(prefijo).arg(i));
        banco.duenos.copiar(textoDe(marcas.back(), 200, azar));
        esperar(cada);
    }
    esperar(std::chrono::milliseconds(1500));
    QObject::disconnect(conexion);
    return static_cast<int>(std::count_if(marcas.begin(), marcas.end(),
                                          [&](const QString& m) { return vistas.contains(m); }));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication aplicacion(argc, argv);
    const std::int64_t recortes = argc > 1 ? std::stoll(argv[1]) : 100'000;
    std::mt19937_64 azar(7);
    try {
        Banco banco(recortes);
        clave("recortes", static_cast<double>(banco.app().total()));

        // Copia a guardado, 1 KB de texto, a un ritmo tranquilo.
        std::vector<double> retrasos;
        int perdidas = 0;
        for (int i = 0; i < 40; ++i) {
            const auto marca = QStringLiteral("retraso-%1").arg(i);
            const double t = banco.copiarYEsperar(marca, textoDe(marca, 1024, azar),
                                                  std::chrono::milliseconds(3000));
            if (t < 0)
                ++perdidas;
            else
                retrasos.push_back(t);
            esperar(std::chrono::milliseconds(300));
        }
        clave("retraso_1kb_mediana_ms", percentil(retrasos, 0.5));
        clave("retraso_1kb_p95_ms", percentil(retrasos, 0.95));
        clave("retraso_1kb_perdidas", perdidas);

        clave("rafaga_100_cada_100ms_guardadas",
              rafaga(banco, 100, std::chrono::milliseconds(100), "rafaga100", azar));
        clave("rafaga_100_cada_20ms_guardadas",
              rafaga(banco, 100, std::chrono::milliseconds(20), "rafaga20", azar));

        // Dueños que viven 50 ms.
        int breves = 0;
        for (int i = 0; i < 20; ++i) {
            const auto marca = QStringLiteral("breve-%1").arg(i);
            auto& dueno = banco.duenos.copiar(textoDe(marca, 200, azar));
            esperar(std::chrono::milliseconds(50));
            dueno.kill();
            esperar(std::chrono::milliseconds(1200));
            breves += banco.guardada(marca);
        }
        clave("dueno_50ms_guardadas_de_20", breves);

        // Contenidos grandes: el mayor hueco del bucle de eventos mientras se capturan.
        Latido latido;
        struct Grande {
            const char* nombre;
            QByteArray datos;
            QString tipo;
            QString marca;
        };
        std::vector<Grande> grandes;
        grandes.push_back(
            {"texto_10mib", textoDe("grande-texto", 10u << 20, azar), {}, "grande-texto"});
        {
            QImage imagen(3840, 2160, QImage::Format_RGB32);
            auto* generador = QRandomGenerator::global();
            for (int y = 0; y < imagen.height(); ++y) {
                auto* fila = reinterpret_cast<QRgb*>(imagen.scanLine(y));
                for (int x = 0; x < imagen.width(); ++x)
                    fila[x] = (x / 64 + y / 64) % 3 ? qRgb(x % 256, y % 256, 120)
                                                    : generador->generate() | 0xff000000u;
            }
            QByteArray png;
            QBuffer salida(&png);
            salida.open(QIODevice::WriteOnly);
            imagen.save(&salida, "PNG");
            grandes.push_back({"png_4k", png, "image/png", "Imagen"});
        }
        grandes.push_back(
            {"incr_300mb", textoDe("grande-incr", 300u << 20, azar), {}, "grande-incr"});
        for (const auto& g : grandes) {
            const auto antes = banco.avisos;
            latido.empezar();
            const auto inicio = Reloj::now();
            banco.duenos.copiar(g.datos, g.tipo);
            hasta([&] { return banco.avisos != antes && banco.guardada(g.marca); },
                  std::chrono::milliseconds(20000));
            const bool guardado = banco.avisos != antes && banco.guardada(g.marca);
            const double retraso = ms(Reloj::now() - inicio);
            esperar(std::chrono::milliseconds(300));
            clave((std::string(g.nombre) + "_hueco_max_ms").c_str(), latido.parar());
            clave((std::string(g.nombre) + "_guardado").c_str(), guardado);
            if (guardado) clave((std::string(g.nombre) + "_retraso_ms").c_str(), retraso);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_copias: %s\n", error.what());
        return 1;
    }
    return 0;
}

#include "HistorialPanel.h"

#include "Datos.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace medicion_panel {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct App {
    const char* id;
    const char* nombre;
    QColor color;
};

// La última no tiene entrada de escritorio: su icono no se encuentra nunca.
const App apps[] = {
    {"org.gnome.TextEditor", "Editor de texto", QColor(53, 132, 228)},
    {"org.mozilla.firefox", "Firefox", QColor(230, 97, 0)},
    {"org.gnome.Nautilus", "Archivos", QColor(90, 100, 115)},
    {"org.gnome.Terminal", "Terminal", QColor(46, 52, 54)},
    {"org.gimp.GIMP", "GIMP", QColor(120, 110, 100)},
    {"com.ejemplo.SinEntrada", "Sin entrada", QColor()},
};

void entradaDeEscritorio(const fs::path& datos, const App& app) {
    if (!app.color.isValid()) return;
    fs::create_directories(datos / "applications");
    const auto png = datos / (std::string(app.id) + ".png");
    QImage icono(64, 64, QImage::Format_ARGB32);
    icono.fill(Qt::transparent);
    {
        QPainter p(&icono);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(app.color);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(4, 4, 56, 56), 14, 14);
    }
    icono.save(QString::fromStdString(png.string()));
    std::ofstream(datos / "applications" / (std::string(app.id) + ".desktop"))
        << "[Desktop Entry]\nType=Application\nName=" << app.nombre << "\nIcon=" << png.string()
        << "\nExec=true\n";
}

// Una captura de pantalla distinta en cada llamada, como PNG.
nucleo::Bytes pngDistinto(const nucleo::ImagenRGBA& base, int numero) {
    QImage imagen(base.pixeles.data(), static_cast<int>(base.ancho), static_cast<int>(base.alto),
                  QImage::Format_RGBA8888);
    QImage copia = imagen.copy();
    {
        QPainter p(&copia);
        p.fillRect(80 + numero * 20, 130, 18, 300, QColor::fromHsv(numero * 37 % 360, 200, 220));
    }
    QByteArray datos;
    {
        QBuffer buffer(&datos);
        buffer.open(QIODevice::WriteOnly);
        copia.save(&buffer, "PNG");
    }
    return nucleo::Bytes(datos.begin(), datos.end());
}

nucleo::LecturaPortapapeles lecturaDe(const App& app) {
    nucleo::LecturaPortapapeles l;
    l.appId = app.id;
    l.appNombre = app.nombre;
    return l;
}

} // namespace

Recientes prepararHistorial(const fs::path& carpeta, const fs::path& datos, std::int64_t base) {
    for (const auto& app : apps)
        entradaDeEscritorio(datos, app);
    const auto ruta = carpeta / "historial.sqlite";
    nucleo::Almacen::copiarBase(medicion::historial(base), ruta);
    nucleo::Almacen almacen(ruta);

    std::mt19937_64 azar(4242);
    const auto captura = medicion::capturaDePantalla(1280, 720);
    const auto ahora = std::chrono::system_clock::now();
    Recientes cuenta;
    for (int i = 0; i < 300; ++i) {
        const App& app = apps[static_cast<std::size_t>(i) % std::size(apps)];
        auto lectura = lecturaDe(app);
        const auto texto = [&](nucleo::LecturaPortapapeles& l, const std::string& t) {
            l.tipos = {std::string(nucleo::TipoDato::texto)};
            l.datos[std::string(nucleo::TipoDato::texto)] = nucleo::Bytes(t.begin(), t.end());
        };
        int* clase = &cuenta.textos;
        switch (i % 10) {
        case 0:
            lectura.tipos = {std::string(nucleo::TipoDato::png)};
            lectura.datos[std::string(nucleo::TipoDato::png)] = pngDistinto(captura, i / 10);
            clase = &cuenta.imagenes;
            break;
        case 3:
            texto(lectura, "https://es.wikipedia.org/wiki/Portapapeles?rev=" + std::to_string(i));
            clase = &cuenta.enlaces;
            break;
        case 6:
            lectura.tipos = {std::string(nucleo::TipoDato::rutas)};
            lectura.rutas = {"/home/ana/Documentos/informe-" + std::to_string(i) + ".pdf",
                             "/home/ana/Documentos/presupuesto-" + std::to_string(i) + ".ods"};
            clase = &cuenta.archivos;
            break;
        default: {
            std::uniform_int_distribution<std::size_t> largo(20, 3000);
            texto(lectura, medicion::textoRealista(azar, largo(azar)));
        }
        }
        auto resultado = nucleo::Captura::interpretar(lectura, medicion::opcionesCaptura());
        const auto* recorte = std::get_if<nucleo::RecorteNuevo>(&resultado);
        if (!recorte) throw std::runtime_error("un reciente no produjo recorte");
        const auto guardado = almacen.guardar(*recorte, ahora - (300 - i) * 60s);
        if (guardado.repetido) throw std::runtime_error("un reciente salió repetido");
        ++*clase;
        if (i % 60 == 7) {
            almacen.fijar(guardado.id, true);
            ++cuenta.fijados;
        }
    }
    return cuenta;
}

} // namespace medicion_panel

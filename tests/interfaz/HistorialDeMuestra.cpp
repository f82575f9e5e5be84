#include "HistorialDeMuestra.h"

#include <QBuffer>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <fstream>

namespace pruebas {

using nucleo::ClaseRecorte;

nucleo::Bytes comoPng(const QImage& imagen) {
    QByteArray datos;
    QBuffer buffer(&datos);
    buffer.open(QIODevice::WriteOnly);
    imagen.save(&buffer, "PNG");
    return nucleo::Bytes(datos.begin(), datos.end());
}

std::int64_t guardar(Banco& banco, const Muestra& m, std::chrono::seconds antes) {
    static int serie = 0;
    nucleo::RecorteNuevo r;
    r.clase = m.clase;
    r.vista = m.vista;
    r.textoBusqueda = m.vista.substr(0, 20000);
    r.huella = "muestra-" + std::to_string(++serie) + "-" + m.vista.substr(0, 40);
    std::string contenido = m.vista + std::string(static_cast<std::size_t>(m.relleno), ' ');
    r.representaciones = {{std::string(nucleo::TipoDato::texto), bytes(contenido)}};
    r.miniatura = m.miniatura;
    r.appId = m.appId;
    r.appNombre = m.appNombre;
    banco.ahora += std::chrono::seconds(1);
    const auto id = banco.estado->almacenAbierto()->guardar(r, banco.ahora - antes).id;
    banco.estado->recargar(true);
    return id;
}

namespace {

QImage paisaje() {
    QImage imagen(320, 180, QImage::Format_ARGB32);
    QPainter p(&imagen);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient cielo(0, 0, 0, 180);
    cielo.setColorAt(0, QColor(255, 170, 110));
    cielo.setColorAt(0.6, QColor(250, 110, 120));
    cielo.setColorAt(1, QColor(120, 80, 160));
    p.fillRect(imagen.rect(), cielo);
    p.setBrush(QColor(255, 230, 150));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(220, 100), 30, 30);
    QPainterPath montes;
    montes.moveTo(0, 180);
    montes.lineTo(0, 120);
    montes.cubicTo(60, 90, 110, 140, 170, 115);
    montes.cubicTo(230, 90, 280, 130, 320, 110);
    montes.lineTo(320, 180);
    p.setBrush(QColor(60, 40, 90));
    p.drawPath(montes);
    return imagen;
}

// Un icono de app sencillo: un cuadrado redondeado de color con una letra.
void icono(const std::filesystem::path& ruta, QColor color, const QString& letra) {
    QImage imagen(64, 64, QImage::Format_ARGB32);
    imagen.fill(Qt::transparent);
    QPainter p(&imagen);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0, color.lighter(125));
    g.setColorAt(1, color);
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(4, 4, 56, 56), 14, 14);
    QFont f = p.font();
    f.setPixelSize(34);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(4, 4, 56, 56), Qt::AlignCenter, letra);
    p.end();
    imagen.save(QString::fromStdString(ruta.string()));
}

void entrada(const std::filesystem::path& datos, const std::string& id, const std::string& nombre,
             QColor color, const QString& letra) {
    const auto carpeta = datos / "applications";
    std::filesystem::create_directories(carpeta);
    const auto png = datos / (id + ".png");
    icono(png, color, letra);
    std::ofstream(carpeta / (id + ".desktop"))
        << "[Desktop Entry]\nType=Application\nName=" << nombre << "\nIcon=" << png.string()
        << "\nExec=true\n";
}

} // namespace

void llenarDeMuestra(Banco& banco, const std::optional<std::filesystem::path>& iconos) {
    if (iconos) {
        entrada(*iconos, "org.gnome.TextEditor", "Editor de texto", QColor(53, 132, 228), "T");
        entrada(*iconos, "org.mozilla.firefox", "Firefox", QColor(230, 97, 0), "F");
        entrada(*iconos, "org.gnome.Nautilus", "Archivos", QColor(90, 100, 115), "A");
        entrada(*iconos, "org.gnome.Terminal", "Terminal", QColor(46, 52, 54), ">");
        entrada(*iconos, "org.gimp.GIMP", "GIMP", QColor(120, 110, 100), "G");
    }
    using namespace std::chrono_literals;
    const auto editor = std::make_optional<std::string>("org.gnome.TextEditor");
    const auto nombreEditor = std::make_optional<std::string>("Editor de texto");
    guardar(
        banco,
        {.vista = "IBAN ES91 2100 0418 4502 0005 1332", .appId = editor, .appNombre = nombreEditor},
        9 * 86400s);
    guardar(banco,
            {.vista = "ana.garcia@estudio-norte.es",
             .appId = "org.mozilla.firefox",
             .appNombre = "Firefox"},
            3 * 86400s);
    guardar(banco,
            {.vista = "git log --oneline --graph --decorate -20",
             .appId = "org.gnome.Terminal",
             .appNombre = "Terminal"},
            2 * 86400s);
    guardar(banco, {.vista = "Número de pedido 4471-2209-BX", .appId = "com.ejemplo.Desconocida"},
            26 * 3600s);
    guardar(banco,
            {.clase = ClaseRecorte::archivos,
             .vista = "informe-trimestral.pdf, presupuesto-2027.ods",
             .appId = "org.gnome.Nautilus",
             .appNombre = "Archivos",
             .relleno = 1'480'000},
            5 * 3600s);
    guardar(banco,
            {.vista = "Hola, equipo:\n\nOs paso el resumen de la reunión de ayer. Hemos "
                      "decidido adelantar la entrega del prototipo al día 14 y dejar la "
                      "revisión de accesibilidad para la semana siguiente.\n\nUn saludo,\nAna",
             .appId = editor,
             .appNombre = nombreEditor,
             .relleno = 600},
            3 * 3600s);
    guardar(banco,
            {.clase = ClaseRecorte::imagen,
             .vista = "1280 × 720",
             .appId = "org.gimp.GIMP",
             .appNombre = "GIMP",
             .miniatura = comoPng(paisaje()),
             .relleno = 845'000},
            47 * 60s);
    guardar(banco,
            {.clase = ClaseRecorte::enlace,
             .vista = "https://es.wikipedia.org/wiki/Portapapeles_(inform%C3%A1tica)",
             .appId = "org.mozilla.firefox",
             .appNombre = "Firefox"},
            12 * 60s);
    guardar(banco,
            {.vista = "Reunión con el equipo de diseño a las 16:30 en la sala Tramontana",
             .appId = editor,
             .appNombre = nombreEditor},
            20s);
    // Los dos primeros, fijados.
    for (const auto& r : banco.estado->recortes())
        if (r.vista.starts_with("IBAN") || r.vista.starts_with("ana."))
            banco.estado->almacenAbierto()->fijar(r.id, true);
    banco.estado->recargar(false);
}

} // namespace pruebas

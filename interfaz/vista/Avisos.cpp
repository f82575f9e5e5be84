#include "vista/Avisos.h"

#include "vista/Estilo.h"
#include "vista/IconoSimbolo.h"

#include "panel/ControlPanel.h"

#include <rebisco/EstadoApp.h>
#include <rebisco/Textos.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace rebisco {

std::vector<Aviso> avisosDe(EstadoApp& estado, ControlPanel& control) {
    std::vector<Aviso> avisos;
    if (const auto& error = estado.errorAlmacen())
        avisos.push_back({QStringLiteral("almacen"), *error, std::nullopt, {}});
    if (estado.acceso() == AccesoPortapapeles::denegado)
        avisos.push_back({QStringLiteral("acceso"),
                          localizable("El sistema no deja a rebisco leer el portapapeles, así que "
                                      "no se guarda nada nuevo."),
                          std::nullopt,
                          {}});
    else if (estado.acceso() == AccesoPortapapeles::preguntar)
        avisos.push_back(
            {QStringLiteral("acceso"),
             localizable("El sistema pide confirmar cada lectura del portapapeles, así que rebisco "
                         "dejó de guardar. En Privacidad y seguridad, permite siempre el acceso de "
                         "rebisco al portapapeles."),
             std::nullopt,
             {}});
    if (estado.preferencias().boolean(Preferencias::pegarAlElegir) && !estado.puedePegar() &&
        !estado.entorno().esPrueba())
        avisos.push_back({QStringLiteral("pegar"),
                          localizable("Para pegar directo en la app activa, rebisco necesita la "
                                      "extensión XTest del servidor gráfico. Mientras tanto, solo "
                                      "copia."),
                          std::nullopt,
                          {}});
    if (const auto problema = estado.problemaAtajo()) {
        const QString texto =
            *problema == ProblemaAtajo::deMacOS
                ? localizable("El escritorio ya usa %1 para otra función. Elige otro atajo en "
                              "Ajustes.")
                      .arg(estado.atajoTexto())
                : localizable("Otra aplicación ya tiene el atajo %1. Elige otro en Ajustes.")
                      .arg(estado.atajoTexto());
        EstadoApp* e = &estado;
        ControlPanel* c = &control;
        avisos.push_back({QStringLiteral("atajo"), texto, localizable("Ajustes…"), [e, c] {
                              c->ocultar();
                              if (e->pestanaAjustes() != PestanaAjustes::general)
                                  e->ponerPestanaAjustes(PestanaAjustes::general);
                              c->abrirAjustes();
                          }});
    }
    return avisos;
}

FilaAviso::FilaAviso(Aviso aviso, QWidget* padre)
    : QWidget(padre)
    , aviso_(std::move(aviso)) {
    setObjectName(QStringLiteral("aviso-") + aviso_.id);
    auto* capa = new QHBoxLayout(this);
    capa->setContentsMargins(12, 8, 12, 8);
    capa->setSpacing(10);
    const qreal lado = QFontMetricsF(Estilo::llamada(font())).height();
    capa->addWidget(new IconoSimbolo(
        QStringLiteral("exclamationmark.triangle.fill"), QSizeF(lado, lado),
        [](const QPalette&) { return QColor(245, 190, 0); }, this));
    auto* texto = new QLabel(aviso_.texto, this);
    texto->setWordWrap(true);
    texto->setTextFormat(Qt::PlainText);
    texto->setFont(Estilo::llamada(font()));
    capa->addWidget(texto, 1);
    if (aviso_.boton) {
        capa->addSpacing(8);
        auto* boton = new QPushButton(*aviso_.boton, this);
        boton->setFocusPolicy(Qt::NoFocus);
        boton->setFont(Estilo::pie(font()));
        connect(boton, &QPushButton::clicked, this, [this] {
            // La acción puede rehacer los avisos y borrar esta fila: se copia antes.
            if (auto accion = aviso_.accion) accion();
        });
        capa->addWidget(boton);
    }
}

void FilaAviso::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath fondo;
    fondo.addRoundedRect(QRectF(rect()), 12, 12);
    p.fillPath(fondo, Estilo::cuaternario(palette()));
}

} // namespace rebisco

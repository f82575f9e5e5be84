#include "ajustes/CampoNumero.h"

#include "vista/Estilo.h"

#include <rebisco/Preferencias.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace rebisco {

namespace {

QToolButton* flecha(Qt::ArrowType direccion, const QString& nombre) {
    auto* boton = new QToolButton;
    boton->setArrowType(direccion);
    boton->setAutoRaise(true);
    boton->setFixedSize(18, 12);
    boton->setAutoRepeat(true);
    boton->setAccessibleName(nombre);
    boton->setFocusPolicy(Qt::NoFocus);
    return boton;
}

} // namespace

CampoNumero::CampoNumero(AlmacenPreferencias& preferencias, const char* clave,
                         const QString& titulo, qint64 minimo, qint64 maximo, qint64 paso,
                         const QString& unidad, QWidget* padre)
    : QWidget(padre)
    , preferencias(preferencias)
    , clave(clave)
    , minimo(minimo)
    , maximo(maximo)
    , paso(paso)
    , texto_(new QLineEdit)
    , mas_(flecha(Qt::UpArrow, titulo))
    , menos_(flecha(Qt::DownArrow, titulo)) {
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(0, 0, 0, 0);
    fila->setSpacing(6);
    texto_->setAccessibleName(titulo);
    texto_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    texto_->setFixedWidth(70);
    // Solo cifras; sin separadores de miles. Lo que quede fuera del rango se ajusta al salir.
    texto_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,9}")), texto_));
    fila->addWidget(texto_, 0, Qt::AlignVCenter);

    auto* flechas = new QVBoxLayout;
    flechas->setSpacing(0);
    flechas->addWidget(mas_);
    flechas->addWidget(menos_);
    fila->addLayout(flechas);

    auto* etiqueta = new QLabel(unidad);
    Estilo::ponerTexto(*etiqueta, etiqueta->font(), Estilo::secundario(etiqueta->palette()));
    // Un ancho común para las unidades: los campos de una sección quedan en columna.
    etiqueta->setMinimumWidth(
        etiqueta->fontMetrics().horizontalAdvance(QStringLiteral("recortes")));
    fila->addWidget(etiqueta, 0, Qt::AlignVCenter);

    connect(texto_, &QLineEdit::editingFinished, this, &CampoNumero::alTerminarDeEditar);
    connect(mas_, &QToolButton::clicked, this,
            [this] { confirmar(this->preferencias.integer(this->clave) + this->paso); });
    connect(menos_, &QToolButton::clicked, this,
            [this] { confirmar(this->preferencias.integer(this->clave) - this->paso); });
    connect(&preferencias, &AlmacenPreferencias::cambio, this, [this](const QString& cambiada) {
        if (cambiada == QLatin1String(this->clave)) mostrar();
    });
    mostrar();
}

void CampoNumero::confirmar(qint64 valor) {
    preferencias.set(clave, QVariant::fromValue(std::clamp(valor, minimo, maximo)));
    // Si el valor guardado no cambió, el texto escrito vuelve a decir el que vale.
    mostrar();
}

void CampoNumero::mostrar() {
    const auto valor = std::clamp(preferencias.integer(clave), minimo, maximo);
    const auto texto = QString::number(valor);
    if (texto_->text() != texto) texto_->setText(texto);
    mas_->setEnabled(valor < maximo);
    menos_->setEnabled(valor > minimo);
}

void CampoNumero::alTerminarDeEditar() {
    bool bien = false;
    const auto valor = texto_->text().toLongLong(&bien);
    if (!bien) {
        mostrar();
        return;
    }
    confirmar(valor);
}

} // namespace rebisco

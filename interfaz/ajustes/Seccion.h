#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace rebisco {

class AlmacenPreferencias;
class Interruptor;

// Una sección de un formulario agrupado: la cabecera, una caja redondeada con sus filas
// separadas por líneas finas, y el pie. Sin cabecera o sin pie, no ocupan sitio.
class Seccion : public QWidget {
    Q_OBJECT
public:
    explicit Seccion(const QString& cabecera = {}, const QString& pie = {},
                     QWidget* padre = nullptr);

    void anadir(QWidget* fila);
    void ponerPie(const QString& texto);
    QLabel* pie() const { return pie_; }

private:
    QWidget* caja;
    QVBoxLayout* filas;
    QLabel* pie_;
};

namespace Filas {

// Una fila con el texto a la izquierda y el contenido a la derecha.
QWidget* etiquetada(const QString& texto, QWidget* contenido);
// Una fila con un texto y su interruptor.
QWidget* conInterruptor(Interruptor* interruptor);
// Un texto secundario en letra de llamada, que parte líneas.
QLabel* nota(const QString& texto = {});
// Un contenido en fila horizontal, centrado en vertical, con ese espacio entre elementos.
QWidget* enFila(std::initializer_list<QWidget*> elementos, int espacio);

// El interruptor sigue a la clave (Bool) y la escribe al cambiar.
void enlazar(Interruptor& interruptor, AlmacenPreferencias& preferencias, const char* clave);

} // namespace Filas

} // namespace rebisco

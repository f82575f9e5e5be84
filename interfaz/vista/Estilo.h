#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

namespace rebisco::Estilo {

// Los tamaños de letra de la tarjeta, relativos a la fuente del sistema.
QFont titulo2(const QFont& base);
QFont titulo3(const QFont& base);
QFont llamada(const QFont& base);
QFont pie(const QFont& base);

// Los estilos jerárquicos del texto: el secundario para lo que acompaña y el cuaternario
// para rellenos suaves (el puntero sobre una fila, las teclas de la leyenda, los avisos).
QColor principal(const QPalette& paleta);
QColor secundario(const QPalette& paleta);
QColor cuaternario(const QPalette& paleta);

// Una etiqueta en la letra y el color dados.
void ponerTexto(QWidget& w, const QFont& fuente, const QColor& color);

} // namespace rebisco::Estilo

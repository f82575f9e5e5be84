#include "CampoBusqueda.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace rebisco {

namespace {

bool esMuerta(int tecla) {
    return tecla >= Qt::Key_Dead_Grave && tecla <= Qt::Key_Dead_Longsolidusoverlay;
}

} // namespace

CampoBusqueda::CampoBusqueda(QWidget* padre)
    : QLineEdit(padre) {
    setFrame(false);
    setClearButtonEnabled(false);
}

void CampoBusqueda::inputMethodEvent(QInputMethodEvent* evento) {
    provisional = !evento->preeditString().isEmpty();
    muerta = false;
    QLineEdit::inputMethodEvent(evento);
}

void CampoBusqueda::keyPressEvent(QKeyEvent* evento) {
    // Sin método de entrada, la tecla muerta llega sola y la siguiente la completa.
    const bool antes = muerta;
    muerta = esMuerta(evento->key()) && !antes;
    QLineEdit::keyPressEvent(evento);
}

void CampoBusqueda::focusOutEvent(QFocusEvent* evento) {
    muerta = false;
    QLineEdit::focusOutEvent(evento);
}

} // namespace rebisco

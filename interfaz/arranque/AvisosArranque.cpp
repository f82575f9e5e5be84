#include "arranque/AvisosArranque.h"

#include <interfaz/Marca.h>
#include <rebisco/Textos.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace rebisco {

namespace {

enum class Eleccion { primero, segundo };

// Un aviso modal con el icono de la app, delante aunque aún no haya otra ventana nuestra. El
// primer botón es el propuesto; cerrar el aviso sin elegir vale lo que diga alCerrar.
Eleccion preguntar(const QString& titulo, const QString& texto, const QString& primero,
                   const QString& segundo, Eleccion alCerrar) {
    QMessageBox caja;
    caja.setWindowTitle(titulo);
    caja.setWindowIcon(Marca::iconoApp());
    caja.setIconPixmap(Marca::iconoApp().pixmap(64, 64));
    caja.setText(titulo);
    caja.setInformativeText(texto);
    // El título destaca sobre la explicación, y esta se lee en líneas de ancho cómodo.
    if (auto* etiqueta = caja.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        auto letra = etiqueta->font();
        letra.setBold(true);
        etiqueta->setFont(letra);
    }
    if (auto* explicacion = caja.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        explicacion->setMinimumWidth(explicacion->fontMetrics().averageCharWidth() * 52);
    auto* botonPrimero = caja.addButton(primero, QMessageBox::AcceptRole);
    auto* botonSegundo = caja.addButton(segundo, QMessageBox::RejectRole);
    caja.setDefaultButton(botonPrimero);
    caja.setEscapeButton(alCerrar == Eleccion::primero ? botonPrimero : botonSegundo);
    caja.show();
    caja.raise();
    caja.activateWindow();
    caja.exec();
    return caja.clickedButton() == botonSegundo ? Eleccion::segundo : Eleccion::primero;
}

} // namespace

bool avisarFueraDeSitio() {
    return preguntar(localizable("rebisco se abrió desde una carpeta temporal"),
                     localizable("Desde ahí no podrá abrirse al iniciar sesión: la carpeta puede "
                                 "desaparecer.\n\nSal, instálalo y ábrelo desde el menú de "
                                 "aplicaciones."),
                     localizable("Salir"), localizable("Abrir de todos modos"),
                     Eleccion::primero) == Eleccion::segundo;
}

bool preguntarCerrarOlvane() {
    return preguntar(localizable("olvane sigue abierta"),
                     localizable("rebisco es la misma app con su nombre nuevo, y ya trajo tu "
                                 "historial y tus ajustes. Si las dos quedan abiertas, guardan "
                                 "cada copia dos veces y responden al mismo atajo.\n\nCierra "
                                 "olvane y, cuando quieras, desinstálala."),
                     localizable("Cerrar olvane"), localizable("Ahora no"),
                     Eleccion::segundo) == Eleccion::primero;
}

} // namespace rebisco

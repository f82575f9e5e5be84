#include "AyudasUi.h"

#include <arranque/AvisosArranque.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

enum class Gesto { primero, segundo, intro, escape, cerrar };

// Lo que se vio en el aviso mientras estaba abierto.
struct Visto {
    QString titulo;
    QString texto;
    QString explicacion;
    QStringList botones;
    QString propuesto;
    bool conIcono = false;
};

// Abre el aviso y, en cuanto está en pantalla, lo mira, lo fotografía y hace el gesto. Si no
// aparece, a los 5 s lo cierra cualquiera para que la prueba no se quede colgada.
std::pair<bool, std::optional<Visto>> responder(const std::function<bool()>& aviso, Gesto gesto,
                                                const QString& foto) {
    std::optional<Visto> visto;
    int esperas = 0;
    QTimer mirar;
    mirar.setInterval(10);
    QObject::connect(&mirar, &QTimer::timeout, [&] {
        auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!caja || !caja->isVisible()) {
            if (++esperas > 500) {
                for (auto* ventana : QApplication::topLevelWidgets())
                    ventana->close();
            }
            return;
        }
        mirar.stop();
        visto =
            Visto{.titulo = caja->windowTitle(),
                  .texto = caja->text(),
                  .explicacion = caja->informativeText(),
                  .propuesto = caja->defaultButton() ? caja->defaultButton()->text() : QString(),
                  .conIcono = !caja->iconPixmap().isNull() && !caja->windowIcon().isNull()};
        for (auto* boton : caja->buttons())
            visto->botones << boton->text();
        pruebas::guardarCaptura(caja->grab().toImage(), foto);
        switch (gesto) {
        case Gesto::primero:
            caja->buttons().at(0)->click();
            break;
        case Gesto::segundo:
            caja->buttons().at(1)->click();
            break;
        case Gesto::intro:
            QTest::keyClick(caja, Qt::Key_Return);
            break;
        case Gesto::escape:
            QTest::keyClick(caja, Qt::Key_Escape);
            break;
        case Gesto::cerrar:
            caja->close();
            break;
        }
    });
    mirar.start();
    const bool respuesta = aviso();
    return {respuesta, visto};
}

struct Caso {
    Gesto gesto;
    bool fueraDeSitio; // lo que devuelve avisarFueraDeSitio
    bool cerrarOlvane; // lo que devuelve preguntarCerrarOlvane
};

// Solo el segundo botón sigue adelante desde una carpeta temporal; solo el primero cierra olvane.
// Intro elige el propuesto (el primero); Escape y cerrar, lo prudente en cada caso.
const std::vector<Caso> casos{
    {Gesto::primero, false, true}, {Gesto::segundo, true, false}, {Gesto::intro, false, true},
    {Gesto::escape, false, false}, {Gesto::cerrar, false, false},
};

TEST(AvisosArranque, FueraDeSitio) {
    for (const auto& caso : casos) {
        SCOPED_TRACE(static_cast<int>(caso.gesto));
        const auto [respuesta, visto] = responder(rebisco::avisarFueraDeSitio, caso.gesto,
                                                  QStringLiteral("fuera-de-sitio.png"));
        ASSERT_TRUE(visto) << "no apareció el aviso";
        EXPECT_EQ(respuesta, caso.fueraDeSitio);
        EXPECT_EQ(visto->titulo, QStringLiteral("rebisco se abrió desde una carpeta temporal"));
        EXPECT_EQ(visto->texto, visto->titulo);
        EXPECT_EQ(visto->explicacion,
                  QStringLiteral("Desde ahí no podrá abrirse al iniciar sesión: la carpeta puede "
                                 "desaparecer.\n\nSal, instálalo y ábrelo desde el menú de "
                                 "aplicaciones."));
        EXPECT_EQ(visto->botones, (QStringList{"Salir", "Abrir de todos modos"}));
        EXPECT_EQ(visto->propuesto, QStringLiteral("Salir"));
        EXPECT_TRUE(visto->conIcono);
    }
}

TEST(AvisosArranque, CerrarOlvane) {
    for (const auto& caso : casos) {
        SCOPED_TRACE(static_cast<int>(caso.gesto));
        const auto [respuesta, visto] = responder(rebisco::preguntarCerrarOlvane, caso.gesto,
                                                  QStringLiteral("cerrar-olvane.png"));
        ASSERT_TRUE(visto) << "no apareció el aviso";
        EXPECT_EQ(respuesta, caso.cerrarOlvane);
        EXPECT_EQ(visto->titulo, QStringLiteral("olvane sigue abierta"));
        EXPECT_EQ(visto->texto, visto->titulo);
        EXPECT_EQ(visto->explicacion,
                  QStringLiteral("rebisco es la misma app con su nombre nuevo, y ya trajo tu "
                                 "historial y tus ajustes. Si las dos quedan abiertas, guardan "
                                 "cada copia dos veces y responden al mismo atajo.\n\nCierra "
                                 "olvane y, cuando quieras, desinstálala."));
        EXPECT_EQ(visto->botones, (QStringList{"Cerrar olvane", "Ahora no"}));
        EXPECT_EQ(visto->propuesto, QStringLiteral("Cerrar olvane"));
        EXPECT_TRUE(visto->conIcono);
    }
}

} // namespace

#include "bandeja/MenuBarra.h"

#include "interfaz/Formato.h"
#include "panel/ControlPanel.h"

#include <rebisco/EstadoApp.h>
#include <rebisco/Textos.h>

#include <QKeyEvent>

#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <memory>
#include <optional>

namespace rebisco {

namespace {

constexpr int largoTitulo = 50;

bool esSaltoDeLinea(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x000A && u <= 0x000D) || u == 0x0085 || u == 0x2028 || u == 0x2029;
}

QString primeraLinea(const QString& texto) {
    qsizetype inicio = 0;
    for (qsizetype i = 0; i <= texto.size(); ++i) {
        if (i < texto.size() && !esSaltoDeLinea(texto.at(i))) continue;
        if (i > inicio) return texto.mid(inicio, i - inicio);
        inicio = i + 1;
    }
    return texto;
}

// Las unidades UTF-16 de los primeros n grafemas extendidos, o nada si el texto no tiene más.
std::optional<qsizetype> finDeGrafemas(const QString& texto, int n) {
    const icu::UnicodeString u(false, reinterpret_cast<const UChar*>(texto.utf16()),
                               static_cast<int32_t>(texto.size()));
    UErrorCode error = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), error));
    if (U_FAILURE(error) || !it) return std::nullopt;
    it->setText(u);
    int32_t pos = it->first();
    for (int i = 0; i < n; ++i) {
        pos = it->next();
        if (pos == icu::BreakIterator::DONE) return std::nullopt;
    }
    if (it->next() == icu::BreakIterator::DONE) return std::nullopt;
    return pos;
}

// Un texto tal cual en una entrada. En un QAction, "&" marca la tecla de acceso y "&&" es un
// "&". Hacia D-Bus, Qt cambia el primer "&" por "_" y deja los demás, y el anfitrión lee "_"
// como la marca y "__" como un "_".
QString sinTeclaDeAcceso(QString texto, MenuBarra::Destino destino) {
    if (destino == MenuBarra::Destino::ventana) return texto.replace(u'&', QStringLiteral("&&"));
    texto.replace(u'_', QStringLiteral("__"));
    if (const auto i = texto.indexOf(u'&'); i >= 0) texto.insert(i, u'&');
    return texto;
}

} // namespace

QString MenuBarra::titulo(const nucleo::Recorte& recorte) {
    const QString linea = primeraLinea(Formato::titulo(recorte));
    if (const auto fin = finDeGrafemas(linea, largoTitulo)) return linea.left(*fin) + QChar(0x2026);
    return linea;
}

MenuBarra::MenuBarra(EstadoApp& estado, ControlPanel& control, Acciones acciones, Destino destino,
                     QWidget* padre)
    : QMenu(padre)
    , estado(estado)
    , control(control)
    , acciones(std::move(acciones))
    , destino(destino) {
    for (auto senal : {&EstadoApp::cambioPausado, &EstadoApp::cambioRecientes,
                       &EstadoApp::cambioAtajoTexto, &EstadoApp::cambioProblemaAtajo})
        connect(&estado, senal, this, &MenuBarra::rehacer);
    rehacer();
}

void MenuBarra::keyPressEvent(QKeyEvent* evento) {
    // Un menú abierto no es la ventana activa de Qt y las combinaciones de sus entradas no le
    // llegan solas: las que muestra, valen.
    const QKeySequence pulsada(evento->keyCombination());
    for (QAction* accion : actions()) {
        if (accion->shortcut().isEmpty() || accion->shortcut() != pulsada) continue;
        hide();
        accion->trigger();
        return;
    }
    QMenu::keyPressEvent(evento);
}

void MenuBarra::rehacer() {
    // Se puede estar atendiendo una de estas entradas (la pausa avisa al marcarse): se borran
    // después.
    for (QAction* accion : actions()) {
        removeAction(accion);
        accion->deleteLater();
    }

    if (estado.entorno().esEnsayo()) {
        addAction(localizable("Ensayo: al salir no queda nada guardado"))->setEnabled(false);
        addSeparator();
    }

    const bool conAtajo = !estado.problemaAtajo() && !estado.atajoTexto().isEmpty();
    auto* mostrar = addAction(conAtajo ? deMenu("Mostrar el historial  %1").arg(estado.atajoTexto())
                                       : deMenu("Mostrar el historial"));
    connect(mostrar, &QAction::triggered, this, [this] {
        if (control.visible())
            control.ocultar();
        else
            control.mostrar();
    });

    if (!estado.recientes().empty()) addSeparator();
    for (const auto& recorte : estado.recientes()) {
        auto* entrada = addAction(sinTeclaDeAcceso(titulo(recorte), destino));
        connect(entrada, &QAction::triggered, this,
                [this, recorte] { estado.pegar(recorte, false); });
    }
    addSeparator();

    auto* pausa = addAction(deMenu("Pausar la captura"));
    pausa->setCheckable(true);
    pausa->setChecked(estado.pausado());
    connect(pausa, &QAction::triggered, this, [this](bool marcada) { estado.ponerPausa(marcada); });
    addSeparator();

    auto* ajustes = addAction(deMenu("Ajustes…"));
    ajustes->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(ajustes, &QAction::triggered, this, [this] { acciones.abrirAjustes(); });
    auto* acerca = addAction(deMenu("Acerca de rebisco"));
    connect(acerca, &QAction::triggered, this, [this] { acciones.acercaDe(); });
    addSeparator();

    auto* salir = addAction(deMenu("Salir de rebisco"));
    salir->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(salir, &QAction::triggered, this, [this] { acciones.salir(); });
}

} // namespace rebisco

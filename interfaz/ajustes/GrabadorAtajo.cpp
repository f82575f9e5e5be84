#include "ajustes/GrabadorAtajo.h"

#include "panel/TeclasPanel.h"

#include <rebisco/EstadoApp.h>
#include <rebisco/Teclas.h>
#include <rebisco/Textos.h>

#include <QApplication>
#include <QKeyEvent>

#include <set>

namespace rebisco {

namespace {

namespace M = plataforma::Modificador;

constexpr int teclaEscape = 53, teclaTab = 48, teclaEspacio = 49;

// Los atajos con Súper (el ⌘ de este programa) que usa cualquier aplicación.
const std::set<QString>& reservadas() {
    static const std::set<QString> letras{"q", "w", "c", "v", "x", "a", "z",
                                          "s", "h", "m", "n", "t", "f", ","};
    return letras;
}

bool esSoloModificador(int tecla) {
    switch (tecla) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Mode_switch:
    case Qt::Key_unknown:
        return true;
    default:
        return false;
    }
}

} // namespace

GrabadorAtajo::GrabadorAtajo(EstadoApp& estado, QWidget* padre)
    : QPushButton(padre)
    , estado(estado) {
    setAccessibleName(localizable("Atajo para mostrar el historial"));
    setToolTip(localizable("Haz clic y pulsa la combinación nueva. Esc cancela."));
    setMinimumWidth(150);
    connect(this, &QPushButton::clicked, this, [this] {
        if (grabando_)
            terminar(true);
        else
            empezar();
    });
    connect(&estado, &EstadoApp::cambioAtajoTexto, this, &GrabadorAtajo::actualizar);
    actualizar();
}

GrabadorAtajo::~GrabadorAtajo() {
    terminar(true);
}

std::optional<QString> GrabadorAtajo::motivoDeRechazo(plataforma::Teclado& teclado, int codigo,
                                                      int banderas, const QString& letra) {
    const int mods = banderas & M::todos;
    if (!(mods & (M::control | M::opcion | M::comando)))
        return localizable("Incluye Ctrl, Alt o Súper: sin ellas, el atajo se dispararía al "
                           "escribir.");
    const QString texto = Teclas::texto(teclado, codigo, mods);
    if ((mods == M::comando && codigo == teclaEspacio) ||
        Teclas::usadaPorMacOS(teclado, codigo, mods))
        return localizable("El escritorio ya usa %1 para otra función. Elige otra combinación.")
            .arg(texto);
    if ((mods == M::comando && reservadas().contains(letra.toLower())) || codigo == teclaTab)
        return localizable("%1 es un atajo de todas las apps. Elige otra combinación.").arg(texto);
    return std::nullopt;
}

void GrabadorAtajo::empezar() {
    grabando_ = true;
    estado.ponerRechazoAtajo(std::nullopt);
    estado.suspenderAtajo();
    if (!vigilando) {
        qApp->installEventFilter(this);
        vigilando = true;
    }
    actualizar();
}

void GrabadorAtajo::terminar(bool restaurar) {
    if (vigilando) {
        qApp->removeEventFilter(this);
        vigilando = false;
    }
    if (!grabando_) return;
    grabando_ = false;
    estado.ponerRechazoAtajo(std::nullopt);
    if (restaurar) estado.registrarAtajo();
    actualizar();
}

bool GrabadorAtajo::eventFilter(QObject* objeto, QEvent* evento) {
    if (!grabando_) return QPushButton::eventFilter(objeto, evento);
    switch (evento->type()) {
    case QEvent::ShortcutOverride:
        // Mientras se graba, ninguna tecla dispara atajos de nuestras ventanas.
        evento->accept();
        return true;
    case QEvent::KeyPress:
        atender(static_cast<const QKeyEvent&>(*evento));
        return true;
    case QEvent::KeyRelease:
        return true;
    default:
        return QPushButton::eventFilter(objeto, evento);
    }
}

void GrabadorAtajo::atender(const QKeyEvent& tecla) {
    // Los modificadores solos no son una combinación: se espera a la tecla.
    if (tecla.isAutoRepeat() || esSoloModificador(tecla.key())) return;
    auto& teclado = estado.plataforma().teclado();
    const auto pulsacion = TeclasPanel::leer(tecla, teclado);
    if (pulsacion.codigo == teclaEscape) {
        terminar(true);
        return;
    }
    // Una tecla sin posición conocida no se puede registrar.
    if (pulsacion.codigo < 0) {
        QApplication::beep();
        return;
    }
    const int banderas = Teclas::carbon(tecla.modifiers());
    if (auto motivo = motivoDeRechazo(teclado, pulsacion.codigo, banderas, pulsacion.caracteres)) {
        estado.ponerRechazoAtajo(std::move(motivo));
        QApplication::beep();
        return;
    }
    estado.cambiarAtajo(pulsacion.codigo, banderas);
    terminar(false);
}

void GrabadorAtajo::hideEvent(QHideEvent* evento) {
    terminar(true);
    QPushButton::hideEvent(evento);
}

void GrabadorAtajo::actualizar() {
    setText(grabando_ ? localizable("Pulsa el nuevo atajo…") : estado.atajoTexto());
    setAccessibleDescription(grabando_ ? localizable("Grabando") : estado.atajoTexto());
}

} // namespace rebisco

#include "TeclasPanel.h"

#include <plataforma/Teclado.h>

#include <QKeyEvent>

#include <array>
#include <utility>

namespace rebisco::TeclasPanel {

namespace {

namespace M = plataforma::Modificador;
constexpr int cuentan = M::comando | M::mayusculas | M::opcion | M::control;

std::optional<int> cifra(const QString& caracteres) {
    if (caracteres.size() != 1 || !caracteres[0].isDigit() || caracteres[0].unicode() > 0x7F)
        return std::nullopt;
    return caracteres[0].unicode() - '0';
}

std::optional<Decision> letraConComando(const QString& c) {
    static const std::array<std::pair<const char*, Orden>, 8> letras{{
        {"p", Orden::fijar},
        {",", Orden::ajustes},
        {"w", Orden::cerrar},
        {"a", Orden::seleccionarTodo},
        {"x", Orden::cortar},
        {"v", Orden::pegarEnCampo},
        {"z", Orden::deshacer},
        {"c", Orden::copiar},
    }};
    for (const auto& [letra, orden] : letras)
        if (c == QLatin1String(letra)) return Decision{orden};
    return std::nullopt;
}

// Las teclas del panel que llegan sin posición conocida (eventos sintéticos sin código
// nativo) se reconocen por la tecla de Qt.
int codigoDeQt(int tecla) {
    switch (tecla) {
    case Qt::Key_Return:
        return retorno;
    case Qt::Key_Enter:
        return intro;
    case Qt::Key_Backspace:
        return borrar;
    case Qt::Key_Escape:
        return escape;
    case Qt::Key_Down:
        return abajo;
    case Qt::Key_Up:
        return arriba;
    default:
        return -1;
    }
}

} // namespace

std::optional<int> numeroDeTecla(int codigo) {
    static constexpr std::array<std::pair<int, int>, 9> fila{{
        {18, 1},
        {19, 2},
        {20, 3},
        {21, 4},
        {23, 5},
        {22, 6},
        {26, 7},
        {28, 8},
        {25, 9},
    }};
    for (const auto& [tecla, numero] : fila)
        if (tecla == codigo) return numero;
    return std::nullopt;
}

std::optional<Decision> decidir(const Pulsacion& p) {
    const int mods = p.modificadores & cuentan;
    const bool soloComando = mods == M::comando;
    switch (p.codigo) {
    case retorno:
    case intro:
        return Decision{(mods & M::mayusculas) ? Orden::elegirSinFormato : Orden::elegir};
    case escape:
        return Decision{Orden::escape};
    case abajo:
        return Decision{Orden::bajar};
    case arriba:
        return Decision{Orden::subir};
    case borrar:
        if (soloComando) return Decision{Orden::eliminar};
        break;
    default:
        break;
    }

    if (soloComando) {
        auto numero = cifra(p.caracteres);
        if (!numero) numero = numeroDeTecla(p.codigo);
        if (numero && *numero >= 1) return Decision{Orden::rapida, *numero};
        return letraConComando(p.caracteres);
    }
    if (mods == (M::comando | M::mayusculas) && p.caracteres == QLatin1String("z"))
        return Decision{Orden::rehacer};
    return std::nullopt;
}

Pulsacion leer(const QKeyEvent& evento, plataforma::Teclado& teclado) {
    Pulsacion p;
    // Un código nativo 0 es, para Qt, que no se sabe.
    std::optional<int> codigo;
    if (evento.nativeScanCode() != 0) codigo = teclado.codigoDeEvento(evento.nativeScanCode());
    p.codigo = codigo ? *codigo : codigoDeQt(evento.key());
    // Ctrl hace de comando dentro del panel, como en cualquier programa de Linux; Súper
    // también.
    const auto qt = evento.modifiers();
    if (qt & (Qt::ControlModifier | Qt::MetaModifier)) p.modificadores |= M::comando;
    if (qt & Qt::ShiftModifier) p.modificadores |= M::mayusculas;
    if (qt & Qt::AltModifier) p.modificadores |= M::opcion;

    if (p.codigo >= 0)
        if (const auto texto = teclado.caracter(p.codigo))
            p.caracteres = QString::fromStdString(*texto).toLower();
    // Sin distribución que consultar: la tecla de Qt, que ya es la de la distribución.
    if (p.caracteres.isEmpty() && evento.key() >= Qt::Key_Space && evento.key() <= 0xFF)
        p.caracteres = QChar(evento.key()).toLower();
    return p;
}

} // namespace rebisco::TeclasPanel

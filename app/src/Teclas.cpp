#include "rebisco/Teclas.h"

#include "rebisco/Textos.h"

#include <QStringList>

#include <algorithm>
#include <map>

namespace rebisco::Teclas {

namespace {

using plataforma::Modificador::comando;
using plataforma::Modificador::control;
using plataforma::Modificador::mayusculas;
using plataforma::Modificador::opcion;
using plataforma::Modificador::todos;

constexpr int sinTecla = 0xFFFF;

const std::map<int, QString>& especiales() {
    // "Espacio" queda en el idioma activo la primera vez que se pide.
    static const std::map<int, QString> tabla{
        {36, QStringLiteral("↩")},    {76, QStringLiteral("⌤")},    {48, QStringLiteral("⇥")},
        {49, localizable("Espacio")}, {51, QStringLiteral("⌫")},    {117, QStringLiteral("⌦")},
        {53, QStringLiteral("⎋")},    {123, QStringLiteral("←")},   {124, QStringLiteral("→")},
        {126, QStringLiteral("↑")},   {125, QStringLiteral("↓")},   {115, QStringLiteral("↖")},
        {119, QStringLiteral("↘")},   {116, QStringLiteral("⇞")},   {121, QStringLiteral("⇟")},
        {122, QStringLiteral("F1")},  {120, QStringLiteral("F2")},  {99, QStringLiteral("F3")},
        {118, QStringLiteral("F4")},  {96, QStringLiteral("F5")},   {97, QStringLiteral("F6")},
        {98, QStringLiteral("F7")},   {100, QStringLiteral("F8")},  {101, QStringLiteral("F9")},
        {109, QStringLiteral("F10")}, {103, QStringLiteral("F11")}, {111, QStringLiteral("F12")},
    };
    return tabla;
}

bool esBlanco(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

QString nombre(plataforma::Teclado& teclado, std::int64_t codigo) {
    auto sinNombre = [&] { return localizable("Tecla %1").arg(codigo); };
    if (codigo < 0 || codigo > 0xFFFF) return sinNombre();
    const auto& tabla = especiales();
    if (auto i = tabla.find(static_cast<int>(codigo)); i != tabla.end()) return i->second;
    auto escrito = caracter(teclado, static_cast<std::uint16_t>(codigo));
    if (!escrito || std::all_of(escrito->begin(), escrito->end(), esBlanco)) return sinNombre();
    return escrito->toUpper();
}

QString texto(plataforma::Teclado& teclado, std::int64_t codigo, std::int64_t modificadores) {
    // Como se escriben los atajos en Linux: nombres unidos por "+", no los símbolos de Apple.
    QStringList partes;
    if (modificadores & control) partes << localizable("Ctrl");
    if (modificadores & opcion) partes << localizable("Alt");
    if (modificadores & mayusculas) partes << localizable("Mayús");
    if (modificadores & comando) partes << localizable("Súper");
    partes << nombre(teclado, codigo);
    return partes.join(u'+');
}

std::optional<QString> caracter(plataforma::Teclado& teclado, std::uint16_t codigo) {
    auto escrito = teclado.caracter(codigo);
    if (!escrito || escrito->empty()) return std::nullopt;
    return QString::fromStdString(*escrito);
}

int carbon(Qt::KeyboardModifiers modificadores) {
    int mascara = 0;
    if (modificadores & Qt::MetaModifier) mascara += comando;
    if (modificadores & Qt::ShiftModifier) mascara += mayusculas;
    if (modificadores & Qt::AltModifier) mascara += opcion;
    if (modificadores & Qt::ControlModifier) mascara += control;
    return mascara;
}

std::vector<Combinacion> atajosDeMacOS(plataforma::Teclado& teclado) {
    std::vector<Combinacion> lista;
    auto delSistema = teclado.atajosDelSistema();
    if (!delSistema) return lista;
    for (const auto& atajo : *delSistema) {
        if (!atajo.activo || atajo.codigo == sinTecla) continue;
        lista.push_back({atajo.codigo, atajo.modificadores & todos});
    }
    return lista;
}

bool usadaPorMacOS(plataforma::Teclado& teclado, std::int64_t codigo, std::int64_t modificadores) {
    auto lista = atajosDeMacOS(teclado);
    return std::any_of(lista.begin(), lista.end(), [&](const Combinacion& atajo) {
        return atajo.codigo == codigo && atajo.modificadores == (modificadores & todos);
    });
}

} // namespace rebisco::Teclas

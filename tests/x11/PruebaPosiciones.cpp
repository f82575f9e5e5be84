// La tabla de posiciones frente a los códigos evdev, sin servidor X.
#include "Posiciones.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace plataforma::x11;

namespace {

bool contiene(const std::vector<int>& v, int x) {
    return std::find(v.begin(), v.end(), x) != v.end();
}

TEST(Posiciones, CadaTeclaDeUnPcTienePosicionYVuelve) {
    // Un teclado de PC de 105 teclas: alfanumérico, ISO, función, edición, flechas, numérico.
    std::vector<int> pc;
    for (int e = 1; e <= 83; ++e)
        pc.push_back(e);
    for (int e : {86,  87,  88,  96,  97,  98,  99,  100, 102, 103, 104,
                  105, 106, 107, 108, 109, 110, 111, 119, 125, 126, 127})
        pc.push_back(e);
    for (int evdev : pc) {
        SCOPED_TRACE(evdev);
        auto posicion = codigoDeEvdev(evdev);
        ASSERT_TRUE(posicion.has_value());
        EXPECT_TRUE(contiene(evdevDe(*posicion), evdev));
    }
}

TEST(Posiciones, LasQueImportanCaenDondeDeben) {
    struct Caso {
        int codigo;
        std::vector<int> evdev;
    };
    const Caso casos[] = {
        {9, {47}},        // V
        {0, {30}},        // A
        {50, {41}},       // la de encima del tabulador
        {10, {86}},       // la ISO, junto a Mayúsculas
        {55, {125}},      // ⌘ es Super izquierda
        {114, {110}},     // ayuda es Insert
        {105, {99, 183}}, // F13 es también Impr Pant
        {80, {189}},      // F19
        {79, {188}},      // F18
        {71, {69}},       // Bloq Num en el sitio de «borrar»
        {63, {}},         // Fn no llega al sistema
    };
    for (const auto& caso : casos)
        EXPECT_EQ(evdevDe(caso.codigo), caso.evdev) << caso.codigo;
    EXPECT_EQ(codigoDeEvdev(0), std::nullopt);
    EXPECT_EQ(codigoDeEvdev(240), std::nullopt);
}

} // namespace

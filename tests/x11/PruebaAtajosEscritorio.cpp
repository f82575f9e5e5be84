// Los atajos que ya usan GNOME, KDE y las aplicaciones, leídos sin servidor X.
#include "AtajosEscritorio.h"

#include <gio/gio.h>
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>
#include <utility>

namespace plataforma::x11 {
void PrintTo(const CombinacionEscritorio& c, std::ostream* salida) {
    char nombre[64] = "?";
    xkb_keysym_get_name(c.simbolo, nombre, sizeof nombre);
    *salida << "{" << c.modificadores << ", " << nombre << "}";
}
} // namespace plataforma::x11

using namespace plataforma::x11;
namespace fs = std::filesystem;

namespace {

using Combinacion = CombinacionEscritorio;
using Lista = std::vector<Combinacion>;

constexpr std::uint32_t ctrl = 4096;
constexpr std::uint32_t alt = 2048;
constexpr std::uint32_t mayus = 512;
constexpr std::uint32_t super = 256;

Lista ordenada(Lista lista) {
    std::sort(lista.begin(), lista.end(), [](const Combinacion& a, const Combinacion& b) {
        return std::pair(a.modificadores, a.simbolo) < std::pair(b.modificadores, b.simbolo);
    });
    return lista;
}

Lista unidas(std::initializer_list<Lista> partes) {
    Lista todas;
    for (const auto& parte : partes)
        todas.insert(todas.end(), parte.begin(), parte.end());
    return todas;
}

bool contiene(const Lista& lista, Combinacion c) {
    return std::find(lista.begin(), lista.end(), c) != lista.end();
}

void escribir(const fs::path& ruta, std::string_view contenido) {
    fs::create_directories(ruta.parent_path());
    std::ofstream(ruta, std::ios::binary) << contenido;
}

// Cambia una variable de entorno mientras dura el objeto.
class VariableTemporal {
public:
    VariableTemporal(const char* nombre, const char* valor)
        : nombre(nombre) {
        if (const char* antes = std::getenv(nombre)) anterior = antes;
        if (valor)
            setenv(nombre, valor, 1);
        else
            unsetenv(nombre);
    }
    ~VariableTemporal() {
        if (anterior)
            setenv(nombre, anterior->c_str(), 1);
        else
            unsetenv(nombre);
    }
    VariableTemporal(const VariableTemporal&) = delete;
    VariableTemporal& operator=(const VariableTemporal&) = delete;

private:
    const char* nombre;
    std::optional<std::string> anterior;
};

// ---- El GSettings de las pruebas ----
//
// GIO fija la fuente de esquemas y el almacén de valores la primera vez que se usan, así que
// el entorno se prepara antes de cualquier prueba: unos esquemas propios compilados en una
// carpeta temporal, ninguno del sistema, y el almacén en archivo para que haya valores del
// usuario que pisen los predeterminados.

fs::path carpetaBase;

// mutter.wayland va sin ruta, como si fuera reubicable: abrirlo así abortaría; no se lee.
const char* const esquemas = R"(<?xml version="1.0" encoding="UTF-8"?>
<schemalist>
  <schema id="org.gnome.desktop.wm.keybindings" path="/org/gnome/desktop/wm/keybindings/">
    <key name="close" type="as"><default>['&lt;Alt&gt;F4']</default></key>
    <key name="switch-applications" type="as"><default>['&lt;Super&gt;Tab', '&lt;Alt&gt;Tab']</default></key>
    <key name="minimize" type="as"><default>['disabled']</default></key>
    <key name="maximize" type="as"><default>[]</default></key>
    <key name="show-desktop" type="as"><default>['&lt;Super&gt;d']</default></key>
    <key name="activate-window-menu" type="s"><default>'&lt;Alt&gt;space'</default></key>
    <key name="unmaximize" type="s"><default>''</default></key>
    <key name="num-workspaces" type="i"><default>4</default></key>
  </schema>
  <schema id="org.gnome.settings-daemon.plugins.media-keys"
          path="/org/gnome/settings-daemon/plugins/media-keys/">
    <key name="custom-keybindings" type="as"><default>[]</default></key>
    <key name="volume-up" type="as"><default>['XF86AudioRaiseVolume']</default></key>
    <key name="screensaver" type="s"><default>'&lt;Super&gt;l'</default></key>
  </schema>
  <schema id="org.gnome.settings-daemon.plugins.media-keys.custom-keybinding">
    <key name="name" type="s"><default>''</default></key>
    <key name="command" type="s"><default>''</default></key>
    <key name="binding" type="s"><default>''</default></key>
  </schema>
  <schema id="org.gnome.mutter.wayland.keybindings">
    <key name="restore-shortcuts" type="as"><default>['&lt;Super&gt;Escape']</default></key>
  </schema>
  <schema id="org.gnome.shell.extensions.otra" path="/org/gnome/shell/extensions/otra/">
    <key name="alternar" type="as"><default>['&lt;Super&gt;j']</default></key>
  </schema>
</schemalist>
)";

constexpr std::string_view rutaPropia0 =
    "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/";
constexpr std::string_view rutaPropia1 =
    "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom1/";

// Lo que el usuario cambió: un atajo predeterminado y dos propios; una ruta mal formada que
// GSettings no aceptaría. El nombre del propio parece un acelerador y no debe contar.
const char* const valoresDelUsuario = R"([org/gnome/desktop/wm/keybindings]
show-desktop=['<Super><Shift>d']

[org/gnome/settings-daemon/plugins/media-keys]
custom-keybindings=['/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/', '/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom1/', 'mala//ruta', '']

[org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0]
name='Print'
command='gnome-terminal'
binding='<Primary><Alt>k'

[org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom1]
binding='<Super>F9'
)";

class EntornoGio : public testing::Environment {
public:
    void SetUp() override {
        std::string plantilla = (fs::temp_directory_path() / "prueba-atajos-XXXXXX").string();
        ASSERT_NE(mkdtemp(plantilla.data()), nullptr);
        carpetaBase = plantilla;
        const auto esquemasDir = carpetaBase / "esquemas";
        escribir(esquemasDir / "prueba.gschema.xml", esquemas);
        const std::string orden = "glib-compile-schemas --strict '" + esquemasDir.string() + "'";
        ASSERT_EQ(std::system(orden.c_str()), 0) << orden;
        ASSERT_TRUE(fs::exists(esquemasDir / "gschemas.compiled"));
        escribir(carpetaBase / "config" / "glib-2.0" / "settings" / "keyfile", valoresDelUsuario);
        fs::create_directories(carpetaBase / "datos");
        fs::create_directories(carpetaBase / "datos-usuario");
        fs::create_directories(carpetaBase / "modulos");

        setenv("GSETTINGS_SCHEMA_DIR", esquemasDir.c_str(), 1);
        setenv("XDG_DATA_DIRS", (carpetaBase / "datos").c_str(), 1);
        setenv("XDG_DATA_HOME", (carpetaBase / "datos-usuario").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (carpetaBase / "config").c_str(), 1);
        setenv("GSETTINGS_BACKEND", "keyfile", 1);
        // Sin módulos de GIO: ni dconf ni gvfs del sistema.
        setenv("GIO_MODULE_DIR", (carpetaBase / "modulos").c_str(), 1);
        // Un aviso o error de GLib (una ruta inválida, un esquema ausente) aborta la prueba.
        g_log_set_always_fatal(
            static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING));
    }
    void TearDown() override {
        std::error_code error;
        if (!carpetaBase.empty()) fs::remove_all(carpetaBase, error);
    }
};

[[maybe_unused]] testing::Environment* const entornoGio =
    testing::AddGlobalTestEnvironment(new EntornoGio);

struct LiberarAjustes {
    void operator()(GSettings* a) const { g_object_unref(a); }
};
using Ajustes = std::unique_ptr<GSettings, LiberarAjustes>;

} // namespace

// ---- Aceleradores de GTK ----

struct CasoTexto {
    std::string texto;
    std::optional<Combinacion> esperado;
};

class AceleradoresGtk : public testing::TestWithParam<CasoTexto> {};

TEST_P(AceleradoresGtk, DanLaCombinacion) {
    EXPECT_EQ(desdeAceleradorGtk(GetParam().texto), GetParam().esperado) << GetParam().texto;
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, AceleradoresGtk,
    testing::Values(CasoTexto{"<Super>v", Combinacion{super, XKB_KEY_v}},
                    CasoTexto{"<Primary><Alt>t", Combinacion{ctrl | alt, XKB_KEY_t}},
                    CasoTexto{"<Shift><Super>S", Combinacion{mayus | super, XKB_KEY_s}},
                    CasoTexto{"<Super>Left", Combinacion{super, XKB_KEY_Left}},
                    CasoTexto{"Print", Combinacion{0, XKB_KEY_Print}},
                    CasoTexto{"<Alt>F4", Combinacion{alt, XKB_KEY_F4}},
                    CasoTexto{"<Super>Above_Tab", Combinacion{super, teclaSobreTabulador}},
                    CasoTexto{"<Alt>above_tab", Combinacion{alt, teclaSobreTabulador}},
                    CasoTexto{"XF86AudioMute", Combinacion{0, XKB_KEY_XF86AudioMute}},
                    CasoTexto{"<Control><Shift>c", Combinacion{ctrl | mayus, XKB_KEY_c}},
                    CasoTexto{"<ctrl>q", Combinacion{ctrl, XKB_KEY_q}},
                    CasoTexto{"<CTL>x", Combinacion{ctrl, XKB_KEY_x}},
                    CasoTexto{"<Shft><Control>Tab", Combinacion{mayus | ctrl, XKB_KEY_Tab}},
                    CasoTexto{"<Mod1>Tab", Combinacion{alt, XKB_KEY_Tab}},
                    CasoTexto{"<Mod4>d", Combinacion{super, XKB_KEY_d}},
                    // El Meta de GDK es Alt en X.
                    CasoTexto{"<Meta>x", Combinacion{alt, XKB_KEY_x}},
                    CasoTexto{"<Super>A", Combinacion{super, XKB_KEY_a}},
                    CasoTexto{"<Control><Alt>Delete", Combinacion{ctrl | alt, XKB_KEY_Delete}},
                    CasoTexto{"<Super>Page_Up", Combinacion{super, XKB_KEY_Prior}},
                    CasoTexto{"<Super>space", Combinacion{super, XKB_KEY_space}},
                    // Sin la forma exacta, el nombre sin distinguir mayúsculas.
                    CasoTexto{"<Super>print", Combinacion{super, XKB_KEY_Print}},
                    CasoTexto{"<Alt><Alt>F2", Combinacion{alt, XKB_KEY_F2}},
                    CasoTexto{"<Super>Aacute", Combinacion{super, XKB_KEY_aacute}},
                    CasoTexto{"", std::nullopt}, CasoTexto{"disabled", std::nullopt},
                    CasoTexto{"<Hyper>x", std::nullopt}, CasoTexto{"<Super><Hyper>x", std::nullopt},
                    CasoTexto{"<Mod2>x", std::nullopt}, CasoTexto{"<Mod3>x", std::nullopt},
                    CasoTexto{"<Mod5>x", std::nullopt}, CasoTexto{"<Super>", std::nullopt},
                    CasoTexto{"<Super", std::nullopt}, CasoTexto{"<>x", std::nullopt},
                    CasoTexto{"<Super>NoEsUnaTecla", std::nullopt},
                    CasoTexto{"<Super>v<Alt>", std::nullopt}));

// ---- Atajos de KDE ----

class AtajosKde : public testing::TestWithParam<CasoTexto> {};

TEST_P(AtajosKde, DanLaCombinacion) {
    EXPECT_EQ(desdeAtajoKde(GetParam().texto), GetParam().esperado) << GetParam().texto;
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, AtajosKde,
    testing::Values(
        CasoTexto{"Meta+Shift+S", Combinacion{super | mayus, XKB_KEY_s}},
        CasoTexto{"Ctrl+Alt+T", Combinacion{ctrl | alt, XKB_KEY_t}},
        CasoTexto{"Print", Combinacion{0, XKB_KEY_Print}},
        CasoTexto{"Alt+F4", Combinacion{alt, XKB_KEY_F4}},
        CasoTexto{"Meta+V", Combinacion{super, XKB_KEY_v}},
        CasoTexto{"meta+SHIFT+s", Combinacion{super | mayus, XKB_KEY_s}},
        CasoTexto{"Ctrl++", Combinacion{ctrl, XKB_KEY_plus}},
        CasoTexto{"Meta+,", Combinacion{super, XKB_KEY_comma}},
        CasoTexto{"+", Combinacion{0, XKB_KEY_plus}}, CasoTexto{",", Combinacion{0, XKB_KEY_comma}},
        CasoTexto{"Meta+Num+5", Combinacion{super, XKB_KEY_5}},
        CasoTexto{"Ctrl+É", Combinacion{ctrl, XKB_KEY_eacute}},
        CasoTexto{"Alt+Space", Combinacion{alt, XKB_KEY_space}},
        CasoTexto{"Meta+Ctrl+Left", Combinacion{super | ctrl, XKB_KEY_Left}},
        CasoTexto{"Meta+Tab", Combinacion{super, XKB_KEY_Tab}},
        CasoTexto{"Alt+Shift+Backtab", Combinacion{alt | mayus, XKB_KEY_ISO_Left_Tab}},
        CasoTexto{"Esc", Combinacion{0, XKB_KEY_Escape}},
        CasoTexto{"Backspace", Combinacion{0, XKB_KEY_BackSpace}},
        CasoTexto{"Return", Combinacion{0, XKB_KEY_Return}},
        CasoTexto{"Enter", Combinacion{0, XKB_KEY_KP_Enter}},
        CasoTexto{"Ctrl+Alt+Ins", Combinacion{ctrl | alt, XKB_KEY_Insert}},
        CasoTexto{"Ctrl+Alt+Del", Combinacion{ctrl | alt, XKB_KEY_Delete}},
        CasoTexto{"Pause", Combinacion{0, XKB_KEY_Pause}},
        CasoTexto{"Alt+SysReq", Combinacion{alt, XKB_KEY_Sys_Req}},
        CasoTexto{"Home", Combinacion{0, XKB_KEY_Home}},
        CasoTexto{"End", Combinacion{0, XKB_KEY_End}},
        CasoTexto{"Meta+Up", Combinacion{super, XKB_KEY_Up}},
        CasoTexto{"Meta+PgUp", Combinacion{super, XKB_KEY_Prior}},
        CasoTexto{"Meta+PgDown", Combinacion{super, XKB_KEY_Next}},
        CasoTexto{"CapsLock", Combinacion{0, XKB_KEY_Caps_Lock}},
        CasoTexto{"NumLock", Combinacion{0, XKB_KEY_Num_Lock}},
        CasoTexto{"ScrollLock", Combinacion{0, XKB_KEY_Scroll_Lock}},
        CasoTexto{"F1", Combinacion{0, XKB_KEY_F1}},
        CasoTexto{"Ctrl+F12", Combinacion{ctrl, XKB_KEY_F12}},
        CasoTexto{"F35", Combinacion{0, XKB_KEY_F35}},
        CasoTexto{"Menu", Combinacion{0, XKB_KEY_Menu}},
        CasoTexto{"Help", Combinacion{0, XKB_KEY_Help}},
        CasoTexto{"Volume Up", Combinacion{0, XKB_KEY_XF86AudioRaiseVolume}},
        CasoTexto{"Volume Down", Combinacion{0, XKB_KEY_XF86AudioLowerVolume}},
        CasoTexto{"Volume Mute", Combinacion{0, XKB_KEY_XF86AudioMute}},
        CasoTexto{"Media Play", Combinacion{0, XKB_KEY_XF86AudioPlay}},
        CasoTexto{"Media Stop", Combinacion{0, XKB_KEY_XF86AudioStop}},
        CasoTexto{"Media Previous", Combinacion{0, XKB_KEY_XF86AudioPrev}},
        CasoTexto{"Media Next", Combinacion{0, XKB_KEY_XF86AudioNext}},
        CasoTexto{"Media Record", Combinacion{0, XKB_KEY_XF86AudioRecord}},
        CasoTexto{"Launch Mail", Combinacion{0, XKB_KEY_XF86Mail}},
        CasoTexto{"Calculator", Combinacion{0, XKB_KEY_XF86Calculator}},
        CasoTexto{"Launch (1)", Combinacion{0, XKB_KEY_XF86Calculator}},
        CasoTexto{"Monitor Brightness Up", Combinacion{0, XKB_KEY_XF86MonBrightnessUp}},
        CasoTexto{"Monitor Brightness Down", Combinacion{0, XKB_KEY_XF86MonBrightnessDown}},
        CasoTexto{"Sleep", Combinacion{0, XKB_KEY_XF86Sleep}},
        CasoTexto{"Power Off", Combinacion{0, XKB_KEY_XF86PowerOff}},
        CasoTexto{"Microphone Mute", Combinacion{0, XKB_KEY_XF86AudioMicMute}},
        CasoTexto{"Touchpad Toggle", Combinacion{0, XKB_KEY_XF86TouchpadToggle}},
        CasoTexto{"Meta+volume up", Combinacion{super, XKB_KEY_XF86AudioRaiseVolume}},
        CasoTexto{"", std::nullopt}, CasoTexto{"none", std::nullopt},
        CasoTexto{"Ctrl+X, Ctrl+C", std::nullopt}, CasoTexto{"Ctrl+X,Ctrl+C", std::nullopt},
        CasoTexto{"Ctrl+,, Ctrl+X", std::nullopt}, CasoTexto{"Hyper+X", std::nullopt},
        CasoTexto{"Ctrl+", std::nullopt}, CasoTexto{"Meta+NoEsUnaTecla", std::nullopt},
        CasoTexto{"F0", std::nullopt}, CasoTexto{"F36", std::nullopt},
        CasoTexto{"F01", std::nullopt}, CasoTexto{"Volume", std::nullopt}));

// ---- kglobalshortcutsrc ----

struct CasoArchivo {
    std::string contenido;
    Lista esperado;
};

class ArchivoKde : public testing::TestWithParam<CasoArchivo> {};

TEST_P(ArchivoKde, DaLosAtajosActivosEnOrden) {
    EXPECT_EQ(leerAtajosKde(GetParam().contenido), GetParam().esperado) << GetParam().contenido;
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, ArchivoKde,
    testing::Values(
        CasoArchivo{"", {}},
        // Solo el primer campo cuenta: el segundo es el predeterminado, quizá ya cambiado.
        CasoArchivo{R"([kwin]
_k_friendly_name=KWin
Window Close=Alt+F4,Alt+F4,Cerrar la ventana
Switch to Desktop 1=Ctrl+F1,Ctrl+F1,Ir al escritorio 1
Walk Through Desktop List=none,,Recorrer los escritorios
Show Desktop=,Meta+D,Mostrar el escritorio
Window Maximize=Meta+PgUp,Meta+PgUp,Maximizar
)",
                    {{alt, XKB_KEY_F4}, {ctrl, XKB_KEY_F1}, {super, XKB_KEY_Prior}}},
        // El nombre visible no es un atajo aunque lo parezca.
        CasoArchivo{R"([org.kde.kcalc.desktop]
_k_friendly_name=Calculator
_launch=Launch (1),Launch (1),KCalc
)",
                    {{0, XKB_KEY_XF86Calculator}}},
        // Alternativas separadas por tabulador, escrito con su escape.
        CasoArchivo{
            R"([org.kde.spectacle.desktop]
RectangularRegionScreenShot=Meta+Shift+Print\tMeta+Shift+S,Meta+Shift+Print,Capturar una región
_launch=Print,Print,Spectacle
)",
            {{super | mayus, XKB_KEY_Print}, {super | mayus, XKB_KEY_s}, {0, XKB_KEY_Print}}},
        // La coma dentro de un campo, con un escape o con el de la lista y el del archivo.
        CasoArchivo{R"([kwin]
Acercar=Meta+\,,Meta+\,,Acercar
Alejar=Ctrl+Alt+\\,,Ctrl+Alt+\\,,Alejar
Mas=Ctrl++,Ctrl++,Agrandar
)",
                    {{super, XKB_KEY_comma}, {ctrl | alt, XKB_KEY_comma}, {ctrl, XKB_KEY_plus}}},
        // Marcas tras la clave, comentarios (también con '='), fin de línea CRLF y espacios.
        CasoArchivo{"# Meta+K=Meta+K,Meta+K,comentado\r\n#Alt+J=Alt+J,,x\r\n[kmix][$i]\r\n"
                    "_k_friendly_name[$i]=Print\r\n"
                    "increase_volume[$i]=Volume Up,Volume Up,Subir el volumen\r\n"
                    "  decrease_volume  =  Volume Down , Volume Down,Bajar\r\n",
                    {{0, XKB_KEY_XF86AudioRaiseVolume}, {0, XKB_KEY_XF86AudioLowerVolume}}},
        // Los demás escapes de KConfig: espacio, barra invertida y byte en hexadecimal.
        CasoArchivo{R"([otro]
barra=Meta+\\\\,Meta+\\\\,Barra invertida
mudo=Volume\sMute,,Silencio
hex=Meta+\x41,,Letra A
)",
                    {{super, XKB_KEY_backslash}, {0, XKB_KEY_XF86AudioMute}, {super, XKB_KEY_a}}},
        // Lo que no se puede expresar o no es un atajo se salta sin perder lo que sigue.
        CasoArchivo{R"([khotkeys]
dos=Ctrl+X\, Ctrl+C,none,Dos acordes
raro=Hyper+X,,Hyper
sin valor=
sin igual
solo tab=\t,,nada
ninguno=NONE,,nada
bien=Meta+Return,,Terminal
)",
                    {{super, XKB_KEY_Return}}},
        // Todos los grupos, en el orden del archivo.
        CasoArchivo{R"([a]
x=Meta+1,,uno
[b]
y=Meta+2\tnone,,dos
[a]
z=Meta+3,,tres
)",
                    {{super, XKB_KEY_1}, {super, XKB_KEY_2}, {super, XKB_KEY_3}}}));

// ---- El archivo del usuario ----

namespace {

constexpr std::string_view archivoKde = R"([kwin]
_k_friendly_name=KWin
Window Close=Alt+F4,Alt+F4,Cerrar la ventana
Overview=Meta+W\tMeta+Tab,Meta+W,Vista general
)";

const Lista atajosDelArchivo{{alt, XKB_KEY_F4}, {super, XKB_KEY_w}, {super, XKB_KEY_Tab}};

} // namespace

TEST(ArchivoKdeDelUsuario, SeLeeDeXdgConfigHome) {
    const auto carpeta = carpetaBase / "kde-xdg";
    escribir(carpeta / "kglobalshortcutsrc", archivoKde);
    const VariableTemporal xdg("XDG_CONFIG_HOME", carpeta.c_str());
    const VariableTemporal casa("HOME", (carpetaBase / "sin-casa").c_str());
    EXPECT_EQ(atajosKde(), atajosDelArchivo);
}

TEST(ArchivoKdeDelUsuario, SinXdgConfigHomeSeLeeDeLaCasa) {
    const auto casa = carpetaBase / "kde-casa";
    escribir(casa / ".config" / "kglobalshortcutsrc", archivoKde);
    const VariableTemporal varCasa("HOME", casa.c_str());
    {
        const VariableTemporal xdg("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(atajosKde(), atajosDelArchivo);
    }
    {
        const VariableTemporal xdg("XDG_CONFIG_HOME", "");
        EXPECT_EQ(atajosKde(), atajosDelArchivo);
    }
    {
        // Una ruta relativa no vale: se usa la casa.
        const VariableTemporal xdg("XDG_CONFIG_HOME", "kde-xdg");
        EXPECT_EQ(atajosKde(), atajosDelArchivo);
    }
}

TEST(ArchivoKdeDelUsuario, SinArchivoNoHayNinguno) {
    const VariableTemporal xdg("XDG_CONFIG_HOME", (carpetaBase / "vacia").c_str());
    const VariableTemporal casa("HOME", (carpetaBase / "vacia").c_str());
    EXPECT_TRUE(atajosKde().empty());
    const VariableTemporal sinCasa("HOME", nullptr);
    const VariableTemporal sinXdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_TRUE(atajosKde().empty());
}

// ---- GNOME por GSettings ----

TEST(Gnome, LeeLosAtajosConLosValoresDelUsuario) {
    // De otro esquema (la extensión) o de otra clave (el nombre del propio) no llega nada;
    // show-desktop vale lo que puso el usuario, no el predeterminado.
    const Lista esperado{
        {alt, XKB_KEY_F4},          {super, XKB_KEY_Tab},    {alt, XKB_KEY_Tab},
        {super | mayus, XKB_KEY_d}, {alt, XKB_KEY_space},    {0, XKB_KEY_XF86AudioRaiseVolume},
        {super, XKB_KEY_l},         {ctrl | alt, XKB_KEY_k}, {super, XKB_KEY_F9}};
    EXPECT_EQ(ordenada(atajosGnome()), ordenada(esperado));
}

TEST(Gnome, CadaLlamadaLeeLoQueHayAhora) {
    const auto antes = atajosGnome();
    ASSERT_TRUE(contiene(antes, {alt, XKB_KEY_F4}));
    ASSERT_TRUE(contiene(antes, {ctrl | alt, XKB_KEY_k}));

    const Ajustes ventanas(g_settings_new("org.gnome.desktop.wm.keybindings"));
    const Ajustes multimedia(g_settings_new("org.gnome.settings-daemon.plugins.media-keys"));
    const char* const cerrar[] = {"<Super>q", nullptr};
    const std::string ruta(rutaPropia1);
    const char* const propios[] = {ruta.c_str(), nullptr};
    ASSERT_TRUE(g_settings_set_strv(ventanas.get(), "close", cerrar));
    ASSERT_TRUE(g_settings_set_strv(multimedia.get(), "custom-keybindings", propios));

    const auto despues = atajosGnome();
    EXPECT_TRUE(contiene(despues, {super, XKB_KEY_q}));
    EXPECT_FALSE(contiene(despues, {alt, XKB_KEY_F4}));
    EXPECT_FALSE(contiene(despues, {ctrl | alt, XKB_KEY_k}));
    EXPECT_TRUE(contiene(despues, {super, XKB_KEY_F9}));

    // Vuelve a lo predeterminado del esquema; el propio 0 sigue fuera.
    g_settings_reset(ventanas.get(), "close");
    g_settings_reset(multimedia.get(), "custom-keybindings");
    const auto final = atajosGnome();
    EXPECT_TRUE(contiene(final, {alt, XKB_KEY_F4}));
    EXPECT_FALSE(contiene(final, {super, XKB_KEY_F9}));
    EXPECT_FALSE(contiene(final, {ctrl | alt, XKB_KEY_k}));

    // Deja los valores del usuario como estaban para las demás pruebas del proceso.
    const std::string r0(rutaPropia0), r1(rutaPropia1);
    const char* const originales[] = {r0.c_str(), r1.c_str(), nullptr};
    ASSERT_TRUE(g_settings_set_strv(multimedia.get(), "custom-keybindings", originales));
    EXPECT_EQ(ordenada(atajosGnome()), ordenada(antes));
}

// ---- Las aplicaciones y el escritorio ----

TEST(Aplicaciones, CopiarPegarYLasDeSiempre) {
    Lista esperado;
    for (const auto letra : {XKB_KEY_c, XKB_KEY_v, XKB_KEY_x, XKB_KEY_z, XKB_KEY_a, XKB_KEY_s,
                             XKB_KEY_q, XKB_KEY_w, XKB_KEY_f, XKB_KEY_t, XKB_KEY_n})
        esperado.push_back({ctrl, static_cast<std::uint32_t>(letra)});
    esperado.push_back({ctrl | mayus, XKB_KEY_c});
    esperado.push_back({ctrl | mayus, XKB_KEY_v});
    esperado.push_back({mayus, XKB_KEY_Insert});
    EXPECT_EQ(ordenada(atajosDeAplicaciones()), ordenada(esperado));
}

struct CasoEscritorio {
    std::string escritorio;
    bool gnome;
    bool kde;
};

class Escritorio : public testing::TestWithParam<CasoEscritorio> {
protected:
    void SetUp() override { escribir(carpetaBase / "config" / "kglobalshortcutsrc", archivoKde); }
    void TearDown() override { fs::remove(carpetaBase / "config" / "kglobalshortcutsrc"); }
};

TEST_P(Escritorio, JuntaLosSuyosConLosDeLasAplicaciones) {
    const auto deGnome = atajosGnome();
    const auto deKde = atajosKde();
    // Sin esto la prueba no distinguiría incluir de omitir.
    ASSERT_FALSE(deGnome.empty());
    ASSERT_EQ(deKde, atajosDelArchivo);
    const auto esperado = unidas({GetParam().gnome ? deGnome : Lista{},
                                  GetParam().kde ? deKde : Lista{}, atajosDeAplicaciones()});
    EXPECT_EQ(ordenada(atajosDelEscritorio(GetParam().escritorio)), ordenada(esperado))
        << GetParam().escritorio;
}

INSTANTIATE_TEST_SUITE_P(
    Tabla, Escritorio,
    testing::Values(
        CasoEscritorio{"GNOME", true, false}, CasoEscritorio{"ubuntu:GNOME", true, false},
        CasoEscritorio{"ubuntu", true, false}, CasoEscritorio{"Unity", true, false},
        CasoEscritorio{"GNOME-Flashback:GNOME", true, false},
        CasoEscritorio{"GNOME-Classic", true, false}, CasoEscritorio{"gnome", true, false},
        CasoEscritorio{"Budgie:GNOME", true, false}, CasoEscritorio{"KDE", false, true},
        CasoEscritorio{"GNOME:KDE", true, true}, CasoEscritorio{"", false, false},
        CasoEscritorio{"XFCE", false, false}, CasoEscritorio{"X-Cinnamon", false, false},
        CasoEscritorio{"KDEx", false, false}, CasoEscritorio{"LXQt", false, false},
        CasoEscritorio{":", false, false}));

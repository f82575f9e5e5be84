#include "AtajosEscritorio.h"

#include "Codificacion.h"
#include "plataforma/Teclado.h"

#include <gio/gio.h>
#include <xkbcommon/xkbcommon.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace plataforma::x11 {

namespace {

constexpr auto control = static_cast<std::uint32_t>(Modificador::control);
constexpr auto alt = static_cast<std::uint32_t>(Modificador::opcion);
constexpr auto mayusculas = static_cast<std::uint32_t>(Modificador::mayusculas);
constexpr auto super = static_cast<std::uint32_t>(Modificador::comando);

std::string_view recortado(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

char minuscula(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool igualesSinMayusculas(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (minuscula(a[i]) != minuscula(b[i])) return false;
    return true;
}

bool contieneSinMayusculas(std::string_view texto, std::string_view buscado) {
    if (buscado.size() > texto.size()) return false;
    for (std::size_t i = 0; i + buscado.size() <= texto.size(); ++i)
        if (igualesSinMayusculas(texto.substr(i, buscado.size()), buscado)) return true;
    return false;
}

std::optional<std::uint32_t> minusculaDe(xkb_keysym_t simbolo) {
    if (simbolo == XKB_KEY_NoSymbol) return std::nullopt;
    return xkb_keysym_to_lower(simbolo);
}

// ---- GTK ----

std::optional<std::uint32_t> modificadorGtk(std::string_view nombre) {
    for (const auto n : {"Primary", "Control", "Ctrl", "Ctl"})
        if (igualesSinMayusculas(nombre, n)) return control;
    for (const auto n : {"Shift", "Shft"})
        if (igualesSinMayusculas(nombre, n)) return mayusculas;
    // En X, el Meta de GDK es la tecla Alt.
    for (const auto n : {"Alt", "Mod1", "Meta"})
        if (igualesSinMayusculas(nombre, n)) return alt;
    for (const auto n : {"Super", "Mod4"})
        if (igualesSinMayusculas(nombre, n)) return super;
    return std::nullopt;
}

std::optional<std::uint32_t> simboloPorNombre(std::string_view texto) {
    if (texto.empty()) return std::nullopt;
    if (igualesSinMayusculas(texto, "Above_Tab")) return teclaSobreTabulador;
    const std::string nombre(texto);
    xkb_keysym_t simbolo = xkb_keysym_from_name(nombre.c_str(), XKB_KEYSYM_NO_FLAGS);
    if (simbolo == XKB_KEY_NoSymbol)
        simbolo = xkb_keysym_from_name(nombre.c_str(), XKB_KEYSYM_CASE_INSENSITIVE);
    return minusculaDe(simbolo);
}

// ---- KDE (texto portable de Qt) ----

struct TeclaQt {
    std::string_view nombre;
    xkb_keysym_t simbolo;
};

// Los nombres con que Qt escribe las teclas sin carácter, con el símbolo de X que Qt les
// asocia. Varias entradas con el mismo símbolo: Qt acepta también esas formas al leer.
constexpr std::array teclasQt{
    TeclaQt{"Space", XKB_KEY_space},
    TeclaQt{"Esc", XKB_KEY_Escape},
    TeclaQt{"Escape", XKB_KEY_Escape},
    TeclaQt{"Tab", XKB_KEY_Tab},
    TeclaQt{"Backtab", XKB_KEY_ISO_Left_Tab},
    TeclaQt{"Backspace", XKB_KEY_BackSpace},
    TeclaQt{"Return", XKB_KEY_Return},
    TeclaQt{"Enter", XKB_KEY_KP_Enter},
    TeclaQt{"Ins", XKB_KEY_Insert},
    TeclaQt{"Insert", XKB_KEY_Insert},
    TeclaQt{"Del", XKB_KEY_Delete},
    TeclaQt{"Delete", XKB_KEY_Delete},
    TeclaQt{"Pause", XKB_KEY_Pause},
    TeclaQt{"Print", XKB_KEY_Print},
    TeclaQt{"Print Screen", XKB_KEY_Print},
    TeclaQt{"SysReq", XKB_KEY_Sys_Req},
    TeclaQt{"System Request", XKB_KEY_Sys_Req},
    TeclaQt{"Home", XKB_KEY_Home},
    TeclaQt{"End", XKB_KEY_End},
    TeclaQt{"Left", XKB_KEY_Left},
    TeclaQt{"Up", XKB_KEY_Up},
    TeclaQt{"Right", XKB_KEY_Right},
    TeclaQt{"Down", XKB_KEY_Down},
    TeclaQt{"PgUp", XKB_KEY_Prior},
    TeclaQt{"Page Up", XKB_KEY_Prior},
    TeclaQt{"PgDown", XKB_KEY_Next},
    TeclaQt{"Page Down", XKB_KEY_Next},
    TeclaQt{"CapsLock", XKB_KEY_Caps_Lock},
    TeclaQt{"Caps Lock", XKB_KEY_Caps_Lock},
    TeclaQt{"NumLock", XKB_KEY_Num_Lock},
    TeclaQt{"Num Lock", XKB_KEY_Num_Lock},
    TeclaQt{"Number Lock", XKB_KEY_Num_Lock},
    TeclaQt{"ScrollLock", XKB_KEY_Scroll_Lock},
    TeclaQt{"Scroll Lock", XKB_KEY_Scroll_Lock},
    TeclaQt{"Menu", XKB_KEY_Menu},
    TeclaQt{"Help", XKB_KEY_Help},
    TeclaQt{"Clear", XKB_KEY_Clear},
    TeclaQt{"Select", XKB_KEY_Select},
    TeclaQt{"Execute", XKB_KEY_Execute},
    TeclaQt{"Cancel", XKB_KEY_Cancel},
    TeclaQt{"Undo", XKB_KEY_Undo},
    TeclaQt{"Redo", XKB_KEY_Redo},
    TeclaQt{"Find", XKB_KEY_Find},
    TeclaQt{"Back", XKB_KEY_XF86Back},
    TeclaQt{"Forward", XKB_KEY_XF86Forward},
    TeclaQt{"Stop", XKB_KEY_XF86Stop},
    TeclaQt{"Refresh", XKB_KEY_XF86Refresh},
    TeclaQt{"Volume Down", XKB_KEY_XF86AudioLowerVolume},
    TeclaQt{"Volume Mute", XKB_KEY_XF86AudioMute},
    TeclaQt{"Volume Up", XKB_KEY_XF86AudioRaiseVolume},
    TeclaQt{"Media Play", XKB_KEY_XF86AudioPlay},
    TeclaQt{"Toggle Media Play/Pause", XKB_KEY_XF86AudioPlay},
    TeclaQt{"Media Stop", XKB_KEY_XF86AudioStop},
    TeclaQt{"Media Previous", XKB_KEY_XF86AudioPrev},
    TeclaQt{"Media Next", XKB_KEY_XF86AudioNext},
    TeclaQt{"Media Record", XKB_KEY_XF86AudioRecord},
    TeclaQt{"Media Pause", XKB_KEY_XF86AudioPause},
    TeclaQt{"Media Rewind", XKB_KEY_XF86AudioRewind},
    TeclaQt{"Media Fast Forward", XKB_KEY_XF86AudioForward},
    TeclaQt{"Audio Repeat", XKB_KEY_XF86AudioRepeat},
    TeclaQt{"Audio Random Play", XKB_KEY_XF86AudioRandomPlay},
    TeclaQt{"Audio Cycle Track", XKB_KEY_XF86AudioCycleTrack},
    TeclaQt{"Microphone Mute", XKB_KEY_XF86AudioMicMute},
    TeclaQt{"Home Page", XKB_KEY_XF86HomePage},
    TeclaQt{"Favorites", XKB_KEY_XF86Favorites},
    TeclaQt{"Search", XKB_KEY_XF86Search},
    TeclaQt{"Standby", XKB_KEY_XF86Standby},
    TeclaQt{"Open URL", XKB_KEY_XF86OpenURL},
    TeclaQt{"Launch Mail", XKB_KEY_XF86Mail},
    TeclaQt{"Launch Media", XKB_KEY_XF86AudioMedia},
    TeclaQt{"Launch (0)", XKB_KEY_XF86MyComputer},
    TeclaQt{"Launch (1)", XKB_KEY_XF86Calculator},
    TeclaQt{"Launch (2)", XKB_KEY_XF86Launch0},
    TeclaQt{"Launch (3)", XKB_KEY_XF86Launch1},
    TeclaQt{"Launch (4)", XKB_KEY_XF86Launch2},
    TeclaQt{"Launch (5)", XKB_KEY_XF86Launch3},
    TeclaQt{"Launch (6)", XKB_KEY_XF86Launch4},
    TeclaQt{"Launch (7)", XKB_KEY_XF86Launch5},
    TeclaQt{"Launch (8)", XKB_KEY_XF86Launch6},
    TeclaQt{"Launch (9)", XKB_KEY_XF86Launch7},
    TeclaQt{"Launch (A)", XKB_KEY_XF86Launch8},
    TeclaQt{"Launch (B)", XKB_KEY_XF86Launch9},
    TeclaQt{"Launch (C)", XKB_KEY_XF86LaunchA},
    TeclaQt{"Launch (D)", XKB_KEY_XF86LaunchB},
    TeclaQt{"Launch (E)", XKB_KEY_XF86LaunchC},
    TeclaQt{"Launch (F)", XKB_KEY_XF86LaunchD},
    TeclaQt{"Launch (G)", XKB_KEY_XF86LaunchE},
    TeclaQt{"Launch (H)", XKB_KEY_XF86LaunchF},
    TeclaQt{"Monitor Brightness Up", XKB_KEY_XF86MonBrightnessUp},
    TeclaQt{"Monitor Brightness Down", XKB_KEY_XF86MonBrightnessDown},
    TeclaQt{"Keyboard Light On/Off", XKB_KEY_XF86KbdLightOnOff},
    TeclaQt{"Keyboard Brightness Up", XKB_KEY_XF86KbdBrightnessUp},
    TeclaQt{"Keyboard Brightness Down", XKB_KEY_XF86KbdBrightnessDown},
    TeclaQt{"Power Off", XKB_KEY_XF86PowerOff},
    TeclaQt{"Wake Up", XKB_KEY_XF86WakeUp},
    TeclaQt{"Eject", XKB_KEY_XF86Eject},
    TeclaQt{"Screensaver", XKB_KEY_XF86ScreenSaver},
    TeclaQt{"WWW", XKB_KEY_XF86WWW},
    TeclaQt{"Sleep", XKB_KEY_XF86Sleep},
    TeclaQt{"Suspend", XKB_KEY_XF86Suspend},
    TeclaQt{"Hibernate", XKB_KEY_XF86Hibernate},
    TeclaQt{"LightBulb", XKB_KEY_XF86LightBulb},
    TeclaQt{"Shop", XKB_KEY_XF86Shop},
    TeclaQt{"History", XKB_KEY_XF86History},
    TeclaQt{"Add Favorite", XKB_KEY_XF86AddFavorite},
    TeclaQt{"Hot Links", XKB_KEY_XF86HotLinks},
    TeclaQt{"Adjust Brightness", XKB_KEY_XF86BrightnessAdjust},
    TeclaQt{"Finance", XKB_KEY_XF86Finance},
    TeclaQt{"Community", XKB_KEY_XF86Community},
    TeclaQt{"Back Forward", XKB_KEY_XF86BackForward},
    TeclaQt{"Application Left", XKB_KEY_XF86ApplicationLeft},
    TeclaQt{"Application Right", XKB_KEY_XF86ApplicationRight},
    TeclaQt{"Book", XKB_KEY_XF86Book},
    TeclaQt{"CD", XKB_KEY_XF86CD},
    TeclaQt{"Calculator", XKB_KEY_XF86Calculator},
    TeclaQt{"Calendar", XKB_KEY_XF86Calendar},
    TeclaQt{"Clear Grab", XKB_KEY_XF86ClearGrab},
    TeclaQt{"Close", XKB_KEY_XF86Close},
    TeclaQt{"Copy", XKB_KEY_XF86Copy},
    TeclaQt{"Cut", XKB_KEY_XF86Cut},
    TeclaQt{"Paste", XKB_KEY_XF86Paste},
    TeclaQt{"Display", XKB_KEY_XF86Display},
    TeclaQt{"DOS", XKB_KEY_XF86DOS},
    TeclaQt{"Documents", XKB_KEY_XF86Documents},
    TeclaQt{"Spreadsheet", XKB_KEY_XF86Excel},
    TeclaQt{"Browser", XKB_KEY_XF86Explorer},
    TeclaQt{"Game", XKB_KEY_XF86Game},
    TeclaQt{"Go", XKB_KEY_XF86Go},
    TeclaQt{"iTouch", XKB_KEY_XF86iTouch},
    TeclaQt{"Logoff", XKB_KEY_XF86LogOff},
    TeclaQt{"Market", XKB_KEY_XF86Market},
    TeclaQt{"Meeting", XKB_KEY_XF86Meeting},
    TeclaQt{"Memo", XKB_KEY_XF86Memo},
    TeclaQt{"Keyboard Menu", XKB_KEY_XF86MenuKB},
    TeclaQt{"Menu PB", XKB_KEY_XF86MenuPB},
    TeclaQt{"My Sites", XKB_KEY_XF86MySites},
    TeclaQt{"News", XKB_KEY_XF86News},
    TeclaQt{"Home Office", XKB_KEY_XF86OfficeHome},
    TeclaQt{"Option", XKB_KEY_XF86Option},
    TeclaQt{"Phone", XKB_KEY_XF86Phone},
    TeclaQt{"Reply", XKB_KEY_XF86Reply},
    TeclaQt{"Reload", XKB_KEY_XF86Reload},
    TeclaQt{"Rotate Windows", XKB_KEY_XF86RotateWindows},
    TeclaQt{"Rotation PB", XKB_KEY_XF86RotationPB},
    TeclaQt{"Rotation KB", XKB_KEY_XF86RotationKB},
    TeclaQt{"Save", XKB_KEY_XF86Save},
    TeclaQt{"Send", XKB_KEY_XF86Send},
    TeclaQt{"Spellchecker", XKB_KEY_XF86Spell},
    TeclaQt{"Split Screen", XKB_KEY_XF86SplitScreen},
    TeclaQt{"Support", XKB_KEY_XF86Support},
    TeclaQt{"Task Panel", XKB_KEY_XF86TaskPane},
    TeclaQt{"Terminal", XKB_KEY_XF86Terminal},
    TeclaQt{"To-do list", XKB_KEY_XF86ToDoList},
    TeclaQt{"Tools", XKB_KEY_XF86Tools},
    TeclaQt{"Travel", XKB_KEY_XF86Travel},
    TeclaQt{"Video", XKB_KEY_XF86Video},
    TeclaQt{"Word Processor", XKB_KEY_XF86Word},
    TeclaQt{"XFer", XKB_KEY_XF86Xfer},
    TeclaQt{"Zoom In", XKB_KEY_XF86ZoomIn},
    TeclaQt{"Zoom Out", XKB_KEY_XF86ZoomOut},
    TeclaQt{"Away", XKB_KEY_XF86Away},
    TeclaQt{"Messenger", XKB_KEY_XF86Messenger},
    TeclaQt{"WebCam", XKB_KEY_XF86WebCam},
    TeclaQt{"Mail Forward", XKB_KEY_XF86MailForward},
    TeclaQt{"Pictures", XKB_KEY_XF86Pictures},
    TeclaQt{"Music", XKB_KEY_XF86Music},
    TeclaQt{"Battery", XKB_KEY_XF86Battery},
    TeclaQt{"Bluetooth", XKB_KEY_XF86Bluetooth},
    TeclaQt{"Wireless", XKB_KEY_XF86WLAN},
    TeclaQt{"Ultra Wide Band", XKB_KEY_XF86UWB},
    TeclaQt{"Subtitle", XKB_KEY_XF86Subtitle},
    TeclaQt{"Time", XKB_KEY_XF86Time},
    TeclaQt{"View", XKB_KEY_XF86View},
    TeclaQt{"Top Menu", XKB_KEY_XF86TopMenu},
    TeclaQt{"Touchpad Toggle", XKB_KEY_XF86TouchpadToggle},
    TeclaQt{"Touchpad On", XKB_KEY_XF86TouchpadOn},
    TeclaQt{"Touchpad Off", XKB_KEY_XF86TouchpadOff},
    TeclaQt{"Red", XKB_KEY_XF86Red},
    TeclaQt{"Green", XKB_KEY_XF86Green},
    TeclaQt{"Yellow", XKB_KEY_XF86Yellow},
    TeclaQt{"Blue", XKB_KEY_XF86Blue},
    TeclaQt{"New", XKB_KEY_XF86New},
    TeclaQt{"Open", XKB_KEY_XF86Open},
    TeclaQt{"Kanji", XKB_KEY_Kanji},
    TeclaQt{"Muhenkan", XKB_KEY_Muhenkan},
    TeclaQt{"Henkan", XKB_KEY_Henkan},
    TeclaQt{"Romaji", XKB_KEY_Romaji},
    TeclaQt{"Hiragana", XKB_KEY_Hiragana},
    TeclaQt{"Katakana", XKB_KEY_Katakana},
    TeclaQt{"Hiragana Katakana", XKB_KEY_Hiragana_Katakana},
    TeclaQt{"Zenkaku", XKB_KEY_Zenkaku},
    TeclaQt{"Hankaku", XKB_KEY_Hankaku},
    TeclaQt{"Zenkaku Hankaku", XKB_KEY_Zenkaku_Hankaku},
    TeclaQt{"Touroku", XKB_KEY_Touroku},
    TeclaQt{"Massyo", XKB_KEY_Massyo},
    TeclaQt{"Kana Lock", XKB_KEY_Kana_Lock},
    TeclaQt{"Kana Shift", XKB_KEY_Kana_Shift},
    TeclaQt{"Eisu Shift", XKB_KEY_Eisu_Shift},
    TeclaQt{"Eisu toggle", XKB_KEY_Eisu_toggle},
    TeclaQt{"Code input", XKB_KEY_Codeinput},
    TeclaQt{"Multiple Candidate", XKB_KEY_MultipleCandidate},
    TeclaQt{"Previous Candidate", XKB_KEY_PreviousCandidate},
    TeclaQt{"Hangul", XKB_KEY_Hangul},
    TeclaQt{"Hangul Start", XKB_KEY_Hangul_Start},
    TeclaQt{"Hangul End", XKB_KEY_Hangul_End},
    TeclaQt{"Hangul Hanja", XKB_KEY_Hangul_Hanja},
    TeclaQt{"Hangul Jamo", XKB_KEY_Hangul_Jamo},
    TeclaQt{"Hangul Romaja", XKB_KEY_Hangul_Romaja},
    TeclaQt{"Hangul Jeonja", XKB_KEY_Hangul_Jeonja},
    TeclaQt{"Hangul Banja", XKB_KEY_Hangul_Banja},
    TeclaQt{"Hangul PreHanja", XKB_KEY_Hangul_PreHanja},
    TeclaQt{"Hangul PostHanja", XKB_KEY_Hangul_PostHanja},
    TeclaQt{"Hangul Special", XKB_KEY_Hangul_Special},
};

std::optional<std::uint32_t> modificadorQt(std::string_view nombre) {
    // El Meta de Qt en X es la tecla Super.
    if (igualesSinMayusculas(nombre, "Meta")) return super;
    if (igualesSinMayusculas(nombre, "Ctrl")) return control;
    if (igualesSinMayusculas(nombre, "Alt")) return alt;
    if (igualesSinMayusculas(nombre, "Shift")) return mayusculas;
    // Qt marca así las teclas del teclado numérico; no es un modificador de X.
    if (igualesSinMayusculas(nombre, "Num")) return 0;
    return std::nullopt;
}

// El único punto de código de un texto UTF-8, si tiene exactamente uno.
std::optional<char32_t> unCaracter(std::string_view texto) {
    const auto punto = puntoUtf8(texto.data(), texto.size());
    if (!punto || punto->largo != texto.size()) return std::nullopt;
    return punto->punto;
}

std::optional<std::uint32_t> simboloQt(std::string_view nombre) {
    if (const auto caracter = unCaracter(nombre))
        return minusculaDe(xkb_utf32_to_keysym(static_cast<std::uint32_t>(*caracter)));
    if (nombre.size() >= 2 && nombre.size() <= 3 && (nombre[0] == 'F' || nombre[0] == 'f')) {
        int numero = 0;
        for (const char c : nombre.substr(1)) {
            if (c < '0' || c > '9') return std::nullopt;
            numero = numero * 10 + (c - '0');
        }
        if (nombre[1] == '0' || numero < 1 || numero > 35) return std::nullopt;
        return static_cast<std::uint32_t>(XKB_KEY_F1 + (numero - 1));
    }
    for (const auto& tecla : teclasQt)
        if (igualesSinMayusculas(nombre, tecla.nombre)) return tecla.simbolo;
    return std::nullopt;
}

// ---- kglobalshortcutsrc (KConfig) ----

// Primer nivel de KConfig: los escapes del archivo. "\," y "\;" quedan escapados para que
// el segundo nivel, el de la lista, los distinga de los separadores.
std::string sinEscapesDeArchivo(std::string_view valor) {
    std::string salida;
    for (std::size_t i = 0; i < valor.size(); ++i) {
        if (valor[i] != '\\' || i + 1 == valor.size()) {
            salida += valor[i];
            continue;
        }
        const char c = valor[++i];
        switch (c) {
        case 's':
            salida += ' ';
            break;
        case 't':
            salida += '\t';
            break;
        case 'n':
            salida += '\n';
            break;
        case 'r':
            salida += '\r';
            break;
        case '\\':
            salida += '\\';
            break;
        case 'x':
            if (i + 2 < valor.size() && valorHex(valor[i + 1]) >= 0 &&
                valorHex(valor[i + 2]) >= 0) {
                salida += static_cast<char>(valorHex(valor[i + 1]) * 16 + valorHex(valor[i + 2]));
                i += 2;
                break;
            }
            [[fallthrough]];
        default:
            salida += '\\';
            salida += c;
            break;
        }
    }
    return salida;
}

std::string primerCampoDeLista(std::string_view lista) {
    std::string campo;
    for (std::size_t i = 0; i < lista.size(); ++i) {
        if (lista[i] == '\\' && i + 1 < lista.size()) {
            campo += lista[++i];
        } else if (lista[i] == ',') {
            break;
        } else {
            campo += lista[i];
        }
    }
    return campo;
}

// La clave sin sus marcas finales: "Window Close[$i]" es "Window Close".
std::string_view claveSinMarcas(std::string_view clave) {
    while (!clave.empty() && clave.back() == ']') {
        const auto abre = clave.rfind('[');
        if (abre == std::string_view::npos) break;
        clave = recortado(clave.substr(0, abre));
    }
    return clave;
}

std::string variable(const char* nombre) {
    const char* v = std::getenv(nombre);
    return v ? std::string(v) : std::string();
}

// ---- GSettings ----

struct LiberarEsquema {
    void operator()(GSettingsSchema* e) const { g_settings_schema_unref(e); }
};
struct LiberarAjustes {
    void operator()(GSettings* a) const { g_object_unref(a); }
};
struct LiberarClaves {
    void operator()(gchar** c) const { g_strfreev(c); }
};
using Esquema = std::unique_ptr<GSettingsSchema, LiberarEsquema>;
using Ajustes = std::unique_ptr<GSettings, LiberarAjustes>;
using Claves = std::unique_ptr<gchar*, LiberarClaves>;

constexpr std::string_view teclasMultimedia = "org.gnome.settings-daemon.plugins.media-keys";
constexpr std::string_view teclaPropia =
    "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";

// Las mismas condiciones que GSettings exige a una ruta; con otra abortaría.
bool rutaValida(std::string_view ruta) {
    return ruta.size() >= 1 && ruta.front() == '/' && ruta.back() == '/' &&
           ruta.find("//") == std::string_view::npos;
}

// Abre un esquema instalado: los fijos en su ruta, los reubicables en la ruta dada. GSettings
// aborta el proceso con un esquema ausente o una ruta que no le corresponde.
std::pair<Esquema, Ajustes> abrir(std::string_view id, const char* ruta) {
    GSettingsSchemaSource* fuente = g_settings_schema_source_get_default();
    if (!fuente) return {};
    const std::string nombre(id);
    Esquema esquema(g_settings_schema_source_lookup(fuente, nombre.c_str(), TRUE));
    if (!esquema) return {};
    const bool reubicable = g_settings_schema_get_path(esquema.get()) == nullptr;
    if (reubicable != (ruta != nullptr)) return {};
    Ajustes ajustes(g_settings_new_full(esquema.get(), nullptr, ruta));
    return {std::move(esquema), std::move(ajustes)};
}

// Los textos de una clave de tipo "s" o "as"; de otro tipo, ninguno.
std::vector<std::string> textosDe(GSettings* ajustes, GSettingsSchema* esquema, const char* clave) {
    std::vector<std::string> textos;
    if (!g_settings_schema_has_key(esquema, clave)) return textos;
    GSettingsSchemaKey* datos = g_settings_schema_get_key(esquema, clave);
    const GVariantType* tipo = g_settings_schema_key_get_value_type(datos);
    const std::string_view firma(g_variant_type_peek_string(tipo),
                                 g_variant_type_get_string_length(tipo));
    const bool esTexto = firma == "s";
    const bool esLista = firma == "as";
    g_settings_schema_key_unref(datos);
    if (!esTexto && !esLista) return textos;
    GVariant* valor = g_settings_get_value(ajustes, clave);
    if (esTexto) {
        textos.emplace_back(g_variant_get_string(valor, nullptr));
    } else {
        gsize cuantos = 0;
        const gchar** lista = g_variant_get_strv(valor, &cuantos);
        for (gsize i = 0; i < cuantos; ++i)
            textos.emplace_back(lista[i]);
        g_free(lista);
    }
    g_variant_unref(valor);
    return textos;
}

void anadirAceleradores(const std::vector<std::string>& textos,
                        std::vector<CombinacionEscritorio>& salida) {
    for (const auto& texto : textos)
        if (const auto combinacion = desdeAceleradorGtk(texto)) salida.push_back(*combinacion);
}

void leerEsquemaGnome(std::string_view id, std::vector<CombinacionEscritorio>& salida,
                      std::vector<std::string>* rutasPropias) {
    const auto [esquema, ajustes] = abrir(id, nullptr);
    if (!ajustes) return;
    const Claves claves(g_settings_schema_list_keys(esquema.get()));
    for (gchar** clave = claves.get(); *clave; ++clave) {
        const auto textos = textosDe(ajustes.get(), esquema.get(), *clave);
        if (std::string_view(*clave) == "custom-keybindings") {
            if (rutasPropias)
                rutasPropias->insert(rutasPropias->end(), textos.begin(), textos.end());
            continue;
        }
        anadirAceleradores(textos, salida);
    }
}

} // namespace

std::optional<CombinacionEscritorio> desdeAceleradorGtk(std::string_view texto) {
    texto = recortado(texto);
    if (texto.empty() || texto == "disabled") return std::nullopt;
    CombinacionEscritorio combinacion;
    while (!texto.empty() && texto.front() == '<') {
        const auto cierre = texto.find('>');
        if (cierre == std::string_view::npos) return std::nullopt;
        const auto bit = modificadorGtk(texto.substr(1, cierre - 1));
        if (!bit) return std::nullopt;
        combinacion.modificadores |= *bit;
        texto.remove_prefix(cierre + 1);
    }
    const auto simbolo = simboloPorNombre(texto);
    if (!simbolo) return std::nullopt;
    combinacion.simbolo = *simbolo;
    return combinacion;
}

std::optional<CombinacionEscritorio> desdeAtajoKde(std::string_view texto) {
    texto = recortado(texto);
    if (texto.empty()) return std::nullopt;
    CombinacionEscritorio combinacion;
    // Una secuencia de varios acordes ("Ctrl+X, Ctrl+C") deja tras los modificadores un
    // resto que no es ninguna tecla, y no da nada.
    while (texto.size() > 1) {
        const auto mas = texto.find('+');
        if (mas == std::string_view::npos || mas == 0) break;
        const auto bit = modificadorQt(recortado(texto.substr(0, mas)));
        if (!bit) break;
        combinacion.modificadores |= *bit;
        texto.remove_prefix(mas + 1);
    }
    const auto simbolo = simboloQt(texto.size() > 1 ? recortado(texto) : texto);
    if (!simbolo) return std::nullopt;
    combinacion.simbolo = *simbolo;
    return combinacion;
}

std::vector<CombinacionEscritorio> leerAtajosKde(std::string_view contenido) {
    std::vector<CombinacionEscritorio> atajos;
    while (!contenido.empty()) {
        const auto fin = contenido.find('\n');
        const std::string_view linea = recortado(contenido.substr(0, fin));
        contenido = fin == std::string_view::npos ? std::string_view() : contenido.substr(fin + 1);
        if (linea.empty() || linea.front() == '#' || linea.front() == '[') continue;
        const auto igual = linea.find('=');
        if (igual == std::string_view::npos) continue;
        if (claveSinMarcas(recortado(linea.substr(0, igual))) == "_k_friendly_name") continue;
        const std::string activo =
            primerCampoDeLista(sinEscapesDeArchivo(recortado(linea.substr(igual + 1))));
        std::string_view resto = activo;
        while (!resto.empty()) {
            const auto tab = resto.find('\t');
            const auto alternativa = recortado(resto.substr(0, tab));
            resto = tab == std::string_view::npos ? std::string_view() : resto.substr(tab + 1);
            if (alternativa.empty() || igualesSinMayusculas(alternativa, "none")) continue;
            if (const auto combinacion = desdeAtajoKde(alternativa)) atajos.push_back(*combinacion);
        }
    }
    return atajos;
}

std::vector<CombinacionEscritorio> atajosGnome() {
    std::vector<CombinacionEscritorio> atajos;
    std::vector<std::string> rutasPropias;
    for (const auto id : {"org.gnome.desktop.wm.keybindings", "org.gnome.shell.keybindings",
                          "org.gnome.mutter.keybindings", "org.gnome.mutter.wayland.keybindings"})
        leerEsquemaGnome(id, atajos, nullptr);
    leerEsquemaGnome(teclasMultimedia, atajos, &rutasPropias);
    for (const auto& ruta : rutasPropias) {
        if (!rutaValida(ruta)) continue;
        const auto [esquema, ajustes] = abrir(teclaPropia, ruta.c_str());
        if (ajustes) anadirAceleradores(textosDe(ajustes.get(), esquema.get(), "binding"), atajos);
    }
    return atajos;
}

std::vector<CombinacionEscritorio> atajosKde() {
    std::filesystem::path carpeta = variable("XDG_CONFIG_HOME");
    // Una ruta relativa no vale como XDG_CONFIG_HOME.
    if (!carpeta.is_absolute()) {
        const std::string casa = variable("HOME");
        if (casa.empty()) return {};
        carpeta = std::filesystem::path(casa) / ".config";
    }
    std::ifstream archivo(carpeta / "kglobalshortcutsrc", std::ios::binary);
    if (!archivo) return {};
    std::ostringstream contenido;
    contenido << archivo.rdbuf();
    return leerAtajosKde(contenido.str());
}

std::vector<CombinacionEscritorio> atajosDeAplicaciones() {
    std::vector<CombinacionEscritorio> atajos;
    for (const auto letra : {XKB_KEY_c, XKB_KEY_v, XKB_KEY_x, XKB_KEY_z, XKB_KEY_a, XKB_KEY_s,
                             XKB_KEY_q, XKB_KEY_w, XKB_KEY_f, XKB_KEY_t, XKB_KEY_n})
        atajos.push_back({control, static_cast<std::uint32_t>(letra)});
    // Copiar y pegar de los terminales.
    atajos.push_back({control | mayusculas, XKB_KEY_c});
    atajos.push_back({control | mayusculas, XKB_KEY_v});
    atajos.push_back({mayusculas, XKB_KEY_Insert});
    return atajos;
}

std::vector<CombinacionEscritorio> atajosDelEscritorio(std::string_view escritorioActual) {
    bool gnome = false;
    bool kde = false;
    std::string_view resto = escritorioActual;
    while (!resto.empty()) {
        const auto dos = resto.find(':');
        const auto nombre = resto.substr(0, dos);
        resto = dos == std::string_view::npos ? std::string_view() : resto.substr(dos + 1);
        // Unity y Ubuntu usan los esquemas de GNOME.
        if (contieneSinMayusculas(nombre, "GNOME") || nombre == "Unity" || nombre == "ubuntu")
            gnome = true;
        if (nombre == "KDE") kde = true;
    }
    std::vector<CombinacionEscritorio> atajos;
    if (gnome) atajos = atajosGnome();
    if (kde) {
        const auto deKde = atajosKde();
        atajos.insert(atajos.end(), deKde.begin(), deKde.end());
    }
    const auto deAplicaciones = atajosDeAplicaciones();
    atajos.insert(atajos.end(), deAplicaciones.begin(), deAplicaciones.end());
    return atajos;
}

} // namespace plataforma::x11

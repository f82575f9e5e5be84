#include "interfaz/Formato.h"

#include "interfaz/Idioma.h"

#include <rebisco/Textos.h>

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/reldatefmt.h>

#include <chrono>
#include <memory>

namespace rebisco::Formato {

namespace {

struct Relativo {
    std::unique_ptr<icu::RelativeDateTimeFormatter> formato;
    std::unique_ptr<icu::Calendar> calendario;
};

// Se crea una vez, con el idioma de la interfaz; si ICU no puede, queda vacío.
Relativo& relativo() {
    static Relativo r = [] {
        Relativo nuevo;
        const icu::Locale locale(Idioma::actual().toUtf8().constData());
        UErrorCode error = U_ZERO_ERROR;
        nuevo.formato = std::make_unique<icu::RelativeDateTimeFormatter>(
            locale, nullptr, UDAT_STYLE_SHORT, UDISPCTX_CAPITALIZATION_NONE, error);
        if (U_FAILURE(error)) nuevo.formato.reset();
        error = U_ZERO_ERROR;
        nuevo.calendario.reset(icu::Calendar::createInstance(locale, error));
        if (U_FAILURE(error)) nuevo.calendario.reset();
        return nuevo;
    }();
    return r;
}

UDate milisegundos(nucleo::Instante t) {
    using namespace std::chrono;
    return static_cast<UDate>(duration_cast<milliseconds>(t.time_since_epoch()).count());
}

QString desdeIcu(const icu::UnicodeString& texto) {
    return QString(reinterpret_cast<const QChar*>(texto.getBuffer()), texto.length());
}

QString cantidad(std::int64_t n, const char* uno, const char* varios) {
    return n == 1 ? localizable(uno) : localizable(varios).arg(n);
}

} // namespace

QString titulo(const nucleo::Recorte& recorte) {
    const auto vista = QString::fromStdString(recorte.vista);
    if (recorte.clase != nucleo::ClaseRecorte::imagen) return vista;
    for (qsizetype i = 0; i < vista.size(); ++i) {
        if (vista.at(i).isNumber()) return localizable("Imagen de %1").arg(vista.mid(i));
    }
    return localizable("Imagen");
}

QString haceCuanto(nucleo::Instante fecha, nucleo::Instante ahora) {
    if (ahora - fecha < std::chrono::seconds(60)) return localizable("ahora");
    auto& r = relativo();
    if (!r.formato || !r.calendario) return localizable("ahora");
    // La unidad mayor que no da cero, contando en el calendario (un mes es un mes, no 30 días).
    static constexpr std::pair<UCalendarDateFields, URelativeDateTimeUnit> unidades[] = {
        {UCAL_YEAR, UDAT_REL_UNIT_YEAR},         {UCAL_MONTH, UDAT_REL_UNIT_MONTH},
        {UCAL_WEEK_OF_YEAR, UDAT_REL_UNIT_WEEK}, {UCAL_DATE, UDAT_REL_UNIT_DAY},
        {UCAL_HOUR_OF_DAY, UDAT_REL_UNIT_HOUR},  {UCAL_MINUTE, UDAT_REL_UNIT_MINUTE},
    };
    UErrorCode error = U_ZERO_ERROR;
    r.calendario->setTime(milisegundos(fecha), error);
    const UDate destino = milisegundos(ahora);
    for (const auto& [campo, unidad] : unidades) {
        const auto diferencia = r.calendario->fieldDifference(destino, campo, error);
        if (U_FAILURE(error)) break;
        if (diferencia == 0) continue;
        icu::UnicodeString texto;
        r.formato->formatNumeric(-static_cast<double>(diferencia), unidad, texto, error);
        if (U_FAILURE(error)) break;
        return desdeIcu(texto);
    }
    return localizable("ahora");
}

QString recortes(std::int64_t n) {
    return cantidad(n, "1 recorte", "%1 recortes");
}

QString resultados(std::int64_t n) {
    return cantidad(n, "1 resultado", "%1 resultados");
}

QString bytes(std::int64_t n) {
    auto texto = Idioma::local().formattedDataSize(n, 1, QLocale::DataSizeSIFormat);
    // "1,0 MB" se lee "1 MB", como en los archivos.
    const auto cero = Idioma::local().decimalPoint() + Idioma::local().zeroDigit() + u' ';
    return texto.replace(cero, QStringLiteral(" "));
}

} // namespace rebisco::Formato

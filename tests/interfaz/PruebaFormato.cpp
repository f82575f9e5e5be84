#include "AyudasUi.h"

#include <interfaz/Formato.h>
#include <interfaz/Idioma.h>

#include <gtest/gtest.h>

namespace Formato = rebisco::Formato;
using namespace std::chrono_literals;

namespace {

bool enIngles() {
    return rebisco::Idioma::actual() == u"en";
}

// Los textos de la tabla en el idioma con que corre la prueba.
struct Texto {
    const char* es;
    const char* en;
    QString operator()() const { return QString::fromUtf8(enIngles() ? en : es); }
};

nucleo::Recorte recorte(nucleo::ClaseRecorte clase, std::string vista) {
    return {.clase = clase, .vista = std::move(vista)};
}

TEST(Formato, ElTituloDeUnaImagenDiceSusMedidas) {
    using nucleo::ClaseRecorte;
    struct Caso {
        nucleo::Recorte recorte;
        const char* titulo; // los textos sin tabla de traducción quedan en español
    };
    const Caso casos[] = {
        {recorte(ClaseRecorte::imagen, "800 × 600"), "Imagen de 800 × 600"},
        {recorte(ClaseRecorte::imagen, "64 × 48"), "Imagen de 64 × 48"},
        {recorte(ClaseRecorte::imagen, "Captura 1024 × 768"), "Imagen de 1024 × 768"},
        {recorte(ClaseRecorte::imagen, "Imagen ٣ × ٤"), "Imagen de ٣ × ٤"},
        {recorte(ClaseRecorte::imagen, ""), "Imagen"},
        {recorte(ClaseRecorte::imagen, "sin medidas"), "Imagen"},
        {recorte(ClaseRecorte::texto, "800 × 600"), "800 × 600"},
        {recorte(ClaseRecorte::enlace, "https://ejemplo.org/1"), "https://ejemplo.org/1"},
        {recorte(ClaseRecorte::archivos, "informe.pdf y 2 más"), "informe.pdf y 2 más"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.recorte.vista);
        EXPECT_EQ(Formato::titulo(caso.recorte), QString::fromUtf8(caso.titulo));
    }
}

TEST(Formato, HaceCuantoCuentaEnLaMayorUnidadDelCalendario) {
    const auto ahora = pruebas::momento(); // 2023-11-14 22:13:20 UTC
    struct Caso {
        std::chrono::seconds antes;
        Texto texto;
    };
    const Caso casos[] = {
        {0s, {"ahora", "ahora"}},
        {30s, {"ahora", "ahora"}},
        {59s, {"ahora", "ahora"}},
        {-3600s, {"ahora", "ahora"}}, // en el futuro
        {60s, {"hace 1 min", "1 min. ago"}},
        {119s, {"hace 1 min", "1 min. ago"}},
        {59min + 59s, {"hace 59 min", "59 min. ago"}},
        {1h, {"hace 1 h", "1 hr. ago"}},
        {23h + 59min, {"hace 23 h", "23 hr. ago"}},
        {24h, {"hace 1 d", "1 day ago"}},
        {6 * 24h, {"hace 6 d", "6 days ago"}},
        {7 * 24h, {"hace 1 sem.", "1 wk. ago"}},
        {29 * 24h, {"hace 4 sem.", "4 wk. ago"}},
        {31 * 24h, {"hace 1 m", "1 mo. ago"}}, // 14 oct.: un mes de calendario
        {364 * 24h, {"hace 11 m", "11 mo. ago"}},
        {366 * 24h, {"hace 1 a", "1 yr. ago"}},
        {3 * 366 * 24h, {"hace 3 a", "3 yr. ago"}},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.antes.count());
        EXPECT_EQ(Formato::haceCuanto(ahora - caso.antes, ahora), caso.texto());
    }
}

TEST(Formato, CantidadesEnSingularYPlural) {
    struct Caso {
        std::int64_t n;
        const char* recortes;
        const char* resultados;
    };
    const Caso casos[] = {
        {0, "0 recortes", "0 resultados"},
        {1, "1 recorte", "1 resultado"},
        {2, "2 recortes", "2 resultados"},
        {-1, "-1 recortes", "-1 resultados"},
        {100000, "100000 recortes", "100000 resultados"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.n);
        EXPECT_EQ(Formato::recortes(caso.n), QString::fromUtf8(caso.recortes));
        EXPECT_EQ(Formato::resultados(caso.n), QString::fromUtf8(caso.resultados));
    }
}

TEST(Formato, TamanosConUnidadesDecimales) {
    struct Caso {
        std::int64_t bytes;
        Texto texto;
    };
    const Caso casos[] = {
        {0, {"0 bytes", "0 bytes"}},       {999, {"999 bytes", "999 bytes"}},
        {1000, {"1 kB", "1 kB"}},          {1500, {"1,5 kB", "1.5 kB"}},
        {1'500'000, {"1,5 MB", "1.5 MB"}}, {1'000'000, {"1 MB", "1 MB"}},
        {10'000'000, {"10 MB", "10 MB"}},  {2'340'000'000, {"2,3 GB", "2.3 GB"}},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.bytes);
        EXPECT_EQ(Formato::bytes(caso.bytes), caso.texto());
    }
}

} // namespace

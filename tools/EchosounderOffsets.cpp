#include "tools/EchosounderOffsets.h"

#include "platform/IniFile.h"
#include "platform/Numbers.h"

#include <cmath>
#include <optional>

namespace vsx {

OffsetsTexts LoadOffsets(const IniFile& ini)
{
    const char* s = kEchosounderOffsetsSection;
    // A number the file does not hold (a first start, or a line lost from a damaged settings
    // file) shows the value depths are computed with until one is accepted, never an empty field.
    const OffsetNumbers d;
    auto number = [&ini, s](const char* key, double fallback) {
        std::string text = ini.readString(s, key, "");
        return text.empty() ? formatGeneral(fallback) : text;
    };
    OffsetsTexts t;
    t.offsetA = number("Offset A", d.draft);
    t.offsetB = number("Offset B", d.draft + d.antennaHeight);
    t.offsetC = number("Offset C", d.antennaHeight);
    t.soundVelocity = number("SV", d.soundVelocity);
    t.tideHeight = number("Tide Height", d.tide);
    t.surveyor = ini.readString(s, "Surveyor", "");
    t.surveyBoat = ini.readString(s, "SurveyBoat", "");
    t.location = ini.readString(s, "SurveyLocation", "");
    return t;
}

void SaveOffsets(IniFile& ini, const OffsetsTexts& t, const std::string& clockText)
{
    // The keys are written padded to 13 characters, as the files have always held them; reads
    // find them through the trimmed key names.
    const char* s = kEchosounderOffsetsSection;
    ini.writeString(s, "Offset A     ", t.offsetA);
    ini.writeString(s, "Offset B     ", t.offsetB);
    ini.writeString(s, "Offset C     ", t.offsetC);
    ini.writeString(s, "SV           ", t.soundVelocity);
    ini.writeString(s, "Tide Height  ", t.tideHeight);
    ini.writeString(s, "Time         ", clockText);
    ini.writeString(s, "Surveyor     ", t.surveyor);
    ini.writeString(s, "SurveyBoat   ", t.surveyBoat);
    ini.writeString(s, "SurveyLocation", t.location);
}

namespace {
OffsetsCheck fail(OffsetsField field, LocalText message) { return {false, field, message}; }
} // namespace

OffsetsCheck CheckOffsets(const OffsetsTexts& t)
{
    struct NumberField {
        const std::string& text;
        OffsetsField field;
        LocalText message;
    };
    const NumberField numbers[] = {
        {t.offsetA, OffsetsField::OffsetA,
         {"Failed! Recheck offset A", "Başarısız! A değerini yeniden kontrol ediniz."}},
        {t.offsetB, OffsetsField::OffsetB,
         {"Failed! Recheck offset B", "Başarısız! B değerini yeniden kontrol ediniz."}},
        {t.offsetC, OffsetsField::OffsetC,
         {"Failed! Recheck offset C", "Başarısız! C değerini yeniden kontrol ediniz."}},
        {t.soundVelocity, OffsetsField::SoundVelocity,
         {"Failed! Recheck SV value", "Başarısız! SV/SH değerini yeniden kontrol ediniz."}},
        {t.tideHeight, OffsetsField::TideHeight,
         {"Failed! Recheck tide height", "Başarısız! Su kotunu kontrol ediniz."}},
    };
    // One strict reading per field: the whole text must be a finite number, so "1.5 m", "nan"
    // and "inf" are refused here with the field's own message.
    double value[5];
    for (int i = 0; i < 5; ++i) {
        const std::optional<double> v = parseDouble(numbers[i].text);
        if (!v) return fail(numbers[i].field, numbers[i].message);
        value[i] = *v;
    }
    struct TextField {
        const std::string& text;
        OffsetsField field;
        LocalText message;
    };
    const TextField texts[] = {
        {t.location, OffsetsField::Location, {"Failed! Location cannot be missing", "Başarısız! Yer adı boş olamaz"}},
        {t.surveyBoat, OffsetsField::SurveyBoat,
         {"Failed! Name/type of survey boat cannot be missing", "Başarısız! Ölçme aracının adı boş olamaz"}},
        {t.surveyor, OffsetsField::Surveyor,
         {"Failed! Name of surveyor cannot be missing", "Başarısız! Öçen kişinin adı boş olamaz"}},
    };
    for (const TextField& f : texts)
        if (f.text.empty()) return fail(f.field, f.message);

    const double a = value[0], b = value[1], c = value[2], sv = value[3];
    // "Within 0.025" includes the boundary; the small margin absorbs the binary rounding of the
    // sum (0.5 + 1.5 - 2.025 is not exactly -0.025).
    if (std::fabs(a + c - b) > kOffsetsTolerance + 1e-9)
        return fail(OffsetsField::OffsetA, {"Measurements contains error: A + C must be close enough to B.",
                                            "Ölçümlerde hata var: A + C toplamı B değerine yakın olması gerekir"});
    if (sv > kMaxSoundVelocity || sv < kMinSoundVelocity)
        return fail(OffsetsField::SoundVelocity, {"Error in Sound Velocity (SV) value", "SV/SE değerinde hata var"});
    return {};
}

std::optional<OffsetNumbers> AcceptedOffsetNumbers(const OffsetsTexts& texts)
{
    OffsetsTexts t = texts;
    for (std::string* s : {&t.location, &t.surveyBoat, &t.surveyor})
        if (s->empty()) s->push_back('-');
    if (!CheckOffsets(t).ok) return std::nullopt;
    return OffsetNumbers{*parseDouble(t.offsetA), *parseDouble(t.soundVelocity), *parseDouble(t.offsetC),
                         *parseDouble(t.tideHeight)};
}

} // namespace vsx

#include "tools/OffsetsReport.h"

#include "app/Settings.h"
#include "app/SharedValues.h"
#include "platform/Clock.h"
#include "platform/Text.h"

namespace vsx {

std::string OffsetsReportFileName() { return LogFolder + CurrentDateString() + " Offsets.log"; }

std::string OffsetsClockText()
{
    const LocalDateTime now = localNow();
    return formatDate(now) + " " + formatTimeCompact(now);
}

std::string BuildOffsetsReport(const OffsetsTexts& t, const std::string& clockText, bool profileUsed, bool english)
{
    // The labels are dot-padded to a fixed width: 34 characters in English, 44 in Turkish.
    struct Labels {
        const char *title, *time, *location, *boat, *draft, *offsetB, *offsetC, *sv, *tide, *surveyor, *profile;
    };
    static const Labels en{"Veldor Sondrix - offsets essential for post processing",
                           "Time..............................",
                           "Survey Location...................",
                           "Survey Boat.......................",
                           "Transducer Draft (A)..............",
                           "Transducer - Antenna Offset (B)...",
                           "Antenna Height Above Water (C)....",
                           "Sound Velocity....................",
                           "Tide Height.......................",
                           "Surveyor..........................",
                           "Sound velocity profile used"};
    static const Labels tr{"Veldor Sondrix - veri işleme için gerekli değerler",
                           "Zaman.......................................",
                           "Yer.........................................",
                           "Ölçme botu..................................",
                           "Transduser su kesimi (A)....................",
                           "Transduser ile GPS anteni arası mesafe (B)..",
                           "Sudan antene olan mesafe (C)................",
                           "Ses hızı....................................",
                           "Su kotu.....................................",
                           "Ölçen.......................................",
                           "Ses hızı profili kullanıldı"};
    const Labels& l = english ? en : tr;
    // The labels are written here in UTF-8; the typed values already hold 8-bit text.
    const std::string sv = profileUsed ? utf8ToCp1254(l.profile) : t.soundVelocity;
    std::string block = "\n\n";
    block += utf8ToCp1254(l.title);
    auto line = [&](const char* label, const std::string& value) {
        block += "\n";
        block += utf8ToCp1254(label);
        block += "\t=";
        block += value;
    };
    line(l.time, clockText);
    line(l.location, t.location);
    line(l.boat, t.surveyBoat);
    line(l.draft, t.offsetA);
    line(l.offsetB, t.offsetB);
    line(l.offsetC, t.offsetC);
    line(l.sv, sv);
    line(l.tide, t.tideHeight);
    line(l.surveyor, t.surveyor);
    return toCrLf(block);
}

} // namespace vsx

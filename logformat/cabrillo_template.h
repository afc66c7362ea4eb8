// The Cabrillo template's columns, and a line on them cut into its fields.
// Inline, so that a reader of many lines cuts them where it reads them and
// knows every field's width there.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/text.h"
#include "logformat/tv_util2.h"

namespace tv_util2 {

// "QSO:", which every Cabrillo QSO line starts with.
inline constexpr std::size_t CabrilloMarkerLength = 4;

// clang-format off
inline constexpr ColumnLayout CabrilloLayout = {
    {6, 2},  {56, 10}, {23, 2}, {26, 2}, {-1, 0}, {-1, 0}, {15, 10},
    {12, 2}, {45, 3},  {70, 3}, {26, 4}, {20, 2}, {74, 6},
};
// clang-format on

// What a template line is checked and cut by, all from its layout: the five
// columns of kHz begin where the band's two do.
inline constexpr int TemplateFrequencyEnd = CabrilloLayout.Band.Start + 4;
inline constexpr int TemplateDate = CabrilloLayout.Date.Start;
inline constexpr int TemplateTime = CabrilloLayout.Time.Start;
inline constexpr int TemplateCall = CabrilloLayout.Call.Start;

// The frequency's last byte and the blank after it turn most lines off the
// template away at once, and so does a line too short for its first block.
inline bool OffTemplateAtOnce(std::string_view Line) {
    return Line.size() < CabrilloMarkerLength + 64 ||
           tavo::IsBlankOrControl(Line[TemplateFrequencyEnd - 1]) ||
           !tavo::IsBlankOrControl(Line[TemplateFrequencyEnd]);
}

// The two readings of ReadCabrilloFields, each in a frame of its own: a
// line turned away at once does not save the registers the template's check
// takes, nor a template line those of a line read by its fields.
int ReadOffTemplate(std::string_view Line, CabrilloFields& Fields);
int ReadNearTemplate(std::string_view Line, CabrilloFields& Fields);

// ReadQsoFields of a Cabrillo line with the template's layout. A line on the
// template gives the length of its received call, for TemplateFields to cut
// it by; any other line gives -1 and is read into Fields, whose band may be
// left as BandOfFrequency, and whose day and hour are left to the caller:
// the date's ninth and tenth bytes and the time's first two, as on every
// Cabrillo line. Each line of a log is read in turn into one Fields, which
// keeps the last line's shape.
inline int ReadCabrilloFields(std::string_view Line, CabrilloFields& Fields) {
    return OffTemplateAtOnce(Line) ? ReadOffTemplate(Line, Fields) : ReadNearTemplate(Line, Fields);
}

// The band of a Cabrillo frequency by its first two bytes, with or without a
// leading zero (10 for any other band), without a walk through a table.
constexpr int CabrilloColumnBand(char first, char second) {
    if (first == ' ' || first == '0') {
        switch (second) {
            case '1': return 0;
            case '3': return 1;
            case '7': return 2;
            default: return 10;
        }
    }
    switch (first << 8 | second) {
        case '1' << 8 | '4': return 3;
        case '2' << 8 | '1': return 4;
        case '2' << 8 | '8': return 5;
        case '5' << 8 | '0': return 6;
        default: return 10;
    }
}

// The fields a line on the template holds at fixed columns whatever its
// layout says: the frequency's columns before its end, the mode's up to the
// date, and the time with the byte after it (a time one digit too long still
// shows as five characters). The line reaches at least to the call's column.
inline void CutTemplateMiddle(std::string_view Line, QsoFields& Fields) {
    auto at = [&Line](auto column, auto length) {
        return std::string_view(Line.data() + column - 1, static_cast<std::size_t>(length));
    };
    Fields.Frequency = at(CabrilloMarkerLength + 1, TemplateFrequencyEnd - CabrilloMarkerLength);
    Fields.Mode = at(TemplateFrequencyEnd + 1, TemplateDate - 1 - TemplateFrequencyEnd);
    Fields.Time = at(TemplateTime, CabrilloLayout.Time.Length + 1);
}

// A line that ReadCabrilloFields found on the template, with the length of
// its received call, cut at the fixed columns: the line reaches past the
// call's 13 bytes, so there is no span arithmetic and no bound to test.
inline QsoFields TemplateFields(std::string_view Line, int CallLength) {
    auto at = [&Line](auto column, auto length) {
        return std::string_view(Line.data() + column - 1, static_cast<std::size_t>(length));
    };
    constexpr ColumnLayout kLayout = CabrilloLayout;
    QsoFields fields;
    fields.Band = CabrilloColumnBand(Line[kLayout.Band.Start - 1], Line[kLayout.Band.Start]);
    fields.Day = at(kLayout.Day.Start, kLayout.Day.Length);
    fields.Hour = at(kLayout.Hour.Start, kLayout.Hour.Length);
    fields.Date = at(kLayout.Date.Start, kLayout.Date.Length);
    fields.Call = at(TemplateCall, CallLength);
    CutTemplateMiddle(Line, fields);
    return fields;
}

}  // namespace tv_util2

#include "app/command_texts.h"

#include "common/text.h"
#include "country/cty_utl3.h"

namespace tavo {

std::string DataText(std::string_view DataFileName) {
    std::string text = "Data File:";
    text += DataFileName;
    text += "\r\nCountry:" + IntToStr(cty_utl3::CountryCount());
    text += "   PX:" + IntToStr(cty_utl3::PrefixCount());
    return text;
}

std::optional<std::string> TestText(std::string_view Answer) {
    const std::string call = UpperAscii(Answer);
    const int index = cty_utl3::CallToCountry(Trim(call));
    if (index < 0) return std::nullopt;
    const cty_utl3::TCountryRec& rec = cty_utl3::CountryTable(index);
    std::string text = "Call : " + call + "\r\n\r\n";
    text += Trim(rec.MainPrefix.View());
    text += " : ";
    text += Trim(rec.Name.View());
    text += "\r\nZone:" + IntToStr(rec.CqZone) + " [";
    text += Trim(cty_utl3::ContinentName(rec.Continent));
    text += "]";
    return text;
}

}  // namespace tavo

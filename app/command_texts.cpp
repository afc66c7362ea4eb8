#include "app/command_texts.h"

#include <filesystem>

#include "common/text.h"
#include "country/cty_utl3.h"
#include "platform/program_path.h"
#include "platform/text_file.h"

namespace tavo {

std::string DefaultDataFile() { return DefaultDataFile(ProgramFileName()); }

std::string DefaultDataFile(const std::string& ProgramFileName) {
    const std::string local = kCountryFileName;
    if (FileExists(local)) return local;
    if (!ProgramFileName.empty()) {
        const std::filesystem::path folder = std::filesystem::path(ProgramFileName).parent_path();
        for (const auto& candidate :
             {folder / local, folder.parent_path() / "share" / "tavo" / local}) {
            if (FileExists(candidate.string())) return candidate.string();
        }
    }
    return local;
}

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

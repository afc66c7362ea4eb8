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

namespace {

std::string CountsText(std::string_view DataFileName) {
    std::string text = "Data File:";
    text += DataFileName;
    text += "\r\nCountry:" + IntToStr(cty_utl3::CountryCount());
    text += "   PX:" + IntToStr(cty_utl3::PrefixCount());
    return text;
}

}  // namespace

std::string DataFormText() {
    const cty_utl3::CountryDatabase& db = cty_utl3::DefaultCountryDatabase();
    std::string text = "Form:";
    if (db.Form() == cty_utl3::DataForm::CtyDat) {
        text += "cty.dat   Exact:" + IntToStr(db.ExactCount());
    } else {
        text += kCountryFileName;
    }
    if (!db.Version().empty()) text += "\r\nVersion:" + db.Version();
    return text;
}

// The window's text for CQWW.DAT stays as it always was.
std::string DataText(std::string_view DataFileName) {
    std::string text = CountsText(DataFileName);
    if (cty_utl3::DefaultCountryDatabase().Form() != cty_utl3::DataForm::CqwwDat) {
        text += "\r\n" + DataFormText();
    }
    return text;
}

std::string DataTextWithForm(std::string_view DataFileName) {
    return CountsText(DataFileName) + "\r\n" + DataFormText();
}

std::string CallLine(std::string_view Answer) {
    return "Call : " + UpperAscii(Answer) + "\r\n\r\n";
}

std::optional<std::string> TestText(std::string_view Answer) {
    const std::string call = UpperAscii(Answer);
    const cty_utl3::CallResolution found = cty_utl3::Resolve(Trim(call));
    if (found.Country < 0) return std::nullopt;
    const cty_utl3::TCountryRec& rec = cty_utl3::CountryTable(found.Country);
    std::string text = CallLine(Answer);
    text += Trim(rec.MainPrefix.View());
    text += " : ";
    text += Trim(rec.Name.View());
    text += "\r\nZone:" + IntToStr(found.CqZone) + " [";
    text += Trim(cty_utl3::ContinentName(found.Continent));
    text += "]";
    return text;
}

}  // namespace tavo

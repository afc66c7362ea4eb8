// The cty.dat converter on arbitrary bytes: what it accepts it writes as a
// CQWW.DAT that the loader reads back with every entity.
#include <string>

#include "country/cty_convert.h"
#include "fuzz/fuzz_support.h"
#include "platform/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static cty_utl3::CountryDatabase db;
    std::string cty = tavo::fuzz::PutFile("cty.dat", tavo::fuzz::AsText(data, size));
    std::optional<cty_convert::CtyData> read;
    try {
        read = cty_convert::ReadCtyFile(cty);
    } catch (const cty_convert::CtyFormatError&) {
        return 0;  // refused with its line: nothing is written
    }
    if (!read) tavo::fuzz::Broken("a regular file could not be opened");
    const std::string out = (tavo::fuzz::ScratchFolder() / "CQWW.DAT").string();
    std::optional<tavo::TextWriter> file = tavo::TextWriter::Replace(out);
    if (!file) tavo::fuzz::Broken("the output could not be created");
    cty_convert::WriteCqwwDat(*read, *file);
    file->Close();
    if (db.Load(out) != 0) tavo::fuzz::Broken("the output could not be opened");
    if (db.Form() != cty_utl3::DataForm::CqwwDat) tavo::fuzz::Broken("the output is no CQWW.DAT");
    if (db.CountryCount() != static_cast<int>(read->Entities.size()))
        tavo::fuzz::Broken("entities lost in the conversion");
    return 0;
}

// The country loader on arbitrary bytes, in either form (a cty.dat header as
// the first line makes it cty.dat), then the resolution of calls taken from
// the same bytes and of a few fixed ones.
#include <array>
#include <string>
#include <string_view>

#include "country/cty_dat.h"
#include "fuzz/fuzz_support.h"
#include "platform/text_file.h"

namespace {

// A call resolves to a record of the tables or to none. A CQWW.DAT whose
// data ends inside a prefix list keeps that list's prefixes, for a country
// one past the count, as the old program's tables did.
void CheckResolve(const cty_utl3::CountryDatabase& db, std::string_view call) {
    cty_utl3::CallResolution r = db.Resolve(call);
    if (r.Country == -1) return;
    if (r.Country < 1 || r.Country > db.CountryCount() + 1 || r.Country > cty_utl3::MaxCountries)
        tavo::fuzz::Broken("country out of range");
}

bool IsCallByte(char c) {
    return c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != ',' && c != ';' && c != ':';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One database for the whole run: a load overwrites it, and the tables
    // are too large to build anew for every input.
    static cty_utl3::CountryDatabase db;
    std::string_view bytes = tavo::fuzz::AsText(data, size);
    std::string path = tavo::fuzz::PutFile("CQWW.DAT", bytes);
    try {
        if (db.Load(path) != 0) tavo::fuzz::Broken("a regular file could not be opened");
    } catch (const cty_utl3::CtyFormatError&) {
        // A malformed cty.dat is refused, the database left as it was.
    }
    if (db.CountryCount() < 0 || db.CountryCount() > cty_utl3::MaxCountries ||
        db.PrefixCount() < 0 || db.PrefixCount() > cty_utl3::MaxPrefixes) {
        tavo::fuzz::Broken("counts beyond the tables");
    }
    static constexpr std::array<std::string_view, 8> kCalls = {
        "JA1ABC", "W1AW/KH6", "KH6/W1AW", "DL1ABC/MM", "VE3XYZ/QRP", "", "/", "A/B/C"};
    for (std::string_view call : kCalls) CheckResolve(db, call);
    // The first words of the input as calls: prefixes it defines, and the odd bytes around them.
    int words = 0;
    for (std::size_t i = 0; i < bytes.size() && words < 64;) {
        while (i < bytes.size() && !IsCallByte(bytes[i])) ++i;
        std::size_t start = i;
        while (i < bytes.size() && IsCallByte(bytes[i]) && i - start < 24) ++i;
        if (i > start) {
            CheckResolve(db, bytes.substr(start, i - start));
            ++words;
        }
    }
    return 0;
}

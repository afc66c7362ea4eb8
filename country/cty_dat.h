// cty.dat, the colon-separated country file of country-files.com, read line
// by line into entities and their items. Both the country database and the
// converter to CQWW.DAT read it through this one parser; each keeps its own
// limits in the sink it hands over.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/text_file.h"

namespace cty_utl3 {

// A cty.dat that cannot be read as it means: the file name, the 1-based line
// the problem was found on, and what is wrong, as "FILE:LINE: problem".
class CtyFormatError : public std::runtime_error {
public:
    CtyFormatError(const std::string& fileName, int lineNumber, const std::string& problem);
    const std::string& FileName() const { return fileName_; }
    int LineNumber() const { return lineNumber_; }

private:
    std::string fileName_;
    int lineNumber_;
};

// What a sink raises when the data breaks a rule of its own; the parser adds
// the file and the line it was reading.
struct CtyProblem {
    std::string Text;
};

// "Name: CQ: ITU: Continent: Lat: Lon: UTC: MainPrefix:".
struct CtyHeader {
    std::string_view Name;        // trimmed
    int CqZone = 0;               // 1..40
    int Continent = 0;            // code 1..6
    std::string_view MainPrefix;  // without the "*" of a WAE-only entity
    bool WaeOnly = false;
};

// One item of an entity's list: "=" for an exact call, the prefix or call,
// then annotations "(cq)", "[itu]", "<lat/lon>", "{continent}", "~utc~".
struct CtyItem {
    std::string_view Text;  // as written, annotations kept
    std::string_view Call;  // without "=" and annotations; never empty
    bool Exact = false;
    int CqZone = 0;     // the "(cq)" override, 0 when there is none
    int Continent = 0;  // the "{continent}" override as a code, 0 when there is none
};

class CtySink {
public:
    virtual ~CtySink() = default;
    virtual void Header(const CtyHeader& header) = 0;
    virtual void Item(const CtyItem& item) = 0;
    // The ";" that closes the entity's list.
    virtual void EndEntity() = 0;
};

// Hands every entity of the file to the sink, in file order. Raises
// CtyFormatError for malformed content or a CtyProblem of the sink, and
// tavo::IoError for a read error.
void ReadCtyDat(tavo::TextReader& reader, CtySink& sink);

// The line is an entity header by its shape: eight fields, each ending in ":".
bool IsCtyHeaderLine(std::string_view line);

// The version stamp country-files.com hides among Canada's exact calls:
// "=VER" and the date's digits.
bool IsVersionItem(std::string_view item);

}  // namespace cty_utl3

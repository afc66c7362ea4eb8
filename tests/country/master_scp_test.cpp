// Debian's cty.dat against 5,000 real contest calls of MASTER.SCP: the
// database must give every call the entity, zone and continent that a small
// resolver written here from the file's own description gives it.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <unordered_map>

#include "common/text.h"
#include "country/cty_utl3.h"

namespace cty_utl3 {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// What a call resolves to, by entity name rather than by index.
struct Answer {
    std::string Entity;
    int Zone = -1;
    std::string Continent;
    bool operator==(const Answer&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Answer& a) {
    return out << a.Entity << " zone " << a.Zone << " " << a.Continent;
}

// cty.dat read the plain way: records end at ";", a header's fields at ":".
class SmallResolver {
public:
    explicit SmallResolver(const std::string& text) {
        std::size_t pos = 0;
        for (std::size_t end; (end = text.find(';', pos)) != std::string::npos; pos = end + 1) {
            std::string record = text.substr(pos, end - pos);
            std::vector<std::string> field;
            std::size_t from = 0;
            for (int i = 0; i < 8; ++i) {
                std::size_t colon = record.find(':', from);
                field.emplace_back(tavo::Trim(record.substr(from, colon - from)));
                from = colon + 1;
            }
            const Answer home{field[0], std::stoi(field[1]), field[3]};
            std::string items;
            for (char c : record.substr(from))
                if (c > ' ') items += c;
            std::stringstream list(items);
            for (std::string item; std::getline(list, item, ',');) Add(item, home);
        }
    }

    Answer Resolve(std::string call) const {
        if (auto e = exact_.find(call); e != exact_.end()) return e->second;
        const auto slash = call.find('/');
        Answer plain = Longest(call);
        if (slash == std::string::npos) return plain;
        const std::string before = call.substr(0, slash), after = call.substr(slash + 1);
        if (after.size() < 2 || after.size() > before.size()) return plain;
        for (const char* s : {"MM", "AM", "QRP", "QRPP", "LH", "JOTA", "YOTA"})
            if (after == s) return plain;
        Answer swapped = Longest(after + "/" + before);
        return swapped.Entity.empty() ? plain : swapped;
    }

private:
    void Add(std::string item, Answer answer) {
        const bool exact = item[0] == '=';
        if (exact) item.erase(0, 1);
        if (auto z = item.find('('); z != std::string::npos)
            answer.Zone = std::stoi(item.substr(z + 1));
        if (auto c = item.find('{'); c != std::string::npos)
            answer.Continent = item.substr(c + 1, 2);
        item.resize(item.find_first_of("([<{~") == std::string::npos ? item.size()
                                                                     : item.find_first_of("([<{~"));
        (exact ? exact_ : prefix_)[item] = answer;  // a later entry wins
    }

    Answer Longest(const std::string& call) const {
        for (std::size_t n = call.size(); n > 0; --n)
            if (auto p = prefix_.find(call.substr(0, n)); p != prefix_.end()) return p->second;
        return {};
    }

    std::unordered_map<std::string, Answer> exact_, prefix_;
};

Answer FromDatabase(const CountryDatabase& db, std::string_view call) {
    CallResolution r = db.Resolve(call);
    if (r.Country < 0) return {};
    return {std::string(tavo::Trim(db.Country(r.Country).Name.View())), r.CqZone,
            std::string(ContinentAbbr(r.Continent))};
}

std::vector<std::string> SampleCalls(const std::string& scp, std::size_t n) {
    std::vector<std::string> all;
    std::stringstream lines(scp);
    for (std::string line; std::getline(lines, line);) {
        std::string call(tavo::Trim(line));
        if (!call.empty() && call[0] != '#') all.push_back(call);
    }
    std::mt19937 rng(20260512);
    std::vector<std::string> sample;
    for (std::size_t i = 0; i < n && !all.empty(); ++i)
        sample.push_back(all[std::uniform_int_distribution<std::size_t>(0, all.size() - 1)(rng)]);
    return sample;
}

TEST(MasterScp, FiveThousandRealCallsResolveAsCtyDatSays) {
    std::string ctyPath = std::string(TAVO_REALDATA) + "/../countrydata/cty.dat";
    std::string cty = ReadFile(ctyPath);
    if (cty.empty()) cty = ReadFile(ctyPath = "/usr/share/hamradio-files/cty.dat");
    const std::string scp = ReadFile(std::string(TAVO_REALDATA) + "/../countrydata/MASTER.SCP");
    if (cty.empty() || scp.empty()) GTEST_SKIP() << "no cty.dat or MASTER.SCP beside the project";

    CountryDatabase db;
    ASSERT_EQ(db.Load(ctyPath), 0);
    ASSERT_EQ(db.Form(), DataForm::CtyDat);
    const SmallResolver small(cty);
    const std::vector<std::string> calls = SampleCalls(scp, 5000);
    ASSERT_EQ(calls.size(), 5000u);
    int agree = 0;
    for (const std::string& call : calls) {
        const Answer got = FromDatabase(db, call);
        const Answer want = small.Resolve(call);
        EXPECT_EQ(got, want) << call;
        agree += got == want;
    }
    std::cout << "cty.dat: " << agree << " of " << calls.size() << " calls agree\n";
}

}  // namespace
}  // namespace cty_utl3

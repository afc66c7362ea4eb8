// ADIF logs read as a pass reads them: the QSOs that come out of whole files.
#include "logformat/adif.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "logformat/log_formats.h"
#include "platform/text_file.h"
#include "tests/support/temp_dir.h"
#ifdef TAVO_ADX
#include "xml/adx_expat.h"
#endif

namespace tv_util2 {
namespace {

using tavo::test::TempDir;

class Adif : public ::testing::Test {
protected:
    int Detect(std::string_view bytes) { return DetectLog(dir.Write("log", bytes)).Format; }

    // A QSO with its own copies of the texts the reader lends up to its next read.
    struct HeldQso : LogQso {
        explicit HeldQso(const LogQso& q) : LogQso(q), Call(q.Call), Mode(q.Mode) {}
        std::string Call;
        std::string Mode;
    };

    // Grown: the file is empty when opened and gets the bytes before they are
    // read, so the log's reader holds only its first 64 KiB at once and the
    // rest comes in chunks, where a file read whole is scanned in one piece.
    std::vector<HeldQso> Read(std::string_view bytes, bool grown = false) {
        std::optional<tavo::TextReader> log =
            tavo::TextReader::Open(dir.Write("log", grown ? "" : bytes));
        if (grown) dir.Write("log", bytes);
        std::unique_ptr<LogReader> reader = OpenAdifReader(*log, {}, {});
        std::vector<HeldQso> qsos;
        for (LogQso q; reader->Next(q);) qsos.emplace_back(q);
        return qsos;
    }

    static bool Same(const std::vector<HeldQso>& a, const std::vector<HeldQso>& b) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (a[i].Call != b[i].Call || a[i].Mode != b[i].Mode || a[i].Band != b[i].Band ||
                a[i].Khz != b[i].Khz || a[i].Stamp != b[i].Stamp || a[i].Hour != b[i].Hour)
                return false;
        }
        return true;
    }

    std::vector<std::string> Calls(std::string_view bytes) {
        std::vector<std::string> calls;
        for (const HeldQso& q : Read(bytes)) calls.push_back(q.Call);
        return calls;
    }

    TempDir dir;
};

using CallList = std::vector<std::string>;

TEST_F(Adif, IsKnownByAnEorTagOrAnAdxRootAfterTheLineFormats) {
    EXPECT_EQ(Detect("export\r\n<call:4>W1AW<eOr>\r\n"), FormatAdif);
    EXPECT_EQ(Detect("<CALL:4>W1AW"), FormatUnknown);
    // A marker line keeps its format, whatever the file holds besides.
    EXPECT_EQ(Detect("<EOR>\r\nSTART-OF-LOG: 3.0\r\n"), FormatCabrillo);
#ifdef TAVO_ADX
    tavo::xml::InstallAdxParser();
    EXPECT_EQ(Detect("<?xml version=\"1.0\"?>\n<ADX><RECORDS/></ADX>"), FormatAdif);
    EXPECT_EQ(Detect("<?xml version=\"1.0\"?>\n<LOG><RECORDS/></LOG>"), FormatUnknown);
    // A byte-order mark or blanks may come first; a letter or "#" may not.
    EXPECT_EQ(Detect("\xEF\xBB\xBF\r\n<ADX><RECORDS/></ADX>"), FormatAdif);
    EXPECT_EQ(Detect("ADX<ADX><RECORDS/></ADX>"), FormatUnknown);
    EXPECT_EQ(Detect("\xEF\xBB\xBF#<ADX><RECORDS/></ADX>"), FormatUnknown);
#endif
}

TEST_F(Adif, FieldsAreTaggedDataOfTheirLengthInAnyCase) {
    const auto qsos = Read(
        "header text <PROGRAMID:4>Test<eoh>\n"
        "<call:6:S> W1AW <band:3>20M<Mode:2:>CW<qso_date:8:D>20240131<time_on:6>235959<eor>\n"
        "<CALL:5>K1ABC<APP_X>ignored <FREQ:9>14.025678<TIME_OFF:4>0102<EOR>\n"
        "<CALL:0><BAND:3>20m<EOR><CALL:3>   <EOR>\n");
    ASSERT_EQ(qsos.size(), 2u);
    EXPECT_EQ(qsos[0].Call, "W1AW");
    EXPECT_EQ(qsos[0].Band, 3);
    EXPECT_EQ(qsos[0].Mode, "CW");
    EXPECT_EQ(qsos[0].Day, 31);
    EXPECT_EQ(qsos[0].DateDays, DaysFromCivil(2024, 1, 31));
    EXPECT_EQ(qsos[0].Hour, 23);
    EXPECT_EQ(qsos[0].Stamp, std::int64_t{DaysFromCivil(2024, 1, 31)} * 1440 + 23 * 60 + 59);
    EXPECT_EQ(qsos[1].Band, 3);
    EXPECT_EQ(qsos[1].Khz, 14025u);
    EXPECT_EQ(qsos[1].Hour, 1);  // from TIME_OFF, as TIME_ON is missing
    EXPECT_EQ(qsos[1].Day, -1);
    EXPECT_FALSE(qsos[1].DateDays.has_value());
    EXPECT_EQ(qsos[1].Stamp, NoStamp);
}

TEST_F(Adif, NamesOneByteOffAFieldAreOtherFields) {
    const auto qsos = Read(
        "<C4LL:4>K1AB<CALL:4>W1AW<BAN_:3>20m<FRE0:4>14.0<MODE_:2>CW<MOD:2>CW<TIME_0N:4>1200"
        "<TIMEON:4>1300<TIME_ONX:4>1400<QSO_DAT3:8>20240131<QSO_DATE_:8>20240131"
        "<TIME_OF:4>1500<T1ME_OFF:4>1600<eor>");
    ASSERT_EQ(qsos.size(), 1u);
    EXPECT_EQ(qsos[0].Call, "W1AW");
    EXPECT_EQ(qsos[0].Band, 10);
    EXPECT_EQ(qsos[0].Khz, 0u);
    EXPECT_EQ(qsos[0].Mode, "");
    EXPECT_EQ(qsos[0].Hour, -1);
    EXPECT_EQ(qsos[0].Day, -1);
}

TEST_F(Adif, ALengthThatRunsTooFarEndsAtTheNextTag) {
    // Cloudlog's PROGRAMID, a COMMENT that swallows <EOR> by one byte, and a
    // length that hides a field tag.
    EXPECT_EQ(Calls("<PROGRAMID:14>Cloudlog<EOH><CALL:4>W1AW<COMMENT:6>Hi<eor>"
                    "<CALL:5>K1ABC<NAME:30>Bob <call:6>N0CALL x<EOR>"),
              (CallList{"W1AW", "K1ABC"}));
    // Too long for what is left: the data is the rest of the file, a last
    // record without <EOR>.
    EXPECT_EQ(Calls("<EOH><CALL:99999999999999999999999>G4ABC  \r\n"), (CallList{"G4ABC"}));
    // A "<" that starts no tag is data, the last byte of it too.
    EXPECT_EQ(Calls("<CALL:6>W<1:AW<EOR><CALL:3>N0<<EOR>"), (CallList{"W<1:AW", "N0<"}));
}

TEST_F(Adif, TheHeaderIsEverythingBeforeEoh) {
    EXPECT_EQ(Calls("<CALL:4>HDR1<EOR><EOH><CALL:4>W1AW<EOR>"), (CallList{"W1AW"}));
    EXPECT_EQ(Calls("<CALL:4>W1AW<EOR><CALL:4>K1AB"), (CallList{"W1AW", "K1AB"}));
    // An <eoh> inside a value ends both; one that is no tag ends nothing.
    EXPECT_EQ(Calls("<CALL:4>HDR1<EOR><NOTES:20>a<eoh><CALL:4>W1AW<EOR>"), (CallList{"W1AW"}));
    EXPECT_EQ(Calls("<CALL:4>W1AW<EOR><NOTES:7><EOH x><EOHX><CALL:4>K1AB"),
              (CallList{"W1AW", "K1AB"}));
}

TEST_F(Adif, RecordsReadTheSameWhereverTheFileIsCutForReading) {
    // Tags, values, a "<" inside data and a length that runs too far, each of
    // them in turn across the 64 KiB at which the reader takes the file in.
    const std::string records =
        "<call:6:S> W1AW <BAND:3>20m<MODE:2>CW<COMMENT:9>a<b<c>d e<QSO_DATE:8>20240131"
        "<TIME_ON:4>2359<eor>\r\n<CALL:7>K1<ABC><NAME:40>Al <FREQ:6>7.0251<EOR>"
        "<CALL:3>N0X<QSO_DATE:8>20240201<TIME_OFF:6>000102<MODE:3>SSB<EOR>";
    const std::vector<HeldQso> whole = Read("<EOH>" + records);
    ASSERT_EQ(whole.size(), 3u);
    EXPECT_EQ(whole[1].Call, "K1<ABC>");
    EXPECT_EQ(whole[1].Khz, 7025u);
    // Text after the records, so that the next read overwrites what the window held.
    const std::string tail(70000, '\n');
    for (std::size_t cut = 0; cut <= records.size() + 8; ++cut) {
        const std::string filler(65536 - 5 - cut, 'x');
        EXPECT_TRUE(Same(Read(filler + "<EOH>" + records + tail, true), whole)) << "cut at " << cut;
    }
    // A value longer than what is kept, and than the reader holds at once,
    // that starts 1000 bytes before the cut.
    std::string call(200000, ' ');
    for (std::size_t i = 0; i < call.size(); ++i) call[i] = static_cast<char>('0' + i % 7);
    const std::string head = std::string(65536 - 1000 - 18, 'x') + "<EOH><CALL:200000>";
    const std::vector<HeldQso> one = Read(head + call + "<EOR>" + records, true);
    ASSERT_EQ(one.size(), 4u);
    EXPECT_EQ(one[0].Call, call.substr(0, AdifFieldKept));
    EXPECT_EQ(one[1].Call, "W1AW");
}

TEST_F(Adif, RandomRecordsReadTheSameWhereverTheFileIsCut) {
    // Sound and faulty pieces of records, strung together by a fixed seed.
    const std::vector<std::string> pieces = {"<CALL:4>W1AW",
                                             "<call:7>K1<AB> ",
                                             "<BAND:3>20m",
                                             "<MODE:2>CW",
                                             "<FREQ:6>7.0251",
                                             "<QSO_DATE:8>20240131",
                                             "<TIME_ON:4>1200",
                                             "<TIME_OFF:6>000102",
                                             "<NAME:20>Al ",
                                             "<COMMENT:3>a<b",
                                             "<EOR>\r\n",
                                             "<eor>",
                                             "<",
                                             " <x> ",
                                             "<CALL:9>N0",
                                             "<NOTES:999>",
                                             std::string(700, 'z')};
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::string records;
        while (records.size() < 4000) records += pieces[random() % pieces.size()];
        const std::vector<HeldQso> whole = Read("<EOH>" + records);
        const std::size_t cut = random() % records.size();
        const std::string log = std::string(65536 - 5 - cut, 'x') + "<EOH>" + records;
        EXPECT_TRUE(Same(Read(log + std::string(70000, '\n'), true), whole)) << "round " << round;
    }
}

TEST_F(Adif, BandDecidesBeforeFreq) {
    auto band = [this](std::string_view fields) {
        std::vector<HeldQso> q = Read("<CALL:4>W1AW" + std::string(fields) + "<EOR>");
        return q.empty() ? -2 : q[0].Band;
    };
    EXPECT_EQ(band("<BAND:4>160M"), 0);
    EXPECT_EQ(band("<BAND:4>23cm"), 9);
    EXPECT_EQ(band("<BAND:3>17m<FREQ:6>14.025"), 10);
    EXPECT_EQ(band("<BAND:0><FREQ:4>1.81"), 0);
    EXPECT_EQ(band("<FREQ:7>144.174"), 7);
    EXPECT_EQ(band("<FREQ:3>432"), 8);
    EXPECT_EQ(band("<FREQ:6>14.5MH"), 10);
    EXPECT_EQ(band("<FREQ:3>.14"), 10);
    EXPECT_EQ(band(""), 10);
    // Decimals past the kHz count for nothing, but must be digits.
    EXPECT_EQ(band("<FREQ:9>7.0009999"), 2);
    EXPECT_EQ(band("<FREQ:10>7.0009999x"), 10);
    EXPECT_EQ(Read("<CALL:4>W1AW<FREQ:9>14.025999<EOR>")[0].Khz, 14025u);
}

TEST_F(Adif, ADateOrTimeThatDoesNotReadGivesMinusOne) {
    auto first = [this](std::string_view fields) {
        return Read("<CALL:4>W1AW" + std::string(fields) + "<EOR>").at(0);
    };
    EXPECT_EQ(first("<QSO_DATE:8>20241301").Day, -1);
    EXPECT_EQ(first("<QSO_DATE:8>20240232").Day, -1);
    EXPECT_EQ(first("<QSO_DATE:10> 20240229 ").Day, 29);
    EXPECT_EQ(first("<QSO_DATE:7>2024022").Day, -1);
    EXPECT_EQ(first("<TIME_ON:4>ab12").Hour, -1);
    EXPECT_EQ(first("<TIME_ON:1>7").Hour, 7);
    EXPECT_EQ(first("<TIME_ON:0><TIME_OFF:6>120000").Hour, 12);
}

TEST_F(Adif, EachRecordReadsAsItDoesAlone) {
    // Dates that repeat, come back after others or go missing, and edge texts of FREQ and BAND.
    const std::vector<std::string> records = {
        "<CALL:4>W1AW<QSO_DATE:8>20240229<TIME_ON:4>1200<BAND:2>6M<EOR>",
        "<CALL:4>W1AX<QSO_DATE:9> 20240229<TIME_ON:4>1230<BAND:4>70CM<EOR>",
        "<CALL:4>W1AY<TIME_ON:6>235960<BAND:3> 6m<FREQ:6>14.025<EOR>",
        "<CALL:4>W1AZ<QSO_DATE:8>20230229<TIME_ON:4>0000<FREQ:10>0014.02556<EOR>",
        "<CALL:4>K1AA<QSO_DATE:8>20230229<TIME_ON:4>2400<FREQ:3>14.<EOR>",
        "<CALL:4>K1AB<QSO_DATE:8>20240229<FREQ:12>1234567890.1<EOR>",
        "<CALL:4>K1AC<QSO_DATE:8>2024022x<FREQ:6>14.0.1<EOR>",
        "<CALL:4>K1AD<QSO_DATE:8>20240229<FREQ:13>000000000.135<EOR>",
    };
    std::string all;
    for (const std::string& record : records) all += record;
    const std::vector<HeldQso> qsos = Read(all);
    ASSERT_EQ(qsos.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::vector<HeldQso> alone = Read(records[i]);
        EXPECT_TRUE(Same({qsos[i]}, alone) && qsos[i].Day == alone.at(0).Day &&
                    qsos[i].DateDays == alone.at(0).DateDays)
            << "record " << i;
    }
    EXPECT_EQ(qsos[0].Band, 6);
    EXPECT_EQ(qsos[1].Band, 8);
    EXPECT_EQ(qsos[1].Stamp, std::int64_t{DaysFromCivil(2024, 2, 29)} * 1440 + 12 * 60 + 30);
    EXPECT_EQ(qsos[2].Band, 10);
    EXPECT_EQ(qsos[2].Day, -1);
    EXPECT_EQ(qsos[3].Khz, 14025u);
    EXPECT_EQ(qsos[3].Day, 29);
    EXPECT_EQ(qsos[3].Stamp, NoStamp);
    EXPECT_EQ(qsos[4].Khz, 0u);
    EXPECT_EQ(qsos[5].Khz, 0u);
    EXPECT_EQ(qsos[6].Day, -1);
    EXPECT_EQ(qsos[7].Khz, 135u);
    EXPECT_EQ(qsos[7].Band, 10);
}

#ifdef TAVO_ADX
TEST_F(Adif, AdxRecordsAreTheRecordElementsUnderRecords) {
    tavo::xml::InstallAdxParser();
    EXPECT_EQ(Calls("<?xml version=\"1.0\"?><ADX><HEADER><CALL>HDR</CALL></HEADER><RECORDS>"
                    "<RECORD><CALL> W1AW </CALL><APP PROGRAMID=\"X\" FIELDNAME=\"CALL\">NO</APP>"
                    "<BAND>20m</BAND></RECORD><RECORD><CALL>K1&amp;B</CALL></RECORD>"
                    "<RECORD><MODE>CW</MODE></RECORD></RECORDS></ADX>"),
              (CallList{"W1AW", "K1&B"}));
}

TEST_F(Adif, AdxBombsAndBrokenDocumentsAreRefused) {
    tavo::xml::InstallAdxParser();
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE ADX [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
        "<ADX><RECORDS><RECORD><CALL>&c;</CALL></RECORD></RECORDS></ADX>";
    EXPECT_THROW(Read(laughs), tavo::IoError);
    std::string deep = "<ADX><RECORDS><RECORD>";
    for (int i = 0; i < 100000; ++i) deep += "<X>";
    EXPECT_THROW(Read(deep), tavo::IoError);
    EXPECT_THROW(Read("<ADX><RECORDS><RECORD><CALL>W1AW</RECORD>"), tavo::IoError);
}
#endif

}  // namespace
}  // namespace tv_util2

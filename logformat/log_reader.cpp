#include "logformat/log_reader.h"

#include <memory>

#include "common/text.h"
#include "logformat/tv_util2.h"
#include "platform/text_file.h"

namespace tv_util2 {

int DaysFromCivil(int Year, int Month, int Day) {
    Year -= Month <= 2;
    const int era = (Year >= 0 ? Year : Year - 399) / 400;
    const int yoe = Year - era * 400;
    const int doy = (153 * (Month + (Month > 2 ? -3 : 9)) + 2) / 5 + Day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A field text read by the number rule, -1 when it is not a number.
int NumberOf(std::string_view text) {
    // Two plain digits, as an hour or a day nearly always is, need no parsing.
    if (text.size() == 2 && IsDigit(text[0]) && IsDigit(text[1]))
        return (text[0] - '0') * 10 + (text[1] - '0');
    return tavo::ParseInt32(tavo::Trim(text)).value_or(-1);
}

class LineReader : public LogReader {
public:
    LineReader(tavo::TextReader& log, int format, const ColumnLayout& layout)
        : log_(log), format_(format), layout_(layout) {}

    bool Next(LogQso& q) override {
        if (!started_) {
            started_ = true;
            if (!log_.ReadLine(line_)) return false;
        }
        while (log_.ReadLine(line_)) {
            if (!IsQsoLine(format_, line_)) continue;
            const QsoFields fields = ReadQsoFields(format_, line_, layout_);
            q.Band = fields.Band;
            q.Call.assign(fields.Call);
            q.Day = NumberOf(fields.Day);
            q.Hour = NumberOf(fields.Hour);
            q.Minute = -1;
            q.DateDays = DateDays(fields.Date);
            q.Mode.clear();
            q.Khz = 0;
            return true;
        }
        return false;
    }

private:
    tavo::TextReader& log_;
    int format_;
    ColumnLayout layout_;
    std::string line_;
    bool started_ = false;
};

}  // namespace

std::optional<int> DateDays(std::string_view Text) {
    if (Text.size() != 10) return std::nullopt;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!IsDigit(Text[static_cast<std::size_t>(i)])) return std::nullopt;
    }
    if (IsDigit(Text[4]) || IsDigit(Text[7])) return std::nullopt;
    // Every one of these characters is a digit by now.
    auto num = [Text](std::size_t at, std::size_t n) {
        int value = 0;
        for (std::size_t i = at; i < at + n; ++i) value = value * 10 + (Text[i] - '0');
        return value;
    };
    int year = num(0, 4), month = num(5, 2), day = num(8, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    return DaysFromCivil(year, month, day);
}

std::unique_ptr<LogReader> OpenLineReader(tavo::TextReader& Log, const Detection& Found,
                                          const ColumnLayout& Layout) {
    return std::make_unique<LineReader>(Log, Found.Format, Layout);
}

}  // namespace tv_util2

#include "platform/viewer.h"

#include "common/text.h"

namespace tavo {

std::string ViewerCommandLine(std::string_view ViewerName, std::string_view FileName) {
    std::string line(Trim(ViewerName));
    line += ' ';
    line += FileName;
    return line;
}

namespace {

// The program name: up to the next blank, or in double quotes up to the next
// quote, which may hold blanks; no backslash is special here.
std::string ProgramToken(std::string_view& rest) {
    std::string token;
    bool quoted = false;
    std::size_t i = 0;
    for (; i < rest.size(); ++i) {
        char c = rest[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && IsBlankOrControl(c)) {
            break;
        } else {
            token += c;
        }
    }
    rest = Trim(rest.substr(i));
    return token;
}

// An option: quotes group blanks; 2n backslashes before a quote give n and the
// quote groups, 2n+1 give n and a quote of its own; "" inside quotes is a quote.
std::string OptionToken(std::string_view& rest) {
    std::string token;
    bool quoted = false;
    std::size_t i = 0;
    while (i < rest.size()) {
        char c = rest[i];
        if (c == '\\') {
            std::size_t n = 0;
            while (i < rest.size() && rest[i] == '\\') ++n, ++i;
            if (i < rest.size() && rest[i] == '"') {
                token.append(n / 2, '\\');
                if (n % 2 == 1) {
                    token += '"';
                    ++i;
                }
            } else {
                token.append(n, '\\');
            }
        } else if (c == '"') {
            if (quoted && i + 1 < rest.size() && rest[i + 1] == '"') {
                token += '"';
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
        } else if (!quoted && IsBlankOrControl(c)) {
            break;
        } else {
            token += c;
            ++i;
        }
    }
    rest = Trim(rest.substr(i));
    return token;
}

}  // namespace

std::vector<std::string> ViewerArguments(std::string_view ViewerName, std::string_view FileName) {
    std::vector<std::string> args;
    std::string_view rest = Trim(ViewerName);
    if (rest.empty()) return args;
    args.push_back(ProgramToken(rest));
    while (!rest.empty()) args.push_back(OptionToken(rest));
    args.emplace_back(FileName);
    return args;
}

}  // namespace tavo

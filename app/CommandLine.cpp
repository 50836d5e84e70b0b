#include "app/CommandLine.h"

namespace {

// What an option letter does: its value goes somewhere (the next token that
// reaches the sink), or it sets something at once. Letters are ASCII and
// case-blind.
struct Option {
    wchar_t letter;
    std::wstring CommandLine::*text;               // a value: one text
    std::vector<std::wstring> CommandLine::*texts;  // a value: one more of a list
    void (*set)(CommandLine&);                       // no value
};

const Option kOptions[] = {
    {L'a', &CommandLine::affix, nullptr, nullptr},
    {L'l', nullptr, &CommandLine::lists, nullptr},
    {L'q', &CommandLine::stopFile, nullptr, nullptr},
    {L'r', &CommandLine::resultFile, nullptr, nullptr},
    {L't', &CommandLine::affixFile, nullptr, nullptr},
    {L'n', nullptr, nullptr, [](CommandLine& line) { line.dryRun = true; }},
    {L'p', nullptr, nullptr, [](CommandLine& line) { line.position = AffixPosition::Head; }},
    {L's', nullptr, nullptr, [](CommandLine& line) { line.position = AffixPosition::End; }},
};

const Option* OptionFor(wchar_t letter)
{
    if (letter >= L'A' && letter <= L'Z')
        letter = static_cast<wchar_t>(letter - L'A' + L'a');
    for (const Option& option : kOptions)
        if (option.letter == letter)
            return &option;
    return nullptr;
}

// Hands a token to the first option that waits for one, in the order of the
// table (the affix first); else to the files.
class CTokenSink {
public:
    explicit CTokenSink(CommandLine& result) : result_(result) {}

    void Expect(const Option& option) { pending_[&option - kOptions] = true; }

    void Take(std::wstring token)
    {
        for (std::size_t i = 0; i < kCount; ++i) {
            if (!pending_[i])
                continue;
            pending_[i] = false;
            if (kOptions[i].text)
                result_.*kOptions[i].text = std::move(token);
            else
                (result_.*kOptions[i].texts).push_back(std::move(token));
            return;
        }
        result_.files.push_back(std::move(token));
    }

private:
    static const std::size_t kCount = sizeof kOptions / sizeof kOptions[0];
    CommandLine& result_;
    bool pending_[kCount] = {};
};

}  // namespace

CommandLine ParseCommandLine(const wchar_t* text)
{
    CommandLine result;
    const std::wstring line = text ? std::wstring(text) : std::wstring();
    const std::size_t length = line.size();
    CTokenSink sink(result);

    std::size_t pos = 0;
    while (pos < length) {
        const wchar_t c = line[pos];
        if (c == L'-') {
            // Anything but an option letter drops the dash and is read again
            // as ordinary text.
            const Option* option = pos + 1 < length ? OptionFor(line[pos + 1]) : nullptr;
            if (option && option->set)
                option->set(result);
            else if (option)
                sink.Expect(*option);
            pos += option ? 2 : 1;
        } else if (c == L'"') {
            const std::size_t close = line.find(L'"', pos + 1);
            if (close == std::wstring::npos)
                break;  // an unclosed quote ends the parse
            sink.Take(line.substr(pos + 1, close - pos - 1));
            pos = close + 1;
        } else if (c == L' ') {
            ++pos;
        } else {
            const std::size_t space = line.find(L' ', pos);
            if (space == std::wstring::npos) {
                sink.Take(line.substr(pos));
                break;
            }
            sink.Take(line.substr(pos, space - pos));
            pos = space + 1;
        }
    }
    return result;
}

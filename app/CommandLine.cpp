#include "CommandLine.h"

namespace {

// Hands a token to the first that waits for one, in this order: the affix
// ("-a"), the list files ("-l"), the stop file ("-q"), the result file ("-r"),
// the affix file ("-t"); else to the files.
class CTokenSink {
public:
    enum Pending { Affix, List, StopFile, ResultFile, AffixFile, Kinds };

    explicit CTokenSink(CommandLine& result) : result_(result) {}

    void Expect(Pending what) { pending_[what] = true; }

    void Take(std::wstring token)
    {
        if (Taken(Affix))
            result_.affix = std::move(token);
        else if (Taken(List))
            result_.lists.push_back(std::move(token));
        else if (Taken(StopFile))
            result_.stopFile = std::move(token);
        else if (Taken(ResultFile))
            result_.resultFile = std::move(token);
        else if (Taken(AffixFile))
            result_.affixFile = std::move(token);
        else
            result_.files.push_back(std::move(token));
    }

private:
    bool Taken(Pending what)
    {
        const bool pending = pending_[what];
        pending_[what] = false;
        return pending;
    }

    CommandLine& result_;
    bool pending_[Kinds] = {};
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
            // Option letters are ASCII only and case-blind; anything else
            // drops the dash and is read again as ordinary text.
            const wchar_t letter = pos + 1 < length ? line[pos + 1] : L'\0';
            if (letter == L'a' || letter == L'A') {
                sink.Expect(CTokenSink::Affix);
                pos += 2;
            } else if (letter == L'l' || letter == L'L') {
                sink.Expect(CTokenSink::List);
                pos += 2;
            } else if (letter == L'q' || letter == L'Q') {
                sink.Expect(CTokenSink::StopFile);
                pos += 2;
            } else if (letter == L'r' || letter == L'R') {
                sink.Expect(CTokenSink::ResultFile);
                pos += 2;
            } else if (letter == L't' || letter == L'T') {
                sink.Expect(CTokenSink::AffixFile);
                pos += 2;
            } else if (letter == L'n' || letter == L'N') {
                result.dryRun = true;
                pos += 2;
            } else if (letter == L'p' || letter == L'P') {
                result.position = AffixPosition::Head;
                pos += 2;
            } else if (letter == L's' || letter == L'S') {
                result.position = AffixPosition::End;
                pos += 2;
            } else {
                pos += 1;
            }
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

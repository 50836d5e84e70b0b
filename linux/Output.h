#pragma once

#include <string>

// Standard output for the lines a run prints: each line whole, at once on
// a terminal and in blocks elsewhere. A write that fails (the reader of a
// pipe gone, a full disk) is remembered, never a signal: the run then stops
// between two items and says so.
class COutput {
public:
    COutput();
    ~COutput();
    COutput(const COutput&) = delete;
    COutput& operator=(const COutput&) = delete;

    // False once any write has failed.
    bool Line(const std::string& line);
    bool Flush();
    // The error of the write that failed; 0 while none has.
    int Error() const { return error_; }

private:
    std::string buffer_;
    bool terminal_;
    int error_ = 0;
};

#pragma once

#include <csignal>
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
    // A write that waits for a reader gives up once this is set (by a
    // signal's handler): the run is stopping, and its lines are moot.
    void GiveUpOn(const volatile std::sig_atomic_t* stop) { stop_ = stop; }

private:
    std::string buffer_;
    bool terminal_;
    int error_ = 0;
    const volatile std::sig_atomic_t* stop_ = nullptr;
};

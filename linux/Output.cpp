#include "linux/Output.h"

#include <cerrno>
#include <unistd.h>

namespace {

const std::size_t kBlock = 64 * 1024;

}  // namespace

COutput::COutput() : terminal_(isatty(STDOUT_FILENO) != 0)
{
    buffer_.reserve(kBlock);
}

COutput::~COutput()
{
    Flush();
}

bool COutput::Line(const std::string& line)
{
    if (error_)
        return false;
    if (!buffer_.empty() && buffer_.size() + line.size() + 1 > kBlock && !Flush())
        return false;
    (buffer_ += line) += '\n';
    return terminal_ || buffer_.size() >= kBlock ? Flush() : true;
}

bool COutput::Flush()
{
    std::size_t done = 0;
    while (!error_ && done < buffer_.size()) {
        if (stop_ && *stop_) {
            buffer_.clear();
            return false;
        }
        const ssize_t written = write(STDOUT_FILENO, buffer_.data() + done, buffer_.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            error_ = written < 0 ? errno : EIO;
        else
            done += static_cast<std::size_t>(written);
    }
    buffer_.clear();
    return !error_;
}

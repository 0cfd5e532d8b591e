#pragma once

namespace lumora::ddc {

// Sends standard output and standard error to /dev/null for as long as it lives: the library
// prints detection chatter there, and the callers of our tools read both streams.
class QuietOutput {
public:
    QuietOutput();
    ~QuietOutput();
    QuietOutput(const QuietOutput&) = delete;
    QuietOutput& operator=(const QuietOutput&) = delete;

private:
    int m_savedOutput;
    int m_savedError;
};

} // namespace lumora::ddc

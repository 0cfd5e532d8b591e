// A stand-in for an outside command-line tool, scripted by the test that runs it.
//
// The tool reads its script from "<path it was run as>.script" and appends every invocation,
// its arguments joined by spaces, to "<path>.log". Tests copy or link it under the name they
// need (m1ddc, panelctl) into a folder of their own.
//
// Script: one rule per line, fields separated by tabs; lines starting with '#' are ignored.
//   PATTERN <tab> DIRECTIVE <tab> DIRECTIVE ...
// PATTERN is the argument list separated by spaces; "*" matches any one argument and a final
// "**" any remaining ones. The first rule that matches is used. Directives, in the order they act:
//   sleep=MS     wait before answering      hang         never answer
//   out=TEXT     write TEXT to stdout       err=TEXT     write TEXT to stderr
//   outbytes=N   write N bytes to stdout    errbytes=N   write N bytes to stderr
//   signal=N     end by signal N            exit=N       exit status (default 0)
// TEXT understands \n, \t, \\ and \xHH; $1 to $9 stand for the arguments, $n for the number
// of this invocation (1 for the first one logged).

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);)
        parts.push_back(part);
    return parts;
}

bool matches(const std::vector<std::string>& pattern, const std::vector<std::string>& arguments) {
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == "**" && i + 1 == pattern.size())
            return true;
        if (i >= arguments.size() || (pattern[i] != "*" && pattern[i] != arguments[i]))
            return false;
    }
    return pattern.size() == arguments.size();
}

std::string expand(const std::string& text, const std::vector<std::string>& arguments,
                   int invocation) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c == '$' && next == 'n') {
            result += std::to_string(invocation), ++i;
        } else if (c == '$' && next >= '1' && next <= '9') {
            const size_t index = size_t(next - '1');
            result += index < arguments.size() ? arguments[index] : "";
            ++i;
        } else if (c == '\\' && next == 'n') {
            result += '\n', ++i;
        } else if (c == '\\' && next == 't') {
            result += '\t', ++i;
        } else if (c == '\\' && next == '\\') {
            result += '\\', ++i;
        } else if (c == '\\' && next == 'x' && i + 3 < text.size()) {
            result += char(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            result += c;
        }
    }
    return result;
}

void writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return;
        done += size_t(written);
    }
}

std::string joined(const std::vector<std::string>& arguments) {
    std::string line;
    for (const auto& argument : arguments)
        line += (line.empty() ? "" : " ") + argument;
    return line;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::string self = argv[0];
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::ofstream(self + ".log", std::ios::app) << joined(arguments) << '\n';
    int invocation = 0;
    std::ifstream log(self + ".log");
    for (std::string line; std::getline(log, line);)
        ++invocation;

    std::ifstream script(self + ".script");
    for (std::string line; std::getline(script, line);) {
        const std::vector<std::string> fields = split(line, '\t');
        if (fields.empty() || fields[0].empty() || fields[0][0] == '#' ||
            !matches(split(fields[0], ' '), arguments))
            continue;

        std::map<std::string, std::string> directives;
        for (size_t i = 1; i < fields.size(); ++i) {
            const size_t equals = fields[i].find('=');
            directives[fields[i].substr(0, equals)] =
                equals == std::string::npos ? "" : fields[i].substr(equals + 1);
        }
        if (directives.count("sleep"))
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stol(directives["sleep"])));
        if (directives.count("hang"))
            for (;;)
                ::pause();
        writeAll(STDOUT_FILENO, expand(directives["out"], arguments, invocation));
        writeAll(STDERR_FILENO, expand(directives["err"], arguments, invocation));
        if (directives.count("outbytes"))
            writeAll(STDOUT_FILENO, std::string(std::stoul(directives["outbytes"]), 'x'));
        if (directives.count("errbytes"))
            writeAll(STDERR_FILENO, std::string(std::stoul(directives["errbytes"]), 'x'));
        if (directives.count("signal"))
            std::raise(std::stoi(directives["signal"]));
        return directives.count("exit") ? std::stoi(directives["exit"]) : 0;
    }
    writeAll(STDERR_FILENO, "fake tool: no rule for: " + joined(arguments) + "\n");
    return 64;
}
